// Editing the routines of a card: the card afterwards is the one adding its routines in the new
// order makes, a card failing at any write holds the old routines or the new ones, and a routine
// saved as a routine file adds back as the same sectors.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <functional>

#include "disk/CardContent.h"
#include "disk/CardEditor.h"
#include "disk/RoutineExport.h"
#include "disk/RoutineFixture.h"
#include "support/ExceptionText.h"

namespace {

constexpr uint32_t kCardSectors = 2048;

struct Scheduled {
    uint16_t track;
    uint8_t minute;
};

std::vector<ScheduleEntry> Schedules(const std::vector<Scheduled>& list) {
    std::vector<ScheduleEntry> schedules;
    for (const Scheduled& s : list) {
        schedules.emplace_back();
        schedules.back().trackIndex = s.track;
        schedules.back().minutes = {s.minute};
    }
    return schedules;
}

struct EditCase {
    const char* name;
    std::vector<std::string> before;  // routine files as added, in order
    RoutineOrder order;
    std::vector<std::string> after;   // the files adding which makes the expected card
    std::vector<Scheduled> schedulesAfter;
};

class CardEdit : public RoutineImport {
protected:
    void SetUp() override {
        big = Write("big.velk", Mp3Routine(60, 3000, "Big"));
        mid = Write("mid.velk", Mp3Routine(20, 1500, "Mid"));
        small = Write("small.velk", Mp3Routine(3, 100, "Small"));
        quiet = Write("quiet.velk", Mp3Routine(0, 600, "Quiet"));
        renamed = Write("renamed.velk", Mp3Routine(60, 3000, "Renamed"));
    }

    // Adds files to a formatted card; its schedules: two for routine 0, one for each other.
    void Lay(CMemoryDevice& card, const std::vector<std::string>& files, const std::vector<Scheduled>& schedules) {
        FormatCard(card);
        CVelkDisk disk(card);
        disk.Read();
        for (const std::string& file : files) disk.ImportRoutineFile(file, true);
        disk.SetSchedules(Schedules(schedules));
        disk.WriteTable();
    }
    static std::vector<Scheduled> SchedulesBefore(size_t routines) {
        std::vector<Scheduled> list{{0, 1}};
        for (size_t t = 0; t < routines; ++t) list.push_back({uint16_t(t), uint8_t(10 + t)});
        return list;
    }
    static void Apply(CMemoryDevice& card, const RoutineOrder& order) {
        CVelkDisk disk(card);
        disk.Read();
        ApplyRoutineOrder(disk, order);
    }

    std::vector<EditCase> Cases() {
        const std::vector<std::string> four{mid, small, big, quiet};
        RoutineOrder replaced = KeptOrder(4), retitled = KeptOrder(4);
        replaced[1] = {std::nullopt, big, 1, std::nullopt};
        retitled[2].title = "Renamed";
        return {
            {"remove the first, smaller than the rest", four, OrderWithout(4, 0), {small, big, quiet},
             {{0, 11}, {1, 12}, {2, 13}}},
            {"remove the first, larger than the rest", {big, small, quiet}, OrderWithout(3, 0), {small, quiet},
             {{0, 11}, {1, 12}}},
            {"remove the first of two alike", {mid, mid}, OrderWithout(2, 0), {mid}, {{0, 11}}},
            {"remove one in the middle", four, OrderWithout(4, 1), {mid, big, quiet}, {{0, 1}, {0, 10}, {1, 12}, {2, 13}}},
            {"remove the last", four, OrderWithout(4, 3), {mid, small, big}, {{0, 1}, {0, 10}, {1, 11}, {2, 12}}},
            {"remove the only one", {big}, OrderWithout(1, 0), {}, {}},
            {"move down", four, OrderMoved(4, 0, 2), {small, big, mid, quiet},
             {{2, 1}, {2, 10}, {0, 11}, {1, 12}, {3, 13}}},
            {"move up", four, OrderMoved(4, 3, 1), {mid, quiet, small, big},
             {{0, 1}, {0, 10}, {2, 11}, {3, 12}, {1, 13}}},
            {"replace by a larger one", four, replaced, {mid, big, big, quiet},
             {{0, 1}, {0, 10}, {1, 11}, {2, 12}, {3, 13}}},
            {"rename", four, retitled, {mid, small, renamed, quiet}, {{0, 1}, {0, 10}, {1, 11}, {2, 12}, {3, 13}}},
        };
    }

