// The bootloader protocol against the simulated chip: request fields and counter, block
// splitting, status handling, the bounded waits and the configuration bytes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "fakes/FakeUsb.h"
#include "firmware/BootloaderDevice.h"
#include "platform/Exceptions.h"

using fakeusb::Fault;
using fakeusb::WireEvent;
using testing::ElementsAre;
using testing::StartsWith;

namespace {

constexpr int kDevnum = 9;

class BootloaderDeviceTest : public testing::Test {
protected:
    void SetUp() override { fakeusb::Reset(); }
    void TearDown() override {
        EXPECT_EQ(fakeusb::OpenHandles(), 0) << "a handle was left open";
        fakeusb::Reset();
    }

    std::unique_ptr<CBootloaderDevice> Attach(const fakeusb::BootloaderOptions& options = {}) {
        fakeusb::AddBootloader(options);
        auto device = std::make_unique<CBootloaderDevice>([this](int ms) { sleeps.push_back(ms); });
        fakeusb::ClearWireLog();
        return device;
    }

    static std::vector<WireEvent> Requests(int request) {
        std::vector<WireEvent> found;
        for (const auto& event : fakeusb::Transfers())
            if (event.request == request) found.push_back(event);
        return found;
    }

    std::vector<int> sleeps;
};

std::vector<uint8_t> Pattern(size_t length) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = uint8_t(i * 13 + (i >> 8));
    return bytes;
}

TEST_F(BootloaderDeviceTest, WithoutABootloaderEveryOperationFailsWithDeviceNotFound) {
    CBootloaderDevice device([](int) {});
    EXPECT_FALSE(device.IsOpen());
    uint8_t buffer[4] = {};
    const std::vector<std::function<void()>> operations = {
        [&] { device.WaitForIdle(); },
        [&] { device.ReadConfiguration(0x0105); },
        [&] { device.WriteConfiguration(0x0105, 0xFF); },
        [&] { device.ReadFlash(0, 4, buffer); },
        [&] { device.ReadFlash(0, 0, buffer); },
        [&] { device.WriteFlash(0, 4, buffer); },
        [&] { device.Erase(); },
        [&] { device.IsCompatible(); },
        [&] { device.VerifyFlash(buffer, 4); },
    };
    for (size_t i = 0; i < operations.size(); ++i) {
        try {
            operations[i]();
            ADD_FAILURE() << "operation " << i << " succeeded";
        } catch (const CUsbDeviceException& e) {
            EXPECT_STREQ(e.Message(), "Device not found") << i;
        }
    }
    EXPECT_TRUE(fakeusb::WireLog().empty());
}

TEST_F(BootloaderDeviceTest, DownloadsAndUploadsCountDownFromFFFFAndStatusCarriesZero) {
    auto device = Attach();
    EXPECT_EQ(device->ReadConfiguration(0x0000), 0x62);
    device->WriteFlash(0, 1, Pattern(1).data());
    const auto lines = fakeusb::DescribeTransfers();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "control 21 01 FFFF 0000 len=3 t=200 -> 3 [05 00 00]");
    EXPECT_EQ(lines[1], "control A1 03 0000 0000 len=6 t=200 -> 6 [00 00 00 00 02 00]");
    EXPECT_EQ(lines[2], "control A1 02 FFFE 0000 len=1 t=200 -> 1 [62]");
    const auto program = fakeusb::Transfers()[3];
    EXPECT_EQ(program.request, 1);
    EXPECT_EQ(program.value, 0xFFFD);
    EXPECT_EQ(program.length, 1 + 48);
    EXPECT_EQ(program.timeout, 10000);
    EXPECT_EQ(lines.back(), "control A1 03 0000 0000 len=6 t=200 -> 6 [00 00 00 00 04 00]")
        << "one status after each program block, busy or not";
}

