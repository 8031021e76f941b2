#include "cli/ManagerProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "cli/SignalStop.h"

namespace {

constexpr const char* kManagerName = "velk3-manager";
// How often a wait looks at the process: it is woken by the event itself at once.
constexpr auto kProcessCheck = std::chrono::milliseconds(50);

std::optional<int> DecodeStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return std::nullopt;
}

// In the forked child, before anything else: dies with velk3, then becomes velk3-manager. An exec
// that fails reports its errno through the pipe (which the exec closes when it succeeds).
[[noreturn]] void BecomeManager(const std::string& program, char* const* argv, pid_t parent, int report) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    CSignalStop::UnblockInChild();
    if (::getppid() == parent) ::execvp(program.c_str(), argv);
    const int error = ::getppid() == parent ? errno : ESRCH;
    [[maybe_unused]] const ssize_t written = ::write(report, &error, sizeof error);
    ::_exit(127);
}

}  // namespace

std::string ManagerProgram() {
    if (const char* configured = std::getenv("VELK3_MANAGER"); configured && *configured) return configured;
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const auto beside = self.parent_path() / kManagerName;
        if (::access(beside.c_str(), X_OK) == 0) return beside;
    }
    return kManagerName;
}

CManagerProcess::~CManagerProcess() {
    if (m_pid > 0 && !m_status) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
}

void CManagerProcess::Start(const std::vector<std::string>& args) {
    const std::string program = ManagerProgram();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        throw std::runtime_error("Could not start " + program + " (" + std::strerror(errno) + ")");
    const pid_t parent = ::getpid();
    m_pid = ::fork();
    if (m_pid == 0) BecomeManager(program, argv.data(), parent, report[1]);
    int error = m_pid < 0 ? errno : 0;
    ::close(report[1]);
    ssize_t got = 0;
    while (m_pid > 0 && (got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    if (got == ssize_t(sizeof error)) Finish(std::chrono::milliseconds::zero());
    ::close(report[0]);
    if (error != 0)
        throw std::runtime_error("Could not start " + program + " (" + std::strerror(error) +
                                 "); set VELK3_MANAGER to its path");
}

std::optional<int> CManagerProcess::Poll() {
    if (m_status || m_pid <= 0) return m_status;
    int status = 0;
    const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
    if (done == m_pid) m_status = DecodeStatus(status).value_or(-1);
    return m_status;
}

std::optional<int> CManagerProcess::Finish(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!Poll()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(m_pid, SIGKILL);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
            m_status = DecodeStatus(status).value_or(-1);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return m_status;
}

std::optional<int> CManagerProcess::Stop(std::chrono::milliseconds timeout) {
    if (!Poll() && m_pid > 0) ::kill(m_pid, SIGTERM);
    return Finish(timeout);
}

EventWait WaitWhileRunning(const CNamedEvent& event, CManagerProcess& process, std::chrono::milliseconds timeout,
                           const std::stop_token& stop) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (stop.stop_requested()) return EventWait::Interrupted;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const int result = WaitFor(event, std::max(std::chrono::milliseconds::zero(), std::min(left, std::chrono::duration_cast<std::chrono::milliseconds>(kProcessCheck))));
        if (result == 0) return EventWait::Set;
        if (result == kWaitFailed) return EventWait::Failed;
        // Ended: one last look, since it may have set the event just before it went.
        if (process.Poll()) return event.IsSet() ? EventWait::Set : EventWait::ProcessEnded;
        if (left <= std::chrono::milliseconds::zero()) return EventWait::TimedOut;
    }
}

std::string DescribeStatus(const std::optional<int>& status) {
    if (!status) return "killed after its time-out";
    if (*status > 128) return "ended by signal " + std::to_string(*status - 128);
    return "exit status " + std::to_string(*status);
}
