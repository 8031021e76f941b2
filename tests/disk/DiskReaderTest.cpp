#include <gtest/gtest.h>

#include <stdexcept>

#include "disk/CardBuilder.h"
#include "disk/DiskLayout.h"
#include "disk/VelkDisk.h"
#include "support/RecordingPrompt.h"

namespace {

constexpr uint32_t kCard = 4096;

// The largest card there is, zeros but for its header: a header may claim schedules up to the
// card's size, and only the limit stands between that claim and the memory of the reader.
class CVastCard final : public CSectorDevice {
public:
    explicit CVastCard(const RawHeader& header) : m_header(1) { PutHeader(m_header, header); }
    uint32_t GetSectorCount() override { return UINT32_MAX; }
    std::string GetName() override { return "vast"; }
    void readSector(uint32_t first, uint32_t count, uint8_t* buffer) override {
        std::memset(buffer, 0, size_t(count) * kSectorSize);
        if (first == 0 && count > 0) std::memcpy(buffer, m_header.Sector(0), kSectorSize);
        sectorsRead += count;
    }
    void writeSector(uint32_t, uint32_t, const uint8_t*) override { throw std::logic_error("no writes"); }
    void Open(const DeviceEntry&) override {}
    void Close() override {}
    bool Identify() override { return true; }
    void Flush() override {}

    uint64_t sectorsRead = 0;

private:
    CMemoryDevice m_header;
};

TEST(VelkDiskRead, ForeignSectorZeroIsNoVelkDiskAndKeepsItsModeRemainder) {
    struct Case {
        int32_t bytes12to15;
        int32_t mode;
    };
    const Case cases[] = {{7, 3}, {-7, -3}, {8, 0}, {-1, -1}, {2, 2}};
    for (const auto& c : cases) {
        CRecordingPrompt prompt;
        const CJobControl job(&prompt, nullptr);
        CMemoryDevice card(kCard);
        std::memset(card.Sector(0), 0x5A, 512);  // some other file system
        StoreLe32(card.Sector(0) + 12, uint32_t(c.bytes12to15));
        CVelkDisk disk(card, &job);
        disk.Read();
        EXPECT_FALSE(disk.IsVelkDisk());
        EXPECT_EQ(disk.GetMode(), c.mode) << c.bytes12to15;
        EXPECT_TRUE(prompt.messages.empty()) << "a foreign card is not worth a warning";
    }
}

TEST(VelkDiskRead, OtherVersionsWarnOnceAndReadEmpty) {
    for (uint32_t version : {2u, 4u}) {
        CRecordingPrompt prompt;
        CMemoryDevice card(kCard);
        const auto tracks = MakeTracks(2);
        PutHeader(card, {.trackCount = 2, .trackTable = tracks.back().endSector, .version = version});
        PutTrackTable(card, tracks.back().endSector, tracks);
        CJobControl job(&prompt, nullptr);
        CVelkDisk disk(card, &job);
        disk.Read();
        EXPECT_FALSE(disk.IsVelkDisk());
        EXPECT_TRUE(disk.GetTracks().empty());
        ASSERT_EQ(prompt.messages.size(), 1u) << version;
        EXPECT_EQ(prompt.messages[0].caption, "Unrecognized Flash Format");
        EXPECT_EQ(prompt.messages[0].text,
                  "The flash card is using an unsupported version of the VELK file format.\n"
                  "Please use the appropriate version of VELK3 Manager or format the card.");
        EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Warning);
    }
}

