#pragma once
// The edits of the routines on a card, once for both faces: remove any routine, move one to
// another place, replace one by a routine file, rename one. Each reads the card, refuses wrong
// input before anything is written (a routine the card does not hold, a move to where the routine
// is, a title too long, a card that is no VELK disk), asks before it writes, keeps the machine
// awake, and leaves the card exactly as adding its routines in their new order would have made it.
// A stop is honoured until the card holds the new routines (the card is then unchanged, said in
// the CJobStopped's message); from there the edit finishes.
#include <optional>
#include <string>
#include <vector>

#include "operations/CardJobs.h"

// The card after an edit, and where each of the routines it held went: what a face needs to
// show the new list with the selection still on the routine it was on.
struct EditedCard {
    CardListing card;
    std::vector<std::optional<size_t>> placeOf;  // [track before]: its track now; none: removed
};

namespace job {

// Each returns the card as the edit left it; empty when the user said No.
// Asks "Remove routine N "Title" and its K schedules?"; the routine's schedules go with it.
std::optional<EditedCard> RemoveRoutine(const JobContext& context, size_t track);
// Puts the routine at from at place to; every schedule follows its routine.
std::optional<EditedCard> MoveRoutine(const JobContext& context, size_t from, size_t to);
// The routine of file (its audio copied or converted as add does) takes the place and the
// schedules of the routine at track.
std::optional<EditedCard> ReplaceRoutine(const JobContext& context, size_t track, const std::string& file);
// A title of at most 15 bytes; a longer one is refused, not cut. Only the tables are written.
std::optional<EditedCard> RenameRoutine(const JobContext& context, size_t track, const std::string& title);

}  // namespace job

// The failure of a routine number the card does not have.
std::string NoSuchRoutineText(size_t routines, size_t track);
