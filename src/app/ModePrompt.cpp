#include "app/ModePrompt.h"

#include <cstdio>

bool CStderrPrompt::AskYesNo(const MessageText& text, const std::string& caption) {
    ShowMessage(text.English() + " [answered No: nobody to ask]", caption, MessageIcon::Question);
    return false;
}

void CStderrPrompt::ShowMessage(const MessageText& text, const std::string& caption, MessageIcon) {
    std::string line = caption == kApplicationName ? text.English() : caption + ": " + text.English();
    if (line.empty() || line.back() != '\n') line += '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}
