#include "audio/AudioDecoder.h"

#include <unistd.h>

#include <functional>

#include "audio/FfmpegHandles.h"
#include "audio/MediaUtils.h"
#include "platform/ByteOrder.h"
#include "platform/Exceptions.h"
#include "platform/TempFiles.h"
#include "platform/UserPrompt.h"

namespace {

constexpr AVSampleFormat kOutputFormat = AV_SAMPLE_FMT_S16;
constexpr size_t kSampleFileBuffer = 1 << 16;

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
    if (m_context && av_channel_layout_compare(&m_layout, &frame->ch_layout) == 0 && m_format == frame->format &&
        m_rate == frame->sample_rate)
        return 0;
    AVChannelLayout layout{};
    // Plain PCM often says how many channels but not which: any layout of that size keeps the order.
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&layout, frame->ch_layout.nb_channels);
    else if (const int r = av_channel_layout_copy(&layout, &frame->ch_layout); r < 0)
        return r;
    SwrContext* raw = nullptr;
    int result = swr_alloc_set_opts2(&raw, &layout, kOutputFormat, CAudioDecoder::kSampleRate, &layout,
                                     AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
    m_context.reset(raw);
    if (result >= 0) result = swr_init(m_context.get());
    av_channel_layout_uninit(&m_layout);
    av_channel_layout_copy(&m_layout, &frame->ch_layout);
    av_channel_layout_uninit(&layout);
    m_format = frame->format;
    m_rate = frame->sample_rate;
    if (result < 0) m_context.reset();
    return result;
}

int CResampler::Run(const uint8_t** input, int inputFrames, const int16_t*& samples, int& frames) {
    const int room = swr_get_out_samples(m_context.get(), inputFrames);
    if (room < 0) return room;
    m_output.resize(size_t(room) * size_t(Channels()) + 1);
    uint8_t* out = reinterpret_cast<uint8_t*>(m_output.data());
    frames = swr_convert(m_context.get(), &out, room, input, inputFrames);
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

// One pass of decoding over the chosen stream: packets in, samples converted by the resampler out
// to the sink. Negative results are FFmpeg codes.
class CStreamDecoder {
public:
    using Sink = std::function<void(const int16_t* samples, int frames, int channels)>;
    CStreamDecoder(uint32_t channel, Sink sink) : m_channel(channel), m_sink(std::move(sink)) {}

    // caption names the call that failed.
    int Open(const std::string& path, int streamIndex, const char*& caption);
    // Every packet of the stream, then what the decoder and the resampler still hold.
    int Run();
    // The stream dropped the chosen channel in the middle.
    bool ChannelMissing() const { return m_channelMissing; }

private:
    int Drain();
    int Finish();

    uint32_t m_channel;
    Sink m_sink;
    int m_streamIndex = -1;
    FormatHandle m_format;
    CodecHandle m_decoder;
    PacketHandle m_packet;
    FrameHandle m_frame;
    CResampler m_resampler;
    bool m_channelMissing = false;
};

int CStreamDecoder::Open(const std::string& path, int streamIndex, const char*& caption) {
    m_streamIndex = streamIndex;
    int result = OpenMediaFile(path, m_format, caption);
    if (result < 0) return result;
    const AVStream* stream = m_format->streams[streamIndex];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    m_decoder.reset(avcodec_alloc_context3(codec));
    m_packet.reset(av_packet_alloc());
    m_frame.reset(av_frame_alloc());
    caption = "avcodec_alloc_context3";
    if (!m_decoder || !m_packet || !m_frame) return AVERROR(ENOMEM);
    caption = "avcodec_open2";
    if ((result = avcodec_parameters_to_context(m_decoder.get(), stream->codecpar)) < 0) return result;
    return avcodec_open2(m_decoder.get(), codec, nullptr);
}

// Hands every frame the decoder has ready to the resampler and the sink.
int CStreamDecoder::Drain() {
    int result;
    while ((result = avcodec_receive_frame(m_decoder.get(), m_frame.get())) >= 0) {
        const int16_t* samples = nullptr;
        int frames = 0;
        result = m_resampler.Convert(m_frame.get(), samples, frames);
        av_frame_unref(m_frame.get());
        if (result < 0) return result;
        if (m_channel >= uint32_t(m_resampler.Channels())) {
            m_channelMissing = true;
            return AVERROR(EINVAL);
        }
        m_sink(samples, frames, m_resampler.Channels());
    }
    return (result == AVERROR(EAGAIN) || result == AVERROR_EOF) ? 0 : result;
}

int CStreamDecoder::Finish() {
    int result = avcodec_send_packet(m_decoder.get(), nullptr);
    if (result >= 0) result = Drain();
    const int16_t* samples = nullptr;
    int frames = 0;
    if (result >= 0) result = m_resampler.Flush(samples, frames);
    if (result >= 0 && frames > 0) m_sink(samples, frames, m_resampler.Channels());
    return result;
}

int CStreamDecoder::Run() {
    int result;
    while ((result = av_read_frame(m_format.get(), m_packet.get())) >= 0) {
        if (m_packet->stream_index == m_streamIndex) {
            result = avcodec_send_packet(m_decoder.get(), m_packet.get());
            // A damaged packet loses its own samples only, as in any player.
            if (result == AVERROR_INVALIDDATA) result = 0;
            if (result >= 0) result = Drain();
        }
        av_packet_unref(m_packet.get());
        if (result < 0) return result;
    }
    return result == AVERROR_EOF ? Finish() : result;
}

}  // namespace

