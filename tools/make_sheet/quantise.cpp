#include "quantise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>

namespace make_sheet {

namespace {

// Squared distance with the eye's weights: green counts most, blue least.
float Distance(Colour a, Colour b)
{
    const Colour d = a - b;
    return 3 * d.r * d.r + 4 * d.g * d.g + 2 * d.b * d.b;
}

size_t Nearest(const std::vector<Colour>& palette, Colour c)
{
    size_t best = 0;
    float bestDistance = Distance(palette[0], c);
    for (size_t i = 1; i < palette.size(); ++i) {
        const float d = Distance(palette[i], c);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

struct Sample {
    Colour colour;
    float weight;
};

float Component(Colour c, int axis) { return axis == 0 ? c.r : (axis == 1 ? c.g : c.b); }

// A box of the median cut: a run of samples.
struct Box {
    size_t begin;
    size_t end;
};

// How much a box deserves splitting: its widest weighted spread times its
// weight, so that large areas get more colours than rare specks.
float Priority(const std::vector<Sample>& samples, const Box& box, int* axisOut)
{
    float lo[3] = {255, 255, 255};
    float hi[3] = {0, 0, 0};
    float weight = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], Component(samples[i].colour, a));
            hi[a] = std::max(hi[a], Component(samples[i].colour, a));
        }
        weight += samples[i].weight;
    }
    const float spread[3] = {(hi[0] - lo[0]) * 1.7f, (hi[1] - lo[1]) * 2.0f, (hi[2] - lo[2]) * 1.4f};
    int axis = 0;
    for (int a = 1; a < 3; ++a)
        if (spread[a] > spread[axis]) axis = a;
    *axisOut = axis;
    if (box.end - box.begin < 2) return -1;
    return spread[axis] * std::sqrt(weight);
}

Colour Centroid(const std::vector<Sample>& samples, const Box& box)
{
    Colour sum{0, 0, 0};
    float weight = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
        sum = sum + samples[i].colour * samples[i].weight;
        weight += samples[i].weight;
    }
    return sum * (1.0f / weight);
}

}  // namespace

std::vector<Colour> BuildPalette(const std::vector<const Picture*>& pictures, int size,
                                 const std::vector<Colour>& fixed)
{
    // Distinct colours (to whole units) with their pixel counts; the ordered
    // map keeps the result independent of hashing.
    std::map<uint32_t, float> counts;
    for (const Picture* p : pictures)
        for (size_t i = 0; i < p->colour.size(); ++i) {
            if (!p->opaque[i]) continue;
            const Colour c = Clamped(p->colour[i]);
            const uint32_t key = (static_cast<uint32_t>(c.r + 0.5f) << 16) |
                                 (static_cast<uint32_t>(c.g + 0.5f) << 8) |
                                 static_cast<uint32_t>(c.b + 0.5f);
            counts[key] += 1;
        }
    std::vector<Sample> samples;
    samples.reserve(counts.size());
    for (const auto& [key, count] : counts)
        samples.push_back({Colour{static_cast<float>(key >> 16), static_cast<float>((key >> 8) & 0xFF),
                                  static_cast<float>(key & 0xFF)},
                           count});

    const size_t free = static_cast<size_t>(size) - fixed.size();
    std::vector<Box> boxes{{0, samples.size()}};
    while (boxes.size() < free) {
        size_t pick = 0;
        int pickAxis = 0;
        float best = -1;
        for (size_t b = 0; b < boxes.size(); ++b) {
            int axis = 0;
            const float priority = Priority(samples, boxes[b], &axis);
            if (priority > best) {
                best = priority;
                pick = b;
                pickAxis = axis;
            }
        }
        if (best <= 0) break;  // fewer distinct colours than entries
        Box& box = boxes[pick];
        std::sort(samples.begin() + static_cast<std::ptrdiff_t>(box.begin),
                  samples.begin() + static_cast<std::ptrdiff_t>(box.end),
                  [pickAxis](const Sample& a, const Sample& b) {
                      const float ca = Component(a.colour, pickAxis);
                      const float cb = Component(b.colour, pickAxis);
                      if (ca != cb) return ca < cb;
                      return Luma(a.colour) < Luma(b.colour);
                  });
        // Split at the weighted median.
        float total = 0;
        for (size_t i = box.begin; i < box.end; ++i) total += samples[i].weight;
        float running = 0;
        size_t cut = box.begin + 1;
        for (size_t i = box.begin; i < box.end - 1; ++i) {
            running += samples[i].weight;
            cut = i + 1;
            if (running >= total / 2) break;
        }
        const Box upper{cut, box.end};
        box.end = cut;
        boxes.push_back(upper);
    }

    std::vector<Colour> palette = fixed;
    for (const Box& box : boxes) palette.push_back(Centroid(samples, box));

    // Lloyd refinement: the chosen colours move to the mean of the samples
    // they serve; the fixed ones stay.
    for (int round = 0; round < 12; ++round) {
        std::vector<Colour> sum(palette.size(), Colour{0, 0, 0});
        std::vector<float> weight(palette.size(), 0);
        for (const Sample& s : samples) {
            const size_t n = Nearest(palette, s.colour);
            sum[n] = sum[n] + s.colour * s.weight;
            weight[n] += s.weight;
        }
        for (size_t i = fixed.size(); i < palette.size(); ++i)
            if (weight[i] > 0) palette[i] = sum[i] * (1.0f / weight[i]);
    }
    for (Colour& c : palette) c = Colour{std::round(c.r), std::round(c.g), std::round(c.b)};
    while (palette.size() < static_cast<size_t>(size)) palette.push_back(Colour{0, 0, 0});
    return palette;
}

