#include "support/LogindMock.h"

#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

namespace {

constexpr uint64_t kReleasePollMicroseconds = 20000;

struct Lock {
    int readEnd = -1;
    std::string why;
};

struct Service {
    LogindMockSetup setup;
    std::string log;
    std::vector<Lock> locks;
};
Service* g_service = nullptr;

int Inhibit(sd_bus_message* m, void*, sd_bus_error* error) {
    const char *what = "", *who = "", *why = "", *mode = "";
    sd_bus_message_read(m, "ssss", &what, &who, &why, &mode);
    AppendLine(g_service->log, std::string("Inhibit ") + what + "|" + who + "|" + why + "|" + mode);
    if (g_service->setup.silent) return 1;  // handled, never answered
    if (g_service->setup.refuse)
        return sd_bus_error_set(error, "org.freedesktop.DBus.Error.AccessDenied", "Permission denied");
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) return sd_bus_error_set_errno(error, errno);
    g_service->locks.push_back({pipe[0], why});
    AppendLine(g_service->log, std::string("Lock ") + why);  // logged before the client can see it
    const int r = sd_bus_reply_method_return(m, "h", pipe[1]);
    ::close(pipe[1]);  // the reply holds its own copy
    return r;
}

// A lock ends when every copy of its write end is closed: the read end then hangs up.
void NoteReleases() {
    auto& locks = g_service->locks;
    std::erase_if(locks, [](const Lock& lock) {
        pollfd p{lock.readEnd, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0 || !(p.revents & POLLHUP)) return false;
        AppendLine(g_service->log, "Release " + lock.why);
        ::close(lock.readEnd);
        return true;
    });
}

const sd_bus_vtable kManagerVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Inhibit", "ssss", "h", Inhibit, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};

int Serve(const std::string& address, const std::string& readyFile) {
    sd_bus* bus = ConnectStandIn(address);
    if (!bus) return 1;
    sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", kManagerVtable,
                             nullptr);
    if (sd_bus_request_name(bus, "org.freedesktop.login1", 0) < 0) return 2;
    AppendLine(readyFile, "ready");
    for (;;) {
        const int r = sd_bus_process(bus, nullptr);
        if (r < 0) return 0;  // the bus went away
        if (r == 0 && sd_bus_wait(bus, kReleasePollMicroseconds) < 0) return 0;
        NoteReleases();
    }
}

}  // namespace

CLogindMock::CLogindMock(const std::string& busAddress, const LogindMockSetup& setup)
    : m_service([&](const std::string& log, const std::string& ready) {
          Service service{setup, log, {}};
          g_service = &service;
          return Serve(busAddress, ready);
      }) {}

int CLogindMock::Held() const {
    int held = 0;
    for (const std::string& line : Calls()) held += line.rfind("Lock ", 0) == 0 ? 1 : line.rfind("Release ", 0) == 0 ? -1 : 0;
    return held;
}

bool CLogindMock::AllReleased() const {
    return WaitFor([this] { return Held() == 0; });
}
