// velk3-manager and the velk3 clients as processes, over the simulated unit preloaded in place of
// libusb: what a client program sees of the listing, the relay and the single-instance rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/NamedObjects.h"
#include "server/RelayProtocol.h"
#include "support/ChildProcess.h"

namespace {

using namespace std::chrono_literals;

using Result = ProcessResult;

class ManagerModes : public ::testing::Test {
protected:
    void SetUp() override {
        // m_files took VELK3_OBJECT_DIR over when it was made; the processes use m_objects.
        ::setenv("VELK3_OBJECT_DIR", m_objects.Path().c_str(), 1);
        ::setenv("VELK3_MANAGER", VELK3_MANAGER_BINARY, 1);
        ::setenv("LD_PRELOAD", FAKE_USB_PRELOAD, 1);
        ::setenv("ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0", 1);
        ::setenv("VELK3_FAKE_USB_WIRE_LOG", File("wire.log").c_str(), 1);
        {
            std::ofstream card(File("card.img"), std::ios::binary);
            card << std::string(512 * 64, '\0');
        }
        Units("3:" + File("card.img") + ",5:" + File("card.img"));
    }
    void TearDown() override {
        for (const char* variable : {"VELK3_MANAGER", "LD_PRELOAD", "ASAN_OPTIONS", "VELK3_FAKE_USB_WIRE_LOG",
                                     "VELK3_FAKE_USB_UNITS"})
            ::unsetenv(variable);
    }

    std::string File(const std::string& name) const { return m_files.Path() + "/" + name; }
    void Units(const std::string& list) { ::setenv("VELK3_FAKE_USB_UNITS", list.c_str(), 1); }

    pid_t Start(const std::string& program, const std::vector<std::string>& args, const std::string& tag) {
        return StartProgram(program, args, {}, File(tag + ".out"), File(tag + ".err"));
    }
    Result Finish(pid_t pid, const std::string& tag) {
        return {WaitChild(pid, 20000), ReadWholeFile(File(tag + ".out")), ReadWholeFile(File(tag + ".err"))};
    }
    Result Run(const std::string& program, const std::vector<std::string>& args) {
        static int runs = 0;
        const std::string tag = "run" + std::to_string(++runs);
        return Finish(Start(program, args, tag), tag);
    }

