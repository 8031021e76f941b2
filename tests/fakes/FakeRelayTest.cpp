// The relay side of the simulated unit, which the relay server's tests build on: configuration 2,
// the baud request and the recorded bulk writes.
#include <gtest/gtest.h>
#include <usb.h>

#include <cerrno>

#include "fakes/FakeUsb.h"

namespace {

TEST(FakeRelay, RecordsBaudCodesAndBlocksOnlyInTheRelayConfiguration) {
    fakeusb::Reset();
    fakeusb::AddUnit({});
    usb_init();
    usb_find_busses();
    usb_find_devices();
    struct usb_device* unit = usb_get_busses()->devices;
    ASSERT_EQ(unit->descriptor.bNumConfigurations, 2);
    const usb_interface_descriptor& relay = unit->config[1].interface[0].altsetting[0];
    ASSERT_EQ(relay.bNumEndpoints, 1);
    const int out = relay.endpoint[0].bEndpointAddress;
    EXPECT_EQ(out, fakeusb::kRelayOutEndpoint);

    usb_dev_handle* handle = usb_open(unit);
    ASSERT_EQ(usb_set_configuration(handle, unit->config[1].bConfigurationValue), 0);
    ASSERT_EQ(usb_claim_interface(handle, 0), 0);
    char code = 5;
    EXPECT_EQ(usb_control_msg(handle, 0x40, 0xA3, 0, 0, &code, 1, 1000), 1);
    char twoBytes[2] = {};
    EXPECT_EQ(usb_control_msg(handle, 0x40, 0xA3, 0, 0, twoBytes, 2, 1000), -EPIPE);
    char sector[8] = {};
    EXPECT_EQ(usb_control_msg(handle, 0x40, 0xA0, 0, 0, sector, 8, 5000), -EPIPE) << "no card access here";
    std::vector<char> block(256, 'b');
    EXPECT_EQ(usb_bulk_write(handle, out, block.data(), 256, 6000), 256);
    fakeusb::Inject(fakeusb::Fault::RefuseControl);
    EXPECT_EQ(usb_control_msg(handle, 0x40, 0xA3, 0, 0, &code, 1, 1000), -EPIPE);

    const fakeusb::UnitState& state = fakeusb::Unit(3);
    EXPECT_EQ(state.activeConfiguration, 2);
    EXPECT_EQ(state.baudCodes, std::vector<int>{5});
    ASSERT_EQ(state.relayBlocks.size(), 1u);
    EXPECT_EQ(state.relayBlocks[0], std::vector<uint8_t>(256, 'b'));

    EXPECT_EQ(usb_release_interface(handle, 0), 0);
    usb_close(handle);
    EXPECT_EQ(fakeusb::OpenHandles(), 0);
    fakeusb::Reset();
}

TEST(FakeRelay, AUnitWithoutRelayConfigurationOffersOnlyTheFirst) {
    fakeusb::Reset();
    fakeusb::UnitOptions options;
    options.configurations = 1;
    fakeusb::AddUnit(options);
    usb_find_busses();
    usb_find_devices();
    EXPECT_EQ(usb_get_busses()->devices->descriptor.bNumConfigurations, 1);
    usb_dev_handle* handle = usb_open(usb_get_busses()->devices);
    EXPECT_EQ(usb_set_configuration(handle, 2), -EINVAL);
    usb_close(handle);
    fakeusb::Reset();
}

}  // namespace
