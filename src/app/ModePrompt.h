#pragma once
// How velk3-manager shows the messages of its windowless modes. They belong in a message box when
// a display is available; until the desktop library exists they go to standard error, and the
// mode behaves the same either way (what it signals, what it returns).
#include <memory>

#include "platform/UserPrompt.h"

// Writes each message to standard error, caption first unless it is the application name, and
// answers every question No: these modes ask none.
class CStderrPrompt final : public IUserPrompt {
public:
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
};

// The prompt for this process: the seam where the desktop build puts its message box (when
// DISPLAY or WAYLAND_DISPLAY is set) in place of standard error.
std::unique_ptr<IUserPrompt> CreateModePrompt();
