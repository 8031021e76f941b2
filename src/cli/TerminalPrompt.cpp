#include "cli/TerminalPrompt.h"

#include <iostream>
#include <mutex>
#include <string>
#include <unistd.h>

namespace {
std::mutex g_terminal;  // the add worker may ask while the main thread draws
}

bool CTerminalPrompt::AskYesNo(const std::string& text, const std::string& caption) {
    std::lock_guard lock(g_terminal);
    std::cerr << caption << ": " << text << "\n";
    if (m_assumeYes) {
        std::cerr << "[y/N] yes (--yes)\n";
        return true;
    }
    if (!::isatty(STDIN_FILENO)) {
        std::cerr << "[y/N] no (no terminal to answer; pass --yes)\n";
        return false;
    }
    std::cerr << "[y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

void CTerminalPrompt::ShowMessage(const std::string& text, const std::string& caption, MessageIcon) {
    std::lock_guard lock(g_terminal);
    if (caption == kApplicationName)
        std::cerr << text << "\n";
    else
        std::cerr << caption << ": " << text << "\n";
}
