#include "player/ole_control.h"

#include <QFrame>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/ole/class_registry.h"
#include "platform/ui/error_report.h"
#include "player/key_messages.h"
#include "player/ole_error.h"

namespace pencora::player {

using namespace ole;

namespace {

inline constexpr WPARAM MK_LBUTTON = 0x1;
inline constexpr WPARAM MK_RBUTTON = 0x2;
inline constexpr WPARAM MK_SHIFT = 0x4;
inline constexpr WPARAM MK_CONTROL = 0x8;
inline constexpr WPARAM MK_MBUTTON = 0x10;
// WM_SETCURSOR's lParam: hit-test HTCLIENT, mouse message WM_MOUSEMOVE.
inline constexpr LPARAM kSetCursorOverClient = 0x02000001;

WPARAM mouseKeys(const QMouseEvent* e) {
    WPARAM k = 0;
    if (e->buttons() & Qt::LeftButton) {
        k |= MK_LBUTTON;
    }
    if (e->buttons() & Qt::RightButton) {
        k |= MK_RBUTTON;
    }
    if (e->buttons() & Qt::MiddleButton) {
        k |= MK_MBUTTON;
    }
    if (e->modifiers() & Qt::ShiftModifier) {
        k |= MK_SHIFT;
    }
    if (e->modifiers() & Qt::ControlModifier) {
        k |= MK_CONTROL;
    }
    return k;
}

// The message for `button` of those given for the left, right and middle buttons; 0 for
// another button.
UINT buttonMessage(Qt::MouseButton button, UINT left, UINT right, UINT middle) {
    switch (button) {
        case Qt::LeftButton:
            return left;
        case Qt::RightButton:
            return right;
        case Qt::MiddleButton:
            return middle;
        default:
            return 0;
    }
}

// 0x00BBGGRR, the colour form of the contract.
LONG toOleColor(const QColor& c) {
    return static_cast<LONG>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

QColor fromOleColor(LONG v) {
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

LONG himetricToPixels(LONG himetric, int ppi) {
    return static_cast<LONG>(std::lround(static_cast<double>(himetric) * ppi / 2540.0));
}

}  // namespace

void DeriveAlpha(const std::uint8_t* k, std::uint8_t* w) {
    const auto a = static_cast<std::uint8_t>(255 - static_cast<std::uint8_t>(w[0] - k[0]));
    if (a == 0) {
        w[0] = w[1] = w[2] = w[3] = 0;
        return;
    }
    w[3] = a;
    for (int i = 0; i < 3; ++i) {
        w[i] = static_cast<std::uint8_t>((k[i] * a + 127) / 255);
    }
}

// ---------------------------------------------------------------- construction, lifetime

TsfOleControl::TsfOleControl(QWidget* parent)
    : QWidget(parent), FColor(palette().color(QPalette::Window)) {
    setMouseTracking(true);
    // Text composed in an input method (Chinese, Japanese ...) reaches the movie as characters.
    setAttribute(Qt::WA_InputMethodEnabled);
    // No focus policy of its own: the host takes no keyboard focus (a click on a movie must
    // not pull the keyboard away from the program's edit boxes). A form that wants the movie
    // to hear keys gives the player the focus; its key events then reach the control.
}

TsfOleControl::~TsfOleControl() {
    ReleaseControl();
    if (FControlData && --FControlData->InstanceCount < 0) {
        FControlData->InstanceCount = 0;
    }
}

void TsfOleControl::Disconnect() {
    if (auto points = FOleObject.as<IConnectionPointContainer>()) {
        ComPtr<IConnectionPoint> point;
        if (FEventsConnection && FControlData &&
            SUCCEEDED(points->FindConnectionPoint(FControlData->EventIID, point.put()))) {
            point->Unadvise(FEventsConnection);
        }
        if (FPropConnection &&
            SUCCEEDED(points->FindConnectionPoint(IID_IPropertyNotifySink, point.put()))) {
            point->Unadvise(FPropConnection);
        }
    }
    FEventsConnection = FPropConnection = 0;
}

void TsfOleControl::ReleaseControl() {
    if (!FOleObject) {
        return;
    }
    FOleObject->Close(OLECLOSE_NOSAVE);
    Disconnect();
    FViewObject.reset();
    FOleInPlaceObjectWindowless.reset();
    FOleInPlaceActiveObject.reset();
    FOleInPlaceObject.reset();
    FPropBrowsing.reset();
    FControlDispatch.reset();
    FOleControl.reset();
    FPersistStream.reset();
    FObjectData.reset();
    FOleObject->SetClientSite(nullptr);
    FOleObject.reset();
}

void TsfOleControl::CreateControl() {
    FControlData = DefineControlClass();
    ++FControlData->InstanceCount;
    FEventDispatch = std::make_unique<TEventDispatch>(this, FControlData->EventIID);
    if (FAILED(CoCreateInstance(FControlData->ClassID, nullptr,
                                CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IOleObject,
                                FOleObject.putVoid())) ||
        !FOleObject) {
        FOleObject.reset();
        return;
    }
    FOleObject->GetMiscStatus(DVASPECT_CONTENT, &FMiscStatus);
    if (FMiscStatus & OLEMISC_SETCLIENTSITEFIRST) {
        FOleObject->SetClientSite(static_cast<IOleClientSite*>(this));
    }
    FPersistStream = FOleObject.as<IPersistStreamInit>();
    if (FMiscStatus & OLEMISC_INVISIBLEATRUNTIME) {
        setVisible(false);
    }
    RequestNewObjectLayout();
}

void TsfOleControl::CreateControlRuntime() {
    if (!FOleObject || FOleControl) {
        return;
    }
    try {
        ComPtr<IOleClientSite> site;
        if (FAILED(FOleObject->GetClientSite(site.put())) || !site) {
            check(FOleObject->SetClientSite(static_cast<IOleClientSite*>(this)));
        }
        if (FPersistStream) {
            if (FObjectData) {
                ComPtr<IStream> stream;
                check(CreateStreamOnHGlobal(FObjectData, FALSE, stream.put()));
                check(FPersistStream->Load(stream.get()));
                FObjectData.reset();
            } else {
                check(FPersistStream->InitNew());
            }
        }
        FOleControl = FOleObject.as<IOleControl>();
        FControlDispatch = FOleObject.as<IDispatch>();
        if (!FOleControl || !FControlDispatch) {
            throw OleError(E_NOINTERFACE);
        }
        FPropBrowsing = FOleObject.as<IPerPropertyBrowsing>();
        if (auto points = FOleObject.as<IConnectionPointContainer>()) {
            ComPtr<IConnectionPoint> point;
            if (SUCCEEDED(points->FindConnectionPoint(IID_IPropertyNotifySink, point.put()))) {
                check(point->Advise(static_cast<IPropertyNotifySink*>(this), &FPropConnection));
            }
            if (SUCCEEDED(points->FindConnectionPoint(FControlData->EventIID, point.put()))) {
                check(point->Advise(FEventDispatch.get(), &FEventsConnection));
            }
        }
        if (FControlData->ApplyBackColor) {
            OnChanged(DISPID_BACKCOLOR);
        }
        if (FControlData->ApplyEnabled) {
            OnChanged(DISPID_ENABLED);
        }
        if (FControlData->ApplyFont) {
            OnChanged(DISPID_FONT);
        }
        if (FControlData->ApplyForeColor) {
            OnChanged(DISPID_FORECOLOR);
        }
        FOleControl->OnAmbientPropertyChange(DISPID_UNKNOWN_ALL);
        RequestNewObjectLayout();
    } catch (...) {
        Disconnect();
        FPropBrowsing.reset();
        FControlDispatch.reset();
        FOleControl.reset();
        throw;
    }
    PrepareControlInterface();
}

void TsfOleControl::ActivateInPlace() {
    if (!FOleObject) {
        return;
    }
    CreateControlRuntime();
    if (FMiscStatus & OLEMISC_INVISIBLEATRUNTIME) {
        return;
    }
    const RECT position{x(), y(), x() + width(), y() + height()};
    FOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0,
                       nullptr, &position);
    if (!FOleInPlaceObject) {
        throw std::runtime_error("OLE control activation failed");
    }
    if (FOleInPlaceObjectWindowless) {
        LRESULT result = 0;
        FOleInPlaceObjectWindowless->OnWindowMessage(WM_SETFOCUS, 0, 0, &result);
    }
}

// ---------------------------------------------------------------- IUnknown

HRESULT TsfOleControl::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    void* found = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
        found = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IServiceProvider) {
        found = static_cast<IServiceProvider*>(this);
    } else if (iid == IID_IParseDisplayName) {
        found = static_cast<IParseDisplayName*>(this);
    } else if (iid == IID_IPropertyNotifySink) {
        found = static_cast<IPropertyNotifySink*>(this);
    } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleWindow ||
               iid == IID_IOleInPlaceFrame) {
        found = static_cast<IOleInPlaceFrame*>(this);
    } else if (iid == IID_IDispatch) {
        found = static_cast<IDispatch*>(this);
    } else if (iid == IID_IOleInPlaceSiteWindowless || iid == IID_IOleInPlaceSiteEx ||
               iid == IID_IOleInPlaceSite) {
        found = static_cast<IOleInPlaceSiteWindowless*>(this);
    } else if (iid == IID_IOleControlSite) {
        found = static_cast<IOleControlSite*>(this);
    } else {
        found = queryHostInterface(iid);
    }
    if (!found) {
        return E_NOINTERFACE;
    }
    *object = found;
    AddRef();
    return S_OK;
}

