#include "cli/TerminalProgress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace {

constexpr int kTextWidth = 18;
constexpr int kBarWidth = 30;
constexpr int kFullPercent = 100;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

std::mutex g_stderr;
size_t g_openLength = 0;  // characters of the progress line on the screen; 0: no line is open

void RedrawProgressLine(const std::string& line) {
    std::lock_guard lock(g_stderr);
    // Blanks over what a longer line before left on the screen.
    const int blanks = g_openLength > line.size() ? int(g_openLength - line.size()) : 0;
    std::fprintf(stderr, "\r%s%*s", line.c_str(), blanks, "");
    std::fflush(stderr);
    g_openLength = std::max<size_t>(line.size(), 1);
}

}  // namespace

void EndProgressLine() {
    std::lock_guard lock(g_stderr);
    if (g_openLength == 0) return;
    std::fputc('\n', stderr);
    g_openLength = 0;
}

std::string ProgressLine(const std::string& text, const CProgressMeter& meter, const std::string& rate) {
    const ProgressReport& last = meter.Last();
    if (!last.Counted()) return text;  // nothing to count: no bar that would stand still
    const int percent = meter.Percent();
    const std::string bar(size_t(percent * kBarWidth / kFullPercent), '#');
    char line[128];
    std::snprintf(line, sizeof line, "%-*s [%-*s] %3d%%", kTextWidth, text.c_str(), kBarWidth, bar.c_str(), percent);
    return rate.empty() ? std::string(line) : line + ("  " + rate);
}

CTerminalProgress::CTerminalProgress(bool terminal) : m_terminal(terminal) {}

CTerminalProgress::CTerminalProgress() : CTerminalProgress(::isatty(STDERR_FILENO) == 1) {}

CTerminalProgress::~CTerminalProgress() {
    if (!m_terminal || m_text.empty()) return;
    // The job ended here, done or not: the line keeps where it got to, without a speed.
    Draw(CProgressMeter::Clock::now(), false);
    EndProgressLine();
}

void CTerminalProgress::Report(const ProgressReport& report) {
    const auto now = CProgressMeter::Clock::now();
    const bool newText = !report.text.empty() && report.text != m_text;
    if (newText) m_text = report.text;
    const bool due = DueForRedraw(report, newText, now);
    m_meter.Update(report, now);
    if (!m_terminal) {
        if (newText) std::fprintf(stderr, "%s\n", m_text.c_str());
        return;
    }
    if (due) Draw(now, true);
}

bool CTerminalProgress::DueForRedraw(const ProgressReport& report, bool newText,
                                     CProgressMeter::Clock::time_point now) const {
    const bool ends = report.phase == JobPhase::Ready || (report.Counted() && report.done >= report.total);
    return newText || ends || report.phase != m_meter.Last().phase || now - m_lastDraw >= kRedrawInterval;
}

void CTerminalProgress::Draw(CProgressMeter::Clock::time_point now, bool withRate) {
    m_lastDraw = now;
    RedrawProgressLine(ProgressLine(m_text, m_meter, withRate ? m_meter.RateText(now) : std::string()));
}
