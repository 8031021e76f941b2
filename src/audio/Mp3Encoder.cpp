#include "audio/Mp3Encoder.h"

#include <algorithm>
#include <thread>


namespace {

unsigned ThreadsFor(const Mp3EncoderSettings& settings) {
    const unsigned threads = settings.threads ? settings.threads : std::thread::hardware_concurrency();
    return std::max(threads, 1u);
}

uint32_t WholePeriods(uint32_t frames) {
    using mp3_segment::kPaddingPeriod;
    return std::max(kPaddingPeriod, (frames + kPaddingPeriod - 1) / kPaddingPeriod * kPaddingPeriod);
}

}  // namespace

CMp3Encoder::~CMp3Encoder() { m_running.clear(); }

bool CMp3Encoder::Create(const std::string& path) {
    m_path = path;
    m_failure.clear();
    m_planned = 0;
    m_settings = m_chosen;
    m_settings.segmentFrames = WholePeriods(m_settings.segmentFrames);
    m_threads = ThreadsFor(m_settings);
    m_segments = 0;
    m_pending.clear();
    if (!OneThread()) m_pending.reserve(size_t(SegmentInputFrames(0)) * mp3_stream::kFrameSamples * mp3_stream::kChannels);
    m_output = OpenStdioFile(path, "wb+");
    if (!m_output) return Fail("Error creating file\n");
    m_stream = std::make_unique<CLameStream>();
    if (!m_stream->Open()) {
        m_stream.reset();
        return Fail("Error opening encoding stream");
    }
    return true;
}

// Equal shares for every thread, in as many rounds as segments of the settings' size need: the
// last round's segments end together instead of one thread finishing a long segment alone.
void CMp3Encoder::ExpectFrames(uint64_t frames) {
    using mp3_segment::kPaddingPeriod;
    m_planned = 0;
    if (OneThread() || m_segments > 0 || !m_pending.empty()) return;  // the cut has begun
    const uint64_t mp3Frames = (frames + mp3_stream::kFrameSamples - 1) / mp3_stream::kFrameSamples;
    const uint64_t periods = (mp3Frames + kPaddingPeriod - 1) / kPaddingPeriod;
    const uint64_t perSegment = m_settings.segmentFrames / kPaddingPeriod;
    const uint64_t rounds = (periods + perSegment * m_threads - 1) / (perSegment * m_threads);
    const uint64_t segments = rounds * m_threads;
    if (periods == 0 || periods < segments || segments > UINT32_MAX) return;  // less than a segment a thread
    m_planned = uint32_t(segments);
    m_plannedPeriods = uint32_t(periods / segments);
    m_longer = uint32_t(periods % segments);
}

uint32_t CMp3Encoder::SegmentFrames(uint32_t index) const {
    if (index >= m_planned) return m_settings.segmentFrames;
    return (m_plannedPeriods + (index < m_longer ? 1 : 0)) * mp3_segment::kPaddingPeriod;
}

uint32_t CMp3Encoder::SegmentInputFrames(uint32_t index) const {
    return SegmentFrames(index) + mp3_segment::kWarmUpFrames + mp3_segment::kLookAheadFrames;
}

bool CMp3Encoder::Fail(const std::string& message) {
    if (m_failure.empty()) m_failure = message;
    return false;
}

bool CMp3Encoder::Write(const std::vector<uint8_t>& bytes, const char* failure) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_output.get()) == bytes.size()) return true;
    return Fail(failure);
}

void CMp3Encoder::EncodeHere(const int16_t* samples, uint32_t frames) {
    m_bytes.clear();
    // The samples of a refused chunk are lost; encoding goes on.
    if (!m_stream->Encode(samples, frames, m_bytes)) Fail("beEncodeChunk() failed");
    Write(m_bytes, "fwrite error");
}

void CMp3Encoder::Gather(const uint32_t* frames, uint32_t count) {
    const size_t start = m_pending.size();
    m_pending.resize(start + size_t(count) * mp3_stream::kChannels);
    for (uint32_t i = 0; i < count; ++i) {
        m_pending[start + 2 * i] = int16_t(uint16_t(frames[i] & 0xFFFF));
        m_pending[start + 2 * i + 1] = int16_t(uint16_t(frames[i] >> 16));
    }
}

