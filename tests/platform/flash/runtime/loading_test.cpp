// Loading while the movie plays: movies into layers and in place of clips, MovieClipLoader's
// events and failures, loads cancelled by removing their clip, variables files in the
// encodings movies meet. Every fetch leaves through the engine host; the test answers it.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <algorithm>

#include "../avm1/assembler.h"
#include "engine_fixture.h"
#include "platform/flash/runtime/display/movie_loader.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;

using test::TracingHost;

struct Loading : testing::Test {
    TracingHost host;
    std::unique_ptr<flash::MovieEngine> engine = createSwfMovieEngine();
    Loading() { engine->setHost(&host); }

    // Main movie: frame 1 places an empty sprite "holder" and runs `script`; more frames
    // follow so the movie keeps playing.
    void loadMain(const Assembler& script, int frames = 3, bool removeHolderInFrame2 = false) {
        swfwrite::MovieBuilder b(8);
        swfwrite::TimelineBuilder empty;
        empty.showFrame();
        const uint16_t sprite = b.define(empty.sprite());
        swf::PlaceObject p;
        p.characterId = sprite;
        p.depth = 1;
        p.name = "holder";
        p.matrix = test::at(10, 20);
        b.place(p);
        Assembler code = script;
        b.doAction(code.op(Code::End).bytes).showFrame();
        for (int i = 1; i < frames; ++i) {
            if (i == 1 && removeHolderInFrame2) {
                b.remove(1);
            }
            b.showFrame();
        }
        const swf::Bytes bytes = b.write();
        ASSERT_TRUE(engine->loadMovie(0, bytes, u"main.swf", {}));
    }

    // A movie whose first frame traces `line` and sets marker = "here".
    static swf::Bytes child(const std::string& line) {
        swfwrite::MovieBuilder b(8, 100, 100);
        Assembler code;
        code.push({str(line)}).trace().push({str("marker"), str("here")}).op(Code::SetVariable);
        b.doAction(code.op(Code::End).bytes).showFrame();
        return b.write();
    }

    // Answers the oldest pending fetch.
    void answer(const std::optional<swf::Bytes>& bytes) {
        ASSERT_FALSE(host.fetches.empty());
        const flash::FetchRequest r = host.fetches.front();
        host.fetches.erase(host.fetches.begin());
        if (bytes) {
            engine->fetchCompleted(r.id, *bytes);
        } else {
            engine->fetchFailed(r.id);
        }
    }

    std::string variable(std::u16string_view path) {
        auto v = engine->getVariable(path);
        return v ? QString::fromStdU16String(*v).toStdString() : "<none>";
    }
};

// Push url, target; GetURL2 with flags (0x40: the target is a clip; 0x80: variables).
Assembler getUrl2(const std::string& url, const std::string& target, uint8_t flags) {
    Assembler as;
    as.push({str(url), str(target)});
    return as.record(Code::GetURL2, {flags});
}

