// velk3 list DEVICE [--json]: the routines and schedules of a card.
#include <iostream>

#include "cli/CardReport.h"
#include "cli/CliContext.h"

void RegisterListCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("list", "Show the routines and schedules on a card");
    auto device = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    AddDeviceArgument(*command, *device);
    command->add_flag("--json", *json, "Print JSON");
    command->callback([&context, device, json] {
        context.run = [&context, device, json] {
            const CardListing card = job::ListCard(context.Job(*device));
            if (*json) {
                WriteCardJson(std::cout, *device, card);
                std::cout << "\n";
            } else {
                PrintCard(std::cout, *device, card);
            }
            return 0;
        };
    });
}
