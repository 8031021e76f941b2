#include "platform/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

const char* TypeName(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISCHR(mode)) return "a character device (such as a terminal or a serial port)";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISLNK(mode)) return "a symbolic link";
    return "something else";
}

bool Allowed(mode_t mode, const RegularFileRules& rules) { return S_ISREG(mode) || (rules.blockDevice && S_ISBLK(mode)); }

OpenedFile Refused(mode_t mode, const RegularFileRules& rules) {
    OpenedFile refused;
    refused.problem = std::string(TypeName(mode)) + (rules.blockDevice ? ", not a disk or a regular file" : ", not a regular file");
    return refused;
}

OpenedFile Failed(int error, const RegularFileRules& rules) {
    // O_NOFOLLOW meets a link that appeared after the look.
    if (error == ELOOP && !rules.followLinks) return Refused(S_IFLNK, rules);
    OpenedFile failed;
    failed.error = error;
    failed.problem = error == ENOENT ? "no such file" : std::strerror(error);
    return failed;
}

}  // namespace

OpenedFile OpenRegularFile(const std::string& path, const RegularFileRules& rules) {
    struct stat named {};
    if ((rules.followLinks ? ::stat(path.c_str(), &named) : ::lstat(path.c_str(), &named)) != 0)
        return Failed(errno, rules);
    if (!Allowed(named.st_mode, rules)) return Refused(named.st_mode, rules);
    // What is at the name may change between the look and the open: the open must not wait either.
    const int flags = rules.access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (rules.followLinks ? 0 : O_NOFOLLOW);
    OpenedFile opened;
    opened.file = CFileDescriptor(::open(path.c_str(), flags));
    if (!opened.IsOpen()) return Failed(errno, rules);
    if (::fstat(opened.file.Get(), &opened.info) != 0) return Failed(errno, rules);
    if (!Allowed(opened.info.st_mode, rules)) return Refused(opened.info.st_mode, rules);
    const int status = ::fcntl(opened.file.Get(), F_GETFL);
    if (status < 0 || ::fcntl(opened.file.Get(), F_SETFL, status & ~O_NONBLOCK) != 0) return Failed(errno, rules);
    return opened;
}

StdioFile OpenRegularStream(const std::string& path, const char* mode, std::string& problem, const RegularFileRules& rules) {
    RegularFileRules streamRules = rules;
    streamRules.access = std::strchr(mode, '+') ? O_RDWR : O_RDONLY;
    OpenedFile opened = OpenRegularFile(path, streamRules);
    problem = opened.problem;
    if (!opened.IsOpen()) return {};
    StdioFile file(::fdopen(opened.file.Get(), mode));
    if (!file) {
        problem = std::strerror(errno);
        return {};
    }
    opened.file.Release();  // the stream owns it now
    std::setvbuf(file.get(), nullptr, _IOFBF, kStdioBufferSize);
    return file;
}

bool ReadRegularFile(const std::string& path, size_t mostBytes, std::vector<uint8_t>& bytes, std::string& problem) {
    const OpenedFile opened = OpenRegularFile(path);
    problem = opened.problem;
    if (!opened.IsOpen()) return false;
    if (uint64_t(opened.info.st_size) > mostBytes) {
        problem = "larger than " + std::to_string(mostBytes) + " bytes";
        return false;
    }
    bytes.resize(size_t(opened.info.st_size));
    if (opened.file.ReadAt(0, bytes.data(), bytes.size())) return true;
    problem = errno ? std::strerror(errno) : "it ended while being read";
    return false;
}
