// Cancel: a stop pulled at any report of add, backup and restore. The card lists what it did before
// or the new content whole, the message says which, and no temporary file or half image stays.
#include <gtest/gtest.h>

#include <filesystem>
#include <grp.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "operations/AddRoutines.h"
#include "operations/CardCopyJobs.h"
#include "operations/JobFixture.h"
#include "devices/FakeSystem.h"
#include "support/ChildProcess.h"
#include "support/UdisksMock.h"

namespace {

// The CJobStopped message of run, or "done" when it finished.
template <class Run>
std::string StopMessage(Run&& run) {
    try {
        run();
    } catch (const CJobStopped& stopped) {
        return stopped.Message();
    }
    return "done";
}

TEST_F(JobTest, AStoppedAddLeavesTheCardAsItWasOrWithTheRoutineWhole) {
    const std::string mp3 = Write("mp3.velk", Mp3Routine(400, 200000, "Mp3"));
    const std::string wav = WavRoutine("Wav", 3.0);
    struct Case {
        const char* name;
        bool foreign;
        std::vector<std::string> files;
        JobPhase phase;
        int nth;
        std::string message;
        size_t tracksAdded;
    };
    const Case cases[] = {
        {"converting, at its start", false, {wav}, JobPhase::Converting, 1, stop_text::kUnchanged, 0},
        {"converting, later on", false, {wav}, JobPhase::Converting, 2, stop_text::kUnchanged, 0},
        {"writing audio", false, {mp3}, JobPhase::WritingAudio, 2, stop_text::kUnchanged, 0},
        {"writing data", false, {mp3}, JobPhase::WritingData, 3, stop_text::kUnchanged, 0},
        // The third report: the first two tell of the card's tables moved out of the routine's way.
        {"writing tables: past the last stop", false, {mp3}, JobPhase::WritingTables, 3, "done", 1},
        {"the second routine", false, {mp3, wav}, JobPhase::Converting, 1,
         "Cancelled: the card holds the 1 routine added before the stop.", 1},
        {"a foreign card, converting", true, {wav}, JobPhase::Converting, 1, stop_text::kUnchanged, 0},
        {"a foreign card, writing audio", true, {mp3}, JobPhase::WritingAudio, 2, stop_text::kNowEmpty, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(temp.File("card.img"));
        const std::string card = c.foreign ? MakeForeignCard("card.img") : MakeCard("card.img", 1);
        const Bytes bytesBefore = ReadAll(card);
        const CardListing before = Listed(card);
        progress = CStoppingProgress();
        progress.StopAt(c.phase, c.nth);
        prompt.answers = {true};
        EXPECT_EQ(StopMessage([&] { job::AddRoutines(Context(card), c.files); }), c.message);
        EXPECT_EQ(temp.TempFileCount(), 0);
        const CardListing after = Listed(card);
        if (c.message == stop_text::kNowEmpty) {
            EXPECT_TRUE(after.velkDisk && after.tracks.empty());
        } else if (c.tracksAdded == 0) {
            EXPECT_TRUE(c.foreign ? ReadAll(card) == bytesBefore : SameCard(after, before));
        } else {
            ASSERT_EQ(after.tracks.size(), before.tracks.size() + c.tracksAdded);
            EXPECT_EQ(after.tracks.back().Title(), "Mp3");
        }
    }
}

TEST_F(JobTest, AStoppedBackupRemovesItsImage) {
    const std::string card = MakeCard("card.img", 3);
    const std::string backup = temp.File("backup.img");
    for (const int nth : {1, 2, 5}) {
        SCOPED_TRACE(nth);
        progress = CStoppingProgress();
        progress.StopAt(JobPhase::Reading, nth);
        EXPECT_EQ(StopMessage([&] { job::Backup(Context(card), backup); }), stop_text::kNoBackup);
        EXPECT_FALSE(std::filesystem::exists(backup));
    }
}

// The backup's image is the file the backup made, to its end: a file another hand put at its name
// meanwhile is neither written nor removed when the backup fails.
TEST_F(JobTest, AStoppedBackupRemovesOnlyTheImageItMade) {
    class CReplacingProgress final : public IProgressSink {
    public:
        explicit CReplacingProgress(std::string path) : m_path(std::move(path)) {}
        void Report(const ProgressReport& report) override {
            if (report.phase != JobPhase::Reading || stop.stop_requested()) return;
            std::filesystem::rename(m_path, m_path + ".moved");
            WriteAll(m_path, Bytes(kSectorSize, 0x44));
            stop.request_stop();
        }
        std::stop_source stop;

    private:
        std::string m_path;
    };
    const std::string card = MakeCard("card.img", 3);
    const std::string backup = temp.File("backup.img");
    CReplacingProgress replacing(backup);
    const JobContext context{DeviceId::Named(card), &prompt, &replacing, replacing.stop.get_token()};
    EXPECT_EQ(StopMessage([&] { job::Backup(context, backup); }), stop_text::kNoBackup);
    EXPECT_TRUE(ReadAll(backup) == Bytes(kSectorSize, 0x44)) << "the file put in its place stays as it was";
}

TEST_F(JobTest, AStoppedRestoreSaysWhatTheCardHolds) {
    const std::string image = MakeCard("backup.img", 3);
    struct Case {
        const char* name;
        JobPhase phase;
        int nth;  // 0: the stop came before the job began
        const char* message;
    };
    const Case cases[] = {
        {"before anything was written", JobPhase::Ready, 0, stop_text::kUnchanged},
        {"as writing began", JobPhase::WritingCard, 1, stop_text::kRestoreCut},
        {"while writing", JobPhase::WritingCard, 4, stop_text::kRestoreCut},
        {"while verifying, before the header", JobPhase::Verifying, 2, stop_text::kRestoreCut},
        // The tenth report is the header's check: 1 + 8 runs of routines and tables come before it.
        {"while the header is checked: past the last stop", JobPhase::Verifying, 10, "done"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(temp.File("card.img"));
        const std::string card = MakeCard("card.img", 1);
        const CardListing before = Listed(card);
        progress = CStoppingProgress();
        progress.StopAt(c.phase, c.nth);
        if (c.nth == 0) progress.stop.request_stop();
        prompt.answers = {true};
        EXPECT_EQ(StopMessage([&] { job::Restore(Context(card), image); }), c.message);
        const CardListing after = Listed(card);
        if (c.message == stop_text::kUnchanged) {
            EXPECT_TRUE(SameCard(after, before));
        } else if (c.message == stop_text::kRestoreCut) {
            EXPECT_FALSE(after.velkDisk);
        } else {
            EXPECT_TRUE(SameCard(after, Listed(image)));
        }
    }
}

// A card reader the user may not open is opened by udisks2 after polkit's question, which may stay
// unanswered for two minutes: a stop ends the wait at once. Run as an unprivileged user, for whom
// the reader's node is closed.
TEST(JobStop, AJobWaitingForUdisks2ToOpenTheReaderStopsWhenAsked) {
    constexpr uid_t kNobody = 65534;
    constexpr int64_t kSectors = 64;
    CPrivateBus bus;
    if (bus.Address().empty()) GTEST_SKIP() << bus.Error();
    CFakeSystem sys;
    sys.AddDisk("sdb", "8:16", kSectors, true);
    sys.AddDeviceNode("sdb", kSectors * 512);
    const std::string node = (sys.Root() / "dev/sdb").string();
    UdisksMockSetup setup{{{node, node, ""}}};
    setup.silentOpen = true;
    CUdisksMock udisks(bus.Address(), setup);
    ASSERT_TRUE(udisks.Ready());
    ::chmod(node.c_str(), 0);
    const pid_t child = ForkChild([&] {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                                 ::setresuid(kNobody, kNobody, kNobody) != 0))
            return 3;
        const CScopedEnvironment address("DBUS_SYSTEM_BUS_ADDRESS", bus.Address());
        std::stop_source stop;
        const std::jthread cancel([&](std::stop_token ended) {
            const auto asked = [&] { return udisks.Calls().size() >= 2; };  // the lookup, then the open
            while (!ended.stop_requested() && !asked()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            stop.request_stop();
        });
        JobContext context{DeviceId::Named("sdb"), nullptr, nullptr, stop.get_token()};
        context.paths = sys.Paths();
        try {
            job::ListCard(context);
            return 1;
        } catch (const CJobStopped&) {
            return 0;
        } catch (const std::exception&) {
            return 2;
        }
    });
    EXPECT_EQ(WaitChild(child, 30000), 0) << "-1: still waiting; 1: listed; 2: failed otherwise";
}

}  // namespace
