#include "devices/SyncRecorder.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace {

std::mutex g_lock;
std::vector<std::pair<std::string, std::string>> g_calls;  // (file, call)

std::string Canonical(const std::string& path) { return std::filesystem::weakly_canonical(path).string(); }

void Note(int fd, const std::string& call) {
    std::error_code error;
    const auto target = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error);
    std::lock_guard lock(g_lock);
    g_calls.emplace_back(error ? std::string() : target.string(), call);
}

}  // namespace

int SyncCount(const std::string& path) {
    const std::vector<std::string> calls = CacheCalls(path);
    return int(std::count(calls.begin(), calls.end(), "sync"));
}

std::vector<std::string> CacheCalls(const std::string& path) {
    const std::string wanted = Canonical(path);
    std::vector<std::string> calls;
    std::lock_guard lock(g_lock);
    for (const auto& [file, call] : g_calls)
        if (file == wanted) calls.push_back(call);
    return calls;
}

// Both take the C library's place for the whole test program (the executable's symbol wins).
extern "C" int fdatasync(int fd) {
    Note(fd, "sync");
    return int(::syscall(SYS_fdatasync, fd));
}

extern "C" int posix_fadvise(int fd, off_t offset, off_t length, int advice) {
    if (advice == POSIX_FADV_DONTNEED) Note(fd, "drop " + std::to_string(offset) + "+" + std::to_string(length));
    return ::syscall(SYS_fadvise64, fd, offset, length, advice) == 0 ? 0 : errno;
}
