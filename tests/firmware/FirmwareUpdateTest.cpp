// The firmware update from the image file to the messages that end it, on every path, against the
// simulated bootloader. Images are encrypted here with the library's matching encryptor.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <crypto++/default.h>
#include <crypto++/files.h>
#include <crypto++/filters.h>

#include <fstream>

#include "fakes/FakeUsb.h"
#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareUpdate.h"
#include "platform/Exceptions.h"
#include "platform/TempFiles.h"
#include "support/RecordingPrompt.h"

using fakeusb::Fault;

namespace {

constexpr const char* kPassPhrase = "k27m1x9q4ahzp05wnsd63(&%!QWPLM";
constexpr int kDevnum = 9;

std::vector<uint8_t> Pattern(size_t length) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = uint8_t(i * 31 + (i >> 10));
    return bytes;
}

void WriteEncrypted(const std::string& path, const std::vector<uint8_t>& plain, const char* passPhrase = kPassPhrase) {
    CryptoPP::StringSource source(plain.data(), plain.size(), true,
                                  new CryptoPP::LegacyEncryptorWithMAC(passPhrase, new CryptoPP::FileSink(path.c_str(), true)));
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string Closing(bool success) {
    return std::string(success ? "The firmware update was successful. " : "The firmware update FAILED. ") +
           "Follow these instructions to restart the VELK in normal mode:\n\n"
           "1. On the bottom of the VELK, place the dip switch labelled \"U\" to \"OFF\".\n"
           "2. Place the dip switch labelled \"I\" to \"OFF\".\n"
           "3. Press and then release the \"RESET\" pushbutton on the VELK.\n"
           "4. The VELK will reboot in normal mode.";
}

class FirmwareUpdateTest : public testing::Test {
protected:
    void SetUp() override { fakeusb::Reset(); }
    void TearDown() override {
        EXPECT_EQ(fakeusb::OpenHandles(), 0);
        fakeusb::Reset();
    }

    // Runs the update as the faces do; the messages that end it are recorded as they would be shown.
    bool Run(const std::string& path) {
        const CJobControl job(&prompt, &stages);
        const FirmwareEnd end =
            RunFirmwareUpdate([&] { return UpdateFirmware(path, job, [this](int ms) { sleeps.push_back(ms); }); });
        for (const FirmwareMessage& m : end.messages) prompt.messages.push_back({m.text.English(), m.caption, m.icon});
        return end.programmed;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : prompt.messages) texts.push_back(m.caption.empty() ? m.text : m.caption + ": " + m.text);
        return texts;
    }

    CRecordingPrompt prompt;
    CRecordingProgress stages;
    CTempFile image{"ylm"};
    std::vector<int> sleeps;
};

TEST_F(FirmwareUpdateTest, TheWarningTellsHowToPutTheUnitIntoItsBootMode) {
    EXPECT_STREQ(firmware_text::kUpdateCaption, "Firmware Update");
    EXPECT_EQ(
        firmware_text::Warning().English(),
        "We recommend upgrading the VELK firmware only if you have been instructed to do so by Varnholt Software. "
        "Interrupting a firmware update or using a firmware image not provided by Varnholt Software may cause "
        "permanent damage to the VELK. If an upgrade is required, follow these steps:\n\n"
        "1. Apply power to the VELK and attach the USB/PC cable.\n"
        "2. On the bottom of the VELK, place the dip switch labelled \"I\" to \"ON\".\n"
        "3. Press and then release the \"RESET\" pushbutton on the VELK.\n"
        "4. Place the dip switch labeled \"U\" to \"ON\".\n"
        "5. The USB device will be detected by Linux.  The udev rule 60-velk3.rules, installed with VELK3 Manager, "
        "lets you use it without root; see docs/usb.md in the VELK3 Manager documentation for installing the "
        "rule by hand.\n"
        "6. Press OK below.");
}

TEST_F(FirmwareUpdateTest, ASuccessfulUpdateProgramsVerifiesAndProtectsTheChip) {
    const auto firmware = Pattern(40000);
    WriteEncrypted(image.Path(), firmware);
    fakeusb::AddBootloader({});

    EXPECT_TRUE(Run(image.Path()));

    const auto& chip = fakeusb::Bootloader(kDevnum);
    EXPECT_TRUE(std::equal(firmware.begin(), firmware.end(), chip.flash.begin()));
    EXPECT_TRUE(std::all_of(chip.flash.begin() + 40000, chip.flash.end(), [](uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(chip.erases, 0) << "SSB FF: programmed without an erase";
    EXPECT_EQ(chip.configuration.at(0x0100), 0xFF);
    EXPECT_EQ(chip.configuration.at(0x0101), 0xF0);
    EXPECT_EQ(chip.configuration.at(0x0200), 0x7B);
    EXPECT_EQ(chip.configuration.at(0x0105), 0xFC);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Firmware Success: " + Closing(true)});
    EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Information);

    // The chip is secured now: the next update erases it first.
    prompt.messages.clear();
    stages.reports.clear();
    EXPECT_TRUE(Run(image.Path()));
    EXPECT_EQ(fakeusb::Bootloader(kDevnum).erases, 1);
    EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 15000), 1);
    // Each stage shows in the status box, and its blocks (3072 bytes written, 1024 read) in the bar.
    EXPECT_EQ(stages.Texts(), (std::vector<std::string>{"Erasing", "Programming", "Verifying", "Ready"}));
    auto last = [&](JobPhase phase) {
        ProgressReport found;
        for (const auto& report : stages.reports)
            if (report.phase == phase) found = report;
        return found;
    };
    EXPECT_EQ(last(JobPhase::Erasing).total, 0u) << "nothing to count: a busy bar";
    EXPECT_EQ(last(JobPhase::Programming).total, 14u);
    EXPECT_EQ(last(JobPhase::Programming).done, 14u);
    EXPECT_EQ(last(JobPhase::Verifying).total, 40u);
    EXPECT_EQ(last(JobPhase::Verifying).done, 40u);
    EXPECT_EQ(last(JobPhase::Programming).unit, ProgressUnit::Blocks);
    EXPECT_TRUE(std::equal(firmware.begin(), firmware.end(), fakeusb::Bootloader(kDevnum).flash.begin()));
}

