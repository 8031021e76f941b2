#include "app/SignalPipe.h"

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

namespace signal_pipe {

bool Install(std::initializer_list<int> numbers) {
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) return false;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : numbers) ::sigaction(signal, &action, nullptr);
    return true;
}

int ReadEnd() { return g_pipe[0]; }

bool Drain() {
    char bytes[64];
    bool any = false;
    ssize_t got;
    while ((got = ::read(g_pipe[0], bytes, sizeof bytes)) > 0 || (got < 0 && errno == EINTR)) any = any || got > 0;
    return any;
}

}  // namespace signal_pipe
