#include "devices/ImageFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Exceptions.h"
#include "platform/Translatable.h"
#include "platform/RegularFile.h"

namespace {

std::string SystemError() { return std::strerror(errno); }

constexpr uint64_t kMaxSectors = UINT32_MAX;  // sector numbers are 32-bit
constexpr mode_t kImageMode = 0600;           // an image holds a card's contents: its owner's alone

}  // namespace

CImageFile::~CImageFile() { m_file.CloseQuietly(); }

MessageText ReplacedImageMessage(const std::string& path) {
    return Fill(
        VELK3_TRANSLATE_NOOP("velk3core", "The card image %1 has been replaced by another file since it was listed."),
        path);
}

DeviceEntry CImageFile::EntryFor(const std::string& path) {
    DeviceEntry entry;
    entry.name = path;
    struct stat st {};
    const double megabytes = ::stat(path.c_str(), &st) == 0 ? double(st.st_size) / 1048576.0 : 0.0;
    char size[64];
    std::snprintf(size, sizeof size, " (%0.2fMB)", megabytes);
    entry.description = path + size;
    entry.id = DeviceId::Of(DeviceKind::Image, path);
    entry.id.file = FileIdentity::At(path, true);
    return entry;
}

void CImageFile::Create(const std::string& path, uint64_t sectorCount) {
    CImageFile image;
    image.OpenNew(path, sectorCount);
    image.Close();
}

void CImageFile::OpenNew(const std::string& path, uint64_t sectorCount) {
    if (m_file.IsOpen()) throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "A drive is already opened"));
    if (sectorCount == 0 || sectorCount > kMaxSectors)
        throw CUsbDeviceException(
            VELK3_TRANSLATE_NOOP("velk3core", "An image must hold between 1 and 4294967295 sectors"));
    CFileDescriptor file(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kImageMode));
    if (!file.IsOpen())
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "Could not create image %1 (%2)"), path, SystemError()));
    m_made = FileIdentity::Of(file.Get());
    if (::ftruncate(file.Get(), static_cast<off_t>(sectorCount * kSectorSize)) != 0 || ::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) {
        const std::string error = SystemError();
        RemoveIfStillNamed(path, m_made);
        throw CUsbDeviceException(Fill(VELK3_TRANSLATE_NOOP("velk3core", "Could not size image %1 (%2)"), path, error));
    }
    m_path = path;
    m_file = std::move(file);
    m_sectorCount = static_cast<uint32_t>(sectorCount);
    m_written = false;
}

void CImageFile::Discard() {
    m_file.CloseQuietly();
    if (m_made.Known()) RemoveIfStillNamed(m_path, m_made);
    m_made = {};
}

void CImageFile::Open(const DeviceEntry& entry) { OpenFile(entry, true); }

void CImageFile::OpenListed(const DeviceEntry& entry) { OpenFile(entry, false); }

void CImageFile::OpenFile(const DeviceEntry& entry, bool followLinks) {
    if (m_file.IsOpen()) throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "A drive is already opened"));
    OpenedFile opened = OpenRegularFile(entry.name, {O_RDWR, followLinks});
    if (!opened.IsOpen())
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "Could not open image %1 (%2)"), entry.name, opened.problem));
    if (entry.id.file.Known() && FileIdentity::Of(opened.file.Get()) != entry.id.file)
        throw CUsbDeviceException(ReplacedImageMessage(entry.name));
    CFileDescriptor file = std::move(opened.file);
    const struct stat& st = opened.info;
    if (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0)
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "Could not open image %1 (it is in use by another command)"),
                 entry.name));
    const uint64_t sectors = static_cast<uint64_t>(st.st_size) / kSectorSize;
    m_sectorCount = static_cast<uint32_t>(sectors > kMaxSectors ? kMaxSectors : sectors);
    m_path = entry.name;
    m_file = std::move(file);
    m_made = {};
    m_written = false;
}

void CImageFile::Close() {
    if (!m_file.IsOpen()) return;
    if (!m_written) {
        m_file.CloseQuietly();
        return;
    }
    if (!m_file.SyncAndClose())
        throw CSectorTransferException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "Unable to write sector (flushing %1 failed: %2)"), m_path,
                 SystemError()));
}

void CImageFile::Flush() {
    if (!m_file.IsOpen() || !m_written) return;  // nothing written since the last flush
    if (!m_file.Sync())
        throw CSectorTransferException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "Unable to write sector (flushing %1 failed: %2)"), m_path,
                 SystemError()));
    m_written = false;
}

void CImageFile::CheckRange(uint32_t first, uint32_t count, const char* message) const {
    if (!m_file.IsOpen() || uint64_t(first) + count > m_sectorCount) throw CUsbDeviceException(message);
}

void CImageFile::readSector(uint32_t first, uint32_t count, uint8_t* buffer) {
    CheckRange(first, count, VELK3_TRANSLATE_NOOP("velk3core", "Unable to read sector"));
    if (!m_file.ReadAt(uint64_t(first) * kSectorSize, buffer, size_t(count) * kSectorSize))
        throw CSectorTransferException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to read sector"));
}

void CImageFile::writeSector(uint32_t first, uint32_t count, const uint8_t* buffer) {
    CheckRange(first, count, VELK3_TRANSLATE_NOOP("velk3core", "Unable to write sector"));
    m_written = true;
    if (!m_file.WriteAt(uint64_t(first) * kSectorSize, buffer, size_t(count) * kSectorSize))
        throw CSectorTransferException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to write sector"));
}

// Written pages stay in the page cache after a flush; only clean pages can be dropped, so the
// flush comes first.
void CImageFile::DropCache(uint32_t first, uint32_t count) {
    CheckRange(first, count, VELK3_TRANSLATE_NOOP("velk3core", "Unable to read sector"));
    Flush();
    m_file.DropCache(uint64_t(first) * kSectorSize, uint64_t(count) * kSectorSize);
}
