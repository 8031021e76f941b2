#include "devices/UsbAccess.h"

#include <cerrno>
#include <cstdlib>

#include "platform/Translatable.h"

namespace {
constexpr const char* kAccessHint = VELK3_TRANSLATE_NOOP(
    "velk3core",
    "This user may not use the VELK over USB: install the udev rule 60-velk3.rules "
    "(sudo cmake --install on the build directory, or copy res/60-velk3.rules to /etc/udev/rules.d/), "
    "run \"sudo udevadm control --reload-rules && sudo udevadm trigger\", then plug the VELK in again.");
}

bool IsPermissionError(int resultOrErrno) {
    const int error = std::abs(resultOrErrno);
    return error == EACCES || error == EPERM;
}

MessageText WithAccessHint(const MessageText& message, int resultOrErrno) {
    return IsPermissionError(resultOrErrno) ? message + "\n" + kAccessHint : message;
}
