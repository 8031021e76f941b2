#include "platform/ProgressMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr double kBytesPerMegabyte = 1048576.0;
constexpr int kSecondsPerMinute = 60;
constexpr int kFullPercent = 100;
}  // namespace

void CProgressMeter::Update(const ProgressReport& report, Clock::time_point now) {
    const bool newPhase = report.phase != m_last.phase || report.unit != m_last.unit ||
                          report.total != m_last.total || report.done < m_last.done;
    if (newPhase) {
        m_doneAtStart = report.done;
        m_phaseBegan = now;
    }
    m_last = report;
}

uint64_t CProgressMeter::DoneInPhase() const { return m_last.done > m_doneAtStart ? m_last.done - m_doneAtStart : 0; }

double CProgressMeter::SecondsSincePhaseBegan(Clock::time_point now) const {
    return std::chrono::duration<double>(now - m_phaseBegan).count();
}

int CProgressMeter::Percent() const {
    if (!m_last.Counted()) return 0;
    if (m_last.phase == JobPhase::Ready) return kFullPercent;
    return int(std::min<uint64_t>(m_last.done, m_last.total) * kFullPercent / m_last.total);
}

std::optional<double> CProgressMeter::MegabytesPerSecond(Clock::time_point now) const {
    const uint64_t bytesPerUnit = BytesPerUnit(m_last.unit);
    const double seconds = SecondsSincePhaseBegan(now);
    if (bytesPerUnit == 0 || seconds <= 0 || m_last.phase == JobPhase::Ready) return std::nullopt;
    return double(DoneInPhase()) * double(bytesPerUnit) / kBytesPerMegabyte / seconds;
}

std::optional<double> CProgressMeter::SecondsLeft(Clock::time_point now) const {
    const uint64_t done = DoneInPhase();
    const double seconds = SecondsSincePhaseBegan(now);
    if (!m_last.Counted() || done == 0 || seconds <= 0 || m_last.phase == JobPhase::Ready) return std::nullopt;
    const uint64_t left = m_last.total > m_last.done ? m_last.total - m_last.done : 0;
    return double(left) * seconds / double(done);
}

std::string CProgressMeter::RateText(Clock::time_point now) const {
    std::string text;
    if (const auto rate = MegabytesPerSecond(now)) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.2f MB/s", *rate);
        text = buffer;
    }
    if (const auto left = SecondsLeft(now)) text += (text.empty() ? "" : "  ") + FormatTimeLeft(*left);
    return text;
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
