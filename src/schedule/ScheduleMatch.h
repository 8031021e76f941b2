#pragma once
// A schedule as the masks the unit matches the clock against: bit v of a field's mask is set when
// the field selects value v. An empty field selects every value, so its mask is full, and two
// schedules play in the same minute exactly when the AND of their masks still plays.
#include <compare>
#include <cstdint>
#include <optional>

#include "disk/ScheduleEntry.h"
#include "schedule/LocalMinute.h"

struct ScheduleMasks {
    uint64_t minutes = 0;  // 0 to 59
    uint32_t hours = 0;    // 0 to 23
    uint32_t days = 0;     // 1 to 31
    uint16_t months = 0;   // 1 to 12
    uint8_t weekdays = 0;  // 1 = Sunday to 7 = Saturday

    static ScheduleMasks Of(const ScheduleEntry& entry);

    // Some month it selects has some day it selects (29 February counts): a schedule that fails
    // this never plays, and one that passes plays within 40 years of any minute.
    bool CanEverPlay() const;
    bool PlaysOn(std::chrono::local_days day) const;
    // The first minute of the day (0 to 1,439) at or after `from` at which it plays.
    std::optional<int> FirstMinuteOfDay(int from) const;
    ScheduleMasks operator&(const ScheduleMasks& other) const;

    auto operator<=>(const ScheduleMasks&) const = default;
};

// The first minute in [from, before) at which the schedule plays. The search goes through the
// days the schedule's months and days select, so it ends quickly even for a rare day.
std::optional<LocalMinute> FirstPlay(const ScheduleMasks& masks, LocalMinute from, LocalMinute before);
