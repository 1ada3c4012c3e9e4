// Buttons: the states they show, hit testing against the hit shapes, the condition events
// of the mouse in order, the hand cursor, and a click delivered through the Flash control's
// window messages raising the movie's FSCommand.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../control/scripted_site.h"
#include "engine_fixture.h"
#include "platform/flash/control/flash_control.h"
#include "platform/flash/control/flash_control_tooling.h"
#include "platform/flash/runtime/scripting/script_host.h"

namespace pencora::runtime {
namespace {

using test::Actions;
using test::square;
using testing::ElementsAre;
namespace bc = swf::button_condition;

// A 550 x 400 movie with one button: red up, green over, blue down, hit area (100,100) to
// (200,200); each condition says its name, release says getURL("FSCommand:btnread","朗读").
swfwrite::MovieBuilder buttonMovie() {
    swfwrite::MovieBuilder b(6);
    const uint16_t up = b.define(square(100, 100, 200, 200, {255, 0, 0, 255}));
    const uint16_t over = b.define(square(100, 100, 200, 200, {0, 255, 0, 255}));
    const uint16_t down = b.define(square(100, 100, 200, 200, {0, 0, 255, 255}));
    const uint16_t hit = b.define(square(100, 100, 200, 200, {0, 0, 0, 255}));
    swf::Button button;
    button.version = 2;
    auto record = [](uint8_t states, uint16_t id) {
        swf::ButtonRecord r;
        r.states = states;
        r.characterId = id;
        r.depth = 1;
        return r;
    };
    button.records = {record(swf::button_state::Up, up), record(swf::button_state::Over, over),
                      record(swf::button_state::Down, down),
                      record(swf::button_state::HitTest, hit)};
    auto on = [](uint16_t condition, swf::Bytes actions) {
        return swf::ButtonCondAction{condition, 0, std::move(actions)};
    };
    button.actions = {
        on(bc::IdleToOverUp, Actions().say("rollOver").end()),
        on(bc::OverUpToIdle, Actions().say("rollOut").end()),
        on(bc::OverUpToOverDown, Actions().say("press").end()),
        on(bc::OverDownToOverUp, Actions().getUrl("FSCommand:btnread", "朗读").end()),
        on(bc::OverDownToOutDown, Actions().say("dragOut").end()),
        on(bc::OutDownToOverDown, Actions().say("dragOver").end()),
        on(bc::OutDownToIdle, Actions().say("releaseOutside").end()),
    };
    b.place(b.define(button), 1).doAction(Actions().stop().end()).showFrame();
    return b;
}

struct ButtonTest : testing::Test, test::EngineFixture {
    void SetUp() override { ASSERT_TRUE(load(buttonMovie())); }
    void mouse(flash::InputKind kind, double x, double y) {
        flash::InputEvent e;
        e.kind = kind;
        e.x = x;
        e.y = y;
        engine->handleInput(e);
    }
    std::vector<std::string> commands() {
        std::vector<std::string> out;
        for (const auto& [c, a] : host.commands) {
            out.push_back(QString::fromStdU16String(c).toStdString() +
                          (a.empty() ? "" : " " + QString::fromStdU16String(a).toStdString()));
        }
        host.commands.clear();
        return out;
    }
    QRgb shown() { return render(550, 400).pixel(150, 150); }
};

using flash::InputKind;

TEST_F(ButtonTest, ClickRunsTheConditionsInOrderAndShowsEachState) {
    EXPECT_EQ(shown(), 0xFFFF0000u);
    EXPECT_EQ(engine->cursor(), flash::CursorShape::Arrow);
    mouse(InputKind::MouseMove, 150, 150);
    EXPECT_EQ(shown(), 0xFF00FF00u);
    EXPECT_EQ(engine->cursor(), flash::CursorShape::Hand);
    mouse(InputKind::MouseDown, 150, 150);
    EXPECT_EQ(shown(), 0xFF0000FFu);
    mouse(InputKind::MouseUp, 150, 150);
    EXPECT_EQ(shown(), 0xFF00FF00u);
    mouse(InputKind::MouseMove, 300, 300);
    EXPECT_EQ(shown(), 0xFFFF0000u);
    EXPECT_EQ(engine->cursor(), flash::CursorShape::Arrow);
    EXPECT_THAT(commands(), ElementsAre("rollOver", "press", "btnread 朗读", "rollOut"));
}

TEST_F(ButtonTest, DraggingOutAndReleasingOutsideRaiseTheirOwnConditions) {
    mouse(InputKind::MouseMove, 150, 150);
    mouse(InputKind::MouseDown, 150, 150);
    mouse(InputKind::MouseMove, 250, 150);
    mouse(InputKind::MouseMove, 199, 150);
    mouse(InputKind::MouseMove, 250, 150);
    mouse(InputKind::MouseUp, 250, 150);
    EXPECT_THAT(commands(), ElementsAre("rollOver", "press", "dragOut", "dragOver", "dragOut",
                                        "releaseOutside"));
    // The hit area is the hit shape: just outside it nothing happens.
    mouse(InputKind::MouseMove, 200.5, 150);
    mouse(InputKind::MouseDown, 200.5, 150);
    mouse(InputKind::MouseUp, 200.5, 150);
    EXPECT_THAT(commands(), ElementsAre());
}

// A second of silence that stays playing for the whole test, told apart by its id.
swf::Sound quietSecond() {
    swf::Sound s;
    s.format = swf::SoundFormat::UncompressedLittleEndian;
    s.rate = 3;
    s.is16Bit = true;
    s.sampleCount = 44100;
    s.data.assign(2 * 44100, 0);
    return s;
}

// A button's hit area that is only a hairline is one pixel wide on the stage, however the
// button is scaled: the pointer finds it on the line and not a pixel and a half away.
TEST(ButtonHitArea, AHairlineIsHitOnePixelWideAtAnyScale) {
    swfwrite::ShapeBuilder line;
    line.line(line.addLine(swfwrite::solidLine(0, {0, 0, 0, 255}))).moveTo(0, 0).lineTo(2000, 0);
    for (double scale : {4.0, 0.25}) {
        SCOPED_TRACE(scale);
        swfwrite::MovieBuilder b(6);
        swf::Button button;
        button.version = 2;
        swf::ButtonRecord r;
        r.states = swf::button_state::Up | swf::button_state::HitTest;
        r.characterId = b.define(line.build());
        r.depth = 1;
        button.records = {r};
        swf::PlaceObject p;
        p.characterId = b.define(button);
        p.depth = 1;
        p.matrix = swf::Matrix{scale, 0, 0, scale, 2000, 2000};
        b.place(p).doAction(Actions().stop().end()).showFrame();
        Player player;
        player.setActionRunner(std::make_unique<ScriptHost>(player));
        player.load(0, test::share(b));
        player.runFrame();
        const double x = 100 + 50 * scale;
        player.mouseMove({x, 101.5});
        EXPECT_FALSE(player.wantsHandCursor());
        player.mouseMove({x, 100.4});
        EXPECT_TRUE(player.wantsHandCursor());
    }
}

// Each state change plays its own sound, moved there by the pointer or by the keyboard.
TEST(ButtonSounds, RollOverPressReleaseAndRollOutEachPlayTheirSound) {
    swfwrite::MovieBuilder b(6);
    swf::Button button;
    button.version = 2;
    swf::ButtonRecord r;
    r.states = swf::button_state::Up | swf::button_state::HitTest;
    r.characterId = b.define(square(100, 100, 200, 200, {255, 0, 0, 255}));
    r.depth = 1;
    button.records = {r};
    // Slots: roll out, roll over, press, release; the ids say which slot played.
    uint16_t ids[4];
    for (size_t slot = 0; slot < 4; ++slot) {
        ids[slot] = b.define(quietSecond());
        button.sounds[slot].soundId = ids[slot];
    }
    b.place(b.define(button), 1).doAction(Actions().stop().end()).showFrame();
    Player player;
    player.setActionRunner(std::make_unique<ScriptHost>(player));
    player.load(0, test::share(b));
    player.runFrame();
    auto playing = [&] {
        std::vector<int> out;
        for (size_t slot = 0; slot < 4; ++slot) {
            if (player.sounds().isPlaying(ids[slot])) {
                out.push_back(int(slot));
            }
        }
        player.sounds().stopAll();
        return out;
    };
    player.mouseMove({150, 150});
    EXPECT_THAT(playing(), ElementsAre(1));
    player.mouseDown({150, 150});
    EXPECT_THAT(playing(), ElementsAre(2));
    player.mouseUp({150, 150});
    EXPECT_THAT(playing(), ElementsAre(3));
    // Dragging out and back in plays nothing.
    player.mouseDown({150, 150});
    playing();
    player.mouseMove({250, 150});
    player.mouseMove({150, 150});
    EXPECT_THAT(playing(), ElementsAre());
    player.mouseUp({150, 150});
    player.mouseMove({300, 300});
    EXPECT_THAT(playing(), ElementsAre(0, 3));

    // Tab rolls the button over, Enter presses and releases it.
    player.keyDown(vk::Tab);
    EXPECT_THAT(playing(), ElementsAre(1));
    player.keyDown(vk::Enter);
    EXPECT_THAT(playing(), ElementsAre(2, 3));
}

// A clip given onRelease by a script takes the mouse like a button.
TEST(ClipMouseHandlers, ClipWithOnReleaseIsClickable) {
    test::EngineFixture f;
    swfwrite::MovieBuilder b(6);
    swfwrite::TimelineBuilder inner;
    inner.place(b.define(square(100, 100, 200, 200, {255, 0, 0, 255})), 1).showFrame();
    swf::PlaceObject clip;
    clip.characterId = b.define(inner.sprite());
    clip.depth = 1;
    clip.name = "clip";
    auto push = [](swf::Bytes& out, const std::string& s) {
        const size_t n = s.size() + 2;
        out.insert(out.end(), {0x96, uint8_t(n), uint8_t(n >> 8), 0});
        test::appendText(out, s);
    };
    swf::Bytes body = Actions().say("clicked").bytes;  // getURL("FSCommand:clicked", "")
    swf::Bytes script;
    push(script, "clip");
    script.push_back(0x1C);  // GetVariable
    push(script, "onRelease");
    script.insert(script.end(), {0x9B, 5, 0, 0, 0, 0, uint8_t(body.size()), 0});
    script.insert(script.end(), body.begin(), body.end());
    script.insert(script.end(), {0x4F, 0x07, 0x00});  // SetMember, Stop, End
    b.tag(clip).doAction(script).showFrame();
    ASSERT_TRUE(f.load(b));
    flash::InputEvent e;
    e.x = e.y = 150;
    for (auto kind : {InputKind::MouseMove, InputKind::MouseDown, InputKind::MouseUp}) {
        e.kind = kind;
        f.engine->handleInput(e);
    }
    EXPECT_EQ(f.engine->cursor(), flash::CursorShape::Hand);
    ASSERT_EQ(f.host.commands.size(), 1u);
    EXPECT_EQ(f.host.commands[0].first, u"clicked");
}

// The click as the player delivers it: window messages to the control, which hosts this
// engine through the contract.
TEST(ButtonThroughControl, ClickRaisesFSCommandEvent150WithTheMoviesTexts) {
    using namespace ole;
    using flash::testing::EventSink;
    using flash::testing::ScriptedSite;
    auto site = makeCom<ScriptedSite>();
    auto sink = makeCom<EventSink>();
    ComPtr<IOleObject> object;
    ASSERT_EQ(flash::createFlashControl([] { return createSwfMovieEngine(); }, IID_IOleObject,
                                        object.putVoid()),
              S_OK);
    ASSERT_EQ(object->SetClientSite(site.get()), S_OK);
    ASSERT_EQ(object.as<IPersistStreamInit>()->InitNew(), S_OK);
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    ASSERT_EQ(object.as<IConnectionPointContainer>()->FindConnectionPoint(
                  DIID__IShockwaveFlashEvents, point.put()),
              S_OK);
    ASSERT_EQ(point->Advise(sink->identity(), &cookie), S_OK);
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, nullptr, nullptr),
              S_OK);
    auto windowless = object.as<IOleInPlaceObjectWindowless>();
    const RECT rect{0, 0, 550, 400};
    ASSERT_EQ(windowless->SetObjectRects(&rect, &rect), S_OK);
    object.as<flash::IFlashControlTooling>()->UseVirtualClock(TRUE);
    const swf::Bytes bytes = buttonMovie().write();
    site->served[u"http://zzz/button.swf"] = std::vector<uint8_t>(bytes.begin(), bytes.end());
    ASSERT_EQ(object.as<IShockwaveFlash>()->LoadMovie(0, u"http://zzz/button.swf"), S_OK);
    object.as<flash::IFlashControlTooling>()->AdvanceFrames(1);