CAudioDecoder::~CAudioDecoder() { Close(); }

bool CAudioDecoder::Open(const std::string& path, uint32_t channel) {
    Close();
    AudioStreamInfo info;
    if (!CMediaUtils::ProbeAudioFile(path, info)) return false;
    if (info.streamIndex < 0 || !info.decodable) {
        AppMessageBox("Invalid file type", MessageIcon::Warning);
        return false;
    }
    if (info.channels <= 0 || channel >= uint32_t(info.channels)) {
        AppMessageBox("Invalid channel selection", MessageIcon::Warning);
        return false;
    }
    m_samplePath = CreateTempFile("ylm");
    m_sampleFile = OpenStdioFile(m_samplePath, "w+b");
    if (!m_sampleFile) {
        const std::string path = m_samplePath;
        Close();
        throw CFileAccessException("Could not open file " + path);
    }
    if (!Decode(path, info.streamIndex, channel)) {
        Close();
        return false;
    }
    if (std::fflush(m_sampleFile.get()) != 0) throw CFileAccessException("Unable to write file");
    std::rewind(m_sampleFile.get());
    return true;
}

bool CAudioDecoder::Decode(const std::string& path, int streamIndex, uint32_t channel) {
    CStreamDecoder decoder(channel, [this, channel](const int16_t* samples, int frames, int channels) {
        WriteSamples(samples, frames, channels, channel);
    });
    const char* caption = nullptr;
    int result = decoder.Open(path, streamIndex, caption);
    if (result < 0) {
        CMediaUtils::ReportError(result, caption);
        return false;
    }
    result = decoder.Run();
    if (decoder.ChannelMissing()) {
        AppMessageBox("Invalid channel selection", MessageIcon::Warning);
        return false;
    }
    if (result < 0) {
        CMediaUtils::ReportError(result, "avcodec_receive_frame");
        return false;
    }
    return true;
}

void CAudioDecoder::WriteSamples(const int16_t* interleaved, int frames, int channels, uint32_t channel) {
    m_writeBuffer.resize(size_t(frames) * kBlockAlign);
    for (int i = 0; i < frames; ++i)
        StoreLe16(m_writeBuffer.data() + size_t(i) * kBlockAlign, uint16_t(interleaved[size_t(i) * channels + channel]));
    if (std::fwrite(m_writeBuffer.data(), 1, m_writeBuffer.size(), m_sampleFile.get()) != m_writeBuffer.size())
        throw CFileAccessException("Unable to write file");
}

uint32_t CAudioDecoder::Read(int32_t* destination, uint32_t count) {
    if (!m_sampleFile) return 0;
    m_readBuffer.resize(size_t(count) * kBlockAlign);
    const size_t bytes = std::fread(m_readBuffer.data(), 1, m_readBuffer.size(), m_sampleFile.get());
    const uint32_t frames = uint32_t(bytes / kBlockAlign);
    for (uint32_t i = 0; i < frames; ++i)
        destination[i] = int16_t(LoadLe16(m_readBuffer.data() + size_t(i) * kBlockAlign));
    return frames;
}

bool CAudioDecoder::Seek(int64_t sample) {
    if (!m_sampleFile || sample < 0) return false;
    const off_t target = off_t(sample) * kBlockAlign;
    if (::fseeko(m_sampleFile.get(), target, SEEK_SET) != 0) return false;
    return ::ftello(m_sampleFile.get()) == target;
}

uint32_t CAudioDecoder::GetLength() {
    if (!m_sampleFile) return 0;
    std::FILE* file = m_sampleFile.get();
    const off_t position = ::ftello(file);
    ::fseeko(file, 0, SEEK_END);
    const off_t length = ::ftello(file);
    ::fseeko(file, position, SEEK_SET);
    return uint32_t(uint64_t(length) / kBlockAlign);
}

void CAudioDecoder::Close() {
    m_sampleFile.reset();
    if (!m_samplePath.empty()) ::unlink(m_samplePath.c_str());
    m_samplePath.clear();
    m_readBuffer = {};
    m_writeBuffer = {};
}
