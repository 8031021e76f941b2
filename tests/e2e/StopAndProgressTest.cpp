// velk3's own side of Cancel and progress: a signal (interrupt, terminate, hang-up) becomes a stop
// with the job's message and the shell's exit status, a question waiting on the terminal is
// answered No, and the progress line on a terminal ends on the job's end.
#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include "AudioFixtures.h"
#include "e2e/Velk3Process.h"

namespace {

class Velk3Stop : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RunVelk3({"image", "create", card, "--size", "64M"}).exitCode, 0); }
    // A routine whose audio is converted when it is added.
    void PackRoutine(double seconds) {
        WriteWav(temp.File("tone.wav"), MakeTones(44100, 2, seconds));
        WriteAll(temp.File("servo.bin"), std::vector<uint8_t>(20000, 0x7F));
        ASSERT_EQ(RunVelk3({"pack", routine, "--title", "Tone", "--audio", temp.File("tone.wav"), "--data",
                            temp.File("servo.bin"), "--frame-ms", "20", "--baud", "9600", "--protocol", "0"})
                      .exitCode,
                  0);
    }

    CTestTempDir temp;  // velk3 inherits it as $TMPDIR
    const std::string card = temp.File("card.img"), routine = temp.File("tone.velk");
};

// SIGHUP is a closed terminal or SSH session: the user is gone, the job still stops cleanly.
TEST_F(Velk3Stop, SigintSigtermAndSighupStopAnAddWithItsMessageTheirStatusAndNoTemporaryFile) {
    PackRoutine(60);  // long enough to be converting still when the signal comes
    const auto before = ReadAll(card);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const std::string err = temp.File("err" + std::to_string(signal));  // none left by the last run
        const pid_t velk3 = StartProgram(VELK3_BINARY, {"add", card, routine}, {}, temp.File("out"), err);
        for (int i = 0; i < 3000 && ReadWholeFile(err).find("Converting Audio") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ::kill(velk3, signal);
        EXPECT_EQ(WaitChild(velk3, 60000), 128 + signal);
        EXPECT_NE(ReadWholeFile(err).find("Converting Audio\nCancelled: the card is unchanged.\n"), std::string::npos)
            << ReadWholeFile(err);
        EXPECT_EQ(temp.TempFileCount(), 0);
        EXPECT_TRUE(ReadAll(card) == before);
    }
}

TEST_F(Velk3Stop, AQuestionWaitingOnTheTerminalIsAnsweredNoBySigint) {
    const auto before = ReadAll(card);
    CTerminalVelk3 velk3({"format", card});
    ASSERT_TRUE(velk3.WaitFor("[y/N] ")) << velk3.Screen();
    ::kill(velk3.Pid(), SIGINT);
    EXPECT_EQ(velk3.Finish(), 130);
    EXPECT_NE(velk3.Screen().find("[y/N] no\r\nCancelled: nothing was written."), std::string::npos) << velk3.Screen();
    EXPECT_TRUE(ReadAll(card) == before);
}

// The line is redrawn in place ("\r"); its last state is the job's end, without a speed.
TEST_F(Velk3Stop, TheProgressLineOnATerminalEndsOnTheJobsEnd) {
    PackRoutine(2);
    CTerminalVelk3 velk3({"add", card, routine});
    EXPECT_EQ(velk3.Finish(), 0) << velk3.Screen();
    const std::string& screen = velk3.Screen();
    const size_t end = screen.find("\r\n", screen.rfind("%"));
    ASSERT_NE(end, std::string::npos) << screen;
    const std::string last = screen.substr(screen.rfind('\r', end - 1) + 1, end - screen.rfind('\r', end - 1) - 1);
    EXPECT_EQ(last.rfind("Ready", 0), 0u) << last;
    EXPECT_NE(last.find("[##############################] 100%"), std::string::npos) << last;
    EXPECT_EQ(last.find("MB/s"), std::string::npos) << last;
    EXPECT_EQ(last.find("left"), std::string::npos) << last;
}

}  // namespace
