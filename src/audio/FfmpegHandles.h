#pragma once
// Owners for FFmpeg's objects, so every path out of a decoding function frees them.
#include "audio/FfmpegLibrary.h"

#include <memory>

struct FormatCloser {
    void operator()(AVFormatContext* context) const { Ffmpeg().avformat_close_input(&context); }
};
struct CodecFreer {
    void operator()(AVCodecContext* context) const { Ffmpeg().avcodec_free_context(&context); }
};
struct ResamplerFreer {
    void operator()(SwrContext* context) const { Ffmpeg().swr_free(&context); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { Ffmpeg().av_packet_free(&packet); }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { Ffmpeg().av_frame_free(&frame); }
};
struct IoFreer {
    void operator()(AVIOContext* io) const {
        Ffmpeg().av_freep(&io->buffer);
        Ffmpeg().avio_context_free(&io);
    }
};

using FormatHandle = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecHandle = std::unique_ptr<AVCodecContext, CodecFreer>;
using ResamplerHandle = std::unique_ptr<SwrContext, ResamplerFreer>;
using PacketHandle = std::unique_ptr<AVPacket, PacketFreer>;
using FrameHandle = std::unique_ptr<AVFrame, FrameFreer>;
using IoHandle = std::unique_ptr<AVIOContext, IoFreer>;
