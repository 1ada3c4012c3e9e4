// Little-endian byte output and packed bit fields for building SWF records.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/flash/swf/geometry.h"

namespace pencora::swfwrite {

using Bytes = std::vector<uint8_t>;

// Bits needed to hold v as a signed / unsigned bit field.
unsigned signedBits(int64_t v);
unsigned unsignedBits(uint64_t v);

class ByteWriter {
public:
    void u8(uint8_t v) { out_.push_back(v); }
    void u16(uint16_t v);
    void u32(uint32_t v);
    void s16(int16_t v) { u16(static_cast<uint16_t>(v)); }
    void fixed8(double v);   // signed 8.8
    void fixed16(double v);  // signed 16.16
    void f32(float v);
    void encodedU32(uint32_t v);
    void string(std::string_view s);  // with its NUL
    void bytes(std::span<const uint8_t> b) { out_.insert(out_.end(), b.begin(), b.end()); }
    size_t size() const { return out_.size(); }
    Bytes& data() { return out_; }
    Bytes take() { return std::move(out_); }

private:
    Bytes out_;
};

// Writes bit fields most significant bit first; flush() pads the last byte with zeros.
class BitWriter {
public:
    explicit BitWriter(ByteWriter& out) : out_(out) {}
    ~BitWriter() { flush(); }
    void ub(uint32_t v, unsigned n);
    void sb(int32_t v, unsigned n) { ub(static_cast<uint32_t>(v), n); }
    void flag(bool v) { ub(v ? 1 : 0, 1); }
    void flush();

private:
    ByteWriter& out_;
    uint32_t current_ = 0;
    unsigned used_ = 0;
};

void writeRect(ByteWriter& w, const swf::Rect& r);
void writeMatrix(ByteWriter& w, const swf::Matrix& m);
void writeColorTransform(ByteWriter& w, const swf::ColorTransform& cx, bool withAlpha);
void writeRgb(ByteWriter& w, const swf::Rgba& c);
void writeRgba(ByteWriter& w, const swf::Rgba& c);

}  // namespace pencora::swfwrite
