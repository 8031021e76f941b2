#pragma once
// The words a user needs when the unit or its bootloader cannot be opened for lack of permission:
// on Linux that means the udev rule is not installed.
#include "platform/MessageText.h"

// True for a libusb 0.1 result (a negative errno) or an errno value that means "not allowed".
bool IsPermissionError(int resultOrErrno);

// message, and when error means "not allowed" a second line saying how to install the rule.
MessageText WithAccessHint(const MessageText& message, int resultOrErrno);
