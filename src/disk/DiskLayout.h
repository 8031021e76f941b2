#pragma once
// The VELK disk layout: header in sector 0, tracks from sector 1, then the track table (8 entries
// of 62 bytes a sector) and one sector per schedule.
#include <cstdint>

namespace disk_layout {
inline constexpr uint32_t kMagic = 0xAA00AA00;
inline constexpr uint32_t kVersion = 3;
inline constexpr uint32_t kFirstTrackSector = 1;
inline constexpr uint32_t kTrackEntrySize = 62;
inline constexpr uint32_t kEntriesPerSector = 8;
inline constexpr int kMaxTracks = 65533;
// Far above any real card (a schedule a minute for two years), and what bounds the memory and
// time of a read whatever a header claims.
inline constexpr uint32_t kMaxSchedules = 1u << 20;
inline constexpr uint32_t kMaxSectorsPerCall = 128;  // one 64 KiB transfer

namespace header {  // byte offsets in sector 0
inline constexpr int kMagic = 0;
inline constexpr int kTrackCount = 4;
inline constexpr int kTrackTableStart = 8;
inline constexpr int kMode = 12;
inline constexpr int kVersion = 16;
inline constexpr int kScheduleCount = 20;
inline constexpr int kScheduleTableStart = 24;
}  // namespace header

inline uint32_t TrackTableSectors(uint32_t trackCount) {
    return (trackCount + kEntriesPerSector - 1) / kEntriesPerSector;
}
}  // namespace disk_layout
