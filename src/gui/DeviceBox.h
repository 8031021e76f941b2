#pragma once
// What the device box lists and which entry it selects, apart from the widget: the drives, then
// the units, then the card images. Each item keeps the name a command opens it by (a drive's
// kernel name, a unit's label, an image's absolute path), never an enumeration's records: a unit
// is looked up afresh whenever it is opened.
#include <string>
#include <vector>

#include "devices/DeviceOpener.h"
#include "devices/SectorDevice.h"
#include "platform/SystemPaths.h"

struct DeviceBoxItem {
    std::string text;
    DeviceKind kind = DeviceKind::Drive;
    std::string name;
};

struct DeviceBoxContents {
    std::vector<DeviceBoxItem> items;
    int selected = -1;  // -1: the box is empty
};

// The remembered text's item (the last one carrying it), else the first unit, else index 0.
DeviceBoxContents ArrangeDeviceBox(const DeviceList& drives, const DeviceList& units, const DeviceList& images,
                                   const std::string& rememberedText);

// The qualifying drives and the units that could be opened, listed now. Units that cannot be
// opened are reported through the prompt. The libusb records are freed before this returns.
void ListDrivesAndUnits(const SystemPaths& paths, DeviceList& drives, DeviceList& units);
