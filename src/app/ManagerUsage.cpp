#include "app/ManagerUsage.h"

#include <cstring>
#include <ostream>

#include "platform/BuildInfo.h"

// help2man reads this: "Usage:" lines, a paragraph, then sections whose option lines are indented
// two spaces with the description from column 23.
const char* const kManagerHelp =
    "Usage: velk3-manager [--image FILE]... [--show-schedules]\n"
    "  or:  velk3-manager -server NAME BAUD\n"
    "  or:  velk3-manager -listdevices\n"
    "The desktop companion of the VELK unit: lists the card readers and units, adds routines to a\n"
    "card and removes the last one, formats cards, edits schedules and updates the unit's firmware.\n"
    "With no mode word it opens the window; velk3 does the same work from a terminal.\n"
    "\n"
    "Modes:\n"
    "  -server NAME BAUD     relay servo data from a client program to the unit labelled NAME\n"
    "                        (VELK3, ...) at BAUD: 2400, 4800, 9600, 19200, 38400, 57600,\n"
    "                        115200 or 250000\n"
    "  -listdevices          write the labels of the attached units for a client program\n"
    "Mode words may also begin with '/' and are matched without regard to case.\n"
    "\n"
    "Options:\n"
    "  --image FILE          list the card image FILE in the device box and make it the\n"
    "                        current device (repeatable)\n"
    "  --show-schedules      show the Edit schedules button\n"
    "  -h, --help            show this help and exit\n"
    "  --version             show the version and exit\n"
    "\n"
    "Exit status: 0 done, 1 the mode failed (its message was shown), 2 wrong usage, 3 refused\n"
    "because another instance runs.\n";

std::optional<int> AnswerInformationRequest(int argc, const char* const* argv, std::ostream& out) {
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            out << kManagerHelp;
            return 0;
        }
        if (std::strcmp(argument, "--version") == 0) {
            out << "velk3-manager " << kVelk3Version << "\n";
            return 0;
        }
    }
    return std::nullopt;
}
