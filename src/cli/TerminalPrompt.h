#pragma once
// Questions and messages on the terminal: messages on standard error; a question is answered by
// --yes, else at the terminal, and with no terminal to ask it is answered No.
#include "platform/UserPrompt.h"

class CTerminalPrompt final : public IUserPrompt {
public:
    explicit CTerminalPrompt(bool assumeYes) : m_assumeYes(assumeYes) {}
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;

private:
    bool m_assumeYes;
};
