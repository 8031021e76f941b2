#pragma once
// What the main window's tests share: card images with chosen tracks, simulated units, a fake
// system tree for drives, the window itself, and reading back what it shows.
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

#include "devices/FakeSystem.h"
#include "disk/TrackEntry.h"
#include "gui/BoxAnswerer.h"
#include "gui/DeviceMonitor.h"
#include "gui/ManagerDialog.h"
#include "gui/QtUserPrompt.h"

// A track of `sectors` sectors (audio and data) with the given codes, placed by MakeCard.
TrackEntry Track(const char* title, uint32_t sectors, uint8_t baud, uint8_t protocol, uint8_t frameMs = 20);

class CWindowWorld {
public:
    CWindowWorld();
    ~CWindowWorld();

    // A card image of `sectors` sectors: a VELK disk with these tracks, or all zeros (foreign).
    std::string MakeCard(const std::string& name, const std::vector<TrackEntry>& tracks, bool velk = true,
                         uint32_t sectors = 8192);
    // A unit whose card is that image file; a slow one takes delayMs for every transfer.
    void PlugUnit(int devnum, const std::string& card, int bus = 1, int delayMs = 0);
    // Reads a card image back: its tracks, or nothing when it is not a VELK disk.
    static std::optional<std::vector<TrackEntry>> ReadCard(const std::string& path);
    // A routine file with `frames` playable MP3 frames and some servo data.
    std::string MakeRoutine(const std::string& name, int frames);

    // The window once its first listing has been shown (settle false: as soon as it is made).
    std::unique_ptr<CManagerDialog> Window(std::vector<std::string> images = {}, bool showSchedules = false,
                                           std::unique_ptr<IDeviceEventSource> events = nullptr, bool settle = true);
    // Turns the event loop until the window's worker has nothing left and its results are shown.
    static void Settle(const CManagerDialog& window);
    static std::vector<std::vector<std::string>> Rows(const CManagerDialog& window);
    // Drags path onto the window and drops it there; false when the window refused the drag.
    static bool Drop(CManagerDialog& window, const std::string& path);
    // The devices the box lists, without "Open card image..." after them.
    static std::vector<std::string> BoxTexts(const CManagerDialog& window);

    std::string File(const std::string& name) const { return m_dir.filePath(QString::fromStdString(name)).toStdString(); }
    CFakeSystem system;
    CBoxAnswerer boxes;

private:
    QTemporaryDir m_dir;
    CQtUserPrompt m_prompt;
};

// Events fed by a test through a pipe, as the udev socket would deliver them.
class CFedEventSource final : public IDeviceEventSource {
public:
    CFedEventSource();
    ~CFedEventSource() override;
    int Descriptor() const override { return m_pipe[0]; }
    bool ReadEvent() override;
    // One event; only a relevant one asks for a refresh.
    void Feed(bool relevant = true);

private:
    int m_pipe[2] = {-1, -1};
};
