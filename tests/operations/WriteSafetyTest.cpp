// What every writing job does for the card's sake, once for both faces: it reads back what it
// wrote, and it keeps the machine awake from its first write to its end, however it ends.
#include <gmock/gmock.h>

#include <crypto++/default.h>
#include <crypto++/files.h>
#include <crypto++/filters.h>

#include <filesystem>

#include "fakes/FakeUsb.h"
#include "operations/AddRoutines.h"
#include "operations/CardCopyJobs.h"
#include "operations/DeviceJobs.h"
#include "operations/EditJobs.h"
#include "operations/JobFixture.h"
#include "support/LogindMock.h"

using testing::Contains;
using testing::HasSubstr;

namespace {

struct WritingJob {
    const char* name;
    const char* why;  // the status text the lock gives as its reason
    bool stoppable;   // else it finishes what it started
    std::function<void(const JobContext&)> run;
};

class WriteSafetyTest : public JobTest {
protected:
    void TearDown() override { fakeusb::Reset(); }

    // A unit whose card is a fresh image of two routines; it keeps writes below keptSectors only.
    JobContext UnitContext(uint32_t keptSectors = UINT32_MAX) {
        fakeusb::Reset();
        std::filesystem::remove(temp.File("card.img"));
        fakeusb::UnitOptions options;
        options.cardPath = MakeCard("card.img", 2);
        options.keptSectors = keptSectors;
        fakeusb::AddUnit(options);
        prompt.answers = {true, true, true, true};
        JobContext context = Context("VELK3");
        context.paths.sysRoot = temp.Path();  // no port paths: the machine's own USB stays out of it
        return context;
    }

    std::vector<WritingJob> Jobs() {
        const std::string routine = Write("r.velk", Mp3Routine(300, 20000));
        const std::string backup = MakeCard("backup.img", 3);
        return {
            {"add", "Writing MP3", true, [=](const JobContext& c) { job::AddRoutines(c, {routine}); }},
            {"format", "Writing Card", false, [](const JobContext& c) { job::Format(c); }},
            {"remove the last routine", "Writing Card", false, [](const JobContext& c) { job::RemoveLast(c); }},
            {"write schedules", "Writing Card", false,
             [](const JobContext& c) {
                 job::EditSchedules(c, [](const std::vector<ScheduleEntry>&, const std::vector<TrackEntry>&) {
                     return std::vector<ScheduleEntry>(3);
                 });
             }},
            {"restore", "Writing Card", true, [=](const JobContext& c) { job::Restore(c, backup); }},
            // The new routines go behind the old ones first: until they are named there, it stops.
            {"move a routine", "Moving Routines", true, [](const JobContext& c) { job::MoveRoutine(c, 1, 0); }},
            // The first routine's room takes the second: it is named where it lies, then moved.
            {"remove the first routine", "Moving Routines", false, [](const JobContext& c) { job::RemoveRoutine(c, 0); }},
            {"rename a routine", "Writing Card", false, [](const JobContext& c) { job::RenameRoutine(c, 0, "New"); }},
        };
    }

};

TEST_F(WriteSafetyTest, EveryWritingJobFailsOnACardThatLosesItsWritesAndLeavesItListingAsBefore) {
    for (const WritingJob& job : Jobs()) {
        SCOPED_TRACE(job.name);
        const JobContext context = UnitContext(0);
        const CardListing before = job::ListCard(context);
        std::string message = "(no exception)";
        try {
            job.run(context);
        } catch (const CUsbDeviceException& e) {
            message = e.Message();
        }
        EXPECT_THAT(message, HasSubstr("The card did not keep what was written: sector "));
        EXPECT_TRUE(SameCard(job::ListCard(context), before));
    }
}

// Samples the stand-in's locks at the first report of a phase that writes the card.
class LockWatch final : public IProgressSink {
public:
    // only: the one phase watched; Ready: every phase that writes a card.
    LockWatch(const CLogindMock& logind, CStoppingProgress& next, JobPhase only = JobPhase::Ready)
        : m_logind(logind), m_next(next), m_only(only) {}
    void Report(const ProgressReport& report) override {
        const bool writing = report.phase == JobPhase::WritingAudio || report.phase == JobPhase::WritingData ||
                             report.phase == JobPhase::WritingTables || report.phase == JobPhase::WritingCard ||
                             report.phase == JobPhase::Moving;
        if ((m_only == JobPhase::Ready ? writing : report.phase == m_only) && heldWhileWriting < 0)
            heldWhileWriting = m_logind.Held();
        m_next.Report(report);
    }
    int heldWhileWriting = -1;

private:
    const CLogindMock& m_logind;
    CStoppingProgress& m_next;
    JobPhase m_only;
};

// The jobs with a logind stand-in on a private system bus.
class SleepLockTest : public WriteSafetyTest {
protected:
    void SetUp() override {
        if (m_bus.Address().empty()) GTEST_SKIP() << m_bus.Error();
        ASSERT_TRUE(logind.Ready());
    }

