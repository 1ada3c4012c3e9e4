// Embedded video in a playing movie: the frame a placed video shows follows its ratio, in
// order and after jumps both ways, stretched over the stream's declared size; and what scripts
// see of a Video object.
#include <gtest/gtest.h>

#include "../avm1/assembler.h"
#include "engine_fixture.h"
#include "flat_video.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::str;
using Code = swf::ActionCode;
namespace vt = flash::video::test;

using test::TraceHost;

// A 16 x 16 H.263 stream declared 32 x 32: red (key), green, blue, red, each frame inter
// but the first.
swf::VideoStream colourStream() {
    swf::VideoStream v;
    v.width = 32;
    v.height = 32;
    v.codecId = 2;
    const auto packets =
        vt::h263Packets(16, 16, {vt::kRedYuv, vt::kGreenYuv, vt::kBlueYuv, vt::kRedYuv});
    for (size_t i = 0; i < packets.size(); ++i) {
        v.frames.emplace(uint16_t(i), packets[i]);
    }
    v.frameCount = uint16_t(packets.size());
    return v;
}

swf::PlaceObject placeVideo(uint16_t id, uint16_t ratio, bool first) {
    swf::PlaceObject p;
    p.depth = 1;
    p.ratio = ratio;
    if (first) {
        p.characterId = id;
        p.name = "v";
        p.matrix = swf::Matrix{};
        p.matrix->tx = p.matrix->ty = 40;  // 2 pixels in
    } else {
        p.move = true;
    }
    return p;
}

// The movie: one frame per packet, the video moved to that packet's ratio, stopped on the last.
swfwrite::MovieBuilder videoMovie(const swf::Bytes& lastFrameScript = {}) {
    swfwrite::MovieBuilder b(8, 40, 40);
    const uint16_t id = b.define(colourStream());
    for (uint16_t i = 0; i < 4; ++i) {
        b.place(placeVideo(id, i, i == 0));
        if (i == 3) {
            b.doAction(lastFrameScript.empty() ? test::Actions().stop().bytes : lastFrameScript);
        }
        b.showFrame();
    }
    return b;
}

enum class Shown { Red, Green, Blue, Nothing, Other };

Shown shownAt(const QImage& img, int x, int y) {
    const QRgb p = img.pixel(x, y);
    auto near = [p](int r, int g, int b) {
        return std::abs(qRed(p) - r) <= 8 && std::abs(qGreen(p) - g) <= 8 &&
               std::abs(qBlue(p) - b) <= 8;
    };
    return near(255, 0, 0)       ? Shown::Red
           : near(0, 255, 0)     ? Shown::Green
           : near(0, 0, 255)     ? Shown::Blue
           : near(255, 255, 255) ? Shown::Nothing
                                 : Shown::Other;
}

struct VideoTest : testing::Test, test::EngineFixture {
    Shown shown() { return shownAt(render(40, 40, flash::Quality::Low), 20, 20); }
};

TEST_F(VideoTest, FramesFollowTheRatioAndCoverTheDeclaredSize) {
    ASSERT_FALSE(vt::h263Packets(16, 16, {vt::kRedYuv}).empty()) << "no H.263 encoder";
    ASSERT_TRUE(load(videoMovie()));
    QImage img = render(40, 40, flash::Quality::Low);
    EXPECT_EQ(shownAt(img, 2, 2), Shown::Red);
    EXPECT_EQ(shownAt(img, 33, 33), Shown::Red);  // 16 pixels stretched to 32
    EXPECT_EQ(shownAt(img, 34, 34), Shown::Nothing);
    EXPECT_EQ(shownAt(img, 1, 1), Shown::Nothing);
    engine->runFrame();
    EXPECT_EQ(shown(), Shown::Green);
    engine->runFrame();
    EXPECT_EQ(shown(), Shown::Blue);
    engine->runFrame();
    EXPECT_EQ(shown(), Shown::Red);
}

TEST_F(VideoTest, JumpsDecodeFromTheKeyFrameBefore) {
    ASSERT_TRUE(load(videoMovie()));
    ASSERT_TRUE(engine->gotoFrame(u"/", 2, false));  // skips green: decoded on the way
    EXPECT_EQ(shown(), Shown::Blue);
    ASSERT_TRUE(engine->gotoFrame(u"/", 1, false));  // back: again from the key frame
    EXPECT_EQ(shown(), Shown::Green);
    ASSERT_TRUE(engine->gotoFrame(u"/", 0, false));
    EXPECT_EQ(shown(), Shown::Red);
    ASSERT_TRUE(engine->gotoFrame(u"/", 3, false));
    EXPECT_EQ(shown(), Shown::Red);
}

TEST_F(VideoTest, BrokenPacketsLeaveTheLastPictureUp) {
    swfwrite::MovieBuilder b(8, 40, 40);
    swf::VideoStream v = colourStream();
    v.frames[1] = swf::Bytes(64, 0xFF);
    v.frames[2] = swf::Bytes{};
    const uint16_t id = b.define(v);
    for (uint16_t i = 0; i < 3; ++i) {
        b.place(placeVideo(id, i, i == 0)).showFrame();
    }
    ASSERT_TRUE(load(b));
    EXPECT_EQ(shown(), Shown::Red);
    engine->runFrame();
    engine->runFrame();
    EXPECT_EQ(shown(), Shown::Red);
}

