#include "operations/AddRoutines.h"

#include "operations/CardSession.h"
#include "platform/TextFormat.h"

namespace {

// What a stopped import leaves: the routines added before, on the card it found or on the empty
// VELK disk the user agreed to make of it.
std::string StoppedText(bool wasVelkDisk, bool isVelkDisk, size_t added) {
    if (added > 0)
        return StringPrintf("Cancelled: the card holds the %zu routine%s added before the stop.", added,
                            added == 1 ? "" : "s");
    return !wasVelkDisk && isVelkDisk ? stop_text::kNowEmpty : stop_text::kUnchanged;
}

std::string AddedBeforeTheFailure(const std::vector<AddedRoutine>& added) {
    std::string text = "\n\nAdded before the failure:";
    for (const AddedRoutine& routine : added) text += StringPrintf("\n  %s as track %zu", routine.file.c_str(), routine.track);
    return text;
}

// Rethrows the failure being handled, of the same kind, its message followed by note.
[[noreturn]] void RethrowWithNote(const std::string& note) {
    try {
        throw;
    } catch (const CUsbDeviceException& e) {
        throw CUsbDeviceException(e.Message() + note);
    } catch (const CFileAccessException& e) {
        throw CFileAccessException(e.Message() + note);
    } catch (const CDriveAccessException& e) {
        throw CDriveAccessException(e.Message() + note);
    } catch (const CVelkException& e) {
        throw CVelkException(e.Message() + note);
    }
}

}  // namespace

namespace job {

std::optional<std::vector<AddedRoutine>> AddRoutines(const JobContext& context, const std::vector<std::string>& files) {
    return WithCard(context, DeviceAccess::ReadWrite, [&](COpenedDevice&, CVelkDisk& disk) {
        const bool wasVelkDisk = disk.IsVelkDisk();
        std::vector<AddedRoutine> added;
        if (!wasVelkDisk && !context.Confirm(question_text::kFormatForeign)) return std::optional<decltype(added)>();
        const CSleepLock awake = context.KeepAwake(JobPhase::WritingAudio);
        try {
            for (const std::string& file : files) {
                context.ThrowIfStopped();
                disk.ImportRoutineFile(file, true);
                added.push_back({file, disk.GetTracks().size() - 1});
            }
        } catch (const CJobStopped&) {
            throw CJobStopped(StoppedText(wasVelkDisk, disk.IsVelkDisk(), added.size()));
        } catch (const CVelkException&) {
            if (added.empty()) throw;
            RethrowWithNote(AddedBeforeTheFailure(added));
        }
        return std::optional(std::move(added));
    });
}

}  // namespace job
