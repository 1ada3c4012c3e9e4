#include "movie_host.h"

#include <QClipboard>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/flash/control/flash_control_tooling.h"
#include "platform/ole/class_registry.h"
#include "platform/ole/shockwave_flash.h"
#include "served_folder.h"

namespace pencora::swfplay {

using namespace ole;

namespace {

// The site: client site, windowless in-place site and ambient properties on one object.
// Invalidations are ignored since swfplay draws when it wants a frame.
class Site final
    : public ComObject<IOleClientSite, IOleInPlaceSiteWindowless, IDispatch, IServiceProvider> {
  public:
    // The bind host serving the loaded movie's folder.
    HRESULT QueryService(REFGUID service, REFIID iid, void** object) override {
        if (object) {
            *object = nullptr;
        }
        if (!bindHost || (service != SID_SBindHost && service != SID_IBindHost) ||
            iid != IID_IBindHost) {
            return E_NOINTERFACE;
        }
        return hand(bindHost.get(), object);
    }
    HRESULT SaveObject() override { return S_OK; }
    HRESULT GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker) {
            *moniker = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT GetContainer(IOleContainer** container) override {
        if (container) {
            *container = nullptr;
        }
        return E_NOINTERFACE;
    }
    HRESULT ShowObject() override { return S_OK; }
    HRESULT OnShowWindow(BOOL) override { return S_OK; }
    HRESULT RequestNewObjectLayout() override { return E_NOTIMPL; }
    HRESULT GetWindow(HWND* window) override {
        if (window) {
            *window = nullptr;
        }
        return E_FAIL;
    }
    HRESULT ContextSensitiveHelp(BOOL) override { return S_OK; }
    HRESULT CanInPlaceActivate() override { return S_OK; }
    HRESULT OnInPlaceActivate() override { return S_OK; }
    HRESULT OnUIActivate() override { return S_OK; }
    HRESULT GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                             RECT* position, RECT* clip, OLEINPLACEFRAMEINFO* info) override {
        *frame = nullptr;
        *document = nullptr;
        *position = RECT{0, 0, width, height};
        *clip = RECT{0, 0, 32767, 32767};
        *info = OLEINPLACEFRAMEINFO{};
        return S_OK;
    }
    HRESULT Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT OnInPlaceDeactivate() override { return S_OK; }
    HRESULT DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT DeactivateAndUndo() override { return S_OK; }
    HRESULT OnPosRectChange(const RECT*) override { return S_OK; }
    HRESULT OnInPlaceActivateEx(BOOL*, DWORD) override { return S_OK; }
    HRESULT OnInPlaceDeactivateEx(BOOL) override { return S_OK; }
    HRESULT RequestUIActivate() override { return S_OK; }
    HRESULT CanWindowlessActivate() override { return S_OK; }
    HRESULT GetCapture() override { return S_FALSE; }
    HRESULT SetCapture(BOOL) override { return S_OK; }
    HRESULT GetFocus() override { return S_OK; }
    HRESULT SetFocus(BOOL) override { return S_OK; }
    HRESULT GetDC(const RECT*, DWORD, HDC* dc) override {
        if (dc) {
            *dc = nullptr;
        }
        return E_FAIL;
    }
    HRESULT ReleaseDC(HDC) override { return S_OK; }
    HRESULT InvalidateRect(const RECT* r, BOOL) override {
        const RECT area = r ? *r : RECT{0, 0, width, height};
        if (dirty) {
            dirty = RECT{std::min(dirty->left, area.left), std::min(dirty->top, area.top),
                         std::max(dirty->right, area.right), std::max(dirty->bottom, area.bottom)};
        } else {
            dirty = area;
        }
        return S_OK;
    }
    HRESULT InvalidateRgn(HRGN, BOOL) override { return InvalidateRect(nullptr, FALSE); }
    HRESULT ScrollRect(int, int, const RECT*, const RECT*) override { return S_OK; }
    HRESULT AdjustRect(RECT*) override { return S_OK; }
    HRESULT OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) override {
        if (result) {
            *result = 0;
        }
        return S_OK;
    }
    HRESULT GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, const BSTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                   UINT*) override {
        if (!(flags & DISPATCH_PROPERTYGET) || !result) {
            return DISP_E_MEMBERNOTFOUND;
        }
        if (id == DISPID_AMBIENT_USERMODE) {
            *result = VARIANT::fromBool(true);
            return S_OK;
        }
        if (id == DISPID_AMBIENT_UIDEAD) {
            *result = VARIANT::fromBool(false);
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

    LONG width = 550;
    LONG height = 400;
    std::optional<RECT> dirty;  // what the control asked to have repainted since last asked
    ComPtr<IBindHost> bindHost;
};

class Events final : public ComObject<IDispatch> {
  public:
    HRESULT GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, const BSTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                   UINT*) override {
        // Arguments arrive last first.
        if (id == DISPID_FLASH_FSCOMMAND && params && params->rgvarg.size() == 2 && onCommand) {
            onCommand(params->rgvarg[1].bstrVal, params->rgvarg[0].bstrVal);
        }
        return S_OK;
    }
    std::function<void(const BSTR&, const BSTR&)> onCommand;

  protected:
    void* queryExtra(REFIID iid) override {
        return iid == DIID__IShockwaveFlashEvents ? static_cast<IDispatch*>(this) : nullptr;
    }
};

}  // namespace