struct FailureCase {
    const char* name;
    std::function<void(const std::string& path)> prepare;  // writes the image, sets up the USB world
    const char* message;
    bool usbTraffic;
};

TEST_F(FirmwareUpdateTest, EveryFailureIsShownAndEndsWithTheFailedClosingMessage) {
    const auto attach = [](fakeusb::BootloaderOptions options = {}) { fakeusb::AddBootloader(options); };
    const FailureCase cases[] = {
        {"plain file", [&](const std::string& p) { WriteBytes(p, Pattern(4096)), attach(); }, "Invalid image file.", false},
        {"empty file", [&](const std::string& p) { WriteBytes(p, {}), attach(); }, "Invalid image file.", false},
        {"missing file", [&](const std::string& p) { std::remove(p.c_str()), attach(); }, "Invalid image file.", false},
        {"wrong pass phrase", [&](const std::string& p) { WriteEncrypted(p, Pattern(100), "not the phrase"), attach(); },
         "Invalid image file.", false},
        {"corrupted MAC",
         [&](const std::string& p) {
             WriteEncrypted(p, Pattern(100));
             auto bytes = ReadBytes(p);
             bytes.back() ^= 0x01;
             WriteBytes(p, bytes);
             attach();
         },
         "Invalid image file.", false},
        {"longer than the flash", [&](const std::string& p) { WriteEncrypted(p, Pattern(65537)), attach(); },
         "Invalid image file.", false},
        {"no bootloader", [&](const std::string& p) { WriteEncrypted(p, Pattern(100)); }, "Device not found", false},
        {"incompatible chip",
         [&](const std::string& p) {
             WriteEncrypted(p, Pattern(100));
             fakeusb::BootloaderOptions other;
             other.identification[0x0160] = 0xED;
             attach(other);
         },
         "An incompatible device was found.", true},
        {"flash not verified",
         [&](const std::string& p) {
             WriteEncrypted(p, Pattern(5000));
             attach();
             fakeusb::Inject(Fault::StoreWrongBytes, 1);
         },
         "Flash was not verified.", true},
        {"configuration byte does not stick",
         [&](const std::string& p) {
             WriteEncrypted(p, Pattern(100));
             attach();
             fakeusb::Inject(Fault::ConfigDoesNotStick, 2);
         },
         "Unable to set HSB", true},
        {"claim refused",
         [&](const std::string& p) {
             WriteEncrypted(p, Pattern(100));
             attach();
             fakeusb::Inject(Fault::RefuseClaim);
         },
         "COULD NOT CLAIM INTERFACE", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        prompt.messages.clear();
        c.prepare(image.Path());
        EXPECT_FALSE(Run(image.Path()));
        EXPECT_EQ(Texts(), (std::vector<std::string>{std::string("Firmware Error: ") + c.message,
                                                     "Firmware Error: " + Closing(false)}));
        EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Warning);
        EXPECT_EQ(prompt.messages[1].icon, MessageIcon::Warning);
        EXPECT_EQ(!fakeusb::Transfers().empty(), c.usbTraffic);
        if (std::string(c.message) == "Invalid image file.") {
            EXPECT_TRUE(fakeusb::WireLog().empty()) << "not even opened";
        }
        TearDown();
    }
}

TEST_F(FirmwareUpdateTest, AnEmptyImageWritesNothingAndSucceeds) {
    WriteEncrypted(image.Path(), {});
    fakeusb::AddBootloader({});
    EXPECT_TRUE(Run(image.Path()));
    EXPECT_TRUE(std::all_of(fakeusb::Bootloader(kDevnum).flash.begin(), fakeusb::Bootloader(kDevnum).flash.end(),
                            [](uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(fakeusb::Bootloader(kDevnum).configuration.at(0x0105), 0xFC);
    for (const auto& event : fakeusb::Transfers()) EXPECT_NE(event.data.size() > 0 ? event.data[0] : 0, 0x01) << "no program block";
    EXPECT_EQ(Texts().back(), "Firmware Success: " + Closing(true));
}

TEST_F(FirmwareUpdateTest, AnImageFillingTheWholeFlashIsAccepted) {
    const auto firmware = Pattern(65536);
    WriteEncrypted(image.Path(), firmware);
    EXPECT_EQ(DecryptFirmwareImage(image.Path()), firmware);
    fakeusb::AddBootloader({});
    EXPECT_TRUE(Run(image.Path()));
    EXPECT_EQ(fakeusb::Bootloader(kDevnum).flash, firmware);
}

TEST_F(FirmwareUpdateTest, AReleaseThatFailsAtTheEndIsReportedBeforeTheClosingMessage) {
    WriteEncrypted(image.Path(), Pattern(100));
    fakeusb::AddBootloader({});
    fakeusb::Inject(Fault::RefuseRelease);
    EXPECT_TRUE(Run(image.Path())) << "the chip was programmed, verified and protected";
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Firmware Error: COULD NOT RELEASE INTERFACE",
                                                 "Firmware Success: " + Closing(true)}));
}

}  // namespace
