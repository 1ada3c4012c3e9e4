// The player against a scripted control registered under the Flash class identifier: every
// address, variable and message the player hands its control, every answer of its site.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>

#include "platform/fs/program_path.h"
#include "platform/ole/stream.h"
#include "platform/resources/program_resources.h"
#include "player/flash_player.h"
#include "player/ole_error.h"
#include "scripted_control.h"

namespace pencora::player {
namespace {

using namespace ole;
using testing::ControlScript;
using testing::ScriptedControlRegistration;

void ensureApp() {
    if (!QApplication::instance()) {
        static int argc = 1;
        static char name[] = "test_player";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
}

ComPtr<IStream> streamOf(const std::string& bytes) {
    return streamOnBytes({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

std::vector<std::string> loads(const ControlScript& s) {
    std::vector<std::string> r;
    for (const auto& e : s.log) {
        if (e.rfind("LoadMovie", 0) == 0 || e.rfind("SetVariable", 0) == 0) {
            r.push_back(e);
        }
    }
    return r;
}

class PlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureApp();
        ASSERT_TRUE(folder.isValid());
        fs::setProgramFolder(folder.path());
        panel.resize(400, 300);
    }
    void TearDown() override { fs::setProgramFolder({}); }
    std::unique_ptr<TsfFlashPlayer> makePlayer() {
        auto p = std::make_unique<TsfFlashPlayer>(&panel);
        p->SetBounds(5, 6, 160, 160);
        script.log.clear();
        script.fetched.clear();
        return p;
    }
    void writeFile(const QString& relative, const QByteArray& bytes) {
        QDir(folder.path()).mkpath(QFileInfo(relative).path());
        QFile f(folder.filePath(relative));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // CreateMoniker's answer for `address` and the pending request it leaves.
    std::pair<HRESULT, std::string> decide(TsfFlashPlayer& p, const std::u16string& address) {
        ComPtr<IMoniker> moniker;
        const HRESULT h = p.CreateMoniker(address, nullptr, moniker.put(), 0);
        EXPECT_EQ(h == S_OK, static_cast<bool>(moniker)) << "moniker set only on S_OK";
        return {h, p.PendingRequest()};
    }

    struct AppGuard {
        AppGuard() { ensureApp(); }
    } app;
    ControlScript script;
    ScriptedControlRegistration registration{script};
    QTemporaryDir folder;
    QWidget panel;
};

TEST_F(PlayerTest, ConstructionEmbedsInOrder) {
    TsfFlashPlayer player(&panel);
    ASSERT_TRUE(player.IsFlashAviable());
    // Natural size of the control; window mode set first, which completes the runtime part,
    // then in-place activation; focus is given last.
    EXPECT_EQ(player.size(), QSize(550, 400));
    const std::vector<std::string> expected{
        "SetClientSite",        "InitNew",    "OnAmbientPropertyChange(-1)",
        "put(133,Transparent)", "DoVerb(-5)", "msg(7,0,0,0)"};
    EXPECT_EQ(script.log, expected);
}

TEST_F(PlayerTest, WithoutTheControlThePlayerIsUnavailable) {
    CoUnregisterClass(CLSID_ShockwaveFlash);
    TsfFlashPlayer player(&panel);
    EXPECT_FALSE(player.IsFlashAviable());
    player.LoadMovie(0, "a.swf");
    player.Play();
    player.setVolume(40);
    EXPECT_EQ(player.CurrentFrame(), 0);
    EXPECT_EQ(player.GetVariable("x"), QString());
    EXPECT_EQ(player.CallFunction("<invoke/>"), QString());
    EXPECT_FALSE(player.Playing());
    EXPECT_TRUE(player.GrabToBmp().isNull());
    EXPECT_TRUE(player.GrabToBmpAlpha()->empty());
    EXPECT_THROW(player.GrabToJpg(), std::runtime_error);
    player.SetBounds(1, 2, 30, 40);
    EXPECT_EQ(player.geometry(), QRect(1, 2, 30, 40));
    EXPECT_EQ(script.created, 0);
}

TEST_F(PlayerTest, ActivationWithoutInPlaceObjectFails) {
    script.giveInPlaceObject = false;
    try {
        TsfFlashPlayer player(&panel);
        FAIL() << "expected the activation error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "OLE control activation failed");
    }
}

TEST_F(PlayerTest, LoadMovieAddressesPerControlVersion) {
    struct Row {
        LONG version;
        const char16_t* url;
        std::vector<std::string> expected;
        std::string flashPath;
    };
    const std::vector<Row> rows{
        {0x00090000, u"", {"LoadMovie(0,http://zzz/)"}, ""},
        {0x00090000, u"C:\\m\\a.swf", {"LoadMovie(0,http://zzz/C:\\m\\a.swf)"}, "C:\\m\\"},
        {0x00090000, u"C:/m/a.swf", {"LoadMovie(0,C:/m/a.swf)"}, "C:"},
        {0x000A0000, u"C:/m/a.swf", {"LoadMovie(0,http://zzz/C:/m/a.swf)"}, "C:"},
        {0x000A0000, u"C:\\m\\A.FLV", {"LoadMovie(0,http://zzz/C:\\m\\A.FLV)"}, "C:\\m\\"},
        {0x00090000,
         u"C:\\m\\v.flv",
         {"LoadMovie(0,flvplayback.swf)", "SetVariable(flv.contentPath,C:/m/v.flv)",
          "SetVariable(flv.skin,clearoverall.swf)", "SetVariable(flv.volume,100)"},
         "C:\\m\\"},
        {0x00090000,
         u"C:/m/v.flv",
         {"LoadMovie(0,flvplayback.swf)", "SetVariable(flv.contentPath,C:/m/v.flv)",
          "SetVariable(flv.skin,clearoverall.swf)", "SetVariable(flv.volume,100)"},
         "C:"},
        {0x000A0000,
         u"C:/m/v.flv",
         {"LoadMovie(0,flvplayback.swf)", "SetVariable(flv.contentPath,http://zzz/C:/m/v.flv)",
          "SetVariable(flv.skin,clearoverall.swf)", "SetVariable(flv.volume,100)"},
         "C:"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(QString::fromStdU16String(r.url).toStdString() + " v" +
                     std::to_string(r.version >> 16));
        script.version = r.version;
        script.fetchOnLoad = false;
        auto player = makePlayer();
        player->LoadMovie(0, QString::fromStdU16String(r.url));
        EXPECT_EQ(loads(script), r.expected);
        EXPECT_EQ(player->FlashPath(), r.flashPath);
        EXPECT_EQ(player->IsFlv(), r.expected.size() > 1);
    }
}

TEST_F(PlayerTest, StreamLoadsRewindSniffAndDeliverCopies) {
    const std::string movie = "FWS\x06 movie bytes";
    const auto stream = streamOf(movie);
    std::vector<std::unique_ptr<TsfFlashPlayer>> players;
    for (int i = 0; i < 4; ++i) {
        players.push_back(makePlayer());
        players.back()->LoadMovieFromStream(0, stream.get());
        ASSERT_EQ(script.fetched.size(), 1u);
        EXPECT_EQ(script.fetched[0].second, movie) << "player " << i << " got the whole movie";
        // The caller's stream stands at its end after the delivery.
        ULARGE_INTEGER at = 0;
        stream->Seek(0, STREAM_SEEK_CUR, &at);
        EXPECT_EQ(at, movie.size());
        EXPECT_FALSE(players.back()->IsFlv());
        EXPECT_EQ(players.back()->PendingRequest(), "");
    }
    EXPECT_TRUE(script.fetched[0].first.rfind("http://zzz/<stream>", 0) == 0);
    EXPECT_EQ(script.fetched[0].first.size(), 11 + 8 + 8 + 4u);

    auto p = makePlayer();
    p->LoadMovieFromStream(0, streamOf("FL").get());
    EXPECT_FALSE(p->IsFlv()) << "a stream shorter than three bytes loads as a movie";
    const auto flv = streamOf("FLV\x01 video");
    script.fetchOnLoad = false;
    p->LoadMovieFromStreamAsync(0, flv.get());
    EXPECT_TRUE(p->IsFlv());
    const auto l = loads(script);
    ASSERT_EQ(l.size(), 5u);
    EXPECT_EQ(l[1], "LoadMovie(0,flvplayback.swf)");
    EXPECT_TRUE(l[2].rfind("SetVariable(flv.contentPath,http://zzz/<astream>", 0) == 0);
    EXPECT_TRUE(l[2].find(".flv)") != std::string::npos);
}

TEST_F(PlayerTest, StreamTokensDenoteOnlyLiveStreams) {
    auto p = makePlayer();
    script.fetchOnLoad = false;
    const auto stream = streamOf("FWS movie");
    p->LoadMovieFromStream(0, stream.get());
    const std::string address = loads(script)[0].substr(12, 11 + 8 + 8 + 4);
    // The token the player handed out is served, and again later (the movie may reload it).
    auto served =
        testing::fetchThroughSite(script.last, QString::fromStdString(address).toStdU16String());
    EXPECT_EQ(served.second, "FWS movie");
    // A forged token (an address, say) names nothing.
    auto forged = testing::fetchThroughSite(script.last, u"http://zzz/<stream>DEADBEEF.swf");
    EXPECT_EQ(forged.first, E_FAIL);
    // A new load into the layer retires the old token.
    p->LoadMovieFromStream(0, streamOf("FWS other").get());
    auto stale =
        testing::fetchThroughSite(script.last, QString::fromStdString(address).toStdU16String());
    EXPECT_EQ(stale.first, E_FAIL);
}

TEST_F(PlayerTest, VolumeLoadsTheVolumeMovieIntoLayerOne) {
    auto p = makePlayer();
    p->setVolume(101);
    p->setVolume(-1);
    p->setVolume(100);
    EXPECT_TRUE(script.fetched.empty()) << "out-of-range or unchanged volume loads nothing";
    p->setVolume(40);
    ASSERT_EQ(script.fetched.size(), 1u);
    EXPECT_TRUE(script.fetched[0].first.rfind("http://zzz/<stream>", 0) == 0);
    const std::string& bytes = script.fetched[0].second;
    ASSERT_EQ(bytes.size(), 167u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[99]), 40);
    EXPECT_TRUE(script.seen("LoadMovie(1," + script.fetched[0].first + ")"));

    script.fetched.clear();
    p->DisableFlashSounds(true);
    EXPECT_TRUE(script.fetched.empty()) << "without VolumeControl nothing happens";
    p->setVolumeControl(true);
    ASSERT_EQ(script.fetched.size(), 1u);
    EXPECT_EQ(static_cast<unsigned char>(script.fetched[0].second[99]), 40);
    p->DisableFlashSounds(true);
    EXPECT_EQ(static_cast<unsigned char>(script.fetched.back().second[99]), 0);
    p->DisableFlashSounds(false);
    EXPECT_EQ(static_cast<unsigned char>(script.fetched.back().second[99]), 40);

    // On an FLV video the volume is the player movie's variable.
    script.fetchOnLoad = false;
    p->LoadMovie(0, "C:\\v.flv");
    p->DisableFlashSounds(true);
    EXPECT_TRUE(script.seen("SetVariable(flv.volume,0)"));
}

TEST_F(PlayerTest, ShippedVolumeMovieIsByteExact) {
    const auto bytes = resources::findResource(kRawDataType, u"setvolume");
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 167);
    EXPECT_EQ(bytes->left(8), QByteArray("FWS\x06\xA7\x00\x00\x00", 8));
    EXPECT_EQ(static_cast<unsigned char>((*bytes)[99]), 0x55);
    EXPECT_EQ(bytes->right(7), QByteArray("\x00\x40\x00\x40\x00\x00\x00", 7));
}

TEST_F(PlayerTest, FlashIndexClampsAndLoads) {
    TsfFlashList list;
    for (const char* name : {"one.swf", "two.swf"}) {
        list.Flashs().Add()->SetFlash(name, QByteArray("FWS ") + name);
    }
    auto p = makePlayer();
    p->setFlashList(&list);
    p->setFlashIndex(-3);
    EXPECT_EQ(p->FlashIndex(), -3);
    EXPECT_TRUE(script.fetched.empty());
    p->setFlashIndex(9);
    EXPECT_EQ(p->FlashIndex(), 1);
    ASSERT_EQ(script.fetched.size(), 1u);
    EXPECT_EQ(script.fetched[0].second, "FWS two.swf");
    p->setFlashList(nullptr);
    EXPECT_EQ(p->FlashIndex(), -1);
}

TEST_F(PlayerTest, MonikerDecisions) {
    writeFile("Data/lesson/beside.swf", "FWS beside");
    TsfFlashList list;
    list.Flashs().Add()->SetFlash("my clip.swf", "FWS from the list");
    list.Flashs().Add()->SetFlash("setvolume.swf", "FWS list wins");
    auto p = makePlayer();
    p->setFlashList(&list);
    const std::string exe = fs::programFolder().toStdString() + "/";
    const std::string missing = "C:\\no\\such.swf";
    struct Row {
        std::u16string address;
        HRESULT answer;
        std::string pending;  // "=" for unchanged
    };
    const std::vector<Row> rows{
        {u"http://zzz/", E_NOTIMPL, "="},
        {u"folder/", E_NOTIMPL, "="},
        {u"MOVIE.SWF", E_NOTIMPL, "="},
        {u"file://", S_OK, "="},
        {u"./clearoverall.swf", S_OK, "<res>clearoverall.swf"},
        {u"SetVolume.swf", S_OK, "<list>setvolume.swf"},
        {u"http://zzz/My%20Clip.swf?v=2", S_OK, "<list>my clip.swf"},
        {u"sub/setvolume.swf", S_OK, "<list>setvolume.swf"},
        {u"sub/steel.swf", S_OK, "sub/steel.swf"},
        {u"http://zzz/Data\\lesson\\beside.swf", S_OK, exe + "Data/lesson/beside.swf"},
        {u"./Data/lesson/beside.swf", S_OK, exe + "Data/lesson/beside.swf"},
        {u"http://zzz/C:\\no\\such.swf", S_OK, "="},
        {u"http://zzz/" + QString::fromStdString(exe + "Data/lesson/beside.swf").toStdU16String(),
         S_OK, exe + "Data/lesson/beside.swf"},
        {u"http://zzz/./rel.xml", S_OK, "rel.xml"},
        {u"http://example.org/a.swf", S_OK, "http://example.org/a.swf"},
        {u"file:///nothing/here.swf", S_OK, "="},
    };
    (void)missing;
    for (const auto& r : rows) {
        SCOPED_TRACE(QString::fromStdU16String(r.address).toStdString());
        const std::string before = "before";
        // Seed the pending request through a list request the next decision may replace.
        {
            ComPtr<IMoniker> m;
            p->CreateMoniker(u"SetVolume.swf", nullptr, m.put(), 0);
        }
        const std::string seeded = p->PendingRequest();
        const auto [h, pending] = decide(*p, r.address);
        EXPECT_EQ(h, r.answer);
        EXPECT_EQ(pending, r.pending == "=" ? seeded : r.pending);
    }
}

TEST_F(PlayerTest, StorageBindDelivers) {
    writeFile("Data/beside.swf", "FWS file beside");
    TsfFlashList list;
    list.Flashs().Add()->SetFlash("clip.swf", "FWS list clip");
    auto p = makePlayer();
    p->setFlashList(&list);
    auto fetch = [&](const char16_t* a) { return testing::fetchThroughSite(script.last, a); };
    EXPECT_EQ(fetch(u"clip.swf").second, "FWS list clip");
    EXPECT_EQ(fetch(u"clearoverall.swf").first, S_OK);
    EXPECT_EQ(fetch(u"http://zzz/Data/beside.swf").second, "FWS file beside");
    // A relative request goes against the program's folder when no movie path is known.
    EXPECT_EQ(fetch(u"http://zzz/Data\\beside.swf").second, "FWS file beside");
    // The network is never reached: the pull serves local files only.
    EXPECT_EQ(fetch(u"http://example.org/a.swf").first, E_FAIL);
    EXPECT_EQ(p->PendingRequest(), "");

    // A moniker bound without a callback in its context fails and keeps the request.
    ComPtr<IMoniker> m;
    p->CreateMoniker(u"clip.swf", nullptr, m.put(), 0);
    ComPtr<IBindCtx> empty;
    CreateBindCtx(0, empty.put());
    EXPECT_EQ(m->BindToStorage(empty.get(), nullptr, IID_IStream, nullptr), E_FAIL);
    EXPECT_EQ(m->BindToStorage(nullptr, nullptr, IID_IStream, nullptr), E_FAIL);
    EXPECT_EQ(p->PendingRequest(), "<list>clip.swf");
}

TEST_F(PlayerTest, CommandsAreDeliveredLaterFromTheEventLoop) {
    auto p = makePlayer();
    std::vector<std::pair<QString, QString>> heard;
    p->OnHandleFSCommand = [&](TsfFlashPlayer* sender, const QString& c, const QString& a) {
        EXPECT_EQ(sender, p.get());
        heard.emplace_back(c, a);
    };
    testing::fireEvent(script.last, DISPID_FLASH_FSCOMMAND,
                       {VARIANT::fromString(u"btnread"), VARIANT::fromString(u"1")});
    testing::fireEvent(script.last, DISPID_FLASH_FSCOMMAND,
                       {VARIANT::fromString(u"btnnext"), VARIANT::fromString(u"2")});
    EXPECT_TRUE(heard.empty()) << "never inside the control's call";
    QCoreApplication::processEvents();
    const std::vector<std::pair<QString, QString>> expected{{"btnnext", "2"}, {"", ""}};
    EXPECT_EQ(heard, expected);

    // Without a handler the command is dropped; for a destroyed player the notice is.
    p->OnHandleFSCommand = nullptr;
    testing::fireEvent(script.last, DISPID_FLASH_FSCOMMAND,
                       {VARIANT::fromString(u"x"), VARIANT::fromString(u"")});
    QCoreApplication::processEvents();
    p->OnHandleFSCommand = [&](TsfFlashPlayer*, const QString& c, const QString&) {
        heard.emplace_back(c, "late");
    };
    QCoreApplication::processEvents();
    EXPECT_EQ(heard.size(), 2u);
    testing::fireEvent(script.last, DISPID_FLASH_FSCOMMAND,
                       {VARIANT::fromString(u"gone"), VARIANT::fromString(u"")});
    p.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(heard.size(), 2u);
}

TEST_F(PlayerTest, ImmediateEventsAndExternalCalls) {
    auto p = makePlayer();
    int state = -1;
    QString request;
    p->OnReadyStateChange = [&](TsfFlashPlayer*, int s) { state = s; };
    p->OnFlashCall = [&](TsfFlashPlayer* sender, const QString& r) {
        request = r;
        sender->SetReturnValue("<true/>");
    };
    testing::fireEvent(script.last, DISPID_FLASH_READYSTATECHANGE, {VARIANT::fromInt(4)});
    EXPECT_EQ(state, 4);
    testing::fireEvent(script.last, DISPID_FLASH_FLASHCALL, {VARIANT::fromString(u"<invoke/>")});
    EXPECT_EQ(request, "<invoke/>");
    EXPECT_TRUE(script.seen("SetReturnValue(<true/>)"));

    script.version = 0x00070000;
    script.log.clear();
    EXPECT_EQ(p->CallFunction("<invoke name=\"f\"/>"), QString());
    EXPECT_FALSE(script.seen("CallFunction(<invoke name=\"f\"/>)"));
    script.version = 0x00080000;
    EXPECT_EQ(p->CallFunction("<invoke name=\"f\"/>"), "<string>ok</string>");

    // A failure code of the control is raised with its code.
    script.loadMovieResult = E_OUTOFMEMORY;
    try {
        p->LoadMovie(0, "a.swf");
        FAIL();
    } catch (const OleError& e) {
        EXPECT_EQ(e.code(), E_OUTOFMEMORY);
    }
}

TEST_F(PlayerTest, SiteAnswers) {
    auto p = makePlayer();
    IOleClientSite* site = testing::siteOf(script.last);
    ASSERT_EQ(site, static_cast<IOleClientSite*>(p.get()));
    auto windowless = ComPtr<IOleClientSite>(site).as<IOleInPlaceSiteWindowless>();
    auto frame = ComPtr<IOleClientSite>(site).as<IOleInPlaceFrame>();
    auto control = ComPtr<IOleClientSite>(site).as<IOleControlSite>();
    auto ambient = ComPtr<IOleClientSite>(site).as<IDispatch>();
    auto parse = ComPtr<IOleClientSite>(site).as<IParseDisplayName>();
    ASSERT_TRUE(windowless && frame && control && ambient && parse);
    EXPECT_FALSE(ComPtr<IOleClientSite>(site).as<IOleContainer>());

    IMoniker* moniker = reinterpret_cast<IMoniker*>(1);
    IOleContainer* container = reinterpret_cast<IOleContainer*>(1);
    IDispatch* extended = reinterpret_cast<IDispatch*>(1);
    HWND window = reinterpret_cast<HWND>(1);
    RECT r;
    ULONG eaten = 0;
    struct Row {
        const char* name;
        HRESULT got;
        HRESULT want;
    };
    const Row rows[] = {
        {"SaveObject", site->SaveObject(), S_OK},
        {"GetMoniker", site->GetMoniker(0, 0, &moniker), E_NOTIMPL},
        {"GetContainer", site->GetContainer(&container), E_NOINTERFACE},
        {"ShowObject", site->ShowObject(), S_OK},
        {"OnShowWindow", site->OnShowWindow(TRUE), S_OK},
        {"OnControlInfoChanged", control->OnControlInfoChanged(), E_NOTIMPL},
        {"LockInPlaceActive", control->LockInPlaceActive(TRUE), E_NOTIMPL},
        {"GetExtendedControl", control->GetExtendedControl(&extended), E_NOTIMPL},
        {"OnFocus", control->OnFocus(TRUE), E_NOTIMPL},
        {"ShowPropertyFrame", control->ShowPropertyFrame(), E_NOTIMPL},
        {"ControlSite TranslateAccelerator", control->TranslateAccelerator(nullptr, 0), E_NOTIMPL},
        {"ParseDisplayName", parse->ParseDisplayName(nullptr, u"x", &eaten, &moniker), E_NOTIMPL},
        {"Frame GetWindow", frame->GetWindow(&window), E_FAIL},
        {"Frame GetBorder", frame->GetBorder(&r), INPLACE_E_NOTOOLSPACE},
        {"Frame RequestBorderSpace", frame->RequestBorderSpace(&r), INPLACE_E_NOTOOLSPACE},
        {"Frame SetBorderSpace", frame->SetBorderSpace(&r), E_NOTIMPL},
        {"Frame SetStatusText", frame->SetStatusText(u""), S_OK},
        {"Frame EnableModeless", frame->EnableModeless(TRUE), S_OK},
        {"Frame TranslateAccelerator", frame->TranslateAccelerator(nullptr, WORD{0}), S_FALSE},
        {"Frame ContextSensitiveHelp", frame->ContextSensitiveHelp(TRUE), S_OK},
        {"Site GetWindow (no right button)", windowless->GetWindow(&window), E_FAIL},
        {"CanInPlaceActivate", windowless->CanInPlaceActivate(), S_OK},
        {"CanWindowlessActivate", windowless->CanWindowlessActivate(), S_OK},
        {"RequestUIActivate", windowless->RequestUIActivate(), S_OK},
        {"Scroll", windowless->Scroll(SIZE{}), E_NOTIMPL},
        {"DiscardUndoState", windowless->DiscardUndoState(), E_NOTIMPL},
        {"GetCapture (not captured)", windowless->GetCapture(), S_FALSE},
        {"SetCapture", windowless->SetCapture(TRUE), S_OK},
        {"GetCapture (captured)", windowless->GetCapture(), S_OK},
        {"GetFocus", windowless->GetFocus(), S_OK},
        {"ScrollRect", windowless->ScrollRect(0, 0, nullptr, nullptr), S_OK},
        {"OnInPlaceDeactivateEx", windowless->OnInPlaceDeactivateEx(TRUE), S_OK},
        {"Ambient put",
         [&] {
             DISPPARAMS dp;
             return ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_IDispatch, 0, DISPATCH_PROPERTYPUT,
                                    &dp, nullptr, nullptr, nullptr);
         }(),
         DISP_E_MEMBERNOTFOUND},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.got, row.want) << row.name;
    }
    EXPECT_EQ(moniker, nullptr);
    EXPECT_EQ(container, nullptr);
    EXPECT_EQ(extended, nullptr);
    EXPECT_EQ(window, nullptr);
    windowless->AdjustRect(&r);
    EXPECT_EQ(r, (RECT{0, 0, 160, 160}));

    struct AmbientRow {
        DISPID id;
        std::optional<bool> value;
    };
    for (const AmbientRow& a :
         {AmbientRow{DISPID_AMBIENT_USERMODE, true}, AmbientRow{DISPID_AMBIENT_UIDEAD, false},
          AmbientRow{DISPID_AMBIENT_MESSAGEREFLECT, true},
          AmbientRow{DISPID_AMBIENT_SHOWGRABHANDLES, false},
          AmbientRow{DISPID_AMBIENT_SHOWHATCHING, false}, AmbientRow{DISPID_AMBIENT_AUTOCLIP, true},
          AmbientRow{DISPID_AMBIENT_SUPPORTSMNEMONICS, true}, AmbientRow{-700, std::nullopt}}) {
        VARIANT v;
        const HRESULT h = dispatchGet(ambient.get(), a.id, &v);
        if (a.value) {
            EXPECT_EQ(h, S_OK) << a.id;
            EXPECT_EQ(variantToBool(v), a.value) << a.id;
        } else {
            EXPECT_EQ(h, DISP_E_MEMBERNOTFOUND) << a.id;
        }
    }
    p->setColor(QColor(0x11, 0x22, 0x33));
    VARIANT back;
    ASSERT_EQ(dispatchGet(ambient.get(), DISPID_AMBIENT_BACKCOLOR, &back), S_OK);
    EXPECT_EQ(variantToInt(back), 0x332211);

    POINTL him{2540, 5080};
    POINTF px;
    control->TransformCoords(&him, &px, XFORMCOORDS_HIMETRICTOCONTAINER | XFORMCOORDS_POSITION);
    EXPECT_FLOAT_EQ(px.x, static_cast<float>(p->logicalDpiX()));
    px = POINTF{96, 48};
    control->TransformCoords(&him, &px, XFORMCOORDS_CONTAINERTOHIMETRIC);
    EXPECT_EQ(him.x, std::lround(96 * 2540.0 / p->logicalDpiX()));
}

TEST_F(PlayerTest, MouseForwardingPopupAndCursor) {
    auto p = makePlayer();
    panel.show();
    auto press = [&](Qt::MouseButton b, QPoint at) {
        QMouseEvent e(QEvent::MouseButtonPress, at, p->mapToGlobal(at), b, b, Qt::NoModifier);
        QApplication::sendEvent(p.get(), &e);
    };
    press(Qt::LeftButton, QPoint(12, 34));
    EXPECT_TRUE(script.seen("msg(513,1,12,34)")) << "host-relative coordinates";
    EXPECT_TRUE(script.seen("msg(32,0,1,512)")) << "the control chooses the cursor";
    EXPECT_EQ(p->cursor().shape(), Qt::PointingHandCursor);

    // The right button gives the control the parent's window once, for its context menu.
    press(Qt::RightButton, QPoint(3, 4));
    auto* control = script.last;
    (void)control;
    HWND w = nullptr;
    auto windowless =
        ComPtr<IOleClientSite>(testing::siteOf(script.last)).as<IOleInPlaceSiteWindowless>();
    EXPECT_EQ(windowless->GetWindow(&w), E_FAIL) << "the window answer is used up";
    EXPECT_TRUE(script.seen("msg(516,2,3,4)"));

    script.log.clear();
    p->DisableFlashPopup = true;
    int clicks = 0;
    p->OnClick = [&](TsfOleControl*) { ++clicks; };
    press(Qt::RightButton, QPoint(3, 4));
    EXPECT_FALSE(script.seen("msg(516,2,3,4)"));

    p->DisableFlashCursor = true;
    p->setPlayerCursor(Qt::CrossCursor);
    press(Qt::LeftButton, QPoint(20, 20));
    EXPECT_EQ(p->cursor().shape(), Qt::CrossCursor);
    QMouseEvent up(QEvent::MouseButtonRelease, QPoint(20, 20), p->mapToGlobal(QPoint(20, 20)),
                   Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(p.get(), &up);
    EXPECT_EQ(clicks, 1);
}

TEST_F(PlayerTest, PropertyChangesAndSavedState) {
    auto p = makePlayer();
    testing::changeProperty(script.last, DISPID_BACKCOLOR, VARIANT::fromInt(0x0000FF));
    EXPECT_EQ(p->Color(), QColor(255, 0, 0)) << "the control's back colour taken over";
    testing::changeProperty(script.last, DISPID_ENABLED, VARIANT::fromBool(false));
    EXPECT_FALSE(p->isEnabled());
    // The saved state is asked of the control while no block is held, else the block is kept.
    EXPECT_EQ(p->ControlData(), "CUFU");
    p->setControlData("gUfU held");
    EXPECT_EQ(p->ControlData(), "gUfU held");
}

TEST_F(PlayerTest, InvalidationComposesAtOnce) {
    auto p = makePlayer();
    auto windowless =
        ComPtr<IOleClientSite>(testing::siteOf(script.last)).as<IOleInPlaceSiteWindowless>();
    const RECT dirty{10, 12, 30, 40};
    // The first invalidation after a resize repaints everything.
    windowless->InvalidateRect(&dirty, FALSE);
    EXPECT_EQ(testing::lastDrawBounds(script.last), std::nullopt);
    const int draws = testing::drawCount(script.last);
    windowless->InvalidateRect(&dirty, FALSE);
    EXPECT_EQ(testing::drawCount(script.last), draws + 1);
    EXPECT_EQ(testing::lastDrawBounds(script.last), (RECTL{0, 0, 30, 40}));
    EXPECT_EQ(p->GrabCurrentFrame2()->GetPixel(15, 15), 0xFFFF0000u);
}

TEST_F(PlayerTest, ResizeTellsTheControlOnce) {
    auto p = makePlayer();
    p->SetBounds(30, 40, 200, 100);
    EXPECT_EQ(p->geometry(), QRect(30, 40, 200, 100));
    EXPECT_EQ(p->GrabCurrentFrame2()->width(), 200);
    // Zero size keeps the frame bitmaps' last size.
    p->SetBounds(30, 40, 0, 0);
    EXPECT_EQ(p->GrabCurrentFrame2()->width(), 200);
}

TEST_F(PlayerTest, CompositionOverColourAndAlphaGrab) {
    panel.setAutoFillBackground(true);
    QPalette pal = panel.palette();
    pal.setColor(QPalette::Window, QColor(0, 255, 0));
    panel.setPalette(pal);
    auto p = makePlayer();
    p->setColor(QColor(0, 0, 255));
    p->setTransparent(false);
    p->Paint(nullptr);
    TsfBitmap* frame = p->GrabCurrentFrame2();
    EXPECT_EQ(frame->GetPixel(0, 0), 0xFF0000FFu) << "Color behind an opaque host";
    EXPECT_EQ(frame->GetPixel(15, 15), 0xFFFF0000u) << "the control's drawing";

    p->setTransparent(true);
    EXPECT_EQ(p->GrabCurrentFrame2()->GetPixel(0, 0), 0xFF00FF00u) << "the panel behind";

    // A dirty rectangle refreshes only its part.
    frame->SetPixel(100, 100, 0xFF123456u);
    const RECT dirty{0, 0, 40, 40};
    p->Paint(&dirty);
    EXPECT_EQ(frame->GetPixel(100, 100), 0xFF123456u);
    EXPECT_EQ(script.last != nullptr, true);

    auto alpha = p->GrabToBmpAlpha();
    ASSERT_EQ(alpha->width(), 160);
    EXPECT_TRUE(alpha->FAlphaBlend);
    EXPECT_EQ(alpha->GetPixel(15, 15), 0xFFFF0000u) << "opaque pixels keep their colour";
    EXPECT_EQ(alpha->GetPixel(50, 50), 0u) << "untouched pixels are transparent black";
    EXPECT_EQ(p->GrabCurrentFrame2()->GetPixel(0, 0), 0xFF00FF00u) << "normal frame restored";

    const QImage grab = p->GrabToBmp();
    EXPECT_EQ(grab.pixel(15, 15), 0xFFFF0000u);
    EXPECT_EQ(qAlpha(grab.pixel(50, 50)), 0);
    const QByteArray jpeg = p->GrabToJpg();
    const QImage decoded = QImage::fromData(jpeg, "JPEG");
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(decoded.size(), QSize(160, 160));
    EXPECT_GT(qRed(decoded.pixel(20, 20)), 200);
    EXPECT_LT(qGreen(decoded.pixel(20, 20)), 60);
}

TEST(DeriveAlphaRule, FromBlackAndWhite) {
    struct Row {
        std::array<std::uint8_t, 4> k, w, want;
    };
    const Row rows[] = {
        {{10, 20, 30, 255}, {10, 20, 30, 255}, {10, 20, 30, 255}},  // opaque
        {{0, 0, 0, 255}, {255, 255, 255, 255}, {0, 0, 0, 0}},       // untouched
        {{0, 0, 100, 255}, {128, 128, 228, 255}, {0, 0, 50, 127}},  // half
    };
    for (const auto& r : rows) {
        auto w = r.w;
        DeriveAlpha(r.k.data(), w.data());
        EXPECT_EQ(w, r.want);
    }
}

TEST(FlashStreamStoredForm, WritesThreeOrZeroReadsZeroTwoThree) {
    TsfFlashCollection c(nullptr);
    TsfFlashStream* e = c.Add();
    EXPECT_EQ(e->FlashStore(), "(empty)");
    EXPECT_EQ(e->WriteFlashStream(), QByteArray(1, '\0'));
    e->SetFlash("a.swf", "FWS1");
    const QByteArray stored = e->WriteFlashStream();
    EXPECT_EQ(stored, QByteArray("\x03\x05\x00\x00\x00"
                                 "a.swf"
                                 "\x04\x00\x00\x00"
                                 "FWS1",
                                 18));
    TsfFlashStream* f = c.Add();
    ASSERT_TRUE(f->ReadFlashStream(stored));
    EXPECT_EQ(f->FlashStore(), "a.swf");
    EXPECT_EQ(f->Flash(), "FWS1");
    const QByteArray kind2(
        "\x02\x01\x00\x00\x00"
        "b"
        "\x02\x00\x00\x00\x01\x00\x00\x00"
        "XY",
        16);
    ASSERT_TRUE(f->ReadFlashStream(kind2));
    EXPECT_EQ(f->Flash(), "XY");
    EXPECT_FALSE(f->ReadFlashStream(QByteArray("\x03\xFF\xFF\xFF\x7F", 5))) << "truncated";
    EXPECT_FALSE(f->ReadFlashStream(QByteArray("\x07", 1)));
    EXPECT_EQ(f->Flash(), "XY");
    ASSERT_TRUE(f->ReadFlashStream(QByteArray(1, '\0')));
    EXPECT_EQ(f->FlashStore(), "(empty)");
    TsfFlashList list;
    list.Flashs().Add()->SetFlash("Clip.SWF", "x");
    EXPECT_TRUE(list.FindFlash("clip.swf"));
    EXPECT_FALSE(list.FindFlash("clip"));
}

TEST_F(PlayerTest, AMovedPlayerShowsWhatLiesBehindItsNewPlace) {
    panel.setAutoFillBackground(true);
    QPalette pal = panel.palette();
    pal.setColor(QPalette::Window, QColor(0, 255, 0));
    panel.setPalette(pal);
    // A magenta "button" under the player's first place.
    QWidget button(&panel);
    button.setAutoFillBackground(true);
    QPalette magenta = button.palette();
    magenta.setColor(QPalette::Window, QColor(255, 0, 255));
    button.setPalette(magenta);
    button.setGeometry(5, 6, 40, 20);
    auto p = makePlayer();
    panel.show();
    p->Paint(nullptr);
    ASSERT_EQ(p->GrabCurrentFrame2()->GetPixel(2, 2), 0xFFFF00FFu) << "the button behind";

    // As the quiz moves its hidden animation and shows it there.
    button.hide();
    p->hide();
    p->move(200, 100);
    p->show();
    p->Paint(nullptr);
    EXPECT_EQ(p->GrabCurrentFrame2()->GetPixel(2, 2), 0xFF00FF00u)
        << "the panel behind the new place, no stray patch of the button";
    EXPECT_EQ(p->GrabCurrentFrame2()->GetPixel(15, 15), 0xFFFF0000u) << "the control's drawing";
}

}  // namespace
}  // namespace pencora::player
