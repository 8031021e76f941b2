// Relay round trip per block against a one-byte pipe ping-pong whose answering process first
// sends the same block through the same simulated unit (so the ratio is the relay's own cost,
// not the simulated unit's), and against a bare pipe ping-pong; the relay's CPU time while it
// waits idle. The relay and the pipe's answerer are forked children of this process, the client;
// the kinds of trip take turns in rounds, so that a busy moment of the machine falls on all.
// The client waits for each answer as the pipe's reader does, without a time-out of its own (the
// whole run has one); the same trips with a 10 s time-out per wait, as velk3 relay waits, are
// printed beside: on some machines arming that timer is a good part of a trip.
//   relay_roundtrip [blocks] [idle-seconds] [fallback]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/ModePrompt.h"
#include "fakes/FakeUsb.h"
#include "platform/ByteOrder.h"
#include "platform/Exceptions.h"
#include "platform/NamedObjects.h"
#include "server/RelayProtocol.h"
#include "server/RelayServer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kDataBytes = 64;
constexpr auto kClientTimeout = std::chrono::seconds(10);
constexpr unsigned kRunSeconds = 600;  // a relay that stops answering ends the run here
constexpr int kRoundTrips = 100;       // trips of one kind before the next kind's turn
constexpr char kBare = 'b', kThroughUnit = 'u', kEnd = 'e';

double Micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

double Percentile(std::vector<double> v, double fraction) {
    std::sort(v.begin(), v.end());
    const size_t rank = std::max<size_t>(1, size_t(fraction * double(v.size()) + 0.999999));
    return v[std::min(rank, v.size()) - 1];
}

// User plus system CPU time of a process, in seconds.
double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return double(utime + stime) / double(::sysconf(_SC_CLK_TCK));
}

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "relay_roundtrip: %s failed\n", what);
        std::exit(1);
    }
}

const RelayCommandLine kRelay{"VELK3", 115200};

void AddSimulatedUnit() {
    fakeusb::Reset();
    fakeusb::LogTransfers(false);  // a recorder of the tests, not part of any unit
    fakeusb::UnitOptions unit;
    unit.devnum = 3;
    fakeusb::AddUnit(unit);
}

// Answers each ping until kEnd; a kThroughUnit ping after sending the block of the shared view
// to the unit, as the relay sends it.
[[noreturn]] void PipeChild(int in, int out) {
    AddSimulatedUnit();
    size_t sent = 0;
    try {
        CStderrPrompt prompt;
        CRelayServer unit(kRelay, prompt);
        unit.OpenSharedObjects();
        unit.OpenRelayDevice();
        unit.SetBaudMode();
        char byte = 0;
        while (::read(in, &byte, 1) == 1 && byte != kEnd) {
            if (byte == kThroughUnit) unit.SendBlock(), ++sent;
            if (::write(out, &byte, 1) != 1) ::_exit(2);
        }
        unit.CloseRelayDevice();
        unit.CloseSharedObjects();
    } catch (const CUsbDeviceException&) {
        ::_exit(2);
    }
    ::_exit(fakeusb::Unit(3).relayBlocks.size() == sent ? 0 : 3);
}

[[noreturn]] void RelayChild(size_t blocks, bool fallback) {
    UseVectorWait(!fallback);
    AddSimulatedUnit();
    CStderrPrompt prompt;
    const int result = CRelayServer(kRelay, prompt).Run();
    const bool allSent = fakeusb::Unit(3).relayBlocks.size() == blocks;
    ::_exit(result == 1 && allSent ? 0 : 3);
}

struct RelayObjects {
    CFileMapping area;
    CNamedEvent dataReady, dataDone, ready, quit;
};

// Fills the shared view with block number i, as a client hands it over.
void WriteBlock(const CFileMapping& area, int i) {
    StoreLe16(area.View(), kDataBytes);
    std::memset(area.View() + 2, i & 0xFF, kDataBytes);
}

struct Pipe {
    int out, in;
};

void PingPong(const Pipe& pipe, char kind, const CFileMapping& area, int first, std::vector<double>& trips) {
    char byte = kind;
    for (int i = first; i < first + kRoundTrips; ++i) {
        WriteBlock(area, i);
        const auto start = Clock::now();
        Check(::write(pipe.out, &byte, 1) == 1 && ::read(pipe.in, &byte, 1) == 1, "pipe ping-pong");
        trips.push_back(Micros(Clock::now() - start));
    }
}

void RelayTrips(RelayObjects& relay, std::chrono::milliseconds timeout, int first, std::vector<double>& trips) {
    for (int i = first; i < first + kRoundTrips; ++i) {
        relay.dataDone.Reset();
        WriteBlock(relay.area, i);
        const auto start = Clock::now();
        relay.dataReady.Set();
        Check(WaitFor(relay.dataDone, timeout) == 0, "waiting for data done");
        trips.push_back(Micros(Clock::now() - start));
    }
}

