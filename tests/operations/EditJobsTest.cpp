// The edit jobs as both faces run them: wrong input refused with one line and the card untouched,
// the questions, a stop at any report, a unit pulled at any transfer, and Save as routine file.
#include <gmock/gmock.h>

#include <filesystem>

#include "disk/CardContent.h"
#include "fakes/FakeUsb.h"
#include "operations/EditJobs.h"
#include "operations/ExportJob.h"
#include "operations/JobFixture.h"

using testing::ElementsAre;

namespace {

using Edit = std::function<JobOutcome(const JobContext&)>;

// A job's answer as done or declined: what these tests look at.
template <class Result>
JobOutcome Outcome(const std::optional<Result>& result) {
    return result ? JobOutcome::Done : JobOutcome::Declined;
}

// Stops the job at its nth progress report, whatever the phase.
class CStopAtReport final : public IProgressSink {
public:
    explicit CStopAtReport(int nth) : m_nth(nth) {}
    void Report(const ProgressReport&) override {
        if (++reports == m_nth) stop.request_stop();
    }
    int reports = 0;
    std::stop_source stop;

private:
    int m_nth;
};

class EditJobs : public JobTest {
protected:
    void TearDown() override { fakeusb::Reset(); }

    // Routines "Mid", "Small", "Big", "Quiet" of 20, 4, 55 and 2 sectors; two schedules for
    // routine 0, one each for routines 1 and 2.
    std::string MakeEditCard(const std::string& name, uint32_t cardSectors = 1024) {
        const std::string path = temp.File(name);
        std::filesystem::remove(path);
        CImageFile::Create(path, cardSectors);
        CImageFile image;
        image.Open(CImageFile::EntryFor(path));
        {
            CVelkDisk disk(image);
            disk.Read();
            disk.Format();
            for (const auto& [frames, data, title] : {std::tuple{20, 1500, "Mid"}, std::tuple{3, 100, "Small"},
                                                      std::tuple{60, 3000, "Big"}, std::tuple{0, 600, "Quiet"}})
                disk.ImportRoutineFile(Write(std::string(title) + ".velk", Mp3Routine(frames, size_t(data), title)), true);
            std::vector<ScheduleEntry> schedules(4);
            for (uint16_t i = 0; i < 4; ++i) schedules[i].trackIndex = std::max<uint16_t>(i, 1) - 1;
            disk.SetSchedules(schedules);
            disk.WriteTable();
        }
        image.Close();
        return path;
    }
    static CardContent ContentOfImage(const std::string& path) {
        CImageFile image;
        image.Open(CImageFile::EntryFor(path));
        return ContentOf(image);
    }

