#include "operations/CardCopyJobs.h"

#include "devices/ImageFile.h"
#include "disk/CardCopy.h"
#include "operations/CardSession.h"
#include "platform/Exceptions.h"
#include "platform/TextFormat.h"
#include "platform/Translatable.h"

namespace {

uint32_t CardSectors(COpenedDevice& card) {
    RequireIdentified(card);
    const uint32_t sectors = card.Device().GetSectorCount();
    if (sectors == 0)
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "%1 does not report the size of its card."), card.Label()));
    return sectors;
}

uint32_t CopyIntoNewImage(COpenedDevice& card, const std::string& imagePath, uint32_t cardSectors, const CJobControl& control) {
    CImageFile image;
    image.OpenNew(imagePath, cardSectors);
    try {
        const uint32_t used = BackupCard(card.Device(), image, control);
        image.Close();
        return used;
    } catch (const CJobStopped&) {
        image.Discard();
        throw CJobStopped(stop_text::kNoBackup);
    } catch (...) {
        image.Discard();
        throw;
    }
}

// Writes the image onto the card. The card's header is cleared before the writing phase begins,
// so a stop while writing or checking what was written leaves no VELK disk; a stop before it
// leaves the card as it was.
void WriteImage(CImageFile& image, COpenedDevice& card, uint32_t sectors, const CJobControl& control) {
    try {
        RestoreCard(image, card.Device(), sectors, control);
    } catch (const CJobStopped&) {
        const JobPhase phase = control.Current().phase;
        const bool cut = phase == JobPhase::WritingCard || phase == JobPhase::Verifying;
        throw CJobStopped(cut ? stop_text::kRestoreCut : stop_text::kUnchanged);
    }
}

}  // namespace

std::string CopySummaryText(const std::string& format, const std::string& imagePath, const CopySummary& copied) {
    return FillPlaces(format, {imagePath, std::to_string(copied.sectors), std::to_string(copied.cardSectors)});
}

namespace job {

CopySummary Backup(const JobContext& context, const std::string& imagePath) {
    return WithDevice(context, DeviceAccess::Read, [&](COpenedDevice& card) {
        CopySummary summary;
        summary.cardSectors = CardSectors(card);
        summary.sectors = CopyIntoNewImage(card, imagePath, summary.cardSectors, context);
        return summary;
    });
}

std::optional<CopySummary> Restore(const JobContext& context, const std::string& imagePath) {
    CImageFile image;
    image.Open(CImageFile::EntryFor(imagePath));
    CopySummary summary;
    summary.sectors = RestoreNeeds(image);
    const bool restored = WithDevice(context, DeviceAccess::ReadWrite, [&](COpenedDevice& card) {
        summary.cardSectors = CardSectors(card);  // a unit learns its card's size here
        CheckCardRoom(summary.sectors, card.Device());
        if (!context.Confirm(Fill(question_text::kRestore, context.device.name))) return false;
        const CSleepLock awake = context.KeepAwake(JobPhase::WritingCard);
        WriteImage(image, card, summary.sectors, context);
        return true;
    });
    image.Close();
    if (!restored) return std::nullopt;
    return summary;
}

}  // namespace job
