#include "audio/AudioDecoder.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "audio/FfmpegHandles.h"
#include "audio/MediaUtils.h"
#include "audio/WavReader.h"

namespace {

constexpr AVSampleFormat kOutputFormat = AV_SAMPLE_FMT_S16;

// Converts whatever the decoder delivers to interleaved 16-bit samples at 44100 Hz in the source's
// own channel order. Rebuilt when a stream changes its format in the middle.
class CResampler {
public:
    // Negative FFmpeg code on failure.
    int Convert(const AVFrame* frame, const int16_t*& samples, int& frames);
    int Flush(const int16_t*& samples, int& frames);
    int Channels() const { return m_layout.nb_channels; }

private:
    int Setup(const AVFrame* frame);
    int Run(const uint8_t** input, int inputFrames, const int16_t*& samples, int& frames);

    ResamplerHandle m_context;
    AVChannelLayout m_layout{};
    int m_format = -1;
    int m_rate = 0;
    std::vector<int16_t> m_output;
};

int CResampler::Setup(const AVFrame* frame) {
    if (m_context && Ffmpeg().av_channel_layout_compare(&m_layout, &frame->ch_layout) == 0 && m_format == frame->format &&
        m_rate == frame->sample_rate)
        return 0;
    AVChannelLayout layout{};
    // Plain PCM often says how many channels but not which: any layout of that size keeps the order.
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        Ffmpeg().av_channel_layout_default(&layout, frame->ch_layout.nb_channels);
    else if (const int r = Ffmpeg().av_channel_layout_copy(&layout, &frame->ch_layout); r < 0)
        return r;
    SwrContext* raw = nullptr;
    int result = Ffmpeg().swr_alloc_set_opts2(&raw, &layout, kOutputFormat, CAudioDecoder::kSampleRate, &layout,
                                     AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
    m_context.reset(raw);
    if (result >= 0) result = Ffmpeg().swr_init(m_context.get());
    Ffmpeg().av_channel_layout_uninit(&m_layout);
    Ffmpeg().av_channel_layout_copy(&m_layout, &frame->ch_layout);
    Ffmpeg().av_channel_layout_uninit(&layout);
    m_format = frame->format;
    m_rate = frame->sample_rate;
    if (result < 0) m_context.reset();
    return result;
}

int CResampler::Run(const uint8_t** input, int inputFrames, const int16_t*& samples, int& frames) {
    const int room = Ffmpeg().swr_get_out_samples(m_context.get(), inputFrames);
    if (room < 0) return room;
    m_output.resize(size_t(room) * size_t(Channels()) + 1);
    uint8_t* out = reinterpret_cast<uint8_t*>(m_output.data());
    frames = Ffmpeg().swr_convert(m_context.get(), &out, room, input, inputFrames);
    samples = m_output.data();
    return frames < 0 ? frames : 0;
}

int CResampler::Convert(const AVFrame* frame, const int16_t*& samples, int& frames) {
    if (const int r = Setup(frame); r < 0) return r;
    return Run(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples, samples, frames);
}

int CResampler::Flush(const int16_t*& samples, int& frames) {
    frames = 0;
    if (!m_context) return 0;
    return Run(nullptr, 0, samples, frames);
}

}  // namespace

// One pass of decoding over the chosen stream: packets in, converted by the resampler, the two
// channels kept as stereo frames until Read takes them. Negative results are FFmpeg codes.
class CAudioDecoder::CPass {
public:
    CPass(uint32_t first, uint32_t second) : m_first(first), m_second(second) {}

    CMediaInput& Input() { return m_input; }
    // caption names the call that failed.
    int OpenStream(int streamIndex, const char*& caption);
    // Up to count frames; fewer at the end or on a failure (error then negative).
    uint32_t Read(uint32_t* frames, uint32_t count, int& error);
    // The stream dropped a chosen channel in the middle.
    bool ChannelMissing() const { return m_channelMissing; }

private:
    int DecodePacket();
    int Drain();
    int Finish();
    void Keep(const int16_t* samples, int frames, int channels);

