#include "BenchSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <spawn.h>
#include <fcntl.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "devices/ImageFile.h"
#include "disk/DiskLayout.h"
#include "disk/VelkDisk.h"

extern char** environ;

double MedianSeconds(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double TimeProcess(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(argv[0] + " failed");
    return seconds;
}

double MedianProcessSeconds(int runs, const std::function<void()>& prepare, const std::vector<std::string>& argv) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        times.push_back(TimeProcess(argv));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

long PeakKiBOfProcess(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + argv[0]);
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(argv[0] + " failed");
    return usage.ru_maxrss;
}

double ReportRatio(const std::string& name, double ours, double baseline, double target) {
    const double ratio = ours / baseline;
    std::printf("%s: ours %.4f s, baseline %.4f s, ratio %.2f (target at most %.2f)%s\n", name.c_str(), ours,
                baseline, ratio, target, ratio <= target ? "" : "  ** over target **");
    return ratio;
}

void WriteRandomFile(const std::string& path, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot write " + path);
    std::mt19937_64 random(42);
    std::vector<uint64_t> block(8192);
    for (size_t done = 0; done < size; done += sizeof(uint64_t) * block.size()) {
        for (auto& word : block) word = random();
        std::fwrite(block.data(), 1, std::min(size - done, sizeof(uint64_t) * block.size()), file);
    }
    std::fclose(file);
}

void WriteCardOfRoutines(const std::string& path, int routines, int schedules) {
    constexpr uint32_t kSectorsPerRoutine = 2;  // one audio and one data sector
    constexpr uint8_t kFrameMs = 20, kBaudCodes = 8, kProtocolCodes = 20;
    constexpr int kMinutes = 60, kHours = 24, kHalfDay = 12;
    const uint32_t tableSectors = disk_layout::TrackTableSectors(uint32_t(routines)) + uint32_t(schedules);
    CImageFile::Create(path, uint64_t(disk_layout::kFirstTrackSector) + uint64_t(routines) * kSectorsPerRoutine +
                                 tableSectors);
    CImageFile card;
    card.Open(CImageFile::EntryFor(path));
    CVelkDisk disk(card);
    disk.Format();
    for (uint32_t i = 0; i < uint32_t(routines); ++i) {
        TrackEntry t;
        t.SetTitle("Routine " + std::to_string(i));
        t.audioStart = disk_layout::kFirstTrackSector + kSectorsPerRoutine * i;
        t.dataStart = t.audioStart + 1;
        t.endSector = t.dataStart + 1;
        t.frameMs = kFrameMs;
        t.baudCode = uint8_t(i % kBaudCodes);
        t.protocolCode = uint8_t(i % kProtocolCodes);
        disk.AppendTrack(t);
    }
    std::vector<ScheduleEntry> list(static_cast<size_t>(schedules));
    for (int i = 0; i < schedules; ++i) {
        list[size_t(i)].trackIndex = uint16_t(i % std::max(routines, 1));
        list[size_t(i)].minutes = {uint8_t(i % kMinutes)};
        list[size_t(i)].hours = {uint8_t(i % kHours), uint8_t((i + kHalfDay) % kHours)};
    }
    disk.SetSchedules(list);
    disk.WriteTable();
    card.Close();
}
