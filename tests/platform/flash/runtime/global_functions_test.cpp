// The global functions and statements of Flash 4 and 5 style scripts as movies of SWF 4 to 7
// run them: gotos by number, text, label and path, the level and URL functions and what the host
// hears of them, trace and the string and number functions, eval and targetPath.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QStringEncoder>

#include "../avm1/assembler.h"
#include "platform/flash/avm1/natives.h"
#include "scripted_player.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::boolean;
using avm1::test::integer;
using avm1::test::num;
using avm1::test::Operand;
using avm1::test::str;
using avm1::test::undef;
using Code = swf::ActionCode;
using test::done;
using test::named;
using testing::ElementsAre;
using testing::ElementsAreArray;

// Everything the host hears, in order: traces, commands, level loads, windows and fetches.
struct HostLog : PlayerEvents {
    std::vector<std::string> lines;
    void trace(const QString& line) override { lines.push_back(line.toStdString()); }
    void fsCommand(const QString& command, const QString& args) override {
        lines.push_back("fscommand " + command.toStdString() + "|" + args.toStdString());
    }
    void loadMovie(int layer, const QString& url) override {
        lines.push_back("level " + std::to_string(layer) + " " + url.toStdString());
    }
    void openUrl(const QString& url, const QString& window) override {
        lines.push_back("open " + url.toStdString() + "|" + window.toStdString());
    }
    std::vector<std::function<void(std::optional<QByteArray>)>> answers;
    void fetch(const QString& url, const QString& method, const QByteArray&,
               std::function<void(std::optional<QByteArray>)> done) override {
        lines.push_back("fetch " + method.toStdString() + " " + url.toStdString());
        answers.push_back(std::move(done));
    }
};

// getURL2 with its flags: 0x40 loads into a clip, 0x80 loads variables, 1 GET and 2 POST.
Assembler& getUrl2(Assembler& a, Operand url, Operand target, uint8_t flags) {
    return a.push({url, target}).record(Code::GetURL2, {flags});
}

// gotoAndStop(frame) (or gotoAndPlay) through GotoFrame2, optionally with a scene bias.
Assembler& gotoFrame2(Assembler& a, Operand frame, bool play = false, uint16_t bias = 0) {
    a.push({frame});
    if (bias) {
        return a.record(Code::GotoFrame2,
                        {uint8_t(0x02 | (play ? 1 : 0)), uint8_t(bias & 0xFF), uint8_t(bias >> 8)});
    }
    return a.record(Code::GotoFrame2, {uint8_t(play ? 1 : 0)});
}

Assembler& sayFrame(Assembler& a, const std::string& path = "") {
    return a.push({str(path), integer(4)}).op(Code::GetProperty).trace();
}

// Calls the global function `name` with the arguments given (pushed last to first).
Assembler& callGlobal(Assembler& a, const std::string& name, std::vector<Operand> args) {
    for (auto it = args.rbegin(); it != args.rend(); ++it) {
        a.push({*it});
    }
    return a.push({integer(int(args.size())), str(name)}).op(Code::CallFunction);
}

struct GlobalFunctionsTest : test::ScriptedPlayerTest {
    HostLog log;
    GlobalFunctionsTest() { player.setEvents(&log); }

    // A root of five frames, frame 3 labelled "Middle", with the clip "kid" of three frames
    // (its frame 2 labelled "two") at depth 1; `script` runs in the root's first frame.
    std::vector<std::string> run(uint8_t version, const Assembler& script, int frames = 1) {
        swfwrite::MovieBuilder b(version);
        swfwrite::TimelineBuilder kid;
        kid.doAction(done(Assembler().op(Code::Stop))).showFrame();
        kid.label("two").showFrame().showFrame();
        const uint16_t kidId = b.define(kid.sprite());
        b.place(named(kidId, 1, "kid")).doAction(done(script)).showFrame();
        b.showFrame().label("Middle").showFrame().showFrame().showFrame();
        log.lines.clear();
        log.answers.clear();
        player.load(0, test::share(b));
        for (int i = 0; i < frames; ++i) {
            player.runFrame();
        }
        return log.lines;
    }
};

