#include "audio/LameStream.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdarg>

namespace {

constexpr int kQualityPreset = 2;  // the high-quality preset
// LAME's advice for an output buffer: 1.25 × samples per channel + 7200 bytes.
constexpr uint32_t kOutputSlack = 7200;
// Frames handed to LAME per call, which bounds the output buffer.
constexpr uint32_t kFramesPerCall = 8 * mp3_stream::kFrameSamples;

// LAME writes its own notes to standard error unless told otherwise; the core never does.
void Silent(const char*, va_list) {}

bool Configure(lame_global_flags* gf) {
    lame_set_errorf(gf, Silent);
    lame_set_debugf(gf, Silent);
    lame_set_msgf(gf, Silent);
    lame_set_in_samplerate(gf, mp3_stream::kSampleRate);
    // The encoder would choose 44100 Hz for this rate itself; saying so keeps every frame one the
    // unit plays whatever a LAME build's defaults are.
    lame_set_out_samplerate(gf, mp3_stream::kSampleRate);
    lame_set_num_channels(gf, mp3_stream::kChannels);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, mp3_stream::kBitRate);
    lame_set_quality(gf, kQualityPreset);
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

uint32_t OutputRoom(uint32_t frames) { return frames * 5 / 4 + kOutputSlack; }

}  // namespace

CLameStream::~CLameStream() {
    if (m_stream) lame_close(m_stream);
}

bool CLameStream::Open() {
    if (m_stream) lame_close(m_stream);
    m_stream = lame_init();
    if (m_stream && Configure(m_stream)) return true;
    if (m_stream) lame_close(m_stream);
    m_stream = nullptr;
    return false;
}

bool CLameStream::Encode(const int16_t* samples, uint32_t frames, std::vector<uint8_t>& out) {
    if (!m_stream) return false;
    bool encoded = true;
    for (uint32_t done = 0; done < frames; done += std::min(kFramesPerCall, frames - done)) {
        const uint32_t n = std::min(kFramesPerCall, frames - done);
        const size_t used = out.size();
        out.resize(used + OutputRoom(n));
        const int bytes = lame_encode_buffer_interleaved(m_stream, const_cast<int16_t*>(samples) + size_t(done) * mp3_stream::kChannels,
                                                         int(n), out.data() + used, int(out.size() - used));
        out.resize(used + size_t(std::max(bytes, 0)));
        encoded = encoded && bytes >= 0;  // the samples of a refused call are lost; the rest go on
    }
    return encoded;
}

int CLameStream::Flush(std::vector<uint8_t>& out) {
    if (!m_stream) return -1;
    const size_t used = out.size();
    out.resize(used + OutputRoom(mp3_stream::kFrameSamples));
    const int bytes = lame_encode_flush(m_stream, out.data() + used, int(out.size() - used));
    out.resize(used + size_t(std::max(bytes, 0)));
    return bytes;
}
