#pragma once
// What a device is, as opposed to what it is called: the device box keeps its choice across
// refreshes by this, and a job opens exactly the device that was chosen or fails saying it is gone.
// A label changes with mount points and a unit's device number is reused after a replug; an
// identity does not silently move to another device.
#include <cstdint>
#include <string>

#include "platform/FileIdentity.h"

enum class DeviceKind {
    Named,  // only a name given by a user (velk3's DEVICE argument): whatever it names when opened
    Drive,
    Unit,
    Image,
};

const char* DeviceKindName(DeviceKind kind);

struct DeviceId {
    DeviceKind kind = DeviceKind::Named;
    std::string name;     // what it is opened by: kernel name, unit name, absolute image path
    // A drive: its serial or WWN (empty when the reader tells none) and its size in sectors.
    std::string serial{};
    uint64_t sectors = 0;
    // A unit: where it is plugged in (port path "1-2.3", empty when sysfs does not tell).
    int bus = 0;
    std::string port{};
    int deviceNumber = 0;
    // An image file: the file it was when listed.
    FileIdentity file{};

    static DeviceId Of(DeviceKind kind, std::string name) {
        DeviceId id;
        id.kind = kind;
        id.name = std::move(name);
        return id;
    }
    static DeviceId Named(std::string name) { return Of(DeviceKind::Named, std::move(name)); }
    bool Empty() const { return name.empty(); }
    bool operator==(const DeviceId& other) const = default;
};
