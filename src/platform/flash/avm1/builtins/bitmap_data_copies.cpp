// BitmapData's methods that take pixels from a source bitmap into this one (copyPixels,
// copyChannel, merge, paletteMap, threshold) and those that search or fill the whole bitmap
// (getColorBoundsRect, noise, pixelDissolve).
//
// The copying methods share their first three arguments: the source bitmap, the rectangle of
// it to take and the point of this bitmap where that rectangle's corner lands. A source that is
// no bitmap answers -2, a disposed one -3, a missing or incomplete rectangle -4; a point that is
// no object stands for (0, 0), and a missing coordinate for 0. What falls outside either bitmap
// is left out. A method that changed pixels answers 0, threshold the number it changed.
#include <algorithm>
#include <array>
#include <numeric>
#include <variant>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/builtins/bitmap_data_args.h"

namespace pencora::avm1 {

namespace {

using namespace bitmap_args;

constexpr int kNoSource = -2;
constexpr int kSourceDisposed = -3;
constexpr int kNoRectangle = -4;

uint32_t channelOf(uint32_t argb, int shift) {
    return (argb >> shift) & 0xFF;
}

// The part of a source rectangle that lands inside the destination: its corner in the
// source, the same corner in the destination, and its size.
struct Region {
    int sx = 0, sy = 0, dx = 0, dy = 0, w = 0, h = 0;
};

// Where a copy takes its pixels from and puts them.
struct Copy {
    BitmapDataObject* source = nullptr;
    BitmapDataObject* dest = nullptr;
    Region region;
    Rect asked;  // the source rectangle as given
};

// Source coordinates from `from` on, of `length` at most, that lie inside the source (`size`)
// and land, shifted by `shift`, inside the destination (`destSize`).
std::pair<int64_t, int64_t> span(int64_t from, int64_t length, int64_t size, int64_t shift,
                                 int64_t destSize) {
    const int64_t lo = std::max({from, int64_t(0), -shift});
    const int64_t hi = std::min({from + length, size, destSize - shift});
    return {lo, std::max(lo, hi)};
}

Region regionOf(const BitmapDataObject& src, const Rect& r, const BitmapDataObject& dst, XY at) {
    const int64_t shiftX = int64_t(at.x) - r.x;
    const int64_t shiftY = int64_t(at.y) - r.y;
    const auto [x0, x1] = span(r.x, r.w, src.width(), shiftX, dst.width());
    const auto [y0, y1] = span(r.y, r.h, src.height(), shiftY, dst.height());
    return Region{int(x0), int(y0), int(x0 + shiftX), int(y0 + shiftY), int(x1 - x0), int(y1 - y0)};
}

// A point that is no object stands for (0, 0), a missing coordinate for 0.
XY destinationPoint(Machine& m, const Value& v) {
    if (!v.isObject()) {
        return XY{};
    }
    return XY{m.toInt32(m.getMember(v, QStringLiteral("x"))),
              m.toInt32(m.getMember(v, QStringLiteral("y")))};
}

// Reads the three shared arguments; the error code to answer when they do not make a copy.
std::variant<Copy, int> copyOf(Machine& m, const Value& self, std::vector<Value>& args,
                               size_t required) {
    BitmapDataObject* dest = live(self);
    if (!dest || args.size() < required) {
        return kFailed;
    }
    BitmapDataObject* source = bitmapOf(args[0]);
    if (!source) {
        return kNoSource;
    }
    if (source->disposed()) {
        return kSourceDisposed;
    }
    const std::optional<Rect> r = rectOf(m, args[1]);
    if (!r) {
        return kNoRectangle;
    }
    return Copy{source, dest, regionOf(*source, *r, *dest, destinationPoint(m, args[2])), *r};
}

// Writes each moved pixel as `pixel` makes it from the source's and the destination's straight
// colours and the source pixel's place. All are read before any is written, so a bitmap copies
// onto itself as it was.
template <class F>
void applyAt(const Copy& c, F pixel) {
    const Region& g = c.region;
    std::vector<uint32_t> made;
    made.reserve(size_t(g.w) * size_t(g.h));
    for (int y = 0; y < g.h; ++y) {
        for (int x = 0; x < g.w; ++x) {
            made.push_back(pixel(c.source->pixel32(g.sx + x, g.sy + y),
                                 c.dest->pixel32(g.dx + x, g.dy + y), g.sx + x, g.sy + y));
        }
    }
    for (int y = 0; y < g.h; ++y) {
        for (int x = 0; x < g.w; ++x) {
            c.dest->setPixel32(g.dx + x, g.dy + y, made[size_t(y) * size_t(g.w) + size_t(x)]);
        }
    }
}

template <class F>
void apply(const Copy& c, F pixel) {
    applyAt(c, [&](uint32_t s, uint32_t d, int, int) { return pixel(s, d); });
}

// Channel flags as scripts give them (1 red, 2 green, 4 blue, 8 alpha) to bit positions.
std::optional<int> channelShift(int flag) {
    switch (flag) {
        case 1:
            return 16;
        case 2:
            return 8;
        case 4:
            return 0;
        case 8:
            return 24;
        default:
            return std::nullopt;
    }
}

// Lays `s` over `d` by its alpha.
uint32_t over(uint32_t s, uint32_t d) {
    const uint32_t a = channelOf(s, 24);
    if (a == 0xFF) {
        return s;
    }
    auto mix = [&](int shift) {
        return (channelOf(s, shift) * a + channelOf(d, shift) * (255 - a)) / 255;
    };
    const uint32_t outAlpha = a + channelOf(d, 24) * (255 - a) / 255;
    return (outAlpha << 24) | (mix(16) << 16) | (mix(8) << 8) | mix(0);
}

// copyPixels(source, rect, point[, alphaBitmap, alphaPoint, mergeAlpha]): the source's pixels
// replace these, or with mergeAlpha are laid over them by their alpha. An alphaBitmap is a
// mask: its pixel at alphaPoint plus the source pixel's place in the rectangle multiplies the
// source pixel's alpha, and where the mask has no pixel this bitmap keeps its own.
Value copyPixels(Machine& m, const Value& self, std::vector<Value>& args) {
    auto c = copyOf(m, self, args, 3);
    if (const int* error = std::get_if<int>(&c)) {
        return Value(*error);
    }
    const Copy& copy = std::get<Copy>(c);
    const bool mergeAlpha = args.size() > 5 && m.toBoolean(args[5]);
    BitmapDataObject* mask = args.size() > 3 ? live(args[3]) : nullptr;
    if (!mask) {
        apply(copy, [&](uint32_t s, uint32_t d) { return mergeAlpha ? over(s, d) : s; });
        return Value(kDone);
    }
    const XY at = destinationPoint(m, argAt(args, 4));
    applyAt(copy, [&](uint32_t s, uint32_t d, int sx, int sy) {
        const int64_t mx = int64_t(at.x) + sx - copy.asked.x;
        const int64_t my = int64_t(at.y) + sy - copy.asked.y;
        if (mx < 0 || my < 0 || mx >= mask->width() || my >= mask->height()) {
            return d;
        }
        const uint32_t a = channelOf(s, 24) * channelOf(mask->pixel32(int(mx), int(my)), 24) / 255;
        const uint32_t masked = (a << 24) | (s & 0xFFFFFF);
        return mergeAlpha ? over(masked, d) : masked;
    });
    return Value(kDone);
}

// copyChannel(source, rect, point, sourceChannel, destChannel): one channel of the source
// replaces one of these; the others stay.
Value copyChannel(Machine& m, const Value& self, std::vector<Value>& args) {
    auto c = copyOf(m, self, args, 5);
    if (const int* error = std::get_if<int>(&c)) {
        return Value(*error);
    }
    const auto from = channelShift(m.toInt32(args[3]));
    const auto to = channelShift(m.toInt32(args[4]));
    if (!from || !to) {
        return Value(kDone);
    }
    apply(std::get<Copy>(c), [&](uint32_t s, uint32_t d) {
        return (d & ~(0xFFu << *to)) | (channelOf(s, *from) << *to);
    });
    return Value(kDone);
}

// merge(source, rect, point, red, green, blue, alpha): each channel becomes
// (source * multiplier + this * (256 - multiplier)) / 256, multipliers within 0..256.
Value merge(Machine& m, const Value& self, std::vector<Value>& args) {
    auto c = copyOf(m, self, args, 7);
    if (const int* error = std::get_if<int>(&c)) {
        return Value(*error);
    }
    const int shifts[4] = {16, 8, 0, 24};
    uint32_t mult[4];
    for (size_t i = 0; i < 4; ++i) {
        mult[i] = uint32_t(std::clamp(m.toInt32(args[3 + i]), 0, 256));
    }
    apply(std::get<Copy>(c), [&](uint32_t s, uint32_t d) {
        uint32_t out = 0;
        for (size_t i = 0; i < 4; ++i) {
            const uint32_t v =
                (channelOf(s, shifts[i]) * mult[i] + channelOf(d, shifts[i]) * (256 - mult[i])) /
                256;
            out |= v << shifts[i];
        }
        return out;
    });
    return Value(kDone);
}

// paletteMap(source, rect, point[, red, green, blue, alpha]): each channel's value picks an
// entry of its array and the four entries are added; a channel without an array gives its own
// value in its own place.
Value paletteMap(Machine& m, const Value& self, std::vector<Value>& args) {
    auto c = copyOf(m, self, args, 3);
    if (const int* error = std::get_if<int>(&c)) {
        return Value(*error);
    }
    const int shifts[4] = {16, 8, 0, 24};
    std::array<std::optional<std::array<uint32_t, 256>>, 4> tables;
    for (size_t i = 0; i < 4; ++i) {
        Object* list = argAt(args, 3 + i).object();
        if (!list || list->kind() != ObjectKind::Array) {
            continue;
        }
        std::array<uint32_t, 256> table{};
        for (size_t v = 0; v < 256; ++v) {
            table[v] = uint32_t(m.toInt32(m.getMember(Value(list), QString::number(v))));
        }
        tables[i] = table;
    }
    apply(std::get<Copy>(c), [&](uint32_t s, uint32_t) {
        uint32_t out = 0;
        for (size_t i = 0; i < 4; ++i) {
            const uint32_t v = channelOf(s, shifts[i]);
            out += tables[i] ? (*tables[i])[v] : v << shifts[i];
        }
        return out;
    });
    return Value(kDone);
}

// The comparisons threshold knows; any other name compares with "<".
bool passes(const QString& op, uint32_t value, uint32_t threshold) {
    if (op == u"<=") {
        return value <= threshold;
    }
    if (op == u">") {
        return value > threshold;
    }
    if (op == u">=") {
        return value >= threshold;
    }
    if (op == u"==") {
        return value == threshold;
    }
    if (op == u"!=") {
        return value != threshold;
    }
    return value < threshold;
}

// threshold(source, rect, point, operation, threshold[, color = 0, mask = 0xFFFFFFFF,
// copySource = false]): where the source's stored (premultiplied) pixel and the threshold,
// both masked, compare as asked, this bitmap takes `color`; elsewhere, with copySource, the
// source's pixel. Answers how many pixels took the colour.
Value threshold(Machine& m, const Value& self, std::vector<Value>& args) {
    auto c = copyOf(m, self, args, 5);
    if (const int* error = std::get_if<int>(&c)) {
        return Value(*error);
    }
    const Copy& copy = std::get<Copy>(c);
    const QString op = m.toString(args[3]);
    const uint32_t mask = args.size() > 6 ? uint32_t(m.toInt32(args[6])) : 0xFFFFFFFFu;
    const uint32_t limit = uint32_t(m.toInt32(args[4])) & mask;
    const uint32_t color = args.size() > 5 ? uint32_t(m.toInt32(args[5])) : 0;
    const bool copySource = args.size() > 7 && m.toBoolean(args[7]);
    // The source is read whole before anything is written, as it may be this bitmap.
    const Region& g = copy.region;
    int changed = 0;
    std::vector<uint32_t> made;
    std::vector<uint8_t> written;
    made.reserve(size_t(g.w) * size_t(g.h));
    written.reserve(made.capacity());
    for (int y = 0; y < g.h; ++y) {
        for (int x = 0; x < g.w; ++x) {
            const bool hit = passes(op, copy.source->raw(g.sx + x, g.sy + y) & mask, limit);
            changed += hit ? 1 : 0;
            made.push_back(hit ? color : copy.source->pixel32(g.sx + x, g.sy + y));
            written.push_back(hit || copySource ? 1 : 0);
        }
    }
    for (int y = 0; y < g.h; ++y) {
        for (int x = 0; x < g.w; ++x) {
            const size_t i = size_t(y) * size_t(g.w) + size_t(x);
            if (written[i]) {
                copy.dest->setPixel32(g.dx + x, g.dy + y, made[i]);
            }
        }
    }
    return Value(changed);
}

// getColorBoundsRect(mask, color[, findColor = true]): the smallest rectangle around the
// pixels whose stored value, masked, is `color` (or, findColor false, is not); an empty one at
// the origin when there are none.
Value getColorBoundsRect(Machine& m, const Value& self, std::vector<Value>& args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 2) {
        return Value(kFailed);
    }
    const uint32_t mask = uint32_t(m.toInt32(args[0]));
    const uint32_t color = uint32_t(m.toInt32(args[1]));
    const bool find = args.size() < 3 || m.toBoolean(args[2]);
    int x0 = b->width(), y0 = b->height(), x1 = -1, y1 = -1;
    for (int y = 0; y < b->height(); ++y) {
        for (int x = 0; x < b->width(); ++x) {
            if (((b->raw(x, y) & mask) == color) == find) {
                x0 = std::min(x0, x), y0 = std::min(y0, y);
                x1 = std::max(x1, x), y1 = std::max(y1, y);
            }
        }
    }
    if (x1 < 0) {
        return makeRectangle(m, 0, 0, 0, 0);
    }
    return makeRectangle(m, x0, y0, x1 - x0 + 1, y1 - y0 + 1);
}

// noise(seed[, low = 0, high = 255, channels = 7, grayScale = false]): the chosen channels
// take random values from low to high (one value for red, green and blue in grey); the
// channels left out are 0, alpha left out is opaque.
Value noise(Machine& m, const Value& self, std::vector<Value>& args) {
    BitmapDataObject* b = live(self);
    if (!b || args.empty()) {
        return Value(kFailed);
    }
    SeededRandom random(m.toInt32(args[0]));
    uint32_t low = uint32_t(std::clamp(args.size() > 1 ? m.toInt32(args[1]) : 0, 0, 255));
    uint32_t high = uint32_t(std::clamp(args.size() > 2 ? m.toInt32(args[2]) : 255, 0, 255));
    if (low > high) {
        std::swap(low, high);
    }
    const int channels = args.size() > 3 ? m.toInt32(args[3]) : 7;
    const bool grey = args.size() > 4 && m.toBoolean(args[4]);
    for (int y = 0; y < b->height(); ++y) {
        for (int x = 0; x < b->width(); ++x) {
            uint32_t argb = 0;
            if (grey) {
                const uint32_t v = random.between(low, high);
                argb = (v << 16) | (v << 8) | v;
            } else {
                for (int flag : {1, 2, 4}) {
                    if (channels & flag) {
                        argb |= random.between(low, high) << *channelShift(flag);
                    }
                }
            }
            argb |= (channels & 8 ? random.between(low, high) : 0xFFu) << 24;
            b->setPixel32(x, y, argb);
        }
    }
    return Value(kDone);
}

// The order pixelDissolve visits a region of `area` pixels in: position p is pixel
// (p * step) mod area, a step about 0.618 of the area with no factor in common with it, so
// that every pixel comes once in a scattered order.
int64_t dissolveStep(int64_t area) {
    int64_t step = std::max<int64_t>(1, int64_t(double(area) * 0.6180339887));
    while (std::gcd(step, area) != 1) {
        ++step;
    }
    return step;
}

// pixelDissolve(source, rect, point[, seed = 0, numPixels = a 30th of rect, fillColor = 0]):
// the region the copy methods would fill is dissolved in a fixed scattered order that reaches
// each of its pixels once. A call writes the pixel at position `seed` of that order and the
// `numPixels` after it, and answers the position of the last one, from which a call passed it
// as its seed goes on. From another bitmap the pixels are copied, from this one they become
// fillColor. A source that is no live bitmap answers -1, a missing rectangle -4.
Value pixelDissolve(Machine& m, const Value& self, std::vector<Value>& args) {
    BitmapDataObject* dest = live(self);
    BitmapDataObject* source = args.size() < 3 ? nullptr : live(args[0]);
    if (!dest || !source) {
        return Value(kFailed);
    }
    const std::optional<Rect> r = rectOf(m, args[1]);
    if (!r) {
        return Value(kNoRectangle);
    }
    const Region g = regionOf(*source, *r, *dest, destinationPoint(m, args[2]));
    const int32_t seed = args.size() > 3 ? m.toInt32(args[3]) : 0;
    const int64_t area = int64_t(g.w) * int64_t(g.h);
    if (area <= 0) {
        return Value(seed);
    }
    const int64_t asked = args.size() > 4 && !args[4].isUndefined()
                              ? int64_t(m.toInt32(args[4]))
                              : std::max<int64_t>(0, int64_t(r->w) * int64_t(r->h) / 30);
    const int64_t count = std::clamp<int64_t>(asked, 0, area - 1);
    const uint32_t fill = args.size() > 5 ? uint32_t(m.toInt32(args[5])) : 0;
    const int64_t step = dissolveStep(area);
    const int64_t start = ((int64_t(seed) % area) + area) % area;
    m.tick(uint64_t(count));
    for (int64_t i = 0; i <= count; ++i) {
        const int64_t pixel = ((start + i) % area) * step % area;
        const int x = int(pixel % g.w), y = int(pixel / g.w);
        const uint32_t argb = source == dest ? fill : source->pixel32(g.sx + x, g.sy + y);
        dest->setPixel32(g.dx + x, g.dy + y, argb);
    }
    return Value(double((start + count) % area));
}

const NativeEntry kMethods[] = {
    {"copyPixels", copyPixels}, {"copyChannel", copyChannel},
    {"merge", merge},           {"paletteMap", paletteMap},
    {"threshold", threshold},   {"getColorBoundsRect", getColorBoundsRect},
    {"noise", noise},           {"pixelDissolve", pixelDissolve},
};

}  // namespace

void installBitmapDataCopies(Machine& m, Object* proto) {
    installTable(m, proto, kMethods);
}

}  // namespace pencora::avm1
