#pragma once
// What a job wrote to a card since its last check, a fingerprint a sector, so that it can be read
// back from the card itself and compared without keeping the data. A counterfeit or failing card
// accepts writes and loses them; only reading back tells.
#include <cstdint>
#include <vector>

#include "devices/SectorDevice.h"
#include "platform/JobControl.h"

class CWrittenSectors {
public:
    // A sector written again replaces what was recorded for it.
    void Record(uint32_t first, uint32_t count, const uint8_t* data);
    uint64_t SectorCount() const { return m_sectorCount; }
    void Clear();

    enum class Stops { Honoured, Ignored };
    // Reads every recorded sector from the card (flushed, past the machine's cache: DropCache) in
    // the Verifying phase and compares; throws naming the first sector the card did not keep.
    // Clears the record when all match.
    void Verify(CSectorDevice& device, const CJobControl& job, Stops stops);

private:
    struct Run {
        uint32_t first = 0;
        std::vector<uint64_t> fingerprints;
        uint64_t End() const { return first + uint64_t(fingerprints.size()); }
    };
    bool Replace(uint32_t sector, uint64_t fingerprint);
    void Append(uint32_t sector, uint64_t fingerprint);
    void VerifyRun(const Run& run, CSectorDevice& device, const CJobControl& job, Stops stops, uint64_t& done);

    std::vector<Run> m_runs;
    uint64_t m_sectorCount = 0;
};

// The failure of a check: the card did not keep sector.
MessageText NotKeptText(uint32_t sector);
