#pragma once
// Which file a name led to when it was looked at: its file system's device and its inode. A name
// opened or removed again later is first checked to still lead there, so a file another hand put
// at the name meanwhile is neither used nor removed.
#include <cstdint>
#include <string>
#include <sys/stat.h>

struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;

    static FileIdentity Of(const struct stat& info) { return {uint64_t(info.st_dev), uint64_t(info.st_ino)}; }
    bool Known() const { return inode != 0; }
    bool operator==(const FileIdentity&) const = default;
};

// Removes path when it still names the file known as file (a link at the name is not followed);
// false, leaving whatever is there, otherwise.
bool RemoveIfStillNamed(const std::string& path, const FileIdentity& file);
