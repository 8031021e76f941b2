// Writing a VELK disk: header and tables, format, removing the last track, and streams of bytes
// into consecutive sectors.
#include <algorithm>
#include <cstring>
#include <vector>

#include "disk/DiskLayout.h"
#include "disk/VelkDisk.h"
#include "platform/ByteOrder.h"
#include "platform/Exceptions.h"
#include "platform/Translatable.h"
#include "platform/TextFormat.h"

namespace {

constexpr uint32_t kStreamBlockBytes = 65536;

constexpr uint8_t kPaddingFrameHead[36] = {
    0xFF, 0xFB, 0x93, 0x4C,  // MPEG-1 Layer III, 128 kbit/s, 44100 Hz, padded: 418 bytes
    0x00, 0x00, 0x00, 0x00, 0x00, 0x4B, 0x80, 0x00, 0x00, 0x08, 0x00, 0x00, 0x09, 0x70, 0x00, 0x00,
    0x01, 0x00, 0x00, 0x01, 0x2E, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x25, 0xC0, 0x00, 0x00, 0x04,
};
constexpr size_t kPaddingFrameSize = 418;

std::array<uint8_t, kSectorSize> MakePaddingBlock() {
    std::array<uint8_t, kSectorSize> block{};
    std::fill(block.begin(), block.begin() + kPaddingFrameSize, 0xFF);
    std::copy(std::begin(kPaddingFrameHead), std::end(kPaddingFrameHead), block.begin());
    std::copy(block.begin(), block.begin() + (kSectorSize - kPaddingFrameSize), block.begin() + kPaddingFrameSize);
    return block;
}

}  // namespace

const uint8_t* AudioPaddingBlock() {
    static const std::array<uint8_t, kSectorSize> block = MakePaddingBlock();
    return block.data();
}

uint32_t CVelkDisk::TableSectorCount() const {
    return disk_layout::TrackTableSectors(uint32_t(m_tracks.size())) + uint32_t(m_schedules.size());
}

uint32_t CVelkDisk::ReferencedEnd() const {
    uint64_t end = NextFreeSector();
    end = std::max({end, m_cardTracks.End(), m_cardTrackTable.End(), m_cardScheduleTable.End()});
    return uint32_t(std::min<uint64_t>(end, UINT32_MAX));
}

// Sector index of the table image that starts at the track table: track sectors, then schedules.
void CVelkDisk::FillTableSector(uint32_t index, uint8_t* sector) const {
    using namespace disk_layout;
    std::memset(sector, 0, kSectorSize);
    const uint32_t trackSectors = TrackTableSectors(uint32_t(m_tracks.size()));
    if (index < trackSectors) {
        const size_t first = size_t(index) * kEntriesPerSector;
        const size_t last = std::min(first + kEntriesPerSector, m_tracks.size());
        for (size_t i = first; i < last; ++i) m_tracks[i].Encode(sector + (i - first) * kTrackEntrySize);
    } else {
        m_schedules[index - trackSectors].Encode(sector);
    }
}

void CVelkDisk::WriteTablesAt(uint32_t firstSector) {
    using namespace disk_layout;
    const uint32_t total = TableSectorCount();
    m_job->Begin(JobPhase::WritingTables, ProgressUnit::Sectors, total);
    std::vector<uint8_t> run(size_t(std::min(total, kMaxSectorsPerCall)) * kSectorSize);
    for (uint32_t done = 0; done < total; done += kMaxSectorsPerCall) {
        const uint32_t sectors = std::min(kMaxSectorsPerCall, total - done);
        for (uint32_t s = 0; s < sectors; ++s) FillTableSector(done + s, run.data() + s * kSectorSize);
        WriteRun(firstSector + done, sectors, run.data());
        m_job->Progress(done + sectors);
    }
}

void CVelkDisk::WriteRun(uint32_t first, uint32_t count, const uint8_t* data) {
    m_device.writeSector(first, count, data);
    if (m_verify) m_unverified.Record(first, count, data);
}

void CVelkDisk::VerifyWritten(CWrittenSectors::Stops stops) {
    m_device.Flush();
    if (m_verify) m_unverified.Verify(m_device, *m_job, stops);
}

void CVelkDisk::WriteHeader(uint32_t tableStart) {
    using namespace disk_layout;
    uint8_t header[kSectorSize] = {};
    const uint32_t trackSectors = TrackTableSectors(uint32_t(m_tracks.size()));
    StoreLe32(header + header::kMagic, kMagic);
    StoreLe32(header + header::kTrackCount, uint32_t(m_tracks.size()));
    StoreLe32(header + header::kTrackTableStart, tableStart);
    StoreLe32(header + header::kMode, uint32_t(m_mode));
    StoreLe32(header + header::kVersion, kVersion);
    StoreLe32(header + header::kScheduleCount, uint32_t(m_schedules.size()));
    StoreLe32(header + header::kScheduleTableStart, tableStart + trackSectors);
    // The card may store writes in any order between flushes: the tracks and tables must be on
    // it before a header names them, and the header before anything it replaced is overwritten.
    // Tables the card did not keep stop the job while the old header still stands. The tables are
    // never given up halfway: a stop waits for the header.
    VerifyWritten(CWrittenSectors::Stops::Ignored);
    WriteRun(0, 1, header);
    VerifyWritten(CWrittenSectors::Stops::Ignored);
    m_cardTracks = TrackArea();
    m_cardTrackTable = {tableStart, trackSectors};
    m_cardScheduleTable = {tableStart + trackSectors, uint32_t(m_schedules.size())};
    m_valid = true;
}