TEST_F(BootloaderDeviceTest, ReadsSplitInto1024ByteBlocks) {
    auto device = Attach();
    auto& flash = fakeusb::Bootloader(kDevnum).flash;
    const auto content = Pattern(flash.size());
    flash = content;

    std::vector<uint8_t> read(1025);
    EXPECT_TRUE(device->ReadFlash(0, 1025, read.data()));
    EXPECT_TRUE(std::equal(read.begin(), read.end(), content.begin()));
    const auto commands = Requests(1);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(fakeusb::Describe(commands[0]), "control 21 01 FFFF 0000 len=6 t=10000 -> 6 [03 00 00 00 03 FF]");
    EXPECT_EQ(fakeusb::Describe(commands[1]), "control 21 01 FFFD 0000 len=6 t=10000 -> 6 [03 00 04 00 04 00]");
    const auto uploads = Requests(2);
    ASSERT_EQ(uploads.size(), 2u);
    EXPECT_EQ(uploads[0].length, 1024);
    EXPECT_EQ(uploads[1].length, 1);
    EXPECT_TRUE(Requests(3).empty()) << "no status between read blocks";

    fakeusb::ClearWireLog();
    EXPECT_TRUE(device->ReadFlash(0, 0, read.data()));
    EXPECT_TRUE(device->WriteFlash(0, 0, read.data()));
    EXPECT_TRUE(device->VerifyFlash(read.data(), 0));
    EXPECT_TRUE(fakeusb::Transfers().empty()) << "nothing to move, nothing sent";
}

TEST_F(BootloaderDeviceTest, AFullFlashIsProgrammedIn22BlocksOfAtMost3072Bytes) {
    auto device = Attach();
    const auto image = Pattern(65536);
    EXPECT_TRUE(device->WriteFlash(image.data(), int32_t(image.size())));
    EXPECT_EQ(fakeusb::Bootloader(kDevnum).flash, image);
    const auto blocks = Requests(1);
    ASSERT_EQ(blocks.size(), 22u);
    for (size_t i = 0; i < 21; ++i) EXPECT_EQ(blocks[i].length, 3072 + 48) << i;
    EXPECT_EQ(blocks[21].length, 1024 + 48);
    // The last block's prefix: 01 00 FC00 FFFF, then zeros up to byte 32; the suffix is zeros.
    ASSERT_EQ(blocks[21].data.size(), 1072u);
    const std::vector<uint8_t> prefix(blocks[21].data.begin(), blocks[21].data.begin() + 32);
    std::vector<uint8_t> expected(32, 0);
    expected[0] = 0x01, expected[2] = 0xFC, expected[3] = 0x00, expected[4] = 0xFF, expected[5] = 0xFF;
    EXPECT_EQ(prefix, expected);
    EXPECT_TRUE(std::all_of(blocks[21].data.end() - 16, blocks[21].data.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::equal(blocks[21].data.begin() + 32, blocks[21].data.end() - 16, image.begin() + 0xFC00));
}

TEST_F(BootloaderDeviceTest, AShortStatusAnswerIsAnError) {
    auto device = Attach();
    fakeusb::Inject(Fault::ShortGetStatus);
    try {
        device->WaitForIdle();
        FAIL() << "no exception";
    } catch (const CUsbDeviceException& e) {
        EXPECT_THAT(e.Message(), StartsWith("GetStatus error (err = 5, "));
    }
}

TEST_F(BootloaderDeviceTest, StatusOkInAStateOtherThanIdleIsNotIdle) {
    fakeusb::BootloaderOptions stuck;
    stuck.stuckState = 5;
    stuck.pollTimeoutMs = 7;
    auto device = Attach(stuck);
    EXPECT_FALSE(device->WaitForIdle());
    EXPECT_THAT(sleeps, ElementsAre(7)) << "the poll time-out the status asked for";

    sleeps.clear();
    try {
        device->Erase();
        FAIL() << "erased";
    } catch (const CUsbDeviceException& e) {
        EXPECT_STREQ(e.Message(), "Erase failed");
    }
    EXPECT_THAT(sleeps, ElementsAre(7, 15000, 7));
    EXPECT_EQ(fakeusb::Describe(Requests(1).at(0)), "control 21 01 FFFF 0000 len=3 t=2000 -> 3 [04 00 FF]");
}

TEST_F(BootloaderDeviceTest, ReadConfigurationStopsWaitingForIdleAfterAFewSeconds) {
    fakeusb::BootloaderOptions stuck;
    stuck.stuckState = 5;
    auto device = Attach(stuck);
    try {
        device->ReadConfiguration(0x0105);
        FAIL() << "read";
    } catch (const CUsbDeviceException& e) {
        EXPECT_EQ(std::string(e.Message()),
                  "ReadConfiguration error (err = " + std::to_string(-ETIMEDOUT) + ", the bootloader did not become idle)");
    }
    const int polled = int(std::count(sleeps.begin(), sleeps.end(), 20));
    EXPECT_EQ(polled, 250) << "5 s of 20 ms polls";
    EXPECT_TRUE(Requests(2).empty()) << "no upload without idle";
}

TEST_F(BootloaderDeviceTest, WriteConfigurationWaitsOutTheBusyStateButNotForever) {
    auto device = Attach([] {
        fakeusb::BootloaderOptions slow;
        slow.busyPolls = 3;
        return slow;
    }());
    device->WriteConfiguration(0x0100, 0x12);
    EXPECT_EQ(fakeusb::Bootloader(kDevnum).configuration[0x0100], 0x12);
    EXPECT_EQ(Requests(3).size(), 5u) << "three busy answers, one not busy, one idle check";
    EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 100), 4);

    fakeusb::Reset();
    sleeps.clear();
    fakeusb::BootloaderOptions busy;
    busy.stuckState = 4;
    auto stuck = Attach(busy);
    try {
        stuck->WriteConfiguration(0x0100, 0x12);
        FAIL() << "written";
    } catch (const CUsbDeviceException& e) {
        EXPECT_STREQ(e.Message(), "Unable to configure device properly.");
    }
    EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 100), 50);
}

