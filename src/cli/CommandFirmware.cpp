// velk3 firmware IMAGE.img: the firmware update through the unit's bootloader, its instructions
// and messages on the terminal. The unit must already be in its boot mode.
#include <iostream>

#include "cli/CliContext.h"
#include "cli/TerminalProgress.h"
#include "operations/DeviceJobs.h"

namespace {

constexpr const char* kContinue = "Continue?";

int UpdateFirmware(const std::string& image, const CliContext& context) {
    IUserPrompt& terminal = *context.questions;
    terminal.ShowMessage(firmware_text::Warning(), firmware_text::kUpdateCaption, MessageIcon::Error);
    // The warning ends with the window's "Press OK below": here the terminal asks before anything
    // reaches the bootloader (--yes answers; with no terminal the answer is No).
    if (!terminal.AskYesNo(kContinue, firmware_text::kUpdateCaption))
        throw std::runtime_error("Cancelled: nothing was sent to the VELK.");
    std::cerr << "Updating the firmware; do not unplug the VELK (an erase alone takes 15 seconds)...\n";
    FirmwareEnd end;
    {
        CTerminalProgress progress;
        end = RunFirmwareUpdate([&] { return job::LoadFirmware(context.Job({}, &progress), image); });
    }
    for (const FirmwareMessage& message : end.messages) terminal.ShowMessage(message.text, message.caption, message.icon);
    return end.programmed ? 0 : 1;
}

}  // namespace

void RegisterFirmwareCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("firmware", "Load new firmware into a VELK in its boot mode");
    auto image = std::make_shared<std::string>();
    command->add_option("IMAGE", *image, "The encrypted firmware image (.img)")->required();
    command->callback([&context, image] { context.run = [&context, image] { return UpdateFirmware(*image, context); }; });
}
