// Finding the footing in MPEG audio and keeping reads inside the stream's window.
#include "platform/audio/byte_range.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace pencora::audio;

namespace {

// An MPEG-1 layer III header at 128 kbit/s, 44.1 kHz, no padding: frames of 417 bytes.
std::vector<uint8_t> frames(size_t count, size_t junkBefore) {
    std::vector<uint8_t> bytes(junkBefore + count * 417, 0x00);
    std::fill_n(bytes.begin(), junkBefore, 0x55);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = junkBefore + i * 417;
        bytes[at] = 0xFF;
        bytes[at + 1] = 0xFB;
        bytes[at + 2] = 0x90;
        bytes[at + 3] = 0x64;
    }
    return bytes;
}

}  // namespace

TEST(MpegFrames, TheNextFrameIsOneWhoseSuccessorAlsoLooksLikeAFrame) {
    std::vector<uint8_t> bytes = frames(3, 10);
    EXPECT_EQ(findMpegFrame(bytes, 0), 10);
    EXPECT_EQ(findMpegFrame(bytes, 11), 10 + 417);
    // A stray sync pattern inside a frame is not a frame: its successor is no header.
    bytes[20] = 0xFF;
    bytes[21] = 0xFB;
    bytes[22] = 0x90;
    EXPECT_EQ(findMpegFrame(bytes, 11), 10 + 417);
    // The last frame needs no successor, a torn one is none.
    EXPECT_EQ(findMpegFrame(bytes, 10 + 2 * 417 - 5), 10 + 2 * 417);
    bytes.resize(bytes.size() - 100);
    EXPECT_EQ(findMpegFrame(bytes, 10 + 2 * 417 - 5), -1);
}

TEST(MpegFrames, ReservedAndFreeFormatHeadersAreNotFrames) {
    const uint8_t reservedVersion[] = {0xFF, 0xEB, 0x90, 0x64};
    const uint8_t freeFormat[] = {0xFF, 0xFB, 0x00, 0x64};
    const uint8_t badRate[] = {0xFF, 0xFB, 0x9C, 0x64};
    EXPECT_FALSE(looksLikeMpeg(reservedVersion));
    EXPECT_FALSE(looksLikeMpeg(freeFormat));
    EXPECT_FALSE(looksLikeMpeg(badRate));
    const uint8_t id3[] = {'I', 'D', '3', 4, 0};
    EXPECT_TRUE(looksLikeMpeg(id3));
}

TEST(ByteWindow, AFileDescriptionFrameIsNeverReadAsPreroll) {
    std::vector<uint8_t> bytes = frames(6, 0);
    std::memcpy(bytes.data() + 36, "Info", 4);
    auto range = ByteRange::openMemory(bytes, 417 * 2 + 1, 0);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->size(), static_cast<int64_t>(bytes.size()) - 417);
    EXPECT_EQ(range->prerollSamples(), 2 * 1152);
}

TEST(ByteWindow, ReadsStayInsideTheWindowAndAnMpegWindowStartsOnAFrame) {
    const std::vector<uint8_t> bytes = frames(4, 0);
    auto range = ByteRange::openMemory(bytes, 500, 600);
    ASSERT_TRUE(range);
    // The third frame is the first whole one; the two before it prime the decoder.
    EXPECT_EQ(range->size(), 1100);
    EXPECT_EQ(range->prerollSamples(), 2 * 1152);
    std::vector<uint8_t> got(2000);
    EXPECT_EQ(range->read(got.data(), 2000), range->size());
    EXPECT_EQ(got[0], 0xFF);
    EXPECT_EQ(range->seek(-5), 0);
    EXPECT_EQ(range->seek(1 << 30), range->size());
    EXPECT_EQ(range->read(got.data(), 10), 0);

    EXPECT_FALSE(ByteRange::openMemory(bytes, bytes.size(), 0)) << "offset at the end";
    EXPECT_FALSE(ByteRange::openMemory(bytes, 3 * 417 + 5, 0)) << "no whole frame after it";
    const std::vector<uint8_t> text(100, 'a');
    auto plain = ByteRange::openMemory(text, 40, 0);
    ASSERT_TRUE(plain) << "not MPEG: the window starts where asked";
    EXPECT_EQ(plain->size(), 60);
    EXPECT_EQ(plain->prerollSamples(), 0);
}
