// The capture tool's two whole-show runs besides writing frames: a video
// file with the music, and a measurement of the frame pipeline's speed.
#pragma once

#include <cstdint>
#include <string>

namespace zelvik {

// How a run ended: the exit status for main, and one line for stderr
// saying why when it failed (empty when the line was printed already, or
// when nothing went wrong).
struct Outcome {
    int status = 0;
    std::string message;
};

struct VideoJob {
    std::string path;
    // Each canvas pixel as a block of multiple x multiple pixels, their 5:6
    // shape recorded in the file (1: the canvas's own pixels); 0 for the
    // frame size below, the 4:3 picture scaled into it as on a screen.
    int32_t multiple = 4;
    int32_t width = 1280;
    int32_t height = 960;
    bool lossless = false;
    bool chroma444 = false;  // colour at full resolution (H.264 High 4:4:4)
    bool compact = false;    // slower encoding for a smaller file
    bool music = true;
    std::string musicPath = "demo.xm";
    uint32_t rate = 44100;
    bool mono = false;
    uint32_t seed = 0;
    uint32_t fps = 60;
    uint32_t until = 0;
    std::string sheet;  // "" for none: the show without its pictures
    bool quiet = false;
};

// Makes the video. Status 0 done, 1 failed, 130 stopped by SIGINT or
// SIGTERM. No file is left under the final name unless it is complete,
// and no partial file at all.
Outcome RunVideoCapture(const VideoJob& job);

// Runs the show from demo clock 0 to `until` on the schedule of `fps`,
// drawing, expanding and presenting every frame into a 32-bit off-screen
// surface with no other output, and prints the frame rate and per-frame
// times on stdout; progress goes to stderr unless quiet.
Outcome RunPipelineBenchmark(uint32_t seed, uint32_t fps, uint32_t until, const std::string& sheet,
                             bool quiet);

}  // namespace zelvik
