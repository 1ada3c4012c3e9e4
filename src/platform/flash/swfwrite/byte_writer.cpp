#include "platform/flash/swfwrite/byte_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace pencora::swfwrite {

unsigned signedBits(int64_t v) {
    unsigned n = 1;
    while (v < -(int64_t{1} << (n - 1)) || v >= (int64_t{1} << (n - 1))) {
        ++n;
    }
    return n;
}

unsigned unsignedBits(uint64_t v) {
    unsigned n = 0;
    while (v >> n) {
        ++n;
    }
    return n;
}

void ByteWriter::u16(uint16_t v) {
    u8(static_cast<uint8_t>(v));
    u8(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::u32(uint32_t v) {
    u16(static_cast<uint16_t>(v));
    u16(static_cast<uint16_t>(v >> 16));
}

void ByteWriter::fixed8(double v) {
    s16(static_cast<int16_t>(std::lround(v * 256.0)));
}

void ByteWriter::fixed16(double v) {
    u32(static_cast<uint32_t>(std::llround(v * 65536.0)));
}

void ByteWriter::f32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u32(bits);
}

void ByteWriter::encodedU32(uint32_t v) {
    do {
        uint8_t b = v & 0x7f;
        v >>= 7;
        u8(v ? (b | 0x80) : b);
    } while (v);
}

void ByteWriter::string(std::string_view s) {
    out_.insert(out_.end(), s.begin(), s.end());
    u8(0);
}

void BitWriter::ub(uint32_t v, unsigned n) {
    for (unsigned i = n; i-- > 0;) {
        current_ = (current_ << 1) | ((v >> i) & 1);
        if (++used_ == 8) {
            out_.u8(static_cast<uint8_t>(current_));
            current_ = 0;
            used_ = 0;
        }
    }
}

void BitWriter::flush() {
    if (used_ > 0) {
        out_.u8(static_cast<uint8_t>(current_ << (8 - used_)));
        current_ = 0;
        used_ = 0;
    }
}

void writeRect(ByteWriter& w, const swf::Rect& r) {
    unsigned n =
        std::max({signedBits(r.xMin), signedBits(r.xMax), signedBits(r.yMin), signedBits(r.yMax)});
    if (n > 31) {
        // The field size has five bits; a wider value would be written as a zero-sized rect.
        throw std::out_of_range("rectangle coordinate needs more than 31 bits");
    }
    BitWriter bits(w);
    bits.ub(n, 5);
    bits.sb(r.xMin, n);
    bits.sb(r.xMax, n);
    bits.sb(r.yMin, n);
    bits.sb(r.yMax, n);
}

void writeMatrix(ByteWriter& w, const swf::Matrix& m) {
    auto fixed = [](double v) { return static_cast<int32_t>(std::lround(v * 65536.0)); };
    BitWriter bits(w);
    const bool hasScale = m.a != 1.0 || m.d != 1.0;
    bits.flag(hasScale);
    if (hasScale) {
        unsigned n = std::max(signedBits(fixed(m.a)), signedBits(fixed(m.d)));
        bits.ub(n, 5);
        bits.sb(fixed(m.a), n);
        bits.sb(fixed(m.d), n);
    }
    const bool hasRotate = m.b != 0.0 || m.c != 0.0;
    bits.flag(hasRotate);
    if (hasRotate) {
        unsigned n = std::max(signedBits(fixed(m.b)), signedBits(fixed(m.c)));
        bits.ub(n, 5);
        bits.sb(fixed(m.b), n);
        bits.sb(fixed(m.c), n);
    }
    unsigned n = (m.tx == 0 && m.ty == 0) ? 0 : std::max(signedBits(m.tx), signedBits(m.ty));
    bits.ub(n, 5);
    bits.sb(m.tx, n);
    bits.sb(m.ty, n);
}

void writeColorTransform(ByteWriter& w, const swf::ColorTransform& cx, bool withAlpha) {
    const bool hasMult =
        cx.rMult != 256 || cx.gMult != 256 || cx.bMult != 256 || (withAlpha && cx.aMult != 256);
    const bool hasAdd = cx.rAdd != 0 || cx.gAdd != 0 || cx.bAdd != 0 || (withAlpha && cx.aAdd != 0);
    unsigned n = 1;
    if (hasMult) {
        n = std::max({n, signedBits(cx.rMult), signedBits(cx.gMult), signedBits(cx.bMult),
                      withAlpha ? signedBits(cx.aMult) : 1u});
    }
    if (hasAdd) {
        n = std::max({n, signedBits(cx.rAdd), signedBits(cx.gAdd), signedBits(cx.bAdd),
                      withAlpha ? signedBits(cx.aAdd) : 1u});
    }
    BitWriter bits(w);
    bits.flag(hasAdd);
    bits.flag(hasMult);
    bits.ub(n, 4);
    if (hasMult) {
        bits.sb(cx.rMult, n);
        bits.sb(cx.gMult, n);
        bits.sb(cx.bMult, n);
        if (withAlpha) {
            bits.sb(cx.aMult, n);
        }
    }
    if (hasAdd) {
        bits.sb(cx.rAdd, n);
        bits.sb(cx.gAdd, n);
        bits.sb(cx.bAdd, n);
        if (withAlpha) {
            bits.sb(cx.aAdd, n);
        }
    }
}

void writeRgb(ByteWriter& w, const swf::Rgba& c) {
    w.u8(c.r);
    w.u8(c.g);
    w.u8(c.b);
}

void writeRgba(ByteWriter& w, const swf::Rgba& c) {
    writeRgb(w, c);
    w.u8(c.a);
}

}  // namespace pencora::swfwrite
