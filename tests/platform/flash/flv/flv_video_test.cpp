// H.264 in FLV files: the sequence header becomes the decoder's configuration, pictures are
// decoded in the file's order and come out in the order they are shown, and the pictures the
// codec holds back for reordering come out at the end of the sequence.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/flash/flv/flv_audio.h"
#include "platform/flash/flv/flv_file.h"
#include "platform/flash/video/video_decoder.h"

namespace pencora::flv {
namespace {

using flash::video::DecodedFrame;
using flash::video::PacketLayout;
using flash::video::VideoDecoder;

std::vector<uint8_t> readData(const std::string& name) {
    std::ifstream in(std::string(PENCORA_FLV_DATA) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// 'R' or 'B' for a picture that is flat red or flat blue; '?' for anything else.
char colourOf(const DecodedFrame& f) {
    char seen = 0;
    for (uint32_t px : f.pixels) {
        const int r = int((px >> 16) & 0xff);
        const int g = int((px >> 8) & 0xff);
        const int b = int(px & 0xff);
        char c = '?';
        if ((px >> 24) == 0xff && g < 8 && r > 247 && b < 8) {
            c = 'R';
        } else if ((px >> 24) == 0xff && g < 8 && b > 247 && r < 8) {
            c = 'B';
        }
        if (c == '?' || (seen && seen != c)) {
            return '?';
        }
        seen = c;
    }
    return seen ? seen : '?';
}

// Every picture of the file's video, decoded as the file orders the packets.
std::string decodeAll(const File& file, VideoDecoder& decoder) {
    std::string shown;
    for (const Packet& p : file.packets) {
        if (p.kind == PacketKind::Video) {
            if (auto f = decoder.decode(p.bytes)) {
                EXPECT_EQ(f->width, 32);
                EXPECT_EQ(f->height, 32);
                shown += colourOf(*f);
            }
        }
    }
    shown += '|';  // the end of the sequence
    if (auto f = decoder.finish()) {
        shown += colourOf(*f);
    }
    return shown;
}

TEST(FlvVideo, AvcPicturesComeOutInTheOrderTheyAreShown) {
    const auto file = readFile(readData("avc-red-blue.flv"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->video.codec, video_codec::Avc);
    ASSERT_FALSE(file->video.extra.empty());
    EXPECT_EQ(file->video.extra[0], 1) << "an AVCDecoderConfigurationRecord";
    std::vector<const Packet*> video;
    for (const Packet& p : file->packets) {
        if (p.kind == PacketKind::Video) {
            video.push_back(&p);
        }
    }
    ASSERT_EQ(video.size(), 8u);
    bool reordered = false;
    for (size_t i = 0; i < video.size(); ++i) {
        EXPECT_NEAR(video[i]->ms - video[0]->ms, 100.0 * double(i), 1) << "decoding times";
        EXPECT_GE(video[i]->compositionMs, 0);
        reordered = reordered || video[i]->compositionMs != video[0]->compositionMs;
    }
    EXPECT_TRUE(reordered) << "B-frames show at other offsets than the key frame";
    EXPECT_TRUE(video[0]->keyframe);

    VideoDecoder decoder(video_codec::Avc, PacketLayout::Flv);
    ASSERT_TRUE(decoder.configure(file->video.extra));
    // With B-frames each call gives the latest picture ready, so one may be skipped where
    // two come out at once; the order never goes back and the last picture is the last shown.
    const std::string shown = decodeAll(*file, decoder);
    EXPECT_GE(shown.size(), 7u) << shown;
    EXPECT_EQ(shown.find('?'), std::string::npos) << shown;
    EXPECT_EQ(shown.front(), 'R') << shown;
    EXPECT_TRUE(shown.ends_with("B|B")) << "the held-back pictures come out at the end: " << shown;
    EXPECT_EQ(shown.find('R', shown.find('B')), std::string::npos) << "red after blue: " << shown;

    // A seek back: forget the pictures, start again from the first key frame.
    decoder.reset();
    EXPECT_EQ(decodeAll(*file, decoder), shown) << "decodes again the same after a reset";

    // The same configuration again changes nothing; a broken one is refused.
    EXPECT_TRUE(decoder.configure(file->video.extra));
    EXPECT_TRUE(decoder.valid());
    const std::vector<uint8_t> broken = {1, 0x64, 0, 0x1f, 0xff, 0xe1, 0x7f, 0xff, 3};
    if (!decoder.configure(broken)) {
        EXPECT_FALSE(decoder.decode(video[0]->bytes));
    }
    ASSERT_TRUE(decoder.configure(file->video.extra)) << "a good configuration again";
    auto first = decoder.decode(video[0]->bytes);
    auto held = decoder.finish();
    ASSERT_TRUE(first || held);
    EXPECT_EQ(colourOf(first ? *first : *held), 'R');
}

TEST(FlvVideo, AvcWithoutItsSequenceHeaderDecodesNothing) {
    const auto file = readFile(readData("avc-red-blue.flv"));
    ASSERT_TRUE(file);
    VideoDecoder decoder(video_codec::Avc, PacketLayout::Flv);
    int pictures = 0;
    for (const Packet& p : file->packets) {
        if (p.kind == PacketKind::Video && decoder.decode(p.bytes)) {
            ++pictures;
        }
    }
    EXPECT_FALSE(decoder.finish());
    EXPECT_EQ(pictures, 0);
}

TEST(FlvVideo, AacBesideAvcPlays) {
    const auto file = readFile(readData("avc-red-blue.flv"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->audio.codec, audio_codec::Aac);
    const auto pcm = decodeAudio(*file);
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->rate, 44100);
    EXPECT_EQ(pcm->channels, 1);
    EXPECT_NEAR(double(pcm->samples.size()) / pcm->rate, 0.8, 0.1);
}

}  // namespace
}  // namespace pencora::flv
