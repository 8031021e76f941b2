#include "disk/CardCopy.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "disk/DiskLayout.h"
#include "disk/VelkDisk.h"
#include "disk/WrittenSectors.h"
#include "platform/Exceptions.h"
#include "platform/TextFormat.h"
#include "platform/Translatable.h"

namespace {

using disk_layout::kMaxSectorsPerCall;

// The sectors from 0 that the VELK disk on device uses, or 0 when it holds none.
uint32_t UsedSectors(CSectorDevice& device) {
    CVelkDisk disk(device);
    disk.Read();
    return disk.IsVelkDisk() ? disk.ReferencedEnd() : 0;
}

bool AllZero(const std::vector<uint8_t>& data, size_t bytes) {
    return std::all_of(data.begin(), data.begin() + long(bytes), [](uint8_t b) { return b == 0; });
}

// Calls step(first, count) for consecutive runs covering [first, end), reporting progress.
template <class Step>
void ForEachRun(uint32_t first, uint32_t end, const CJobControl& job, Step&& step) {
    for (uint32_t at = first; at < end;) {
        job.ThrowIfStopped();
        const uint32_t count = std::min(kMaxSectorsPerCall, end - at);
        step(at, count);
        at += count;
        job.Progress(at - first);
    }
}

// Flushes card and compares its sectors [first, end) as read from the card itself with image's.
void CompareWithImage(CSectorDevice& image, CSectorDevice& card, uint32_t first, uint32_t end, const CJobControl& job,
                      bool honourStops) {
    std::vector<uint8_t> expected(size_t(kMaxSectorsPerCall) * kSectorSize), found(expected.size());
    card.DropCache(first, end - first);
    job.Begin(JobPhase::Verifying, ProgressUnit::Sectors, end - first);
    for (uint32_t at = first; at < end;) {
        if (honourStops) job.ThrowIfStopped();
        const uint32_t count = std::min(kMaxSectorsPerCall, end - at);
        image.readSector(at, count, expected.data());
        card.readSector(at, count, found.data());
        for (uint32_t i = 0; i < count; ++i)
            if (std::memcmp(expected.data() + size_t(i) * kSectorSize, found.data() + size_t(i) * kSectorSize, kSectorSize) != 0)
                throw CUsbDeviceException(NotKeptText(at + i));
        at += count;
        job.Progress(at - first);
    }
}

}  // namespace

uint32_t BackupCard(CSectorDevice& card, CSectorDevice& image, const CJobControl& job) {
    const uint32_t used = UsedSectors(card);
    if (used == 0) throw CUsbDeviceException(
            VELK3_TRANSLATE_NOOP("velk3core", "The card does not hold a VELK disk; there is nothing to back up."));
    if (image.GetSectorCount() < used)
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "The image has room for %1 sectors, the card uses %2."),
                 image.GetSectorCount(), used));
    std::vector<uint8_t> run(size_t(kMaxSectorsPerCall) * kSectorSize);
    job.Begin(JobPhase::Reading, ProgressUnit::Sectors, used);
    ForEachRun(0, used, job, [&](uint32_t at, uint32_t count) {
        card.readSector(at, count, run.data());
        if (!AllZero(run, size_t(count) * kSectorSize)) image.writeSector(at, count, run.data());
    });
    job.Ready();
    return used;
}

uint32_t RestoreNeeds(CSectorDevice& image) {
    const uint32_t needed = UsedSectors(image);
    if (needed == 0) throw CUsbDeviceException(
            VELK3_TRANSLATE_NOOP("velk3core", "The image does not hold a VELK disk; nothing was written."));
    return needed;
}

void CheckCardRoom(uint32_t needed, CSectorDevice& card) {
    if (needed > card.GetSectorCount())
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core",
                                      "The image needs %1 sectors, but the card has only %2; nothing was written."),
                 needed, card.GetSectorCount()));
}

void RestoreCard(CSectorDevice& image, CSectorDevice& card, uint32_t sectors, const CJobControl& job) {
    std::vector<uint8_t> run(size_t(kMaxSectorsPerCall) * kSectorSize, 0);
    job.ThrowIfStopped();
    // Until the real header is back, the card reads as not a VELK disk.
    card.writeSector(0, 1, run.data());
    card.Flush();  // the cleared header reaches the card before anything it described is overwritten
    job.Begin(JobPhase::WritingCard, ProgressUnit::Sectors, sectors);
    ForEachRun(1, sectors, job, [&](uint32_t at, uint32_t count) {
        image.readSector(at, count, run.data());
        card.writeSector(at, count, run.data());
    });
    // The restored sectors are on the card, as the image holds them, before a header points at them.
    CompareWithImage(image, card, 1, sectors, job, true);
    image.readSector(0, 1, run.data());
    card.writeSector(0, 1, run.data());
    CompareWithImage(image, card, 0, 1, job, false);
    job.Ready();
}
