// Pictures in HTML text fields (<img>): where the layout floats them and how the lines make
// way, the clips movies of each version get for them (symbols and loaded files), what
// htmlText and getImageReference answer, the pixels they draw inside the field's box as it
// scrolls, and markup that asks for too much.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <span>

#include "../avm1/assembler.h"
#include "engine_fixture.h"
#include "fixed_measure.h"
#include "platform/flash/runtime/text/text_field.h"
#include "platform/flash/runtime/text/text_html.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;

// Lines 15 px (300 twips) apart.
using test::FixedMeasure;

TextField wrappedField(int version, double widthPx) {
    TextField f;
    f.bounds = QRectF(0, 0, widthPx * 20, 2000);
    f.multiline = true;
    f.wordWrap = true;
    f.html = true;
    f.version = version;
    f.newFormat = TextFormat::defaults();
    return f;
}

TEST(TextPictureLayout, LinesBesideAPictureMakeWayOnItsSide) {
    // A 20 x 20 px picture with 8 px clear all round stands 36 px wide from the gutter: the
    // lines whose tops lie beside it start past it, the first one below it at the gutter.
    TextField f = wrappedField(8, 150);
    setHtml(f, QStringLiteral(
                   "<img src='x' width='20' height='20'>aaaa aaaa aaaa aaaa aaaa aaaa aaaa aaaa"));
    ASSERT_EQ(f.pictures.size(), 1u);
    TextLayout l = layoutText(f, FixedMeasure());
    ASSERT_EQ(l.pictureBoxes.size(), 1u);
    EXPECT_EQ(l.pictureBoxes[0], QRectF(40 + 160, 40 + 160, 400, 400));
    ASSERT_GE(l.lines.size(), 4u);
    for (const TextLine& line : l.lines) {
        const bool beside = line.y < 40 + 720;
        EXPECT_EQ(line.x, beside ? 760 : 40) << line.y;
        EXPECT_LE(line.x + line.width, 3000 - 40) << "within the box";
    }
    EXPECT_GE(l.textHeight, 720) << "the text reaches past the picture's clear room";

    // On the right, the lines keep their start and wrap short of it.
    setHtml(f, QStringLiteral("<img src='x' width='20' height='20' align='right' hspace='2' "
                              "vspace='0'>aaaa aaaa aaaa aaaa aaaa"));
    l = layoutText(f, FixedMeasure());
    EXPECT_EQ(l.pictureBoxes[0], QRectF(3000 - 40 - 40 - 400, 40, 400, 400));
    EXPECT_EQ(l.lines[0].x, 40);
    EXPECT_LE(l.lines[0].x + l.lines[0].width, 3000 - 40 - 480);

    // A tag inside a line floats from the top of the next; one at a line's start from there.
    setHtml(f, QStringLiteral("aaaa aaaa <img src='x' width='20' height='20'>aaaa aaaa aaaa"));
    l = layoutText(f, FixedMeasure());
    ASSERT_GE(l.lines.size(), 2u);
    EXPECT_EQ(l.lines[1].start, 10);
    EXPECT_EQ(l.lines[0].x, 40);
    EXPECT_EQ(l.lines[1].x, 760);
    EXPECT_EQ(l.pictureBoxes[0].top(), l.lines[1].y + 160);

    // A picture of no size yet (a file on its way) takes no room.
    setHtml(f, QStringLiteral("<img src='x.jpg'>aaaa"));
    l = layoutText(f, FixedMeasure());
    EXPECT_EQ(l.lines[0].x, 40);
    f.pictures[0].ownSize = QSizeF(200, 100);
    EXPECT_EQ(layoutText(f, FixedMeasure()).lines[0].x, 40 + 200 + 320);

    // Edits keep a picture at its place in the text.
    setHtml(f, QStringLiteral("ab<img src='x'>cd"));
    f.replace(0, 1, QStringLiteral("xyz"));
    EXPECT_EQ(f.pictures[0].at, 4);
    f.replace(3, 5, QString());
    EXPECT_EQ(f.pictures[0].at, 3) << "an edit across it leaves it at the edit's start";
}

TEST(TextPictureLayout, TheTagCountsFromVersion7InFieldsOfManyLines) {
    for (const int version : {6, 7, 8}) {
        for (const bool multiline : {false, true}) {
            TextField f = wrappedField(version, 100);
            f.multiline = multiline;
            setHtml(f, QStringLiteral("a<img src='x' id='p'>b"));
            EXPECT_EQ(f.text, QStringLiteral("ab")) << "the tag adds no text";
            const bool kept = version >= 7 && multiline;
            EXPECT_EQ(f.pictures.size(), kept ? 1u : 0u) << version << multiline;
            EXPECT_EQ(toHtml(f).contains(QStringLiteral("<IMG")), kept);
        }
    }
}