    CPrivateObjectDirectory m_objects;  // the named objects of the processes under test
    CPrivateObjectDirectory m_files;    // card image, data, outputs, wire log
};

struct ListRendezvous {
    bool Create() {
        return start.Create(list_objects::kStartEvent) && done.Create(list_objects::kDoneEvent) &&
               area.Create(list_objects::kSharedMem, 2048) && area.Map();
    }
    CNamedEvent start, done;
    CFileMapping area;
};

TEST_F(ManagerModes, ListingWritesTheLabelsAndSetsBothEvents) {
    struct Case {
        std::string units;
        std::string want;
        std::string message;  // on standard error, before done
    };
    const Case cases[] = {
        {"3:" + File("card.img") + ",5:" + File("card.img"), std::string("VELK3\0VELK5\0\0", 13), ""},
        {"", std::string("\0", 1), ""},
        {"3:" + File("card.img") + ":denied,5:" + File("card.img"), std::string("VELK5\0\0", 7),
         "Unable to access VELK: Unable to open device"},
    };
    for (const auto& c : cases) {
        Units(c.units);
        ListRendezvous client;
        ASSERT_TRUE(client.Create());
        std::memset(client.area.View(), 0xEE, client.area.Size());
        const Result r = Run(VELK3_MANAGER_BINARY, {"-listdevices"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        if (c.message.empty()) {
            EXPECT_EQ(r.err, "");
        } else {
            EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << r.err;
        }
        EXPECT_TRUE(client.start.IsSet());
        EXPECT_TRUE(client.done.IsSet());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(client.area.View()), c.want.size() + 1), c.want + "\xEE");
    }
}

TEST_F(ManagerModes, UnitsPrintsTheLabelsOfTheAttachedUnits) {
    Result r = Run(VELK3_BINARY, {"units"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "VELK3\nVELK5\n");
    EXPECT_TRUE(m_objects.Entries().size() == 2) << "only the single-instance objects stay behind";

    Units("");
    r = Run(VELK3_BINARY, {"units"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "No unit was found.\n");
}

TEST_F(ManagerModes, RelaySendsTheFileAsPaddedBlocksAndReports) {
    {
        std::ofstream data(File("servo.bin"), std::ios::binary);
        for (int i = 0; i < 1000; ++i) data.put(char(i));
    }
    const Result r = Run(VELK3_BINARY, {"relay", "velk3", "57600", "--data", File("servo.bin"), "--block-bytes", "200"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Blocks sent: 5\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Round trip: median "), std::string::npos) << r.out;
    const std::string wire = ReadWholeFile(File("wire.log"));
    EXPECT_NE(wire.find("control 40 A3 0000 0000 len=1 t=1000 -> 1 [06]"), std::string::npos) << wire;
    size_t blocks = 0;
    for (size_t at = wire.find("bulk-out 03 len=256 t=6000 -> 256"); at != std::string::npos;
         at = wire.find("bulk-out 03 len=256 t=6000 -> 256", at + 1))
        ++blocks;
    EXPECT_EQ(blocks, 5u) << wire;
    EXPECT_EQ(m_objects.Entries().size(), 2u) << "the client removes its objects";
}

TEST_F(ManagerModes, RelayFailuresReachTheUserAndTheExitStatus) {
    {
        std::ofstream data(File("servo.bin"), std::ios::binary);
        data << "abc";
    }
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"relay", "VELK3", "1200"}, "FATAL SERVER VELK3 ERROR: Unsupported baud rate\n"},
        {{"relay", "VELK3", "0"}, "FATAL SERVER VELK3 ERROR: Unsupported baud rate\n"},
        {{"relay", "VELK4", "9600"}, "FATAL SERVER VELK4 ERROR: COULD NOT FIND DEVICE\n"},
    };
    for (const auto& c : cases) {
        auto args = c.args;
        args.insert(args.end(), {"--data", File("servo.bin")});
        const Result r = Run(VELK3_BINARY, args);
        EXPECT_EQ(r.exitCode, 1) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("velk3-manager ended before the relay was ready (exit status 1)"), std::string::npos)
            << r.err;
    }
}

// A client's relay rendezvous for name, as a client program makes it.
struct RelayRendezvous {
    bool Create(const std::string& name) {
        using namespace relay_objects;
        return area.Create(name + kSharedMem, 128) && dataReady.Create(name + kDataReadyEvent) &&
               dataDone.Create(name + kDataDoneEvent) && ready.Create(name + kReadyEvent) &&
               quit.Create(name + kQuitEvent);
    }
    CFileMapping area;
    CNamedEvent dataReady, dataDone, ready, quit;
};

TEST_F(ManagerModes, ServersRunSideBySideWhileListingAndWindowAreRefusedSilently) {
    RelayRendezvous first, second;
    ASSERT_TRUE(first.Create("VELK3"));
    ASSERT_TRUE(second.Create("VELK5"));
    const pid_t one = Start(VELK3_MANAGER_BINARY, {"-server", "velk3", "9600"}, "one");
    ASSERT_EQ(WaitFor(first.ready, 10s), 0) << ReadWholeFile(File("one.err"));
    const pid_t two = Start(VELK3_MANAGER_BINARY, {"/SERVER", "Velk5", "115200"}, "two");
    ASSERT_EQ(WaitFor(second.ready, 10s), 0) << ReadWholeFile(File("two.err"));

    ListRendezvous list;
    ASSERT_TRUE(list.Create());
    for (const std::vector<std::string>& args : {std::vector<std::string>{"-listdevices"}, std::vector<std::string>{}}) {
        const Result r = Run(VELK3_MANAGER_BINARY, args);
        EXPECT_EQ(r.exitCode, 3);
        EXPECT_EQ(r.err, "") << "a refused start is silent";
    }
    EXPECT_FALSE(list.start.IsSet());

    first.quit.Set();
    second.quit.Set();
    EXPECT_EQ(Finish(one, "one").exitCode, 0);
    EXPECT_EQ(Finish(two, "two").exitCode, 0);

    // With both gone the record has died: the listing runs now.
    const Result listing = Run(VELK3_MANAGER_BINARY, {"-listdevices"});
    EXPECT_EQ(listing.exitCode, 0) << listing.err;
    EXPECT_TRUE(list.done.IsSet());
}

// A client killed outright (SIGKILL) leaves its objects behind and cannot stop its velk3-manager:
// the next run makes the objects afresh, and the manager does not outlive its client. Interrupted
// (SIGINT, SIGTERM), a client stops its manager and removes its objects before it ends.
TEST_F(ManagerModes, ClientsKilledOrInterruptedAtAnyPointLeaveNothingInTheWayOfTheNextRun) {
    {
        std::ofstream data(File("long.bin"), std::ios::binary);
        data << std::string(20000, 'x');
        std::ofstream small(File("short.bin"), std::ios::binary);
        small << "abc";
    }
    const std::vector<std::string> longRelay = {"relay", "VELK3", "9600", "--data", File("long.bin"), "--period-ms", "5"};
    const std::vector<std::string> shortRelay = {"relay", "VELK3", "9600", "--data", File("short.bin")};
    const std::string ready = std::string("VELK3") + relay_objects::kReadyEvent;
    struct Case {
        std::vector<std::string> args;
        std::string point;  // an object that exists; the ready event: set
        int signal;
    };
    const Case cases[] = {
        {{"units"}, list_objects::kStartEvent, SIGKILL},
        {{"units"}, list_objects::kSharedMem, SIGKILL},
        {longRelay, std::string("VELK3") + relay_objects::kSharedMem, SIGKILL},
        {longRelay, std::string("VELK3") + relay_objects::kQuitEvent, SIGKILL},
        {longRelay, ready, SIGKILL},
        {longRelay, ready, SIGTERM},
        {longRelay, ready, SIGINT},
    };
    const auto reached = [&](const std::string& point) {
        if (point != ready) return std::filesystem::exists(m_objects.Path() + "/" + point);
        CNamedEvent event;
        return event.Open(point) && event.IsSet();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " at " + c.point + ", signal " + std::to_string(c.signal));
        const pid_t client = Start(VELK3_BINARY, c.args, "client");
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!reached(c.point) && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
        ASSERT_TRUE(reached(c.point)) << ReadWholeFile(File("client.err"));
        ::kill(client, c.signal);
        const Result killed = Finish(client, "client");
        if (c.signal != SIGKILL) {
            EXPECT_EQ(killed.exitCode, 128 + c.signal);
            EXPECT_NE(killed.err.find("Interrupted"), std::string::npos) << killed.err;
            EXPECT_EQ(m_objects.Entries().size(), 2u) << "only the single-instance objects stay behind: " << testing::PrintToString(m_objects.Entries());
        }
        // The listing is refused while any velk3-manager of the killed client still runs.
        Result units = Run(VELK3_BINARY, {"units"});
        for (int tries = 0; units.exitCode != 0 && tries < 100; ++tries) {
            std::this_thread::sleep_for(100ms);
            units = Run(VELK3_BINARY, {"units"});
        }
        EXPECT_EQ(units.exitCode, 0) << units.err;
        EXPECT_EQ(units.out, "VELK3\nVELK5\n");
        const Result relay = Run(VELK3_BINARY, shortRelay);
        EXPECT_EQ(relay.exitCode, 0) << relay.err;
    }
}

