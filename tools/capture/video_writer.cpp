#include "capture/video_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>

#include "capture/yuv_convert.h"

namespace zelvik {

namespace {

// Encoder threads: fixed, so that the file does not depend on the machine.
// Four, even on two cores: each frame waits on rows of the one before, so
// fewer threads leave the cores idle (2.7 times real time with two, 3.3
// with four on a 2-core machine), at about 30 MB more memory.
constexpr int kVideoThreads = 4;

// One way of encoding the picture: the encoder, its pixel format and its
// options ("name=value" pairs separated by commas, for avcodec_open2).
struct VideoCodecSetup {
    const char* encoder;
    AVPixelFormat format;
    const char* options;
};

// H.264 4:4:4, chosen by measurement (docs/video.md): the fastest preset,
// with arithmetic coding put back (a third smaller for a sixth more time),
// and the quality level at which the hardest frames (the torus and the
// plasma) still come out at 40 dB RGB PSNR or more. Adaptive quantisation
// and psycho-visual tuning are off: they move bits to where a viewer of
// camera footage would look, and take them from the flat colours and sharp
// edges that matter here. No B-frames and no synchronous look-ahead, so
// that the encoder holds few frames.
constexpr VideoCodecSetup kH264Chroma444{
    "libx264", AV_PIX_FMT_YUV444P,
    "preset=ultrafast,crf=16,x264-params=cabac=1:aq-mode=0:psy=0:bframes=0:sync-lookahead=0"};
// --compact: the same quality target from a preset that searches harder,
// about half the size at about a quarter of the speed.
constexpr VideoCodecSetup kH264Chroma444Compact{
    "libx264", AV_PIX_FMT_YUV444P, "preset=medium,crf=16,x264-params=aq-mode=0:psy=0:bframes=0:sync-lookahead=0"};
// H.264 High, 4:2:0: what every player decodes. The 4:4:4 settings with
// the 8x8 transform, which makes the stream High profile (without it x264
// writes Main, about 7 % smaller here); with each canvas pixel a 4x4 block
// every frame keeps 40 dB luma PSNR at a size well under the 4:4:4 file's.
constexpr VideoCodecSetup kH264{
    "libx264", AV_PIX_FMT_YUV420P,
    "preset=ultrafast,crf=16,x264-params=cabac=1:8x8dct=1:aq-mode=0:psy=0:bframes=0:sync-lookahead=0"};
// --compact: the same change from the 4:4:4 settings.
constexpr VideoCodecSetup kH264Compact{
    "libx264", AV_PIX_FMT_YUV420P, "preset=medium,crf=16,x264-params=aq-mode=0:psy=0:bframes=0:sync-lookahead=0"};
// WebM: VP9, chosen by measurement over AV1 (docs/video.md): as small as
// SVT-AV1's fastest preset on the hardest frames in about 60 % of its time.
// The fastest real-time setting, tuned for screen content (40 % smaller
// at the same quality on this picture), at about the quality of the H.264
// default. No look-ahead and no adaptive quantisation, as for H.264.
constexpr const char* kVp9Options =
    "deadline=realtime,cpu-used=8,crf=16,b=0,row-mt=1,lag-in-frames=0,aq-mode=0,tune-content=screen";
constexpr VideoCodecSetup kWebm{"libvpx-vp9", AV_PIX_FMT_YUV420P, kVp9Options};
// --chroma 444: VP9 profile 1, which browsers decode in software.
constexpr VideoCodecSetup kWebmChroma444{"libvpx-vp9", AV_PIX_FMT_YUV444P, kVp9Options};
constexpr int kFfv1Slices = 4;
// Audio bit rate of the lossy tracks, per channel.
constexpr int64_t kAacBitRatePerChannel = 96000;
constexpr int64_t kOpusBitRatePerChannel = 64000;

// Everything of the file being written: codecs, streams, reusable frames
// and the packet, and the counts of what was sent.
struct VideoOutput {
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
    int64_t picturesSent = 0;
    int64_t samplesSent = 0;   // sample frames handed to the audio encoder
    int32_t soundFilled = 0;   // sample frames waiting in `sound`
    int32_t soundCapacity = 0;
    bool headerWritten = false;
};

VideoOutput Output;
bool OutputOpen;  // from OpenVideoWriter until the file is finished or abandoned

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
    av_frame_free(&Output.picture);
    av_frame_free(&Output.sound);
    av_packet_free(&Output.packet);
    avcodec_free_context(&Output.video);
    avcodec_free_context(&Output.audio);
    if (Output.format != nullptr) {
        if (Output.format->pb != nullptr) avio_closep(&Output.format->pb);
        avformat_free_context(Output.format);
    }
    Output = VideoOutput{};
    OutputOpen = false;
}

// Sends a frame (nullptr: end of stream) and writes whatever packets come out.
std::string Encode(AVCodecContext* codec, AVStream* stream, const AVFrame* frame)
{
    int result = avcodec_send_frame(codec, frame);
    if (result < 0) return Failure("encoding failed", result);
    while (true) {
        result = avcodec_receive_packet(codec, Output.packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return "";
        if (result < 0) return Failure("encoding failed", result);
        av_packet_rescale_ts(Output.packet, codec->time_base, stream->time_base);
        Output.packet->stream_index = stream->index;
        result = av_interleaved_write_frame(Output.format, Output.packet);
        if (result < 0) return Reason(result);
    }
}

// The lossy picture encoder of these settings.
const VideoCodecSetup& LossySetup(const VideoSettings& s)
{
    if (std::strcmp(VideoContainerFor(s.path), "webm") == 0) return s.chroma444 ? kWebmChroma444 : kWebm;
    if (s.chroma444) return s.compact ? kH264Chroma444Compact : kH264Chroma444;
    return s.compact ? kH264Compact : kH264;
}

// Opens the encoder with its options; an option it does not know is a
// fault of ours, reported rather than ignored.
std::string OpenCodec(AVCodecContext* c, const AVCodec* codec, const char* options)
{
    AVDictionary* dictionary = nullptr;
    if (options != nullptr && av_dict_parse_string(&dictionary, options, "=", ",", 0) < 0) {
        av_dict_free(&dictionary);
        return "out of memory";
    }
    const int result = avcodec_open2(c, codec, &dictionary);
    const AVDictionaryEntry* unknown = av_dict_get(dictionary, "", nullptr, AV_DICT_IGNORE_SUFFIX);
    const std::string name = unknown != nullptr ? unknown->key : "";
    av_dict_free(&dictionary);
    if (result < 0) return Failure(c->codec_type == AVMEDIA_TYPE_VIDEO ? "cannot open the video encoder"
                                                                       : "cannot open the audio encoder",
                                   result);
    if (!name.empty()) return std::string(codec->name) + " has no option " + name;
    return "";
}

std::string OpenVideoCodec(bool globalHeader)
{
    const VideoSettings& s = Output.settings;
    const VideoCodecSetup* setup = s.lossless ? nullptr : &LossySetup(s);
    const AVCodec* codec = s.lossless ? avcodec_find_encoder(AV_CODEC_ID_FFV1)
                                      : avcodec_find_encoder_by_name(setup->encoder);
    if (codec == nullptr)
        return std::string("this FFmpeg has no ") + (s.lossless ? "ffv1" : setup->encoder) + " encoder";
    Output.video = avcodec_alloc_context3(codec);
    if (Output.video == nullptr) return "out of memory";
    AVCodecContext* c = Output.video;
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
        c->pix_fmt = setup->format;
        c->gop_size = static_cast<int>(s.fps) * 5;
        c->color_range = AVCOL_RANGE_MPEG;
        c->colorspace = AVCOL_SPC_BT709;
        c->color_primaries = AVCOL_PRI_BT709;
        c->color_trc = AVCOL_TRC_BT709;
        // Each colour-difference sample is the mean of its 2x2 block.
        if (c->pix_fmt == AV_PIX_FMT_YUV420P) c->chroma_sample_location = AVCHROMA_LOC_CENTER;
    }
    const char* options = setup != nullptr ? setup->options : nullptr;
    const std::string failure = OpenCodec(c, codec, options);
    if (!failure.empty()) return failure;

    Output.picture = av_frame_alloc();
    if (Output.picture == nullptr) return "out of memory";
    Output.picture->format = c->pix_fmt;
    Output.picture->width = c->width;
    Output.picture->height = c->height;
    Output.picture->sample_aspect_ratio = c->sample_aspect_ratio;
    Output.picture->color_range = c->color_range;
    Output.picture->colorspace = c->colorspace;
    Output.picture->color_primaries = c->color_primaries;
    Output.picture->color_trc = c->color_trc;
    if (av_frame_get_buffer(Output.picture, 0) < 0) return "out of memory";

    Output.videoStream = avformat_new_stream(Output.format, nullptr);
    if (Output.videoStream == nullptr) return "out of memory";
    Output.videoStream->time_base = c->time_base;
    Output.videoStream->avg_frame_rate = c->framerate;
    Output.videoStream->sample_aspect_ratio = c->sample_aspect_ratio;
    if (avcodec_parameters_from_context(Output.videoStream->codecpar, c) < 0) return "out of memory";
    return "";
}

std::string OpenAudioCodec(bool globalHeader)
{
    const VideoSettings& s = Output.settings;
    const bool webm = std::strcmp(VideoContainerFor(s.path), "webm") == 0;
    // The lossy tracks: AAC-LC, and Opus in WebM (FFmpeg's own Opus encoder
    // is experimental; libopus is the reference).
    const AVCodec* codec = s.lossless ? avcodec_find_encoder(AV_CODEC_ID_FLAC)
                           : webm     ? avcodec_find_encoder_by_name("libopus")
                                      : avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (codec == nullptr)
        return std::string("this FFmpeg has no ") + (s.lossless ? "FLAC" : webm ? "libopus" : "AAC") + " encoder";
    Output.audio = avcodec_alloc_context3(codec);
    if (Output.audio == nullptr) return "out of memory";
    AVCodecContext* c = Output.audio;
    c->sample_rate = static_cast<int>(s.rate);
    c->time_base = AVRational{1, static_cast<int>(s.rate)};
    av_channel_layout_default(&c->ch_layout, s.channels);
    // 16-bit samples as they come where the encoder takes them, else
    // floating point in planes.
    c->sample_fmt = AV_SAMPLE_FMT_FLTP;
    for (const AVSampleFormat* f = codec->sample_fmts; f != nullptr && *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == AV_SAMPLE_FMT_S16) c->sample_fmt = AV_SAMPLE_FMT_S16;
    if (!s.lossless) c->bit_rate = (webm ? kOpusBitRatePerChannel : kAacBitRatePerChannel) * s.channels;
    if (!s.lossless && !webm) c->profile = FF_PROFILE_AAC_LOW;
    c->thread_count = 1;
    c->flags |= AV_CODEC_FLAG_BITEXACT;
    if (globalHeader) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const std::string failure = OpenCodec(c, codec, nullptr);
    if (!failure.empty()) return failure;

    Output.soundCapacity = c->frame_size > 0 ? c->frame_size : 4096;
    Output.sound = av_frame_alloc();
    if (Output.sound == nullptr) return "out of memory";
    Output.sound->format = c->sample_fmt;
    Output.sound->sample_rate = c->sample_rate;
    Output.sound->nb_samples = Output.soundCapacity;
    if (av_channel_layout_copy(&Output.sound->ch_layout, &c->ch_layout) < 0) return "out of memory";
    if (av_frame_get_buffer(Output.sound, 0) < 0) return "out of memory";

    Output.audioStream = avformat_new_stream(Output.format, nullptr);
    if (Output.audioStream == nullptr) return "out of memory";
    Output.audioStream->time_base = c->time_base;
    if (avcodec_parameters_from_context(Output.audioStream->codecpar, c) < 0) return "out of memory";
    return "";
}

std::string OpenAll()
{
    const VideoSettings& s = Output.settings;
    const char* container = VideoContainerFor(s.path);
    if (container == nullptr) return "the name must end in .mp4, .m4v, .mov, .mkv or .webm";
    if (s.lossless && std::strcmp(container, "matroska") != 0) return "lossless video needs a .mkv name";
    const AVOutputFormat* output = av_guess_format(container, nullptr, nullptr);
    if (output == nullptr) return std::string("this FFmpeg cannot write ") + container;
    int result = avformat_alloc_output_context2(&Output.format, output, nullptr, Output.partPath.c_str());
    if (result < 0 || Output.format == nullptr) return Failure("cannot set up the file", result);
    // No encoder versions or random identifiers in the file.
    Output.format->flags |= AVFMT_FLAG_BITEXACT;
    const bool globalHeader = (output->flags & AVFMT_GLOBALHEADER) != 0;

    Output.packet = av_packet_alloc();
    if (Output.packet == nullptr) return "out of memory";
    std::string failure = OpenVideoCodec(globalHeader);
    if (!failure.empty()) return failure;
    if (s.audio) {
        failure = OpenAudioCodec(globalHeader);
        if (!failure.empty()) return failure;
    }

    result = avio_open(&Output.format->pb, Output.partPath.c_str(), AVIO_FLAG_WRITE);
    if (result < 0) return Reason(result);
    AVDictionary* options = nullptr;
    // MP4: index at the front, so that the file plays while it downloads.
    if (std::strcmp(container, "mp4") == 0) av_dict_set(&options, "movflags", "+faststart", 0);
    result = avformat_write_header(Output.format, &options);
    av_dict_free(&options);
    if (result < 0) return Reason(result);
    Output.headerWritten = true;
    return "";
}

std::string SendSound()
{
    Output.sound->nb_samples = Output.soundFilled;
    Output.sound->pts = Output.samplesSent;
    Output.samplesSent += Output.soundFilled;
    Output.soundFilled = 0;
    return Encode(Output.audio, Output.audioStream, Output.sound);
}

}  // namespace

