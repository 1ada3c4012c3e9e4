// The control's side of the contract where hosts probe its edges: connection points and
// frozen events, the rules of Invoke and of failed property writes, the defaults a fresh
// control reports, null out parameters, verbs and activation, saved state carrying a movie,
// and window messages beyond the common ones.
#include <gtest/gtest.h>

#include "control_fixture.h"

namespace pencora::flash::testing {
namespace {

ULONG references(IUnknown* p) {
    p->AddRef();
    return p->Release();
}

// An event sink that leaves its connection point while it is being called.
class LeavingSink final : public ComObject<IDispatch> {
  public:
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    int calls = 0;
    HRESULT GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, const BSTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        ++calls;
        point->Unadvise(cookie);
        return S_OK;
    }

  protected:
    void* queryExtra(REFIID iid) override {
        return iid == DIID__IShockwaveFlashEvents ? static_cast<IDispatch*>(this) : nullptr;
    }
};

class ControlContract : public ControlFixture {
  protected:
    void SetUp() override {
        ControlFixture::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        points = object.as<IConnectionPointContainer>();
        ASSERT_TRUE(points);
    }
    void TearDown() override {
        object->Close(OLECLOSE_NOSAVE);
        if (eventPoint && eventCookie) {
            eventPoint->Unadvise(eventCookie);
        }
        object->SetClientSite(nullptr);
    }

    void embed(const RECT* position = nullptr) {
        ASSERT_EQ(object->SetClientSite(site.get()), S_OK);
        ASSERT_EQ(object.as<IPersistStreamInit>()->InitNew(), S_OK);
        ComPtr<IConnectionPoint> properties;
        ASSERT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink, properties.put()), S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(properties->Advise(site->identity(), &cookie), S_OK);
        ASSERT_EQ(points->FindConnectionPoint(DIID__IShockwaveFlashEvents, eventPoint.put()), S_OK);
        ASSERT_EQ(eventPoint->Advise(sink->identity(), &eventCookie), S_OK);
        ASSERT_EQ(
            object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, nullptr, position),
            S_OK);
        windowless = object.as<IOleInPlaceObjectWindowless>();
        tooling->UseVirtualClock(TRUE);
    }
    // Makes the movie send a command on its next frame.
    void commandOnNextFrame() {
        engine.onFrame = [](MovieEngineHost& host) { host.fsCommand(u"btnnext", u"下一个"); };
        tooling->AdvanceFrames(1);
        engine.onFrame = nullptr;
    }
    VARIANT get(DISPID id) {
        VARIANT v;
        EXPECT_EQ(dispatchGet(flash.get(), id, &v), S_OK) << id;
        return v;
    }
    HRESULT invoke(DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr,
                   UINT* argErr = nullptr) {
        DISPPARAMS params;
        params.rgvarg = std::move(args);
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            params.rgdispidNamedArgs.push_back(DISPID_PROPERTYPUT);
        }
        return flash->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr,
                             argErr);
    }

    ComPtr<IConnectionPointContainer> points;
};

TEST_F(ControlContract, ConnectionPointsAdviseOnlyMatchingSinksWithFreshCookies) {
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(points->FindConnectionPoint(IID_IDispatch, point.put()), CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(point);
    EXPECT_EQ(points->FindConnectionPoint(DIID__IShockwaveFlashEvents, nullptr), E_POINTER);
    ASSERT_EQ(points->FindConnectionPoint(DIID__IShockwaveFlashEvents, point.put()), S_OK);
    IID iid;
    ASSERT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, DIID__IShockwaveFlashEvents);
    EXPECT_EQ(point->GetConnectionInterface(nullptr), E_POINTER);
    ComPtr<IConnectionPoint> properties;
    ASSERT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink, properties.put()), S_OK);
    properties->GetConnectionInterface(&iid);
    EXPECT_EQ(iid, IID_IPropertyNotifySink);

    // The point is part of the control: it counts on the control's references.
    const ULONG before = references(object.get());
    ComPtr<IConnectionPoint> again = point;
    EXPECT_EQ(references(object.get()), before + 1);
    again.reset();
    EXPECT_EQ(point.as<IConnectionPoint>().get(), point.get());
    EXPECT_FALSE(point.as<IDispatch>());

    // A sink without the event interface cannot connect; its cookie stays 0.
    DWORD cookie = 7;
    EXPECT_EQ(point->Advise(site->identity(), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
    EXPECT_EQ(point->Advise(sink->identity(), nullptr), E_POINTER);

    auto second = makeCom<EventSink>();
    DWORD a = 0, b = 0;
    ASSERT_EQ(point->Advise(sink->identity(), &a), S_OK);
    ASSERT_EQ(point->Advise(second->identity(), &b), S_OK);
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);

    object->SetClientSite(site.get());
    loadServedMovie();
    EXPECT_EQ(sink->events.size(), 3u);  // progress and two ready states, to both sinks
    EXPECT_EQ(second->events.size(), 3u);

    EXPECT_EQ(point->Unadvise(a), S_OK);
    EXPECT_EQ(point->Unadvise(a), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(0), CONNECT_E_NOCONNECTION);
    tooling->UseVirtualClock(TRUE);
    commandOnNextFrame();
    EXPECT_EQ(sink->events.size(), 3u);
    ASSERT_EQ(second->events.size(), 4u);
    EXPECT_EQ(second->events.back().id, DISPID_FLASH_FSCOMMAND);

    // A cookie once given is not given again.
    DWORD c = 0;
    ASSERT_EQ(point->Advise(sink->identity(), &c), S_OK);
    EXPECT_NE(c, a);
    EXPECT_NE(c, b);
    point->Unadvise(b);
    point->Unadvise(c);
}

