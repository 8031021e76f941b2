#pragma once
// The options only the window reads, taken out of the arguments before the mode grammar sees
// them: --image FILE (repeatable) lists a card image in the device box, --show-schedules shows the
// Edit schedules button.
#include <string>
#include <vector>

struct WindowOptions {
    std::vector<std::string> images;
    bool showSchedules = false;
    std::vector<std::string> modeArguments;  // the rest, the program name first
    std::string error;                       // a usage fault, empty when none
};

WindowOptions ExtractWindowOptions(int argc, const char* const* argv);
