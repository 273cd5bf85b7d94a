#include "capture/video_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace zelvik {

namespace {

// Encoder threads: fixed, so that the file does not depend on the machine.
constexpr int kVideoThreads = 4;
constexpr int kFfv1Slices = 4;
// Audio bit rate of the lossy track, per channel.
constexpr int64_t kAacBitRatePerChannel = 96000;

struct Writer {
    VideoSettings settings;
    std::string partPath;
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* sound = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* toYuv = nullptr;
    int64_t picturesSent = 0;
    int64_t samplesSent = 0;   // sample frames handed to the audio encoder
    int32_t soundFilled = 0;   // sample frames waiting in `sound`
    int32_t soundCapacity = 0;
    bool headerWritten = false;
};

Writer W;
bool Open;

std::string Reason(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

std::string Failure(const char* what, int error)
{
    return std::string(what) + ": " + Reason(error);
}

bool EndsWith(const std::string& text, const char* suffix)
{
    const size_t n = std::strlen(suffix);
    return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, suffix) == 0;
}

void Release()
{
    sws_freeContext(W.toYuv);
    av_frame_free(&W.picture);
    av_frame_free(&W.sound);
    av_packet_free(&W.packet);
    avcodec_free_context(&W.video);
    avcodec_free_context(&W.audio);
    if (W.format != nullptr) {
        if (W.format->pb != nullptr) avio_closep(&W.format->pb);
        avformat_free_context(W.format);
    }
    W = Writer{};
    Open = false;
}

// Sends a frame (nullptr: end of stream) and writes whatever packets come out.
std::string Encode(AVCodecContext* codec, AVStream* stream, const AVFrame* frame)
{
    int result = avcodec_send_frame(codec, frame);
    if (result < 0) return Failure("encoding failed", result);
    while (true) {
        result = avcodec_receive_packet(codec, W.packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return "";
        if (result < 0) return Failure("encoding failed", result);
        av_packet_rescale_ts(W.packet, codec->time_base, stream->time_base);
        W.packet->stream_index = stream->index;
        result = av_interleaved_write_frame(W.format, W.packet);
        if (result < 0) return Reason(result);
    }
}

std::string OpenVideoCodec(bool globalHeader)
{
    const VideoSettings& s = W.settings;
    const AVCodec* codec = s.lossless ? avcodec_find_encoder(AV_CODEC_ID_FFV1)
                                      : avcodec_find_encoder_by_name("libx264");
    if (codec == nullptr)
        return s.lossless ? "this FFmpeg has no FFV1 encoder" : "this FFmpeg has no libx264 encoder";
    W.video = avcodec_alloc_context3(codec);
    if (W.video == nullptr) return "out of memory";
    AVCodecContext* c = W.video;
    c->width = s.width;
    c->height = s.height;
    c->time_base = AVRational{1, static_cast<int>(s.fps)};
    c->framerate = AVRational{static_cast<int>(s.fps), 1};
    c->sample_aspect_ratio = AVRational{s.aspectNum, s.aspectDen};
    c->thread_count = kVideoThreads;
    c->flags |= AV_CODEC_FLAG_BITEXACT;
    if (globalHeader) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (s.lossless) {
        // The presented 32-bit pixels as they are: no colour conversion.
        c->pix_fmt = AV_PIX_FMT_BGR0;
        c->level = 3;
        c->gop_size = 1;
        av_opt_set_int(c->priv_data, "slices", kFfv1Slices, 0);
        av_opt_set_int(c->priv_data, "slicecrc", 1, 0);
    } else {
        c->pix_fmt = AV_PIX_FMT_YUV420P;
        c->gop_size = static_cast<int>(s.fps) * 5;
        c->color_range = AVCOL_RANGE_MPEG;
        c->colorspace = AVCOL_SPC_BT709;
        c->color_primaries = AVCOL_PRI_BT709;
        c->color_trc = AVCOL_TRC_BT709;
        av_opt_set(c->priv_data, "preset", "medium", 0);
        av_opt_set(c->priv_data, "crf", "18", 0);
    }
    const int result = avcodec_open2(c, codec, nullptr);
    if (result < 0) return Failure("cannot open the video encoder", result);

    W.picture = av_frame_alloc();
    if (W.picture == nullptr) return "out of memory";
    W.picture->format = c->pix_fmt;
    W.picture->width = c->width;
    W.picture->height = c->height;
    W.picture->sample_aspect_ratio = c->sample_aspect_ratio;
    W.picture->color_range = c->color_range;
    W.picture->colorspace = c->colorspace;
    W.picture->color_primaries = c->color_primaries;
    W.picture->color_trc = c->color_trc;
    if (av_frame_get_buffer(W.picture, 0) < 0) return "out of memory";

    if (!s.lossless) {
        W.toYuv = sws_getContext(s.width, s.height, AV_PIX_FMT_BGR0, s.width, s.height,
                                 AV_PIX_FMT_YUV420P,
                                 SWS_BILINEAR | SWS_ACCURATE_RND | SWS_BITEXACT | SWS_FULL_CHR_H_INP,
                                 nullptr, nullptr, nullptr);
        if (W.toYuv == nullptr) return "cannot convert the pictures to YUV";
        // Full-range RGB in, studio-range BT.709 out, as tagged above.
        sws_setColorspaceDetails(W.toYuv, sws_getCoefficients(SWS_CS_ITU709), 1,
                                 sws_getCoefficients(SWS_CS_ITU709), 0, 0, 1 << 16, 1 << 16);
    }

    W.videoStream = avformat_new_stream(W.format, nullptr);
    if (W.videoStream == nullptr) return "out of memory";
    W.videoStream->time_base = c->time_base;
    W.videoStream->avg_frame_rate = c->framerate;
    W.videoStream->sample_aspect_ratio = c->sample_aspect_ratio;
    if (avcodec_parameters_from_context(W.videoStream->codecpar, c) < 0) return "out of memory";
    return "";
}

std::string OpenAudioCodec(bool globalHeader)
{
    const VideoSettings& s = W.settings;
    const AVCodec* codec = avcodec_find_encoder(s.lossless ? AV_CODEC_ID_FLAC : AV_CODEC_ID_AAC);
    if (codec == nullptr) return s.lossless ? "this FFmpeg has no FLAC encoder" : "this FFmpeg has no AAC encoder";
    W.audio = avcodec_alloc_context3(codec);
    if (W.audio == nullptr) return "out of memory";
    AVCodecContext* c = W.audio;
    c->sample_rate = static_cast<int>(s.rate);
    c->time_base = AVRational{1, static_cast<int>(s.rate)};
    av_channel_layout_default(&c->ch_layout, s.channels);
    c->sample_fmt = s.lossless ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_FLTP;
    if (!s.lossless) c->bit_rate = kAacBitRatePerChannel * s.channels;
    c->thread_count = 1;
    c->flags |= AV_CODEC_FLAG_BITEXACT;
    if (globalHeader) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int result = avcodec_open2(c, codec, nullptr);
    if (result < 0) return Failure("cannot open the audio encoder", result);

    W.soundCapacity = c->frame_size > 0 ? c->frame_size : 4096;
    W.sound = av_frame_alloc();
    if (W.sound == nullptr) return "out of memory";
    W.sound->format = c->sample_fmt;
    W.sound->sample_rate = c->sample_rate;
    W.sound->nb_samples = W.soundCapacity;
    if (av_channel_layout_copy(&W.sound->ch_layout, &c->ch_layout) < 0) return "out of memory";
    if (av_frame_get_buffer(W.sound, 0) < 0) return "out of memory";

    W.audioStream = avformat_new_stream(W.format, nullptr);
    if (W.audioStream == nullptr) return "out of memory";
    W.audioStream->time_base = c->time_base;
    if (avcodec_parameters_from_context(W.audioStream->codecpar, c) < 0) return "out of memory";
    return "";
}

std::string OpenAll()
{
    const VideoSettings& s = W.settings;
    const char* container = VideoContainerFor(s.path);
    if (container == nullptr) return "the name must end in .mp4, .m4v, .mov or .mkv";
    if (s.lossless && std::strcmp(container, "matroska") != 0) return "lossless video needs a .mkv name";
    const AVOutputFormat* output = av_guess_format(container, nullptr, nullptr);
    if (output == nullptr) return std::string("this FFmpeg cannot write ") + container;
    int result = avformat_alloc_output_context2(&W.format, output, nullptr, W.partPath.c_str());
    if (result < 0 || W.format == nullptr) return Failure("cannot set up the file", result);
    // No encoder versions or random identifiers in the file.
    W.format->flags |= AVFMT_FLAG_BITEXACT;
    const bool globalHeader = (output->flags & AVFMT_GLOBALHEADER) != 0;

    W.packet = av_packet_alloc();
    if (W.packet == nullptr) return "out of memory";
    std::string failure = OpenVideoCodec(globalHeader);
    if (!failure.empty()) return failure;
    if (s.audio) {
        failure = OpenAudioCodec(globalHeader);
        if (!failure.empty()) return failure;
    }

    result = avio_open(&W.format->pb, W.partPath.c_str(), AVIO_FLAG_WRITE);
    if (result < 0) return Reason(result);
    AVDictionary* options = nullptr;
    // MP4: index at the front, so that the file plays while it downloads.
    if (std::strcmp(container, "mp4") == 0) av_dict_set(&options, "movflags", "+faststart", 0);
    result = avformat_write_header(W.format, &options);
    av_dict_free(&options);
    if (result < 0) return Reason(result);
    W.headerWritten = true;
    return "";
}

std::string SendSound()
{
    W.sound->nb_samples = W.soundFilled;
    W.sound->pts = W.samplesSent;
    W.samplesSent += W.soundFilled;
    W.soundFilled = 0;
    return Encode(W.audio, W.audioStream, W.sound);
}

}  // namespace

const char* VideoContainerFor(const std::string& path)
{
    if (EndsWith(path, ".mp4") || EndsWith(path, ".m4v") || EndsWith(path, ".mov")) return "mp4";
    if (EndsWith(path, ".mkv")) return "matroska";
    return nullptr;
}

std::string PartialVideoPath(const std::string& path) { return path + ".part"; }

std::string OpenVideoWriter(const VideoSettings& settings)
{
    AbandonVideoWriter();
    av_log_set_level(AV_LOG_ERROR);
    W.settings = settings;
    W.partPath = PartialVideoPath(settings.path);
    Open = true;
    const std::string failure = OpenAll();
    if (!failure.empty()) AbandonVideoWriter();
    return failure;
}

std::string WriteVideoPicture(const uint8_t* pixels, int32_t pitch)
{
    int result = av_frame_make_writable(W.picture);
    if (result < 0) return Failure("encoding failed", result);
    if (W.toYuv != nullptr) {
        const uint8_t* const planes[1] = {pixels};
        const int strides[1] = {pitch};
        sws_scale(W.toYuv, planes, strides, 0, W.settings.height, W.picture->data,
                  W.picture->linesize);
    } else {
        const size_t rowBytes = static_cast<size_t>(W.settings.width) * 4;
        for (int32_t y = 0; y < W.settings.height; ++y)
            std::memcpy(W.picture->data[0] + static_cast<ptrdiff_t>(y) * W.picture->linesize[0],
                        pixels + static_cast<ptrdiff_t>(y) * pitch, rowBytes);
    }
    W.picture->pts = W.picturesSent++;
    return Encode(W.video, W.videoStream, W.picture);
}

std::string WriteVideoSamples(const int16_t* samples, size_t frames)
{
    const int32_t channels = W.settings.channels;
    while (frames > 0) {
        if (W.soundFilled == 0) {
            W.sound->nb_samples = W.soundCapacity;
            const int result = av_frame_make_writable(W.sound);
            if (result < 0) return Failure("encoding failed", result);
        }
        const size_t room = static_cast<size_t>(W.soundCapacity - W.soundFilled);
        const size_t take = frames < room ? frames : room;
        if (W.audio->sample_fmt == AV_SAMPLE_FMT_S16) {
            std::memcpy(reinterpret_cast<int16_t*>(W.sound->data[0]) + W.soundFilled * channels, samples,
                        take * static_cast<size_t>(channels) * sizeof(int16_t));
        } else {
            for (int32_t c = 0; c < channels; ++c) {
                float* plane = reinterpret_cast<float*>(W.sound->data[c]) + W.soundFilled;
                for (size_t i = 0; i < take; ++i)
                    plane[i] = static_cast<float>(samples[i * static_cast<size_t>(channels) +
                                                          static_cast<size_t>(c)]) / 32768.0f;
            }
        }
        W.soundFilled += static_cast<int32_t>(take);
        samples += take * static_cast<size_t>(channels);
        frames -= take;
        if (W.soundFilled == W.soundCapacity) {
            const std::string failure = SendSound();
            if (!failure.empty()) return failure;
        }
    }
    return "";
}

std::string FinishVideoWriter()
{
    std::string failure;
    if (W.audio != nullptr && W.soundFilled > 0) failure = SendSound();
    if (failure.empty()) failure = Encode(W.video, W.videoStream, nullptr);
    if (failure.empty() && W.audio != nullptr) failure = Encode(W.audio, W.audioStream, nullptr);
    if (failure.empty()) {
        const int result = av_write_trailer(W.format);
        if (result < 0) failure = Reason(result);
        else if (W.format->pb->error < 0) failure = Reason(W.format->pb->error);
    }
    if (failure.empty()) {
        const int result = avio_closep(&W.format->pb);
        if (result < 0) failure = Reason(result);
    }
    if (failure.empty() && std::rename(W.partPath.c_str(), W.settings.path.c_str()) != 0)
        failure = std::strerror(errno);
    if (!failure.empty()) {
        AbandonVideoWriter();
        return failure;
    }
    Release();
    return "";
}

void AbandonVideoWriter()
{
    if (!Open) return;
    const std::string part = W.partPath;
    Release();
    std::remove(part.c_str());
}

}  // namespace zelvik
