#pragma once
// Runs the velk3 under test as a process (no terminal on standard input) and collects what it says.
#include <string>
#include <sys/types.h>
#include <vector>

#include "support/ChildProcess.h"

// velk3 with the given arguments and extra environment variables.
ProcessResult RunVelk3(const std::vector<std::string>& args, const Environment& environment = {});

// velk3 started on a pseudo-terminal of its own, as a user at a terminal runs it: it draws its
// progress line and asks its questions there. Killed and reaped at the end if still running.
class CTerminalVelk3 {
public:
    explicit CTerminalVelk3(const std::vector<std::string>& args);
    ~CTerminalVelk3();
    CTerminalVelk3(const CTerminalVelk3&) = delete;
    CTerminalVelk3& operator=(const CTerminalVelk3&) = delete;

    // Reads the terminal until text has appeared; false after timeoutMs without it.
    bool WaitFor(const std::string& text, int timeoutMs = 30000);
    // Reads to the end and returns the exit status (as WaitChild).
    int Finish(int timeoutMs = 60000);
    pid_t Pid() const { return m_pid; }
    // Everything written to the terminal so far ("\r\n" at line ends, as a terminal has it).
    const std::string& Screen() const { return m_screen; }

private:
    bool ReadSome(int timeoutMs);

    pid_t m_pid = -1;
    int m_terminal = -1;
    std::string m_screen;
};