std::vector<uint8_t> MapPicture(const Picture& picture, const std::vector<Colour>& palette,
                                uint8_t key)
{
    // Each pixel becomes a mix of two palette colours in a ratio of n/16,
    // laid out by the 4x4 threshold matrix. The pair and ratio are chosen
    // to come closest to the wanted colour, with a penalty on pairs far
    // apart so that flat areas use close neighbours and stay calm rather
    // than sparkle with stray colours.
    static constexpr std::array<int, 16> kThreshold = {0, 8,  2, 10, 12, 4, 14, 6,
                                                       3, 11, 1, 9,  15, 7, 13, 5};
    static constexpr size_t kCandidates = 12;
    static constexpr float kPairPenalty = 0.1f;
    std::vector<uint8_t> out(picture.colour.size(), key);
    std::vector<std::pair<float, size_t>> ranked(palette.size());
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const size_t at = static_cast<size_t>(x) + static_cast<size_t>(picture.width) * y;
            if (!picture.opaque[at]) continue;
            const Colour wanted = Clamped(picture.colour[at]);
            for (size_t i = 0; i < palette.size(); ++i) ranked[i] = {Distance(palette[i], wanted), i};
            const size_t count = std::min(kCandidates, palette.size());
            std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(count), ranked.end());
            size_t bestA = ranked[0].second;
            size_t bestB = bestA;
            int bestRatio = 0;
            float best = ranked[0].first;
            for (size_t i = 0; i < count; ++i)
                for (size_t j = i + 1; j < count; ++j) {
                    const Colour a = palette[ranked[i].second];
                    const Colour b = palette[ranked[j].second];
                    const float spread = Distance(a, b);
                    for (int r = 1; r < 16; ++r) {
                        const float share = r / 16.0f;
                        const float penalty = Distance(wanted, Mix(a, b, share)) +
                                              spread * kPairPenalty * (std::fabs(share - 0.5f) + 0.5f);
                        if (penalty < best) {
                            best = penalty;
                            bestA = ranked[i].second;
                            bestB = ranked[j].second;
                            bestRatio = r;
                        }
                    }
                }
            const bool second = kThreshold[(x & 3) + 4 * (y & 3)] < bestRatio;
            out[at] = static_cast<uint8_t>(second ? bestB : bestA);
        }
    return out;
}

}  // namespace make_sheet
