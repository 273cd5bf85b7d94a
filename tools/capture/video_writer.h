// Encodes the capture's frames and music into a video file with FFmpeg's
// libraries, by the file's extension: H.264 + AAC in MP4 or Matroska,
// VP9 + Opus in WebM, or FFV1 + FLAC in Matroska when lossless. The file is written under
// "<name>.part" and renamed to its name only once it is complete, so a
// failed or interrupted capture never leaves a half-written file under the
// final name.
//
// One writer at a time, driven from one thread: open, then pictures and
// samples in any interleaving, then finish (or abandon).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zelvik {

struct VideoSettings {
    std::string path;        // final file name; its extension picks the container
    int32_t width = 0;       // frame size in pixels
    int32_t height = 0;
    int32_t aspectNum = 1;   // shape of one pixel (sample aspect ratio)
    int32_t aspectDen = 1;
    uint32_t fps = 60;
    bool lossless = false;
    bool chroma444 = false;  // colour at full resolution instead of 4:2:0
    bool compact = false;    // H.264 with a slower preset: a smaller file
    bool audio = true;
    uint32_t rate = 44100;   // audio samples per second
    int32_t channels = 2;    // 1 or 2
};

// Container by the final name: "mp4" (.mp4, .m4v, .mov), "matroska"
// (.mkv) or "webm" (.webm); nullptr for any other name. Lossless needs
// Matroska; WebM's Opus needs a rate of 48000 Hz.
const char* VideoContainerFor(const std::string& path);

// Opens codecs and "<path>.part". Returns "" on success, else why not.
std::string OpenVideoWriter(const VideoSettings& settings);

// Encodes one picture: width x height pixels as 32-bit words 0x00RRGGBB
// in memory order (bytes B, G, R, 0), rows `pitch` bytes apart.
// Returns "" or why it failed.
std::string WriteVideoPicture(const uint8_t* pixels, int32_t pitch);

// Appends `frames` sample frames (interleaved when stereo) to the sound
// track. Returns "" or why it failed.
std::string WriteVideoSamples(const int16_t* samples, size_t frames);

// Whether the file being written is still there and writable: "" or why
// not (the partial file or its folder was removed, or a write failed).
// Cheap enough for every second of video, not meant for every frame.
std::string CheckVideoOutput();

// Flushes the encoders, completes the file and renames it to its final
// name. Returns "" or why it failed (the partial file is then removed).
std::string FinishVideoWriter();

// Stops without completing: releases everything and removes the partial
// file. Harmless when nothing is open.
void AbandonVideoWriter();

// The name written while encoding.
std::string PartialVideoPath(const std::string& path);

}  // namespace zelvik
