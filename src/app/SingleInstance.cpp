
#include "app/ManagerApp.h"
#include "platform/NamedObjects.h"
#include "platform/UserPrompt.h"

namespace {

void Report(IUserPrompt& prompt, const char* text) { prompt.ShowMessage(text, kApplicationName, MessageIcon::Warning); }

// Steps 3 and 4 of the check, run while the start-up lock is held.
bool DecideUnderLock(int32_t mode, IUserPrompt& prompt) {
    // Never destroyed: the open handle is what keeps the record alive while this process runs.
    static CInstanceRecord* record = new CInstanceRecord;
    bool existed = false;
    if (!record->Open(single_instance::kWhoIsRunning, existed)) {
        Report(prompt, "Unable to open VELK3MANAGER_WHOISRUNNING");
        return false;
    }
    if (!record->Map()) {
        Report(prompt, "Unable to open map of VELK3MANAGER_WHOISRUNNING");
        return false;
    }
    bool allowed = false;
    if (!existed) {
        record->Store(mode);
        allowed = true;
    } else {
        // Any number of servers may run side by side (one per unit); nothing else shares.
        allowed = record->Load() == kServerMode && mode == kServerMode;
    }
    record->Unmap();
    return allowed;
}

}  // namespace

bool CheckSingleInstance(int32_t mode, IUserPrompt& prompt) {
    CStartupLock lock;
    if (!lock.Open(single_instance::kStartupMutex)) {
        Report(prompt, "Unable to get VELK3MANAGER_STARTUPMUTEX");
        return false;
    }
    if (!lock.Acquire(single_instance::kStartupLockTimeout)) return false;
    const bool allowed = DecideUnderLock(mode, prompt);
    lock.Release();
    return allowed;
}