// ---------------------------------------------------------------- client and control site

HRESULT TsfOleControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT TsfOleControl::GetContainer(IOleContainer** container) {
    if (container) {
        *container = nullptr;
    }
    return E_NOINTERFACE;
}

HRESULT TsfOleControl::RequestNewObjectLayout() {
    if (!FOleObject) {
        return E_FAIL;
    }
    SIZEL extent;
    const HRESULT h = FOleObject->GetExtent(DVASPECT_CONTENT, &extent);
    if (FAILED(h)) {
        return h;
    }
    LONG w = himetricToPixels(extent.cx, logicalDpiX());
    LONG hgt = himetricToPixels(extent.cy, logicalDpiY());
    if ((FMiscStatus & OLEMISC_INVISIBLEATRUNTIME) && !FOleObject.as<IOleControl>()) {
        w = std::min<LONG>(w, 32);
        hgt = std::min<LONG>(hgt, 32);
    }
    SetBounds(x(), y(), w, hgt);
    return S_OK;
}

HRESULT TsfOleControl::GetExtendedControl(IDispatch** control) {
    if (control) {
        *control = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT TsfOleControl::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) {
    if (!himetric || !container) {
        return E_POINTER;
    }
    const int ppx = logicalDpiX();
    const int ppy = logicalDpiY();
    if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
        container->x = static_cast<float>(static_cast<std::int64_t>(himetric->x) * ppx / 2540);
        container->y = static_cast<float>(static_cast<std::int64_t>(himetric->y) * ppy / 2540);
    } else {
        himetric->x = static_cast<LONG>(std::lround(container->x * 2540.0 / ppx));
        himetric->y = static_cast<LONG>(std::lround(container->y * 2540.0 / ppy));
    }
    return S_OK;
}

