#pragma once
// The VELK units on USB, each under a name that is unique on the machine: "VELK%i" with its device
// number while no other unit has that number, else "VELK%i-%i" with its bus number as well (device
// numbers are counted per bus). The device box, velk3 and the relay all call units by these names.
#include <usb.h>

#include <string>
#include <vector>

#include "devices/SectorDevice.h"
#include "platform/SystemPaths.h"
#include "platform/UserPrompt.h"

struct UnitRecord {
    struct usb_device* record = nullptr;  // libusb's own, valid until the next scan
    std::string name;
    bool sharesNumber = false;  // another unit on another bus has the same device number
    DeviceId id;
};

// One scan of the buses, in bus order. Port paths are read from paths.sysRoot.
std::vector<UnitRecord> ScanUnits(const SystemPaths& paths = {});

// Fills list with one entry per unit that could be opened (reference 0, description as the device
// box shows it). A unit that cannot be opened is told to reports, captioned "Unable to access VELK",
// and left out.
void EnumerateUnits(DeviceList& list, IUserPrompt* reports = nullptr, const SystemPaths& paths = {});
// Empties a unit list; its entries hold plain values, so nothing else is left to free.
void ClearUnitList(DeviceList& list);

// The port path sysfs (under paths.sysRoot) gives a USB device ("1-2.3"); empty when it has none.
std::string UsbPortPath(const SystemPaths& paths, int bus, int deviceNumber);

// libusb's record of the unit called name (case-sensitive), or null.
struct usb_device* FindUnitByName(const std::string& name, const SystemPaths& paths = {});
// libusb's record of the unit with this identity, or null when it is gone (a unit plugged in again
// has a new device number, and so another identity).
struct usb_device* FindUnit(const DeviceId& id, const SystemPaths& paths = {});
