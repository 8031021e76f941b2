#pragma once
// The shape of every job on a card: open the job's device, read its card, act, and close the device
// on every path. Close flushes, so a flush that fails is reported even when the work succeeded;
// after a failure the first failure is the one reported.
#include <exception>
#include <functional>
#include <utility>

#include "devices/DeviceOpener.h"
#include "disk/VelkDisk.h"
#include "operations/JobContext.h"
#include "platform/Exceptions.h"

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
        throw CUsbDeviceException("The VELK did not confirm its identify data (the checksum never matched).");
}
