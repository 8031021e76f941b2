// The unit's card over USB against the simulated unit: what goes on the wire, how failures share
// the five attempts, when a write is read back, and what identify data turns into.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <numeric>

#include "devices/UnitList.h"
#include "devices/UsbSectorDevice.h"
#include "fakes/FakeUsb.h"
#include "platform/Exceptions.h"

using fakeusb::Fault;
using testing::ElementsAre;
using testing::StartsWith;

namespace {

constexpr int kDevnum = 3;

// Friday 2010-03-05 14:05:09.
LocalTime FridayAfternoon() { return LocalTime{2010, 3, 5, 6, 14, 5, 9}; }

std::vector<uint8_t> Pattern(size_t length, uint8_t seed) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = uint8_t(seed + i * 7 + (i >> 9));
    return bytes;
}

class UsbSectorDeviceTest : public testing::Test {
protected:
    void SetUp() override {
        fakeusb::Reset();
        fakeusb::AddUnit(options);
    }
    void TearDown() override {
        device.reset();
        EXPECT_EQ(fakeusb::OpenHandles(), 0) << "a handle was left open";
        fakeusb::Reset();
    }

    CUsbSectorDevice& Opened() {
        device = std::make_unique<CUsbSectorDevice>(FridayAfternoon);
        struct usb_device* record = FindUnitByName("VELK3");
        EXPECT_NE(record, nullptr);
        device->Open(DeviceEntry{uint64_t(reinterpret_cast<uintptr_t>(record)), "", "VELK3", {}});
        fakeusb::ClearWireLog();
        return *device;
    }

    int Commands(int request) const {
        int count = 0;
        for (const auto& event : fakeusb::Transfers())
            count += event.kind == fakeusb::WireEvent::Kind::Control && event.request == request;
        return count;
    }

    fakeusb::UnitOptions options;
    std::unique_ptr<CUsbSectorDevice> device;
};

TEST_F(UsbSectorDeviceTest, EachTransactionPutsExactlyItsRequestsOnTheWire) {
    CUsbSectorDevice& unit = Opened();
    auto& card = fakeusb::Card(kDevnum);
    const auto stored = Pattern(2 * kSectorSize, 1);
    std::copy(stored.begin(), stored.end(), card.begin() + 5 * kSectorSize);

    std::vector<uint8_t> read(2 * kSectorSize);
    unit.readSector(5, 2, read.data());
    EXPECT_EQ(read, stored);
    EXPECT_THAT(fakeusb::DescribeTransfers(),
                ElementsAre("control 40 A0 0000 0000 len=8 t=5000 -> 8 [05 00 00 00 02 00 00 00]",
                            "bulk-in 81 len=1024 t=5000 -> 1024", "bulk-in 81 len=128 t=5000 -> 128"));


    fakeusb::ClearWireLog();
    EXPECT_THROW(unit.readSector(0x01020304, 1, read.data()), CUsbDeviceException) << "past the card's end";
    EXPECT_EQ(fakeusb::Describe(fakeusb::Transfers().front()),
              "control 40 A0 0000 0000 len=8 t=5000 -> 8 [04 03 02 01 01 00 00 00]")
        << "sector numbers are little-endian";
}

TEST_F(UsbSectorDeviceTest, WriteIdentifyAndClockRequestsAreWireExact) {
    CUsbSectorDevice& unit = Opened();
    const auto written = Pattern(kSectorSize, 9);
    unit.writeSector(7, 1, written.data());
    EXPECT_TRUE(std::equal(written.begin(), written.end(), fakeusb::Card(kDevnum).begin() + 7 * kSectorSize));
    const uint8_t checksum = CUsbSectorDevice::ComputeChecksum(written.data(), written.size());
    const auto status = fakeusb::Transfers().back().data;
    ASSERT_EQ(status.size(), 128u);
    EXPECT_EQ(status[2], checksum);
    EXPECT_THAT(fakeusb::DescribeTransfers(),
                ElementsAre("control 40 A2 0000 0000 len=8 t=5000 -> 8 [07 00 00 00 01 00 00 00]",
                            "bulk-out 02 len=512 t=5000 -> 512", "bulk-in 81 len=128 t=5000 -> 128"));

    fakeusb::ClearWireLog();
    EXPECT_TRUE(unit.Identify());
    EXPECT_THAT(fakeusb::DescribeTransfers(),
                ElementsAre("control 40 A1 0000 0000 len=0 t=5000 -> 0", "bulk-in 81 len=512 t=5000 -> 512",
                            "bulk-in 81 len=128 t=5000 -> 128"));

    fakeusb::ClearWireLog();
    unit.SetClock();
    EXPECT_THAT(fakeusb::DescribeTransfers(),
                ElementsAre("control 40 A4 0000 0000 len=8 t=5000 -> 8 [00 09 05 14 06 05 03 10]"));
}

