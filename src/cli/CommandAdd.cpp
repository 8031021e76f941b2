// velk3 add DEVICE FILE.velk…: imports routine files as new last tracks, as the window's Add
// routine command does, with its question before a card that is not a VELK disk is taken over.
#include <exception>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/CardReport.h"
#include "cli/CliContext.h"
#include "cli/TerminalProgress.h"
#include "operations/AddRoutines.h"

namespace {

struct AddRequest {
    std::string device;
    std::vector<std::string> files;
    bool noVerify = false;
};

// A second run must not add the same routines again by surprise: the user learns which are on
// the card already.
void TellAdded(const std::vector<AddedRoutine>& added, const std::exception_ptr& failure) {
    bool stopped = false;
    try {
        std::rethrow_exception(failure);
    } catch (const CJobStopped&) {
        stopped = true;
    } catch (...) {
    }
    std::cerr << (stopped ? "Added before the stop:\n" : "Added before the failure:\n");
    for (const AddedRoutine& routine : added) std::cerr << "  " << routine.file << " as track " << routine.track << "\n";
}

int AddRoutines(const AddRequest& request, const CliContext& context) {
    std::vector<AddedRoutine> added;
    std::exception_ptr failure;
    try {
        CTerminalProgress progress;
        JobContext job = context.Job(request.device, &progress);
        job.verifyWrites = !request.noVerify;
        RequireDone(job::AddRoutines(job, request.files, added));
    } catch (...) {
        // With nothing added the failure says it all.
        if (added.empty()) throw;
        failure = std::current_exception();
        TellAdded(added, failure);
    }
    // Read back from the card: the list shows what it really holds now.
    PrintCard(std::cout, request.device, job::ListCard(context.Job(request.device)));
    if (failure) std::rethrow_exception(failure);
    return 0;
}

}  // namespace

void RegisterAddCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("add", "Add routines from .velk routine files to a card");
    auto request = std::make_shared<AddRequest>();
    AddDeviceArgument(*command, request->device);
    command->add_option("FILE", request->files, "Routine files (.velk, version 3), added in this order")
        ->required()
        ->check(CLI::ExistingFile);
    command->add_flag("--no-verify", request->noVerify,
                      "Do not read back what was written (faster; a card that loses writes goes unnoticed)");
    command->callback([&context, request] { context.run = [&context, request] { return AddRoutines(*request, context); }; });
}
