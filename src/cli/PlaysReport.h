#pragma once
// velk3 schedules DEVICE next: the coming plays as lines for people and as JSON for scripts.
#include <ostream>
#include <vector>

#include "schedule/NextPlays.h"

// One line a play: "2026-12-09 14:05  track 2  Title  (schedule 1)".
void PrintPlays(std::ostream& out, const std::vector<SchedulePlay>& plays);
// {"plays": [{"time": "2026-12-09T14:05", "track": 2, "title": "Title", "schedule": 1}, ...]},
// without a final newline.
void WritePlaysJson(std::ostream& out, const std::vector<SchedulePlay>& plays);
