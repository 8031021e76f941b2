// velk3 remove of the first routine of a card image of 256 MiB of routines (--size 1G: 1 GiB),
// as a process, verified and with --no-verify, against dd moving the same bytes (the routines
// behind the first) inside a copy of the same image with conv=notrunc,fdatasync, all in one run;
// and the peak resident memory of the remove. The image has room behind its routines for the
// copy an edit makes to keep them safe.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

#include "BenchSupport.h"
#include "devices/ImageFile.h"
#include "disk/VelkDisk.h"
#include "platform/TempFiles.h"

namespace {

constexpr uint32_t kRoutines = 16;
constexpr uint32_t kSectorsPerRun = 128;
constexpr uint32_t kDataSectors = 64;
constexpr uint32_t kSlackSectors = 4096;
constexpr int kRuns = 3;
constexpr double kTarget = 1.5;
constexpr long kMemoryGoalKiB = 32 * 1024;

// Routines of random bytes back to back from sector 1, with room behind them for all but one again.
void MakeCard(const std::string& path, uint64_t routineBytes) {
    const uint32_t sectorsEach = uint32_t(routineBytes / kSectorSize / kRoutines);
    CImageFile::Create(path, uint64_t(sectorsEach) * kRoutines * 2 + kSlackSectors);
    CImageFile device;
    device.Open(CImageFile::EntryFor(path));
    CVelkDisk disk(device);
    disk.Read();
    std::mt19937_64 random(11);
    std::vector<uint64_t> run(kSectorsPerRun * kSectorSize / sizeof(uint64_t));
    for (uint32_t t = 0; t < kRoutines; ++t) {
        TrackEntry track;
        track.SetTitle("Routine " + std::to_string(t));
        track.audioStart = disk.NextFreeSector();
        track.dataStart = track.audioStart + sectorsEach - kDataSectors;
        track.endSector = track.audioStart + sectorsEach;
        for (uint32_t s = 0; s < sectorsEach; s += kSectorsPerRun) {
            for (auto& word : run) word = random();
            device.writeSector(track.audioStart + s, std::min(kSectorsPerRun, sectorsEach - s),
                               reinterpret_cast<const uint8_t*>(run.data()));
        }
        disk.AppendTrack(track);
    }
    disk.WriteTable();
    device.Close();
}

void CopyImage(const std::string& from, const std::string& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

uint64_t RoutineBytes(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--size") == 0 && std::strcmp(argv[2], "1G") == 0) return uint64_t(1) << 30;
    if (argc == 1) return uint64_t(256) << 20;
    throw std::runtime_error("usage: bench_remove_first [--size 1G]");
}

}  // namespace

int main(int argc, char** argv) {
    const uint64_t routineBytes = RoutineBytes(argc, argv);
    const CTempFile pristine, card, ddCard;
    std::filesystem::remove(pristine.Path());
    MakeCard(pristine.Path(), routineBytes);
    const std::string velk3 = VELK3_BINARY;
    const uint64_t routineSectors = routineBytes / kSectorSize / kRoutines;
    const uint64_t moved = routineSectors * (kRoutines - 1);  // the routines behind the first, in sectors
    std::printf("card: %u routines of %.0f MiB; remove-first moves %.0f MiB\n", kRoutines,
                double(routineSectors) * kSectorSize / 1048576, double(moved) * kSectorSize / 1048576);

    const auto prepare = [&] { CopyImage(pristine.Path(), card.Path()); };
    const double verified = MedianProcessSeconds(kRuns, prepare, {velk3, "--yes", "remove", card.Path(), "0"});
    const double unverified = MedianProcessSeconds(kRuns, prepare, {velk3, "--yes", "remove", card.Path(), "0", "--no-verify"});
    const auto prepareDd = [&] { CopyImage(pristine.Path(), ddCard.Path()); };
    // 64 KiB blocks from the second routine down to sector 1, as the move does.
    const double dd = MedianProcessSeconds(kRuns, prepareDd, {"dd", "if=" + ddCard.Path(), "of=" + ddCard.Path(), "bs=64k",
                                               "skip=" + std::to_string((1 + routineSectors) * kSectorSize),
                                               "iflag=skip_bytes", "seek=512", "oflag=seek_bytes",
                                               "count=" + std::to_string(moved * kSectorSize / 65536),
                                               "conv=notrunc,fdatasync", "status=none"});
    ReportRatio("remove-first, verified, vs dd of the bytes it moves", verified, dd, kTarget);
    ReportRatio("remove-first, --no-verify, vs dd of the bytes it moves", unverified, dd, kTarget);

    prepare();
    const long peak = PeakKiBOfProcess({velk3, "--yes", "remove", card.Path(), "0"});
    std::printf("remove-first peak resident memory: %ld KiB (goal at most %ld KiB)%s\n", peak, kMemoryGoalKiB,
                peak <= kMemoryGoalKiB ? "" : "  ** over goal **");
    return 0;
}
