#include "cli/SignalStop.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>

namespace {

constexpr int kSignalExitBase = 128;

sigset_t StopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);  // the terminal or SSH session closed: the user is gone, the card is not
    return set;
}

// Ends the process as the signal itself would: unblocked in this thread, default action.
[[noreturn]] void DieOf(int signal) {
    std::signal(signal, SIG_DFL);
    const sigset_t set = StopSignals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(signal);
    _exit(ExitStatusForSignal(signal));
}

}  // namespace

CSignalStop::CSignalStop() {
    const sigset_t set = StopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    m_signalFd = CFileDescriptor(::signalfd(-1, &set, SFD_CLOEXEC));
    m_quitFd = CFileDescriptor(::eventfd(0, EFD_CLOEXEC));
    if (!m_signalFd.IsOpen() || !m_quitFd.IsOpen()) {
        // Without the watcher the signals end velk3 as they always did.
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return;
    }
    m_watcher = std::thread([this] { Watch(); });
}

CSignalStop::~CSignalStop() {
    if (m_watcher.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_quitFd.Get(), &one, sizeof one);
        m_watcher.join();
    }
}

void CSignalStop::Watch() {
    pollfd fds[] = {{m_signalFd.Get(), POLLIN, 0}, {m_quitFd.Get(), POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;  // the signals stay blocked: velk3 can no longer be stopped, but nothing is cut
        }
        if (fds[1].revents != 0) return;
        signalfd_siginfo info{};
        if (!(fds[0].revents & POLLIN) || ::read(m_signalFd.Get(), &info, sizeof info) != ssize_t(sizeof info)) continue;
        const int signal = int(info.ssi_signo);
        int none = 0;
        if (!m_signal.compare_exchange_strong(none, signal)) DieOf(signal);
        m_source.request_stop();
    }
}

void CSignalStop::UnblockInChild() {
    const sigset_t set = StopSignals();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

int ExitStatusForSignal(int signal) { return kSignalExitBase + signal; }
