#pragma once
// Which file a name led to when it was looked at. A name opened or removed again later is first
// checked to still lead there, so a file another hand put at the name meanwhile is neither used nor
// removed. The inode number alone does not tell: a file system hands a freed number to the next
// file made, so a link or a new file put in place of a deleted one may carry the old number. The
// type and, where the file system keeps it, the birth time tell those apart.
#include <cstdint>
#include <string>

struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    uint32_t type = 0;    // S_IFREG, S_IFLNK, ...
    int64_t bornNs = 0;   // 0 where the file system keeps no birth time

    // Of the file open on fd; of what path names now (a link itself when followLinks is false).
    // None known (Known() false) when it cannot be looked at.
    static FileIdentity Of(int fd);
    static FileIdentity At(const std::string& path, bool followLinks);

    bool Known() const { return inode != 0; }
    bool operator==(const FileIdentity&) const = default;
};

// Removes path when it still names the file known as file (a link at the name is not followed);
// false, leaving whatever is there, otherwise.
bool RemoveIfStillNamed(const std::string& path, const FileIdentity& file);
