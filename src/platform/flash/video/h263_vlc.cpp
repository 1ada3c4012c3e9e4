#include "platform/flash/video/h263_vlc.h"

#include <algorithm>
#include <array>
#include <span>
#include <vector>

namespace pencora::flash::video::h263 {

namespace {

// A table's codes as written in the bitstream, with what each stands for.
struct Code {
    const char* bits;
    int value;
};

// Decodes a prefix-free table through a lookup of its longest code's width.
class Vlc {
  public:
    explicit Vlc(std::span<const Code> codes) {
        for (const Code& c : codes) {
            width_ = std::max(width_, length(c.bits));
        }
        entries_.assign(size_t(1) << width_, Entry{});
        for (const Code& c : codes) {
            const int len = length(c.bits);
            uint32_t code = 0;
            for (const char* p = c.bits; *p; ++p) {
                if (*p != ' ') {
                    code = (code << 1) | uint32_t(*p == '1');
                }
            }
            const uint32_t first = code << (width_ - len);
            for (uint32_t i = 0; i < (1u << (width_ - len)); ++i) {
                entries_[first + i] = Entry{c.value, len};
            }
        }
    }

    std::optional<int> read(BitReader& bits) const {
        const Entry& e = entries_[bits.peek(width_)];
        if (e.length == 0) {
            return std::nullopt;
        }
        bits.skip(e.length);
        return e.value;
    }

