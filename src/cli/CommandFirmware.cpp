// velk3 firmware IMAGE.img: the firmware update through the unit's bootloader, its instructions
// and messages on the terminal. The unit must already be in its boot mode.
#include <iostream>

#include "cli/CliContext.h"
#include "cli/TerminalProgress.h"
#include "firmware/FirmwareUpdate.h"
#include "operations/DeviceJobs.h"

namespace {

constexpr const char* kContinue = "Continue?";

int UpdateFirmware(const std::string& image, const CliContext& context) {
    CTerminalProgress progress;
    const JobContext job = context.Job({}, &progress);
    job::FirmwareFaces faces;
    // The warning ends with the window's "Press OK below": here the terminal asks before anything
    // reaches the bootloader (--yes answers; with no terminal the answer is No).
    faces.chooseImage = [&image, &job] {
        if (!job.Control().AskYesNo(kContinue, firmware_text::kUpdateCaption))
            throw std::runtime_error("Cancelled: nothing was sent to the VELK.");
        return std::optional<std::string>(image);
    };
    faces.showBusy = [](bool busy) {
        if (busy) std::cerr << "Updating the firmware; do not unplug the VELK (an erase alone takes 15 seconds)...\n";
    };
    return job::LoadFirmware(job, faces) ? 0 : 1;
}

}  // namespace

void RegisterFirmwareCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("firmware", "Load new firmware into a VELK in its boot mode");
    auto image = std::make_shared<std::string>();
    command->add_option("IMAGE", *image, "The encrypted firmware image (.img)")->required();
    command->callback([&context, image] { context.run = [&context, image] { return UpdateFirmware(*image, context); }; });
}