struct MovieHost::Impl {
    ComPtr<Site> site = makeCom<Site>();
    ComPtr<Events> events = makeCom<Events>();
    ComPtr<IOleObject> object;
    ComPtr<IShockwaveFlash> flash;
    ComPtr<flash::IFlashControlTooling> tooling;
    ComPtr<IConnectionPoint> eventPoint;
    DWORD eventCookie = 0;
    std::string error;
    bool sizeSet = false;
    ComPtr<ISocketHost> sockets;
};

MovieHost::MovieHost() : impl_(std::make_unique<Impl>()) {
    Impl& d = *impl_;
    HRESULT h = CoCreateInstance(CLSID_ShockwaveFlash, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IOleObject, d.object.putVoid());
    if (FAILED(h)) {
        d.error = "the Flash control is not available: " + describeResult(h);
        return;
    }
    d.object->SetClientSite(d.site.get());
    if (auto persist = d.object.as<IPersistStreamInit>()) {
        persist->InitNew();
    }
    if (auto points = d.object.as<IConnectionPointContainer>();
        points &&
        SUCCEEDED(points->FindConnectionPoint(DIID__IShockwaveFlashEvents, d.eventPoint.put()))) {
        d.eventPoint->Advise(d.events->identity(), &d.eventCookie);
    }
    d.events->onCommand = [this](const BSTR& command, const BSTR& args) {
        if (onCommand) {
            onCommand(command, args);
        }
    };
    if (auto control = d.object.as<IOleControl>()) {
        control->OnAmbientPropertyChange(DISPID_UNKNOWN_ALL);
    }
    h = d.object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, d.site.get(), 0, nullptr, nullptr);
    d.flash = d.object.as<IShockwaveFlash>();
    d.tooling = d.object.as<flash::IFlashControlTooling>();
    if (FAILED(h) || !d.flash || !d.tooling) {
        d.error = "the Flash control did not embed: " + describeResult(h);
        d.flash.reset();
        return;
    }
    d.tooling->UseVirtualClock(TRUE);
    d.tooling->SetTraceSink([this](std::u16string_view line) {
        if (onTrace) {
            onTrace(std::u16string(line));
        }
    });
}

MovieHost::~MovieHost() {
    Impl& d = *impl_;
    if (d.object) {
        d.object->Close(OLECLOSE_NOSAVE);
        if (d.eventPoint) {
            d.eventPoint->Unadvise(d.eventCookie);
        }
        if (d.tooling) {
            d.tooling->SetTraceSink(nullptr);
        }
        d.object->SetClientSite(nullptr);
    }
}

bool MovieHost::available() const {
    return static_cast<bool>(impl_->flash);
}
const std::string& MovieHost::error() const {
    return impl_->error;
}

RenderSize fitRenderSize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    const int larger = std::max(width, height);
    if (larger <= kMaxRenderSide) {
        return {width, height};
    }
    const double scale = double(kMaxRenderSide) / larger;
    return {std::clamp(int(std::lround(width * scale)), 1, kMaxRenderSide),
            std::clamp(int(std::lround(height * scale)), 1, kMaxRenderSide)};
}

void MovieHost::setSocketHost(ComPtr<ISocketHost> sockets) {
    impl_->sockets = std::move(sockets);
}

bool MovieHost::load(const std::filesystem::path& movie) {
    if (!available()) {
        return false;
    }
    // The movie's folder is served as the root of its addresses: it reads as file:///NAME.
    const auto absolute = std::filesystem::absolute(movie).lexically_normal();
    impl_->site->bindHost = makeServedFolder(absolute.parent_path(), impl_->sockets);
    impl_->flash->LoadMovie(0, servedAddress(absolute));
    if (!info().loaded) {
        return false;
    }
    if (!impl_->sizeSet) {
        const RenderSize size = fitRenderSize(stageWidth(), stageHeight());
        setSize(size.width, size.height);
        impl_->sizeSet = false;
    }
    return true;
}

