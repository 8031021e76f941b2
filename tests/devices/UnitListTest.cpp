// Finding units on the buses: the device list, the message for a unit that cannot be opened,
// and the lookup by label.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "devices/UsbSectorDevice.h"
#include "fakes/FakeUsb.h"
#include "support/RecordingPrompt.h"

namespace {

class UnitListTest : public testing::Test {
protected:
    void SetUp() override { fakeusb::Reset(); }
    void TearDown() override {
        ClearUnitList(list);
        EXPECT_EQ(fakeusb::OpenHandles(), 0) << "every unit opened for the listing is closed again";
        fakeusb::Reset();
    }

    static void AddUnit(int bus, int devnum, std::optional<std::string> version = "1.20") {
        fakeusb::UnitOptions unit;
        unit.bus = bus;
        unit.devnum = devnum;
        unit.version = std::move(version);
        fakeusb::AddUnit(unit);
    }

    CRecordingPrompt prompt;
    DeviceList list;
};

TEST_F(UnitListTest, ListsUnitsInBusOrderAndReportsOneWithoutDescriptor3) {
    AddUnit(2, 7);
    AddUnit(1, 3);
    AddUnit(1, 4, std::nullopt);
    fakeusb::BootloaderOptions other;  // not a unit: passed over in silence
    other.devnum = 5;
    fakeusb::AddBootloader(other);

    EnumerateUnits(list);

    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "VELK3");
    EXPECT_EQ(list[0].description, "Varnholt Software - VELK v1.20 (3)");
    EXPECT_EQ(list[1].name, "VELK7");
    EXPECT_EQ(list[1].description, "Varnholt Software - VELK v1.20 (7)");
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, "THIS VERSION OF THE VELK IS NOT SUPPORTED BY THIS VERSION OF VELK MANAGER");
    EXPECT_EQ(prompt.messages[0].caption, "Unable to access VELK");
    EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Warning);

    // Each entry's reference is a copy of the device record that opens the same unit again.
    auto* copy = reinterpret_cast<struct usb_device*>(uintptr_t(list[1].reference));
    EXPECT_NE(copy, FindUnitByName("VELK7"));
    EXPECT_EQ(copy->devnum, 7);
    CUsbSectorDevice unit;
    unit.Open(list[1]);
    std::vector<uint8_t> sector(kSectorSize);
    EXPECT_NO_THROW(unit.readSector(0, 1, sector.data()));
    unit.Close();
}

TEST_F(UnitListTest, EachListingOpensConfiguresAndClosesEveryUnitOnce) {
    AddUnit(1, 3);
    EnumerateUnits(list);
    std::vector<std::string> host;
    for (const auto& event : fakeusb::WireLog()) host.push_back(fakeusb::Describe(event));
    EXPECT_THAT(host, testing::ElementsAre("host open -> 0", "host string 1 -> 17", "host string 2 -> 4",
                                           "host string 3 -> 4", "host set_configuration 1 -> 0", "host claim 0 -> 0",
                                           "host set_altinterface 0 -> 0", "host release 0 -> 0", "host close -> 0"));
}

TEST_F(UnitListTest, NoUnitLeavesTheListEmptyAndShowsNothing) {
    list.push_back(DeviceEntry{0, "stale", "stale"});
    EnumerateUnits(list);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(UnitListTest, ClearUnitListEmptiesTheList) {
    AddUnit(1, 3);
    AddUnit(1, 4);
    EnumerateUnits(list);
    ASSERT_EQ(list.size(), 2u);
    ClearUnitList(list);  // the sanitizer build sees a copy that is not freed
    EXPECT_TRUE(list.empty());
}

TEST_F(UnitListTest, FindUnitByNameMatchesTheLabelExactly) {
    AddUnit(1, 3);
    AddUnit(1, 12);
    fakeusb::BootloaderOptions bootloader;
    bootloader.devnum = 9;
    fakeusb::AddBootloader(bootloader);
    const std::pair<const char*, int> cases[] = {
        {"VELK3", 3}, {"VELK12", 12}, {"velk3", 0}, {"Velk3", 0}, {"VELK1", 0}, {"VELK9", 0}, {"VELK03", 0}, {"", 0},
    };
    for (const auto& [name, devnum] : cases) {
        struct usb_device* found = FindUnitByName(name);
        if (devnum == 0) {
            EXPECT_EQ(found, nullptr) << name;
        } else {
            ASSERT_NE(found, nullptr) << name;
            EXPECT_EQ(found->devnum, devnum) << name;
        }
    }
    EXPECT_TRUE(fakeusb::WireLog().empty()) << "looking up a label opens nothing";
}

TEST_F(UnitListTest, AUnitThatCannotBeOpenedForLackOfPermissionSaysHowToInstallTheRule) {
    fakeusb::UnitOptions unit;
    unit.access = fakeusb::Access::Denied;
    fakeusb::AddUnit(unit);
    EnumerateUnits(list);
    EXPECT_TRUE(list.empty());
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_THAT(prompt.messages[0].text, testing::StartsWith("Unable to open device\n"));
    EXPECT_THAT(prompt.messages[0].text, testing::HasSubstr("60-velk3.rules"));
}

}  // namespace
