// Our Sorenson H.263 decoder: the single-precision transform's rounding, the escaped
// coefficients of both format versions, and whole streams from the codec library's encoder
// held against the library's own decoding (which differs only where its transform rounds).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "moving_video.h"
#include "platform/flash/video/float_idct.h"
#include "platform/flash/video/h263_decoder.h"
#include "platform/flash/video/h263_vlc.h"
#include "platform/flash/video/video_decoder.h"

namespace pencora::flash::video {
namespace {

using Coefficients = std::array<int16_t, 64>;

// A block of a real movie's key frame (quantizer 6), and the same block upside down: its odd
// vertical frequencies change sign.
Coefficients movieBlock(bool upsideDown) {
    const int16_t rows[8][8] = {{1272, 65, 53, 53, 53, 53, 41, 17},
                                {-173, -17, -17, -17, -17, -17, -17, 0},
                                {-161, -17, -17, -17, -17, -17, 0, 0},
                                {-137, 0, 0, 0, 0, 0, 0, 0},
                                {-113, 0, 0, 0, 0, 0, 0, 0},
                                {-65, 0, 0, 0, 0, 0, 0, 0},
                                {-29, 0, 0, 0, 0, 0, 0, 0},
                                {0, 0, 0, 0, 0, 0, 0, 0}};
    Coefficients c{};
    for (int v = 0; v < 8; ++v) {
        for (int u = 0; u < 8; ++u) {
            c[size_t(v * 8 + u)] = int16_t(upsideDown && v % 2 ? -rows[v][u] : rows[v][u]);
        }
    }
    return c;
}

TEST(FloatIdct, AnUpsideDownBlockMayRoundOneSampleTheOtherWay) {
    const auto upright = inverseTransform(movieBlock(false));
    const auto flipped = inverseTransform(movieBlock(true));
    // Exactly, both samples are 56.500009; the movie's player shows 57 and 56.
    EXPECT_EQ(roundSample(upright[1]), 57);
    EXPECT_EQ(roundSample(flipped[7 * 8 + 1]), 56);
    int same = 0;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const float a = upright[size_t(y * 8 + x)];
            const float b = flipped[size_t((7 - y) * 8 + x)];
            EXPECT_NEAR(a, b, 1e-3);
            same += roundSample(a) == roundSample(b);
        }
    }
    EXPECT_EQ(same, 63);
}

TEST(FloatIdct, FlatBlocksAreTheirDcOverEight) {
    for (int16_t dc : {int16_t(8), int16_t(800), int16_t(1024), int16_t(-2048)}) {
        Coefficients c{};
        c[0] = dc;
        for (float v : inverseTransform(c)) {
            ASSERT_EQ(roundSample(v), dc / 8);
        }
    }
}

// Bits written as '0' and '1' characters, padded with zeros.
std::vector<uint8_t> bitsOf(const std::string& text) {
    std::vector<uint8_t> out;
    int n = 0;
    for (char ch : text) {
        if (ch != '0' && ch != '1') {
            continue;
        }
        if (n % 8 == 0) {
            out.push_back(0);
        }
        out.back() |= uint8_t((ch == '1') << (7 - n % 8));
        ++n;
    }
    out.resize(out.size() + 4, 0);
    return out;
}

std::optional<h263::Coefficient> coefficient(const std::string& text, int version) {
    const auto bytes = bitsOf(text);
    BitReader bits(bytes);
    return h263::readCoefficient(bits, version);
}

void expectCoefficient(const std::optional<h263::Coefficient>& c, bool last, int run, int level) {
    ASSERT_TRUE(c);
    EXPECT_EQ(c->last, last);
    EXPECT_EQ(c->run, run);
    EXPECT_EQ(c->level, level);
}

TEST(H263Codes, CoefficientsAndTheirEscapesInBothFormatVersions) {
    expectCoefficient(coefficient("10 1", 1), false, 0, -1);
    expectCoefficient(coefficient("0111 0", 0), true, 0, 1);
    expectCoefficient(coefficient("0000 0101 1111 0", 1), true, 40, 1);
    expectCoefficient(coefficient("0000 0100 000 1", 0), false, 0, -12);
    // Version 0: last, run, an 8-bit level.
    expectCoefficient(coefficient("0000011 1 000101 11111101", 0), true, 5, -3);
    // Version 1: a bit choosing a 7- or an 11-bit level first.
    expectCoefficient(coefficient("0000011 0 0 000000 1000000", 1), false, 0, -64);
    expectCoefficient(coefficient("0000011 1 1 111111 01111111111", 1), true, 63, 1023);
    EXPECT_FALSE(coefficient("0000011 0 000000 00000000", 0));  // a zero level
    EXPECT_FALSE(coefficient("0000 0000 0000 0", 1));           // no such code
}

// Every sample within 1 of the library's picture, and few of them off at all: the
// transforms differ only in how they round halves.
void expectClose(const h263::Picture& ours, const test::Planes& theirs) {
    ASSERT_EQ(ours.width, theirs.width);
    ASSERT_EQ(ours.height, theirs.height);
    int off = 0;
    auto compare = [&](const std::vector<uint8_t>& a, int stride, const std::vector<uint8_t>& b,
                       int w, int h) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int d = std::abs(a[size_t(y * stride + x)] - b[size_t(y * w + x)]);
                ASSERT_LE(d, 1) << "at " << x << "," << y;
                off += d;
            }
        }
    };
    const int cw = (ours.width + 1) / 2;
    const int ch = (ours.height + 1) / 2;
    compare(ours.y, ours.lumaStride(), theirs.y, ours.width, ours.height);
    compare(ours.u, ours.chromaStride(), theirs.u, cw, ch);
    compare(ours.v, ours.chromaStride(), theirs.v, cw, ch);
    EXPECT_LT(off, ours.width * ours.height / 100);
}

