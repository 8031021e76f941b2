#include "schedule/NextPlays.h"

#include <functional>
#include <queue>

#include "schedule/ScheduleMatch.h"

namespace {

struct Pending {
    LocalMinute time;
    size_t schedule;
    // The smallest (time, schedule) on top of a std::priority_queue.
    bool operator>(const Pending& other) const {
        return time != other.time ? time > other.time : schedule > other.schedule;
    }
};

}  // namespace

bool NamesTrack(const ScheduleEntry& schedule, const std::vector<TrackEntry>& tracks) {
    return schedule.trackIndex < tracks.size();
}

SchedulePlay PlayOf(const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks, size_t index,
                    LocalMinute time) {
    const uint16_t track = schedules[index].trackIndex;
    return {time, index, track, track < tracks.size() ? tracks[track].Title() : std::string()};
}

// A merge of the schedules' own next plays: each schedule is asked for its next play only when
// its previous one has been taken, so the work grows with the schedules and the plays asked for,
// not with the minutes in between.
std::vector<SchedulePlay> NextPlays(const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks,
                                    LocalMinute from, size_t count) {
    std::vector<SchedulePlay> plays;
    if (count == 0) return plays;
    const LocalMinute before = from + std::chrono::duration_cast<std::chrono::minutes>(kPlayHorizon);
    std::vector<ScheduleMasks> masks(schedules.size());
    std::priority_queue<Pending, std::vector<Pending>, std::greater<>> next;
    for (size_t i = 0; i < schedules.size(); ++i) {
        masks[i] = ScheduleMasks::Of(schedules[i]);
        if (!NamesTrack(schedules[i], tracks) || !masks[i].CanEverPlay()) continue;
        if (const auto first = FirstPlay(masks[i], from, before)) next.push({*first, i});
    }
    while (!next.empty() && plays.size() < count) {
        const Pending play = next.top();
        next.pop();
        plays.push_back(PlayOf(schedules, tracks, play.schedule, play.time));
        if (const auto after = FirstPlay(masks[play.schedule], play.time + std::chrono::minutes(1), before))
            next.push({*after, play.schedule});
    }
    return plays;
}
