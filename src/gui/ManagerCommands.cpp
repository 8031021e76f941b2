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
constexpr const char* kFirmwareFilter = QT_TRANSLATE_NOOP("CManagerDialog", "VELK Image Files (*.img);;All Files (*)");
}  // namespace

void CManagerDialog::OnAddRoutine() {
    const DeviceId device = CurrentDevice();  // the dialog may outlast it as the current one
    if (IsBusy() || device.Empty()) return;
    const QString file = ChooseFile(tr("Add routine"), tr(kRoutineFilter));
    if (!file.isEmpty()) AddRoutineFiles(device, {file.toStdString()});
}

void CManagerDialog::AddRoutineFiles(const DeviceId& device, const std::vector<std::string>& paths) {
    Command command{device, true,
                    tr("Routines are being added to the card.\n\nCancel now (the routine being added is left off the "
                       "card, any added before it stay), or close VELK3 Manager when the work has ended?")};
    StartCommand(std::move(command), [paths](const JobContext& context) {
        job::AddRoutines(context, paths);
        return CommandEnd{};
    });
}

void CManagerDialog::OnRemoveLast() {
    // Answered No, the device was not even opened: nothing to read again. Cancel reaches a wait for
    // udisks2 and polkit while the card reader is opened; the removal itself is not given up.
    Command command{CurrentDevice(), true,
                    tr("The last routine is being removed from the card.\n\nCancel now (once the removal has "
                       "begun it is finished first), or close VELK3 Manager when the work has ended?")};
    StartCommand(std::move(command), [](const JobContext& context) {
        return job::RemoveLast(context) ? CommandEnd{} : CommandEnd::Untouched();
    });
}

void CManagerDialog::OnFormat() {
    Command command{CurrentDevice(), true,  // as Remove last
                    tr("The card is being formatted.\n\nCancel now (once formatting has begun it is finished "
                       "first), or close VELK3 Manager when the work has ended?")};
    StartCommand(std::move(command), [](const JobContext& context) {
        job::Format(context);
        return CommandEnd{};
    });
}

void CManagerDialog::OnEditSchedules() {
    Command command{CurrentDevice(), false,
                    tr("The card's schedules are being edited and written. Cutting this off could damage what the "
                       "card holds.\n\nVELK3 Manager will close as soon as the work has ended.")};
    StartCommand(std::move(command), [this](const JobContext& context) {
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
    const DeviceId device = CurrentDevice();
    if (IsBusy() || device.Empty()) return;
    const QString file = ChooseFile(tr("Back up card"), tr(kCardImageFilter), true);
    if (file.isEmpty()) return;
    Command command{device, true,
                    tr("The card is being backed up to an image file.\n\nCancel now (no backup is written; the card "
                       "stays as it is), or close VELK3 Manager when the backup has ended?")};
    StartCommand(std::move(command), [path = file.toStdString()](const JobContext& context) {
        const CopySummary copied = job::Backup(context, path);
        return CommandEnd::Untouched(CopySummaryText(CoreText(copy_text::kBackedUp).toStdString(), path, copied));
    });
}

void CManagerDialog::OnRestore() {
    const DeviceId device = CurrentDevice();
    if (IsBusy() || device.Empty()) return;
    const QString file = ChooseFile(tr("Restore card"), tr(kCardImageFilter));
    if (file.isEmpty()) return;
    Command command{device, true,
                    tr("The card is being restored from an image.\n\nCancel now (the card is then left without a "
                       "VELK disk: restore it again or format it), or close VELK3 Manager when the restore has ended?")};
    StartCommand(std::move(command), [path = file.toStdString()](const JobContext& context) {
        const std::optional<CopySummary> copied = job::Restore(context, path);
        if (!copied) return CommandEnd::Untouched();
        return CommandEnd{false, CopySummaryText(CoreText(copy_text::kRestored).toStdString(), path, *copied), {}};
    });
}

void CManagerDialog::StartRoutineEdit(const RoutineEdit& edit) {
    const bool saving = edit.kind == RoutineEdit::Kind::Export;
    Command command{edit.device, true,
                    saving ? tr("A routine is being saved as a file.\n\nCancel now (no routine file is written; the "
                                "card is not changed), or close VELK3 Manager when the work has ended?")
                           : tr("The card's routines are being rearranged.\n\nCancel now (until the new order is in "
                                "place the card keeps its routines as they were; after that the work ends first), or "
                                "close VELK3 Manager when the work has ended?")};
    StartCommand(std::move(command), [edit](const JobContext& context) { return RunRoutineEdit(context, edit); },
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

void CManagerDialog::StartCommand(Command command, CCommandRunner::Work<CommandEnd> work,
                                  std::function<void(const CommandEnd&)> after) {
    if (IsBusy() || command.device.Empty()) return;
    m_runner->Start<CommandEnd>(std::move(command), std::move(work), [this, after = std::move(after)](CommandEnd end) {
        if (!end.cardUntouched) RefreshRoutineList();
        if (after) after(end);
        // Told once the job has ended, so the window is no longer busy while the box is open.
        if (!end.told.empty() && !m_runner->ClosingWhenDone())
            m_runner->Tell(end.told, kApplicationName, MessageIcon::Information);
    });
}
