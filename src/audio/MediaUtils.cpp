#include "audio/MediaUtils.h"

#include <sys/stat.h>

#include <mutex>

#include "audio/FfmpegHandles.h"

extern "C" {
#include <libavutil/avstring.h>
}
#include "platform/TextFormat.h"
#include "platform/UserPrompt.h"

namespace {

constexpr size_t kErrorTextSize = 160;
// Containers whose demuxers read the one file they are given and nothing else. Playlists, concat
// lists, image sequences and the like would let a routine file name other files of the machine,
// whose audio would then end up on the card.
constexpr const char* kAudioFormats =
    "aac,ac3,aiff,amr,ape,asf,au,avi,caf,dsf,dts,eac3,flac,flv,loas,matroska,mlp,mov,mp3,mpc,mpc8,mpeg,"
    "mpegts,ogg,oma,tak,truehd,tta,voc,w64,wav,wv,xwma";
constexpr const char* kFileProtocolOnly = "file";

AVDictionary* InputLimits(bool withFormats) {
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", kFileProtocolOnly, 0);
    if (withFormats) av_dict_set(&options, "format_whitelist", kAudioFormats, 0);
    return options;
}

// The demuxer FFmpeg would choose for url, looked at before anything is opened with it.
int ProbeFormat(const std::string& url, const AVInputFormat*& input) {
    AVIOContext* io = nullptr;
    AVDictionary* options = InputLimits(false);
    int result = avio_open2(&io, url.c_str(), AVIO_FLAG_READ, nullptr, &options);
    av_dict_free(&options);
    if (result < 0) return result;
    result = av_probe_input_buffer2(io, &input, url.c_str(), nullptr, 0, 0);
    avio_closep(&io);
    return result < 0 ? result : 0;
}

}  // namespace

void SilenceFfmpegLog() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

int OpenMediaFile(const std::string& path, FormatHandle& format, const char*& caption) {
    SilenceFfmpegLog();
    caption = "avformat_open_input";
    // "file:" keeps a name holding a colon from being taken for another protocol.
    const std::string url = "file:" + path;
    const AVInputFormat* input = nullptr;
    int result = ProbeFormat(url, input);
    if (result < 0) return result;
    if (av_match_list(input->name, kAudioFormats, ',') <= 0) return AVERROR_DEMUXER_NOT_FOUND;
    AVFormatContext* raw = nullptr;
    AVDictionary* options = InputLimits(true);
    result = avformat_open_input(&raw, url.c_str(), input, &options);
    av_dict_free(&options);
    if (result < 0) return result;
    format.reset(raw);
    caption = "avformat_find_stream_info";
    result = avformat_find_stream_info(format.get(), nullptr);
    return result < 0 ? result : 0;
}

void CMediaUtils::ReportError(int code, const std::string& caption) {
    if (code >= 0) return;
    char text[kErrorTextSize];
    std::string error = av_strerror(code, text, sizeof text) == 0 ? std::string(text)
                                                                   : StringPrintf("Unknown Error: 0x%2x", unsigned(code));
    UserPrompt().ShowMessage(caption + ": " + error, kErrorCaption, MessageIcon::Error);
}

bool CMediaUtils::ProbeAudioFile(const std::string& path, AudioStreamInfo& info) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    FormatHandle format;
    const char* caption = nullptr;
    info = {};
    const int result = OpenMediaFile(path, format, caption);
    if (result == AVERROR_DEMUXER_NOT_FOUND) return true;  // no audio this system takes
    if (result < 0) {
        ReportError(result, caption);
        return false;
    }
    const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) return true;
    const AVCodecParameters* parameters = format->streams[index]->codecpar;
    info.streamIndex = index;
    info.channels = parameters->ch_layout.nb_channels;
    info.sampleRate = parameters->sample_rate;
    info.codec = avcodec_get_name(parameters->codec_id);
    info.decodable = avcodec_find_decoder(parameters->codec_id) != nullptr;
    return true;
}
