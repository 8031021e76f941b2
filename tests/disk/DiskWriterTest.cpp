#include <gtest/gtest.h>

#include <cstdio>

#include "disk/CardBuilder.h"
#include "disk/DiskLayout.h"
#include "disk/VelkDisk.h"
#include "platform/Exceptions.h"
#include "support/RecordingPrompt.h"

namespace {

constexpr uint8_t kOld = 0xCC;  // what the card held before: shows which sectors were written

struct Fixture {
    explicit Fixture(uint32_t sectors = 4096) : card(sectors) { std::memset(card.Bytes().data(), kOld, card.Bytes().size()); }
    // A card holding tracks and schedules laid out as the unit expects, with the given mode.
    void Lay(const std::vector<TrackEntry>& tracks, const std::vector<ScheduleEntry>& schedules, int32_t mode = 0) {
        const uint32_t e = tracks.empty() ? 1 : tracks.back().endSector;
        const uint32_t t = uint32_t((tracks.size() + 7) / 8);
        for (uint32_t s = 0; s < t; ++s) std::memset(card.Sector(e + s), 0, 512);
        PutTrackTable(card, e, tracks);
        for (size_t j = 0; j < schedules.size(); ++j) schedules[j].Encode(card.Sector(e + t + uint32_t(j)));
        PutHeader(card, {.trackCount = int32_t(tracks.size()), .trackTable = e, .mode = mode,
                         .scheduleCount = uint32_t(schedules.size()), .scheduleTable = e + t});
    }
    bool Untouched(uint32_t sector) {
        for (int i = 0; i < 512; ++i)
            if (card.Sector(sector)[i] != kOld) return false;
        return true;
    }
    CMemoryDevice card;
};

ScheduleEntry ScheduleFor(uint16_t track, uint8_t hour) {
    ScheduleEntry s;
    s.trackIndex = track;
    s.hours = {hour};
    return s;
}

TEST(VelkDiskWriteTable, HeaderFieldsAndNothingElseInSectorZero) {
    Fixture f;
    f.Lay({}, {}, -3);
    CVelkDisk disk(f.card);
    disk.Read();
    for (const auto& t : MakeTracks(2)) disk.AppendTrack(t);
    disk.SetSchedules({ScheduleFor(1, 5)});
    disk.WriteTable();
    const uint8_t* h = f.card.Sector(0);
    EXPECT_EQ(LoadLe32(h + 0), 0xAA00AA00u);
    EXPECT_EQ(LoadLe32(h + 4), 2u);
    EXPECT_EQ(LoadLe32(h + 8), 11u);
    EXPECT_EQ(int32_t(LoadLe32(h + 12)), -3);
    EXPECT_EQ(LoadLe32(h + 16), 3u);
    EXPECT_EQ(LoadLe32(h + 20), 1u);
    EXPECT_EQ(LoadLe32(h + 24), 12u);
    for (int i = 28; i < 512; ++i) ASSERT_EQ(h[i], 0) << i;
}

// Table sectors written for n appended tracks on an empty disk: the tables go straight behind the
// tracks, the header last.
TEST(VelkDiskWriteTable, WritesCeilNOver8TableSectorsThenTheHeader) {
    struct Case {
        int tracks;
        int schedules;
        std::vector<std::pair<uint32_t, uint32_t>> writes;
    };
    const Case cases[] = {
        {0, 0, {{0, 1}}},
        {1, 0, {{6, 1}, {0, 1}}},
        {8, 0, {{41, 1}, {0, 1}}},
        {9, 0, {{46, 2}, {0, 1}}},
        {9, 3, {{46, 5}, {0, 1}}},
        {0, 130, {{1, 128}, {129, 2}, {0, 1}}},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.Lay({}, {});
        CVelkDisk disk(f.card);
        disk.Read();
        for (const auto& t : MakeTracks(c.tracks)) disk.AppendTrack(t);
        disk.SetSchedules(std::vector<ScheduleEntry>(size_t(c.schedules)));
        f.card.writeCalls.clear();
        disk.WriteTable();
        EXPECT_EQ(f.card.writeCalls, c.writes) << c.tracks << " tracks, " << c.schedules << " schedules";
        const uint32_t e = disk.NextFreeSector();
        const uint32_t t = uint32_t((c.tracks + 7) / 8);
        EXPECT_TRUE(f.Untouched(e + t + uint32_t(c.schedules))) << "nothing past the tables";
        EXPECT_EQ(LoadLe32(f.card.Sector(0) + 24), e + t) << "schedule table directly behind the track table";
    }
}

TEST(VelkDiskWriteTable, LastTableSectorHoldsZerosAfterItsEntries) {
    Fixture f;
    f.Lay({}, {});
    CVelkDisk disk(f.card);
    disk.Read();
    const auto tracks = MakeTracks(9);
    for (const auto& t : tracks) disk.AppendTrack(t);
    disk.WriteTable();
    const uint8_t* second = f.card.Sector(tracks.back().endSector + 1);
    EXPECT_EQ(TrackEntry::Decode(second), tracks[8]);
    for (int i = 62; i < 512; ++i) ASSERT_EQ(second[i], 0) << i;
    const uint8_t* first = f.card.Sector(tracks.back().endSector);
    for (int i = 496; i < 512; ++i) ASSERT_EQ(first[i], 0) << i;
}

TEST(VelkDiskFormat, OnlyTheHeaderChangesAndTheModeIsKept) {
    Fixture f;
    const auto tracks = MakeTracks(3);
    f.Lay(tracks, {ScheduleFor(0, 1)}, 2);
    const std::vector<uint8_t> before = f.card.Bytes();
    CVelkDisk disk(f.card);
    disk.Read();
    disk.Format();
    EXPECT_EQ(0, std::memcmp(before.data() + 512, f.card.Bytes().data() + 512, before.size() - 512))
        << "old tracks and tables stay where they were";
    CVelkDisk again(f.card);
    again.Read();
    EXPECT_TRUE(again.IsVelkDisk());
    EXPECT_TRUE(again.GetTracks().empty());
    EXPECT_TRUE(again.GetSchedules().empty());
    EXPECT_EQ(again.GetMode(), 2);
    EXPECT_EQ(LoadLe32(f.card.Sector(0) + 8), 1u);
    EXPECT_EQ(LoadLe32(f.card.Sector(0) + 24), 1u);
}

TEST(VelkDiskFormat, AForeignCardGetsItsModeRemainderBack) {
    Fixture f;
    StoreLe32(f.card.Sector(0) + 12, uint32_t(-6));
    CVelkDisk disk(f.card);
    disk.Read();
    ASSERT_FALSE(disk.IsVelkDisk());
    disk.Format();
    EXPECT_EQ(int32_t(LoadLe32(f.card.Sector(0) + 12)), -2);
    EXPECT_EQ(f.card.writeCalls.size(), 1u);
}

TEST(VelkDiskRemoveLastTrack, DropsTheTrackAndItsSchedulesKeepingTheOthersInOrder) {
    Fixture f;
    const auto tracks = MakeTracks(3);
    f.Lay(tracks, {ScheduleFor(2, 1), ScheduleFor(1, 2), ScheduleFor(2, 3), ScheduleFor(0, 4)});
    CVelkDisk disk(f.card);
    disk.Read();
    disk.RemoveLastTrack();
    CVelkDisk again(f.card);
    again.Read();
    ASSERT_TRUE(again.IsVelkDisk());
    EXPECT_EQ(again.GetTracks(), std::vector<TrackEntry>(tracks.begin(), tracks.end() - 1));
    ASSERT_EQ(again.GetSchedules().size(), 2u);
    EXPECT_EQ(again.GetSchedules()[0], ScheduleFor(1, 2));
    EXPECT_EQ(again.GetSchedules()[1], ScheduleFor(0, 4));
    EXPECT_EQ(LoadLe32(f.card.Sector(0) + 8), tracks[2].audioStart) << "tables move onto the removed track";
}

TEST(VelkDiskRemoveLastTrack, OneTrackLeavesBothTablesAtSectorOne) {
    Fixture f;
    f.Lay(MakeTracks(1), {ScheduleFor(0, 1)});
    CVelkDisk disk(f.card);
    disk.Read();
    disk.RemoveLastTrack();
    EXPECT_EQ(LoadLe32(f.card.Sector(0) + 4), 0u);
    EXPECT_EQ(LoadLe32(f.card.Sector(0) + 8), 1u);
    EXPECT_EQ(LoadLe32(f.card.Sector(0) + 20), 0u);
    EXPECT_EQ(LoadLe32(f.card.Sector(0) + 24), 1u);
}

TEST(VelkDiskRemoveLastTrack, AnEmptyDiskIsRefusedWithoutWriting) {
    Fixture f;
    f.Lay({}, {});
    CVelkDisk disk(f.card);
    disk.Read();
    f.card.writeCalls.clear();
    try {
        disk.RemoveLastTrack();
        FAIL() << "no exception";
    } catch (const CUsbDeviceException& e) {
        EXPECT_STREQ(e.what(), "Too few tracks");
    }
    EXPECT_TRUE(f.card.writeCalls.empty());
}

TEST(VelkDiskWriteTable, RefusesTablesThatDoNotFitOnTheCard) {
    Fixture f(60);
    f.Lay({}, {});
    CVelkDisk disk(f.card);
    disk.Read();
    const std::pair<size_t, const char*> cases[] = {
        {60, "The card is full"},
        {disk_layout::kMaxSchedules + 1, "Too many schedules (1048577; a card holds at most 1048576)"},
    };
    for (const auto& [count, message] : cases) {
        disk.SetSchedules(std::vector<ScheduleEntry>(count));
        f.card.writeCalls.clear();
        try {
            disk.WriteTable();
            ADD_FAILURE() << count << ": written";
        } catch (const CUsbDeviceException& e) {
            EXPECT_STREQ(e.what(), message);
        }
        EXPECT_TRUE(f.card.writeCalls.empty()) << count;
    }
}

// A full card whose last track is removed: no room for a spare copy, so the new tables go onto the
// removed track's sectors before the header drops it; the old tables are never touched.
TEST(VelkDiskRemoveLastTrack, WorksOnAFullCard) {
    const auto tracks = MakeTracks(3);
    Fixture f(tracks.back().endSector + 1 + 2);
    f.Lay(tracks, {ScheduleFor(0, 1), ScheduleFor(2, 2)});
    CVelkDisk disk(f.card);
    disk.Read();
    disk.RemoveLastTrack();
    CVelkDisk again(f.card);
    again.Read();
    EXPECT_EQ(again.GetTracks().size(), 2u);
    EXPECT_EQ(again.GetSchedules(), std::vector<ScheduleEntry>{ScheduleFor(0, 1)});
}

// Pad source: the tail of a stream of n bytes is followed by the first 512 − n bytes of the pad,
// or zeros without one.
TEST(VelkDiskWriteStream, MovesWholeBlocksThenOnePaddedTail) {
    struct Case {
        uint32_t bytes;
        bool pad;
        std::vector<std::pair<uint32_t, uint32_t>> writes;
        std::vector<std::string> progress;
    };
    const Case cases[] = {
        {0, true, {}, {"- 0/0"}},
        {1, true, {{10, 1}}, {"- 0/0", "- 1/0"}},
        {512, false, {{10, 1}}, {"- 0/0", "- 1/0"}},
        {513, true, {{10, 1}, {11, 1}}, {"- 0/0", "- 1/0", "- 2/0"}},
        {1024, true, {{10, 2}}, {"- 0/0", "- 2/0"}},
        {65536, false, {{10, 128}}, {"- 0/0", "- 128/0"}},
        {65536 + 1536 + 7, true, {{10, 128}, {138, 3}, {141, 1}}, {"- 0/0", "- 128/0", "- 131/0", "- 132/0"}},
    };
    for (const auto& c : cases) {
        Fixture f;
        std::vector<uint8_t> source(c.bytes);
        for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(i * 7 + 1);
        std::FILE* file = std::tmpfile();
        if (!source.empty()) std::fwrite(source.data(), 1, source.size(), file);
        std::rewind(file);
        CRecordingProgress progress;
        CJobControl job(nullptr, &progress);
        CVelkDisk disk(f.card, &job);
        EXPECT_TRUE(disk.WriteStream(file, 10, c.bytes, c.pad ? AudioPaddingBlock() : nullptr));
        std::fclose(file);
        EXPECT_EQ(f.card.writeCalls, c.writes) << c.bytes;
        EXPECT_EQ(progress.calls, c.progress) << c.bytes;
        if (!source.empty()) {
            EXPECT_EQ(0, std::memcmp(f.card.Sector(10), source.data(), source.size())) << c.bytes;
        }
        const uint32_t tail = c.bytes % 512;
        if (tail) {
            const uint8_t* end = f.card.Sector(10) + c.bytes;
            for (uint32_t i = 0; i < 512 - tail; ++i)
                ASSERT_EQ(end[i], c.pad ? AudioPaddingBlock()[i] : 0) << c.bytes << " at " << i;
        }
        EXPECT_TRUE(f.Untouched(10 + (c.bytes + 511) / 512)) << c.bytes;
    }
}

TEST(VelkDiskWriteStream, AShortStreamReturnsFalse) {
    for (uint32_t have : {0u, 100u, 70000u}) {
        Fixture f;
        CVelkDisk disk(f.card);
        std::FILE* file = std::tmpfile();
        std::vector<uint8_t> source(have, 1);
        if (have) std::fwrite(source.data(), 1, source.size(), file);
        std::rewind(file);
        EXPECT_FALSE(disk.WriteStream(file, 10, have + 600, nullptr)) << have;
        std::fclose(file);
    }
}

TEST(AudioPaddingBlock, IsA418ByteFrameFollowedByItsFirst94Bytes) {
    const uint8_t* block = AudioPaddingBlock();
    const uint8_t head[] = {0xFF, 0xFB, 0x93, 0x4C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4B, 0x80, 0x00,
                            0x00, 0x08, 0x00, 0x00, 0x09, 0x70, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01,
                            0x2E, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x25, 0xC0, 0x00, 0x00, 0x04};
    EXPECT_EQ(0, std::memcmp(block, head, sizeof head));
    for (int i = 36; i < 418; ++i) ASSERT_EQ(block[i], 0xFF) << i;
    EXPECT_EQ(0, std::memcmp(block + 418, block, 94));
    // 144 × 128000 / 44100 rounded down, plus the padding byte the header announces.
    EXPECT_EQ(144 * 128000 / 44100 + ((block[2] >> 1) & 1), 418);
}

}  // namespace
