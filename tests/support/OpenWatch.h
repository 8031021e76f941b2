#pragma once
// Tells whether anything opened a file while it was watched (inotify's IN_OPEN): for a named pipe
// or a terminal, being opened at all is what a refusal must not do.
#include <string>
#include <sys/inotify.h>
#include <unistd.h>

class COpenWatch {
public:
    explicit COpenWatch(const std::string& path) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        m_watching = m_fd >= 0 && ::inotify_add_watch(m_fd, path.c_str(), IN_OPEN) >= 0;
    }
    ~COpenWatch() {
        if (m_fd >= 0) ::close(m_fd);
    }
    COpenWatch(const COpenWatch&) = delete;
    COpenWatch& operator=(const COpenWatch&) = delete;

    bool Watching() const { return m_watching; }
    // True when the file was opened since the watch began or since the last call.
    bool Opened() const {
        alignas(inotify_event) char events[4096];
        return ::read(m_fd, events, sizeof events) > 0;
    }

private:
    int m_fd;
    bool m_watching = false;
};
