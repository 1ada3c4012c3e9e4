// Gradient fills as the player colours them: a 256-entry colour table spread over the
// gradient square (-16384..16384 twips), one entry per device pixel, read at the pixel's
// centre. Painting the pixels ourselves keeps every entry exact; a Qt gradient would blend
// neighbouring entries and place the focal point by its own rules.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QTransform>
#include <algorithm>
#include <array>
#include <memory>

#include "platform/flash/swf/geometry.h"
#include "platform/flash/swf/shape.h"

namespace pencora::swf::render {

// The 256 colours a gradient spreads over its square, colour transform applied.
std::array<QColor, 256> gradientTable(const Gradient& g, const ColorTransform& cx);

// A position on the gradient's axis, in 256ths of the square's extent (0 at its start,
// 256 at its end), brought into 0..256 by the spread mode: pad holds the ends, repeat
// starts again, reflect runs back.
double spreadPosition(double position256, SpreadMode spread);

// The table's colours at every position 0..256, premultiplied: entry i shows at i + 0.5
// and neighbouring entries blend in between, in steps of a sixteenth of an entry.
class GradientRamp {
  public:
    explicit GradientRamp(const std::array<QColor, 256>& table);
    QRgb at(double spread256) const {
        // max first: a position that is not a number reads entry 0.
        const double p = std::min(std::max(0.0, spread256 - 0.5), 255.0);
        return ramp_[int(p * kSub + 0.5)];  // p * kSub + 0.5 stays below kSteps
    }

  private:
    static constexpr int kSub = 16;
    static constexpr int kSteps = 255 * kSub + 1;
    std::array<QRgb, kSteps> ramp_;
};

// The ramp of a gradient's table under a colour transform, shared with earlier calls for the
// same stops, interpolation and transform.
std::shared_ptr<const GradientRamp> cachedRamp(const Gradient& g, const ColorTransform& cx);

// The gradient's position (in 256ths) at a point of the gradient square: along x for a
// linear gradient, the distance from the centre for a radial one, and for a focal one the
// share of the way from the focal point out to the circle.
double gradientPosition(FillType type, double focalPoint, double x, double y);

// The device pixels of `area` filled with `style`'s gradient; `squareToDevice` maps the
// gradient square to the device. Premultiplied; a null image when the area is empty.
QImage gradientImage(const FillStyle& style, const QTransform& squareToDevice,
                     const ColorTransform& cx, const QRect& area);

}  // namespace pencora::swf::render