  private:
    struct Entry {
        int value = 0;
        int length = 0;
    };
    static int length(const char* bits) {
        int n = 0;
        for (const char* p = bits; *p; ++p) {
            n += *p != ' ';
        }
        return n;
    }
    int width_ = 0;
    std::vector<Entry> entries_;
};

constexpr int kStuffing = 99;

// Macroblock type * 4 + chroma bits.
constexpr Code kIntraMcbpc[] = {
    {"1", 12},       {"001", 13},     {"010", 14},
    {"011", 15},     {"0001", 16},    {"0000 01", 17},
    {"0000 10", 18}, {"0000 11", 19}, {"0000 0000 1", kStuffing},
};

constexpr Code kInterMcbpc[] = {
    {"1", 0},
    {"0011", 1},
    {"0010", 2},
    {"0001 01", 3},
    {"011", 4},
    {"0000 111", 5},
    {"0000 110", 6},
    {"0000 0010 1", 7},
    {"010", 8},
    {"0000 101", 9},
    {"0000 100", 10},
    {"0000 0101", 11},
    {"0001 1", 12},
    {"0000 0100", 13},
    {"0000 0011", 14},
    {"0000 011", 15},
    {"0001 00", 16},
    {"0000 0010 0", 17},
    {"0000 0001 1", 18},
    {"0000 0001 0", 19},
    {"0000 0000 1", kStuffing},
};

constexpr Code kCbpy[] = {
    {"0011", 0},    {"0010 1", 1}, {"0010 0", 2}, {"1001", 3},    {"0001 1", 4}, {"0111", 5},
    {"0000 10", 6}, {"1011", 7},   {"0001 0", 8}, {"0000 11", 9}, {"0101", 10},  {"1010", 11},
    {"0100", 12},   {"1000", 13},  {"0110", 14},  {"11", 15},
};

// Size of the difference in half pixels; a sign bit follows every code but the first.
constexpr Code kMotion[] = {
    {"1", 0},
    {"01", 1},
    {"001", 2},
    {"0001", 3},
    {"0000 11", 4},
    {"0000 101", 5},
    {"0000 100", 6},
    {"0000 011", 7},
    {"0000 0101 1", 8},
    {"0000 0101 0", 9},
    {"0000 0100 1", 10},
    {"0000 0100 01", 11},
    {"0000 0100 00", 12},
    {"0000 0011 11", 13},
    {"0000 0011 10", 14},
    {"0000 0011 01", 15},
    {"0000 0011 00", 16},
    {"0000 0010 11", 17},
    {"0000 0010 10", 18},
    {"0000 0010 01", 19},
    {"0000 0010 00", 20},
    {"0000 0001 11", 21},
    {"0000 0001 10", 22},
    {"0000 0001 01", 23},
    {"0000 0001 00", 24},
    {"0000 0000 111", 25},
    {"0000 0000 110", 26},
    {"0000 0000 101", 27},
    {"0000 0000 100", 28},
    {"0000 0000 011", 29},
    {"0000 0000 010", 30},
    {"0000 0000 0011", 31},
    {"0000 0000 0010", 32},
};

// Coefficients: last * 4096 + run * 64 + level; a sign bit follows every code but the escape.
constexpr int kEscape = -1;
constexpr int rl(int last, int run, int level) {
    return last * 4096 + run * 64 + level;
}
constexpr Code kCoefficients[] = {
    {"10", rl(0, 0, 1)},
    {"1111", rl(0, 0, 2)},
    {"0101 01", rl(0, 0, 3)},
    {"0010 111", rl(0, 0, 4)},
    {"0001 1111", rl(0, 0, 5)},
    {"0001 0010 1", rl(0, 0, 6)},
    {"0001 0010 0", rl(0, 0, 7)},
    {"0000 1000 01", rl(0, 0, 8)},
    {"0000 1000 00", rl(0, 0, 9)},
    {"0000 0000 111", rl(0, 0, 10)},
    {"0000 0000 110", rl(0, 0, 11)},
    {"0000 0100 000", rl(0, 0, 12)},
    {"110", rl(0, 1, 1)},
    {"0101 00", rl(0, 1, 2)},
    {"0001 1110", rl(0, 1, 3)},
    {"0000 0011 11", rl(0, 1, 4)},
    {"0000 0100 001", rl(0, 1, 5)},
    {"0000 0101 0000", rl(0, 1, 6)},
    {"1110", rl(0, 2, 1)},
    {"0001 1101", rl(0, 2, 2)},
    {"0000 0011 10", rl(0, 2, 3)},
    {"0000 0101 0001", rl(0, 2, 4)},
    {"0110 1", rl(0, 3, 1)},
    {"0001 0001 1", rl(0, 3, 2)},
    {"0000 0011 01", rl(0, 3, 3)},
    {"0110 0", rl(0, 4, 1)},
    {"0001 0001 0", rl(0, 4, 2)},
    {"0000 0101 0010", rl(0, 4, 3)},
    {"0101 1", rl(0, 5, 1)},
    {"0000 0011 00", rl(0, 5, 2)},
    {"0000 0101 0011", rl(0, 5, 3)},
    {"0100 11", rl(0, 6, 1)},
    {"0000 0010 11", rl(0, 6, 2)},
    {"0000 0101 0100", rl(0, 6, 3)},
    {"0100 10", rl(0, 7, 1)},
    {"0000 0010 10", rl(0, 7, 2)},
    {"0100 01", rl(0, 8, 1)},
    {"0000 0010 01", rl(0, 8, 2)},
    {"0100 00", rl(0, 9, 1)},
    {"0000 0010 00", rl(0, 9, 2)},
    {"0010 110", rl(0, 10, 1)},
    {"0000 0101 0101", rl(0, 10, 2)},
    {"0010 101", rl(0, 11, 1)},
    {"0010 100", rl(0, 12, 1)},
    {"0001 1100", rl(0, 13, 1)},
    {"0001 1011", rl(0, 14, 1)},
    {"0001 0000 1", rl(0, 15, 1)},
    {"0001 0000 0", rl(0, 16, 1)},
    {"0000 1111 1", rl(0, 17, 1)},
    {"0000 1111 0", rl(0, 18, 1)},
    {"0000 1110 1", rl(0, 19, 1)},
    {"0000 1110 0", rl(0, 20, 1)},
    {"0000 1101 1", rl(0, 21, 1)},
    {"0000 1101 0", rl(0, 22, 1)},
    {"0000 0100 010", rl(0, 23, 1)},
    {"0000 0100 011", rl(0, 24, 1)},
    {"0000 0101 0110", rl(0, 25, 1)},
    {"0000 0101 0111", rl(0, 26, 1)},
    {"0111", rl(1, 0, 1)},
    {"0000 1100 1", rl(1, 0, 2)},
    {"0000 0000 101", rl(1, 0, 3)},
    {"0011 11", rl(1, 1, 1)},
    {"0000 0000 100", rl(1, 1, 2)},
    {"0011 10", rl(1, 2, 1)},
    {"0011 01", rl(1, 3, 1)},
    {"0011 00", rl(1, 4, 1)},
    {"0010 011", rl(1, 5, 1)},
    {"0010 010", rl(1, 6, 1)},
    {"0010 001", rl(1, 7, 1)},
    {"0010 000", rl(1, 8, 1)},
    {"0001 1010", rl(1, 9, 1)},
    {"0001 1001", rl(1, 10, 1)},
    {"0001 1000", rl(1, 11, 1)},
    {"0001 0111", rl(1, 12, 1)},
    {"0001 0110", rl(1, 13, 1)},
    {"0001 0101", rl(1, 14, 1)},
    {"0001 0100", rl(1, 15, 1)},
    {"0001 0011", rl(1, 16, 1)},
    {"0000 1100 0", rl(1, 17, 1)},
    {"0000 1011 1", rl(1, 18, 1)},
    {"0000 1011 0", rl(1, 19, 1)},
    {"0000 1010 1", rl(1, 20, 1)},
    {"0000 1010 0", rl(1, 21, 1)},
    {"0000 1001 1", rl(1, 22, 1)},
    {"0000 1001 0", rl(1, 23, 1)},
    {"0000 1000 1", rl(1, 24, 1)},
    {"0000 0001 11", rl(1, 25, 1)},
    {"0000 0001 10", rl(1, 26, 1)},
    {"0000 0001 01", rl(1, 27, 1)},
    {"0000 0001 00", rl(1, 28, 1)},
    {"0000 0100 100", rl(1, 29, 1)},
    {"0000 0100 101", rl(1, 30, 1)},
    {"0000 0100 110", rl(1, 31, 1)},
    {"0000 0100 111", rl(1, 32, 1)},
    {"0000 0101 1000", rl(1, 33, 1)},
    {"0000 0101 1001", rl(1, 34, 1)},
    {"0000 0101 1010", rl(1, 35, 1)},
    {"0000 0101 1011", rl(1, 36, 1)},
    {"0000 0101 1100", rl(1, 37, 1)},
    {"0000 0101 1101", rl(1, 38, 1)},
    {"0000 0101 1110", rl(1, 39, 1)},
    {"0000 0101 1111", rl(1, 40, 1)},
    {"0000 011", kEscape},
};

std::optional<Mcbpc> mcbpc(const Vlc& table, BitReader& bits) {
    const auto v = table.read(bits);
    if (!v) {
        return std::nullopt;
    }
    if (*v == kStuffing) {
        return Mcbpc{0, 0, true};
    }
    return Mcbpc{*v / 4, *v % 4, false};
}

// After an escape: the last flag, the run and the level as plain bits.
std::optional<Coefficient> escaped(BitReader& bits, int version) {
    const bool wide = version == 1 && bits.read(1) != 0;
    Coefficient c;
    c.last = bits.read(1) != 0;
    c.run = int(bits.read(6));
    c.level = bits.readSigned(version == 1 ? (wide ? 11 : 7) : 8);
    if (c.level == 0) {
        return std::nullopt;
    }
    return c;
}

}  // namespace

std::optional<Mcbpc> readIntraMcbpc(BitReader& bits) {
    static const Vlc table(kIntraMcbpc);
    return mcbpc(table, bits);
}

std::optional<Mcbpc> readInterMcbpc(BitReader& bits) {
    static const Vlc table(kInterMcbpc);
    return mcbpc(table, bits);
}

std::optional<int> readCbpy(BitReader& bits) {
    static const Vlc table(kCbpy);
    return table.read(bits);
}

std::optional<int> readMotionDelta(BitReader& bits) {
    static const Vlc table(kMotion);
    const auto v = table.read(bits);
    if (!v || *v == 0) {
        return v;
    }
    return bits.read(1) ? -*v : *v;
}

std::optional<Coefficient> readCoefficient(BitReader& bits, int version) {
    static const Vlc table(kCoefficients);
    const auto v = table.read(bits);
    if (!v) {
        return std::nullopt;
    }
    if (*v == kEscape) {
        return escaped(bits, version);
    }
    Coefficient c{*v >= 4096, (*v % 4096) / 64, *v % 64};
    if (bits.read(1)) {
        c.level = -c.level;
    }
    return c;
}

}  // namespace pencora::flash::video::h263