TEST_F(UsbSectorDeviceTest, ARefusedClockRequestIsReportedWithTheLibraryError) {
    CUsbSectorDevice& unit = Opened();
    fakeusb::Inject(Fault::RefuseControl);
    try {
        unit.SetClock();
        FAIL() << "no exception";
    } catch (const CUsbDeviceException& e) {
        EXPECT_THAT(e.Message(), testing::HasSubstr("-32"));
        EXPECT_THAT(e.Message(), testing::HasSubstr("Broken pipe"));
    }
    EXPECT_EQ(Commands(0xA4), 1) << "one attempt only";
}

enum class Operation { Read, Write, Identify };

// Where in one attempt each fault is looked for: the command, the data (a failed transfer before
// a short one), the status packet (unreadable before its contents).
int Stage(Fault fault) {
    switch (fault) {
        case Fault::RefuseControl: return 0;
        case Fault::FailBulk: return 1;
        case Fault::ShortBulk: return 2;
        case Fault::FailStatusRead: return 3;
        default: return 4;
    }
}

// Makes attempt k fail with faults[k]: a fault waits for as many occasions of its kind as the
// earlier attempts offer before they fail.
void InjectPerAttempt(const std::vector<Fault>& faults) {
    for (size_t k = 0; k < faults.size(); ++k) {
        int skip = 0;
        for (size_t j = 0; j < k; ++j) skip += Stage(faults[k]) <= Stage(faults[j]);
        fakeusb::Inject(faults[k], skip);
    }
}

struct AttemptCase {
    const char* name;
    Operation operation;
    std::vector<Fault> faults;      // one after another, each hitting its next occasion
    const char* message;            // prefix of the message thrown; nullptr: succeeds
    bool identifyResult = true;
};

