// velk3 info DEVICE [--json]: what the device says about itself. For a unit that is its identify
// data (the card's model, serial number and size); for a drive or an image, its size.
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/CliContext.h"
#include "devices/UsbSectorDevice.h"
#include "platform/Exceptions.h"
#include "platform/TextFormat.h"

namespace {

constexpr double kBytesPerMb = 1024.0 * 1024.0;

int ShowInfo(const std::string& argument, bool json, const CliContext& context) {
    const JobContext job = context.Job(argument);
    COpenedDevice opened = OpenDevice(job.device, job.OpenOptions(DeviceAccess::Read));
    CSectorDevice& device = opened.Device();
    nlohmann::json info = {{"device", argument}, {"kind", DeviceKindName(opened.Kind())}, {"description", opened.Label()}};
    if (opened.Kind() == DeviceKind::Unit) {
        auto& unit = static_cast<CUsbSectorDevice&>(device);
        info["manufacturer"] = unit.Manufacturer();
        info["product"] = unit.Product();
        info["firmwareVersion"] = unit.FirmwareVersion();
        if (!device.Identify())
            throw CUsbDeviceException("The VELK did not confirm its identify data (the checksum never matched).");
        info["identity"] = device.GetName();
    }
    const uint32_t sectors = device.GetSectorCount();
    info["sectors"] = sectors;
    opened.Close();

    if (json) {
        std::cout << info.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        return 0;
    }
    std::cout << "device:      " << argument << "\n"
              << "kind:        " << DeviceKindName(opened.Kind()) << "\n"
              << "description: " << opened.Label() << "\n";
    if (info.contains("identity")) std::cout << "card:        " << info["identity"].get<std::string>() << "\n";
    std::cout << "sectors:     " << sectors << StringPrintf(" (%0.2f MB)", sectors * double(kSectorSize) / kBytesPerMb)
              << "\n";
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