    uint32_t m_first, m_second;
    int m_streamIndex = -1;
    CMediaInput m_input;
    CodecHandle m_decoder;
    PacketHandle m_packet;
    FrameHandle m_frame;
    CResampler m_resampler;
    std::vector<uint32_t> m_ready;
    size_t m_taken = 0;
    bool m_ended = false;
    bool m_channelMissing = false;
};

int CAudioDecoder::CPass::OpenStream(int streamIndex, const char*& caption) {
    m_streamIndex = streamIndex;
    const AVStream* stream = m_input.Format()->streams[streamIndex];
    const AVCodec* codec = Ffmpeg().avcodec_find_decoder(stream->codecpar->codec_id);
    m_decoder.reset(Ffmpeg().avcodec_alloc_context3(codec));
    m_packet.reset(Ffmpeg().av_packet_alloc());
    m_frame.reset(Ffmpeg().av_frame_alloc());
    caption = "avcodec_alloc_context3";
    if (!m_decoder || !m_packet || !m_frame) return AVERROR(ENOMEM);
    caption = "avcodec_open2";
    if (const int result = Ffmpeg().avcodec_parameters_to_context(m_decoder.get(), stream->codecpar); result < 0) return result;
    return Ffmpeg().avcodec_open2(m_decoder.get(), codec, nullptr);
}

void CAudioDecoder::CPass::Keep(const int16_t* samples, int frames, int channels) {
    const size_t start = m_ready.size();
    m_ready.resize(start + size_t(frames));
    uint32_t* out = m_ready.data() + start;
    for (int i = 0; i < frames; ++i, samples += channels)
        out[i] = uint16_t(samples[m_first]) | uint32_t(uint16_t(samples[m_second])) << 16;
}

// Hands every frame the decoder has ready to the resampler and keeps the chosen channels.
int CAudioDecoder::CPass::Drain() {
    int result;
    while ((result = Ffmpeg().avcodec_receive_frame(m_decoder.get(), m_frame.get())) >= 0) {
        const int16_t* samples = nullptr;
        int frames = 0;
        result = m_resampler.Convert(m_frame.get(), samples, frames);
        Ffmpeg().av_frame_unref(m_frame.get());
        if (result < 0) return result;
        if (std::max(m_first, m_second) >= uint32_t(m_resampler.Channels())) {
            m_channelMissing = true;
            return AVERROR(EINVAL);
        }
        Keep(samples, frames, m_resampler.Channels());
    }
    return (result == AVERROR(EAGAIN) || result == AVERROR_EOF) ? 0 : result;
}

int CAudioDecoder::CPass::Finish() {
    m_ended = true;
    int result = Ffmpeg().avcodec_send_packet(m_decoder.get(), nullptr);
    if (result >= 0) result = Drain();
    const int16_t* samples = nullptr;
    int frames = 0;
    if (result >= 0) result = m_resampler.Flush(samples, frames);
    if (result >= 0 && frames > 0) Keep(samples, frames, m_resampler.Channels());
    return result;
}

// The next packet of the stream, or the end of it.
int CAudioDecoder::CPass::DecodePacket() {
    int result = Ffmpeg().av_read_frame(m_input.Format(), m_packet.get());
    if (result == AVERROR_EOF) return Finish();
    if (result < 0) return result;
    if (m_packet->stream_index == m_streamIndex) {
        result = Ffmpeg().avcodec_send_packet(m_decoder.get(), m_packet.get());
        // A damaged packet loses its own samples only, as in any player.
        if (result == AVERROR_INVALIDDATA) result = 0;
        if (result >= 0) result = Drain();
    }
    Ffmpeg().av_packet_unref(m_packet.get());
    return result;
}

uint32_t CAudioDecoder::CPass::Read(uint32_t* frames, uint32_t count, int& error) {
    error = 0;
    uint32_t done = 0;
    while (done < count) {
        if (m_taken == m_ready.size()) {
            m_ready.clear();
            m_taken = 0;
            if (m_ended) break;
            if ((error = DecodePacket()) < 0) {
                m_ended = true;
                break;
            }
            continue;
        }
        const size_t n = std::min<size_t>(count - done, m_ready.size() - m_taken);
        std::copy_n(m_ready.begin() + long(m_taken), n, frames + done);
        m_taken += n;
        done += uint32_t(n);
    }
    return done;
}

namespace {

std::atomic<uint64_t> g_passesStarted{0};

// What the container says the stream lasts, in frames at 44100 Hz.
uint64_t ExpectedFramesOf(const AVFormatContext* format, int streamIndex) {
    const AVStream* stream = format->streams[streamIndex];
    int64_t micro = AV_NOPTS_VALUE;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        micro = Ffmpeg().av_rescale_q(stream->duration, stream->time_base, AV_TIME_BASE_Q);
    else if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        micro = format->duration;
    if (micro == AV_NOPTS_VALUE) return 0;
    return uint64_t(Ffmpeg().av_rescale(micro, CAudioDecoder::kSampleRate, AV_TIME_BASE));
}

}  // namespace

CAudioDecoder::CAudioDecoder() = default;
CAudioDecoder::~CAudioDecoder() = default;

uint64_t CAudioDecoder::PassesStarted() { return g_passesStarted.load(); }

bool CAudioDecoder::Fail(const std::string& text) {
    if (m_failure.empty()) m_failure = text;
    m_pass.reset();
    m_wav.reset();
    return false;
}

bool CAudioDecoder::OpenWav(const AudioSource& source) {
    auto wav = std::make_unique<CWavReader>();
    if (!wav->Open(source)) return false;
    m_wav = std::move(wav);
    m_expectedFrames = m_wav->Frames();
    return true;
}

uint32_t CAudioDecoder::ReadWav(uint32_t* frames, uint32_t count) {
    const size_t channels = m_wav->Channels();
    m_interleaved.resize(size_t(count) * channels);
    const uint32_t done = m_wav->Read(m_interleaved.data(), count);
    const int16_t* samples = m_interleaved.data();
    for (uint32_t i = 0; i < done; ++i, samples += channels)
        frames[i] = uint16_t(samples[m_first]) | uint32_t(uint16_t(samples[m_second])) << 16;
    return done;
}

bool CAudioDecoder::Open(const AudioSource& source, uint32_t firstChannel, uint32_t secondChannel) {
    Close();
    m_first = firstChannel;
    m_second = secondChannel;
    if (OpenWav(source)) {
        if (std::max(firstChannel, secondChannel) >= m_wav->Channels()) return Fail("Invalid channel selection");
        ++g_passesStarted;
        return true;
    }
    m_pass = std::make_unique<CPass>(firstChannel, secondChannel);
    const char* caption = nullptr;
    int result = m_pass->Input().Open(source, caption);
    if (result < 0 && result != AVERROR_DEMUXER_NOT_FOUND) return Fail(CMediaUtils::ErrorText(result, caption));
    const AudioStreamInfo info = result < 0 ? AudioStreamInfo{} : CMediaUtils::DescribeAudio(m_pass->Input());
    if (info.streamIndex < 0 || !info.decodable) return Fail("Invalid file type");
    if (info.channels <= 0 || std::max(firstChannel, secondChannel) >= uint32_t(info.channels))
        return Fail("Invalid channel selection");
    if ((result = m_pass->OpenStream(info.streamIndex, caption)) < 0) return Fail(CMediaUtils::ErrorText(result, caption));
    m_expectedFrames = ExpectedFramesOf(m_pass->Input().Format(), info.streamIndex);
    ++g_passesStarted;
    return true;
}

uint32_t CAudioDecoder::Read(uint32_t* frames, uint32_t count) {
    if (m_wav) return ReadWav(frames, count);
    if (!m_pass) return 0;
    int error = 0;
    const uint32_t done = m_pass->Read(frames, count, error);
    if (m_pass->ChannelMissing()) Fail("Invalid channel selection");
    else if (error < 0) Fail(CMediaUtils::ErrorText(error, "avcodec_receive_frame"));
    return done;
}

void CAudioDecoder::Close() {
    m_pass.reset();
    m_wav.reset();
    m_interleaved = {};
    m_expectedFrames = 0;
    m_failure.clear();
}
