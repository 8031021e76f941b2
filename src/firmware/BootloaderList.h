#pragma once
// The unit's bootloaders on USB, as a device list sees them: a VELK that came up in its boot mode
// (after an interrupted firmware update, or with its switches set for one).
#include <vector>

#include "devices/DeviceId.h"
#include "platform/SystemPaths.h"

// One scan of the buses; opens nothing.
std::vector<DeviceId> FindBootloaders(const SystemPaths& paths = {});
