#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/CardReport.h"
#include "disk/VelkDisk.h"
#include "schedule/ScheduleText.h"
#include "support/MemoryDevice.h"

namespace {

// The documented format as the JSON library writes a whole document: the reference the streamed
// output must match byte for byte.
std::string DocumentJson(const std::string& device, const CardListing& card) {
    nlohmann::json tracks = nlohmann::json::array();
    const auto& list = card.tracks;
    for (size_t i = 0; i < list.size(); ++i) {
        const TrackEntry& t = list[i];
        tracks.push_back({{"track", i}, {"title", t.Title()}, {"size_mb", TrackSizeMbText(t)},
                          {"baud", BaudRateText(t.baudCode)}, {"frame_ms", t.frameMs},
                          {"protocol", ProtocolText(t.protocolCode)}, {"baud_code", t.baudCode},
                          {"protocol_code", t.protocolCode}, {"audio_start", t.audioStart},
                          {"data_start", t.dataStart}, {"end_sector", t.endSector}});
    }
    nlohmann::json schedules = nlohmann::json::array();
    for (const ScheduleEntry& s : card.schedules)
        schedules.push_back({{"track", s.trackIndex}, {"minutes", FormatField(s.minutes)},
                             {"hours", FormatField(s.hours)}, {"weekdays", FormatField(s.weekdays)},
                             {"days_of_month", FormatField(s.daysOfMonth)}, {"months", FormatField(s.months)}});
    const nlohmann::json document = {{"device", device}, {"velk", card.velkDisk}, {"mode", card.mode},
                                     {"tracks", tracks}, {"schedules", schedules}};
    return document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string Streamed(const std::string& device, const CardListing& card) {
    std::ostringstream out;
    WriteCardJson(out, device, card);
    return out.str();
}

CardListing ListingOf(const CVelkDisk& disk) {
    return CardListing{DeviceKind::Image, "memory", disk.IsVelkDisk(), disk.GetMode(), disk.GetTracks(), disk.GetSchedules()};
}

TrackEntry Track(const std::string& title, uint32_t start, uint8_t code) {
    TrackEntry t;
    t.SetTitle(title);
    t.audioStart = start;
    t.dataStart = start + 2;
    t.endSector = start + 3;
    t.frameMs = uint8_t(code * 10);
    t.baudCode = code;
    t.protocolCode = uint8_t(code * 3);
    return t;
}

}  // namespace

// Titles come from routine files: quotes, backslashes, control bytes and bytes that are not UTF-8
// must come out exactly as the library escapes and replaces them, also at the edges of the
// printable range and in a document longer than one piece of the output.
TEST(CardJson, StreamedDocumentMatchesTheLibrarysDocumentByteForByte) {
    struct Case { const char* name; std::vector<std::string> titles; int schedules; };
    std::vector<std::string> manyTitles;
    for (int i = 0; i < 400; ++i) manyTitles.push_back("Routine number " + std::to_string(i));
    const Case cases[] = {
        {"empty card", {}, 0},
        {"plain", {"Intro", "Finale"}, 1},
        {"escapes", {"say \"hi\"", "back\\slash", std::string("tab\there\x01", 10), "\xC3\xA9t\xC3\xA9"}, 3},
        {"printable edges", {" ~", "del\x7F", "unit\x1F", "\"", "\\"}, 1},
        {"more than a piece of output", manyTitles, 300},
        {"invalid UTF-8", {"\xFF\xFE", "cut \xC3", "\xE2\x82"}, 2},
        {"no schedules", {"only"}, 0},
    };
    for (const Case& c : cases) {
        CMemoryDevice card(4096);
        CVelkDisk writer(card);
        writer.Format();
        uint32_t next = 1;
        for (size_t i = 0; i < c.titles.size(); ++i, next += 3) writer.AppendTrack(Track(c.titles[i], next, uint8_t(i % 8)));
        std::vector<ScheduleEntry> schedules(size_t(c.schedules));
        for (int i = 0; i < c.schedules; ++i) {
            schedules[size_t(i)].trackIndex = uint16_t(i);
            schedules[size_t(i)].minutes = {0, uint8_t(15 * i)};
            if (i % 2) schedules[size_t(i)].weekdays = {1, 7};
        }
        writer.SetSchedules(schedules);
        writer.WriteTable();

        CVelkDisk disk(card);
        disk.Read();
        ASSERT_TRUE(disk.IsVelkDisk()) << c.name;
        const CardListing listing = ListingOf(disk);
        EXPECT_EQ(Streamed("card \"1\".img", listing), DocumentJson("card \"1\".img", listing)) << c.name;
    }
}

TEST(CardJson, ACardWithoutAVelkDiskIsStillTheSameDocument) {
    CMemoryDevice card(64);
    CVelkDisk disk(card);
    disk.Read();
    ASSERT_FALSE(disk.IsVelkDisk());
    EXPECT_EQ(Streamed("/dev/sdz", ListingOf(disk)), DocumentJson("/dev/sdz", ListingOf(disk)));
}
