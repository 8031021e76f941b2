// Listing a card whose header claims the schedule limit (1,048,576), each schedule selecting all
// but one value of every field: the peak resident memory of reading it (what the window does), and
// of `velk3 list` and `velk3 list --json`, each in a process of its own, against the same process
// listing a card with one schedule. Each must stay under 512 MiB.
// Usage: bench_schedule_limit [PATH-TO-VELK3]
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "devices/ImageFile.h"
#include "disk/DiskLayout.h"
#include "disk/VelkDisk.h"
#include "platform/TempFiles.h"

namespace {

constexpr double kBudgetMiB = 512.0;
constexpr double kKiBPerMiB = 1024.0;

// Every field all but its last value: nothing reads as "every value", so every set is full.
ScheduleEntry DenseSchedule() {
    ScheduleEntry entry;
    for (const ScheduleField& field : kScheduleFields)
        for (int v = field.minimum; v < field.maximum; ++v) (entry.*field.member).insert(uint8_t(v));
    return entry;
}

void MakeCard(const std::string& path, uint32_t schedules) {
    CImageFile::Create(path, uint64_t(disk_layout::kFirstTrackSector) + 2 + schedules + 1);
    CImageFile card;
    card.Open(CImageFile::EntryFor(path));
    CVelkDisk disk(card);
    disk.Format();
    TrackEntry track;
    track.SetTitle("Routine");
    track.audioStart = disk_layout::kFirstTrackSector;
    track.dataStart = track.audioStart;
    track.endSector = track.audioStart + 1;
    disk.AppendTrack(track);
    disk.SetSchedules(std::vector<ScheduleEntry>(schedules, DenseSchedule()));
    disk.WriteTable();
    card.Close();
}

int ReadCard(const std::string& path) {
    CImageFile card;
    card.Open(CImageFile::EntryFor(path));
    CVelkDisk disk(card);
    disk.Read();
    return disk.IsVelkDisk() && !disk.GetSchedules().empty() ? 0 : 1;
}

double MiB(long kib) { return double(kib) / kKiBPerMiB; }

void Report(const char* what, long ours, long baseline) {
    std::printf("%s: peak %.1f MiB, with one schedule %.1f MiB, ratio %.2f (budget %.0f MiB)%s\n", what, MiB(ours),
                MiB(baseline), double(ours) / double(baseline), kBudgetMiB,
                MiB(ours) < kBudgetMiB ? "" : "  ** over budget **");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--read") == 0) return ReadCard(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "--make") == 0) return MakeCard(argv[2], uint32_t(std::stoul(argv[3]))), 0;
    const std::string velk3 = argc > 1 ? argv[1] : VELK3_BINARY;
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    // Made by a process of its own: a child started from a large process counts that one's pages
    // in its peak.
    const CTempFile full, single;
    std::filesystem::remove(full.Path());
    std::filesystem::remove(single.Path());
    PeakKiBOfProcess({self, "--make", full.Path(), std::to_string(disk_layout::kMaxSchedules)});
    PeakKiBOfProcess({self, "--make", single.Path(), "1"});

    const long read = PeakKiBOfProcess({self, "--read", full.Path()});
    const long readOne = PeakKiBOfProcess({self, "--read", single.Path()});
    Report("Read of a card with 1048576 schedules", read, readOne);
    bool within = MiB(read) < kBudgetMiB;
    for (const bool json : {false, true}) {
        std::vector<std::string> list{velk3, "list", full.Path()}, listOne{velk3, "list", single.Path()};
        if (json) list.push_back("--json"), listOne.push_back("--json");
        const long peak = PeakKiBOfProcess(list);
        Report(json ? "velk3 list --json of the same card" : "velk3 list of the same card", peak, PeakKiBOfProcess(listOne));
        within = within && MiB(peak) < kBudgetMiB;
    }
    return within ? 0 : 1;
}
