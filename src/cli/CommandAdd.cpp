// velk3 add DEVICE FILE.velk…: imports routine files as new last tracks, as the window's Add
// routine command does, with its question before a card that is not a VELK disk is taken over.
#include <exception>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/CardReport.h"
#include "cli/CliContext.h"
#include "cli/DeviceArgument.h"
#include "cli/TerminalProgress.h"
#include "platform/UserPrompt.h"

namespace {

struct AddRequest {
    std::string device;
    std::vector<std::string> files;
};

// Imports the files in order; each one added is noted with its track number as soon as it is on
// the card, so that a failure later on can say what is there already.
void ImportFiles(const AddRequest& request, const CliContext& context, std::vector<std::string>& added) {
    CTerminalProgress progress;
    WithCard(request.device, context, [&](COpenedDevice&, CVelkDisk& disk) {
        if (!disk.IsVelkDisk() && !AskConfirm(question_text::kFormatForeign)) throw CCancelled();
        for (const std::string& file : request.files) {
            disk.ImportRoutineFile(file, &progress, true);
            added.push_back(file + " as track " + std::to_string(disk.GetTracks().size() - 1));
        }
        return 0;
    }, &progress);
}

int AddRoutines(const AddRequest& request, const CliContext& context) {
    std::vector<std::string> added;
    std::exception_ptr failure;
    try {
        ImportFiles(request, context, added);
    } catch (...) {
        // With nothing added the failure says it all; otherwise a second run must not add the
        // same routines again by surprise.
        if (added.empty()) throw;
        failure = std::current_exception();
        std::cerr << "Added before the failure:\n";
        for (const std::string& line : added) std::cerr << "  " << line << "\n";
    }
    // Read back from the card: the list shows what it really holds now.
    WithCard(request.device, context, [&](COpenedDevice&, CVelkDisk& disk) {
        PrintCard(std::cout, request.device, disk);
        return 0;
    }, nullptr, {}, DeviceAccess::Read);
    if (failure) std::rethrow_exception(failure);
    return 0;
}

}  // namespace

void RegisterAddCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("add", "Add routines from .velk routine files to a card");
    auto request = std::make_shared<AddRequest>();
    command->add_option("DEVICE", request->device, "Card reader (sdb, /dev/sdb), unit label or image file")->required();
    command->add_option("FILE", request->files, "Routine files (.velk, version 3), added in this order")
        ->required()
        ->check(CLI::ExistingFile);
    command->callback([&context, request] { context.run = [&context, request] { return AddRoutines(*request, context); }; });
}