    std::string big, mid, small, quiet, renamed;
};

TEST_F(CardEdit, TheCardIsTheOneAddingItsRoutinesInTheNewOrderMakes) {
    for (const EditCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        CMemoryDevice edited(kCardSectors), expected(kCardSectors);
        Lay(edited, c.before, SchedulesBefore(c.before.size()));
        Apply(edited, c.order);
        Lay(expected, c.after, c.schedulesAfter);
        CVelkDisk check(expected);
        check.Read();
        const uint32_t used = check.ReferencedEnd();
        EXPECT_TRUE(Sectors(edited, 0, used) == Sectors(expected, 0, used));
        EXPECT_TRUE(ContentOf(edited) == ContentOf(expected));
    }
}

TEST_F(CardEdit, ACardFailingAtAnyWriteHoldsTheOldRoutinesOrTheNewOnes) {
    for (const EditCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        CMemoryDevice reference(kCardSectors);
        Lay(reference, c.before, SchedulesBefore(c.before.size()));
        const Bytes laid = reference.Bytes();
        const CardContent before = ContentOf(reference);
        const int writesBefore = reference.writes();
        Apply(reference, c.order);
        const CardContent after = ContentOf(reference);
        const int writes = reference.writes() - writesBefore;
        int old = 0, made = 0;
        for (int n = 1; n <= writes; ++n) {
            CMemoryDevice card(kCardSectors);
            card.Bytes() = laid;
            card.FailFromWrite(n);
            EXPECT_NE(MessageOf([&] { Apply(card, c.order); }), "(no exception)") << "failing at write " << n;
            card.Heal();
            const CardContent now = ContentOf(card);
            EXPECT_TRUE(now.velkDisk) << "failing at write " << n;
            EXPECT_TRUE(now == before || now == after) << "failing at write " << n;
            old += now == before;
            made += now == after;
        }
        EXPECT_GT(old, 0);
        if (writes > 1) EXPECT_GT(made, 0) << "a failure after the header naming the new routines leaves them";
    }
}

// Refusals come before the first write: a card too small for the new routines, and one without
// room behind its routines for the copy that keeps them safe while they move.
TEST_F(CardEdit, AnEditThatDoesNotFitIsRefusedBeforeAnythingIsWritten) {
    struct Case {
        const char* name;
        uint32_t cardSectors;
        RoutineOrder order;
        std::string message;
    };
    RoutineOrder grown = KeptOrder(4);
    grown[1] = {std::nullopt, big, 1, std::nullopt};
    // The four routines take 20 + 4 + 55 + 2 sectors from sector 1, their tables 1 + 5 behind them:
    // the card uses 88. The copy goes behind that, or behind where the new card will end.
    const Case cases[] = {
        {"a replacement too large", 100, grown, "The card is full"},
        {"no room for the copy", 100, OrderWithout(4, 0), NoRoomToMoveText(61 + 1 + 3, 100 - 88).English()},
        {"no room for a copy behind the new card", 150, grown,
         NoRoomToMoveText((1 + 132 + 6) + 132 + 6 - 88, 150 - 88).English()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMemoryDevice card(c.cardSectors);
        Lay(card, {mid, small, big, quiet}, SchedulesBefore(4));
        const Bytes laid = card.Bytes();
        const int writes = card.writes();
        EXPECT_EQ(MessageOf([&] { Apply(card, c.order); }), c.message);
        EXPECT_EQ(card.writes(), writes);
        EXPECT_TRUE(card.Bytes() == laid);
    }
}

// count frames of 417 bytes, none padded: 512 of them end exactly at a sector's end.
Bytes UnpaddedFrames(int count) {
    Bytes all;
    for (int i = 0; i < count; ++i) {
        Bytes frame(417, uint8_t(i + 3));
        frame[0] = 0xFF, frame[1] = 0xFB, frame[2] = 0x90, frame[3] = 0x44;
        all.insert(all.end(), frame.begin(), frame.end());
    }
    return all;
}

// The MP3 ends at its last frame whatever the padding behind it holds: a whole padding frame
// and part of one, part of one only, nothing (audio ending with a sector), no audio at all.
TEST_F(CardEdit, ASavedRoutineHoldsItsMp3AndAddsBackAsTheSameSectorsAndFields) {
    struct Case {
        const char* name;
        Routine routine;
    };
    Routine flush = Mp3Routine(0, 700, "Flush");
    flush.audio = UnpaddedFrames(512);
    Routine coded = Mp3Routine(3, 0, "Coded");
    coded.header.frameMs = 25, coded.header.baudCode = 5, coded.header.protocol = {11, 1, 2, 3};
    const Case cases[] = {
        {"a padding frame and a part", Mp3Routine(5, 3000, "Five")},
        {"part of a padding frame", coded},
        {"no padding", flush},
        {"no audio", Mp3Routine(0, 900, "Data only")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMemoryDevice card(kCardSectors), again(kCardSectors);
        Lay(card, {small, Write("routine.velk", c.routine)}, {});
        CVelkDisk disk(card);
        disk.Read();
        const std::string saved = temp.File("saved.velk");
        std::remove(saved.c_str());
        const int fd = ::open(saved.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        CJobControl job;
        const RoutineHeader header = ExportRoutine(card, disk.GetTracks()[1], fd, job);
        ::close(fd);
        EXPECT_EQ(header.audioBytes, c.routine.audio.size());
        EXPECT_EQ(header.dataBytes, (c.routine.data.size() + 511) / 512 * 512);
        const Bytes file = ReadAll(saved);
        EXPECT_EQ(file.size(), header.FileSize());
        EXPECT_TRUE(Bytes(file.begin() + 76, file.begin() + 76 + long(header.audioBytes)) == c.routine.audio);

        Lay(again, {saved}, {});
        EXPECT_TRUE(ContentOf(again).routines.at(0) == ContentOf(card).routines.at(1));
    }
}

}  // namespace
