// BitmapData.perlinNoise: gradient noise summed over octaves.
//
// perlinNoise(baseX, baseY, numOctaves, randomSeed, stitch, fractalNoise[, channelOptions = 7,
// grayScale = false, offsets]): baseX and baseY are the size in pixels of the first octave's
// features; each further octave halves that size and the weight it adds. Fractal noise sums
// the signed noise around mid grey; turbulence sums its magnitude up from black, which gives
// the sharp valleys of that style. Stitching rounds each octave's lattice to a whole number of
// cells across the bitmap and wraps it there, so the left edge meets the right and the top the
// bottom. offsets is an array of points, one per octave, moving that octave's noise. Each
// chosen channel (1 red, 2 green, 4 blue, 8 alpha) gets noise of its own; grey scale gives red,
// green and blue one noise together. Channels left out are 0, alpha left out (or on an opaque
// bitmap) is opaque.
#include <algorithm>
#include <array>
#include <cmath>

#include "platform/flash/avm1/builtins/bitmap_data_args.h"

namespace pencora::avm1 {

namespace {

using namespace bitmap_args;

// More octaves than this add features smaller than a millionth of the base size.
constexpr int kMostOctaves = 24;

// One channel's lattice: a shuffled table of 256 entries picks each corner's gradient.
struct Lattice {
    std::array<uint8_t, 256> order{};

    explicit Lattice(SeededRandom& random) {
        for (size_t i = 0; i < order.size(); ++i) {
            order[i] = uint8_t(i);
        }
        for (size_t i = order.size() - 1; i > 0; --i) {
            std::swap(order[i], order[random.next() % (i + 1)]);
        }
    }

