// velk3 devices: the qualifying card readers, then the units, as the device box lists them and
// under the names that DEVICE accepts.
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/CliContext.h"
#include "operations/DeviceJobs.h"

namespace {

void PrintJson(const DeviceListing& listing) {
    nlohmann::json list = nlohmann::json::array();
    for (const DeviceList* entries : {&listing.drives, &listing.units})
        for (const DeviceEntry& entry : *entries)
            list.push_back({{"kind", DeviceKindName(entry.id.kind)}, {"name", entry.name}, {"description", entry.description}});
    std::cout << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

void PrintText(const DeviceListing& listing) {
    if (listing.drives.empty() && listing.units.empty()) {
        std::cout << device_text::kNoDevices << "\n";
        return;
    }
    for (const DeviceList* entries : {&listing.drives, &listing.units})
        for (const DeviceEntry& entry : *entries) std::cout << entry.name << "\t" << entry.description << "\n";
}

}  // namespace

void RegisterDevicesCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("devices", "List the card readers and units");
    auto json = std::make_shared<bool>(false);
    command->add_flag("--json", *json, "Print JSON");
    command->callback([&context, json] {
        context.run = [&context, json] {
            // Units that cannot be opened are told on standard error as the listing goes.
            const DeviceListing listing = job::ListDevices(context.Job({}));
            *json ? PrintJson(listing) : PrintText(listing);
            return 0;
        };
    });
}
