// Writing a file so that it appears under its name only once complete: the
// bytes go to "<path>.part", which is renamed to `path` when everything was
// written, flushed and closed. A failure removes the partial file, so that
// a full disk or an interrupted build never leaves half a file where a
// whole one is expected.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

namespace zelvik {

// Opens "<path>.part", hands it to `write` (which returns "" or why it
// failed), then flushes, closes and renames it to `path`. "" on success,
// else the reason (the system's words for a failed open, write, close or
// rename); nothing is left at either name then.
std::string WriteFileVia(const std::string& path, const std::function<std::string(FILE*)>& write);

// WriteFileVia with `size` bytes from `data`.
std::string WriteWholeFile(const std::string& path, const void* data, size_t size);

}  // namespace zelvik
