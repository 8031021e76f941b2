#include "support/MemoryDevice.h"

#include <algorithm>
#include <cstring>

#include "platform/Exceptions.h"

CMemoryDevice::CMemoryDevice(uint32_t sectorCount)
    : m_sectorCount(sectorCount), m_reportedCount(sectorCount), m_data(size_t(sectorCount) * kSectorSize) {}

void CMemoryDevice::Check(uint32_t first, uint32_t count, const char* message) {
    if (m_dead || uint64_t(first) + count > m_sectorCount) throw CUsbDeviceException(message);
}

void CMemoryDevice::readSector(uint32_t first, uint32_t count, uint8_t* buffer) {
    ++reads;
    readCalls.emplace_back(first, count);
    Check(first, count, "Unable to read sector");
    std::memcpy(buffer, Sector(first), size_t(count) * kSectorSize);
}

void CMemoryDevice::writeSector(uint32_t first, uint32_t count, const uint8_t* buffer) {
    ++m_writes;
    writeCalls.emplace_back(first, count);
    if (m_failAtWrite && m_writes >= *m_failAtWrite) {
        // Half of the failing run reaches the card: a torn write, the worst case.
        if (!m_dead && count > 1) std::memcpy(Sector(first), buffer, size_t(count / 2) * kSectorSize);
        m_dead = true;
    }
    Check(first, count, "Unable to write sector");
    const uint32_t kept = first >= m_keptSectors ? 0 : std::min(count, m_keptSectors - first);
    std::memcpy(Sector(first), buffer, size_t(kept) * kSectorSize);
}
