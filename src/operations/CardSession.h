#pragma once
// The shape of every job on a card: open the job's device, read its card, act, and close the device
// on every path. Close flushes, so a flush that fails is reported even when the work succeeded;
// after a failure the first failure is the one reported.
#include <exception>
#include <functional>
#include <utility>

#include "devices/DeviceOpener.h"
#include "disk/VelkDisk.h"
#include "operations/CardJobs.h"
#include "operations/JobContext.h"
#include "platform/Exceptions.h"
#include "platform/Translatable.h"

inline CardListing ListingOf(const COpenedDevice& opened, const CVelkDisk& disk) {
    return CardListing{opened.Kind(), opened.Label(), disk.IsVelkDisk(), disk.GetMode(), disk.GetTracks(),
                       disk.GetSchedules()};
}

// Jobs that change what a card holds refuse a card that holds no VELK disk.
inline void RequireVelkDisk(const CVelkDisk& disk) {
    if (!disk.IsVelkDisk())
        throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "The card does not hold a VELK disk: format it first."));
}

// Runs work; a sector transfer that fails in it (or in the flush when the device is closed) is told
// with the job's sentence, summary(), on what the card holds then.
template <class Work, class Summary>
auto SayingWhatTheCardHolds(Summary&& summary, Work&& work) {
    try {
        return work();
    } catch (CSectorTransferException& e) {
        e.SetSummary(summary());
        throw;
    }
}

// Closes (and so flushes) what a failed or stopped job wrote; the job's own failure stays the one told.
inline void CloseAfterFailure(COpenedDevice& opened) {
    try {
        opened.Close();
    } catch (const std::exception&) {
    }
}

// Opens the job's device, runs work on it and closes it; work's failure closes it quietly.
template <class Work>
auto WithDevice(const JobContext& context, DeviceAccess access, Work&& work) {
    COpenedDevice opened = OpenDevice(context.device, context.OpenOptions(access));
    try {
        auto result = work(opened);
        opened.Close();
        return result;
    } catch (...) {
        CloseAfterFailure(opened);
        throw;
    }
}

template <class Work>
auto WithCard(const JobContext& context, DeviceAccess access, Work&& work,
              const std::function<void(COpenedDevice&)>& beforeRead = {}) {
    return WithDevice(context, access, [&](COpenedDevice& opened) {
        if (beforeRead) beforeRead(opened);
        CVelkDisk disk(opened.Device(), &context);
        disk.SetVerify(context.verifyWrites);
        disk.Read();
        return work(opened, disk);
    });
}

// A unit tells its card's name and size only once it has identified the card; drives and images
// know both at once.
inline void RequireIdentified(COpenedDevice& opened) {
    if (!opened.Device().Identify())
        throw CUsbDeviceException(VELK3_TRANSLATE_NOOP(
            "velk3core", "The VELK did not confirm its identify data (the checksum never matched)."));
}
