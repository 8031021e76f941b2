#pragma once
// The device lists and the firmware update, once for the window and velk3.
#include <string>
#include <vector>

#include "devices/SectorDevice.h"
#include "firmware/FirmwareUpdate.h"
#include "operations/JobContext.h"

struct DeviceListing {
    DeviceList drives;  // the qualifying card readers with a card
    DeviceList units;   // the units that could be opened; the others are told to the questions
    std::vector<DeviceId> bootloaders;  // units waiting in their boot mode
};

namespace device_text {
// Where the faces list devices and there are none.
inline constexpr const char* kNoDevices = VELK3_TRANSLATE_NOOP("velk3core", "No card reader with a card and no VELK found");
}  // namespace device_text

namespace job {

DeviceListing ListDevices(const JobContext& context);

// Programs the firmware image at imagePath into the unit waiting in its boot mode, keeping the
// machine awake meanwhile. The faces show firmware_text::Warning() and let the user choose the
// image before, and run it through RunFirmwareUpdate to show its end; its failures are
// CUsbDeviceException.
FirmwareUpdated LoadFirmware(const JobContext& context, const std::string& imagePath);

}  // namespace job
