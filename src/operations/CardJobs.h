#pragma once
// The jobs of the window's card commands, once for both faces: list a card, format it, remove its
// last routine, edit its schedules, make a card image, tell what a device says of itself. Each asks
// the questions the window asks, in the same words.
#include <array>
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

// What a device says about itself.
struct DeviceReport {
    DeviceKind kind = DeviceKind::Named;
    std::string label;
    // A unit's own: its maker, its product and firmware, and its card's identify data.
    std::optional<std::string> manufacturer, product, identity;
    double firmwareVersion = 0;
    uint32_t sectors = 0;
};

namespace card_text {
// The window offers no schedule editing without routines; velk3 is told this.
inline constexpr const char* kNoRoutineToSchedule =
    VELK3_TRANSLATE_NOOP("velk3core", "The card holds no routine to schedule.");
}  // namespace card_text

namespace job {

// Reads the card, opened read-only: a mounted card is neither asked about nor unmounted.
CardListing ListCard(const JobContext& context);

// Asks question_text::kFormat (or, for a card that is no VELK disk, the longer question), then
// formats.
JobOutcome Format(const JobContext& context);

// Asks question_text::kRemoveLast before the device is opened; a card without routines then fails
// with "Too few tracks". Returns the card as it is afterwards; empty when told No.
std::optional<CardListing> RemoveLast(const JobContext& context);

// Sets a unit's clock to local time, reads the card, lets edit change its schedules (none: nothing
// is written) and writes them. edit gets the schedules and the tracks. A card that is no VELK disk
// fails before edit is called, and one without routines fails when edit adds a schedule. Returns the
// card as it is afterwards.
using ScheduleEditor = std::function<std::optional<std::vector<ScheduleEntry>>(
    const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks)>;
CardListing EditSchedules(const JobContext& context, const ScheduleEditor& edit, DeviceAccess access = DeviceAccess::ReadWrite);

// Creates the card image file path of `sectors` sectors (it must not exist) holding an empty VELK
// disk. A new image holds nothing to lose: nothing is asked. A failure removes the file again.
void CreateCardImage(const JobContext& context, const std::string& path, uint64_t sectors);

// Opens the job's device read-only; a unit is asked for its card's identify data.
DeviceReport ReadDeviceReport(const JobContext& context);

}  // namespace job

// The routine list as the window and velk3 show it: its column headings, and the six cells of a
// row (track, title, size, baud rate, frame rate, protocol).
inline constexpr std::array<const char*, 6> kRoutineHeadings = {
    VELK3_TRANSLATE_NOOP("velk3core", "Track"),           VELK3_TRANSLATE_NOOP("velk3core", "Title"),
    VELK3_TRANSLATE_NOOP("velk3core", "Size (MB)"),       VELK3_TRANSLATE_NOOP("velk3core", "Baud Rate (bps)"),
    VELK3_TRANSLATE_NOOP("velk3core", "Frame Rate (ms)"), VELK3_TRANSLATE_NOOP("velk3core", "Protocol")};
std::vector<std::string> RoutineRow(size_t index, const TrackEntry& track);