HRESULT TsfOleControl::ParseDisplayName(IBindCtx*, const BSTR&, ULONG*, IMoniker** moniker) {
    if (moniker) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT TsfOleControl::QueryService(REFGUID, REFIID iid, void** object) {
    return QueryInterface(iid, object);
}

// ---------------------------------------------------------------- in-place site

HRESULT TsfOleControl::SiteGetWindow(HWND* window) {
    if (!window) {
        return E_POINTER;
    }
    *window = nullptr;
    // Only right after a forwarded right-button press does the control get a window (for
    // its context menu); otherwise it has none to open anything on.
    if (FNeedHandle && parentWidget()) {
        FNeedHandle = false;
        *window = reinterpret_cast<HWND>(parentWidget());
        return S_OK;
    }
    return E_FAIL;
}

HRESULT TsfOleControl::OnInPlaceActivate() {
    FOleInPlaceObject = FOleObject.as<IOleInPlaceObject>();
    FOleInPlaceActiveObject = FOleObject.as<IOleInPlaceActiveObject>();
    FOleInPlaceObjectWindowless = FOleObject.as<IOleInPlaceObjectWindowless>();
    FViewObject = FOleObject.as<IViewObject>();
    return S_OK;
}

HRESULT TsfOleControl::OnInPlaceDeactivate() {
    FOleInPlaceObject.reset();
    FOleInPlaceActiveObject.reset();
    FOleInPlaceObjectWindowless.reset();
    FViewObject.reset();
    return S_OK;
}

HRESULT TsfOleControl::OnUIDeactivate(BOOL) {
    SetMenu(nullptr, nullptr, nullptr);
    return S_OK;
}

HRESULT TsfOleControl::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                        RECT* position, RECT* clip, OLEINPLACEFRAMEINFO* info) {
    if (frame) {
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
    }
    if (document) {
        *document = nullptr;
    }
    if (position) {
        *position = RECT{x(), y(), x() + width(), y() + height()};
    }
    if (clip) {
        *clip = RECT{0, 0, 32767, 32767};
    }
    if (info) {
        *info = OLEINPLACEFRAMEINFO{};
    }
    return S_OK;
}

HRESULT TsfOleControl::DeactivateAndUndo() {
    if (FOleInPlaceObject) {
        FOleInPlaceObject->UIDeactivate();
    }
    return S_OK;
}

HRESULT TsfOleControl::OnPosRectChange(const RECT* position) {
    if (FOleInPlaceObject && position) {
        const RECT clip{0, 0, 32767, 32767};
        FOleInPlaceObject->SetObjectRects(position, &clip);
    }
    return S_OK;
}

HRESULT TsfOleControl::SetCapture(BOOL capture) {
    if (parentWidget()) {
        FCaptured = capture != FALSE;
    }
    return S_OK;
}

HRESULT TsfOleControl::GetDC(const RECT*, DWORD, HDC* dc) {
    if (!dc) {
        return E_POINTER;
    }
    // The host has no surface of its own to lend: the control draws straight into the shown
    // frame, which the next paint event puts on the screen.
    *dc = FBuffer2 ? FBuffer2->dc() : nullptr;
    return S_OK;
}

HRESULT TsfOleControl::ReleaseDC(HDC) {
    FComposedPending = true;
    update();
    return S_OK;
}

