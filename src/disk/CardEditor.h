#pragma once
// Puts the routines of a card into a new order (routines left out, moved, replaced, renamed) and
// leaves exactly the card that adding them in that order would have made: routines back to back
// from sector 1, tables behind the last, each routine's sectors copied byte for byte.
//
// The reader takes a card only when its routines lie back to back in table order, so a card
// cannot show a routine at a new place while the next still lies at its old one. Every header
// this writes therefore names either the old routines or the new ones, each whole and back to
// back: the new ones are first copied, all of them, to free space behind everything the card
// uses, named there by a header (that header is the moment the card changes), and only then copied
// to their final places over the old ones and named there. Where the new card is the old one with
// routines left off its front or end, it is named where it lies and needs no such copy when the
// final places are clear of it. Where no copy is needed at all (a new title, the last routine
// left out) only the tables are written.
//
// Before the first write: every routine file is prepared (its audio converted), the new card is
// checked to fit, and the copy to fit behind what the card uses ("Not enough free space..."
// naming both sizes). Stops are honoured until the header that makes the new routines the card's;
// the card is then as it was. From that header on the edit runs to its end.
#include "disk/RoutineOrder.h"
#include "disk/VelkDisk.h"

void ApplyRoutineOrder(CVelkDisk& disk, const RoutineOrder& order);

// The failure of an edit whose copy does not fit behind what the card uses.
MessageText NoRoomToMoveText(uint64_t neededSectors, uint64_t freeSectors);