TEST(TextPictureLayout, MarkupAskingTooMuchIsHeldToLimits) {
    TextField f = wrappedField(8, 100);
    QString many;
    for (int i = 0; i < 1000; ++i) {
        many += QStringLiteral("<img src='x'>");
    }
    setHtml(f, many);
    EXPECT_EQ(f.pictures.size(), 256u) << "a field keeps 256 pictures at most";

    setHtml(f, QStringLiteral("<img src='x&quot;&gt;&lt;b&gt;' width='1e12' height='nan' "
                              "hspace='-5' vspace='3'>"));
    ASSERT_EQ(f.pictures.size(), 1u);
    const TextPicture p = f.pictures[0];
    EXPECT_EQ(p.src, QStringLiteral("x\"><b>"));
    EXPECT_EQ(p.width, 8191);
    EXPECT_FALSE(p.height.has_value());
    EXPECT_EQ(p.hspace, 8) << "a negative space keeps the default";
    EXPECT_EQ(p.vspace, 3);
    // Written back escaped, so the markup read back sets the same picture again.
    const QString back = toHtml(f);
    EXPECT_TRUE(back.contains(QStringLiteral("SRC=\"x&quot;&gt;&lt;b&gt;\"")))
        << back.toStdString();
    const uint64_t set = f.picturesSet;
    setHtml(f, back);
    EXPECT_EQ(f.pictures[0].src, p.src);
    EXPECT_EQ(f.picturesSet, set) << "the same pictures again keep their clips";
    f.setText(QStringLiteral("plain"));
    EXPECT_TRUE(f.pictures.empty());
    EXPECT_NE(f.picturesSet, set);
}

// Movies: a 200 x 150 px white stage exporting a 40 x 40 red square clip as "sq", with an
// empty HTML field "f" (200 x `heightPx` px at (0, `y`) px) and a script in frame 1.
struct TextPictureMovie : testing::Test, test::EngineFixture {
    static void SetUpTestSuite() { test::ensureGuiApplication(); }

    std::vector<std::u16string> traces;
    struct Host : test::FakeHost {
        std::vector<std::u16string>* lines = nullptr;
        void trace(std::u16string_view line) override { lines->emplace_back(line); }
    };

    swfwrite::MovieBuilder movie(int version, bool multiline = true, double y = 0,
                                 double heightPx = 100) {
        swfwrite::MovieBuilder b(uint8_t(version), 200, 150);
        b.background({255, 255, 255, 255});
        b.tag(swf::ExportAssets{{{test::squareClip(b, {255, 0, 0, 255}), "sq"}}});
        swf::EditText e;
        e.bounds = {0, 4000, 0, int32_t(heightPx * 20)};
        e.html = true;
        e.multiline = multiline;
        e.wordWrap = true;
        e.readOnly = true;
        swf::PlaceObject p;
        p.characterId = b.define(e);
        p.depth = 1;
        p.name = "f";
        p.matrix = test::at(0, y);
        b.place(p);
        return b;
    }

    static Assembler setHtmlText(const std::string& html) {
        Assembler a;
        a.getVar("f").push({str("htmlText"), str(html)}).op(Code::SetMember);
        return a;
    }

    // Loads the movie with `script` in frame 1 (and `second` in frame 2) and runs `frames`
    // frames; what it traced.
    std::vector<std::string> play(swfwrite::MovieBuilder& b, Assembler script, int frames = 1,
                                  Assembler second = {}) {
        b.doAction(script.op(Code::End).bytes).showFrame();
        b.doAction(second.op(Code::End).bytes).showFrame();
        traces.clear();
        host.lines = &traces;
        engine->setHost(&host);
        EXPECT_TRUE(engine->loadMovie(0, b.write(), u"main.swf", {}));
        for (int i = 0; i < frames; ++i) {
            engine->runFrame();
        }
        std::vector<std::string> out;
        for (const auto& line : traces) {
            out.push_back(QString::fromStdU16String(line).toStdString());
        }
        return out;
    }

    QImage frame() {
        QImage image(200, 150, QImage::Format_ARGB32_Premultiplied);
        image.fill(0);
        flash::RenderTarget t{image.bits(), 200, 150, int(image.bytesPerLine()), 0, 0, 200, 150};
        flash::RenderOptions o;
        engine->render(t, o);
        return image;
    }

