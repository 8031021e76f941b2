#pragma once
// The work of the window's commands on a card, apart from the widgets: open the current device by
// its name, read the card, act, and release the device on every path. Failures are shown through
// the prompt seam as the application's message box (the three reported kinds and, instead of
// ending the program, any other), and the command goes on with its release.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "devices/DeviceOpener.h"
#include "disk/ScheduleEntry.h"
#include "disk/TrackEntry.h"
#include "platform/Progress.h"
#include "platform/SystemPaths.h"

struct CardTarget {
    std::string name;  // a drive's kernel name, a unit label or an image path; empty: no device
    SystemPaths paths;
};

// Runs work and shows what it throws; false when it threw.
bool RunReported(const std::function<void()>& work);

// Opens target, runs work, releases: a failure to open ends here (false); a failure of the work
// and one of the release are each shown. True when the device was opened. Reading a card opens it
// read-only, so a mounted card is neither asked about nor unmounted just to be listed.
bool WithCardDevice(const CardTarget& target, const std::function<void(COpenedDevice&)>& work,
                    DeviceAccess access = DeviceAccess::ReadWrite);

// The card's track list (empty when it is not a VELK disk or cannot be read).
std::vector<TrackEntry> ReadRoutines(const CardTarget& target, IStatusWindow* status);

// The six cells of a routine list row: track, title, size, baud rate, frame rate, protocol.
std::vector<std::string> RoutineRow(int index, const TrackEntry& track);

// Add routine's worker: asks before taking over a card that is not a VELK disk, then imports.
void AddRoutine(const CardTarget& target, const std::string& file, IStatusWindow* status, IProgressBar* progress);
// These two are false when no device could be opened.
bool RemoveLastRoutine(const CardTarget& target, IStatusWindow* status);
bool FormatCard(const CardTarget& target, IStatusWindow* status);

// Edit schedules: sets a unit's clock, reads the card, lets edit change its schedules (nothing
// when it returns none) and writes them.
using ScheduleEditor = std::function<std::optional<std::vector<ScheduleEntry>>(const std::vector<ScheduleEntry>&)>;
void EditSchedules(const CardTarget& target, IStatusWindow* status, const ScheduleEditor& edit);
