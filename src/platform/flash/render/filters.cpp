#include "platform/flash/render/filters.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "platform/flash/render/gradient_fill.h"

namespace pencora::swf::render {

namespace {

// Authoring tools store blur sizes up to 255 and passes up to 15; a hostile file may say more.
constexpr double kMaxBlur = 255.0;
constexpr int kMaxPasses = 15;

int passesOf(const Filter& f) {
    return std::clamp(int(f.passes), 1, kMaxPasses);
}

// The box in device pixels for a blur of `blur` stage pixels: the blur spans `blur` stage
// pixels' centres, (blur - 1) stage pixels apart, plus one device pixel. At the stage's own
// size a blur of 20 is a box of 20 (edittext/edittext_border_filters: a blur of 2 weighs a
// pixel and its neighbours 1/2, 1/4, 1/4); twice as large it is 39 device pixels, not 40
// (filters/blur_scales_with_screen: ramps of 19 for a blur of 10).
double boxWidth(double blur, double scale) {
    blur = std::clamp(blur, 0.0, kMaxBlur);
    return std::max(0.0, (blur - 1.0) * scale + 1.0);
}
double blurX(const Filter& f, double scale) {
    return boxWidth(f.blurX, scale);
}
double blurY(const Filter& f, double scale) {
    return boxWidth(f.blurY, scale);
}

// Sums in floating point may land a hair below a whole level they reach exactly.
constexpr float kLevelSlack = 1e-3f;

// One pass of a box `box` pixels wide, centred on each pixel, along a row or column of `n`
// values `stride` apart: the pixels it covers whole count fully, the two it covers in part
// (a box of 20: 19 whole and two halves) by the part they lie in it.
void boxLine(float* line, int n, int stride, double box, std::vector<float>& scratch) {
    if (box <= 1.0 || n <= 1) {
        return;
    }
    const int m = int(std::floor((box - 1.0) / 2.0));
    const float edge = float((box - (2 * m + 1)) / 2.0);  // the two end pixels' share
    const float norm = float(1.0 / box);
    scratch.assign(size_t(n) + 1, 0.0f);
    for (int i = 0; i < n; ++i) {
        scratch[size_t(i) + 1] = scratch[size_t(i)] + line[size_t(i) * stride];
    }
    std::vector<float> blurred(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int lo = std::max(0, i - m);
        const int hi = std::min(n - 1, i + m);
        float sum = scratch[size_t(hi) + 1] - scratch[size_t(lo)];
        if (edge > 0 && i - m - 1 >= 0) {
            sum += edge * line[size_t(i - m - 1) * stride];
        }
        if (edge > 0 && i + m + 1 < n) {
            sum += edge * line[size_t(i + m + 1) * stride];
        }
        blurred[size_t(i)] = sum * norm;
    }
    // Each pass keeps whole levels: the fraction of a level is dropped, not rounded, so a blur
    // fades out a little short of its box and repeated passes darken nothing back in.
    for (int i = 0; i < n; ++i) {
        line[size_t(i) * stride] = std::floor(blurred[size_t(i)] + kLevelSlack);
    }
}

// The image as four float planes (premultiplied alpha, red, green, blue, 0..255) and back.
struct Planes {
    int width = 0;
    int height = 0;
    std::array<std::vector<float>, 4> p;  // a, r, g, b
};

Planes planesOf(const QImage& image) {
    Planes out;
    out.width = image.width();
    out.height = image.height();
    for (auto& plane : out.p) {
        plane.resize(size_t(out.width) * out.height);
    }
    for (int y = 0; y < out.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < out.width; ++x) {
            const size_t i = size_t(y) * out.width + x;
            out.p[0][i] = float(qAlpha(row[x]));
            out.p[1][i] = float(qRed(row[x]));
            out.p[2][i] = float(qGreen(row[x]));
            out.p[3][i] = float(qBlue(row[x]));
        }
    }
    return out;
}

int toByte(float v) {
    return std::clamp(int(std::lround(v)), 0, 255);
}

void store(const Planes& planes, QImage& image) {
    for (int y = 0; y < planes.height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < planes.width; ++x) {
            const size_t i = size_t(y) * planes.width + x;
            const int a = toByte(planes.p[0][i]);
            // Premultiplied: no channel above the alpha.
            row[x] = qRgba(std::min(a, toByte(planes.p[1][i])), std::min(a, toByte(planes.p[2][i])),
                           std::min(a, toByte(planes.p[3][i])), a);
        }
    }
}

