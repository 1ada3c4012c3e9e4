#include "scripted_control.h"

#include <algorithm>

namespace pencora::player::testing {

using namespace ole;

bool ControlScript::seen(const std::string& entry) const {
    return std::find(log.begin(), log.end(), entry) != log.end();
}

namespace {

std::string narrow(const BSTR& s) {
    return QString::fromStdU16String(s).toStdString();
}

class Point final : public ComObject<IConnectionPoint> {
  public:
    explicit Point(IID iid) : iid_(iid) {}
    HRESULT GetConnectionInterface(IID* iid) override {
        *iid = iid_;
        return S_OK;
    }
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override {
        sink_ = ComPtr<IUnknown>(sink);
        *cookie = 1;
        return S_OK;
    }
    HRESULT Unadvise(DWORD) override {
        sink_.reset();
        return S_OK;
    }
    IID iid_;
    ComPtr<IUnknown> sink_;
};

class Callback final : public ComObject<IBindStatusCallback> {
  public:
    HRESULT OnStartBinding(DWORD, IBinding*) override { return S_OK; }
    HRESULT OnProgress(ULONG, ULONG, ULONG, const BSTR&) override { return S_OK; }
    HRESULT OnStopBinding(HRESULT, const BSTR&) override { return S_OK; }
    HRESULT OnDataAvailable(DWORD flags, DWORD size, FORMATETC*, STGMEDIUM* medium) override {
        this->flags = flags;
        this->size = size;
        std::vector<std::uint8_t> bytes(size);
        ULONG got = 0;
        medium->pstm->Read(bytes.data(), size, &got);
        data.assign(bytes.begin(), bytes.begin() + got);
        ++notifications;
        return S_OK;
    }
    DWORD flags = 0;
    DWORD size = 0;
    int notifications = 0;
    std::string data;
};

}  // namespace

struct ScriptedControl final
    : ComObject<IOleObject, IPersistStreamInit, IOleControl, IShockwaveFlash,
                IConnectionPointContainer, IOleInPlaceObjectWindowless, IViewObject> {
    explicit ScriptedControl(ControlScript& s) : script(s) {
        events = makeCom<Point>(DIID__IShockwaveFlashEvents);
        props = makeCom<Point>(IID_IPropertyNotifySink);
    }
    void say(std::string entry) { script.log.push_back(std::move(entry)); }

    void* queryExtra(REFIID iid) override {
        if (iid == IID_IDispatch) {
            return static_cast<IShockwaveFlash*>(this);
        }
        if (iid == IID_IOleInPlaceObject || iid == IID_IOleWindow) {
            return static_cast<IOleInPlaceObjectWindowless*>(this);
        }
        if (iid == IPersist::kIid) {
            return static_cast<IPersistStreamInit*>(this);
        }
        return nullptr;
    }
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if ((iid == IID_IOleInPlaceObject || iid == IID_IOleInPlaceObjectWindowless) &&
            !script.giveInPlaceObject) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        return ComObject::QueryInterface(iid, object);
    }

