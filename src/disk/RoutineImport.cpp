// Importing a ".velk" routine file as the new last track.
//
// The card is never left without complete tables under its header: the track is written only
// where no table the header describes lies (the tables are first copied out of the way when they
// lie there), and the header that names the new track is written after its tables. Sizes are
// checked before the first write.
#include <sys/stat.h>

#include <algorithm>

#include "disk/DiskLayout.h"
#include "disk/RoutineFile.h"
#include "disk/VelkDisk.h"
#include "platform/Exceptions.h"
#include "platform/Translatable.h"
#include "platform/RegularFile.h"
#include "platform/TextFormat.h"

namespace {

constexpr const char* kCardFull = VELK3_TRANSLATE_NOOP("velk3core", "The card is full");

uint64_t SectorsFor(uint64_t bytes) { return (bytes + kSectorSize - 1) / kSectorSize; }

// A routine file that ends before its header's counts would otherwise be found out only while its
// audio is being written over the card.
void CheckRoutineFileSize(std::FILE* file, const RoutineHeader& header) {
    struct stat st {};
    if (::fstat(::fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) return;
    if (uint64_t(st.st_size) < header.FileSize())
        throw CFileAccessException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core",
                                      "The routine file is shorter than its header says (%1 bytes, %2 expected)"),
                 uint64_t(st.st_size), uint64_t(header.FileSize())));
}

}  // namespace

TrackEntry PreparedRoutine::EntryAt(uint32_t audioStart) const {
    const uint64_t dataStart = audioStart + SectorsFor(audioBytes);
    const uint64_t endSector = dataStart + SectorsFor(header.dataBytes);
    if (endSector > UINT32_MAX) throw CUsbDeviceException(kCardFull);
    TrackEntry entry;
    entry.SetTitle(header.Title());
    entry.audioStart = audioStart;
    entry.dataStart = uint32_t(dataStart);
    entry.endSector = uint32_t(endSector);
    entry.frameMs = header.frameMs;
    entry.baudCode = header.baudCode;
    entry.protocolCode = header.protocol[0];
    std::copy(header.protocol.begin() + 1, header.protocol.end(), entry.settings.begin());
    return entry;
}

PreparedRoutine CVelkDisk::PrepareRoutineFile(const std::string& path) {
    PreparedRoutine routine;
    std::string problem;
    routine.file = OpenRegularStream(path, "rb", problem);
    if (!routine.file)
        throw CDriveAccessException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "Could not open file %1 (%2)"), path, problem));
    uint8_t bytes[RoutineHeader::kSize];
    if (std::fread(bytes, sizeof bytes, 1, routine.file.get()) != 1)
        throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Error reading file"));
    routine.header = RoutineHeader::Decode(bytes);
    if (routine.header.version != RoutineHeader::kVersion)
        throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Unsupported file version"));
    CheckRoutineFileSize(routine.file.get(), routine.header);
    PrepareAudio(routine.header, routine.file.get(), routine.audioBytes, routine.audio);
    return routine;
}

void CVelkDisk::WriteRoutine(PreparedRoutine& routine, const TrackEntry& entry) {
    m_job->Begin(JobPhase::WritingAudio, ProgressUnit::Sectors, entry.dataStart - entry.audioStart);
    if (!WriteStream(routine.audio.get(), entry.audioStart, routine.audioBytes, AudioPaddingBlock()))
        throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Error reading file"));
    m_job->Begin(JobPhase::WritingData, ProgressUnit::Sectors, entry.endSector - entry.dataStart);
    if (!WriteStream(routine.file.get(), entry.dataStart, routine.header.dataBytes, nullptr))
        throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Error reading file"));
}

void CVelkDisk::ImportRoutineFile(const std::string& path, bool writeTable) {
    if (m_tracks.size() >= size_t(disk_layout::kMaxTracks))
        throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Maximum number of files reached"));
    PreparedRoutine routine = PrepareRoutineFile(path);
    const TrackEntry entry = routine.EntryAt(NextFreeSector());
    MakeRoomForTrack(entry);
    WriteRoutine(routine, entry);
    // A track the card did not keep stops the import before any header names it.
    VerifyWritten(CWrittenSectors::Stops::Honoured);
    AppendTrack(entry);
    routine = PreparedRoutine();
    if (writeTable) WriteTable();
}

void CVelkDisk::MakeRoomForTrack(const TrackEntry& entry) {
    using namespace disk_layout;
    const uint32_t finalTableSectors = TrackTableSectors(uint32_t(m_tracks.size() + 1)) + uint32_t(m_schedules.size());
    const uint64_t finalEnd = uint64_t(entry.endSector) + finalTableSectors;
    CheckFits(finalEnd, kCardFull);
    if (!m_valid) {
        // Not a VELK disk yet (the user agreed to lose what it held): an empty disk's header first,
        // so that a failure from here on leaves a readable card rather than a half-written one.
        RelocateTables(uint32_t(finalEnd));
        return;
    }
    // Everything the import writes from here on: the track, then the new tables behind it.
    const SectorRange written{entry.audioStart, uint32_t(finalEnd - entry.audioStart)};
    if (OverlapsCardTables(written) && !CopyTablesClearOf(written)) throw CUsbDeviceException(kCardFull);
}
