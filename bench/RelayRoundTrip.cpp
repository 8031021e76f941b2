// Relay round trip per block against a one-byte pipe ping-pong between the same two processes,
// and the relay's CPU time while it waits idle. The relay runs in a forked child over the
// simulated unit; this process is its client.
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
#include "platform/NamedObjects.h"
#include "server/RelayProtocol.h"
#include "server/RelayServer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kDataBytes = 64;

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

[[noreturn]] void Child(int in, int out, int pings, bool fallback) {
    char byte = 0;
    for (int i = 0; i < pings; ++i)
        if (::read(in, &byte, 1) != 1 || ::write(out, &byte, 1) != 1) ::_exit(2);
    UseVectorWait(!fallback);
    fakeusb::Reset();
    fakeusb::LogTransferData(false);
    fakeusb::UnitOptions unit;
    unit.devnum = 3;
    fakeusb::AddUnit(unit);
    CStderrPrompt prompt;
    const int result = CRelayServer({"VELK3", 115200}, prompt).Run();
    const bool allSent = fakeusb::Unit(3).relayBlocks.size() == size_t(pings);
    ::_exit(result == 1 && allSent ? 0 : 3);
}

}  // namespace

int main(int argc, char** argv) {
    const int blocks = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 5;
    const bool fallback = argc > 3 && std::strcmp(argv[3], "fallback") == 0;
    char directory[] = "/tmp/velk3-bench-XXXXXX";
    Check(::mkdtemp(directory) != nullptr, "mkdtemp");
    ::setenv("VELK3_OBJECT_DIR", directory, 1);

    CFileMapping area;
    CNamedEvent dataReady, dataDone, ready, quit;
    Check(area.Create("VELK3_SHAREDMEM", 128) && area.Map(), "creating the data area");
    Check(dataReady.Create("VELK3_DATAREADYEVENT") && dataDone.Create("VELK3_DATADONEEVENT") &&
              ready.Create("VELK3_READYEVENT") && quit.Create("VELK3_QUITEVENT"),
          "creating the events");

    int toChild[2], toParent[2];
    Check(::pipe(toChild) == 0 && ::pipe(toParent) == 0, "pipe");
    const pid_t child = ::fork();
    if (child == 0) Child(toChild[0], toParent[1], blocks, fallback);

    std::vector<double> pipeTrips, relayTrips;
    char byte = 'x';
    for (int i = 0; i < blocks; ++i) {
        const auto start = Clock::now();
        Check(::write(toChild[1], &byte, 1) == 1 && ::read(toParent[0], &byte, 1) == 1, "pipe ping-pong");
        pipeTrips.push_back(Micros(Clock::now() - start));
    }

    Check(WaitFor(ready, std::chrono::seconds(10)) == 0, "waiting for ready");
    for (int i = 0; i < blocks; ++i) {
        dataDone.Reset();
        StoreLe16(area.View(), kDataBytes);
        std::memset(area.View() + 2, i & 0xFF, kDataBytes);
        const auto start = Clock::now();
        dataReady.Set();
        Check(WaitFor(dataDone, std::chrono::seconds(10)) == 0, "waiting for data done");
        relayTrips.push_back(Micros(Clock::now() - start));
    }

    const double cpuBefore = CpuSeconds(child);
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const double idleCpu = CpuSeconds(child) - cpuBefore;
    quit.Set();
    int status = 0;
    ::waitpid(child, &status, 0);
    Check(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the relay run (every block sent, orderly end)");

    const double pipeMedian = Percentile(pipeTrips, 0.5), relayMedian = Percentile(relayTrips, 0.5);
    const double idlePercent = 100.0 * idleCpu / idleSeconds;
    std::printf("wait: %s\n", fallback ? "fallback (FUTEX_WAIT, 1 ms slices)" : "futex_waitv");
    std::printf("pipe ping-pong (1 byte):   median %8.1f us   p99 %8.1f us   (%d round trips)\n", pipeMedian,
                Percentile(pipeTrips, 0.99), blocks);
    std::printf("relay round trip (64 B):   median %8.1f us   p99 %8.1f us   (%d blocks)\n", relayMedian,
                Percentile(relayTrips, 0.99), blocks);
    std::printf("ratio of medians relay/pipe: %.2f (limit 2)\n", relayMedian / pipeMedian);
    std::printf("relay CPU while idle %d s: %.3f s = %.2f%% (limit 1%%)\n", idleSeconds, idleCpu, idlePercent);
    area.Close();
    for (CNamedEvent* event : {&dataReady, &dataDone, &ready, &quit}) event->Close();
    ::rmdir(directory);
    return 0;
}
