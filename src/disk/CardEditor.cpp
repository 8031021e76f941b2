#include "disk/CardEditor.h"

#include <algorithm>
#include <optional>

#include "disk/DiskLayout.h"
#include "platform/Exceptions.h"
#include "platform/Translatable.h"
#include "platform/TextFormat.h"

namespace {

using disk_layout::kMaxSectorsPerCall;

constexpr const char* kCardFull = VELK3_TRANSLATE_NOOP("velk3core", "The card is full");
// What was written is checked at the latest after this many sectors, so that the fingerprints kept
// for the check stay at 1 MiB however much an edit moves.
constexpr uint64_t kCheckEverySectors = uint64_t(1) << 17;
constexpr double kSectorsPerMb = 1048576.0 / kSectorSize;

// One routine of the new card.
struct Slot {
    TrackEntry entry;                     // its fields, and the sectors that hold it now
    std::optional<uint32_t> home;         // where it lay when the edit began (a routine of the card)
    std::optional<PreparedRoutine> file;  // a routine not written to the card yet

    uint32_t AudioSectors() const { return entry.dataStart - entry.audioStart; }
    uint32_t DataSectors() const { return entry.endSector - entry.dataStart; }
    uint32_t Sectors() const { return entry.endSector - entry.audioStart; }
    // Whether its sectors already hold it at the place of `to`: its place now, or its place on the
    // card as it was, which nothing overwrites before the routines are copied to their final places.
    bool LiesAt(const TrackEntry& to) const {
        return !file && (entry.audioStart == to.audioStart || home == to.audioStart);
    }
};

using Layout = std::vector<TrackEntry>;

uint64_t EndOf(const Layout& layout) {
    return layout.empty() ? disk_layout::kFirstTrackSector : layout.back().endSector;
}

bool Overlap(uint64_t first, uint64_t end, uint64_t otherFirst, uint64_t otherEnd) {
    return first < end && otherFirst < otherEnd && first < otherEnd && otherFirst < end;
}

class CCardEdit {
public:
    CCardEdit(CVelkDisk& disk, const RoutineOrder& order);
    void Run();

private:
    Slot SlotFor(const PlannedRoutine& planned);
    Layout LaidOutFrom(uint64_t first) const;
    Layout Current() const;
    uint64_t RoutineSectors() const;
    uint32_t TableSectors() const;
    bool CardRoutinesBackToBack() const;
    bool ClearOf(const Layout& target, const Layout& named);
    Layout Staging(uint64_t finalEnd);
    void MoveTo(const Layout& target, CWrittenSectors::Stops stops);
    void CopySectors(uint32_t from, uint32_t to, uint32_t count, CWrittenSectors::Stops stops);
    void CheckWhenDue(CWrittenSectors::Stops stops);
    void Name(const Layout& layout);

