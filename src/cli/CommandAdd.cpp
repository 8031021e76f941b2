// velk3 add DEVICE FILE.velk…: imports routine files as new last tracks, as the window's Add
// routine command does, with its question before a card that is not a VELK disk is taken over.
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

// Read back from the card: the list shows what it really holds now, also after a failure (whose
// message names the routines it added before). A card that cannot be read then shows nothing: the
// failure says it all.
void PrintCardAsItIs(const AddRequest& request, const CliContext& context, bool afterFailure) {
    try {
        PrintCard(std::cout, request.device, job::ListCard(context.Job(request.device)));
    } catch (const CVelkException&) {
        if (!afterFailure) throw;
    }
}

int AddRoutines(const AddRequest& request, const CliContext& context) {
    try {
        CTerminalProgress progress;
        JobContext job = context.Job(request.device, &progress);
        job.verifyWrites = !request.noVerify;
        RequireDone(job::AddRoutines(job, request.files));
    } catch (const CVelkException&) {
        PrintCardAsItIs(request, context, true);
        throw;
    }
    PrintCardAsItIs(request, context, false);
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
