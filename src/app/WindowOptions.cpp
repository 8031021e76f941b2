#include "app/WindowOptions.h"

#include <string_view>

namespace {
constexpr std::string_view kImage = "--image";
constexpr std::string_view kImagePrefix = "--image=";
constexpr std::string_view kShowSchedules = "--show-schedules";
}  // namespace

WindowOptions ExtractWindowOptions(int argc, const char* const* argv) {
    WindowOptions options;
    if (argc > 0) options.modeArguments.emplace_back(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == kShowSchedules) {
            options.showSchedules = true;
        } else if (argument == kImage) {
            if (i + 1 >= argc) {
                options.error = "--image needs a card image file: velk3-manager --image FILE";
                return options;
            }
            options.images.emplace_back(argv[++i]);
        } else if (argument.substr(0, kImagePrefix.size()) == kImagePrefix) {
            options.images.emplace_back(argument.substr(kImagePrefix.size()));
        } else {
            options.modeArguments.emplace_back(argument);
        }
    }
    return options;
}
