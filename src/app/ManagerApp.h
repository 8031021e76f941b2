#pragma once
// The application object of velk3-manager: checks its environment, reads its command line, takes
// the cross-process single-instance decision, and runs exactly one mode to its end.
#include <chrono>
#include <cstdint>

#include "app/ManagerCommandLineInfo.h"
#include "platform/UserPrompt.h"

// The mode codes stored in the instance record.
enum ManagerMode : int32_t { kServerMode = 0, kListingMode = 1, kWindowMode = 2 };

namespace single_instance {
inline constexpr const char* kStartupMutex = "VELK3MANAGER_STARTUPMUTEX";
inline constexpr const char* kWhoIsRunning = "VELK3MANAGER_WHOISRUNNING";
// The lock is held for microseconds; a holder that hangs longer than this gets the start refused.
inline constexpr std::chrono::milliseconds kStartupLockTimeout{10000};
}  // namespace single_instance

// velk3-manager's exit status (the modes set none of their own; clients read this).
namespace manager_exit {
inline constexpr int kDone = 0;     // the mode ran and ended in order
inline constexpr int kFailed = 1;   // the mode or the start-up failed; the message was shown
inline constexpr int kUsage = 2;    // the command line is wrong
inline constexpr int kRefused = 3;  // another instance runs: refused silently
}  // namespace manager_exit

// True when this process may run in mode; tells its three failures to prompt. The record's handle
// stays open for the life of the process, which keeps the record alive.
bool CheckSingleInstance(int32_t mode, IUserPrompt& prompt);

class CManagerApp {
public:
    // prompt: where the start-up and the windowless modes tell their failures.
    explicit CManagerApp(IUserPrompt& prompt) : m_prompt(prompt) {}
    // The whole process after main: returns the exit status. The window's own options are taken
    // out of the arguments before the mode grammar reads them.
    int InitInstance(int argc, char** argv);

private:
    bool CheckEnvironment();

    IUserPrompt& m_prompt;
    CManagerCommandLineInfo m_cmdInfo;
};
