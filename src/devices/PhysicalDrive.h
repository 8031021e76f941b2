#pragma once
// Reaches a card in a card reader through the raw block device /dev/NAME. The kernel's page cache
// holds writes, so Close flushes them and reports a flush that fails: a card pulled after "done"
// must hold its data.
#include <memory>
#include <stop_token>
#include <string>
#include <sys/stat.h>

#include "devices/DeviceAccess.h"
#include "devices/DriveList.h"
#include "platform/FileDescriptor.h"
#include "devices/SectorDevice.h"
#include "platform/SystemPaths.h"
#include "platform/UserPrompt.h"

class IUdisksClient;

struct DriveHandle {
    std::string path;
    CFileDescriptor file;
    uint32_t bytesPerSector = kSectorSize;
    bool open = false;
};

class CPhysicalDrive final : public CSectorDevice {
public:
    // udisks: asked when the system refuses to open the disk, and to unmount it; nullptr means the
    // system's udisks2. allowFixed: a disk that is not a removable card reader may be opened too
    // (never the disk the system runs on). questions: asked before a mounted card is unmounted.
    // stop: ends a wait for the system's udisks2 while opening.
    explicit CPhysicalDrive(SystemPaths paths = {}, DeviceAccess access = DeviceAccess::ReadWrite,
                            IUdisksClient* udisks = nullptr, bool allowFixed = false, IUserPrompt* questions = nullptr,
                            std::stop_token stop = {});
    ~CPhysicalDrive() override;

    uint32_t GetSectorCount() override;
    std::string GetName() override { return m_drive.name; }
    void readSector(uint32_t first, uint32_t count, uint8_t* buffer) override;
    void writeSector(uint32_t first, uint32_t count, const uint8_t* buffer) override;
    // entry.reference is the dev_t of a disk of the drive list. The disk is judged again as it is
    // now, and the node opened must be that very disk: between the listing and the open, a disk
    // may have come to hold the system or another disk may have taken the name.
    void Open(const DeviceEntry& entry) override;
    void Close() override;
    bool Identify() override { return true; }
    void Flush() override;
    void DropCache(uint32_t first, uint32_t count) override;

private:
    void OpenHandle(DriveHandle& handle);
    bool IsListedDisk(const struct stat& st) const;
    void RequireOpen(uint32_t first, uint32_t count, const char* message) const;

    SystemPaths m_paths;
    DeviceAccess m_access;
    IUdisksClient* m_udisks;
    bool m_allowFixed;
    IUserPrompt* m_questions;
    std::stop_token m_stop;
    PhysicalDriveInfo m_drive;
    std::unique_ptr<DriveHandle> m_handle;
    bool m_written = false;  // since the last flush
};
