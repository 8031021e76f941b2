#include "platform/TransferRate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr double kSectorBytes = 512.0;
constexpr double kBytesPerMegabyte = 1048576.0;
constexpr int kSecondsPerMinute = 60;
}  // namespace

void CTransferRate::Start(int lower, int upper, Clock::time_point now) {
    m_lower = lower;
    m_upper = upper;
    m_position = lower;
    m_started = now;
}

double CTransferRate::SecondsSinceStart(Clock::time_point now) const {
    return std::chrono::duration<double>(now - m_started).count();
}

double CTransferRate::MegabytesPerSecond(Clock::time_point now) const {
    const double seconds = SecondsSinceStart(now);
    if (seconds <= 0) return 0.0;
    return std::max(0, m_position - m_lower) * kSectorBytes / kBytesPerMegabyte / seconds;
}

std::optional<double> CTransferRate::SecondsLeft(Clock::time_point now) const {
    const int done = m_position - m_lower;
    const double seconds = SecondsSinceStart(now);
    if (done <= 0 || seconds <= 0) return std::nullopt;
    return std::max(0, m_upper - m_position) * seconds / done;
}

std::string FormatTimeLeft(double seconds) {
    const long whole = std::lround(std::max(0.0, seconds));
    char text[32];
    if (whole < kSecondsPerMinute)
        std::snprintf(text, sizeof text, "%ld s left", whole);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld left", whole / kSecondsPerMinute, whole % kSecondsPerMinute);
    return text;
}
