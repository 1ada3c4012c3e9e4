#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace pencora::flash::video {

// Reads a packet's bits most significant first. Past the end it reads zeros and remembers
// that it went there, so a cut packet ends in an error rather than in a read out of bounds.
class BitReader {
  public:
    explicit BitReader(std::span<const uint8_t> data) : data_(data) {}

    // The next `count` bits (at most 32) without moving on.
    uint32_t peek(int count) const {
        uint64_t value = 0;
        for (int i = 0; i < 5; ++i) {
            const size_t byte = pos_ / 8 + size_t(i);
            value = (value << 8) | (byte < data_.size() ? data_[byte] : 0u);
        }
        const int shift = 40 - int(pos_ % 8) - count;
        return uint32_t((value >> shift) & ((uint64_t(1) << count) - 1));
    }

    void skip(int count) { pos_ += size_t(count); }

    uint32_t read(int count) {
        const uint32_t value = peek(count);
        skip(count);
        return value;
    }

    // `count` bits as a two's complement number.
    int readSigned(int count) {
        const uint32_t value = read(count);
        const uint32_t sign = 1u << (count - 1);
        return int(value ^ sign) - int(sign);
    }

    bool overrun() const { return pos_ > data_.size() * 8; }

  private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
};

}  // namespace pencora::flash::video
