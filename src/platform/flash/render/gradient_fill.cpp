#include "platform/flash/render/gradient_fill.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/flash/render/color_transform.h"

namespace pencora::swf::render {

namespace {

constexpr double kSquareHalf = 16384.0;  // twips from the square's centre to its edge
// A focal point on the circle itself leaves half the plane without a way out to it.
constexpr double kFocalLimit = 255.0 / 256.0;

double toLinear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double toSrgb(double c) {
    return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
}

// `num`/`den` of the way from a to b. Straight channels move by whole steps, rounded down
// (the frames' alpha ramps show it); in linear light through the sRGB curve.
QColor mix(const QColor& a, const QColor& b, int num, int den, bool linear) {
    if (!linear) {
        auto channel = [num, den](int x, int y) {
            const int q = (y - x) * num;
            return x + (q >= 0 ? q / den : -((-q + den - 1) / den));
        };
        return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()),
                      channel(a.blue(), b.blue()), channel(a.alpha(), b.alpha()));
    }
    const double t = double(num) / den;
    auto channel = [t](double x, double y) {
        return toSrgb(toLinear(x) + (toLinear(y) - toLinear(x)) * t);
    };
    return QColor::fromRgbF(static_cast<float>(channel(a.redF(), b.redF())),
                            static_cast<float>(channel(a.greenF(), b.greenF())),
                            static_cast<float>(channel(a.blueF(), b.blueF())),
                            static_cast<float>(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

}  // namespace

// One row of a padded linear gradient, the most common kind: the same colours as going
// through spreadPosition() and GradientRamp::at(), without their per-pixel checks.
static void padLinearRow(QRgb* out, int count, double x, double stepX, const GradientRamp& ramp) {
    for (int col = 0; col < count; ++col, x += stepX) {
        const double position = (x + kSquareHalf) * (256.0 / (2 * kSquareHalf));
        // Not a number (a degenerate matrix) pads to the start, as spreadPosition() does:
        // std::max(0.0, nan) is 0.
        out[col] = ramp.at(std::min(std::max(0.0, position), 256.0));
    }
}

// The player turns a gradient into a 256-entry colour table, segment by segment from the
// first stop: a segment fills only the entries after those already filled (so a ratio
// lower than its predecessor takes nothing back), two stops at one ratio give a step to
// the later colour, and entries before the first stop or after the last one filled keep
// the first and the last stop's colours. gradient_nonsequential_ratios and
// gradient_issue_9892 in the visual corpus show these rules.
std::array<QColor, 256> gradientTable(const Gradient& g, const ColorTransform& cx) {
    std::array<QColor, 256> table;
    if (g.stops.empty()) {
        table.fill(QColor(0, 0, 0, 0));
        return table;
    }
    std::vector<QColor> colors;
    for (const auto& stop : g.stops) {
        colors.push_back(apply(cx, stop.color));
    }
    const bool linear = g.interpolation == InterpolationMode::Linear;
    const int first = g.stops.front().ratio;
    for (int i = 0; i < first; ++i) {
        table[i] = colors.front();
    }
    int filled = first - 1;
    for (size_t k = 0; k + 1 < g.stops.size(); ++k) {
        const int r0 = g.stops[k].ratio;
        const int r1 = g.stops[k + 1].ratio;
        for (int i = std::max(filled + 1, r0); i <= r1; ++i) {
            table[i] =
                r1 == r0 ? colors[k + 1] : mix(colors[k], colors[k + 1], i - r0, r1 - r0, linear);
        }
        filled = std::max(filled, r1);
    }
    for (int i = std::max(filled + 1, 0); i < 256; ++i) {
        table[i] = colors.back();
    }
    return table;
}

double spreadPosition(double position256, SpreadMode spread) {
    if (!(position256 > -1e9 && position256 < 1e9)) {
        // Far away or not a number (a degenerate matrix): the end the position points to.
        position256 = position256 > 0 ? 1e9 : -1e9;
    }
    switch (spread) {
        case SpreadMode::Repeat:
            return position256 - 256 * std::floor(position256 / 256);
        case SpreadMode::Reflect: {
            const double m = position256 - 512 * std::floor(position256 / 512);
            return m <= 256 ? m : 512 - m;
        }
        default:
            return std::clamp(position256, 0.0, 256.0);
    }
}

GradientRamp::GradientRamp(const std::array<QColor, 256>& table) {
    // Entry i is the colour at position i + 0.5; between two centres the straight colours
    // blend, then premultiply; beyond the first and the last centre the end entries hold.
    std::array<QRgb, 256> pm;
    for (int i = 0; i < 256; ++i) {
        pm[i] = table[i].rgba();
    }
    for (int k = 0; k < kSteps; ++k) {
        const int i = k / kSub;
        const int j = std::min(i + 1, 255);
        const uint32_t f = k % kSub;
        // Rounded to the nearest, a half down.
        auto lerp = [f](uint32_t x, uint32_t y) {
            return (x * (kSub - f) + y * f + kSub / 2 - 1) / kSub;
        };
        ramp_[k] = qPremultiply(
            qRgba(lerp(qRed(pm[i]), qRed(pm[j])), lerp(qGreen(pm[i]), qGreen(pm[j])),
                  lerp(qBlue(pm[i]), qBlue(pm[j])), lerp(qAlpha(pm[i]), qAlpha(pm[j]))));
    }
}

double gradientPosition(FillType type, double focalPoint, double x, double y) {
    switch (type) {
        case FillType::LinearGradient:
            return (x + kSquareHalf) * (256.0 / (2 * kSquareHalf));
        case FillType::FocalGradient: {
            // The ray from the focal point F through the point P meets the circle at Q; the
            // position is |FP| / |FQ|. With P = F + (dx, dy) and Q = F + s (dx, dy), s solves
            // |F + s (dx, dy)| = 1 in units of the radius.
            const double f = std::clamp(focalPoint, -kFocalLimit, kFocalLimit);
            const double dx = x / kSquareHalf - f;
            const double dy = y / kSquareHalf;
            const double a = dx * dx + dy * dy;
            if (a == 0) {
                return 0;
            }
            const double b = f * dx;  // half the linear term
            const double s = (-b + std::sqrt(b * b - a * (f * f - 1))) / a;
            return 256.0 / s;
        }
        default:
            return std::hypot(x, y) * (256.0 / kSquareHalf);
    }
}

std::shared_ptr<const GradientRamp> cachedRamp(const Gradient& g, const ColorTransform& cx) {
    // Movies draw the same few gradients frame after frame; building a ramp costs more than
    // painting a small shape with it. The last few ramps are kept for each drawing thread,
    // known by what their colours come from.
    struct Kept {
        InterpolationMode interpolation;
        std::vector<GradientStop> stops;
        ColorTransform cx;
        std::shared_ptr<const GradientRamp> ramp;
    };
    constexpr size_t kKept = 16;
    thread_local std::vector<Kept> kept;
    auto hit = std::find_if(kept.begin(), kept.end(), [&](const Kept& k) {
        return k.interpolation == g.interpolation && k.cx == cx && k.stops == g.stops;
    });
    if (hit != kept.end()) {
        std::rotate(kept.begin(), hit, hit + 1);  // the most recent first
        return kept.front().ramp;
    }
    auto ramp = std::make_shared<const GradientRamp>(gradientTable(g, cx));
    if (kept.size() == kKept) {
        kept.pop_back();
    }
    kept.insert(kept.begin(), Kept{g.interpolation, g.stops, cx, ramp});
    return ramp;
}

static QImage paintGradient(const FillStyle& style, const QTransform& squareToDevice,
                            const ColorTransform& cx, const QRect& area) {
    const std::shared_ptr<const GradientRamp> shared = cachedRamp(style.gradient, cx);
    const GradientRamp& ramp = *shared;
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return image;  // out of memory: nothing is painted
    }
    bool invertible = false;
    const QTransform toSquare = squareToDevice.inverted(&invertible);
    if (!invertible) {
        // The square is squashed to a line or a point: the player shows the last colour.
        image.fill(QColor::fromRgba(qUnpremultiply(ramp.at(256))));
        return image;
    }
    const double focal = style.gradient.focalPoint;
    const SpreadMode spread = style.gradient.spread;
    // Each row runs along one straight line in the square: start and step once per row.
    const double stepX = toSquare.m11();
    const double stepY = toSquare.m12();
    for (int row = 0; row < area.height(); ++row) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(row));
        const QPointF start = toSquare.map(QPointF(area.left() + 0.5, area.top() + row + 0.5));
        double x = start.x();
        double y = start.y();
        if (style.type == FillType::LinearGradient && spread == SpreadMode::Pad) {
            padLinearRow(out, area.width(), x, stepX, ramp);
        } else if (style.type == FillType::LinearGradient) {
            for (int col = 0; col < area.width(); ++col, x += stepX) {
                out[col] = ramp.at(
                    spreadPosition((x + kSquareHalf) * (256.0 / (2 * kSquareHalf)), spread));
            }
        } else {
            for (int col = 0; col < area.width(); ++col, x += stepX, y += stepY) {
                out[col] =
                    ramp.at(spreadPosition(gradientPosition(style.type, focal, x, y), spread));
            }
        }
    }
    return image;
}

