// TsfOleControl: a child widget without a native window of its own that hosts one control of
// the component contract windowless. The host is the control's whole container (client site,
// windowless in-place site, frame and document window, control site, ambient properties,
// property-change sink, service provider) on this one object; TEventDispatch receives the
// control's events. The control never draws on the screen: it draws into three 32-bit
// bitmaps that the host composes over the image of its parent behind it, or over `Color`,
// and one plain copy of the composed frame reaches the screen per paint.
#pragma once

#include <QColor>
#include <QCursor>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ole/control.h"
#include "platform/ole/stream.h"
#include "player/tsf_bitmap.h"

namespace pencora::player {

class TEventDispatch;

// The class record of a hosted control: shared by every host of one player class.
struct TControlClass {
    ole::CLSID ClassID;
    ole::IID EventIID;
    int Version = 401;
    int InstanceCount = 0;
    // Stock properties whose change the host applies at once when the runtime part is made.
    bool ApplyBackColor = false, ApplyEnabled = false, ApplyFont = false, ApplyForeColor = false;
};

namespace detail {
// The windowless site and the frame both derive IOleWindow; they answer GetWindow
// differently, so each routes it to a method of its own.
struct SiteWindow : ole::IOleInPlaceSiteWindowless {
    ole::HRESULT GetWindow(ole::HWND* window) override { return SiteGetWindow(window); }
    ole::HRESULT ContextSensitiveHelp(ole::BOOL) override { return ole::S_OK; }
    virtual ole::HRESULT SiteGetWindow(ole::HWND* window) = 0;
};
struct FrameWindow : ole::IOleInPlaceFrame {
    ole::HRESULT GetWindow(ole::HWND* window) override {
        if (window) {
            *window = nullptr;
        }
        return ole::E_FAIL;
    }
    ole::HRESULT ContextSensitiveHelp(ole::BOOL) override { return ole::S_OK; }
};
}  // namespace detail

class TsfOleControl : public QWidget,
                      public ole::IOleClientSite,
                      public detail::SiteWindow,
                      public detail::FrameWindow,
                      public ole::IOleControlSite,
                      public ole::IDispatch,
                      public ole::IPropertyNotifySink,
                      public ole::IServiceProvider,
                      public ole::IParseDisplayName {
    Q_OBJECT
  public:
    explicit TsfOleControl(QWidget* parent = nullptr);
    ~TsfOleControl() override;

    // --- IUnknown: counts only; the host lives as long as its widget.
    ole::HRESULT QueryInterface(ole::REFIID iid, void** object) override;
    ole::ULONG AddRef() override { return ++FRefCount; }
    ole::ULONG Release() override { return --FRefCount; }

    // --- IOleClientSite
    ole::HRESULT SaveObject() override { return ole::S_OK; }
    ole::HRESULT GetMoniker(ole::DWORD, ole::DWORD, ole::IMoniker** moniker) override;
    ole::HRESULT GetContainer(ole::IOleContainer** container) override;
    ole::HRESULT ShowObject() override { return ole::S_OK; }
    ole::HRESULT OnShowWindow(ole::BOOL) override { return ole::S_OK; }
    ole::HRESULT RequestNewObjectLayout() override;

    // --- IOleInPlaceSite, IOleInPlaceSiteEx, IOleInPlaceSiteWindowless
    ole::HRESULT SiteGetWindow(ole::HWND* window) override;
    ole::HRESULT CanInPlaceActivate() override { return ole::S_OK; }
    ole::HRESULT OnInPlaceActivate() override;
    ole::HRESULT OnUIActivate() override { return ole::S_OK; }
    ole::HRESULT GetWindowContext(ole::IOleInPlaceFrame** frame,
                                  ole::IOleInPlaceUIWindow** document, ole::RECT* position,
                                  ole::RECT* clip, ole::OLEINPLACEFRAMEINFO* info) override;
    ole::HRESULT Scroll(ole::SIZE) override { return ole::E_NOTIMPL; }
    ole::HRESULT OnUIDeactivate(ole::BOOL) override;
    ole::HRESULT OnInPlaceDeactivate() override;
    ole::HRESULT DiscardUndoState() override { return ole::E_NOTIMPL; }
    ole::HRESULT DeactivateAndUndo() override;
    ole::HRESULT OnPosRectChange(const ole::RECT* position) override;
    ole::HRESULT OnInPlaceActivateEx(ole::BOOL*, ole::DWORD) override {
        return OnInPlaceActivate();
    }
    ole::HRESULT OnInPlaceDeactivateEx(ole::BOOL) override { return ole::S_OK; }
    ole::HRESULT RequestUIActivate() override { return ole::S_OK; }
    ole::HRESULT CanWindowlessActivate() override { return ole::S_OK; }
    ole::HRESULT GetCapture() override { return FCaptured ? ole::S_OK : ole::S_FALSE; }
    ole::HRESULT SetCapture(ole::BOOL capture) override;
    ole::HRESULT GetFocus() override { return ole::S_OK; }
    ole::HRESULT SetFocus(ole::BOOL) override { return ole::S_OK; }
    ole::HRESULT GetDC(const ole::RECT* rect, ole::DWORD flags, ole::HDC* dc) override;
    ole::HRESULT ReleaseDC(ole::HDC dc) override;
    ole::HRESULT InvalidateRect(const ole::RECT* rect, ole::BOOL erase) override;
    ole::HRESULT InvalidateRgn(ole::HRGN region, ole::BOOL erase) override;
    ole::HRESULT ScrollRect(int, int, const ole::RECT*, const ole::RECT*) override {
        return ole::S_OK;
    }
    ole::HRESULT AdjustRect(ole::RECT* rect) override;
    ole::HRESULT OnDefWindowMessage(ole::UINT message, ole::WPARAM wParam, ole::LPARAM lParam,
                                    ole::LRESULT* result) override;

    // --- IOleInPlaceUIWindow, IOleInPlaceFrame (the document window is the frame)
    ole::HRESULT GetBorder(ole::RECT*) override { return ole::INPLACE_E_NOTOOLSPACE; }
    ole::HRESULT RequestBorderSpace(const ole::BORDERWIDTHS*) override {
        return ole::INPLACE_E_NOTOOLSPACE;
    }
    ole::HRESULT SetBorderSpace(const ole::BORDERWIDTHS*) override { return ole::E_NOTIMPL; }
    ole::HRESULT SetActiveObject(ole::IOleInPlaceActiveObject* object, const ole::BSTR&) override;
    ole::HRESULT InsertMenus(ole::HMENU, ole::OLEMENUGROUPWIDTHS* widths) override;
    ole::HRESULT SetMenu(ole::HMENU, ole::HOLEMENU, ole::HWND) override { return ole::S_OK; }
    ole::HRESULT RemoveMenus(ole::HMENU) override { return ole::S_OK; }
    ole::HRESULT SetStatusText(const ole::BSTR&) override { return ole::S_OK; }
    ole::HRESULT EnableModeless(ole::BOOL) override { return ole::S_OK; }
    ole::HRESULT TranslateAccelerator(ole::MSG*, ole::WORD) override { return ole::S_FALSE; }

    // --- IOleControlSite
    ole::HRESULT OnControlInfoChanged() override { return ole::E_NOTIMPL; }
    ole::HRESULT LockInPlaceActive(ole::BOOL) override { return ole::E_NOTIMPL; }
    ole::HRESULT GetExtendedControl(ole::IDispatch** control) override;
    ole::HRESULT TransformCoords(ole::POINTL* himetric, ole::POINTF* container,
                                 ole::DWORD flags) override;
    ole::HRESULT TranslateAccelerator(ole::MSG*, ole::DWORD) override { return ole::E_NOTIMPL; }
    ole::HRESULT OnFocus(ole::BOOL) override { return ole::E_NOTIMPL; }
    ole::HRESULT ShowPropertyFrame() override { return ole::E_NOTIMPL; }

    // --- IDispatch: the ambient properties
    ole::HRESULT GetTypeInfoCount(ole::UINT* count) override;
    ole::HRESULT GetTypeInfo(ole::UINT, ole::LCID, ole::ITypeInfo**) override {
        return ole::E_NOTIMPL;
    }
    ole::HRESULT GetIDsOfNames(ole::REFIID, const ole::BSTR*, ole::UINT, ole::LCID,
                               ole::DISPID*) override {
        return ole::E_NOTIMPL;
    }
    ole::HRESULT Invoke(ole::DISPID member, ole::REFIID iid, ole::LCID lcid, ole::WORD flags,
                        ole::DISPPARAMS* params, ole::VARIANT* result, ole::EXCEPINFO* excepInfo,
                        ole::UINT* argErr) override;

    // --- IPropertyNotifySink
    ole::HRESULT OnChanged(ole::DISPID id) override;
    ole::HRESULT OnRequestEdit(ole::DISPID) override { return ole::S_OK; }

    // --- IServiceProvider: the service is ignored; any interface the host has.
    ole::HRESULT QueryService(ole::REFGUID service, ole::REFIID iid, void** object) override;

    // --- IParseDisplayName
    ole::HRESULT ParseDisplayName(ole::IBindCtx*, const ole::BSTR&, ole::ULONG*,
                                  ole::IMoniker** moniker) override;

    // --- The host's own face
    // Moves and sizes the host and tells the control; re-entry only moves.
    void SetBounds(int left, int top, int width, int height);

    QColor Color() const { return FColor; }
    void setColor(const QColor& color);
    bool ParentColor() const { return FParentColor; }
    void setParentColor(bool on);
    bool Transparent() const { return FTransparent; }
    void setTransparent(bool on);
    bool DisableFlashPopup = false;
    bool DisableFlashCursor = false;
    // The host's own cursor (shown over the movie with DisableFlashCursor).
    QCursor Cursor() const { return FCursor; }
    void setPlayerCursor(const QCursor& cursor);
    std::function<void(TsfOleControl*)> OnPaint;
    std::function<void(TsfOleControl*)> OnClick;

    // The control's saved state carried with the window design.
    QByteArray ControlData();
    void setControlData(const QByteArray& data);

    // A message to the control as the platform's window procedure would pass it, coordinates
    // relative to the host's top-left; then the host's own handling.
    void WndProc(ole::UINT message, ole::WPARAM wParam, ole::LPARAM lParam);

    // Frames: the last composed frame (owned by the host), a copy of it drawn elsewhere, and
    // the current frame as the control draws it over transparent black (empty without one).
    TsfBitmap* GrabCurrentFrame2() { return FBuffer2.get(); }
    void GrabFrame(TsfBitmap& target);
    std::unique_ptr<TsfBitmap> GrabToBitmap();
    // The current frame with per-pixel alpha from a rendering over black and one over white.
    std::unique_ptr<TsfBitmap> GrabAlphaFrame();

    // Composes the frame now: `dirty` in the control's coordinates, none for all.
    void Paint(const ole::RECT* dirty = nullptr);

    bool HasControl() const { return static_cast<bool>(FOleObject); }

    // Window-designer support, where the control offers what it needs.
    QStringList GetObjectVerbs();
    QString GetPropDisplayString(ole::DISPID id);
    bool IsCustomProperty(ole::DISPID id);
    bool IsPropPageProperty(ole::DISPID id);

    // The control's event and property-change connections (for the event sink).
    void HandleStandardEvent(ole::DISPID id, ole::DISPPARAMS* params);
    virtual void HandleControlEvent(ole::DISPID id, ole::DISPPARAMS* params);

  protected:
    // The class record of the hosted control; the base has none.
    virtual TControlClass* DefineControlClass() = 0;
    virtual void PrepareControlInterface() {}
    // Further interfaces a derived host offers (no reference added).
    virtual void* queryHostInterface(ole::REFIID) { return nullptr; }

    // Construction steps 2 to 5 (the derived constructor calls it): the class record, the
    // event sink, the control by class identifier (failure leaves the host without one).
    void CreateControl();
    // Completes the control's runtime part once (initial state, interfaces, sinks, ambient
    // properties); raises the control's error after undoing what was done.
    void CreateControlRuntime();
    // The last construction step: windowless in-place activation.
    void ActivateInPlace();

    // Dispatch property access on the control (runtime part completed first).
    ole::VARIANT GetDispatchProperty(ole::DISPID id);
    void SetDispatchProperty(ole::DISPID id, const ole::VARIANT& value);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

    ole::ComPtr<ole::IOleObject> FOleObject;
    ole::ComPtr<ole::IPersistStreamInit> FPersistStream;
    ole::ComPtr<ole::IOleControl> FOleControl;
    ole::ComPtr<ole::IDispatch> FControlDispatch;
    ole::ComPtr<ole::IPerPropertyBrowsing> FPropBrowsing;
    ole::ComPtr<ole::IOleInPlaceObject> FOleInPlaceObject;
    ole::ComPtr<ole::IOleInPlaceActiveObject> FOleInPlaceActiveObject;
    ole::ComPtr<ole::IOleInPlaceObjectWindowless> FOleInPlaceObjectWindowless;
    ole::ComPtr<ole::IViewObject> FViewObject;
    ole::DWORD FPropConnection = 0;
    ole::DWORD FEventsConnection = 0;
    ole::DWORD FMiscStatus = 0;
    ole::HGLOBAL FObjectData;
    TControlClass* FControlData = nullptr;
    std::unique_ptr<TEventDispatch> FEventDispatch;

    bool FResizing = false;
    bool FCaptured = false;
    bool FNeedHandle = false;
    bool FUpdatingPictures = false;
    bool FUpdatingColor = false;
    bool FUpdatingFont = false;
    bool FUpdatingEnabled = false;

    std::unique_ptr<TsfBitmap> FBackBuffer;
    std::unique_ptr<TsfBitmap> FBuffer;
    std::unique_ptr<TsfBitmap> FBuffer2;
    const ole::RECT* FPaintRect = nullptr;
    bool FNeedUpdate = false;
    bool FGrabProcess = false;
    bool FPaintBackground = false;
    bool FInLoading = false;

  private:
    void SizeFrameBitmaps(int width, int height);
    void CaptureBackground();
    void Compose();
    void ComposeGrab();
    void DrawControl(TsfBitmap& target, ole::DWORD aspect, const ole::RECTL* bounds);
    void ReleaseControl();
    // Leaves the control's event and property connection points, if joined.
    void Disconnect();
    void ForwardMouse(ole::UINT message, QMouseEvent* event);
    QColor EffectiveColor() const;

    std::atomic<ole::ULONG> FRefCount{0};
    QColor FColor;
    bool FParentColor = true;
    bool FTransparent = true;
    QCursor FCursor;
    QColor FFontColor = Qt::black;
    // A composition from inside the control waits for the next paint event to reach the
    // screen; that paint then only copies.
    bool FComposedPending = false;
    QSize FAppliedSize;
};

// The event sink: one per host; its references count on the host's counter.
class TEventDispatch final : public ole::IDispatch {
  public:
    explicit TEventDispatch(TsfOleControl* host, ole::IID eventIid)
        : FHost(host), FEventIID(eventIid) {}
    ole::HRESULT QueryInterface(ole::REFIID iid, void** object) override;
    ole::ULONG AddRef() override { return FHost->AddRef(); }
    ole::ULONG Release() override { return FHost->Release(); }
    ole::HRESULT GetTypeInfoCount(ole::UINT* count) override;
    ole::HRESULT GetTypeInfo(ole::UINT, ole::LCID, ole::ITypeInfo**) override {
        return ole::E_NOTIMPL;
    }
    ole::HRESULT GetIDsOfNames(ole::REFIID, const ole::BSTR*, ole::UINT, ole::LCID,
                               ole::DISPID*) override {
        return ole::E_NOTIMPL;
    }
    ole::HRESULT Invoke(ole::DISPID member, ole::REFIID, ole::LCID, ole::WORD,
                        ole::DISPPARAMS* params, ole::VARIANT*, ole::EXCEPINFO*,
                        ole::UINT*) override;

  private:
    TsfOleControl* FHost;
    ole::IID FEventIID;
};

// Alpha from a rendering over black (`k`) and one over white (`w`): the result lands in `w`.
void DeriveAlpha(const std::uint8_t* k, std::uint8_t* w);

}  // namespace pencora::player
