// A schedule field typed by the user: any text reads as values within the field's range, and the
// text of a set reads back as the same set.
#include <string>

#include "FuzzSupport.h"
#include "schedule/ScheduleText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CInputReader reader(data, size);
    const ScheduleField& field = kScheduleFields[reader.Byte() % std::size(kScheduleFields)];
    const std::vector<uint8_t> bytes = reader.Rest();
    ValueSet set;
    ParseField(set, std::string(bytes.begin(), bytes.end()), field.minimum, field.maximum);
    for (const uint8_t value : set)
        if (value < field.minimum || value > field.maximum) __builtin_trap();
    ValueSet again;
    ParseField(again, FormatField(set), field.minimum, field.maximum);
    if (again != set) __builtin_trap();
    return 0;
}
