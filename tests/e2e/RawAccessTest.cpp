// velk3 on a real block device that is mounted, or that the user may not open: loop devices (root
// only, skipped with the reason otherwise), a private bus with a udisks2 stand-in, and velk3 run as
// an unprivileged user.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include "devices/ImageFile.h"
#include "e2e/LoopDevice.h"
#include "e2e/Velk3Process.h"
#include "platform/TempFiles.h"
#include "support/UdisksMock.h"

namespace {

constexpr uint64_t kCardSectors = 16384;  // 8 MiB: room for a FAT file system
constexpr const char* kNoBus = "unix:path=/nonexistent/ylm-no-bus";
constexpr size_t kHeaderBytes = 2 * 512;

std::string Hex(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%#x", unsigned(value));
    return text;
}

class RawAccess : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "needs root to attach and mount loop devices";
        std::filesystem::remove(m_image.Path());
        CImageFile::Create(m_image.Path(), kCardSectors);
        m_loop = std::make_unique<LoopDevice>(m_image.Path());
        if (m_loop->Path().empty()) GTEST_SKIP() << "losetup could not attach a loop device: " << m_loop->Error();
    }
    std::string Loop() const { return m_loop->Path(); }
    std::string Node() const { return std::filesystem::path(Loop()).filename().string(); }
    std::string Head() const { return ReadWholeFile(m_image.Path()).substr(0, kHeaderBytes); }
    bool IsVelk(const Environment& environment) const {
        const ProcessResult list = RunVelk3({"--allow-fixed", "list", Loop(), "--json"}, environment);
        EXPECT_EQ(list.exitCode, 0) << list.err;
        return list.exitCode == 0 && nlohmann::json::parse(list.out)["velk"] == true;
    }
    // velk3 as the unprivileged user nobody, which may not open the loop device itself.
    ProcessResult RunAsNobody(const std::vector<std::string>& args, const std::string& busAddress) const {
        std::vector<std::string> command = {"--reuid=65534", "--regid=65534", "--clear-groups", VELK3_BINARY};
        command.insert(command.end(), args.begin(), args.end());
        return RunProgram("setpriv", command, {{"DBUS_SYSTEM_BUS_ADDRESS", busAddress}});
    }

    CTempFile m_image;
    std::unique_ptr<LoopDevice> m_loop;
};

TEST_F(RawAccess, AMountedCardIsListedWhileMountedAndFormattedOnlyAfterTheUserAgreesToUnmount) {
    MountedFileSystem mounted(Loop());
    if (mounted.Point().empty()) GTEST_SKIP() << mounted.Error();
    const Environment noUdisks = {{"DBUS_SYSTEM_BUS_ADDRESS", kNoBus}};  // root unmounts by itself
    EXPECT_FALSE(IsVelk(noUdisks));
    EXPECT_TRUE(mounted.StillMounted()) << "list reads without unmounting";

    const std::string before = Head();
    const ProcessResult declined = RunVelk3({"--allow-fixed", "format", Loop()}, noUdisks);
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_NE(declined.err.find("Confirm: The card is mounted at " + mounted.Point() + ".\n\nUnmount it and continue?"),
              std::string::npos) << declined.err;
    EXPECT_TRUE(mounted.StillMounted());
    EXPECT_EQ(Head(), before) << "No writes nothing";

    const ProcessResult agreed = RunVelk3({"--yes", "--allow-fixed", "format", Loop()}, noUdisks);
    EXPECT_EQ(agreed.exitCode, 0) << agreed.err;
    EXPECT_FALSE(mounted.StillMounted());
    EXPECT_TRUE(IsVelk(noUdisks));
}

TEST_F(RawAccess, AnUnprivilegedUserReachesTheCardThroughUdisksAndIsToldWhyWhenItCannot) {
    CPrivateBus bus;
    if (bus.Address().empty()) GTEST_SKIP() << bus.Error();
    ASSERT_EQ(RunVelk3({"--yes", "--allow-fixed", "format", Loop()}).exitCode, 0);

    const ProcessResult alone = RunAsNobody({"--allow-fixed", "list", Loop()}, bus.Address());
    EXPECT_EQ(alone.exitCode, 1);
    EXPECT_NE(alone.err.find("Could not open drive (Permission denied)"), std::string::npos) << alone.err;
    EXPECT_NE(alone.err.find("(no udisks2 on the system bus)"), std::string::npos) << alone.err;
    {
        UdisksMockSetup setup{{{Loop(), Loop(), ""}}};
        setup.refuseOpen = true;
        CUdisksMock refusing(bus.Address(), setup);
        ASSERT_TRUE(refusing.Ready());
        const ProcessResult refused = RunAsNobody({"--allow-fixed", "list", Loop()}, bus.Address());
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_NE(refused.err.find("(not authorised)"), std::string::npos) << refused.err;
    }
    CUdisksMock udisks(bus.Address(), {{{Loop(), Loop(), ""}}});
    ASSERT_TRUE(udisks.Ready());
    const ProcessResult list = RunAsNobody({"--allow-fixed", "list", Loop(), "--json"}, bus.Address());
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(nlohmann::json::parse(list.out)["velk"], true);
    EXPECT_EQ(udisks.Calls(), (std::vector<std::string>{"ResolveDevice " + Loop(),
                                                        "OpenDevice " + Node() + " r flags=" + Hex(O_CLOEXEC) + " interactive=1"}));
}

TEST_F(RawAccess, AnUnprivilegedUserUnmountsAndWritesThroughUdisks) {
    CPrivateBus bus;
    if (bus.Address().empty()) GTEST_SKIP() << bus.Error();
    MountedFileSystem mounted(Loop());
    if (mounted.Point().empty()) GTEST_SKIP() << mounted.Error();
    CUdisksMock udisks(bus.Address(), {{{Loop(), Loop(), mounted.Point()}}});
    ASSERT_TRUE(udisks.Ready());
    const ProcessResult format = RunAsNobody({"--yes", "--allow-fixed", "format", Loop()}, bus.Address());
    EXPECT_EQ(format.exitCode, 0) << format.err;
    EXPECT_FALSE(mounted.StillMounted());
    const std::vector<std::string> expected = {
        "ResolveDevice " + Loop(), "Unmount " + Node() + " interactive=1",
        "ResolveDevice " + Loop(), "OpenDevice " + Node() + " rw flags=" + Hex(O_EXCL | O_CLOEXEC) + " interactive=1"};
    EXPECT_EQ(udisks.Calls(), expected);
    EXPECT_TRUE(IsVelk({}));
}

}  // namespace
