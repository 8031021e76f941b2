#pragma once
// One schedule: a track index and five sets of values, like a line of a cron table. An empty set
// means every value. On the card each schedule fills one sector of BCD-indexed maps.
#include <cstdint>
#include <set>

#include "platform/Translatable.h"

using ValueSet = std::set<uint8_t>;

struct ScheduleEntry {
    uint16_t trackIndex = 0;
    ValueSet minutes;
    ValueSet hours;
    ValueSet daysOfMonth;
    ValueSet weekdays;
    ValueSet months;

    void Decode(const uint8_t* sector);
    void Encode(uint8_t* sector) const;

    bool operator==(const ScheduleEntry&) const = default;
};

// The five fields in the order the user sees them, with their ranges and their maps' offsets.
// The names are the schedule grid's column titles.
struct ScheduleField {
    const char* name;
    uint8_t minimum;
    uint8_t maximum;
    int mapOffset;
    ValueSet ScheduleEntry::*member;
};

inline constexpr ScheduleField kScheduleFields[] = {
    {VELK3_TRANSLATE_NOOP("velk3core", "Minutes"), 0, 59, 2, &ScheduleEntry::minutes},
    {VELK3_TRANSLATE_NOOP("velk3core", "Hours"), 0, 23, 92, &ScheduleEntry::hours},
    {VELK3_TRANSLATE_NOOP("velk3core", "Weekdays"), 1, 7, 128, &ScheduleEntry::weekdays},
    {VELK3_TRANSLATE_NOOP("velk3core", "Days of month"), 1, 31, 136, &ScheduleEntry::daysOfMonth},
    {VELK3_TRANSLATE_NOOP("velk3core", "Months"), 1, 12, 186, &ScheduleEntry::months},
};
