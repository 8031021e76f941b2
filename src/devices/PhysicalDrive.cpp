#include "devices/PhysicalDrive.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include "devices/RawDiskOpener.h"
#include "platform/Exceptions.h"
#include "platform/Translatable.h"

namespace {
constexpr const char* kFlushFailed =
    VELK3_TRANSLATE_NOOP("velk3core", "Unable to write sector (flushing the card failed: %1)");
}

CPhysicalDrive::CPhysicalDrive(SystemPaths paths, DeviceAccess access, IUdisksClient* udisks, bool allowFixed,
                               IUserPrompt* questions, std::stop_token stop)
    : m_paths(std::move(paths)), m_access(access), m_udisks(udisks), m_allowFixed(allowFixed), m_questions(questions),
      m_stop(std::move(stop)) {}

CPhysicalDrive::~CPhysicalDrive() {
    if (m_handle) m_handle->file.CloseQuietly();
}

uint32_t CPhysicalDrive::GetSectorCount() {
    // Sector numbers are 32-bit: a larger card is used up to the last addressable sector.
    return static_cast<uint32_t>(std::min<int64_t>(m_drive.sectorCount, UINT32_MAX));
}

void CPhysicalDrive::Open(const DeviceEntry& entry) {
    const CDriveList drives(m_paths);
    const PhysicalDriveInfo* found = drives.FindByDev(entry.reference);
    if (!found) throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to open drive"));
    if (m_handle) throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "A drive is already opened"));
    // Before anything is asked or unmounted.
    if (const MessageText refusal = DriveRefusal(*found, found->name, m_allowFixed); !refusal.Empty())
        throw CUsbDeviceException(refusal);
    m_drive = *found;
    // Attached only once open: a failed Open leaves the object closed, ready for another try.
    auto handle = std::make_unique<DriveHandle>();
    handle->path = m_paths.devRoot + "/" + m_drive.name;
    handle->bytesPerSector = m_drive.bytesPerSector;
    OpenHandle(*handle);
    m_handle = std::move(handle);
}

void CPhysicalDrive::OpenHandle(DriveHandle& handle) {
    handle.file = CRawDiskOpener(m_paths.devRoot, m_udisks, m_questions, m_stop).Open(m_drive, m_access);
    struct stat st {};
    if (::fstat(handle.file.Get(), &st) != 0) {
        const std::string error = std::strerror(errno);
        handle.file.CloseQuietly();
        throw CUsbDeviceException(Fill(VELK3_TRANSLATE_NOOP("velk3core", "Could not open drive (%1)"), error));
    }
    if (!IsListedDisk(st)) {  // before any transfer
        handle.file.CloseQuietly();
        throw CUsbDeviceException(NotTheListedDiskMessage(handle.path, m_drive.name));
    }
    if (S_ISBLK(st.st_mode)) {
        // The device node is the authority; sysfs may lag behind a card change.
        int logical = 0;
        if (::ioctl(handle.file.Get(), BLKSSZGET, &logical) == 0 && logical > 0)
            handle.bytesPerSector = static_cast<uint32_t>(logical);
        uint64_t bytes = 0;
        if (::ioctl(handle.file.Get(), BLKGETSIZE64, &bytes) == 0) m_drive.sectorCount = int64_t(bytes / kSectorSize);
    }
    if (handle.bytesPerSector != kSectorSize) {
        handle.file.CloseQuietly();
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP(
                     "velk3core", "Could not open drive (its sectors are %1 bytes; VELK cards use 512-byte sectors)"),
                 handle.bytesPerSector));
    }
    handle.open = true;
    m_written = false;
}

// A block node must be the listed disk itself; a regular file stands in for one in tests (only root
// could put one under /dev).
bool CPhysicalDrive::IsListedDisk(const struct stat& st) const {
    return S_ISBLK(st.st_mode) ? uint64_t(st.st_rdev) == m_drive.dev : S_ISREG(st.st_mode);
}

void CPhysicalDrive::Close() {
    if (!m_handle) return;
    std::unique_ptr<DriveHandle> handle = std::move(m_handle);
    if (!handle->open) return;
    if (!m_written) {
        handle->file.CloseQuietly();
        return;
    }
    if (!handle->file.SyncAndClose()) throw CSectorTransferException(Fill(kFlushFailed, std::strerror(errno)));
}

void CPhysicalDrive::Flush() {
    if (!m_handle || !m_handle->open || !m_written) return;  // nothing written since the last flush
    if (!m_handle->file.Sync()) throw CSectorTransferException(Fill(kFlushFailed, std::strerror(errno)));
    m_written = false;
}

// A transfer past the end would wrap the 32-bit sector numbers or, on a stand-in file, grow it.
void CPhysicalDrive::RequireOpen(uint32_t first, uint32_t count, const char* message) const {
    if (!m_handle || !m_handle->open || uint64_t(first) + count > uint64_t(m_drive.sectorCount))
        throw CUsbDeviceException(message);
}

void CPhysicalDrive::readSector(uint32_t first, uint32_t count, uint8_t* buffer) {
    RequireOpen(first, count, VELK3_TRANSLATE_NOOP("velk3core", "Unable to read sector"));
    if (!m_handle->file.ReadAt(uint64_t(first) * kSectorSize, buffer, size_t(count) * kSectorSize))
        throw CSectorTransferException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to read sector"));
}

void CPhysicalDrive::writeSector(uint32_t first, uint32_t count, const uint8_t* buffer) {
    RequireOpen(first, count, VELK3_TRANSLATE_NOOP("velk3core", "Unable to write sector"));
    m_written = true;
    if (!m_handle->file.WriteAt(uint64_t(first) * kSectorSize, buffer, size_t(count) * kSectorSize))
        throw CSectorTransferException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to write sector"));
}

// The block device's page cache keeps what was written; only clean pages can be dropped, so the
// flush comes first.
void CPhysicalDrive::DropCache(uint32_t first, uint32_t count) {
    RequireOpen(first, count, VELK3_TRANSLATE_NOOP("velk3core", "Unable to read sector"));
    Flush();
    m_handle->file.DropCache(uint64_t(first) * kSectorSize, uint64_t(count) * kSectorSize);
}
