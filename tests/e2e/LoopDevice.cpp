#include "e2e/LoopDevice.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/mount.h>

#include "platform/TempFiles.h"

namespace {

bool KernelHas(const std::string& fileSystem) {
    std::ifstream in("/proc/filesystems");
    for (std::string line; std::getline(in, line);)
        if (line.size() >= fileSystem.size() && line.compare(line.size() - fileSystem.size(), fileSystem.size(), fileSystem) == 0)
            return true;
    return false;
}

}  // namespace

MountedFileSystem::MountedFileSystem(const std::string& device) {
    const bool fat = KernelHas("vfat");
    if (!fat && !KernelHas("ext2")) {
        m_error = "the kernel mounts neither vfat nor ext2";
        return;
    }
    const ProcessResult made = fat ? RunProgram("mkfs.vfat", {device}) : RunProgram("mkfs.ext2", {"-q", "-F", device});
    if (made.exitCode != 0) {
        m_error = "mkfs failed: " + made.err;
        return;
    }
    std::string point = CreateTempFile("ylmmnt");
    std::filesystem::remove(point);
    std::filesystem::create_directory(point);
    const ProcessResult mounted = RunProgram("mount", {device, point});
    if (mounted.exitCode != 0) {
        m_error = "mount failed: " + mounted.err;
        std::filesystem::remove(point);
        return;
    }
    m_point = point;
}

MountedFileSystem::~MountedFileSystem() {
    if (m_point.empty()) return;
    if (StillMounted()) ::umount2(m_point.c_str(), MNT_DETACH);
    std::error_code ec;
    std::filesystem::remove(m_point, ec);
}

bool MountedFileSystem::StillMounted() const {
    std::ifstream in("/proc/self/mountinfo");
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string id, parent, dev, root, point;
        if (fields >> id >> parent >> dev >> root >> point && point == m_point) return true;
    }
    return false;
}
