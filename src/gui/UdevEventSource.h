#pragma once
// The desktop's device notifications on Linux: a libudev monitor of USB devices (units, their
// bootloader, card readers) and of whole block disks, whose change events carry media insertion
// and removal.
#include <memory>
#include <string>

#include "gui/DeviceMonitor.h"

struct UdevEvent {
    std::string subsystem;  // "usb", "block"
    std::string devtype;    // "usb_device", "disk"
    std::string action;     // "add", "remove", "change", ...
    bool mediaChange = false;  // DISK_MEDIA_CHANGE=1 on a block change event
};

// Whether an event can change what the device box lists.
bool IsDeviceListEvent(const UdevEvent& event);

// A monitor on the udev netlink socket, or none where udev is out of reach (a container, no
// udevd); the window then works without notifications and says nothing.
std::unique_ptr<IDeviceEventSource> CreateUdevEventSource();