// Reads exactly the table sectors, in runs of at most 128: a table that ends at the card's last
// sector must still read.
TEST(VelkDiskRead, ReadsExactlyTheTableSectorsInRunsOf128) {
    struct Case {
        int tracks;
        uint32_t schedules;
        std::vector<std::pair<uint32_t, uint32_t>> runs;  // after the header read
    };
    const Case cases[] = {
        {0, 0, {}},
        {8, 0, {{41, 1}}},
        {9, 0, {{46, 2}}},
        {9, 2, {{46, 2}, {48, 2}}},
        {1030, 0, {{5151, 128}, {5279, 1}}},
    };
    for (const auto& c : cases) {
        const auto tracks = MakeTracks(c.tracks);
        const uint32_t e = tracks.empty() ? 1 : tracks.back().endSector;
        const uint32_t t = uint32_t((c.tracks + 7) / 8);
        CMemoryDevice card(e + t + c.schedules);  // tables end at the card's last sector
        PutHeader(card, {.trackCount = c.tracks, .trackTable = e, .scheduleCount = c.schedules,
                         .scheduleTable = e + t});
        PutTrackTable(card, e, tracks);
        CVelkDisk disk(card);
        disk.Read();
        EXPECT_TRUE(disk.IsVelkDisk()) << c.tracks;
        EXPECT_EQ(disk.GetTracks().size(), size_t(c.tracks));
        std::vector<std::pair<uint32_t, uint32_t>> runs(card.readCalls.begin() + 1, card.readCalls.end());
        EXPECT_EQ(runs, c.runs) << c.tracks << " tracks";
    }
}

TEST(VelkDiskRead, TrackEntriesComeBackFieldForField) {
    CMemoryDevice card(kCard);
    auto tracks = MakeTracks(9);
    tracks[3].SetTitle("Exactly15chars!");  // 15 characters and the NUL fill the field
    const uint32_t e = tracks.back().endSector;
    PutHeader(card, {.trackCount = 9, .trackTable = e, .mode = 2, .scheduleTable = e + 2});
    PutTrackTable(card, e, tracks);
    CVelkDisk disk(card);
    disk.Read();
    ASSERT_TRUE(disk.IsVelkDisk());
    ASSERT_EQ(disk.GetTracks().size(), 9u);
    for (size_t i = 0; i < 9; ++i) {
        const TrackEntry& got = disk.GetTracks()[i];
        EXPECT_EQ(got.Title(), tracks[i].Title());
        EXPECT_EQ(got.audioStart, tracks[i].audioStart);
        EXPECT_EQ(got.dataStart, tracks[i].dataStart);
        EXPECT_EQ(got.endSector, tracks[i].endSector);
        EXPECT_EQ(got.frameMs, tracks[i].frameMs);
        EXPECT_EQ(got.baudCode, tracks[i].baudCode);
        EXPECT_EQ(got.protocolCode, tracks[i].protocolCode);
        EXPECT_EQ(got.settings, tracks[i].settings);
    }
    EXPECT_EQ(disk.GetTracks()[3].Title(), "Exactly15chars!");
    EXPECT_EQ(disk.GetMode(), 2);
    EXPECT_EQ(disk.NextFreeSector(), e);
}

// Headers a damaged or hostile card may carry: each must read as no VELK disk, without reading
// or allocating beyond what the card holds.
TEST(VelkDiskRead, RefusesInconsistentOrImpossibleLayouts) {
    struct Case {
        const char* what;
        void (*damage)(std::vector<TrackEntry>&, RawHeader&);
    };
    const Case cases[] = {
        {"data start below audio start", [](auto& t, auto&) { t[1].dataStart = t[1].audioStart - 1; }},
        {"end below data start", [](auto& t, auto&) { t[2].endSector = t[2].dataStart - 1; }},
        {"gap between tracks", [](auto& t, auto&) { t[1].audioStart += 1; t[1].dataStart += 1; }},
        {"overlapping tracks", [](auto& t, auto&) { t[2].audioStart -= 1; }},
        {"more than 65533 tracks", [](auto&, auto& h) { h.trackCount = 65534; }},
        {"track table past the card", [](auto&, auto& h) { h.trackTable = kCard; }},
        {"schedules past the card", [](auto&, auto& h) { h.scheduleCount = 0xFFFFFFF0u; }},
        {"schedule table start past the card", [](auto&, auto& h) { h.scheduleCount = 1; h.scheduleTable = 0xFFFFFFFFu; }},
    };
    for (const auto& c : cases) {
        CMemoryDevice card(kCard);
        auto tracks = MakeTracks(3);
        const uint32_t e = tracks.back().endSector;
        RawHeader header{.trackCount = 3, .trackTable = e, .scheduleTable = e + 1};
        c.damage(tracks, header);
        PutHeader(card, header);
        PutTrackTable(card, e, tracks);
        CVelkDisk disk(card);
        disk.Read();
        EXPECT_FALSE(disk.IsVelkDisk()) << c.what;
        EXPECT_TRUE(disk.GetTracks().empty()) << c.what;
        EXPECT_TRUE(disk.GetSchedules().empty()) << c.what;
        for (const auto& [first, count] : card.readCalls)
            EXPECT_LE(uint64_t(first) + count, kCard) << c.what;
    }
}