// gotoAndStop takes a frame number, a number written as text, a label in any case, a frame or
// label behind a clip's path in either syntax, and a scene's first frame as a bias; a frame past
// the end is the last, while frame 0, a label not there and a clip not there go nowhere.
TEST_F(GlobalFunctionsTest, GotosTakeNumbersTextLabelsPathsAndSceneBiases) {
    for (uint8_t v : {4, 5, 6, 7}) {
        SCOPED_TRACE(int(v));
        Assembler a;
        gotoFrame2(a, integer(4));
        sayFrame(a);
        gotoFrame2(a, str("2"));
        sayFrame(a);
        gotoFrame2(a, str("middle"));
        sayFrame(a);
        gotoFrame2(a, num(4.7));
        sayFrame(a);
        gotoFrame2(a, str("kid:3"));
        sayFrame(a, "kid");
        gotoFrame2(a, str("/kid:TWO"));
        sayFrame(a, "kid");
        // SWF 4 code knows slash paths only.
        gotoFrame2(a, str(v == 4 ? "_level0/kid:1" : "_level0.kid:1"));
        sayFrame(a, "kid");
        gotoFrame2(a, integer(2), false, 2);  // the second frame of a scene starting at frame 3
        sayFrame(a);
        gotoFrame2(a, str("2"), false, 1);
        sayFrame(a);
        gotoFrame2(a, str("nowhere"));
        sayFrame(a);
        gotoFrame2(a, str("nowhere:2"));
        sayFrame(a);
        gotoFrame2(a, integer(99));
        sayFrame(a);
        gotoFrame2(a, integer(2));
        gotoFrame2(a, integer(0));
        sayFrame(a);
        a.op(Code::Stop);
        EXPECT_THAT(run(v, a),
                    ElementsAre("4", "2", "3", "4", "3", "2", "1", "4", "3", "3", "3", "5", "2"));
    }
}

// nextFrame and prevFrame stop at the ends; play and stop act on the timeline the script
// targets, tellTarget's or the clip's own.
TEST_F(GlobalFunctionsTest, StepsAndPlayStopOnTheTargetedTimeline) {
    Assembler a;
    a.op(Code::PrevFrame);
    sayFrame(a);
    a.record(Code::SetTarget, {'k', 'i', 'd', 0}).op(Code::NextFrame).op(Code::NextFrame);
    a.op(Code::NextFrame).op(Code::Play).record(Code::SetTarget, {0});
    sayFrame(a, "kid");
    a.op(Code::Stop);
    for (uint8_t v : {4, 5, 6, 7}) {
        SCOPED_TRACE(int(v));
        EXPECT_THAT(run(v, a), ElementsAre("1", "3"));
    }
}

// loadMovieNum, unloadMovieNum, loadMovie into a level by name, getURL to a window and the
// commands a host receives (with their arguments, whatever the command's case).
TEST_F(GlobalFunctionsTest, LevelsWindowsAndCommandsReachTheHost) {
    Assembler a;
    a.record(Code::GetURL, {'a', '.', 's', 'w', 'f', 0, '_', 'l', 'e', 'v', 'e', 'l', '2', 0});
    getUrl2(a, str("b.swf"), str("_level3"), 0);
    getUrl2(a, str(""), str("_level2"), 0);
    getUrl2(a, str("http://example.com/"), str("_blank"), 0);
    for (const char* command :
         {"quit", "fullscreen", "allowscale", "showmenu", "exec", "trapallkeys"}) {
        getUrl2(a, str(std::string("FSCommand:") + command), str("true"), 0);
    }
    getUrl2(a, str("fscommand:Play"), integer(5), 0);
    a.op(Code::Stop);
    for (uint8_t v : {4, 5, 6, 7}) {
        SCOPED_TRACE(int(v));
        EXPECT_THAT(run(v, a), ElementsAre("fetch GET a.swf", "fetch GET b.swf",
                                           "open http://example.com/|_blank", "fscommand quit|true",
                                           "fscommand fullscreen|true", "fscommand allowscale|true",
                                           "fscommand showmenu|true", "fscommand exec|true",
                                           "fscommand trapallkeys|true", "fscommand Play|5"));
    }
}

// Text as a movie of `version` stores it: UTF-8 from SWF 6 on, the Chinese code page before.
Operand text(uint8_t version, const char* utf8) {
    if (version >= 6) {
        return str(utf8);
    }
    QStringEncoder codePage("GB18030");
    return str(QByteArray(codePage(QString::fromUtf8(utf8))).toStdString());
}

