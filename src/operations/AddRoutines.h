#pragma once
// Add routine, for one file (the window) or several (velk3): reads the card, asks before taking over
// a card that is no VELK disk, and imports each file as the new last track. A stop request is
// honoured while audio is converted and between runs of sectors; the card then holds what it held
// before the routine being added (said in the CJobStopped's message).
#include <optional>
#include <string>
#include <vector>

#include "operations/JobContext.h"

struct AddedRoutine {
    std::string file;
    size_t track = 0;  // its track number on the card
};

namespace job {

// The routines added, in order; empty when the user said No to taking over the card. A failure
// after some routines reached the card says which (a second run must not add them again by
// surprise); a stop says how many. A failure to read or write the card carries the job's sentence on
// what the card holds then as its summary.
std::optional<std::vector<AddedRoutine>> AddRoutines(const JobContext& context, const std::vector<std::string>& files);

}  // namespace job
