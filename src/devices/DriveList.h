#pragma once
// A snapshot of the machine's disks, read from sysfs, mountinfo and swaps, built on demand and
// discarded after use. It knows every whole disk, qualifying or not, so that a command given a
// /dev path can tell a card reader from the disk the system runs on.
#include <cstdint>
#include <string>
#include <vector>

#include "devices/SectorDevice.h"
#include "platform/MessageText.h"
#include "platform/SystemPaths.h"

// One mount of the disk or of one of its partitions.
struct DriveMount {
    std::string node;   // kernel name of what is mounted: sdb1, or sdb without partitions
    std::string point;  // where
};

struct PhysicalDriveInfo {
    std::string name;                 // kernel name: sdb, mmcblk0
    uint64_t dev = 0;                 // dev_t of the whole disk
    bool geometryValid = false;       // size readable and non-zero
    uint32_t bytesPerSector = kSectorSize;
    int64_t sectorCount = 0;          // in 512-byte units, as sysfs counts
    bool removable = false;           // removable flag, on a USB bus, or in a card slot on the MMC bus
    bool virtualDevice = false;       // loop, RAM, zram, device-mapper, md, optical: never a card
    std::string serial;               // WWN, or the serial of the card or the reader; may be empty
    bool holdsSystem = false;         // it or a partition is a system mount or swap
    std::vector<std::string> mountPoints;  // of the disk and its partitions, in partition order
    std::vector<DriveMount> mounts;        // the same, with what is mounted

    // A card reader, with or without a card.
    bool IsCardReader() const { return removable && !virtualDevice && !holdsSystem; }
    bool Qualifies() const { return geometryValid && IsCardReader(); }
};

// Why drive may not be used as a card, naming it as shown; empty when it may. The disk the system
// runs on never may; a disk that is not a removable card reader only when allowFixed.
MessageText DriveRefusal(const PhysicalDriveInfo& drive, const std::string& shown, bool allowFixed);

class CDriveList {
public:
    explicit CDriveList(const SystemPaths& paths = {});

    const std::vector<PhysicalDriveInfo>& Drives() const { return m_drives; }
    const PhysicalDriveInfo* FindByDev(uint64_t dev) const;
    const PhysicalDriveInfo* FindByName(const std::string& name) const;

private:
    std::vector<PhysicalDriveInfo> m_drives;
};

// "sdb (1907.00MB) (/media/anna/CARD)"
std::string DriveLabel(const PhysicalDriveInfo& drive);

// Fills list with the qualifying drives: reference = dev_t, description = label, name = kernel name.
void EnumerateDrives(DeviceList& list, const SystemPaths& paths = {});
DeviceId DriveId(const PhysicalDriveInfo& drive);
