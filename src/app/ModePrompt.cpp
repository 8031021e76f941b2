#include "app/ModePrompt.h"

#include <cstdio>

bool CStderrPrompt::AskYesNo(const std::string& text, const std::string& caption) {
    ShowMessage(text + " [answered No: nobody to ask]", caption, MessageIcon::Question);
    return false;
}

void CStderrPrompt::ShowMessage(const std::string& text, const std::string& caption, MessageIcon) {
    std::string line = caption == kApplicationName ? text : caption + ": " + text;
    if (line.empty() || line.back() != '\n') line += '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}
