#include "operations/CardCopyJobs.h"

#include "devices/ImageFile.h"
#include "disk/CardCopy.h"
#include "operations/CardSession.h"
#include "platform/Exceptions.h"

namespace {

// A unit knows its card's size only after identifying it; drives and images know it at once.
uint32_t CardSectors(COpenedDevice& card) {
    if (!card.Device().Identify())
        throw CUsbDeviceException("The VELK did not confirm its identify data (the checksum never matched).");
    const uint32_t sectors = card.Device().GetSectorCount();
    if (sectors == 0) throw CUsbDeviceException(card.Label() + " does not report the size of its card.");
    return sectors;
}

uint32_t CopyIntoNewImage(COpenedDevice& card, const std::string& imagePath, uint32_t cardSectors, CJobControl& control) {
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
void WriteImage(CImageFile& image, COpenedDevice& card, uint32_t sectors, CJobControl& control) {
    try {
        RestoreCard(image, card.Device(), sectors, control);
    } catch (const CJobStopped&) {
        const JobPhase phase = control.Current().phase;
        const bool cut = phase == JobPhase::WritingCard || phase == JobPhase::Verifying;
        throw CJobStopped(cut ? stop_text::kRestoreCut : stop_text::kUnchanged);
    }
}

}  // namespace

namespace job {

CopySummary Backup(const JobContext& context, const std::string& imagePath) {
    CJobControl control = context.Control();
    COpenedDevice card = OpenDevice(context.device, context.OpenOptions(DeviceAccess::Read));
    CopySummary summary;
    try {
        summary.cardSectors = CardSectors(card);
        summary.sectors = CopyIntoNewImage(card, imagePath, summary.cardSectors, control);
    } catch (...) {
        CloseAfterFailure(card);
        throw;
    }
    card.Close();
    return summary;
}

JobOutcome Restore(const JobContext& context, const std::string& imagePath, CopySummary& summary) {
    CJobControl control = context.Control();
    CImageFile image;
    image.Open(CImageFile::EntryFor(imagePath));
    summary.sectors = RestoreNeeds(image);
    COpenedDevice card = OpenDevice(context.device, context.OpenOptions(DeviceAccess::ReadWrite));
    try {
        summary.cardSectors = CardSectors(card);  // a unit learns its card's size here
        CheckCardRoom(summary.sectors, card.Device());
        if (!control.Confirm(question_text::kRestore)) {
            card.Close();
            return JobOutcome::Declined;
        }
        const CSleepLock awake = context.KeepAwake(JobPhase::WritingCard);
        WriteImage(image, card, summary.sectors, control);
    } catch (...) {
        CloseAfterFailure(card);
        throw;
    }
    card.Close();
    image.Close();
    return JobOutcome::Done;
}

}  // namespace job
