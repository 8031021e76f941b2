#pragma once
// A card copied to an image and back. Only the sectors a VELK disk uses are copied (the header,
// the routines, the tables); the rest of an image stays holes. A restore cut short leaves a card
// that reads as not a VELK disk rather than as a valid card with mixed content: sector 0 is
// cleared first and the image's header goes on last.
#include <cstdint>
#include <string>

#include "devices/SectorDevice.h"
#include "platform/Translatable.h"

class IStatusWindow;
class IProgressBar;

namespace status_text {
inline constexpr const char* kReadingCard = VELK3_TRANSLATE_NOOP("velk3core", "Reading Card");
inline constexpr const char* kWritingCard = VELK3_TRANSLATE_NOOP("velk3core", "Writing Card");
inline constexpr const char* kVerifying = VELK3_TRANSLATE_NOOP("velk3core", "Verifying");
}  // namespace status_text

struct CardCopyProgress {
    IStatusWindow* status = nullptr;
    IProgressBar* progress = nullptr;  // positions count sectors
};

// Copies the sectors card uses into image, which holds at least as many sectors and only zeros
// (a new image): runs of zeros are not written, so they stay holes. Returns the sectors copied.
uint32_t BackupCard(CSectorDevice& card, CSectorDevice& image, const CardCopyProgress& progress = {});

// The sectors a restore of image writes; throws when the image holds no VELK disk.
uint32_t RestoreNeeds(CSectorDevice& image);
// Throws when card has fewer than `needed` sectors.
void CheckCardRoom(uint32_t needed, CSectorDevice& card);

// Writes the first `sectors` sectors of image onto card, sector 0 cleared first and written last.
void RestoreCard(CSectorDevice& image, CSectorDevice& card, uint32_t sectors, const CardCopyProgress& progress = {});

// Reads back the first `sectors` sectors of card and compares them with image; throws naming the
// first sector that differs.
void VerifyCard(CSectorDevice& image, CSectorDevice& card, uint32_t sectors, const CardCopyProgress& progress = {});
