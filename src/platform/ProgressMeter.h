#pragma once
// What every face shows beside a progress bar: the percentage, the speed of byte-like phases and
// the time left of every phase with a total, computed from the reports alone. A new phase starts
// the clock again, so a rate never carries over from one phase into the next.
#include <chrono>
#include <optional>
#include <string>

#include "platform/Progress.h"

class CProgressMeter {
public:
    using Clock = std::chrono::steady_clock;

    void Update(const ProgressReport& report, Clock::time_point now = Clock::now());
    const ProgressReport& Last() const { return m_last; }

    // 0 … 100 of a counted phase, 100 once a job that counted is Ready; 0 when nothing was counted.
    int Percent() const;
    // Megabytes (2^20 bytes) per second since the phase began; none for units that are not byte-like
    // and before any time has passed.
    std::optional<double> MegabytesPerSecond(Clock::time_point now = Clock::now()) const;
    // At the phase's pace so far; none without a total or before anything moved.
    std::optional<double> SecondsLeft(Clock::time_point now = Clock::now()) const;
    // "1.50 MB/s  12 s left", the parts that are known; empty when the job is Ready.
    std::string RateText(Clock::time_point now = Clock::now()) const;

private:
    double SecondsSincePhaseBegan(Clock::time_point now) const;
    uint64_t DoneInPhase() const;

    ProgressReport m_last;
    uint64_t m_doneAtStart = 0;
    Clock::time_point m_phaseBegan{};
};

// "1:05 left", "12 s left": short enough for a progress bar.
std::string FormatTimeLeft(double seconds);
