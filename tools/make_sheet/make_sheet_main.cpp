// Paints the show's picture material and writes it as a 320x200 8-bit BMP:
// three tall panels, four wide panels, the logo and nine credit captions,
// each at the place the show cuts it from, on one palette.
//
//   make_sheet OUTPUT.bmp
//
// Every picture uses palette indices 0 ... 127 (the show takes 128 ... 254
// for its own colours); 255 is the key colour, the transparent background
// of every picture, and it also fills the unused parts of the sheet.
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "canvas/sheet_layout.h"
#include "shared/whole_file.h"
#include "panels.h"
#include "quantise.h"

using namespace make_sheet;

namespace {

constexpr int kSheetWidth = zelvik::kCanvasWidth;
constexpr int kSheetHeight = zelvik::kCanvasHeight;
constexpr int kPictureColours = 128;
constexpr uint8_t kKey = 255;

struct Placement {
    Picture picture;
    zelvik::SheetRect place;
};

// The classic layout (rows bottom-up from offset 1078) with every entry of
// the 256-colour table counted as used.
std::vector<uint8_t> EncodeBmp(const std::vector<uint8_t>& sheet, const std::vector<Colour>& table)
{
    std::vector<uint32_t> colours;
    for (const Colour& c : table)
        colours.push_back(static_cast<uint32_t>(static_cast<uint8_t>(c.r)) << 16 |
                          static_cast<uint32_t>(static_cast<uint8_t>(c.g)) << 8 | static_cast<uint8_t>(c.b));
    bmp::Fields fields;
    fields.coloursUsed = 256;
    return bmp::Encode(fields, colours, bmp::BottomUp(sheet.data()));
}

}  // namespace

// Black, then a ramp from deep blue to white in entries 1 ... 32. The wire
// torus adds small amounts to palette indices over a black canvas, so its
// lines pick their colours from these entries: faint where a line is far,
// brighter where it is near and where lines cross. The pictures may use the
// ramp's colours too.
static std::vector<Colour> FixedColours()
{
    std::vector<Colour> fixed{Colour{0, 0, 0}};
    constexpr int kRamp = 32;
    for (int i = 1; i <= kRamp; ++i) {
        const float t = static_cast<float>(i) / kRamp;
        const float lift = std::sqrt(t);  // brighten the first steps, which single lines use
        fixed.push_back(Colour{40 + 215 * t * t, 70 + 185 * t, 140 + 115 * lift});
    }
    return fixed;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sheet OUTPUT.bmp\n");
        return 2;
    }
    const std::string output = argv[1];

    // Each picture goes where the show cuts it from. The wide and tall
    // panels are shown in pairs (3 with 2, 4 with 1, 5 with 0, 6 with 1),
    // so each pair is painted to belong together.
    const Picture panels[zelvik::kSheetPanelCount] = {
        RocketPanel(), SphereTowerPanel(), LighthousePanel(), SunsetPanel(),
        ChessPanel(),  SpacePanel(),       AuroraPanel(),     LogoPanel(),
    };
    std::vector<Placement> placements;
    for (int slot = 0; slot < zelvik::kSheetPanelCount; ++slot)
        placements.push_back({panels[slot], zelvik::kSheetPanels[slot]});
    const std::vector<Picture> captions = CaptionPictures();
    if (captions.size() != zelvik::kCaptionCount) {
        std::fprintf(stderr, "make_sheet: %zu captions, the sheet holds %d\n", captions.size(),
                     static_cast<int>(zelvik::kCaptionCount));
        return 1;
    }
    for (int n = 0; n < zelvik::kCaptionCount; ++n)
        placements.push_back({captions[n], zelvik::CaptionRect(n)});
    for (const Placement& p : placements) {
        if (p.picture.width != p.place.width || p.picture.height != p.place.height) {
            std::fprintf(stderr, "make_sheet: a %dx%d picture for a %dx%d place\n", p.picture.width,
                         p.picture.height, static_cast<int>(p.place.width),
                         static_cast<int>(p.place.height));
            return 1;
        }
    }

    std::vector<const Picture*> pictures;
    for (const Placement& p : placements) pictures.push_back(&p.picture);
    std::vector<Colour> palette =
        BuildPalette(pictures, kPictureColours, FixedColours());
    // Entries 128 ... 254 are the show's; the key is a loud magenta that no
    // picture shows.
    std::vector<Colour> table = palette;
    table.resize(256, Colour{0, 0, 0});
    table[kKey] = Colour{255, 0, 255};

    std::vector<uint8_t> sheet(kSheetWidth * kSheetHeight, kKey);
    for (const Placement& p : placements) {
        const std::vector<uint8_t> indices = MapPicture(p.picture, palette, kKey);
        for (int y = 0; y < p.picture.height; ++y)
            for (int x = 0; x < p.picture.width; ++x)
                sheet[(p.place.x + x) + kSheetWidth * (p.place.y + y)] = indices[x + p.picture.width * y];
    }
    // The show reads its key colour from here.
    if (sheet[zelvik::kKeyColourOffset] != kKey) {
        std::fprintf(stderr, "make_sheet: the key colour is not at (%d, %d)\n",
                     static_cast<int>(zelvik::kKeyColourX), static_cast<int>(zelvik::kKeyColourY));
        return 1;
    }

    const std::vector<uint8_t> bytes = EncodeBmp(sheet, table);
    // Written beside the target and renamed into place, so that an
    // interrupted build never leaves a half-written sheet behind.
    const std::string failure = zelvik::WriteWholeFile(output, bytes.data(), bytes.size());
    if (!failure.empty()) {
        std::fprintf(stderr, "make_sheet: cannot write %s: %s\n", output.c_str(), failure.c_str());
        return 1;
    }
    return 0;
}
