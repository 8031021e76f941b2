#pragma once
// What every user-level job runs with: the device it works on, who answers its questions, where
// its progress goes and whether it has been asked to stop. The window and velk3 each make one per
// job and hand it down as const JobContext&; the job and every layer below it ask and report
// through that one object (the disk layer sees its CJobControl part), so the job has one progress
// state. A job returns its result as a value (JobOutcome, or std::optional<result> when it asks
// first: empty when told No) or throws its one failure for the face to show; it never shows a
// box itself.
#include <stop_token>
#include <string>

#include "devices/DeviceAccess.h"
#include "devices/DeviceId.h"
#include "devices/DeviceOpener.h"
#include "platform/JobControl.h"
#include "platform/Progress.h"
#include "platform/SleepInhibitor.h"
#include "platform/SystemPaths.h"
#include "platform/Translatable.h"
#include "platform/UserPrompt.h"

struct JobContext : CJobControl {
    JobContext() = default;
    explicit JobContext(DeviceId device, IUserPrompt* questions = nullptr, IProgressSink* progress = nullptr,
                        std::stop_token stop = {})
        : CJobControl(questions, progress, std::move(stop)), device(std::move(device)) {}
    // One object per job: a copy would be a second progress state.
    JobContext(JobContext&&) = default;
    JobContext& operator=(JobContext&&) = default;
    JobContext(const JobContext&) = delete;
    JobContext& operator=(const JobContext&) = delete;

    DeviceId device;
    SystemPaths paths{};
    bool allowFixed = false;  // velk3 --allow-fixed: a /dev path that is not a removable reader
    bool verifyWrites = true;  // velk3 add --no-verify: what is written is not read back
    ISleepInhibitor* sleep = nullptr;  // none: the system's logind

    DeviceOpenOptions OpenOptions(DeviceAccess access) const { return {paths, allowFixed, access, questions, stop}; }
    // Keeps the machine from sleeping until the lock is dropped; phase names the job's writing.
    CSleepLock KeepAwake(JobPhase phase) const { return (sleep ? *sleep : SystemSleepInhibitor()).Inhibit(PhaseText(phase)); }
};

// How a job that asks before destroying anything, and has nothing else to tell, ended: done, or
// the user said No.
enum class JobOutcome { Done, Declined };

// What a job says when it stops on request. Each names what the card holds then.
namespace stop_text {
inline constexpr const char* kUnchanged = VELK3_TRANSLATE_NOOP("velk3core", "Cancelled: the card is unchanged.");
inline constexpr const char* kNowEmpty =
    VELK3_TRANSLATE_NOOP("velk3core", "Cancelled: the card now holds an empty VELK disk.");
inline constexpr const char* kNoBackup = VELK3_TRANSLATE_NOOP("velk3core", "Cancelled: no backup was written.");
inline constexpr const char* kRestoreCut = VELK3_TRANSLATE_NOOP(
    "velk3core",
    "Cancelled: the restore was cut short, so the card no longer holds a VELK disk. Restore it again or format it.");
}  // namespace stop_text
