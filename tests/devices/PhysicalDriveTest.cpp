#include <gtest/gtest.h>

#include "support/ExceptionText.h"

#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <sys/sysmacros.h>

#include "devices/FakeSystem.h"
#include "devices/PhysicalDrive.h"
#include "devices/SyncRecorder.h"
#include "platform/Exceptions.h"

namespace {

struct DriveFixture {
    DriveFixture() {
        sys.AddDisk("sdb", "8:16", 64, true);
        sys.AddDeviceNode("sdb", 64 * 512);
    }
    DeviceEntry Entry() const { return {makedev(8, 16), "sdb (0.03MB) ()", "sdb"}; }
    CFakeSystem sys;
};

TEST(CPhysicalDrive, ReadsAndWritesWholeRunsAndNamesItselfByKernelName) {
    DriveFixture f;
    CPhysicalDrive drive(f.sys.Paths());
    drive.Open(f.Entry());
    EXPECT_EQ(drive.GetName(), "sdb");
    EXPECT_EQ(drive.GetSectorCount(), 64u);
    std::vector<uint8_t> out(3 * 512), in(3 * 512);
    for (size_t i = 0; i < out.size(); ++i) out[i] = uint8_t(i * 13);
    drive.writeSector(61, 3, out.data());
    drive.readSector(61, 3, in.data());
    EXPECT_EQ(in, out);
    drive.readSector(0, 0, in.data());  // count 0 transfers nothing and does not fail
    drive.Close();
}

TEST(CPhysicalDrive, ReportsTheTextsOfEachFailure) {
    DriveFixture f;
    std::vector<uint8_t> buffer(2 * 512);
    {
        CPhysicalDrive drive(f.sys.Paths());
        EXPECT_EQ(MessageOf([&] { drive.Open({makedev(8, 99), "", "sdx"}); }), "Unable to open drive")
            << "a drive that vanished since the listing";
    }
    {
        CPhysicalDrive drive(f.sys.Paths());
        drive.Open(f.Entry());
        EXPECT_EQ(MessageOf([&] { drive.Open(f.Entry()); }), "A drive is already opened");
        EXPECT_EQ(MessageOf([&] { drive.readSector(63, 2, buffer.data()); }), "Unable to read sector");
        EXPECT_EQ(MessageOf([&] { drive.writeSector(64, 1, buffer.data()); }), "Unable to write sector");
        drive.Close();
        drive.Close();  // closing twice is harmless
    }
    {
        std::filesystem::remove(f.sys.Root() / "dev/sdb");
        CPhysicalDrive drive(f.sys.Paths());
        EXPECT_EQ(MessageOf([&] { drive.Open(f.Entry()); }), "Could not open drive (No such file or directory)");
        EXPECT_EQ(MessageOf([&] { drive.Open(f.Entry()); }), "Could not open drive (No such file or directory)")
            << "a failed open leaves the drive closed";
        f.sys.AddDeviceNode("sdb", 64 * 512);
        EXPECT_EQ(MessageOf([&] { drive.Open(f.Entry()); }), "(no exception)") << "and the next try opens it";
        drive.Close();
    }
}

// An unused loop device's number, for a block node that is some other disk (root only: mknod).
std::optional<dev_t> SomeOtherBlockDevice() {
    struct stat st {};
    for (int n = 0; n < 8; ++n)
        if (::stat(("/dev/loop" + std::to_string(n)).c_str(), &st) == 0 && S_ISBLK(st.st_mode)) return st.st_rdev;
    return std::nullopt;
}

// Between the listing and the open, the disk may have changed: each row changes it, and Open must
// judge it again and open only that very disk, before any transfer.
TEST(CPhysicalDrive, OpenJudgesTheDiskAgainAndOpensOnlyTheListedDisk) {
    struct Case {
        const char* what;
        std::function<bool(CFakeSystem&)> change;  // false: cannot be set up here
        bool allowFixed;
        std::string message;
    };
    const auto node = [](CFakeSystem& s) { return (s.Root() / "dev/sdb").string(); };
    const auto replaceNode = [&](CFakeSystem& s, const std::function<bool(const std::string&)>& make) {
        std::filesystem::remove(node(s));
        return make(node(s));
    };
    const Case cases[] = {
        {"now mounted as the system", [](CFakeSystem& s) { return s.Mount("8:16", "/dev/sdb", "/"), true; }, false,
         "sdb holds the running system (a system mount or swap); it is never used as a card"},
        {"the same with --allow-fixed", [](CFakeSystem& s) { return s.Mount("8:16", "/dev/sdb", "/"), true; }, true,
         "sdb holds the running system (a system mount or swap); it is never used as a card"},
        {"no longer removable", [](CFakeSystem& s) { return s.SetAttribute("sdb/removable", "0"), true; }, false,
         "sdb is not a removable card reader; pass --allow-fixed to use it anyway"},
        {"a fixed disk with --allow-fixed", [](CFakeSystem& s) { return s.SetAttribute("sdb/removable", "0"), true; }, true,
         "(no exception)"},
        {"its node another kind of device",
         [&](CFakeSystem& s) { return replaceNode(s, [](const std::string& p) { return ::symlink("/dev/null", p.c_str()) == 0; }); },
         false, "/dev/sdb is not the disk sdb that was listed)"},
        {"its node another disk",
         [&](CFakeSystem& s) {
             const auto other = SomeOtherBlockDevice();
             return other && replaceNode(s, [&](const std::string& p) { return ::mknod(p.c_str(), S_IFBLK | 0600, *other) == 0; });
         },
         false, "/dev/sdb is not the disk sdb that was listed)"},
    };
    for (const Case& c : cases) {
        DriveFixture f;
        if (!c.change(f.sys)) continue;
        CPhysicalDrive drive(f.sys.Paths(), DeviceAccess::Read, nullptr, c.allowFixed);
        const std::string message = MessageOf([&] { drive.Open(f.Entry()); });
        EXPECT_TRUE(message.ends_with(c.message)) << c.what << ": " << message;
        drive.Close();
    }
}

TEST(CPhysicalDrive, FlushAndCloseAfterWritingReachTheCardAndKeepTheData) {
    DriveFixture f;
    const std::string node = (f.sys.Root() / "dev/sdb").string();
    std::vector<uint8_t> out(512, 0xA5), in(512);
    {
        CPhysicalDrive drive(f.sys.Paths());
        drive.Open(f.Entry());
        drive.writeSector(7, 1, out.data());
        drive.Flush();
        EXPECT_EQ(SyncCount(node), 1) << "Flush waits for the card";
        drive.Flush();
        EXPECT_EQ(SyncCount(node), 1) << "nothing written since";
        drive.writeSector(8, 1, out.data());
        EXPECT_NO_THROW(drive.Close());
        EXPECT_EQ(SyncCount(node), 2) << "Close after writing flushes";
    }
    CPhysicalDrive again(f.sys.Paths());
    again.Open(f.Entry());
    again.readSector(7, 1, in.data());
    EXPECT_EQ(in, out);
    again.Close();
    EXPECT_EQ(SyncCount(node), 2) << "a drive only read is not flushed";
}

}  // namespace
