// How the reader treats whole files: compression, truncation, hostile lengths, frames and
// the corpus of real movies.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/flash/swf/movie.h"
#include "platform/flash/swf/tag_codes.h"
#include "platform/flash/swfwrite/encode.h"
#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"
#include "tag_bytes.h"

namespace pencora::swf {
namespace {

using testing::movieWithTags;
using testing::tagBytes;

std::vector<uint8_t> readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SwfReader, RejectsWhatIsNotAMovie) {
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Row rows[] = {
        {"empty", {}},
        {"short", {'F', 'W', 'S'}},
        {"wrong signature", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}},
        {"header cut before the frame rate", {'F', 'W', 'S', 6, 12, 0, 0, 0, 0x50, 0}},
        {"zlib body that is not zlib", {'C', 'W', 'S', 6, 100, 0, 0, 0, 1, 2, 3, 4}},
        {"LZMA header cut off", {'Z', 'W', 'S', 13, 100, 0, 0, 0, 5, 0, 0, 0, 0x5d}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto result = readMovie(row.bytes);
        EXPECT_FALSE(result);
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(SwfReader, ReadsTheSameMovieFromEachCompression) {
    swfwrite::MovieBuilder b(10, 100, 80, 24.0);
    swfwrite::ShapeBuilder sb;
    sb.rectangle(0, 0, 400, 400, sb.addFill(swfwrite::solidFill({0, 128, 0, 255})));
    uint16_t id = b.define(sb.build());
    b.background({1, 2, 3, 255});
    b.place(id, 1).showFrame().remove(1).showFrame();
    for (auto c : {Compression::None, Compression::Zlib, Compression::Lzma}) {
        SCOPED_TRACE(static_cast<int>(c));
        auto result = readMovie(b.write(c));
        ASSERT_TRUE(result) << result.error;
        const Movie& m = *result.movie;
        EXPECT_EQ(m.header.compression, c);
        EXPECT_EQ(m.header.version, 10);
        EXPECT_EQ(m.header.frameSize, (Rect{0, 2000, 0, 1600}));
        EXPECT_DOUBLE_EQ(m.header.frameRate, 24.0);
        EXPECT_EQ(m.header.frameCount, 2);
        EXPECT_EQ(m.timeline.frames.size(), 2u);
        EXPECT_EQ(m.backgroundColor, (Rgba{1, 2, 3, 255}));
        EXPECT_NE(m.findAs<Shape>(id), nullptr);
        EXPECT_TRUE(m.warnings.empty());
        EXPECT_FALSE(m.truncated);
    }
}

// The dictionary an LZMA header asks for is never allocated beyond the movie's own size: a
// movie that declares a gigabyte still reads, and the fuzzer's find (a few hundred bytes that
// asked for 944 MB) is rejected without that allocation.
TEST(SwfReader, LzmaDictionaryIsBoundByTheMovieSize) {
    swfwrite::MovieBuilder b(10, 100, 80, 24.0);
    b.background({1, 2, 3, 255});
    b.showFrame();
    std::vector<uint8_t> bytes = b.write(Compression::Lzma);
    ASSERT_GT(bytes.size(), 17u);
    const uint32_t gigabyte = 1u << 30;
    for (int i = 0; i < 4; ++i) {
        bytes[size_t(13 + i)] = uint8_t(gigabyte >> (8 * i));
    }
    const auto huge = readMovie(bytes);
    ASSERT_TRUE(huge) << huge.error;
    EXPECT_EQ(huge.movie->backgroundColor, (Rgba{1, 2, 3, 255}));

    const auto find = readFile(std::filesystem::path(PENCORA_SOURCE_DIR) /
                               "tests/platform/flash/swf/fuzz-seeds/"
                               "find-lzma-gigabyte-dictionary.swf");
    ASSERT_FALSE(find.empty());
    EXPECT_FALSE(readMovie(find));
}

// Cutting a movie anywhere must give either a rejection or a movie holding a prefix of
// the frames, never a crash (run under the sanitizers) and never a frame that was not there.
TEST(SwfReader, TruncatedFilesLoadAsFarAsTheyAreSound) {
    swfwrite::MovieBuilder b(8);
    swfwrite::ShapeBuilder sb;
    sb.rectangle(0, 0, 400, 400, sb.addFill(swfwrite::solidFill({255, 0, 0, 255})));
    uint16_t id = b.define(sb.build());
    b.place(id, 1).showFrame();
    b.doAction({0x07, 0x00}).showFrame();
    b.remove(1).showFrame();
    for (auto c : {Compression::None, Compression::Zlib, Compression::Lzma}) {
        const auto full = b.write(c);
        for (size_t cut = 0; cut < full.size(); ++cut) {
            SCOPED_TRACE(cut);
            std::vector<uint8_t> part(full.begin(), full.begin() + cut);
            auto result = readMovie(part);
            if (result) {
                EXPECT_LE(result.movie->timeline.frames.size(), 3u);
            }
        }
    }
}

TEST(SwfReader, TagLongerThanTheFileEndsTheMovieThere) {
    auto place = tagBytes(tag::PlaceObject2, {0x06, 0x01, 0x00, 0x01, 0x00, 0x00});
    auto show = tagBytes(tag::ShowFrame, {});
    // A DoAction claiming a megabyte with ten bytes behind it.
    std::vector<uint8_t> liar = {0x3f, 0x03, 0x00, 0x00, 0x10, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    auto file = movieWithTags({place, show, liar});
    auto result = readMovie(file);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result.movie->truncated);
    ASSERT_EQ(result.movie->timeline.frames.size(), 1u);
    EXPECT_TRUE(std::holds_alternative<PlaceObject>(result.movie->timeline.frames[0].tags[0]));
    ASSERT_FALSE(result.movie->warnings.empty());
    EXPECT_NE(result.movie->warnings[0].find("DoAction"), std::string::npos);
}

TEST(SwfReader, BrokenTagStaysInItsFrameAsUnknownAndNamesItself) {
    // A DefineShape whose records run past its declared length, between two good tags.
    auto shape = tagBytes(tag::DefineShape, {0x01, 0x00, 0x48, 0x01, 0x90, 0x00, 0x64, 0x00, 0x01,
                                             0x00, 0xff, 0x00, 0x00, 0x00, 0x10, 0xff});
    auto action = tagBytes(tag::DoAction, {0x07, 0x00});
    auto unknown = tagBytes(200, {1, 2, 3});
    auto result = readMovie(movieWithTags({shape, action, unknown}));
    ASSERT_TRUE(result);
    const auto& tags = result.movie->timeline.frames.at(0).tags;
    ASSERT_EQ(tags.size(), 3u);
    const auto* broken = std::get_if<UnknownTag>(&tags[0]);
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->code, tag::DefineShape);
    EXPECT_TRUE(std::holds_alternative<DoAction>(tags[1]));
    const auto* kept = std::get_if<UnknownTag>(&tags[2]);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->code, 200);
    EXPECT_EQ(kept->body, (Bytes{1, 2, 3}));
    EXPECT_TRUE(result.movie->dictionary.empty());
    ASSERT_EQ(result.movie->warnings.size(), 1u);
    EXPECT_NE(result.movie->warnings[0].find("DefineShape at offset 0x"), std::string::npos)
        << result.movie->warnings[0];
}

TEST(SwfReader, DeclaredSizesAreCapped) {
    // A zlib movie claiming 4 GB is inflated only up to the limit.
    swfwrite::MovieBuilder b(8);
    b.doAction({0x00}).showFrame();
    auto file = b.write(Compression::Zlib);
    file[4] = file[5] = file[6] = file[7] = 0xff;
    ReadOptions options;
    options.maxMovieBytes = 1024;
    auto result = readMovie(file, options);
    ASSERT_TRUE(result);
    EXPECT_EQ(result.movie->timeline.frames.size(), 1u);

    // A lossless bitmap of 65535 x 65535 pixels is refused before any allocation.
    std::vector<uint8_t> body = {0x01, 0x00, 0x05, 0xff, 0xff, 0xff, 0xff, 0x78, 0x9c, 0x03, 0x00};
    auto big = readMovie(movieWithTags({tagBytes(tag::DefineBitsLossless2, body)}));
    ASSERT_TRUE(big);
    EXPECT_TRUE(big.movie->dictionary.empty());
    ASSERT_FALSE(big.movie->warnings.empty());
    EXPECT_NE(big.movie->warnings[0].find("too large"), std::string::npos);
}

TEST(SwfReader, FloodsOfTagsAreCutOff) {
    // Empty frames by the million cost memory and time for nothing: past the cap the movie
    // reads as cut off, holding the frames before it.
    std::vector<Bytes> frames(50, tagBytes(tag::ShowFrame, {}));
    ReadOptions options;
    options.maxTags = 20;
    auto result = readMovie(movieWithTags(frames), options);
    ASSERT_TRUE(result);
    EXPECT_EQ(result.movie->timeline.frames.size(), 20u);
    EXPECT_TRUE(result.movie->truncated);
    ASSERT_FALSE(result.movie->warnings.empty());
    EXPECT_NE(result.movie->warnings.back().find("more than 20 tags"), std::string::npos);

    // Tags that fail to parse stop the reading sooner; the broken ones read so far stay.
    std::vector<Bytes> broken(10, tagBytes(tag::DefineShape, {1}));
    options = ReadOptions{};
    options.maxBrokenTags = 3;
    result = readMovie(movieWithTags(broken), options);
    ASSERT_TRUE(result);
    EXPECT_EQ(result.movie->timeline.frames.at(0).tags.size(), 4u);
    EXPECT_TRUE(result.movie->truncated);

    // 313 bytes of LZMA that unpack into 200,000 broken bitmap tags.
    const auto find = readFile(std::filesystem::path(PENCORA_SOURCE_DIR) /
                               "tests/platform/flash/swf/fuzz-seeds/"
                               "find-lzma-broken-tag-flood.swf");
    ASSERT_FALSE(find.empty());
    result = readMovie(find);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result.movie->truncated);
    EXPECT_NE(result.movie->warnings.back().find("broken tags"), std::string::npos);
}