    // Answers the oldest fetch with `bytes` (nothing: it failed); its url.
    std::u16string answer(const std::optional<QByteArray>& bytes) {
        EXPECT_FALSE(host.fetches.empty());
        if (host.fetches.empty()) {
            return {};
        }
        const flash::FetchRequest r = host.fetches.front();
        host.fetches.erase(host.fetches.begin());
        if (bytes) {
            engine->fetchCompleted(
                r.id, std::span(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()));
        } else {
            engine->fetchFailed(r.id);
        }
        return r.url;
    }

    Host host;
};

// trace(expression on f.getImageReference(id)): `member` of the clip, or typeof it.
Assembler traceImage(const std::string& id, const std::string& member = {}) {
    Assembler a;
    a.push({str(id), integer(1), str("f")})
        .op(Code::GetVariable)
        .push({str("getImageReference")})
        .op(Code::CallMethod);
    if (member.empty()) {
        a.op(Code::TypeOf);
    } else {
        a.push({str(member)}).op(Code::GetMember);
    }
    return a.trace();
}

TEST_F(TextPictureMovie, ASymbolPictureShowsFromVersion7AtItsSizeAndSide) {
    for (const int version : {6, 7, 8}) {
        auto b = movie(version);
        play(b, setHtmlText("<img src='sq' width='20' height='10'>"
                            "<img src='sq' align='right' hspace='0' vspace='0'>"));
        const QImage img = frame();
        const bool shown = version >= 7;
        // Left: 20 x 10 px scaled, 8 px clear of the 2 px gutter on each side.
        EXPECT_EQ(img.pixel(10, 10), shown ? kRed : kWhite) << version;
        EXPECT_EQ(img.pixel(29, 19), shown ? kRed : kWhite) << version;
        EXPECT_EQ(img.pixel(30, 15), kWhite) << version;
        EXPECT_EQ(img.pixel(15, 20), kWhite) << version;
        EXPECT_EQ(img.pixel(9, 15), kWhite) << version;
        // Right: its own 40 x 40 px against the right gutter, no clear room asked for.
        EXPECT_EQ(img.pixel(197, 2), shown ? kRed : kWhite) << version;
        EXPECT_EQ(img.pixel(158, 41), shown ? kRed : kWhite) << version;
        EXPECT_EQ(img.pixel(198, 20), kWhite) << version;
        EXPECT_EQ(img.pixel(157, 20), kWhite) << version;
        EXPECT_EQ(img.pixel(170, 42), kWhite) << version;
    }
    // A field of one line shows none.
    auto b = movie(8, false);
    play(b, setHtmlText("<img src='sq'>"));
    EXPECT_EQ(frame().pixel(20, 20), kWhite);
}

TEST_F(TextPictureMovie, HtmlTextWritesTheTagBackAndTheIdNamesTheClip) {
    for (const int version : {6, 7, 8}) {
        auto b = movie(version);
        Assembler a = setHtmlText("ab<img src='sq' id='pic' width='20' height='10' hspace='4'>cd");
        a.getVar("f").push({str("htmlText")}).op(Code::GetMember).trace();
        a.getVar("f").push({str("text")}).op(Code::GetMember).trace();
        a.append(traceImage("pic"));
        a.append(traceImage("pic", "_width"));
        a.append(traceImage("pic", "_name"));
        a.append(traceImage("nope"));
        // Plain text takes the pictures away.
        a.getVar("f").push({str("text"), str("x")}).op(Code::SetMember);
        a.append(traceImage("pic"));
        const std::vector<std::string> t = play(b, a);
        ASSERT_EQ(t.size(), 7u) << version;
        const bool tag = t[0].find(
                             "ab<IMG SRC=\"sq\" ID=\"pic\" WIDTH=\"20\" HEIGHT=\"10\" "
                             "ALIGN=\"left\" HSPACE=\"4\" VSPACE=\"8\">cd") != std::string::npos;
        EXPECT_EQ(tag, version >= 7) << t[0];
        EXPECT_EQ(t[1], "abcd");
        if (version >= 8) {
            EXPECT_EQ(t[2], "movieclip");
            EXPECT_EQ(t[3], "20");
            EXPECT_EQ(t[4], "pic");
        } else {
            EXPECT_EQ(t[2], "undefined") << "getImageReference came with version 8";
        }
        EXPECT_EQ(t[5], "undefined");
        EXPECT_EQ(t[6], "undefined");
    }
}

QByteArray encoded(QRgb color, int w, int h, const char* format) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 100);
    return bytes;
}

