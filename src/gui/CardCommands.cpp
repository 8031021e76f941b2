#include "gui/CardCommands.h"

#include <exception>

#include "disk/VelkDisk.h"
#include "platform/Exceptions.h"
#include "platform/TextFormat.h"
#include "platform/UserPrompt.h"

bool RunReported(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const CVelkException& e) {
        AppMessageBox(e.Message());
    } catch (const std::exception& e) {
        // Not one of the reported kinds (memory, a library's own); still the user's to know.
        AppMessageBox(e.what());
    }
    return false;
}

bool WithCardDevice(const CardTarget& target, const std::function<void(COpenedDevice&)>& work,
                    DeviceAccess access) {
    if (target.name.empty()) return false;
    std::optional<COpenedDevice> opened;
    const DeviceOpenOptions options{target.paths, false, access};
    if (!RunReported([&] { opened.emplace(OpenDeviceByName(target.name, options)); }))
        return false;
    RunReported([&] { work(*opened); });
    RunReported([&] { opened->Close(); });
    return true;
}

std::vector<TrackEntry> ReadRoutines(const CardTarget& target, IStatusWindow* status) {
    std::vector<TrackEntry> tracks;
    WithCardDevice(target, [&](COpenedDevice& opened) {
        CVelkDisk disk(opened.Device(), status);
        tracks = disk.Read();
    }, DeviceAccess::Read);
    return tracks;
}

std::vector<std::string> RoutineRow(int index, const TrackEntry& track) {
    return {StringPrintf("%i", index), track.Title(),         TrackSizeMbText(track),
            BaudRateText(track.baudCode), StringPrintf("%i", int(track.frameMs)), ProtocolText(track.protocolCode)};
}

void AddRoutine(const CardTarget& target, const std::string& file, IStatusWindow* status, IProgressBar* progress) {
    WithCardDevice(target, [&](COpenedDevice& opened) {
        CVelkDisk disk(opened.Device(), status);
        disk.Read();
        if (!disk.IsVelkDisk() && !AskConfirm(question_text::kFormatForeign)) return;
        disk.ImportRoutineFile(file, progress, true);
    });
}

bool RemoveLastRoutine(const CardTarget& target, IStatusWindow* status) {
    return WithCardDevice(target, [&](COpenedDevice& opened) {
        CVelkDisk disk(opened.Device(), status);
        disk.Read();
        disk.RemoveLastTrack();
    });
}

bool FormatCard(const CardTarget& target, IStatusWindow* status) {
    return WithCardDevice(target, [&](COpenedDevice& opened) {
        CVelkDisk disk(opened.Device(), status);
        disk.Read();
        if (AskConfirm(disk.IsVelkDisk() ? question_text::kFormat : question_text::kFormatForeign)) disk.Format();
    });
}

void EditSchedules(const CardTarget& target, IStatusWindow* status, const ScheduleEditor& edit) {
    WithCardDevice(target, [&](COpenedDevice& opened) {
        SetUnitClock(opened);
        CVelkDisk disk(opened.Device(), status);
        disk.Read();
        const auto edited = edit(disk.GetSchedules());
        if (!edited) return;
        disk.SetSchedules(*edited);
        disk.WriteTable();
    });
}
