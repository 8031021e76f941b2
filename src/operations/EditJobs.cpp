#include "operations/EditJobs.h"

#include <algorithm>
#include <functional>

#include "disk/CardEditor.h"
#include "operations/CardSession.h"
#include "platform/Exceptions.h"
#include "platform/TextFormat.h"

namespace {

constexpr size_t kMaxTitleBytes = TrackEntry::kTitleSize - 1;

// What an edit is to do, worked out from the card as read.
struct EditRequest {
    RoutineOrder order;
    std::string question;
    JobPhase writing = JobPhase::Moving;  // what the machine is kept awake for
};

using EditPlanner = std::function<EditRequest(const CVelkDisk& disk)>;

const TrackEntry& RoutineAt(const CVelkDisk& disk, size_t track) {
    if (track >= disk.GetTracks().size()) throw CUsbDeviceException(NoSuchRoutineText(disk.GetTracks().size(), track));
    return disk.GetTracks()[track];
}

size_t SchedulesOf(const CVelkDisk& disk, size_t track) {
    return size_t(std::count_if(disk.GetSchedules().begin(), disk.GetSchedules().end(),
                                [track](const ScheduleEntry& s) { return s.trackIndex == track; }));
}

std::string RemoveQuestion(size_t track, const std::string& title, size_t schedules) {
    if (schedules == 0) return StringPrintf("Remove routine %zu \"%s\"?", track, title.c_str());
    return StringPrintf("Remove routine %zu \"%s\" and its %zu schedule%s?", track, title.c_str(), schedules,
                        schedules == 1 ? "" : "s");
}

void CheckTitle(const std::string& title) {
    if (title.size() > kMaxTitleBytes)
        throw CUsbDeviceException(StringPrintf("A title holds at most %zu bytes; \"%s\" has %zu.", kMaxTitleBytes,
                                               title.c_str(), title.size()));
}

std::optional<EditedCard> Edit(const JobContext& context, const EditPlanner& plan) {
    return WithCard(context, DeviceAccess::ReadWrite, [&](COpenedDevice& opened, CVelkDisk& disk) -> std::optional<EditedCard> {
        RequireVelkDisk(disk);
        const EditRequest request = plan(disk);
        if (!context.Confirm(request.question)) return std::nullopt;
        const CSleepLock awake = context.KeepAwake(request.writing);
        const size_t routinesBefore = disk.GetTracks().size();
        try {
            ApplyRoutineOrder(disk, request.order);
        } catch (const CJobStopped&) {
            throw CJobStopped(stop_text::kUnchanged);
        }
        return EditedCard{ListingOf(opened, disk), NewPlaces(request.order, routinesBefore)};
    });
}

}  // namespace

std::string NoSuchRoutineText(size_t routines, size_t track) {
    return StringPrintf("The card holds %zu routine%s: there is no routine %zu.", routines, routines == 1 ? "" : "s", track);
}

namespace job {

std::optional<EditedCard> RemoveRoutine(const JobContext& context, size_t track) {
    return Edit(context, [track](const CVelkDisk& disk) {
        const TrackEntry& routine = RoutineAt(disk, track);
        return EditRequest{OrderWithout(disk.GetTracks().size(), track),
                           RemoveQuestion(track, routine.Title(), SchedulesOf(disk, track))};
    });
}

std::optional<EditedCard> MoveRoutine(const JobContext& context, size_t from, size_t to) {
    return Edit(context, [from, to](const CVelkDisk& disk) {
        const TrackEntry& routine = RoutineAt(disk, from);
        RoutineAt(disk, to);
        if (from == to)
            throw CUsbDeviceException(StringPrintf("Routine %zu is at place %zu already: there is nothing to move.", from, to));
        return EditRequest{OrderMoved(disk.GetTracks().size(), from, to),
                           StringPrintf("Move routine %zu \"%s\" to place %zu?", from, routine.Title().c_str(), to)};
    });
}

std::optional<EditedCard> ReplaceRoutine(const JobContext& context, size_t track, const std::string& file) {
    return Edit(context, [track, &file](const CVelkDisk& disk) {
        const TrackEntry& routine = RoutineAt(disk, track);
        RoutineOrder order = KeptOrder(disk.GetTracks().size());
        order[track] = PlannedRoutine{std::nullopt, file, track, std::nullopt};
        return EditRequest{std::move(order), StringPrintf("Replace routine %zu \"%s\" with the routine of %s?", track,
                                                          routine.Title().c_str(), file.c_str())};
    });
}

std::optional<EditedCard> RenameRoutine(const JobContext& context, size_t track, const std::string& title) {
    CheckTitle(title);
    return Edit(context, [track, &title](const CVelkDisk& disk) {
        const TrackEntry& routine = RoutineAt(disk, track);
        RoutineOrder order = KeptOrder(disk.GetTracks().size());
        order[track].title = title;
        return EditRequest{std::move(order),
                           StringPrintf("Rename routine %zu \"%s\" to \"%s\"?", track, routine.Title().c_str(), title.c_str()),
                           JobPhase::WritingCard};
    });
}

}  // namespace job
