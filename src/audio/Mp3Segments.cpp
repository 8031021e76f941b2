#include "audio/Mp3Segments.h"

#include "audio/Mp3Frames.h"
#include "platform/TextFormat.h"

namespace {

constexpr const char* kChunkFailed = "beEncodeChunk() failed";

// The frames from drop on, keep of them (or all): false when the bytes are not whole frames the
// unit plays or hold too few of them.
bool CutFrames(const std::vector<uint8_t>& bytes, uint32_t drop, std::optional<uint32_t> keep, std::vector<uint8_t>& out) {
    size_t at = 0;
    uint32_t index = 0;
    while (at < bytes.size() && (!keep || index < drop + *keep)) {
        if (bytes.size() - at < mp3_frame::kHeaderSize || !IsAcceptedMp3Frame(&bytes[at])) return false;
        const size_t length = (bytes[at + 2] & mp3_frame::kPaddingBit) ? mp3_frame::kPaddedFrameSize : mp3_frame::kFrameSize;
        if (bytes.size() - at < length) return false;
        if (index >= drop) out.insert(out.end(), bytes.begin() + long(at), bytes.begin() + long(at + length));
        at += length;
        ++index;
    }
    return !keep || index == drop + *keep;
}

}  // namespace

Mp3SegmentResult EncodeSegment(Mp3SegmentJob job) {
    Mp3SegmentResult result;
    if (!job.stream) {
        job.stream = std::make_unique<CLameStream>();
        if (!job.stream->Open()) {
            result.failure = "Error opening encoding stream";
            return result;
        }
    }
    std::vector<uint8_t> bytes;
    const uint32_t frames = uint32_t(job.samples.size() / mp3_stream::kChannels);
    if (job.fail || !job.stream->Encode(job.samples.data(), frames, bytes)) {
        result.failure = kChunkFailed;
        return result;
    }
    job.samples = {};
    if (const int flushed = job.stream->Flush(bytes); flushed < 0) {
        result.failure = StringPrintf("beExitStream failed (%lu)", static_cast<unsigned long>(flushed));
        return result;
    }
    if (!CutFrames(bytes, job.dropFrames, job.keepFrames, result.frames)) result.failure = kChunkFailed;
    return result;
}
