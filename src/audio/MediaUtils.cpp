#include "audio/MediaUtils.h"

#include <sys/stat.h>

#include <mutex>

#include "audio/FfmpegHandles.h"
#include "platform/TextFormat.h"
#include "platform/UserPrompt.h"

namespace {
constexpr size_t kErrorTextSize = 160;
}  // namespace

void SilenceFfmpegLog() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

int OpenMediaFile(const std::string& path, FormatHandle& format, const char*& caption) {
    SilenceFfmpegLog();
    AVFormatContext* raw = nullptr;
    caption = "avformat_open_input";
    int result = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
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
    if (const int result = OpenMediaFile(path, format, caption); result < 0) {
        ReportError(result, caption);
        return false;
    }
    info = {};
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
