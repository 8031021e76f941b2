#pragma once
// Encodes 16-bit stereo samples at 44100 Hz into the one MP3 format the unit plays (see
// LameStream.h), on every core: the stream is cut into segments of whole frames, each encoded by
// its own LAME stream on its own thread and joined in order (see Mp3Segments.h), so the file is
// frame for frame what one stream would give. A stream shorter than one segment stays on the
// calling thread. Samples wait in memory only for the segments being encoded. Told how long the
// stream will be, the encoder cuts it so that every thread has work to the end.
//
// Like every audio class it shows nothing and does not throw for its own failures: it keeps the
// user's text for the first one (Failure) and returns false, and its caller reports it once.
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "audio/Mp3Segments.h"
#include "platform/StdioFile.h"

// An audio sink.
class CAudioWriter {
public:
    virtual ~CAudioWriter() = default;
    virtual bool Create(const std::string& path) = 0;
    virtual bool Close() = 0;
    virtual bool WriteChannels(const int32_t* first, const int32_t* second, uint32_t count) = 0;
};

// How an encoder spreads its work.
struct Mp3EncoderSettings {
    unsigned threads = 0;                               // 0: std::thread::hardware_concurrency()
    uint32_t segmentFrames = mp3_segment::kDefaultFrames;  // rounded up to the padding period
    int failingSegment = -1;                            // tests: the encoder of this segment fails
};

class CMp3Encoder final : public CAudioWriter {
public:
    explicit CMp3Encoder(Mp3EncoderSettings settings = {}) : m_chosen(settings) {}
    ~CMp3Encoder() override;  // waits for the segments still being encoded
    CMp3Encoder(const CMp3Encoder&) = delete;
    CMp3Encoder& operator=(const CMp3Encoder&) = delete;

    // Creates the output file and opens an encoder stream on it.
    bool Create(const std::string& path) override;
    // The stereo frames the stream is expected to hold, told after Create and before the first
    // samples (later it changes nothing); a guess is fine.
    void ExpectFrames(uint64_t frames);
    // count stereo frames: the first channel's sample in the low half, the second's in the high
    // half. Audio the encoder cannot take is a failure and encoding goes on; always true.
    bool Encode(const uint32_t* frames, uint32_t count);
    // The first array's samples in the high half, the second's in the low half.
    bool WriteChannels(const int32_t* first, const int32_t* second, uint32_t count) override;
    // Encodes what is left, finishes the stream and closes the file.
    bool Close() override;

    // True once some audio could not be encoded or written since Create: the stream has a gap.
    bool Failed() const { return !m_failure.empty(); }
    // The user's text for the first failure since Create; empty when there was none.
    const std::string& Failure() const { return m_failure; }

private:
    bool OneThread() const { return m_threads <= 1; }
    // The frames of a segment and the input it needs (its warm-up and look-ahead included).
    uint32_t SegmentFrames(uint32_t index) const;
    uint32_t SegmentInputFrames(uint32_t index) const;
    void Gather(const uint32_t* frames, uint32_t count);
    void EncodeHere(const int16_t* samples, uint32_t frames);
    void Dispatch(bool last);
    void CollectOldest();
    bool Write(const std::vector<uint8_t>& bytes, const char* failure);
    bool Fail(const std::string& message);
    bool Finish();

    Mp3EncoderSettings m_chosen;
    Mp3EncoderSettings m_settings;  // m_chosen, its segments whole padding periods
    unsigned m_threads = 1;
    std::unique_ptr<CLameStream> m_stream;  // the whole stream on one thread, or the first segment's
    std::vector<int16_t> m_pending;         // the segment being gathered, interleaved
    std::vector<uint8_t> m_bytes;
    uint32_t m_segments = 0;                // handed to a thread so far
    // The planned cut: m_planned segments of m_plannedPeriods padding periods, the first
    // m_longer of them one period longer; none planned: the settings' size throughout.
    uint32_t m_planned = 0;
    uint32_t m_plannedPeriods = 0;
    uint32_t m_longer = 0;
    std::deque<std::future<Mp3SegmentResult>> m_running;
    StdioFile m_output;
    std::string m_path;
    std::string m_failure;
};
