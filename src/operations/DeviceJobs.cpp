#include "operations/DeviceJobs.h"

#include "devices/DriveList.h"
#include "devices/UnitList.h"
#include "firmware/BootloaderList.h"

namespace job {

DeviceListing ListDevices(const JobContext& context) {
    DeviceListing listing;
    EnumerateDrives(listing.drives, context.paths);
    EnumerateUnits(listing.units, context.questions, context.paths);
    listing.bootloaders = FindBootloaders(context.paths);
    return listing;
}

FirmwareUpdated LoadFirmware(const JobContext& context, const std::string& imagePath) {
    const CSleepLock awake = context.KeepAwake(JobPhase::Programming);
    return UpdateFirmware(imagePath, context);
}

}  // namespace job
