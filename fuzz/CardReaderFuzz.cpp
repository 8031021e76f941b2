// A card may hold anything: reading it and every getter over what was read must stay in bounds.
#include "FuzzSupport.h"
#include "devices/SectorDevice.h"
#include "disk/VelkDisk.h"
#include "platform/Exceptions.h"
#include "schedule/ScheduleText.h"
#include "support/MemoryDevice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMemoryDevice device(uint32_t(size / kSectorSize + 1));
    std::copy(data, data + size, device.Bytes().begin());
    CVelkDisk disk(device);
    try {
        disk.Read();
    } catch (const CVelkException&) {
        return 0;
    }
    size_t text = 0;
    for (const TrackEntry& track : disk.GetTracks())
        text += track.Title().size() + BaudRateText(track.baudCode).size() + ProtocolText(track.protocolCode).size() +
                TrackSizeMbText(track).size();
    for (const ScheduleEntry& schedule : disk.GetSchedules())
        for (const ScheduleField& field : kScheduleFields) text += FormatField(schedule.*field.member).size();
    Keep(text + disk.NextFreeSector() + disk.ReferencedEnd() + disk.GetSchedules().size() + disk.IsVelkDisk() +
         uint32_t(disk.GetMode()));
    return 0;
}
