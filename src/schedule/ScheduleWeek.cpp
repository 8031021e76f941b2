#include "schedule/ScheduleWeek.h"

#include <algorithm>
#include <bit>

#include "schedule/ScheduleMatch.h"

namespace {

constexpr int kMinutesPerHour = 60;

// The schedules that play on one day, and the first minute of that day that counts.
struct DayPlan {
    std::chrono::local_days day;
    int fromMinute;
    std::vector<size_t> playing;  // ascending
};

uint64_t MinutesFrom(int first) { return first <= 0 ? ~uint64_t(0) : ~uint64_t(0) << first; }

class CWeekFiller {
public:
    CWeekFiller(const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks, size_t listed)
        : m_schedules(schedules), m_tracks(tracks), m_listed(listed), m_masks(schedules.size()) {
        for (size_t i = 0; i < schedules.size(); ++i) {
            m_masks[i] = ScheduleMasks::Of(schedules[i]);
            if (NamesTrack(schedules[i], tracks) && m_masks[i].CanEverPlay()) m_playable.push_back(i);
        }
    }

    DayPlan Plan(std::chrono::local_days day, int fromMinute) const {
        DayPlan plan{day, fromMinute, {}};
        for (size_t i : m_playable)
            if (m_masks[i].PlaysOn(day)) plan.playing.push_back(i);
        return plan;
    }

    void FillHour(const DayPlan& plan, int hour, WeekHour& cell) const {
        const int firstMinute = plan.fromMinute - hour * kMinutesPerHour;
        if (firstMinute >= kMinutesPerHour) return;
        const uint64_t counted = MinutesFrom(firstMinute);
        std::vector<size_t> inHour;
        uint64_t minuteUnion = 0;
        for (size_t i : plan.playing) {
            const uint64_t minutes = (m_masks[i].hours >> hour & 1) ? m_masks[i].minutes & counted : 0;
            if (!minutes) continue;
            cell.count += size_t(std::popcount(minutes));
            minuteUnion |= minutes;
            inHour.push_back(i);
        }
        ListHour(plan.day + std::chrono::hours(hour), minuteUnion, inHour, cell);
    }

private:
    // The hour's first plays: minute by minute through the minutes some schedule selects, each
    // minute's schedules by index, until enough are found.
    void ListHour(LocalMinute hourStart, uint64_t minuteUnion, const std::vector<size_t>& inHour, WeekHour& cell) const {
        for (; minuteUnion && cell.first.size() < m_listed; minuteUnion &= minuteUnion - 1) {
            const int minute = std::countr_zero(minuteUnion);
            for (size_t i : inHour) {
                if (cell.first.size() == m_listed) break;
                if (m_masks[i].minutes >> minute & 1)
                    cell.first.push_back(PlayOf(m_schedules, m_tracks, i, hourStart + std::chrono::minutes(minute)));
            }
        }
    }

    const std::vector<ScheduleEntry>& m_schedules;
    const std::vector<TrackEntry>& m_tracks;
    size_t m_listed;
    std::vector<ScheduleMasks> m_masks;
    std::vector<size_t> m_playable;
};

}  // namespace

size_t ScheduleWeek::MostInAnHour() const {
    size_t most = 0;
    for (const WeekHour& hour : hours) most = std::max(most, hour.count);
    return most;
}

bool ScheduleWeek::IsPast(int day, int hour) const {
    return firstDay + std::chrono::days(day) + std::chrono::hours(hour + 1) <= from;
}

ScheduleWeek WeekOfPlays(const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks,
                         LocalMinute from, size_t listed) {
    ScheduleWeek week;
    week.from = from;
    week.firstDay = std::chrono::floor<std::chrono::days>(from);
    const CWeekFiller filler(schedules, tracks, listed);
    for (int d = 0; d < ScheduleWeek::kDays; ++d) {
        const DayPlan plan = filler.Plan(week.firstDay + std::chrono::days(d), d == 0 ? int((from - week.firstDay).count()) : 0);
        for (int hour = 0; hour < ScheduleWeek::kHoursPerDay; ++hour) filler.FillHour(plan, hour, week.At(d, hour));
    }
    return week;
}
