#pragma once
// The unit plays one audio format only: MPEG-1 Layer III, 128 kbit/s, 44100 Hz. ReadMp3Frames walks
// an MP3 stream frame by frame, skips ID3 tags, checks every frame against that format and can
// copy the frames (never the tags) to another stream.
#include <cstdint>
#include <cstdio>

namespace mp3_frame {
inline constexpr uint32_t kHeaderSize = 4;
inline constexpr uint32_t kFrameSize = 417;        // 128 kbit/s at 44100 Hz, no padding byte
inline constexpr uint32_t kPaddedFrameSize = 418;
inline constexpr uint8_t kPaddingBit = 0x02;       // in the third header byte
inline constexpr uint32_t kId3v1Size = 128;
inline constexpr uint32_t kId3v2HeaderSize = 10;   // header and footer alike
inline constexpr uint32_t kCopyPiece = 4096;
}  // namespace mp3_frame

// True for a header of MPEG-1 Layer III (with or without CRC), 128 kbit/s, 44100 Hz.
bool IsAcceptedMp3Frame(const uint8_t* header);

// Walks size bytes from the input's position, copying the frames to output when it is given and
// storing the number of frame bytes in copied. True when every frame passed the test and exactly
// size bytes were consumed. Input that ends early throws CFileAccessException.
bool ReadMp3Frames(std::FILE* input, uint32_t size, std::FILE* output, uint32_t* copied);

// Copies count bytes in pieces of at most 4096, or without output skips them. Throws on short
// reads and writes; returns true.
bool CopyBytes(std::FILE* input, uint32_t count, std::FILE* output);
