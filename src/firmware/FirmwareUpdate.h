#pragma once
// The firmware update: warns and instructs, decrypts the chosen image, checks the attached
// bootloader is the expected chip, erases it when secured, programs, verifies, protects it, and
// tells the user how to restart the unit. Every path past the file choice ends with the closing
// message; failures appear in "Firmware Error" boxes. Messages go through the prompt seam.
#include <functional>
#include <optional>
#include <string>

#include "firmware/BootloaderDevice.h"
#include "platform/JobControl.h"
#include "platform/Translatable.h"

struct FirmwareUpdateFaces {
    // The Open dialog for an .img file: the chosen path, or nothing when the user cancelled.
    std::function<std::optional<std::string>()> chooseImage;
    // The wait cursor: shown (true) from the file choice to just before the closing message.
    std::function<void(bool busy)> showBusy;
    Sleeper sleep = SleepMilliseconds;
    // The boxes of the update and its stages (erasing, programming, verifying) with the blocks
    // done of each; none: nobody is told.
    CJobControl* job = nullptr;
};

// True when the unit was programmed, verified and protected.
bool RunFirmwareUpdate(const FirmwareUpdateFaces& faces);

namespace firmware_text {
inline constexpr const char* kUpdateCaption = VELK3_TRANSLATE_NOOP("velk3core", "Firmware Update");
inline constexpr const char* kErrorCaption = VELK3_TRANSLATE_NOOP("velk3core", "Firmware Error");
inline constexpr const char* kSuccessCaption = VELK3_TRANSLATE_NOOP("velk3core", "Firmware Success");
inline constexpr const char* kIncompatible =
    VELK3_TRANSLATE_NOOP("velk3core", "An incompatible device was found.");
inline constexpr const char* kNotVerified = VELK3_TRANSLATE_NOOP("velk3core", "Flash was not verified.");
inline constexpr const char* kSucceeded = "The firmware update was successful. ";
inline constexpr const char* kFailed = "The firmware update FAILED. ";
std::string Warning();
std::string RestartInstructions();
}  // namespace firmware_text
