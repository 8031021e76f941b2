#pragma once
// The listing mode: tells a client program which units are attached by writing their labels
// into the list area it created (VELK1_LIST_SHAREDMEM), between the start and done events.
#include <functional>
#include <string>
#include <vector>

#include "platform/UserPrompt.h"

// The labels of the attached units, in enumeration order.
using UnitLabelSource = std::function<std::vector<std::string>()>;

// The whole listing over the units found on USB. False when a rendezvous object was missing (told
// to prompt; nothing is signalled then). A unit that cannot be opened is told to prompt as well.
bool ListDevices(IUserPrompt& prompt);
bool ListDevices(IUserPrompt& prompt, const UnitLabelSource& enumerateUnits);
