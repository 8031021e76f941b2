#include "platform/FileIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr int64_t kNsPerSecond = 1000000000;

FileIdentity Looked(int directory, const char* path, int flags) {
    struct statx info {};
    if (::statx(directory, path, flags, STATX_TYPE | STATX_INO | STATX_BTIME, &info) != 0) return {};
    FileIdentity file;
    file.device = makedev(info.stx_dev_major, info.stx_dev_minor);
    file.inode = info.stx_ino;
    file.type = info.stx_mode & S_IFMT;
    if (info.stx_mask & STATX_BTIME) file.bornNs = info.stx_btime.tv_sec * kNsPerSecond + info.stx_btime.tv_nsec;
    return file;
}

}  // namespace

FileIdentity FileIdentity::Of(int fd) { return Looked(fd, "", AT_EMPTY_PATH); }

FileIdentity FileIdentity::At(const std::string& path, bool followLinks) {
    return Looked(AT_FDCWD, path.c_str(), followLinks ? 0 : AT_SYMLINK_NOFOLLOW);
}

bool RemoveIfStillNamed(const std::string& path, const FileIdentity& file) {
    return file.Known() && FileIdentity::At(path, false) == file && ::unlink(path.c_str()) == 0;
}
