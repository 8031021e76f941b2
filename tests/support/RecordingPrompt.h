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
    bool AskYesNo(const MessageText& text, const std::string& caption) override;
    void ShowMessage(const MessageText& text, const std::string& caption, MessageIcon icon) override;

    std::vector<RecordedMessage> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;  // consumed in order; No when empty
};

// Records every progress report, and each as a line "Writing MP3 3/7" (status text, done, total;
// a report that keeps the previous text shows "-").
class CRecordingProgress final : public IProgressSink {
public:
    void Report(const ProgressReport& report) override {
        reports.push_back(report);
        calls.push_back((report.text.empty() ? std::string("-") : report.text) + " " + std::to_string(report.done) +
                        "/" + std::to_string(report.total));
    }
    // The status texts in order, each once where it repeats.
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& report : reports)
            if (!report.text.empty() && (texts.empty() || texts.back() != report.text)) texts.push_back(report.text);
        return texts;
    }

    std::vector<ProgressReport> reports;
    std::vector<std::string> calls;
};
