#include "devices/SyncRecorder.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

std::mutex g_lock;
std::vector<std::string> g_synced;

}  // namespace

int SyncCount(const std::string& path) {
    const std::string wanted = std::filesystem::weakly_canonical(path).string();
    std::lock_guard lock(g_lock);
    return int(std::count(g_synced.begin(), g_synced.end(), wanted));
}

// Takes the C library's place for the whole test program (the executable's symbol wins).
extern "C" int fdatasync(int fd) {
    std::error_code error;
    const auto target = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error);
    {
        std::lock_guard lock(g_lock);
        g_synced.push_back(error ? std::string() : target.string());
    }
    return int(::syscall(SYS_fdatasync, fd));
}
