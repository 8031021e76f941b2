#pragma once
// Where the system's own files are read from. Tests point these at fake trees so that drive
// listing, temporary files and device nodes need no real /sys, /proc or /dev.
#include <string>

struct SystemPaths {
    std::string sysRoot = "/sys";    // holds block/
    std::string procRoot = "/proc";  // holds self/mountinfo and swaps
    std::string devRoot = "/dev";    // device nodes by kernel name
};
