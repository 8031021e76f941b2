#include "disk/WrittenSectors.h"

#include <algorithm>
#include <functional>
#include <string_view>

#include "disk/DiskLayout.h"
#include "platform/Exceptions.h"
#include "platform/TextFormat.h"
#include "platform/Translatable.h"

namespace {

uint64_t Fingerprint(const uint8_t* sector) {
    return std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(sector), kSectorSize));
}

}  // namespace

MessageText NotKeptText(uint32_t sector) {
    return Fill(VELK3_TRANSLATE_NOOP("velk3core",
                                     "The card did not keep what was written: sector %1 reads back differently. "
                                     "It may be damaged, or smaller than it claims."),
                sector);
}

void CWrittenSectors::Record(uint32_t first, uint32_t count, const uint8_t* data) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t fingerprint = Fingerprint(data + size_t(i) * kSectorSize);
        if (!Replace(first + i, fingerprint)) Append(first + i, fingerprint);
    }
}

bool CWrittenSectors::Replace(uint32_t sector, uint64_t fingerprint) {
    for (Run& run : m_runs)
        if (sector >= run.first && sector < run.End()) {
            run.fingerprints[sector - run.first] = fingerprint;
            return true;
        }
    return false;
}

void CWrittenSectors::Append(uint32_t sector, uint64_t fingerprint) {
    if (m_runs.empty() || m_runs.back().End() != sector) m_runs.push_back(Run{sector, {}});
    m_runs.back().fingerprints.push_back(fingerprint);
    ++m_sectorCount;
}

void CWrittenSectors::Clear() {
    m_runs.clear();
    m_sectorCount = 0;
}

void CWrittenSectors::Verify(CSectorDevice& device, const CJobControl& job, Stops stops) {
    if (m_sectorCount == 0) return;
    job.Begin(JobPhase::Verifying, ProgressUnit::Sectors, m_sectorCount);
    uint64_t done = 0;
    for (const Run& run : m_runs) VerifyRun(run, device, job, stops, done);
    Clear();
}

void CWrittenSectors::VerifyRun(const Run& run, CSectorDevice& device, const CJobControl& job, Stops stops, uint64_t& done) {
    using disk_layout::kMaxSectorsPerCall;
    std::vector<uint8_t> buffer(size_t(kMaxSectorsPerCall) * kSectorSize);
    const uint32_t total = uint32_t(run.fingerprints.size());
    // Dropped once for the whole run, so that the reads that follow are read ahead.
    device.DropCache(run.first, total);
    for (uint32_t at = 0; at < total;) {
        if (stops == Stops::Honoured) job.ThrowIfStopped();
        const uint32_t count = std::min(kMaxSectorsPerCall, total - at);
        device.readSector(run.first + at, count, buffer.data());
        for (uint32_t i = 0; i < count; ++i)
            if (Fingerprint(buffer.data() + size_t(i) * kSectorSize) != run.fingerprints[at + i])
                throw CUsbDeviceException(NotKeptText(run.first + at + i));
        at += count;
        done += count;
        job.Progress(done);
    }
}
