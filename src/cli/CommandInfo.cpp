// velk3 info DEVICE [--json]: what the device says about itself. For a unit that is its identify
// data (the card's model, serial number and size); for a drive or an image, its size.
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/CliContext.h"
#include "devices/SectorDevice.h"
#include "operations/CardJobs.h"
#include "platform/TextFormat.h"

namespace {

constexpr double kBytesPerMb = 1024.0 * 1024.0;

int ShowInfo(const std::string& argument, bool json, const CliContext& context) {
    const DeviceReport report = job::ReadDeviceReport(context.Job(argument));
    if (json) {
        nlohmann::json info = {{"device", argument}, {"kind", DeviceKindName(report.kind)}, {"description", report.label}};
        if (report.identity) {
            info["manufacturer"] = *report.manufacturer;
            info["product"] = *report.product;
            info["firmwareVersion"] = report.firmwareVersion;
            info["identity"] = *report.identity;
        }
        info["sectors"] = report.sectors;
        std::cout << info.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        return 0;
    }
    std::cout << "device:      " << argument << "\n"
              << "kind:        " << DeviceKindName(report.kind) << "\n"
              << "description: " << report.label << "\n";
    if (report.identity) std::cout << "card:        " << *report.identity << "\n";
    std::cout << "sectors:     " << report.sectors
              << StringPrintf(" (%0.2f MB)", report.sectors * double(kSectorSize) / kBytesPerMb) << "\n";
    return 0;
}

}  // namespace

void RegisterInfoCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("info", "Show what a device reports about itself (a unit: its card's identify data)");
    auto device = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    AddDeviceArgument(*command, *device);
    command->add_flag("--json", *json, "Print JSON");
    command->callback([&context, device, json] {
        context.run = [&context, device, json] { return ShowInfo(*device, *json, context); };
    });
}
