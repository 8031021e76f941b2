#include "gui/ManagerWindowFixture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>

#include <chrono>
#include <fstream>
#include <unistd.h>

#include "controls/ControlList.h"
#include "devices/ImageFile.h"
#include "disk/RoutineFile.h"
#include "disk/VelkDisk.h"
#include "fakes/FakeUsb.h"

TrackEntry Track(const char* title, uint32_t sectors, uint8_t baud, uint8_t protocol, uint8_t frameMs) {
    TrackEntry track;
    track.SetTitle(title);
    track.endSector = sectors;  // relative until MakeCard places it
    track.dataStart = sectors / 2;
    track.baudCode = baud;
    track.protocolCode = protocol;
    track.frameMs = frameMs;
    return track;
}

CWindowWorld::CWindowWorld() { fakeusb::Reset(); }

CWindowWorld::~CWindowWorld() { fakeusb::Reset(); }

std::string CWindowWorld::MakeCard(const std::string& name, const std::vector<TrackEntry>& tracks, bool velk,
                                   uint32_t sectors) {
    const std::string path = File(name);
    CImageFile::Create(path, sectors);
    if (!velk) return path;
    CImageFile card;
    card.Open(CImageFile::EntryFor(path));
    CVelkDisk disk(card);
    disk.Read();
    disk.Format();
    uint32_t next = 1;
    for (TrackEntry track : tracks) {
        const uint32_t length = track.endSector;
        track.audioStart = next;
        track.dataStart = next + track.dataStart;
        track.endSector = next + length;
        next = track.endSector;
        disk.AppendTrack(track);
    }
    disk.WriteTable();
    card.Close();
    return path;
}

void CWindowWorld::PlugUnit(int devnum, const std::string& card, int bus, int delayMs) {
    fakeusb::UnitOptions unit;
    unit.devnum = devnum;
    unit.bus = bus;
    unit.transferDelayMs = delayMs;
    unit.cardPath = card;
    fakeusb::AddUnit(unit);
}

std::optional<std::vector<TrackEntry>> CWindowWorld::ReadCard(const std::string& path) {
    CImageFile card;
    card.Open(CImageFile::EntryFor(path));
    CVelkDisk disk(card);
    std::vector<TrackEntry> tracks = disk.Read();
    const bool valid = disk.IsVelkDisk();
    card.Close();
    if (!valid) return std::nullopt;
    return tracks;
}

std::string CWindowWorld::MakeRoutine(const std::string& name, int frames) {
    constexpr size_t kFrameBytes = 417;
    std::vector<uint8_t> audio;
    for (int i = 0; i < frames; ++i) {
        std::vector<uint8_t> frame(kFrameBytes, uint8_t(i + 1));
        frame[0] = 0xFF, frame[1] = 0xFB, frame[2] = 0x90, frame[3] = 0x44;
        audio.insert(audio.end(), frame.begin(), frame.end());
    }
    const std::vector<uint8_t> data(300, 0x7F);
    RoutineHeader header;
    header.SetTitle("Added");
    header.audioBytes = uint32_t(audio.size());
    header.dataBytes = uint32_t(data.size());
    header.frameMs = 20;
    header.baudCode = 2;
    uint8_t encoded[RoutineHeader::kSize];
    header.Encode(encoded);
    const std::string path = File(name);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(encoded), sizeof encoded);
    file.write(reinterpret_cast<const char*>(audio.data()), std::streamsize(audio.size()));
    file.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return path;
}

std::unique_ptr<CManagerDialog> CWindowWorld::Window(std::vector<std::string> images, bool showSchedules,
                                                     std::unique_ptr<IDeviceEventSource> events, bool settle) {
    ManagerOptions options;
    options.images = std::move(images);
    options.showSchedules = showSchedules;
    options.paths = system.Paths();
    options.deviceEvents = std::move(events);
    options.prompt = &m_prompt;
    auto window = std::make_unique<CManagerDialog>(std::move(options));
    if (settle) Settle(*window);
    return window;
}

void CWindowWorld::Settle(const CManagerDialog& window) {
    constexpr auto kPatience = std::chrono::seconds(60);  // a hang, not a slow machine
    const auto until = std::chrono::steady_clock::now() + kPatience;
    while (!window.IsIdle()) {
        if (std::chrono::steady_clock::now() > until) qFatal("the window's worker never became idle");
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qWait(1);
    }
}

std::vector<std::vector<std::string>> CWindowWorld::Rows(const CManagerDialog& window) {
    std::vector<std::vector<std::string>> rows;
    const CControlList& list = *window.RoutineList();
    for (int row = 0; row < list.GetRowCount(); ++row) {
        rows.emplace_back();
        for (int column = 0; column < list.GetColumnCount(); ++column)
            rows.back().push_back(list.GetItemText(row, column).toStdString());
    }
    return rows;
}

std::vector<std::string> CWindowWorld::BoxTexts(const CManagerDialog& window) {
    std::vector<std::string> texts;
    for (int i = 0; i < window.DeviceCount(); ++i) texts.push_back(window.DeviceBox()->itemText(i).toStdString());
    return texts;
}

bool CWindowWorld::Drop(CManagerDialog& window, const std::string& path) {
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    return true;
}

CFedEventSource::CFedEventSource() {
    if (::pipe(m_pipe) != 0) qFatal("pipe");
}

CFedEventSource::~CFedEventSource() {
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

bool CFedEventSource::ReadEvent() {
    char byte = 0;
    return ::read(m_pipe[0], &byte, 1) == 1 && byte == 'y';
}

void CFedEventSource::Feed(bool relevant) {
    const char byte = relevant ? 'y' : 'n';
    if (::write(m_pipe[1], &byte, 1) != 1) qFatal("write");
}
