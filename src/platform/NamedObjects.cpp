#include "platform/NamedObjects.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/FileIdentity.h"
#include "platform/TextFormat.h"

namespace named_objects {

namespace {

constexpr mode_t kDirectoryMode = 0700;

const char* EnvironmentDirectory() {
    for (const char* variable : {"VELK3_OBJECT_DIR", "XDG_RUNTIME_DIR"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    return nullptr;
}

std::string Refuse(int error, const std::string& why) {
    errno = error;
    return why;
}

std::string RefuseForSystemError(const std::string& what) {
    const int error = errno;
    return Refuse(error, what + std::strerror(error));
}

// Why directory cannot be the private one, or empty.
std::string PrivateDirectoryRefusal(const std::string& directory) {
    if (::mkdir(directory.c_str(), kDirectoryMode) != 0 && errno != EEXIST)
        return RefuseForSystemError(directory + " cannot be made: ");
    struct stat info {};
    if (::lstat(directory.c_str(), &info) != 0) return RefuseForSystemError(directory + ": ");
    if (S_ISLNK(info.st_mode)) return Refuse(EPERM, directory + " is a symbolic link");
    if (!S_ISDIR(info.st_mode)) return Refuse(ENOTDIR, directory + " is not a directory");
    if (info.st_uid != ::geteuid())
        return Refuse(EPERM, directory + " belongs to user " + std::to_string(info.st_uid) + ", not to this user");
    if ((info.st_mode & 07777) != kDirectoryMode)
        return Refuse(EPERM, StringPrintf("%s has mode %04o; it must be 0700", directory.c_str(),
                                          unsigned(info.st_mode & 07777)));
    return {};
}

}  // namespace

std::string ObjectDirectory() {
    const char* chosen = EnvironmentDirectory();
    return chosen ? chosen : PrivateDirectory();
}

std::string ObjectPath(const std::string& name) { return ObjectDirectory() + "/" + name; }

std::string PrivateDirectory(const std::string& root) { return root + "/velk3-" + std::to_string(::geteuid()); }

// Another user may have made the fallback first, on purpose or not; the refusal stands, and the
// user goes on with a directory of their own.
std::string PreparePrivateDirectory(const std::string& directory) {
    const std::string refusal = PrivateDirectoryRefusal(directory);
    if (refusal.empty()) return refusal;
    const int error = errno;
    return Refuse(error, refusal + "; set VELK3_OBJECT_DIR or XDG_RUNTIME_DIR to a directory of your own");
}

std::string CheckObjectDirectory() {
    return EnvironmentDirectory() ? std::string() : PreparePrivateDirectory(PrivateDirectory());
}

std::string ErrorText(int error) {
    const std::string refused = CheckObjectDirectory();
    if (!refused.empty()) return refused;
    if (error == EPERM) return "an object of that name is not a file of this user";
    return std::strerror(error);
}

bool IsValidName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

}  // namespace named_objects

namespace {

constexpr mode_t kObjectMode = 0600;

// The path of object name, its directory ready; false with errno set when either is refused.
bool ResolvePath(const std::string& name, std::string& path) {
    if (!named_objects::IsValidName(name)) {
        errno = EINVAL;
        return false;
    }
    if (!named_objects::CheckObjectDirectory().empty()) return false;
    path = named_objects::ObjectPath(name);
    return true;
}

// Another user's file (planted in a shared directory) or a FIFO under an object's name is never
// used: its owner could hold its locks for ever or shrink it under a mapping.
bool IsOwnObject(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    if (S_ISREG(info.st_mode) && info.st_uid == ::geteuid()) return true;
    errno = EPERM;
    return false;
}

// Opens an object file and checks it; -1 with errno set when it cannot be used.
int OpenObjectFile(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW, kObjectMode);
    if (fd < 0 || IsOwnObject(fd)) return fd;
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
}

int OpenExisting(const std::string& name) {
    std::string path;
    return ResolvePath(name, path) ? OpenObjectFile(path, O_RDWR) : -1;
}

// The creator of an object holds an exclusive flock on it for as long as it lives, and the kernel
// drops that lock when the creator dies however it dies. An existing object nobody holds was left
// by a process that was killed: it is removed so that it can be made afresh. True when it was.
bool RemoveIfStale(const std::string& path) {
    const int fd = OpenObjectFile(path, O_RDWR);
    if (fd < 0) return errno == ENOENT;  // gone meanwhile: try again
    bool removed = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        // Only the same file under that name, not one made afresh by another process meanwhile.
        removed = RemoveIfStillNamed(path, FileIdentity::Of(fd));
    }
    ::close(fd);
    return removed;
}

// A file without a name in the object directory, so that a process killed before it is linked
// leaves nothing behind; where the file system has no unnamed files, one under a private name.
int MakeUnnamedFile(const std::string& path, std::string& staging) {
    const int fd = ::open(named_objects::ObjectDirectory().c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, kObjectMode);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
    staging = path + ".new-XXXXXX";
    return ::mkostemp(staging.data(), O_CLOEXEC);
}

// Links the sized and locked file at source to path, replacing a stale object once. Only a name
// that is taken is reported as EEXIST; any other failure keeps its own errno.
bool LinkInPlace(const std::string& source, const std::string& path) {
    const auto link = [&] { return ::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0; };
    if (link()) return true;
    if (errno != EEXIST) return false;
    if (!RemoveIfStale(path)) {
        errno = EEXIST;
        return false;
    }
    return link();
}

}  // namespace

