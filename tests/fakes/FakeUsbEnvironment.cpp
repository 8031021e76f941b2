// Setting up the simulated world from VELK3_FAKE_USB_* variables, for the preloaded build.
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "fakes/FakeUsb.h"

namespace fakeusb {
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator))
        if (!part.empty()) parts.push_back(part);
    return parts;
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void AddUnitFromText(const std::string& item) {
    const auto fields = Split(item, ':');
    if (fields.size() < 2) return;
    UnitOptions unit;
    unit.devnum = std::atoi(fields[0].c_str());
    unit.cardPath = fields[1];
    for (size_t i = 2; i < fields.size(); ++i) {
        if (fields[i] == "noversion") unit.version.reset();
        else if (fields[i] == "denied") unit.access = Access::Denied;
        else if (fields[i] == "readonly") unit.access = Access::ReadOnly;
        else if (fields[i] == "relayless") unit.configurations = 1;
        else if (fields[i].rfind("bus=", 0) == 0) unit.bus = std::atoi(fields[i].c_str() + 4);
        else if (fields[i].rfind("keep=", 0) == 0) unit.keptSectors = uint32_t(std::strtoul(fields[i].c_str() + 5, nullptr, 10));
    }
    AddUnit(unit);
}

void AddBootloaderFromText(const std::string& text) {
    const auto fields = Split(text, ':');
    if (fields.empty()) return;
    BootloaderOptions chip;
    chip.devnum = std::atoi(fields[0].c_str());
    for (size_t i = 1; i < fields.size(); ++i) {
        if (fields[i] == "secured") chip.secured = true;
        else if (fields[i] == "incompatible") chip.identification[0x0131] = 0x00;
    }
    AddBootloader(chip);
}

}  // namespace

void ConfigureFromEnvironment() {
    Reset();
    MirrorWireLog(Variable("VELK3_FAKE_USB_WIRE_LOG"));
    for (const auto& item : Split(Variable("VELK3_FAKE_USB_UNITS"), ',')) {
        try {
            AddUnitFromText(item);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s (unit left out)\n", e.what());  // a missing card image, say
        }
    }
    const std::string bootloader = Variable("VELK3_FAKE_USB_BOOTLOADER");
    if (!bootloader.empty()) AddBootloaderFromText(bootloader);
    const std::string unplug = Variable("VELK3_FAKE_USB_UNPLUG_AFTER");
    if (!unplug.empty()) UnplugAfterTransfers(std::atoi(unplug.c_str()));
}

}  // namespace fakeusb
