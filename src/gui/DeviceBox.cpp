#include "gui/DeviceBox.h"

#include "devices/DriveList.h"
#include "devices/UsbSectorDevice.h"

namespace {

void Append(DeviceBoxContents& box, const DeviceList& entries, DeviceKind kind) {
    for (const DeviceEntry& entry : entries) box.items.push_back({entry.description, kind, entry.name});
}

}  // namespace

DeviceBoxContents ArrangeDeviceBox(const DeviceList& drives, const DeviceList& units, const DeviceList& images,
                                   const std::string& rememberedText) {
    DeviceBoxContents box;
    Append(box, drives, DeviceKind::Drive);
    Append(box, units, DeviceKind::Unit);
    Append(box, images, DeviceKind::Image);
    int matching = -1;
    for (int i = 0; i < int(box.items.size()); ++i)
        if (box.items[size_t(i)].text == rememberedText) matching = i;
    const int firstUnit = units.empty() ? -1 : int(drives.size());
    if (matching >= 0)
        box.selected = matching;
    else if (firstUnit >= 0)
        box.selected = firstUnit;
    else
        box.selected = box.items.empty() ? -1 : 0;
    return box;
}

void ListDrivesAndUnits(const SystemPaths& paths, DeviceList& drives, DeviceList& units) {
    drives.clear();
    units.clear();
    EnumerateDrives(drives, paths);
    DeviceList records;
    EnumerateUnits(records);
    for (const DeviceEntry& entry : records) units.push_back(DeviceEntry{0, entry.description, entry.name});
    ClearUnitList(records);
}