    // IOleObject
    HRESULT SetClientSite(IOleClientSite* s) override {
        say(s ? "SetClientSite" : "SetClientSite(none)");
        site = ComPtr<IOleClientSite>(s);
        return S_OK;
    }
    HRESULT GetClientSite(IOleClientSite** s) override { return site.copyTo(s); }
    HRESULT Close(DWORD option) override {
        say("Close(" + std::to_string(option) + ")");
        return S_OK;
    }
    HRESULT DoVerb(LONG verb, MSG*, IOleClientSite*, LONG, HWND, const RECT*) override {
        say("DoVerb(" + std::to_string(verb) + ")");
        auto windowless = site.as<IOleInPlaceSiteWindowless>();
        if (windowless) {
            windowless->CanWindowlessActivate();
            BOOL noRedraw = FALSE;
            windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
            ComPtr<IOleInPlaceFrame> frame;
            ComPtr<IOleInPlaceUIWindow> doc;
            RECT pos, clip;
            OLEINPLACEFRAMEINFO info;
            windowless->GetWindowContext(frame.put(), doc.put(), &pos, &clip, &info);
        }
        return S_OK;
    }
    HRESULT EnumVerbs(IEnumOLEVERB** verbs) override {
        *verbs = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetExtent(DWORD, SIZEL* size) override {
        *size = SIZEL{14552, 10583};  // 550 x 400 pixels at 96 per inch
        return S_OK;
    }
    HRESULT GetMiscStatus(DWORD, DWORD* status) override {
        *status = OLEMISC_SETCLIENTSITEFIRST;
        return S_OK;
    }
    // IPersistStreamInit
    HRESULT GetClassID(CLSID* id) override {
        *id = CLSID_ShockwaveFlash;
        return S_OK;
    }
    HRESULT IsDirty() override { return S_FALSE; }
    HRESULT Load(IStream*) override {
        say("Load");
        return S_OK;
    }
    HRESULT Save(IStream* stream, BOOL) override {
        ULONG n = 0;
        return stream->Write("CUFU", 4, &n);
    }
    HRESULT GetSizeMax(ULARGE_INTEGER* size) override {
        *size = 4;
        return S_OK;
    }
    HRESULT InitNew() override {
        say("InitNew");
        return S_OK;
    }
    // IOleControl
    HRESULT OnAmbientPropertyChange(DISPID id) override {
        say("OnAmbientPropertyChange(" + std::to_string(id) + ")");
        return S_OK;
    }
    HRESULT FreezeEvents(BOOL) override { return S_OK; }
    // IConnectionPointContainer
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (iid == DIID__IShockwaveFlashEvents) {
            return events.copyTo(reinterpret_cast<Point**>(point));
        }
        if (iid == IID_IPropertyNotifySink) {
            return props.copyTo(reinterpret_cast<Point**>(point));
        }
        *point = nullptr;
        return CONNECT_E_NOCONNECTION;
    }
    // IOleInPlaceObjectWindowless
    HRESULT GetWindow(HWND* w) override {
        *w = nullptr;
        return E_FAIL;
    }
    HRESULT ContextSensitiveHelp(BOOL) override { return S_OK; }
    HRESULT InPlaceDeactivate() override { return S_OK; }
    HRESULT UIDeactivate() override { return S_OK; }
    HRESULT SetObjectRects(const RECT* pos, const RECT*) override {
        objectRect = *pos;
        ++objectRectsCalls;
        return S_OK;
    }
    HRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        say("msg(" + std::to_string(message) + "," + std::to_string(wParam) + "," +
            std::to_string(GET_X_LPARAM(lParam)) + "," + std::to_string(GET_Y_LPARAM(lParam)) +
            ")");
        if (message == WM_SETCURSOR) {
            *result = IDC_HAND;
        }
        if (message == WM_RBUTTONDOWN) {
            HWND w = nullptr;
            if (auto s = site.as<IOleInPlaceSiteWindowless>()) {
                windowAnswers.push_back(s->GetWindow(&w) == S_OK && w);
            }
        }
        return S_OK;
    }
    // IViewObject
    HRESULT Draw(DWORD aspect, LONG, void*, void*, HDC, HDC dc, const RECTL* bounds, const RECTL*,
                 ContinueProc, ULONG_PTR) override {
        ++draws;
        lastAspect = aspect;
        lastBounds = bounds ? std::optional<RECTL>(*bounds) : std::nullopt;
        for (int y = 10; y < 30; ++y) {
            for (int x = 10; x < 30; ++x) {
                if (bounds && (x < bounds->left || y < bounds->top || x >= bounds->right ||
                               y >= bounds->bottom)) {
                    continue;
                }
                const int px = x - dc->windowOrigin.x;
                const int py = y - dc->windowOrigin.y;
                if (px < 0 || py < 0 || px >= dc->width || py >= dc->height) {
                    continue;
                }
                std::uint8_t* p = dc->pixel(px, py);
                p[0] = 0;
                p[1] = 0;
                p[2] = 255;
                p[3] = 255;
            }
        }
        return S_OK;
    }
    // IDispatch
    HRESULT GetTypeInfoCount(UINT* c) override {
        *c = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, const BSTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO*, UINT*) override {
        if (flags & DISPATCH_PROPERTYPUT) {
            const auto value = variantToString(params->rgvarg[0]).value_or(u"?");
            say("put(" + std::to_string(id) + "," + narrow(value) + ")");
            properties[id] = params->rgvarg[0];
            return S_OK;
        }
        if (flags & DISPATCH_PROPERTYGET) {
            say("get(" + std::to_string(id) + ")");
            auto it = properties.find(id);
            if (it == properties.end()) {
                return DISP_E_MEMBERNOTFOUND;
            }
            *result = it->second;
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
    // IShockwaveFlash
    HRESULT SetZoomRect(LONG, LONG, LONG, LONG) override { return S_OK; }
    HRESULT Zoom(int f) override {
        say("Zoom(" + std::to_string(f) + ")");
        return S_OK;
    }
    HRESULT Pan(LONG, LONG, int) override { return S_OK; }
    HRESULT Play() override {
        say("Play");
        return S_OK;
    }
    HRESULT Stop() override {
        say("Stop");
        return S_OK;
    }
    HRESULT Back() override { return S_OK; }
    HRESULT Forward() override { return S_OK; }
    HRESULT Rewind() override { return S_OK; }
    HRESULT StopPlay() override { return S_OK; }
    HRESULT GotoFrame(LONG f) override {
        say("GotoFrame(" + std::to_string(f) + ")");
        return S_OK;
    }
    HRESULT CurrentFrame(LONG* f) override {
        *f = 7;
        return S_OK;
    }
    HRESULT IsPlaying(VARIANT_BOOL* p) override {
        *p = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT PercentLoaded(LONG* p) override {
        *p = 100;
        return S_OK;
    }
    HRESULT FrameLoaded(LONG, VARIANT_BOOL* l) override {
        *l = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT FlashVersion(LONG* v) override {
        *v = script.version;
        return S_OK;
    }
    HRESULT LoadMovie(int layer, const BSTR& url) override {
        say("LoadMovie(" + std::to_string(layer) + "," + narrow(url) + ")");
        if (FAILED(script.loadMovieResult)) {
            return script.loadMovieResult;
        }
        if (script.fetchOnLoad) {
            auto [h, data] = fetchThroughSite(this, url);
            script.fetched.emplace_back(narrow(url), data);
        }
        return S_OK;
    }
    HRESULT TGotoFrame(const BSTR&, LONG) override { return S_OK; }
    HRESULT TGotoLabel(const BSTR&, const BSTR&) override { return S_OK; }
    HRESULT TCurrentFrame(const BSTR&, LONG* f) override {
        *f = 0;
        return S_OK;
    }
    HRESULT TCurrentLabel(const BSTR&, BSTR* l) override {
        *l = u"label";
        return S_OK;
    }
    HRESULT TPlay(const BSTR&) override { return S_OK; }
    HRESULT TStopPlay(const BSTR&) override { return S_OK; }
    HRESULT SetVariable(const BSTR& name, const BSTR& value) override {
        say("SetVariable(" + narrow(name) + "," + narrow(value) + ")");
        return S_OK;
    }
    HRESULT GetVariable(const BSTR& name, BSTR* value) override {
        *value = u"v:" + name;
        return S_OK;
    }
    HRESULT TSetProperty(const BSTR&, int, const BSTR&) override { return S_OK; }
    HRESULT TGetProperty(const BSTR&, int, BSTR* v) override {
        *v = u"";
        return S_OK;
    }
    HRESULT TCallFrame(const BSTR&, int) override { return S_OK; }
    HRESULT TCallLabel(const BSTR&, const BSTR&) override { return S_OK; }
    HRESULT TSetPropertyNum(const BSTR&, int, double) override { return S_OK; }
    HRESULT TGetPropertyNum(const BSTR&, int, double* v) override {
        *v = 0;
        return S_OK;
    }
    HRESULT TGetPropertyAsNumber(const BSTR&, int, double* v) override {
        *v = 0;
        return S_OK;
    }
    HRESULT CallFunction(const BSTR& request, BSTR* response) override {
        say("CallFunction(" + narrow(request) + ")");
        *response = u"<string>ok</string>";
        return S_OK;
    }
    HRESULT SetReturnValue(const BSTR& v) override {
        say("SetReturnValue(" + narrow(v) + ")");
        return S_OK;
    }

    ControlScript& script;
    ComPtr<IOleClientSite> site;
    ComPtr<Point> events;
    ComPtr<Point> props;
    std::map<DISPID, VARIANT> properties;
    RECT objectRect;
    int objectRectsCalls = 0;
    int draws = 0;
    DWORD lastAspect = 0;
    std::optional<RECTL> lastBounds;
    std::vector<bool> windowAnswers;
};

ScriptedControlRegistration::ScriptedControlRegistration(ControlScript& script)
    : registration_(CLSID_ShockwaveFlash, [&script](REFIID iid, void** object) {
          auto control = makeCom<ScriptedControl>(script);
          script.last = control.get();
          ++script.created;
          return control->QueryInterface(iid, object);
      }) {}

void fireEvent(ScriptedControl* control, DISPID id, std::vector<VARIANT> args) {
    auto sink = control->events->sink_.as<IDispatch>();
    if (!sink) {
        return;
    }
    DISPPARAMS params;
    params.rgvarg.assign(args.rbegin(), args.rend());
    sink->Invoke(id, IID_IDispatch, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

void changeProperty(ScriptedControl* control, DISPID id, VARIANT value) {
    control->properties[id] = std::move(value);
    if (auto sink = control->props->sink_.as<IPropertyNotifySink>()) {
        sink->OnChanged(id);
    }
}

int drawCount(ScriptedControl* control) {
    return control->draws;
}

std::optional<RECTL> lastDrawBounds(ScriptedControl* control) {
    return control->lastBounds;
}

IOleClientSite* siteOf(ScriptedControl* control) {
    return control->site.get();
}

std::pair<HRESULT, std::string> fetchThroughSite(ScriptedControl* control,
                                                 const std::u16string& address) {
    auto provider = control->site.as<IServiceProvider>();
    if (!provider) {
        return {E_NOINTERFACE, "<refused>"};
    }
    ComPtr<IBindHost> host;
    if (FAILED(provider->QueryService(SID_SBindHost, IID_IBindHost, host.putVoid())) || !host) {
        return {E_NOINTERFACE, "<refused>"};
    }
    ComPtr<IBindCtx> context;
    CreateBindCtx(0, context.put());
    ComPtr<IMoniker> moniker;
    if (FAILED(host->CreateMoniker(address, context.get(), moniker.put(), 0)) || !moniker) {
        return {E_NOTIMPL, "<refused>"};
    }
    auto callback = makeCom<Callback>();
    context->RegisterObjectParam(kBindStatusCallbackHolder,
                                 static_cast<IBindStatusCallback*>(callback.get()));
    void* unused = nullptr;
    const HRESULT h = moniker->BindToStorage(context.get(), nullptr, IID_IStream, &unused);
    if (FAILED(h) || callback->notifications == 0) {
        return {h, "<failed>"};
    }
    // One notification, marked first and last.
    if (callback->notifications != 1 ||
        callback->flags != (BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION)) {
        return {E_FAIL, "<pieces>"};
    }
    return {h, callback->data};
}

}  // namespace pencora::player::testing
