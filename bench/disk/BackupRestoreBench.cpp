// velk3 backup and velk3 restore of a 256 MiB card image whose routines fill it, each against dd
// copying the same used bytes in 64 KiB blocks and flushing them, all as processes in one run.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>

#include "BenchSupport.h"
#include "devices/ImageFile.h"
#include "disk/VelkDisk.h"
#include "platform/TempFiles.h"

namespace {

constexpr uint64_t kCardSectors = (256u << 20) / 512;
constexpr uint32_t kTrackSectors = 32768;  // 16 MiB a routine
constexpr uint32_t kTracks = 15;           // 240 MiB of routines, then the tables
constexpr uint32_t kSectorsPerRun = 128;
constexpr int kRuns = 3;

// Routines of random bytes back to back from sector 1; returns the sectors the card uses.
uint32_t MakeFullCard(const std::string& path) {
    CImageFile::Create(path, kCardSectors);
    CImageFile device;
    device.Open(CImageFile::EntryFor(path));
    CVelkDisk disk(device);
    disk.Read();
    std::mt19937_64 random(7);
    std::vector<uint64_t> run(kSectorsPerRun * 512 / sizeof(uint64_t));
    uint32_t next = 1;
    for (uint32_t t = 0; t < kTracks; ++t) {
        for (uint32_t s = 0; s < kTrackSectors; s += kSectorsPerRun) {
            for (auto& word : run) word = random();
            device.writeSector(next + s, kSectorsPerRun, reinterpret_cast<const uint8_t*>(run.data()));
        }
        TrackEntry track;
        track.SetTitle("Routine " + std::to_string(t));
        track.audioStart = next;
        track.dataStart = next + kTrackSectors - 64;
        track.endSector = next + kTrackSectors;
        disk.AppendTrack(track);
        next = track.endSector;
    }
    disk.WriteTable();
    const uint32_t used = disk.ReferencedEnd();
    device.Close();
    return used;
}

std::string Blocks(uint32_t sectors) { return "count=" + std::to_string((sectors + kSectorsPerRun - 1) / kSectorsPerRun); }

}  // namespace

int main() {
    const CTempFile card, backup, target, ddCopy;
    std::filesystem::remove(card.Path());
    const uint32_t used = MakeFullCard(card.Path());
    std::printf("card: %llu sectors, %u used\n", static_cast<unsigned long long>(kCardSectors), used);
    const std::string velk3 = VELK3_BINARY;

    // Both write a new file each run: velk3 must not overwrite, dd truncates.
    const auto removeBackup = [&] { std::filesystem::remove(backup.Path()); };
    const auto nothing = [] {};
    const std::vector<std::string> backupCommand = {velk3, "backup", card.Path(), backup.Path()};
    removeBackup();
    TimeProcess(backupCommand);  // warm-up: the card in the page cache
    const double backupOurs = MedianProcessSeconds(kRuns, removeBackup, backupCommand);
    const double backupDd = MedianProcessSeconds(
        kRuns, nothing, {"dd", "if=" + card.Path(), "of=" + ddCopy.Path(), "bs=64k", Blocks(used), "conv=fdatasync", "status=none"});

    std::filesystem::remove(target.Path());
    CImageFile::Create(target.Path(), kCardSectors);
    const double restoreOurs = MedianProcessSeconds(kRuns, nothing, {velk3, "--yes", "restore", backup.Path(), target.Path()});
    const double restoreDd = MedianProcessSeconds(kRuns, nothing, {"dd", "if=" + backup.Path(), "of=" + ddCopy.Path(),
                                                                   "bs=64k", Blocks(used), "conv=notrunc,fdatasync",
                                                                   "status=none"});
    ReportRatio("backup 256 MiB vs dd bs=64k", backupOurs, backupDd, 1.5);
    // A restore reads three times what dd reads: the image to write it, then image and card to verify.
    ReportRatio("restore 256 MiB (written, flushed, read back) vs dd bs=64k", restoreOurs, restoreDd, 3.0);
    return 0;
}