// `plane` moved by (dx, dy) whole pixels; what comes in from outside is `outside`.
std::vector<float> shifted(const std::vector<float>& plane, int width, int height, int dx, int dy,
                           float outside) {
    std::vector<float> out(plane.size(), outside);
    for (int y = 0; y < height; ++y) {
        const int sy = y - dy;
        if (sy < 0 || sy >= height) {
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const int sx = x - dx;
            if (sx >= 0 && sx < width) {
                out[size_t(y) * width + x] = plane[size_t(sy) * width + sx];
            }
        }
    }
    return out;
}

void applyBlur(QImage& image, const Filter& f, double sx, double sy) {
    Planes planes = planesOf(image);
    for (auto& plane : planes.p) {
        blurPlane(plane, planes.width, planes.height, blurX(f, sx), blurY(f, sy), passesOf(f));
    }
    store(planes, image);
}

// The colours of a gradient glow or bevel, spread over 256 entries as a gradient fill spreads
// its stops (straight colours; ends held). Empty when the filter gives no stops.
using FilterGradient = std::optional<std::array<QColor, 256>>;

FilterGradient filterGradient(const Filter& f) {
    const size_t n = std::min(f.gradientColors.size(), f.gradientRatios.size());
    if (n == 0) {
        return std::nullopt;
    }
    Gradient g;
    for (size_t i = 0; i < n; ++i) {
        g.stops.push_back(GradientStop{f.gradientRatios[i], f.gradientColors[i]});
    }
    return gradientTable(g, ColorTransform{});
}

// A gradient entry as a premultiplied colour: alpha 0..1 and channels 0..255 times it.
struct Tint {
    float a = 0;
    float r = 0, g = 0, b = 0;
};

Tint tintOf(const QColor& c, float keep = 1.0f) {
    const float a = float(c.alpha()) / 255.0f * keep;
    return {a, a * float(c.red()), a * float(c.green()), a * float(c.blue())};
}