// ---- CFileMapping -------------------------------------------------------------------------

CFileMapping::CFileMapping(CFileMapping&& other) noexcept { *this = std::move(other); }

CFileMapping& CFileMapping::operator=(CFileMapping&& other) noexcept {
    if (this != &other) {
        Close();
        std::swap(m_fd, other.m_fd);
        std::swap(m_view, other.m_view);
        std::swap(m_size, other.m_size);
        std::swap(m_removeOnClose, other.m_removeOnClose);
        m_error = other.m_error;
    }
    return *this;
}

bool CFileMapping::Fail() {
    m_error = errno;
    return false;
}

bool CFileMapping::Create(const std::string& name, size_t size) {
    Close();
    std::string path;
    if (!ResolvePath(name, path)) return Fail();
    // Sized and locked before it gets its name, then linked into place: link fails when the name
    // exists, which makes the creation exclusive, and openers never see an object shorter than
    // size nor one its creator does not hold yet.
    std::string staging;
    const int fd = MakeUnnamedFile(path, staging);
    if (fd < 0) return Fail();
    const std::string source = staging.empty() ? "/proc/self/fd/" + std::to_string(fd) : staging;
    const bool made = ::fchmod(fd, kObjectMode) == 0 && ::ftruncate(fd, off_t(size)) == 0 &&
                      ::flock(fd, LOCK_EX | LOCK_NB) == 0 && LinkInPlace(source, path);
    const int error = errno;
    if (!staging.empty()) ::unlink(staging.c_str());
    if (!made) {
        ::close(fd);
        errno = error;
        return Fail();
    }
    m_fd = fd;
    m_removeOnClose = path;
    return true;
}

bool CFileMapping::Open(const std::string& name) {
    Close();
    m_fd = OpenExisting(name);
    return m_fd >= 0 || Fail();
}

bool CFileMapping::Map() {
    Unmap();
    struct stat info {};
    if (m_fd < 0) errno = EBADF;
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0) return Fail();
    if (info.st_size <= 0) {
        errno = EINVAL;
        return Fail();
    }
    void* view = ::mmap(nullptr, size_t(info.st_size), PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
    if (view == MAP_FAILED) return Fail();
    m_view = view;
    m_size = size_t(info.st_size);
    return true;
}

void CFileMapping::Unmap() {
    if (m_view) ::munmap(m_view, m_size);
    m_view = nullptr;
    m_size = 0;
}

void CFileMapping::Close() {
    Unmap();
    // The name goes while the lock is still held: once it is dropped, another process may take
    // the object for stale and put a new one under the same name.
    if (!m_removeOnClose.empty()) ::unlink(m_removeOnClose.c_str());
    m_removeOnClose.clear();
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

// ---- CStartupLock -------------------------------------------------------------------------

CStartupLock::~CStartupLock() {
    Release();
    if (m_fd >= 0) ::close(m_fd);
}

bool CStartupLock::Open(const std::string& name) {
    std::string path;
    m_fd = ResolvePath(name, path) ? OpenObjectFile(path, O_RDWR | O_CREAT) : -1;
    if (m_fd < 0) m_error = errno;
    return m_fd >= 0;
}

bool CStartupLock::Acquire(std::chrono::milliseconds timeout) {
    // flock has no timed form; the lock is held for microseconds, so a short back-off while
    // another process checks costs nothing and lets a hung holder end in a refusal.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
            m_held = true;
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_error = errno;
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            m_error = ETIMEDOUT;
            return false;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
}

void CStartupLock::Release() {
    if (m_held) ::flock(m_fd, LOCK_UN);
    m_held = false;
}

// ---- CInstanceRecord ----------------------------------------------------------------------

bool CInstanceRecord::Open(const std::string& name, bool& existed) {
    std::string path;
    const int fd = ResolvePath(name, path) ? OpenObjectFile(path, O_RDWR | O_CREAT) : -1;
    if (fd < 0) {
        m_error = errno;
        return false;
    }
    // Nobody holds it: whatever the file says is left over from processes that have ended.
    existed = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    const bool ok = existed ? ::flock(fd, LOCK_SH | LOCK_NB) == 0
                            : ::ftruncate(fd, sizeof(int32_t)) == 0 && ::flock(fd, LOCK_SH) == 0;
    if (!ok) {
        m_error = errno;
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool CInstanceRecord::Map() {
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
        m_error = errno;
        return false;
    }
    if (info.st_size < off_t(sizeof(int32_t))) {  // touching a page past the end would raise SIGBUS
        m_error = EINVAL;
        return false;
    }
    void* view = ::mmap(nullptr, sizeof(int32_t), PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
    if (view == MAP_FAILED) {
        m_error = errno;
        return false;
    }
    m_view = view;
    return true;
}

void CInstanceRecord::Unmap() {
    if (m_view) ::munmap(m_view, sizeof(int32_t));
    m_view = nullptr;
}

int32_t CInstanceRecord::Load() const {
    const auto* p = static_cast<const uint8_t*>(m_view);
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

void CInstanceRecord::Store(int32_t code) {
    auto* p = static_cast<uint8_t*>(m_view);
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(uint32_t(code) >> (8 * i));
}
