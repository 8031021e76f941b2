#include "cli/TerminalPrompt.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <optional>
#include <string>

#include "cli/TerminalProgress.h"
#include "platform/FileDescriptor.h"

namespace {

// One line typed at the terminal; none at the end of input or once a stop is requested, which
// wakes the wait through a pipe (standard input alone would keep it waiting for a key).
std::optional<std::string> ReadAnswer(const std::stop_token& stop) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return std::nullopt;
    const CFileDescriptor wakeRead(ends[0]), wakeWrite(ends[1]);
    const std::stop_callback onStop(stop, [&wakeWrite] {
        const char wake = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeWrite.Get(), &wake, 1);
    });
    std::string line;
    for (;;) {
        pollfd fds[] = {{STDIN_FILENO, POLLIN, 0}, {wakeRead.Get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (fds[1].revents != 0) return std::nullopt;
        char c = 0;
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return std::nullopt;
        if (c == '\n') return line;
        line += c;
    }
}

bool IsYes(const std::string& answer) {
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

}  // namespace

bool CTerminalPrompt::AskYesNo(const MessageText& text, const std::string& caption) {
    EndProgressLine();
    std::cerr << caption << ": " << text.English() << "\n";
    if (m_stop.stop_requested()) {
        std::cerr << "[y/N] no (stopping)\n";
        return false;
    }
    if (m_assumeYes) {
        std::cerr << "[y/N] yes (--yes)\n";
        return true;
    }
    if (!::isatty(STDIN_FILENO)) {
        std::cerr << "[y/N] no (no terminal to answer; pass --yes)\n";
        return false;
    }
    std::cerr << "[y/N] " << std::flush;
    const std::optional<std::string> answer = ReadAnswer(m_stop);
    if (!answer) std::cerr << "no\n";
    return answer && IsYes(*answer);
}

void CTerminalPrompt::ShowMessage(const MessageText& text, const std::string& caption, MessageIcon) {
    EndProgressLine();
    if (caption == kApplicationName)
        std::cerr << text.English() << "\n";
    else
        std::cerr << caption << ": " << text.English() << "\n";
}
