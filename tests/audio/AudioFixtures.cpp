#include "AudioFixtures.h"

#include <lame/lame.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "audio/MediaInput.h"
#include "platform/ByteOrder.h"

std::vector<int16_t> PcmAudio::Channel(int channel) const {
    std::vector<int16_t> out(Frames());
    for (size_t i = 0; i < out.size(); ++i) out[i] = samples[i * size_t(channels) + size_t(channel)];
    return out;
}

double ToneValue(int channel, double seconds) {
    // A rising sweep: unlike a steady tone it matches itself at one delay only.
    const double start = 300.0 + 250.0 * channel, rise = 400.0 + 100.0 * channel;
    return (6000.0 + 2000.0 * channel) * std::sin(2 * M_PI * (start + rise * seconds / 2) * seconds);
}

PcmAudio MakeTones(int sampleRate, int channels, double seconds) {
    PcmAudio audio{sampleRate, channels, {}};
    const size_t frames = size_t(seconds * sampleRate);
    audio.samples.resize(frames * size_t(channels));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            audio.samples[i * size_t(channels) + size_t(c)] = int16_t(std::lround(ToneValue(c, double(i) / sampleRate)));
    return audio;
}

void WriteWav(const std::string& path, const PcmAudio& audio) {
    const uint32_t dataBytes = uint32_t(audio.samples.size() * 2);
    std::vector<uint8_t> bytes(44 + dataBytes);
    uint8_t* p = bytes.data();
    std::memcpy(p, "RIFF", 4);
    StoreLe32(p + 4, 36 + dataBytes);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    StoreLe32(p + 16, 16);
    StoreLe16(p + 20, 1);  // PCM
    StoreLe16(p + 22, uint16_t(audio.channels));
    StoreLe32(p + 24, uint32_t(audio.sampleRate));
    StoreLe32(p + 28, uint32_t(audio.sampleRate * audio.channels * 2));
    StoreLe16(p + 32, uint16_t(audio.channels * 2));
    StoreLe16(p + 34, 16);
    std::memcpy(p + 36, "data", 4);
    StoreLe32(p + 40, dataBytes);
    for (size_t i = 0; i < audio.samples.size(); ++i) StoreLe16(p + 44 + 2 * i, uint16_t(audio.samples[i]));
    WriteAll(path, bytes);
}

void WriteMp3(const std::string& path, const PcmAudio& stereo, int kbitPerSecond) {
    lame_global_flags* gf = lame_init();
    lame_set_errorf(gf, nullptr);
    lame_set_in_samplerate(gf, stereo.sampleRate);
    lame_set_out_samplerate(gf, stereo.sampleRate);
    lame_set_num_channels(gf, 2);
    lame_set_brate(gf, kbitPerSecond);
    lame_set_bWriteVbrTag(gf, 0);
    lame_set_quality(gf, 7);
    if (lame_init_params(gf) < 0) throw std::runtime_error("LAME refused the test settings");
    std::vector<int16_t> pcm = stereo.samples;
    std::vector<uint8_t> out(pcm.size() * 5 / 8 + 7200 * 2);
    int bytes = lame_encode_buffer_interleaved(gf, pcm.data(), int(stereo.Frames()), out.data(), int(out.size()));
    if (bytes < 0) throw std::runtime_error("LAME failed");
    bytes += lame_encode_flush(gf, out.data() + bytes, int(out.size()) - bytes);
    lame_close(gf);
    out.resize(size_t(bytes));
    WriteAll(path, out);
}

PcmAudio DecodeFile(const std::string& path) {
    CMediaInput input;
    AudioSource source;
    source.path = path;
    const char* caption = nullptr;
    if (input.Open(source, caption) < 0) throw std::runtime_error("FFmpeg cannot open " + path);
    AVFormatContext* format = input.Format();
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) throw std::runtime_error("no audio in " + path);
    const AVCodec* codec = avcodec_find_decoder(format->streams[index]->codecpar->codec_id);
    CodecHandle decoder(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(decoder.get(), format->streams[index]->codecpar);
    decoder->request_sample_fmt = AV_SAMPLE_FMT_S16;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0) throw std::runtime_error("no decoder for " + path);
    PcmAudio audio{decoder->sample_rate, decoder->ch_layout.nb_channels, {}};
    PacketHandle packet(av_packet_alloc());
    FrameHandle frame(av_frame_alloc());
    auto drain = [&] {
        while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
            const int n = frame->nb_samples, ch = audio.channels;
            for (int i = 0; i < n; ++i)
                for (int c = 0; c < ch; ++c) {
                    double v;
                    switch (frame->format) {
                        case AV_SAMPLE_FMT_S16: v = reinterpret_cast<int16_t*>(frame->data[0])[i * ch + c]; break;
                        case AV_SAMPLE_FMT_S16P: v = reinterpret_cast<int16_t*>(frame->extended_data[c])[i]; break;
                        case AV_SAMPLE_FMT_FLTP: v = reinterpret_cast<float*>(frame->extended_data[c])[i] * 32768.0; break;
                        default: throw std::runtime_error("unexpected sample format in " + path);
                    }
                    audio.samples.push_back(int16_t(std::clamp(std::lround(v), -32768L, 32767L)));
                }
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(format, packet.get()) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(decoder.get(), packet.get()) >= 0) drain();
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
    return audio;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw std::runtime_error("cannot read " + path);
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) throw std::runtime_error("cannot write " + path);
}

double SnrAfterDelay(const std::vector<int16_t>& reference, const std::vector<int16_t>& signal, int maxLag, int* lagOut) {
    // The lag is found on a window in the middle, then the ratio is taken over everything that
    // overlaps, less the edges where encoders fade in and out.
    constexpr size_t kWindow = 4096, kEdge = 2048;
    if (reference.size() < kWindow + 2 * kEdge) throw std::runtime_error("reference too short");
    const size_t start = reference.size() / 2 - kWindow / 2;
    int bestLag = 0;
    double best = -1e300;
    for (int lag = 0; lag <= maxLag; ++lag) {
        if (start + lag + kWindow > signal.size()) break;
        double sum = 0;
        for (size_t i = 0; i < kWindow; ++i) sum += double(reference[start + i]) * signal[start + i + size_t(lag)];
        if (sum > best) best = sum, bestLag = lag;
    }
    double power = 0, noise = 0;
    for (size_t i = kEdge; i + kEdge < reference.size() && i + size_t(bestLag) < signal.size(); ++i) {
        const double r = reference[i], d = signal[i + size_t(bestLag)] - r;
        power += r * r;
        noise += d * d;
    }
    if (lagOut) *lagOut = bestLag;
    return noise == 0 ? 1e9 : 10 * std::log10(power / noise);
}

CTestTempDir::CTestTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velk3testXXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
    if (const char* previous = std::getenv("TMPDIR")) m_previous = previous, m_hadPrevious = true;
    ::setenv("TMPDIR", m_path.c_str(), 1);
}

CTestTempDir::~CTestTempDir() {
    if (m_hadPrevious) ::setenv("TMPDIR", m_previous.c_str(), 1);
    else ::unsetenv("TMPDIR");
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

int CTestTempDir::TempFileCount() const {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_path))
        if (entry.path().filename().string().rfind("ylm", 0) == 0) ++count;
    return count;
}
