#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/flash/flv/flv_audio.h"
#include "platform/flash/flv/flv_file.h"

namespace pencora::flv {
namespace {

std::vector<uint8_t> readData(const std::string& name) {
    std::ifstream in(std::string(PENCORA_FLV_DATA) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

const ScriptValue* member(const ScriptValue& v, const std::string& name) {
    for (const auto& [n, value] : v.members) {
        if (n == name) {
            return &value;
        }
    }
    return nullptr;
}

// Strength of a 440 Hz tone in the first channel, against the whole signal (Goertzel).
double toneShare(const Pcm& pcm) {
    const double w = 2 * M_PI * 440.0 / pcm.rate;
    double s1 = 0, s2 = 0, energy = 0;
    const size_t n = pcm.samples.size() / size_t(pcm.channels);
    for (size_t i = 0; i < n; ++i) {
        const double x = pcm.samples[i * size_t(pcm.channels)];
        energy += x * x;
        const double s = x + 2 * std::cos(w) * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    const double power = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
    return energy > 0 ? power / (energy * double(n) / 2) : 0;
}

struct CodecCase {
    const char* file;
    int codec;
    int rate;
    int channels;
};

class FlvAudioCodecs : public ::testing::TestWithParam<CodecCase> {};

// Every audio codec a Flash movie's video may carry comes out as the tone that went in,
// at its own rate, with the video packets and their keyframes beside it.
TEST_P(FlvAudioCodecs, DemuxesAndDecodesTheTone) {
    const CodecCase c = GetParam();
    const auto bytes = readData(c.file);
    ASSERT_FALSE(bytes.empty());
    const auto file = readFile(bytes);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->audio.codec, c.codec);
    EXPECT_EQ(file->video.codec, video_codec::SorensonH263);
    EXPECT_EQ(file->video.width, 32);
    EXPECT_EQ(file->video.height, 24);
    int videoPackets = 0;
    double firstMs = -1;
    double lastMs = -1;
    bool ordered = true;
    for (const Packet& p : file->packets) {
        if (p.kind == PacketKind::Video) {
            if (videoPackets == 0) {
                EXPECT_TRUE(p.keyframe) << "the first picture is a keyframe";
                firstMs = p.ms;
            }
            ++videoPackets;
            ordered = ordered && p.ms >= lastMs;
            lastMs = p.ms;
        }
    }
    EXPECT_EQ(videoPackets, 5) << "half a second at 10 pictures a second";
    EXPECT_TRUE(ordered);
    EXPECT_NEAR(lastMs - firstMs, 400, 1) << "a picture every 100 ms";

    const auto pcm = decodeAudio(*file);
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->rate, c.rate);
    EXPECT_EQ(pcm->channels, c.channels);
    const double seconds = double(pcm->samples.size()) / pcm->channels / pcm->rate;
    EXPECT_NEAR(seconds, 0.5, 0.1);
    EXPECT_GT(toneShare(*pcm), 0.5) << "the 440 Hz tone dominates";
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, FlvAudioCodecs,
    ::testing::Values(CodecCase{"tone-mp3.flv", audio_codec::Mp3, 22050, 1},
                      CodecCase{"tone-adpcm.flv", audio_codec::Adpcm, 22050, 1},
                      CodecCase{"tone-nellymoser.flv", audio_codec::Nellymoser, 22050, 1},
                      CodecCase{"tone-aac.flv", audio_codec::Aac, 44100, 2},
                      CodecCase{"tone-pcm.flv", audio_codec::PcmLittle, 11025, 1},
                      CodecCase{"tone-speex.flv", audio_codec::Speex, 16000, 1},
                      CodecCase{"tone-speex-3frames.flv", audio_codec::Speex, 16000, 1}),
    [](const auto& info) {
        std::string name = info.param.file;
        name = name.substr(5, name.find('.') - 5);
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST(FlvFile, MetadataKeepsNumbersAndNames) {
    const auto file = readFile(readData("tone-mp3.flv"));
    ASSERT_TRUE(file && file->metadata);
    EXPECT_EQ(file->metadata->type, ScriptValue::Type::Object);
    const ScriptValue* duration = member(*file->metadata, "duration");
    ASSERT_TRUE(duration);
    EXPECT_EQ(duration->type, ScriptValue::Type::Number);
    EXPECT_NEAR(duration->number, 0.5, 0.06) << "a fraction, not rounded to whole seconds";
    const ScriptValue* width = member(*file->metadata, "width");
    ASSERT_TRUE(width);
    EXPECT_EQ(width->number, 32);
    EXPECT_NEAR(file->durationMs, 500, 60);
}

// Broken files: never a crash; a file cut short keeps what came before the cut.
TEST(FlvFile, DamagedFilesAreReadSafely) {
    const auto whole = readData("tone-adpcm.flv");
    EXPECT_FALSE(readFile({}));
    EXPECT_FALSE(readFile(std::vector<uint8_t>{'F', 'W', 'S', 8}));
    EXPECT_FALSE(looksLikeFlv(std::vector<uint8_t>{'F', 'L'}));

    const std::vector<uint8_t> half(whole.begin(), whole.begin() + long(whole.size() / 2));
    const auto cut = readFile(half);
    ASSERT_TRUE(cut);
    const auto full = readFile(whole);
    ASSERT_TRUE(full);
    EXPECT_GT(cut->packets.size(), 0u);
    EXPECT_LT(cut->packets.size(), full->packets.size());

    // Every tag size claims more than the file holds; garbage after the header.
    std::vector<uint8_t> lying(whole.begin(), whole.begin() + 13);
    lying.insert(lying.end(), {18, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0xFF});
    const auto bad = readFile(lying);
    if (bad) {
        EXPECT_TRUE(bad->packets.empty());
        EXPECT_FALSE(bad->metadata);
        EXPECT_FALSE(decodeAudio(*bad));
    }

    // An onMetaData whose object nests deeper than any file would.
    std::vector<uint8_t> deep(whole.begin(), whole.begin() + 13);
    std::vector<uint8_t> body = {2, 0, 10};
    body.insert(body.end(), {'o', 'n', 'M', 'e', 't', 'a', 'D', 'a', 't', 'a'});
    for (int i = 0; i < 5000; ++i) {
        body.insert(body.end(), {3, 0, 1, 'a'});
    }
    const size_t n = body.size();
    deep.insert(deep.end(),
                {18, uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n), 0, 0, 0, 0, 0, 0, 0});
    deep.insert(deep.end(), body.begin(), body.end());
    const auto nested = readFile(deep);
    ASSERT_TRUE(nested);
    EXPECT_FALSE(nested->metadata);
}

}  // namespace
}  // namespace pencora::flv
