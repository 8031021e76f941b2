// The main window's commands: each chooses its file on the window's thread where it has one, then
// runs its job on the worker with the controls disabled, and refreshes what the job changed.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "controls/ControlList.h"
#include "controls/ImageButton.h"
#include "gui/DeviceWorker.h"
#include "gui/GuiThread.h"
#include "gui/ManagerDialog.h"
#include "gui/QtUserPrompt.h"
#include "gui/SchedulerDialog.h"
#include "gui/Translations.h"
#include "gui/WidgetProgress.h"
#include "operations/AddRoutines.h"
#include "operations/CardCopyJobs.h"
#include "operations/CardJobs.h"
#include "operations/DeviceJobs.h"
#include "platform/TextFormat.h"

namespace {
constexpr const char* kRoutineFilter = QT_TRANSLATE_NOOP("CManagerDialog", "VELK v3.0 (*.velk);;All Files (*)");
constexpr const char* kFirmwareFilter = QT_TRANSLATE_NOOP("CManagerDialog", "VELK Image Files (*.img);;All Files (*)");
constexpr const char* kCancelText = QT_TRANSLATE_NOOP("CManagerDialog", "Cancel");
constexpr const char* kExitText = QT_TRANSLATE_NOOP("CManagerDialog", "Exit");
}  // namespace

void CManagerDialog::OnAddRoutine() {
    if (m_bBusy) return;
    const DeviceId device = CurrentDevice();
    const QString file = ChooseFile(tr("Add routine"), tr(kRoutineFilter));
    if (file.isEmpty() || device.Empty()) return;
    AddRoutineFiles({file.toStdString()});
}

void CManagerDialog::AddRoutineFiles(const std::vector<std::string>& paths) {
    if (m_bBusy || CurrentDevice().Empty()) return;
    StartCommand(Work::Cancellable, [paths](const JobContext& context) {
        job::AddRoutines(context, paths);
        return true;
    });
}

void CManagerDialog::OnRemoveLast() {
    if (m_bBusy || CurrentDevice().Empty()) return;
    // Answered No, the device was not even opened: nothing to read again.
    StartCommand(Work::Command, [](const JobContext& context) { return job::RemoveLast(context).has_value(); });
}

void CManagerDialog::OnFormat() {
    if (m_bBusy || CurrentDevice().Empty()) return;
    StartCommand(Work::Command, [](const JobContext& context) {
        job::Format(context);
        return true;
    });
}

void CManagerDialog::OnEditSchedules() {
    if (m_bBusy || CurrentDevice().Empty()) return;
    StartCommand(Work::Command, [this](const JobContext& context) {
        job::EditSchedules(context, [this](const std::vector<ScheduleEntry>& schedules, size_t tracks) {
            return EditOnWindowThread(schedules, tracks);
        });
        return false;  // the routines stay as they are
    });
}

std::optional<std::vector<ScheduleEntry>> CManagerDialog::EditOnWindowThread(
    const std::vector<ScheduleEntry>& schedules, size_t tracks) {
    std::optional<std::vector<ScheduleEntry>> edited;
    RunOnGuiThread([&] {
        if (m_prompt->IsClosed()) return;  // the window is going: nothing is written
        CSchedulerDialog dialog(schedules, int(tracks), this);
        if (dialog.exec() == QDialog::Accepted) edited = dialog.GetScheduleList();
    });
    return edited;
}

void CManagerDialog::OnLoadFirmware() {
    if (m_bBusy) return;
    m_prompt->ShowMessage(firmware_text::Warning(), firmware_text::kUpdateCaption, MessageIcon::Error);
    const QString path = ChooseFile(tr("Load firmware"), tr(kFirmwareFilter));
    if (path.isEmpty()) return;
    m_statusBeforeWork = m_statusBox->text();
    auto end = std::make_shared<FirmwareEnd>();
    StartCommand(Work::Firmware, [image = path.toStdString(), end](const JobContext& context) {
        *end = RunFirmwareUpdate([&] { return job::LoadFirmware(context, image); });
        return false;  // no card was touched
    }, [this, end] {
        m_progress->SetText(m_statusBeforeWork);
        for (const FirmwareMessage& message : end->messages) m_prompt->ShowMessage(message.text, message.caption, message.icon);
    });
}

