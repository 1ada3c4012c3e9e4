// The Flash control embedded the way the player embeds it, against a scripted site and a fake
// engine: embedding order, fetching, drawing, dirty areas, input, events and properties.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "control_fixture.h"
#include "platform/ole/class_registry.h"
#include "platform/ole/file_scope.h"

namespace pencora::flash::testing {
namespace {

class FlashControlTest : public ControlFixture {
  protected:
    void TearDown() override {
        if (object) {
            object->Close(OLECLOSE_NOSAVE);
            disconnect();
            object->SetClientSite(nullptr);
        }
    }

    // The player's order: site, state, sinks, ambient change, windowless activation.
    void embed(const RECT& position = RECT{0, 0, 400, 200}) {
        ASSERT_EQ(object->SetClientSite(site.get()), S_OK);
        ASSERT_EQ(object.as<IPersistStreamInit>()->InitNew(), S_OK);
        auto points = object.as<IConnectionPointContainer>();
        ASSERT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink, propertyPoint.put()), S_OK);
        ASSERT_EQ(propertyPoint->Advise(site->identity(), &propertyCookie), S_OK);
        ASSERT_EQ(points->FindConnectionPoint(DIID__IShockwaveFlashEvents, eventPoint.put()), S_OK);
        ASSERT_EQ(eventPoint->Advise(sink->identity(), &eventCookie), S_OK);
        ASSERT_EQ(object.as<IOleControl>()->OnAmbientPropertyChange(DISPID_UNKNOWN_ALL), S_OK);
        ASSERT_EQ(
            object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, nullptr, nullptr),
            S_OK);
        windowless = object.as<IOleInPlaceObjectWindowless>();
        ASSERT_EQ(windowless->SetObjectRects(&position, &position), S_OK);
        tooling->UseVirtualClock(TRUE);
    }

    void disconnect() {
        if (eventPoint) {
            eventPoint->Unadvise(eventCookie);
        }
        if (propertyPoint) {
            propertyPoint->Unadvise(propertyCookie);
        }
    }

    ComPtr<IConnectionPoint> propertyPoint;
    DWORD propertyCookie = 0;
};

TEST_F(FlashControlTest, EmbedsWindowlessInThePlayersOrder) {
    DWORD status = 0;
    ASSERT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_TRUE(status & OLEMISC_SETCLIENTSITEFIRST);
    SIZEL extent;
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(extent.cx, 14552);  // 550 pixels at 96 per inch, in HIMETRIC
    EXPECT_EQ(extent.cy, 10583);

    embed();
    const std::vector<std::string> expected = {"ambient -709", "ambient -710",
                                               "CanWindowlessActivate", "OnInPlaceActivateEx 1",
                                               "GetWindowContext"};
    EXPECT_EQ(site->log, expected);
    EXPECT_TRUE(object.as<IViewObject>());
    EXPECT_TRUE(object.as<IOleInPlaceObject>());
    EXPECT_TRUE(object.as<IOleInPlaceActiveObject>());
    EXPECT_TRUE(object.as<IDispatch>());
    LONG version = 0;
    flash->FlashVersion(&version);
    EXPECT_EQ(version >> 16, 10);

    site->log.clear();
    EXPECT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(site->log, std::vector<std::string>{"OnInPlaceDeactivate"});
}

TEST_F(FlashControlTest, RefusesActivationWithoutAWindowlessSite) {
    site->windowlessAllowed = false;
    object->SetClientSite(site.get());
    EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, nullptr, nullptr),
              E_FAIL);
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(object.as<IOleInPlaceObject>()->GetWindow(&window), E_FAIL);
    EXPECT_EQ(window, nullptr);
}

TEST_F(FlashControlTest, LoadMovieFetchesThroughTheBindHostDuringTheCall) {
    embed();
    site->log.clear();
    site->served[u"http://zzz/<stream>0000002A.swf"] = kMovie;
    ASSERT_EQ(flash->LoadMovie(0, u"http://zzz/<stream>0000002A.swf"), S_OK);
    const std::vector<std::string> expected = {
        "QueryService", "CreateMoniker http://zzz/<stream>0000002A.swf", "BindToStorage"};
    EXPECT_EQ(site->log, expected);
    EXPECT_TRUE(site->holderHadCallback);
    EXPECT_EQ(engine.loadedBytes, kMovie);
    EXPECT_EQ(engine.loadedUrl, u"http://zzz/<stream>0000002A.swf");
    ASSERT_EQ(sink->events.size(), 3u);
    EXPECT_EQ(sink->events[0].id, DISPID_FLASH_PROGRESS);
    EXPECT_EQ(sink->events[0].args[0].lVal, 100);
    EXPECT_EQ(sink->events[1].id, DISPID_FLASH_READYSTATECHANGE);
    EXPECT_EQ(sink->events[1].args[0].lVal, FLASH_READYSTATE_INTERACTIVE);
    EXPECT_EQ(sink->events[2].args[0].lVal, FLASH_READYSTATE_COMPLETE);
    LONG percent = 0;
    flash->PercentLoaded(&percent);
    EXPECT_EQ(percent, 100);
}

