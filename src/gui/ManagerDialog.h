#pragma once
// The main window: the current device (card readers, then units, then card images), the routines
// on its card, and the commands. Every device access is a job of its command runner, on the one
// worker: the window's thread never opens a device and never waits on USB or D-Bus, so it answers
// while a slow unit is formatted, and it is shown before the first listing has ended. While a
// command runs the commands, the device box, Refresh and Load firmware are disabled; Add routine,
// backup, restore and the routine list's edits turn Exit into Cancel. Device notifications
// meanwhile are answered with one refresh when the command has ended. The device box ends in
// "Open card image...", so an image can be found without a context menu.
#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "devices/DeviceId.h"
#include "disk/CardImageJudge.h"
#include "disk/TrackEntry.h"
#include "gui/CommandRunner.h"
#include "gui/DeviceBox.h"
#include "gui/DeviceMonitor.h"
#include "gui/ManagerDialogUi.h"
#include "gui/RoutineListEditing.h"
#include "operations/EditJobs.h"
#include "platform/SystemPaths.h"

class CQtUserPrompt;
class CWidgetProgress;
class QMenu;

struct ManagerOptions {
    std::vector<std::string> images;  // card images listed after the units
    bool showSchedules = false;       // the Edit schedules button is hidden unless asked for
    SystemPaths paths;
    std::unique_ptr<IDeviceEventSource> deviceEvents;  // none: no notifications
    // The boxes of the window and its jobs, owned by the window from the start; none: its own.
    CQtUserPrompt* prompt = nullptr;
};

class CManagerDialog : public QDialog {
    Q_OBJECT
public:
    explicit CManagerDialog(ManagerOptions options, QWidget* parent = nullptr);
    ~CManagerDialog() override;

    // The Open dialogs of Add routine and Load firmware: the chosen path, empty when cancelled.
    using FileChooser = std::function<QString(const QString& caption, const QString& filter)>;
    void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // The Save dialog of Back up card.
    void SetSaveFileChooser(FileChooser chooser) { m_chooseSaveFile = std::move(chooser); }

    // Each queues its work; the widgets follow when it has been done.
    void RefreshDevices();
    void RefreshRoutineList();
    // Files chosen as card images (in the Open dialog) or dropped onto the window: each is judged
    // on the worker first. A card, a blank image, and after a question any other file of whole
    // sectors, is listed and becomes the current device; a dropped routine file is added to the
    // current card as Add routine would add it; anything else is refused with a message.
    enum class ImageOrigin { Chosen, Dropped };
    void OpenCardImages(const QStringList& paths, ImageOrigin origin);
    void OnBackUp();
    void OnRestore();
    // Closes the window as a signal to the process asks: work that can be cancelled is, other work
    // is waited for; nothing is asked.
    void CloseSoon();

    bool IsBusy() const { return m_runner->Busy(); }
    // Nothing queued or running on the worker, and every result shown.
    bool IsIdle() const { return m_runner->Idle(); }
    QComboBox* DeviceBox() const { return m_ui.deviceBox; }
    // The devices the device box lists; "Open card image..." follows them.
    int DeviceCount() const { return int(m_boxItems.size()); }
    CControlList* RoutineList() const { return m_ui.routineList; }
    QLineEdit* StatusBox() const { return m_ui.statusBox; }
    QProgressBar* ProgressBar() const { return m_ui.progressBar; }
    QPushButton* RefreshButton() const { return m_ui.refreshButton; }
    CImageButton* AddButton() const { return m_ui.addButton; }
    CImageButton* RemoveButton() const { return m_ui.removeButton; }
    CImageButton* FormatButton() const { return m_ui.formatButton; }
    CImageButton* SchedulesButton() const { return m_ui.schedulesButton; }
    CImageButton* FirmwareButton() const { return m_ui.firmwareButton; }
    CImageButton* ExitButton() const { return m_ui.exitButton; }
    // The routine list's menu, keys and drag.
    CRoutineListEditing* RoutineEditing() const { return m_editing; }
    // The identity of the current device; empty when there is none.
    DeviceId CurrentDevice() const;

signals:
    // A command's end has been handled and the controls are back.
    void workFinished();
    // The routine list shows the card it was last asked to read.
    void routinesListed();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    static constexpr const char* kCardImageFilter =
        QT_TRANSLATE_NOOP("CManagerDialog", "Card images (*.img *.bin);;All Files (*)");
    static constexpr const char* kOpenImageText = QT_TRANSLATE_NOOP("CManagerDialog", "Open card image...");
    // What a command's job leaves the window to do.
    struct CommandEnd {
        bool cardUntouched = false;  // else (a failure too) the routine list is read again
        std::string told;            // told once the command has ended
        std::optional<EditedCard> edited;  // the card an edit left, shown as it is
        static CommandEnd Untouched(std::string told = {}) { return {true, std::move(told), {}}; }
    };

    void ConnectCommands();
    void ShowAbout();
    void AddCardMenuItems(QMenu& menu);
    void FillDeviceBox(const DeviceBoxContents& box);
    void OnDeviceChosen(int index);
    void OpenImageFromDialog();
    void ListDevices();
    void AnnounceNewBootloaders(const std::vector<DeviceId>& bootloaders);
    void ApplyRoutines(const std::vector<TrackEntry>& tracks);
    // The commands as the current device allows them; all off while a command runs.
    void UpdateCommands();
    void OnBusyChanged(bool busy, bool cancellable);
    // Lists, refuses, asks about or (dropped routines) collects one judged file; true when listed.
    bool ActOnJudgement(const QString& path, const CardImageJudgement& judged, ImageOrigin origin, QStringList& routines);
    // An image named on the command line.
    void ListStartImage(const QString& path);
    void RememberImage(const QString& path, const FileIdentity& judged);
    void RefuseFile(const QString& text);
    void AddRoutineFiles(const DeviceId& device, const std::vector<std::string>& paths);
    // The Open dialog, or the Save dialog; empty when cancelled.
    QString ChooseFile(const QString& caption, const QString& filter, bool save = false);

    void OnAddRoutine();
    void OnRemoveLast();
    void OnFormat();
    void OnEditSchedules();
    void OnLoadFirmware();
    void OnExitOrCancel();
    // Starts a command on its device; the routine list is read again after it unless it says not.
    // after gets the command's end on the window's thread, before its boxes.
    void StartCommand(Command command, CCommandRunner::Work<CommandEnd> work,
                      std::function<void(const CommandEnd&)> after = {});
    void StartRoutineEdit(const RoutineEdit& edit);
    static CommandEnd RunRoutineEdit(const JobContext& context, const RoutineEdit& edit);

    ManagerDialogUi m_ui;
    std::unique_ptr<CWidgetProgress> m_progress;
    CDeviceMonitor* m_monitor = nullptr;
    CRoutineListEditing* m_editing = nullptr;

    std::vector<DeviceId> m_images;  // each the file judged at its name
    std::vector<DeviceBoxItem> m_boxItems;
    int m_deviceIndex = -1;  // the device box's entry before "Open card image..." was chosen
    DeviceId m_selectNext;  // the identity to select at the next refresh, when not the current one
    FileChooser m_chooseFile;
    FileChooser m_chooseSaveFile;
    std::vector<DeviceId> m_bootloaders;  // those already announced
    std::unique_ptr<CQtUserPrompt> m_ownPrompt;
    CQtUserPrompt* m_prompt = nullptr;
    unsigned m_listingSerial = 0;  // only the newest listing is shown
    unsigned m_devicesSerial = 0;
    std::unique_ptr<CCommandRunner> m_runner;
};
