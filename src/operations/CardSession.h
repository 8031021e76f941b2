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

// Closes (and so flushes) what a failed or stopped job wrote; the job's own failure stays the one told.
inline void CloseAfterFailure(COpenedDevice& opened) {
    try {
        opened.Close();
    } catch (const std::exception&) {
    }
}

template <class Work>
auto WithCard(const JobContext& context, CJobControl& control, DeviceAccess access, Work&& work,
              const std::function<void(COpenedDevice&)>& beforeRead = {}) {
    COpenedDevice opened = OpenDevice(context.device, context.OpenOptions(access));
    if (beforeRead) beforeRead(opened);
    try {
        auto result = [&] {
            CVelkDisk disk(opened.Device(), &control);
            disk.SetVerify(context.verifyWrites);
            disk.Read();
            return work(opened, disk);
        }();
        opened.Close();
        return result;
    } catch (...) {
        CloseAfterFailure(opened);
        throw;
    }
}
