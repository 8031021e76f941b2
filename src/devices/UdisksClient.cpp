#include "devices/UdisksClient.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <vector>

#include "platform/JobControl.h"
#include "platform/SdBusCall.h"

namespace {

namespace udisks {
constexpr const char* kService = "org.freedesktop.UDisks2";
constexpr const char* kManagerPath = "/org/freedesktop/UDisks2/Manager";
constexpr const char* kManager = "org.freedesktop.UDisks2.Manager";
constexpr const char* kBlock = "org.freedesktop.UDisks2.Block";
constexpr const char* kFilesystem = "org.freedesktop.UDisks2.Filesystem";
constexpr const char* kNotAuthorizedPrefix = "org.freedesktop.UDisks2.Error.NotAuthorized";
}  // namespace udisks

constexpr const char* kBusNoService[] = {"org.freedesktop.DBus.Error.ServiceUnknown",
                                         "org.freedesktop.DBus.Error.NameHasNoOwner"};
constexpr const char* kBusAccessDenied = "org.freedesktop.DBus.Error.AccessDenied";
constexpr const char* kBusNoReply[] = {"org.freedesktop.DBus.Error.NoReply", "org.freedesktop.DBus.Error.Timeout"};

using sdbus::BusError;
using sdbus::Message;

bool IsConnectionErrno(int error) {
    return error == ENOENT || error == ECONNREFUSED || error == ENOTCONN || error == ECONNRESET || error == EPIPE ||
           error == EACCES || error == ENXIO;
}

template <size_t N>
bool IsAny(const BusError& e, const char* const (&names)[N]) {
    for (const char* name : names)
        if (e.Is(name)) return true;
    return false;
}

// Turns a failed call into the one of the three outcomes the user is told about.
[[noreturn]] void ThrowCallFailure(int result, const BusError& e, const char* what, std::chrono::milliseconds timeout) {
    if (e.StartsWith(udisks::kNotAuthorizedPrefix) || e.Is(kBusAccessDenied))
        throw CUdisksError(UdisksFailure::NotAuthorized, e.error.message ? e.error.message : "not authorised");
    const bool local = !e.error.name || e.StartsWith("System.Error.");
    if (IsAny(e, kBusNoService) || (local && IsConnectionErrno(-result)))
        throw CUdisksError(UdisksFailure::Unavailable, "udisks2 is not on the system bus");
    if (result == -ETIMEDOUT || IsAny(e, kBusNoReply))
        throw CUdisksError(UdisksFailure::Failed, std::string("udisks2 did not answer ") + what + " within " +
                                                      std::to_string(timeout.count() / 1000) + " s");
    const char* detail = e.error.message ? e.error.message : std::strerror(-result);
    throw CUdisksError(UdisksFailure::Failed, std::string(what) + ": " + detail);
}

void Check(int result, const char* what) {
    if (result < 0) throw CUdisksError(UdisksFailure::Failed, std::string(what) + ": " + std::strerror(-result));
}

const char* ModeOf(DeviceAccess access) { return access == DeviceAccess::ReadWrite ? "rw" : "r"; }

// O_EXCL keeps the kernel from mounting the card under us while we write to it.
int FlagsOf(DeviceAccess access) { return access == DeviceAccess::ReadWrite ? O_EXCL | O_CLOEXEC : O_CLOEXEC; }

}  // namespace

// Closed without a flush: every call has had its answer, and a flush would wait for a bus that
// never greeted.
struct CUdisksClient::Bus {
    sdbus::Bus bus;
    std::stop_token stop;

    Message NewCall(const std::string& path, const char* interface, const char* member) {
        sd_bus_message* m = nullptr;
        Check(sd_bus_message_new_method_call(bus.get(), &m, udisks::kService, path.c_str(), interface, member),
              "Could not build a udisks2 request");
        return Message(m);
    }

