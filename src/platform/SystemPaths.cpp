#include "platform/SystemPaths.h"

#include <cstdlib>

namespace {
void Override(std::string& path, const char* variable) {
    const char* value = std::getenv(variable);
    if (value && *value) path = value;
}
}  // namespace

SystemPaths SystemPathsFromEnvironment() {
    SystemPaths paths;
    Override(paths.sysRoot, "VELK3_SYS_ROOT");
    Override(paths.procRoot, "VELK3_PROC_ROOT");
    Override(paths.devRoot, "VELK3_DEV_ROOT");
    Override(paths.runRoot, "VELK3_RUN_ROOT");
    return paths;
}