TEST_F(FlashControlTest, ReadsARefusedAddressOnlyWhenItIsALocalFile) {
    embed();
    const auto folder = std::filesystem::temp_directory_path() / "pencora_flash_control_test";
    std::filesystem::create_directories(folder);
    const auto file = folder / "local.swf";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(kMovie.data()),
               static_cast<std::streamsize>(kMovie.size()));

    // Refused by the bind host (it serves nothing here) but a readable file: read.
    ASSERT_EQ(flash->LoadMovie(0, file.u16string()), S_OK);
    EXPECT_TRUE(engine.loaded);
    EXPECT_EQ(engine.loadedBytes, kMovie);

    // A network address is never fetched: the layer is emptied instead.
    ASSERT_EQ(flash->LoadMovie(0, u"http://example.com/local.swf"), S_OK);
    EXPECT_FALSE(engine.loaded);
    EXPECT_EQ(engine.calls.back(), "unload 0");

    // Without a bind host the same rules hold; relative names resolve beside the movie.
    site->offerBindHost = false;
    ASSERT_EQ(flash->LoadMovie(0, u"file://" + file.u16string()), S_OK);
    EXPECT_TRUE(engine.loaded);
    ASSERT_EQ(flash->LoadMovie(1, u"local.swf?x=1"), S_OK);
    EXPECT_EQ(engine.calls.back(), "load 1 local.swf?x=1");
    ASSERT_EQ(engine.loadedParameters.size(), 1u);
    EXPECT_EQ(engine.loadedParameters[0].second, u"1");
    std::filesystem::remove_all(folder);
}

TEST_F(FlashControlTest, MovieFetchesAreAnsweredAfterTheFrame) {
    embed();
    loadServedMovie();
    site->served[u"data.txt"] = {'a', '=', '1'};
    engine.onFrame = [](MovieEngineHost& host) {
        host.requestFetch(FetchRequest{7, u"data.txt", u"GET", {}});
        host.requestFetch(FetchRequest{8, u"http://example.com/x.txt", u"GET", {}});
    };
    ASSERT_EQ(tooling->AdvanceFrames(1), S_OK);
    ASSERT_EQ(engine.fetched.size(), 1u);
    EXPECT_EQ(engine.fetched[0].first, 7);
    EXPECT_EQ(engine.fetched[0].second, (std::vector<std::uint8_t>{'a', '=', '1'}));
    EXPECT_EQ(engine.failedFetches, std::vector<int>{8});
}

// What the control reads itself for a movie stays inside the program's folder, or, by a
// relative name, inside the folder of the movie the host loaded; the host's own loads do not.
TEST_F(FlashControlTest, MovieFetchesReadNothingOutsideTheProgramFolder) {
    const auto pid = std::to_string(::getpid());
    const auto program = ole::executableFolder() / ("fetch scope " + pid);
    const auto outside = std::filesystem::temp_directory_path() / ("pencora outside " + pid);
    std::filesystem::create_directories(program);
    std::filesystem::create_directories(outside);
    auto write = [](const std::filesystem::path& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    };
    write(program / "movie.swf", "FWS");
    write(program / "inside.txt", "in");
    write(outside / "secret.txt", "secret");
    write(outside / "movie.swf", "FWS");
    write(outside / "beside.txt", "beside");
    std::filesystem::create_symlink(outside / "secret.txt", program / "link.txt");
    std::filesystem::create_directory_symlink(outside, program / "out");

    site->offerBindHost = false;
    embed();
    std::vector<std::u16string> addresses;
    engine.onFrame = [&](MovieEngineHost& host) {
        for (std::size_t i = 0; i < addresses.size(); ++i) {
            host.requestFetch(FetchRequest{int(i), addresses[i], u"GET", {}});
        }
    };
    auto answered = [&](std::vector<std::u16string> list) {
        addresses = std::move(list);
        engine.fetched.clear();
        engine.failedFetches.clear();
        EXPECT_EQ(tooling->AdvanceFrames(1), S_OK);
        std::vector<int> ids;
        for (const auto& f : engine.fetched) {
            ids.push_back(f.first);
        }
        return ids;
    };

    ASSERT_EQ(flash->LoadMovie(0, (program / "movie.swf").u16string()), S_OK);
    ASSERT_TRUE(engine.loaded);
    const std::u16string secret = (outside / "secret.txt").u16string();
    const std::u16string in = (program / "inside.txt").u16string();
    EXPECT_EQ(answered({secret, u"file://" + secret, u"file://localhost" + secret, u"link.txt",
                        u"out/secret.txt", u"../secret.txt", in, u"file://" + in, u"inside.txt"}),
              (std::vector<int>{6, 7, 8}));

    ASSERT_EQ(flash->LoadMovie(0, (outside / "movie.swf").u16string()), S_OK);
    ASSERT_TRUE(engine.loaded);
    EXPECT_EQ(answered({u"beside.txt", secret, in}), (std::vector<int>{0, 2}));
    std::filesystem::remove_all(program);
    std::filesystem::remove_all(outside);
}

