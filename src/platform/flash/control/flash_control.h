// The Flash control: our movie engine behind the Shockwave Flash control's contract, so that
// a host (the player, swfplay) embeds it exactly as it would embed Flash Player.
//
// What it offers (see platform/ole/control.h and shockwave_flash.h for the interfaces):
// - IOleObject: SetClientSite, DoVerb (-5, -4, -1, 0 activate windowless; -3 deactivates),
//   GetExtent (the stage size, 550 x 400 pixels before a movie), GetMiscStatus (set client
//   site first), Close; IPersistStreamInit with its own saved state (control_properties.h);
//   IOleControl::OnAmbientPropertyChange (reads user mode and UI dead; with UI dead no input
//   reaches the movie); connection points for the event sink (DIID__IShockwaveFlashEvents)
//   and IPropertyNotifySink (told of every property the host writes).
// - Windowless in-place activation only: DoVerb asks the site CanWindowlessActivate,
//   OnInPlaceActivateEx(ACTIVATE_WINDOWLESS) and GetWindowContext, in that order. The object
//   rectangle (from DoVerb, then SetObjectRects) is where the stage is laid out, in the
//   coordinates of the device contexts and mouse messages the host gives.
// - IViewObject::Draw: DVASPECT_TRANSPARENT composes over the pixels already in the context
//   and paints the stage colour only outside the transparent window mode; DVASPECT_CONTENT
//   (and DVASPECT_OPAQUE) always paint it. `bounds` limits the drawing; the stage is always
//   placed by the object rectangle (or by `bounds` while no rectangle was given).
// - OnWindowMessage: mouse buttons, moves, wheel, keys and characters go to the movie in stage
//   coordinates (S_OK); WM_SETCURSOR answers in *result IDC_HAND over the movie's active
//   buttons, 0 (no cursor) while the movie hides the pointer and IDC_ARROW elsewhere (S_OK);
//   WM_IME_COMPOSITION (GCS_COMPSTR) carries the input method's composition to the focused
//   text (see platform/ole/types.h); WM_IME_REQUEST with IMR_QUERYCHARPOSITION fills in the
//   caret's place in client coordinates and answers 1 in *result, 0 without a caret (S_OK);
//   other messages S_FALSE. A button press takes the
//   site's mouse capture and its release gives it back. A right-button press asks the site
//   for a window (as for a context menu); no menu is shown here.
// - Dirty areas reported by the movie reach the site's InvalidateRect after each frame, in
//   object coordinates (changes of scale, zoom, colour or window mode with the next frame, or
//   at once while no movie plays; never from inside LoadMovie). Frames come from the frame
//   timer: a QTimer on the thread that made the control, at the movie's frame rate, running
//   while a movie is in layer 0 and a Qt event loop exists.
// - Events: -609 ready state (3 then 4 after a movie arrives in layer 0), 1958 progress (100,
//   once, since movies arrive whole), 150 FSCommand (after the frame or call that raised it),
//   197 FlashCall (at once; the handler answers with SetReturnValue).
// - Fetching: every address (LoadMovie's during the call, the movie's own after the frame)
//   goes to the site's bind host: QueryService(SID_SBindHost) → CreateMoniker →
//   BindToStorage with our IBindStatusCallback registered as "_BSCB_Holder_"; the data comes
//   through OnDataAvailable. An address the bind host refuses (or with no bind host) is read
//   by the control only when it is a readable local file (local_fetch.h); never network.
// - Queries on a target that does not exist: GetVariable, TGetProperty*, CallFunction fail
//   with E_FAIL; TCurrentFrame answers -1 and TCurrentLabel ""; commands do nothing.
//   GotoFrame, TGotoFrame and TGotoLabel go to the frame and stop there.
#pragma once

#include "platform/flash/control/movie_engine.h"
#include "platform/ole/shockwave_flash.h"

namespace pencora::flash {

// The control reports Flash Player 10.0: the engine follows the SWF 10 / ActionScript 2
// behaviour of that player.
inline constexpr ole::LONG kFlashVersion = 0x000A0000;

// Makes one control driving an engine made by `factory`, answered as interface `iid`.
ole::HRESULT createFlashControl(const MovieEngineFactory& factory, ole::REFIID iid, void** object);

// Registers the control under CLSID_ShockwaveFlash, each instance with an engine of `factory`.
void registerFlashControl(MovieEngineFactory factory);

}  // namespace pencora::flash
