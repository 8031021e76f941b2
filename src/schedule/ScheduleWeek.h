#pragma once
// A card's schedules over the next seven days, hour by hour: how many plays fall into each hour
// and the first of them, for a picture of the week.
#include <array>
#include <chrono>
#include <cstddef>
#include <vector>

#include "schedule/NextPlays.h"

struct WeekHour {
    size_t count = 0;
    std::vector<SchedulePlay> first;  // the first plays of the hour, by time and schedule
};

struct ScheduleWeek {
    static constexpr int kDays = 7;
    static constexpr int kHoursPerDay = 24;

    LocalMinute from{};                   // the minute the week starts from
    std::chrono::local_days firstDay{};  // its day
    std::array<WeekHour, kDays * kHoursPerDay> hours{};

    const WeekHour& At(int day, int hour) const { return hours[size_t(day * kHoursPerDay + hour)]; }
    WeekHour& At(int day, int hour) { return hours[size_t(day * kHoursPerDay + hour)]; }
    // The greatest count of any hour (0 for a week without plays).
    size_t MostInAnHour() const;
    // The hour ended before the week's first minute.
    bool IsPast(int day, int hour) const;
};

// The plays at or after `from` until the end of the sixth day after its day; each hour keeps its
// first `listed` plays. Hours before `from` count nothing.
ScheduleWeek WeekOfPlays(const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks,
                         LocalMinute from, size_t listed);
