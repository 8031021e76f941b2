#include <gtest/gtest.h>

#include "support/ExceptionText.h"

#include <functional>
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
