#include "platform/flash/runtime/scripting/clip_properties.h"

#include "platform/flash/runtime/display/clip_bounds.h"

#include <array>
#include <climits>
#include <cmath>
#include <numbers>

namespace pencora::runtime {

namespace {

// Bounds in the parent's space, in pixels, with edges on whole twips as the player keeps them.
QRectF parentBounds(const DisplayObject& o) {
    // What scripts drew counts as much as the clip's own shapes.
    const QRectF r = wholeTwips(contentBounds(o, toTransform(o.matrix), true).value_or(QRectF()));
    return QRectF(r.x() / 20, r.y() / 20, r.width() / 20, r.height() / 20);
}

double xscale(const swf::Matrix& m) {
    return std::hypot(m.a, m.b) * 100;
}
double yscale(const swf::Matrix& m) {
    return std::hypot(m.c, m.d) * 100;
}
double rotation(const swf::Matrix& m) {
    return std::atan2(m.b, m.a) * 180 / std::numbers::pi;
}

struct ScaleRotation {
    double xscale, yscale, rotation, skew;
};

// Matrix entries compare as stored: a NaN that a script put there matches itself, so the scales
// and rotation it came from stay readable.
bool sameEntry(double x, double y) {
    return x == y || (std::isnan(x) && std::isnan(y));
}

// A scale times a sine or cosine where a zero factor wins: an infinite _xscale without rotation
// stretches along x only and leaves the shear entries 0, not NaN.
double scaled(double scale, double factor) {
    return factor == 0 ? 0 : scale * factor;
}

ScaleRotation scaleRotationOf(const DisplayObject& o) {
    const swf::Matrix& m = o.matrix;
    if (const auto& s = o.scriptScale; s && sameEntry(s->a, m.a) && sameEntry(s->b, m.b) &&
                                       sameEntry(s->c, m.c) && sameEntry(s->d, m.d)) {
        return {s->xscale, s->yscale, s->rotation, s->skew};
    }
    return {xscale(m), yscale(m), rotation(m), std::atan2(-m.c, m.d) - std::atan2(m.b, m.a)};
}

// The matrix entries a scale and rotation give, the translation left out.
swf::Matrix matrixOf(const ScaleRotation& v) {
    const double r = v.rotation * std::numbers::pi / 180;
    swf::Matrix m;
    m.a = scaled(v.xscale / 100, std::cos(r));
    m.b = scaled(v.xscale / 100, std::sin(r));
    m.c = scaled(-v.yscale / 100, std::sin(r + v.skew));
    m.d = scaled(v.yscale / 100, std::cos(r + v.skew));
    return m;
}

void setScaleRotation(DisplayObject& o, const ScaleRotation& v) {
    swf::Matrix& m = o.matrix;
    const swf::Matrix turned = matrixOf(v);
    m.a = turned.a, m.b = turned.b, m.c = turned.c, m.d = turned.d;
    o.scriptScale =
        DisplayObject::ScriptScale{v.xscale, v.yscale, v.rotation, v.skew, m.a, m.b, m.c, m.d};
}

// Pixels to twips, NaN as 0 and kept inside the file's 32-bit range. An infinite position
// lands on the lowest twip, either way (set_property_values).
int32_t twips(double px) {
    if (!std::isfinite(px * 20)) {
        return std::isnan(px) ? 0 : INT32_MIN;
    }
    return int32_t(std::clamp(std::round(px * 20), double(INT32_MIN), double(INT32_MAX)));
}

// Degrees brought within a half turn either way. A half turn keeps the sign it was given:
// 180 reads 180 and -180 reads -180, while 540 reads 180 and 181 reads -179.
double halfTurns(double degrees) {
    double r = std::fmod(degrees, 360.0);
    if (r > 180) {
        r -= 360;
    } else if (r < -180) {
        r += 360;
    }
    return r;
}

// _width and _height: the clip's size in its parent becomes the one wanted along that axis and
// stays as it is (on whole twips) along the other. Both scales are then taken against the clip
// turned but not scaled, so that _xscale follows the parent's x and _yscale its y whatever the
// rotation; the rotation stays. A clip without size along the axis set stays as it is, and a
// scale whose turned size is nothing keeps its value. A negative size is refused: a size sets
// how far the clip reaches, never which way it faces, so a flipped clip stays flipped.
bool setSize(DisplayObject& clip, bool width, double size) {
    if (!std::isfinite(size) || size < 0) {
        return false;
    }
    const QRectF now = parentBounds(clip);
    ScaleRotation v = scaleRotationOf(clip);
    const auto turnedOnly =
        contentBounds(clip, toTransform(matrixOf({100, 100, v.rotation, v.skew})), true);
    if (!turnedOnly) {
        return false;
    }
    const double turnedWidth = turnedOnly->width() / 20;
    const double turnedHeight = turnedOnly->height() / 20;
    // A size that is no positive number (a turn by NaN gives one) scales nothing.
    auto measurable = [](double turned) { return turned > 0 && std::isfinite(turned); };
    if (!measurable(width ? turnedWidth : turnedHeight)) {
        return false;
    }
    auto rescale = [&](double old, double wanted, double turned) {
        return measurable(turned) ? std::copysign(100.0, old) * wanted / turned : old;
    };
    v.xscale = rescale(v.xscale, width ? size : now.width(), turnedWidth);
    v.yscale = rescale(v.yscale, width ? now.height() : size, turnedHeight);
    setScaleRotation(clip, v);
    return true;
}

constexpr std::array<const char*, 4> kQualityNames = {"LOW", "MEDIUM", "HIGH", "BEST"};

// _highquality: 0 low, 1 high, 2 best.
double highQualityValue(Player::Quality q) {
    return q == Player::Quality::Low ? 0 : q == Player::Quality::Best ? 2 : 1;
}

// Whole numbers count: 2 and above ask for the best quality, 0 for low, anything else
// (negative numbers too) for high.
Player::Quality qualityFromHighQuality(double n) {
    const double whole = std::trunc(n);
    if (whole >= 2) {
        return Player::Quality::Best;
    }
    return whole == 0 ? Player::Quality::Low : Player::Quality::High;
}

// A number of seconds cut to a whole 32-bit number; what does not fit (infinities too) is
// the lowest one.
int32_t wholeSeconds(double n) {
    const double whole = std::trunc(n);
    if (!(whole >= double(INT32_MIN) && whole <= double(INT32_MAX))) {
        return INT32_MIN;
    }
    return int32_t(whole);
}

QPointF localMouse(const Player& player, const DisplayObject& clip) {
    bool ok = false;
    const QTransform inv = worldTransform(clip).inverted(&ok);
    // Before the mouse has been over the movie it counts as at the stage's origin.
    const QPointF mouse = player.mousePosition().x() < -1e8 ? QPointF() : player.mousePosition();
    const QPointF p = inv.map(mouse * 20.0);
    return ok ? p / 20.0 : QPointF();
}

}  // namespace

QString numberText(double v) {
    if (std::isnan(v)) {
        return QStringLiteral("NaN");
    }
    if (std::isinf(v)) {
        return v > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    }
    if (v == std::floor(v) && std::abs(v) < 1e15) {
        return QString::number(qint64(v));
    }
    return QString::number(v, 'g', 15);
}

std::optional<double> clipPropertyNumber(const Player& player, const DisplayObject& clip,
                                         int index) {
    const swf::Matrix& m = clip.matrix;
    switch (index) {
        case 0:
            return m.tx / 20.0;
        case 1:
            return m.ty / 20.0;
        case 2:
            return scaleRotationOf(clip).xscale;
        case 3:
            return scaleRotationOf(clip).yscale;
        case 4:
            // An empty clip made by a script has no frame to count.
            return clip.isClip() ? (clip.timeline ? std::max(clip.frame, 0) + 1 : 0) : 1;
        case 5:
            return clip.isClip() ? clip.reportedTotalFrames() : 1;
        case 6:
            return clip.colorTransform.aMult / 256.0 * 100;
        case 7:
            return clip.visible ? 1 : 0;
        case 8:
            return parentBounds(clip).width();
        case 9:
            return parentBounds(clip).height();
        case 10:
            return scaleRotationOf(clip).rotation;
        case 12:
            return clip.isClip() ? clip.reportedFramesLoaded() : 1;
        case 16:
            return highQualityValue(player.quality());
        case 17:
            return 1;
        case 18:
            return player.soundBufferTime();
        case 20:
            return localMouse(player, clip).x();
        case 21:
            return localMouse(player, clip).y();
        default:
            return std::nullopt;
    }
}

std::optional<QString> clipPropertyText(const Player& player, const DisplayObject& clip,
                                        int index) {
    switch (index) {
        case 11:
            return player.targetPath(clip, true);
        case 13:
            return clip.name;
        case 14: {
            const DisplayObject* drop = player.dropTargetOf(clip);
            return drop ? player.targetPath(*drop, true) : QString();
        }
        case 15:
            if (!clip.failedUrl.isEmpty()) {
                return clip.failedUrl;
            }
            return clip.movie ? clip.movie->url : QString();
        case 19:
            return QString::fromLatin1(kQualityNames[size_t(player.quality())]);
        default:
            if (auto n = clipPropertyNumber(player, clip, index)) {
                return numberText(*n);
            }
            return std::nullopt;
    }
}

namespace {

bool applyClipProperty(Player& player, DisplayObject& clip, int index, const QString& value) {
    bool ok = false;
    const double n = value.toDouble(&ok);
    if (std::isnan(n)) {
        ok = false;  // what is not a number leaves the clip as it is
    }
    swf::Matrix& m = clip.matrix;
    switch (index) {
        case 0:
            if (ok) {
                m.tx = twips(n);
            }
            return ok;
        case 1:
            if (ok) {
                m.ty = twips(n);
            }
            return ok;
        case 2:
        case 3:
            if (ok) {
                ScaleRotation v = scaleRotationOf(clip);
                (index == 2 ? v.xscale : v.yscale) = n;
                setScaleRotation(clip, v);
            }
            return ok;
        case 6:
            if (ok) {
                // An infinite alpha is no alpha at all rather than the largest one.
                clip.colorTransform.aMult =
                    std::isinf(n) ? 0 : int16_t(std::clamp(n * 2.56, -32768.0, 32767.0));
            }
            return ok;
        case 7:
            if (value.isEmpty()) {
                return false;  // no value: stays as it is
            }
            clip.visible = ok ? n != 0 : value.compare(u"true", Qt::CaseInsensitive) == 0;
            if (!clip.visible) {
                player.objectGone(clip);  // a hidden object cannot keep the focus
            }
            return true;
        case 8:
        case 9:
            return ok && !clip.field && setSize(clip, index == 8, n);
        case 10:
            if (ok) {
                ScaleRotation v = scaleRotationOf(clip);
                v.rotation = halfTurns(n);
                setScaleRotation(clip, v);
            }
            return ok;
        case 13:
            clip.rename(value);
            return true;
        case 16:
            if (ok) {
                player.setQuality(qualityFromHighQuality(n));
            }
            return ok;
        case 18:
            if (ok) {
                player.setSoundBufferTime(wholeSeconds(n));
            }
            return ok;
        case 19:
            // A name that is no quality leaves the quality as it is.
            for (size_t i = 0; i < kQualityNames.size(); ++i) {
                if (value.compare(QLatin1String(kQualityNames[i]), Qt::CaseInsensitive) == 0) {
                    player.setQuality(Player::Quality(i));
                }
            }
            return true;
        default:
            return false;
    }
}

// The properties that place or tint the object: setting one takes it over from its timeline.
bool isTransformProperty(int index) {
    return (index >= 0 && index <= 3) || (index >= 8 && index <= 10) || index == 6;
}

}  // namespace

bool setClipProperty(Player& player, DisplayObject& clip, int index, const QString& value) {
    const bool applied = applyClipProperty(player, clip, index, value);
    if (applied && isTransformProperty(index)) {
        clip.scriptTransformed = true;
    }
    return applied;
}

}  // namespace pencora::runtime
