#pragma once
// What the running system uses of the machine's block devices, for the drive list: its mounts
// (from mountinfo), its swap, and the members of the file systems it runs on. A disk holds the
// system when it, a partition of it, or anything stacked on them (device-mapper, md and their
// partitions) carries a system mount or swap, or belongs to a multi-device file system (btrfs, a
// ZFS pool) that a system mount comes from.
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/SystemPaths.h"

// A block device (disk or partition) as sysfs shows it.
struct BlockNode {
    std::string name;
    std::filesystem::path dir;
    std::string devNumber;  // "8:17"
};

struct MountEntry {
    std::string devNumber;   // as mountinfo gives it: a file system's own number for btrfs and ZFS
    std::string source;      // "/dev/sdb1", "/dev/mapper/root", "rpool/ROOT/debian"
    std::string fsType;
    std::string mountPoint;
};

class CSystemUse {
public:
    explicit CSystemUse(const SystemPaths& paths);

    // Where node itself is mounted.
    std::vector<std::string> MountPointsOf(const BlockNode& node) const;
    bool UsedBySystem(const BlockNode& node) const;

private:
    bool Mounts(const MountEntry& mount, const BlockNode& node) const;
    bool IsSystemNode(const BlockNode& node) const;
    bool UsedBySystem(const BlockNode& node, int depth) const;
    void AddBtrfsMembers(const MountEntry& mount);
    void AddZfsMembers(const MountEntry& mount);

    std::filesystem::path m_sysRoot;
    std::filesystem::path m_runRoot;
    std::vector<MountEntry> m_mounts;
    std::vector<MountEntry> m_systemMounts;
    std::set<std::string> m_swapNames;
    std::set<std::string> m_memberDevNumbers;  // of file systems the system runs on
};

// Every partition of a disk, in partition order.
std::vector<BlockNode> PartitionsOf(const std::filesystem::path& diskDir, const std::string& diskName);
std::string ReadFirstLine(const std::filesystem::path& file);
bool ReadNumber(const std::filesystem::path& file, int64_t& value);
