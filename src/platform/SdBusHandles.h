#pragma once
// Owning handles for sd-bus objects and the time-out form its calls take, shared by the clients of
// udisks2 and logind.
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <systemd/sd-bus.h>

namespace sdbus {

struct BusClose {
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
struct MessageUnref {
    void operator()(sd_bus_message* m) const { sd_bus_message_unref(m); }
};
using Bus = std::unique_ptr<sd_bus, BusClose>;
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

// An sd_bus_error that frees itself.
struct BusError {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    BusError() = default;
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;
    ~BusError() { sd_bus_error_free(&error); }
    bool Is(const char* name) const { return error.name && std::strcmp(error.name, name) == 0; }
    bool StartsWith(const char* prefix) const { return error.name && std::strncmp(error.name, prefix, std::strlen(prefix)) == 0; }
};

inline uint64_t Microseconds(std::chrono::milliseconds timeout) {
    return uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(timeout).count());
}

}  // namespace sdbus