// Drop shadow and glow (a shadow at distance 0): the object's alpha, moved, blurred, made
// stronger and coloured, put below the object (outer), inside its shape on top of it (inner),
// or over all of it (a full gradient glow, `onTop`). Knockout leaves the object itself out;
// without the source composited only the shadow shows. A gradient glow colours each pixel by
// the gradient entry its strengthened alpha reaches: entry 0 where the glow fades out, 255
// where it is full.
void applyShadow(QImage& image, const Filter& f, double sx, double sy,
                 const FilterGradient& gradient = std::nullopt) {
    Planes planes = planesOf(image);
    const int w = planes.width;
    const int h = planes.height;
    const std::vector<float>& alpha = planes.p[0];
    std::vector<float> a(alpha.size());
    for (size_t i = 0; i < a.size(); ++i) {
        a[i] = f.inner ? 255.0f - alpha[i] : alpha[i];
    }
    const int dx = int(std::lround(std::cos(f.angle) * f.distance * sx));
    const int dy = int(std::lround(std::sin(f.angle) * f.distance * sy));
    a = shifted(a, w, h, dx, dy, f.inner ? 255.0f : 0.0f);
    blurPlane(a, w, h, blurX(f, sx), blurY(f, sy), passesOf(f));
    const float strength = float(std::clamp(f.strength, 0.0, 255.0));
    const float colorAlpha = f.color.a / 255.0f;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x;
            const float srcA = alpha[i] / 255.0f;
            const float reach = std::min(1.0f, a[i] / 255.0f * strength);
            Tint t;
            if (gradient) {
                t = tintOf((*gradient)[size_t(std::lround(reach * 255.0f))]);
            } else {
                const float shadowA = reach * colorAlpha;
                t = {shadowA, shadowA * f.color.r, shadowA * f.color.g, shadowA * f.color.b};
            }
            // Inside, the shadow goes on top of the object with the object's alpha (source
            // atop): it hides as much of the object as its own full alpha.
            const float hides = t.a;
            const float keep = f.inner ? srcA : 1.0f;
            const QRgb src = row[x];
            float out[4];
            const float shadow[4] = {t.a * keep * 255.0f, t.r * keep, t.g * keep, t.b * keep};
            const float source[4] = {float(qAlpha(src)), float(qRed(src)), float(qGreen(src)),
                                     float(qBlue(src))};
            for (int c = 0; c < 4; ++c) {
                if (f.inner || f.onTop) {
                    // Knockout or no source: the shadow alone, inside the shape (or all of it).
                    out[c] = f.knockout || !f.compositeSource
                                 ? shadow[c]
                                 : shadow[c] + source[c] * (1.0f - hides);
                } else if (f.knockout) {
                    out[c] = shadow[c] * (1.0f - srcA);
                } else if (!f.compositeSource) {
                    out[c] = shadow[c];
                } else {
                    out[c] = source[c] + shadow[c] * (1.0f - srcA);
                }
            }
            const int oa = toByte(out[0]);
            row[x] = qRgba(std::min(oa, toByte(out[1])), std::min(oa, toByte(out[2])),
                           std::min(oa, toByte(out[3])), oa);
        }
    }
}

// Bevel: a highlight on the edges facing along the angle and a shadow on the others, from the
// object's alpha moved both ways and blurred; inner (inside the shape), outer (outside it) or full
// (both, `onTop`). A gradient bevel colours each pixel by the gradient entry of its lighting:
// entry 0 the full highlight, 128 neither, 255 the full shadow.
void applyBevel(QImage& image, const Filter& f, double sx, double sy,
                const FilterGradient& gradient = std::nullopt) {
    Planes planes = planesOf(image);
    const int w = planes.width;
    const int h = planes.height;
    const std::vector<float>& alpha = planes.p[0];
    const int dx = int(std::lround(std::cos(f.angle) * f.distance * sx));
    const int dy = int(std::lround(std::sin(f.angle) * f.distance * sy));
    std::vector<float> along = shifted(alpha, w, h, dx, dy, 0.0f);
    std::vector<float> against = shifted(alpha, w, h, -dx, -dy, 0.0f);
    blurPlane(along, w, h, blurX(f, sx), blurY(f, sy), passesOf(f));
    blurPlane(against, w, h, blurX(f, sx), blurY(f, sy), passesOf(f));
    const float strength = float(std::clamp(f.strength, 0.0, 255.0));
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x;
            const float srcA = alpha[i] / 255.0f;
            // The highlight falls on the edges facing along the angle (angle 0: the right
            // edge, filters/any_blur_scales_with_screen), the shadow on the opposite ones.
            const float diff = (along[i] - against[i]) / 255.0f * strength;
            float keep = 1.0f;  // how much of the bevel shows at this pixel
            if (f.onTop) {
                keep = 1.0f;
            } else if (f.inner) {
                keep = srcA;
            } else {
                keep = 1.0f - srcA;
            }
            Tint t;
            if (gradient) {
                const float entry = std::clamp(128.0f - diff * 128.0f, 0.0f, 255.0f);
                t = tintOf((*gradient)[size_t(std::lround(entry))]);
            } else {
                const float hiA = std::clamp(diff, 0.0f, 1.0f) * (f.highlightColor.a / 255.0f);
                const float shA = std::clamp(-diff, 0.0f, 1.0f) * (f.color.a / 255.0f);
                t = {hiA + shA * (1.0f - hiA),
                     hiA * f.highlightColor.r + shA * f.color.r * (1.0f - hiA),
                     hiA * f.highlightColor.g + shA * f.color.g * (1.0f - hiA),
                     hiA * f.highlightColor.b + shA * f.color.b * (1.0f - hiA)};
            }
            // Inside the shape the bevel goes on top of the object and takes the object's
            // alpha (source atop): what it hides of the object is its own full alpha.
            const float fullA = t.a;
            const float bevelA = t.a * keep;
            const float bevel[4] = {bevelA * 255.0f, t.r * keep, t.g * keep, t.b * keep};
            const QRgb src = row[x];
            const float source[4] = {float(qAlpha(src)), float(qRed(src)), float(qGreen(src)),
                                     float(qBlue(src))};
            float out[4];
            for (int c = 0; c < 4; ++c) {
                if (f.knockout || !f.compositeSource) {
                    out[c] = bevel[c];
                } else if (f.inner) {
                    out[c] = bevel[c] + source[c] * (1.0f - fullA);
                } else if (f.onTop) {
                    out[c] = bevel[c] + source[c] * (1.0f - bevelA);
                } else {
                    out[c] = source[c] + bevel[c] * (1.0f - srcA);
                }
            }
            const int oa = toByte(out[0]);
            row[x] = qRgba(std::min(oa, toByte(out[1])), std::min(oa, toByte(out[2])),
                           std::min(oa, toByte(out[3])), oa);
        }
    }
}

