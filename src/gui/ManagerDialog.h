#pragma once
// The main window: the current device (card readers, then units, then card images), the routines
// on its card, and the commands. Every device access is a job on the window's one worker: the
// window's thread never opens a device and never waits on USB or D-Bus, so it answers while a slow
// unit is formatted, and it is shown before the first listing has ended. While a command runs the
// commands, the device box, Refresh and Load firmware are disabled; Add routine, backup and restore
// turn Exit into Cancel. Device notifications meanwhile are answered with one refresh when the
// command has ended; closing the window then asks to cancel, or waits for work that cannot stop.
// The device box ends in "Open card image...", so an image can be found without a context menu.
#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devices/DeviceId.h"
#include "disk/CardImageJudge.h"
#include "disk/ScheduleEntry.h"
#include "disk/TrackEntry.h"
#include "gui/DeviceBox.h"
#include "gui/DeviceMonitor.h"
#include "operations/JobContext.h"
#include "platform/SystemPaths.h"

class CControlList;
class CDeviceWorker;
class CImageButton;
class CQtUserPrompt;
class CWidgetProgress;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMessageBox;
class QProgressBar;
class QPushButton;

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
    void EnableCommands();
    void DisableCommands();
    // Files chosen as card images (in the Open dialog) or dropped onto the window: each is judged
    // on the worker first. A card, a blank image, and after a question any other file of whole
    // sectors, is listed and becomes the current device; a dropped routine file is added to the
    // current card as Add routine would add it; anything else is refused with a message.
    enum class ImageOrigin { Chosen, Dropped };
    void OpenCardImages(const QStringList& paths, ImageOrigin origin);

    void OnAddRoutine();
    void OnRemoveLast();
    void OnFormat();
    void OnEditSchedules();
    void OnLoadFirmware();
    void OnBackUp();
    void OnRestore();
    void ReportDone(const QString& text);
    void ShowAbout();
    // Closes the window as a signal to the process asks: work that can be cancelled is, other work
    // is waited for; nothing is asked.
    void CloseSoon();

    bool IsBusy() const { return m_bBusy; }
    // Nothing queued or running on the worker, and every result shown.
    bool IsIdle() const;
    QComboBox* DeviceBox() const { return m_deviceBox; }
    // The devices the device box lists; "Open card image..." follows them.
    int DeviceCount() const { return int(m_boxItems.size()); }
    CControlList* RoutineList() const { return m_routineList; }
    QLineEdit* StatusBox() const { return m_statusBox; }
    QProgressBar* ProgressBar() const { return m_progressBar; }
    QPushButton* RefreshButton() const { return m_refreshButton; }
    CImageButton* AddButton() const { return m_addButton; }
    CImageButton* RemoveButton() const { return m_removeButton; }
    CImageButton* FormatButton() const { return m_formatButton; }
    CImageButton* SchedulesButton() const { return m_schedulesButton; }
    CImageButton* FirmwareButton() const { return m_firmwareButton; }
    CImageButton* ExitButton() const { return m_exitButton; }
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
    // What runs; Add routine, backup and restore can be cancelled.
    enum class Work { None, Cancellable, Command, Firmware };

    void BuildControls();
    void BuildLayout();
    void SetTabOrder();
    void ConnectCommands();
    void StartMonitor(std::unique_ptr<IDeviceEventSource> events);
    void OpenImageFromDialog();
    void AddCardMenuItems(QMenu& menu);
    void AnnounceNewBootloaders(const std::vector<DeviceId>& bootloaders);
    void FillDeviceBox(const DeviceBoxContents& box);
    void OnDeviceChosen(int index);
    bool IsOpenImageEntry(int index) const;
    bool ListImage(const QString& path);
    void RememberImage(const QString& path, const FileIdentity& judged);
    // Each judged file listed, refused or, dropped routines, added; true when one was listed.
    void ActOnJudgements(const QStringList& paths, const std::vector<CardImageJudgement>& judged, ImageOrigin origin);
    bool AskToListForeign(const QString& path);
    void RefuseFile(const QString& text);
    void AddDroppedRoutines(const QStringList& routines);
    void AddRoutineFiles(const std::vector<std::string>& paths);
    QString ChooseFile(const QString& caption, const QString& filter);

    JobContext ContextFor(const DeviceId& device, std::stop_token stop) const;
    // Worker: runs a job's body and tells its failure in the application's box; false when it failed.
    bool RunTold(const std::function<void()>& body) const;
    // Runs body on the worker as a command: busy controls, its failure told in the application's
    // box, then the routine list read again unless body said the card was left alone (false).
    void StartCommand(Work work, std::function<bool(const JobContext&)> body, std::function<void()> after = {});
    void OnCommandFinished(bool refresh, std::function<void()> after);
    void ApplyDeviceList(const DeviceBoxContents& box, const std::vector<DeviceId>& bootloaders);
    void ApplyRoutines(const std::vector<TrackEntry>& tracks);
    void SetWorkControlsEnabled(bool enabled);
    void ShowCancel(bool cancellable);
    void OnExitOrCancel();
    void AskToCloseWhenDone();
    void AskToCancelOrWait();
    void NoteClosingWhenDone();
    std::optional<std::vector<ScheduleEntry>> EditOnWindowThread(const std::vector<ScheduleEntry>& schedules,
                                                                 const std::vector<TrackEntry>& tracks);

    QLabel* m_deviceLabel = nullptr;
    QComboBox* m_deviceBox = nullptr;
    QPushButton* m_refreshButton = nullptr;
    CControlList* m_routineList = nullptr;
    QLineEdit* m_statusBox = nullptr;
    QProgressBar* m_progressBar = nullptr;
    CImageButton* m_addButton = nullptr;
    CImageButton* m_removeButton = nullptr;
    CImageButton* m_formatButton = nullptr;
    CImageButton* m_schedulesButton = nullptr;
    CImageButton* m_firmwareButton = nullptr;
    CImageButton* m_exitButton = nullptr;
    std::unique_ptr<CWidgetProgress> m_progress;
    CDeviceMonitor* m_monitor = nullptr;

    SystemPaths m_paths;
    std::vector<DeviceId> m_images;  // each the file judged at its name
    std::vector<DeviceBoxItem> m_boxItems;
    int m_deviceIndex = -1;  // the device box's entry before "Open card image..." was chosen
    DeviceId m_selectNext;  // the identity to select at the next refresh, when not the current one
    FileChooser m_chooseFile;
    FileChooser m_chooseSaveFile;
    std::vector<DeviceId> m_bootloaders;  // those already announced
    std::unique_ptr<CQtUserPrompt> m_ownPrompt;
    CQtUserPrompt* m_prompt = nullptr;

    bool m_bBusy = false;
    Work m_work = Work::None;
    std::stop_source m_commandStop;  // the running command's
    bool m_refreshWhenIdle = false;
    bool m_closeWhenDone = false;
    unsigned m_listingSerial = 0;  // only the newest listing is shown
    unsigned m_devicesSerial = 0;
    QPointer<QMessageBox> m_closingNote;
    QString m_statusBeforeWork;
    // Destroyed first: its jobs refer to everything above.
    std::unique_ptr<CDeviceWorker> m_worker;
};
