#include "schedule/SchedulePreview.h"

SchedulePreview PreviewSchedules(const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks,
                                 LocalMinute from) {
    SchedulePreview preview;
    preview.from = from;
    preview.plays = NextPlays(schedules, tracks, from, SchedulePreview::kPlays);
    preview.week = WeekOfPlays(schedules, tracks, from, SchedulePreview::kPlaysPerHour);
    preview.notes = ScheduleNotes(schedules, tracks.size(), from);
    return preview;
}
