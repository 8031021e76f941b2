// Adding routines to a card image, against baselines measured in the same run:
//   wav  — `velk3 add` of a 5-minute 44.1 kHz stereo WAV routine as a whole process, against
//          `lame -b 128 -q 2` on the WAV, in turns, five pairs; the ratio of each pair and their median;
//   mp3  — a 5 MB MP3 routine stored as it is, against `cp` of the routine file;
//   memory — peak resident memory of `velk3 add` of a 60-minute WAV routine (and of a 5-minute
//            48 kHz one, which FFmpeg resamples), against `velk3 list` of the same card; budget 32 MiB.
// Usage: velk3_import_bench [wav|mp3|memory|all] [--minutes N] [--velk3 PATH]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "devices/ImageFile.h"
#include "disk/RoutineFile.h"
#include "disk/VelkDisk.h"
#include "platform/ByteOrder.h"
#include "platform/StdioFile.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRate = 44100;
constexpr int kResampledRate = 48000;
constexpr int kRepeats = 3;
constexpr int kPairs = 5;
constexpr double kMemoryBudgetMiB = 32.0;
constexpr double kWavLimit = 0.5;

std::string g_velk3 = VELK3_PATH;

// A 44-byte WAV header for 16-bit stereo PCM.
std::vector<uint8_t> WavHeader(uint32_t frames, uint32_t rate = kRate) {
    std::vector<uint8_t> h(44);
    const uint32_t data = frames * 4;
    std::memcpy(&h[0], "RIFF", 4);
    StoreLe32(&h[4], 36 + data);
    std::memcpy(&h[8], "WAVEfmt ", 8);
    StoreLe32(&h[16], 16);
    StoreLe16(&h[20], 1);
    StoreLe16(&h[22], 2);
    StoreLe32(&h[24], rate);
    StoreLe32(&h[28], rate * 4);
    StoreLe16(&h[32], 4);
    StoreLe16(&h[34], 16);
    std::memcpy(&h[36], "data", 4);
    StoreLe32(&h[40], data);
    return h;
}

void Put(std::FILE* f, const void* bytes, size_t size) {
    if (std::fwrite(bytes, 1, size, f) != size) throw std::runtime_error("write failed");
}

// Music-like test sound: two drifting tones and a little noise per channel, written a second at a time.
void PutWavSound(std::FILE* f, uint32_t frames, uint32_t rate = kRate) {
    const auto header = WavHeader(frames, rate);
    Put(f, header.data(), header.size());
    std::vector<uint8_t> second(size_t(kRate) * 4);
    uint32_t seed = 12345;
    for (uint32_t done = 0; done < frames;) {
        const uint32_t n = std::min<uint32_t>(kRate, frames - done);
        for (uint32_t i = 0; i < n; ++i) {
            const double t = double(done + i) / kRate;
            seed = seed * 1664525 + 1013904223;
            const double noise = double(int32_t(seed) >> 20);
            const double l = 7000 * std::sin(2 * M_PI * (220 + 30 * std::sin(t)) * t) + 3000 * std::sin(2 * M_PI * 1250 * t) + noise;
            const double r = 6000 * std::sin(2 * M_PI * (330 + 20 * std::sin(0.7 * t)) * t) + 2500 * std::sin(2 * M_PI * 2100 * t) - noise;
            StoreLe16(&second[i * 4], uint16_t(int16_t(l)));
            StoreLe16(&second[i * 4 + 2], uint16_t(int16_t(r)));
        }
        Put(f, second.data(), size_t(n) * 4);
        done += n;
    }
}

void WriteRoutine(const std::string& path, const RoutineHeader& header, const std::function<void(std::FILE*)>& audio) {
    StdioFile f = OpenStdioFile(path, "wb");
    if (!f) throw std::runtime_error("cannot create " + path);
    uint8_t bytes[RoutineHeader::kSize];
    header.Encode(bytes);
    Put(f.get(), bytes, sizeof bytes);
    audio(f.get());
    std::vector<uint8_t> data(header.dataBytes, 0x80);
    Put(f.get(), data.data(), data.size());
}

RoutineHeader HeaderFor(uint32_t format, uint32_t audioBytes) {
    RoutineHeader h;
    h.SetTitle("Bench");
    h.audioFormat = format;
    h.audioBytes = audioBytes;
    h.dataBytes = 30000;
    h.frameMs = 20;
    h.baudCode = 2;
    return h;
}

std::string WavRoutine(const fs::path& dir, double minutes, uint32_t rate = kRate) {
    const uint32_t frames = uint32_t(minutes * 60 * rate);
    const std::string path = (dir / ("wav" + std::to_string(rate) + ".velk")).string();
    WriteRoutine(path, HeaderFor(RoutineHeader::kOtherFormat, 44 + frames * 4),
                 [&](std::FILE* f) { PutWavSound(f, frames, rate); });
    return path;
}

void WriteWav(const std::string& path, double minutes) {
    StdioFile f = OpenStdioFile(path, "wb");
    PutWavSound(f.get(), uint32_t(minutes * 60 * kRate));
}

