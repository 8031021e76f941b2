// Backup and restore of whole cards: only the sectors a card uses travel, a restore cut short at any
// write never leaves a card that reads as valid with mixed content, and bad images are refused
// before anything is written.
#include <gtest/gtest.h>

#include "support/ExceptionText.h"

#include <algorithm>

#include "disk/CardBuilder.h"
#include "disk/CardCopy.h"
#include "disk/VelkDisk.h"
#include "disk/WrittenSectors.h"
#include "platform/Exceptions.h"

namespace {

constexpr uint32_t kCardSectors = 4096;
constexpr uint32_t kZeroRunFirst = 128;  // a run of zeros inside the first routine
constexpr uint32_t kZeroRunSectors = 128;

// A card of three routines with patterned sectors and two schedules; garbage behind its tables
// that no copy may take along. Returns one past the last sector it uses.
uint32_t MakeCard(CMemoryDevice& card, uint8_t seed) {
    std::fill(card.Bytes().begin(), card.Bytes().end(), uint8_t(0xEE));
    const std::vector<TrackEntry> tracks = MakeTracks(3, 300, 20);
    const uint32_t end = tracks.back().endSector;
    for (uint32_t s = 1; s < end; ++s)
        for (uint32_t b = 0; b < kSectorSize; ++b) card.Sector(s)[b] = uint8_t(seed + s * 7 + b);
    std::fill_n(card.Sector(kZeroRunFirst), kZeroRunSectors * kSectorSize, 0);
    const uint32_t tableSectors = PutTrackTable(card, end, tracks);
    for (uint32_t j = 0; j < 2; ++j) {
        ScheduleEntry schedule;
        schedule.trackIndex = uint16_t(j);
        schedule.minutes = {uint8_t(seed % 60)};
        schedule.Encode(card.Sector(end + tableSectors + j));
    }
    PutHeader(card, {.trackCount = 3, .trackTable = end, .scheduleCount = 2, .scheduleTable = end + tableSectors});
    return end + tableSectors + 2;
}

// A job nobody watches and nobody stops.
CJobControl& Quiet() {
    static CJobControl job;
    return job;
}

std::vector<uint8_t> Head(CMemoryDevice& card, uint32_t sectors) {
    return {card.Bytes().begin(), card.Bytes().begin() + long(sectors) * kSectorSize};
}

TEST(CardCopy, BackupReadsOnlyUsedSectorsLeavesZerosAsHolesAndRestoreGivesTheSameBytes) {
    CMemoryDevice card(kCardSectors), image(kCardSectors), target(kCardSectors);
    const uint32_t used = MakeCard(card, 1);
    EXPECT_EQ(BackupCard(card, image, Quiet()), used);
    for (const auto& [first, count] : card.readCalls) EXPECT_LE(first + count, used) << "read beyond the used sectors";
    EXPECT_EQ(Head(image, used), Head(card, used));
    EXPECT_TRUE(std::all_of(image.Bytes().begin() + long(used) * kSectorSize, image.Bytes().end(),
                            [](uint8_t b) { return b == 0; }))
        << "the garbage behind the tables stays behind";
    EXPECT_EQ(std::count(image.writeCalls.begin(), image.writeCalls.end(), std::make_pair(kZeroRunFirst, kZeroRunSectors)), 0)
        << "a run of zeros is left as a hole";

    std::fill(target.Bytes().begin(), target.Bytes().end(), uint8_t(0x77));
    const uint32_t needed = RestoreNeeds(image);
    EXPECT_EQ(needed, used);
    CheckCardRoom(needed, target);
    RestoreCard(image, target, needed, Quiet());
    EXPECT_EQ(Head(target, used), Head(card, used));
    ASSERT_GE(target.writeCalls.size(), 2u);
    EXPECT_EQ(target.writeCalls.front(), std::make_pair(0u, 1u)) << "sector 0 is cleared first";
    EXPECT_EQ(target.writeCalls.back(), std::make_pair(0u, 1u)) << "the header goes on last";
    const int writes = int(target.writeCalls.size());
    const std::vector<int> barriers{1, writes - 1, writes};
    EXPECT_EQ(target.flushes, barriers)
        << "the cleared header is stored before the sectors, they before the real one, and it before it is read back";
}

TEST(CardCopy, RefusesForeignAndTooBigImagesAndForeignCardsBeforeWritingAnything) {
    CMemoryDevice velk(kCardSectors), foreign(kCardSectors), small(200);
    const uint32_t used = MakeCard(velk, 2);
    std::fill(foreign.Bytes().begin(), foreign.Bytes().end(), uint8_t(0x5A));
    EXPECT_EQ(MessageOf([&] { RestoreNeeds(foreign); }), "The image does not hold a VELK disk; nothing was written.");
    EXPECT_EQ(MessageOf([&] { CheckCardRoom(RestoreNeeds(velk), small); }),
              "The image needs " + std::to_string(used) + " sectors, but the card has only 200; nothing was written.");
    EXPECT_EQ(MessageOf([&] { BackupCard(foreign, small, Quiet()); }),
              "The card does not hold a VELK disk; there is nothing to back up.");
    EXPECT_EQ(MessageOf([&] { BackupCard(velk, small, Quiet()); }),
              "The image has room for 200 sectors, the card uses " + std::to_string(used) + ".");
    EXPECT_EQ(foreign.writes() + small.writes() + velk.writes(), 0);
}

// A card that takes writes past some sector and loses them never gets the header: it reads as no
// VELK disk rather than one claiming routines that are not on it.
TEST(CardCopy, ARestoreOntoACardThatLosesWritesNamesTheFirstLostSectorAndWritesNoHeader) {
    CMemoryDevice image(kCardSectors), target(kCardSectors);
    const uint32_t used = MakeCard(image, 3);
    MakeCard(target, 9);
    target.ForgetWritesFrom(700);
    EXPECT_EQ(MessageOf([&] { RestoreCard(image, target, used, Quiet()); }), NotKeptText(700).English());
    CVelkDisk disk(target);
    disk.Read();
    EXPECT_FALSE(disk.IsVelkDisk());
}

// Every write of a restore may be the one that fails (half of a run landing): the card must then read
// as its old self (nothing written yet), as not a VELK disk, or as the whole restored card.
TEST(CardCopy, ARestoreCutShortAtAnyWriteNeverLeavesAValidCardWithMixedContent) {
    CMemoryDevice image(kCardSectors);
    const uint32_t used = MakeCard(image, 4);
    CMemoryDevice old(kCardSectors);
    MakeCard(old, 9);
    for (int n = 1;; ++n) {
        CMemoryDevice target(kCardSectors);
        target.Bytes() = old.Bytes();
        target.FailFromWrite(n);
        const bool failed = MessageOf([&] { RestoreCard(image, target, used, Quiet()); }) != "(no exception)";
        target.Heal();
        CVelkDisk disk(target);
        disk.Read();
        const bool restored = Head(target, used) == Head(image, used);
        const bool unchanged = target.Bytes() == old.Bytes();
        EXPECT_TRUE(!disk.IsVelkDisk() || restored || (unchanged && n == 1)) << "failing at write " << n;
        if (!failed) {
            EXPECT_TRUE(restored);
            break;
        }
        ASSERT_LT(n, 100) << "a restore of " << used << " sectors should need far fewer writes";
    }
}

}  // namespace
