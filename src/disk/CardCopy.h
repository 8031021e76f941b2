#pragma once
// A card copied to an image and back. Only the sectors a VELK disk uses are copied (the header,
// the routines, the tables); the rest of an image stays holes. A restore cut short leaves a card
// that reads as not a VELK disk rather than as a valid card with mixed content: sector 0 is
// cleared first and the image's header goes on last.
#include <cstdint>
#include <string>

#include "devices/SectorDevice.h"
#include "platform/JobControl.h"

// Each copy reports its sectors to job and stops (CJobStopped) between runs when asked to.

// Copies the sectors card uses into image, which holds at least as many sectors and only zeros
// (a new image): runs of zeros are not written, so they stay holes. Returns the sectors copied.
uint32_t BackupCard(CSectorDevice& card, CSectorDevice& image, const CJobControl& job);

// The sectors a restore of image writes; throws when the image holds no VELK disk.
uint32_t RestoreNeeds(CSectorDevice& image);
// Throws when card has fewer than `needed` sectors.
void CheckCardRoom(uint32_t needed, CSectorDevice& card);

// Writes the first `sectors` sectors of image onto card, sector 0 cleared first and written last.
// What was written is read back from the card itself and compared with the image: the routines
// and tables before the header goes on (a stop is honoured there), the header after it. A card
// that did not keep them fails naming the first such sector, and never gets the header.
void RestoreCard(CSectorDevice& image, CSectorDevice& card, uint32_t sectors, const CJobControl& job);
