#include "platform/flash/control/flash_control.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "platform/flash/control/control_properties.h"
#include "platform/flash/control/flash_control_tooling.h"
#include "platform/flash/control/local_fetch.h"
#include "platform/flash/control/site_fetch.h"
#include "platform/flash/control/site_sockets.h"
#include "platform/flash/control/stage_layout.h"
#include "platform/flash/control/text_commands.h"
#include "platform/ole/class_registry.h"
#include "platform/ole/file_scope.h"

namespace pencora::flash {

namespace {

using namespace ole;

// The extent before a movie gives one: the authoring tools' default stage.
constexpr double kDefaultStageWidth = 550;
constexpr double kDefaultStageHeight = 400;
constexpr int kPixelsPerInch = 96;
// A movie whose header gives no frame rate runs at the authoring tools' default.
constexpr double kDefaultFrameRate = 12;
// Work the movie may queue in one go (fetches answered, commands raised) before the rest
// waits for the next frame, so a movie that keeps asking cannot hang the host.
constexpr int kMaxSettleRounds = 256;

// One connection point: sinks of interface Sink, cookies from 1.
template <class Sink>
class ConnectionPoint final : public IConnectionPoint {
  public:
    ConnectionPoint(IUnknown* owner, const IID& iid) : owner_(owner), iid_(iid) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) {
            return E_POINTER;
        }
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
            return hand(static_cast<IConnectionPoint*>(this), object);
        }
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return owner_->AddRef(); }
    ULONG Release() override { return owner_->Release(); }

    HRESULT GetConnectionInterface(IID* iid) override {
        if (!iid) {
            return E_POINTER;
        }
        *iid = iid_;
        return S_OK;
    }
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie) {
            return E_POINTER;
        }
        *cookie = 0;
        ComPtr<Sink> typed;
        if (FAILED(sink->QueryInterface(iid_, typed.putVoid())) || !typed) {
            return CONNECT_E_CANNOTCONNECT;
        }
        *cookie = next_++;
        sinks_.emplace(*cookie, std::move(typed));
        return S_OK;
    }
    HRESULT Unadvise(DWORD cookie) override {
        return sinks_.erase(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
    }

    // A copy, so that a sink may disconnect while being called.
    std::vector<ComPtr<Sink>> sinks() const {
        std::vector<ComPtr<Sink>> out;
        for (const auto& [cookie, sink] : sinks_) {
            out.push_back(sink);
        }
        return out;
    }
    void clear() { sinks_.clear(); }

  private:
    IUnknown* owner_;
    IID iid_;
    DWORD next_ = 1;
    std::map<DWORD, ComPtr<Sink>> sinks_;
};

RECT intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.right < r.left) {
        r.right = r.left;
    }
    if (r.bottom < r.top) {
        r.bottom = r.top;
    }
    return r;
}