// The colour matrix works on straight (not premultiplied) colours; its fifth column adds
// 0..255 values.
void applyColorMatrix(QImage& image, const Filter& f) {
    if (f.matrix.size() < 20) {
        return;
    }
    const auto& m = f.matrix;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            const int a0 = qAlpha(p);
            const float in[4] = {
                a0 ? qRed(p) * 255.0f / a0 : 0.0f,
                a0 ? qGreen(p) * 255.0f / a0 : 0.0f,
                a0 ? qBlue(p) * 255.0f / a0 : 0.0f,
                float(a0),
            };
            int out[4];
            for (int r = 0; r < 4; ++r) {
                const float* k = &m[size_t(r) * 5];
                out[r] = toByte(k[0] * in[0] + k[1] * in[1] + k[2] * in[2] + k[3] * in[3] + k[4]);
            }
            const int a = out[3];
            row[x] = qRgba(out[0] * a / 255, out[1] * a / 255, out[2] * a / 255, a);
        }
    }
}

void applyConvolution(QImage& image, const Filter& f) {
    const int mx = f.matrixX;
    const int my = f.matrixY;
    if (mx == 0 || my == 0 || f.matrix.size() < size_t(mx) * my) {
        return;
    }
    const QImage src = image.copy();
    const float divisor = f.divisor == 0.0f ? 1.0f : f.divisor;
    const int w = image.width();
    const int h = image.height();
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            float sum[4] = {0, 0, 0, 0};  // straight r, g, b, a
            for (int j = 0; j < my; ++j) {
                for (int i = 0; i < mx; ++i) {
                    int px = x + i - mx / 2;
                    int py = y + j - my / 2;
                    QRgb p;
                    if (px < 0 || py < 0 || px >= w || py >= h) {
                        if (f.clamp) {
                            px = std::clamp(px, 0, w - 1);
                            py = std::clamp(py, 0, h - 1);
                            p = reinterpret_cast<const QRgb*>(src.constScanLine(py))[px];
                        } else {
                            const Rgba& c = f.defaultColor;
                            p = qPremultiply(qRgba(c.r, c.g, c.b, c.a));
                        }
                    } else {
                        p = reinterpret_cast<const QRgb*>(src.constScanLine(py))[px];
                    }
                    const QRgb s = qUnpremultiply(p);
                    const float k = f.matrix[size_t(j) * mx + i];
                    sum[0] += k * qRed(s);
                    sum[1] += k * qGreen(s);
                    sum[2] += k * qBlue(s);
                    sum[3] += k * qAlpha(s);
                }
            }
            const QRgb own = qUnpremultiply(row[x]);
            const int a = f.preserveAlpha ? qAlpha(own) : toByte(sum[3] / divisor + f.bias);
            const int r = toByte(sum[0] / divisor + f.bias);
            const int g = toByte(sum[1] / divisor + f.bias);
            const int b = toByte(sum[2] / divisor + f.bias);
            row[x] = qPremultiply(qRgba(r, g, b, a));
        }
    }
}

}  // namespace

