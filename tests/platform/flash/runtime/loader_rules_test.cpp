// Loads that go wrong or go out with data: a layer keeps its movie when the answer fails or
// is no movie, variables for a removed clip go nowhere, the data event runs once the
// variables are in, and GET and POST carry the sending clip's variables.
#include <gtest/gtest.h>

#include <algorithm>

#include "../avm1/assembler.h"
#include "engine_fixture.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::str;
using Code = swf::ActionCode;

using test::named;
using test::TracingHost;

// Push url, target; GetURL2 with flags (1: GET, 2: POST, 0x40: the target is a clip,
// 0x80: load variables).
Assembler getUrl2(const std::string& url, const std::string& target, uint8_t flags) {
    Assembler as;
    as.push({str(url), str(target)});
    return as.record(Code::GetURL2, {flags});
}

// _root.attachMovie(symbol, "it", 1), its result left on the stack.
Assembler attachIt(const std::string& symbol) {
    Assembler as;
    as.push({avm1::test::integer(1), str("it"), str(symbol), avm1::test::integer(3)});
    as.push({str("_root")}).op(Code::GetVariable).push({str("attachMovie")});
    as.op(Code::CallMethod);
    return as;
}

// A movie importing `imported` from `url` as character 40, whose second frame attaches
// `symbol` as "it" and stops.
swf::Bytes importer(uint8_t importVersion, const std::string& url, const std::string& imported,
                    const std::string& symbol) {
    swfwrite::MovieBuilder b(8);
    b.tag(swf::ImportAssets{importVersion, url, {{40, imported}}});
    b.showFrame();
    Assembler attach = attachIt(symbol);
    attach.op(Code::Pop).op(Code::Stop);
    b.doAction(attach.op(Code::End).bytes).showFrame();
    return b.write();
}

struct LoaderRules : testing::Test {
    TracingHost host;
    std::unique_ptr<flash::MovieEngine> engine = createSwfMovieEngine();
    LoaderRules() { engine->setHost(&host); }

    // A movie of `frames` frames whose first runs `script`, with an empty clip "holder"
    // carrying `holderEvents`.
    void loadMain(Assembler script, int frames = 3, std::vector<swf::ClipAction> holderEvents = {},
                  bool removeHolderInFrame2 = false) {
        swfwrite::MovieBuilder b(8);
        swfwrite::TimelineBuilder empty;
        empty.showFrame();
        swf::PlaceObject holder = named(b.define(empty.sprite()), 1, "holder");
        for (const auto& e : holderEvents) {
            holder.allClipEvents |= e.events;
        }
        holder.clipActions = std::move(holderEvents);
        b.place(holder).doAction(script.op(Code::End).bytes).showFrame();
        for (int i = 1; i < frames; ++i) {
            if (i == 1 && removeHolderInFrame2) {
                b.remove(1);
            }
            b.showFrame();
        }
        ASSERT_TRUE(engine->loadMovie(0, b.write(), u"main.swf", {}));
        engine->runFrame();
    }
    static swf::Bytes movieSaying(const std::string& line, uint8_t version = 8) {
        swfwrite::MovieBuilder b(version, 100, 100);
        Assembler code;
        code.push({str(line)}).trace().op(Code::Stop);
        b.doAction(code.op(Code::End).bytes).showFrame();
        return b.write();
    }
    flash::FetchRequest takeFetch() {
        EXPECT_FALSE(host.fetches.empty());
        if (host.fetches.empty()) {
            return {};
        }
        flash::FetchRequest r = host.fetches.front();
        host.fetches.erase(host.fetches.begin());
        return r;
    }
    void answer(const flash::FetchRequest& r, const std::string& text) {
        engine->fetchCompleted(r.id, swf::Bytes(text.begin(), text.end()));
    }
    std::string variable(std::u16string_view path) {
        auto v = engine->getVariable(path);
        return v ? QString::fromStdU16String(*v).toStdString() : "<none>";
    }
    // A fresh engine, for tests that try every pairing of versions.
    void restart() {
        host.lines.clear();
        host.fetches.clear();
        engine = createSwfMovieEngine();
        engine->setHost(&host);
    }
    void start(swfwrite::MovieBuilder& b) {
        ASSERT_TRUE(engine->loadMovie(0, b.write(), u"main.swf", {}));
        engine->runFrame();
    }
};

