#pragma once
// The in-memory model of one VELK disk over an opened sector device: its tracks, its schedules and
// the mode the firmware keeps in the header. Built for one command, read first, then written.
//
// Writing never leaves the card unreadable: the tables are written before the header that points
// at them, and tables the card's header still describes are never overwritten until a header
// describing a complete new copy is on the card. The final layout is always the plain one: tables
// directly behind the last track.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/Mp3Encoder.h"
#include "devices/SectorDevice.h"
#include "disk/DiskLayout.h"
#include "disk/PreparedRoutine.h"
#include "disk/ScheduleEntry.h"
#include "disk/TrackEntry.h"
#include "disk/WrittenSectors.h"
#include "platform/JobControl.h"
#include "platform/StdioFile.h"

struct RoutineHeader;

// Whether a first sector says it is a VELK disk's header (of any version: one of another version
// is still a card, not someone's file).
bool IsVelkHeader(const uint8_t* sector);

class CVelkDisk {
public:
    // job: where status, progress and questions go and whether to stop; none: nowhere, never.
    explicit CVelkDisk(CSectorDevice& device, const CJobControl* job = nullptr);
    ~CVelkDisk();
    CVelkDisk(const CVelkDisk&) = delete;
    CVelkDisk& operator=(const CVelkDisk&) = delete;

    // Reader.
    const std::vector<TrackEntry>& Read();
    bool IsVelkDisk() const { return m_valid; }
    uint32_t NextFreeSector() const;
    const std::vector<TrackEntry>& GetTracks() const { return m_tracks; }
    const std::vector<ScheduleEntry>& GetSchedules() const { return m_schedules; }
    void SetSchedules(const std::vector<ScheduleEntry>& schedules) { m_schedules = schedules; }
    // Replaces the track list in memory; WriteTable puts it on the card.
    void SetTracks(std::vector<TrackEntry> tracks) { m_tracks = std::move(tracks); }
    int32_t GetMode() const { return m_mode; }

    // Writer. Everything written is read back from the card and compared before the header that
    // makes it part of the card is written, and the header after it (unless turned off).
    void SetVerify(bool verify) { m_verify = verify; }
    // How routine audio that must be converted is encoded (the machine's cores, by default).
    void SetEncoderSettings(const Mp3EncoderSettings& settings) { m_encoderSettings = settings; }
    void WriteTable();
    void Format();
    void RemoveLastTrack();
    // Stops (CJobStopped) between runs of sectors when the job is asked to.
    bool WriteStream(std::FILE* file, uint32_t firstSector, uint32_t byteCount, const uint8_t* pad);
    size_t AppendTrack(const TrackEntry& entry);
    // Writes the current tables at firstSector and then a header pointing there. An import moves
    // the tables out of the way this way before it writes a track over their old place.
    void RelocateTables(uint32_t firstSector);
    // One past the last sector that the card's header or the track list refers to (tables included).
    uint32_t ReferencedEnd() const;
    // Whether a card of this size holds everything up to endSector. A unit is asked its size first.
    bool FitsOnCard(uint64_t endSector);
    // The card's size in sectors, 0 when the device does not tell.
    uint32_t CardSectors();
    // Writes sectors the way every write of a command goes: recorded for the next check.
    void WriteRun(uint32_t first, uint32_t count, const uint8_t* data);
    // Flushes and checks what was written since the last check.
    void VerifyWritten(CWrittenSectors::Stops stops);
    uint64_t UnverifiedSectors() const { return m_unverified.SectorCount(); }

    // Import of ".velk" routine files. Everything that can be checked before the card is touched
    // is checked first; at every moment the header on the card describes complete tables.
    // A stop request is honoured while the audio is converted and between runs of sectors, never
    // once the tables are being written: a stopped import leaves the card as it was.
    void ImportRoutineFile(const std::string& path, bool writeTable);
    // The MP3 bytes to store for a routine: its own frames when the unit plays them, else its audio
    // converted. On return file stands at the routine's data.
    void PrepareAudio(const RoutineHeader& header, std::FILE* file, uint32_t& audioBytes, StdioFile& audioStream);
    // Opens a routine file, checks it and prepares its audio: everything an import does before
    // it writes.
    PreparedRoutine PrepareRoutineFile(const std::string& path);
    // Writes its audio and data into the sectors of entry (stops between runs).
    void WriteRoutine(PreparedRoutine& routine, const TrackEntry& entry);

    CSectorDevice& Device() { return m_device; }
    const CJobControl& Job() const { return *m_job; }
    void AddTempFile(const std::string& path) { m_tempFiles.push_back(path); }

private:
    // What the header on the card describes: the tables a write must not destroy.
    struct SectorRange {
        uint32_t first = 0;
        uint32_t count = 0;
        uint64_t End() const { return uint64_t(first) + count; }
        bool Overlaps(const SectorRange& other) const;
    };

    bool ReadHeader(const uint8_t* header, uint32_t& trackCount, SectorRange& trackTable, SectorRange& scheduleTable);
    void ReadTrackTable(const SectorRange& table, uint32_t trackCount);
    void ReadScheduleTable(const SectorRange& table);
    bool ExtentsConsistent() const;
    void ReadRun(uint32_t first, uint32_t count, std::vector<uint8_t>& buffer);

    uint32_t TableSectorCount() const;
    void FillTableSector(uint32_t index, uint8_t* sector) const;
    void WriteTablesAt(uint32_t firstSector);
    void WriteHeader(uint32_t tableStart);
    void IdentifyCard();
    bool OverlapsCardTables(const SectorRange& area) const;
    // Writes a complete copy of the current tables behind area and everything the card uses, and a
    // header pointing at it, so that area may be overwritten; false when the card has no room.
    bool CopyTablesClearOf(const SectorRange& area);
    void CheckFits(uint64_t endSector, const char* message);
    // The tracks' sectors; a card on the way through an edit has them further on than sector 1.
    SectorRange TrackArea() const;
    void ConvertAudio(const RoutineHeader& header, std::FILE* file, uint32_t& audioBytes, StdioFile& audioStream);
    void MakeRoomForTrack(const TrackEntry& entry);
    void ShowReady();

    CSectorDevice& m_device;
    std::vector<TrackEntry> m_tracks;
    std::vector<ScheduleEntry> m_schedules;
    bool m_valid = false;
    bool m_identified = false;
    CJobControl m_silentJob;
    const CJobControl* m_job;
    std::vector<std::string> m_tempFiles;
    bool m_verify = true;
    Mp3EncoderSettings m_encoderSettings;
    CWrittenSectors m_unverified;
    int32_t m_mode = 0;
    SectorRange m_cardTracks;  // what the card's header describes: tracks and tables
    SectorRange m_cardTrackTable;
    SectorRange m_cardScheduleTable;
};

// The 512-byte block that fills the tail of a track's last audio sector: a silent 418-byte
// MPEG-1 Layer III frame followed by its first 94 bytes.
const uint8_t* AudioPaddingBlock();