// trace prints undefined as "undefined" in every version, though undefined converts to "" up
// to SWF 6; booleans print as digits in SWF 4 code. The multibyte functions count characters;
// their character numbers are the code page's before SWF 6 and UTF-16 units from it.
TEST_F(GlobalFunctionsTest, TraceAndTheStringFunctions) {
    for (uint8_t v : {4, 5, 6, 7}) {
        SCOPED_TRACE(int(v));
        Assembler a;
        a.push({undef()}).trace().getVar("notSet").trace();
        a.push({str("a"), undef()}).op(Code::StringAdd).trace();
        a.push({boolean(true)}).trace();
        a.push({num(5.9)}).op(Code::ToInteger).trace();
        a.push({num(-5.9)}).op(Code::ToInteger).trace();
        a.push({str("10.5")}).op(Code::ToInteger).trace();
        a.push({integer(65)}).op(Code::AsciiToChar).trace();
        a.push({str("ABC")}).op(Code::CharToAscii).trace();
        a.push({str("")}).op(Code::CharToAscii).trace();
        a.push({str("hello")}).op(Code::StringLength).trace();
        a.push({integer(12345)}).op(Code::StringLength).trace();
        a.push({str("hello"), integer(2), integer(3)}).op(Code::StringExtract).trace();
        a.push({text(v, "中文ab")}).op(Code::MBStringLength).trace();
        a.push({text(v, "中文ab"), integer(2), integer(2)}).op(Code::MBStringExtract).trace();
        a.push({text(v, "中")}).op(Code::MBCharToAscii).trace();
        a.push({str("A")}).op(Code::MBCharToAscii).trace();
        a.push({integer(v >= 6 ? 0x6587 : 0xCEC4)}).op(Code::MBAsciiToChar).trace();
        a.push({integer(66)}).op(Code::MBAsciiToChar).trace();
        a.push({str("")}).op(Code::MBCharToAscii).trace();
        a.op(Code::Stop);
        const std::string joined = v >= 7 ? "aundefined" : "a";
        EXPECT_THAT(run(v, a), ElementsAreArray<std::string>(
                                   {"undefined", "undefined", joined, v == 4 ? "1" : "true",
                                    "5",         "-5",        "10",   "A",
                                    "65",        "0",         "5",    "5",
                                    "ell",       "4",         "文a",  v >= 6 ? "20013" : "54992",
                                    "65",        "文",        "B",    "0"}));
    }
}

// String(), Number(), Boolean(), isNaN, isFinite, parseInt with octal and hex, parseFloat,
// escape and unescape: before SWF 6 escape writes what Latin-1 holds as its byte and the rest
// in the code page, and unescape reads the code page's double-byte characters back.
TEST_F(GlobalFunctionsTest, GlobalConversionFunctionsPerVersion) {
    for (uint8_t v : {5, 6, 7}) {
        SCOPED_TRACE(int(v));
        Assembler a;
        callGlobal(a, "String", {undef()}).trace();
        callGlobal(a, "Number", {str("12abc")}).trace();
        callGlobal(a, "Number", {boolean(true)}).trace();
        callGlobal(a, "Boolean", {str("abc")}).trace();
        callGlobal(a, "isNaN", {str("abc")}).trace();
        callGlobal(a, "isFinite", {str("12")}).trace();
        callGlobal(a, "parseInt", {str("0x1F")}).trace();
        callGlobal(a, "parseInt", {str("077")}).trace();
        callGlobal(a, "parseInt", {str("12.9px")}).trace();
        callGlobal(a, "parseInt", {str("11"), integer(2)}).trace();
        callGlobal(a, "parseFloat", {str("3.5kg")}).trace();
        callGlobal(a, "escape", {str("a b&c")}).trace();
        callGlobal(a, "unescape", {str("a%20b%26c")}).trace();
        callGlobal(a, "escape", {text(v, "中é")}).trace();
        callGlobal(a, "unescape", {str(v >= 6 ? "%E4%B8%AD%C3%A9" : "%D6%D0%E9")}).trace();
        callGlobal(a, "unescape", {text(v, "中%20")}).trace();
        a.op(Code::Stop);
        const bool v7 = v >= 7;
        EXPECT_THAT(run(v, a),
                    ElementsAreArray<std::string>(
                        {v7 ? "undefined" : "", "NaN", "1", v7 ? "true" : "false", "true", "true",
                         "31", "63", "12", "3", "3.5", "a%20b%26c", "a b&c",
                         v >= 6 ? "%E4%B8%AD%C3%A9" : "%D6%D0%E9", "中é", "中 "}));
    }
}

