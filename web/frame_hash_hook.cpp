// Frame hashes of the show as the web build draws them, for comparison with
// the frames the native capture tool writes.
//
// The show is run from its start exactly as the capture tool runs it: seed,
// set-up with the sprite sheet, then frame n drawn at demo clock
// floor(n * 100 / fps). At each asked-for clock the canvas and the palette
// are hashed as the frame tests hash them. Where several frames share a
// clock, the last one counts, as in the capture tool.
#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "driver/clock.h"
#include "shared/frame_hash.h"
#include "show/setup.h"
#include "show/timeline.h"

#include <emscripten/emscripten.h>

namespace {

constexpr uint32_t kMaxClocks = 256;
constexpr uint32_t kMaxFps = 1000;

// Answer text: one "clock hash" line per asked-for clock, or one line
// starting with "error:".
char Answer[kMaxClocks * 32 + 128];

const char* Fail(const char* why)
{
    std::snprintf(Answer, sizeof Answer, "error: %s\n", why);
    return Answer;
}

}  // namespace

// Runs the show from its start with the given seed and sprite sheet and
// returns the hashes of the frames at the given clocks (ascending or not;
// each is looked up in the run). The clocks must be ones the schedule
// draws; a clock it never draws is answered with "error:".
extern "C" EMSCRIPTEN_KEEPALIVE const char* ZelvikFrameHashes(const char* sheetPath, uint32_t seed, uint32_t fps,
                                            const uint32_t* clocks, uint32_t count)
{
    if (fps == 0 || fps > kMaxFps) return Fail("fps must be 1 ... 1000");
    if (count == 0 || count > kMaxClocks) return Fail("between 1 and 256 clocks");
    uint32_t until = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (clocks[i] > until) until = clocks[i];
    }

    uint64_t hashes[kMaxClocks] = {};
    bool found[kMaxClocks] = {};

    zelvik::StartShow(seed, sheetPath);
    for (uint64_t n = 0;; ++n) {
        const uint64_t clock64 = zelvik::ScheduledDemoClock(n, fps);
        if (clock64 > until) break;
        const uint32_t clock = static_cast<uint32_t>(clock64);
        zelvik::RenderFrame(clock);
        if (zelvik::ScheduledDemoClock(n + 1, fps) == clock) continue;  // a later frame has the same clock
        for (uint32_t i = 0; i < count; ++i) {
            if (clocks[i] == clock) {
                hashes[i] = zelvik::testing::HashFrame();
                found[i] = true;
            }
        }
    }

    size_t used = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (!found[i]) {
            char why[96];
            std::snprintf(why, sizeof why, "no frame of the %" PRIu32 " fps schedule is drawn at clock %" PRIu32,
                          fps, clocks[i]);
            return Fail(why);
        }
        used += static_cast<size_t>(std::snprintf(Answer + used, sizeof Answer - used,
                                                  "%" PRIu32 " %016" PRIx64 "\n", clocks[i], hashes[i]));
    }
    return Answer;
}