TEST_F(LoaderRules, ALayerKeepsItsMovieWhenTheAnswerFailsOrIsNoMovie) {
    ASSERT_TRUE(engine->loadMovie(1, movieSaying("first"), u"first.swf", {}));
    Assembler script;
    script.append(getUrl2("broken.swf", "_level1", 0))
        .append(getUrl2("missing.swf", "_level1", 0))
        .append(getUrl2("fine.swf", "_level2", 0));
    loadMain(script);
    EXPECT_EQ(host.lines, std::vector<std::string>{"first"});
    ASSERT_EQ(host.fetches.size(), 3u);
    answer(takeFetch(), "<html>404 Not Found</html>");
    engine->fetchFailed(takeFetch().id);
    engine->fetchCompleted(takeFetch().id, movieSaying("second"));
    engine->runFrame();
    EXPECT_EQ(host.lines, (std::vector<std::string>{"first", "second"}));
    EXPECT_TRUE(engine->currentFrame(u"_level1")) << "the first movie still plays";
    EXPECT_TRUE(engine->currentFrame(u"_level2"));

    // An answer for a request nobody made, or given twice, changes nothing.
    engine->fetchCompleted(999, movieSaying("stray"));
    engine->runFrame();
    EXPECT_EQ(host.lines.size(), 2u);
}

TEST_F(LoaderRules, VariablesArriveBeforeTheDataEventAndNeverForARemovedClip) {
    // onClipEvent(data) { trace("data " + a); }
    Assembler onData;
    onData.push({str("data ")}).getVar("a").op(Code::Add2).trace();
    onData.op(Code::End);
    Assembler script;
    script.append(getUrl2("vars.txt", "holder", 0xC0)).append(getUrl2("late.txt", "holder", 0xC0));
    loadMain(script, 3, {{swf::clip_event::Data, 0, onData.bytes}}, true);
    ASSERT_EQ(host.fetches.size(), 2u);
    const flash::FetchRequest late = host.fetches[1];
    answer(takeFetch(), "a=one&b=two");
    EXPECT_EQ(host.lines, std::vector<std::string>{"data one"});
    EXPECT_EQ(variable(u"holder.b"), "two");

    // Frame 2 removes the holder; its late answer has nowhere to land.
    engine->runFrame();
    EXPECT_EQ(variable(u"holder.b"), "<none>");
    answer(late, "a=late");
    engine->runFrame();
    EXPECT_EQ(host.lines, std::vector<std::string>{"data one"});
    EXPECT_EQ(variable(u"a"), "<none>") << "nor on the root in its place";
}

TEST_F(LoaderRules, GetAndPostCarryTheSendingClipsVariables) {
    Assembler script;
    script.setVar("name", str("Li Lei")).setVar("score", str("95%"));
    script.append(getUrl2("save.php?id=7", "holder", 0xC1));  // GET
    script.append(getUrl2("save.php", "holder", 0xC2));       // POST
    script.append(getUrl2("plain.txt", "holder", 0xC0));      // no variables
    loadMain(script);
    ASSERT_EQ(host.fetches.size(), 3u);
    const flash::FetchRequest get = takeFetch();
    EXPECT_EQ(get.method, u"GET");
    EXPECT_EQ(QString::fromStdU16String(get.url).toStdString(),
              "save.php?id=7&name=Li%20Lei&score=95%25");
    EXPECT_TRUE(get.postData.empty());
    const flash::FetchRequest post = takeFetch();
    EXPECT_EQ(post.method, u"POST");
    EXPECT_EQ(post.url, u"save.php");
    EXPECT_EQ(post.postData, "name=Li%20Lei&score=95%25");
    const flash::FetchRequest plain = takeFetch();
    EXPECT_EQ(plain.url, u"plain.txt");
    EXPECT_EQ(plain.method, u"GET");
}

// A movie may unload the very layer its script runs in: the script finishes, the layer is
// gone for everything after it, and nothing of it runs again.
TEST_F(LoaderRules, AMovieUnloadingItsOwnLayerFinishesItsScript) {
    swfwrite::MovieBuilder b(8, 100, 100);
    Assembler code;
    code.setVar("here", str("yes"));
    code.append(getUrl2("", "_level1", 0));
    code.push({str("after ")}).getVar("here").op(Code::Add2).trace();
    b.doAction(code.op(Code::End).bytes).showFrame();
    b.doAction(Assembler().push({str("frame 2")}).trace().op(Code::End).bytes).showFrame();
    loadMain(Assembler());
    ASSERT_TRUE(engine->loadMovie(1, b.write(), u"self.swf", {}));
    engine->runFrame();
    EXPECT_EQ(host.lines, std::vector<std::string>{"after yes"});
    EXPECT_FALSE(engine->currentFrame(u"_level1"));
    engine->runFrame();
    engine->runFrame();
    EXPECT_EQ(host.lines, std::vector<std::string>{"after yes"});
    EXPECT_TRUE(engine->currentFrame(u"_level0")) << "the main movie plays on";
}

