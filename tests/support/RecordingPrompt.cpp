#include "support/RecordingPrompt.h"

bool CRecordingPrompt::AskYesNo(const MessageText& text, const std::string&) {
    questions.push_back(text.English());
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void CRecordingPrompt::ShowMessage(const MessageText& text, const std::string& caption, MessageIcon icon) {
    messages.push_back({text.English(), caption, icon});
}
