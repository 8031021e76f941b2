// velk3 devices: the qualifying card readers, then the units, as the device box lists them.
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/CliContext.h"
#include "devices/DriveList.h"
#include "devices/UsbSectorDevice.h"

namespace {

struct ListedDevice {
    const char* kind;
    DeviceEntry entry;
};

std::vector<ListedDevice> ListDevices(const CliContext& context) {
    std::vector<ListedDevice> devices;
    DeviceList drives;
    EnumerateDrives(drives, context.paths);
    for (auto& entry : drives) devices.push_back({"drive", std::move(entry)});
    // Units that cannot be opened are reported on standard error as the listing goes.
    DeviceList units;
    EnumerateUnits(units);
    for (const auto& entry : units) devices.push_back({"unit", DeviceEntry{0, entry.description, entry.name}});
    ClearUnitList(units);
    return devices;
}

}  // namespace

void RegisterDevicesCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("devices", "List the card readers and units");
    auto json = std::make_shared<bool>(false);
    command->add_flag("--json", *json, "Print JSON");
    command->callback([&context, json] {
        context.run = [&context, json] {
            const auto devices = ListDevices(context);
            if (*json) {
                nlohmann::json list = nlohmann::json::array();
                for (const auto& d : devices)
                    list.push_back({{"kind", d.kind}, {"name", d.entry.name}, {"description", d.entry.description}});
                std::cout << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
            } else if (devices.empty()) {
                std::cout << "No card reader with a card, and no unit, was found.\n";
            } else {
                for (const auto& d : devices) std::cout << d.entry.name << "\t" << d.entry.description << "\n";
            }
            return 0;
        };
    });
}
