#pragma once
// A fake /sys, /proc, /dev and /run under a temporary directory, so drive listing and opening can
// be tested on any machine. Removed with its owner.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/SystemPaths.h"
#include "platform/TempFiles.h"

class CFakeSystem {
public:
    CFakeSystem() : m_root(MakeRoot()) {
        namespace fs = std::filesystem;
        fs::create_directories(m_root / "sys/block");
        fs::create_directories(m_root / "sys/devices");
        fs::create_directories(m_root / "proc/self");
        fs::create_directories(m_root / "dev");
        fs::create_directories(m_root / "run/udev/data");
        Write("proc/self/mountinfo", "");
        Write("proc/swaps", "Filename\t\t\t\tType\t\tSize\t\tUsed\t\tPriority\n");
    }
    ~CFakeSystem() { std::filesystem::remove_all(m_root); }

    SystemPaths Paths() const {
        return {(m_root / "sys").string(), (m_root / "proc").string(), (m_root / "dev").string(), (m_root / "run").string()};
    }

    // A whole disk of `sectors` 512-byte sectors. busPath places it under a bus (e.g. "usb1/1-1")
    // the way sysfs links block devices to their parent devices.
    void AddDisk(const std::string& name, const std::string& dev, int64_t sectors, bool removable,
                 const std::string& busPath = "pci0000:00/ata1") {
        namespace fs = std::filesystem;
        const fs::path real = m_root / "sys/devices" / busPath / "block" / name;
        fs::create_directories(real / "holders");
        fs::create_directories(real / "queue");
        Write(real / "dev", dev + "\n");
        Write(real / "size", std::to_string(sectors) + "\n");
        Write(real / "removable", removable ? "1\n" : "0\n");
        Write(real / "queue/logical_block_size", "512\n");
        fs::create_directory_symlink(real.parent_path().parent_path(), real / "device");
        fs::create_directory_symlink(real, m_root / "sys/block" / name);
    }
    void AddPartition(const std::string& disk, const std::string& name, const std::string& dev, int number) {
        const auto dir = std::filesystem::canonical(m_root / "sys/block" / disk) / name;
        std::filesystem::create_directories(dir);
        Write(dir / "dev", dev + "\n");
        Write(dir / "partition", std::to_string(number) + "\n");
    }
    // node ("sda", or "sda/sda2" for a partition) is held by upper (dm-0, md0), as sysfs links it.
    void AddHolder(const std::string& node, const std::string& upper) {
        const auto holders = std::filesystem::canonical(m_root / "sys/block" / node) / "holders";
        std::filesystem::create_directories(holders);
        std::filesystem::create_directory_symlink(m_root / "sys/block" / upper, holders / upper);
    }
    // A file below /sys/block: "dm-0/dm/name", "mmcblk0/device/removable".
    void SetAttribute(const std::string& file, const std::string& value) {
        const auto path = std::filesystem::weakly_canonical(m_root / "sys/block" / file);
        std::filesystem::create_directories(path.parent_path());
        Write(path, value + "\n");
    }
    // A btrfs file system over the nodes ("sda/sda2", "dm-0"), as /sys/fs/btrfs lists its devices.
    void AddBtrfs(const std::string& uuid, const std::vector<std::string>& nodes) {
        const auto devices = m_root / "sys/fs/btrfs" / uuid / "devices";
        std::filesystem::create_directories(devices);
        for (const std::string& node : nodes) {
            const auto dir = std::filesystem::canonical(m_root / "sys/block" / node);
            std::filesystem::create_directory_symlink(dir, devices / dir.filename());
        }
    }
    // What udev found on the block device dev ("8:17"): lines KEY=VALUE.
    void UdevRecord(const std::string& dev, const std::vector<std::string>& properties) {
        std::string text;
        for (const std::string& property : properties) text += "E:" + property + "\n";
        Write("run/udev/data/b" + dev, text);
    }
    void Mount(const std::string& dev, const std::string& source, const std::string& point,
               const std::string& type = "vfat") {
        AppendLine("proc/self/mountinfo",
                   "40 1 " + dev + " / " + point + " rw,relatime shared:1 - " + type + " " + source + " rw");
    }
    void Swap(const std::string& source) { AppendLine("proc/swaps", source + "\tpartition\t1000\t0\t-2"); }
    // A regular file standing in for /dev/NAME.
    void AddDeviceNode(const std::string& name, uint64_t bytes) {
        std::ofstream(m_root / "dev" / name).close();
        std::filesystem::resize_file(m_root / "dev" / name, bytes);
    }
    std::filesystem::path Root() const { return m_root; }

private:
    static std::filesystem::path MakeRoot() {
        const std::string file = CreateTempFile("ylmsys");
        std::filesystem::remove(file);
        std::filesystem::create_directories(file);
        return file;
    }
    void Write(const std::filesystem::path& path, const std::string& text) {
        std::ofstream(path.is_absolute() ? path : m_root / path) << text;
    }
    void AppendLine(const std::string& path, const std::string& line) {
        std::ofstream(m_root / path, std::ios::app) << line << "\n";
    }

    std::filesystem::path m_root;
};
