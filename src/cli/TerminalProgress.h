#pragma once
// A job's progress on standard error. On a terminal: one line redrawn in place with the status
// text, a bar, the percentage, the speed of phases that move bytes and the time left of every
// phase with a total; the last line shows how the job ended, never a speed that is no longer true.
// Elsewhere (a log, a pipe): one line per status text, as it changes.
#include <chrono>
#include <string>

#include "platform/ProgressMeter.h"

class CTerminalProgress final : public IProgressSink {
public:
    explicit CTerminalProgress(bool terminal);
    CTerminalProgress();  // a terminal when standard error is one
    ~CTerminalProgress() override;
    CTerminalProgress(const CTerminalProgress&) = delete;
    CTerminalProgress& operator=(const CTerminalProgress&) = delete;

    void Report(const ProgressReport& report) override;

private:
    bool DueForRedraw(const ProgressReport& report, bool newText, CProgressMeter::Clock::time_point now) const;
    void Draw(CProgressMeter::Clock::time_point now, bool withRate);

    bool m_terminal;
    CProgressMeter m_meter;
    std::string m_text;
    CProgressMeter::Clock::time_point m_lastDraw{};
};

// The text of the progress line: "Writing MP3        [#####     ]  50%  1.20 MB/s  3 s left". A
// phase without a total shows its text alone; at the job's end (Ready) the bar is full.
std::string ProgressLine(const std::string& text, const CProgressMeter& meter, const std::string& rate);

// Ends a progress line still open on standard error, so that a whole line written next (a
// question, a message) starts on a line of its own.
void EndProgressLine();
