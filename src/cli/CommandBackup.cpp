// velk3 backup DEVICE FILE and velk3 restore FILE DEVICE: a card to a sparse image and back,
// the restore verified by reading the card again after it was closed (and so flushed).
#include <iostream>

#include "cli/CliContext.h"
#include "cli/TerminalProgress.h"
#include "operations/CardCopyJobs.h"

namespace {

struct CopyRequest {
    std::string device;
    std::string file;
};

int Backup(const CopyRequest& request, const CliContext& context) {
    CopySummary copied;
    {
        CTerminalProgress progress;
        copied = job::Backup(context.Job(request.device, &progress), request.file);
    }
    std::cout << CopySummaryText(copy_text::kBackedUp, request.file, copied) << "\n";
    return 0;
}

int Restore(const CopyRequest& request, const CliContext& context) {
    CopySummary copied;
    {
        CTerminalProgress progress;
        copied = RequireDone(job::Restore(context.Job(request.device, &progress), request.file));
    }
    std::cout << CopySummaryText(copy_text::kRestored, request.file, copied) << "\n";
    return 0;
}

void AddCopyCommand(CLI::App& app, CliContext& context, bool backup) {
    auto request = std::make_shared<CopyRequest>();
    auto* command = backup ? app.add_subcommand("backup", "Copy a card to a (sparse) card image file")
                           : app.add_subcommand("restore", "Write a card image back to a card, then verify it");
    if (backup) {
        AddDeviceArgument(*command, request->device);
        command->add_option("FILE", request->file, "The image file to create (must not exist)")->required();
    } else {
        command->add_option("FILE", request->file, "A card image made by velk3 backup")->required()->check(CLI::ExistingFile);
        AddDeviceArgument(*command, request->device);
    }
    command->callback([&context, request, backup] {
        context.run = [&context, request, backup] { return backup ? Backup(*request, context) : Restore(*request, context); };
    });
}

}  // namespace

void RegisterBackupCommands(CLI::App& app, CliContext& context) {
    AddCopyCommand(app, context, true);
    AddCopyCommand(app, context, false);
}