TEST_F(BootloaderDeviceTest, SecuredMeansSsbOtherThanFF) {
    for (bool secured : {false, true}) {
        SetUp();
        fakeusb::BootloaderOptions options;
        options.secured = secured;
        auto device = Attach(options);
        EXPECT_EQ(device->IsSecured(), secured);
        EXPECT_EQ(fakeusb::Describe(Requests(1).at(0)), "control 21 01 FFFF 0000 len=3 t=200 -> 3 [05 01 05]");
        device.reset();
        TearDown();
    }
}

TEST_F(BootloaderDeviceTest, CompatibilityNeedsAllFiveIdentificationBytes) {
    const std::pair<uint16_t, uint8_t> wrong[] = {{0, 0}, {0x0000, 0x61}, {0x0130, 0x1E}, {0x0131, 0x00}, {0x0160, 0xED}, {0x0161, 0xFE}};
    for (const auto& [code, value] : wrong) {
        SetUp();
        fakeusb::BootloaderOptions options;
        if (code || value) options.identification[code] = value;
        auto device = Attach(options);
        EXPECT_EQ(device->IsCompatible(), code == 0 && value == 0) << std::hex << code;
        EXPECT_EQ(Requests(1).size(), 5u) << "all five are read";
        device.reset();
        TearDown();
    }
}

TEST_F(BootloaderDeviceTest, ConfigurationBytesAreWrittenInOrderAndStopAtOneThatDoesNotStick) {
    auto device = Attach();
    device->SetConfigurationBytes(true);
    std::vector<std::vector<uint8_t>> writes;
    for (const auto& event : Requests(1))
        if (event.data.size() == 4) writes.push_back(event.data);
    EXPECT_THAT(writes, ElementsAre(std::vector<uint8_t>{0x04, 0x01, 0x00, 0xFF}, std::vector<uint8_t>{0x04, 0x01, 0x01, 0xF0},
                                    std::vector<uint8_t>{0x04, 0x02, 0x00, 0x7B}, std::vector<uint8_t>{0x04, 0x01, 0x05, 0xFC}));
    EXPECT_EQ(fakeusb::Bootloader(kDevnum).configuration[0x0105], 0xFC);
    device.reset();

    const std::pair<int, const char*> cases[] = {{0, "Unable to set BSB"}, {1, "Unable to set SBV"}, {2, "Unable to set HSB"},
                                                 {3, "Unable to set SSB"}};
    for (const auto& [which, message] : cases) {
        SetUp();
        auto chip = Attach();
        for (auto& [code, value] : fakeusb::Bootloader(kDevnum).configuration) value = 0x00;  // so no write is a no-op
        fakeusb::Inject(Fault::ConfigDoesNotStick, which);
        try {
            chip->SetConfigurationBytes(true);
            ADD_FAILURE() << "set";
        } catch (const CUsbDeviceException& e) {
            EXPECT_STREQ(e.Message(), message);
        }
        int configurationWrites = 0;
        for (const auto& event : Requests(1)) configurationWrites += event.data.size() == 4;
        EXPECT_EQ(configurationWrites, which + 1) << "nothing written after the failing byte";
        chip.reset();
        TearDown();
    }
}