// A segment is gathered up to its input and no further, so its buffer never outgrows it.
bool CMp3Encoder::Encode(const uint32_t* frames, uint32_t count) {
    if (!m_stream && m_segments == 0) return true;  // Create has already said why there is no stream
    if (OneThread()) {
        Gather(frames, count);
        EncodeHere(m_pending.data(), count);
        m_pending.clear();
        return true;
    }
    while (count > 0) {
        const size_t input = size_t(SegmentInputFrames(m_segments)) * mp3_stream::kFrameSamples;
        const uint32_t n = uint32_t(std::min<size_t>(count, input - m_pending.size() / mp3_stream::kChannels));
        Gather(frames, n);
        frames += n;
        count -= n;
        if (m_pending.size() == input * mp3_stream::kChannels) Dispatch(false);
    }
    return true;
}

bool CMp3Encoder::WriteChannels(const int32_t* first, const int32_t* second, uint32_t count) {
    std::vector<uint32_t> frames(count);
    for (uint32_t i = 0; i < count; ++i)
        frames[i] = (uint32_t(uint16_t(first[i])) << 16) | uint16_t(second[i]);
    return Encode(frames.data(), count);
}

// Hands the gathered segment to a thread; the next segment starts with the frames it shares with
// this one (its warm-up and this one's look-ahead). The gathered samples move to the thread; only
// the shared frames and what came after them are copied.
void CMp3Encoder::Dispatch(bool last) {
    using namespace mp3_segment;
    const size_t frameSamples = size_t(mp3_stream::kFrameSamples) * mp3_stream::kChannels;
    const uint32_t frames = SegmentFrames(m_segments);
    Mp3SegmentJob job;
    job.dropFrames = m_segments == 0 ? 0 : kWarmUpFrames;
    if (!last) job.keepFrames = frames + kWarmUpFrames - job.dropFrames;
    job.stream = std::move(m_stream);
    job.fail = int(m_segments) == m_settings.failingSegment;
    std::vector<int16_t> rest;
    if (!last) {
        const size_t next = size_t(frames) * frameSamples;
        rest.reserve(size_t(SegmentInputFrames(m_segments + 1)) * frameSamples);
        rest.assign(m_pending.begin() + long(next), m_pending.end());
    }
    job.samples = std::move(m_pending);
    m_pending = std::move(rest);
    ++m_segments;
    if (Failed()) return;  // the stream is lost already; spend no more time on it
    while (m_running.size() >= m_threads) CollectOldest();
    m_running.push_back(std::async(std::launch::async, EncodeSegment, std::move(job)));
}

void CMp3Encoder::CollectOldest() {
    const Mp3SegmentResult result = m_running.front().get();
    m_running.pop_front();
    if (!result.failure.empty()) Fail(result.failure);
    else if (!Failed()) Write(result.frames, "fwrite error");
}

bool CMp3Encoder::Close() {
    if (!m_output) return true;
    if (!m_stream && m_segments == 0) {
        m_output.reset();
        return true;
    }
    const bool encoded = Finish();
    // A full disk may only show when the last buffer reaches it.
    const bool closed = std::fclose(m_output.release()) == 0;
    m_pending = {};
    m_bytes = {};
    if (encoded && !closed) return Fail("Output file write error");
    return encoded && closed;
}

// The rest of the stream: on this thread when it never filled a segment, else as the last segment.
bool CMp3Encoder::Finish() {
    if (m_segments == 0) {
        Mp3SegmentJob job;
        job.samples = std::move(m_pending);
        job.stream = std::move(m_stream);
        job.fail = m_settings.failingSegment == 0;
        const Mp3SegmentResult result = EncodeSegment(std::move(job));
        if (!result.failure.empty()) return Fail(result.failure);
        return Write(result.frames, "Output file write error");
    }
    Dispatch(true);
    while (!m_running.empty()) CollectOldest();
    return !Failed();
}
