// velk3: everything VELK3 Manager does, from a terminal or a script.
// Exit status: 0 done, 1 the operation failed (message on standard error), 2 wrong usage, 129, 130
// and 143 stopped by SIGHUP, SIGINT and SIGTERM.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/CliContext.h"
#include "cli/SignalStop.h"
#include "cli/TerminalPrompt.h"
#include "platform/BuildInfo.h"
#include "platform/Exceptions.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void RegisterCommands(CLI::App& app, CliContext& context) {
    RegisterDevicesCommand(app, context);
    RegisterListCommand(app, context);
    RegisterCardCommands(app, context);
    RegisterSchedulesCommand(app, context);
    RegisterImageCommand(app, context);
    RegisterAddCommand(app, context);
    RegisterPackCommand(app, context);
    RegisterInfoCommand(app, context);
    RegisterFirmwareCommand(app, context);
    RegisterRelayCommand(app, context);
    RegisterUnitsCommand(app, context);
    RegisterBackupCommands(app, context);
    RegisterEditCommands(app, context);
}

// Runs the chosen command and shows its one failure.
int RunCommand(const CliContext& context) {
    try {
        return context.run ? context.run() : kExitUsage;
    } catch (const CUsageError& e) {
        std::cerr << "velk3: " << e.what() << "\n";
        return kExitUsage;
    } catch (const CCancelled& e) {
        std::cerr << e.what() << "\n";
    } catch (const CVelkException& e) {
        if (!e.Summary().Empty()) std::cerr << e.Summary().English() << "\n";
        std::cerr << e.Message() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "velk3: " << e.what() << "\n";
    }
    return kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
    const CSignalStop signals;  // before any thread, which inherits the blocked signals
    CLI::App app{"VELK3 Manager on the command line: cards, card images, routines and schedules."};
    app.require_subcommand(1);
    app.fallthrough();
    app.set_version_flag("--version", std::string("velk3 ") + kVelk3Version);
    CliContext context;
    context.paths = SystemPathsFromEnvironment();
    context.stop = signals.Token();
    app.add_flag("-y,--yes", context.yes, "Answer Yes to every question");
    app.add_flag("--allow-fixed", context.allowFixed, "Allow a /dev path that is not a removable card reader");
    RegisterCommands(app, context);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kExitUsage;
    }

    CTerminalPrompt prompt(context.yes, context.stop);
    context.questions = &prompt;
    const int status = RunCommand(context);
    // A command that did not finish after a signal ended because of it (a job that was past its
    // last point to stop finished, and says so with 0).
    return status != 0 && signals.Signal() != 0 ? ExitStatusForSignal(signals.Signal()) : status;
}
