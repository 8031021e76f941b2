// The main window's commands. Add routine and the firmware update run on a worker thread; the
// others are short and run on the window's thread.
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include "controls/ControlList.h"
#include "controls/ImageButton.h"
#include "firmware/FirmwareUpdate.h"
#include "gui/GuiThread.h"
#include "gui/ManagerDialog.h"
#include "gui/SchedulerDialog.h"
#include "gui/WidgetProgress.h"
#include "platform/UserPrompt.h"

namespace {
constexpr const char* kRoutineFilter = QT_TRANSLATE_NOOP("CManagerDialog", "VELK v3.0 (*.velk);;All Files (*)");
constexpr const char* kImageFilter = QT_TRANSLATE_NOOP("CManagerDialog", "VELK Image Files (*.img);;All Files (*)");
}  // namespace

void CManagerDialog::OnAddRoutine() {
    if (m_bBusy) return;
    QString file;
    {
        const CCommandScope scope(*this);
        file = ChooseFile(tr("Add routine"), tr(kRoutineFilter));
    }
    if (file.isEmpty()) return;
    const CardTarget target = CurrentTarget();
    CWidgetProgress* progress = m_progress.get();
    StartWorker(Work::AddRoutine, [target, path = file.toStdString(), progress] {
        AddRoutine(target, path, progress, progress);
    });
}

void CManagerDialog::OnRemoveLast() {
    if (m_bBusy) return;
    const CCommandScope scope(*this);
    if (!AskConfirm(question_text::kRemoveLast)) return;
    if (RemoveLastRoutine(CurrentTarget(), m_progress.get())) RefreshRoutineList();
    EnableCommands();
}

void CManagerDialog::OnFormat() {
    if (m_bBusy) return;
    const CCommandScope scope(*this);
    if (FormatCard(CurrentTarget(), m_progress.get())) RefreshRoutineList();
}

void CManagerDialog::OnEditSchedules() {
    if (m_bBusy) return;
    const CCommandScope scope(*this);
    const int tracks = m_routineList->GetRowCount();
    EditSchedules(CurrentTarget(), m_progress.get(), [this, tracks](const std::vector<ScheduleEntry>& schedules) {
        CSchedulerDialog dialog(schedules, tracks, this);
        std::optional<std::vector<ScheduleEntry>> edited;
        if (dialog.exec() == QDialog::Accepted) edited = dialog.GetScheduleList();
        return edited;
    });
}

void CManagerDialog::OnLoadFirmware() {
    if (m_bBusy) return;
    m_statusBeforeWork = m_statusBox->text();
    CWidgetProgress* progress = m_progress.get();
    StartWorker(Work::Firmware, [this, progress] {
        FirmwareUpdateFaces faces;
        faces.chooseImage = [this]() -> std::optional<std::string> {
            QString path;
            RunOnGuiThread([&] { path = ChooseFile(tr("Load firmware"), tr(kImageFilter)); });
            if (path.isEmpty()) return std::nullopt;
            return path.toStdString();
        };
        faces.showBusy = [](bool busy) {
            RunOnGuiThread([busy] {
                if (busy)
                    QApplication::setOverrideCursor(Qt::WaitCursor);
                else
                    QApplication::restoreOverrideCursor();
            });
        };
        faces.status = progress;
        faces.progress = progress;
        RunFirmwareUpdate(faces);
    });
}

void CManagerDialog::StartWorker(Work work, std::function<void()> body) {
    m_bBusy = true;
    m_work = work;
    SetWorkControlsEnabled(false);
    if (work == Work::AddRoutine) QApplication::setOverrideCursor(Qt::WaitCursor);
    // Nothing may escape the worker: its end must arrive on every path.
    m_worker = QThread::create([body = std::move(body)] { RunReported(body); });
    connect(m_worker, &QThread::finished, this, &CManagerDialog::OnWorkerFinished, Qt::QueuedConnection);
    m_worker->start();
}

void CManagerDialog::SetWorkControlsEnabled(bool enabled) {
    if (enabled) {
        if (m_deviceBox->count() > 0)
            EnableCommands();
        else
            DisableCommands();
    } else {
        DisableCommands();
    }
    for (QWidget* control : {static_cast<QWidget*>(m_firmwareButton), static_cast<QWidget*>(m_deviceBox),
                             static_cast<QWidget*>(m_refreshButton), static_cast<QWidget*>(m_exitButton)})
        control->setEnabled(enabled);
}

void CManagerDialog::OnWorkerFinished() {
    m_worker->wait();
    m_worker->deleteLater();
    m_worker = nullptr;
    const Work work = m_work;
    m_bBusy = false;
    m_work = Work::None;
    if (work == Work::AddRoutine) {
        RefreshRoutineList();
        QApplication::restoreOverrideCursor();
    } else {
        m_progress->SetText(m_statusBeforeWork.toStdString());
    }
    SetWorkControlsEnabled(true);
    m_progress->ResetBar();
    if (m_refreshWhenIdle) RefreshDevices();
    emit workFinished();
    if (m_closeWhenDone) {
        if (m_closingNote) m_closingNote->close();
        done(QDialog::Rejected);
    }
}