// eval of names, slash and dot paths and "path:var"; targetPath of clips and of what is no
// clip.
TEST_F(GlobalFunctionsTest, EvalPathsAndTargetPaths) {
    Assembler a;
    a.setVar("kid:v", str("kv")).setVar("top", str("root"));
    a.getVar("kid:v").trace().getVar("/kid:v").trace().getVar("_root.kid.v").trace();
    a.getVar("kid/:v").trace().getVar("/:top").trace().getVar("kid/..:top").trace();
    a.getVar("_level0.kid:v").trace().getVar("kid._currentframe").trace();
    a.getVar("/kid:_currentframe").trace().getVar("kid:_name").trace();
    a.getVar("kid").op(Code::TargetPath).trace();
    a.push({str("kid")}).op(Code::TargetPath).trace();
    a.getVar("_root").op(Code::TargetPath).trace();
    a.op(Code::Stop);
    for (uint8_t v : {5, 6, 7}) {
        SCOPED_TRACE(int(v));
        EXPECT_THAT(run(v, a), ElementsAre("kv", "kv", "kv", "kv", "root", "root", "kv", "1", "1",
                                           "kid", "_level0.kid", "undefined", "_level0"));
    }
}

Assembler& setProperty(Assembler& a, const std::string& path, int index, Operand v) {
    return a.push({str(path), integer(index), v}).op(Code::SetProperty);
}

Assembler& sayProperty(Assembler& a, const std::string& path, int index) {
    return a.push({str(path), integer(index)}).op(Code::GetProperty).trace();
}

// Every property index, set and read back: the clip's own, the movie-wide ones reached through
// any clip, and the read-only ones, which keep their value.
TEST_F(GlobalFunctionsTest, EveryPropertyIndexReadsAndWrites) {
    Assembler a;
    const std::vector<std::pair<int, Operand>> writes = {
        {0, integer(10)}, {1, integer(20)},  {2, integer(50)}, {3, integer(200)}, {4, integer(3)},
        {5, integer(9)},  {6, integer(30)},  {7, integer(0)},  {10, integer(90)}, {11, str("/x")},
        {12, integer(9)}, {13, str("kid2")}, {14, str("/x")},  {15, str("u")},    {16, integer(0)},
        {17, integer(0)}, {18, integer(9)},  {19, str("LOW")}, {20, integer(7)},  {21, integer(7)}};
    for (const auto& [index, value] : writes) {
        const std::string path = index > 13 ? "kid2" : "kid";
        setProperty(a, path, index, value);
        sayProperty(a, index >= 13 ? "kid2" : "kid", index);
    }
    a.op(Code::Stop);
    for (uint8_t v : {4, 5, 6, 7}) {
        SCOPED_TRACE(int(v));
        const std::vector<std::string> lines = run(v, a);
        ASSERT_EQ(lines.size(), writes.size());
        // _alpha keeps 256 steps; _focusrect is a boolean from SWF 6 on.
        EXPECT_THAT(lines, ElementsAre("10", "20", "50", "200", "1", "3", "29.6875",
                                       v == 4 ? "0" : "false", "90", "/kid", "3", "kid2", "", "",
                                       "0", v >= 6 ? "false" : "0", "9", "LOW", "-40", "5"));
    }
}

// duplicateMovieClip copies the clip's placement but neither its variables nor its frame: the
// copy starts from its first frame; removeMovieClip takes the copy away, and a copy made at a
// depth already used replaces what stood there.
TEST_F(GlobalFunctionsTest, DuplicatesStartAfreshAndGoAgain) {
    Assembler a;
    setProperty(a, "kid", 0, integer(40));
    a.setVar("kid:v", str("mine"));
    gotoFrame2(a, str("kid:2"));
    a.push({str("kid"), str("copy"), integer(5)}).op(Code::CloneSprite);
    sayProperty(a, "copy", 0);
    sayProperty(a, "copy", 4);
    a.getVar("copy:v").trace();
    a.push({str("kid"), str("other"), integer(5)}).op(Code::CloneSprite);
    sayProperty(a, "copy", 13);
    sayProperty(a, "other", 13);
    a.push({str("other")}).op(Code::RemoveSprite);
    sayProperty(a, "other", 13);
    a.op(Code::Stop);
    for (uint8_t v : {4, 5, 6, 7}) {
        SCOPED_TRACE(int(v));
        EXPECT_THAT(run(v, a),
                    ElementsAre("40", "1", "undefined", "undefined", "other", "undefined"));
    }
}

