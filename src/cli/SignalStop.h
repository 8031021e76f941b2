#pragma once
// SIGINT, SIGTERM and SIGHUP ask the running job to stop at its next safe point instead of killing
// velk3 in the middle of a write. Both are blocked in every thread and read by one watcher thread from a
// signalfd, so no library call is ever interrupted by a handler. A second signal ends the process
// at once, as the signal would have without this.
#include <atomic>
#include <stop_token>
#include <thread>

#include "platform/FileDescriptor.h"

class CSignalStop {
public:
    // Made first in main: threads started later inherit the blocked signals.
    CSignalStop();
    ~CSignalStop();
    CSignalStop(const CSignalStop&) = delete;
    CSignalStop& operator=(const CSignalStop&) = delete;

    std::stop_token Token() const { return m_source.get_token(); }
    // The first signal taken, 0 while none came.
    int Signal() const { return m_signal.load(); }

    // In a forked child before exec: a program started by velk3 gets the signals as usual.
    static void UnblockInChild();

private:
    void Watch();

    std::stop_source m_source;
    std::atomic<int> m_signal{0};
    CFileDescriptor m_signalFd;
    CFileDescriptor m_quitFd;  // an eventfd that ends the watcher
    std::thread m_watcher;
};

// The exit status of a command that ended because of signal: the shell's 128 + signal.
int ExitStatusForSignal(int signal);