TEST_F(FlashControlTest, StepsFramesOnTheVirtualClock) {
    embed();
    loadServedMovie();
    engine.calls.clear();
    ASSERT_EQ(tooling->AdvanceFrames(2), S_OK);
    const std::vector<std::string> expected = {"runFrame", "runFrame done", "clock 40000",
                                               "runFrame", "runFrame done", "clock 40000"};
    EXPECT_EQ(engine.calls, expected);
}

TEST_F(FlashControlTest, PlaysOnTheEventLoopUnlessOnTheVirtualClock) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name};
    QCoreApplication app(argc, argv);
    embed();
    tooling->UseVirtualClock(FALSE);
    loadServedMovie();
    auto frames = [&] { return std::count(engine.calls.begin(), engine.calls.end(), "runFrame"); };
    QElapsedTimer clock;
    clock.start();
    while (frames() < 2 && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    EXPECT_GE(frames(), 2);

    tooling->UseVirtualClock(TRUE);
    const auto before = frames();
    clock.restart();
    while (clock.elapsed() < 150) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    EXPECT_EQ(frames(), before);
}

TEST_F(FlashControlTest, RaisesFSCommandAfterTheFrameAndFlashCallAtOnce) {
    embed();
    loadServedMovie();
    sink->events.clear();
    std::vector<std::string> order;
    sink->onEvent = [&](const EventSink::Event& e) {
        order.push_back("event " + std::to_string(e.id));
        if (e.id == DISPID_FLASH_FLASHCALL) {
            flash->SetReturnValue(u"<string>answer</string>");
        }
    };
    std::u16string answer;
    engine.onFrame = [&](MovieEngineHost& host) {
        host.fsCommand(u"btnread", u"朗读");
        order.push_back("after fsCommand");
        answer = host.flashCall(u"<invoke name=\"ask\"/>");
        order.push_back("after flashCall");
    };
    tooling->AdvanceFrames(1);
    const std::vector<std::string> expected = {"after fsCommand", "event 197", "after flashCall",
                                               "event 150"};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(answer, u"<string>answer</string>");
    const auto& command = sink->events.back();
    ASSERT_EQ(command.args.size(), 2u);
    EXPECT_EQ(command.args[0].bstrVal, u"btnread");
    EXPECT_EQ(command.args[1].bstrVal, u"朗读");

    // A return value set outside a FlashCall answers nothing later.
    flash->SetReturnValue(u"stale");
    engine.onFrame = [&](MovieEngineHost& host) { answer = host.flashCall(u"<invoke/>"); };
    sink->onEvent = nullptr;
    tooling->AdvanceFrames(1);
    EXPECT_EQ(answer, u"");
}