void MovieHost::pinWallClock(double millisecondsSinceEpoch) {
    if (impl_->tooling) {
        impl_->tooling->PinWallClock(millisecondsSinceEpoch);
    }
}

flash::MovieInfo MovieHost::info() const {
    flash::MovieInfo info;
    if (impl_->tooling) {
        impl_->tooling->GetMovieInfo(&info);
    }
    return info;
}

int MovieHost::stageWidth() const {
    const auto i = info();
    return i.loaded && i.stageWidth >= 1 ? static_cast<int>(std::lround(i.stageWidth)) : 550;
}

int MovieHost::stageHeight() const {
    const auto i = info();
    return i.loaded && i.stageHeight >= 1 ? static_cast<int>(std::lround(i.stageHeight)) : 400;
}

void MovieHost::setQuality(const std::u16string& quality) {
    if (impl_->flash) {
        dispatchPut(impl_->flash.get(), DISPID_FLASH_QUALITY2, VARIANT::fromString(quality));
    }
}

void MovieHost::setSize(int width, int height) {
    impl_->site->width = width;
    impl_->site->height = height;
    impl_->sizeSet = true;
    if (auto inPlace = impl_->object ? impl_->object.as<IOleInPlaceObject>() : nullptr) {
        const RECT r{0, 0, width, height};
        inPlace->SetObjectRects(&r, &r);
    }
}

void MovieHost::advance(int frames) {
    if (impl_->tooling) {
        impl_->tooling->AdvanceFrames(frames);
    }
}

void MovieHost::inject(const flash::InputEvent& event) {
    if (impl_->tooling) {
        impl_->tooling->InjectInput(event);
    }
}

void MovieHost::inject(const ScriptEvent& event) {
    if (event.clipboard) {
        QGuiApplication::clipboard()->setText(QString::fromStdU16String(*event.clipboard));
        return;
    }
    inject(static_cast<const flash::InputEvent&>(event));
}

QImage MovieHost::render() {
    const int w = impl_->site->width;
    const int h = impl_->site->height;
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    auto view = impl_->object ? impl_->object.as<IViewObject>() : nullptr;
    if (!view) {
        return image;
    }
    DeviceContext dc{image.bits(), w, h, static_cast<int>(image.bytesPerLine()), POINT{}};
    const RECTL bounds{0, 0, w, h};
    view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &dc, &bounds, nullptr, nullptr, 0);
    return image;
}

ole::IShockwaveFlash* MovieHost::control() const {
    return impl_->flash.get();
}

std::vector<flash::StageRect> MovieHost::activeAreas() {
    std::vector<flash::StageRect> areas;
    if (impl_->tooling) {
        impl_->tooling->GetActiveAreas(&areas);
    }
    return areas;
}

std::optional<QRect> MovieHost::takeDirty() {
    const std::optional<RECT> r = std::exchange(impl_->site->dirty, std::nullopt);
    if (!r) {
        return std::nullopt;
    }
    const QRect area = QRect(QPoint(r->left, r->top), QPoint(r->right - 1, r->bottom - 1))
                           .intersected(QRect(0, 0, impl_->site->width, impl_->site->height));
    return area.isEmpty() ? std::nullopt : std::optional(area);
}

void MovieHost::drawArea(QImage& scratch, const QRect& area) {
    auto view = impl_->object ? impl_->object.as<IViewObject>() : nullptr;
    if (!view || scratch.format() != QImage::Format_ARGB32_Premultiplied) {
        return;
    }
    DeviceContext dc{scratch.bits(), scratch.width(), scratch.height(),
                     static_cast<int>(scratch.bytesPerLine()), POINT{area.left(), area.top()}};
    const RECTL bounds{0, 0, area.right() + 1, area.bottom() + 1};
    view->Draw(DVASPECT_TRANSPARENT, -1, nullptr, nullptr, nullptr, &dc, &bounds, nullptr, nullptr,
               0);
}

std::u16string qualityName(std::string_view text) {
    std::string lower;
    for (char c : text) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (lower == "low") {
        return u"Low";
    }
    if (lower == "medium") {
        return u"Medium";
    }
    if (lower == "high") {
        return u"High";
    }
    if (lower == "best") {
        return u"Best";
    }
    return {};
}

}  // namespace pencora::swfplay
