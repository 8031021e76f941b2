#include "operations/DeviceJobs.h"

#include "devices/DriveList.h"
#include "devices/UnitList.h"
#include "firmware/BootloaderList.h"
#include "firmware/FirmwareUpdate.h"

namespace job {

DeviceListing ListDevices(const JobContext& context) {
    DeviceListing listing;
    EnumerateDrives(listing.drives, context.paths);
    EnumerateUnits(listing.units, context.questions, context.paths);
    listing.bootloaders = FindBootloaders(context.paths);
    return listing;
}

bool LoadFirmware(const JobContext& context, const FirmwareFaces& faces) {
    CJobControl control = context.Control();
    FirmwareUpdateFaces update;
    update.chooseImage = faces.chooseImage;
    update.showBusy = faces.showBusy;
    update.job = &control;
    const bool programmed = RunFirmwareUpdate(update);
    control.Ready();
    return programmed;
}

}  // namespace job
