#include "platform/flash/video/deblock_filter.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace pencora::flash::video {

namespace {

// Grows with the difference across the edge up to the strength, then falls back to zero
// at twice the strength: a step that large is an edge of the picture, not of the blocks.
int upDownRamp(int x, int strength) {
    const int a = std::abs(x);
    const int r = std::max(0, a - std::max(0, 2 * (a - strength)));
    return x < 0 ? -r : r;
}

uint8_t clampSample(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

// The four samples a, b | c, d across one edge, `step` bytes apart. Every division is a
// shift, rounding down (towards minus infinity) for negative values too: the player's
// pictures differ by a level here and there with divisions that round towards zero.
void filterAcross(uint8_t* b, int step, int strength) {
    uint8_t* a = b - step;
    uint8_t* c = b + step;
    uint8_t* d = c + step;
    const int delta = (*a - 4 * *b + 4 * *c - *d) >> 3;
    const int d1 = upDownRamp(delta, strength);
    if (d1 == 0) {
        return;
    }
    const int limit = std::abs(d1 >> 1);
    const int d2 = std::clamp((*a - *d) >> 2, -limit, limit);
    *b = clampSample(*b + d1);
    *c = clampSample(*c - d1);
    *a = clampSample(*a - d2);
    *d = clampSample(*d + d2);
}

}  // namespace

int deblockStrength(int quantizer) {
    static constexpr std::array<int, 32> kStrength = {0, 1, 1,  2,  2,  3,  3,  4,  4,  4, 5,
                                                      5, 5, 6,  6,  7,  7,  7,  8,  8,  8, 9,
                                                      9, 9, 10, 10, 10, 11, 11, 11, 12, 12};
    return kStrength[size_t(std::clamp(quantizer, 1, 31))];
}

void deblockPlane(const Plane& p, int strength) {
    if (p.width <= 0 || p.height <= 0 || p.stride < p.width ||
        p.samples.size() < size_t(p.stride) * size_t(p.height - 1) + size_t(p.width)) {
        return;
    }
    uint8_t* base = p.samples.data();
    // Edges between rows of blocks: samples two rows above and below each edge.
    for (int y = 8; y + 1 < p.height; y += 8) {
        uint8_t* row = base + size_t(y - 1) * size_t(p.stride);
        for (int x = 0; x < p.width; ++x) {
            filterAcross(row + x, p.stride, strength);
        }
    }
    // Edges between columns of blocks.
    for (int y = 0; y < p.height; ++y) {
        uint8_t* row = base + size_t(y) * size_t(p.stride);
        for (int x = 8; x + 1 < p.width; x += 8) {
            filterAcross(row + x - 1, 1, strength);
        }
    }
}

}  // namespace pencora::flash::video
