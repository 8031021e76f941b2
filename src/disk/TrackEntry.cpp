#include "disk/TrackEntry.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "platform/ByteOrder.h"
#include "platform/TextFormat.h"

namespace {

namespace offset {
constexpr int kTitle = 0;
constexpr int kAudioStart = 16;
constexpr int kDataStart = 20;
constexpr int kEndSector = 24;
constexpr int kFrameMs = 28;
constexpr int kBaudCode = 29;
constexpr int kProtocolCode = 30;
constexpr int kSettings = 31;
}  // namespace offset

constexpr int kBaudRates[] = {2400, 4800, 9600, 19200, 38400, 250000, 57600, 115200};
constexpr int kDmxBaudCode = 5;

struct ProtocolFamily {
    const char* text;
    std::initializer_list<int> codes;
};

const ProtocolFamily kFamilies[] = {
    {"MiniSSC Compatible", {0, 2, 3, 9}},   {"SV203 Compatible", {1, 4}},
    {"DMX Compatible", {5, 7, 11, 19}},     {"Pololu Compatible", {13}},
    {"Parallax Compatible", {12}},          {"PicoPic Compatible", {14, 15}},
    {"SSC32 Compatible", {16, 17}},         {"K108A Compatible", {18}},
};
constexpr int kLastProtocolCode = 19;

}  // namespace

TrackEntry TrackEntry::Decode(const uint8_t* bytes) {
    TrackEntry t;
    std::memcpy(t.title.data(), bytes + offset::kTitle, kTitleSize);
    t.audioStart = LoadLe32(bytes + offset::kAudioStart);
    t.dataStart = LoadLe32(bytes + offset::kDataStart);
    t.endSector = LoadLe32(bytes + offset::kEndSector);
    t.frameMs = bytes[offset::kFrameMs];
    t.baudCode = bytes[offset::kBaudCode];
    t.protocolCode = bytes[offset::kProtocolCode];
    std::memcpy(t.settings.data(), bytes + offset::kSettings, kSettingsSize);
    return t;
}

void TrackEntry::Encode(uint8_t* bytes) const {
    std::memcpy(bytes + offset::kTitle, title.data(), kTitleSize);
    StoreLe32(bytes + offset::kAudioStart, audioStart);
    StoreLe32(bytes + offset::kDataStart, dataStart);
    StoreLe32(bytes + offset::kEndSector, endSector);
    bytes[offset::kFrameMs] = frameMs;
    bytes[offset::kBaudCode] = baudCode;
    bytes[offset::kProtocolCode] = protocolCode;
    std::memcpy(bytes + offset::kSettings, settings.data(), kSettingsSize);
}

std::string TrackEntry::Title() const {
    const auto end = std::find(title.begin(), title.end(), '\0');
    return std::string(title.begin(), end);
}

void TrackEntry::SetTitle(const std::string& text) {
    title.fill('\0');
    std::memcpy(title.data(), text.data(), std::min(text.size(), kTitleSize - 1));
}

int BaudRateOf(int code) {
    return (code >= 0 && code < int(std::size(kBaudRates))) ? kBaudRates[code] : 0;
}

std::optional<uint8_t> BaudCodeOf(const std::string& text) {
    if (text == "DMX" || text == "dmx") return uint8_t(kDmxBaudCode);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value >= 0 && value < int(std::size(kBaudRates))) return uint8_t(value);
    for (int code = 0; code < int(std::size(kBaudRates)); ++code)
        if (kBaudRates[code] == value) return uint8_t(code);
    return std::nullopt;
}

std::string BaudRateText(int code) {
    if (code == kDmxBaudCode) return "DMX";
    const int rate = BaudRateOf(code);
    return rate ? std::to_string(rate) : std::string();
}

std::string ProtocolText(int code) {
    if (code < 0 || code > kLastProtocolCode) code = 0;
    for (const auto& family : kFamilies)
        if (std::find(family.codes.begin(), family.codes.end(), code) != family.codes.end()) return family.text;
    return "Unknown";
}

std::string TrackSizeMbText(const TrackEntry& track) {
    const double bytes = double(uint32_t(track.endSector - track.audioStart)) * 512.0;
    return StringPrintf("%0.2f", bytes / 1048576.0);
}
