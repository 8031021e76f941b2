#include "platform/UserPrompt.h"

#include <atomic>

namespace {

class CSilentPrompt final : public IUserPrompt {
public:
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
};

CSilentPrompt g_silent;
std::atomic<IUserPrompt*> g_prompt{nullptr};

}  // namespace

void InstallUserPrompt(IUserPrompt* prompt) { g_prompt.store(prompt); }

IUserPrompt& UserPrompt() {
    IUserPrompt* prompt = g_prompt.load();
    return prompt ? *prompt : g_silent;
}

void AppMessageBox(const std::string& text, MessageIcon icon) {
    UserPrompt().ShowMessage(text, kApplicationName, icon);
}

bool AskConfirm(const std::string& text) { return UserPrompt().AskYesNo(text, kConfirmCaption); }

CScopedUserPrompt::CScopedUserPrompt(IUserPrompt& prompt) : m_previous(g_prompt.load()) {
    InstallUserPrompt(&prompt);
}

CScopedUserPrompt::~CScopedUserPrompt() { InstallUserPrompt(m_previous); }
