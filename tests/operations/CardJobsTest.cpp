// The questions of the card jobs, once for the window and velk3: which one is asked, when, and that
// No leaves the card byte for byte as it was.
#include <gmock/gmock.h>

#include <filesystem>

#include "operations/AddRoutines.h"
#include "operations/CardCopyJobs.h"
#include "operations/JobFixture.h"
#include "platform/TextFormat.h"

using testing::ElementsAre;

namespace {

TEST_F(JobTest, EachDestructiveJobAsksItsQuestionAndNoWritesNothing) {
    using namespace question_text;
    const std::string routine = Write("r.velk", Mp3Routine(20, 3000));
    const std::string backup = MakeCard("backup.img", 3);
    struct Case {
        const char* name;
        bool foreign;  // the card holds no VELK disk (else two routines)
        std::function<bool(const JobContext&)> run;  // true: done, false: declined
        std::string question;
        size_t tracksAfterYes;
    };
    const Case cases[] = {
        {"format", false, [](const JobContext& c) { return job::Format(c) == JobOutcome::Done; }, kFormat, 0},
        {"format a foreign card", true, [](const JobContext& c) { return job::Format(c) == JobOutcome::Done; },
         kFormatForeign, 0},
        {"remove the last routine", false, [](const JobContext& c) { return job::RemoveLast(c).has_value(); },
         kRemoveLast, 1},
        {"add to a foreign card", true, [&](const JobContext& c) { return job::AddRoutines(c, {routine}).has_value(); },
         kFormatForeign, 1},
        {"restore", false, [&](const JobContext& c) { return job::Restore(c, backup).has_value(); },
         FillPlaces(kRestore, {temp.File("card.img")}), 3},
    };
    for (const Case& c : cases)
        for (const bool yes : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (yes ? ", Yes" : ", No"));
            std::filesystem::remove(temp.File("card.img"));
            const std::string card = c.foreign ? MakeForeignCard("card.img") : MakeCard("card.img", 2);
            const Bytes before = ReadAll(card);
            prompt.questions.clear();
            prompt.answers = {yes};
            EXPECT_EQ(c.run(Context(card)), yes);
            EXPECT_THAT(prompt.questions, ElementsAre(c.question));
            if (!yes) {
                EXPECT_TRUE(ReadAll(card) == before);
                continue;
            }
            const CardListing after = Listed(card);
            EXPECT_TRUE(after.velkDisk);
            EXPECT_EQ(after.tracks.size(), c.tracksAfterYes);
        }
}

// No opens nothing, so the job does not even look for a device that is gone.
TEST_F(JobTest, RemoveLastAsksBeforeItOpensTheDevice) {
    const JobContext gone = Context(temp.File("unplugged.img"));
    EXPECT_FALSE(job::RemoveLast(gone));
    prompt.answers = {true};
    EXPECT_THROW(job::RemoveLast(gone), CUsbDeviceException);
    EXPECT_EQ(prompt.questions.size(), 2u);

    prompt.answers = {true};
    const std::optional<CardListing> after = job::RemoveLast(Context(MakeCard("card.img", 2)));
    ASSERT_TRUE(after);
    EXPECT_EQ(after->tracks.size(), 1u) << "the card as the job left it";
}

TEST_F(JobTest, SchedulesAreWrittenOnlyWhenEditedAndNeverOnACardWithoutAVelkDisk) {
    const std::string card = MakeCard("card.img", 2);
    const Bytes before = ReadAll(card);
    size_t tracksSeen = 0;
    const auto keep = [&](const std::vector<ScheduleEntry>&, const std::vector<TrackEntry>& tracks) {
        tracksSeen = tracks.size();
        return std::optional<std::vector<ScheduleEntry>>();
    };
    EXPECT_EQ(job::EditSchedules(Context(card), keep, DeviceAccess::Read).schedules.size(), 1u);
    EXPECT_EQ(tracksSeen, 2u);
    EXPECT_TRUE(ReadAll(card) == before);

    const auto addOne = [](std::vector<ScheduleEntry> schedules, const std::vector<TrackEntry>&) {
        schedules.emplace_back().trackIndex = 1;
        return std::optional(schedules);
    };
    EXPECT_EQ(job::EditSchedules(Context(card), addOne).schedules.size(), 2u);
    EXPECT_EQ(Listed(card).schedules.size(), 2u);

    bool edited = false;
    const auto mustNotRun = [&](const std::vector<ScheduleEntry>&, const std::vector<TrackEntry>&) {
        edited = true;
        return std::optional<std::vector<ScheduleEntry>>();
    };
    EXPECT_THROW(job::EditSchedules(Context(MakeForeignCard("foreign.img")), mustNotRun), CUsbDeviceException);
    EXPECT_FALSE(edited);
}

// A schedule plays a routine: a card without any takes none (it reads none either).
TEST_F(JobTest, ACardWithoutRoutinesTakesNoSchedule) {
    const std::string card = MakeCard("empty.img", 0);
    const Bytes before = ReadAll(card);
    const auto addOne = [](std::vector<ScheduleEntry> schedules, const std::vector<TrackEntry>&) {
        schedules.emplace_back();
        return std::optional(schedules);
    };
    try {
        job::EditSchedules(Context(card), addOne);
        ADD_FAILURE() << "the schedule was written";
    } catch (const CUsbDeviceException& e) {
        EXPECT_STREQ(e.what(), card_text::kNoRoutineToSchedule);
    }
    EXPECT_TRUE(ReadAll(card) == before);
    const auto keep = [](const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>&) { return std::optional(schedules); };
    EXPECT_NO_THROW(job::EditSchedules(Context(card), keep));
}

}  // namespace