TEST_F(FlashControlTest, ReportsDirtyAreasInObjectCoordinates) {
    embed(RECT{0, 0, 400, 200});  // 200 x 100 stage shown at twice its size
    engine.onFrame = nullptr;
    site->served[u"m.swf"] = kMovie;
    site->onInvalidate = [&] { EXPECT_TRUE(engine.loaded); };
    ASSERT_EQ(flash->LoadMovie(0, u"m.swf"), S_OK);
    EXPECT_TRUE(site->invalidated.empty());  // no paint from inside LoadMovie
    tooling->AdvanceFrames(1);
    ASSERT_EQ(site->invalidated.size(), 1u);  // the new movie's first frame: all of it
    EXPECT_FALSE(site->invalidated[0]);
    site->invalidated.clear();
    engine.onFrame = [](MovieEngineHost& host) { host.invalidate(StageRect{10, 10, 20, 15}); };
    tooling->AdvanceFrames(1);
    ASSERT_EQ(site->invalidated.size(), 1u);
    ASSERT_TRUE(site->invalidated[0]);
    EXPECT_EQ(*site->invalidated[0], (RECT{19, 19, 41, 31}));

    engine.onFrame = [](MovieEngineHost& host) { host.invalidate(std::nullopt); };
    tooling->AdvanceFrames(1);
    ASSERT_EQ(site->invalidated.size(), 2u);
    EXPECT_FALSE(site->invalidated[1]);

    engine.onFrame = nullptr;
    tooling->AdvanceFrames(1);
    EXPECT_EQ(site->invalidated.size(), 2u);  // nothing changed, nothing reported
}

// The engine hears the control's size, mode and alignment whenever one changes. A script's
// mode and alignment take the place of the host's properties (which then read them) until the
// host sets one again.
TEST_F(FlashControlTest, AScriptsScaleModeTakesOverUntilTheHostSetsItsOwn) {
    embed(RECT{0, 0, 400, 200});
    loadServedMovie();
    ASSERT_FALSE(engine.displays.empty());
    EXPECT_EQ(engine.displays.back().scaleMode, ScaleMode::ShowAll);
    EXPECT_EQ(engine.displays.back().width, 400);
    EXPECT_EQ(engine.displays.back().height, 200);

    engine.onFrame = [](MovieEngineHost& host) {
        host.stageDisplayChanged(ScaleMode::NoScale, kAlignLeft | kAlignTop);
    };
    const size_t told = engine.displays.size();
    tooling->AdvanceFrames(1);
    engine.onFrame = nullptr;
    EXPECT_EQ(engine.displays.size(), told) << "the engine is not told what it said itself";
    VARIANT got;
    ASSERT_EQ(dispatchGet(flash.get(), DISPID_FLASH_SCALEMODE, &got), S_OK);
    EXPECT_EQ(got.lVal, 3);
    ASSERT_EQ(dispatchGet(flash.get(), DISPID_FLASH_SALIGN, &got), S_OK);
    EXPECT_EQ(got.bstrVal, u"LT");

    auto view = object.as<IViewObject>();
    DibSection buffer(400, 200);
    view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, buffer.dc(), nullptr, nullptr,
               nullptr, 0);
    StageMatrix m = engine.renderOptions.back().matrix;
    EXPECT_DOUBLE_EQ(m.a, 1.0);
    EXPECT_DOUBLE_EQ(m.tx, 0.0);
    EXPECT_DOUBLE_EQ(m.ty, 0.0);

    // A resize reaches the engine with the script's mode.
    const RECT wider{0, 0, 500, 300};
    ASSERT_EQ(windowless->SetObjectRects(&wider, &wider), S_OK);
    EXPECT_EQ(engine.displays.back().scaleMode, ScaleMode::NoScale);
    EXPECT_EQ(engine.displays.back().align, kAlignLeft | kAlignTop);
    EXPECT_EQ(engine.displays.back().width, 500);
    EXPECT_EQ(engine.displays.back().height, 300);

    // The host's setting wins again, and the engine hears it.
    ASSERT_EQ(dispatchPut(flash.get(), DISPID_FLASH_SCALEMODE, VARIANT::fromInt(0)), S_OK);
    EXPECT_EQ(engine.displays.back().scaleMode, ScaleMode::ShowAll);
    ASSERT_EQ(dispatchPut(flash.get(), DISPID_FLASH_SALIGN, VARIANT::fromString(u"")), S_OK);
    EXPECT_EQ(engine.displays.back().align, 0);
    view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, buffer.dc(), nullptr, nullptr,
               nullptr, 0);
    m = engine.renderOptions.back().matrix;
    EXPECT_DOUBLE_EQ(m.a, 2.5);  // 500 by 300 shows a 200 by 100 stage at most 2.5 times
    EXPECT_DOUBLE_EQ(m.ty, 25.0);
}