// _url reads as an address: a movie opened from a path reads as a file: address with its
// unsafe characters escaped, a movie loaded by a relative address reads against the first
// movie's, and one given with a scheme reads as given.
TEST_F(LoaderRules, AMoviesUrlReadsAsAnAbsoluteAddress) {
    swfwrite::MovieBuilder b(8);
    swfwrite::TimelineBuilder empty;
    empty.showFrame();
    const uint16_t sprite = b.define(empty.sprite());
    b.place(named(sprite, 1, "holder")).place(named(sprite, 2, "other"));
    Assembler script;
    script.append(getUrl2("parts/one.swf", "holder", 0x40))
        .append(getUrl2("http://example.com/two.swf", "other", 0x40));
    b.doAction(script.op(Code::End).bytes).showFrame().showFrame();
    ASSERT_TRUE(engine->loadMovie(0, b.write(), u"/home/li lei/课文/main.swf", {}));
    engine->runFrame();
    const std::u16string folder = u"file:///home/li%20lei/%E8%AF%BE%E6%96%87/";
    EXPECT_EQ(engine->getProperty(u"_level0", 15), folder + u"main.swf");
    ASSERT_EQ(host.fetches.size(), 2u);
    EXPECT_EQ(host.fetches[0].url, u"parts/one.swf") << "the fetch keeps the address it was given";
    engine->fetchCompleted(takeFetch().id, movieSaying("one"));
    engine->fetchCompleted(takeFetch().id, movieSaying("two"));
    EXPECT_EQ(engine->getProperty(u"holder", 15), folder + u"parts/one.swf");
    EXPECT_EQ(engine->getProperty(u"other", 15), u"http://example.com/two.swf");

    ASSERT_TRUE(engine->loadMovie(1, movieSaying("drive"), u"C:\\课件\\a b.swf", {}));
    EXPECT_EQ(engine->getProperty(u"_level1", 15), u"file:///C:/%E8%AF%BE%E4%BB%B6/a%20b.swf");
    ASSERT_TRUE(engine->loadMovie(2, movieSaying("web"), u"https://example.com/x.swf?a=1", {}));
    EXPECT_EQ(engine->getProperty(u"_level2", 15), u"https://example.com/x.swf?a=1");
}

// The clip events of the placing tag belong to the holder, not to what it shows: they hear
// load again whenever a movie or picture arrives in it (before the new movie's first frame),
// and unload when unloadMovie empties it; handlers scripts set go with the old content.
TEST_F(LoaderRules, AHoldersClipEventsOutliveTheMoviesLoadedIntoIt) {
    auto says = [](const std::string& text) {
        Assembler as;
        as.push({str(text)}).trace();
        return as.op(Code::End).bytes;
    };
    Assembler script;
    script.push({str("holder")}).op(Code::GetVariable).push({str("onUnload")});
    script.function("", {}, Assembler().push({str("script onUnload")}).trace());
    script.op(Code::SetMember);
    script.append(getUrl2("one.swf", "holder", 0x40));
    loadMain(
        script, 3,
        {{swf::clip_event::Load, 0, says("load")}, {swf::clip_event::Unload, 0, says("unload")}});
    EXPECT_EQ(host.lines, std::vector<std::string>{"load"});
    engine->fetchCompleted(takeFetch().id, movieSaying("one"));
    engine->runFrame();
    EXPECT_EQ(host.lines, (std::vector<std::string>{"load", "load", "one"}));

    host.lines.clear();
    swfwrite::MovieBuilder unloader(8, 100, 100);
    Assembler unload;
    unload.push({avm1::test::integer(0), str("_level0.holder")}).op(Code::GetVariable);
    unload.push({str("unloadMovie")}).op(Code::CallMethod).op(Code::Pop);
    unloader.doAction(unload.op(Code::End).bytes).showFrame();
    ASSERT_TRUE(engine->loadMovie(1, unloader.write(), u"unloader.swf", {}));
    engine->runFrame();
    EXPECT_EQ(host.lines, std::vector<std::string>{"unload"})
        << "the script's onUnload went with the movie it was set on";
}