struct Trips {
    std::vector<double> pipe, pipeThroughUnit, relay, relayTimed;
};

Trips TakeTurns(const Pipe& pipe, RelayObjects& relay, int blocks) {
    Trips trips;
    for (int first = 0; first < blocks; first += kRoundTrips) {
        PingPong(pipe, kBare, relay.area, first, trips.pipe);
        PingPong(pipe, kThroughUnit, relay.area, first, trips.pipeThroughUnit);
        RelayTrips(relay, kWaitForever, first, trips.relay);
        RelayTrips(relay, kClientTimeout, first, trips.relayTimed);
    }
    return trips;
}

void Print(const char* what, const std::vector<double>& trips) {
    std::printf("%-46s median %7.1f us   p99 %7.1f us   (%zu)\n", what, Percentile(trips, 0.5),
                Percentile(trips, 0.99), trips.size());
}

void Report(const Trips& trips, bool fallback) {
    const double pipe = Percentile(trips.pipe, 0.5), throughUnit = Percentile(trips.pipeThroughUnit, 0.5);
    const double relay = Percentile(trips.relay, 0.5), relayTimed = Percentile(trips.relayTimed, 0.5);
    std::printf("wait: %s\n", fallback ? "fallback (FUTEX_WAIT, 1 ms slices)" : "futex_waitv");
    Print("pipe ping-pong (1 byte):", trips.pipe);
    Print("pipe ping-pong, the block sent to the unit:", trips.pipeThroughUnit);
    Print("relay round trip (64 B block):", trips.relay);
    Print("relay round trip, client waits with time-out:", trips.relayTimed);
    std::printf("ratio of medians relay/pipe through the unit: %.2f (limit 1.15)\n", relay / throughUnit);
    std::printf("ratio of medians relay/bare pipe: %.2f (limit 2)\n", relay / pipe);
    std::printf("ratio of medians relay with time-out/pipe through the unit: %.2f\n", relayTimed / throughUnit);
}

void CheckEnded(pid_t child, const char* what) {
    int status = 0;
    ::waitpid(child, &status, 0);
    Check(WIFEXITED(status) && WEXITSTATUS(status) == 0, what);
}

}  // namespace

int main(int argc, char** argv) {
    const int blocks = (argc > 1 ? std::atoi(argv[1]) : 10000) / kRoundTrips * kRoundTrips;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 5;
    const bool fallback = argc > 3 && std::strcmp(argv[3], "fallback") == 0;
    ::alarm(kRunSeconds);
    char directory[] = "/tmp/velk3-bench-XXXXXX";
    Check(::mkdtemp(directory) != nullptr, "mkdtemp");
    ::setenv("VELK3_OBJECT_DIR", directory, 1);

    RelayObjects relay;
    Check(relay.area.Create("VELK3_SHAREDMEM", 128) && relay.area.Map(), "creating the data area");
    Check(relay.dataReady.Create("VELK3_DATAREADYEVENT") && relay.dataDone.Create("VELK3_DATADONEEVENT") &&
              relay.ready.Create("VELK3_READYEVENT") && relay.quit.Create("VELK3_QUITEVENT"),
          "creating the events");

    int toChild[2], toParent[2];
    Check(::pipe(toChild) == 0 && ::pipe(toParent) == 0, "pipe");
    const pid_t pipeChild = ::fork();
    if (pipeChild == 0) PipeChild(toChild[0], toParent[1]);
    const pid_t relayChild = ::fork();
    if (relayChild == 0) RelayChild(2 * size_t(blocks), fallback);

    Check(WaitFor(relay.ready, kClientTimeout) == 0, "waiting for ready");
    const Trips trips = TakeTurns({toChild[1], toParent[0]}, relay, blocks);
    Check(::write(toChild[1], &kEnd, 1) == 1, "ending the pipe's answerer");
    CheckEnded(pipeChild, "the pipe's answerer (every block sent)");

    const double cpuBefore = CpuSeconds(relayChild);
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const double idleCpu = CpuSeconds(relayChild) - cpuBefore;
    relay.quit.Set();
    CheckEnded(relayChild, "the relay run (every block sent, orderly end)");

    Report(trips, fallback);
    std::printf("relay CPU while idle %d s: %.3f s = %.2f%% (limit 1%%)\n", idleSeconds, idleCpu,
                100.0 * idleCpu / idleSeconds);
    relay.area.Close();
    for (CNamedEvent* event : {&relay.dataReady, &relay.dataDone, &relay.ready, &relay.quit}) event->Close();
    ::rmdir(directory);
    return 0;
}
