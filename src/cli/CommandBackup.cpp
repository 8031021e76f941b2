// velk3 backup DEVICE FILE and velk3 restore FILE DEVICE: a card to a sparse image and back,
// the restore verified by reading the card again after it was closed (and so flushed).
#include <cstdio>
#include <iostream>

#include "cli/CliContext.h"
#include "cli/DeviceArgument.h"
#include "cli/TerminalProgress.h"
#include "devices/ImageFile.h"
#include "disk/CardCopy.h"
#include "platform/Exceptions.h"
#include "platform/UserPrompt.h"

namespace {

struct CopyRequest {
    std::string device;
    std::string file;
};

// A unit knows its card's size only after identifying it; drives and images know it at once.
uint32_t CardSectors(COpenedDevice& card, const std::string& name) {
    if (!card.Device().Identify())
        throw CUsbDeviceException("The VELK did not confirm its identify data (the checksum never matched).");
    const uint32_t sectors = card.Device().GetSectorCount();
    if (sectors == 0) throw CUsbDeviceException(name + " does not report the size of its card.");
    return sectors;
}

int Backup(const CopyRequest& request, const CliContext& context) {
    CTerminalProgress progress;
    COpenedDevice card = OpenDeviceArgument(request.device, context, DeviceAccess::Read);
    const uint32_t cardSectors = CardSectors(card, request.device);
    CImageFile::Create(request.file, cardSectors);
    uint32_t used = 0;
    try {
        CImageFile image;
        image.Open(CImageFile::EntryFor(request.file));
        used = BackupCard(card.Device(), image, {&progress, &progress});
        image.Close();
    } catch (...) {
        std::remove(request.file.c_str());  // half an image would restore as a broken card
        throw;
    }
    card.Close();
    std::cout << request.device << " backed up to " << request.file << " (" << used << " of " << cardSectors
              << " sectors in use).\n";
    return 0;
}

int Restore(const CopyRequest& request, const CliContext& context) {
    CTerminalProgress progress;
    CImageFile image;
    image.Open(CImageFile::EntryFor(request.file));
    const uint32_t sectors = RestoreNeeds(image);
    {
        COpenedDevice card = OpenDeviceArgument(request.device, context, DeviceAccess::ReadWrite);
        CardSectors(card, request.device);  // a unit learns its card's size here
        CheckCardRoom(sectors, card.Device());
        if (!AskConfirm(question_text::kRestore)) throw CCancelled();
        RestoreCard(image, card.Device(), sectors, {&progress, &progress});
        card.Close();
    }
    // A fresh open reads what reached the card, not what this process still holds in memory.
    COpenedDevice card = OpenDeviceArgument(request.device, context, DeviceAccess::Read);
    VerifyCard(image, card.Device(), sectors, {&progress, &progress});
    card.Close();
    image.Close();
    std::cout << request.file << " restored to " << request.device << " and verified (" << sectors << " sectors).\n";
    return 0;
}

void AddCopyCommand(CLI::App& app, CliContext& context, bool backup) {
    auto request = std::make_shared<CopyRequest>();
    auto* command = backup ? app.add_subcommand("backup", "Copy a card to a (sparse) card image file")
                           : app.add_subcommand("restore", "Write a card image back to a card, then verify it");
    const char* deviceHelp = "Card reader (sdb, /dev/sdb), unit label or image file";
    if (backup) {
        command->add_option("DEVICE", request->device, deviceHelp)->required();
        command->add_option("FILE", request->file, "The image file to create (must not exist)")->required();
    } else {
        command->add_option("FILE", request->file, "A card image made by velk3 backup")->required()->check(CLI::ExistingFile);
        command->add_option("DEVICE", request->device, deviceHelp)->required();
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
