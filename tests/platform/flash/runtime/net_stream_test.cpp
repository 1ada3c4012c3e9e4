// FLV files through NetConnection/NetStream: the fetch, the status calls in their order, the
// metadata, the playhead, pausing and seeking, the sound in the mixer and the pictures.
#include <gtest/gtest.h>

#include <QFile>

#include "../avm1/assembler.h"
#include "engine_fixture.h"
#include "platform/flash/runtime/video/flv_playback.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::null;
using avm1::test::num;
using avm1::test::str;
using Code = swf::ActionCode;

std::vector<uint8_t> flvData(const char* name) {
    QFile f(QStringLiteral(PENCORA_FLV_DATA "/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray b = f.readAll();
    return {b.begin(), b.end()};
}

// /:<log> = /:<log> + <value on the stack> + ";"
Assembler appendToLog(const std::string& log, Assembler value) {
    Assembler a;
    a.push({str("/:" + log)}).getVar("/:" + log).append(value).op(Code::Add2);
    a.push({str(";")}).op(Code::Add2).op(Code::SetVariable);
    return a;
}

Assembler member(const std::string& object, const std::string& name) {
    Assembler a;
    a.getVar(object).push({str(name)}).op(Code::GetMember);
    return a;
}

// nc = new NetConnection(); connected = nc.connect(null); ns = new NetStream(nc); handlers
// that log every status; ExternalInterface callbacks "seek", "pause" and "close"; then
// ns.play(url).
swfwrite::MovieBuilder streamMovie(const std::string& url) {
    Assembler a;
    a.push({str("log"), str("")}).op(Code::SetVariable);
    a.push({str("nclog"), str("")}).op(Code::SetVariable);
    a.push({str("nc"), integer(0), str("NetConnection")}).op(Code::NewObject).op(Code::SetVariable);
    a.getVar("nc").push({str("onStatus")});
    a.function("", {"info"}, appendToLog("nclog", member("info", "code"))).op(Code::SetMember);
    a.push({str("connected"), null(), integer(1)}).getVar("nc").push({str("connect")});
    a.op(Code::CallMethod).op(Code::SetVariable);
    a.push({str("ns")}).getVar("nc").push({integer(1), str("NetStream")});
    a.op(Code::NewObject).op(Code::SetVariable);
    a.getVar("ns").push({str("onStatus")});
    a.function("", {"info"}, appendToLog("log", member("info", "code"))).op(Code::SetMember);
    Assembler meta;
    meta.push({str("/:duration")}).append(member("m", "duration")).op(Code::SetVariable);
    meta.push({str("/:width")}).append(member("m", "width")).op(Code::SetVariable);
    a.getVar("ns").push({str("onMetaData")}).function("", {"m"}, meta).op(Code::SetMember);
    // probe(): copies what the stream and the connection read into _root's variables.
    Assembler probe;
    for (const char* name : {"time", "bytesLoaded", "bytesTotal", "bufferTime"}) {
        probe.push({str(std::string("/:") + name)}).append(member("ns", name));
        probe.op(Code::SetVariable);
    }
    probe.push({str("/:isConnected")}).append(member("nc", "isConnected")).op(Code::SetVariable);
    a.push({str("probe")}).function("", {}, probe).op(Code::SetVariable);
    a.getVar("probe").push({null(), str("probe"), integer(3)});
    a.getVar("ExternalInterface").push({str("addCallback")}).op(Code::CallMethod).op(Code::Pop);
    for (const char* method : {"seek", "pause", "close"}) {
        a.append(member("ns", method)).getVar("ns").push({str(method), integer(3)});
        a.getVar("ExternalInterface").push({str("addCallback")}).op(Code::CallMethod).op(Code::Pop);
    }
    a.push({str(url), integer(1)}).getVar("ns").push({str("play")});
    a.op(Code::CallMethod).op(Code::Pop).op(Code::End);
    swfwrite::MovieBuilder b(8, 64, 48, 10);
    b.doAction(a.bytes).showFrame();
    return b;
}

struct StreamFixture : test::EngineFixture {
    explicit StreamFixture(const std::string& url = "tone-mp3.flv") { load(streamMovie(url)); }
    std::u16string var(std::u16string_view path) {
        return engine->getVariable(path).value_or(u"<none>");
    }
    // A property of the stream (or isConnected of the connection), read by the movie.
    std::u16string read(const std::u16string& name) {
        call(u"probe");
        return var(name);
    }
    void tick(int times = 1) {
        for (int i = 0; i < times; ++i) {
            engine->runFrame();
            engine->advanceClock(100);
        }
    }
    void answer(const char* file) {
        ASSERT_EQ(host.fetches.size(), 1u);
        const auto bytes = flvData(file);
        ASSERT_FALSE(bytes.empty());
        engine->fetchCompleted(host.fetches[0].id, bytes);
    }
    void call(const std::u16string& name, const std::u16string& args = {}) {
        engine->callFunction(u"<invoke name=\"" + name + u"\" returntype=\"xml\"><arguments>" +
                             args + u"</arguments></invoke>");
    }
};

TEST(NetStream, PlaysAFetchedFileWithItsStatusAndMetadata) {
    StreamFixture e;
    ASSERT_EQ(e.host.fetches.size(), 1u);
    EXPECT_EQ(e.host.fetches[0].url, u"tone-mp3.flv") << "the movie's fetch path, not a file";
    EXPECT_EQ(e.var(u"connected"), u"true");
    EXPECT_EQ(e.read(u"isConnected"), u"true");
    EXPECT_EQ(e.read(u"bytesTotal"), u"0") << "nothing arrived yet";
    EXPECT_EQ(e.var(u"nclog"), u"NetConnection.Connect.Success;");
    e.tick();
    EXPECT_EQ(e.var(u"log"), u"");

    e.answer("tone-mp3.flv");
    e.tick();
    EXPECT_EQ(e.var(u"log"), u"NetStream.Play.Start;NetStream.Buffer.Full;");
    EXPECT_EQ(e.var(u"width"), u"32");
    EXPECT_EQ(e.var(u"duration").substr(0, 3), u"0.5");
    const std::u16string total = e.read(u"bytesTotal");
    EXPECT_EQ(total, QString::number(flvData("tone-mp3.flv").size()).toStdU16String());
    EXPECT_EQ(e.read(u"bytesLoaded"), total);
    EXPECT_EQ(e.read(u"time"), u"0");
    EXPECT_EQ(e.read(u"bufferTime"), u"0.1");

    e.tick(2);
    EXPECT_EQ(e.read(u"time"), u"0.2");
    e.tick(4);
    EXPECT_EQ(e.var(u"log"),
              u"NetStream.Play.Start;NetStream.Buffer.Full;NetStream.Buffer.Flush;"
              u"NetStream.Play.Stop;NetStream.Buffer.Empty;");
    const std::u16string all = e.var(u"log");
    e.tick(3);
    EXPECT_EQ(e.var(u"log"), all) << "the end is told once";
}

TEST(NetStream, PauseHoldsThePlayheadAndSeekGoesToAKeyframe) {
    StreamFixture e;
    e.answer("tone-mp3.flv");
    e.tick(3);
    EXPECT_EQ(e.read(u"time"), u"0.2");
    e.call(u"pause", u"<true/>");
    e.tick(3);
    EXPECT_EQ(e.read(u"time"), u"0.2");
    e.call(u"pause");  // toggles back
    e.tick();
    EXPECT_EQ(e.read(u"time"), u"0.3");

    // Keyframes at 0.05, 0.25 and 0.45 s (the sound starts 50 ms before the pictures).
    e.call(u"seek", u"<number>0.3</number>");
    EXPECT_EQ(e.read(u"time"), u"0.25") << "the keyframe before 0.3 s";
    e.tick();
    EXPECT_NE(e.var(u"log").find(u"NetStream.Seek.Notify;"), std::u16string::npos);

    e.call(u"close");
    e.tick();
    EXPECT_EQ(e.read(u"time"), u"0");
    EXPECT_EQ(e.read(u"bytesTotal"), u"0");
}

TEST(NetStream, MissingOrForeignFilesAreNotFound) {
    {
        StreamFixture e("missing.flv");
        ASSERT_EQ(e.host.fetches.size(), 1u);
        e.engine->fetchFailed(e.host.fetches[0].id);
        e.tick();
        EXPECT_EQ(e.var(u"log"), u"NetStream.Play.StreamNotFound;");
        EXPECT_EQ(e.read(u"bytesTotal"), u"0");
    }
    {
        StreamFixture e("movie.swf");
        const std::vector<uint8_t> notFlv = {'F', 'W', 'S', 8, 0, 0, 0, 0};
        e.engine->fetchCompleted(e.host.fetches[0].id, notFlv);
        e.tick();
        EXPECT_EQ(e.var(u"log"), u"NetStream.Play.StreamNotFound;");
    }
}

// A video object declared 20 x 15, shown twice as large at the stage's corner, playing `url`
// through a NetStream; every frame _root's w and h read the object's _width and _height.
swfwrite::MovieBuilder videoObjectMovie(const std::string& url) {
    swfwrite::MovieBuilder b(8, 64, 48, 10);
    swf::VideoStream declared;
    declared.width = 20;
    declared.height = 15;
    declared.codecId = 2;
    swf::PlaceObject place;
    place.depth = 1;
    place.characterId = b.define(declared);
    place.name = "v";
    place.matrix = swf::Matrix{};
    place.matrix->a = place.matrix->d = 2;
    b.place(place);
    Assembler a;
    a.push({str("nc"), integer(0), str("NetConnection")}).op(Code::NewObject).op(Code::SetVariable);
    a.push({null(), integer(1)}).getVar("nc").push({str("connect")}).op(Code::CallMethod);
    a.op(Code::Pop);
    a.push({str("ns")}).getVar("nc").push({integer(1), str("NetStream")});
    a.op(Code::NewObject).op(Code::SetVariable);
    a.getVar("ns").push({integer(1)}).getVar("v").push({str("attachVideo")});
    a.op(Code::CallMethod).op(Code::Pop);
    a.push({str(url), integer(1)}).getVar("ns").push({str("play")});
    a.op(Code::CallMethod).op(Code::Pop);
    Assembler size;
    size.push({str("/:w")}).append(member("v", "_width")).op(Code::SetVariable);
    size.push({str("/:h")}).append(member("v", "_height")).op(Code::SetVariable);
    a.getVar("_root").push({str("onEnterFrame")}).function("", {}, size).op(Code::SetMember);
    a.op(Code::End);
    b.doAction(a.bytes).showFrame();
    return b;
}

// Players lay themselves out by the video object's size before a picture comes, and when
// none will: the object keeps the size its stream declares, and pictures fill it.
TEST(NetStream, AVideoObjectKeepsItsDeclaredSizeAndPicturesFillIt) {
    {
        test::EngineFixture e;
        ASSERT_TRUE(e.load(videoObjectMovie("missing.flv")));
        e.engine->runFrame();
        EXPECT_EQ(e.engine->getVariable(u"w"), u"40");
        EXPECT_EQ(e.engine->getVariable(u"h"), u"30");
        ASSERT_EQ(e.host.fetches.size(), 1u);
        e.engine->fetchFailed(e.host.fetches[0].id);
        e.engine->advanceClock(100);
        e.engine->runFrame();
        EXPECT_EQ(e.engine->getVariable(u"w"), u"40") << "the stream is not found";
    }
    test::EngineFixture e;
    ASSERT_TRUE(e.load(videoObjectMovie("tone-mp3.flv")));
    ASSERT_EQ(e.host.fetches.size(), 1u);
    e.engine->fetchCompleted(e.host.fetches[0].id, flvData("tone-mp3.flv"));
    for (int i = 0; i < 2; ++i) {
        e.engine->runFrame();
        e.engine->advanceClock(100);
    }
    EXPECT_EQ(e.engine->getVariable(u"w"), u"40") << "a 32 x 24 picture in a 20 x 15 object";
    EXPECT_EQ(e.engine->getVariable(u"h"), u"30");
    const QImage shown = e.render(64, 48, flash::Quality::Low);
    const QRgb background = shown.pixel(63, 47);
    EXPECT_NE(shown.pixel(38, 28), background) << "the picture reaches the far corner";
    EXPECT_EQ(shown.pixel(42, 32), background) << "and stops there";
}

TEST(FlvPlayback, SoundGoesThroughTheMixerAndFollowsPauseSeekAndEnd) {
    SoundMixer mixer;
    FlvPlayback p(mixer);
    const auto bytes = flvData("tone-adpcm.flv");
    ASSERT_TRUE(p.open(bytes));
    EXPECT_EQ(mixer.voiceCount(), 1u);
    std::vector<int16_t> out(2 * 4410);
    mixer.mix(out.data(), 4410);
    int peak = 0;
    for (int16_t s : out) {
        peak = std::max(peak, std::abs(int(s)));
    }
    EXPECT_GT(peak, 3000) << "the tone is heard";

    p.setPaused(true);
    EXPECT_EQ(mixer.voiceCount(), 0u);
    EXPECT_TRUE(p.advance(1000).empty()) << "a paused stream does not move";
    p.setPaused(false);
    EXPECT_EQ(mixer.voiceCount(), 1u);

    EXPECT_EQ(p.advance(0), std::vector<QString>{QStringLiteral("NetStream.Buffer.Full")});
    EXPECT_FALSE(p.picture().isNull()) << "the first picture shows at once";
    EXPECT_EQ(p.picture().size(), QSize(32, 24));
    p.seek(99);
    EXPECT_LE(p.time(), p.durationMs() / 1000.0);
    const auto end = p.advance(1000);
    ASSERT_EQ(end.size(), 3u);
    EXPECT_EQ(end[1], QStringLiteral("NetStream.Play.Stop"));
    EXPECT_EQ(mixer.voiceCount(), 0u);

    p.seek(0);
    EXPECT_TRUE(p.advance(100).empty());
    EXPECT_EQ(mixer.voiceCount(), 1u) << "seeking after the end plays again";
    p.close();
    EXPECT_EQ(mixer.voiceCount(), 0u);
    EXPECT_FALSE(p.open(std::vector<uint8_t>{'F', 'L', 'V'}));
}

// H.264 with B-frames: pictures held back for reordering show by their time, the last one
// at the end of the file, and a seek back shows the first colour again.
TEST(FlvPlayback, AvcPicturesShowOnTimeAndTheLastAtTheEnd) {
    SoundMixer mixer;
    FlvPlayback p(mixer);
    ASSERT_TRUE(p.open(flvData("avc-red-blue.flv")));
    // 'R' for red, 'B' for blue, within the codec's rounding.
    const auto centre = [&p] {
        const QColor c = p.picture().pixelColor(16, 16);
        const bool red = c.red() > 240 && c.green() < 10 && c.blue() < 10;
        const bool blue = c.blue() > 240 && c.green() < 10 && c.red() < 10;
        return red ? 'R' : blue ? 'B' : '?';
    };
    p.advance(0);
    p.advance(300);
    ASSERT_EQ(p.picture().size(), QSize(32, 32));
    EXPECT_EQ(centre(), 'R');
    const auto end = p.advance(1000);
    ASSERT_EQ(end.size(), 3u);
    EXPECT_EQ(centre(), 'B');
    p.seek(0);
    p.advance(300);
    EXPECT_EQ(centre(), 'R');
}

}  // namespace
}  // namespace pencora::runtime

