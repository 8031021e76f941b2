// The main window's commands: each chooses its file on the window's thread where it has one, then
// runs its job through the command runner, and reads the card again unless the job left it alone.
#include <QPushButton>

#include "gui/GuiThread.h"
#include "gui/ManagerDialog.h"
#include "gui/QtUserPrompt.h"
#include "gui/SchedulerDialog.h"
#include "gui/Translations.h"
#include "operations/AddRoutines.h"
#include "operations/CardCopyJobs.h"
#include "operations/CardJobs.h"
#include "operations/DeviceJobs.h"
#include "operations/ExportJob.h"

namespace {
constexpr const char* kRoutineFilter = QT_TRANSLATE_NOOP("CManagerDialog", "VELK v3.0 (*.velk);;All Files (*)");
constexpr const char* kFirmwareFilter = QT_TRANSLATE_NOOP("CManagerDialog", "VELK Image Files (*.img);;All Files (*)");
}  // namespace

void CManagerDialog::OnAddRoutine() {
    if (IsBusy() || CurrentDevice().Empty()) return;
    const QString file = ChooseFile(tr("Add routine"), tr(kRoutineFilter));
    if (!file.isEmpty()) AddRoutineFiles({file.toStdString()});
}

void CManagerDialog::AddRoutineFiles(const std::vector<std::string>& paths) {
    StartCommand(Kind::Cancellable, [paths](const JobContext& context) {
        job::AddRoutines(context, paths);
        return CommandEnd{};
    });
}

void CManagerDialog::OnRemoveLast() {
    // Answered No, the device was not even opened: nothing to read again. Cancel reaches a wait for
    // udisks2 and polkit while the card reader is opened.
    StartCommand(Kind::Cancellable, [](const JobContext& context) {
        return job::RemoveLast(context) ? CommandEnd{} : CommandEnd::Untouched();
    });
}

void CManagerDialog::OnFormat() {
    StartCommand(Kind::Cancellable, [](const JobContext& context) {  // as Remove last
        job::Format(context);
        return CommandEnd{};
    });
}

void CManagerDialog::OnEditSchedules() {
    StartCommand(Kind::Writing, [this](const JobContext& context) {
        job::EditSchedules(context, [this](const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks) {
            std::optional<std::vector<ScheduleEntry>> edited;
            RunOnGuiThread([&] {
                if (m_prompt->IsClosed()) return;  // the window is going: nothing is written
                CSchedulerDialog dialog(schedules, tracks, this);
                if (dialog.exec() == QDialog::Accepted) edited = dialog.GetScheduleList();
            });
            return edited;
        });
        return CommandEnd::Untouched();  // the routines stay as they are
    });
}

void CManagerDialog::OnLoadFirmware() {
    if (IsBusy()) return;
    QString path;
    m_runner->Hold([&] {
        m_prompt->ShowMessage(firmware_text::Warning(), firmware_text::kUpdateCaption, MessageIcon::Error);
        path = ChooseFile(tr("Load firmware"), tr(kFirmwareFilter));
    });
    if (path.isEmpty() || IsBusy()) return;
    Command command{{}, false, tr("The firmware is being written to the VELK. Cutting this off can damage it.\n\n"
                                  "VELK3 Manager will close as soon as the update has ended.")};
    m_runner->Start<FirmwareEnd>(
        std::move(command),
        [image = path.toStdString()](const JobContext& context) {
            return RunFirmwareUpdate([&] { return job::LoadFirmware(context, image); });
        },
        [this](FirmwareEnd end) {
            for (const FirmwareMessage& message : end.messages) m_runner->Tell(message.text, message.caption, message.icon);
        });
}