TEST(SwfReader, LosslessBitmapsBecomePremultipliedPixels) {
    // 2x2, colour-mapped RGB (format 3) with 2 palette entries; rows padded to 4 bytes.
    // Index 5 is past the palette and reads as transparent.
    std::vector<uint8_t> raw = {255, 0, 0, 0, 255, 0, 0, 1, 0, 0, 1, 5, 0, 0};
    std::vector<uint8_t> packed = swfwrite::wrapMovie(8, raw, Compression::Zlib);
    // wrapMovie's zlib stream starts after its 8-byte header.
    std::vector<uint8_t> body = {0x01, 0x00, 0x03, 0x02, 0x00, 0x02, 0x00, 0x01};
    body.insert(body.end(), packed.begin() + 8, packed.end());
    auto result = readMovie(movieWithTags({tagBytes(tag::DefineBitsLossless, body)}));
    ASSERT_TRUE(result);
    const auto* bmp = result.movie->findAs<LosslessBitmap>(1);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->pixels, (std::vector<uint32_t>{0xffff0000, 0xff00ff00, 0xff00ff00, 0}));

    // Format 5 of DefineBitsLossless2 is premultiplied ARGB already; a colour channel
    // above alpha is clamped to it.
    std::vector<uint8_t> argb = {0x80, 0x40, 0x00, 0x80, 0x10, 0xff, 0x00, 0x00};
    packed = swfwrite::wrapMovie(8, argb, Compression::Zlib);
    body = {0x02, 0x00, 0x05, 0x02, 0x00, 0x01, 0x00};
    body.insert(body.end(), packed.begin() + 8, packed.end());
    result = readMovie(movieWithTags({tagBytes(tag::DefineBitsLossless2, body)}));
    ASSERT_TRUE(result);
    bmp = result.movie->findAs<LosslessBitmap>(2);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->pixels, (std::vector<uint32_t>{0x80400080, 0x10100000}));
}

