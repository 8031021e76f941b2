#pragma once
// Everything done to a flash card goes through this interface of whole 512-byte sectors. The
// owner calls Close and then deletes the object; the destructor of an implementation releases
// whatever Close would have, so no path leaks a device.
#include <cstdint>
#include <string>
#include <vector>

#include "devices/DeviceId.h"

inline constexpr uint32_t kSectorSize = 512;

// One element of a device list, plain values only. For a drive, reference is the disk's dev_t and
// name is its kernel name; for a USB unit, name is its unique name (reference is 0: a unit is found
// again by its identity whenever it is opened); for an image file, name is its path.
struct DeviceEntry {
    uint64_t reference = 0;
    std::string description;
    std::string name;
    DeviceId id{};
};

using DeviceList = std::vector<DeviceEntry>;

class CSectorDevice {
public:
    CSectorDevice() = default;
    virtual ~CSectorDevice();
    CSectorDevice(const CSectorDevice&) = delete;
    CSectorDevice& operator=(const CSectorDevice&) = delete;

    virtual uint32_t GetSectorCount() = 0;
    virtual std::string GetName() = 0;
    virtual void readSector(uint32_t first, uint32_t count, uint8_t* buffer) = 0;
    virtual void writeSector(uint32_t first, uint32_t count, const uint8_t* buffer) = 0;
    virtual void Open(const DeviceEntry& entry) = 0;
    virtual void Close() = 0;
    virtual bool Identify() = 0;
    // Returns once everything written so far is on the card. Writes may reach the card in any
    // order between two flushes, so whoever depends on an order (tables before the header that
    // points at them) flushes in between. Throws like a failed write.
    virtual void Flush() = 0;
    // Flushes, then makes the next reads of the range come from the card itself, never from a copy
    // this machine kept of what was written: how a job checks that the card kept its writes. A
    // device without a cache has nothing to drop.
    virtual void DropCache(uint32_t first, uint32_t count) {
        (void)first, (void)count;
        Flush();
    }

    // Buffered sequential writer, built on writeSector.
    virtual void BeginWrite(uint32_t startSector, uint32_t bufferSectors);
    virtual void WriteBytes(const uint8_t* data, uint32_t length);
    virtual uint32_t EndWrite();

private:
    void FlushWriteBuffer();

    uint32_t m_nextSector = 0;
    uint32_t m_bufferSize = 0;
    std::vector<uint8_t> m_buffer;
    uint32_t m_fill = 0;
};