TEST_F(Loading, MoviesGoIntoLayersAndInPlaceOfClips) {
    Assembler script;
    script.append(getUrl2("one.swf", "_level1", 0)).append(getUrl2("two.swf", "holder", 0x40));
    // A variable on the holder that its new movie must not inherit.
    script.getVar("holder").push({str("old"), str("yes")}).op(Code::SetMember);
    loadMain(script);
    engine->runFrame();
    ASSERT_EQ(host.fetches.size(), 2u);
    EXPECT_EQ(host.fetches[0].url, u"one.swf");
    EXPECT_EQ(host.fetches[1].url, u"two.swf");
    EXPECT_EQ(variable(u"holder.old"), "yes");

    answer(child("one"));
    answer(child("two"));
    engine->runFrame();
    std::sort(host.lines.begin(), host.lines.end());
    EXPECT_EQ(host.lines, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(variable(u"_level1.marker"), "here");
    EXPECT_EQ(variable(u"holder.marker"), "here");
    EXPECT_EQ(variable(u"holder.old"), "<none>") << "the clip's old variables go";
    // The clip keeps its place and name.
    EXPECT_EQ(engine->getPropertyNumber(u"holder", 0), 10);
    EXPECT_EQ(engine->getPropertyNumber(u"holder", 1), 20);
    EXPECT_EQ(engine->getProperty(u"holder", 13), u"holder");

    // unloadMovie on the clip empties it; an empty url for a layer removes the layer.
    Assembler unload;
    unload.append(getUrl2("", "_level0.holder", 0x40)).append(getUrl2("", "_level1", 0));
    swfwrite::MovieBuilder again(8);
    again.doAction(unload.op(Code::End).bytes).showFrame();
    ASSERT_TRUE(engine->loadMovie(2, again.write(), u"unload.swf", {}));
    engine->runFrame();
    EXPECT_EQ(variable(u"holder.marker"), "<none>");
    EXPECT_EQ(engine->getProperty(u"holder", 13), u"holder") << "the clip itself stays";
    EXPECT_FALSE(engine->currentFrame(u"_level1"));
}

TEST_F(Loading, MovieClipLoaderTellsItsListenersInOrder) {
    // l = new MovieClipLoader(); l.onLoadX = function (t) { trace("X " + t); } for each event;
    // l.loadClip("ok.swf", "holder"); l.loadClip("missing.swf", 3);
    Assembler script;
    script.push({str("l"), integer(0), str("MovieClipLoader")}).op(Code::NewObject);
    script.op(Code::SetVariable);
    for (const char* event :
         {"onLoadStart", "onLoadProgress", "onLoadComplete", "onLoadInit", "onLoadError"}) {
        Assembler body;
        body.push({str(std::string(event) + " ")}).getVar("t").op(Code::Add2).trace();
        script.getVar("l").push({str(event)}).function("", {"t"}, body).op(Code::SetMember);
    }
    script.push({str("holder"), str("ok.swf"), integer(2)}).getVar("l");
    script.push({str("loadClip")}).op(Code::CallMethod).trace();
    script.push({integer(3), str("missing.swf"), integer(2)}).getVar("l");
    script.push({str("loadClip")}).op(Code::CallMethod).trace();
    // Refused at once: no such clip.
    script.push({str("nowhere"), str("ok.swf"), integer(2)}).getVar("l");
    script.push({str("loadClip")}).op(Code::CallMethod).trace();
    loadMain(script);
    engine->runFrame();
    EXPECT_EQ(host.lines, (std::vector<std::string>{"true", "true", "false"}));
    host.lines.clear();

    answer(child("child frame"));
    answer(std::nullopt);
    EXPECT_EQ(host.lines, (std::vector<std::string>{
                              "onLoadStart _level0.holder", "onLoadProgress _level0.holder",
                              "onLoadComplete _level0.holder", "onLoadError undefined"}));
    host.lines.clear();
    engine->runFrame();
    EXPECT_EQ(host.lines, (std::vector<std::string>{"child frame", "onLoadInit _level0.holder"}))
        << "onLoadInit comes once the new movie's first frame has run";
    host.lines.clear();
    engine->runFrame();
    EXPECT_TRUE(host.lines.empty());
}

// A load that finds nothing leaves the clip as it was, but its _url names what was asked for
// until a movie does arrive.
TEST_F(Loading, AFailedLoadLeavesItsAddressAsTheClipsUrl) {
    loadMain(getUrl2("missing.swf", "holder", 0x40));
    engine->runFrame();
    const std::u16string before = engine->getProperty(u"holder", 15).value_or(u"");
    answer(std::nullopt);
    const QString failed =
        QString::fromStdU16String(engine->getProperty(u"holder", 15).value_or(u""));
    EXPECT_TRUE(failed.endsWith("missing.swf")) << failed.toStdString();
    EXPECT_TRUE(QString::fromStdU16String(before).endsWith("main.swf"));

    swfwrite::MovieBuilder next(8);
    next.doAction(getUrl2("two.swf", "_level0.holder", 0x40).op(Code::End).bytes).showFrame();
    ASSERT_TRUE(engine->loadMovie(1, next.write(), u"next.swf", {}));
    engine->runFrame();
    answer(child("two"));
    engine->runFrame();
    const QString arrived =
        QString::fromStdU16String(engine->getProperty(u"holder", 15).value_or(u""));
    EXPECT_TRUE(arrived.endsWith("two.swf")) << arrived.toStdString();
}

TEST_F(Loading, RemovingTheClipCancelsItsLoad) {
    loadMain(getUrl2("late.swf", "holder", 0x40), 3, true);
    engine->runFrame();
    engine->runFrame();  // frame 2 removes the holder
    ASSERT_EQ(host.fetches.size(), 1u);
    answer(child("late"));
    engine->runFrame();
    EXPECT_TRUE(host.lines.empty()) << "a removed clip gets no movie";
    EXPECT_FALSE(engine->currentFrame(u"holder"));
}

// A target takes the movie asked for last: an earlier load still on its way is dropped, as is
// one the target is unloaded after, whatever order the answers come back in. A loader whose
// load is dropped hears onLoadError.
TEST_F(Loading, UnloadingOrLoadingAgainDropsWhatIsOnItsWay) {
    // l = new MovieClipLoader(); l.onLoadError = function (t, e) { trace(e + " " + t); };
    // l.loadClip("d.swf", "holder"); l.unloadClip("holder");
    Assembler script;
    script.push({str("l"), integer(0), str("MovieClipLoader")}).op(Code::NewObject);
    script.op(Code::SetVariable);
    Assembler onError;
    onError.getVar("e").push({str(" ")}).op(Code::Add2).getVar("t").op(Code::Add2).trace();
    script.getVar("l").push({str("onLoadError")}).function("", {"t", "e"}, onError);
    script.op(Code::SetMember);
    script.push({str("holder"), str("d.swf"), integer(2)}).getVar("l");
    script.push({str("loadClip")}).op(Code::CallMethod).op(Code::Pop);
    script.push({str("holder"), integer(1)}).getVar("l");
    script.push({str("unloadClip")}).op(Code::CallMethod).op(Code::Pop);
    script.append(getUrl2("a.swf", "holder", 0x40)).append(getUrl2("b.swf", "holder", 0x40));
    script.append(getUrl2("c.swf", "_level1", 0)).append(getUrl2("", "_level1", 0));
    loadMain(script);
    engine->runFrame();
    EXPECT_EQ(host.lines, std::vector<std::string>{"LoadNeverCompleted _level0.holder"});
    host.lines.clear();

    ASSERT_EQ(host.fetches.size(), 4u);
    const std::vector<flash::FetchRequest> asked = host.fetches;
    host.fetches.clear();
    for (int i : {3, 2, 1, 0}) {
        const std::u16string& url = asked[size_t(i)].url;
        engine->fetchCompleted(asked[size_t(i)].id, child(std::string(1, char(url[0]))));
    }
    engine->runFrame();
    engine->runFrame();
    EXPECT_EQ(host.lines, std::vector<std::string>{"b"});
    EXPECT_EQ(variable(u"holder.marker"), "here");
    EXPECT_FALSE(engine->currentFrame(u"_level1")) << "unloaded before its movie came";
}

// A movie loaded into _level0 takes the shell's place: the shell's frames, clips and
// variables go, the new movie plays from its first frame and the stage is its.
TEST_F(Loading, AMovieLoadedIntoLevelZeroReplacesTheShell) {
    Assembler script;
    script.push({str("shell"), str("yes")}).op(Code::SetVariable);
    script.append(getUrl2("lesson.swf", "_level0", 0));
    loadMain(script);
    engine->runFrame();
    ASSERT_EQ(host.fetches.size(), 1u);
    answer(child("lesson"));
    engine->runFrame();
    engine->runFrame();
    EXPECT_EQ(host.lines, std::vector<std::string>{"lesson"});
    EXPECT_EQ(variable(u"_level0.marker"), "here");
    EXPECT_EQ(variable(u"_level0.shell"), "<none>");
    EXPECT_FALSE(engine->currentFrame(u"holder"));
    EXPECT_EQ(engine->movieInfo().stageWidth, 100);
}

TEST_F(Loading, VariablesArriveInTheirEncoding) {
    loadMain(getUrl2("vars.txt", "holder", 0xC0));
    engine->runFrame();
    ASSERT_EQ(host.fetches.size(), 1u);
    const std::string text = "a=1&b=%E4%B8%AD+x&empty=&flag";
    answer(swf::Bytes(text.begin(), text.end()));
    EXPECT_EQ(variable(u"holder.a"), "1");
    EXPECT_EQ(variable(u"holder.b"), "中 x");
    EXPECT_EQ(variable(u"holder.empty"), "");
    EXPECT_EQ(variable(u"holder.flag"), "");

    // Byte-order marks choose UTF-16 (either order) or skip UTF-8's.
    EXPECT_EQ(MovieLoader::decodeText(QByteArray("\xFF\xFE"
                                                 "a\0=\0\x2D\x4E",
                                                 8)),
              u"a=中");
    EXPECT_EQ(MovieLoader::decodeText(QByteArray("\xFE\xFF\0a\0=\x4E\x2D", 8)), u"a=中");
    EXPECT_EQ(MovieLoader::decodeText(QByteArray("\xEF\xBB\xBFx=1")), u"x=1");
}

TEST_F(Loading, AnImageFileShowsInPlaceOfTheClipsMovie) {
    loadMain(getUrl2("pic.png", "holder", 0x40));
    engine->runFrame();
    QImage picture(4, 3, QImage::Format_ARGB32);
    picture.fill(qRgb(0, 0, 255));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "PNG"));
    answer(swf::Bytes(png.begin(), png.end()));
    engine->runFrame();
    EXPECT_EQ(engine->getPropertyNumber(u"holder", 8), 4);  // _width
    EXPECT_EQ(engine->getPropertyNumber(u"holder", 9), 3);

    QImage frame(40, 40, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::white);
    flash::RenderTarget t{frame.bits(), 40, 40, int(frame.bytesPerLine()), 0, 0, 40, 40};
    flash::RenderOptions o;
    o.paintBackground = false;
    engine->render(t, o);
    EXPECT_EQ(frame.pixel(11, 21), qRgb(0, 0, 255)) << "at the holder's place (10, 20)";
    EXPECT_EQ(frame.pixel(15, 21), qRgb(255, 255, 255));

    // What is neither a movie nor an image leaves the clip empty.
    Assembler again;
    again.append(getUrl2("junk.png", "_level0.holder", 0x40));
    swfwrite::MovieBuilder next(8);
    next.doAction(again.op(Code::End).bytes).showFrame();
    const swf::Bytes bytes = next.write();
    ASSERT_TRUE(engine->loadMovie(1, bytes, u"next.swf", {}));
    engine->runFrame();
    ASSERT_FALSE(host.fetches.empty());
    answer(swf::Bytes{0x89, 'P', 'N', 'G', 1, 2, 3});
    engine->runFrame();
    EXPECT_EQ(engine->getPropertyNumber(u"holder", 8), 0);
}

}  // namespace
}  // namespace pencora::runtime