bool nearColor(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 12 && std::abs(qGreen(a) - qGreen(b)) < 12 &&
           std::abs(qBlue(a) - qBlue(b)) < 12;
}

TEST_F(TextPictureMovie, FilesLoadThroughTheHostAndTakeTheirOwnSize) {
    auto b = movie(8);
    // Frame 2, once the files have come: the clips as scripts see them.
    Assembler second = traceImage("m");
    second.append(traceImage("m", "_width"));
    second.append(traceImage("p", "_width"));
    play(b,
         setHtmlText("<img src='blue.png' id='p'><img src='green.jpg' align='right' "
                     "width='30' height='10'><img src='missing.jpg' id='m'>"),
         1, second);
    ASSERT_EQ(host.fetches.size(), 3u);
    EXPECT_EQ(answer(encoded(0xFF0000FF, 16, 8, "PNG")), u"blue.png");
    EXPECT_EQ(answer(encoded(0xFF00FF00, 12, 4, "JPG")), u"green.jpg");
    EXPECT_EQ(answer(std::nullopt), u"missing.jpg");
    engine->runFrame();
    EXPECT_EQ(traces, (std::vector<std::u16string>{u"movieclip", u"0", u"16"}));
    engine->runFrame();
    EXPECT_TRUE(host.fetches.empty()) << "the same markup set again keeps its clips";
    const QImage img = frame();
    // The PNG at its own 16 x 8 px; the JPEG stretched to 30 x 10 px on the right.
    EXPECT_EQ(img.pixel(10, 10), 0xFF0000FF);
    EXPECT_EQ(img.pixel(25, 17), 0xFF0000FF);
    EXPECT_EQ(img.pixel(26, 12), kWhite);
    EXPECT_EQ(img.pixel(12, 18), kWhite);
    EXPECT_TRUE(nearColor(img.pixel(162, 11), 0xFF00FF00));
    EXPECT_TRUE(nearColor(img.pixel(188, 18), 0xFF00FF00));
    EXPECT_EQ(img.pixel(190, 15), kWhite);
    EXPECT_EQ(img.pixel(159, 15), kWhite);
}

TEST_F(TextPictureMovie, PicturesScrollWithTheTextCutByTheBox) {
    // Ten lines beside a 20 x 50 px picture in a 200 x 60 px field at y = 50.
    for (const int scroll : {1, 3}) {
        auto b = movie(7, true, 50, 60);
        Assembler a = setHtmlText(
            "<img src='sq' width='20' height='50'>a<br>b<br>c<br>d<br>"
            "e<br>f<br>g<br>h<br>i<br>j");
        a.getVar("f").push({str("scroll"), integer(scroll)}).op(Code::SetMember);
        a.getVar("f").push({str("_height")}).op(Code::GetMember).trace();
        EXPECT_EQ(play(b, a), std::vector<std::string>{"60"}) << "the box bounds the field";
        const QImage img = frame();
        EXPECT_EQ(img.pixel(15, 49), kWhite) << "nothing above the box";
        EXPECT_EQ(img.pixel(15, 51), scroll == 1 ? kWhite : kRed) << scroll;
        EXPECT_EQ(img.pixel(15, 60), kRed) << scroll;
        EXPECT_EQ(img.pixel(15, 105), scroll == 1 ? kRed : kWhite) << "moved up with the text";
        EXPECT_EQ(img.pixel(15, 111), kWhite) << "nothing below the box";
    }
}

TEST_F(TextPictureMovie, ASymbolShowingItselfNestsNoDeeperThanTwoFields) {
    // "nest" holds a field whose markup shows "nest" again.
    swfwrite::MovieBuilder b = movie(8);
    swf::EditText inner;
    inner.bounds = {0, 2000, 0, 2000};
    inner.html = true;
    inner.multiline = true;
    inner.readOnly = true;
    inner.initialText = "<img src='nest' width='10' height='10'>";
    swfwrite::TimelineBuilder sprite;
    sprite.place(b.define(inner), 1).showFrame();
    b.tag(swf::ExportAssets{{{b.define(sprite.sprite()), "nest"}}});
    Assembler a = setHtmlText("<img src='nest' id='n'>");
    a.append(traceImage("n"));
    const std::vector<std::string> t = play(b, a, 4);
    EXPECT_EQ(t, (std::vector<std::string>{"movieclip", "movieclip"})) << "frame 1, twice";
    EXPECT_TRUE(host.fetches.empty()) << "the symbol is found, nothing is fetched";
}

}  // namespace
}  // namespace pencora::runtime