// A movie borrowing a symbol from a shared library fetches the library as it starts; once it
// has arrived the library's init actions run on the importing root, and the symbol attaches
// under the name the import gives it, with the library's own contents. A library that never
// arrives leaves the name attaching nothing.
TEST_F(LoaderRules, ImportedSymbolsComeFromTheLibraryAfterItsInitActions) {
    for (const uint8_t importVersion : {1, 2}) {
        host.lines.clear();
        swfwrite::MovieBuilder lib(8);
        swfwrite::TimelineBuilder inner;
        inner.doAction(Assembler().push({str("item frame")}).trace().op(Code::End).bytes);
        inner.showFrame();
        const uint16_t item = lib.define(inner.sprite());
        lib.tag(swf::ExportAssets{{{item, "shared item"}}});
        Assembler init;
        init.push({str("library init")}).trace().op(Code::End);
        lib.tag(swf::DoInitAction{item, init.bytes});
        lib.showFrame();

        ASSERT_TRUE(engine->loadMovie(
            0, importer(importVersion, "parts/lib.swf", "SHARED ITEM", "shared item"), u"main.swf",
            {}));
        ASSERT_EQ(host.fetches.size(), 1u);
        EXPECT_EQ(host.fetches[0].url, u"parts/lib.swf");
        engine->fetchCompleted(takeFetch().id, lib.write());
        engine->runFrame();
        engine->runFrame();
        engine->runFrame();
        EXPECT_EQ(host.lines, (std::vector<std::string>{"library init", "item frame"}))
            << int(importVersion);
        EXPECT_EQ(engine->getProperty(u"it", 13), u"it");
    }

    host.lines.clear();
    swfwrite::MovieBuilder lonely(8);
    lonely.tag(swf::ImportAssets{2, "missing.swf", {{40, "shared item"}}});
    Assembler attach = attachIt("shared item");
    attach.trace();
    lonely.doAction(attach.op(Code::End).bytes).showFrame();
    ASSERT_TRUE(engine->loadMovie(0, lonely.write(), u"main.swf", {}));
    engine->fetchFailed(takeFetch().id);
    engine->runFrame();
    EXPECT_EQ(host.lines, std::vector<std::string>{"undefined"});
}

// A sound a movie imports attaches under the name its import gives, decoded from the
// library: before the library arrives there is nothing to attach, and afterwards a Sound has
// its length and bytes.
TEST_F(LoaderRules, ImportedSoundsAttachFromTheLibraryOnceItArrives) {
    swfwrite::MovieBuilder lib(8);
    swf::Sound chime = test::constantSound(0x1010, 4410);  // 100 ms
    lib.tag(swf::ExportAssets{{{lib.define(chime), "chime"}}});
    lib.showFrame();

    swfwrite::MovieBuilder b(8);
    b.tag(swf::ImportAssets{2, "lib.swf", {{30, "Chime"}}});
    Assembler attach;
    attach.push({str("s"), avm1::test::integer(0), str("Sound")}).op(Code::NewObject);
    attach.op(Code::SetVariable);
    attach.push({str("chime"), avm1::test::integer(1), str("s")}).op(Code::GetVariable);
    attach.push({str("attachSound")}).op(Code::CallMethod).op(Code::Pop);
    attach.push({str("s")}).op(Code::GetVariable).push({str("duration")}).op(Code::GetMember);
    attach.trace();
    attach.push({avm1::test::integer(0), str("s")}).op(Code::GetVariable);
    attach.push({str("getBytesTotal")}).op(Code::CallMethod).trace();
    b.doAction(Assembler(attach).op(Code::End).bytes).showFrame();
    b.doAction(Assembler(attach).op(Code::Stop).op(Code::End).bytes).showFrame();
    ASSERT_TRUE(engine->loadMovie(0, b.write(), u"main.swf", {}));
    engine->runFrame();
    engine->fetchCompleted(takeFetch().id, lib.write());
    engine->runFrame();
    EXPECT_EQ(host.lines, (std::vector<std::string>{"undefined", "undefined", "100", "8820"}));
}

