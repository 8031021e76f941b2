#include <gtest/gtest.h>

#include "platform/ProgressMeter.h"

using namespace std::chrono_literals;

namespace {
ProgressReport Report(JobPhase phase, ProgressUnit unit, uint64_t done, uint64_t total) {
    return ProgressReport{phase, unit, done, total, PhaseText(phase)};
}
}  // namespace

// 2048 sectors are one megabyte; only byte-like units have a rate, every counted phase a time left.
TEST(ProgressMeter, RateForByteLikeUnitsAndTimeLeftForEveryCountedPhase) {
    struct Case { ProgressUnit unit; uint64_t done, total; std::chrono::milliseconds elapsed; std::optional<double> mbps, left; };
    const Case cases[] = {
        {ProgressUnit::Sectors, 2048, 4096, 1000ms, 1.0, 1.0},
        {ProgressUnit::Bytes, 2 * 1048576, 8 * 1048576, 500ms, 4.0, 1.5},
        {ProgressUnit::Samples, 441000, 882000, 2000ms, std::nullopt, 2.0},
        {ProgressUnit::Blocks, 10, 10, 1000ms, std::nullopt, 0.0},
        {ProgressUnit::Sectors, 0, 100, 1000ms, 0.0, std::nullopt},
    };
    const CProgressMeter::Clock::time_point start{};
    for (const auto& c : cases) {
        CProgressMeter meter;
        meter.Update(Report(JobPhase::WritingAudio, c.unit, 0, c.total), start);
        meter.Update(Report(JobPhase::WritingAudio, c.unit, c.done, c.total), start + c.elapsed);
        EXPECT_EQ(meter.MegabytesPerSecond(start + c.elapsed), c.mbps) << c.done;
        EXPECT_EQ(meter.SecondsLeft(start + c.elapsed), c.left) << c.done;
    }
}

// The terminal once ended an add on "90 %  0.16 MB/s  0 s left": a new phase restarts the clock,
// and Ready shows neither a rate nor a time.
TEST(ProgressMeter, ANewPhaseRestartsTheRateAndReadyEndsIt) {
    const CProgressMeter::Clock::time_point start{};
    CProgressMeter meter;
    meter.Update(Report(JobPhase::WritingAudio, ProgressUnit::Sectors, 0, 4096), start);
    meter.Update(Report(JobPhase::WritingAudio, ProgressUnit::Sectors, 4096, 4096), start + 10s);
    meter.Update(Report(JobPhase::WritingData, ProgressUnit::Sectors, 0, 2048), start + 10s);
    meter.Update(Report(JobPhase::WritingData, ProgressUnit::Sectors, 2048, 2048), start + 11s);
    EXPECT_DOUBLE_EQ(*meter.MegabytesPerSecond(start + 11s), 1.0);
    EXPECT_EQ(meter.Percent(), 100);

    meter.Update(Report(JobPhase::Ready, ProgressUnit::None, 2048, 2048), start + 11s);
    EXPECT_EQ(meter.RateText(start + 12s), "");
    EXPECT_EQ(meter.Percent(), 100);
    meter.Update(Report(JobPhase::Ready, ProgressUnit::None, 0, 0), start + 12s);
    EXPECT_EQ(meter.Percent(), 0) << "a job that counted nothing ends with an empty bar";
}

TEST(ProgressMeter, TimeLeftReadsAsSecondsThenMinutes) {
    EXPECT_EQ(FormatTimeLeft(0.4), "0 s left");
    EXPECT_EQ(FormatTimeLeft(59.4), "59 s left");
    EXPECT_EQ(FormatTimeLeft(65), "1:05 left");
    EXPECT_EQ(FormatTimeLeft(3600), "60:00 left");
}
