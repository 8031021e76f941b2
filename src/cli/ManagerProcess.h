#pragma once
// velk3's side of the windowless modes of velk3-manager: finding and starting the program, and
// waiting for its events without ever waiting on a process that has already ended.
#include <chrono>
#include <optional>
#include <stop_token>
#include <string>
#include <sys/types.h>
#include <vector>

#include "platform/NamedObjects.h"

// $VELK3_MANAGER when set, else velk3-manager beside this program, else velk3-manager on PATH.
std::string ManagerProgram();

// One velk3-manager process. Its standard error is velk3's, so its messages reach the user. It is
// ended by the kernel when velk3 is killed outright, so it never outlives its client.
class CManagerProcess {
public:
    CManagerProcess() = default;
    ~CManagerProcess();  // a process still running at this point is killed and reaped
    CManagerProcess(const CManagerProcess&) = delete;
    CManagerProcess& operator=(const CManagerProcess&) = delete;

    void Start(const std::vector<std::string>& args);  // throws std::runtime_error
    // Exit status once it has ended (128 + signal for a signal); nothing while it runs.
    std::optional<int> Poll();
    // Waits up to timeout for the end; kills it after that. The exit status, or nothing if killed.
    std::optional<int> Finish(std::chrono::milliseconds timeout);
    // Asks it to end (SIGTERM), then as Finish.
    std::optional<int> Stop(std::chrono::milliseconds timeout);

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

enum class EventWait { Set, TimedOut, ProcessEnded, Failed, Interrupted };
// Waits for event up to timeout, giving up as soon as process has ended or a stop is requested
// (SIGINT, SIGTERM), so that the command removes its named objects and stops its velk3-manager.
EventWait WaitWhileRunning(const CNamedEvent& event, CManagerProcess& process, std::chrono::milliseconds timeout,
                           const std::stop_token& stop);

// "exit status 1", "killed by signal 9", …
std::string DescribeStatus(const std::optional<int>& status);
