#pragma once
// What the device box lists and which entry it selects, apart from the widget: the drives, then the
// units, then the card images. Each item keeps the identity a job opens it by; its text is for
// display only, so a card whose mount points changed stays the chosen one.
#include <string>
#include <vector>

#include "devices/DeviceId.h"
#include "devices/SectorDevice.h"

struct DeviceBoxItem {
    std::string text;
    DeviceId id;
};

struct DeviceBoxContents {
    std::vector<DeviceBoxItem> items;
    int selected = -1;  // -1: the box is empty
};

// The remembered identity's item (the last one carrying it), else the first unit, else index 0.
DeviceBoxContents ArrangeDeviceBox(const DeviceList& drives, const DeviceList& units, const DeviceList& images,
                                   const DeviceId& remembered);