    CPrivateBus m_bus;
    CScopedEnvironment m_system{"DBUS_SYSTEM_BUS_ADDRESS", m_bus.Address()};
    CLogindMock logind{m_bus.Address()};
};

TEST_F(SleepLockTest, EveryWritingJobHoldsALogindLockWhileItWritesAndReleasesItHoweverItEnds) {
    enum class End { Done, Failed, Cancelled };
    for (const WritingJob& job : Jobs())
        for (const End end : {End::Done, End::Failed, End::Cancelled}) {
            SCOPED_TRACE(std::string(job.name) + (end == End::Done ? ", done" : end == End::Failed ? ", failed" : ", cancelled"));
            JobContext context = UnitContext(end == End::Failed ? 0 : UINT32_MAX);
            progress = CStoppingProgress();
            LockWatch watch(logind, progress);
            context.progress = &watch;
            context.stop = progress.stop.get_token();
            if (end == End::Cancelled) progress.StopAt(JobPhase::Verifying, 1);
            const End expected = end == End::Cancelled && !job.stoppable ? End::Done : end;
            End ended = End::Done;
            try {
                job.run(context);
            } catch (const CJobStopped&) {
                ended = End::Cancelled;
            } catch (const CVelkException&) {
                ended = End::Failed;
            }
            EXPECT_EQ(ended, expected);
            EXPECT_EQ(watch.heldWhileWriting, 1);
            EXPECT_TRUE(logind.AllReleased());
            EXPECT_THAT(logind.Calls(), Contains(std::string("Inhibit sleep:idle|VELK3 Manager|") + job.why + "|block"));
        }
}

TEST_F(SleepLockTest, TheFirmwareUpdateHoldsALockWhileItProgramsAndReleasesItHoweverItEnds) {
    const std::string image = temp.File("firmware.img");
    const std::string plain(3000, 'f');
    CryptoPP::StringSource(plain, true,
                           new CryptoPP::LegacyEncryptorWithMAC("k27m1x9q4ahzp05wnsd63(&%!QWPLM",
                                                                new CryptoPP::FileSink(image.c_str(), true)));
    for (const bool attached : {true, false}) {
        SCOPED_TRACE(attached ? "programmed" : "no bootloader");
        fakeusb::Reset();
        if (attached) fakeusb::AddBootloader({});
        CStoppingProgress reports;
        LockWatch watch(logind, reports, JobPhase::Programming);
        JobContext context = Context("");
        context.progress = &watch;
        if (attached) {
            job::LoadFirmware(context, image);
            EXPECT_EQ(watch.heldWhileWriting, 1);
        } else {
            EXPECT_THROW(job::LoadFirmware(context, image), CUsbDeviceException);
        }
        EXPECT_TRUE(logind.AllReleased());
        EXPECT_THAT(logind.Calls(), Contains("Inhibit sleep:idle|VELK3 Manager|Programming|block"));
    }
}

}  // namespace
