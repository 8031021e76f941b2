// velk3 format DEVICE and velk3 remove-last DEVICE, with the window's questions.
#include <iostream>

#include "cli/CardReport.h"
#include "cli/CliContext.h"

namespace {

int Format(const std::string& device, const CliContext& context) {
    RequireDone(job::Format(context.Job(device)));
    std::cout << device << " now holds an empty VELK disk.\n";
    return 0;
}

int RemoveLast(const std::string& device, const CliContext& context) {
    PrintCard(std::cout, device, RequireDone(job::RemoveLast(context.Job(device))));
    return 0;
}

void AddDeviceCommand(CLI::App& app, CliContext& context, const char* name, const char* help,
                      int (*action)(const std::string&, const CliContext&)) {
    auto* command = app.add_subcommand(name, help);
    auto device = std::make_shared<std::string>();
    AddDeviceArgument(*command, *device);
    command->callback([&context, device, action] { context.run = [&context, device, action] { return action(*device, context); }; });
}

}  // namespace

void RegisterCardCommands(CLI::App& app, CliContext& context) {
    AddDeviceCommand(app, context, "format", "Format a card as an empty VELK disk", Format);
    AddDeviceCommand(app, context, "remove-last", "Remove the last routine of a card", RemoveLast);
}
