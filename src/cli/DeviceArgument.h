#pragma once
// The DEVICE argument of the card commands, opened through the core's device opener.
#include <functional>
#include <string>

#include "cli/CliContext.h"
#include "devices/DeviceOpener.h"
#include "disk/VelkDisk.h"

inline COpenedDevice OpenDeviceArgument(const std::string& argument, const CliContext& context,
                                        DeviceAccess access = DeviceAccess::ReadWrite) {
    return OpenDeviceByName(argument, DeviceOpenOptions{context.paths, context.allowFixed, access});
}

// Opens the device, reads its card, runs work(device, disk) and closes the device, so that a flush
// that fails is reported even after the work succeeded. A command that only reads passes Read.
template <class Work>
int WithCard(const std::string& argument, const CliContext& context, Work&& work,
             IStatusWindow* status = nullptr, const std::function<void(COpenedDevice&)>& beforeRead = {},
             DeviceAccess access = DeviceAccess::ReadWrite) {
    COpenedDevice opened = OpenDeviceArgument(argument, context, access);
    if (beforeRead) beforeRead(opened);
    int result;
    {
        CVelkDisk disk(opened.Device(), status);
        disk.Read();
        result = work(opened, disk);
    }
    opened.Close();
    return result;
}
