#pragma once
// What a card's schedules will play, from a given minute on: the answer both faces and the
// schedule dialog show. It depends on no device; "now" is whatever minute the caller passes.
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "disk/ScheduleEntry.h"
#include "disk/TrackEntry.h"
#include "schedule/LocalMinute.h"

struct SchedulePlay {
    LocalMinute time;
    size_t schedule = 0;  // index in the card's schedule list
    uint16_t track = 0;
    std::string title;    // the track's

    bool operator==(const SchedulePlay&) const = default;
};

// How far ahead a play is looked for: 29 February on a given weekday can be 40 years away when a
// century year without 29 February falls between.
inline constexpr std::chrono::years kPlayHorizon{40};

// The first `count` plays at or after `from` within the horizon, by time and then by schedule
// index (two schedules in one minute are both listed). A schedule whose track the card does not
// hold plays nothing.
std::vector<SchedulePlay> NextPlays(const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks,
                                    LocalMinute from, size_t count);

// The play of schedule `index` at `time`, titled from the card's tracks.
SchedulePlay PlayOf(const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks, size_t index,
                    LocalMinute time);
// Whether schedule `index` names a track the card holds.
bool NamesTrack(const ScheduleEntry& schedule, const std::vector<TrackEntry>& tracks);
