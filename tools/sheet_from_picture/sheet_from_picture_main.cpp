// Turns any picture ImageMagick can read (PNG, JPEG, ...) into a sprite
// sheet the show can use: 320x200, 8 bits per pixel, uncompressed and
// bottom-up, at most 127 colours of its own in table entries 0-126, and
// index 255 (used nowhere else) at the key position, so that nothing of the
// picture is see-through.
//
// Usage: sheet_from_picture PICTURE OUTPUT.bmp
// ImageMagick's convert does the resizing and the colour reduction; its
// output is read as a binary PPM through a pipe.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "canvas/sheet_layout.h"
#include "shared/whole_file.h"

extern char** environ;

namespace {

constexpr int kWidth = zelvik::kCanvasWidth;
constexpr int kHeight = zelvik::kCanvasHeight;
constexpr int kOwnColours = 127;
constexpr uint8_t kKeyIndex = 255;

void Say(const std::string& text) { std::fprintf(stderr, "sheet_from_picture: %s\n", text.c_str()); }

// Runs convert on `picture`; fills `rgb` with 320x200 RGB bytes. False with
// the reason said when it cannot.
bool ReadThroughConvert(const char* picture, std::vector<uint8_t>* rgb)
{
    int fds[2];
    if (pipe(fds) != 0) {
        Say(std::string("cannot make a pipe: ") + std::strerror(errno));
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    // "--" is not understood by convert; a name starting with '-' is made
    // a path instead, so that it is never taken for an option.
    std::string input = picture;
    if (!input.empty() && input[0] == '-') input = "./" + input;
    const char* argv[] = {"convert", input.c_str(), "-resize", "320x200!", "-colors", "127",
                          "-depth", "8", "ppm:-", nullptr};
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, "convert", &actions, nullptr,
                                     const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        Say("cannot run convert (install imagemagick): " + std::string(std::strerror(spawned)));
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    for (;;) {
        const ssize_t got = read(fds[0], buffer, sizeof buffer);
        if (got > 0) bytes.insert(bytes.end(), buffer, buffer + got);
        else if (got == 0 || errno != EINTR) break;
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) == -1 && errno == EINTR) {}
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        Say(std::string("convert could not read ") + picture);
        return false;
    }
    // "P6\n320 200\n255\n" then the pixels.
    const std::string header = "P6\n320 200\n255\n";
    if (bytes.size() != header.size() + 3u * kWidth * kHeight ||
        std::memcmp(bytes.data(), header.data(), header.size()) != 0) {
        Say("convert gave an unexpected picture");
        return false;
    }
    rgb->assign(bytes.begin() + static_cast<long>(header.size()), bytes.end());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: sheet_from_picture PICTURE OUTPUT.bmp\n");
        return 2;
    }
    std::vector<uint8_t> rgb;
    if (!ReadThroughConvert(argv[1], &rgb)) return 1;

    // Each colour its index, in the order first met.
    std::vector<uint32_t> colours;
    std::vector<uint8_t> indices(kWidth * kHeight);
    for (int i = 0; i < kWidth * kHeight; ++i) {
        const uint32_t c = rgb[3 * i] << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
        size_t k = 0;
        while (k < colours.size() && colours[k] != c) ++k;
        if (k == colours.size()) {
            if (colours.size() == kOwnColours) {
                Say("convert left more than 127 colours");
                return 1;
            }
            colours.push_back(c);
        }
        indices[i] = static_cast<uint8_t>(k);
    }
    indices[zelvik::kKeyColourOffset] = kKeyIndex;

    std::vector<uint32_t> table = colours;
    table.resize(256, 0);
    table[kKeyIndex] = 0xFF00FF;  // the key: magenta, never seen
    const std::vector<uint8_t> file = bmp::Encode(bmp::Fields{}, table, bmp::BottomUp(indices.data()));

    // Written beside the target and renamed, so a failure leaves no half file.
    const std::string failure = zelvik::WriteWholeFile(argv[2], file.data(), file.size());
    if (!failure.empty()) {
        Say(std::string("cannot write ") + argv[2] + ": " + failure);
        return 1;
    }
    std::printf("%s: %dx%d, %zu colours, key index 255 at (%d, %d)\n", argv[2], kWidth, kHeight, colours.size(),
                zelvik::kKeyColourX, zelvik::kKeyColourY);
    return 0;
}
