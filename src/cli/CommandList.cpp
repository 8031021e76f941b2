// velk3 list DEVICE [--json]: the routines and schedules of a card.
#include <iostream>

#include "cli/CardReport.h"
#include "cli/CliContext.h"
#include "cli/DeviceArgument.h"

void RegisterListCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("list", "Show the routines and schedules on a card");
    auto device = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    command->add_option("DEVICE", *device, "Card reader (sdb, /dev/sdb), unit label or image file")->required();
    command->add_flag("--json", *json, "Print JSON");
    command->callback([&context, device, json] {
        context.run = [&context, device, json] {
            return WithCard(*device, context, [&](COpenedDevice&, CVelkDisk& disk) {
                if (*json) {
                    WriteCardJson(std::cout, *device, disk);
                    std::cout << "\n";
                } else {
                    PrintCard(std::cout, *device, disk);
                }
                return 0;
            }, nullptr, {}, DeviceAccess::Read);
        };
    });
}
