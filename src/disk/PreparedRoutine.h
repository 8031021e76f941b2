#pragma once
// A routine file opened and checked, its audio made ready to store: everything an import has
// before it writes a sector. An edit prepares the routines it adds before it moves anything, so
// that a bad file or a failed conversion ends it with the card untouched.
#include <cstdint>

#include "disk/RoutineFile.h"
#include "disk/TrackEntry.h"
#include "platform/StdioFile.h"

struct PreparedRoutine {
    RoutineHeader header;
    StdioFile file;   // standing at the routine's data
    StdioFile audio;  // the MP3 bytes to store; none when the routine has no audio
    uint32_t audioBytes = 0;

    // Its track entry with its sectors from audioStart on; "The card is full" when they would run
    // past the last sector number.
    TrackEntry EntryAt(uint32_t audioStart) const;
};