TEST_F(ControlContract, ASinkMayLeaveWhileItIsCalledAndFrozenEventsAreDropped) {
    embed();
    loadServedMovie();
    auto leaving = makeCom<LeavingSink>();
    leaving->point = eventPoint;
    ASSERT_EQ(eventPoint->Advise(leaving->identity(), &leaving->cookie), S_OK);
    sink->events.clear();
    commandOnNextFrame();
    commandOnNextFrame();
    EXPECT_EQ(leaving->calls, 1);
    EXPECT_EQ(sink->events.size(), 2u);  // the other sink heard both
    leaving->point.reset();

    auto control = object.as<IOleControl>();
    control->FreezeEvents(TRUE);
    control->FreezeEvents(TRUE);
    commandOnNextFrame();
    control->FreezeEvents(FALSE);
    commandOnNextFrame();  // still frozen once
    EXPECT_EQ(sink->events.size(), 2u);
    control->FreezeEvents(FALSE);
    control->FreezeEvents(FALSE);  // more thaws than freezes change nothing
    commandOnNextFrame();
    EXPECT_EQ(sink->events.size(), 3u);
    control->FreezeEvents(TRUE);
    control->FreezeEvents(FALSE);
    commandOnNextFrame();
    EXPECT_EQ(sink->events.size(), 4u);
}

TEST_F(ControlContract, AFreshControlReportsItsDefaults) {
    embed();
    struct Row {
        DISPID id;
        VARIANT expected;
    };
    const Row rows[] = {
        {DISPID_FLASH_WMODE, VARIANT::fromString(u"Window")},
        {DISPID_FLASH_QUALITY, VARIANT::fromInt(1)},
        {DISPID_FLASH_QUALITY2, VARIANT::fromString(u"High")},
        {DISPID_FLASH_SCALE, VARIANT::fromString(u"ShowAll")},
        {DISPID_FLASH_SCALEMODE, VARIANT::fromInt(0)},
        {DISPID_FLASH_ALIGNMODE, VARIANT::fromInt(0)},
        {DISPID_FLASH_SALIGN, VARIANT::fromString(u"")},
        {DISPID_FLASH_BACKGROUNDCOLOR, VARIANT::fromInt(-1)},
        {DISPID_FLASH_BGCOLOR, VARIANT::fromString(u"")},
        {DISPID_FLASH_LOOP, VARIANT::fromBool(true)},
        {DISPID_FLASH_MENU, VARIANT::fromBool(true)},
        {DISPID_FLASH_PLAYING, VARIANT::fromBool(true)},
        {DISPID_FLASH_DEVICEFONT, VARIANT::fromBool(false)},
        {DISPID_FLASH_EMBEDMOVIE, VARIANT::fromBool(false)},
        {DISPID_FLASH_SEAMLESSTABBING, VARIANT::fromBool(true)},
        {DISPID_FLASH_ALLOWSCRIPTACCESS, VARIANT::fromString(u"sameDomain")},
        {DISPID_FLASH_MOVIE, VARIANT::fromString(u"")},
        {DISPID_FLASH_FLASHVARS, VARIANT::fromString(u"")},
        {DISPID_FLASH_FRAMENUM, VARIANT::fromInt(0)},
        {DISPID_FLASH_READYSTATE, VARIANT::fromInt(FLASH_READYSTATE_COMPLETE)},
    };
    for (const Row& row : rows) {
        const VARIANT got = get(row.id);
        EXPECT_EQ(got.vt, row.expected.vt) << row.id;
        EXPECT_EQ(got.boolVal, row.expected.boolVal) << row.id;
        EXPECT_EQ(got.lVal, row.expected.lVal) << row.id;
        EXPECT_EQ(got.bstrVal, row.expected.bstrVal) << row.id;
    }
    LONG percent = -1;
    flash->PercentLoaded(&percent);
    EXPECT_EQ(percent, 0);
    VARIANT_BOOL loaded = VARIANT_TRUE;
    flash->FrameLoaded(0, &loaded);
    EXPECT_EQ(loaded, VARIANT_FALSE);
    LONG version = 0;
    flash->FlashVersion(&version);
    EXPECT_EQ(version, 0x000A0000);
    CLSID clsid;
    ASSERT_EQ(object.as<IPersistStreamInit>()->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_ShockwaveFlash);
    EXPECT_EQ(object.as<IPersistStreamInit>()->IsDirty(), S_FALSE);
}