void CManagerDialog::OnBackUp() {
    if (IsBusy() || CurrentDevice().Empty()) return;
    const QString file = ChooseFile(tr("Back up card"), tr(kCardImageFilter), true);
    if (file.isEmpty()) return;
    StartCommand(Kind::Cancellable, [path = file.toStdString()](const JobContext& context) {
        const CopySummary copied = job::Backup(context, path);
        return CommandEnd::Untouched(CopySummaryText(CoreText(copy_text::kBackedUp).toStdString(), path, copied));
    });
}

void CManagerDialog::OnRestore() {
    if (IsBusy() || CurrentDevice().Empty()) return;
    const QString file = ChooseFile(tr("Restore card"), tr(kCardImageFilter));
    if (file.isEmpty()) return;
    StartCommand(Kind::Cancellable, [path = file.toStdString()](const JobContext& context) {
        const std::optional<CopySummary> copied = job::Restore(context, path);
        if (!copied) return CommandEnd::Untouched();
        return CommandEnd{false, CopySummaryText(CoreText(copy_text::kRestored).toStdString(), path, *copied), {}};
    });
}

void CManagerDialog::StartRoutineEdit(const RoutineEdit& edit) {
    StartCommand(Kind::Cancellable, edit.device, [edit](const JobContext& context) { return RunRoutineEdit(context, edit); },
                 [this](const CommandEnd& end) {
                     if (end.edited) {
                         ++m_listingSerial;  // a listing on its way would show the card as it was
                         ApplyRoutines(end.edited->card.tracks);
                     }
                     m_editing->EditEnded(end.edited ? &end.edited->placeOf : nullptr);
                 });
}

CManagerDialog::CommandEnd CManagerDialog::RunRoutineEdit(const JobContext& context, const RoutineEdit& edit) {
    std::optional<EditedCard> edited;
    switch (edit.kind) {
        case RoutineEdit::Kind::Remove: edited = job::RemoveRoutine(context, edit.track); break;
        case RoutineEdit::Kind::Move: edited = job::MoveRoutine(context, edit.track, edit.to); break;
        case RoutineEdit::Kind::Rename: edited = job::RenameRoutine(context, edit.track, edit.text); break;
        case RoutineEdit::Kind::Replace: edited = job::ReplaceRoutine(context, edit.track, edit.text); break;
        case RoutineEdit::Kind::Export: {
            const std::optional<RoutineHeader> saved = job::ExportRoutine(context, edit.track, edit.text);
            if (!saved) return CommandEnd::Untouched();
            return CommandEnd::Untouched(tr("Routine %1 \"%2\" was saved as %3.")
                                             .arg(edit.track)
                                             .arg(QString::fromStdString(saved->Title()), QString::fromStdString(edit.text))
                                             .toStdString());
        }
    }
    CommandEnd end = CommandEnd::Untouched();  // the list is made from the edited card, not read again
    end.edited = std::move(edited);
    return end;
}

void CManagerDialog::StartCommand(Kind kind, CCommandRunner::Work<CommandEnd> work) {
    StartCommand(kind, CurrentDevice(), std::move(work));
}

void CManagerDialog::StartCommand(Kind kind, DeviceId device, CCommandRunner::Work<CommandEnd> work,
                                  std::function<void(const CommandEnd&)> after) {
    if (IsBusy() || device.Empty()) return;
    Command command{std::move(device), kind == Kind::Cancellable, {}};
    command.closing = command.cancellable
                          ? tr("The card is being written.\n\nCancel now (the card keeps what it held before), or "
                               "close VELK3 Manager when the work has ended?")
                          : tr("The card is being written. Cutting this off could damage what it holds.\n\n"
                               "VELK3 Manager will close as soon as the work has ended.");
    m_runner->Start<CommandEnd>(std::move(command), std::move(work), [this, after = std::move(after)](CommandEnd end) {
        if (!end.cardUntouched) RefreshRoutineList();
        if (after) after(end);
        // Told once the job has ended, so the window is no longer busy while the box is open.
        if (!end.told.empty() && !m_runner->ClosingWhenDone())
            m_runner->Tell(end.told, kApplicationName, MessageIcon::Information);
    });
}
