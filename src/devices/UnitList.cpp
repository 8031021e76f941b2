#include "devices/UnitList.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "devices/UsbSectorDevice.h"
#include "platform/Exceptions.h"
#include "platform/TextFormat.h"
#include "platform/Translatable.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUnableToAccessCaption = VELK3_TRANSLATE_NOOP("velk3core", "Unable to access VELK");

int ReadInt(const fs::path& file) {
    std::ifstream in(file);
    int value = -1;
    in >> value;
    return value;
}

// The port path ("1-2.3") sysfs gives the device with these numbers; empty when it has none.
std::string PortPath(const SystemPaths& paths, int bus, int deviceNumber) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(paths.sysRoot) / "bus" / "usb" / "devices", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.find(':') != std::string::npos) continue;  // an interface, not a device
        if (ReadInt(entry.path() / "busnum") == bus && ReadInt(entry.path() / "devnum") == deviceNumber) return name;
    }
    return {};
}

int BusNumber(const struct usb_device& device) {
    return device.bus ? std::atoi(device.bus->dirname) : 0;
}

}  // namespace

std::vector<UnitRecord> ScanUnits(const SystemPaths& paths) {
    usb_init();
    usb_find_busses();
    usb_find_devices();
    std::vector<UnitRecord> units;
    std::map<int, int> perNumber;
    for (usb_bus* bus = usb_get_busses(); bus; bus = bus->next)
        for (struct usb_device* device = bus->devices; device; device = device->next) {
            if (!IsUnit(*device)) continue;
            UnitRecord unit;
            unit.record = device;
            unit.id.kind = DeviceKind::Unit;
            unit.id.bus = BusNumber(*device);
            unit.id.deviceNumber = device->devnum;
            unit.id.port = PortPath(paths, unit.id.bus, unit.id.deviceNumber);
            ++perNumber[unit.id.deviceNumber];
            units.push_back(std::move(unit));
        }
    for (UnitRecord& unit : units) {
        unit.sharesNumber = perNumber[unit.id.deviceNumber] > 1;
        unit.name = unit.sharesNumber ? StringPrintf("VELK%i-%i", unit.id.deviceNumber, unit.id.bus)
                                      : UnitLabel(*unit.record);
        unit.id.name = unit.name;
    }
    return units;
}

void EnumerateUnits(DeviceList& list, IUserPrompt* reports, const SystemPaths& paths) {
    list.clear();
    for (const UnitRecord& found : ScanUnits(paths)) {
        CUsbSectorDevice unit;
        try {
            unit.Open(DeviceEntry{uint64_t(reinterpret_cast<uintptr_t>(found.record)), "", found.name, found.id});
            std::string description = unit.Description();
            if (found.sharesNumber) description += StringPrintf(" on bus %i", found.id.bus);
            list.push_back(DeviceEntry{0, std::move(description), found.name, found.id});
        } catch (const CUsbDeviceException& e) {
            if (reports) reports->ShowMessage(e.Text(), kUnableToAccessCaption, MessageIcon::Warning);
        }
        try {
            unit.Close();
        } catch (const CUsbDeviceException&) {
            // the unit is listed or reported already; its destructor lets go of it
        }
    }
}

void ClearUnitList(DeviceList& list) { list.clear(); }

struct usb_device* FindUnitByName(const std::string& name, const SystemPaths& paths) {
    for (const UnitRecord& unit : ScanUnits(paths))
        if (unit.name == name) return unit.record;
    return nullptr;
}

struct usb_device* FindUnit(const DeviceId& id, const SystemPaths& paths) {
    for (const UnitRecord& unit : ScanUnits(paths))
        if (unit.id.bus == id.bus && unit.id.deviceNumber == id.deviceNumber && unit.id.port == id.port)
            return unit.record;
    return nullptr;
}

std::string UsbPortPath(const SystemPaths& paths, int bus, int deviceNumber) { return PortPath(paths, bus, deviceNumber); }
