#pragma once
// Lays out VELK disks byte by byte, independently of the writer, so reader tests do not trust the
// code they check.
#include <cstring>
#include <vector>

#include "disk/TrackEntry.h"
#include "platform/ByteOrder.h"
#include "support/MemoryDevice.h"

struct RawHeader {
    uint32_t magic = 0xAA00AA00;
    int32_t trackCount = 0;
    uint32_t trackTable = 1;
    int32_t mode = 0;
    uint32_t version = 3;
    uint32_t scheduleCount = 0;
    uint32_t scheduleTable = 1;
};

inline void PutHeader(CMemoryDevice& card, const RawHeader& h) {
    uint8_t* s = card.Sector(0);
    std::memset(s, 0, 512);
    StoreLe32(s + 0, h.magic);
    StoreLe32(s + 4, uint32_t(h.trackCount));
    StoreLe32(s + 8, h.trackTable);
    StoreLe32(s + 12, uint32_t(h.mode));
    StoreLe32(s + 16, h.version);
    StoreLe32(s + 20, h.scheduleCount);
    StoreLe32(s + 24, h.scheduleTable);
}

// n back-to-back tracks from sector 1, each of audio + data sectors.
inline std::vector<TrackEntry> MakeTracks(int n, uint32_t audio = 3, uint32_t data = 2) {
    std::vector<TrackEntry> tracks;
    uint32_t next = 1;
    for (int i = 0; i < n; ++i) {
        TrackEntry t;
        t.SetTitle("Track " + std::to_string(i));
        t.audioStart = next;
        t.dataStart = next + audio;
        t.endSector = t.dataStart + data;
        t.frameMs = uint8_t(20 + i);
        t.baudCode = uint8_t(i % 8);
        t.protocolCode = uint8_t(i % 20);
        t.settings[0] = uint8_t(i);
        next = t.endSector;
        tracks.push_back(t);
    }
    return tracks;
}

// Writes tracks' table entries at the given sector, 8 to a sector; returns the sectors used.
inline uint32_t PutTrackTable(CMemoryDevice& card, uint32_t first, const std::vector<TrackEntry>& tracks) {
    for (size_t i = 0; i < tracks.size(); ++i) tracks[i].Encode(card.Sector(first + uint32_t(i / 8)) + (i % 8) * 62);
    return uint32_t((tracks.size() + 7) / 8);
}
