#include "operations/CardJobs.h"

#include <cstdio>

#include "devices/ImageFile.h"
#include "devices/UsbSectorDevice.h"
#include "operations/CardSession.h"
#include "platform/Exceptions.h"
#include "platform/TextFormat.h"
#include "platform/Translatable.h"

namespace {

// A schedule plays a routine; a card without routines reads as having no schedules either.
void RequireRoutineToSchedule(const std::vector<ScheduleEntry>& schedules, size_t tracks) {
    if (tracks == 0 && !schedules.empty()) throw CUsbDeviceException(card_text::kNoRoutineToSchedule);
}

}  // namespace

namespace job {

CardListing ListCard(const JobContext& context) {
    return WithCard(context, DeviceAccess::Read, [](COpenedDevice& opened, CVelkDisk& disk) { return ListingOf(opened, disk); });
}

JobOutcome Format(const JobContext& context) {
    return WithCard(context, DeviceAccess::ReadWrite, [&](COpenedDevice&, CVelkDisk& disk) {
        if (!context.Confirm(disk.IsVelkDisk() ? question_text::kFormat : question_text::kFormatForeign))
            return JobOutcome::Declined;
        const CSleepLock awake = context.KeepAwake(JobPhase::WritingCard);
        disk.Format();
        return JobOutcome::Done;
    });
}

std::optional<CardListing> RemoveLast(const JobContext& context) {
    if (!context.Confirm(question_text::kRemoveLast)) return std::nullopt;
    return WithCard(context, DeviceAccess::ReadWrite, [&](COpenedDevice& opened, CVelkDisk& disk) {
        const CSleepLock awake = context.KeepAwake(JobPhase::WritingCard);
        disk.RemoveLastTrack();
        return std::optional(ListingOf(opened, disk));
    });
}

CardListing EditSchedules(const JobContext& context, const ScheduleEditor& edit, DeviceAccess access) {
    return WithCard(
        context, access,
        [&](COpenedDevice& opened, CVelkDisk& disk) {
            RequireVelkDisk(disk);
            if (const auto edited = edit(disk.GetSchedules(), disk.GetTracks())) {
                RequireRoutineToSchedule(*edited, disk.GetTracks().size());
                const CSleepLock awake = context.KeepAwake(JobPhase::WritingCard);
                disk.SetSchedules(*edited);
                disk.WriteTable();
            }
            return ListingOf(opened, disk);
        },
        // The unit's clock is set before its card is read, as the schedules are edited against it.
        [](COpenedDevice& opened) { SetUnitClock(opened); });
}

void CreateCardImage(const JobContext& context, const std::string& path, uint64_t sectors) {
    CImageFile image;
    image.OpenNew(path, sectors);
    try {
        CVelkDisk disk(image, &context);
        disk.Read();
        disk.Format();
        image.Close();
    } catch (...) {
        image.Discard();  // a half-made image is no use to anyone
        throw;
    }
}

DeviceReport ReadDeviceReport(const JobContext& context) {
    return WithDevice(context, DeviceAccess::Read, [](COpenedDevice& opened) {
        DeviceReport report{opened.Kind(), opened.Label()};
        if (opened.Kind() == DeviceKind::Unit) {
            const auto& unit = static_cast<const CUsbSectorDevice&>(opened.Device());
            report.manufacturer = unit.Manufacturer();
            report.product = unit.Product();
            report.firmwareVersion = unit.FirmwareVersion();
            RequireIdentified(opened);
            report.identity = opened.Device().GetName();
        }
        report.sectors = opened.Device().GetSectorCount();
        return report;
    });
}

}  // namespace job

std::vector<std::string> RoutineRow(size_t index, const TrackEntry& track) {
    return {StringPrintf("%zu", index), track.Title(), TrackSizeMbText(track), BaudRateText(track.baudCode),
            StringPrintf("%i", int(track.frameMs)), ProtocolText(track.protocolCode)};
}
