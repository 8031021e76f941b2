#include "disk/ScheduleEntry.h"

#include <cstring>

#include "devices/SectorDevice.h"
#include "platform/ByteOrder.h"

namespace {

constexpr int kTrackIndexOffset = 0;

int MapIndex(int value) { return (value / 10) * 16 + value % 10; }  // BCD

void DecodeMap(const uint8_t* map, const ScheduleField& field, ValueSet& set) {
    set.clear();
    // A map selecting every value means every value: the common case, so skip building the set.
    bool every = true;
    for (int v = field.minimum; v <= field.maximum && every; ++v) every = map[MapIndex(v)] != 0;
    if (every) return;
    for (int v = field.minimum; v <= field.maximum; ++v)
        if (map[MapIndex(v)]) set.insert(uint8_t(v));
}

void EncodeMap(uint8_t* map, const ScheduleField& field, const ValueSet& set) {
    if (set.empty()) {
        for (int v = 0; v <= field.maximum; ++v) map[MapIndex(v)] = 1;
        return;
    }
    for (uint8_t v : set)
        if (v <= field.maximum) map[MapIndex(v)] = 1;
}

}  // namespace

void ScheduleEntry::Decode(const uint8_t* sector) {
    trackIndex = LoadLe16(sector + kTrackIndexOffset);
    for (const auto& field : kScheduleFields) DecodeMap(sector + field.mapOffset, field, this->*field.member);
}

void ScheduleEntry::Encode(uint8_t* sector) const {
    std::memset(sector, 0, kSectorSize);
    StoreLe16(sector + kTrackIndexOffset, trackIndex);
    for (const auto& field : kScheduleFields) EncodeMap(sector + field.mapOffset, field, this->*field.member);
}