TEST_F(BootloaderDeviceTest, VerifyComparesTheFlashFromAddressZero) {
    auto device = Attach();
    const auto image = Pattern(3000);
    device->WriteFlash(image.data(), 3000);
    EXPECT_TRUE(device->VerifyFlash(image.data(), 3000));
    fakeusb::Bootloader(kDevnum).flash[2999] ^= 1;
    EXPECT_FALSE(device->VerifyFlash(image.data(), 3000));
}

TEST_F(BootloaderDeviceTest, LinuxRefusesAClassRequestForAnInterfaceTheDeviceDoesNotHave) {
    auto device = Attach();
    usb_init();
    usb_find_busses();
    usb_find_devices();
    usb_dev_handle* handle = usb_open(usb_get_busses()->devices);
    ASSERT_NE(handle, nullptr);
    char status[6];
    EXPECT_EQ(usb_control_msg(handle, 0xA1, 3, 0, 4, status, 6, 200), -ENOENT) << "wIndex 4";
    EXPECT_EQ(usb_control_msg(handle, 0xA1, 3, 0, 0, status, 6, 200), 6) << "wIndex 0";
    usb_close(handle);
}

TEST_F(BootloaderDeviceTest, OpeningTakesTheLastBootloaderAndLetsEarlierOnesGo) {
    fakeusb::BootloaderOptions first, second;
    first.devnum = 4;
    second.devnum = 6;
    fakeusb::AddBootloader(first);
    fakeusb::AddBootloader(second);
    {
        CBootloaderDevice device([](int) {});
        EXPECT_EQ(fakeusb::OpenHandles(), 1);
        int claims = 0;
        for (const auto& event : fakeusb::WireLog()) claims += event.host == "claim 0";
        EXPECT_EQ(claims, 2) << "both are opened and claimed";
        fakeusb::ClearWireLog();
        device.IsSecured();
        EXPECT_EQ(fakeusb::Transfers().at(0).devnum, 6);
    }
    EXPECT_EQ(fakeusb::OpenHandles(), 0);
}

TEST_F(BootloaderDeviceTest, AnOpenThatFailsHalfWayLeavesNothingOpen) {
    const std::pair<Fault, const char*> cases[] = {{Fault::RefuseOpen, "Unable to open device"},
                                                   {Fault::RefuseSetConfiguration, "COULD NOT SELECT CONFIGURATION"},
                                                   {Fault::RefuseClaim, "COULD NOT CLAIM INTERFACE"},
                                                   {Fault::RefuseAltSetting, "COULD NOT SET ALTERNATE INTERFACE"}};
    for (const auto& [fault, message] : cases) {
        SetUp();
        fakeusb::AddBootloader({});
        fakeusb::Inject(fault);
        try {
            CBootloaderDevice device([](int) {});
            ADD_FAILURE() << "opened";
        } catch (const CUsbDeviceException& e) {
            EXPECT_STREQ(e.Message(), message);
        }
        TearDown();
    }
    fakeusb::BootloaderOptions two;
    two.configurations = 2;
    fakeusb::AddBootloader(two);
    EXPECT_THROW(CBootloaderDevice([](int) {}), CUsbDeviceException) << "COULD NOT FIND ONE CONFIGURATION";
}

TEST_F(BootloaderDeviceTest, AFailedReleaseIsReportedByCloseAndTheHandleStillGoes) {
    auto device = Attach();
    fakeusb::Inject(Fault::RefuseRelease);
    try {
        device->Close();
        FAIL() << "closed";
    } catch (const CUsbDeviceException& e) {
        EXPECT_STREQ(e.Message(), "COULD NOT RELEASE INTERFACE");
    }
    device.reset();
}

}  // namespace
