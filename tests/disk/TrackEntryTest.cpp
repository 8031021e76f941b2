#include <gtest/gtest.h>

#include <cstring>

#include "disk/TrackEntry.h"

namespace {

TEST(TrackEntryTexts, BaudRatesAndProtocolFamiliesAsTheRoutineListShowsThem) {
    const char* baud[] = {"2400", "4800", "9600", "19200", "38400", "DMX", "57600", "115200"};
    for (int code = 0; code < 8; ++code) EXPECT_EQ(BaudRateText(code), baud[code]) << code;
    EXPECT_EQ(BaudRateText(8), "");
    EXPECT_EQ(BaudRateText(255), "");
    EXPECT_EQ(BaudRateOf(5), 250000);

    struct Case {
        int code;
        const char* text;
    };
    const Case cases[] = {
        {0, "MiniSSC Compatible"}, {2, "MiniSSC Compatible"}, {3, "MiniSSC Compatible"}, {9, "MiniSSC Compatible"},
        {1, "SV203 Compatible"},   {4, "SV203 Compatible"},   {5, "DMX Compatible"},     {7, "DMX Compatible"},
        {11, "DMX Compatible"},    {19, "DMX Compatible"},    {13, "Pololu Compatible"}, {12, "Parallax Compatible"},
        {14, "PicoPic Compatible"}, {15, "PicoPic Compatible"}, {16, "SSC32 Compatible"}, {17, "SSC32 Compatible"},
        {18, "K108A Compatible"},  {6, "Unknown"},            {8, "Unknown"},            {10, "Unknown"},
        {20, "MiniSSC Compatible"}, {255, "MiniSSC Compatible"}, {-1, "MiniSSC Compatible"},
    };
    for (const auto& c : cases) EXPECT_EQ(ProtocolText(c.code), c.text) << c.code;
}

TEST(TrackEntryTexts, SizeIsTheWholeExtentInMegabytes) {
    TrackEntry t;
    t.audioStart = 1;
    t.dataStart = 1000;
    t.endSector = 1 + 2048;  // 1 MiB
    EXPECT_EQ(TrackSizeMbText(t), "1.00");
    t.endSector = 1 + 3906;
    EXPECT_EQ(TrackSizeMbText(t), "1.91");
}

TEST(TrackEntryCodec, SixtyTwoBytesAtTheirOffsets) {
    uint8_t bytes[62];
    for (int i = 0; i < 62; ++i) bytes[i] = uint8_t(i + 1);
    bytes[15] = 0;
    const TrackEntry t = TrackEntry::Decode(bytes);
    EXPECT_EQ(t.audioStart, 0x14131211u);
    EXPECT_EQ(t.dataStart, 0x18171615u);
    EXPECT_EQ(t.endSector, 0x1C1B1A19u);
    EXPECT_EQ(t.frameMs, 29);
    EXPECT_EQ(t.baudCode, 30);
    EXPECT_EQ(t.protocolCode, 31);
    EXPECT_EQ(t.settings[0], 32);
    EXPECT_EQ(t.settings[30], 62);
    uint8_t again[62];
    t.Encode(again);
    EXPECT_EQ(0, std::memcmp(bytes, again, 62));
}

TEST(TrackEntryTitle, CutToFifteenCharactersAndAlwaysTerminated) {
    TrackEntry t;
    t.SetTitle("A title longer than fifteen");
    EXPECT_EQ(t.Title(), "A title longer ");
    EXPECT_EQ(t.title[15], '\0');
    t.SetTitle("short");
    EXPECT_EQ(t.Title(), "short");
}

}  // namespace