// A sound imported under a name stops by that name, whatever its case, as it attaches by it:
// the stopped start never completes, a later one does.
TEST_F(LoaderRules, ImportedSoundsStopByTheNameTheyAttachBy) {
    swfwrite::MovieBuilder lib(8);
    swf::Sound chime = test::constantSound(0x1010, 4410);  // 100 ms
    lib.tag(swf::ExportAssets{{{lib.define(chime), "chime"}}});
    lib.showFrame();

    swfwrite::MovieBuilder b(8);
    b.tag(swf::ImportAssets{2, "lib.swf", {{30, "Chime"}}});
    b.showFrame();
    Assembler play;
    for (const char* name : {"s", "t"}) {
        play.push({str(name), avm1::test::integer(0), str("Sound")}).op(Code::NewObject);
        play.op(Code::SetVariable);
        play.push({str("chime"), avm1::test::integer(1), str(name)}).op(Code::GetVariable);
        play.push({str("attachSound")}).op(Code::CallMethod).op(Code::Pop);
        Assembler heard;
        heard.push({str(std::string(name) + " complete")}).trace();
        play.push({str(name)}).op(Code::GetVariable).push({str("onSoundComplete")});
        play.function("", {}, heard).op(Code::SetMember);
        play.push({avm1::test::integer(0), str(name)}).op(Code::GetVariable);
        play.push({str("start")}).op(Code::CallMethod).op(Code::Pop);
        if (std::string(name) == "s") {
            play.push({str("CHIME"), avm1::test::integer(1), str("s")}).op(Code::GetVariable);
            play.push({str("stop")}).op(Code::CallMethod).op(Code::Pop);
        }
    }
    b.doAction(play.op(Code::Stop).op(Code::End).bytes).showFrame();
    ASSERT_TRUE(engine->loadMovie(0, b.write(), u"main.swf", {}));
    engine->runFrame();
    engine->fetchCompleted(takeFetch().id, lib.write());
    for (int i = 0; i < 5; ++i) {
        engine->runFrame();
    }
    EXPECT_EQ(host.lines, std::vector<std::string>{"t complete"});
}

// A library may borrow what it shares from another library: that one is fetched next to it
// once it has arrived, its init actions run on the importing root too, and the name attaches
// the second library's own symbol.
TEST_F(LoaderRules, ALibraryPassesOnWhatItImportsFromAnother) {
    swfwrite::MovieBuilder leafLib(8);
    swfwrite::TimelineBuilder leaf;
    leaf.doAction(Assembler().push({str("leaf frame")}).trace().op(Code::End).bytes).showFrame();
    const uint16_t leafId = leafLib.define(leaf.sprite());
    leafLib.tag(swf::ExportAssets{{{leafId, "leaf"}}});
    leafLib.tag(swf::DoInitAction{
        leafId, Assembler().push({str("leaf init")}).trace().op(Code::End).bytes});
    leafLib.showFrame();

    swfwrite::MovieBuilder middle(8);
    middle.tag(swf::ImportAssets{2, "leaves.swf", {{50, "leaf"}}});
    middle.tag(swf::ExportAssets{{{50, "leaf"}}});
    middle.showFrame();

    ASSERT_TRUE(
        engine->loadMovie(0, importer(2, "parts/middle.swf", "leaf", "leaf"), u"main.swf", {}));
    engine->fetchCompleted(takeFetch().id, middle.write());
    const flash::FetchRequest second = takeFetch();
    EXPECT_EQ(second.url, u"parts/leaves.swf");
    engine->fetchCompleted(second.id, leafLib.write());
    engine->runFrame();
    engine->runFrame();
    engine->runFrame();
    EXPECT_EQ(host.lines, (std::vector<std::string>{"leaf init", "leaf frame"}));
    EXPECT_EQ(engine->getProperty(u"it", 13), u"it");
}

