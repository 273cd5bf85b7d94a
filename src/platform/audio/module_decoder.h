// From module bytes to samples: what the live player (module_player.cpp)
// and the offline renderer (module_renderer.cpp) share, so that both load,
// refuse and render a module the same way. Private to the audio layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct openmpt_module;  // libopenmpt's

namespace zelvik {

// One line on stderr: "<source>: <why>".
void Complain(const std::string& source, const std::string& why);

// Reads the module bytes of `path`: `length` bytes from `offset`, or all
// from `offset` on when `length` is 0. Refuses, in one line, a missing
// path, a folder, anything but a regular file, offsets past the end and
// files too large to be a module (module_file.cpp).
bool ReadModuleFile(const char* path, uint32_t offset, uint32_t length, std::vector<uint8_t>* data);

// An XM file declares the size of every part: header, patterns,
// instruments and sample data. libopenmpt plays a cut-off XM without
// complaint, silently losing whatever is missing, so the loader walks that
// layout itself: true for an XM that ends before its parts do.
bool IsCutShortXm(const uint8_t* data, size_t size);

// Turns module bytes into a libopenmpt module set up as the kModule* flags
// of module_renderer.h say; nullptr, after one line naming `source`, for
// empty, cut-short, unknown or damaged data (module_renderer.cpp).
openmpt_module* CreateModule(const uint8_t* data, size_t size, const std::string& source, uint32_t flags);

// Renders up to `frames` frames at `rate` Hz; the rest of `out` is set to
// silence. Returns the number rendered, fewer than `frames` only at the
// end of a module that does not loop. Never allocates or waits: the live
// player calls it on the audio output's thread.
size_t RenderInto(openmpt_module* module, int32_t rate, bool mono, int16_t* out, size_t frames);

}  // namespace zelvik