// The gradients painted lately, for each drawing thread. A frame drawn again with nothing
// moved (a repaint of the whole stage, a window uncovered) paints the same pixels; keeping
// them costs a little memory, held under a budget.
namespace {

struct PaintedGradient {
    FillType type;
    Gradient gradient;
    ColorTransform cx;
    QTransform squareToDevice;
    QRect area;
    QImage image;
};

constexpr size_t kPaintedBudget = 32u << 20;  // bytes of pixels kept
constexpr size_t kPaintedMax = 512;           // gradients kept

size_t bytesOf(const QImage& image) {
    return size_t(image.sizeInBytes());
}

}  // namespace

QImage gradientImage(const FillStyle& style, const QTransform& squareToDevice,
                     const ColorTransform& cx, const QRect& area) {
    if (area.isEmpty() || !isGradient(style.type)) {
        return {};
    }
    thread_local std::vector<PaintedGradient> painted;
    thread_local size_t paintedBytes = 0;
    auto hit = std::find_if(painted.begin(), painted.end(), [&](const PaintedGradient& p) {
        return p.area == area && p.squareToDevice == squareToDevice && p.type == style.type &&
               p.cx == cx && p.gradient == style.gradient;
    });
    if (hit != painted.end()) {
        std::rotate(painted.begin(), hit, hit + 1);  // the most recent first
        return painted.front().image;
    }
    QImage image = paintGradient(style, squareToDevice, cx, area);
    if (image.isNull() || bytesOf(image) > kPaintedBudget / 3) {
        return image;  // too large to keep
    }
    while (!painted.empty() &&
           (painted.size() >= kPaintedMax || paintedBytes + bytesOf(image) > kPaintedBudget)) {
        paintedBytes -= bytesOf(painted.back().image);
        painted.pop_back();
    }
    painted.insert(painted.begin(),
                   PaintedGradient{style.type, style.gradient, cx, squareToDevice, area, image});
    paintedBytes += bytesOf(image);
    return image;
}

}  // namespace pencora::swf::render
