#include "cli/TerminalProgress.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {
constexpr int kBarWidth = 30;
constexpr int kRateWidth = 26;  // "1234.56 MB/s  12:34 left"
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
}  // namespace

CTerminalProgress::CTerminalProgress()
    : m_terminal(::isatty(STDERR_FILENO)) {
    m_rate.Start(m_lower, m_upper);
}

CTerminalProgress::~CTerminalProgress() {
    if (m_drawn) std::fputc('\n', stderr);
}

void CTerminalProgress::SetText(const std::string& text) {
    if (text == m_text) return;
    m_text = text;
    if (!m_terminal) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return;
    }
    Draw();
}

void CTerminalProgress::SetRange(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
    m_position = lower;
    m_rate.Start(lower, upper);
}

void CTerminalProgress::SetPos(int position) {
    m_position = position;
    m_rate.Update(position);
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastDraw >= kRedrawInterval || position >= m_upper) Draw();
}

void CTerminalProgress::SetStep(int step) { m_step = step; }

void CTerminalProgress::StepIt() { SetPos(std::min(m_position + m_step, m_upper)); }

std::string CTerminalProgress::RateText() const {
    if (!CountsSectors(m_text)) return {};
    char rate[32];
    std::snprintf(rate, sizeof rate, "%7.2f MB/s", m_rate.MegabytesPerSecond(m_lastDraw));
    const std::optional<double> left = m_rate.SecondsLeft(m_lastDraw);
    return left ? std::string(rate) + "  " + FormatTimeLeft(*left) : std::string(rate);
}

void CTerminalProgress::Draw() {
    if (!m_terminal) return;
    m_lastDraw = std::chrono::steady_clock::now();
    const int span = std::max(1, m_upper - m_lower);
    const double fraction = std::clamp(double(m_position - m_lower) / span, 0.0, 1.0);
    const int filled = int(fraction * kBarWidth);
    std::fprintf(stderr, "\r%-18s [%-*s] %3d%% %-*s", m_text.c_str(), kBarWidth, std::string(size_t(filled), '#').c_str(),
                 int(fraction * 100 + 0.5), kRateWidth, RateText().c_str());
    std::fflush(stderr);
    m_drawn = true;
}
