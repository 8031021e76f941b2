// Host overhead of the unit's sector transfers: a 128-sector writeSector and readSector against
// the in-process fake, as a ratio to a plain memcpy plus XOR over the same 64 KiB measured in the
// same run. The fake's own copying is included, so the ratio is an upper bound of the overhead.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "devices/UnitList.h"
#include "devices/UsbSectorDevice.h"
#include "fakes/FakeUsb.h"

namespace {

constexpr uint32_t kSectors = 128;
constexpr size_t kBytes = kSectors * kSectorSize;

std::vector<uint8_t> Pattern() {
    std::vector<uint8_t> bytes(kBytes);
    for (size_t i = 0; i < kBytes; ++i) bytes[i] = uint8_t(i * 7 + (i >> 9));
    return bytes;
}

void Baseline_MemcpyAndXor(benchmark::State& state) {
    const auto source = Pattern();
    std::vector<uint8_t> target(kBytes);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), kBytes);
        benchmark::DoNotOptimize(CUsbSectorDevice::ComputeChecksum(target.data(), kBytes));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}

// An opened unit over the fake with logging off, for the duration of one benchmark.
class CBenchUnit {
public:
    CBenchUnit() {
        fakeusb::Reset();
        fakeusb::UnitOptions options;
        options.sectorCount = 1024;
        fakeusb::AddUnit(options);
        fakeusb::LogTransferData(false);
        fakeusb::LogTransfers(false);
        m_unit.Open(DeviceEntry{uint64_t(reinterpret_cast<uintptr_t>(FindUnitByName("VELK3"))), "", "VELK3"});
    }
    ~CBenchUnit() {
        m_unit.Close();
        fakeusb::Reset();
    }
    CUsbSectorDevice& Unit() { return m_unit; }

private:
    CUsbSectorDevice m_unit;
};

void WriteSector128(benchmark::State& state) {
    CBenchUnit bench;
    const auto data = Pattern();
    for (auto _ : state) bench.Unit().writeSector(0, kSectors, data.data());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}

void ReadSector128(benchmark::State& state) {
    CBenchUnit bench;
    std::vector<uint8_t> data(kBytes);
    for (auto _ : state) {
        bench.Unit().readSector(0, kSectors, data.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}

BENCHMARK(Baseline_MemcpyAndXor)->MinTime(0.5);
BENCHMARK(WriteSector128)->MinTime(0.5);
BENCHMARK(ReadSector128)->MinTime(0.5);

// Prints the usual table and keeps each benchmark's time per iteration for the ratios.
class CRatioReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double baseline = reporter.times["Baseline_MemcpyAndXor/min_time:0.500"];
    if (baseline <= 0) return 1;
    std::printf("\nRatio to memcpy + XOR of 64 KiB (target at most 3):\n");
    for (const char* name : {"WriteSector128/min_time:0.500", "ReadSector128/min_time:0.500"})
        std::printf("  %-32s %.2f\n", name, reporter.times[name] / baseline);
    return 0;
}
