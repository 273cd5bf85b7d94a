// The fuzz input as a file on a path, for code under test that only opens
// paths. The bytes live in an anonymous in-memory file (no disk traffic per
// input) reached through /proc/self/fd; where that is unavailable, a file
// in the temporary folder is used instead.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzzing {

// Replaces the file's contents with `size` bytes and returns its path,
// valid until the next call. Aborts when the bytes cannot be stored: a
// fuzz run must not go on testing something else than its input.
const char* InputAsFile(const uint8_t* data, size_t size);

}  // namespace fuzzing