// The class a library's init actions register for a symbol it exports constructs the clips
// an importing movie attaches from it.
TEST_F(LoaderRules, ImportedSymbolsTakeTheClassTheLibraryRegisters) {
    swfwrite::MovieBuilder lib(8);
    swfwrite::TimelineBuilder inner;
    inner.showFrame();
    const uint16_t item = lib.define(inner.sprite());
    lib.tag(swf::ExportAssets{{{item, "shared item"}}});
    Assembler ctor;
    ctor.push({str("made ")}).push({str("this")}).op(Code::GetVariable);
    ctor.push({str("_name")}).op(Code::GetMember).op(Code::Add2).trace();
    Assembler init;
    init.push({str("_global")}).op(Code::GetVariable).push({str("Item")});
    init.function("", {}, ctor).op(Code::SetMember);
    init.push({str("_global")}).op(Code::GetVariable).push({str("Item")}).op(Code::GetMember);
    init.push({str("shared item"), avm1::test::integer(2), str("Object")}).op(Code::GetVariable);
    init.push({str("registerClass")}).op(Code::CallMethod).op(Code::Pop).op(Code::End);
    lib.tag(swf::DoInitAction{item, init.bytes});
    lib.showFrame();

    ASSERT_TRUE(engine->loadMovie(0, importer(2, "lib.swf", "Shared Item", "shared ITEM"),
                                  u"main.swf", {}));
    engine->fetchCompleted(takeFetch().id, lib.write());
    engine->runFrame();
    engine->runFrame();
    engine->runFrame();
    EXPECT_EQ(host.lines, std::vector<std::string>{"made it"});
}

// trace(text + <the value `value` leaves on the stack>)
Assembler traceWith(const std::string& text, const Assembler& value) {
    Assembler as;
    as.push({str(text)}).append(value).op(Code::Add2).trace();
    return as;
}

Assembler member(const std::string& object, const std::string& name) {
    Assembler as;
    as.getVar(object).push({str(name)}).op(Code::GetMember);
    return as;
}

// A movie arriving in a layer or in place of a clip shows its first frame, and runs its
// script, before the movies already playing tick: the enterFrame handlers of the playing movie
// find it ready, whichever versions the movies are.
TEST_F(LoaderRules, ALoadedMoviesFirstFrameRunsBeforeThePlayingMoviesTick) {
    for (uint8_t parentVersion : {5, 6, 7, 8}) {
        for (uint8_t childVersion : {5, 6, 8}) {
            restart();
            swfwrite::MovieBuilder main(parentVersion);
            swfwrite::TimelineBuilder empty;
            empty.showFrame();
            const uint16_t sprite = main.define(empty.sprite());
            swf::PlaceObject watcher = named(sprite, 1, "watcher");
            Assembler enter = traceWith("enter ", member("_level1", "marker"));
            Assembler inHolder = member("_root", "holder");
            inHolder.push({str("marker")}).op(Code::GetMember);
            enter.append(traceWith("holder ", inHolder));
            watcher.clipActions = {{swf::clip_event::EnterFrame, 0, enter.op(Code::End).bytes}};
            watcher.allClipEvents = swf::clip_event::EnterFrame;
            Assembler load = getUrl2("child.swf", "_level1", 0);
            load.append(getUrl2("child.swf", "holder", 0x40));
            // The watcher is placed after the holder, so its handlers come first in a tick.
            main.place(named(sprite, 2, "holder")).place(watcher);
            main.doAction(load.op(Code::End).bytes).showFrame().showFrame();
            start(main);

            swfwrite::MovieBuilder child(childVersion);
            Assembler first;
            first.push({str("child")}).trace().setVar("marker", str("here"));
            child.doAction(first.op(Code::End).bytes).showFrame().showFrame();
            engine->fetchCompleted(takeFetch().id, child.write());
            engine->fetchCompleted(takeFetch().id, child.write());
            EXPECT_TRUE(host.lines.empty()) << "nothing runs while the answers are taken in";
            engine->runFrame();
            const std::vector<std::string> ready{"child", "child", "enter here", "holder here"};
            EXPECT_EQ(host.lines, ready) << int(parentVersion) << " loads " << int(childVersion);
            host.lines.clear();
            engine->runFrame();
            EXPECT_EQ(host.lines, (std::vector<std::string>{"enter here", "holder here"}))
                << "the first frames run once";
        }
    }
}

