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
    // The update is busy from the file choice to its closing message: the machine stays awake as
    // long as the wait cursor shows.
    CSleepLock awake;
    update.showBusy = [&](bool busy) {
        awake = busy ? context.KeepAwake(JobPhase::Programming) : CSleepLock();
        if (faces.showBusy) faces.showBusy(busy);
    };
    update.job = &control;
    const bool programmed = RunFirmwareUpdate(update);
    control.Ready();
    return programmed;
}

}  // namespace job