namespace pencora::runtime {
namespace {

std::vector<uint8_t> fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray b = f.readAll();
    return {b.begin(), b.end()};
}

// The FLV player movie plays what the player sets: the address through a NetStream, the
// skin into its bar, the volume on its sound; "stopflv" and "playflv" pause and resume.
TEST(FlvPlayerMovie, FollowsContentPathSkinAndVolume) {
    test::EngineFixture e;
    const auto movie = fileBytes(QStringLiteral(PENCORA_FLVPLAYBACK_PATH));
    ASSERT_TRUE(e.engine->loadMovie(0, movie, u"flvplayback.swf", {}));
    // Set right after loading, before "flv" exists: they wait for the first frame.
    ASSERT_TRUE(e.engine->setVariable(u"flv.contentPath", u"http://zzz/video/a.flv"));
    ASSERT_TRUE(e.engine->setVariable(u"flv.skin", u"steel.swf"));
    ASSERT_TRUE(e.engine->setVariable(u"flv.volume", u"40"));
    e.engine->runFrame();
    e.engine->runFrame();
    e.engine->advanceClock(40);
    std::vector<std::u16string> urls;
    for (const auto& f : e.host.fetches) {
        urls.push_back(f.url);
    }
    ASSERT_EQ(urls, (std::vector<std::u16string>{u"http://zzz/video/a.flv", u"steel.swf"}));
    e.engine->fetchCompleted(e.host.fetches[0].id, flvData("tone-mp3.flv"));
    for (int i = 0; i < 3; ++i) {
        e.engine->runFrame();
        e.engine->advanceClock(40);
    }
    EXPECT_EQ(e.engine->getVariable(u"duration").value_or(u"").substr(0, 3), u"0.5");
    EXPECT_EQ(e.engine->getVariable(u"shownVolume"), u"40");
    EXPECT_EQ(e.engine->getVariable(u"paused"), u"false");
    e.engine->callFunction(u"<invoke name=\"stopflv\" returntype=\"xml\"></invoke>");
    EXPECT_EQ(e.engine->getVariable(u"paused"), u"true");
    e.engine->callFunction(u"<invoke name=\"playflv\" returntype=\"xml\"></invoke>");
    EXPECT_EQ(e.engine->getVariable(u"paused"), u"false");
}

}  // namespace
}  // namespace pencora::runtime
