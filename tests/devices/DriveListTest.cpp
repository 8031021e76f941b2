#include <gtest/gtest.h>

#include <sys/sysmacros.h>

#include "devices/DriveList.h"
#include "devices/FakeSystem.h"

namespace {

std::vector<std::string> Labels(const CFakeSystem& system) {
    DeviceList list;
    EnumerateDrives(list, system.Paths());
    std::vector<std::string> labels;
    for (const auto& e : list) labels.push_back(e.description);
    return labels;
}

TEST(EnumerateDrives, ListsOnlyRemovableCardsThatDoNotHoldTheSystem) {
    CFakeSystem sys;
    // The system disk, even though its firmware calls it removable.
    sys.AddDisk("sda", "8:0", 500118192, true);
    sys.AddPartition("sda", "sda1", "8:1", 1);
    sys.AddPartition("sda", "sda2", "8:2", 2);
    sys.Mount("8:2", "/dev/sda2", "/");
    sys.Mount("8:1", "/dev/sda1", "/boot/efi");
    // A card with no partition.
    sys.AddDisk("sdb", "8:16", 3905536, true);
    // A card with two partitions, one mounted at a path with a blank.
    sys.AddDisk("sdc", "8:32", 250880, true);
    sys.AddPartition("sdc", "sdc1", "8:33", 1);
    sys.AddPartition("sdc", "sdc2", "8:34", 2);
    sys.Mount("8:34", "/dev/sdc2", "/media/anna/MY\\040CARD");
    sys.Mount("8:33", "/dev/sdc1", "/media/anna/BOOT");
    // A USB disk that does not call itself removable.
    sys.AddDisk("sdd", "8:48", 2048, false, "pci0000:00/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0");
    // An SD card on the MMC bus.
    sys.AddDisk("mmcblk0", "179:0", 4096, false, "platform/mmc_host/mmc0/mmc0:0001");
    // Never cards.
    sys.AddDisk("loop0", "7:0", 2048, true);
    sys.AddDisk("zram0", "252:0", 2048, true);
    sys.AddDisk("sr0", "11:0", 2048, true);
    // A reader without a card.
    sys.AddDisk("sde", "8:64", 0, true);
    // A removable disk used as swap.
    sys.AddDisk("sdf", "8:80", 2048, true);
    sys.AddPartition("sdf", "sdf1", "8:81", 1);
    sys.Swap("/dev/sdf1");
    // A fixed internal disk.
    sys.AddDisk("nvme0n1", "259:0", 2048, false);

    const std::vector<std::string> want = {
        "mmcblk0 (2.00MB) ()",
        "sdb (1907.00MB) ()",
        "sdc (122.50MB) (/media/anna/BOOT, /media/anna/MY CARD)",
        "sdd (1.00MB) ()",
    };
    EXPECT_EQ(Labels(sys), want);
}

TEST(EnumerateDrives, EntriesCarryTheDiskNumberAndKernelName) {
    CFakeSystem sys;
    sys.AddDisk("sdb", "8:16", 2048, true);
    DeviceList list;
    EnumerateDrives(list, sys.Paths());
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "sdb");
    EXPECT_EQ(list[0].reference, makedev(8, 16));
}

TEST(EnumerateDrives, NoDisksGiveAnEmptyList) {
    CFakeSystem sys;
    DeviceList list{{1, "stale", "x"}};
    EnumerateDrives(list, sys.Paths());
    EXPECT_TRUE(list.empty());
}

TEST(CDriveList, KnowsEveryDiskSoAPathCanBeJudged) {
    CFakeSystem sys;
    sys.AddDisk("sda", "8:0", 2048, false);
    sys.AddPartition("sda", "sda1", "8:1", 1);
    sys.Mount("8:1", "/dev/sda1", "/home");
    sys.AddDisk("loop3", "7:3", 2048, false);
    const CDriveList drives(sys.Paths());
    ASSERT_NE(drives.FindByName("sda"), nullptr);
    EXPECT_TRUE(drives.FindByName("sda")->holdsSystem);
    ASSERT_NE(drives.FindByDev(makedev(7, 3)), nullptr);
    EXPECT_TRUE(drives.FindByDev(makedev(7, 3))->virtualDevice);
    EXPECT_FALSE(drives.FindByDev(makedev(7, 3))->Qualifies());
    EXPECT_EQ(drives.FindByName("sdz"), nullptr);
}

}  // namespace
