#pragma once
// A stream encoded in segments on several threads and joined. Without a bit reservoir frames share
// no bits, so each segment can have its own LAME stream. A segment starts some frames early and
// drops them (the warm-up: the filter bank and the psychoacoustic model reach the state one stream
// would have at the join), reads a little beyond its end so its last frames are final, and starts
// on a frame where the padding pattern of 128 kbit/s at 44100 Hz begins again. The joined frames
// are then those of one stream over the same samples, in number and alignment.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/LameStream.h"

namespace mp3_segment {
// A frame holds 417 47/49 bytes on average, so the padding bytes repeat every 49 frames.
inline constexpr uint32_t kPaddingPeriod = 49;
inline constexpr uint32_t kWarmUpFrames = 8;
inline constexpr uint32_t kLookAheadFrames = 2;
inline constexpr uint32_t kDefaultFrames = 10 * kPaddingPeriod;  // about 12.8 s of audio
}  // namespace mp3_segment

struct Mp3SegmentJob {
    std::vector<int16_t> samples;        // interleaved stereo, from the segment's first frame
    uint32_t dropFrames = 0;             // the warm-up frames, which belong to the segment before
    std::optional<uint32_t> keepFrames;  // none: every frame to the end of the stream
    std::unique_ptr<CLameStream> stream; // already open, or none to open one
    bool fail = false;                   // tests: this segment's encoder fails
};

struct Mp3SegmentResult {
    std::vector<uint8_t> frames;
    std::string failure;  // the user's message; empty when the segment was encoded
};

// Runs on any thread; shows nothing.
Mp3SegmentResult EncodeSegment(Mp3SegmentJob job);
