#pragma once
// Reaches a card in a card reader through the raw block device /dev/NAME. The kernel's page cache
// holds writes, so Close flushes them and reports a flush that fails: a card pulled after "done"
// must hold its data.
#include <memory>
#include <string>

#include "devices/DeviceAccess.h"
#include "devices/DriveList.h"
#include "devices/FileDescriptor.h"
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
    // system's udisks2. questions: asked before a mounted card is unmounted for writing.
    explicit CPhysicalDrive(SystemPaths paths = {}, DeviceAccess access = DeviceAccess::ReadWrite,
                            IUdisksClient* udisks = nullptr, IUserPrompt* questions = nullptr);
    ~CPhysicalDrive() override;

    uint32_t GetSectorCount() override;
    std::string GetName() override { return m_drive.name; }
    void readSector(uint32_t first, uint32_t count, uint8_t* buffer) override;
    void writeSector(uint32_t first, uint32_t count, const uint8_t* buffer) override;
    // entry.reference is the dev_t of a disk of the drive list.
    void Open(const DeviceEntry& entry) override;
    void Close() override;
    bool Identify() override { return true; }
    void Flush() override;
    void DropCache(uint32_t first, uint32_t count) override;

private:
    void OpenHandle(DriveHandle& handle);
    void RequireOpen(uint32_t first, uint32_t count, const char* message) const;

    SystemPaths m_paths;
    DeviceAccess m_access;
    IUdisksClient* m_udisks;
    IUserPrompt* m_questions;
    PhysicalDriveInfo m_drive;
    std::unique_ptr<DriveHandle> m_handle;
    bool m_written = false;  // since the last flush
};
