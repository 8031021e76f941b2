#include "platform/SdBusCall.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>

#include "platform/FileDescriptor.h"

namespace sdbus {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct SlotUnref {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using Slot = std::unique_ptr<sd_bus_slot, SlotUnref>;

struct PendingCall {
    BusError& error;
    Message& reply;
    bool done = false;
    int result = 0;
};

int OnReply(sd_bus_message* message, void* userdata, sd_bus_error*) {
    PendingCall& call = *static_cast<PendingCall*>(userdata);
    call.done = true;
    if (const sd_bus_error* error = sd_bus_message_get_error(message)) {
        const int result = sd_bus_error_copy(&call.error.error, error);
        call.result = result < 0 ? result : -EIO;
    } else {
        call.reply.reset(sd_bus_message_ref(message));
    }
    return 0;
}

// An eventfd that becomes readable when stop is requested, so the wait on the bus wakes for it.
class CStopWake {
public:
    explicit CStopWake(const std::stop_token& stop)
        : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), m_onStop(stop, [this] { Wake(); }) {}
    int Fd() const { return m_fd.Get(); }

private:
    void Wake() const {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_fd.Get(), &one, sizeof one);
    }

    CFileDescriptor m_fd;
    std::stop_callback<std::function<void()>> m_onStop;
};

// How long until the bus's own next deadline (sd-bus counts in CLOCK_MONOTONIC microseconds).
milliseconds UntilBusTimeout(sd_bus* bus, milliseconds cap) {
    uint64_t until = 0;
    if (sd_bus_get_timeout(bus, &until) < 0 || until == UINT64_MAX) return cap;
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t nowUs = uint64_t(now.tv_sec) * 1000000 + uint64_t(now.tv_nsec) / 1000;
    return std::min(cap, milliseconds(until > nowUs ? (until - nowUs + 999) / 1000 : 0));
}

// Waits until the bus has something to do, the stop came, or the deadline: whichever is first.
int WaitForBus(sd_bus* bus, int wakeFd, Clock::time_point deadline) {
    const int fd = sd_bus_get_fd(bus);
    const int events = sd_bus_get_events(bus);
    if (fd < 0 || events < 0) return fd < 0 ? fd : events;
    const auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now());
    pollfd fds[] = {{fd, short(events), 0}, {wakeFd, POLLIN, 0}};
    const int waitFds = wakeFd >= 0 ? 2 : 1;
    if (::poll(fds, nfds_t(waitFds), int(UntilBusTimeout(bus, std::max(left, milliseconds(0))).count())) < 0 && errno != EINTR)
        return -errno;
    return 0;
}

}  // namespace

int CallWithin(sd_bus* bus, sd_bus_message* request, std::chrono::milliseconds timeout, const std::stop_token& stop,
               BusError& error, Message& reply) {
    PendingCall call{error, reply};
    sd_bus_slot* pending = nullptr;
    int result = sd_bus_call_async(bus, &pending, request, OnReply, &call, Microseconds(timeout));
    if (result < 0) return result;
    const Slot slot(pending);  // dropped on every way out: a reply that comes later goes nowhere
    const CStopWake wake(stop);
    const Clock::time_point deadline = Clock::now() + timeout;
    while (!call.done) {
        if ((result = sd_bus_process(bus, nullptr)) < 0) return result;
        if (result > 0) continue;  // more to do at once
        if (stop.stop_requested()) return -ECANCELED;
        if (Clock::now() >= deadline) return -ETIMEDOUT;
        if ((result = WaitForBus(bus, wake.Fd(), deadline)) < 0) return result;
    }
    return call.result;
}

}  // namespace sdbus