    CVelkDisk& m_disk;
    const CJobControl& m_job;
    std::vector<Slot> m_slots;
    std::vector<std::optional<size_t>> m_tracks;  // the card's track of each slot
    std::vector<ScheduleEntry> m_schedules;
    std::vector<uint8_t> m_run;
    uint64_t m_bytesToMove = 0;
    uint64_t m_bytesMoved = 0;
};

CCardEdit::CCardEdit(CVelkDisk& disk, const RoutineOrder& order)
    : m_disk(disk), m_job(disk.Job()), m_run(size_t(kMaxSectorsPerCall) * kSectorSize) {
    const size_t count = disk.GetTracks().size();
    m_schedules = SchedulesFor(order, disk.GetSchedules(), count);
    for (const PlannedRoutine& planned : order) {
        m_slots.push_back(SlotFor(planned));
        m_tracks.push_back(planned.track);
    }
}

Slot CCardEdit::SlotFor(const PlannedRoutine& planned) {
    Slot slot;
    if (planned.track) {
        slot.entry = m_disk.GetTracks().at(*planned.track);
        slot.home = slot.entry.audioStart;
    } else {
        slot.file = m_disk.PrepareRoutineFile(planned.file);
        slot.entry = slot.file->EntryAt(0);
    }
    if (planned.title) slot.entry.SetTitle(*planned.title);
    return slot;
}

Layout CCardEdit::LaidOutFrom(uint64_t first) const {
    Layout layout;
    uint64_t at = first;
    for (const Slot& slot : m_slots) {
        TrackEntry entry = slot.entry;
        const uint64_t dataStart = at + slot.AudioSectors();
        const uint64_t end = dataStart + slot.DataSectors();
        if (end > UINT32_MAX) throw CUsbDeviceException(kCardFull);
        entry.audioStart = uint32_t(at);
        entry.dataStart = uint32_t(dataStart);
        entry.endSector = uint32_t(end);
        layout.push_back(entry);
        at = end;
    }
    return layout;
}

Layout CCardEdit::Current() const {
    Layout layout;
    for (const Slot& slot : m_slots) layout.push_back(slot.entry);
    return layout;
}

uint64_t CCardEdit::RoutineSectors() const {
    uint64_t sectors = 0;
    for (const Slot& slot : m_slots) sectors += slot.Sectors();
    return sectors;
}

uint32_t CCardEdit::TableSectors() const {
    return disk_layout::TrackTableSectors(uint32_t(m_slots.size())) + uint32_t(m_schedules.size());
}

// The new card is routines of the card in their order and back to back (the old card with routines
// left off its front or end): it can be named where it lies.
bool CCardEdit::CardRoutinesBackToBack() const {
    for (size_t i = 0; i < m_slots.size(); ++i)
        if (!m_tracks[i] || *m_tracks[i] != *m_tracks[0] + i) return false;
    return true;
}

// Whether the routines can be copied to target while named has the card: no routine target writes
// lies under named's routines or under the tables that will name them. Target's tables may: the
// writer then first puts a copy of them behind everything, if there is room for it.
bool CCardEdit::ClearOf(const Layout& target, const Layout& named) {
    const uint64_t first = named.empty() ? EndOf(named) : named.front().audioStart;
    const uint64_t end = EndOf(named) + TableSectors();
    for (size_t i = 0; i < m_slots.size(); ++i)
        if (!m_slots[i].LiesAt(target[i]) && Overlap(target[i].audioStart, target[i].endSector, first, end)) return false;
    const uint64_t tables = EndOf(target);
    return !Overlap(tables, tables + TableSectors(), first, end) || m_disk.FitsOnCard(end + TableSectors());
}

// The place for the new card behind everything the card uses and everything the final card will,
// so that nothing written on the way overwrites what a header names.
Layout CCardEdit::Staging(uint64_t finalEnd) {
    const uint64_t referenced = m_disk.ReferencedEnd();
    const uint64_t first = std::max(referenced, finalEnd);
    const uint64_t end = first + RoutineSectors() + TableSectors();
    if (!m_disk.FitsOnCard(end)) {
        const uint64_t card = m_disk.CardSectors();
        throw CUsbDeviceException(NoRoomToMoveText(end - referenced, card > referenced ? card - referenced : 0));
    }
    return LaidOutFrom(first);
}

void CCardEdit::Run() {
    const Layout final = LaidOutFrom(disk_layout::kFirstTrackSector);
    const uint64_t finalEnd = EndOf(final) + TableSectors();
    if (!m_disk.FitsOnCard(finalEnd)) throw CUsbDeviceException(kCardFull);
    m_job.ThrowIfStopped();
    if (CardRoutinesBackToBack()) {
        const Layout current = Current();
        if (current == final) {
            Name(final);
            return;
        }
        if (ClearOf(final, current)) {
            Name(current);
            MoveTo(final, CWrittenSectors::Stops::Ignored);
            Name(final);
            return;
        }
    }
    const Layout staged = Staging(finalEnd);
    MoveTo(staged, CWrittenSectors::Stops::Honoured);
    m_disk.VerifyWritten(CWrittenSectors::Stops::Honoured);
    Name(staged);
    // The card holds the new routines now: the rest is not given up halfway.
    MoveTo(final, CWrittenSectors::Stops::Ignored);
    Name(final);
}

void CCardEdit::MoveTo(const Layout& target, CWrittenSectors::Stops stops) {
    m_bytesToMove = 0;
    for (size_t i = 0; i < m_slots.size(); ++i)
        if (!m_slots[i].LiesAt(target[i])) m_bytesToMove += uint64_t(m_slots[i].Sectors()) * kSectorSize;
    m_bytesMoved = 0;
    m_job.Begin(JobPhase::Moving, ProgressUnit::Bytes, m_bytesToMove);
    for (size_t i = 0; i < m_slots.size(); ++i) {
        Slot& slot = m_slots[i];
        if (slot.LiesAt(target[i])) {
            slot.entry = target[i];
            continue;
        }
        if (slot.file) {
            m_disk.WriteRoutine(*slot.file, target[i]);
            slot.file.reset();
            m_bytesMoved += uint64_t(slot.Sectors()) * kSectorSize;
            m_job.Begin(JobPhase::Moving, ProgressUnit::Bytes, m_bytesToMove, m_bytesMoved);
            CheckWhenDue(stops);
        } else {
            CopySectors(slot.entry.audioStart, target[i].audioStart, slot.Sectors(), stops);
        }
        slot.entry = target[i];
    }
}

void CCardEdit::CopySectors(uint32_t from, uint32_t to, uint32_t count, CWrittenSectors::Stops stops) {
    for (uint32_t at = 0; at < count;) {
        if (stops == CWrittenSectors::Stops::Honoured) m_job.ThrowIfStopped();
        const uint32_t sectors = std::min(kMaxSectorsPerCall, count - at);
        m_disk.Device().readSector(from + at, sectors, m_run.data());
        m_disk.WriteRun(to + at, sectors, m_run.data());
        at += sectors;
        m_bytesMoved += uint64_t(sectors) * kSectorSize;
        m_job.Progress(m_bytesMoved);
        CheckWhenDue(stops);
    }
}

void CCardEdit::CheckWhenDue(CWrittenSectors::Stops stops) {
    if (m_disk.UnverifiedSectors() < kCheckEverySectors) return;
    m_disk.VerifyWritten(stops);
    m_job.Begin(JobPhase::Moving, ProgressUnit::Bytes, m_bytesToMove, m_bytesMoved);
}

// Tables, then the header that names them and the routines at layout's places (each checked
// before the header when checks are on): the card holds layout from here on.
void CCardEdit::Name(const Layout& layout) {
    m_disk.SetTracks(layout);
    m_disk.SetSchedules(m_schedules);
    m_disk.WriteTable();
}

}  // namespace

void ApplyRoutineOrder(CVelkDisk& disk, const RoutineOrder& order) { CCardEdit(disk, order).Run(); }

MessageText NoRoomToMoveText(uint64_t neededSectors, uint64_t freeSectors) {
    return Fill(
        VELK3_TRANSLATE_NOOP("velk3core",
                             "There is not enough free space on the card to move the routines safely: %1 MB are needed "
                             "behind what the card holds, %2 MB are free."),
        StringPrintf("%.2f", double(neededSectors) / kSectorsPerMb),
        StringPrintf("%.2f", double(freeSectors) / kSectorsPerMb));
}
