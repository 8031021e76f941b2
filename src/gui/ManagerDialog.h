#pragma once
// The main window: the current device (card readers, then units, then card images), the routines
// on its card, and the commands. Every command opens the current device afresh and releases it
// before it ends; no device stays open in between. Add routine and the firmware update run on a
// worker while the window keeps repainting with its controls disabled; device notifications that
// arrive meanwhile are answered with one refresh when the work has ended, and closing the window
// then waits for the work instead of cutting a write.
#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/CardCommands.h"
#include "gui/DeviceBox.h"
#include "gui/DeviceMonitor.h"
#include "platform/SystemPaths.h"

class CControlList;
class CImageButton;
class CQtUserPrompt;
class CWidgetProgress;
class QComboBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QProgressBar;
class QPushButton;
class QThread;

struct ManagerOptions {
    std::vector<std::string> images;  // card images listed after the units
    bool showSchedules = false;       // the Edit schedules button is hidden unless asked for
    SystemPaths paths;
    std::unique_ptr<IDeviceEventSource> deviceEvents;  // none: no notifications
    CQtUserPrompt* prompt = nullptr;  // when given, its boxes are owned by the window from the start
};

class CManagerDialog : public QDialog {
    Q_OBJECT
public:
    explicit CManagerDialog(ManagerOptions options, QWidget* parent = nullptr);
    ~CManagerDialog() override;

    // The Open dialogs of Add routine and Load firmware: the chosen path, empty when cancelled.
    using FileChooser = std::function<QString(const QString& caption, const QString& filter)>;
    void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    void RefreshDevices();
    void RefreshRoutineList();
    void EnableCommands();
    void DisableCommands();
    // Lists a card image (once) and makes it the current device; false when it is no image file.
    bool AddImage(const QString& path);

    void OnAddRoutine();
    void OnRemoveLast();
    void OnFormat();
    void OnEditSchedules();
    void OnLoadFirmware();
    void ShowAbout();

    bool IsBusy() const { return m_bBusy; }
    QComboBox* DeviceBox() const { return m_deviceBox; }
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

signals:
    // A worker's end has been handled and the controls are back.
    void workFinished();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    enum class Work { None, AddRoutine, Firmware };

    void BuildControls();
    void BuildLayout();
    void SetTabOrder();
    void ConnectCommands();
    void StartMonitor(std::unique_ptr<IDeviceEventSource> events);
    void OnDevicesChanged();
    void OpenImageFromDialog();
    bool ListImage(const QString& path);
    CardTarget CurrentTarget() const;
    QString ChooseFile(const QString& caption, const QString& filter);

    // Marks a command (or a refresh) in progress on the window's thread: its boxes turn the event
    // loop, and a device notification meanwhile must not rebuild the box under it. The refresh is
    // made when the outermost command has ended.
    class CCommandScope {
    public:
        explicit CCommandScope(CManagerDialog& window);
        ~CCommandScope();

    private:
        CManagerDialog& m_window;
    };

    void StartWorker(Work work, std::function<void()> body);
    void SetWorkControlsEnabled(bool enabled);
    void OnWorkerFinished();
    void AskToCloseWhenDone();

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
    std::vector<std::string> m_images;
    std::vector<DeviceBoxItem> m_boxItems;
    std::string m_selectNext;  // the text to select at the next refresh, when not the current one
    FileChooser m_chooseFile;

    bool m_bBusy = false;
    Work m_work = Work::None;
    QThread* m_worker = nullptr;
    bool m_refreshWhenIdle = false;
    int m_commandDepth = 0;
    bool m_closeWhenDone = false;
    QPointer<QMessageBox> m_closingNote;
    QString m_statusBeforeWork;
};
