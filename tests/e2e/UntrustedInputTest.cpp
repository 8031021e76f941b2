// velk3 meeting what it cannot trust to behave: a named pipe where a file is expected, and a system
// bus that takes the connection and never answers. Each ends, says why where it fails, and leaves
// the card alone; the time-outs only keep a hang from holding the test.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "AudioFixtures.h"
#include "e2e/Velk3Process.h"
#include "support/PrivateBus.h"

namespace {

constexpr int kEndsWithinMs = 45000;

class Velk3Untrusted : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RunVelk3({"image", "create", card, "--size", "4M"}).exitCode, 0); }
    ProcessResult Velk3(const std::vector<std::string>& args, const Environment& environment = {}) {
        return RunProgram(VELK3_BINARY, args, environment, kEndsWithinMs);
    }

    CTestTempDir temp;
    const std::string card = temp.File("card.img");
};

TEST_F(Velk3Untrusted, ANamedPipeGivenAsAFileIsRefusedAtOnceAndNothingIsWritten) {
    const std::string pipe = temp.File("pipe.velk");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        {{"add", card, pipe}, "a named pipe, not a regular file"},
        {{"pack", temp.File("out.velk"), "--title", "T", "--audio", pipe, "--frame-ms", "20", "--baud", "9600",
          "--protocol", "0"},
         "a named pipe, not a regular file"},
        {{"--yes", "restore", pipe, card}, "a named pipe, not a regular file"},
        {{"--yes", "firmware", pipe}, "Invalid image file."},
    };
    const auto before = ReadAll(card);
    for (const Case& c : cases) {
        const ProcessResult r = Velk3(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args[0] << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args[0] << ": " << r.err;
        EXPECT_TRUE(ReadAll(card) == before) << c.args[0];
        EXPECT_EQ(temp.TempFileCount(), 0) << c.args[0];
    }
}

// logind is asked to keep the machine awake while the card is written; its bus hanging costs the
// call's time-out, not sd-bus's 90 s wait for a greeting.
TEST_F(Velk3Untrusted, ABusThatNeverAnswersDelaysAFormatOnlyByTheLogindTimeOut) {
    const CSilentBus bus;
    ASSERT_FALSE(bus.Address().empty());
    const ProcessResult r = Velk3({"--yes", "format", card}, {{"DBUS_SYSTEM_BUS_ADDRESS", bus.Address()}});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const ProcessResult listed = Velk3({"list", card, "--json"});
    EXPECT_NE(listed.out.find("\"velk\": true"), std::string::npos) << listed.out;
}

}  // namespace
