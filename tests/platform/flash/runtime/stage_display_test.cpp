// The stage as the control shows it, with this engine behind the control: a movie's
// Stage.scaleMode and align place the stage in the control, Stage.width and height follow the
// control's size under noScale, and Stage's listeners hear onResize when the control is resized
// while the mode is noScale; in SWF 6, 7 and 8.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "../avm1/postfix.h"
#include "../control/scripted_site.h"
#include "engine_fixture.h"
#include "platform/flash/control/flash_control.h"
#include "platform/flash/control/flash_control_tooling.h"
#include "scripted_player.h"

namespace pencora::runtime {
namespace {

using namespace ole;
using avm1::test::Assembler;
using avm1::test::postfix;

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;
constexpr std::uint32_t kRed = 0xFFFF0000u;

// A 200 by 100 pixel movie with a white stage and a red 20 pixel square at its top-left
// corner, whose first frame runs `script`; a second frame, when given, runs `then` and stops.
swf::Bytes squareMovie(uint8_t version, const Assembler& script,
                       std::optional<Assembler> then = std::nullopt) {
    swfwrite::MovieBuilder b(version, 200, 100);
    b.background(swf::Rgba{255, 255, 255, 255});
    const uint16_t shape = b.define(test::square(0, 0, 20, 20, swf::Rgba{255, 0, 0, 255}));
    b.place(shape, 1).doAction(test::done(script)).showFrame();
    if (then) {
        then->op(swf::ActionCode::Stop);
        b.doAction(test::done(*then)).showFrame();
    }
    return b.write();
}

// l.onResize traces the stage's size; l listens to Stage.
Assembler listenForResize() {
    Assembler a = postfix("new:Object/0 >l");
    a.getVar("l").push({avm1::test::str("onResize")});
    a.function("", {}, postfix("'resize ' @Stage .width Add2 'x' Add2 @Stage .height Add2 Trace"));
    a.op(swf::ActionCode::SetMember);
    a.append(postfix("@l @Stage :addListener/1 Pop"));
    return a;
}

Assembler traceSize() {
    return postfix("@Stage .width 'x' Add2 @Stage .height Add2 Trace");
}

struct StageDisplayTest : ::testing::Test {
    ComPtr<flash::testing::ScriptedSite> site = makeCom<flash::testing::ScriptedSite>();
    ComPtr<IOleObject> object;
    ComPtr<IOleInPlaceObjectWindowless> windowless;
    ComPtr<flash::IFlashControlTooling> tooling;
    std::vector<std::string> traces;

    void SetUp() override { test::ensureGuiApplication(); }

    void TearDown() override {
        if (object) {
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
        }
    }

    // The control at `rect` playing `movie`'s first frame.
    void show(const swf::Bytes& movie, const RECT& rect) {
        ASSERT_EQ(flash::createFlashControl([] { return createSwfMovieEngine(); }, IID_IOleObject,
                                            object.putVoid()),
                  S_OK);
        ASSERT_EQ(object->SetClientSite(site.get()), S_OK);
        ASSERT_EQ(object.as<IPersistStreamInit>()->InitNew(), S_OK);
        ASSERT_EQ(
            object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, nullptr, nullptr),
            S_OK);
        windowless = object.as<IOleInPlaceObjectWindowless>();
        ASSERT_EQ(windowless->SetObjectRects(&rect, &rect), S_OK);
        tooling = object.as<flash::IFlashControlTooling>();
        tooling->UseVirtualClock(TRUE);
        tooling->SetTraceSink([this](std::u16string_view line) {
            traces.push_back(QString::fromUtf16(line.data(), qsizetype(line.size())).toStdString());
        });
        site->served[u"http://zzz/stage.swf"] = std::vector<uint8_t>(movie.begin(), movie.end());
        ASSERT_EQ(object.as<IShockwaveFlash>()->LoadMovie(0, u"http://zzz/stage.swf"), S_OK);
        tooling->AdvanceFrames(1);
    }

    void resize(LONG width, LONG height) {
        const RECT rect{0, 0, width, height};
        ASSERT_EQ(windowless->SetObjectRects(&rect, &rect), S_OK);
    }

    // The control drawn into `shown`, a buffer of its size filled with blue first.
    DibSection shown;
    void draw(int width, int height) {
        shown.resize(width, height);
        shown.fill(0xFF0000FFu);
        object.as<IViewObject>()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, shown.dc(),
                                       nullptr, nullptr, nullptr, 0);
    }

    int property(int id) {
        VARIANT got;
        EXPECT_EQ(dispatchGet(object.as<IDispatch>().get(), id, &got), S_OK);
        return got.lVal;
    }
};

