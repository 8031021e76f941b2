#include "disk/CardCopy.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "disk/DiskLayout.h"
#include "disk/VelkDisk.h"
#include "platform/Exceptions.h"
#include "platform/Progress.h"
#include "platform/TextFormat.h"

namespace {

using disk_layout::kMaxSectorsPerCall;

// The sectors from 0 that the VELK disk on device uses, or 0 when it holds none.
uint32_t UsedSectors(CSectorDevice& device) {
    CVelkDisk disk(device);
    disk.Read();
    return disk.IsVelkDisk() ? disk.ReferencedEnd() : 0;
}

void StartPhase(const CardCopyProgress& p, const char* text, uint32_t first, uint32_t end) {
    if (p.status) p.status->SetText(text);
    if (!p.progress) return;
    p.progress->SetRange(0, int(std::min<uint32_t>(end - first, INT_MAX)));
    p.progress->SetPos(0);
}

void ShowDone(const CardCopyProgress& p, uint32_t done) {
    if (p.progress) p.progress->SetPos(int(std::min<uint32_t>(done, INT_MAX)));
}

void EndPhases(const CardCopyProgress& p) {
    if (p.status) p.status->SetText(status_text::kReady);
}

bool AllZero(const std::vector<uint8_t>& data, size_t bytes) {
    return std::all_of(data.begin(), data.begin() + long(bytes), [](uint8_t b) { return b == 0; });
}

// Calls step(first, count) for consecutive runs covering [first, end), reporting progress.
template <class Step>
void ForEachRun(uint32_t first, uint32_t end, const CardCopyProgress& p, Step&& step) {
    for (uint32_t at = first; at < end;) {
        const uint32_t count = std::min(kMaxSectorsPerCall, end - at);
        step(at, count);
        at += count;
        ShowDone(p, at - first);
    }
}

}  // namespace

uint32_t BackupCard(CSectorDevice& card, CSectorDevice& image, const CardCopyProgress& progress) {
    const uint32_t used = UsedSectors(card);
    if (used == 0) throw CUsbDeviceException("The card does not hold a VELK disk; there is nothing to back up.");
    if (image.GetSectorCount() < used)
        throw CUsbDeviceException(StringPrintf("The image has room for %u sectors, the card uses %u.",
                                               image.GetSectorCount(), used));
    std::vector<uint8_t> run(size_t(kMaxSectorsPerCall) * kSectorSize);
    StartPhase(progress, status_text::kReadingCard, 0, used);
    ForEachRun(0, used, progress, [&](uint32_t at, uint32_t count) {
        card.readSector(at, count, run.data());
        if (!AllZero(run, size_t(count) * kSectorSize)) image.writeSector(at, count, run.data());
    });
    EndPhases(progress);
    return used;
}

uint32_t RestoreNeeds(CSectorDevice& image) {
    const uint32_t needed = UsedSectors(image);
    if (needed == 0) throw CUsbDeviceException("The image does not hold a VELK disk; nothing was written.");
    return needed;
}

void CheckCardRoom(uint32_t needed, CSectorDevice& card) {
    if (needed > card.GetSectorCount())
        throw CUsbDeviceException(StringPrintf("The image needs %u sectors, but the card has only %u; nothing was written.",
                                               needed, card.GetSectorCount()));
}

void RestoreCard(CSectorDevice& image, CSectorDevice& card, uint32_t sectors, const CardCopyProgress& progress) {
    std::vector<uint8_t> run(size_t(kMaxSectorsPerCall) * kSectorSize, 0);
    // Until the real header is back, the card reads as not a VELK disk.
    card.writeSector(0, 1, run.data());
    card.Flush();  // the cleared header reaches the card before anything it described is overwritten
    StartPhase(progress, status_text::kWritingCard, 0, sectors);
    ForEachRun(1, sectors, progress, [&](uint32_t at, uint32_t count) {
        image.readSector(at, count, run.data());
        card.writeSector(at, count, run.data());
    });
    card.Flush();  // the restored sectors are on the card before a header points at them
    image.readSector(0, 1, run.data());
    card.writeSector(0, 1, run.data());
    ShowDone(progress, sectors);
    EndPhases(progress);
}

void VerifyCard(CSectorDevice& image, CSectorDevice& card, uint32_t sectors, const CardCopyProgress& progress) {
    std::vector<uint8_t> expected(size_t(kMaxSectorsPerCall) * kSectorSize), found(expected.size());
    StartPhase(progress, status_text::kVerifying, 0, sectors);
    ForEachRun(0, sectors, progress, [&](uint32_t at, uint32_t count) {
        image.readSector(at, count, expected.data());
        card.readSector(at, count, found.data());
        for (uint32_t i = 0; i < count; ++i)
            if (std::memcmp(expected.data() + size_t(i) * kSectorSize, found.data() + size_t(i) * kSectorSize, kSectorSize) != 0)
                throw CUsbDeviceException(StringPrintf("Verification failed: sector %u of the card differs from the image.", at + i));
    });
    EndPhases(progress);
}