TEST(SwfReader, FontInfoAndButtonSoundAttachToTheirCharacters) {
    Font f;
    f.id = 3;
    f.version = 1;
    f.glyphs = {{}, {}};
    auto font = swfwrite::encodeCharacter(f, 6);
    // DefineFontInfo: font 3, name "Song", flags bold|wide codes, codes 0x4e00 0x4e8c.
    auto info = tagBytes(tag::DefineFontInfo,
                         {0x03, 0x00, 0x04, 'S', 'o', 'n', 'g', 0x03, 0x00, 0x4e, 0x8c, 0x4e});
    Button b;
    b.id = 4;
    auto button = swfwrite::encodeCharacter(b, 6);
    // DefineButtonSound: only idle-to-over-up plays sound 9, with no options.
    auto sound = tagBytes(tag::DefineButtonSound,
                          {0x04, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    auto result = readMovie(movieWithTags({font, info, button, sound}, 6));
    ASSERT_TRUE(result);
    EXPECT_TRUE(result.movie->warnings.empty()) << result.movie->warnings.front();
    const auto* rf = result.movie->findAs<Font>(3);
    ASSERT_NE(rf, nullptr);
    EXPECT_EQ(rf->name, "Song");
    EXPECT_TRUE(rf->bold);
    EXPECT_EQ(rf->codes, (std::vector<uint16_t>{0x4e00, 0x4e8c}));
    const auto* rb = result.movie->findAs<Button>(4);
    ASSERT_NE(rb, nullptr);
    EXPECT_EQ(rb->sounds[0].soundId, 0);
    EXPECT_EQ(rb->sounds[1].soundId, 9);
}

TEST(SwfReader, VideoFramesJoinTheirStreamWhereverTheySit) {
    swfwrite::MovieBuilder b(8);
    VideoStream v;
    v.codecId = 4;
    const uint16_t id = b.define(v);
    auto frame = [](uint16_t stream, uint16_t number, uint8_t byte) {
        return UnknownTag{
            tag::VideoFrame,
            {uint8_t(stream), uint8_t(stream >> 8), uint8_t(number), uint8_t(number >> 8), byte}};
    };
    swfwrite::TimelineBuilder sprite;
    sprite.tag(frame(id, 1, 0xB1)).showFrame();
    b.define(sprite.sprite());
    b.tag(frame(id, 0, 0xA0)).tag(frame(id, 0, 0xEE)).tag(frame(99, 0, 0xCC)).showFrame();
    auto result = readMovie(b.write());
    ASSERT_TRUE(result);
    const VideoStream* read = result.movie->findAs<VideoStream>(id);
    ASSERT_NE(read, nullptr);
    const std::map<uint16_t, Bytes> expected = {{0, {0xA0}}, {1, {0xB1}}};
    EXPECT_EQ(read->frames, expected);  // the first packet of a number is kept
    // A frame of no stream stays where it was, as bytes, and is reported.
    const auto& tags = result.movie->timeline.frames.at(0).tags;
    ASSERT_EQ(tags.size(), 1u);
    EXPECT_EQ(std::get<UnknownTag>(tags[0]).code, tag::VideoFrame);
    EXPECT_FALSE(result.movie->warnings.empty());
}

TEST(SwfReader, SpritesHoldTheirOwnFramesAndFirstDefinitionWins) {
    swfwrite::TimelineBuilder inner;
    inner.label("a").doAction({0x07, 0x00}).showFrame().showFrame();
    Sprite s = inner.sprite(5);
    auto sprite = swfwrite::encodeCharacter(s, 8);
    Sprite other = s;
    other.timeline.frames.pop_back();
    auto again = swfwrite::encodeCharacter(other, 8);
    auto result = readMovie(movieWithTags({sprite, again}));
    ASSERT_TRUE(result);
    const auto* rs = result.movie->findAs<Sprite>(5);
    ASSERT_NE(rs, nullptr);
    ASSERT_EQ(rs->timeline.frames.size(), 2u);
    EXPECT_EQ(rs->timeline.frames[0].labels, (std::vector<std::string>{"a"}));
    EXPECT_EQ(rs->timeline.frames[0].tags.size(), 2u);
    EXPECT_TRUE(rs->timeline.frames[1].tags.empty());
    EXPECT_EQ(result.movie->warnings.size(), 1u);  // the second definition
}

// A sprite whose tags stop without End, or run on past the last ShowFrame, plays once and stays
// on its last frame, so the reader has to tell such a timeline from a whole one.
TEST(SwfReader, SpritesCutShortAreMarkedIncomplete) {
    auto sprite = [](uint16_t id, std::vector<std::vector<uint8_t>> tags) {
        std::vector<uint8_t> body = {uint8_t(id), 0, 1, 0};
        for (const auto& t : tags) {
            body.insert(body.end(), t.begin(), t.end());
        }
        return tagBytes(tag::DefineSprite, body);
    };
    const auto show = tagBytes(tag::ShowFrame, {});
    const auto end = tagBytes(tag::End, {});
    const auto action = tagBytes(tag::DoAction, {0x07, 0x00});
    // A tag claiming more bytes than its sprite holds ends that sprite, not the movie.
    const std::vector<uint8_t> overrun = {0x3f, 0x03, 0xe8, 0x03, 0, 0, 0x07, 0x00};
    auto result = readMovie(movieWithTags({sprite(1, {show, end}), sprite(2, {show, action, end}),
                                           sprite(3, {show}), sprite(4, {show, overrun}), action}));
    ASSERT_TRUE(result);
    EXPECT_FALSE(result.movie->truncated);
    EXPECT_FALSE(result.movie->findAs<Sprite>(4)->timeline.complete);
    EXPECT_EQ(result.movie->findAs<Sprite>(4)->timeline.frames.size(), 1u);
    EXPECT_EQ(result.movie->timeline.frames.at(0).tags.size(), 1u);
    EXPECT_TRUE(result.movie->findAs<Sprite>(1)->timeline.complete);
    EXPECT_FALSE(result.movie->findAs<Sprite>(2)->timeline.complete);
    EXPECT_EQ(result.movie->findAs<Sprite>(2)->timeline.frames.size(), 2u);
    EXPECT_FALSE(result.movie->findAs<Sprite>(3)->timeline.complete);
    EXPECT_TRUE(result.movie->timeline.complete);
}

// Tags out of their place: a definition inside a sprite is left out and the sprite goes on; of
// two background colours the first is the stage's; FileAttributes after other tags is still
// read.
TEST(SwfReader, TagsOutOfTheirPlaceCostNothingAroundThem) {
    const auto show = tagBytes(tag::ShowFrame, {});
    const auto end = tagBytes(tag::End, {});
    const auto action = tagBytes(tag::DoAction, {0x07, 0x00});
    std::vector<uint8_t> innerBody = {2, 0, 1, 0};
    innerBody.insert(innerBody.end(), show.begin(), show.end());
    innerBody.insert(innerBody.end(), end.begin(), end.end());
    std::vector<uint8_t> outerBody = {1, 0, 1, 0};
    for (const auto& t : {tagBytes(tag::DefineSprite, innerBody), action, show, end}) {
        outerBody.insert(outerBody.end(), t.begin(), t.end());
    }
    for (uint8_t version : {4, 5, 8, 10}) {
        SCOPED_TRACE(int(version));
        auto result = readMovie(movieWithTags(
            {tagBytes(tag::SetBackgroundColor, {1, 2, 3}), tagBytes(tag::DefineSprite, outerBody),
             tagBytes(tag::SetBackgroundColor, {4, 5, 6}),
             tagBytes(tag::FileAttributes, {0x01, 0, 0, 0})},
            version));
        ASSERT_TRUE(result) << result.error;
        const auto* outer = result.movie->findAs<Sprite>(1);
        ASSERT_NE(outer, nullptr);
        EXPECT_EQ(result.movie->findAs<Sprite>(2), nullptr);
        ASSERT_EQ(outer->timeline.frames.size(), 1u);
        EXPECT_TRUE(outer->timeline.complete);
        ASSERT_FALSE(outer->timeline.frames[0].tags.empty());
        EXPECT_TRUE(std::holds_alternative<DoAction>(outer->timeline.frames[0].tags.back()));
        EXPECT_EQ(result.movie->backgroundColor, (Rgba{1, 2, 3, 255}));
        EXPECT_EQ(result.movie->fileAttributes, 1u);
    }
}

// Writers other than the authoring tool leave wrong lengths in the header, bytes after End and
// long headers on short tags; none of it may cost a frame.
TEST(SwfReader, HeaderLengthsAndTagsAroundEndAsOtherWritersLeaveThem) {
    swfwrite::MovieBuilder b(8);
    b.doAction({0x07, 0x00}).showFrame().doAction({0x06, 0x00}).showFrame();
    auto setLength = [](std::vector<uint8_t> file, uint32_t length) {
        for (int i = 0; i < 4; ++i) {
            file[size_t(4 + i)] = uint8_t(length >> (8 * i));
        }
        return file;
    };
    for (uint32_t length : {0u, 21u, 1000000u}) {
        for (auto c : {Compression::None, Compression::Zlib, Compression::Lzma}) {
            SCOPED_TRACE(std::to_string(length) + (c == Compression::None   ? " FWS"
                                                   : c == Compression::Zlib ? " CWS"
                                                                            : " ZWS"));
            auto result = readMovie(setLength(b.write(c), length));
            ASSERT_TRUE(result) << result.error;
            EXPECT_EQ(result.movie->timeline.frames.size(), 2u);
            EXPECT_TRUE(result.movie->timeline.complete);
        }
    }
    auto zlib = readMovie(setLength(b.write(Compression::Zlib), 21));
    ASSERT_FALSE(zlib.movie->warnings.empty());
    EXPECT_NE(zlib.movie->warnings[0].find("the header gives 21 bytes"), std::string::npos);

    // A tag written with the long header although it is short reads like the short form.
    const uint16_t head = uint16_t((tag::DoAction << 6) | 0x3f);
    std::vector<uint8_t> longAction = {uint8_t(head), uint8_t(head >> 8), 2, 0, 0, 0, 0x07, 0x00};
    auto file = movieWithTags({longAction});
    // Tags after End are never read, and said so.
    for (uint8_t byte : {0x40, 0x00, 0x00, 0x00}) {
        file.push_back(byte);
    }
    file = setLength(file, uint32_t(file.size()));
    auto result = readMovie(file);
    ASSERT_TRUE(result);
    ASSERT_EQ(result.movie->timeline.frames.size(), 1u);
    ASSERT_EQ(result.movie->timeline.frames[0].tags.size(), 1u);
    EXPECT_TRUE(std::holds_alternative<DoAction>(result.movie->timeline.frames[0].tags[0]));
    ASSERT_EQ(result.movie->warnings.size(), 1u);
    EXPECT_NE(result.movie->warnings[0].find("after the End tag"), std::string::npos);
}

// The header's fields are kept as declared, however little they agree with the tags: the
// frame rate in 8.8 fixed point (0 too), a frame count the ShowFrame tags do not match, an
// empty stage. Tags after the last ShowFrame make a last frame of their own, with End or
// without, and mark the timeline as not played through.
TEST(SwfReader, HeaderFieldsAreKeptAsDeclaredAndTrailingTagsMakeAFrame) {
    const auto action = tagBytes(tag::DoAction, {0x07, 0x00});
    for (auto [rate, expected] :
         {std::pair{0x0000, 0.0}, std::pair{0x0180, 1.5}, std::pair{0x1DF8, 29.96875}}) {
        for (uint16_t count : {0, 1, 7}) {
            auto file = movieWithTags({action}, 6);
            file[17] = uint8_t(rate);
            file[18] = uint8_t(rate >> 8);
            file[19] = uint8_t(count);
            auto result = readMovie(file);
            ASSERT_TRUE(result) << result.error;
            EXPECT_DOUBLE_EQ(result.movie->header.frameRate, expected);
            EXPECT_EQ(result.movie->header.frameCount, count);
            EXPECT_EQ(result.movie->timeline.frames.size(), 1u);
            EXPECT_TRUE(result.movie->timeline.complete);
        }
    }
    // A stage of no size: a rectangle of zero-bit fields.
    std::vector<uint8_t> empty = {'F', 'W', 'S', 5, 17, 0, 0, 0, 0x00, 0x00, 12, 1, 0};
    const auto show = tagBytes(tag::ShowFrame, {});
    empty.insert(empty.end(), show.begin(), show.end());
    empty.insert(empty.end(), {0, 0});
    auto stage = readMovie(empty);
    ASSERT_TRUE(stage) << stage.error;
    EXPECT_EQ(stage.movie->header.frameSize, Rect{});
    EXPECT_DOUBLE_EQ(stage.movie->header.frameRate, 12.0);
    EXPECT_EQ(stage.movie->timeline.frames.size(), 1u);

    for (bool withEnd : {false, true}) {
        SCOPED_TRACE(withEnd ? "End after the trailing tags" : "no End");
        auto file = movieWithTags({action}, 8);
        file.resize(file.size() - 2);  // drop End
        file.insert(file.end(), action.begin(), action.end());
        if (withEnd) {
            file.insert(file.end(), {0, 0});
        }
        auto result = readMovie(file);
        ASSERT_TRUE(result) << result.error;
        ASSERT_EQ(result.movie->timeline.frames.size(), 2u);
        EXPECT_EQ(result.movie->timeline.frames[1].tags.size(), 1u);
        EXPECT_FALSE(result.movie->timeline.complete);
    }
}

// Every movie of the conformance corpus loads; counts are printed for the record.
TEST(SwfReader, LoadsTheConformanceCorpus) {
    // The corpus sits beside the main checkout; a work tree one level deeper finds it too.
    std::filesystem::path dir(PENCORA_CONFORMANCE_DIR);
    if (!std::filesystem::exists(dir)) {
        dir = std::filesystem::path(PENCORA_SOURCE_DIR) / "../../shared/conformance";
    }
    if (!std::filesystem::exists(dir)) {
        GTEST_SKIP() << "no corpus at " << dir;
    }
    int total = 0;
    int clean = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
        if (!e.is_regular_file() || e.path().extension() != ".swf") {
            continue;
        }
        ++total;
        auto result = readMovie(readFile(e.path()));
        EXPECT_TRUE(result) << e.path() << ": " << result.error;
        if (result && result.movie->warnings.empty()) {
            ++clean;
        }
    }
    std::printf("corpus: %d of %d movies load without warnings\n", clean, total);
    EXPECT_GT(total, 0);
    EXPECT_EQ(clean, total);
}

}  // namespace
}  // namespace pencora::swf
