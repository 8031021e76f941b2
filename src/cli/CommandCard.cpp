// velk3 format DEVICE and velk3 remove-last DEVICE, with the window's questions.
#include <iostream>

#include "cli/CardReport.h"
#include "cli/CliContext.h"
#include "cli/DeviceArgument.h"
#include "platform/UserPrompt.h"

namespace {

int Format(const std::string& device, const CliContext& context) {
    return WithCard(device, context, [&](COpenedDevice&, CVelkDisk& disk) {
        if (!AskConfirm(disk.IsVelkDisk() ? question_text::kFormat : question_text::kFormatForeign)) throw CCancelled();
        disk.Format();
        std::cout << device << " now holds an empty VELK disk.\n";
        return 0;
    });
}

int RemoveLast(const std::string& device, const CliContext& context) {
    // A card without routines is reported before the question: there is nothing to agree to.
    return WithCard(device, context, [&](COpenedDevice&, CVelkDisk& disk) {
        if (disk.GetTracks().empty()) throw std::runtime_error("Too few tracks (" + device + " holds no routines)");
        if (!AskConfirm(question_text::kRemoveLast)) throw CCancelled();
        disk.RemoveLastTrack();
        PrintCard(std::cout, device, disk);
        return 0;
    });
}

void AddDeviceCommand(CLI::App& app, CliContext& context, const char* name, const char* help,
                      int (*action)(const std::string&, const CliContext&)) {
    auto* command = app.add_subcommand(name, help);
    auto device = std::make_shared<std::string>();
    command->add_option("DEVICE", *device, "Card reader (sdb, /dev/sdb), unit label or image file")->required();
    command->callback([&context, device, action] { context.run = [&context, device, action] { return action(*device, context); }; });
}

}  // namespace

void RegisterCardCommands(CLI::App& app, CliContext& context) {
    AddDeviceCommand(app, context, "format", "Format a card as an empty VELK disk", Format);
    AddDeviceCommand(app, context, "remove-last", "Remove the last routine of a card", RemoveLast);
}
