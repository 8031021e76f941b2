// Reading and validating a VELK disk. Work is bounded by what the card can hold and by the
// schedule limit, never by what a header field claims.
#include <algorithm>
#include <sys/mman.h>
#include <unistd.h>

#include "disk/DiskLayout.h"
#include "disk/VelkDisk.h"
#include "platform/ByteOrder.h"
#include "platform/TextFormat.h"
#include "platform/Translatable.h"
#include "platform/UserPrompt.h"

namespace {

constexpr int kModeModulus = 4;

// A full table is megabytes of entries: one call that maps the pages costs far less than a fault
// for each of them. Only a hint; kernels without it simply fault as usual.
void PrefaultForWriting(void* data, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    const uintptr_t page = uintptr_t(::sysconf(_SC_PAGESIZE));
    const uintptr_t first = (uintptr_t(data) + page - 1) & ~(page - 1);
    const uintptr_t last = (uintptr_t(data) + bytes) & ~(page - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace

bool IsVelkHeader(const uint8_t* sector) {
    return LoadLe32(sector + disk_layout::header::kMagic) == disk_layout::kMagic;
}

const std::vector<TrackEntry>& CVelkDisk::Read() {
    using namespace disk_layout;
    uint8_t header[kSectorSize];
    m_device.readSector(0, 1, header);
    m_mode = int32_t(LoadLe32(header + header::kMode)) % kModeModulus;
    const bool velk = IsVelkHeader(header);
    m_valid = velk && LoadLe32(header + header::kVersion) == kVersion;
    if (velk && !m_valid)
        m_job->Tell(VELK3_TRANSLATE_NOOP("velk3core",
                                         "The flash card is using an unsupported version of the VELK file format.\n"
                                         "Please use the appropriate version of VELK3 Manager or format the card."),
                    VELK3_TRANSLATE_NOOP("velk3core", "Unrecognized Flash Format"), MessageIcon::Warning);

    m_tracks.clear();
    m_schedules.clear();
    m_cardTracks = {};
    m_cardTrackTable = {};
    m_cardScheduleTable = {};
    if (m_valid) {
        uint32_t trackCount = 0;
        SectorRange trackTable, scheduleTable;
        m_valid = ReadHeader(header, trackCount, trackTable, scheduleTable);
        if (m_valid) {
            ReadTrackTable(trackTable, trackCount);
            ReadScheduleTable(scheduleTable);
            m_valid = ExtentsConsistent();
        }
        if (m_valid) {
            m_cardTracks = TrackArea();
            m_cardTrackTable = trackTable;
            m_cardScheduleTable = scheduleTable;
        } else {
            m_tracks.clear();
            m_schedules.clear();
        }
    }
    ShowReady();
    return m_tracks;
}

bool CVelkDisk::ReadHeader(const uint8_t* header, uint32_t& trackCount, SectorRange& trackTable,
                           SectorRange& scheduleTable) {
    using namespace disk_layout;
    const int32_t count = int32_t(LoadLe32(header + header::kTrackCount));
    if (count > kMaxTracks) return false;
    trackCount = count > 0 ? uint32_t(count) : 0;
    trackTable = {LoadLe32(header + header::kTrackTableStart), TrackTableSectors(trackCount)};
    scheduleTable = {LoadLe32(header + header::kScheduleTableStart), LoadLe32(header + header::kScheduleCount)};
    if (scheduleTable.count > kMaxSchedules) {
        m_job->Tell(Fill(VELK3_TRANSLATE_NOOP("velk3core",
                                              "The flash card claims to hold %1 schedules, more than the %2 that "
                                              "VELK3 Manager reads.\nThe card may be damaged; it was not read."),
                         scheduleTable.count, kMaxSchedules),
                    VELK3_TRANSLATE_NOOP("velk3core", "Unrecognized Flash Format"), MessageIcon::Warning);
        return false;
    }
    const uint64_t cardSectors = m_device.GetSectorCount();
    if (cardSectors == 0) return true;
    return trackTable.End() <= cardSectors && scheduleTable.End() <= cardSectors;
}

void CVelkDisk::ReadRun(uint32_t first, uint32_t count, std::vector<uint8_t>& buffer) {
    buffer.resize(size_t(count) * kSectorSize);
    m_device.readSector(first, count, buffer.data());
}

void CVelkDisk::ReadTrackTable(const SectorRange& table, uint32_t trackCount) {
    using namespace disk_layout;
    m_tracks.reserve(trackCount);
    PrefaultForWriting(m_tracks.data(), trackCount * sizeof(TrackEntry));
    std::vector<uint8_t> run;
    for (uint32_t done = 0; done < table.count; done += kMaxSectorsPerCall) {
        const uint32_t sectors = std::min(kMaxSectorsPerCall, table.count - done);
        ReadRun(table.first + done, sectors, run);
        for (uint32_t s = 0; s < sectors; ++s)
            for (uint32_t slot = 0; slot < kEntriesPerSector && m_tracks.size() < trackCount; ++slot)
                m_tracks.push_back(TrackEntry::Decode(run.data() + s * kSectorSize + slot * kTrackEntrySize));
    }
}

void CVelkDisk::ReadScheduleTable(const SectorRange& table) {
    using namespace disk_layout;
    std::vector<uint8_t> run;
    for (uint32_t done = 0; done < table.count; done += kMaxSectorsPerCall) {
        const uint32_t sectors = std::min(kMaxSectorsPerCall, table.count - done);
        ReadRun(table.first + done, sectors, run);
        for (uint32_t s = 0; s < sectors; ++s) {
            ScheduleEntry entry;
            entry.Decode(run.data() + s * kSectorSize);
            if (entry.trackIndex < m_tracks.size()) m_schedules.push_back(std::move(entry));
        }
    }
}

bool CVelkDisk::ExtentsConsistent() const {
    for (size_t i = 0; i < m_tracks.size(); ++i) {
        const TrackEntry& t = m_tracks[i];
        if (t.audioStart > t.dataStart || t.dataStart > t.endSector) return false;
        if (i + 1 < m_tracks.size() && t.endSector != m_tracks[i + 1].audioStart) return false;
    }
    return true;
}
