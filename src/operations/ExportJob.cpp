#include "operations/ExportJob.h"

#include <sys/stat.h>

#include "disk/RoutineExport.h"
#include "operations/CardSession.h"
#include "operations/EditJobs.h"
#include "platform/PartFile.h"
#include "platform/TextFormat.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

namespace job {

std::optional<RoutineHeader> ExportRoutine(const JobContext& context, size_t track, const std::string& path) {
    return WithCard(context, DeviceAccess::Read, [&](COpenedDevice&, CVelkDisk& disk) -> std::optional<RoutineHeader> {
        RequireVelkDisk(disk);
        const size_t routines = disk.GetTracks().size();
        if (track >= routines) throw CUsbDeviceException(NoSuchRoutineText(routines, track));
        if (Exists(path) && !context.Confirm(StringPrintf("%s exists already.\n\nReplace it?", path.c_str())))
            return std::nullopt;
        try {
            CPartFile file(path);
            const RoutineHeader written = ExportRoutine(disk.Device(), disk.GetTracks()[track], file.Fd(), context);
            file.Commit();
            context.Ready();
            return std::optional(written);
        } catch (const CJobStopped&) {
            throw CJobStopped(stop_text::kNoRoutineFile);
        }
    });
}

}  // namespace job
