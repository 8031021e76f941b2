#pragma once
// A card to an image file and back, for velk3 and the window. Both report their sectors and honour
// a stop between runs; a restore reads what it wrote back from the card itself, not from what this
// machine still holds of it.
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

// Asks the restore question, then writes the image onto the card, verifying it as it goes.
JobOutcome Restore(const JobContext& context, const std::string& imagePath, CopySummary& summary);

}  // namespace job
