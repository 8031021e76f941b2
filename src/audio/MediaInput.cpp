#include "audio/MediaInput.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace {

constexpr int kIoBufferSize = 1 << 16;
// Containers whose demuxers read the one file they are given and nothing else. Playlists, concat
// lists, image sequences and the like would let a routine file name other files of the machine,
// whose audio would then end up on the card.
constexpr const char* kAudioFormats =
    "aac,ac3,aiff,amr,ape,asf,au,avi,caf,dsf,dts,eac3,flac,flv,loas,matroska,mlp,mov,mp3,mpc,mpc8,mpeg,"
    "mpegts,ogg,oma,tak,truehd,tta,voc,w64,wav,wv,xwma";
// A demuxer that still asks for another file gets nothing but plain files, and those only by the
// whitelist of formats above.
constexpr const char* kFileProtocolOnly = "file";

}  // namespace

void SilenceFfmpegLog() {
    static std::once_flag once;
    std::call_once(once, [] { Ffmpeg().av_log_set_level(AV_LOG_QUIET); });
}

CMediaInput::~CMediaInput() {
    m_format.reset();
    if (m_region.fd >= 0) ::close(m_region.fd);
}

int CMediaInput::ReadPacket(void* opaque, uint8_t* buffer, int size) {
    Region& region = *static_cast<Region*>(opaque);
    const uint64_t left = region.length - std::min(region.position, region.length);
    if (left == 0) return AVERROR_EOF;
    const size_t want = size_t(std::min<uint64_t>(uint64_t(size), left));
    ssize_t got;
    do got = ::pread(region.fd, buffer, want, off_t(region.start + region.position));
    while (got < 0 && errno == EINTR);
    if (got < 0) return AVERROR(errno);
    if (got == 0) return AVERROR_EOF;
    region.position += uint64_t(got);
    return int(got);
}

int64_t CMediaInput::SeekTo(void* opaque, int64_t offset, int whence) {
    Region& region = *static_cast<Region*>(opaque);
    if (whence == AVSEEK_SIZE) return int64_t(region.length);
    int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
        case SEEK_SET: base = 0; break;
        case SEEK_CUR: base = int64_t(region.position); break;
        case SEEK_END: base = int64_t(region.length); break;
        default: return AVERROR(EINVAL);
    }
    if (base + offset < 0) return AVERROR(EINVAL);
    region.position = uint64_t(base + offset);
    return int64_t(region.position);
}

int CMediaInput::OpenRegion(const AudioSource& source) {
    if (!OpenSourceRegion(source, m_region)) return AVERROR(errno);
    uint8_t* buffer = static_cast<uint8_t*>(Ffmpeg().av_malloc(kIoBufferSize));
    if (!buffer) return AVERROR(ENOMEM);
    m_io.reset(Ffmpeg().avio_alloc_context(buffer, kIoBufferSize, 0, &m_region, ReadPacket, nullptr, SeekTo));
    if (!m_io) {
        Ffmpeg().av_free(buffer);
        return AVERROR(ENOMEM);
    }
    return 0;
}

// The demuxer FFmpeg would choose, looked at before anything is opened with it.
int CMediaInput::Probe(const std::string& name, const AVInputFormat*& input) {
    const int result = Ffmpeg().av_probe_input_buffer2(m_io.get(), &input, name.c_str(), nullptr, 0, 0);
    if (result < 0) return result;
    return Ffmpeg().av_match_list(input->name, kAudioFormats, ',') > 0 ? 0 : AVERROR_DEMUXER_NOT_FOUND;
}

int CMediaInput::Open(const AudioSource& source, const char*& caption) {
    SilenceFfmpegLog();
    caption = "avformat_open_input";
    const AVInputFormat* input = nullptr;
    int result = OpenRegion(source);
    if (result >= 0) result = Probe(source.path, input);
    if (result < 0) return result;
    AVFormatContext* raw = Ffmpeg().avformat_alloc_context();
    if (!raw) return AVERROR(ENOMEM);
    raw->pb = m_io.get();
    raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    AVDictionary* options = nullptr;
    Ffmpeg().av_dict_set(&options, "protocol_whitelist", kFileProtocolOnly, 0);
    Ffmpeg().av_dict_set(&options, "format_whitelist", kAudioFormats, 0);
    result = Ffmpeg().avformat_open_input(&raw, source.path.c_str(), input, &options);
    Ffmpeg().av_dict_free(&options);
    if (result < 0) return result;  // FFmpeg has freed the context
    m_format.reset(raw);
    caption = "avformat_find_stream_info";
    result = Ffmpeg().avformat_find_stream_info(m_format.get(), nullptr);
    return result < 0 ? result : 0;
}
