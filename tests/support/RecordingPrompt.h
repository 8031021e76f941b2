#pragma once
// Records every message and question that reaches the user; answers questions from a script.
#include <deque>
#include <string>
#include <vector>

#include "platform/Progress.h"
#include "platform/UserPrompt.h"

struct RecordedMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
};

class CRecordingPrompt final : public IUserPrompt {
public:
    CRecordingPrompt() : m_installed(*this) {}
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;

    std::vector<RecordedMessage> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;  // consumed in order; No when empty

private:
    CScopedUserPrompt m_installed;
};

// Records status texts and progress calls as lines ("text Ready", "range 0 100", "pos 5", …).
class CRecordingProgress final : public IStatusWindow, public IProgressBar {
public:
    void SetText(const std::string& text) override { calls.push_back("text " + text); }
    void SetRange(int lower, int upper) override {
        calls.push_back("range " + std::to_string(lower) + " " + std::to_string(upper));
    }
    void SetPos(int position) override { calls.push_back("pos " + std::to_string(position)); }
    void SetStep(int step) override { calls.push_back("step " + std::to_string(step)); }
    void StepIt() override { calls.push_back("stepit"); }

    std::vector<std::string> calls;
};