TEST_F(FlashControlTest, DrawsTransparentlyOrOpaquelyAtTheContextsOrigin) {
    embed(RECT{0, 0, 400, 200});
    loadServedMovie();
    auto view = object.as<IViewObject>();
    DibSection buffer(400, 200);
    buffer.fill(0xFF0000FF);

    // Window mode "Window": the transparent aspect still paints the stage colour.
    ASSERT_EQ(view->Draw(DVASPECT_TRANSPARENT, -1, nullptr, nullptr, nullptr, buffer.dc(), nullptr,
                         nullptr, nullptr, 0),
              S_OK);
    EXPECT_TRUE(engine.renderOptions.back().paintBackground);
    EXPECT_EQ(buffer.pixelAt(0, 0), 0xFF112233u);

    ASSERT_EQ(dispatchPut(flash.get(), DISPID_FLASH_WMODE, VARIANT::fromString(u"transparent")),
              S_OK);
    buffer.fill(0xFF0000FF);
    view->Draw(DVASPECT_TRANSPARENT, -1, nullptr, nullptr, nullptr, buffer.dc(), nullptr, nullptr,
               nullptr, 0);
    EXPECT_FALSE(engine.renderOptions.back().paintBackground);
    EXPECT_EQ(buffer.pixelAt(0, 0), 0xFF0000FFu);  // the existing pixels stay
    view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, buffer.dc(), nullptr, nullptr,
               nullptr, 0);
    EXPECT_TRUE(engine.renderOptions.back().paintBackground);

    // A dirty rectangle drawn into a scratch buffer whose origin is shifted to it: the
    // player's partial update.
    DibSection scratch(400, 200);
    SetWindowOrgEx(scratch.dc(), 30, 40, nullptr);
    const RECTL bounds{0, 0, 50, 60};
    view->Draw(DVASPECT_TRANSPARENT, -1, nullptr, nullptr, nullptr, scratch.dc(), &bounds, nullptr,
               nullptr, 0);
    const RenderTarget& t = engine.renderTargets.back();
    EXPECT_EQ((RECT{t.clipLeft, t.clipTop, t.clipRight, t.clipBottom}), (RECT{0, 0, 20, 20}));
    const StageMatrix& m = engine.renderOptions.back().matrix;
    EXPECT_DOUBLE_EQ(m.a, 2.0);
    EXPECT_DOUBLE_EQ(m.tx, -30.0);
    EXPECT_DOUBLE_EQ(m.ty, -40.0);

    EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, buffer.dc(), nullptr,
                         nullptr, nullptr, 0),
              DV_E_DVASPECT);
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, 0),
              E_INVALIDARG);
}

TEST_F(FlashControlTest, InputMethodCompositionReachesTheMovieWholeAndFindsTheCaret) {
    embed(RECT{0, 0, 400, 300});  // ShowAll: 2x, stage 200 x 100 centred with 50 pixels above
    loadServedMovie();
    constexpr LPARAM unit = GCS_COMPSTR | CS_INSERTCHAR | CS_NOMOVECARET;
    send(WM_IME_COMPOSITION, u'n', unit);
    send(WM_IME_COMPOSITION, u'i', unit);
    EXPECT_TRUE(engine.input.empty()) << "units wait for the message that closes them";
    send(WM_IME_COMPOSITION, 0, GCS_COMPSTR);
    send(WM_CHAR, u'你', 0);
    send(WM_IME_COMPOSITION, 0, GCS_COMPSTR);
    // Other composition messages (the result string, attributes) are not the control's.
    send(WM_IME_COMPOSITION, 0, 0x0800, S_FALSE);
    ASSERT_EQ(engine.input.size(), 3u);
    EXPECT_EQ(engine.input[0].kind, InputKind::Composition);
    EXPECT_EQ(engine.input[0].text, u"ni");
    EXPECT_EQ(engine.input[1].character, u'你');
    EXPECT_EQ(engine.input[2].kind, InputKind::Composition);
    EXPECT_EQ(engine.input[2].text, u"") << "gathered units do not carry over";

    // The caret, stage (10, 20)-(10, 35), lands in client pixels through the stage's scale.
    IMECHARPOSITION position;
    position.pt = {-1, -1};
    EXPECT_EQ(send(WM_IME_REQUEST, IMR_QUERYCHARPOSITION, reinterpret_cast<LPARAM>(&position)), 0)
        << "no focused field, no caret";
    EXPECT_EQ(position.pt, (POINT{-1, -1}));
    engine.caret = StageRect{10, 20, 10, 35};
    EXPECT_EQ(send(WM_IME_REQUEST, IMR_QUERYCHARPOSITION, reinterpret_cast<LPARAM>(&position)), 1);
    EXPECT_EQ(position.pt, (POINT{20, 90}));
    EXPECT_EQ(position.cLineHeight, 30u);
    IMECHARPOSITION small;
    small.dwSize = 4;  // a caller's older, shorter record is left alone
    EXPECT_EQ(send(WM_IME_REQUEST, IMR_QUERYCHARPOSITION, reinterpret_cast<LPARAM>(&small)), 0);
    send(WM_IME_REQUEST, 0x0001, 0, S_FALSE);
}