const char* VideoContainerFor(const std::string& path)
{
    if (EndsWith(path, ".mp4") || EndsWith(path, ".m4v") || EndsWith(path, ".mov")) return "mp4";
    if (EndsWith(path, ".mkv")) return "matroska";
    if (EndsWith(path, ".webm")) return "webm";
    return nullptr;
}

std::string PartialVideoPath(const std::string& path) { return path + ".part"; }

std::string OpenVideoWriter(const VideoSettings& settings)
{
    AbandonVideoWriter();
    av_log_set_level(AV_LOG_ERROR);
    Output.settings = settings;
    Output.partPath = PartialVideoPath(settings.path);
    OutputOpen = true;
    const std::string failure = OpenAll();
    if (!failure.empty()) AbandonVideoWriter();
    return failure;
}

std::string WriteVideoPicture(const uint8_t* pixels, int32_t pitch)
{
    int result = av_frame_make_writable(Output.picture);
    if (result < 0) return Failure("encoding failed", result);
    if (!Output.settings.lossless) {
        // Full-range RGB in, studio-range BT.709 out, as the stream is tagged.
        const int32_t planePitch[3] = {Output.picture->linesize[0], Output.picture->linesize[1],
                                       Output.picture->linesize[2]};
        if (Output.picture->format == AV_PIX_FMT_YUV420P)
            ConvertToYuv420(pixels, pitch, Output.settings.width, Output.settings.height, Output.picture->data,
                            planePitch);
        else
            ConvertToYuv444(pixels, pitch, Output.settings.width, Output.settings.height, Output.picture->data,
                            planePitch);
    } else {
        const size_t rowBytes = static_cast<size_t>(Output.settings.width) * 4;
        for (int32_t y = 0; y < Output.settings.height; ++y)
            std::memcpy(Output.picture->data[0] + static_cast<ptrdiff_t>(y) * Output.picture->linesize[0],
                        pixels + static_cast<ptrdiff_t>(y) * pitch, rowBytes);
    }
    Output.picture->pts = Output.picturesSent++;
    return Encode(Output.video, Output.videoStream, Output.picture);
}

