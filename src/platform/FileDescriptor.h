#pragma once
// An owned file descriptor with whole-run positional transfers: the raw drive, the card image and
// every file opened through OpenRegularFile.
#include <cstddef>
#include <cstdint>
#include <sys/types.h>

class CFileDescriptor {
public:
    CFileDescriptor() = default;
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    ~CFileDescriptor();
    CFileDescriptor(CFileDescriptor&& other) noexcept : m_fd(other.Release()) {}
    CFileDescriptor& operator=(CFileDescriptor&& other) noexcept;
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Get() const { return m_fd; }
    int Release();

    // True when all length bytes were transferred; errno tells why not otherwise (0 for a short
    // transfer at the end of the file or device).
    bool ReadAt(uint64_t offset, uint8_t* data, size_t length) const;
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t length) const;

    // Flushes written data to the medium; false (with errno) when that fails.
    bool Sync() const;
    // Drops this machine's clean cached copy of the range, so the next read comes from the medium.
    void DropCache(uint64_t offset, uint64_t length) const;
    // Flushes written data to the medium and closes; false (with errno) when either fails.
    bool SyncAndClose();
    void CloseQuietly();

private:
    int m_fd = -1;
};
