#include "platform/flash/video/h263_motion.h"

#include <algorithm>
#include <cstdint>

namespace pencora::flash::video::h263 {

namespace {

int median(int a, int b, int c) {
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

struct PlaneView {
    const uint8_t* samples;
    int stride;
    int width;
    int height;

    int at(int x, int y) const {
        return samples[size_t(std::clamp(y, 0, height - 1)) * size_t(stride) +
                       size_t(std::clamp(x, 0, width - 1))];
    }
};

// One n x n block whose top left sits at (x, y) in half pixels of `from`.
void predictBlock(const PlaneView& from, uint8_t* to, int toStride, int n, int x, int y) {
    const int fx = x & 1;
    const int fy = y & 1;
    const int x0 = x >> 1;
    const int y0 = y >> 1;
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            const int a = from.at(x0 + c, y0 + r);
            const int b = from.at(x0 + c + fx, y0 + r);
            const int d = from.at(x0 + c, y0 + r + fy);
            const int e = from.at(x0 + c + fx, y0 + r + fy);
            int v = a;
            if (fx && fy) {
                v = (a + b + d + e + 2) >> 2;
            } else if (fx || fy) {
                v = (a + e + 1) >> 1;
            }
            to[size_t(r) * size_t(toStride) + size_t(c)] = uint8_t(v);
        }
    }
}

// Half the luma vector in chroma half pixels; any fraction becomes a half.
int chromaComponent(int luma) {
    return (luma >> 1) | (luma & 1);
}

}  // namespace

MotionVector predictVector(const VectorField& field, int mbx, int mby) {
    auto at = [&](int x, int y) {
        if (x < 0 || x >= field.mbCols || y < field.sliceTop) {
            return MotionVector{};
        }
        return field.vectors[size_t(y) * size_t(field.mbCols) + size_t(x)];
    };
    const MotionVector left = at(mbx - 1, mby);
    if (mby == field.sliceTop) {
        return left;
    }
    const MotionVector above = at(mbx, mby - 1);
    const MotionVector aboveRight = at(mbx + 1, mby - 1);
    return {median(left.x, above.x, aboveRight.x), median(left.y, above.y, aboveRight.y)};
}

int addDifference(int predicted, int difference) {
    const int v = predicted + difference;
    return ((v + 32) & 63) - 32;
}

void predictMacroblock(const Picture& ref, Picture& cur, int mbx, int mby, MotionVector mv) {
    const int ls = ref.lumaStride();
    const int cs = ref.chromaStride();
    const int rows = ref.mbRows;
    const PlaneView luma{ref.y.data(), ls, ls, rows * 16};
    predictBlock(luma, cur.y.data() + size_t(mby * 16) * size_t(ls) + size_t(mbx * 16), ls, 16,
                 mbx * 32 + mv.x, mby * 32 + mv.y);
    const int cx = mbx * 16 + chromaComponent(mv.x);
    const int cy = mby * 16 + chromaComponent(mv.y);
    const size_t offset = size_t(mby * 8) * size_t(cs) + size_t(mbx * 8);
    predictBlock({ref.u.data(), cs, cs, rows * 8}, cur.u.data() + offset, cs, 8, cx, cy);
    predictBlock({ref.v.data(), cs, cs, rows * 8}, cur.v.data() + offset, cs, 8, cx, cy);
}

}  // namespace pencora::flash::video::h263