std::string WriteVideoSamples(const int16_t* samples, size_t frames)
{
    const int32_t channels = Output.settings.channels;
    while (frames > 0) {
        if (Output.soundFilled == 0) {
            Output.sound->nb_samples = Output.soundCapacity;
            const int result = av_frame_make_writable(Output.sound);
            if (result < 0) return Failure("encoding failed", result);
        }
        const size_t room = static_cast<size_t>(Output.soundCapacity - Output.soundFilled);
        const size_t take = frames < room ? frames : room;
        if (Output.audio->sample_fmt == AV_SAMPLE_FMT_S16) {
            std::memcpy(reinterpret_cast<int16_t*>(Output.sound->data[0]) + Output.soundFilled * channels, samples,
                        take * static_cast<size_t>(channels) * sizeof(int16_t));
        } else {
            for (int32_t c = 0; c < channels; ++c) {
                float* plane = reinterpret_cast<float*>(Output.sound->data[c]) + Output.soundFilled;
                for (size_t i = 0; i < take; ++i)
                    plane[i] = static_cast<float>(samples[i * static_cast<size_t>(channels) +
                                                          static_cast<size_t>(c)]) / 32768.0f;
            }
        }
        Output.soundFilled += static_cast<int32_t>(take);
        samples += take * static_cast<size_t>(channels);
        frames -= take;
        if (Output.soundFilled == Output.soundCapacity) {
            const std::string failure = SendSound();
            if (!failure.empty()) return failure;
        }
    }
    return "";
}

