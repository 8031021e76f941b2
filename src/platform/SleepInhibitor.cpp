#include "platform/SleepInhibitor.h"

#include <fcntl.h>
#include <unistd.h>
#include <utility>

#include "platform/SdBusCall.h"

namespace {

namespace logind {
constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";
constexpr const char* kWhat = "sleep:idle";
constexpr const char* kWho = "VELK3 Manager";
constexpr const char* kMode = "block";  // not "delay": the job must not be cut at all
}  // namespace logind

using sdbus::Bus;
using sdbus::BusError;
using sdbus::Message;

}  // namespace

CSleepLock::CSleepLock(CSleepLock&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

CSleepLock& CSleepLock::operator=(CSleepLock&& other) noexcept {
    if (this != &other) {
        Release();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

void CSleepLock::Release() {
    if (m_fd >= 0) ::close(std::exchange(m_fd, -1));
}

// A connection of its own for each lock: jobs run on whichever thread their face uses, and the
// connection is closed as soon as the descriptor is in hand.
CSleepLock CLogindInhibitor::Inhibit(const std::string& why) {
    sd_bus* opened = nullptr;
    if (sd_bus_open_system(&opened) < 0) return {};
    const Bus bus(opened);
    sd_bus_message* request = nullptr;
    if (sd_bus_message_new_method_call(bus.get(), &request, logind::kService, logind::kPath, logind::kManager, "Inhibit") < 0)
        return {};
    const Message call(request);
    if (sd_bus_message_append(call.get(), "ssss", logind::kWhat, logind::kWho, why.c_str(), logind::kMode) < 0) return {};
    // The connection's greeting is within the time-out too: a bus that never answers costs it, no more.
    BusError error;
    Message reply;
    if (sdbus::CallWithin(bus.get(), call.get(), m_timeout, {}, error, reply) < 0) return {};
    int received = -1;
    if (sd_bus_message_read(reply.get(), "h", &received) < 0) return {};
    // The reply owns its descriptor and closes it with the message: keep a copy of our own.
    return CSleepLock(::fcntl(received, F_DUPFD_CLOEXEC, 3));
}

ISleepInhibitor& SystemSleepInhibitor() {
    static CLogindInhibitor inhibitor;
    return inhibitor;
}