TEST_F(FlashControlTest, TurnsWindowMessagesIntoStageInput) {
    embed(RECT{0, 0, 400, 300});  // ShowAll: 2x, stage 200 x 100 centred with 50 pixels above
    loadServedMovie();
    send(WM_MOUSEMOVE, 0, MAKELPARAM(100, 150));
    send(WM_LBUTTONDOWN, 1, MAKELPARAM(100, 150));
    EXPECT_TRUE(site->captured);
    send(WM_LBUTTONUP, 0, MAKELPARAM(100, 150));
    EXPECT_FALSE(site->captured);
    send(WM_KEYDOWN, 0x41, 0);
    send(WM_CHAR, u'朗', 0);
    ASSERT_EQ(engine.input.size(), 5u);
    EXPECT_EQ(engine.input[0].kind, InputKind::MouseMove);
    EXPECT_DOUBLE_EQ(engine.input[0].x, 50.0);
    EXPECT_DOUBLE_EQ(engine.input[0].y, 50.0);
    EXPECT_EQ(engine.input[1].kind, InputKind::MouseDown);
    EXPECT_EQ(engine.input[2].kind, InputKind::MouseUp);
    EXPECT_EQ(engine.input[3].keyCode, 0x41);
    EXPECT_EQ(engine.input[4].character, u'朗');

    // An editing key is followed by its command, with the modifiers the key messages left.
    engine.input.clear();
    send(WM_KEYDOWN, 0x11, 0);
    send(WM_KEYDOWN, 0x56, 0);
    send(WM_KEYUP, 0x11, 0);
    send(WM_KEYDOWN, 0x25, 0);
    ASSERT_EQ(engine.input.size(), 6u);
    EXPECT_EQ(engine.input[1].keyCode, 0x56);
    EXPECT_EQ(engine.input[2].kind, InputKind::TextCommand);
    EXPECT_EQ(engine.input[2].command, TextCommand::Paste);
    EXPECT_EQ(engine.input[4].keyCode, 0x25);
    EXPECT_EQ(engine.input[5].command, TextCommand::MoveLeft);

    engine.cursor = CursorShape::Hand;
    EXPECT_EQ(send(WM_SETCURSOR, 0, 0x02000001), IDC_HAND);
    engine.cursor = CursorShape::Arrow;
    EXPECT_EQ(send(WM_SETCURSOR, 0, 0x02000001), IDC_ARROW);
    send(WM_PAINT, 0, 0, S_FALSE);

    // A button whose release sends a command: event 150 after the message, texts unchanged.
    engine.onInput = [](MovieEngineHost& host, const InputEvent& e) {
        if (e.kind == InputKind::MouseUp) {
            host.fsCommand(u"btnread", u"朗读");
        }
    };
    sink->events.clear();
    send(WM_LBUTTONDOWN, 1, MAKELPARAM(100, 150));
    EXPECT_TRUE(sink->events.empty());
    send(WM_LBUTTONUP, 0, MAKELPARAM(100, 150));
    ASSERT_EQ(sink->events.size(), 1u);
    EXPECT_EQ(sink->events[0].id, DISPID_FLASH_FSCOMMAND);
    EXPECT_EQ(sink->events[0].args[0].bstrVal, u"btnread");
    EXPECT_EQ(sink->events[0].args[1].bstrVal, u"朗读");
    engine.onInput = nullptr;

    // A right press asks the site for a window, as for a context menu.
    site->log.clear();
    send(WM_RBUTTONDOWN, 2, MAKELPARAM(1, 1));
    EXPECT_EQ(site->log, std::vector<std::string>{"GetWindow"});

    // While the container's UI is dead the movie gets no input.
    site->uiDead = true;
    object.as<IOleControl>()->OnAmbientPropertyChange(DISPID_AMBIENT_UIDEAD);
    const auto before = engine.input.size();
    send(WM_LBUTTONDOWN, 1, MAKELPARAM(5, 5), S_FALSE);
    EXPECT_EQ(engine.input.size(), before);
}