std::string Mp3Routine(const fs::path& dir, uint32_t bytes) {
    std::vector<uint8_t> frames;
    for (uint32_t at = 0; at + 418 <= bytes;) {
        const bool padded = (at / 417) % 3 != 0;
        std::vector<uint8_t> frame(padded ? 418 : 417, uint8_t(at));
        frame[0] = 0xFF, frame[1] = 0xFB, frame[2] = padded ? 0x92 : 0x90, frame[3] = 0x44;
        frames.insert(frames.end(), frame.begin(), frame.end());
        at += uint32_t(frame.size());
    }
    const std::string path = (dir / "mp3.velk").string();
    WriteRoutine(path, HeaderFor(RoutineHeader::kMp3Format, uint32_t(frames.size())),
                 [&](std::FILE* f) { Put(f, frames.data(), frames.size()); });
    return path;
}

std::string FreshCard(const fs::path& dir, uint64_t megabytes) {
    const std::string path = (dir / "card.img").string();
    fs::remove(path);
    CImageFile::Create(path, megabytes * 2048);
    CImageFile card;
    card.Open(CImageFile::EntryFor(path));
    CVelkDisk disk(card);
    disk.Read();
    disk.Format();
    card.Close();
    return path;
}

// Seconds the import takes, device flush excluded (neither lame nor cp flushes).
double TimeImport(const std::string& cardPath, const std::string& routine) {
    CImageFile card;
    card.Open(CImageFile::EntryFor(cardPath));
    const auto start = Clock::now();
    {
        CVelkDisk disk(card);
        disk.Read();
        disk.ImportRoutineFile(routine, true);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    card.Close();
    return seconds;
}

// Runs a program, what it prints thrown away; its wall time in seconds and its peak resident
// memory in KiB.
std::pair<double, long> Spawn(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot run " + arguments[0]);
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(arguments[0] + " failed");
    return {std::chrono::duration<double>(Clock::now() - start).count(), usage.ru_maxrss};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Whole processes in turns, so that a machine whose speed drifts slows both alike.
void BenchWav(const fs::path& dir) {
    const std::string routine = WavRoutine(dir, 5);
    const std::string wav = (dir / "baseline.wav").string();
    WriteWav(wav, 5);
    std::vector<double> adds, lames, ratios;
    for (int i = 0; i < kPairs; ++i) {
        const std::string card = FreshCard(dir, 64);
        adds.push_back(Spawn({g_velk3, "add", card, routine}).first);
        lames.push_back(Spawn({"lame", "--silent", "-b", "128", "-q", "2", wav, (dir / "baseline.mp3").string()}).first);
        ratios.push_back(adds.back() / lames.back());
    }
    std::printf("wav: velk3 add of a 5-minute 44.1 kHz stereo WAV routine %.2f s on %u cores, lame -b 128 -q 2 %.2f s "
                "(medians of %d); ratio median %.2f (limit %.1f), pairs:",
                Median(adds), std::max(1u, std::thread::hardware_concurrency()), Median(lames), kPairs, Median(ratios),
                kWavLimit);
    for (const double r : ratios) std::printf(" %.2f", r);
    std::printf("\n");
}

void BenchMp3(const fs::path& dir) {
    const std::string routine = Mp3Routine(dir, 5 * 1000 * 1000);
    std::vector<double> imports, copies;
    for (int i = 0; i < kRepeats * 3; ++i) {
        imports.push_back(TimeImport(FreshCard(dir, 16), routine));
        copies.push_back(Spawn({"cp", routine, (dir / "copy.velk").string()}).first);
    }
    const double import = Median(imports), copy = Median(copies);
    std::printf("mp3: import of a 5 MB MP3 routine stored as it is %.4f s, cp of the routine file %.4f s, "
                "ratio %.2f (limit 4)\n", import, copy, import / copy);
}

void BenchMemory(const fs::path& dir, double minutes) {
    const std::string routine = WavRoutine(dir, minutes);
    const std::string card = FreshCard(dir, uint64_t(minutes * 1.1) + 16);
    const long idle = Spawn({g_velk3, "list", card}).second;
    const auto [seconds, peak] = Spawn({g_velk3, "add", card, routine});
    std::printf("memory: peak resident memory of velk3 add of a %.0f-minute WAV routine %.1f MiB (%.1f s), "
                "velk3 list of the card %.1f MiB; budget %.0f MiB, ratio to budget %.2f\n",
                minutes, peak / 1024.0, seconds, idle / 1024.0, kMemoryBudgetMiB, peak / 1024.0 / kMemoryBudgetMiB);
    const std::string resampled = WavRoutine(dir, 5, kResampledRate);
    const long ffmpeg = Spawn({g_velk3, "add", FreshCard(dir, 16), resampled}).second;
    std::printf("memory: velk3 add of a 5-minute 48 kHz WAV routine (FFmpeg loaded to resample it) %.1f MiB\n",
                ffmpeg / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        std::string which = "all";
        double minutes = 60;
        for (size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "--minutes" && i + 1 < args.size()) minutes = std::stod(args[++i]);
            else if (args[i] == "--velk3" && i + 1 < args.size()) g_velk3 = args[++i];
            else which = args[i];
        }
        std::string pattern = (fs::temp_directory_path() / "velk3benchXXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        const fs::path dir = pattern;
        ::setenv("TMPDIR", dir.c_str(), 1);
        try {
            if (which == "all" || which == "wav") BenchWav(dir);
            if (which == "all" || which == "mp3") BenchMp3(dir);
            if (which == "all" || which == "memory") BenchMemory(dir, minutes);
        } catch (...) {
            fs::remove_all(dir);
            throw;
        }
        fs::remove_all(dir);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velk3_import_bench: %s\n", e.what());
        return 1;
    }
}