    Message Call(const Message& request, std::chrono::milliseconds timeout, const char* what) {
        BusError error;
        Message reply;
        const int result = sdbus::CallWithin(bus.get(), request.get(), timeout, stop, error, reply);
        // Asked before anything is written: a card reader is opened or unmounted here.
        if (result == -ECANCELED) throw CJobStopped(VELK3_TRANSLATE_NOOP("velk3core", "Cancelled: the card is unchanged."));
        if (result < 0) ThrowCallFailure(result, error, what, timeout);
        return reply;
    }
};

CUdisksClient::CUdisksClient(UdisksTimeouts timeouts, std::stop_token stop)
    : m_timeouts(timeouts), m_stop(std::move(stop)) {}

CUdisksClient::~CUdisksClient() = default;

CUdisksClient::Bus& CUdisksClient::Connect() {
    if (m_bus) return *m_bus;
    auto bus = std::make_unique<Bus>();
    // DBUS_SYSTEM_BUS_ADDRESS, when set, names the bus; tests point it at a private one. Opening only
    // connects; the greeting is part of the first call and its time-out.
    sd_bus* opened = nullptr;
    const int result = sd_bus_open_system(&opened);
    if (result < 0) throw CUdisksError(UdisksFailure::Unavailable, std::string("no system bus (") + std::strerror(-result) + ")");
    bus->bus.reset(opened);
    bus->stop = m_stop;
    m_bus = std::move(bus);
    return *m_bus;
}

std::string CUdisksClient::ResolveDevice(const std::string& devicePath) {
    Bus& bus = Connect();
    Message request = bus.NewCall(udisks::kManagerPath, udisks::kManager, "ResolveDevice");
    Check(sd_bus_message_append(request.get(), "a{sv}", 1, "path", "s", devicePath.c_str()), "Could not build a udisks2 request");
    Check(sd_bus_message_append(request.get(), "a{sv}", 0), "Could not build a udisks2 request");
    Message reply = bus.Call(request, m_timeouts.lookup, "looking up the disk");
    std::vector<std::string> objects;
    Check(sd_bus_message_enter_container(reply.get(), 'a', "o"), "Unexpected answer from udisks2");
    const char* object = nullptr;
    while (sd_bus_message_read(reply.get(), "o", &object) > 0) objects.emplace_back(object);
    if (objects.empty()) throw CUdisksError(UdisksFailure::Failed, "udisks2 does not know " + devicePath);
    return objects.front();
}

CFileDescriptor CUdisksClient::OpenDevice(const std::string& devicePath, DeviceAccess access) {
    const std::string object = ResolveDevice(devicePath);
    Bus& bus = Connect();
    Message request = bus.NewCall(object, udisks::kBlock, "OpenDevice");
    Check(sd_bus_message_append(request.get(), "s", ModeOf(access)), "Could not build a udisks2 request");
    Check(sd_bus_message_append(request.get(), "a{sv}", 1, "flags", "i", FlagsOf(access)),
          "Could not build a udisks2 request");
    Check(sd_bus_message_set_allow_interactive_authorization(request.get(), 1), "Could not build a udisks2 request");
    Message reply = bus.Call(request, m_timeouts.interactive, "opening the disk");
    int received = -1;
    Check(sd_bus_message_read(reply.get(), "h", &received), "Unexpected answer from udisks2");
    // The reply owns its descriptor and closes it with the message: keep a copy of our own.
    CFileDescriptor file(::fcntl(received, F_DUPFD_CLOEXEC, 3));
    if (!file.IsOpen()) throw CUdisksError(UdisksFailure::Failed, std::string("opening the disk: ") + std::strerror(errno));
    return file;
}

void CUdisksClient::Unmount(const std::string& devicePath) {
    const std::string object = ResolveDevice(devicePath);
    Bus& bus = Connect();
    Message request = bus.NewCall(object, udisks::kFilesystem, "Unmount");
    Check(sd_bus_message_append(request.get(), "a{sv}", 0), "Could not build a udisks2 request");
    Check(sd_bus_message_set_allow_interactive_authorization(request.get(), 1), "Could not build a udisks2 request");
    bus.Call(request, m_timeouts.interactive, "unmounting");
}
