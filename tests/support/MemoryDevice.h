#pragma once
// An in-memory card for tests: counts transfers, and can fail the Nth write (before or after the
// data lands, as a real card may) or every transfer from the Nth on, as an unplugged reader does,
// or accept writes past a sector and lose them, as a counterfeit card does.
#include <cstdint>
#include <optional>
#include <vector>

#include "devices/SectorDevice.h"

class CMemoryDevice final : public CSectorDevice {
public:
    explicit CMemoryDevice(uint32_t sectorCount);

    uint32_t GetSectorCount() override { return m_reportedCount; }
    std::string GetName() override { return "memory"; }
    void readSector(uint32_t first, uint32_t count, uint8_t* buffer) override;
    void writeSector(uint32_t first, uint32_t count, const uint8_t* buffer) override;
    void Open(const DeviceEntry&) override {}
    void Close() override {}
    bool Identify() override { return true; }
    void Flush() override { flushes.push_back(int(writeCalls.size())); }

    // The write numbered n (1-based, counted from now) fails and so does every transfer after it.
    void FailFromWrite(int n) { m_failAtWrite = m_writes + n; }
    // Writes to sector and beyond are taken and lost; reads there return what was there before.
    void ForgetWritesFrom(uint32_t sector) { m_keptSectors = sector; }
    void Heal() { m_failAtWrite.reset(); m_dead = false; }
    // Reports the size as unknown (0), as some devices do.
    void HideSize() { m_reportedCount = 0; }

    uint8_t* Sector(uint32_t n) { return m_data.data() + size_t(n) * kSectorSize; }
    std::vector<uint8_t>& Bytes() { return m_data; }

    int reads = 0;
    int writes() const { return m_writes; }
    std::vector<std::pair<uint32_t, uint32_t>> readCalls;   // (first, count)
    std::vector<std::pair<uint32_t, uint32_t>> writeCalls;  // (first, count)
    std::vector<int> flushes;  // writeCalls.size() at each flush

private:
    void Check(uint32_t first, uint32_t count, const char* message);

    uint32_t m_sectorCount;
    uint32_t m_reportedCount;
    std::vector<uint8_t> m_data;
    int m_writes = 0;
    std::optional<int> m_failAtWrite;
    bool m_dead = false;
    uint32_t m_keptSectors = UINT32_MAX;
};