TEST_F(ControlContract, InvokeChecksItsArgumentsAndAFailedWriteChangesNothing) {
    embed();
    VARIANT result;
    EXPECT_EQ(invoke(DISPID_FLASH_LOOP, DISPATCH_PROPERTYPUT, {}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(invoke(DISPID_FLASH_LOOP, DISPATCH_PROPERTYPUT,
                     {VARIANT::fromBool(false), VARIANT::fromBool(false)}),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(invoke(DISPID_FLASH_LOOP, DISPATCH_PROPERTYGET, {}, nullptr), E_INVALIDARG);
    EXPECT_EQ(invoke(DISPID_FLASH_LOOP, DISPATCH_METHOD, {}, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(flash->Invoke(DISPID_FLASH_LOOP, GUID_NULL, 0, DISPATCH_PROPERTYPUT, nullptr, nullptr,
                            nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    // By reference is a write too.
    EXPECT_EQ(invoke(DISPID_FLASH_BASE, DISPATCH_PROPERTYPUTREF, {VARIANT::fromString(u"/m/")}),
              S_OK);
    EXPECT_EQ(get(DISPID_FLASH_BASE).bstrVal, u"/m/");

    // Known values first, then a value of the wrong type for each.
    const std::pair<DISPID, VARIANT> setUp[] = {
        {DISPID_FLASH_WMODE, VARIANT::fromString(u"Transparent")},
        {DISPID_FLASH_SALIGN, VARIANT::fromString(u"LT")},
        {DISPID_FLASH_SCALE, VARIANT::fromString(u"NoScale")},
        {DISPID_FLASH_BGCOLOR, VARIANT::fromString(u"#102030")},
        {DISPID_FLASH_QUALITY2, VARIANT::fromString(u"Best")},
        {DISPID_FLASH_LOOP, VARIANT::fromBool(false)},
        {DISPID_FLASH_MENU, VARIANT::fromBool(false)},
        {DISPID_FLASH_FLASHVARS, VARIANT::fromString(u"a=1")},
    };
    for (const auto& [id, value] : setUp) {
        ASSERT_EQ(dispatchPut(flash.get(), id, value), S_OK) << id;
    }
    auto persist = object.as<IPersistStreamInit>();
    ComPtr<IStream> saved;
    CreateStreamOnHGlobal(nullptr, TRUE, saved.put());
    persist->Save(saved.get(), TRUE);
    site->changed.clear();

    const VARIANT wrong = VARIANT::fromUnknown(site->identity());
    for (const auto& [id, value] : setUp) {
        UINT argErr = 99;
        EXPECT_EQ(invoke(id, DISPATCH_PROPERTYPUT, {wrong}, nullptr, &argErr), DISP_E_TYPEMISMATCH)
            << id;
        EXPECT_EQ(argErr, 0u) << id;
        const VARIANT now = get(id);
        EXPECT_EQ(now.bstrVal, value.bstrVal) << id;
        EXPECT_EQ(now.boolVal, value.boolVal) << id;
    }
    EXPECT_EQ(dispatchPut(flash.get(), DISPID_FLASH_SCALEMODE, VARIANT::fromInt(4)), E_INVALIDARG);
    EXPECT_EQ(get(DISPID_FLASH_SCALE).bstrVal, u"NoScale");
    EXPECT_EQ(get(DISPID_FLASH_SALIGN).bstrVal, u"LT");
    EXPECT_EQ(get(DISPID_FLASH_BACKGROUNDCOLOR).lVal, 0x102030);
    EXPECT_TRUE(site->changed.empty());      // nobody is told of a change that did not happen
    EXPECT_EQ(persist->IsDirty(), S_FALSE);  // and nothing needs saving
}

TEST_F(ControlContract, NumbersAreKeptInTheirRanges) {
    embed();
    const PutThenGet rows[] = {
        {DISPID_FLASH_ALIGNMODE, VARIANT::fromInt(0x1F), DISPID_FLASH_SALIGN,
         VARIANT::fromString(u"LTRB")},
        {DISPID_FLASH_ALIGNMODE, VARIANT::fromInt(0x10), DISPID_FLASH_ALIGNMODE,
         VARIANT::fromInt(0)},
        {DISPID_FLASH_BACKGROUNDCOLOR, VARIANT::fromInt(0x7F123456), DISPID_FLASH_BGCOLOR,
         VARIANT::fromString(u"#123456")},
        {DISPID_FLASH_BACKGROUNDCOLOR, VARIANT::fromInt(-5), DISPID_FLASH_BGCOLOR,
         VARIANT::fromString(u"")},
        {DISPID_FLASH_BGCOLOR, VARIANT::fromString(u"red"), DISPID_FLASH_BACKGROUNDCOLOR,
         VARIANT::fromInt(-1)},
        {DISPID_FLASH_QUALITY, VARIANT::fromInt(3), DISPID_FLASH_QUALITY2,
         VARIANT::fromString(u"AutoHigh")},
        {DISPID_FLASH_QUALITY, VARIANT::fromInt(7), DISPID_FLASH_QUALITY2,
         VARIANT::fromString(u"High")},
        {DISPID_FLASH_QUALITY2, VARIANT::fromString(u"medium"), DISPID_FLASH_QUALITY,
         VARIANT::fromInt(1)},
        {DISPID_FLASH_QUALITY2, VARIANT::fromString(u"MEDIUM"), DISPID_FLASH_QUALITY2,
         VARIANT::fromString(u"Medium")},
        {DISPID_FLASH_QUALITY2, VARIANT::fromString(u"ultra"), DISPID_FLASH_QUALITY2,
         VARIANT::fromString(u"High")},
        {DISPID_FLASH_WMODE, VARIANT::fromString(u"gpu"), DISPID_FLASH_WMODE,
         VARIANT::fromString(u"Window")},
        {DISPID_FLASH_WMODE, VARIANT::fromString(u"opaque"), DISPID_FLASH_WMODE,
         VARIANT::fromString(u"Opaque")},
        {DISPID_FLASH_SCALEMODE, VARIANT::fromString(u"3"), DISPID_FLASH_SCALE,
         VARIANT::fromString(u"NoScale")},
        {DISPID_FLASH_LOOP, VARIANT::fromInt(5), DISPID_FLASH_LOOP, VARIANT::fromBool(true)},
        {DISPID_FLASH_SWREMOTE, VARIANT::fromInt(12), DISPID_FLASH_SWREMOTE,
         VARIANT::fromString(u"12")},
        {DISPID_FLASH_MOVIEDATA, VARIANT::fromString(u"数据"), DISPID_FLASH_MOVIEDATA,
         VARIANT::fromString(u"数据")},
        {DISPID_FLASH_ALLOWSCRIPTACCESS, VARIANT::fromString(u"always"),
         DISPID_FLASH_ALLOWSCRIPTACCESS, VARIANT::fromString(u"always")},
        {DISPID_FLASH_DEVICEFONT, VARIANT::fromString(u"True"), DISPID_FLASH_DEVICEFONT,
         VARIANT::fromBool(true)},
        {DISPID_FLASH_EMBEDMOVIE, VARIANT::fromBool(true), DISPID_FLASH_EMBEDMOVIE,
         VARIANT::fromBool(true)},
    };
    for (const PutThenGet& row : rows) {
        expectPutThenGet(row);
    }
    EXPECT_EQ(object.as<IPersistStreamInit>()->IsDirty(), S_OK);
}

TEST_F(ControlContract, MovieAndPlayingWritesReachTheMovie) {
    embed();
    // Stopped before any movie: the movie that arrives stays stopped.
    ASSERT_EQ(dispatchPut(flash.get(), DISPID_FLASH_PLAYING, VARIANT::fromBool(false)), S_OK);
    site->served[u"lesson.swf"] = kMovie;
    site->log.clear();
    ASSERT_EQ(dispatchPut(flash.get(), DISPID_FLASH_MOVIE, VARIANT::fromString(u"lesson.swf")),
              S_OK);
    EXPECT_EQ(site->log[1], "CreateMoniker lesson.swf");
    EXPECT_TRUE(engine.loaded);
    EXPECT_FALSE(engine.playing);
    EXPECT_EQ(get(DISPID_FLASH_MOVIE).bstrVal, u"lesson.swf");
    EXPECT_EQ(get(DISPID_FLASH_PLAYING).boolVal, VARIANT_FALSE);
    ASSERT_EQ(dispatchPut(flash.get(), DISPID_FLASH_PLAYING, VARIANT::fromBool(true)), S_OK);
    EXPECT_TRUE(engine.playing);
    EXPECT_EQ(get(DISPID_FLASH_PLAYING).boolVal, VARIANT_TRUE);

    // What is not a movie empties the layer and reports no progress or ready state.
    site->served[u"junk.swf"] = {'j', 'u', 'n', 'k'};
    sink->events.clear();
    ASSERT_EQ(flash->LoadMovie(0, u"junk.swf"), S_OK);
    EXPECT_FALSE(engine.loaded);
    EXPECT_TRUE(sink->events.empty());
    EXPECT_EQ(get(DISPID_FLASH_MOVIE).bstrVal, u"junk.swf");
    LONG percent = -1;
    flash->PercentLoaded(&percent);
    EXPECT_EQ(percent, 0);
    EXPECT_EQ(flash->LoadMovie(-1, u"lesson.swf"), E_INVALIDARG);
    EXPECT_FALSE(engine.loaded);

    // A movie in layer 1 is no movie of layer 0: no events, the Movie property stays.
    ASSERT_EQ(flash->LoadMovie(1, u"lesson.swf"), S_OK);
    EXPECT_TRUE(sink->events.empty());
    EXPECT_EQ(get(DISPID_FLASH_MOVIE).bstrVal, u"junk.swf");
}

TEST_F(ControlContract, QueriesRefuseNullOutParametersAndBadPropertyNumbers) {
    embed();
    loadServedMovie();
    EXPECT_EQ(flash->CurrentFrame(nullptr), E_POINTER);
    EXPECT_EQ(flash->IsPlaying(nullptr), E_POINTER);
    EXPECT_EQ(flash->PercentLoaded(nullptr), E_POINTER);
    EXPECT_EQ(flash->FrameLoaded(0, nullptr), E_POINTER);
    EXPECT_EQ(flash->FlashVersion(nullptr), E_POINTER);
    EXPECT_EQ(flash->TCurrentFrame(u"/", nullptr), E_POINTER);
    EXPECT_EQ(flash->TCurrentLabel(u"/", nullptr), E_POINTER);
    EXPECT_EQ(flash->GetVariable(u"x", nullptr), E_POINTER);
    EXPECT_EQ(flash->TGetProperty(u"/", 0, nullptr), E_POINTER);
    EXPECT_EQ(flash->TGetPropertyNum(u"/", 0, nullptr), E_POINTER);
    EXPECT_EQ(flash->CallFunction(u"<invoke name=\"ping\"/>", nullptr), E_POINTER);
    SIZEL extent;
    EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, nullptr), E_POINTER);
    EXPECT_EQ(object->GetExtent(DVASPECT_ICON, &extent), DV_E_DVASPECT);
    EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, nullptr), E_POINTER);
    EXPECT_EQ(object.as<IPersistStreamInit>()->GetClassID(nullptr), E_POINTER);
    EXPECT_EQ(object.as<IPersistStreamInit>()->Save(nullptr, TRUE), E_POINTER);
    EXPECT_EQ(object.as<IPersistStreamInit>()->Load(nullptr), E_POINTER);
    EXPECT_EQ(windowless->SetObjectRects(nullptr, nullptr), E_POINTER);

    // Once a movie is in, the natural size is its stage: 200 x 100 pixels at 96 per inch.
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(extent.cx, 5292);
    EXPECT_EQ(extent.cy, 2646);

    // Property numbers run from 0 (_x) to 21 (_ymouse).
    for (int property : {-1, 22, 1000}) {
        BSTR text = u"junk";
        double number = 5;
        EXPECT_EQ(flash->TSetProperty(u"/clip", property, u"1"), E_INVALIDARG) << property;
        EXPECT_EQ(flash->TSetPropertyNum(u"/clip", property, 1), E_INVALIDARG) << property;
        EXPECT_EQ(flash->TGetProperty(u"/clip", property, &text), E_INVALIDARG) << property;
        EXPECT_EQ(text, u"");
        EXPECT_EQ(flash->TGetPropertyNum(u"/clip", property, &number), E_INVALIDARG) << property;
        EXPECT_EQ(number, 0);
    }
    EXPECT_EQ(flash->TSetPropertyNum(u"/clip", 21, 1), S_OK);
    BSTR label = u"junk";
    EXPECT_EQ(flash->TCurrentLabel(u"/none", &label), S_OK);
    EXPECT_EQ(label, u"");
    VARIANT_BOOL loaded = VARIANT_TRUE;
    flash->FrameLoaded(-1, &loaded);
    EXPECT_EQ(loaded, VARIANT_FALSE);
    ULARGE_INTEGER size = 0;
    ASSERT_EQ(object.as<IPersistStreamInit>()->GetSizeMax(&size), S_OK);
    ComPtr<IStream> saved;
    CreateStreamOnHGlobal(nullptr, TRUE, saved.put());
    object.as<IPersistStreamInit>()->Save(saved.get(), FALSE);
    STATSTG stat;
    saved->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(stat.cbSize, size);
}

TEST_F(ControlContract, VerbsActivateDeactivateOrAreRefused) {
    EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr),
              E_UNEXPECTED);  // no site to activate in
    object->SetClientSite(site.get());
    // Without a position the control sits where the window context puts it.
    ASSERT_EQ(object->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
    tooling->UseVirtualClock(TRUE);
    loadServedMovie();
    DibSection buffer(200, 200);
    object.as<IViewObject>()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, buffer.dc(),
                                   nullptr, nullptr, nullptr, 0);
    const RenderTarget& t = engine.renderTargets.back();
    EXPECT_EQ((RECT{t.clipLeft, t.clipTop, t.clipRight, t.clipBottom}), (RECT{10, 20, 110, 120}));

    site->log.clear();
    EXPECT_EQ(object->DoVerb(OLEIVERB_PROPERTIES, nullptr, site.get(), 0, nullptr, nullptr),
              E_NOTIMPL);
    // Asked again while active: only the rectangle moves.
    const RECT moved{0, 0, 50, 60};
    EXPECT_EQ(object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site.get(), 0, nullptr, &moved), S_OK);
    EXPECT_TRUE(site->log.empty());
    object.as<IViewObject>()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, buffer.dc(),
                                   nullptr, nullptr, nullptr, 0);
    const RenderTarget& u = engine.renderTargets.back();
    EXPECT_EQ((RECT{u.clipLeft, u.clipTop, u.clipRight, u.clipBottom}), moved);

    EXPECT_EQ(object->DoVerb(OLEIVERB_HIDE, nullptr, site.get(), 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(site->log, std::vector<std::string>{"OnInPlaceDeactivate"});
    EXPECT_EQ(object->DoVerb(OLEIVERB_HIDE, nullptr, site.get(), 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(site->log.size(), 1u);  // deactivated once
    site->log.clear();
    EXPECT_EQ(object->DoVerb(OLEIVERB_PRIMARY, nullptr, site.get(), 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(site->log.front(), "CanWindowlessActivate");
    site->log.clear();
    object->SetClientSite(nullptr);  // leaving the site deactivates
    EXPECT_EQ(site->log, std::vector<std::string>{"OnInPlaceDeactivate"});
    object->SetClientSite(site.get());
}

TEST_F(ControlContract, SavedStateWithAMovieLoadsItWhenActivated) {
    embed();
    loadServedMovie(u"http://zzz/<stream>00000010.swf");
    ASSERT_EQ(dispatchPut(flash.get(), DISPID_FLASH_SCALE, VARIANT::fromString(u"ExactFit")), S_OK);
    ComPtr<IStream> saved;
    CreateStreamOnHGlobal(nullptr, TRUE, saved.put());
    ASSERT_EQ(object.as<IPersistStreamInit>()->Save(saved.get(), TRUE), S_OK);

    FakeEngineState other;
    auto otherSite = makeCom<ScriptedSite>();
    otherSite->served[u"http://zzz/<stream>00000010.swf"] = kMovie;
    ComPtr<IOleObject> second;
    ASSERT_EQ(
        createFlashControl([&] { return makeFakeEngine(other); }, IID_IOleObject, second.putVoid()),
        S_OK);
    second->SetClientSite(otherSite.get());
    saved->Seek(0, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(second.as<IPersistStreamInit>()->Load(saved.get()), S_OK);
    EXPECT_FALSE(other.loaded);  // not before activation
    ASSERT_EQ(
        second->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, otherSite.get(), 0, nullptr, nullptr),
        S_OK);
    EXPECT_TRUE(other.loaded);
    EXPECT_EQ(other.loadedBytes, kMovie);
    VARIANT scale;
    dispatchGet(second.as<IDispatch>().get(), DISPID_FLASH_SCALE, &scale);
    EXPECT_EQ(scale.bstrVal, u"ExactFit");
    EXPECT_EQ(second.as<IPersistStreamInit>()->IsDirty(), S_FALSE);

    // InitNew forgets it all.
    ASSERT_EQ(second.as<IPersistStreamInit>()->InitNew(), S_OK);
    dispatchGet(second.as<IDispatch>().get(), DISPID_FLASH_SCALE, &scale);
    EXPECT_EQ(scale.bstrVal, u"ShowAll");
    second->Close(OLECLOSE_NOSAVE);
    second->SetClientSite(nullptr);
}

TEST_F(ControlContract, EveryInterfaceAnswersWithOneIdentity) {
    const IID asked[] = {IID_IOleObject,
                         IID_IPersistStreamInit,
                         IPersist::kIid,
                         IID_IOleControl,
                         IID_IOleWindow,
                         IID_IOleInPlaceObject,
                         IID_IOleInPlaceObjectWindowless,
                         IID_IOleInPlaceActiveObject,
                         IID_IViewObject,
                         IID_IConnectionPointContainer,
                         IID_IDispatch,
                         IID_IShockwaveFlash};
    const IUnknown* identity = object.as<IUnknown>().get();
    for (const IID& iid : asked) {
        ComPtr<IUnknown> part;
        ASSERT_EQ(object->QueryInterface(iid, part.putVoid()), S_OK) << toString(iid);
        EXPECT_EQ(part.as<IUnknown>().get(), identity) << toString(iid);
    }
    void* none = nullptr;
    EXPECT_EQ(object->QueryInterface(IID_IOleClientSite, &none), E_NOINTERFACE);
    EXPECT_EQ(object->QueryInterface(IID_IBindHost, &none), E_NOINTERFACE);
}

TEST_F(ControlContract, LessCommonMessagesBecomeTheirStageInput) {
    const RECT position{0, 0, 400, 300};  // ShowAll: 2x, 50 pixels above the stage
    embed(&position);
    loadServedMovie();
    send(WM_LBUTTONDBLCLK, 1, MAKELPARAM(-10, -20));
    EXPECT_TRUE(site->captured);
    send(WM_MBUTTONDOWN, 0, MAKELPARAM(0, 50));
    send(WM_MBUTTONUP, 0, MAKELPARAM(0, 50));
    EXPECT_FALSE(site->captured);
    send(WM_MOUSEWHEEL, WPARAM{240} << 16, MAKELPARAM(100, 100));
    send(WM_MOUSEWHEEL, WPARAM{static_cast<std::uint16_t>(-120)} << 16, 0);
    send(WM_MOUSELEAVE, 0, 0);
    send(WM_KILLFOCUS, 0, 0);
    send(WM_SETFOCUS, 0, 0);
    send(WM_KEYUP, 0x25, 0);
    send(WM_RBUTTONDBLCLK, 0, MAKELPARAM(2, 2));
    send(WM_RBUTTONUP, 0, MAKELPARAM(2, 2));
    ASSERT_EQ(engine.input.size(), 11u);
    const auto& in = engine.input;
    EXPECT_EQ(in[0].kind, InputKind::MouseDown);  // a double click presses again
    EXPECT_EQ(in[0].button, MouseButton::Left);
    EXPECT_DOUBLE_EQ(in[0].x, -5.0);  // positions are signed
    EXPECT_DOUBLE_EQ(in[0].y, -35.0);
    EXPECT_EQ(in[1].button, MouseButton::Middle);
    EXPECT_EQ(in[2].kind, InputKind::MouseUp);
    EXPECT_EQ(in[3].kind, InputKind::MouseWheel);
    EXPECT_EQ(in[3].wheelDelta, 2);
    EXPECT_EQ(in[4].wheelDelta, -1);
    EXPECT_EQ(in[5].kind, InputKind::MouseLeave);
    EXPECT_EQ(in[6].kind, InputKind::FocusLost);
    EXPECT_EQ(in[7].kind, InputKind::FocusGained);
    EXPECT_EQ(in[8].kind, InputKind::KeyUp);
    EXPECT_EQ(in[8].keyCode, 0x25);
    EXPECT_EQ(in[9].button, MouseButton::Right);
    EXPECT_EQ(in[10].kind, InputKind::MouseUp);

    // Messages the movie has no use for are left to the host.
    send(0x0300, 0, 0, S_FALSE);
    send(WM_PAINT, 0, 0, S_FALSE);
    EXPECT_EQ(engine.input.size(), 11u);
    engine.cursor = CursorShape::IBeam;
    EXPECT_EQ(send(WM_SETCURSOR, 0, 0x02000001), IDC_IBEAM);
    // With the container's UI dead the cursor is still answered, input is not.
    site->uiDead = true;
    object.as<IOleControl>()->OnAmbientPropertyChange(DISPID_UNKNOWN_ALL);
    EXPECT_EQ(send(WM_SETCURSOR, 0, 0x02000001), IDC_IBEAM);
    send(WM_KEYDOWN, 0x41, 0, S_FALSE);
    EXPECT_EQ(engine.input.size(), 11u);
    site->uiDead = false;
    object.as<IOleControl>()->OnAmbientPropertyChange(DISPID_AMBIENT_UIDEAD);
    send(WM_KEYDOWN, 0x41, 0);
    EXPECT_EQ(engine.input.size(), 12u);
}

TEST_F(ControlContract, AMovieWithoutAFrameRateRunsAtTwelveFramesASecond) {
    embed();
    engine.info.frameRate = 0;
    loadServedMovie();
    engine.calls.clear();
    EXPECT_EQ(tooling->AdvanceFrames(-1), E_INVALIDARG);
    EXPECT_EQ(tooling->AdvanceFrames(0), S_OK);
    EXPECT_TRUE(engine.calls.empty());
    ASSERT_EQ(tooling->AdvanceFrames(1), S_OK);
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"runFrame", "runFrame done", "clock 83333"}));
    engine.info.frameRate = 120;
    engine.calls.clear();
    tooling->AdvanceFrames(1);
    EXPECT_EQ(engine.calls.back(), "clock 8333");
    MovieInfo info;
    ASSERT_EQ(tooling->GetMovieInfo(&info), S_OK);
    EXPECT_TRUE(info.loaded);
    EXPECT_EQ(tooling->GetMovieInfo(nullptr), E_POINTER);
}

// The player's construction, step by step as it calls the control, and the state that
// results: the window mode it writes before activation holds afterwards.
TEST_F(ControlContract, ThePlayersConstructionOrderLeavesATransparentActiveControl) {
    DWORD status = 0;
    ASSERT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    ASSERT_TRUE(status & OLEMISC_SETCLIENTSITEFIRST);
    EXPECT_FALSE(status & OLEMISC_INVISIBLEATRUNTIME);
    ASSERT_EQ(object->SetClientSite(site.get()), S_OK);
    auto persist = object.as<IPersistStreamInit>();
    ASSERT_TRUE(persist);
    SIZEL extent;
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(extent.cx, 14552);  // 550 x 400 pixels before any movie
    EXPECT_EQ(extent.cy, 10583);

    // The runtime part: the site it already has, fresh state, interfaces, sinks, ambients.
    ComPtr<IOleClientSite> known;
    ASSERT_EQ(object->GetClientSite(known.put()), S_OK);
    EXPECT_EQ(known.get(), static_cast<IOleClientSite*>(site.get()));
    ASSERT_EQ(persist->InitNew(), S_OK);
    EXPECT_TRUE(object.as<IOleControl>());
    EXPECT_TRUE(object.as<IDispatch>());
    EXPECT_FALSE(object.as<IPerPropertyBrowsing>());  // optional, and not offered
    ComPtr<IConnectionPoint> properties;
    DWORD cookie = 0;
    ASSERT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink, properties.put()), S_OK);
    ASSERT_EQ(properties->Advise(site->identity(), &cookie), S_OK);
    ASSERT_EQ(points->FindConnectionPoint(DIID__IShockwaveFlashEvents, eventPoint.put()), S_OK);
    ASSERT_EQ(eventPoint->Advise(sink->identity(), &eventCookie), S_OK);
    ASSERT_EQ(object.as<IOleControl>()->OnAmbientPropertyChange(DISPID_UNKNOWN_ALL), S_OK);

    site->changed.clear();
    ASSERT_EQ(dispatchPut(flash.get(), DISPID_FLASH_WMODE, VARIANT::fromString(u"Transparent")),
              S_OK);
    EXPECT_EQ(site->changed, std::vector<DISPID>{DISPID_FLASH_WMODE});
    const RECT bounds{5, 6, 165, 166};  // the player's bounds in its parent
    site->log.clear();
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, nullptr, &bounds),
              S_OK);
    EXPECT_EQ(site->log, (std::vector<std::string>{"CanWindowlessActivate", "OnInPlaceActivateEx 1",
                                                   "GetWindowContext"}));
    EXPECT_EQ(get(DISPID_FLASH_WMODE).bstrVal, u"Transparent");

    // The player then tells it that it sits at the origin of its own bitmaps.
    windowless = object.as<IOleInPlaceObjectWindowless>();
    const RECT origin{0, 0, 160, 160};
    ASSERT_EQ(windowless->SetObjectRects(&origin, &origin), S_OK);
    tooling->UseVirtualClock(TRUE);
    loadServedMovie(u"http://zzz/<stream>0000BEEF.swf");
    DibSection frame(160, 160);
    frame.fill(0x00000000);
    ASSERT_EQ(object.as<IViewObject>()->Draw(DVASPECT_TRANSPARENT, -1, nullptr, nullptr, nullptr,
                                             frame.dc(), nullptr, nullptr, nullptr, 0),
              S_OK);
    EXPECT_FALSE(engine.renderOptions.back().paintBackground);
    const RenderTarget& t = engine.renderTargets.back();
    EXPECT_EQ((RECT{t.clipLeft, t.clipTop, t.clipRight, t.clipBottom}), origin);
    EXPECT_EQ(frame.pixelAt(80, 80), 0u);  // nothing painted under the movie
    properties->Unadvise(cookie);
}

}  // namespace
}  // namespace pencora::flash::testing
