#include <gtest/gtest.h>

#include <vector>

#include "platform/ByteOrder.h"
#include "platform/Exceptions.h"
#include "server/RelayProtocol.h"

namespace {

TEST(BaudCode, OnlyTheUnitsEightRatesHaveCodes) {
    const std::pair<int32_t, int> cases[] = {{2400, 0},  {4800, 1},   {9600, 2},  {19200, 3}, {38400, 4},
                                             {250000, 5}, {57600, 6}, {115200, 7}, {1200, -1}, {0, -1},
                                             {-9600, -1}, {230400, -1}, {9601, -1}};
    for (const auto& [rate, code] : cases) {
        const auto got = BaudCode(rate);
        EXPECT_EQ(got ? int(*got) : -1, code) << rate;
    }
}

TEST(BlockTransferSize, PadsLengthFieldAndDataToWholePieces) {
    struct Case {
        int32_t length;
        size_t area;
        size_t want;
    };
    const Case cases[] = {
        {0, 128, 128}, {126, 128, 128}, {127, 256, 256}, {200, 256, 256}, {254, 256, 256},
        {255, 4096, 384}, {32765, 32768, 32768},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> area(c.area);
        StoreLe16(area.data(), uint16_t(int16_t(c.length)));
        EXPECT_EQ(BlockTransferSize(area.data(), area.size()), c.want) << c.length;
    }
}

TEST(BlockTransferSize, RefusesBlocksThatWouldReadOutsideTheAreaNamingTheLength) {
    struct Case {
        int32_t length;
        size_t area;
        const char* want;
    };
    const Case cases[] = {
        {-1, 4096, "Invalid block length -1"},
        {-32768, 65536, "Invalid block length -32768"},
        {32766, 65536, "Invalid block length 32766"},  // L + 2 would wrap the signed field
        {32767, 65536, "Invalid block length 32767"},
        {127, 128, "Invalid block length 127: 256 bytes to send, the data area holds 128"},
        {0, 100, "Invalid block length 0: 128 bytes to send, the data area holds 100"},
        {0, 1, "Data area of 1 bytes has no room for a block length"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> area(std::max<size_t>(c.area, 2));
        StoreLe16(area.data(), uint16_t(int16_t(c.length)));
        try {
            BlockTransferSize(area.data(), c.area);
            ADD_FAILURE() << "accepted " << c.length;
        } catch (const CUsbDeviceException& e) {
            EXPECT_STREQ(e.Message(), c.want);
        }
    }
}

std::string Bytes(const std::vector<uint8_t>& area, size_t count) {
    return std::string(reinterpret_cast<const char*>(area.data()), count);
}

TEST(WriteLabelList, LabelsZeroSeparatedWithAFinalZeroAndTheTwoLimits) {
    std::vector<uint8_t> area(64, 0xEE);
    EXPECT_EQ(WriteLabelList(area.data(), area.size(), {"VELK3", "VELK5"}), 13u);
    EXPECT_EQ(Bytes(area, 14), std::string("VELK3\0VELK5\0\0\xEE", 14));

    EXPECT_EQ(WriteLabelList(area.data(), area.size(), {}), 1u);
    EXPECT_EQ(area[0], 0);

    // 1024 bytes: the label that reaches the limit is the last one written.
    std::vector<std::string> many(300, "VELK12");  // 7 bytes each
    std::vector<uint8_t> large(4096, 0xEE);
    const size_t written = WriteLabelList(large.data(), large.size(), many);
    EXPECT_EQ(written, 147u * 7 + 1) << "146 labels end at 1022, the 147th passes 1024";
    EXPECT_EQ(large[written - 1], 0);
    EXPECT_EQ(large[written - 2], 0);
    EXPECT_EQ(large[written], 0xEE);

    // An area too small for every label is cut short, never written past its end.
    for (size_t size : {size_t(1), size_t(6), size_t(7), size_t(12), size_t(13)}) {
        std::vector<uint8_t> small(size + 8, 0xEE);
        const size_t n = WriteLabelList(small.data(), size, {"VELK3", "VELK5"});
        EXPECT_LE(n, size) << size;
        EXPECT_EQ(small[n - 1], 0) << size;
        EXPECT_EQ(small[size], 0xEE) << "past the end, area " << size;
        EXPECT_EQ(n, size >= 13 ? 13u : size >= 7 ? 7u : 1u) << size;
    }
    EXPECT_EQ(WriteLabelList(area.data(), 0, {"VELK3"}), 0u);
}

}  // namespace
