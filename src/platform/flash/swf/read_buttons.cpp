#include "platform/flash/swf/tag_readers.h"

namespace pencora::swf::detail {

namespace {

// The flag byte that ends the shadow, glow and bevel filters. Bevel-like filters give one of
// the pass-count bits to "on top".
void readFilterFlags(ByteReader& r, Filter& f, bool hasOnTop) {
    const uint8_t b = r.u8();
    f.inner = b & 0x80;
    f.knockout = b & 0x40;
    f.compositeSource = b & 0x20;
    if (hasOnTop) {
        f.onTop = b & 0x10;
        f.passes = b & 0x0f;
    } else {
        f.passes = b & 0x1f;
    }
}

Filter readFilter(ByteReader& r) {
    Filter f;
    uint8_t type = r.u8();
    if (type > 7) {
        r.fail("unknown filter " + std::to_string(type));
    }
    f.type = static_cast<FilterType>(type);
    switch (f.type) {
        case FilterType::DropShadow: {
            f.color = readRgba(r);
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.angle = r.fixed16();
            f.distance = r.fixed16();
            f.strength = r.fixed8();
            readFilterFlags(r, f, false);
            break;
        }
        case FilterType::Blur: {
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.passes = r.u8() >> 3;
            break;
        }
        case FilterType::Glow: {
            f.color = readRgba(r);
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.strength = r.fixed8();
            readFilterFlags(r, f, false);
            break;
        }
        case FilterType::Bevel:
        case FilterType::GradientGlow:
        case FilterType::GradientBevel: {
            if (f.type == FilterType::Bevel) {
                f.color = readRgba(r);
                f.highlightColor = readRgba(r);
            } else {
                uint8_t n = r.u8();
                for (unsigned i = 0; i < n; ++i) {
                    f.gradientColors.push_back(readRgba(r));
                }
                for (unsigned i = 0; i < n; ++i) {
                    f.gradientRatios.push_back(r.u8());
                }
            }
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.angle = r.fixed16();
            f.distance = r.fixed16();
            f.strength = r.fixed8();
            readFilterFlags(r, f, true);
            break;
        }
        case FilterType::Convolution: {
            f.matrixX = r.u8();
            f.matrixY = r.u8();
            f.divisor = r.f32();
            f.bias = r.f32();
            size_t n = static_cast<size_t>(f.matrixX) * f.matrixY;
            if (n * 4 > r.remaining()) {
                r.fail("convolution matrix larger than the record");
            }
            for (size_t i = 0; i < n; ++i) {
                f.matrix.push_back(r.f32());
            }
            f.defaultColor = readRgba(r);
            uint8_t b = r.u8();
            f.clamp = b & 0x02;
            f.preserveAlpha = b & 0x01;
            break;
        }
        case FilterType::ColorMatrix: {
            for (int i = 0; i < 20; ++i) {
                f.matrix.push_back(r.f32());
            }
            break;
        }
    }
    return f;
}

BlendMode blendMode(uint8_t v) {
    return v >= 1 && v <= 14 ? static_cast<BlendMode>(v) : BlendMode::Normal;
}

}  // namespace

std::vector<Filter> readFilterList(ByteReader& r) {
    uint8_t count = r.u8();
    std::vector<Filter> filters;
    for (unsigned i = 0; i < count; ++i) {
        filters.push_back(readFilter(r));
    }
    return filters;
}

Button readDefineButton(ByteReader& r, uint8_t version) {
    Button button;
    button.version = version;
    button.id = r.u16();
    uint16_t actionOffset = 0;
    size_t afterOffset = 0;
    if (version >= 2) {
        button.trackAsMenu = r.u8() & 0x01;
        afterOffset = r.position();
        actionOffset = r.u16();
    }
    for (;;) {
        uint8_t flags = r.u8();
        if (flags == 0) {
            break;
        }
        ButtonRecord rec;
        rec.states = flags & 0x0f;
        rec.characterId = r.u16();
        rec.depth = r.u16();
        rec.matrix = readMatrix(r);
        if (version >= 2) {
            rec.colorTransform = readColorTransform(r, true);
            if (flags & 0x10) {
                rec.filters = readFilterList(r);
            }
            if (flags & 0x20) {
                rec.blendMode = blendMode(r.u8());
            }
        }
        button.records.push_back(std::move(rec));
    }
    if (version < 2) {
        ButtonCondAction a;
        a.conditions = button_condition::OverDownToOverUp;
        a.actions.fileOffset = uint32_t(r.fileOffset());
        auto bytes = r.rest();
        a.actions.assign(bytes.begin(), bytes.end());
        button.actions.push_back(std::move(a));
        return button;
    }
    if (actionOffset == 0) {
        return button;
    }
    if (afterOffset + actionOffset > r.position() + r.remaining() ||
        afterOffset + actionOffset < r.position()) {
        r.fail("action offset out of range");
    }
    r.skip(afterOffset + actionOffset - r.position());
    for (;;) {
        uint16_t size = r.u16();
        uint8_t c1 = r.u8();
        uint8_t c2 = r.u8();
        ButtonCondAction a;
        // Stored most significant first: IdleToOverDown, OutDownToIdle, OutDownToOverDown,
        // OverDownToOutDown, OverDownToOverUp, OverUpToOverDown, OverUpToIdle, IdleToOverUp,
        // then a 7-bit key code and OverDownToIdle.
        using namespace button_condition;
        if (c1 & 0x80) {
            a.conditions |= IdleToOverDown;
        }
        if (c1 & 0x40) {
            a.conditions |= OutDownToIdle;
        }
        if (c1 & 0x20) {
            a.conditions |= OutDownToOverDown;
        }
        if (c1 & 0x10) {
            a.conditions |= OverDownToOutDown;
        }
        if (c1 & 0x08) {
            a.conditions |= OverDownToOverUp;
        }
        if (c1 & 0x04) {
            a.conditions |= OverUpToOverDown;
        }
        if (c1 & 0x02) {
            a.conditions |= OverUpToIdle;
        }
        if (c1 & 0x01) {
            a.conditions |= IdleToOverUp;
        }
        if (c2 & 0x01) {
            a.conditions |= OverDownToIdle;
        }
        a.keyCode = c2 >> 1;
        std::span<const uint8_t> bytes;
        a.actions.fileOffset = uint32_t(r.fileOffset());
        if (size == 0) {
            bytes = r.rest();
        } else {
            if (size < 4 || size_t{size} - 4 > r.remaining()) {
                r.fail("button condition of size " + std::to_string(size) + " out of range");
            }
            bytes = r.bytes(size - 4);
        }
        a.actions.assign(bytes.begin(), bytes.end());
        button.actions.push_back(std::move(a));
        if (size == 0 || r.atEnd()) {
            break;
        }
    }
    return button;
}

void readDefineButtonSound(ByteReader& r, Button& button) {
    for (auto& sound : button.sounds) {
        sound.soundId = r.u16();
        if (sound.soundId != 0) {
            sound.info = readSoundInfo(r);
        }
    }
}

}  // namespace pencora::swf::detail
