#pragma once
// The firmware update: decrypts the chosen image, checks that the attached bootloader is the
// expected chip, erases it when secured, programs, verifies and protects it. It shows nothing: the
// faces show the warning and the file choice before it, and its end (the failure or the success,
// each with the instructions to restart the unit) after it, from the texts here.
#include <functional>
#include <string>
#include <vector>

#include "firmware/BootloaderDevice.h"
#include "platform/JobControl.h"
#include "platform/Translatable.h"
#include "platform/UserPrompt.h"

struct FirmwareUpdated {
    // The chip was programmed, verified and protected, and then releasing the bootloader failed
    // with this message (empty: it did not).
    MessageText releaseFailure;
};

// Every failure throws CUsbDeviceException, the bootloader released. job hears of the stages
// (erasing, programming, verifying) with the blocks done of each, and of the end ("Ready").
FirmwareUpdated UpdateFirmware(const std::string& imagePath, const CJobControl& job, Sleeper sleep = SleepMilliseconds);

namespace firmware_text {
inline constexpr const char* kUpdateCaption = VELK3_TRANSLATE_NOOP("velk3core", "Firmware Update");
inline constexpr const char* kErrorCaption = VELK3_TRANSLATE_NOOP("velk3core", "Firmware Error");
inline constexpr const char* kSuccessCaption = VELK3_TRANSLATE_NOOP("velk3core", "Firmware Success");
inline constexpr const char* kIncompatible =
    VELK3_TRANSLATE_NOOP("velk3core", "An incompatible device was found.");
inline constexpr const char* kNotVerified = VELK3_TRANSLATE_NOOP("velk3core", "Flash was not verified.");
inline constexpr const char* kSucceeded = VELK3_TRANSLATE_NOOP("velk3core", "The firmware update was successful. ");
inline constexpr const char* kFailed = VELK3_TRANSLATE_NOOP("velk3core", "The firmware update FAILED. ");
// Shown first, captioned kUpdateCaption with the stop icon (MessageIcon::Error).
MessageText Warning();
MessageText RestartInstructions();
}  // namespace firmware_text

// One message of the update's end.
struct FirmwareMessage {
    MessageText text;
    const char* caption;
    MessageIcon icon;
};

// How an update ended, as the faces tell it: the failure (or a release that failed after the chip
// was programmed), then the closing message with the restart instructions.
struct FirmwareEnd {
    bool programmed = false;
    std::vector<FirmwareMessage> messages;
};

// Runs update (UpdateFirmware, or the job around it) and describes its end; a failure of another
// kind than the update's own is not caught.
FirmwareEnd RunFirmwareUpdate(const std::function<FirmwareUpdated()>& update);
