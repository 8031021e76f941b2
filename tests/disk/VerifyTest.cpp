// Every writing command reads back what it wrote before a header makes it part of the card.
#include <gtest/gtest.h>

#include <functional>

#include "disk/RoutineFixture.h"
#include "support/ExceptionText.h"

namespace {

// The card as a listing shows it: whether it is a VELK disk, its routines and its schedules.
struct Listed {
    bool velkDisk = false;
    std::vector<TrackEntry> tracks;
    std::vector<ScheduleEntry> schedules;
    bool operator==(const Listed&) const = default;
};

Listed ListOf(CMemoryDevice& card) {
    CVelkDisk disk(card);
    disk.Read();
    return {disk.IsVelkDisk(), disk.GetTracks(), disk.GetSchedules()};
}

// The sector a not-kept failure names, or -1 for any other outcome.
long NotKeptSector(const std::string& message) {
    const std::string first = NotKeptText(0).English();
    const std::string head = first.substr(0, first.find(" 0 "));
    if (message.rfind(head, 0) != 0) return -1;
    const long sector = std::stol(message.substr(head.size()));
    return NotKeptText(uint32_t(sector)).English() == message ? sector : -1;
}

// A card that takes writes from some sector on and loses them, for each sector a command writes:
// the command either fails naming a lost sector, leaving the card listing what it did before (or,
// once new tables were kept and named, what it lists after the command), or succeeds with the card
// holding exactly what a sound card holds after it.
TEST_F(RoutineImport, ACardThatLosesWritesFailsTheCommandAndListsAsBefore) {
    const std::string first = Write("first.velk", Mp3Routine(6, 2000, "First"));
    const std::string next = Write("next.velk", Mp3Routine(300, 40000, "Next"));
    ScheduleEntry schedule;
    schedule.minutes = {5};
    struct Case {
        const char* command;
        std::function<void(CVelkDisk&)> run;
    };
    const Case cases[] = {
        {"add a routine", [&](CVelkDisk& disk) { disk.ImportRoutineFile(next, true); }},
        {"format", [](CVelkDisk& disk) { disk.Format(); }},
        {"remove the last routine", [](CVelkDisk& disk) { disk.RemoveLastTrack(); }},
        {"write schedules", [&](CVelkDisk& disk) {
             disk.SetSchedules({schedule, schedule, schedule});
             disk.WriteTable();
         }},
    };
    CMemoryDevice card(1024);
    FormatCard(card);
    for (int i = 0; i < 2; ++i) {
        CVelkDisk disk(card);
        disk.Read();
        disk.ImportRoutineFile(first, true);
    }
    const Bytes baseline = card.Bytes();
    const Listed before = ListOf(card);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        card.Bytes() = baseline;
        {
            CVelkDisk sound(card);
            sound.Read();
            c.run(sound);
        }
        const Bytes after = card.Bytes();
        const Listed listedAfter = ListOf(card);
        int failures = 0;
        for (uint32_t keep = 0; keep <= card.GetSectorCount(); keep += 7) {
            card.Bytes() = baseline;
            card.ForgetWritesFrom(keep);
            CVelkDisk disk(card);
            disk.Read();
            const std::string message = MessageOf([&] { c.run(disk); });
            card.ForgetWritesFrom(UINT32_MAX);
            if (message == "(no exception)") {
                EXPECT_TRUE(card.Bytes() == after) << "reported done, keeping sectors below " << keep;
                continue;
            }
            ++failures;
            EXPECT_GE(NotKeptSector(message), long(keep)) << message;
            // The header moves only onto what the card kept: to new tables complete on the card.
            EXPECT_TRUE(ListOf(card) == before || ListOf(card) == listedAfter) << "keeping sectors below " << keep;
        }
        EXPECT_GT(failures, 0);
        EXPECT_EQ(temp.TempFileCount(), 0);
    }
}

}  // namespace
