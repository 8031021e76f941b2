#include "devices/DriveListSystemUse.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Mount points that make a disk "the one the system runs on".
const std::set<std::string> kSystemMountPoints = {"/", "/boot", "/boot/efi", "/efi", "/usr", "/var", "/home"};
constexpr int kMaxStackDepth = 8;

// mountinfo escapes blanks, tabs, newlines and backslashes as \ooo.
std::string UnescapeMountField(const std::string& text) {
    auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && octal(text[i + 1]) && octal(text[i + 2]) && octal(text[i + 3])) {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<MountEntry> ReadMounts(const fs::path& mountinfo) {
    std::vector<MountEntry> mounts;
    std::ifstream in(mountinfo);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, devNumber, root, mountPoint, word, fsType, source;
        if (!(fields >> id >> parent >> devNumber >> root >> mountPoint)) continue;
        while (fields >> word)
            if (word == "-") {
                fields >> fsType >> source;
                break;
            }
        mounts.push_back({devNumber, UnescapeMountField(source), fsType, UnescapeMountField(mountPoint)});
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

// udev's record of one block device: its E: lines as a map.
std::map<std::string, std::string> ReadUdevProperties(const fs::path& file) {
    std::map<std::string, std::string> properties;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const size_t equals = line.find('=');
        if (line.rfind("E:", 0) == 0 && equals != std::string::npos)
            properties[line.substr(2, equals - 2)] = line.substr(equals + 1);
    }
    return properties;
}

// btrfs and ZFS give mountinfo a device number of their own, so only the source's name tells their
// devices. Any other source name is the mounter's choice (a FUSE file system of any user names it
// freely) and never makes a mount a disk's.
bool NumberedByItsFileSystem(const MountEntry& mount) { return mount.fsType == "btrfs" || mount.fsType == "zfs"; }

constexpr const char* kMapperPrefix = "/dev/mapper/";

BlockNode NodeAt(const fs::path& dir) {
    return {dir.filename().string(), dir, ReadFirstLine(dir / "dev")};
}

}  // namespace

bool ReadNumber(const fs::path& file, int64_t& value) {
    std::ifstream in(file);
    return static_cast<bool>(in >> value);
}

std::string ReadFirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

std::vector<BlockNode> PartitionsOf(const fs::path& diskDir, const std::string& diskName) {
    std::vector<std::pair<int64_t, BlockNode>> found;
    std::error_code ec;
    for (const auto& child : fs::directory_iterator(diskDir, ec)) {
        const std::string name = child.path().filename().string();
        int64_t number = 0;
        if (name.rfind(diskName, 0) != 0 || !ReadNumber(child.path() / "partition", number)) continue;
        found.push_back({number, NodeAt(child.path())});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<BlockNode> partitions;
    for (auto& [number, node] : found) partitions.push_back(std::move(node));
    return partitions;
}

CSystemUse::CSystemUse(const SystemPaths& paths)
    : m_sysRoot(paths.sysRoot), m_runRoot(paths.runRoot), m_mounts(ReadMounts(fs::path(paths.procRoot) / "self" / "mountinfo")),
      m_swapNames(ReadSwapNames(fs::path(paths.procRoot) / "swaps")) {
    for (const MountEntry& mount : m_mounts) {
        if (!kSystemMountPoints.count(mount.mountPoint)) continue;
        m_systemMounts.push_back(mount);
        if (mount.fsType == "btrfs") AddBtrfsMembers(mount);
        if (mount.fsType == "zfs") AddZfsMembers(mount);
    }
}

// A node is named in mountinfo by its number. btrfs and ZFS report a number of their own: their
// source's name is the kernel name, or a device-mapper device's own name (/dev/mapper/root), which
// a device-mapper source of any file system is matched by as well.
bool CSystemUse::Mounts(const MountEntry& mount, const BlockNode& node) const {
    if (!node.devNumber.empty() && mount.devNumber == node.devNumber) return true;
    const std::string sourceName = fs::path(mount.source).filename().string();
    if (sourceName.empty()) return false;
    const std::string mapperName = ReadFirstLine(node.dir / "dm" / "name");
    const bool mapped = !mapperName.empty() && sourceName == mapperName;
    if (NumberedByItsFileSystem(mount)) return sourceName == node.name || mapped;
    return mapped && mount.source.rfind(kMapperPrefix, 0) == 0;
}

std::vector<std::string> CSystemUse::MountPointsOf(const BlockNode& node) const {
    std::vector<std::string> points;
    for (const MountEntry& mount : m_mounts)
        if (Mounts(mount, node)) points.push_back(mount.mountPoint);
    return points;
}

// btrfs lists the devices of each file system under /sys/fs/btrfs/UUID/devices: when one of them
// carries a system mount, all of them hold the system.
void CSystemUse::AddBtrfsMembers(const MountEntry& mount) {
    std::error_code ec;
    for (const auto& filesystem : fs::directory_iterator(m_sysRoot / "fs" / "btrfs", ec)) {
        std::vector<BlockNode> members;
        std::error_code inner;
        for (const auto& entry : fs::directory_iterator(filesystem.path() / "devices", inner)) {
            const fs::path dir = fs::canonical(entry.path(), inner);
            if (!inner) members.push_back(NodeAt(dir));
        }
        if (std::none_of(members.begin(), members.end(), [&](const BlockNode& m) { return Mounts(mount, m); })) continue;
        for (const BlockNode& member : members) m_memberDevNumbers.insert(member.devNumber);
    }
}

// A ZFS mount names its dataset (pool/...), not a device; udev records each device of a pool
// (ID_FS_TYPE zfs_member) with the pool's name as its label.
void CSystemUse::AddZfsMembers(const MountEntry& mount) {
    const std::string pool = mount.source.substr(0, mount.source.find('/'));
    std::error_code ec;
    for (const auto& record : fs::directory_iterator(m_runRoot / "udev" / "data", ec)) {
        const std::string file = record.path().filename().string();
        if (file.size() < 2 || file[0] != 'b') continue;  // block devices only
        const auto properties = ReadUdevProperties(record.path());
        const auto type = properties.find("ID_FS_TYPE"), label = properties.find("ID_FS_LABEL");
        if (type != properties.end() && type->second == "zfs_member" && label != properties.end() && label->second == pool)
            m_memberDevNumbers.insert(file.substr(1));
    }
}

bool CSystemUse::IsSystemNode(const BlockNode& node) const {
    if (m_swapNames.count(node.name)) return true;
    if (!node.devNumber.empty() && m_memberDevNumbers.count(node.devNumber)) return true;
    return std::any_of(m_systemMounts.begin(), m_systemMounts.end(), [&](const MountEntry& m) { return Mounts(m, node); });
}

bool CSystemUse::UsedBySystem(const BlockNode& node) const { return UsedBySystem(node, 0); }

// Holders are whole devices of their own (dm-0, md0), which may carry partitions (md0p1).
bool CSystemUse::UsedBySystem(const BlockNode& node, int depth) const {
    if (IsSystemNode(node)) return true;
    if (depth >= kMaxStackDepth) return false;
    std::error_code ec;
    for (const auto& holder : fs::directory_iterator(node.dir / "holders", ec)) {
        const BlockNode stacked = NodeAt(m_sysRoot / "block" / holder.path().filename());
        if (UsedBySystem(stacked, depth + 1)) return true;
        for (const BlockNode& partition : PartitionsOf(stacked.dir, stacked.name))
            if (UsedBySystem(partition, depth + 1)) return true;
    }
    return false;
}
