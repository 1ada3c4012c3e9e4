// Bounded little-endian readers for the bytes of one record, and a short-lived bit reader
// for the packed fields inside it. Every read past the end throws ParseError naming the
// record and the file offset, so a record can never read beyond what it declared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

#include "platform/flash/swf/geometry.h"

namespace pencora::swf {

class ParseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ByteReader {
public:
    // `fileOffset` is where data[0] sits in the (uncompressed) file, for messages.
    ByteReader(std::span<const uint8_t> data, const char* record, size_t fileOffset = 0)
        : data_(data), record_(record), base_(fileOffset) {}

    size_t remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return pos_ == data_.size(); }
    size_t position() const { return pos_; }
    size_t fileOffset() const { return base_ + pos_; }
    const char* record() const { return record_; }

    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    int16_t s16() { return static_cast<int16_t>(u16()); }
    int32_t s32() { return static_cast<int32_t>(u32()); }
    double fixed8();   // signed 8.8
    double fixed16();  // signed 16.16
    float f32();
    uint32_t encodedU32();  // 1-5 bytes, 7 bits each
    std::string string();   // NUL-terminated; the terminator is consumed
    std::span<const uint8_t> bytes(size_t n);
    std::span<const uint8_t> rest() { return bytes(remaining()); }
    void skip(size_t n) { bytes(n); }

    // A reader over the next n bytes, which it consumes from this one.
    ByteReader sub(size_t n, const char* record);
    ByteReader sub(size_t n) { return sub(n, record_); }

    [[noreturn]] void fail(const std::string& what) const;

private:
    void need(size_t n) const;

    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    const char* record_;
    size_t base_;
};

// Reads bit fields most significant bit first, taking whole bytes from a ByteReader as it
// goes; the unused low bits of the last byte are dropped when it goes away, so the byte
// reader always stays on a byte boundary.
class BitReader {
public:
    explicit BitReader(ByteReader& bytes) : bytes_(bytes) {}

    uint32_t ub(unsigned n);
    int32_t sb(unsigned n);
    double fb(unsigned n) { return sb(n) / 65536.0; }
    bool flag() { return ub(1) != 0; }

private:
    ByteReader& bytes_;
    uint32_t current_ = 0;
    unsigned left_ = 0;
};

// Composite records read through their own bit reader, each starting on a byte boundary.
Rect readRect(ByteReader& r);
Matrix readMatrix(ByteReader& r);
ColorTransform readColorTransform(ByteReader& r, bool withAlpha);
inline Rgba readRgb(ByteReader& r) {
    Rgba c;
    c.r = r.u8();
    c.g = r.u8();
    c.b = r.u8();
    return c;
}
inline Rgba readRgba(ByteReader& r) {
    Rgba c = readRgb(r);
    c.a = r.u8();
    return c;
}

}  // namespace pencora::swf
