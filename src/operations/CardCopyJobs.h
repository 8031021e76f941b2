#pragma once
// A card to an image file and back, for velk3 and the window. Both report their sectors and honour
// a stop between runs; a restore is verified by reading the card again after it was closed (and so
// flushed), not what this process still holds.
#include <string>

#include "operations/JobContext.h"

struct CopySummary {
    uint32_t sectors = 0;      // copied
    uint32_t cardSectors = 0;  // the card's size (backup)
};

namespace job {

// Creates imagePath (it must not exist). A failed or stopped backup removes it again: half an image
// would restore as a broken card.
CopySummary Backup(const JobContext& context, const std::string& imagePath);

// Asks the restore question, then writes the image onto the card and verifies it.
JobOutcome Restore(const JobContext& context, const std::string& imagePath, CopySummary& summary);

}  // namespace job
