// The H.263 deblocking filter: smooths the edges between 8 x 8 blocks of a decoded picture,
// more strongly the coarser the picture was quantized. It runs on a copy of the planes the
// decoder shows, so later frames still predict from the unfiltered picture.
#pragma once

#include <cstdint>
#include <span>

namespace pencora::flash::video {

// One plane of 8-bit samples, rows `stride` bytes apart.
struct Plane {
    std::span<uint8_t> samples;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// The filter's strength for a quantizer (1..31; others are brought into that range).
int deblockStrength(int quantizer);

// Filters every edge between 8 x 8 blocks of the plane: first the edges between rows of
// blocks, then those between columns. Two samples on each side of an edge may change.
void deblockPlane(const Plane& plane, int strength);

}  // namespace pencora::flash::video
