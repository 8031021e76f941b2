#pragma once
// Owners for FFmpeg's objects, so every path out of a decoding function frees them.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <memory>
#include <string>

struct FormatCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct ResamplerFreer {
    void operator()(SwrContext* context) const { swr_free(&context); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};

using FormatHandle = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecHandle = std::unique_ptr<AVCodecContext, CodecFreer>;
using ResamplerHandle = std::unique_ptr<SwrContext, ResamplerFreer>;
using PacketHandle = std::unique_ptr<AVPacket, PacketFreer>;
using FrameHandle = std::unique_ptr<AVFrame, FrameFreer>;

// Opens path for demuxing and reads its stream information; a negative FFmpeg code on failure,
// with caption naming the call that failed. Only the file itself is read, and only as one of the
// audio containers: a file of any other kind (a playlist, a concat list: files that would make
// FFmpeg open others) gives AVERROR_DEMUXER_NOT_FOUND.
int OpenMediaFile(const std::string& path, FormatHandle& format, const char*& caption);

// FFmpeg logs to standard error unless told otherwise; the core never does.
void SilenceFfmpegLog();