    // The gradient at corner (ix, iy) dotted with the offset (dx, dy) from it; eight
    // directions, the axes and the diagonals.
    double corner(int64_t ix, int64_t iy, double dx, double dy) const {
        const uint8_t h = order[(order[size_t(ix & 255)] + size_t(iy & 255)) & 255] & 7;
        switch (h) {
            case 0:
                return dx + dy;
            case 1:
                return -dx + dy;
            case 2:
                return dx - dy;
            case 3:
                return -dx - dy;
            case 4:
                return dx;
            case 5:
                return -dx;
            case 6:
                return dy;
            default:
                return -dy;
        }
    }
};

double fade(double t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

int64_t wrap(int64_t i, int64_t period) {
    return period > 0 ? ((i % period) + period) % period : i;
}

// Noise at (x, y) in lattice cells, about -1..1; with a period the lattice repeats after that
// many cells on that axis (0: never).
double noiseAt(const Lattice& l, double x, double y, int64_t periodX, int64_t periodY) {
    const double fx = std::floor(x), fy = std::floor(y);
    const double dx = x - fx, dy = y - fy;
    const int64_t x0 = wrap(int64_t(fx), periodX), y0 = wrap(int64_t(fy), periodY);
    const int64_t x1 = wrap(int64_t(fx) + 1, periodX), y1 = wrap(int64_t(fy) + 1, periodY);
    const double u = fade(dx), v = fade(dy);
    const double top = std::lerp(l.corner(x0, y0, dx, dy), l.corner(x1, y0, dx - 1, dy), u);
    const double bottom =
        std::lerp(l.corner(x0, y1, dx, dy - 1), l.corner(x1, y1, dx - 1, dy - 1), u);
    return std::lerp(top, bottom, v);
}

// One octave: how many lattice cells a pixel spans on each axis, where it repeats, and how
// far its noise is moved.
struct Octave {
    double cellsX = 0, cellsY = 0;
    int64_t periodX = 0, periodY = 0;
    double offsetX = 0, offsetY = 0;
};

struct PerlinSettings {
    std::vector<Octave> octaves;
    bool fractal = true;
};

// The first octave's cells per pixel along an axis `size` pixels long for features `base`
// pixels big; stitched, a whole number of cells (at least one) spans the axis.
std::pair<double, int64_t> firstCells(double base, int size, bool stitch) {
    const double cells = std::isfinite(base) && base != 0 ? 1 / std::fabs(base) : 0;
    if (!stitch || cells == 0) {
        return {cells, 0};
    }
    const int64_t period = std::max<int64_t>(1, std::llround(std::min(cells * size, 1e6)));
    return {double(period) / size, period};
}

PerlinSettings settingsOf(Machine& m, const std::vector<Value>& args, const BitmapDataObject& b) {
    const bool stitch = m.toBoolean(args[4]);
    const auto [cellsX, periodX] = firstCells(m.toNumber(args[0]), b.width(), stitch);
    const auto [cellsY, periodY] = firstCells(m.toNumber(args[1]), b.height(), stitch);
    const int count = std::clamp(m.toInt32(args[2]), 0, kMostOctaves);
    const Value offsets = argAt(args, 8);
    PerlinSettings s;
    s.fractal = m.toBoolean(args[5]);
    for (int i = 0; i < count; ++i) {
        Octave o;
        const double scale = std::ldexp(1.0, i);
        o.cellsX = cellsX * scale, o.cellsY = cellsY * scale;
        o.periodX = periodX << i, o.periodY = periodY << i;
        if (offsets.isObject()) {
            const Value p = m.getMember(offsets, QString::number(i));
            if (p.isObject()) {
                o.offsetX = m.toNumber(m.getMember(p, QStringLiteral("x")));
                o.offsetY = m.toNumber(m.getMember(p, QStringLiteral("y")));
                o.offsetX = std::isfinite(o.offsetX) ? o.offsetX : 0;
                o.offsetY = std::isfinite(o.offsetY) ? o.offsetY : 0;
            }
        }
        s.octaves.push_back(o);
    }
    return s;
}

// A channel's value at pixel (x, y): fractal noise centred on 128, turbulence from 0.
uint32_t channelAt(const PerlinSettings& s, const Lattice& l, int x, int y) {
    double sum = 0;
    double weight = 1;
    for (const Octave& o : s.octaves) {
        const double n = noiseAt(l, (x + o.offsetX) * o.cellsX, (y + o.offsetY) * o.cellsY,
                                 o.periodX, o.periodY);
        sum += (s.fractal ? n : std::fabs(n)) * weight;
        weight /= 2;
    }
    const double v = s.fractal ? (sum + 1) * 127.5 : sum * 255;
    return uint32_t(std::clamp(v, 0.0, 255.0));
}

Value perlinNoise(Machine& m, const Value& self, std::vector<Value>& args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 6) {
        return Value(kFailed);
    }
    const PerlinSettings s = settingsOf(m, args, *b);
    const int channels = args.size() > 6 ? m.toInt32(args[6]) : 7;
    const bool grey = args.size() > 7 && m.toBoolean(args[7]);
    SeededRandom random(m.toInt32(args[3]));
    // Red, green, blue, alpha: each its own lattice, drawn from the seed in that order.
    const std::array<Lattice, 4> lattices{Lattice(random), Lattice(random), Lattice(random),
                                          Lattice(random)};
    const int shifts[4] = {16, 8, 0, 24};
    const bool alpha = (channels & 8) && b->transparent();
    for (int y = 0; y < b->height(); ++y) {
        // A row at a time, so that a large bitmap meets the run's time limit.
        m.tick(uint64_t(b->width()) * (s.octaves.size() + 1) / 16);
        for (int x = 0; x < b->width(); ++x) {
            uint32_t argb = alpha ? channelAt(s, lattices[3], x, y) << 24 : 0xFF000000u;
            if (grey) {
                const uint32_t v = channelAt(s, lattices[0], x, y);
                argb |= (v << 16) | (v << 8) | v;
            } else {
                for (int c = 0; c < 3; ++c) {
                    if (channels & (1 << c)) {
                        argb |= channelAt(s, lattices[size_t(c)], x, y) << shifts[c];
                    }
                }
            }
            b->setPixel32(x, y, argb);
        }
    }
    return Value(kDone);
}

const NativeEntry kMethods[] = {
    {"perlinNoise", perlinNoise},
};

}  // namespace

void installBitmapDataNoise(Machine& m, Object* proto) {
    installTable(m, proto, kMethods);
}

}  // namespace pencora::avm1
