#include "e2e/Velk3Process.h"

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>

ProcessResult RunVelk3(const std::vector<std::string>& args, const Environment& environment) {
    return RunProgram(VELK3_BINARY, args, environment);
}

CTerminalVelk3::CTerminalVelk3(const std::vector<std::string>& args) {
    m_pid = ::forkpty(&m_terminal, nullptr, nullptr, nullptr);
    if (m_pid == 0) {
        std::vector<char*> argv{const_cast<char*>(VELK3_BINARY)};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(VELK3_BINARY, argv.data());
        ::_exit(127);
    }
}

CTerminalVelk3::~CTerminalVelk3() {
    if (m_pid > 0 && ChildRunning(m_pid)) {
        ::kill(m_pid, SIGKILL);
        WaitChild(m_pid);
    }
    if (m_terminal >= 0) ::close(m_terminal);
}

bool CTerminalVelk3::ReadSome(int timeoutMs) {
    pollfd fd{m_terminal, POLLIN, 0};
    if (m_terminal < 0 || ::poll(&fd, 1, timeoutMs) <= 0) return false;
    char buffer[4096];
    const ssize_t got = ::read(m_terminal, buffer, sizeof buffer);
    if (got <= 0) return false;  // EIO: the program and its terminal are gone
    m_screen.append(buffer, size_t(got));
    return true;
}

bool CTerminalVelk3::WaitFor(const std::string& text, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_screen.find(text) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !ReadSome(int(left.count()))) return m_screen.find(text) != std::string::npos;
    }
    return true;
}

int CTerminalVelk3::Finish(int timeoutMs) {
    while (ReadSome(timeoutMs)) {
    }
    return WaitChild(m_pid, timeoutMs);
}
