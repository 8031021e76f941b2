#pragma once
// The status text and progress bar of long work, drawn on standard error when it is a terminal:
// status text, a bar, the percentage, and where the bar counts sectors the rate in MB/s and the
// time left. When standard error is not a terminal, only status changes are written, one a line.
#include <chrono>
#include <string>

#include "platform/Progress.h"
#include "platform/TransferRate.h"

class CTerminalProgress final : public IStatusWindow, public IProgressBar {
public:
    CTerminalProgress();
    ~CTerminalProgress() override;

    void SetText(const std::string& text) override;
    void SetRange(int lower, int upper) override;
    void SetPos(int position) override;
    void SetStep(int step) override;
    void StepIt() override;

private:
    void Draw();
    std::string RateText() const;

    bool m_terminal;
    bool m_drawn = false;
    std::string m_text;
    int m_lower = 0, m_upper = 100, m_position = 0, m_step = 10;
    CTransferRate m_rate;
    std::chrono::steady_clock::time_point m_lastDraw;
};