TEST_F(FlashControlTest, PassesPropertiesThroughDispatchWithTheirTextForms) {
    embed();
    const PutThenGet rows[] = {
        {DISPID_FLASH_WMODE, VARIANT::fromString(u"TRANSPARENT"), DISPID_FLASH_WMODE,
         VARIANT::fromString(u"Transparent")},
        {DISPID_FLASH_SCALE, VARIANT::fromString(u"noborder"), DISPID_FLASH_SCALEMODE,
         VARIANT::fromInt(1)},
        {DISPID_FLASH_SCALEMODE, VARIANT::fromInt(2), DISPID_FLASH_SCALE,
         VARIANT::fromString(u"ExactFit")},
        {DISPID_FLASH_SALIGN, VARIANT::fromString(u"tl"), DISPID_FLASH_ALIGNMODE,
         VARIANT::fromInt(5)},
        {DISPID_FLASH_ALIGNMODE, VARIANT::fromInt(10), DISPID_FLASH_SALIGN,
         VARIANT::fromString(u"RB")},
        {DISPID_FLASH_BGCOLOR, VARIANT::fromString(u"#ff8000"), DISPID_FLASH_BACKGROUNDCOLOR,
         VARIANT::fromInt(0xFF8000)},
        {DISPID_FLASH_BACKGROUNDCOLOR, VARIANT::fromInt(0x123456), DISPID_FLASH_BGCOLOR,
         VARIANT::fromString(u"#123456")},
        {DISPID_FLASH_QUALITY2, VARIANT::fromString(u"autolow"), DISPID_FLASH_QUALITY,
         VARIANT::fromInt(2)},
        {DISPID_FLASH_QUALITY, VARIANT::fromInt(0), DISPID_FLASH_QUALITY2,
         VARIANT::fromString(u"Low")},
        {DISPID_FLASH_LOOP, VARIANT::fromBool(false), DISPID_FLASH_LOOP, VARIANT::fromBool(false)},
        {DISPID_FLASH_MENU, VARIANT::fromString(u"false"), DISPID_FLASH_MENU,
         VARIANT::fromBool(false)},
        {DISPID_FLASH_FLASHVARS, VARIANT::fromString(u"a=1&b=%E6"), DISPID_FLASH_FLASHVARS,
         VARIANT::fromString(u"a=1&b=%E6")},
        {DISPID_FLASH_SEAMLESSTABBING, VARIANT::fromInt(0), DISPID_FLASH_SEAMLESSTABBING,
         VARIANT::fromBool(false)},
        {DISPID_FLASH_BASE, VARIANT::fromString(u"/movies/"), DISPID_FLASH_BASE,
         VARIANT::fromString(u"/movies/")},
    };
    for (const PutThenGet& row : rows) {
        site->changed.clear();
        expectPutThenGet(row);
        EXPECT_EQ(site->changed, std::vector<DISPID>{row.put});
    }
    VARIANT got;
    EXPECT_EQ(dispatchGet(flash.get(), 9999, &got), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(dispatchPut(flash.get(), DISPID_FLASH_TOTALFRAMES, VARIANT::fromInt(1)),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(dispatchPut(flash.get(), DISPID_FLASH_SCALEMODE, VARIANT::fromString(u"big")),
              DISP_E_TYPEMISMATCH);

    // Playing and FrameNum reach the movie.
    loadServedMovie();
    ASSERT_EQ(dispatchPut(flash.get(), DISPID_FLASH_FRAMENUM, VARIANT::fromInt(4)), S_OK);
    EXPECT_EQ(engine.calls.back(), "goto  4 stop");
    ASSERT_EQ(dispatchGet(flash.get(), DISPID_FLASH_PLAYING, &got), S_OK);
    EXPECT_EQ(got.vt, VT_BOOL);
    EXPECT_EQ(got.boolVal, VARIANT_FALSE);
    // FlashVars become variables of layer 0.
    ASSERT_EQ(engine.loadedParameters.size(), 2u);
    EXPECT_EQ(engine.loadedParameters[1].second, u"\u00E6");
}

TEST_F(FlashControlTest, AnswersTheMovieOperations) {
    embed();
    loadServedMovie();
    BSTR text = u"junk";
    EXPECT_EQ(flash->GetVariable(u"missing", &text), E_FAIL);
    EXPECT_EQ(text, u"");
    flash->SetVariable(u"/:name", u"值");
    EXPECT_EQ(flash->GetVariable(u"/:name", &text), S_OK);
    EXPECT_EQ(text, u"值");

    double number = -1;
    EXPECT_EQ(flash->TGetPropertyNum(u"/clip", 0, &number), S_OK);
    EXPECT_EQ(number, 12.5);
    EXPECT_EQ(flash->TGetPropertyAsNumber(u"/none", 0, &number), E_FAIL);
    EXPECT_EQ(flash->TGetProperty(u"/clip", 22, &text), E_INVALIDARG);
    LONG frame = 0;
    EXPECT_EQ(flash->TCurrentFrame(u"/none", &frame), S_OK);
    EXPECT_EQ(frame, -1);

    EXPECT_EQ(flash->CallFunction(u"<invoke name=\"ping\"/>", &text), S_OK);
    EXPECT_EQ(text, u"<string>pong</string>");
    EXPECT_EQ(flash->CallFunction(u"<invoke name=\"nothing\"/>", &text), E_FAIL);

    engine.frame = 3;
    flash->Back();
    EXPECT_EQ(engine.calls.back(), "goto  2 stop");
    flash->Forward();
    EXPECT_EQ(engine.calls.back(), "goto  3 stop");
    engine.frame = 9;
    engine.calls.clear();
    flash->Forward();  // already at the last frame
    EXPECT_TRUE(engine.calls.empty());
    flash->Rewind();
    EXPECT_EQ(engine.calls.back(), "goto  0 stop");
    flash->TGotoLabel(u"/clip", u"start");
    EXPECT_EQ(engine.calls.back(), "gotoLabel /clip start");
    VARIANT_BOOL loaded = 0;
    flash->FrameLoaded(9, &loaded);
    EXPECT_EQ(loaded, VARIANT_TRUE);
    flash->FrameLoaded(10, &loaded);
    EXPECT_EQ(loaded, VARIANT_FALSE);
}

TEST_F(FlashControlTest, SavesAndReloadsItsOwnState) {
    embed();
    dispatchPut(flash.get(), DISPID_FLASH_WMODE, VARIANT::fromString(u"Transparent"));
    dispatchPut(flash.get(), DISPID_FLASH_SCALE, VARIANT::fromString(u"NoScale"));
    auto persist = object.as<IPersistStreamInit>();
    EXPECT_EQ(persist->IsDirty(), S_OK);
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    ASSERT_EQ(persist->Save(stream.get(), TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);

    FakeEngineState other;
    ComPtr<IPersistStreamInit> second;
    ASSERT_EQ(createFlashControl([&] { return makeFakeEngine(other); }, IID_IPersistStreamInit,
                                 second.putVoid()),
              S_OK);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(second->Load(stream.get()), S_OK);
    VARIANT got;
    dispatchGet(second.as<IDispatch>().get(), DISPID_FLASH_WMODE, &got);
    EXPECT_EQ(got.bstrVal, u"Transparent");
    dispatchGet(second.as<IDispatch>().get(), DISPID_FLASH_SCALEMODE, &got);
    EXPECT_EQ(got.lVal, 3);

    // Foreign or cut-off state is refused and changes nothing.
    HGLOBAL memory;
    GetHGlobalFromStream(stream.get(), &memory);
    auto cut = streamOnBytes(std::span(memory->data(), memory->size() - 3));
    EXPECT_EQ(second->Load(cut.get()), E_FAIL);
    const std::uint8_t foreign[] = {0x67, 0x55, 0x66, 0x55, 0, 0, 0, 0};
    EXPECT_EQ(second->Load(streamOnBytes(foreign).get()), E_FAIL);
}

TEST_F(FlashControlTest, IsCreatedThroughTheClassRegistry) {
    ScopedClassRegistration restore(CLSID_ShockwaveFlash, nullptr);
    ComPtr<IOleObject> made;
    EXPECT_EQ(CoCreateInstance(CLSID_ShockwaveFlash, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                               made.putVoid()),
              REGDB_E_CLASSNOTREG);
    FakeEngineState other;
    registerFlashControl([&] { return makeFakeEngine(other); });
    ASSERT_EQ(CoCreateInstance(CLSID_ShockwaveFlash, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                               made.putVoid()),
              S_OK);
    EXPECT_TRUE(made.as<IShockwaveFlash>());
    EXPECT_FALSE(made.as<IPerPropertyBrowsing>());
}

}  // namespace
}  // namespace pencora::flash::testing
