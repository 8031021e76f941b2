#pragma once
// One 62-byte entry of the track table, and the texts the routine list shows for it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct TrackEntry {
    static constexpr size_t kTitleSize = 16;
    static constexpr size_t kSettingsSize = 31;

    std::array<char, kTitleSize> title{};  // NUL-terminated, at most 15 characters
    uint32_t audioStart = 0;
    uint32_t dataStart = 0;    // audioStart + ceil(audio bytes / 512)
    uint32_t endSector = 0;    // one past the track's last sector
    uint8_t frameMs = 0;
    uint8_t baudCode = 0;
    uint8_t protocolCode = 0;
    std::array<uint8_t, kSettingsSize> settings{};  // carried for the firmware, never interpreted

    static TrackEntry Decode(const uint8_t* bytes);
    void Encode(uint8_t* bytes) const;

    std::string Title() const;
    void SetTitle(const std::string& text);  // cut to 15 characters

    bool operator==(const TrackEntry&) const = default;
};

// "2400" … "115200", "DMX" for code 5, empty for codes without a rate.
std::string BaudRateText(int code);
// The serial rate of a baud code in bit/s, or 0 when the code has none.
int BaudRateOf(int code);
// The baud code a text names: a code 0 to 7, a rate of the table (2400 … 115200, 250000), or DMX.
std::optional<uint8_t> BaudCodeOf(const std::string& text);
// The family text of a protocol code; codes outside 0 to 19 count as 0.
std::string ProtocolText(int code);
// (end − audio start) × 512 bytes in MB with "%0.2f".
std::string TrackSizeMbText(const TrackEntry& track);
