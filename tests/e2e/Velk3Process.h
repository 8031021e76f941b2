#pragma once
// Runs the velk3 under test as a process (no terminal on standard input) and collects what it says.
#include <string>
#include <vector>

#include "support/ChildProcess.h"

// velk3 with the given arguments and extra environment variables.
ProcessResult RunVelk3(const std::vector<std::string>& args, const Environment& environment = {});