// Under noScale the size is the control's, the stage keeps one pixel per pixel at the corner
// the alignment names, and each resize is heard once, after the size changed.
TEST_F(StageDisplayTest, NoScaleFollowsTheControlAndTellsListenersOfEachResize) {
    for (uint8_t version : {6, 7, 8}) {
        SCOPED_TRACE(int(version));
        traces.clear();
        Assembler script = traceSize();
        script.append(
            postfix("@Stage 'scaleMode' 'noScale' SetMember @Stage 'align' 'TL' "
                    "SetMember"));
        script.append(listenForResize());
        script.append(traceSize());
        show(squareMovie(version, script), RECT{0, 0, 400, 300});
        EXPECT_EQ(traces, (std::vector<std::string>{"200x100", "400x300"}));
        EXPECT_EQ(property(DISPID_FLASH_SCALEMODE), 3);
        EXPECT_EQ(property(DISPID_FLASH_ALIGNMODE), flash::kAlignLeft | flash::kAlignTop);

        draw(400, 300);
        EXPECT_EQ(shown.pixelAt(2, 2), kRed);
        EXPECT_EQ(shown.pixelAt(25, 2), kWhite);
        EXPECT_EQ(shown.pixelAt(390, 290), kWhite) << "the stage colour fills the control";

        traces.clear();
        resize(300, 200);
        resize(300, 200);
        EXPECT_EQ(traces, std::vector<std::string>{"resize 300x200"});
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
        object = nullptr;
    }
}

// Without noScale the size is the movie's and resizing says nothing; the movie's other modes
// place the stage as the control's own would.
TEST_F(StageDisplayTest, OtherModesKeepTheMoviesSizeAndResizeSilently) {
    for (uint8_t version : {6, 7, 8}) {
        SCOPED_TRACE(int(version));
        traces.clear();
        Assembler script = postfix("@Stage 'scaleMode' 'exactFit' SetMember");
        script.append(listenForResize());
        script.append(traceSize());
        show(squareMovie(version, script), RECT{0, 0, 400, 300});
        resize(600, 300);
        EXPECT_EQ(traces, std::vector<std::string>{"200x100"});
        EXPECT_EQ(property(DISPID_FLASH_SCALEMODE), 2);
        // Stretched three times across and down: the square covers 60 by 60 pixels.
        draw(600, 300);
        EXPECT_EQ(shown.pixelAt(58, 58), kRed);
        EXPECT_EQ(shown.pixelAt(62, 30), kWhite);
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
        object = nullptr;
    }
}

// A centred stage under noScale starts where the alignment puts it: the pointer and the
// drawing agree on where stage (0, 0) is. The host's ScaleMode set afterwards takes over again.
TEST_F(StageDisplayTest, TheAlignedOriginIsWhereThePointerAndTheDrawingMeet) {
    Assembler script = postfix("@Stage 'scaleMode' 'NOSCALE' SetMember");
    show(squareMovie(8, script, postfix("@Stage .scaleMode Trace")), RECT{0, 0, 400, 300});
    draw(400, 300);
    EXPECT_EQ(shown.pixelAt(98, 98), kWhite);
    EXPECT_EQ(shown.pixelAt(102, 102), kRed);  // (400 - 200) / 2, (300 - 100) / 2
    LRESULT result = 0;
    windowless->OnWindowMessage(WM_MOUSEMOVE, 0, MAKELPARAM(110, 90), &result);
    BSTR x, y;
    auto flash = object.as<IShockwaveFlash>();
    ASSERT_EQ(flash->TGetProperty(u"/", 20, &x), S_OK);
    ASSERT_EQ(flash->TGetProperty(u"/", 21, &y), S_OK);
    EXPECT_EQ(x, u"10");
    EXPECT_EQ(y, u"-10");

    ASSERT_EQ(
        dispatchPut(object.as<IDispatch>().get(), DISPID_FLASH_SCALEMODE, VARIANT::fromInt(0)),
        S_OK);
    tooling->AdvanceFrames(1);
    EXPECT_EQ(traces, std::vector<std::string>{"showAll"});
    draw(400, 300);
    EXPECT_EQ(shown.pixelAt(38, 88), kRed);  // twice as large, from (0, 50)
    EXPECT_EQ(shown.pixelAt(42, 88), kWhite);
}

// Stage came with SWF 6: in SWF 5 the name is an ordinary one; from SWF 7 on names keep their
// case, so "stage" is another name there.
TEST_F(StageDisplayTest, StageIsAnOrdinaryNameInSwf5AndKeepsItsCaseFrom7) {
    // A movie's own variable of the name is its timeline's, wherever Stage is known.
    const Assembler script = postfix(
        "@Stage TypeOf Trace @stage .width Trace @Stage .width Trace 'Stage' 7 SetVariable @Stage");
    const std::vector<std::pair<uint8_t, std::vector<std::string>>> expected = {
        {5, {"undefined", "undefined", "undefined", "7"}},
        {6, {"object", "200", "200", "7"}},
        {7, {"object", "undefined", "200", "7"}},
        {8, {"object", "undefined", "200", "7"}},
    };
    for (const auto& [version, lines] : expected) {
        SCOPED_TRACE(int(version));
        traces.clear();
        Assembler traced = script;
        traced.op(swf::ActionCode::Trace);
        show(squareMovie(version, traced), RECT{0, 0, 200, 100});
        EXPECT_EQ(traces, lines);
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
        object = nullptr;
    }
}

}  // namespace
}  // namespace pencora::runtime
