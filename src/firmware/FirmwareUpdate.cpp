#include "firmware/FirmwareUpdate.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "firmware/FirmwareImage.h"
#include "platform/Exceptions.h"

using namespace firmware_text;

namespace {

std::string JoinLines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) text += (text.empty() ? "" : "\n") + std::string(line);
    return text;
}

// Puts the arrow back on every path, also when something unexpected escapes.
class CBusyCursor {
public:
    explicit CBusyCursor(const std::function<void(bool)>& show) : m_show(show) { Set(true); }
    ~CBusyCursor() { Restore(); }
    void Restore() {
        if (m_busy) Set(false);
    }

private:
    void Set(bool busy) {
        m_busy = busy;
        if (m_show) m_show(busy);
    }
    const std::function<void(bool)>& m_show;
    bool m_busy = false;
};

void Tell(const FirmwareUpdateFaces& faces, const std::string& text, const char* caption, MessageIcon icon) {
    if (faces.job) faces.job->Tell(text, caption, icon);
}

void ShowError(const FirmwareUpdateFaces& faces, const std::string& text) {
    Tell(faces, text, kErrorCaption, MessageIcon::Warning);
}

void ShowStage(const FirmwareUpdateFaces& faces, JobPhase stage, int blocks) {
    if (faces.job) faces.job->Begin(stage, ProgressUnit::Blocks, uint64_t(blocks));
}

void StepBlock(const FirmwareUpdateFaces& faces) {
    if (faces.job) faces.job->Advance();
}

int BlockCount(int32_t length, int blockSize) { return int((length + blockSize - 1) / blockSize); }

// Block by block, as WriteFlash and VerifyFlash would send them, so the blocks can be counted.
void WriteBlocks(CBootloaderDevice& bootloader, const std::vector<uint8_t>& image, const FirmwareUpdateFaces& faces) {
    constexpr int kBlock = bootloader_command::kProgramBlockSize;
    const auto length = int32_t(image.size());
    ShowStage(faces, JobPhase::Programming, BlockCount(length, kBlock));
    for (int32_t start = 0; start < length; start += kBlock) {
        bootloader.WriteFlash(start, std::min<int32_t>(kBlock, length - start), image.data() + start);
        StepBlock(faces);
    }
}

bool VerifyBlocks(CBootloaderDevice& bootloader, const std::vector<uint8_t>& image, const FirmwareUpdateFaces& faces) {
    constexpr int kBlock = bootloader_command::kReadBlockSize;
    const auto length = int32_t(image.size());
    ShowStage(faces, JobPhase::Verifying, BlockCount(length, kBlock));
    std::vector<uint8_t> flash(static_cast<size_t>(kBlock));
    for (int32_t start = 0; start < length; start += kBlock) {
        const int32_t block = std::min<int32_t>(kBlock, length - start);
        bootloader.ReadFlash(start, block, flash.data());
        if (std::memcmp(flash.data(), image.data() + start, size_t(block)) != 0) return false;
        StepBlock(faces);
    }
    return true;
}

void Program(CBootloaderDevice& bootloader, const std::vector<uint8_t>& image, const FirmwareUpdateFaces& faces) {
    if (!bootloader.IsCompatible()) throw CUsbDeviceException(kIncompatible);
    if (bootloader.IsSecured()) {
        ShowStage(faces, JobPhase::Erasing, 0);  // nothing to count for 15 s: an empty range shows a busy bar
        bootloader.Erase();
    }
    WriteBlocks(bootloader, image, faces);
    if (!VerifyBlocks(bootloader, image, faces)) throw CUsbDeviceException(kNotVerified);
    bootloader.SetConfigurationBytes(true);
}

}  // namespace

std::string firmware_text::Warning() {
    return JoinLines({
        "We recommend upgrading the VELK firmware only if you have been instructed to do so by Varnholt Software. "
        "Interrupting a firmware update or using a firmware image not provided by Varnholt Software may cause "
        "permanent damage to the VELK. If an upgrade is required, follow these steps:",
        "",
        "1. Apply power to the VELK and attach the USB/PC cable.",
        "2. On the bottom of the VELK, place the dip switch labelled \"I\" to \"ON\".",
        "3. Press and then release the \"RESET\" pushbutton on the VELK.",
        "4. Place the dip switch labeled \"U\" to \"ON\".",
        "5. The USB device will be detected by Linux.  The udev rule 60-velk3.rules, installed with VELK3 Manager, "
        "lets you use it without root; see docs/usb.md in the VELK3 Manager documentation for installing the rule "
        "by hand.",
        "6. Press OK below.",
    });
}

std::string firmware_text::RestartInstructions() {
    return JoinLines({
        "Follow these instructions to restart the VELK in normal mode:",
        "",
        "1. On the bottom of the VELK, place the dip switch labelled \"U\" to \"OFF\".",
        "2. Place the dip switch labelled \"I\" to \"OFF\".",
        "3. Press and then release the \"RESET\" pushbutton on the VELK.",
        "4. The VELK will reboot in normal mode.",
    });
}

bool RunFirmwareUpdate(const FirmwareUpdateFaces& faces) {
    Tell(faces, Warning(), kUpdateCaption, MessageIcon::Error);
    const std::optional<std::string> path = faces.chooseImage ? faces.chooseImage() : std::nullopt;
    if (!path) return false;

    CBusyCursor cursor(faces.showBusy);
    bool success = false;
    std::unique_ptr<CBootloaderDevice> bootloader;
    try {
        const std::vector<uint8_t> image = DecryptFirmwareImage(*path);
        bootloader = std::make_unique<CBootloaderDevice>(faces.sleep);
        Program(*bootloader, image, faces);
        success = true;
    } catch (const CUsbDeviceException& e) {
        ShowError(faces, e.Message());
    }
    cursor.Restore();
    if (bootloader) {
        // The chip is programmed or not by now; a release that fails is still worth knowing.
        try {
            bootloader->Close();
        } catch (const CUsbDeviceException& e) {
            ShowError(faces, e.Message());
        }
        bootloader.reset();
    }
    if (success)
        Tell(faces, kSucceeded + RestartInstructions(), kSuccessCaption, MessageIcon::Information);
    else
        Tell(faces, kFailed + RestartInstructions(), kErrorCaption, MessageIcon::Warning);
    return success;
}
