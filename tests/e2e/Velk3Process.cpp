#include "e2e/Velk3Process.h"

ProcessResult RunVelk3(const std::vector<std::string>& args, const Environment& environment) {
    return RunProgram(VELK3_BINARY, args, environment);
}
