#include "operations/CardJobs.h"

#include "operations/CardSession.h"
#include "platform/Exceptions.h"
#include "platform/TextFormat.h"
#include "platform/Translatable.h"

namespace job {

CardListing ListCard(const JobContext& context) {
    CJobControl control = context.Control();
    return WithCard(context, control, DeviceAccess::Read,
                    [](COpenedDevice& opened, CVelkDisk& disk) { return ListingOf(opened, disk); });
}

JobOutcome Format(const JobContext& context) {
    CJobControl control = context.Control();
    return WithCard(context, control, DeviceAccess::ReadWrite, [&](COpenedDevice&, CVelkDisk& disk) {
        if (!control.Confirm(disk.IsVelkDisk() ? question_text::kFormat : question_text::kFormatForeign))
            return JobOutcome::Declined;
        const CSleepLock awake = context.KeepAwake(JobPhase::WritingCard);
        disk.Format();
        return JobOutcome::Done;
    });
}

JobOutcome RemoveLast(const JobContext& context, CardListing* after) {
    CJobControl control = context.Control();
    if (!control.Confirm(question_text::kRemoveLast)) return JobOutcome::Declined;
    return WithCard(context, control, DeviceAccess::ReadWrite, [&](COpenedDevice& opened, CVelkDisk& disk) {
        const CSleepLock awake = context.KeepAwake(JobPhase::WritingCard);
        disk.RemoveLastTrack();
        if (after) *after = ListingOf(opened, disk);
        return JobOutcome::Done;
    });
}

CardListing EditSchedules(const JobContext& context, const ScheduleEditor& edit, DeviceAccess access) {
    CJobControl control = context.Control();
    return WithCard(
        context, control, access,
        [&](COpenedDevice& opened, CVelkDisk& disk) {
            RequireVelkDisk(disk);
            if (const auto edited = edit(disk.GetSchedules(), disk.GetTracks())) {
                const CSleepLock awake = context.KeepAwake(JobPhase::WritingCard);
                disk.SetSchedules(*edited);
                disk.WriteTable();
            }
            return ListingOf(opened, disk);
        },
        // The unit's clock is set before its card is read, as the schedules are edited against it.
        [](COpenedDevice& opened) { SetUnitClock(opened); });
}

}  // namespace job

std::vector<std::string> RoutineRow(size_t index, const TrackEntry& track) {
    return {StringPrintf("%zu", index), track.Title(), TrackSizeMbText(track), BaudRateText(track.baudCode),
            StringPrintf("%i", int(track.frameMs)), ProtocolText(track.protocolCode)};
}
