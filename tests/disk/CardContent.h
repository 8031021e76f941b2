#pragma once
// What a card holds, routine for routine and schedule for schedule, wherever on the card the
// routines lie: each routine's entry fields, audio sectors and data sectors, and the schedules.
// An edit cut short may leave the card's routines at other sectors; what they are must not change.
#include <cstdint>
#include <vector>

#include "disk/VelkDisk.h"

struct RoutineContent {
    TrackEntry fields;  // sector numbers cleared
    std::vector<uint8_t> audio;
    std::vector<uint8_t> data;
    bool operator==(const RoutineContent&) const = default;
};

struct CardContent {
    bool velkDisk = false;
    std::vector<RoutineContent> routines;
    std::vector<ScheduleEntry> schedules;
    bool operator==(const CardContent&) const = default;
};

inline std::vector<uint8_t> SectorsOf(CSectorDevice& card, uint32_t first, uint32_t end) {
    std::vector<uint8_t> bytes(size_t(end - first) * kSectorSize);
    if (end > first) card.readSector(first, end - first, bytes.data());
    return bytes;
}

inline CardContent ContentOf(CSectorDevice& card) {
    CVelkDisk disk(card);
    disk.Read();
    CardContent content{disk.IsVelkDisk(), {}, disk.GetSchedules()};
    for (const TrackEntry& track : disk.GetTracks()) {
        RoutineContent routine{track, SectorsOf(card, track.audioStart, track.dataStart),
                               SectorsOf(card, track.dataStart, track.endSector)};
        routine.fields.audioStart = routine.fields.dataStart = routine.fields.endSector = 0;
        content.routines.push_back(routine);
    }
    return content;
}
