#pragma once
// The device lists and the firmware update, once for the window and velk3.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "devices/SectorDevice.h"
#include "operations/JobContext.h"

struct DeviceListing {
    DeviceList drives;  // the qualifying card readers with a card
    DeviceList units;   // the units that could be opened; the others are told to the questions
    std::vector<DeviceId> bootloaders;  // units waiting in their boot mode
};

namespace job {

DeviceListing ListDevices(const JobContext& context);

// The firmware update: chooseImage is the Open dialog (none: cancelled), showBusy the wait cursor.
// Its warnings, errors and closing message go to the context's questions. True when the unit was
// programmed, verified and protected.
struct FirmwareFaces {
    std::function<std::optional<std::string>()> chooseImage;
    std::function<void(bool busy)> showBusy;
};
bool LoadFirmware(const JobContext& context, const FirmwareFaces& faces);

}  // namespace job
