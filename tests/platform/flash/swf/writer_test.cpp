// Movies built with the writer read back into the records they were built from.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/flash/swf/movie.h"
#include "platform/flash/swfwrite/encode.h"
#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"

namespace pencora::swf {
namespace {

using namespace swfwrite;

// A movie with one of everything the writer makes. Also the source of the writer-made fuzz
// seeds (see WritesFuzzSeedsWhenAsked).
MovieBuilder everythingMovie(uint8_t version) {
    MovieBuilder b(version, 200, 100, 30.0);
    b.background({255, 255, 255, 255});

    LosslessBitmap bmp;
    bmp.version = 2;
    bmp.width = 2;
    bmp.height = 2;
    bmp.pixels = {0xffff0000, 0x80008000, 0x00000000, 0xff0000ff};
    const uint16_t bitmapId = b.define(bmp);

    ShapeBuilder sb;
    uint32_t solid = sb.addFill(solidFill({255, 0, 0, 255}));
    uint32_t grad = sb.addFill(
        gradientFill(FillType::FocalGradient, gradientBox(0, 0, 400, 400),
                     {{0, {0, 0, 0, 255}}, {128, {0, 255, 0, 128}}, {255, {255, 255, 255, 0}}},
                     SpreadMode::Reflect, InterpolationMode::Linear, -0.5));
    uint32_t bitmap = sb.addFill(bitmapFill(bitmapId, FillType::RepeatingBitmap));
    LineStyle thick = solidLine(60, {0, 0, 255, 255});
    thick.join = JoinStyle::Bevel;
    thick.endCap = CapStyle::Square;
    thick.fill = solidFill({0, 0, 255, 255});
    uint32_t line = sb.addLine(thick);
    sb.rectangle(0, 0, 400, 400, solid).line(line);
    sb.fill1(grad).moveTo(500, 0).curveTo(700, 0, 700, 200).lineTo(500, 0);
    sb.fill0(bitmap).fill1(0).moveTo(0, 500).lineTo(300, 800).lineTo(0, 800).lineTo(0, 500);
    Shape shape = sb.build(0, 4);
    // A style change with new styles part way through.
    StyleChange fresh;
    fresh.newStyles = std::make_shared<NewStyles>(
        NewStyles{{solidFill({1, 2, 3, 4})}, {solidLine(20, {5, 6, 7, 8})}});
    fresh.fill1 = 1;
    fresh.moveX = 1000;
    fresh.moveY = 1000;
    shape.records.push_back(fresh);
    shape.records.push_back(StraightEdge{100, 100});
    const uint16_t shapeId = b.define(shape);

    MorphShape morph;
    morph.version = 2;
    morph.startBounds = {0, 200, 0, 200};
    morph.endBounds = {0, 400, 0, 400};
    morph.startEdgeBounds = morph.startBounds;
    morph.endEdgeBounds = morph.endBounds;
    MorphFillStyle mf;
    mf.startColor = {255, 0, 0, 255};
    mf.endColor = {0, 0, 255, 128};
    MorphFillStyle mg;
    mg.type = FillType::RadialGradient;
    mg.startMatrix = gradientBox(0, 0, 200, 200);
    mg.endMatrix = gradientBox(0, 0, 400, 400);
    mg.stops = {{{0, {1, 1, 1, 255}}, {10, {2, 2, 2, 255}}},
                {{255, {3, 3, 3, 255}}, {200, {4, 4, 4, 4}}}};
    morph.fills = {mf, mg};
    MorphLineStyle ml;
    ml.startWidth = 20;
    ml.endWidth = 80;
    ml.startColor = {0, 0, 0, 255};
    ml.endColor = {9, 9, 9, 9};
    ml.join = JoinStyle::Miter;
    ml.miterLimit = 4.0;
    morph.lines = {ml};
    StyleChange mstart;
    mstart.moveX = 0;
    mstart.moveY = 0;
    mstart.fill1 = 1;
    mstart.line = 1;
    morph.startRecords = {mstart, StraightEdge{200, 0}, StraightEdge{0, 200},
                          CurvedEdge{-100, 0, -100, -200}};
    StyleChange mend;
    mend.moveX = 0;
    mend.moveY = 0;
    morph.endRecords = {mend, StraightEdge{400, 0}, StraightEdge{0, 400},
                        CurvedEdge{-200, 0, -200, -400}};
    const uint16_t morphId = b.define(morph);

    Font font;
    font.version = 3;
    font.name = "Glyphs";
    font.wideCodes = true;
    ShapeBuilder g;
    g.rectangle(0, -800, 600, 0, 1);
    font.glyphs = {g.records(), {}};
    font.codes = {0x5b57, 0x20};
    font.hasLayout = true;
    font.ascent = 900;
    font.descent = 200;
    font.leading = 40;
    font.advances = {1024, 512};
    font.glyphBounds = {{0, 600, -800, 0}, {}};
    font.kerning = {{0x5b57, 0x20, -30}};
    const uint16_t fontId = b.define(font);

    Text text;
    text.version = 2;
    text.bounds = {0, 2000, 0, 400};
    text.matrix.tx = 40;
    text.matrix.ty = 300;
    TextRecord run;
    run.fontId = fontId;
    run.color = Rgba{0, 0, 0, 200};
    run.xOffset = 0;
    run.yOffset = 240;
    run.height = 240;
    run.glyphs = {{0, 240}, {1, 120}, {0, 240}};
    TextRecord second;
    second.xOffset = 20;
    second.glyphs = {{1, -5}};
    text.records = {run, second};
    const uint16_t textId = b.define(text);

    EditText edit;
    edit.bounds = {0, 2000, 0, 400};
    edit.variableName = "_root.answer";
    edit.initialText = "你好";
    edit.fontId = fontId;
    edit.fontHeight = 240;
    edit.readOnly = true;
    edit.maxLength = 20;
    b.define(edit);

    Sound sound;
    sound.format = SoundFormat::Adpcm;
    sound.rate = 2;
    sound.is16Bit = true;
    sound.stereo = true;
    sound.sampleCount = 1000;
    sound.data = {1, 2, 3, 4, 5, 6, 7, 8};
    const uint16_t soundId = b.define(sound);

    Button button;
    button.version = 2;
    button.trackAsMenu = true;
    ButtonRecord up;
    up.states = button_state::Up | button_state::Over;
    up.characterId = shapeId;
    up.depth = 1;
    up.matrix.tx = 100;
    up.colorTransform.aMult = 128;
    ButtonRecord hit;
    hit.states = button_state::HitTest | button_state::Down;
    hit.characterId = shapeId;
    hit.depth = 2;
    if (version >= 8) {
        Filter glow;
        glow.type = FilterType::Glow;
        glow.color = {255, 255, 0, 255};
        glow.blurX = glow.blurY = 6.0;
        glow.strength = 2.0;
        glow.passes = 2;
        hit.filters = {glow};
        hit.blendMode = BlendMode::Screen;
    }
    button.records = {up, hit};
    button.actions = {
        {button_condition::OverDownToOverUp, 0, {0x83, 0x03, 0x00, 'a', 0, 0, 0x00}},
        {button_condition::IdleToOverUp | button_condition::OutDownToIdle, 32, {0x00}}};
    button.sounds[1].soundId = soundId;
    button.sounds[1].info.loopCount = 3;
    const uint16_t buttonId = b.define(button);

    VideoStream video;
    video.frameCount = 2;
    video.width = 16;
    video.height = 16;
    video.deblocking = 2;
    video.smoothing = true;
    video.codecId = 2;
    // Sorenson H.263 picture headers (16 x 16, intra then inter) without picture data.
    video.frames = {{0, {0x00, 0x00, 0x84, 0x00, 0x02, 0x02, 0x02, 0x00}},
                    {1, {0x00, 0x00, 0x84, 0x00, 0x82, 0x02, 0x06, 0x00}}};
    const uint16_t videoId = b.define(video);

    TimelineBuilder clip;
    clip.place(shapeId, 1).showFrame();
    clip.move(1, Matrix{0.5, 0.25, -0.25, 0.5, 10, -10})
        .label("end")
        .doAction({0x07, 0x00})
        .showFrame();
    const uint16_t spriteId = b.define(clip.sprite());

    PlaceObject p;
    p.version = version >= 8 ? 3 : 2;
    p.characterId = spriteId;
    p.depth = 10;
    p.name = "clip";
    p.matrix = Matrix{1.5, 0.0, 0.0, 1.5, 200, 200};
    ColorTransform cx;
    cx.rMult = 200;
    cx.gAdd = -40;
    cx.aAdd = 10;
    p.colorTransform = cx;
    if (version >= 6) {
        p.clipActions = {{clip_event::EnterFrame, 0, {0x06, 0x00}}};
        p.allClipEvents = clip_event::EnterFrame;
    }
    PlaceObject v;
    v.characterId = videoId;
    v.depth = 13;
    v.ratio = 1;
    b.label("start").place(p).place(buttonId, 11).place(textId, 12).place(v).showFrame();
    PlaceObject m;
    m.characterId = morphId;
    m.depth = 5;
    m.ratio = 32768;
    m.clipDepth = 20;
    b.place(m).startSound(soundId).doAction({0x07, 0x00}).remove(11).showFrame();
    return b;
}

TEST(SwfWriter, MoviesReadBackAsTheRecordsTheyWereBuiltFrom) {
    for (uint8_t version : {5, 6, 8, 10}) {
        for (auto c : {Compression::None, Compression::Zlib, Compression::Lzma}) {
            SCOPED_TRACE(testing::Message() << "SWF " << int(version) << " compression " << int(c));
            auto builder = everythingMovie(version);
            Movie expected = builder.build();
            auto result = readMovie(builder.write(c));
            ASSERT_TRUE(result) << result.error;
            const Movie& got = *result.movie;
            EXPECT_TRUE(got.warnings.empty()) << got.warnings.front();
            EXPECT_EQ(got.header.frameCount, expected.header.frameCount);
            ASSERT_EQ(got.dictionary.size(), expected.dictionary.size());
            for (const auto& [id, character] : expected.dictionary) {
                SCOPED_TRACE(id);
                const Character* read = got.find(id);
                ASSERT_NE(read, nullptr);
                EXPECT_EQ(read->index(), character.index());
                EXPECT_TRUE(*read == character);
            }
            // Frame 1 of the root gains the SetBackgroundColor tag written for the movie.
            ASSERT_EQ(got.timeline.frames.size(), expected.timeline.frames.size());
            Frame first = got.timeline.frames[0];
            ASSERT_TRUE(std::holds_alternative<SetBackgroundColor>(first.tags.front()));
            first.tags.erase(first.tags.begin());
            EXPECT_TRUE(first == expected.timeline.frames[0]);
            EXPECT_TRUE(got.timeline.frames[1] == expected.timeline.frames[1]);
        }
    }
}

TEST(SwfWriter, MovieLevelTagsSurvive) {
    MovieBuilder b(9);
    b.movie().fileAttributes = file_attribute::UseNetwork | file_attribute::HasMetadata;
    b.movie().metadata = "<rdf/>";
    b.movie().protect = true;
    b.movie().maxRecursionDepth = 1000;
    b.movie().scriptTimeoutSeconds = 60;
    b.movie().scenes = {{0, "Scene 1"}, {2, "Scene 2"}};
    b.movie().sceneFrameLabels = {{1, "x"}};
    b.movie().jpegTables = {0xff, 0xd8, 0xff, 0xd9};
    JpegBitmap jpeg;
    jpeg.version = 3;
    jpeg.data = {0xff, 0xd8, 0xff, 0xd9};
    jpeg.alpha = {0x78, 0x9c, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};
    b.define(jpeg);
    JpegBitmap old;
    old.version = 1;
    old.data = {0xff, 0xd8, 0xff, 0xd9};
    b.define(old);
    b.showFrame();
    auto result = readMovie(b.write());
    ASSERT_TRUE(result);
    const Movie& m = *result.movie;
    EXPECT_EQ(m.fileAttributes, b.movie().fileAttributes);
    EXPECT_EQ(m.metadata, "<rdf/>");
    EXPECT_TRUE(m.protect);
    EXPECT_EQ(m.maxRecursionDepth, 1000);
    EXPECT_EQ(m.scriptTimeoutSeconds, 60);
    ASSERT_EQ(m.scenes.size(), 2u);
    EXPECT_EQ(m.scenes[1].name, "Scene 2");
    EXPECT_EQ(m.scenes[1].offset, 2u);
    EXPECT_EQ(m.sceneFrameLabels, b.movie().sceneFrameLabels);
    EXPECT_EQ(m.jpegTables, b.movie().jpegTables);
    EXPECT_TRUE(*m.find(1) == Character{b.movie().dictionary.at(1)});
    EXPECT_TRUE(*m.find(2) == Character{b.movie().dictionary.at(2)});
}

// A rectangle whose coordinates need 32 bits cannot be stored (its size field has five
// bits): writing it fails instead of leaving a zero-sized rectangle that shifts every field
// after it.
TEST(SwfWriter, RefusesRectanglesWiderThanTheFormat) {
    Text wide;
    wide.version = 2;
    wide.bounds = {0, INT32_MAX, 0, 100};
    MovieBuilder b;
    b.define(wide);
    EXPECT_THROW(b.write(), std::out_of_range);
    Text edge = wide;
    edge.bounds = {-(1 << 30), (1 << 30) - 1, 0, 100};
    MovieBuilder ok;
    ok.define(edge);
    auto result = readMovie(ok.write());
    ASSERT_TRUE(result);
    EXPECT_TRUE(result.movie->warnings.empty());
    EXPECT_EQ(std::get<Text>(*result.movie->find(1)).bounds, edge.bounds);
}

// With PENCORA_WRITE_SWF_SEEDS=dir, writes the writer-made fuzz seeds into dir (this is
// how tests/platform/flash/swf/fuzz-seeds/written-*.swf were made).
TEST(SwfWriter, WritesFuzzSeedsWhenAsked) {
    const char* dir = std::getenv("PENCORA_WRITE_SWF_SEEDS");
    if (dir == nullptr) {
        GTEST_SKIP();
    }
    struct Seed {
        const char* name;
        uint8_t version;
        Compression compression;
    };
    for (const Seed& s : {Seed{"written-v5.swf", 5, Compression::None},
                          Seed{"written-v8.swf", 8, Compression::None},
                          Seed{"written-v8-zlib.swf", 8, Compression::Zlib},
                          Seed{"written-v10-lzma.swf", 10, Compression::Lzma}}) {
        auto bytes = everythingMovie(s.version).write(s.compression);
        std::ofstream out(std::filesystem::path(dir) / s.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
}

}  // namespace
}  // namespace pencora::swf