// Display variables are the test's own: a desktop session running the tests must not leak in.
class DisplayVariables {
public:
    DisplayVariables() {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            m_saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
    }
    ~DisplayVariables() {
        for (const auto& [name, value] : m_saved)
            value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }

private:
    static constexpr const char* kNames[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    std::vector<std::pair<const char*, std::optional<std::string>>> m_saved;
};

TEST_F(ManagerModes, WithoutADisplayTheWindowNamesVelk3WhileTheOtherModesRun) {
    DisplayVariables none;
    struct Case {
        const char* display;  // nullptr: unset
        const char* want;
    };
    for (const Case c : {Case{nullptr, "no display to show the window on"},
                         Case{":7777", "cannot open the window on this display"}}) {
        if (c.display) ::setenv("DISPLAY", c.display, 1);
        const Result r = Run(VELK3_MANAGER_BINARY, {"--image", File("card.img")});
        ::unsetenv("DISPLAY");
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find(c.want), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("velk3 does every job of the window"), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    ListRendezvous list;
    ASSERT_TRUE(list.Create());
    const Result listing = Run(VELK3_MANAGER_BINARY, {"-listdevices"});
    EXPECT_EQ(listing.exitCode, 0) << listing.err;
    EXPECT_TRUE(list.done.IsSet());
}

// Whether the process has a handler for sig: the window is then about to run or running.
bool Catches(pid_t pid, int sig) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
    return false;
}

TEST_F(ManagerModes, TheWindowStartsOffscreenOnAnImageAndClosesOnTerm) {
    DisplayVariables none;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const pid_t window = Start(VELK3_MANAGER_BINARY, {"--image", File("card.img"), "--show-schedules"}, "window");
    ::unsetenv("QT_QPA_PLATFORM");
    // The window lists the units on its worker once it is shown: wait for that, then close it.
    const auto listed = [&] { return ReadWholeFile(File("wire.log")).find("host open") != std::string::npos; };
    for (int i = 0; i < 2000 && ChildRunning(window) && !(Catches(window, SIGTERM) && listed()); ++i)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(ChildRunning(window)) << ReadWholeFile(File("window.err"));
    EXPECT_TRUE(listed()) << "the units were listed";
    ::kill(window, SIGTERM);
    const Result r = Finish(window, "window");
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

}  // namespace
