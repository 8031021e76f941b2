// velk3 firmware IMAGE.img: the firmware update through the unit's bootloader, its instructions
// and messages on the terminal. The unit must already be in its boot mode.
#include <iostream>

#include "cli/CliContext.h"
#include "firmware/FirmwareUpdate.h"

namespace {

int UpdateFirmware(const std::string& image) {
    FirmwareUpdateFaces faces;
    faces.chooseImage = [&image] { return std::optional<std::string>(image); };
    faces.showBusy = [](bool busy) {
        if (busy) std::cerr << "Updating the firmware; do not unplug the VELK (an erase alone takes 15 seconds)...\n";
    };
    return RunFirmwareUpdate(faces) ? 0 : 1;
}

}  // namespace

void RegisterFirmwareCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("firmware", "Load new firmware into a VELK in its boot mode");
    auto image = std::make_shared<std::string>();
    command->add_option("IMAGE", *image, "The encrypted firmware image (.img)")->required();
    command->callback([&context, image] { context.run = [image] { return UpdateFirmware(*image); }; });
}
