// `velk3 list CARD --json` against the plain `velk3 list CARD` of the same full card (65,533
// routines, 1,000 schedules), measured in the same run, the two in turns: wall time and peak
// resident memory. Both are written as they go, so the JSON may cost at most 1.2 times the time
// (the median of the pairs' ratios), and each at most 24 MiB at its peak.
// Usage: bench_list_json [PATH-TO-VELK3]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "disk/DiskLayout.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
constexpr int kRoutines = disk_layout::kMaxTracks;
constexpr int kSchedules = 1000;
constexpr int kPairs = 7;
constexpr double kTimeLimit = 1.2;
constexpr double kMemoryBudgetMiB = 24.0;
constexpr double kKiBPerMiB = 1024.0;

struct Run {
    double seconds = 0;
    long peakKiB = 0;
};

// Runs a program with its output thrown away.
Run Spawn(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot run " + arguments[0]);
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(arguments[0] + " failed");
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), usage.ru_maxrss};
}

struct Pairs {
    std::vector<Run> plain, json;
    std::vector<double> ratios;
};

// Each pair runs the plain listing and then the JSON, so that a busy moment falls on both.
Pairs InTurns(const std::vector<std::string>& plainArgv, const std::vector<std::string>& jsonArgv) {
    Pairs pairs;
    for (int i = 0; i < kPairs; ++i) {
        pairs.plain.push_back(Spawn(plainArgv));
        pairs.json.push_back(Spawn(jsonArgv));
        pairs.ratios.push_back(pairs.json.back().seconds / pairs.plain.back().seconds);
    }
    return pairs;
}

double MedianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median time and the highest peak of the runs.
Run Summary(const std::vector<Run>& runs) {
    std::vector<double> seconds;
    Run summary;
    for (const Run& r : runs) {
        seconds.push_back(r.seconds);
        summary.peakKiB = std::max(summary.peakKiB, r.peakKiB);
    }
    summary.seconds = MedianOf(seconds);
    return summary;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string velk3 = argc > 1 ? argv[1] : VELK3_PATH;
    std::string pattern = (fs::temp_directory_path() / "velk3benchXXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    const fs::path dir = pattern;
    int result = 0;
    try {
        const std::string card = (dir / "full.img").string();
        WriteCardOfRoutines(card, kRoutines, kSchedules);
        const Pairs pairs = InTurns({velk3, "list", card}, {velk3, "list", card, "--json"});
        const Run plain = Summary(pairs.plain), json = Summary(pairs.json);
        std::printf("list --json of a full card (%d routines, %d schedules): %.3f s, %.1f MiB peak; "
                    "plain list %.3f s, %.1f MiB peak; time ratio %.2f (median of %d pairs; limit %.1f); "
                    "budget %.0f MiB each, ratio to budget %.2f (json) and %.2f (plain)\n",
                    kRoutines, kSchedules, json.seconds, json.peakKiB / kKiBPerMiB, plain.seconds,
                    plain.peakKiB / kKiBPerMiB, MedianOf(pairs.ratios), kPairs, kTimeLimit, kMemoryBudgetMiB,
                    json.peakKiB / kKiBPerMiB / kMemoryBudgetMiB, plain.peakKiB / kKiBPerMiB / kMemoryBudgetMiB);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_list_json: %s\n", e.what());
        result = 1;
    }
    fs::remove_all(dir);
    return result;
}
