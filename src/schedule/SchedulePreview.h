#pragma once
// Everything the schedule dialog shows about what its schedules will do, in one call that a
// worker thread can make on a copy of the list: the next plays, the week, the notes.
#include <vector>

#include "schedule/NextPlays.h"
#include "schedule/ScheduleNotes.h"
#include "schedule/ScheduleWeek.h"

struct SchedulePreview {
    static constexpr size_t kPlays = 20;        // the next plays listed
    static constexpr size_t kPlaysPerHour = 8;  // the plays a week's hour names

    LocalMinute from{};
    std::vector<SchedulePlay> plays;
    ScheduleWeek week;
    std::vector<ScheduleNote> notes;
};

SchedulePreview PreviewSchedules(const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks,
                                 LocalMinute from);