HRESULT TsfOleControl::InvalidateRect(const RECT* rect, BOOL) {
    if (!parentWidget()) {
        return S_OK;
    }
    const bool whole = !rect || FNeedUpdate;
    if (whole) {
        FNeedUpdate = false;
        Paint(nullptr);
    } else {
        Paint(rect);
    }
    // Composed now, inside the control's call; the screen gets it with the next paint event,
    // which only needs to carry the area composed.
    FComposedPending = true;
    if (!whole) {
        update(QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1)));
    } else {
        update();
    }
    return S_OK;
}

HRESULT TsfOleControl::InvalidateRgn(HRGN, BOOL) {
    if (parentWidget()) {
        Paint(nullptr);
        FComposedPending = true;
        update();
    }
    return S_OK;
}

HRESULT TsfOleControl::AdjustRect(RECT* rect) {
    if (rect) {
        *rect = RECT{0, 0, width(), height()};
    }
    return S_OK;
}

HRESULT TsfOleControl::OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
    if (result) {
        *result = 0;
    }
    return S_OK;
}

HRESULT TsfOleControl::SetActiveObject(IOleInPlaceActiveObject* object, const BSTR&) {
    FOleInPlaceActiveObject = ComPtr<IOleInPlaceActiveObject>(object);
    return S_OK;
}

HRESULT TsfOleControl::InsertMenus(HMENU, OLEMENUGROUPWIDTHS* widths) {
    // Our windows have no menu bar to share.
    if (widths) {
        widths->width[0] = widths->width[2] = widths->width[4] = 0;
    }
    return S_OK;
}

// ---------------------------------------------------------------- ambient properties

HRESULT TsfOleControl::GetTypeInfoCount(UINT* count) {
    if (count) {
        *count = 0;
    }
    return S_OK;
}

