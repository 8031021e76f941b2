#include "firmware/BootloaderList.h"

#include <usb.h>

#include <cstdlib>

#include "devices/UnitList.h"
#include "firmware/BootloaderProtocol.h"

std::vector<DeviceId> FindBootloaders(const SystemPaths& paths) {
    usb_init();
    usb_find_busses();
    usb_find_devices();
    std::vector<DeviceId> found;
    for (usb_bus* bus = usb_get_busses(); bus; bus = bus->next)
        for (struct usb_device* device = bus->devices; device; device = device->next) {
            if (device->descriptor.idVendor != bootloader_usb::kVendorId ||
                device->descriptor.idProduct != bootloader_usb::kProductId)
                continue;
            DeviceId id;
            id.kind = DeviceKind::Unit;
            id.bus = std::atoi(bus->dirname);
            id.deviceNumber = device->devnum;
            id.port = UsbPortPath(paths, id.bus, id.deviceNumber);
            id.name = "VELK in boot mode";
            found.push_back(std::move(id));
        }
    return found;
}
