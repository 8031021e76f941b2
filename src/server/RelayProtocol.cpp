#include "server/RelayProtocol.h"

#include <cstring>

#include "platform/ByteOrder.h"
#include "platform/Exceptions.h"
#include "platform/TextFormat.h"

std::optional<uint8_t> BaudCode(int32_t baudRate) {
    // The unit's codes do not follow the order of the rates: 250000 came after 38400.
    struct Rate {
        int32_t rate;
        uint8_t code;
    };
    static constexpr Rate kRates[] = {{2400, 0},  {4800, 1},   {9600, 2},   {19200, 3},
                                      {38400, 4}, {250000, 5}, {57600, 6}, {115200, 7}};
    for (const Rate& r : kRates)
        if (r.rate == baudRate) return r.code;
    return std::nullopt;
}

size_t BlockTransferSize(const uint8_t* area, size_t areaSize) {
    using namespace relay_block;
    if (areaSize < kLengthFieldSize)
        throw CUsbDeviceException(StringPrintf("Data area of %zu bytes has no room for a block length", areaSize));
    const int32_t length = int16_t(LoadLe16(area));
    if (length < 0 || length > kMaxDataLength)
        throw CUsbDeviceException(StringPrintf("Invalid block length %i", length));
    const size_t used = size_t(length) + kLengthFieldSize;
    const size_t padded = (used + kPieceSize - 1) / kPieceSize * kPieceSize;
    if (padded > areaSize)
        throw CUsbDeviceException(StringPrintf(
            "Invalid block length %i: %zu bytes to send, the data area holds %zu", length, padded, areaSize));
    return padded;
}

size_t WriteLabelList(uint8_t* area, size_t areaSize, const std::vector<std::string>& labels) {
    if (areaSize == 0) return 0;
    size_t position = 0;
    for (const std::string& label : labels) {
        const size_t entry = std::strlen(label.c_str()) + 1;
        if (position + entry + 1 > areaSize) break;  // keep room for the final zero byte
        std::memcpy(area + position, label.c_str(), entry);
        position += entry;
        if (position >= list_objects::kLabelLimit) break;
    }
    area[position] = 0;
    return position + 1;
}