RECT unite(const RECT& a, const RECT& b) {
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

bool isEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

LONG toHimetric(double pixels) {
    return static_cast<LONG>(std::lround(pixels * 2540.0 / kPixelsPerInch));
}

class FlashControl final
    : public ComObject<IOleObject, IPersistStreamInit, IOleControl, IOleInPlaceObjectWindowless,
                       IOleInPlaceActiveObject, IViewObject, IConnectionPointContainer,
                       IShockwaveFlash, IFlashControlTooling>,
      private MovieEngineHost {
  public:
    explicit FlashControl(std::unique_ptr<MovieEngine> engine)
        : engine_(std::move(engine)),
          events_(identity(), DIID__IShockwaveFlashEvents),
          propertySinks_(identity(), IID_IPropertyNotifySink) {
        engine_->setHost(this);
    }

    ~FlashControl() override {
        timer_.reset();
        engine_.reset();
    }

    // ---- IOleObject ----------------------------------------------------------------------

    HRESULT SetClientSite(IOleClientSite* site) override {
        if (!site) {
            deactivate();
            stopTimer();
            sockets_.closeAll();  // they were the site's
        }
        site_ = ComPtr<IOleClientSite>(site);
        return S_OK;
    }
    HRESULT GetClientSite(IOleClientSite** site) override { return site_.copyTo(site); }
    HRESULT Close(DWORD) override {
        deactivate();
        stopTimer();
        return S_OK;
    }
    HRESULT DoVerb(LONG verb, MSG*, IOleClientSite* activeSite, LONG, HWND,
                   const RECT* position) override {
        switch (verb) {
            case OLEIVERB_INPLACEACTIVATE:
            case OLEIVERB_UIACTIVATE:
            case OLEIVERB_SHOW:
            case OLEIVERB_PRIMARY:
                return activate(activeSite, position);
            case OLEIVERB_HIDE:
                deactivate();
                return S_OK;
            default:
                return E_NOTIMPL;
        }
    }
    HRESULT EnumVerbs(IEnumOLEVERB** verbs) override {
        if (verbs) {
            *verbs = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT GetExtent(DWORD aspect, SIZEL* size) override {
        if (!size) {
            return E_POINTER;
        }
        if (aspect != DVASPECT_CONTENT) {
            return DV_E_DVASPECT;
        }
        const MovieInfo info = engine_->movieInfo();
        const bool known = info.loaded && info.stageWidth > 0 && info.stageHeight > 0;
        size->cx = toHimetric(known ? info.stageWidth : kDefaultStageWidth);
        size->cy = toHimetric(known ? info.stageHeight : kDefaultStageHeight);
        return S_OK;
    }
    HRESULT GetMiscStatus(DWORD, DWORD* status) override {
        if (!status) {
            return E_POINTER;
        }
        *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                  OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
        return S_OK;
    }

    // ---- IPersistStreamInit ----------------------------------------------------------------

    HRESULT GetClassID(CLSID* id) override {
        if (!id) {
            return E_POINTER;
        }
        *id = CLSID_ShockwaveFlash;
        return S_OK;
    }
    HRESULT IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT Load(IStream* stream) override {
        if (!stream) {
            return E_POINTER;
        }
        std::vector<std::uint8_t> bytes;
        std::uint8_t chunk[4096];
        for (;;) {
            ULONG got = 0;
            const HRESULT h = stream->Read(chunk, sizeof chunk, &got);
            if (FAILED(h)) {
                return h;
            }
            if (got == 0) {
                break;
            }
            if (bytes.size() + got > (1u << 20)) {
                return E_FAIL;
            }
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
        auto loaded = loadControlState(bytes);
        if (!loaded) {
            return E_FAIL;
        }
        props_ = std::move(*loaded);
        engine_->setLoop(props_.loop);
        pendingMovie_ = !props_.movie.empty();
        dirty_ = false;
        return S_OK;
    }
    HRESULT Save(IStream* stream, BOOL clearDirty) override {
        if (!stream) {
            return E_POINTER;
        }
        const auto bytes = saveControlState(props_);
        const HRESULT h = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        if (SUCCEEDED(h) && clearDirty) {
            dirty_ = false;
        }
        return h;
    }
    HRESULT GetSizeMax(ULARGE_INTEGER* size) override {
        if (!size) {
            return E_POINTER;
        }
        *size = saveControlState(props_).size();
        return S_OK;
    }
    HRESULT InitNew() override {
        props_ = ControlProperties{};
        engine_->setLoop(props_.loop);
        dirty_ = false;
        return S_OK;
    }

    // ---- IOleControl ---------------------------------------------------------------------

    HRESULT OnAmbientPropertyChange(DISPID id) override {
        auto ambient = site_.as<IDispatch>();
        if (!ambient) {
            return S_OK;
        }
        VARIANT v;
        if ((id == DISPID_UNKNOWN_ALL || id == DISPID_AMBIENT_USERMODE) &&
            SUCCEEDED(dispatchGet(ambient.get(), DISPID_AMBIENT_USERMODE, &v))) {
            userMode_ = variantToBool(v).value_or(true);
        }
        if ((id == DISPID_UNKNOWN_ALL || id == DISPID_AMBIENT_UIDEAD) &&
            SUCCEEDED(dispatchGet(ambient.get(), DISPID_AMBIENT_UIDEAD, &v))) {
            uiDead_ = variantToBool(v).value_or(false);
        }
        return S_OK;
    }
    HRESULT FreezeEvents(BOOL freeze) override {
        frozen_ = std::max(0, frozen_ + (freeze ? 1 : -1));
        return S_OK;
    }

    // ---- IOleWindow, IOleInPlaceObject(Windowless), IOleInPlaceActiveObject --------------

    HRESULT GetWindow(HWND* window) override {
        if (window) {
            *window = nullptr;
        }
        return E_FAIL;  // windowless
    }
    HRESULT ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT InPlaceDeactivate() override {
        deactivate();
        return S_OK;
    }
    HRESULT UIDeactivate() override { return S_OK; }
    HRESULT SetObjectRects(const RECT* position, const RECT* clip) override {
        if (!position) {
            return E_POINTER;
        }
        objectRect_ = *position;
        clipRect_ = clip ? *clip : *position;
        haveObjectRect_ = true;
        dirtyAll_ = true;
        showStage();
        return S_OK;
    }
    HRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (result) {
            *result = 0;
        }
        try {
            return handleMessage(message, wParam, lParam, result);
        } catch (...) {
            return S_FALSE;
        }
    }
    HRESULT TranslateAccelerator(MSG*) override { return S_FALSE; }
    HRESULT OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT OnDocWindowActivate(BOOL) override { return S_OK; }

    // ---- IViewObject -----------------------------------------------------------------------

    HRESULT Draw(DWORD aspect, LONG, void*, void*, HDC, HDC dc, const RECTL* bounds, const RECTL*,
                 ContinueProc, ULONG_PTR) override {
        if (!dc || !dc->bits) {
            return E_INVALIDARG;
        }
        if (aspect != DVASPECT_CONTENT && aspect != DVASPECT_TRANSPARENT &&
            aspect != DVASPECT_OPAQUE) {
            return DV_E_DVASPECT;
        }
        const RECT object = haveObjectRect_ || !bounds ? objectRect_ : *bounds;
        const RECT area = bounds ? intersect(*bounds, object) : object;
        const RECT device{area.left - dc->windowOrigin.x, area.top - dc->windowOrigin.y,
                          area.right - dc->windowOrigin.x, area.bottom - dc->windowOrigin.y};
        const RECT clip = intersect(device, RECT{0, 0, dc->width, dc->height});
        if (isEmpty(clip)) {
            return S_OK;
        }
        RenderTarget target;
        target.bits = dc->bits;
        target.width = dc->width;
        target.height = dc->height;
        target.stride = dc->stride;
        target.clipLeft = clip.left;
        target.clipTop = clip.top;
        target.clipRight = clip.right;
        target.clipBottom = clip.bottom;
        RenderOptions options;
        options.matrix = matrixFor(object);
        options.matrix.tx -= dc->windowOrigin.x;
        options.matrix.ty -= dc->windowOrigin.y;
        options.quality = renderQuality(props_.quality);
        options.paintBackground =
            aspect != DVASPECT_TRANSPARENT || props_.windowMode != WindowMode::Transparent;
        if (props_.backgroundColor >= 0) {
            options.backgroundOverride = static_cast<std::uint32_t>(props_.backgroundColor);
        }
        try {
            EngineCall call(*this);
            engine_->render(target, options);
        } catch (...) {
            return VIEW_E_DRAW;
        }
        return S_OK;
    }

    // ---- IConnectionPointContainer --------------------------------------------------------

    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (!point) {
            return E_POINTER;
        }
        *point = nullptr;
        if (iid == DIID__IShockwaveFlashEvents) {
            return hand(static_cast<IConnectionPoint*>(&events_), reinterpret_cast<void**>(point));
        }
        if (iid == IID_IPropertyNotifySink) {
            return hand(static_cast<IConnectionPoint*>(&propertySinks_),
                        reinterpret_cast<void**>(point));
        }
        return CONNECT_E_NOCONNECTION;
    }

    // ---- IDispatch -----------------------------------------------------------------------

    HRESULT GetTypeInfoCount(UINT* count) override {
        if (!count) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) {
            *info = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(REFIID, const BSTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO*, UINT* argErr) override {
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            if (!params || params->rgvarg.size() != 1) {
                return DISP_E_BADPARAMCOUNT;
            }
            const HRESULT h = putProperty(id, params->rgvarg[0]);
            if (h == DISP_E_TYPEMISMATCH && argErr) {
                *argErr = 0;
            }
            if (SUCCEEDED(h)) {
                dirty_ = true;
                notifyChanged(id);
            }
            return h;
        }
        if (flags & DISPATCH_PROPERTYGET) {
            if (!result) {
                return E_INVALIDARG;
            }
            return getProperty(id, result);
        }
        return DISP_E_MEMBERNOTFOUND;
    }

    // ---- IShockwaveFlash -----------------------------------------------------------------

    HRESULT SetZoomRect(LONG left, LONG top, LONG right, LONG bottom) override {
        view_ = zoomRectView(layoutFor(objectRect_), left, top, right, bottom);
        repaint();
        return S_OK;
    }
    HRESULT Zoom(int factor) override {
        view_ = zoomView(layoutFor(objectRect_), factor);
        repaint();
        return S_OK;
    }
    HRESULT Pan(LONG x, LONG y, int mode) override {
        view_ = panView(layoutFor(objectRect_), x, y, mode);
        repaint();
        return S_OK;
    }
    HRESULT Play() override {
        props_.playing = true;
        EngineCall call(*this);
        engine_->play(u"");
        return S_OK;
    }
    HRESULT Stop() override { return StopPlay(); }
    HRESULT Back() override {
        EngineCall call(*this);
        if (const auto frame = engine_->currentFrame(u""); frame && *frame > 0) {
            engine_->gotoFrame(u"", *frame - 1, false);
        }
        return S_OK;
    }
    HRESULT Forward() override {
        EngineCall call(*this);
        const auto frame = engine_->currentFrame(u"");
        const auto total = engine_->totalFrames(u"");
        if (frame && total && *frame + 1 < *total) {
            engine_->gotoFrame(u"", *frame + 1, false);
        }
        return S_OK;
    }
    HRESULT Rewind() override {
        EngineCall call(*this);
        engine_->gotoFrame(u"", 0, false);
        return S_OK;
    }
    HRESULT StopPlay() override {
        props_.playing = false;
        EngineCall call(*this);
        engine_->stop(u"");
        return S_OK;
    }
    HRESULT GotoFrame(LONG frameNum) override {
        EngineCall call(*this);
        engine_->gotoFrame(u"", frameNum, false);
        return S_OK;
    }
    HRESULT CurrentFrame(LONG* frameNum) override {
        if (!frameNum) {
            return E_POINTER;
        }
        *frameNum = engine_->currentFrame(u"").value_or(0);
        return S_OK;
    }
    HRESULT IsPlaying(VARIANT_BOOL* playing) override {
        if (!playing) {
            return E_POINTER;
        }
        *playing = engine_->isPlaying(u"") ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT PercentLoaded(LONG* percent) override {
        if (!percent) {
            return E_POINTER;
        }
        *percent = engine_->movieInfo().loaded ? 100 : 0;
        return S_OK;
    }
    HRESULT FrameLoaded(LONG frameNum, VARIANT_BOOL* loaded) override {
        if (!loaded) {
            return E_POINTER;
        }
        const MovieInfo info = engine_->movieInfo();
        *loaded = info.loaded && frameNum >= 0 && frameNum < info.framesLoaded ? VARIANT_TRUE
                                                                               : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT FlashVersion(LONG* version) override {
        if (!version) {
            return E_POINTER;
        }
        *version = kFlashVersion;
        return S_OK;
    }
    HRESULT LoadMovie(int layer, const BSTR& url) override {
        if (layer < 0) {
            return E_INVALIDARG;
        }
        ComPtr<IUnknown> keepAlive(identity());
        try {
            return loadMovie(layer, url);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_FAIL;
        }
    }
    // The new movie is shown from its first frame on: its dirty area waits for that frame, so
    // the host is not asked to paint from inside LoadMovie.
    HRESULT loadMovie(int layer, const BSTR& url) {
        const bool wasDeferring = std::exchange(deferPaint_, true);
        struct Restore {
            bool& flag;
            bool value;
            ~Restore() { flag = value; }
        } restore{deferPaint_, wasDeferring};
        const auto bytes = fetch(url, Requester::Host);
        bool loaded = false;
        {
            EngineCall call(*this);
            if (bytes) {
                auto parameters = layer == 0 ? parseQueryVariables(props_.flashVars)
                                             : decltype(parseQueryVariables(u"")){};
                if (const auto q = url.find(u'?'); q != BSTR::npos) {
                    for (auto& p : parseQueryVariables(std::u16string_view(url).substr(q + 1))) {
                        parameters.push_back(std::move(p));
                    }
                }
                loaded = engine_->loadMovie(layer, *bytes, url, parameters);
            } else {
                engine_->unloadMovie(layer);
            }
            if (layer == 0) {
                movieUrl_ = loaded ? url : BSTR();
                props_.movie = url;
                pendingMovie_ = false;
                engine_->setLoop(props_.loop);
                if (loaded && !props_.playing) {
                    engine_->stop(u"");
                }
            }
            dirtyAll_ = true;
        }
        if (layer == 0 && loaded) {
            fireEvent(DISPID_FLASH_PROGRESS, {VARIANT::fromInt(100)});
            setReadyState(FLASH_READYSTATE_INTERACTIVE);
            setReadyState(FLASH_READYSTATE_COMPLETE);
        }
        return S_OK;
    }
    HRESULT TGotoFrame(const BSTR& target, LONG frameNum) override {
        EngineCall call(*this);
        engine_->gotoFrame(target, frameNum, false);
        return S_OK;
    }
    HRESULT TGotoLabel(const BSTR& target, const BSTR& label) override {
        EngineCall call(*this);
        engine_->gotoLabel(target, label, false);
        return S_OK;
    }
    HRESULT TCurrentFrame(const BSTR& target, LONG* frameNum) override {
        if (!frameNum) {
            return E_POINTER;
        }
        *frameNum = engine_->currentFrame(target).value_or(-1);
        return S_OK;
    }
    HRESULT TCurrentLabel(const BSTR& target, BSTR* label) override {
        if (!label) {
            return E_POINTER;
        }
        *label = engine_->currentLabel(target).value_or(BSTR());
        return S_OK;
    }
    HRESULT TPlay(const BSTR& target) override {
        EngineCall call(*this);
        engine_->play(target);
        return S_OK;
    }
    HRESULT TStopPlay(const BSTR& target) override {
        EngineCall call(*this);
        engine_->stop(target);
        return S_OK;
    }
    HRESULT SetVariable(const BSTR& name, const BSTR& value) override {
        EngineCall call(*this);
        engine_->setVariable(name, value);
        return S_OK;
    }
    HRESULT GetVariable(const BSTR& name, BSTR* value) override {
        if (!value) {
            return E_POINTER;
        }
        value->clear();
        EngineCall call(*this);
        const auto v = engine_->getVariable(name);
        if (!v) {
            return E_FAIL;
        }
        *value = *v;
        return S_OK;
    }
    HRESULT TSetProperty(const BSTR& target, int property, const BSTR& value) override {
        if (!validProperty(property)) {
            return E_INVALIDARG;
        }
        EngineCall call(*this);
        engine_->setProperty(target, property, value);
        return S_OK;
    }
    HRESULT TGetProperty(const BSTR& target, int property, BSTR* value) override {
        if (!value) {
            return E_POINTER;
        }
        value->clear();
        if (!validProperty(property)) {
            return E_INVALIDARG;
        }
        const auto v = engine_->getProperty(target, property);
        if (!v) {
            return E_FAIL;
        }
        *value = *v;
        return S_OK;
    }
    HRESULT TCallFrame(const BSTR& target, int frameNum) override {
        EngineCall call(*this);
        engine_->callFrame(target, frameNum);
        return S_OK;
    }
    HRESULT TCallLabel(const BSTR& target, const BSTR& label) override {
        EngineCall call(*this);
        engine_->callLabel(target, label);
        return S_OK;
    }
    HRESULT TSetPropertyNum(const BSTR& target, int property, double value) override {
        if (!validProperty(property)) {
            return E_INVALIDARG;
        }
        EngineCall call(*this);
        engine_->setPropertyNumber(target, property, value);
        return S_OK;
    }
    HRESULT TGetPropertyNum(const BSTR& target, int property, double* value) override {
        if (!value) {
            return E_POINTER;
        }
        *value = 0;
        if (!validProperty(property)) {
            return E_INVALIDARG;
        }
        const auto v = engine_->getPropertyNumber(target, property);
        if (!v) {
            return E_FAIL;
        }
        *value = *v;
        return S_OK;
    }
    HRESULT TGetPropertyAsNumber(const BSTR& target, int property, double* value) override {
        return TGetPropertyNum(target, property, value);
    }
    HRESULT CallFunction(const BSTR& request, BSTR* response) override {
        if (!response) {
            return E_POINTER;
        }
        response->clear();
        EngineCall call(*this);
        const auto answer = engine_->callFunction(request);
        if (!answer) {
            return E_FAIL;
        }
        *response = *answer;
        return S_OK;
    }
    HRESULT SetReturnValue(const BSTR& returnValue) override {
        if (flashCallDepth_ > 0) {
            returnValue_ = returnValue;
        }
        return S_OK;
    }

    // ---- IFlashControlTooling --------------------------------------------------------------

    HRESULT SetTraceSink(std::function<void(std::u16string_view)> sink) override {
        traceSink_ = std::move(sink);
        return S_OK;
    }
    HRESULT UseVirtualClock(BOOL on) override {
        virtualClock_ = on != FALSE;
        updateTimer();
        return S_OK;
    }
    HRESULT AdvanceFrames(int count) override {
        if (count < 0) {
            return E_INVALIDARG;
        }
        ComPtr<IUnknown> keepAlive(identity());
        for (int i = 0; i < count; ++i) {
            tick();
        }
        return S_OK;
    }
    HRESULT InjectInput(const InputEvent& event) override {
        EngineCall call(*this);
        engine_->handleInput(event);
        return S_OK;
    }
    HRESULT PinWallClock(double millisecondsSinceEpoch) override {
        engine_->pinWallClock(millisecondsSinceEpoch);
        return S_OK;
    }
    HRESULT GetMovieInfo(MovieInfo* info) override {
        if (!info) {
            return E_POINTER;
        }
        *info = engine_->movieInfo();
        return S_OK;
    }
    HRESULT GetActiveAreas(std::vector<StageRect>* areas) override {
        if (!areas) {
            return E_POINTER;
        }
        EngineCall call(*this);
        *areas = engine_->activeAreas();
        return S_OK;
    }

  protected:
    void* queryExtra(REFIID iid) override {
        if (iid == IID_IDispatch) {
            return static_cast<IDispatch*>(static_cast<IShockwaveFlash*>(this));
        }
        if (iid == IID_IOleInPlaceObject || iid == IID_IOleWindow) {
            return static_cast<IOleInPlaceObject*>(static_cast<IOleInPlaceObjectWindowless*>(this));
        }
        if (iid == IPersist::kIid) {
            return static_cast<IPersist*>(static_cast<IPersistStreamInit*>(this));
        }
        return nullptr;
    }

  private:
    // Marks a stretch of engine work; when the outermost one ends, what the movie queued
    // meanwhile (commands, fetches, dirty areas) is delivered.
    class EngineCall {
      public:
        explicit EngineCall(FlashControl& c) : c_(c) { ++c_.engineDepth_; }
        ~EngineCall() {
            if (--c_.engineDepth_ == 0) {
                try {
                    c_.settle();
                } catch (...) {
                    // What the engine failed to take stays queued for the next call.
                    c_.settling_ = false;
                }
            }
        }

      private:
        FlashControl& c_;
    };

    // ---- MovieEngineHost -----------------------------------------------------------------

    void fsCommand(std::u16string_view command, std::u16string_view args) override {
        pendingCommands_.emplace_back(BSTR(command), BSTR(args));
    }
    std::u16string flashCall(std::u16string_view request) override {
        ComPtr<IUnknown> keepAlive(identity());
        BSTR saved = std::move(returnValue_);
        returnValue_.clear();
        ++flashCallDepth_;
        fireEvent(DISPID_FLASH_FLASHCALL, {VARIANT::fromString(BSTR(request))});
        --flashCallDepth_;
        BSTR answer = std::move(returnValue_);
        returnValue_ = std::move(saved);
        return answer;
    }
    void requestFetch(const FetchRequest& request) override { pendingFetches_.push_back(request); }
    void openSocket(const SocketRequest& request) override { sockets_.open(site_.get(), request); }
    void sendSocket(int id, std::span<const std::uint8_t> bytes) override {
        sockets_.send(id, bytes);
    }
    void closeSocket(int id) override { sockets_.close(id); }
    void trace(std::u16string_view line) override {
        if (traceSink_) {
            traceSink_(line);
        }
    }
    // A script chose how the stage is shown: it takes the place of the host's ScaleMode and
    // AlignMode, and the host's next setting of either takes it back.
    void stageDisplayChanged(ScaleMode scaleMode, int align) override {
        props_.scaleMode = scaleMode;
        props_.align = align & 15;
        dirtyAll_ = true;
    }
    void invalidate(std::optional<StageRect> area) override {
        if (!area) {
            dirtyAll_ = true;
            return;
        }
        const RECT r = intersect(coveringRect(matrixFor(objectRect_), *area), objectRect_);
        if (isEmpty(r)) {
            return;
        }
        dirtyRect_ = dirtyRect_ ? unite(*dirtyRect_, r) : r;
    }

    // ---- activation ----------------------------------------------------------------------

    HRESULT activate(IOleClientSite* activeSite, const RECT* position) {
        if (inPlace_) {
            if (position) {
                SetObjectRects(position, position);
            }
            return S_OK;
        }
        ComPtr<IOleClientSite> site = activeSite ? ComPtr<IOleClientSite>(activeSite) : site_;
        if (!site) {
            return E_UNEXPECTED;
        }
        auto windowless = site.as<IOleInPlaceSiteWindowless>();
        if (!windowless || windowless->CanWindowlessActivate() != S_OK) {
            return E_FAIL;  // there are no windows to activate in
        }
        BOOL noRedraw = FALSE;
        const HRESULT h = windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
        if (FAILED(h)) {
            return h;
        }
        ComPtr<IOleInPlaceFrame> frame;
        ComPtr<IOleInPlaceUIWindow> document;
        RECT windowPosition, windowClip;
        OLEINPLACEFRAMEINFO frameInfo;
        const bool haveContext = SUCCEEDED(windowless->GetWindowContext(
            frame.put(), document.put(), &windowPosition, &windowClip, &frameInfo));
        windowless_ = windowless;
        inPlace_ = true;
        if (position) {
            SetObjectRects(position, position);
        } else if (haveContext) {
            SetObjectRects(&windowPosition, &windowClip);
        }
        if (pendingMovie_) {
            LoadMovie(0, props_.movie);
        }
        return S_OK;
    }

    void deactivate() {
        if (!inPlace_) {
            return;
        }
        inPlace_ = false;
        auto windowless = std::move(windowless_);
        if (windowless) {
            windowless->OnInPlaceDeactivate();
        }
    }

    // ---- frames and timer ----------------------------------------------------------------

    double frameRate() const {
        const double rate = engine_->movieInfo().frameRate;
        return rate > 0 ? rate : kDefaultFrameRate;
    }

    // Runs from the timer, so nothing may escape: a frame the engine fails on is dropped.
    void tick() {
        ComPtr<IUnknown> keepAlive(identity());
        try {
            EngineCall call(*this);
            engine_->runFrame();
            engine_->advanceClock(1000.0 / frameRate());
        } catch (...) {
        }
    }

    void updateTimer() {
        const bool run = !virtualClock_ && engine_->movieInfo().loaded && site_ &&
                         QCoreApplication::instance() != nullptr;
        if (!run) {
            stopTimer();
            return;
        }
        const int interval = std::max(1, static_cast<int>(std::lround(1000.0 / frameRate())));
        if (!timer_) {
            timer_ = std::make_unique<QTimer>();
            timer_->setTimerType(Qt::PreciseTimer);
            QObject::connect(timer_.get(), &QTimer::timeout, [this] { tick(); });
        }
        if (!timer_->isActive() || timer_->interval() != interval) {
            timer_->start(interval);
        }
    }
    void stopTimer() {
        if (timer_) {
            timer_->stop();
        }
    }

    // Delivers what the movie queued: commands to the event sink, fetches to the engine; then
    // the dirty area to the site. Runs when the outermost engine call ends.
    void settle() {
        if (settling_) {
            return;
        }
        settling_ = true;
        ComPtr<IUnknown> keepAlive(identity());
        for (int round = 0; round < kMaxSettleRounds; ++round) {
            if (!pendingCommands_.empty()) {
                auto commands = std::move(pendingCommands_);
                pendingCommands_.clear();
                for (auto& [command, args] : commands) {
                    fireEvent(DISPID_FLASH_FSCOMMAND,
                              {VARIANT::fromString(command), VARIANT::fromString(args)});
                }
            } else if (!pendingFetches_.empty()) {
                const FetchRequest request = pendingFetches_.front();
                pendingFetches_.erase(pendingFetches_.begin());
                const auto bytes = fetch(request.url, Requester::Movie);
                ++engineDepth_;
                if (bytes) {
                    engine_->fetchCompleted(request.id, *bytes);
                } else {
                    engine_->fetchFailed(request.id);
                }
                --engineDepth_;
            } else if (stagePending_) {
                stagePending_ = false;
                ++engineDepth_;
                engine_->setStageDisplay(stageDisplay());
                --engineDepth_;
            } else if (auto report = sockets_.take()) {
                ++engineDepth_;
                deliverSocketReport(*report);
                --engineDepth_;
            } else {
                break;
            }
        }
        updateTimer();
        if (!deferPaint_) {
            flushInvalidation();
        }
        settling_ = false;
    }

    void deliverSocketReport(const SocketReport& report) {
        switch (report.kind) {
            case SocketReport::Kind::Connected:
            case SocketReport::Kind::Failed:
                engine_->socketConnected(report.id, report.kind == SocketReport::Kind::Connected);
                break;
            case SocketReport::Kind::Data:
                engine_->socketReceived(report.id, report.bytes);
                break;
            case SocketReport::Kind::Closed:
                engine_->socketClosed(report.id);
                break;
        }
    }

    void flushInvalidation() {
        if (!inPlace_ || !windowless_ || (!dirtyAll_ && !dirtyRect_)) {
            return;
        }
        const bool all = dirtyAll_;
        const RECT rect = dirtyRect_.value_or(RECT{});
        dirtyAll_ = false;
        dirtyRect_.reset();
        auto site = windowless_;
        site->InvalidateRect(all ? nullptr : &rect, FALSE);
    }

    // A change of how the movie shows. With a movie playing it reaches the site with the next
    // frame, as the movie's own changes do; without one no frame will come, so at once.
    void repaint() {
        dirtyAll_ = true;
        if (engineDepth_ == 0 && !settling_ && !engine_->movieInfo().loaded) {
            flushInvalidation();
        }
    }

    // ---- fetching ------------------------------------------------------------------------

    // Who asked for an address: the host names its movies itself and may take them from
    // anywhere; a movie reads only files inside the program's folder or its own.
    enum class Requester { Host, Movie };

    std::optional<std::vector<std::uint8_t>> fetch(const BSTR& address, Requester requester) {
        SiteFetch fetched = fetchThroughSite(site_.get(), address);
        switch (fetched.outcome) {
            case SiteFetch::Outcome::Delivered:
                return std::move(fetched.bytes);
            case SiteFetch::Outcome::Failed:
                return std::nullopt;
            case SiteFetch::Outcome::Refused:
                break;
        }
        const BSTR base = !props_.base.empty() ? props_.base : localFolderOf(movieUrl_);
        const auto path = requester == Requester::Host
                              ? localFilePath(address, base)
                              : movieFilePath(address, base, ole::executableFolder());
        if (!path) {
            return std::nullopt;
        }
        return readLocalFile(*path);
    }

    // ---- events --------------------------------------------------------------------------

    // `args` in natural order.
    void fireEvent(DISPID id, std::vector<VARIANT> args) {
        if (frozen_ > 0) {
            return;
        }
        ComPtr<IUnknown> keepAlive(identity());
        for (const auto& sink : events_.sinks()) {
            DISPPARAMS params;
            params.rgvarg.assign(args.rbegin(), args.rend());
            sink->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                         nullptr, nullptr);
        }
    }
    void notifyChanged(DISPID id) {
        for (const auto& sink : propertySinks_.sinks()) {
            sink->OnChanged(id);
        }
    }
    void setReadyState(LONG state) {
        if (readyState_ == state) {
            return;
        }
        readyState_ = state;
        notifyChanged(DISPID_READYSTATE);
        fireEvent(DISPID_FLASH_READYSTATECHANGE, {VARIANT::fromInt(state)});
    }

    // ---- input ---------------------------------------------------------------------------

    HRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
        if (uiDead_ && message != WM_SETCURSOR) {
            return S_FALSE;
        }
        if (message == WM_IME_COMPOSITION || message == WM_IME_REQUEST) {
            return handleImeMessage(message, wParam, lParam, result);
        }
        InputEvent event;
        const bool mouse =
            message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && message != WM_MOUSEWHEEL;
        if (mouse) {
            const auto inv = inverse(matrixFor(objectRect_));
            const double x = GET_X_LPARAM(lParam);
            const double y = GET_Y_LPARAM(lParam);
            if (inv) {
                event.x = inv->a * x + inv->c * y + inv->tx;
                event.y = inv->b * x + inv->d * y + inv->ty;
            }
        }
        auto button = [&](InputKind kind, MouseButton b) {
            event.kind = kind;
            event.button = b;
            if (windowless_) {
                windowless_->SetCapture(kind == InputKind::MouseDown ? TRUE : FALSE);
            }
        };
        switch (message) {
            case WM_MOUSEMOVE:
                event.kind = InputKind::MouseMove;
                break;
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK:
                button(InputKind::MouseDown, MouseButton::Left);
                break;
            case WM_LBUTTONUP:
                button(InputKind::MouseUp, MouseButton::Left);
                break;
            case WM_RBUTTONDOWN:
            case WM_RBUTTONDBLCLK:
                button(InputKind::MouseDown, MouseButton::Right);
                if (windowless_) {
                    HWND window = nullptr;
                    windowless_->GetWindow(&window);
                }
                break;
            case WM_RBUTTONUP:
                button(InputKind::MouseUp, MouseButton::Right);
                break;
            case WM_MBUTTONDOWN:
            case WM_MBUTTONDBLCLK:
                button(InputKind::MouseDown, MouseButton::Middle);
                break;
            case WM_MBUTTONUP:
                button(InputKind::MouseUp, MouseButton::Middle);
                break;
            case WM_MOUSELEAVE:
                event.kind = InputKind::MouseLeave;
                break;
            case WM_MOUSEWHEEL:
                event.kind = InputKind::MouseWheel;
                event.wheelDelta = static_cast<std::int16_t>((wParam >> 16) & 0xFFFF) / 120;
                break;
            case WM_KEYDOWN:
                event.kind = InputKind::KeyDown;
                event.keyCode = static_cast<int>(wParam);
                break;
            case WM_KEYUP:
                event.kind = InputKind::KeyUp;
                event.keyCode = static_cast<int>(wParam);
                break;
            case WM_CHAR:
                event.kind = InputKind::TextInput;
                event.character = static_cast<char16_t>(wParam);
                break;
            case WM_SETFOCUS:
                event.kind = InputKind::FocusGained;
                break;
            case WM_KILLFOCUS:
                event.kind = InputKind::FocusLost;
                break;
            case WM_SETCURSOR:
                if (result) {
                    switch (engine_->cursor()) {
                        case CursorShape::Hand:
                            *result = IDC_HAND;
                            break;
                        case CursorShape::IBeam:
                            *result = IDC_IBEAM;
                            break;
                        case CursorShape::Arrow:
                            *result = IDC_ARROW;
                            break;
                        case CursorShape::Hidden:
                            *result = 0;  // no cursor at all
                            break;
                    }
                }
                return S_OK;
            default:
                return S_FALSE;
        }
        ComPtr<IUnknown> keepAlive(identity());
        EngineCall call(*this);
        trackModifier(event);
        engine_->handleInput(event);
        if (event.kind == InputKind::KeyDown) {
            sendTextCommand(event.keyCode);
        }
        return S_OK;
    }

    // The input method's text being composed arrives a unit at a time and goes to the movie
    // whole; its committed text comes as characters.
    HRESULT handleImeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
        if (message == WM_IME_REQUEST) {
            return wParam == IMR_QUERYCHARPOSITION ? answerCaretQuery(lParam, result) : S_FALSE;
        }
        if (!(lParam & GCS_COMPSTR)) {
            return S_FALSE;
        }
        if (lParam & CS_INSERTCHAR) {
            composing_.push_back(static_cast<char16_t>(wParam));
            return S_OK;
        }
        InputEvent event;
        event.kind = InputKind::Composition;
        event.text.swap(composing_);
        composing_.clear();
        ComPtr<IUnknown> keepAlive(identity());
        EngineCall call(*this);
        engine_->handleInput(event);
        return S_OK;
    }

    // Where the focused text's caret is, in the host's client coordinates.
    HRESULT answerCaretQuery(LPARAM lParam, LRESULT* result) {
        auto* position = reinterpret_cast<IMECHARPOSITION*>(lParam);
        const std::optional<StageRect> caret = engine_->caretRect();
        if (result) {
            *result = 0;
        }
        if (!position || position->dwSize < sizeof(IMECHARPOSITION) || !caret) {
            return S_OK;
        }
        const StageMatrix m = matrixFor(objectRect_);
        auto map = [&](double x, double y) {
            return POINT{static_cast<LONG>(std::lround(m.a * x + m.c * y + m.tx)),
                         static_cast<LONG>(std::lround(m.b * x + m.d * y + m.ty))};
        };
        const POINT top = map(caret->left, caret->top);
        const POINT bottom = map(caret->left, caret->bottom);
        position->pt = top;
        position->cLineHeight = static_cast<UINT>(std::max<LONG>(1, bottom.y - top.y));
        position->rcDocument = objectRect_;
        if (result) {
            *result = 1;
        }
        return S_OK;
    }

    // Shift and Control as the host's key messages left them, for the editing commands.
    void trackModifier(const InputEvent& event) {
        const bool down = event.kind == InputKind::KeyDown;
        if (!down && event.kind != InputKind::KeyUp) {
            return;
        }
        if (event.keyCode == 0x10) {
            shiftDown_ = down;
        } else if (event.keyCode == 0x11) {
            controlDown_ = down;
        }
    }

    // After a key, what it does to the focused text: the key itself went to the movie.
    void sendTextCommand(int virtualKey) {
        InputEvent command;
        command.kind = InputKind::TextCommand;
        command.command = textCommandForKey(virtualKey, shiftDown_, controlDown_);
        if (command.command != TextCommand::None && engine_ && !uiDead_) {
            engine_->handleInput(command);
        }
    }

    // ---- properties ----------------------------------------------------------------------

    static bool validProperty(int index) { return index >= 0 && index <= 21; }

    StageLayout layoutFor(const RECT& object) const {
        const MovieInfo info = engine_->movieInfo();
        StageLayout layout;
        layout.object = object;
        layout.stageWidth = info.loaded ? info.stageWidth : 0;
        layout.stageHeight = info.loaded ? info.stageHeight : 0;
        layout.scaleMode = props_.scaleMode;
        layout.align = props_.align;
        layout.view = view_;
        return layout;
    }
    StageMatrix matrixFor(const RECT& object) const { return stageMatrix(layoutFor(object)); }

    StageDisplay stageDisplay() const {
        StageDisplay display;
        display.scaleMode = props_.scaleMode;
        display.align = props_.align;
        display.width = std::max<LONG>(0, objectRect_.right - objectRect_.left);
        display.height = std::max<LONG>(0, objectRect_.bottom - objectRect_.top);
        return display;
    }
    // Tells the engine how the stage is shown now; from inside an engine call (a host's
    // FlashCall handler resizing the control), once that call is over.
    void showStage() {
        if (!haveObjectRect_ || !engine_) {
            return;
        }
        if (engineDepth_ > 0) {
            stagePending_ = true;
            return;
        }
        // The host repaints what it resized or restyled itself: nothing is painted from here.
        const bool wasDeferring = std::exchange(deferPaint_, true);
        ComPtr<IUnknown> keepAlive(identity());
        try {
            EngineCall call(*this);
            engine_->setStageDisplay(stageDisplay());
        } catch (...) {
        }
        deferPaint_ = wasDeferring;
    }

    HRESULT getProperty(DISPID id, VARIANT* result) {
        switch (id) {
            case DISPID_FLASH_READYSTATE:
                *result = VARIANT::fromInt(readyState_);
                return S_OK;
            case DISPID_FLASH_MOVIE:
                *result = VARIANT::fromString(props_.movie);
                return S_OK;
            case DISPID_FLASH_QUALITY:
                *result = VARIANT::fromInt(qualityNumber(props_.quality));
                return S_OK;
            case DISPID_FLASH_LOOP:
                *result = VARIANT::fromBool(props_.loop);
                return S_OK;
            case DISPID_FLASH_FRAMENUM:
                *result = VARIANT::fromInt(engine_->currentFrame(u"").value_or(0));
                return S_OK;
            case DISPID_FLASH_SCALEMODE:
                *result = VARIANT::fromInt(static_cast<int>(props_.scaleMode));
                return S_OK;
            case DISPID_FLASH_ALIGNMODE:
                *result = VARIANT::fromInt(props_.align);
                return S_OK;
            case DISPID_FLASH_BACKGROUNDCOLOR:
                *result = VARIANT::fromInt(props_.backgroundColor);
                return S_OK;
            case DISPID_FLASH_TOTALFRAMES:
                *result = VARIANT::fromInt(engine_->totalFrames(u"").value_or(0));
                return S_OK;
            case DISPID_FLASH_PLAYING:
                *result = VARIANT::fromBool(engine_->movieInfo().loaded ? engine_->isPlaying(u"")
                                                                        : props_.playing);
                return S_OK;
            case DISPID_FLASH_WMODE:
                *result = VARIANT::fromString(windowModeText(props_.windowMode));
                return S_OK;
            case DISPID_FLASH_SALIGN:
                *result = VARIANT::fromString(alignText(props_.align));
                return S_OK;
            case DISPID_FLASH_MENU:
                *result = VARIANT::fromBool(props_.menu);
                return S_OK;
            case DISPID_FLASH_BASE:
                *result = VARIANT::fromString(props_.base);
                return S_OK;
            case DISPID_FLASH_SCALE:
                *result = VARIANT::fromString(scaleModeText(props_.scaleMode));
                return S_OK;
            case DISPID_FLASH_DEVICEFONT:
                *result = VARIANT::fromBool(props_.deviceFont);
                return S_OK;
            case DISPID_FLASH_EMBEDMOVIE:
                *result = VARIANT::fromBool(props_.embedMovie);
                return S_OK;
            case DISPID_FLASH_BGCOLOR:
                *result = VARIANT::fromString(colorText(props_.backgroundColor));
                return S_OK;
            case DISPID_FLASH_QUALITY2:
                *result = VARIANT::fromString(props_.quality);
                return S_OK;
            case DISPID_FLASH_SWREMOTE:
                *result = VARIANT::fromString(props_.swRemote);
                return S_OK;
            case DISPID_FLASH_FLASHVARS:
                *result = VARIANT::fromString(props_.flashVars);
                return S_OK;
            case DISPID_FLASH_ALLOWSCRIPTACCESS:
                *result = VARIANT::fromString(props_.allowScriptAccess);
                return S_OK;
            case DISPID_FLASH_MOVIEDATA:
                *result = VARIANT::fromString(props_.movieData);
                return S_OK;
            case DISPID_FLASH_SEAMLESSTABBING:
                *result = VARIANT::fromBool(props_.seamlessTabbing);
                return S_OK;
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

    // A value that does not convert fails with DISP_E_TYPEMISMATCH and leaves the property.
    HRESULT putProperty(DISPID id, const VARIANT& value) {
        auto text = [&](BSTR& field) {
            const auto v = variantToString(value);
            if (!v) {
                return DISP_E_TYPEMISMATCH;
            }
            field = *v;
            return S_OK;
        };
        auto flag = [&](bool& field) {
            const auto v = variantToBool(value);
            if (!v) {
                return DISP_E_TYPEMISMATCH;
            }
            field = *v;
            return S_OK;
        };
        // A property set from text as `parse` reads it, then shown; `restage` where it moves
        // the stage.
        auto parsed = [&](auto& field, auto parse, bool restage) {
            BSTR given;
            const HRESULT h = text(given);
            if (SUCCEEDED(h)) {
                field = parse(given);
                repaint();
                if (restage) {
                    showStage();
                }
            }
            return h;
        };
        switch (id) {
            case DISPID_FLASH_MOVIE: {
                const auto v = variantToString(value);
                if (!v) {
                    return DISP_E_TYPEMISMATCH;
                }
                return LoadMovie(0, *v);
            }
            case DISPID_FLASH_QUALITY: {
                const auto v = variantToInt(value);
                if (!v) {
                    return DISP_E_TYPEMISMATCH;
                }
                props_.quality = qualityFromNumber(*v);
                repaint();
                return S_OK;
            }
            case DISPID_FLASH_LOOP: {
                const HRESULT h = flag(props_.loop);
                engine_->setLoop(props_.loop);
                return h;
            }
            case DISPID_FLASH_FRAMENUM: {
                const auto v = variantToInt(value);
                if (!v) {
                    return DISP_E_TYPEMISMATCH;
                }
                return GotoFrame(*v);
            }
            case DISPID_FLASH_SCALEMODE: {
                const auto v = variantToInt(value);
                if (!v) {
                    return DISP_E_TYPEMISMATCH;
                }
                if (*v < 0 || *v > 3) {
                    return E_INVALIDARG;
                }
                props_.scaleMode = static_cast<ScaleMode>(*v);
                repaint();
                showStage();
                return S_OK;
            }
            case DISPID_FLASH_ALIGNMODE: {
                const auto v = variantToInt(value);
                if (!v) {
                    return DISP_E_TYPEMISMATCH;
                }
                props_.align = *v & 15;
                repaint();
                showStage();
                return S_OK;
            }
            case DISPID_FLASH_BACKGROUNDCOLOR: {
                const auto v = variantToInt(value);
                if (!v) {
                    return DISP_E_TYPEMISMATCH;
                }
                props_.backgroundColor = *v < 0 ? -1 : (*v & 0xFFFFFF);
                repaint();
                return S_OK;
            }
            case DISPID_FLASH_PLAYING: {
                const auto v = variantToBool(value);
                if (!v) {
                    return DISP_E_TYPEMISMATCH;
                }
                return *v ? Play() : StopPlay();
            }
            case DISPID_FLASH_WMODE:
                return parsed(props_.windowMode, parseWindowMode, false);
            case DISPID_FLASH_SALIGN:
                return parsed(props_.align, parseAlign, true);
            case DISPID_FLASH_MENU:
                return flag(props_.menu);
            case DISPID_FLASH_BASE:
                return text(props_.base);
            case DISPID_FLASH_SCALE:
                return parsed(props_.scaleMode, parseScaleMode, true);
            case DISPID_FLASH_DEVICEFONT:
                return flag(props_.deviceFont);
            case DISPID_FLASH_EMBEDMOVIE:
                return flag(props_.embedMovie);
            case DISPID_FLASH_BGCOLOR:
                return parsed(props_.backgroundColor, parseColor, false);
            case DISPID_FLASH_QUALITY2:
                return parsed(props_.quality, canonicalQuality, false);
            case DISPID_FLASH_SWREMOTE:
                return text(props_.swRemote);
            case DISPID_FLASH_FLASHVARS:
                return text(props_.flashVars);
            case DISPID_FLASH_ALLOWSCRIPTACCESS:
                return text(props_.allowScriptAccess);
            case DISPID_FLASH_MOVIEDATA:
                return text(props_.movieData);
            case DISPID_FLASH_SEAMLESSTABBING:
                return flag(props_.seamlessTabbing);
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

    std::unique_ptr<MovieEngine> engine_;
    ConnectionPoint<IDispatch> events_;
    ConnectionPoint<IPropertyNotifySink> propertySinks_;
    ComPtr<IOleClientSite> site_;
    SiteSockets sockets_;
    ComPtr<IOleInPlaceSiteWindowless> windowless_;
    bool inPlace_ = false;
    RECT objectRect_{};
    RECT clipRect_{};
    bool haveObjectRect_ = false;
    ControlProperties props_;
    bool dirty_ = false;
    bool pendingMovie_ = false;
    BSTR movieUrl_;
    LONG readyState_ = FLASH_READYSTATE_COMPLETE;
    std::optional<StageRect> view_;
    bool userMode_ = true;
    bool shiftDown_ = false;  // as the last key messages left them
    bool controlDown_ = false;
    std::u16string composing_;  // units of the input method's composition gathered so far
    bool uiDead_ = false;
    int frozen_ = 0;

    int engineDepth_ = 0;
    bool stagePending_ = false;  // the engine has yet to hear how the stage is shown
    bool settling_ = false;
    std::vector<std::pair<BSTR, BSTR>> pendingCommands_;
    std::vector<FetchRequest> pendingFetches_;
    bool dirtyAll_ = false;
    std::optional<RECT> dirtyRect_;
    bool deferPaint_ = false;

    int flashCallDepth_ = 0;
    BSTR returnValue_;

    std::unique_ptr<QTimer> timer_;
    bool virtualClock_ = false;
    std::function<void(std::u16string_view)> traceSink_;
};

}  // namespace

HRESULT createFlashControl(const MovieEngineFactory& factory, REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    std::unique_ptr<MovieEngine> engine = factory ? factory() : nullptr;
    if (!engine) {
        return E_FAIL;
    }
    auto control = makeCom<FlashControl>(std::move(engine));
    return control->QueryInterface(iid, object);
}

void registerFlashControl(MovieEngineFactory factory) {
    CoRegisterClass(CLSID_ShockwaveFlash, [factory = std::move(factory)](REFIID iid, void** out) {
        return createFlashControl(factory, iid, out);
    });
}

}  // namespace pencora::flash