std::string CheckVideoOutput()
{
    if (!OutputOpen || Output.format == nullptr || Output.format->pb == nullptr) return "not open";
    if (Output.format->pb->error < 0) return Reason(Output.format->pb->error);
    struct stat info {};
    if (stat(Output.partPath.c_str(), &info) != 0)
        return Output.partPath + " is gone: " + std::strerror(errno);
    return "";
}

std::string FinishVideoWriter()
{
    std::string failure;
    if (Output.audio != nullptr && Output.soundFilled > 0) failure = SendSound();
    if (failure.empty()) failure = Encode(Output.video, Output.videoStream, nullptr);
    if (failure.empty() && Output.audio != nullptr) failure = Encode(Output.audio, Output.audioStream, nullptr);
    if (failure.empty()) {
        const int result = av_write_trailer(Output.format);
        if (result < 0) failure = Reason(result);
        else if (Output.format->pb->error < 0) failure = Reason(Output.format->pb->error);
    }
    if (failure.empty()) {
        const int result = avio_closep(&Output.format->pb);
        if (result < 0) failure = Reason(result);
    }
    if (failure.empty() && std::rename(Output.partPath.c_str(), Output.settings.path.c_str()) != 0)
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
    if (!OutputOpen) return;
    const std::string part = Output.partPath;
    Release();
    std::remove(part.c_str());
}

}  // namespace zelvik