struct ClipCase {
    int width, height, quantizer;
};

class H263Streams : public testing::TestWithParam<ClipCase> {};

// Whole macroblocks and cut ones; fine quantizers (levels that need the 11-bit escape) and
// coarse ones; vectors that point past the picture's edges.
TEST_P(H263Streams, DecodeAsTheLibraryDoes) {
    const ClipCase c = GetParam();
    const test::EncodedClip clip = test::movingClip(c.width, c.height, 12, c.quantizer);
    if (clip.packets.empty()) {
        GTEST_SKIP() << "no Sorenson H.263 encoder";
    }
    ASSERT_EQ(clip.decoded.size(), clip.packets.size());
    h263::Decoder decoder;
    for (size_t i = 0; i < clip.packets.size(); ++i) {
        const h263::Picture* p = decoder.decode(clip.packets[i]);
        ASSERT_TRUE(p) << "packet " << i;
        expectClose(*p, clip.decoded[i]);
    }
    VideoDecoder shown(int(VideoCodec::SorensonH263));
    const auto first = shown.decode(clip.packets[0]);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->width, c.width);
    EXPECT_EQ(first->height, c.height);
}

INSTANTIATE_TEST_SUITE_P(Sizes, H263Streams,
                         testing::Values(ClipCase{176, 144, 1}, ClipCase{176, 144, 12},
                                         ClipCase{100, 70, 3}, ClipCase{40, 24, 31}));

// The picture type sits after the size: 17 + 5 + 8 bits of start code, version and
// reference, 3 of size code, then 0, 16 or 32 bits of size, which puts it in the same two bits
// of byte 4, 6 or 8.
std::vector<uint8_t> withType(std::vector<uint8_t> packet, int type) {
    const int sizeCode = ((packet[3] & 0x03) << 1) | (packet[4] >> 7);
    const size_t at = sizeCode == 0 ? 6 : sizeCode == 1 ? 8 : 4;
    packet[at] = uint8_t((packet[at] & ~0x60) | (type << 5));
    return packet;
}

TEST(H263Decoder, InterPicturesPredictFromTheLastPictureThatIsNotDisposable) {
    const test::EncodedClip clip = test::movingClip(176, 144, 3, 4);
    if (clip.packets.size() < 3) {
        GTEST_SKIP() << "no Sorenson H.263 encoder";
    }
    h263::Decoder direct;
    ASSERT_TRUE(direct.decode(clip.packets[0]));
    const h263::Picture* skipped = direct.decode(clip.packets[2]);
    ASSERT_TRUE(skipped);
    const std::vector<uint8_t> expected = skipped->y;

    h263::Decoder d;
    ASSERT_TRUE(d.decode(clip.packets[0]));
    const h263::Picture* shown = d.decode(withType(clip.packets[1], 2));
    ASSERT_TRUE(shown);
    expectClose(*shown, clip.decoded[1]);
    const h263::Picture* next = d.decode(clip.packets[2]);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->y, expected);
}

TEST(H263Decoder, BrokenPacketsGiveNothingAndLeaveThePictureToPredictFrom) {
    const test::EncodedClip clip = test::movingClip(100, 70, 3, 6);
    if (clip.packets.size() < 3) {
        GTEST_SKIP() << "no Sorenson H.263 encoder";
    }
    h263::Decoder d;
    EXPECT_FALSE(d.decode(clip.packets[1]));  // nothing before it
    ASSERT_TRUE(d.decode(clip.packets[0]));
    const auto& inter = clip.packets[1];
    EXPECT_FALSE(d.decode(std::span(inter).first(inter.size() / 2)));
    EXPECT_FALSE(d.decode(withType(inter, 3)));  // a reserved type
    const h263::Picture* p = d.decode(inter);
    ASSERT_TRUE(p);
    expectClose(*p, clip.decoded[1]);
    d.reset();
    EXPECT_FALSE(d.decode(clip.packets[2]));
}

TEST(H263Decoder, CorruptPacketsNeverReadOutOfBounds) {
    const test::EncodedClip clip = test::movingClip(64, 48, 4, 8);
    if (clip.packets.empty()) {
        GTEST_SKIP() << "no Sorenson H.263 encoder";
    }
    h263::Decoder d;
    uint32_t seed = 12345;
    for (int round = 0; round < 200; ++round) {
        for (const auto& packet : clip.packets) {
            std::vector<uint8_t> broken = packet;
            for (int i = 0; i < 4; ++i) {
                seed = seed * 1103515245u + 12345u;
                const size_t at = 5 + (seed >> 8) % (broken.size() - 5);
                broken[at] ^= uint8_t(seed >> 24);
            }
            seed = seed * 1103515245u + 12345u;
            broken.resize(5 + (seed >> 8) % broken.size());
            if (const h263::Picture* p = d.decode(broken)) {
                ASSERT_EQ(p->width, 64);
                ASSERT_EQ(p->y.size(), size_t(p->lumaStride()) * size_t(p->mbRows) * 16);
            }
        }
    }
}

}  // namespace
}  // namespace pencora::flash::video
