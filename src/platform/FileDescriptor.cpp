#include "platform/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

CFileDescriptor::~CFileDescriptor() { CloseQuietly(); }

CFileDescriptor& CFileDescriptor::operator=(CFileDescriptor&& other) noexcept {
    if (this != &other) {
        CloseQuietly();
        m_fd = other.Release();
    }
    return *this;
}

int CFileDescriptor::Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

bool CFileDescriptor::ReadAt(uint64_t offset, uint8_t* data, size_t length) const {
    while (length > 0) {
        const ssize_t got = ::pread(m_fd, data, length, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            if (got == 0) errno = 0;
            return false;
        }
        data += got;
        offset += static_cast<uint64_t>(got);
        length -= static_cast<size_t>(got);
    }
    return true;
}

bool CFileDescriptor::WriteAt(uint64_t offset, const uint8_t* data, size_t length) const {
    while (length > 0) {
        const ssize_t put = ::pwrite(m_fd, data, length, static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            if (put == 0) errno = ENOSPC;
            return false;
        }
        data += put;
        offset += static_cast<uint64_t>(put);
        length -= static_cast<size_t>(put);
    }
    return true;
}

bool CFileDescriptor::Sync() const {
    while (::fdatasync(m_fd) != 0)
        if (errno != EINTR) return false;
    return true;
}

void CFileDescriptor::DropCache(uint64_t offset, uint64_t length) const {
    // Advice only: where the file system keeps no separate copy (tmpfs) the pages are the medium.
    ::posix_fadvise(m_fd, static_cast<off_t>(offset), static_cast<off_t>(length), POSIX_FADV_DONTNEED);
}

bool CFileDescriptor::SyncAndClose() {
    if (m_fd < 0) return true;
    bool ok = ::fdatasync(m_fd) == 0;
    const int syncError = errno;
    const int fd = Release();
    if (::close(fd) != 0 && ok) return false;
    if (!ok) errno = syncError;
    return ok;
}

void CFileDescriptor::CloseQuietly() {
    if (m_fd >= 0) ::close(Release());
}
