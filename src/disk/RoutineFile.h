#pragma once
// The ".velk" routine file, version 3: a 76-byte little-endian header, then the audio bytes, then
// the servo data bytes, nothing else.
#include <array>
#include <cstdint>
#include <string>

struct RoutineHeader {
    static constexpr size_t kSize = 76;
    static constexpr uint8_t kVersion = 3;
    static constexpr uint32_t kMp3Format = 1;     // stored as it is when the unit can play it
    static constexpr uint32_t kOtherFormat = 2;   // anything the decoder reads; always converted
    static constexpr size_t kTitleSize = 16;
    static constexpr size_t kProtocolSize = 32;   // protocol code and 31 setting bytes

    uint8_t version = kVersion;
    std::array<char, kTitleSize> title{};  // NUL-terminated when shorter than 16
    uint32_t audioFormat = kMp3Format;
    uint32_t audioBytes = 0;
    uint32_t dataBytes = 0;
    uint8_t frameMs = 0;
    uint8_t baudCode = 0;
    std::array<uint8_t, kProtocolSize> protocol{};
    uint32_t firstChannel = 0;   // the source channel that becomes the left channel
    uint32_t secondChannel = 1;  // … and the right one

    static RoutineHeader Decode(const uint8_t* bytes);
    void Encode(uint8_t* bytes) const;
    // The title up to its first NUL, at most 15 characters.
    std::string Title() const;
    void SetTitle(const std::string& text);  // cut to 15 characters
    uint64_t FileSize() const { return kSize + uint64_t(audioBytes) + dataBytes; }
};