HRESULT TsfOleControl::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                              EXCEPINFO*, UINT*) {
    if (!(flags & DISPATCH_PROPERTYGET) || !result) {
        return DISP_E_MEMBERNOTFOUND;
    }
    switch (member) {
        case DISPID_AMBIENT_BACKCOLOR:
            *result = VARIANT::fromInt(toOleColor(EffectiveColor()));
            return S_OK;
        case DISPID_AMBIENT_DISPLAYNAME:
            *result = VARIANT::fromString(objectName().toStdU16String());
            return S_OK;
        case DISPID_AMBIENT_FONT: {
            // The contract has no font object: the font travels as its description.
            const QFont f = parentWidget() ? parentWidget()->font() : font();
            *result = VARIANT::fromString(f.toString().toStdU16String());
            return S_OK;
        }
        case DISPID_AMBIENT_FORECOLOR:
            *result = VARIANT::fromInt(toOleColor(FFontColor));
            return S_OK;
        case DISPID_AMBIENT_LOCALEID:
            *result = VARIANT::fromInt(static_cast<std::int32_t>(LOCALE_USER_DEFAULT));
            return S_OK;
        case DISPID_AMBIENT_MESSAGEREFLECT:
        case DISPID_AMBIENT_USERMODE:
        case DISPID_AMBIENT_AUTOCLIP:
        case DISPID_AMBIENT_SUPPORTSMNEMONICS:
            *result = VARIANT::fromBool(true);
            return S_OK;
        case DISPID_AMBIENT_UIDEAD:
        case DISPID_AMBIENT_SHOWGRABHANDLES:
        case DISPID_AMBIENT_SHOWHATCHING:
            *result = VARIANT::fromBool(false);
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

// ---------------------------------------------------------------- property changes

HRESULT TsfOleControl::OnChanged(DISPID id) {
    if (!FControlDispatch) {
        return S_OK;
    }
    VARIANT v;
    switch (id) {
        case DISPID_ENABLED:
            if (!FUpdatingEnabled && SUCCEEDED(dispatchGet(FControlDispatch.get(), id, &v))) {
                FUpdatingEnabled = true;
                setEnabled(variantToInt(v).value_or(0) != 0);
                FUpdatingEnabled = false;
            }
            break;
        case DISPID_FORECOLOR:
            if (!FUpdatingFont && SUCCEEDED(dispatchGet(FControlDispatch.get(), id, &v))) {
                if (auto c = variantToInt(v)) {
                    FFontColor = fromOleColor(*c);
                }
            }
            break;
        case DISPID_FONT:
            // Fonts do not travel as objects here; nothing to take over.
            break;
        case DISPID_BACKCOLOR:
            if (!FUpdatingColor && SUCCEEDED(dispatchGet(FControlDispatch.get(), id, &v))) {
                if (auto c = variantToInt(v)) {
                    FUpdatingColor = true;
                    setColor(fromOleColor(*c));
                    FUpdatingColor = false;
                }
            }
            break;
        default:
            break;
    }
    return S_OK;
}

// ---------------------------------------------------------------- properties of the host

QColor TsfOleControl::EffectiveColor() const {
    if (FParentColor && parentWidget()) {
        return parentWidget()->palette().color(QPalette::Window);
    }
    return FColor;
}

void TsfOleControl::setColor(const QColor& color) {
    FColor = color;
    FParentColor = false;
    if (FControlData && FControlData->ApplyBackColor && FControlDispatch && !FUpdatingColor) {
        FUpdatingColor = true;
        dispatchPut(FControlDispatch.get(), DISPID_BACKCOLOR, VARIANT::fromInt(toOleColor(color)));
        FUpdatingColor = false;
    }
    if (!FTransparent) {
        CaptureBackground();
        update();
    }
}

void TsfOleControl::setParentColor(bool on) {
    FParentColor = on;
    if (!FTransparent) {
        CaptureBackground();
        update();
    }
}

void TsfOleControl::setTransparent(bool on) {
    if (on == FTransparent) {
        return;
    }
    FTransparent = on;
    CaptureBackground();
    Paint(nullptr);
    FComposedPending = true;
    update();
}

void TsfOleControl::setPlayerCursor(const QCursor& cursor) {
    FCursor = cursor;
    setCursor(cursor);
}

QByteArray TsfOleControl::ControlData() {
    if (!FOleObject) {
        return {};
    }
    if (FObjectData) {
        return QByteArray(reinterpret_cast<const char*>(FObjectData->data()),
                          static_cast<qsizetype>(FObjectData->size()));
    }
    if (!FPersistStream) {
        return {};
    }
    ComPtr<IStream> stream;
    HGLOBAL memory = std::make_shared<std::vector<std::uint8_t>>();
    check(CreateStreamOnHGlobal(memory, TRUE, stream.put()));
    check(FPersistStream->Save(stream.get(), TRUE));
    return QByteArray(reinterpret_cast<const char*>(memory->data()),
                      static_cast<qsizetype>(memory->size()));
}

void TsfOleControl::setControlData(const QByteArray& data) {
    FObjectData = std::make_shared<std::vector<std::uint8_t>>(data.begin(), data.end());
}

// ---------------------------------------------------------------- resizing

void TsfOleControl::SetBounds(int left, int top, int w, int h) {
    if (!FOleObject || FResizing) {
        setGeometry(left, top, std::max(w, 0), std::max(h, 0));
        return;
    }
    FResizing = true;
    try {
        setGeometry(left, top, std::max(w, 0), std::max(h, 0));
        const RECT r{0, 0, w, h};
        if (FOleInPlaceObject) {
            FOleInPlaceObject->SetObjectRects(&r, &r);
        }
        if (FOleInPlaceObjectWindowless) {
            FOleInPlaceObjectWindowless->SetObjectRects(&r, &r);
        }
        SizeFrameBitmaps(w, h);
        FAppliedSize = QSize(w, h);
        FNeedUpdate = true;
    } catch (...) {
        FResizing = false;
        throw;
    }
    FResizing = false;
}

void TsfOleControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A layout or a plain resize() reaches the control as SetBounds would.
    if (!FResizing && size() != FAppliedSize) {
        SetBounds(x(), y(), width(), height());
    }
}

void TsfOleControl::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // What lies behind the player at its new place, not the patch it captured at the old one
    // (a success animation moved to the clicked button kept a corner of another button).
    // SetBounds captures on its own; rendering the parent for a capture delivers pending
    // moves, which must not start another.
    if (!FResizing && !FPaintBackground) {
        CaptureBackground();
        FNeedUpdate = true;
        update();
    }
}

void TsfOleControl::SizeFrameBitmaps(int w, int h) {
    for (auto* b : {&FBackBuffer, &FBuffer, &FBuffer2}) {
        if (!*b) {
            *b = std::make_unique<TsfBitmap>();
        }
        (*b)->SetSize(w, h);
        if (FGrabProcess) {
            (*b)->Clear(0);
        }
    }
    CaptureBackground();
}

void TsfOleControl::CaptureBackground() {
    if (FGrabProcess || !parentWidget() || FInLoading) {
        return;
    }
    if (!FBackBuffer || !FBuffer2 || FBackBuffer->empty() || FBuffer2->empty()) {
        return;
    }
    if (!FTransparent) {
        FBackBuffer->Clear(0xFF000000u | (EffectiveColor().rgb() & 0xFFFFFF));
        return;
    }
    FPaintBackground = true;
    try {
        // The parent paints itself, children included, into the background; the part behind
        // the host lands at 0, 0. Child geometry is relative to the parent's outer rectangle
        // (frame included), so no frame width needs taking off here.
        FBackBuffer->Clear(0xFF000000u |
                           (parentWidget()->palette().color(QPalette::Window).rgb() & 0xFFFFFF));
        QImage target = FBackBuffer->image();
        parentWidget()->render(&target, QPoint(0, 0), QRegion(geometry()),
                               QWidget::DrawWindowBackground | QWidget::DrawChildren);
    } catch (...) {
        FPaintBackground = false;
        throw;
    }
    FPaintBackground = false;
}

