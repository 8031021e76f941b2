#pragma once
// Questions and messages on the terminal: messages on standard error; a question is answered by
// --yes, else at the terminal, and with no terminal to ask it is answered No. A stop request (a
// signal) answers a question that is waiting, and every later one, No.
#include <stop_token>

#include "platform/UserPrompt.h"

class CTerminalPrompt final : public IUserPrompt {
public:
    CTerminalPrompt(bool assumeYes, std::stop_token stop) : m_assumeYes(assumeYes), m_stop(std::move(stop)) {}
    bool AskYesNo(const MessageText& text, const std::string& caption) override;
    void ShowMessage(const MessageText& text, const std::string& caption, MessageIcon icon) override;

private:
    bool m_assumeYes;
    std::stop_token m_stop;
};