// Every write is checked against the card's size first. A unit learns its size only when it is
// identified, so that happens here, before the first write of a command and never for a reading one.
void CVelkDisk::IdentifyCard() {
    if (m_identified) return;
    if (!m_device.Identify())
        throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to read device id (invalid checksum)"));
    m_identified = true;
}

bool CVelkDisk::FitsOnCard(uint64_t endSector) {
    IdentifyCard();
    const uint64_t cardSectors = m_device.GetSectorCount();
    return endSector <= UINT32_MAX && (cardSectors == 0 || endSector <= cardSectors);
}

uint32_t CVelkDisk::CardSectors() {
    IdentifyCard();
    return m_device.GetSectorCount();
}

void CVelkDisk::CheckFits(uint64_t endSector, const char* message) {
    if (!FitsOnCard(endSector)) throw CUsbDeviceException(message);
}

void CVelkDisk::RelocateTables(uint32_t firstSector) {
    CheckFits(uint64_t(firstSector) + TableSectorCount(), VELK3_TRANSLATE_NOOP("velk3core", "The card is full"));
    WriteTablesAt(firstSector);
    WriteHeader(firstSector);
}

bool CVelkDisk::OverlapsCardTables(const SectorRange& area) const {
    return area.Overlaps(m_cardTrackTable) || area.Overlaps(m_cardScheduleTable);
}

bool CVelkDisk::CopyTablesClearOf(const SectorRange& area) {
    const uint64_t spare = std::max<uint64_t>(area.End(), ReferencedEnd());
    if (!FitsOnCard(spare + TableSectorCount())) return false;
    WriteTablesAt(uint32_t(spare));
    WriteHeader(uint32_t(spare));
    return true;
}

void CVelkDisk::WriteTable() {
    if (m_tracks.size() > size_t(disk_layout::kMaxTracks))
        throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "Maximum number of files reached"));
    // A card this program would refuse to read is never written.
    if (m_schedules.size() > disk_layout::kMaxSchedules)
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "Too many schedules (%1; a card holds at most %2)"),
                 m_schedules.size(), disk_layout::kMaxSchedules));
    const SectorRange target{NextFreeSector(), TableSectorCount()};
    CheckFits(target.End(), VELK3_TRANSLATE_NOOP("velk3core", "The card is full"));
    const bool hitsTables = OverlapsCardTables(target);
    // The new tables go where the card's header still points (its tables, or a track being
    // removed): a complete copy goes behind everything first, so that every header ever on the
    // card describes whole tables and whole tracks. On a full card where only the track being
    // removed is in the way, its sectors are written before the header stops referring to them.
    if ((hitsTables || target.Overlaps(m_cardTracks)) && !CopyTablesClearOf(target) && hitsTables)
        throw CUsbDeviceException(VELK3_TRANSLATE_NOOP(
            "velk3core", "There is not enough free space on the card to rewrite its tables safely"));
    WriteTablesAt(target.first);
    WriteHeader(target.first);
    ShowReady();
}

void CVelkDisk::Format() {
    m_tracks.clear();
    m_schedules.clear();
    WriteTable();
}

void CVelkDisk::RemoveLastTrack() {
    if (m_tracks.empty()) throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "Too few tracks"));
    const uint16_t last = uint16_t(m_tracks.size() - 1);
    std::erase_if(m_schedules, [last](const ScheduleEntry& s) { return s.trackIndex == last; });
    m_tracks.pop_back();
    WriteTable();
}

bool CVelkDisk::WriteStream(std::FILE* file, uint32_t firstSector, uint32_t byteCount, const uint8_t* pad) {
    std::vector<uint8_t> buffer(kStreamBlockBytes);
    uint32_t sector = firstSector;
    uint32_t remaining = byteCount;
    while (remaining > 0) {
        m_job->ThrowIfStopped();
        m_job->Progress(sector - firstSector);
        uint32_t bytes = remaining >= kStreamBlockBytes ? kStreamBlockBytes : remaining / kSectorSize * kSectorSize;
        if (bytes == 0) {
            // The last, partial sector: the rest of it is padding.
            bytes = remaining;
            if (pad)
                std::memcpy(buffer.data() + remaining, pad, kSectorSize - remaining);
            else
                std::memset(buffer.data() + remaining, 0, kSectorSize - remaining);
        }
        if (std::fread(buffer.data(), 1, bytes, file) != bytes) return false;
        const uint32_t sectors = (bytes + kSectorSize - 1) / kSectorSize;
        WriteRun(sector, sectors, buffer.data());
        sector += sectors;
        remaining -= bytes;
    }
    m_job->Progress(sector - firstSector);
    return true;
}
