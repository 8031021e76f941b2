#pragma once
// The jobs of the window's card commands, once for both faces: list a card, format it, remove its
// last routine, edit its schedules. Each asks the questions the window asks, in the same words.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "disk/ScheduleEntry.h"
#include "disk/TrackEntry.h"
#include "operations/JobContext.h"

// A card as a listing shows it.
struct CardListing {
    DeviceKind kind = DeviceKind::Named;
    std::string label;  // the opened device's description
    bool velkDisk = false;
    int32_t mode = 0;
    std::vector<TrackEntry> tracks;
    std::vector<ScheduleEntry> schedules;
};

namespace job {

// Reads the card, opened read-only: a mounted card is neither asked about nor unmounted.
CardListing ListCard(const JobContext& context);

// Asks question_text::kFormat (or, for a card that is no VELK disk, the longer question), then
// formats.
JobOutcome Format(const JobContext& context);

// Asks question_text::kRemoveLast before the device is opened; a card
// without routines then fails with "Too few tracks". after (when given) receives the card as it
// is afterwards.
JobOutcome RemoveLast(const JobContext& context, CardListing* after = nullptr);

// Sets a unit's clock to local time, reads the card, lets edit change its schedules (none: nothing
// is written) and writes them. edit gets the schedules and the tracks. A card that is no VELK disk
// fails before edit is called. Returns the card as it is afterwards.
using ScheduleEditor = std::function<std::optional<std::vector<ScheduleEntry>>(
    const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks)>;
CardListing EditSchedules(const JobContext& context, const ScheduleEditor& edit, DeviceAccess access = DeviceAccess::ReadWrite);

}  // namespace job

// The six cells of a routine list row: track, title, size, baud rate, frame rate, protocol.
std::vector<std::string> RoutineRow(size_t index, const TrackEntry& track);
