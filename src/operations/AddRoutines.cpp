#include "operations/AddRoutines.h"

#include "operations/CardSession.h"
#include "platform/TextFormat.h"
#include "platform/Translatable.h"

namespace {

// What a stopped import leaves: the routines added before, on the card it found or on the empty
// VELK disk the user agreed to make of it.
MessageText StoppedText(bool wasVelkDisk, bool isVelkDisk, size_t added) {
    if (added == 1)
        return VELK3_TRANSLATE_NOOP("velk3core", "Cancelled: the card holds the 1 routine added before the stop.");
    if (added > 1)
        return Fill(
            VELK3_TRANSLATE_NOOP("velk3core", "Cancelled: the card holds the %1 routines added before the stop."),
            added);
    return !wasVelkDisk && isVelkDisk ? stop_text::kNowEmpty : stop_text::kUnchanged;
}

MessageText AddedBeforeTheFailure(const std::vector<AddedRoutine>& added) {
    MessageText text = VELK3_TRANSLATE_NOOP("velk3core", "\n\nAdded before the failure:");
    for (const AddedRoutine& routine : added)
        text += Fill(VELK3_TRANSLATE_NOOP("velk3core", "\n  %1 as track %2"), routine.file, routine.track);
    return text;
}

// The sentence on a card that could not be written: what the import leaves on it. Writes come
// before the header that makes them part of the card, so the card holds what it held before the
// routine being written.
struct ImportState {
    bool wasVelkDisk = false;
    bool isVelkDisk = false;
    std::vector<AddedRoutine> added;
};

MessageText NotWrittenText(const ImportState& state) {
    if (!state.added.empty())
        return VELK3_TRANSLATE_NOOP("velk3core",
                                    "A routine could not be written to the card. The card keeps the routines "
                                    "it had and the ones added before the failure.");
    if (state.wasVelkDisk)
        return VELK3_TRANSLATE_NOOP("velk3core",
                                    "The routine could not be written to the card. The card keeps the "
                                    "routines it had.");
    if (state.isVelkDisk)
        return VELK3_TRANSLATE_NOOP("velk3core",
                                    "The routine could not be written to the card. The card now holds an "
                                    "empty VELK disk.");
    return VELK3_TRANSLATE_NOOP("velk3core", "The routine could not be written to the card. The card is unchanged.");
}

// Rethrows the failure being handled, of the same kind, its message followed by note.
[[noreturn]] void RethrowWithNote(const MessageText& note) {
    try {
        throw;
    } catch (const CSectorTransferException& e) {
        throw CSectorTransferException(e.Text() + note);
    } catch (const CUsbDeviceException& e) {
        throw CUsbDeviceException(e.Text() + note);
    } catch (const CFileAccessException& e) {
        throw CFileAccessException(e.Text() + note);
    } catch (const CDriveAccessException& e) {
        throw CDriveAccessException(e.Text() + note);
    } catch (const CVelkException& e) {
        throw CVelkException(e.Text() + note);
    }
}

std::optional<std::vector<AddedRoutine>> ImportAll(const JobContext& context, const std::vector<std::string>& files,
                                                   CVelkDisk& disk, ImportState& state) {
    state.wasVelkDisk = state.isVelkDisk = disk.IsVelkDisk();
    if (!state.wasVelkDisk && !context.Confirm(question_text::kFormatForeign)) return std::nullopt;
    const CSleepLock awake = context.KeepAwake(JobPhase::WritingAudio);
    try {
        for (const std::string& file : files) {
            context.ThrowIfStopped();
            disk.ImportRoutineFile(file, true);
            state.isVelkDisk = disk.IsVelkDisk();
            state.added.push_back({file, disk.GetTracks().size() - 1});
        }
    } catch (const CJobStopped&) {
        throw CJobStopped(StoppedText(state.wasVelkDisk, disk.IsVelkDisk(), state.added.size()));
    } catch (const CVelkException&) {
        state.isVelkDisk = disk.IsVelkDisk();
        if (state.added.empty()) throw;
        RethrowWithNote(AddedBeforeTheFailure(state.added));
    }
    return state.added;
}

}  // namespace

namespace job {

std::optional<std::vector<AddedRoutine>> AddRoutines(const JobContext& context, const std::vector<std::string>& files) {
    ImportState state;
    return SayingWhatTheCardHolds(
        [&] { return NotWrittenText(state); },
        [&] {
            return WithCard(context, DeviceAccess::ReadWrite,
                            [&](COpenedDevice&, CVelkDisk& disk) { return ImportAll(context, files, disk, state); });
        });
}

}  // namespace job