// getURL with GET sends the timeline's variables to a window too; loadMovie into a target that
// reads as empty (a level not loaded, written without quotes) loads into the timeline running
// the script; loadVariablesNum and loadVariables put what arrives on the level or clip named.
TEST_F(GlobalFunctionsTest, LoadsGoToTheTargetTheFunctionsName) {
    for (uint8_t v : {4, 5, 6, 7}) {
        SCOPED_TRACE(int(v));
        Assembler a;
        a.getVar("a").trace().getVar("kid:b").trace().setVar("v", str("1 2"));
        getUrl2(a, str("page.php"), str("_blank"), 1);
        getUrl2(a, str("vars.txt"), str("_level0"), 0x80);
        getUrl2(a, str("kid.txt"), str("kid"), 0xC0);
        getUrl2(a, str("m.swf"), str(""), 0x40);
        a.op(Code::Stop);
        const std::string sent = "open page.php?v=1%202";
        const std::vector<std::string> asked = {sent + "|_blank", "fetch GET vars.txt",
                                                "fetch GET kid.txt", "fetch GET m.swf"};
        std::vector<std::string> expected = {"undefined", "undefined"};
        expected.insert(expected.end(), asked.begin(), asked.end());
        EXPECT_EQ(run(v, a), expected);
        ASSERT_EQ(log.answers.size(), 3u);
        log.answers[0](QByteArray("a=first"));
        log.answers[1](QByteArray("b=second"));
        player.runFrame();
        // Back to the first frame: its script reads what arrived and asks again.
        log.lines.clear();
        player.gotoFrame(root(), 1, false);
        player.gotoFrame(root(), 0, false);
        player.runFrame();
        expected = {"first", "second", sent + "&a=first|_blank"};
        expected.insert(expected.end(), asked.begin() + 1, asked.end());
        EXPECT_EQ(log.lines, expected);
        ASSERT_EQ(log.answers.size(), 6u);
        swfwrite::MovieBuilder arriving(v);
        arriving.doAction(done(Assembler().push({str("arrived")}).trace().op(Code::Stop)));
        arriving.showFrame();
        const swf::Bytes file = arriving.write();
        log.lines.clear();
        log.answers[5](
            QByteArray(reinterpret_cast<const char*>(file.data()), qsizetype(file.size())));
        player.runFrame();
        EXPECT_THAT(log.lines, ElementsAre("arrived"));
        EXPECT_EQ(player.root(0)->totalFrames, 1);
    }
}

// A movie in another level is its own _root, has no _parent and is reached by _levelN in
// targets, variable paths, tellTarget and gotos from the movie in level 0.
TEST_F(GlobalFunctionsTest, LevelsAreRootsReachedByTheirNumber) {
    for (uint8_t v : {5, 6, 7}) {
        SCOPED_TRACE(int(v));
        swfwrite::MovieBuilder upper(v);
        Assembler own;
        own.setVar("w", str("upper")).getVar("_root").op(Code::TargetPath).trace();
        own.getVar("_parent").trace().op(Code::Stop);
        upper.doAction(done(own)).showFrame().showFrame().label("end").showFrame();
        Assembler a;
        a.getVar("_level1:w").trace().getVar("_level1.w").trace();
        a.push({str("_level1")}).op(Code::SetTarget2);
        a.getVar("w").trace();
        sayFrame(a);
        gotoFrame2(a, str("end"));
        a.push({str("")}).op(Code::SetTarget2);
        sayFrame(a, "_level1");
        gotoFrame2(a, str("_level1:2"));
        sayFrame(a, "_level1");
        a.getVar("_level2").trace().op(Code::Stop);
        log.lines.clear();
        swfwrite::MovieBuilder lower(v);
        lower.showFrame().doAction(done(a)).showFrame();
        player.load(0, test::share(lower));
        player.load(1, test::share(upper));
        player.runFrame();
        player.runFrame();
        EXPECT_THAT(log.lines, ElementsAre("_level1", "undefined", "upper", "upper", "upper", "1",
                                           "3", "2", "undefined"));
    }
}

// The player's version is $version of level 0's timeline, the text getVersion() gives, read as
// eval("$version") or "/:$version" from SWF 4 code on; a clip has none of its own.
TEST_F(GlobalFunctionsTest, VersionIsALevelZeroVariable) {
    for (uint8_t v : {4, 5, 6, 7}) {
        SCOPED_TRACE(int(v));
        Assembler a;
        a.getVar("$version").trace().getVar("/:$version").trace();
        a.getVar("kid:$version").trace();
        if (v >= 5) {
            callGlobal(a, "getVersion", {}).trace();
        }
        a.op(Code::Stop);
        const std::string version = avm1::playerVersion().toStdString();
        std::vector<std::string> expected = {version, version, "undefined"};
        if (v >= 5) {
            expected.push_back(version);
        }
        EXPECT_EQ(run(v, a), expected);
    }
}

}  // namespace
}  // namespace pencora::runtime
