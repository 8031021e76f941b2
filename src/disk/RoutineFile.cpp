#include "disk/RoutineFile.h"

#include <algorithm>
#include <cstring>

#include "platform/ByteOrder.h"

namespace {
namespace offset {
constexpr int kVersion = 0;
constexpr int kTitle = 1;
constexpr int kAudioFormat = 20;
constexpr int kAudioBytes = 24;
constexpr int kDataBytes = 28;
constexpr int kFrameMs = 32;
constexpr int kBaudCode = 33;
constexpr int kProtocol = 34;
constexpr int kFirstChannel = 68;
constexpr int kSecondChannel = 72;
}  // namespace offset
constexpr size_t kMaxTitleLength = 15;
}  // namespace

RoutineHeader RoutineHeader::Decode(const uint8_t* bytes) {
    RoutineHeader h;
    h.version = bytes[offset::kVersion];
    std::memcpy(h.title.data(), bytes + offset::kTitle, kTitleSize);
    h.audioFormat = LoadLe32(bytes + offset::kAudioFormat);
    h.audioBytes = LoadLe32(bytes + offset::kAudioBytes);
    h.dataBytes = LoadLe32(bytes + offset::kDataBytes);
    h.frameMs = bytes[offset::kFrameMs];
    h.baudCode = bytes[offset::kBaudCode];
    std::memcpy(h.protocol.data(), bytes + offset::kProtocol, kProtocolSize);
    h.firstChannel = LoadLe32(bytes + offset::kFirstChannel);
    h.secondChannel = LoadLe32(bytes + offset::kSecondChannel);
    return h;
}

void RoutineHeader::Encode(uint8_t* bytes) const {
    std::memset(bytes, 0, kSize);
    bytes[offset::kVersion] = version;
    std::memcpy(bytes + offset::kTitle, title.data(), kTitleSize);
    StoreLe32(bytes + offset::kAudioFormat, audioFormat);
    StoreLe32(bytes + offset::kAudioBytes, audioBytes);
    StoreLe32(bytes + offset::kDataBytes, dataBytes);
    bytes[offset::kFrameMs] = frameMs;
    bytes[offset::kBaudCode] = baudCode;
    std::memcpy(bytes + offset::kProtocol, protocol.data(), kProtocolSize);
    StoreLe32(bytes + offset::kFirstChannel, firstChannel);
    StoreLe32(bytes + offset::kSecondChannel, secondChannel);
}

std::string RoutineHeader::Title() const {
    const auto end = std::find(title.begin(), title.begin() + kMaxTitleLength, '\0');
    return std::string(title.begin(), end);
}

void RoutineHeader::SetTitle(const std::string& text) {
    title.fill('\0');
    std::memcpy(title.data(), text.data(), std::min(text.size(), kMaxTitleLength));
}
