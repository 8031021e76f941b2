#pragma once
// The message a device or disk action fails with, or "(no exception)": lets a table of cases
// compare failures as text.
#include <functional>
#include <string>

#include "platform/Exceptions.h"

inline std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const CUsbDeviceException& e) {
        return e.what();
    }
    return "(no exception)";
}
