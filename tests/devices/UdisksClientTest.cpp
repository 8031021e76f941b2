// The udisks2 client against a stand-in on a private bus: the requests it sends, the descriptor it
// hands back, and the three ways it can fail, with no descriptor left behind on any path.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "devices/UdisksClient.h"
#include "platform/TempFiles.h"
#include "support/UdisksMock.h"

namespace {

constexpr UdisksTimeouts kTestTimeouts{std::chrono::seconds(10), std::chrono::seconds(10)};
constexpr UdisksTimeouts kShortTimeouts{std::chrono::seconds(5), std::chrono::seconds(1)};

std::string Hex(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%#x", unsigned(value));
    return text;
}

class UdisksClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (m_bus.Address().empty()) GTEST_SKIP() << m_bus.Error();
        std::ofstream(m_image.Path()) << std::string(1024, 'V');
    }
    UdisksMockSetup Setup() const { return {{{"/dev/sdz", m_image.Path(), ""}, {"/dev/sdz1", m_image.Path(), ""}}}; }

    CPrivateBus m_bus;
    CSilentBus m_silent;
    CScopedEnvironment m_system{"DBUS_SYSTEM_BUS_ADDRESS", m_bus.Address()};
    CTempFile m_image;
};

TEST_F(UdisksClientTest, OpensTheResolvedDiskAskingForInteractiveAuthorisationWithTheModesFlags) {
    CUdisksMock mock(m_bus.Address(), Setup());
    ASSERT_TRUE(mock.Ready());
    const int before = OpenDescriptorCount();
    {
        CUdisksClient client(kTestTimeouts);
        CFileDescriptor rw = client.OpenDevice("/dev/sdz", DeviceAccess::ReadWrite);
        uint8_t byte = 0;
        ASSERT_TRUE(rw.ReadAt(1000, &byte, 1));
        EXPECT_EQ(byte, 'V');
        EXPECT_TRUE(rw.WriteAt(0, &byte, 1)) << "a read-write descriptor writes";
        CFileDescriptor r = client.OpenDevice("/dev/sdz", DeviceAccess::Read);
        EXPECT_FALSE(r.WriteAt(0, &byte, 1)) << "a read-only descriptor must not write";
        EXPECT_EQ(::fcntl(r.Get(), F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
    }
    EXPECT_EQ(OpenDescriptorCount(), before) << "descriptors and the bus connection are released";
    const std::vector<std::string> expected = {
        "ResolveDevice /dev/sdz",
        "OpenDevice sdz rw flags=" + Hex(O_EXCL | O_CLOEXEC) + " interactive=1",
        "ResolveDevice /dev/sdz",
        "OpenDevice sdz r flags=" + Hex(O_CLOEXEC) + " interactive=1",
    };
    EXPECT_EQ(mock.Calls(), expected);
}

TEST_F(UdisksClientTest, UnmountsThroughTheFilesystemInterface) {
    {
        CUdisksMock mock(m_bus.Address(), Setup());
        ASSERT_TRUE(mock.Ready());
        CUdisksClient(kTestTimeouts).Unmount("/dev/sdz1");
        EXPECT_EQ(mock.Calls(), (std::vector<std::string>{"ResolveDevice /dev/sdz1", "Unmount sdz1 interactive=1"}));
    }

    UdisksMockSetup busy = Setup();
    busy.refuseUnmount = true;
    CUdisksMock refusing(m_bus.Address(), busy);
    ASSERT_TRUE(refusing.Ready());
    try {
        CUdisksClient(kTestTimeouts).Unmount("/dev/sdz1");
        ADD_FAILURE() << "a failed unmount must throw";
    } catch (const CUdisksError& e) {
        EXPECT_EQ(e.Kind(), UdisksFailure::Failed);
        EXPECT_NE(std::string(e.what()).find("target is busy"), std::string::npos) << e.what();
    }
}

TEST_F(UdisksClientTest, TellsNotAuthorisedFromNoUdisksFromOtherFailuresAndLeaksNoDescriptor) {
    struct Case {
        const char* name;
        bool serve, refuse, silent;
        std::string address, device;
        UdisksFailure want;
    };
    const Case cases[] = {
        {"polkit says no", true, true, false, m_bus.Address(), "/dev/sdz", UdisksFailure::NotAuthorized},
        {"bus without udisks2", false, false, false, m_bus.Address(), "/dev/sdz", UdisksFailure::Unavailable},
        {"no system bus at all", false, false, false, "unix:path=/nonexistent/ylm-bus", "/dev/sdz", UdisksFailure::Unavailable},
        {"a disk udisks2 does not know", true, false, false, m_bus.Address(), "/dev/sdq", UdisksFailure::Failed},
        {"no answer within the time-out", true, false, true, m_bus.Address(), "/dev/sdz", UdisksFailure::Failed},
        {"a bus that never greets", false, false, false, m_silent.Address(), "/dev/sdz", UdisksFailure::Failed},
    };
    for (const Case& c : cases) {
        UdisksMockSetup setup = Setup();
        setup.refuseOpen = c.refuse;
        setup.silentOpen = c.silent;
        std::unique_ptr<CUdisksMock> mock;
        if (c.serve) mock = std::make_unique<CUdisksMock>(m_bus.Address(), setup);
        CScopedEnvironment address("DBUS_SYSTEM_BUS_ADDRESS", c.address);
        const int before = OpenDescriptorCount();
        try {
            CUdisksClient client(kShortTimeouts);
            client.OpenDevice(c.device, DeviceAccess::ReadWrite);
            ADD_FAILURE() << c.name << ": no failure";
        } catch (const CUdisksError& e) {
            EXPECT_EQ(int(e.Kind()), int(c.want)) << c.name << ": " << e.what();
        }
        EXPECT_EQ(OpenDescriptorCount(), before) << c.name;
    }
}

}  // namespace
