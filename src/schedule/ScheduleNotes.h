#pragma once
// What a user should know about each schedule that its fields do not say: that it can never play,
// that its track is not on the card, or that another schedule starts in one of its minutes.
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "disk/ScheduleEntry.h"
#include "schedule/LocalMinute.h"

struct ScheduleNote {
    // At most this many other schedules are named; sameMinuteCount counts them all (a card of
    // identical schedules would otherwise name every other one in every note).
    static constexpr size_t kNamedSameMinute = 10;

    bool neverPlays = false;     // its months never have a day it selects
    bool noSuchRoutine = false;  // its track index is not below the card's track count
    std::vector<size_t> sameMinute;  // the first other schedules that play in one of its minutes
    size_t sameMinuteCount = 0;

    bool Empty() const { return !neverPlays && !noSuchRoutine && sameMinuteCount == 0; }
    bool operator==(const ScheduleNote&) const = default;
};

// How far ahead two schedules are compared for a shared minute.
inline constexpr std::chrono::years kSameMinuteHorizon{1};

// One note per schedule, in order. Schedules that never play or name no track on the card share
// no minute with any other. Identical schedules are compared once, so a card of many copies of
// few rules costs little.
std::vector<ScheduleNote> ScheduleNotes(const std::vector<ScheduleEntry>& schedules, size_t trackCount,
                                        LocalMinute from);

// The note as one line ("never plays", "no such routine", "same minute as schedule 3", parts
// joined by "; "), empty for an empty note. translate turns each marked text (kNoteText) into the
// user's language; velk3 passes none and keeps English.
using NoteTranslator = std::function<std::string(const char*)>;
std::string NoteText(const ScheduleNote& note, const NoteTranslator& translate = nullptr);
