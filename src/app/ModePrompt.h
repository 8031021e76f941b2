#pragma once
// How velk3-manager shows the messages of its windowless modes and of its start-up: on standard
// error. The server and listing modes run under other programs, often without a desktop; the
// window mode shows its own message boxes once it has a window.
#include "platform/UserPrompt.h"

// Writes each message to standard error, caption first unless it is the application name, and
// answers every question No: these modes ask none.
class CStderrPrompt final : public IUserPrompt {
public:
    bool AskYesNo(const MessageText& text, const std::string& caption) override;
    void ShowMessage(const MessageText& text, const std::string& caption, MessageIcon icon) override;
};
