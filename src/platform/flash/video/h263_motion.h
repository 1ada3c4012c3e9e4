#pragma once

#include <vector>

#include "platform/flash/video/h263_picture.h"

namespace pencora::flash::video::h263 {

// A macroblock's motion in half pixels.
struct MotionVector {
    int x = 0;
    int y = 0;
};

// The vectors of one picture's macroblocks so far, for predicting the next ones. Intra and
// skipped macroblocks keep the zero vector. A new slice (the picture's first row, or a row
// after a group header) sees nothing above it.
struct VectorField {
    int mbCols = 0;
    int sliceTop = 0;
    std::vector<MotionVector> vectors;
};

// The median of the vectors to the left, above and above right; the left one alone on a
// slice's first row. Neighbours outside the picture count as zero.
MotionVector predictVector(const VectorField& field, int mbx, int mby);

// The prediction plus a difference, wrapped into -32..31 half pixels.
int addDifference(int predicted, int difference);

// Fills macroblock (mbx, mby) of `cur` with the part of `ref` that `mv` points at: half-pixel
// positions average their two or four neighbours, rounding halves up, and positions outside
// the picture take its nearest edge sample. Chroma moves by half the luma vector, its
// quarter positions taken as halves.
void predictMacroblock(const Picture& ref, Picture& cur, int mbx, int mby, MotionVector mv);

}  // namespace pencora::flash::video::h263
