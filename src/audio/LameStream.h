#pragma once
// One LAME stream with the only settings the unit plays: MPEG-1 Layer III, 44100 Hz, 128 kbit/s
// constant rate, joint stereo, no bit reservoir (every frame carries its own audio data), original
// bit set, no CRC, no private bit, no VBR tag. The encoder shows nothing itself: its owner turns a
// false result into the user's message.
#include <cstdint>
#include <vector>

struct lame_global_struct;

namespace mp3_stream {
inline constexpr int kSampleRate = 44100;
inline constexpr int kChannels = 2;
inline constexpr int kBitRate = 128;             // kbit/s
inline constexpr uint32_t kFrameSamples = 1152;  // per channel in one MPEG-1 Layer III frame
}  // namespace mp3_stream

class CLameStream {
public:
    CLameStream() = default;
    ~CLameStream();
    CLameStream(const CLameStream&) = delete;
    CLameStream& operator=(const CLameStream&) = delete;

    bool Open();
    // frames stereo frames of interleaved 16-bit samples; the MP3 bytes ready so far are appended
    // to out. False when LAME refused them (their audio is lost).
    bool Encode(const int16_t* samples, uint32_t frames, std::vector<uint8_t>& out);
    // Encodes what LAME still holds and ends the stream: LAME's result, negative on failure.
    int Flush(std::vector<uint8_t>& out);

private:
    lame_global_struct* m_stream = nullptr;
};
