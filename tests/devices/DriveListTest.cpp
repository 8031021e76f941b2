#include <gtest/gtest.h>

#include <functional>
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

// Ways a disk carries the running system, or is storage built into the machine, that a look at
// its own partitions' mounts misses. Each row is one machine; sdb stands for a removable disk.
TEST(CDriveList, FindsTheSystemBehindStackedAndPooledDevicesAndKeepsInternalEmmcOut) {
    struct Case {
        const char* what;
        std::function<void(CFakeSystem&)> build;
        const char* disk;
        bool system, listed;
    };
    const auto usbDisk = [](CFakeSystem& s, const char* name, const char* dev) {
        s.AddDisk(name, dev, 4096, false, std::string("pci0000:00/usb1/1-1/") + name);
    };
    const auto part = [](CFakeSystem& s, const char* disk, int n, const std::string& dev) {
        s.AddPartition(disk, disk + std::to_string(n), dev, n);
    };
    const auto mapper = [](CFakeSystem& s, const char* name, const char* dev, const char* mapped) {
        s.AddDisk(name, dev, 4096, false, "virtual");
        s.SetAttribute(std::string(name) + "/dm/name", mapped);
    };
    const std::string mmcHost = "platform/mmc_host/mmc0/mmc0:0001";
    const Case cases[] = {
        {"root on LVM", [&](CFakeSystem& s) {
             usbDisk(s, "sdb", "8:16"); part(s, "sdb", 2, "8:18"); mapper(s, "dm-0", "254:0", "vg-root");
             s.AddHolder("sdb/sdb2", "dm-0"); s.Mount("254:0", "/dev/mapper/vg-root", "/", "ext4");
         }, "sdb", true, false},
        {"btrfs root on dm-crypt (mountinfo gives btrfs's own number)", [&](CFakeSystem& s) {
             usbDisk(s, "sdb", "8:16"); part(s, "sdb", 2, "8:18"); mapper(s, "dm-0", "254:0", "luks-root");
             s.AddHolder("sdb/sdb2", "dm-0"); s.Mount("0:31", "/dev/mapper/luks-root", "/", "btrfs");
         }, "sdb", true, false},
        {"the second disk of a btrfs root", [&](CFakeSystem& s) {
             s.AddDisk("sda", "8:0", 4096, false); part(s, "sda", 2, "8:2");
             usbDisk(s, "sdb", "8:16"); part(s, "sdb", 1, "8:17");
             s.AddBtrfs("5d1c", {"sda/sda2", "sdb/sdb1"}); s.Mount("0:32", "/dev/sda2", "/", "btrfs");
         }, "sdb", true, false},
        {"root on a partition of an md array", [&](CFakeSystem& s) {
             usbDisk(s, "sdb", "8:16"); part(s, "sdb", 1, "8:17"); s.AddDisk("md0", "9:0", 4096, false, "virtual");
             part(s, "md0", 1, "259:0"); s.AddHolder("sdb/sdb1", "md0"); s.Mount("259:0", "/dev/md0p1", "/", "ext4");
         }, "sdb", true, false},
        {"a ZFS root", [&](CFakeSystem& s) {
             usbDisk(s, "sdb", "8:16"); part(s, "sdb", 1, "8:17");
             s.UdevRecord("8:17", {"ID_FS_TYPE=zfs_member", "ID_FS_LABEL=rpool"});
             s.Mount("0:25", "rpool/ROOT/debian", "/", "zfs");
         }, "sdb", true, false},
        {"a ZFS pool that is not the system's", [&](CFakeSystem& s) {
             usbDisk(s, "sdb", "8:16"); part(s, "sdb", 1, "8:17");
             s.UdevRecord("8:17", {"ID_FS_TYPE=zfs_member", "ID_FS_LABEL=tank"});
             s.Mount("0:25", "rpool/ROOT/debian", "/", "zfs");
         }, "sdb", false, true},
        {"the EFI system partition at /efi", [&](CFakeSystem& s) {
             usbDisk(s, "sdb", "8:16"); part(s, "sdb", 1, "8:17"); s.Mount("8:17", "/dev/sdb1", "/efi");
         }, "sdb", true, false},
        {"eMMC with boot areas", [&](CFakeSystem& s) {
             s.AddDisk("mmcblk0", "179:0", 4096, false, mmcHost); s.AddDisk("mmcblk0boot0", "179:8", 64, false, mmcHost);
         }, "mmcblk0", false, false},
        {"an eMMC boot area itself", [&](CFakeSystem& s) { s.AddDisk("mmcblk0boot0", "179:8", 64, false, mmcHost); },
         "mmcblk0boot0", false, false},
        {"eMMC its host calls fixed", [&](CFakeSystem& s) {
             s.AddDisk("mmcblk0", "179:0", 4096, false, mmcHost); s.SetAttribute("mmcblk0/device/removable", "fixed");
         }, "mmcblk0", false, false},
        {"eMMC its host marks removable", [&](CFakeSystem& s) {
             s.AddDisk("mmcblk0", "179:0", 4096, false, mmcHost); s.AddDisk("mmcblk0boot0", "179:8", 64, false, mmcHost);
             s.SetAttribute("mmcblk0/device/removable", "removable");
         }, "mmcblk0", false, true},
        {"an SD card in a slot", [&](CFakeSystem& s) { s.AddDisk("mmcblk0", "179:0", 4096, false, mmcHost); },
         "mmcblk0", false, true},
    };
    for (const Case& c : cases) {
        CFakeSystem sys;
        c.build(sys);
        const CDriveList drives(sys.Paths());
        const PhysicalDriveInfo* drive = drives.FindByName(c.disk);
        ASSERT_NE(drive, nullptr) << c.what;
        EXPECT_EQ(drive->holdsSystem, c.system) << c.what;
        EXPECT_EQ(drive->Qualifies(), c.listed) << c.what;
    }
}

// Any user can mount a FUSE file system and name its source as they like: only the device number
// says that a mount is the card's. btrfs gives a number of its own, so its source is looked at.
TEST(CDriveList, TakesAMountForTheCardsByItsDeviceNumberAndByNameOnlyForBtrfs) {
    struct Case {
        const char* what;
        std::string dev, source, type;
        bool card;
    };
    const Case cases[] = {
        {"the card's own file system", "8:17", "/dev/sdb1", "vfat", true},
        {"a FUSE mount named after the partition", "0:52", "sdb1", "fuse.sshfs", false},
        {"a FUSE mount naming the partition's path", "0:53", "/dev/sdb1", "fuse", false},
        {"a tmpfs naming the partition's path", "0:54", "/dev/sdb1", "tmpfs", false},
        {"btrfs on the partition", "0:40", "/dev/sdb1", "btrfs", true},
    };
    for (const Case& c : cases) {
        CFakeSystem sys;
        sys.AddDisk("sdb", "8:16", 2048, true);
        sys.AddPartition("sdb", "sdb1", "8:17", 1);
        sys.Mount(c.dev, c.source, "/media/somebody/X", c.type);
        const CDriveList drives(sys.Paths());
        ASSERT_NE(drives.FindByName("sdb"), nullptr);
        EXPECT_EQ(drives.FindByName("sdb")->mountPoints,
                  c.card ? std::vector<std::string>{"/media/somebody/X"} : std::vector<std::string>{})
            << c.what;
    }
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
