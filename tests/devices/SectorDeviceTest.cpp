#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "support/MemoryDevice.h"

namespace {

using Runs = std::vector<std::pair<uint32_t, uint32_t>>;

// Each row: buffer of 2 sectors from sector 5, pieces appended in order, then EndWrite.
TEST(BufferedWriter, FlushesFullBuffersAtOnceAndTheRestAtTheEnd) {
    struct Case {
        const char* what;
        std::vector<uint32_t> pieces;
        Runs before_end;  // writes done by WriteBytes alone
        Runs all;         // after EndWrite
        uint32_t next;
    };
    const Case cases[] = {
        {"nothing written", {}, {}, {}, 5},
        {"length 0", {0, 0}, {}, {}, 5},
        {"exactly the free room", {1024}, {{5, 2}}, {{5, 2}}, 7},
        {"filled in two pieces", {1000, 24}, {{5, 2}}, {{5, 2}}, 7},
        {"one byte short", {1023}, {}, {{5, 2}}, 7},
        {"several buffers in one call", {1024 * 3 + 10}, {{5, 2}, {7, 2}, {9, 2}}, {{5, 2}, {7, 2}, {9, 2}, {11, 2}}, 13},
    };
    for (const auto& c : cases) {
        CMemoryDevice card(64);
        const uint32_t total = std::accumulate(c.pieces.begin(), c.pieces.end(), 0u);
        std::vector<uint8_t> data(total);
        for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i % 251 + 1);
        card.BeginWrite(5, 2);
        uint32_t offset = 0;
        for (uint32_t piece : c.pieces) {
            card.WriteBytes(data.data() + offset, piece);
            offset += piece;
        }
        EXPECT_EQ(card.writeCalls, c.before_end) << c.what;
        EXPECT_EQ(card.EndWrite(), c.next) << c.what;
        EXPECT_EQ(card.writeCalls, c.all) << c.what;
        // memcmp may not be handed the null pointer of an empty vector, even for zero bytes.
        EXPECT_TRUE(data.empty() || std::memcmp(card.Sector(5), data.data(), data.size()) == 0) << c.what;
    }
}

TEST(BufferedWriter, EndWriteWithAnEmptyBufferKeepsTheNextSector) {
    CMemoryDevice card(64);
    std::vector<uint8_t> data(512, 7);
    card.BeginWrite(3, 1);
    card.WriteBytes(data.data(), 512);
    EXPECT_EQ(card.EndWrite(), 4u);
    EXPECT_EQ(card.writeCalls, (Runs{{3, 1}}));
}

}  // namespace