TEST_F(VideoTest, TheStreamsDeblockingSettingReachesTheDecoder) {
    // Grey 100 | 120 halves, split at video column 16 (stage column 18); the pictures ask for
    // no filter, so only the stream's setting turns it on.
    auto packets = vt::h263SplitPictures(32, 16, {100, 128, 128}, {120, 128, 128}, 31);
    ASSERT_FALSE(packets.empty()) << "no H.263 encoder";
    packets[0][6] &= ~0x10;
    auto greyAt = [&](int deblocking, int x) {
        swf::VideoStream v;
        v.width = 32;
        v.height = 16;
        v.codecId = 2;
        v.deblocking = uint8_t(deblocking);
        v.frames.emplace(0, packets[0]);
        v.frameCount = 1;
        swfwrite::MovieBuilder b(8, 40, 40);
        b.place(placeVideo(b.define(v), 0, true)).showFrame();
        EXPECT_TRUE(load(b));
        return qRed(render(40, 40, flash::Quality::Low).pixel(x, 8));
    };
    EXPECT_EQ(greyAt(0, 17), greyAt(0, 10));  // as the picture says: off
    EXPECT_EQ(greyAt(1, 17), greyAt(1, 10));
    EXPECT_GT(greyAt(2, 17), greyAt(2, 10));  // on: the darker side rises towards the edge
    EXPECT_LT(greyAt(2, 18), greyAt(2, 24));
}

TEST_F(VideoTest, ScriptsSeeTheVideoObject) {
    TraceHost traces;
    engine->setHost(&traces);
    Assembler a;
    for (const char* name : {"width", "height", "_width", "smoothing", "deblocking"}) {
        a.getVar("v").push({str(name)}).op(Code::GetMember).trace();
    }
    a.getVar("v").op(Code::TypeOf).trace();
    a.getVar("v").push({str("_currentframe")}).op(Code::GetMember).trace();
    a.getVar("v").push({str("smoothing"), avm1::test::boolean(true)}).op(Code::SetMember);
    a.getVar("v").push({str("deblocking"), avm1::test::integer(2)}).op(Code::SetMember);
    a.getVar("v").push({str("deblocking"), avm1::test::integer(9)}).op(Code::SetMember);
    a.getVar("v").push({str("smoothing")}).op(Code::GetMember).trace();
    a.getVar("v").push({str("deblocking")}).op(Code::GetMember).trace();
    a.getVar("v").push({str("width"), avm1::test::integer(5)}).op(Code::SetMember);  // read-only
    a.getVar("v").push({str("width")}).op(Code::GetMember).trace();
    a.op(Code::Stop);
    ASSERT_TRUE(load(videoMovie(a.bytes), 4));
    const std::vector<std::u16string> expected = {
        u"16", u"16", u"32", u"false", u"0", u"object", u"undefined", u"true", u"0", u"16"};
    EXPECT_EQ(traces.lines, expected);
    engine->setHost(&host);
}

TEST_F(VideoTest, ClearHidesThePictureUntilTheNextFrame) {
    Assembler a;
    a.push({avm1::test::integer(0)})
        .getVar("v")
        .push({str("clear")})
        .op(Code::CallMethod)
        .op(Code::Pop);
    swfwrite::MovieBuilder b(8, 40, 40);
    const uint16_t id = b.define(colourStream());
    b.place(placeVideo(id, 0, true)).showFrame();
    b.place(placeVideo(id, 1, false)).doAction(a.bytes).showFrame();
    b.place(placeVideo(id, 2, false)).doAction(test::Actions().stop().bytes).showFrame();
    ASSERT_TRUE(load(b));
    EXPECT_EQ(shown(), Shown::Red);
    engine->runFrame();
    EXPECT_EQ(shown(), Shown::Nothing);
    engine->runFrame();
    EXPECT_EQ(shown(), Shown::Blue);
}

TEST_F(VideoTest, OnlyANewPictureAsksForARedraw) {
    // One picture for four frames: the ratio moves on, what is shown does not.
    swf::VideoStream still = colourStream();
    still.frames.erase(still.frames.upper_bound(0), still.frames.end());
    swfwrite::MovieBuilder b(8, 40, 40);
    const uint16_t id = b.define(still);
    for (uint16_t i = 0; i < 4; ++i) {
        b.place(placeVideo(id, i, i == 0)).showFrame();
    }
    ASSERT_TRUE(load(b));
    host.invalidated.clear();
    engine->runFrame();
    engine->runFrame();
    EXPECT_TRUE(host.invalidated.empty()) << "an unchanged picture draws nothing";
    EXPECT_EQ(shown(), Shown::Red);

    // A new picture redraws the video's rectangle, 2 pixels in, 32 x 32.
    ASSERT_TRUE(load(videoMovie()));
    host.invalidated.clear();
    engine->runFrame();
    ASSERT_EQ(host.invalidated.size(), 1u);
    ASSERT_TRUE(host.invalidated[0]);
    EXPECT_LE(host.invalidated[0]->left, 2);
    EXPECT_GE(host.invalidated[0]->right, 34);
    EXPECT_EQ(shown(), Shown::Green);
}

}  // namespace
}  // namespace pencora::runtime
