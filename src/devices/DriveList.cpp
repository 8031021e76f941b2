#include "devices/DriveList.h"

#include <algorithm>
#include <filesystem>
#include <sys/sysmacros.h>

#include "devices/DriveListSystemUse.h"
#include "platform/TextFormat.h"
#include "platform/Translatable.h"

namespace fs = std::filesystem;

namespace {

const char* const kVirtualPrefixes[] = {"loop", "ram", "zram", "dm-", "md", "sr"};
const char* const kEmmcAreas[] = {"boot", "rpmb"};  // an eMMC's own areas beside its user area

enum class Bus { Other, Usb, Mmc };

// A USB card reader may hold an MMC host of its own: USB decides.
Bus BusOf(const fs::path& diskDir) {
    std::error_code ec;
    const fs::path real = fs::canonical(diskDir, ec);
    const auto under = [&](const char* prefix) {
        return !ec && std::any_of(real.begin(), real.end(), [&](const fs::path& part) { return part.string().rfind(prefix, 0) == 0; });
    };
    return under("usb") ? Bus::Usb : under("mmc") ? Bus::Mmc : Bus::Other;
}

bool IsEmmcArea(const std::string& name) {
    return name.rfind("mmcblk", 0) == 0 && std::any_of(std::begin(kEmmcAreas), std::end(kEmmcAreas), [&](const char* area) {
               return name.find(area) != std::string::npos;
           });
}

// Storage soldered in (eMMC): it has boot areas (mmcblk0boot0), or its host says it cannot be
// removed. An SD card in a built-in slot has neither.
bool IsInternalMmc(const BlockNode& disk, const fs::path& blockRoot) {
    std::error_code ec;
    return IsEmmcArea(disk.name) || fs::exists(blockRoot / (disk.name + "boot0"), ec) ||
           ReadFirstLine(disk.dir / "device" / "removable") == "fixed";
}

// The removable flag, a USB bus, or the MMC bus of a card slot; internal eMMC only when its host
// marks it removable.
bool IsRemovable(const BlockNode& disk, const fs::path& blockRoot) {
    int64_t flag = 0;
    if (ReadNumber(disk.dir / "removable", flag) && flag == 1) return true;
    switch (BusOf(disk.dir)) {
        case Bus::Usb: return true;
        case Bus::Mmc:
            return !IsInternalMmc(disk, blockRoot) || ReadFirstLine(disk.dir / "device" / "removable") == "removable";
        case Bus::Other: break;
    }
    return false;
}

// The card reader's (or card's) own serial: a WWN where the disk has one, else the serial of the
// nearest device above it (the MMC card, or the USB reader).
std::string ReadSerial(const fs::path& diskDir) {
    for (const fs::path& file : {diskDir / "wwid", diskDir / "device" / "wwid"}) {
        const std::string wwid = ReadFirstLine(file);
        if (!wwid.empty()) return wwid;
    }
    std::error_code ec;
    fs::path device = fs::canonical(diskDir / "device", ec);
    for (; !ec && !device.empty() && device != device.root_path(); device = device.parent_path()) {
        const std::string serial = ReadFirstLine(device / "serial");
        if (!serial.empty()) return serial;
    }
    return {};
}

bool IsVirtualName(const std::string& name) {
    return std::any_of(std::begin(kVirtualPrefixes), std::end(kVirtualPrefixes),
                       [&](const char* prefix) { return name.rfind(prefix, 0) == 0; });
}

uint64_t ParseDevNumber(const std::string& text) {
    unsigned major = 0, minor = 0;
    if (std::sscanf(text.c_str(), "%u:%u", &major, &minor) != 2) return 0;
    return makedev(major, minor);
}

PhysicalDriveInfo DescribeDisk(const BlockNode& disk, const CSystemUse& use, const fs::path& blockRoot) {
    PhysicalDriveInfo info;
    info.name = disk.name;
    info.dev = ParseDevNumber(disk.devNumber);
    int64_t value = 0;
    info.geometryValid = ReadNumber(disk.dir / "size", value) && value > 0;
    info.sectorCount = info.geometryValid ? value : 0;
    if (ReadNumber(disk.dir / "queue" / "logical_block_size", value) && value > 0)
        info.bytesPerSector = static_cast<uint32_t>(value);
    info.removable = IsRemovable(disk, blockRoot);
    info.virtualDevice = IsVirtualName(disk.name);
    info.serial = ReadSerial(disk.dir);
    info.holdsSystem = use.UsedBySystem(disk);
    const auto addMounts = [&](const BlockNode& node) {
        for (const std::string& point : use.MountPointsOf(node)) {
            info.mountPoints.push_back(point);
            info.mounts.push_back({node.name, point});
        }
    };
    addMounts(disk);
    for (const BlockNode& partition : PartitionsOf(disk.dir, disk.name)) {
        info.holdsSystem = info.holdsSystem || use.UsedBySystem(partition);
        addMounts(partition);
    }
    return info;
}

}  // namespace

CDriveList::CDriveList(const SystemPaths& paths) {
    const CSystemUse use(paths);
    const fs::path blockRoot = fs::path(paths.sysRoot) / "block";
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(blockRoot, ec)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const fs::path dir = blockRoot / name;
        m_drives.push_back(DescribeDisk({name, dir, ReadFirstLine(dir / "dev")}, use, blockRoot));
    }
}

const PhysicalDriveInfo* CDriveList::FindByDev(uint64_t dev) const {
    for (const auto& drive : m_drives)
        if (drive.dev == dev && dev != 0) return &drive;
    return nullptr;
}

const PhysicalDriveInfo* CDriveList::FindByName(const std::string& name) const {
    for (const auto& drive : m_drives)
        if (drive.name == name) return &drive;
    return nullptr;
}

MessageText DriveRefusal(const PhysicalDriveInfo& drive, const std::string& shown, bool allowFixed) {
    if (drive.holdsSystem)
        return Fill(
            VELK3_TRANSLATE_NOOP("velk3core",
                                 "%1 holds the running system (a system mount or swap); it is never used as a card"),
            shown);
    if (!drive.IsCardReader() && !allowFixed)
        return Fill(
            VELK3_TRANSLATE_NOOP("velk3core", "%1 is not a removable card reader; pass --allow-fixed to use it anyway"),
            shown);
    return {};
}

std::string DriveLabel(const PhysicalDriveInfo& drive) {
    std::string label = StringPrintf("%s (%0.2fMB) (", drive.name.c_str(),
                                     double(drive.sectorCount) * kSectorSize / 1048576.0);
    for (size_t i = 0; i < drive.mountPoints.size(); ++i) {
        if (i > 0) label += ", ";
        label += drive.mountPoints[i];
    }
    return label + ")";
}

void EnumerateDrives(DeviceList& list, const SystemPaths& paths) {
    list.clear();
    const CDriveList drives(paths);
    for (const auto& drive : drives.Drives())
        if (drive.Qualifies()) list.push_back({drive.dev, DriveLabel(drive), drive.name, DriveId(drive)});
}

DeviceId DriveId(const PhysicalDriveInfo& drive) {
    DeviceId id = DeviceId::Of(DeviceKind::Drive, drive.name);
    id.serial = drive.serial;
    id.sectors = uint64_t(drive.sectorCount);
    return id;
}