// ---------------------------------------------------------------- painting

void TsfOleControl::DrawControl(TsfBitmap& target, DWORD aspect, const RECTL* bounds) {
    FViewObject->Draw(aspect, -1, nullptr, nullptr, nullptr, target.dc(), bounds, nullptr, nullptr,
                      0);
}

void TsfOleControl::Paint(const RECT* dirty) {
    if (FPaintBackground || !parentWidget()) {
        return;
    }
    if (FInLoading) {
        FInLoading = false;
        CaptureBackground();
    }
    FPaintRect = dirty;
    if (OnPaint) {
        OnPaint(this);
    }
    if (width() > 0 && height() > 0 && FViewObject && FBuffer2 && !FBuffer2->empty()) {
        if (FGrabProcess) {
            ComposeGrab();
        } else {
            Compose();
        }
    }
    FPaintRect = nullptr;
}

void TsfOleControl::Compose() {
    FBuffer2->FAlphaBlend = false;
    FBuffer2->FTransparent = false;
    if (FPaintRect) {
        RECT d = *FPaintRect;
        d.left = std::max<LONG>(d.left, 0);
        d.top = std::max<LONG>(d.top, 0);
        d.right = std::min<LONG>(d.right, FBuffer->width());
        d.bottom = std::min<LONG>(d.bottom, FBuffer->height());
        if (d.right <= d.left || d.bottom <= d.top) {
            return;
        }
        // The frame's own pixels under the area serve as the scratch surface: the background
        // goes there and the control draws over it with its origin at the area's corner, so
        // nothing travels through a second bitmap.
        FBackBuffer->Draw(*FBuffer2, d.left, d.top, d);
        DeviceContext area{FBuffer2->GetPixelPtr(d.left, d.top), d.right - d.left, d.bottom - d.top,
                           FBuffer2->stride(), POINT{d.left, d.top}};
        const RECTL bounds{0, 0, d.right, d.bottom};
        FViewObject->Draw(DVASPECT_TRANSPARENT, -1, nullptr, nullptr, nullptr, &area, &bounds,
                          nullptr, nullptr, 0);
    } else {
        FBackBuffer->Draw(*FBuffer2, 0, 0);
        DrawControl(*FBuffer2, DVASPECT_TRANSPARENT, nullptr);
    }
}

void TsfOleControl::ComposeGrab() {
    FBuffer2->FAlphaBlend = false;
    FBuffer2->FTransparent = false;
    const bool inside =
        FPaintRect && FPaintRect->left >= 0 && FPaintRect->top >= 0 &&
        FPaintRect->right <= FBuffer->width() && FPaintRect->bottom <= FBuffer->height() &&
        FPaintRect->right > FPaintRect->left && FPaintRect->bottom > FPaintRect->top;
    if (inside) {
        const RECT d = *FPaintRect;
        const int w = d.right - d.left;
        const int h = d.bottom - d.top;
        const RECTL bounds{0, 0, d.right, d.bottom};
        for (const auto& [background, target] :
             {std::pair{0xFF000000u, FBackBuffer.get()}, std::pair{0xFFFFFFFFu, FBuffer2.get()}}) {
            FBuffer->FillRect(RECT{0, 0, w, h}, background);
            POINT previous;
            OffsetWindowOrgEx(FBuffer->dc(), d.left, d.top, &previous);
            DrawControl(*FBuffer, DVASPECT_TRANSPARENT, &bounds);
            SetWindowOrgEx(FBuffer->dc(), previous.x, previous.y, nullptr);
            FBuffer->Draw(*target, d.left, d.top, RECT{0, 0, w, h});
        }
        for (int y = d.top; y < d.bottom; ++y) {
            for (int x = d.left; x < d.right; ++x) {
                DeriveAlpha(FBackBuffer->GetPixelPtr(x, y), FBuffer2->GetPixelPtr(x, y));
            }
        }
        return;
    }
    FBackBuffer->Clear(0xFF000000u);
    DrawControl(*FBackBuffer, DVASPECT_TRANSPARENT, nullptr);
    FBuffer2->Clear(0xFFFFFFFFu);
    DrawControl(*FBuffer2, DVASPECT_TRANSPARENT, nullptr);
    const std::size_t n = static_cast<std::size_t>(FBuffer2->width()) * FBuffer2->height();
    std::uint8_t* k = FBackBuffer->bits();
    std::uint8_t* w = FBuffer2->bits();
    for (std::size_t i = 0; i < n; ++i) {
        DeriveAlpha(k + i * 4, w + i * 4);
    }
}

