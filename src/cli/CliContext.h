#pragma once
// What every velk3 command shares: the global flags and the system paths (overridable from the
// environment so tests can point velk3 at a fake sysfs tree).
#include <CLI/CLI.hpp>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>

#include "operations/JobContext.h"
#include "platform/SystemPaths.h"

struct CliContext {
    bool yes = false;
    bool allowFixed = false;
    SystemPaths paths;
    IUserPrompt* questions = nullptr;  // the terminal
    std::stop_token stop;              // requested by SIGINT, SIGTERM or SIGHUP
    // Set by the chosen command; returns the exit status.
    std::function<int()> run;

    // A job on the DEVICE argument, asking on the terminal.
    JobContext Job(const std::string& device, IProgressSink* progress = nullptr) const {
        JobContext job(DeviceId::Named(device), questions, progress, stop);
        job.paths = paths;
        job.allowFixed = allowFixed;
        return job;
    }
};

// Thrown by a command for wrong usage that the parser cannot see (exit status 2).
class CUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown when the user declined a question (exit status 1, nothing written).
class CCancelled : public std::runtime_error {
public:
    CCancelled() : std::runtime_error("Cancelled: nothing was written.") {}
};

inline void RequireDone(JobOutcome outcome) {
    if (outcome == JobOutcome::Declined) throw CCancelled();
}
template <class Result>
Result RequireDone(std::optional<Result> result) {
    if (!result) throw CCancelled();
    return std::move(*result);
}

// The DEVICE argument: a card reader, a unit by the name velk3 devices lists, or a card image.
inline CLI::Option* AddDeviceArgument(CLI::App& command, std::string& device) {
    return command.add_option("DEVICE", device, "Card reader (sdb, /dev/sdb), unit name (VELK3) or image file")->required();
}

// The command registrations, one per file.
void RegisterDevicesCommand(CLI::App& app, CliContext& context);
void RegisterListCommand(CLI::App& app, CliContext& context);
void RegisterCardCommands(CLI::App& app, CliContext& context);
void RegisterSchedulesCommand(CLI::App& app, CliContext& context);
void RegisterImageCommand(CLI::App& app, CliContext& context);
void RegisterAddCommand(CLI::App& app, CliContext& context);
void RegisterPackCommand(CLI::App& app, CliContext& context);
void RegisterInfoCommand(CLI::App& app, CliContext& context);
void RegisterFirmwareCommand(CLI::App& app, CliContext& context);
void RegisterRelayCommand(CLI::App& app, CliContext& context);
void RegisterUnitsCommand(CLI::App& app, CliContext& context);
void RegisterBackupCommands(CLI::App& app, CliContext& context);
void RegisterEditCommands(CLI::App& app, CliContext& context);
