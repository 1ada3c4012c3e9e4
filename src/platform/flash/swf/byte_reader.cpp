#include "platform/flash/swf/byte_reader.h"

#include <cstdio>
#include <cstring>

namespace pencora::swf {

void ByteReader::fail(const std::string& what) const {
    char where[32];
    std::snprintf(where, sizeof where, "0x%zx", fileOffset());
    throw ParseError(std::string(record_) + " at offset " + where + ": " + what);
}

void ByteReader::need(size_t n) const {
    if (n > remaining()) {
        fail("needs " + std::to_string(n) + " bytes, " + std::to_string(remaining()) + " left");
    }
}

uint8_t ByteReader::u8() {
    need(1);
    return data_[pos_++];
}

uint16_t ByteReader::u16() {
    need(2);
    uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
}

uint32_t ByteReader::u32() {
    need(4);
    uint32_t v = static_cast<uint32_t>(data_[pos_]) | (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
                 (static_cast<uint32_t>(data_[pos_ + 2]) << 16) |
                 (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
}

double ByteReader::fixed8() { return s16() / 256.0; }

double ByteReader::fixed16() { return s32() / 65536.0; }

float ByteReader::f32() {
    uint32_t bits = u32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

uint32_t ByteReader::encodedU32() {
    uint32_t value = 0;
    for (unsigned i = 0; i < 5; ++i) {
        uint8_t b = u8();
        value |= static_cast<uint32_t>(b & 0x7f) << (7 * i);
        if ((b & 0x80) == 0) {
            break;
        }
    }
    return value;
}

std::string ByteReader::string() {
    const uint8_t* begin = data_.data() + pos_;
    const void* nul = std::memchr(begin, 0, remaining());
    if (nul == nullptr) {
        fail("string without terminator");
    }
    size_t len = static_cast<const uint8_t*>(nul) - begin;
    std::string s(reinterpret_cast<const char*>(begin), len);
    pos_ += len + 1;
    return s;
}

std::span<const uint8_t> ByteReader::bytes(size_t n) {
    need(n);
    auto s = data_.subspan(pos_, n);
    pos_ += n;
    return s;
}

ByteReader ByteReader::sub(size_t n, const char* record) {
    size_t offset = fileOffset();
    return ByteReader(bytes(n), record, offset);
}

uint32_t BitReader::ub(unsigned n) {
    if (n > 32) {
        bytes_.fail("bit field wider than 32 bits");
    }
    uint32_t value = 0;
    while (n > 0) {
        if (left_ == 0) {
            current_ = bytes_.u8();
            left_ = 8;
        }
        unsigned take = n < left_ ? n : left_;
        uint32_t bits = (current_ >> (left_ - take)) & ((1u << take) - 1);
        value = take == 32 ? bits : (value << take) | bits;
        left_ -= take;
        n -= take;
    }
    return value;
}

int32_t BitReader::sb(unsigned n) {
    if (n == 0) {
        return 0;
    }
    uint32_t v = ub(n);
    if (n < 32 && (v & (1u << (n - 1)))) {
        v |= ~((1u << n) - 1);
    }
    return static_cast<int32_t>(v);
}

Rect readRect(ByteReader& r) {
    BitReader bits(r);
    unsigned n = bits.ub(5);
    Rect rect;
    rect.xMin = bits.sb(n);
    rect.xMax = bits.sb(n);
    rect.yMin = bits.sb(n);
    rect.yMax = bits.sb(n);
    return rect;
}

Matrix readMatrix(ByteReader& r) {
    BitReader bits(r);
    Matrix m;
    if (bits.flag()) {
        unsigned n = bits.ub(5);
        m.a = bits.fb(n);
        m.d = bits.fb(n);
    }
    if (bits.flag()) {
        unsigned n = bits.ub(5);
        m.b = bits.fb(n);
        m.c = bits.fb(n);
    }
    unsigned n = bits.ub(5);
    m.tx = bits.sb(n);
    m.ty = bits.sb(n);
    return m;
}

ColorTransform readColorTransform(ByteReader& r, bool withAlpha) {
    BitReader bits(r);
    bool hasAdd = bits.flag();
    bool hasMult = bits.flag();
    unsigned n = bits.ub(4);
    ColorTransform cx;
    if (hasMult) {
        cx.rMult = static_cast<int16_t>(bits.sb(n));
        cx.gMult = static_cast<int16_t>(bits.sb(n));
        cx.bMult = static_cast<int16_t>(bits.sb(n));
        if (withAlpha) {
            cx.aMult = static_cast<int16_t>(bits.sb(n));
        }
    }
    if (hasAdd) {
        cx.rAdd = static_cast<int16_t>(bits.sb(n));
        cx.gAdd = static_cast<int16_t>(bits.sb(n));
        cx.bAdd = static_cast<int16_t>(bits.sb(n));
        if (withAlpha) {
            cx.aAdd = static_cast<int16_t>(bits.sb(n));
        }
    }
    return cx;
}

}  // namespace pencora::swf