void blurPlane(std::vector<float>& plane, int width, int height, double boxX, double boxY,
               int passes) {
    if (width <= 0 || height <= 0 || plane.size() < size_t(width) * height) {
        return;
    }
    std::vector<float> scratch;
    for (int pass = 0; pass < passes; ++pass) {
        if (boxX > 1.0) {
            for (int y = 0; y < height; ++y) {
                boxLine(&plane[size_t(y) * width], width, 1, boxX, scratch);
            }
        }
        if (boxY > 1.0) {
            for (int x = 0; x < width; ++x) {
                boxLine(&plane[size_t(x)], height, width, boxY, scratch);
            }
        }
    }
}

bool filtersFit(QSizeF size) {
    constexpr double kMaxSide = 8191;
    constexpr double kMaxPixels = 16777215;
    const double w = std::ceil(size.width());
    const double h = std::ceil(size.height());
    return w <= kMaxSide && h <= kMaxSide && w * h <= kMaxPixels;
}

QMargins filterReach(const std::vector<Filter>& filters, double scaleX, double scaleY) {
    QMargins total;
    for (const Filter& f : filters) {
        if (f.type == FilterType::ColorMatrix) {
            continue;
        }
        if (f.type == FilterType::Convolution) {
            total += QMargins(f.matrixX / 2 + 1, f.matrixY / 2 + 1, f.matrixX / 2 + 1,
                              f.matrixY / 2 + 1);
            continue;
        }
        const int passes = passesOf(f);
        const int rx = int(std::ceil(blurX(f, scaleX) / 2.0 * passes)) + 1;
        const int ry = int(std::ceil(blurY(f, scaleY) / 2.0 * passes)) + 1;
        int dx = 0;
        int dy = 0;
        if (f.type == FilterType::DropShadow || f.type == FilterType::Bevel ||
            f.type == FilterType::GradientGlow || f.type == FilterType::GradientBevel) {
            dx = int(std::ceil(std::abs(std::cos(f.angle) * f.distance * scaleX)));
            dy = int(std::ceil(std::abs(std::sin(f.angle) * f.distance * scaleY)));
        }
        total += QMargins(rx + dx, ry + dy, rx + dx, ry + dy);
    }
    return total;
}

void applyFilters(QImage& image, const std::vector<Filter>& filters, double scaleX, double scaleY) {
    if (image.format() != QImage::Format_ARGB32_Premultiplied) {
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    for (const Filter& f : filters) {
        switch (f.type) {
            case FilterType::Blur:
                applyBlur(image, f, scaleX, scaleY);
                break;
            case FilterType::DropShadow:
                applyShadow(image, f, scaleX, scaleY);
                break;
            case FilterType::Glow: {
                Filter glow = f;
                glow.distance = 0;
                applyShadow(image, glow, scaleX, scaleY);
                break;
            }
            case FilterType::GradientGlow:
                applyShadow(image, f, scaleX, scaleY, filterGradient(f));
                break;
            case FilterType::Bevel:
                applyBevel(image, f, scaleX, scaleY);
                break;
            case FilterType::GradientBevel:
                applyBevel(image, f, scaleX, scaleY, filterGradient(f));
                break;
            case FilterType::ColorMatrix:
                applyColorMatrix(image, f);
                break;
            case FilterType::Convolution:
                applyConvolution(image, f);
                break;
        }
    }
}

}  // namespace pencora::swf::render
