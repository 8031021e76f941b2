#pragma once
// A card to an image file and back, for velk3 and the window. Both report their sectors and honour
// a stop between runs; a restore reads what it wrote back from the card itself, not from what this
// machine still holds of it.
#include <optional>
#include <string>

#include "operations/JobContext.h"

struct CopySummary {
    uint32_t sectors = 0;      // copied
    uint32_t cardSectors = 0;  // the card's size (backup)
};

// What the faces tell when a copy has ended. %1 the image file, %2 the sectors copied, %3 (backup)
// the card's sectors.
namespace copy_text {
inline constexpr const char* kBackedUp =
    VELK3_TRANSLATE_NOOP("velk3core", "The card has been backed up to %1 (%2 of %3 sectors in use).");
inline constexpr const char* kRestored =
    VELK3_TRANSLATE_NOOP("velk3core", "The card has been restored from %1 and verified (%2 sectors).");
}  // namespace copy_text

// format is the text above or its translation.
std::string CopySummaryText(const std::string& format, const std::string& imagePath, const CopySummary& copied);

namespace job {

// Creates imagePath (it must not exist). A failed or stopped backup removes it again: half an image
// would restore as a broken card.
CopySummary Backup(const JobContext& context, const std::string& imagePath);

// Asks the restore question, then writes the image onto the card, verifying it as it goes. Empty
// when told No.
std::optional<CopySummary> Restore(const JobContext& context, const std::string& imagePath);

}  // namespace job
