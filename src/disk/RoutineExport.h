#pragma once
// A routine of a card read back into a version-3 routine file: its entry's fields as stored, its
// MP3 as stored up to its last frame (the padding behind it in the last sector is not audio), and
// its data sectors. Adding the file to a card gives a routine of the same sectors and fields.
#include "devices/SectorDevice.h"
#include "disk/RoutineFile.h"
#include "disk/TrackEntry.h"
#include "platform/JobControl.h"

// Writes the routine into fd, a new empty file, reporting its bytes in the Reading phase and
// stopping (CJobStopped) between runs when asked to. Returns the file's header.
RoutineHeader ExportRoutine(CSectorDevice& card, const TrackEntry& track, int fd, const CJobControl& job);
