// How BitmapData's methods read their arguments: the bitmap `this` stands for, rectangles and
// points as any object with the right fields, and flash.geom results.
#pragma once

#include <optional>

#include "platform/flash/avm1/bitmap_data.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1::bitmap_args {

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

struct XY {
    int x = 0, y = 0;
};

// What a method answers when called on a disposed bitmap or with too few arguments, and
// when it changed pixels.
constexpr int kFailed = -1;
constexpr int kDone = 0;

BitmapDataObject* bitmapOf(const Value& v);
// The bitmap `v` stands for, when it is one that still has pixels.
BitmapDataObject* live(const Value& v);
// Any object with x, y, width and height; one missing a field is no rectangle.
std::optional<Rect> rectOf(Machine& m, const Value& v);
// Any object with both x and y.
std::optional<XY> pointOf(Machine& m, const Value& v);
Object* geomClass(Machine& m, const char* name);
// A flash.geom.Rectangle when the class exists, else a plain object with its four fields.
Value makeRectangle(Machine& m, double x, double y, double w, double h);

// The minimal standard generator behind noise and perlinNoise: the same seed gives the same
// pixels.
struct SeededRandom {
    uint32_t state;
    explicit SeededRandom(int32_t seed) : state(uint32_t(seed) % 2147483647u) {
        state = state == 0 ? 1 : state;
    }
    uint32_t next() {
        state = uint32_t(uint64_t(state) * 16807u % 2147483647u);
        return state;
    }
    uint32_t between(uint32_t low, uint32_t high) { return low + next() % (high - low + 1); }
};

}  // namespace pencora::avm1::bitmap_args
