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

}  // namespace

namespace job {

JobOutcome AddRoutines(const JobContext& context, const std::vector<std::string>& files,
                       std::vector<AddedRoutine>& added) {
    CJobControl control = context.Control();
    return WithCard(context, control, DeviceAccess::ReadWrite, [&](COpenedDevice&, CVelkDisk& disk) {
        const bool wasVelkDisk = disk.IsVelkDisk();
        if (!wasVelkDisk && !control.Confirm(question_text::kFormatForeign)) return JobOutcome::Declined;
        const CSleepLock awake = context.KeepAwake(JobPhase::WritingAudio);
        const size_t before = added.size();
        try {
            for (const std::string& file : files) {
                control.ThrowIfStopped();
                disk.ImportRoutineFile(file, true);
                added.push_back({file, disk.GetTracks().size() - 1});
            }
        } catch (const CJobStopped&) {
            throw CJobStopped(StoppedText(wasVelkDisk, disk.IsVelkDisk(), added.size() - before));
        }
        return JobOutcome::Done;
    });
}

}  // namespace job
