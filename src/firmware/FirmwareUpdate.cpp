#include "firmware/FirmwareUpdate.h"

#include <algorithm>
#include <cstring>

#include "firmware/FirmwareImage.h"
#include "platform/Exceptions.h"

using namespace firmware_text;

namespace {

// Each line a text of its own, so a translator sees one step at a time.
MessageText JoinLines(std::initializer_list<const char*> lines) {
    MessageText text;
    bool first = true;
    for (const char* line : lines) {
        if (!first) text += "\n";
        text += line;
        first = false;
    }
    return text;
}

void ShowStage(const CJobControl& job, JobPhase stage, int blocks) { job.Begin(stage, ProgressUnit::Blocks, uint64_t(blocks)); }

int BlockCount(int32_t length, int blockSize) { return int((length + blockSize - 1) / blockSize); }

// Block by block, as WriteFlash and VerifyFlash would send them, so the blocks can be counted.
void WriteBlocks(CBootloaderDevice& bootloader, const std::vector<uint8_t>& image, const CJobControl& job) {
    constexpr int kBlock = bootloader_command::kProgramBlockSize;
    const auto length = int32_t(image.size());
    ShowStage(job, JobPhase::Programming, BlockCount(length, kBlock));
    for (int32_t start = 0; start < length; start += kBlock) {
        bootloader.WriteFlash(start, std::min<int32_t>(kBlock, length - start), image.data() + start);
        job.Advance();
    }
}

bool VerifyBlocks(CBootloaderDevice& bootloader, const std::vector<uint8_t>& image, const CJobControl& job) {
    constexpr int kBlock = bootloader_command::kReadBlockSize;
    const auto length = int32_t(image.size());
    ShowStage(job, JobPhase::Verifying, BlockCount(length, kBlock));
    std::vector<uint8_t> flash(static_cast<size_t>(kBlock));
    for (int32_t start = 0; start < length; start += kBlock) {
        const int32_t block = std::min<int32_t>(kBlock, length - start);
        bootloader.ReadFlash(start, block, flash.data());
        if (std::memcmp(flash.data(), image.data() + start, size_t(block)) != 0) return false;
        job.Advance();
    }
    return true;
}

void Program(CBootloaderDevice& bootloader, const std::vector<uint8_t>& image, const CJobControl& job) {
    if (!bootloader.IsCompatible()) throw CUsbDeviceException(kIncompatible);
    if (bootloader.IsSecured()) {
        ShowStage(job, JobPhase::Erasing, 0);  // nothing to count for 15 s: an empty range shows a busy bar
        bootloader.Erase();
    }
    WriteBlocks(bootloader, image, job);
    if (!VerifyBlocks(bootloader, image, job)) throw CUsbDeviceException(kNotVerified);
    bootloader.SetConfigurationBytes(true);
}

FirmwareUpdated ProgramImage(const std::string& imagePath, const CJobControl& job, Sleeper sleep) {
    const std::vector<uint8_t> image = DecryptFirmwareImage(imagePath);
    CBootloaderDevice bootloader(std::move(sleep));
    try {
        Program(bootloader, image, job);
    } catch (const CUsbDeviceException& e) {
        // The chip is programmed or not by now; a release that fails as well is still worth knowing.
        try {
            bootloader.Close();
        } catch (const CUsbDeviceException& release) {
            throw CUsbDeviceException(e.Text() + "\n" + release.Text());
        }
        throw;
    }
    FirmwareUpdated updated;
    try {
        bootloader.Close();
    } catch (const CUsbDeviceException& e) {
        updated.releaseFailure = e.Text();
    }
    return updated;
}

}  // namespace

MessageText firmware_text::Warning() {
    return JoinLines({
        VELK3_TRANSLATE_NOOP(
            "velk3core",
            "We recommend upgrading the VELK firmware only if you have been instructed to do so by Varnholt Software. "
            "Interrupting a firmware update or using a firmware image not provided by Varnholt Software may cause "
            "permanent damage to the VELK. If an upgrade is required, follow these steps:"),
        "",
        VELK3_TRANSLATE_NOOP("velk3core", "1. Apply power to the VELK and attach the USB/PC cable."),
        VELK3_TRANSLATE_NOOP("velk3core",
                             "2. On the bottom of the VELK, place the dip switch labelled \"I\" to \"ON\"."),
        VELK3_TRANSLATE_NOOP("velk3core", "3. Press and then release the \"RESET\" pushbutton on the VELK."),
        VELK3_TRANSLATE_NOOP("velk3core", "4. Place the dip switch labeled \"U\" to \"ON\"."),
        VELK3_TRANSLATE_NOOP(
            "velk3core",
            "5. The USB device will be detected by Linux.  The udev rule 60-velk3.rules, installed with VELK3 Manager, "
            "lets you use it without root; see docs/usb.md in the VELK3 Manager documentation for installing the rule "
            "by hand."),
        VELK3_TRANSLATE_NOOP("velk3core", "6. Press OK below."),
    });
}

MessageText firmware_text::RestartInstructions() {
    return JoinLines({
        VELK3_TRANSLATE_NOOP("velk3core", "Follow these instructions to restart the VELK in normal mode:"),
        "",
        VELK3_TRANSLATE_NOOP("velk3core",
                             "1. On the bottom of the VELK, place the dip switch labelled \"U\" to \"OFF\"."),
        VELK3_TRANSLATE_NOOP("velk3core", "2. Place the dip switch labelled \"I\" to \"OFF\"."),
        VELK3_TRANSLATE_NOOP("velk3core", "3. Press and then release the \"RESET\" pushbutton on the VELK."),
        VELK3_TRANSLATE_NOOP("velk3core", "4. The VELK will reboot in normal mode."),
    });
}

FirmwareUpdated UpdateFirmware(const std::string& imagePath, const CJobControl& job, Sleeper sleep) {
    try {
        const FirmwareUpdated updated = ProgramImage(imagePath, job, std::move(sleep));
        job.Ready();
        return updated;
    } catch (...) {
        job.Ready();
        throw;
    }
}

FirmwareEnd RunFirmwareUpdate(const std::function<FirmwareUpdated()>& update) {
    FirmwareEnd end;
    MessageText problem;
    try {
        problem = update().releaseFailure;
        end.programmed = true;
    } catch (const CVelkException& e) {
        problem = e.Text();
    }
    if (!problem.Empty()) end.messages.push_back({problem, kErrorCaption, MessageIcon::Warning});
    if (end.programmed)
        end.messages.push_back(
            {MessageText(kSucceeded) + RestartInstructions(), kSuccessCaption, MessageIcon::Information});
    else
        end.messages.push_back({MessageText(kFailed) + RestartInstructions(), kErrorCaption, MessageIcon::Warning});
    return end;
}
