#include "audio/Mp3Encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdarg>

#include "platform/TextFormat.h"
#include "platform/UserPrompt.h"

namespace {

namespace setting {
constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;
constexpr int kBitRate = 128;  // kbit/s
constexpr int kQualityPreset = 2;  // the high-quality preset
}  // namespace setting

// LAME's advice for an output buffer: 1.25 × samples per channel + 7200 bytes.
constexpr uint32_t kOutputSlack = 7200;

// LAME writes its own notes to standard error unless told otherwise; the core never does.
void Silent(const char*, va_list) {}

bool Configure(lame_global_flags* gf) {
    lame_set_errorf(gf, Silent);
    lame_set_debugf(gf, Silent);
    lame_set_msgf(gf, Silent);
    lame_set_in_samplerate(gf, setting::kSampleRate);
    // The encoder would choose 44100 Hz for this rate itself; saying so keeps every frame one the
    // unit plays whatever a LAME build's defaults are.
    lame_set_out_samplerate(gf, setting::kSampleRate);
    lame_set_num_channels(gf, setting::kChannels);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, setting::kBitRate);
    lame_set_quality(gf, setting::kQualityPreset);
    lame_set_emphasis(gf, 0);
    lame_set_extension(gf, 0);         // private bit
    lame_set_error_protection(gf, 0);  // CRC
    lame_set_copyright(gf, 0);
    lame_set_original(gf, 1);
    lame_set_bWriteVbrTag(gf, 0);
    lame_set_write_id3tag_automatic(gf, 0);
    lame_set_disable_reservoir(gf, 1);
    lame_set_strict_ISO(gf, 0);
    return lame_init_params(gf) >= 0;
}

}  // namespace

CMp3Encoder::~CMp3Encoder() { CloseStream(); }

void CMp3Encoder::CloseStream() {
    if (m_stream) lame_close(m_stream);
    m_stream = nullptr;
}

bool CMp3Encoder::Create(const std::string& path) {
    m_path = path;
    m_failed = false;
    m_output = OpenStdioFile(path, "wb+");
    if (!m_output) {
        AppMessageBox("Error creating file\n");
        return false;
    }
    return OpenStream();
}

bool CMp3Encoder::OpenStream() {
    CloseStream();
    m_stream = lame_init();
    if (!m_stream || !Configure(m_stream)) {
        CloseStream();
        AppMessageBox("Error opening encoding stream");
        return false;
    }
    m_samplesPerChunk = uint32_t(lame_get_framesize(m_stream)) * setting::kChannels;
    m_outputBuffer.assign(m_samplesPerChunk / setting::kChannels * 5 / 4 + kOutputSlack, 0);
    m_inputBuffer.assign(m_samplesPerChunk, 0);
    m_room = m_samplesPerChunk;
    return true;
}

bool CMp3Encoder::EncodeChunk(uint32_t samples) {
    const int bytes = lame_encode_buffer_interleaved(m_stream, m_inputBuffer.data(), int(samples / setting::kChannels),
                                                     m_outputBuffer.data(), int(m_outputBuffer.size()));
    if (bytes < 0) {
        m_failed = true;
        AppMessageBox("beEncodeChunk() failed");
        return false;
    }
    if (std::fwrite(m_outputBuffer.data(), 1, size_t(bytes), m_output.get()) != size_t(bytes)) {
        m_failed = true;
        AppMessageBox("fwrite error");
        return false;
    }
    return true;
}

bool CMp3Encoder::Encode(const uint32_t* frames, uint32_t count) {
    if (!m_stream) return true;  // Create has already shown why there is no stream
    uint64_t left = uint64_t(count) * setting::kChannels;
    uint64_t next = 0;
    while (left > 0) {
        const uint32_t m = uint32_t(std::min<uint64_t>(m_room, left));
        int16_t* to = m_inputBuffer.data() + (m_samplesPerChunk - m_room);
        for (uint32_t i = 0; i < m; ++i, ++next) {
            const uint32_t frame = frames[next / 2];
            to[i] = int16_t(uint16_t(next % 2 == 0 ? frame & 0xFFFF : frame >> 16));
        }
        m_room -= m;
        left -= m;
        if (m_room == 0) {
            EncodeChunk(m_samplesPerChunk);  // a failed chunk has been shown; its samples are lost
            m_room = m_samplesPerChunk;
        }
    }
    return true;
}

bool CMp3Encoder::WriteChannels(const int32_t* first, const int32_t* second, uint32_t count) {
    std::vector<uint32_t> frames(count);
    for (uint32_t i = 0; i < count; ++i)
        frames[i] = (uint32_t(uint16_t(first[i])) << 16) | uint16_t(second[i]);
    return Encode(frames.data(), count);
}

bool CMp3Encoder::Close() {
    if (!m_stream) {
        m_output.reset();
        return true;
    }
    if (m_room < m_samplesPerChunk && !EncodeChunk(m_samplesPerChunk - m_room)) {
        AppMessageBox("error in Close");
        return false;
    }
    m_room = m_samplesPerChunk;
    const int bytes = lame_encode_flush(m_stream, m_outputBuffer.data(), int(m_outputBuffer.size()));
    if (bytes < 0) {
        CloseStream();
        AppMessageBox(StringPrintf("beExitStream failed (%lu)", static_cast<unsigned long>(bytes)));
        return false;
    }
    if (bytes > 0 && std::fwrite(m_outputBuffer.data(), 1, size_t(bytes), m_output.get()) != size_t(bytes)) {
        AppMessageBox("Output file write error");
        CloseStream();
        return false;
    }
    CloseStream();
    // A full disk may only show when the last buffer reaches it.
    const bool closed = std::fclose(m_output.release()) == 0;
    m_outputBuffer = {};
    m_inputBuffer = {};
    if (!closed) {
        AppMessageBox("Output file write error");
        return false;
    }
    return true;
}
