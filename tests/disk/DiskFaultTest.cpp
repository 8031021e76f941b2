// A card pulled or failing at any write of a command must still read as a VELK disk holding either
// everything it held before or the command's whole result.
#include <gtest/gtest.h>

#include <functional>

#include "disk/CardBuilder.h"
#include "disk/VelkDisk.h"
#include "platform/Exceptions.h"
#include "support/RecordingPrompt.h"

namespace {

struct Content {
    std::vector<TrackEntry> tracks;
    std::vector<ScheduleEntry> schedules;
    bool operator==(const Content&) const = default;
};

ScheduleEntry ScheduleFor(uint16_t track, uint8_t minute) {
    ScheduleEntry s;
    s.trackIndex = track;
    s.minutes = {minute};
    return s;
}

void Lay(CMemoryDevice& card, const Content& c) {
    const uint32_t e = c.tracks.empty() ? 1 : c.tracks.back().endSector;
    const uint32_t t = uint32_t((c.tracks.size() + 7) / 8);
    PutTrackTable(card, e, c.tracks);
    for (size_t j = 0; j < c.schedules.size(); ++j) c.schedules[j].Encode(card.Sector(e + t + uint32_t(j)));
    PutHeader(card, {.trackCount = int32_t(c.tracks.size()), .trackTable = e,
                     .scheduleCount = uint32_t(c.schedules.size()), .scheduleTable = e + t});
}

Content ReadBack(CMemoryDevice& card, bool& valid) {
    CVelkDisk disk(card);
    disk.Read();
    valid = disk.IsVelkDisk();
    return {disk.GetTracks(), disk.GetSchedules()};
}

struct Scenario {
    const char* name;
    Content before;
    std::function<void(CVelkDisk&)> act;
    uint32_t cardSectors;
};

std::vector<ScheduleEntry> ManySchedules(int n, int tracks) {
    std::vector<ScheduleEntry> s;
    for (int i = 0; i < n; ++i) s.push_back(ScheduleFor(uint16_t(i % tracks), uint8_t(i % 60)));
    return s;
}

std::vector<Scenario> Scenarios() {
    const auto three = MakeTracks(3);
    const auto many = MakeTracks(20, 1, 1);
    const auto big = MakeTracks(4, 300, 10);
    return {
        {"format", {three, ManySchedules(3, 3)}, [](CVelkDisk& d) { d.Format(); }, 4096},
        {"remove last", {three, ManySchedules(5, 3)}, [](CVelkDisk& d) { d.RemoveLastTrack(); }, 4096},
        {"remove last, small track, many tables", {many, ManySchedules(140, 20)},
         [](CVelkDisk& d) { d.RemoveLastTrack(); }, 4096},
        {"remove last on a full card", {big, ManySchedules(4, 4)}, [](CVelkDisk& d) { d.RemoveLastTrack(); },
         big.back().endSector + 1 + 4},
        {"add a schedule", {three, ManySchedules(2, 3)},
         [](CVelkDisk& d) {
             auto s = d.GetSchedules();
             s.push_back(ScheduleFor(1, 42));
             d.SetSchedules(s);
             d.WriteTable();
         },
         4096},
        {"remove a schedule across runs of 128", {many, ManySchedules(200, 20)},
         [](CVelkDisk& d) {
             auto s = d.GetSchedules();
             s.erase(s.begin());
             d.SetSchedules(s);
             d.WriteTable();
         },
         4096},
    };
}

TEST(VelkDiskFaults, EveryFailedWriteLeavesOldOrNewContent) {
    for (const Scenario& sc : Scenarios()) {
        // The undisturbed run gives the new content and the number of writes to try.
        CMemoryDevice reference(sc.cardSectors);
        Lay(reference, sc.before);
        Content after;
        {
            CVelkDisk disk(reference);
            disk.Read();
            ASSERT_TRUE(disk.IsVelkDisk()) << sc.name;
            sc.act(disk);
            bool valid = false;
            after = ReadBack(reference, valid);
            ASSERT_TRUE(valid) << sc.name;
        }
        const int writes = reference.writes();
        ASSERT_GT(writes, 0) << sc.name;

        for (int n = 1; n <= writes; ++n) {
            CMemoryDevice card(sc.cardSectors);
            Lay(card, sc.before);
            CVelkDisk disk(card);
            disk.Read();
            card.FailFromWrite(n);
            EXPECT_THROW(sc.act(disk), CUsbDeviceException) << sc.name << " failing at write " << n;
            card.Heal();
            bool valid = false;
            const Content now = ReadBack(card, valid);
            EXPECT_TRUE(valid) << sc.name << " failing at write " << n;
            EXPECT_TRUE(now == sc.before || now == after)
                << sc.name << " failing at write " << n << ": " << now.tracks.size() << " tracks, "
                << now.schedules.size() << " schedules";
        }
    }
}

}  // namespace
