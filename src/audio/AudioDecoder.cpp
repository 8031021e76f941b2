#include "audio/AudioDecoder.h"

#include <unistd.h>

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
    FormatHandle format;
    const char* caption = nullptr;
    int result = OpenMediaFile(path, format, caption);
    if (result < 0) {
        CMediaUtils::ReportError(result, caption);
        return false;
    }
    const AVStream* stream = format->streams[streamIndex];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    CodecHandle decoder(avcodec_alloc_context3(codec));
    PacketHandle packet(av_packet_alloc());
    FrameHandle frame(av_frame_alloc());
    if (!decoder || !packet || !frame) {
        CMediaUtils::ReportError(AVERROR(ENOMEM), "avcodec_alloc_context3");
        return false;
    }
    if ((result = avcodec_parameters_to_context(decoder.get(), stream->codecpar)) < 0 ||
        (result = avcodec_open2(decoder.get(), codec, nullptr)) < 0) {
        CMediaUtils::ReportError(result, "avcodec_open2");
        return false;
    }

    CResampler resampler;
    const int16_t* samples = nullptr;
    int frames = 0;
    bool channelMissing = false;  // a stream that drops channels in the middle
    // Hands every frame the decoder has ready to the resampler and the sample file.
    auto drain = [&]() -> int {
        int r;
        while ((r = avcodec_receive_frame(decoder.get(), frame.get())) >= 0) {
            r = resampler.Convert(frame.get(), samples, frames);
            av_frame_unref(frame.get());
            if (r < 0) return r;
            if (channel >= uint32_t(resampler.Channels())) {
                channelMissing = true;
                return AVERROR(EINVAL);
            }
            WriteSamples(samples, frames, resampler.Channels(), channel);
        }
        return (r == AVERROR(EAGAIN) || r == AVERROR_EOF) ? 0 : r;
    };

    while ((result = av_read_frame(format.get(), packet.get())) >= 0) {
        if (packet->stream_index == streamIndex) {
            result = avcodec_send_packet(decoder.get(), packet.get());
            // A damaged packet loses its own samples only, as in any player.
            if (result == AVERROR_INVALIDDATA) result = 0;
            if (result >= 0) result = drain();
        }
        av_packet_unref(packet.get());
        if (result < 0) break;
    }
    if (result == AVERROR_EOF) {
        result = avcodec_send_packet(decoder.get(), nullptr);
        if (result >= 0) result = drain();
        if (result >= 0) result = resampler.Flush(samples, frames);
        if (result >= 0 && frames > 0) WriteSamples(samples, frames, resampler.Channels(), channel);
    }
    if (channelMissing) {
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
