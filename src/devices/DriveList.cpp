#include "devices/DriveList.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <sys/sysmacros.h>

#include "platform/TextFormat.h"

namespace fs = std::filesystem;

namespace {

// Mount points that make a disk "the one the system runs on".
const std::set<std::string> kSystemMountPoints = {"/", "/boot", "/boot/efi", "/usr", "/var", "/home"};
const char* const kVirtualPrefixes[] = {"loop", "ram", "zram", "dm-", "md", "sr"};

struct Mount {
    std::string devNumber;   // "8:17"
    std::string sourceName;  // basename of the mount source, "sdb1"
    std::string mountPoint;
};

struct SystemUse {
    std::vector<Mount> mounts;
    std::set<std::string> swapNames;
};

std::string ReadFirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

bool ReadNumber(const fs::path& file, int64_t& value) {
    std::ifstream in(file);
    return static_cast<bool>(in >> value);
}

// mountinfo escapes blanks, tabs, newlines and backslashes as \ooo.
std::string UnescapeMountField(const std::string& text) {
    auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() &&
            octal(text[i + 1]) && octal(text[i + 2]) && octal(text[i + 3])) {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<Mount> ReadMounts(const fs::path& mountinfo) {
    std::vector<Mount> mounts;
    std::ifstream in(mountinfo);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, devNumber, root, mountPoint, word;
        if (!(fields >> id >> parent >> devNumber >> root >> mountPoint)) continue;
        std::string source;
        while (fields >> word)
            if (word == "-") {
                fields >> word >> source;  // file system type, then source
                break;
            }
        mounts.push_back({devNumber, fs::path(UnescapeMountField(source)).filename().string(),
                          UnescapeMountField(mountPoint)});
    }
    return mounts;
}

std::set<std::string> ReadSwapNames(const fs::path& swaps) {
    std::set<std::string> names;
    std::ifstream in(swaps);
    std::string line;
    std::getline(in, line);  // column headings
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string file;
        if (fields >> file) names.insert(fs::path(UnescapeMountField(file)).filename().string());
    }
    return names;
}

// A block device (disk or partition) as sysfs shows it.
struct BlockNode {
    std::string name;
    fs::path dir;
    std::string devNumber;
};

std::vector<BlockNode> PartitionsOf(const fs::path& diskDir, const std::string& diskName) {
    std::vector<std::pair<int64_t, BlockNode>> found;
    std::error_code ec;
    for (const auto& child : fs::directory_iterator(diskDir, ec)) {
        const std::string name = child.path().filename().string();
        int64_t number = 0;
        if (name.rfind(diskName, 0) != 0 || !ReadNumber(child.path() / "partition", number)) continue;
        found.push_back({number, {name, child.path(), ReadFirstLine(child.path() / "dev")}});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<BlockNode> partitions;
    for (auto& [number, node] : found) partitions.push_back(std::move(node));
    return partitions;
}

std::vector<std::string> MountPointsOf(const BlockNode& node, const SystemUse& use) {
    std::vector<std::string> points;
    for (const Mount& m : use.mounts)
        if ((!node.devNumber.empty() && m.devNumber == node.devNumber) || m.sourceName == node.name)
            points.push_back(m.mountPoint);
    return points;
}

// True when node, or anything stacked on it (device-mapper, md), is a system mount or swap.
bool UsedBySystem(const BlockNode& node, const SystemUse& use, const fs::path& blockRoot, int depth = 0) {
    if (use.swapNames.count(node.name)) return true;
    for (const std::string& point : MountPointsOf(node, use))
        if (kSystemMountPoints.count(point)) return true;
    if (depth > 8) return false;
    std::error_code ec;
    for (const auto& holder : fs::directory_iterator(node.dir / "holders", ec)) {
        const std::string name = holder.path().filename().string();
        const fs::path dir = blockRoot / name;
        if (UsedBySystem({name, dir, ReadFirstLine(dir / "dev")}, use, blockRoot, depth + 1)) return true;
    }
    return false;
}

bool OnRemovableBus(const fs::path& diskDir) {
    std::error_code ec;
    const fs::path real = fs::canonical(diskDir, ec);
    if (ec) return false;
    for (const auto& part : real) {
        const std::string piece = part.string();
        if (piece.rfind("usb", 0) == 0 || piece.rfind("mmc", 0) == 0) return true;
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

PhysicalDriveInfo DescribeDisk(const BlockNode& disk, const SystemUse& use, const fs::path& blockRoot) {
    PhysicalDriveInfo info;
    info.name = disk.name;
    info.dev = ParseDevNumber(disk.devNumber);
    int64_t value = 0;
    info.geometryValid = ReadNumber(disk.dir / "size", value) && value > 0;
    info.sectorCount = info.geometryValid ? value : 0;
    if (ReadNumber(disk.dir / "queue" / "logical_block_size", value) && value > 0)
        info.bytesPerSector = static_cast<uint32_t>(value);
    info.removable = (ReadNumber(disk.dir / "removable", value) && value == 1) || OnRemovableBus(disk.dir);
    info.virtualDevice = IsVirtualName(disk.name);
    info.serial = ReadSerial(disk.dir);
    info.holdsSystem = UsedBySystem(disk, use, blockRoot);
    const auto addMounts = [&](const BlockNode& node) {
        for (const std::string& point : MountPointsOf(node, use)) {
            info.mountPoints.push_back(point);
            info.mounts.push_back({node.name, point});
        }
    };
    addMounts(disk);
    for (const BlockNode& partition : PartitionsOf(disk.dir, disk.name)) {
        info.holdsSystem = info.holdsSystem || UsedBySystem(partition, use, blockRoot);
        addMounts(partition);
    }
    return info;
}

}  // namespace

CDriveList::CDriveList(const SystemPaths& paths) {
    const SystemUse use{ReadMounts(fs::path(paths.procRoot) / "self" / "mountinfo"),
                        ReadSwapNames(fs::path(paths.procRoot) / "swaps")};
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
