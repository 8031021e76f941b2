#pragma once
// Where the system's own files are read from. Tests point these at fake trees so that drive
// listing, temporary files and device nodes need no real /sys, /proc, /dev or /run.
#include <string>

struct SystemPaths {
    std::string sysRoot = "/sys";    // holds block/
    std::string procRoot = "/proc";  // holds self/mountinfo and swaps
    std::string devRoot = "/dev";    // device nodes by kernel name
    std::string runRoot = "/run";    // holds udev/data: what udev found on each block device
};

// VELK3_SYS_ROOT, VELK3_PROC_ROOT, VELK3_DEV_ROOT, VELK3_RUN_ROOT replace /sys, /proc, /dev, /run
// when set.
SystemPaths SystemPathsFromEnvironment();