TEST(VelkDiskRead, AScheduleCountAboveTheLimitIsRefusedBeforeAnyScheduleIsRead) {
    struct Case {
        uint32_t count;
        bool read;
    };
    const Case cases[] = {{disk_layout::kMaxSchedules, true}, {disk_layout::kMaxSchedules + 1, false}, {UINT32_MAX, false}};
    for (const Case& c : cases) {
        CRecordingPrompt prompt;
        CJobControl job(&prompt, nullptr);
        CVastCard card({.scheduleCount = c.count, .scheduleTable = 1});
        CVelkDisk disk(card, &job);
        disk.Read();
        EXPECT_EQ(disk.IsVelkDisk(), c.read) << c.count;
        EXPECT_EQ(card.sectorsRead, c.read ? 1 + uint64_t(c.count) : 1) << c.count;
        if (c.read) {
            EXPECT_TRUE(prompt.messages.empty()) << c.count;
            continue;
        }
        ASSERT_EQ(prompt.messages.size(), 1u) << c.count;
        EXPECT_NE(prompt.messages[0].text.find(std::to_string(c.count) + " schedules"), std::string::npos)
            << prompt.messages[0].text;
        EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Warning);
    }
}

TEST(VelkDiskRead, NegativeTrackCountReadsAsEmptyDisk) {
    CMemoryDevice card(kCard);
    PutHeader(card, {.trackCount = -5});
    CVelkDisk disk(card);
    disk.Read();
    EXPECT_TRUE(disk.IsVelkDisk());
    EXPECT_TRUE(disk.GetTracks().empty());
    EXPECT_EQ(disk.NextFreeSector(), 1u);
}

TEST(VelkDiskRead, DropsSchedulesOfTracksBeyondTheCount) {
    CMemoryDevice card(kCard);
    const auto tracks = MakeTracks(3);
    const uint32_t e = tracks.back().endSector;
    const uint16_t indexes[] = {2, 3, 0, 65535, 1};
    PutHeader(card, {.trackCount = 3, .trackTable = e, .scheduleCount = 5, .scheduleTable = e + 1});
    PutTrackTable(card, e, tracks);
    for (uint32_t j = 0; j < 5; ++j) {
        ScheduleEntry s;
        s.trackIndex = indexes[j];
        s.hours = {uint8_t(j)};
        s.Encode(card.Sector(e + 1 + j));
    }
    CVelkDisk disk(card);
    disk.Read();
    ASSERT_EQ(disk.GetSchedules().size(), 3u);
    EXPECT_EQ(disk.GetSchedules()[0].trackIndex, 2);
    EXPECT_EQ(disk.GetSchedules()[1].trackIndex, 0);
    EXPECT_EQ(disk.GetSchedules()[2].trackIndex, 1);
    EXPECT_EQ(disk.GetSchedules()[2].hours, ValueSet{4});
}

TEST(VelkDiskRead, StatusWindowSaysReady) {
    CMemoryDevice card(kCard);
    CRecordingProgress status;
    CJobControl job(nullptr, &status);
    CVelkDisk disk(card, &job);
    disk.Read();
    EXPECT_EQ(status.calls, std::vector<std::string>{"Ready 0/0"});
}

}  // namespace