    LRESULT result = 0;
    windowless->OnWindowMessage(WM_MOUSEMOVE, 0, MAKELPARAM(150, 150), &result);
    EXPECT_EQ(windowless->OnWindowMessage(WM_SETCURSOR, 0, 0x02000001, &result), S_OK);
    EXPECT_EQ(result, IDC_HAND);
    sink->events.clear();
    windowless->OnWindowMessage(WM_LBUTTONDOWN, 1, MAKELPARAM(150, 150), &result);
    windowless->OnWindowMessage(WM_LBUTTONUP, 0, MAKELPARAM(150, 150), &result);
    std::vector<const EventSink::Event*> commands;
    for (const auto& e : sink->events) {
        if (e.id == 150) {
            commands.push_back(&e);
        }
    }
    // The press says "press"; the release raises the command.
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0]->args[0].bstrVal, u"press");
    ASSERT_EQ(commands[1]->args.size(), 2u);
    EXPECT_EQ(commands[1]->args[0].bstrVal, u"btnread");
    EXPECT_EQ(commands[1]->args[1].bstrVal, u"朗读");

    object->Close(OLECLOSE_NOSAVE);
    point->Unadvise(cookie);
    object->SetClientSite(nullptr);
}

}  // namespace
}  // namespace pencora::runtime
