// PNG files: the canvas as an 8-bit indexed picture with the palette as its
// colour table, or any 8-bit RGBA picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelvik {

// Writes width x height palette indices with a 256-entry table built from
// the three component tables (each component's low 8 bits). Writes to a
// temporary name and renames, so a failed write leaves no partial file.
// Returns an empty string on success, else the reason.
std::string WriteIndexedPng(const std::string& path, const uint8_t* pixels, int32_t width,
                            int32_t height, const int32_t* red, const int32_t* green,
                            const int32_t* blue);

// Writes width x height pixels of four bytes (red, green, blue, alpha),
// rows back to back, the same way.
std::string WriteRgbaPng(const std::string& path, const uint8_t* pixels, int32_t width, int32_t height);

// The same PNG, appended to `bytes` (for files that hold PNG pictures
// inside, such as a Windows icon).
std::string EncodeRgbaPng(std::vector<uint8_t>* bytes, const uint8_t* pixels, int32_t width, int32_t height);

}  // namespace zelvik
