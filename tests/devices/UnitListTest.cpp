// Finding units on the buses: the device list, the message for a unit that cannot be opened,
// the names that tell units apart, and the lookups by name and by identity.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "devices/UnitList.h"
#include "devices/UsbSectorDevice.h"
#include "fakes/FakeUsb.h"
#include "support/RecordingPrompt.h"

namespace {

class UnitListTest : public testing::Test {
protected:
    void SetUp() override { fakeusb::Reset(); }
    void TearDown() override {
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

    EnumerateUnits(list, &prompt);

    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "VELK3");
    EXPECT_EQ(list[0].description, "Varnholt Software - VELK v1.20 (3)");
    EXPECT_EQ(list[1].name, "VELK7");
    EXPECT_EQ(list[1].description, "Varnholt Software - VELK v1.20 (7)");
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, "THIS VERSION OF THE VELK IS NOT SUPPORTED BY THIS VERSION OF VELK MANAGER");
    EXPECT_EQ(prompt.messages[0].caption, "Unable to access VELK");
    EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Warning);

    // An entry holds plain values: its identity finds the same unit again.
    EXPECT_EQ(list[1].reference, 0u);
    struct usb_device* found = FindUnit(list[1].id);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->devnum, 7);
}

// Device numbers are counted per bus: a number two units share names both by number and bus.
TEST_F(UnitListTest, UnitsSharingADeviceNumberAreNamedWithTheirBus) {
    AddUnit(1, 3);
    AddUnit(2, 3);
    AddUnit(2, 4);
    EnumerateUnits(list, &prompt);
    std::vector<std::string> names, descriptions;
    for (const DeviceEntry& entry : list) {
        names.push_back(entry.name);
        descriptions.push_back(entry.description);
    }
    EXPECT_THAT(names, testing::ElementsAre("VELK3-1", "VELK3-2", "VELK4"));
    EXPECT_EQ(descriptions[1], "Varnholt Software - VELK v1.20 (3) on bus 2");
    for (const DeviceEntry& entry : list) {
        struct usb_device* byName = FindUnitByName(entry.name);
        ASSERT_NE(byName, nullptr) << entry.name;
        EXPECT_EQ(byName, FindUnit(entry.id)) << entry.name;
    }
    EXPECT_EQ(FindUnitByName("VELK3"), nullptr) << "an ambiguous plain name names no unit";
    fakeusb::Unplug(4);
    EXPECT_EQ(FindUnit(list[2].id), nullptr) << "gone";
}

TEST_F(UnitListTest, EachListingOpensConfiguresAndClosesEveryUnitOnce) {
    AddUnit(1, 3);
    EnumerateUnits(list, &prompt);
    std::vector<std::string> host;
    for (const auto& event : fakeusb::WireLog()) host.push_back(fakeusb::Describe(event));
    EXPECT_THAT(host, testing::ElementsAre("host open -> 0", "host string 1 -> 17", "host string 2 -> 4",
                                           "host string 3 -> 4", "host set_configuration 1 -> 0", "host claim 0 -> 0",
                                           "host set_altinterface 0 -> 0", "host release 0 -> 0", "host close -> 0"));
}

TEST_F(UnitListTest, NoUnitLeavesTheListEmptyAndShowsNothing) {
    list.push_back(DeviceEntry{0, "stale", "stale", {}});
    EnumerateUnits(list, &prompt);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(prompt.messages.empty());
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
    EnumerateUnits(list, &prompt);
    EXPECT_TRUE(list.empty());
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_THAT(prompt.messages[0].text, testing::StartsWith("Unable to open device\n"));
    EXPECT_THAT(prompt.messages[0].text, testing::HasSubstr("60-velk3.rules"));
}

}  // namespace