void TsfOleControl::paintEvent(QPaintEvent* event) {
    if (FPaintBackground) {
        return;
    }
    // A frame composed inside the control's own call only needs copying; any other paint
    // (exposure, the parent repainting) composes first.
    if (!FComposedPending) {
        Paint(nullptr);
    } else if (OnPaint) {
        OnPaint(this);
    }
    FComposedPending = false;
    if (FBuffer2 && !FBuffer2->empty() && FViewObject) {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        // Only what the event asks for reaches the screen, mostly the area just composed.
        const QRect shown = event->rect();
        painter.drawImage(shown, FBuffer2->image(), shown);
    }
}

void TsfOleControl::GrabFrame(TsfBitmap& target) {
    if (FBuffer2) {
        FBuffer2->Draw(target, 0, 0);
    }
}

std::unique_ptr<TsfBitmap> TsfOleControl::GrabToBitmap() {
    auto result = std::make_unique<TsfBitmap>();
    if (!FBuffer || FBuffer->empty() || !FViewObject) {
        return result;
    }
    FBuffer->FAlphaBlend = false;
    FBuffer->FTransparent = false;
    FBuffer->Clear(0);
    const RECTL client{0, 0, width(), height()};
    DrawControl(*FBuffer, DVASPECT_CONTENT, &client);
    result->SetSize(FBuffer->width(), FBuffer->height());
    for (int y = 0; y < FBuffer->height(); ++y) {
        std::copy_n(FBuffer->GetScanLine(y), FBuffer->stride(), result->GetScanLine(y));
    }
    return result;
}

std::unique_ptr<TsfBitmap> TsfOleControl::GrabAlphaFrame() {
    auto result = std::make_unique<TsfBitmap>();
    if (!FBuffer2 || FBuffer2->empty() || !FViewObject) {
        return result;
    }
    FGrabProcess = true;
    try {
        Paint(nullptr);
        result->Assign(*FBuffer2);
        result->FAlphaBlend = true;
    } catch (...) {
        FGrabProcess = false;
        throw;
    }
    FGrabProcess = false;
    SetBounds(x(), y(), width(), height());
    Paint(nullptr);
    FComposedPending = true;
    update();
    return result;
}

// ---------------------------------------------------------------- input

void TsfOleControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!FOleObject || !FOleInPlaceObjectWindowless || message == WM_PAINT) {
        return;
    }
    if (message == WM_RBUTTONDOWN) {
        if (DisableFlashPopup) {
            return;
        }
        FNeedHandle = true;
    }
    LRESULT result = 0;
    const HRESULT handled =
        FOleInPlaceObjectWindowless->OnWindowMessage(message, wParam, lParam, &result);
    if (handled == S_OK && message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        if (DisableFlashCursor) {
            setCursor(FCursor);
        } else {
            LRESULT cursor = 0;
            if (FOleInPlaceObjectWindowless->OnWindowMessage(WM_SETCURSOR, 0, kSetCursorOverClient,
                                                             &cursor) == S_OK) {
                // 0: the movie hid the pointer.
                setCursor(cursor == IDC_HAND    ? QCursor(Qt::PointingHandCursor)
                          : cursor == IDC_IBEAM ? QCursor(Qt::IBeamCursor)
                          : cursor == 0         ? QCursor(Qt::BlankCursor)
                                                : QCursor(Qt::ArrowCursor));
            }
        }
    }
}

void TsfOleControl::ForwardMouse(UINT message, QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    WndProc(message, mouseKeys(event), MAKELPARAM(p.x(), p.y()));
}

void TsfOleControl::mousePressEvent(QMouseEvent* event) {
    if (const UINT message =
            buttonMessage(event->button(), WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN)) {
        ForwardMouse(message, event);
    }
    QWidget::mousePressEvent(event);
}

void TsfOleControl::mouseReleaseEvent(QMouseEvent* event) {
    if (const UINT message =
            buttonMessage(event->button(), WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP)) {
        ForwardMouse(message, event);
    }
    if (event->button() == Qt::LeftButton && OnClick &&
        rect().contains(event->position().toPoint())) {
        ui::guarded([&] { OnClick(this); });
    }
    QWidget::mouseReleaseEvent(event);
}

void TsfOleControl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (const UINT message =
            buttonMessage(event->button(), WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, 0)) {
        ForwardMouse(message, event);
    }
    QWidget::mouseDoubleClickEvent(event);
}

void TsfOleControl::mouseMoveEvent(QMouseEvent* event) {
    ForwardMouse(WM_MOUSEMOVE, event);
    QWidget::mouseMoveEvent(event);
}

void TsfOleControl::wheelEvent(QWheelEvent* event) {
    const QPoint p = event->position().toPoint();
    const auto delta =
        static_cast<std::uint16_t>(static_cast<std::int16_t>(event->angleDelta().y()));
    WndProc(WM_MOUSEWHEEL, static_cast<WPARAM>(delta) << 16, MAKELPARAM(p.x(), p.y()));
    QWidget::wheelEvent(event);
}