void CManagerDialog::OnBackUp() {
    if (m_bBusy || CurrentDevice().Empty()) return;
    const QString file = m_chooseSaveFile ? m_chooseSaveFile(tr("Back up card"), tr(kCardImageFilter)) : QString();
    if (file.isEmpty()) return;
    auto done = std::make_shared<QString>();
    StartCommand(
        Work::Cancellable,
        [path = file.toStdString(), done](const JobContext& context) {
            *done = QString::fromStdString(
                CopySummaryText(CoreText(copy_text::kBackedUp).toStdString(), path, job::Backup(context, path)));
            return false;  // the card is as it was
        },
        [this, done] { ReportDone(*done); });
}

void CManagerDialog::OnRestore() {
    if (m_bBusy || CurrentDevice().Empty()) return;
    const QString file = ChooseFile(tr("Restore card"), tr(kCardImageFilter));
    if (file.isEmpty()) return;
    auto done = std::make_shared<QString>();
    StartCommand(
        Work::Cancellable,
        [path = file.toStdString(), done](const JobContext& context) {
            const std::optional<CopySummary> copied = job::Restore(context, path);
            if (!copied) return false;
            *done = QString::fromStdString(CopySummaryText(CoreText(copy_text::kRestored).toStdString(), path, *copied));
            return true;
        },
        [this, done] { ReportDone(*done); });
}

// Told once the job has ended, so the window is no longer busy while the box is open.
void CManagerDialog::ReportDone(const QString& text) {
    if (text.isEmpty() || m_closeWhenDone) return;
    m_prompt->ShowMessage(text.toStdString(), kApplicationName, MessageIcon::Information);
}

void CManagerDialog::StartCommand(Work work, std::function<bool(const JobContext&)> body,
                                  std::function<void()> after) {
    m_bBusy = true;
    m_work = work;
    SetWorkControlsEnabled(false);
    ShowCancel(work == Work::Cancellable);
    // Over the window only: a box the job opens shows the normal pointer.
    setCursor(Qt::WaitCursor);
    const DeviceId device = CurrentDevice();
    auto refresh = std::make_shared<bool>(work != Work::Firmware);  // a failure may have changed the card
    m_commandStop = m_worker->Post([this, device, refresh, body = std::move(body)](std::stop_token stop) {
        RunTold([&] { *refresh = body(ContextFor(device, stop)); });
    }, [this, refresh, after = std::move(after)] { OnCommandFinished(*refresh, after); });
}

void CManagerDialog::OnCommandFinished(bool refresh, std::function<void()> after) {
    m_bBusy = false;
    m_work = Work::None;
    unsetCursor();
    ShowCancel(false);
    SetWorkControlsEnabled(true);
    m_progress->ResetBar();
    if (refresh) RefreshRoutineList();
    if (after) after();
    if (m_refreshWhenIdle) RefreshDevices();
    emit workFinished();
    if (m_closeWhenDone) {
        if (m_closingNote) m_closingNote->close();
        done(QDialog::Rejected);
    }
}

void CManagerDialog::SetWorkControlsEnabled(bool enabled) {
    if (enabled && !CurrentDevice().Empty())
        EnableCommands();
    else
        DisableCommands();
    for (QWidget* control : {static_cast<QWidget*>(m_firmwareButton), static_cast<QWidget*>(m_deviceBox),
                             static_cast<QWidget*>(m_refreshButton), static_cast<QWidget*>(m_exitButton)})
        control->setEnabled(enabled);
}

void CManagerDialog::ShowCancel(bool cancellable) {
    const QString text = cancellable ? tr(kCancelText) : tr(kExitText);
    m_exitButton->setText(text);
    m_exitButton->setAccessibleName(text);
    if (cancellable) m_exitButton->setEnabled(true);
}
