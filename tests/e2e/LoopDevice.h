#pragma once
// A loop device over an image file for the tests that need a real block device (root only), and
// a file system mounted for the life of the object.
#include <string>

#include "support/ChildProcess.h"

inline std::string TrimLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

class LoopDevice {
public:
    explicit LoopDevice(const std::string& image) {
        const ProcessResult r = RunProgram("losetup", {"--find", "--show", image});
        if (r.exitCode == 0) m_path = TrimLine(r.out);
        m_error = TrimLine(r.err);
    }
    ~LoopDevice() {
        if (!m_path.empty()) RunProgram("losetup", {"-d", m_path});
    }
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;
    const std::string& Path() const { return m_path; }
    const std::string& Error() const { return m_error; }

private:
    std::string m_path;
    std::string m_error;
};

// Makes a file system on device and mounts it at a new directory; unmounts and removes it after.
// FAT when the kernel has it, else ext2: only "mounted" matters to the tests.
class MountedFileSystem {
public:
    explicit MountedFileSystem(const std::string& device);
    ~MountedFileSystem();
    MountedFileSystem(const MountedFileSystem&) = delete;
    MountedFileSystem& operator=(const MountedFileSystem&) = delete;

    const std::string& Point() const { return m_point; }  // empty when mounting failed
    const std::string& Error() const { return m_error; }
    bool StillMounted() const;

private:
    std::string m_point;
    std::string m_error;
};