void TsfOleControl::keyPressEvent(QKeyEvent* event) {
    for (const KeyMessage& m : keyMessages(*event)) {
        WndProc(m.message, m.wParam, m.lParam);
    }
    QWidget::keyPressEvent(event);  // unhandled here: the parent's shortcuts still see it
}

void TsfOleControl::keyReleaseEvent(QKeyEvent* event) {
    for (const KeyMessage& m : keyMessages(*event)) {
        WndProc(m.message, m.wParam, m.lParam);
    }
    QWidget::keyReleaseEvent(event);
}

void TsfOleControl::inputMethodEvent(QInputMethodEvent* event) {
    // Committed text is typed; what is still being composed shows in the focused field.
    for (const KeyMessage& m : inputMethodMessages(event->commitString(), event->preeditString())) {
        WndProc(m.message, m.wParam, m.lParam);
    }
    event->accept();
    QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}

QVariant TsfOleControl::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImCursorRectangle || query == Qt::ImInputItemClipRectangle) {
        // The candidate window sits at the movie's caret when a text field has one.
        IMECHARPOSITION position;
        LRESULT found = 0;
        if (FOleInPlaceObjectWindowless &&
            FOleInPlaceObjectWindowless->OnWindowMessage(WM_IME_REQUEST, IMR_QUERYCHARPOSITION,
                                                         reinterpret_cast<LPARAM>(&position),
                                                         &found) == S_OK &&
            found) {
            const QRect caret(position.pt.x, position.pt.y, 1, int(position.cLineHeight));
            return query == Qt::ImCursorRectangle ? QVariant(caret) : QVariant(rect());
        }
    }
    return QWidget::inputMethodQuery(query);
}

// ---------------------------------------------------------------- events

void TsfOleControl::HandleStandardEvent(DISPID id, DISPPARAMS*) {
    ui::guarded([&] {
        if (id == -600 && OnClick) {
            OnClick(this);
        }
        // Key events write their code back unchanged (the host handles no keys); mouse events
        // already reach the host as Qt events of its own.
    });
}

void TsfOleControl::HandleControlEvent(DISPID, DISPPARAMS*) {}

HRESULT TEventDispatch::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == FEventIID) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT TEventDispatch::GetTypeInfoCount(UINT* count) {
    if (count) {
        *count = 0;
    }
    return S_OK;
}

HRESULT TEventDispatch::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                               EXCEPINFO*, UINT*) {
    if (member >= -607 && member <= -600) {
        FHost->HandleStandardEvent(member, params);
    } else {
        FHost->HandleControlEvent(member, params);
    }
    return S_OK;
}

// ---------------------------------------------------------------- dispatch properties

VARIANT TsfOleControl::GetDispatchProperty(DISPID id) {
    CreateControlRuntime();
    VARIANT v;
    if (!FControlDispatch) {
        return v;
    }
    check(dispatchGet(FControlDispatch.get(), id, &v));
    return v;
}

void TsfOleControl::SetDispatchProperty(DISPID id, const VARIANT& value) {
    CreateControlRuntime();
    if (!FControlDispatch) {
        return;
    }
    check(dispatchPut(FControlDispatch.get(), id, value));
}

// ---------------------------------------------------------------- designer support

QStringList TsfOleControl::GetObjectVerbs() {
    QStringList verbs;
    if (!FOleObject) {
        return verbs;
    }
    ComPtr<IEnumOLEVERB> e;
    if (FAILED(FOleObject->EnumVerbs(e.put())) || !e) {
        return verbs;
    }
    OLEVERB verb;
    ULONG fetched = 0;
    while (e->Next(1, &verb, &fetched) == S_OK && fetched == 1) {
        if (verb.grfAttribs & OLEVERBATTRIB_ONCONTAINERMENU) {
            verbs << QString::fromStdU16String(verb.lpszVerbName).remove(QLatin1Char('&'));
        }
    }
    return verbs;
}

QString TsfOleControl::GetPropDisplayString(DISPID id) {
    CreateControlRuntime();
    BSTR text;
    if (FPropBrowsing && SUCCEEDED(FPropBrowsing->GetDisplayString(id, &text))) {
        return QString::fromStdU16String(text);
    }
    const VARIANT v = GetDispatchProperty(id);
    return QString::fromStdU16String(variantToString(v).value_or(BSTR{}));
}

bool TsfOleControl::IsCustomProperty(DISPID id) {
    CreateControlRuntime();
    BSTR text;
    return FPropBrowsing && SUCCEEDED(FPropBrowsing->GetDisplayString(id, &text));
}

bool TsfOleControl::IsPropPageProperty(DISPID id) {
    CreateControlRuntime();
    CLSID page;
    return FPropBrowsing && SUCCEEDED(FPropBrowsing->MapPropertyToPage(id, &page)) &&
           page != GUID_NULL;
}

}  // namespace pencora::player