    std::vector<std::pair<const char*, Edit>> Edits() {
        const std::string replacement = Write("new.velk", Mp3Routine(9, 2000, "New"));
        return {
            {"remove the first", [](const JobContext& c) { return Outcome(job::RemoveRoutine(c, 0)); }},
            {"move", [](const JobContext& c) { return Outcome(job::MoveRoutine(c, 3, 1)); }},
            {"replace", [=](const JobContext& c) { return Outcome(job::ReplaceRoutine(c, 2, replacement)); }},
            {"rename", [](const JobContext& c) { return Outcome(job::RenameRoutine(c, 1, "Renamed")); }},
        };
    }
};

TEST_F(EditJobs, WrongInputIsRefusedWithOneLineBeforeTheQuestionAndTheCardUntouched) {
    const std::string huge = Write("huge.velk", Mp3Routine(1200, 0, "Huge"));
    struct Case {
        const char* name;
        bool foreign;
        Edit run;
        std::string message;
    };
    const Case cases[] = {
        {"no such routine", false, [](const JobContext& c) { return Outcome(job::RemoveRoutine(c, 9)); },
         "The card holds 4 routines: there is no routine 9."},
        {"no such place", false, [](const JobContext& c) { return Outcome(job::MoveRoutine(c, 1, 4)); },
         "The card holds 4 routines: there is no routine 4."},
        {"a move to where it is", false, [](const JobContext& c) { return Outcome(job::MoveRoutine(c, 2, 2)); },
         "Routine 2 is at place 2 already: there is nothing to move."},
        {"a title too long", false, [](const JobContext& c) { return Outcome(job::RenameRoutine(c, 0, "Sixteen bytes!!!")); },
         "A title holds at most 15 bytes; \"Sixteen bytes!!!\" has 16."},
        {"no VELK disk", true, [](const JobContext& c) { return Outcome(job::RemoveRoutine(c, 0)); },
         "The card does not hold a VELK disk: format it first."},
        {"no routine to save", false, [this](const JobContext& c) { return Outcome(job::ExportRoutine(c, 4, temp.File("o.velk"))); },
         "The card holds 4 routines: there is no routine 4."},
        // Known only once the file is read, after the question.
        {"a replacement that does not fit", false, [&](const JobContext& c) { return Outcome(job::ReplaceRoutine(c, 0, huge)); },
         "The card is full"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string card = c.foreign ? MakeForeignCard("card.img") : MakeEditCard("card.img");
        const Bytes before = ReadAll(card);
        prompt.questions.clear();
        prompt.answers = {true};
        std::string message = "(no exception)";
        try {
            c.run(Context(card));
        } catch (const CVelkException& e) {
            message = e.Message();
        }
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(prompt.questions.size(), c.message == "The card is full" ? 1u : 0u);
        EXPECT_TRUE(ReadAll(card) == before);
        EXPECT_FALSE(std::filesystem::exists(temp.File("o.velk")));
    }
}

// Each question names the routine; No writes nothing; Yes gives the new list.
TEST_F(EditJobs, EachEditAsksNamingTheRoutineAndTellsWhereTheRoutinesWent) {
    const std::string replacement = Write("new.velk", Mp3Routine(9, 2000, "New"));
    struct Case {
        Edit run;
        std::string question;
        std::vector<std::string> titles;
    };
    const Case cases[] = {
        {[](const JobContext& c) { return Outcome(job::RemoveRoutine(c, 0)); }, "Remove routine 0 \"Mid\" and its 2 schedules?",
         {"Small", "Big", "Quiet"}},
        {[](const JobContext& c) { return Outcome(job::RemoveRoutine(c, 2)); }, "Remove routine 2 \"Big\" and its 1 schedule?",
         {"Mid", "Small", "Quiet"}},
        {[](const JobContext& c) { return Outcome(job::RemoveRoutine(c, 3)); }, "Remove routine 3 \"Quiet\"?",
         {"Mid", "Small", "Big"}},
        {[](const JobContext& c) { return Outcome(job::MoveRoutine(c, 0, 2)); }, "Move routine 0 \"Mid\" to place 2?",
         {"Small", "Big", "Mid", "Quiet"}},
        {[&](const JobContext& c) { return Outcome(job::ReplaceRoutine(c, 1, replacement)); },
         "Replace routine 1 \"Small\" with the routine of " + replacement + "?", {"Mid", "New", "Big", "Quiet"}},
        {[](const JobContext& c) { return Outcome(job::RenameRoutine(c, 3, "Loud")); }, "Rename routine 3 \"Quiet\" to \"Loud\"?",
         {"Mid", "Small", "Big", "Loud"}},
    };
    for (const Case& c : cases)
        for (const bool yes : {false, true}) {
            SCOPED_TRACE(std::string(c.question) + (yes ? " Yes" : " No"));
            const std::string card = MakeEditCard("card.img");
            const Bytes before = ReadAll(card);
            prompt.questions.clear();
            prompt.answers = {yes};
            EXPECT_EQ(c.run(Context(card)), yes ? JobOutcome::Done : JobOutcome::Declined);
            EXPECT_THAT(prompt.questions, ElementsAre(c.question));
            if (!yes) {
                EXPECT_TRUE(ReadAll(card) == before);
                continue;
            }
            std::vector<std::string> titles;
            for (const TrackEntry& t : Listed(card).tracks) titles.push_back(t.Title());
            EXPECT_EQ(titles, c.titles);
        }
}

// The card after the edit, and where each routine of the old list went: what a face needs to keep
// its selection on the routine it was on.
TEST_F(EditJobs, TheEditedCardComesBackWithTheOldPlacesMapped) {
    const std::string card = MakeEditCard("card.img");
    prompt.answers = {true, true};
    std::optional<EditedCard> moved = job::MoveRoutine(Context(card), 3, 0);
    ASSERT_TRUE(moved);
    EditedCard edited = *moved;
    EXPECT_TRUE(SameCard(edited.card, Listed(card)));
    EXPECT_THAT(edited.placeOf, ElementsAre(1, 2, 3, 0));
    std::optional<EditedCard> removed = job::RemoveRoutine(Context(card), 2);
    ASSERT_TRUE(removed);
    edited = *removed;
    EXPECT_THAT(edited.placeOf, ElementsAre(0, 1, std::nullopt, 2));
    EXPECT_EQ(edited.card.schedules.size(), 3u);
}

// A stop at any report: before the header that names the new routines the card is unchanged, and
// the message says so; after it the edit finishes.
TEST_F(EditJobs, AStopAtAnyReportLeavesTheCardUnchangedOrFinishesTheEdit) {
    for (const auto& [name, edit] : Edits()) {
        SCOPED_TRACE(name);
        const std::string original = MakeEditCard("original.img"), card = temp.File("card.img");
        const CardListing before = Listed(original);
        std::filesystem::copy_file(original, card, std::filesystem::copy_options::overwrite_existing);
        CStopAtReport counter(0);
        prompt.answers = {true};
        JobContext context = Context(card);
        context.progress = &counter;
        ASSERT_EQ(edit(context), JobOutcome::Done);
        const CardListing after = Listed(card);
        int unchanged = 0, done = 0;
        for (int nth = 1; nth <= counter.reports; ++nth) {
            std::filesystem::copy_file(original, card, std::filesystem::copy_options::overwrite_existing);
            CStopAtReport stopper(nth);
            context.progress = &stopper;
            context.stop = stopper.stop.get_token();
            prompt.answers = {true};
            try {
                edit(context);
                ++done;
                EXPECT_TRUE(SameCard(Listed(card), after)) << "stopped at report " << nth;
            } catch (const CJobStopped& stopped) {
                ++unchanged;
                EXPECT_STREQ(stopped.Message(), stop_text::kUnchanged);
                EXPECT_TRUE(SameCard(Listed(card), before)) << "stopped at report " << nth;
            }
            EXPECT_EQ(temp.TempFileCount(), 0);
        }
        EXPECT_GT(unchanged, 0);
        EXPECT_GT(done, 0);
    }
}

// The simulated unit gone after any number of transfers: its card holds the old routines or the
// new ones, whole.
TEST_F(EditJobs, AUnitPulledAtAnyTransferHoldsTheOldRoutinesOrTheNewOnes) {
    for (const auto& [name, edit] : Edits()) {
        SCOPED_TRACE(name);
        const std::string original = MakeEditCard("original.img"), card = temp.File("card.img");
        const auto run = [&](int unplugAfter) {
            std::filesystem::copy_file(original, card, std::filesystem::copy_options::overwrite_existing);
            fakeusb::Reset();
            fakeusb::UnitOptions options;
            options.cardPath = card;
            fakeusb::AddUnit(options);
            if (unplugAfter >= 0) fakeusb::UnplugAfterTransfers(unplugAfter);
            JobContext context = Context("VELK3");
            context.paths.sysRoot = temp.Path();  // no port paths: the machine's own USB stays out of it
            prompt.answers = {true};
            edit(context);
        };
        const CardContent before = ContentOfImage(original);
        run(-1);
        const CardContent after = ContentOfImage(card);
        const int transfers = int(fakeusb::Transfers().size());
        int old = 0, made = 0;
        for (int n = 0; n <= transfers; ++n) {
            try {
                run(n);
                EXPECT_EQ(ContentOfImage(card), after) << "unplugged after " << n;
                break;  // the unit went only after the edit's last transfer
            } catch (const CVelkException&) {
            }
            const CardContent now = ContentOfImage(card);
            EXPECT_TRUE(now.velkDisk && (now == before || now == after)) << "unplugged after " << n;
            old += now == before;
            made += now == after;
        }
        EXPECT_GT(old, 0);
        EXPECT_GT(made, 0);
    }
}

// Saved from an image or a unit alike; an existing file is replaced only after Yes; a stop leaves
// neither the file nor its part.
TEST_F(EditJobs, SaveAsRoutineFileAsksBeforeReplacingAndLeavesNothingWhenStopped) {
    const std::string card = MakeEditCard("card.img");
    const std::string out = temp.File("out.velk"), part = out + ".part";
    prompt.questions.clear();
    const std::optional<RoutineHeader> header = job::ExportRoutine(Context(card), 2, out);
    ASSERT_TRUE(header);
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_EQ(header->Title(), "Big");
    const Bytes saved = ReadAll(out);

    WriteAll(out, Bytes(10, 1));
    prompt.answers = {false};
    EXPECT_FALSE(job::ExportRoutine(Context(card), 2, out));
    EXPECT_THAT(prompt.questions, ElementsAre(out + " exists already.\n\nReplace it?"));
    EXPECT_TRUE(ReadAll(out) == Bytes(10, 1));

    fakeusb::Reset();
    fakeusb::UnitOptions options;
    options.cardPath = card;
    fakeusb::AddUnit(options);
    JobContext unit = Context("VELK3");
    unit.paths.sysRoot = temp.Path();
    prompt.answers = {true};
    ASSERT_TRUE(job::ExportRoutine(unit, 2, out));
    EXPECT_TRUE(ReadAll(out) == saved);

    std::filesystem::remove(out);
    progress = CStoppingProgress();
    progress.StopAt(JobPhase::Reading, 2);
    try {
        job::ExportRoutine(Context(card), 2, out);
        ADD_FAILURE() << "not stopped";
    } catch (const CJobStopped& stopped) {
        EXPECT_STREQ(stopped.Message(), stop_text::kNoRoutineFile);
    }
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_FALSE(std::filesystem::exists(part));
}

}  // namespace