// _lockroot set on a clip by the movie that loads into it stays through the load: the loaded
// movie's _root, in its frames and in the constructors of the classes it registers for its
// own symbols, is then the clip; without it, the level. The loading movie's _root stays its
// level either way.
TEST_F(LoaderRules, LockrootSetBeforeTheLoadMakesTheHolderTheLoadedMoviesRoot) {
    for (uint8_t parentVersion : {6, 8}) {
        for (uint8_t childVersion : {6, 7, 8}) {
            for (bool lock : {false, true}) {
                restart();
                swfwrite::MovieBuilder main(parentVersion);
                swfwrite::TimelineBuilder empty;
                empty.showFrame();
                main.place(named(main.define(empty.sprite()), 1, "holder"));
                Assembler load;
                if (lock) {
                    load.getVar("holder")
                        .push({str("_lockroot"), avm1::test::boolean(true)})
                        .op(Code::SetMember);
                }
                load.append(getUrl2("child.swf", "holder", 0x40));
                main.doAction(load.op(Code::End).bytes).showFrame();
                Assembler outside = traceWith("outside ", Assembler().getVar("_root"));
                main.doAction(outside.op(Code::Stop).op(Code::End).bytes).showFrame();
                start(main);

                swfwrite::MovieBuilder child(childVersion);
                swfwrite::TimelineBuilder itemFrames;
                itemFrames.showFrame();
                const uint16_t item = child.define(itemFrames.sprite());
                child.tag(swf::ExportAssets{{{item, "item"}}});
                Assembler ctor = traceWith("ctor ", member("this", "_root"));
                Assembler init;
                init.push({str("_global")}).op(Code::GetVariable).push({str("Item")});
                init.function("", {}, ctor).op(Code::SetMember);
                init.append(member("_global", "Item")).push({str("item"), avm1::test::integer(2)});
                init.getVar("Object").push({str("registerClass")}).op(Code::CallMethod);
                child.tag(swf::DoInitAction{item, init.op(Code::Pop).op(Code::End).bytes});
                child.place(named(item, 1, "it"));
                Assembler frame = traceWith("frame ", Assembler().getVar("_root"));
                child.doAction(frame.op(Code::Stop).op(Code::End).bytes).showFrame();
                engine->fetchCompleted(takeFetch().id, child.write());
                engine->runFrame();

                const std::string root = lock ? "_level0.holder" : "_level0";
                std::vector<std::string> expected{"ctor " + root, "frame " + root,
                                                  "outside _level0"};
                std::sort(host.lines.begin(), host.lines.end());
                EXPECT_EQ(host.lines, expected) << int(parentVersion) << " loads "
                                                << int(childVersion) << (lock ? " locked" : "");
            }
        }
    }
}

// A clip a movie is loaded into stays the same clip: its place, scale, turn, opacity,
// visibility and name are what scripts made them, while the new movie's frames and
// variables replace the old ones.
TEST_F(LoaderRules, AClipKeepsItsPlaceAndLookThroughALoad) {
    for (uint8_t parentVersion : {5, 6, 8}) {
        for (uint8_t childVersion : {5, 8}) {
            restart();
            swfwrite::MovieBuilder main(parentVersion);
            swfwrite::TimelineBuilder empty;
            empty.showFrame();
            swf::PlaceObject holder = named(main.define(empty.sprite()), 1, "holder");
            holder.matrix = test::at(10, 20);
            main.place(holder);
            Assembler script;
            for (const auto& [name, value] :
                 std::vector<std::pair<std::string, int>>{{"_xscale", 50},
                                                          {"_yscale", 200},
                                                          {"_alpha", 50},
                                                          {"_rotation", 10},
                                                          {"_visible", 0},
                                                          {"old", 1}}) {
                script.getVar("holder").push({str(name), avm1::test::integer(value)});
                script.op(Code::SetMember);
            }
            script.append(getUrl2("child.swf", "holder", 0x40));
            main.doAction(script.op(Code::End).bytes).showFrame().showFrame();
            start(main);

            engine->fetchCompleted(takeFetch().id, movieSaying("child", childVersion));
            engine->runFrame();
            const std::string pair =
                std::to_string(parentVersion) + " loads " + std::to_string(childVersion);
            EXPECT_EQ(host.lines, std::vector<std::string>{"child"}) << pair;
            EXPECT_EQ(variable(u"holder.old"), "<none>") << pair;
            EXPECT_EQ(engine->getProperty(u"holder", 13), u"holder") << pair;
            const std::vector<std::pair<int, double>> kept{{0, 10}, {1, 20}, {2, 50}, {3, 200},
                                                           {6, 50}, {7, 0},  {10, 10}};
            for (const auto& [index, value] : kept) {
                EXPECT_NEAR(engine->getPropertyNumber(u"holder", index).value_or(-1), value, 0.01)
                    << pair << ", property " << index;
            }
        }
    }
}

}  // namespace
}  // namespace pencora::runtime
