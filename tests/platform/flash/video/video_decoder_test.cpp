// The video decoder on packets encoded at test time: flat pictures decode to their colours in
// order, broken packets give nothing and leave the decoder usable, key frames are told apart
// without decoding, and the colour conversion's fixed points.
#include <gtest/gtest.h>

#include <cstdlib>

#include "flat_video.h"
#include "platform/flash/video/video_decoder.h"
#include "platform/flash/video/video_packet.h"
#include "platform/flash/video/yuv_to_argb.h"

namespace pencora::flash::video {
namespace {

using test::Yuv;

int channel(uint32_t argb, int shift) {
    return int((argb >> shift) & 0xff);
}

// Every pixel of `f` within `tolerance` of `rgb` in each channel, and opaque.
void expectFlat(const DecodedFrame& f, uint32_t rgb, int tolerance) {
    ASSERT_FALSE(f.pixels.empty());
    for (uint32_t px : f.pixels) {
        ASSERT_EQ(channel(px, 24), 255);
        for (int shift : {16, 8, 0}) {
            ASSERT_NEAR(channel(px, shift), channel(rgb, shift), tolerance)
                << std::hex << px << " vs " << rgb;
        }
    }
}

TEST(YuvToArgb, LimitedRangeEndsAndPrimaries) {
    EXPECT_EQ(yuvPixel(16, 128, 128), 0xFF000000u);
    EXPECT_EQ(yuvPixel(235, 128, 128), 0xFFFFFFFFu);
    EXPECT_EQ(yuvPixel(0, 128, 128), 0xFF000000u);  // below black clamps
    EXPECT_EQ(yuvPixel(255, 128, 128), 0xFFFFFFFFu);
    EXPECT_EQ(yuvPixel(126, 128, 128), 0xFF808080u);  // mid grey: 110 * 255 / 219 = 128.08
    const uint32_t red = yuvPixel(test::kRedYuv.y, test::kRedYuv.u, test::kRedYuv.v);
    EXPECT_GE(channel(red, 16), 253);
    EXPECT_LE(channel(red, 8), 2);
    EXPECT_LE(channel(red, 0), 2);
}

TEST(YuvToArgb, ColourWithAlphaIsHeldToTheAlpha) {
    const uint8_t y[2] = {235, 235};  // white
    const uint8_t u[1] = {128};
    const uint8_t v[1] = {128};
    const uint8_t a[2] = {255, 64};
    YuvPlanes p;
    p.width = 2;
    p.height = 1;
    p.y = y;
    p.u = u;
    p.v = v;
    p.a = a;
    p.yStride = p.aStride = 2;
    p.uStride = p.vStride = 1;
    uint32_t out[2] = {};
    yuvToArgb(p, out);
    EXPECT_EQ(out[0], 0xFFFFFFFFu);
    EXPECT_EQ(out[1], 0x40404040u);  // premultiplied: never brighter than its alpha
}

TEST(VideoDecoder, H263PicturesDecodeInOrderToTheirColours) {
    const auto packets =
        test::h263Packets(32, 32, {test::kRedYuv, test::kGreenYuv, test::kBlueYuv});
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_TRUE(isKeyFramePacket(2, packets[0], PacketLayout::Swf));
    EXPECT_FALSE(isKeyFramePacket(2, packets[1], PacketLayout::Swf));
    VideoDecoder d(2);
    ASSERT_TRUE(d.valid());
    const uint32_t expected[] = {0xFF0000, 0x00FF00, 0x0000FF};
    for (size_t i = 0; i < packets.size(); ++i) {
        auto f = d.decode(packets[i]);
        ASSERT_TRUE(f) << "packet " << i;
        EXPECT_EQ(f->width, 32);
        EXPECT_EQ(f->height, 32);
        expectFlat(*f, expected[i], 6);
    }
}

TEST(VideoDecoder, ScreenVideoIsLossless) {
    const auto packets = test::screenVideoPackets(40, 20, {0x123456, 0xFEDCBA});
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_TRUE(isKeyFramePacket(3, packets[1], PacketLayout::Swf));
    VideoDecoder d(3);
    auto first = d.decode(packets[0]);
    auto second = d.decode(packets[1]);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->width, 40);
    EXPECT_EQ(first->height, 20);
    expectFlat(*first, 0x123456, 0);
    expectFlat(*second, 0xFEDCBA, 0);
}

TEST(VideoDecoder, BrokenPacketsGiveNothingAndTheNextKeyFrameDecodes) {
    const auto packets = test::h263Packets(32, 32, {test::kRedYuv, test::kBlueYuv}, 1);
    ASSERT_EQ(packets.size(), 2u);
    VideoDecoder d(2);
    std::vector<std::vector<uint8_t>> broken = {
        {},
        {0x00},
        std::vector<uint8_t>(packets[0].begin(), packets[0].begin() + 6),  // header only
        std::vector<uint8_t>(4096, 0xFF),
    };
    std::srand(7);
    for (int n = 0; n < 20; ++n) {
        std::vector<uint8_t> noise = packets[0];
        for (size_t i = 4; i < noise.size(); i += 3) {
            noise[i] = uint8_t(std::rand());
        }
        broken.push_back(noise);
    }
    for (const auto& b : broken) {
        auto f = d.decode(b);
        if (f) {  // noise after a sound header may still make a picture, of the right size
            EXPECT_EQ(f->pixels.size(), size_t(f->width) * size_t(f->height));
        }
    }
    d.reset();
    auto f = d.decode(packets[1]);
    ASSERT_TRUE(f);
    expectFlat(*f, 0x0000FF, 6);
}

// A 32 x 16 picture, grey 100 on the left half and 120 on the right, coded at quantizer 31
// (the strongest filter); `requested` sets the picture's own deblocking flag.
std::vector<std::vector<uint8_t>> splitGreyPictures(bool requested, int frames = 1) {
    auto packets = test::h263SplitPictures(32, 16, {100, 128, 128}, {120, 128, 128}, 31, frames);
    // Start code, version, time, size code 0 with 8-bit width and height, picture type: the
    // flag is bit 51.
    for (auto& p : packets) {
        if (p.size() > 7) {
            p[6] = uint8_t(requested ? p[6] | 0x10 : p[6] & ~0x10);
        }
    }
    return packets;
}

std::vector<uint8_t> splitGreyPicture(bool requested) {
    auto packets = splitGreyPictures(requested);
    return packets.empty() ? std::vector<uint8_t>{} : packets.front();
}

// Luma along a row of the picture, back from the grey the decoder made of it.
std::vector<int> lumaRow(const DecodedFrame& f, int y, int from, int to) {
    std::vector<int> out;
    for (int x = from; x < to; ++x) {
        const uint32_t px = f.pixels[size_t(y) * f.width + x];
        int luma = 0;
        while (luma < 255 && yuvPixel(luma, 128, 128) != px) {
            ++luma;
        }
        out.push_back(luma);
    }
    return out;
}

TEST(VideoDecoder, H263DeblockingFollowsThePictureOrTheSetting) {
    const auto asked = splitGreyPicture(true);
    const auto notAsked = splitGreyPicture(false);
    ASSERT_FALSE(asked.empty()) << "no H.263 encoder";
    const auto header = h263Deblocking(asked);
    ASSERT_TRUE(header);
    EXPECT_TRUE(header->requested);
    EXPECT_EQ(header->quantizer, 31);
    EXPECT_FALSE(h263Deblocking(notAsked)->requested);
    EXPECT_FALSE(h263Deblocking(std::span<const uint8_t>(asked).first(5)));

    const std::vector<int> sharp = {100, 100, 100, 120, 120, 120};
    const std::vector<int> smoothed = {100, 103, 107, 113, 117, 120};
    struct Case {
        int mode;
        const std::vector<uint8_t>& packet;
        const std::vector<int>& expected;
    };
    for (const Case& c : {Case{0, asked, smoothed}, Case{0, notAsked, sharp}, Case{1, asked, sharp},
                          Case{2, notAsked, smoothed}, Case{5, notAsked, smoothed}}) {
        VideoDecoder d(2);
        d.setDeblocking(c.mode);
        auto f = d.decode(c.packet);
        ASSERT_TRUE(f);
        for (int y : {0, 7, 8, 15}) {
            EXPECT_EQ(lumaRow(*f, y, 13, 19), c.expected) << "mode " << c.mode << " row " << y;
        }
    }
}

TEST(VideoDecoder, DeblockingLeavesLaterFramesPredictedFromTheUnfilteredPicture) {
    // The same picture again as inter frames copies the key frame's blocks: with the filter
    // working on a copy, each is smoothed once, not again on top of the last.
    const auto packets = splitGreyPictures(true, 3);
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_FALSE(isKeyFramePacket(2, packets[2], PacketLayout::Swf));
    VideoDecoder d(2);
    d.setDeblocking(2);
    for (const auto& p : packets) {
        auto f = d.decode(p);
        ASSERT_TRUE(f);
        EXPECT_EQ(lumaRow(*f, 4, 13, 19), (std::vector<int>{100, 103, 107, 113, 117, 120}));
    }
}

TEST(VideoDecoder, UnknownCodecsDecodeNothing) {
    for (int id : {0, 1, 8, 255}) {
        EXPECT_FALSE(isKnownCodec(id));
        VideoDecoder d(id);
        EXPECT_FALSE(d.valid());
        const uint8_t bytes[] = {0, 0, 0x84, 0};
        EXPECT_FALSE(d.decode(bytes));
        EXPECT_FALSE(d.configure(bytes));
        EXPECT_FALSE(d.finish());
    }
}

TEST(VideoPacket, Vp6KeyFramesAndTheFlvAdjustmentByte) {
    const uint8_t key[] = {0x64, 0x30};
    const uint8_t inter[] = {0xE4, 0x30};
    EXPECT_TRUE(isKeyFramePacket(4, key, PacketLayout::Swf));
    EXPECT_FALSE(isKeyFramePacket(4, inter, PacketLayout::Swf));
    // In FLV files an adjustment byte comes first; with alpha, three bytes of offset then.
    const uint8_t flvInter[] = {0x00, 0xE4, 0x30};
    EXPECT_FALSE(isKeyFramePacket(4, flvInter, PacketLayout::Flv));
    EXPECT_TRUE(isKeyFramePacket(4, flvInter, PacketLayout::Swf));
    const uint8_t alphaInter[] = {0x00, 0x00, 0x10, 0xE4, 0x30};
    EXPECT_FALSE(isKeyFramePacket(5, alphaInter, PacketLayout::Swf));
    EXPECT_EQ(codecPayload(5, alphaInter, PacketLayout::Flv).size(), 4u);
    EXPECT_EQ(codecPayload(2, alphaInter, PacketLayout::Flv).size(), 5u);
    const SizeAdjustment a = sizeAdjustment(0x4A);
    EXPECT_EQ(a.right, 4);
    EXPECT_EQ(a.bottom, 10);
}

}  // namespace
}  // namespace pencora::flash::video
