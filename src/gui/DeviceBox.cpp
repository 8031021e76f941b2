#include "gui/DeviceBox.h"

namespace {

void Append(DeviceBoxContents& box, const DeviceList& entries) {
    for (const DeviceEntry& entry : entries) box.items.push_back({entry.description, entry.id});
}

}  // namespace

DeviceBoxContents ArrangeDeviceBox(const DeviceList& drives, const DeviceList& units, const DeviceList& images,
                                   const DeviceId& remembered) {
    DeviceBoxContents box;
    Append(box, drives);
    Append(box, units);
    Append(box, images);
    int matching = -1;
    for (int i = 0; i < int(box.items.size()); ++i)
        if (!remembered.Empty() && box.items[size_t(i)].id == remembered) matching = i;
    const int firstUnit = units.empty() ? -1 : int(drives.size());
    if (matching >= 0)
        box.selected = matching;
    else if (firstUnit >= 0)
        box.selected = firstUnit;
    else
        box.selected = box.items.empty() ? -1 : 0;
    return box;
}
