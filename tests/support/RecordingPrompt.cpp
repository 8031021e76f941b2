#include "support/RecordingPrompt.h"

bool CRecordingPrompt::AskYesNo(const std::string& text, const std::string&) {
    questions.push_back(text);
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void CRecordingPrompt::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
    messages.push_back({text, caption, icon});
}
