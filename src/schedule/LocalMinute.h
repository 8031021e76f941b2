#pragma once
// A minute on the unit's clock. The unit is set from the PC's local time and knows no time zones,
// so its minutes are plain civil dates and times: a day always has 1,440 of them, and no
// daylight-saving shift ever moves a schedule.
#include <chrono>
#include <optional>
#include <string>

#include "platform/Clock.h"

using LocalMinute = std::chrono::local_time<std::chrono::minutes>;

// The minute of a clock reading (its seconds dropped).
LocalMinute ToLocalMinute(const LocalTime& time);
// "YYYY-MM-DD HH:MM", or with 'T' between date and time as JSON has it.
std::string FormatLocalMinute(LocalMinute minute, char separator = ' ');
// The minute "YYYY-MM-DD HH:MM" names (one or more blanks or a 'T' between date and time); none for
// any other text or a date the calendar does not have.
std::optional<LocalMinute> ParseLocalMinute(const std::string& text);