TEST_F(UsbSectorDeviceTest, FailuresOfEveryKindShareFiveAttemptsAndTheLastOneIsReported) {
    const AttemptCase cases[] = {
        {"four refusals then success", Operation::Read, std::vector<Fault>(4, Fault::RefuseControl), nullptr},
        {"five refusals", Operation::Read, std::vector<Fault>(5, Fault::RefuseControl),
         "readSector: Unable to send read sector command (err=-32)"},
        {"mixed, mismatch last", Operation::Read,
         {Fault::RefuseControl, Fault::RefuseControl, Fault::ShortBulk, Fault::ShortBulk, Fault::WrongChecksum},
         "readSector: Invalid checksum"},
        {"mixed, short read last", Operation::Read,
         {Fault::WrongChecksum, Fault::RefuseControl, Fault::NoStatusMarker, Fault::FailStatusRead, Fault::ShortBulk},
         "readSector: Unable to read sector (err=1023, "},
        {"status unreadable last", Operation::Read, std::vector<Fault>(5, Fault::FailStatusRead),
         "readSector:Unable to read checksum (err=-110, error reading from bulk endpoint 0x81: Connection timed out)"},
        {"failed bulk read", Operation::Read, std::vector<Fault>(5, Fault::FailBulk), "readSector: Unable to read sector (err=-110, "},
        {"marker missing counts as mismatch", Operation::Read, std::vector<Fault>(5, Fault::NoStatusMarker),
         "readSector: Invalid checksum"},
        {"write refused", Operation::Write, std::vector<Fault>(5, Fault::RefuseControl),
         "writeSector: Unable to send write sector command (err=-32)"},
        {"write short", Operation::Write, std::vector<Fault>(5, Fault::ShortBulk), "writeSector: Unable to write sector (err=1023, "},
        {"write mismatch", Operation::Write, std::vector<Fault>(5, Fault::WrongChecksum), "writeSector: Invalid checksum"},
        {"write status unreadable", Operation::Write, std::vector<Fault>(5, Fault::FailStatusRead),
         "writeSector:Unable to read checksum (err=-110, "},
        {"identify mismatches", Operation::Identify, std::vector<Fault>(5, Fault::WrongChecksum), nullptr, false},
        {"identify status unreadable", Operation::Identify, std::vector<Fault>(5, Fault::FailStatusRead), nullptr, false},
        {"identify four mismatches", Operation::Identify, std::vector<Fault>(4, Fault::WrongChecksum), nullptr, true},
        {"identify refused", Operation::Identify, std::vector<Fault>(5, Fault::RefuseControl),
         "Unable to query device id (err=-32)"},
        {"identify short", Operation::Identify,
         {Fault::WrongChecksum, Fault::WrongChecksum, Fault::WrongChecksum, Fault::WrongChecksum, Fault::ShortBulk},
         "Unable to read device id (err=511, "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        CUsbSectorDevice& unit = Opened();
        InjectPerAttempt(c.faults);
        std::vector<uint8_t> buffer = Pattern(2 * kSectorSize, 3);
        const int request = c.operation == Operation::Read ? 0xA0 : c.operation == Operation::Write ? 0xA2 : 0xA1;
        try {
            bool identified = true;
            if (c.operation == Operation::Read) unit.readSector(1, 2, buffer.data());
            if (c.operation == Operation::Write) unit.writeSector(1, 2, buffer.data());
            if (c.operation == Operation::Identify) identified = unit.Identify();
            EXPECT_EQ(c.message, nullptr) << "succeeded";
            EXPECT_EQ(identified, c.identifyResult);
        } catch (const CUsbDeviceException& e) {
            ASSERT_NE(c.message, nullptr) << e.Message();
            EXPECT_THAT(e.Message(), StartsWith(c.message));
        }
        EXPECT_EQ(Commands(request), int(std::min<size_t>(c.faults.size() + 1, 5))) << "one command per attempt";
        TearDown();
    }
}

TEST_F(UsbSectorDeviceTest, AWriteIsReadBackOnlyAfterAFailedAttempt) {
    CUsbSectorDevice& unit = Opened();
    const auto data = Pattern(3 * kSectorSize, 5);
    unit.writeSector(10, 3, data.data());
    EXPECT_EQ(Commands(0xA0), 0) << "a first-time success is not read back";

    fakeusb::ClearWireLog();
    fakeusb::Inject(Fault::WrongChecksum);
    unit.writeSector(10, 3, data.data());
    EXPECT_EQ(Commands(0xA2), 2);
    EXPECT_EQ(Commands(0xA0), 1) << "the retried write is read back";
    const auto transfers = fakeusb::Transfers();
    EXPECT_EQ(fakeusb::Describe(transfers[6]), "control 40 A0 0000 0000 len=8 t=5000 -> 8 [0A 00 00 00 03 00 00 00]");

    // The unit confirms what it was sent but stores something else on the retry.
    fakeusb::ClearWireLog();
    fakeusb::Inject(Fault::RefuseControl);
    fakeusb::Inject(Fault::StoreWrongBytes);
    try {
        unit.writeSector(10, 3, data.data());
        FAIL() << "no exception";
    } catch (const CUsbDeviceException& e) {
        EXPECT_STREQ(e.Message(), "writeSector: Write to card failed");
    }
    EXPECT_EQ(Commands(0xA0), 1);
}

TEST_F(UsbSectorDeviceTest, TheReadBackHasItsOwnFiveAttempts) {
    CUsbSectorDevice& unit = Opened();
    const auto data = Pattern(kSectorSize, 5);
    fakeusb::Inject(Fault::ShortBulk);  // the write's first attempt
    for (int i = 0; i < 5; ++i) fakeusb::Inject(Fault::RefuseControl, 2);  // spare both write commands
    try {
        unit.writeSector(2, 1, data.data());
        FAIL() << "no exception";
    } catch (const CUsbDeviceException& e) {
        EXPECT_STREQ(e.Message(), "readSector: Unable to send read sector command (err=-32)");
    }
    EXPECT_EQ(Commands(0xA0), 5);
}

struct IdentifyCase {
    const char* name;
    std::string model, serial;
    uint16_t word60, word61;
    const char* expectedName;
    uint32_t expectedSectors;
};

std::vector<uint8_t> IdentifyData(const IdentifyCase& c) {
    std::vector<uint8_t> data(512, 0);
    auto put = [&](int firstWord, int words, const std::string& text) {
        for (int i = 0; i < words * 2 && i < int(text.size()); ++i)
            data[size_t(2 * firstWord + (i ^ 1))] = uint8_t(text[size_t(i)]);  // first character in the high byte
    };
    put(10, 10, c.serial);
    put(27, 20, c.model);
    data[120] = uint8_t(c.word60);
    data[121] = uint8_t(c.word60 >> 8);
    data[122] = uint8_t(c.word61);
    data[123] = uint8_t(c.word61 >> 8);
    return data;
}

TEST_F(UsbSectorDeviceTest, IdentifyTrimsTheTextsAndTakesWord61AsTheHighHalf) {
    const IdentifyCase cases[] = {
        {"padded", "CARD" + std::string(36, ' '), "123" + std::string(17, ' '), 4096, 2, "CARD - 123", 135168},
        {"leading spaces", "   SD  CARD  " + std::string(27, ' '), "  9 8" + std::string(15, ' '), 0xFFFF, 0,
         "SD  CARD - 9 8", 65535},
        {"ends at NUL", std::string("AB\0CD", 5) + std::string(35, 'x'), std::string(20, 'S'), 0, 1, "AB - SSSSSSSSSSSSSSSSSSSS",
         65536},
        {"all spaces", std::string(40, ' '), std::string(20, ' '), 1, 0, " - ", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        options.identifyData = IdentifyData(c);
        SetUp();
        CUsbSectorDevice& unit = Opened();
        EXPECT_EQ(unit.GetSectorCount(), 0u);
        EXPECT_EQ(unit.GetName(), "");
        ASSERT_TRUE(unit.Identify());
        EXPECT_EQ(unit.GetName(), c.expectedName);
        EXPECT_EQ(unit.GetSectorCount(), c.expectedSectors);
        TearDown();
    }
}

TEST_F(UsbSectorDeviceTest, ChecksumIsTheXorOfEveryByte) {
    const auto data = Pattern(4099, 17);
    const uint8_t expected = std::accumulate(data.begin(), data.end(), uint8_t(0), [](uint8_t a, uint8_t b) { return uint8_t(a ^ b); });
    for (size_t length : {size_t(0), size_t(1), size_t(7), size_t(8), size_t(9), size_t(4099)}) {
        const uint8_t want = std::accumulate(data.begin(), data.begin() + long(length), uint8_t(0),
                                             [](uint8_t a, uint8_t b) { return uint8_t(a ^ b); });
        EXPECT_EQ(CUsbSectorDevice::ComputeChecksum(data.data(), length), want) << length;
    }
    EXPECT_EQ(CUsbSectorDevice::ComputeChecksum(data.data(), data.size()), expected);
}

struct OpenCase {
    const char* name;
    fakeusb::UnitOptions options;
    std::optional<Fault> fault;
    const char* message;
};

TEST_F(UsbSectorDeviceTest, OpenReportsEachStepThatFailsAndLeavesNothingOpen) {
    fakeusb::UnitOptions noManufacturer, noProduct, noVersion, denied, readOnly;
    noManufacturer.manufacturer = "";
    noProduct.product = "";
    noVersion.version.reset();
    denied.access = fakeusb::Access::Denied;
    readOnly.access = fakeusb::Access::ReadOnly;
    const OpenCase cases[] = {
        {"open refused", {}, Fault::RefuseOpen, "Unable to open device"},
        {"no manufacturer string", noManufacturer, {}, "COULD NOT RETRIEVE MANUFACTURER STRING"},
        {"manufacturer unreadable", {}, Fault::FailStringRead, "COULD NOT RETRIEVE MANUFACTURER STRING"},
        {"no product string", noProduct, {}, "COULD NOT RETRIEVE PRODUCT STRING"},
        {"no descriptor 3", noVersion, {}, "THIS VERSION OF THE VELK IS NOT SUPPORTED BY THIS VERSION OF VELK MANAGER"},
        {"configuration refused", {}, Fault::RefuseSetConfiguration,
         "COULD NOT SELECT CONFIGURATION (could not set_configuration 1: Device or resource busy)"},
        {"claim refused", {}, Fault::RefuseClaim, "COULD NOT CLAIM INTERFACE (could not claim 0: Device or resource busy)"},
        {"altsetting refused", {}, Fault::RefuseAltSetting,
         "COULD NOT SET ALTERNATE INTERFACE (could not set_altinterface 0: Device or resource busy)"},
        {"no permission", denied, {}, "Unable to open device\nThis user may not use the VELK over USB: install the udev rule"},
        {"read-only node", readOnly, {}, "COULD NOT RETRIEVE MANUFACTURER STRING\nThis user may not use the VELK over USB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        options = c.options;
        SetUp();
        if (c.fault) fakeusb::Inject(*c.fault);
        CUsbSectorDevice unit;
        try {
            unit.Open(DeviceEntry{uint64_t(reinterpret_cast<uintptr_t>(FindUnitByName("VELK3"))), "", "VELK3", {}});
            ADD_FAILURE() << "opened";
        } catch (const CUsbDeviceException& e) {
            EXPECT_THAT(e.Message(), StartsWith(c.message));
        }
        EXPECT_NO_THROW(unit.Close());
        EXPECT_EQ(fakeusb::OpenHandles(), 0);
        TearDown();
    }
}

// The unit is released by the interface number Open claimed, whatever the descriptor says it is.
TEST_F(UsbSectorDeviceTest, CloseReleasesTheClaimedInterfaceAndAFailedReleaseIsReportedButNotLeaked) {
    for (const uint8_t number : {uint8_t(0), uint8_t(2)}) {
        SCOPED_TRACE(int(number));
        options.interfaceNumber = number;
        SetUp();
        CUsbSectorDevice& unit = Opened();
        fakeusb::Inject(Fault::RefuseRelease);
        try {
            unit.Close();
            ADD_FAILURE() << "closed";
        } catch (const CUsbDeviceException& e) {
            EXPECT_STREQ(e.Message(), "COULD NOT RELEASE INTERFACE");
        }
        EXPECT_EQ(fakeusb::OpenHandles(), 1) << "the handle stays open after a failed release";
        EXPECT_NO_THROW(unit.Close());
        EXPECT_EQ(fakeusb::WireLog().back().host, "close");
        EXPECT_EQ(fakeusb::WireLog()[fakeusb::WireLog().size() - 2].host, "release " + std::to_string(number));
        EXPECT_EQ(fakeusb::OpenHandles(), 0);
        EXPECT_NO_THROW(unit.Close()) << "closing twice does nothing";
        TearDown();
    }
}

// A second Open would leak the first handle; an Open that failed half-way must not block a retry.
TEST_F(UsbSectorDeviceTest, OpenOnAnOpenedUnitIsRefusedAndAFailedOpenCanBeRetried) {
    CUsbSectorDevice& unit = Opened();
    const DeviceEntry entry{uint64_t(reinterpret_cast<uintptr_t>(FindUnitByName("VELK3"))), "", "VELK3", {}};
    EXPECT_THROW(unit.Open(entry), CUsbDeviceException);
    EXPECT_EQ(fakeusb::OpenHandles(), 1);
    unit.Close();

    CUsbSectorDevice retried;
    fakeusb::Inject(Fault::RefuseClaim);
    EXPECT_THROW(retried.Open(entry), CUsbDeviceException);
    EXPECT_EQ(fakeusb::OpenHandles(), 0) << "a failed Open lets go of its handle";
    EXPECT_NO_THROW(retried.Open(entry));
    EXPECT_EQ(fakeusb::OpenHandles(), 1);
    retried.Close();
}

TEST_F(UsbSectorDeviceTest, DescriptionShowsTheVersionWithTwoDecimals) {
    const std::pair<std::optional<std::string>, const char*> cases[] = {
        {"1.2", "Varnholt Software - VELK v1.20 (3)"},
        {"3", "Varnholt Software - VELK v3.00 (3)"},
        {"2.125beta", "Varnholt Software - VELK v2.12 (3)"},
        {"beta", "Varnholt Software - VELK v0.00 (3)"},
    };
    for (const auto& [version, description] : cases) {
        options.version = version;
        SetUp();
        EXPECT_EQ(Opened().Description(), description);
        TearDown();
    }
}

TEST_F(UsbSectorDeviceTest, AnUnpluggedUnitFailsEveryAttemptWithNoSuchDevice) {
    CUsbSectorDevice& unit = Opened();
    fakeusb::UnplugAfterTransfers(1);
    std::vector<uint8_t> buffer(kSectorSize);
    try {
        unit.readSector(0, 1, buffer.data());
        FAIL() << "read";
    } catch (const CUsbDeviceException& e) {
        EXPECT_EQ(std::string(e.Message()), "readSector: Unable to send read sector command (err=" + std::to_string(-ENODEV) + ")");
    }
    EXPECT_EQ(FindUnitByName("VELK3"), nullptr) << "gone from the next scan";
}

}  // namespace
