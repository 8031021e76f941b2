#include "app/ManagerApp.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "app/WindowMode.h"
#include "app/WindowOptions.h"

#include "platform/NamedObjects.h"
#include "platform/TextFormat.h"
#include "server/DeviceListing.h"
#include "server/RelayServer.h"

bool CManagerApp::CheckEnvironment() {
    // Every mode meets other processes through the object directory; without it none can work.
    const std::string directory = named_objects::ObjectDirectory();
    std::string refused = named_objects::CheckObjectDirectory();
    struct stat info {};
    if (refused.empty() && !(::stat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
                             ::access(directory.c_str(), W_OK | X_OK) == 0))
        refused = std::strerror(errno ? errno : ENOTDIR);
    if (refused.empty()) return true;
    m_prompt.ShowMessage(StringPrintf("VELK3 Manager cannot use its object directory %s (%s).\n"
                                          "Set VELK3_OBJECT_DIR to a writable directory.",
                                          directory.c_str(), refused.c_str()),
                             "Environment Error", MessageIcon::Error);
    return false;
}

int CManagerApp::InitInstance(int argc, char** argv) {
    if (!CheckEnvironment()) return manager_exit::kFailed;
    const WindowOptions window = ExtractWindowOptions(argc, argv);
    if (!window.error.empty()) {
        std::fprintf(stderr, "velk3-manager: %s\n", window.error.c_str());
        return manager_exit::kUsage;
    }
    std::vector<const char*> arguments;
    for (const std::string& argument : window.modeArguments) arguments.push_back(argument.c_str());
    m_cmdInfo.ParseCommandLine(int(arguments.size()), arguments.data());

    if (m_cmdInfo.m_bListDevices) {
        if (!CheckSingleInstance(kListingMode, m_prompt)) return manager_exit::kRefused;
        return ListDevices(m_prompt) ? manager_exit::kDone : manager_exit::kFailed;
    }
    if (m_cmdInfo.m_bServer) {
        if (!CheckSingleInstance(kServerMode, m_prompt)) return manager_exit::kRefused;
        CRelayServer server({m_cmdInfo.m_strServerName, m_cmdInfo.m_nBaudRate}, m_prompt);
        return server.Run() == 1 ? manager_exit::kDone : manager_exit::kFailed;
    }
    if (!CheckSingleInstance(kWindowMode, m_prompt)) return manager_exit::kRefused;
    return RunWindowMode(window, argc, argv);
}
