// The movie engine as the Flash control sees it.
//
// The control (flash_control.h) speaks the component contract to its host and drives one
// MovieEngine: it fetches movie bytes, runs frames on its timer, turns window messages into
// stage input, and asks the engine to draw into the host's pixel buffer. The engine knows
// nothing of the contract, of Qt widgets or of the host; it reaches the outside only through
// the MovieEngineHost callbacks below.
//
// Conventions shared by every method:
// - Stage coordinates are in pixels (twips / 20) with the origin at the stage's top-left.
// - Frame numbers are 0-based (frame 0 is the movie's first frame), as the control's
//   operations count them; the engine converts to and from ActionScript's 1-based frames.
// - A target is a movie-clip path as ActionScript writes it: "" or "/" is the root of
//   _level0, "_level1" another layer, "/clip/sub", "_level0.clip.sub" or "clip.sub" nested
//   clips. Unknown targets make queries fail (std::nullopt / false) and commands do nothing.
// - Text is UTF-16, as the contract and ActionScript carry it.
// - The control never calls the engine from inside a MovieEngineHost callback but one:
//   flashCall() runs the host's FlashCall handler synchronously (it must answer), and that
//   handler may call the control's operations (SetVariable, CallFunction, ...), which reach
//   the engine while it waits for the answer. Everything else is queued: FSCommand events
//   go to the host, and fetch results come back, after the engine call that raised them
//   has returned.
// - All calls happen on one thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pencora::flash {

// A rectangle in stage pixels, right and bottom exclusive.
struct StageRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// Maps stage pixels to pixels of the drawing target: x' = a*x + c*y + tx, y' = b*x + d*y + ty.
// The control builds it from the scale mode, alignment, zoom and pan.
struct StageMatrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

// How the stage fits the control's rectangle: the control's ScaleMode property, and what a
// movie's Stage.scaleMode sets. NoScale keeps one stage pixel per control pixel.
enum class ScaleMode { ShowAll = 0, NoBorder = 1, ExactFit = 2, NoScale = 3 };

// Alignment bits of the stage in the control (the AlignMode property, Stage.align); no bit on
// an axis centres the stage on it.
inline constexpr int kAlignLeft = 1;
inline constexpr int kAlignRight = 2;
inline constexpr int kAlignTop = 4;
inline constexpr int kAlignBottom = 8;

// How the control shows the stage: the scale mode, the alignment bits and the control's size
// in its host's pixels.
struct StageDisplay {
    ScaleMode scaleMode = ScaleMode::ShowAll;
    int align = 0;
    double width = 0;
    double height = 0;
};

// Stage quality: Low draws without anti-aliasing; Medium and up anti-alias; Best also
// smooths every bitmap.
enum class Quality { Low, Medium, High, Best };

// Where to draw: 32-bit pixels, four bytes each in memory order blue, green, red, alpha
// (premultiplied alpha, i.e. QImage::Format_ARGB32_Premultiplied on little-endian), rows top
// to bottom, `stride` bytes apart. The engine composes source-over onto what is there and
// touches nothing outside `clip` (target pixels, right and bottom exclusive).
struct RenderTarget {
    std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    int clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
};

struct RenderOptions {
    StageMatrix matrix;
    Quality quality = Quality::High;
    // Fill the clip with the stage colour first (opaque window modes and the content
    // aspect). Off for the transparent window mode: only the movie's shapes are painted.
    bool paintBackground = true;
    // The stage colour to use when painting the background; 0xRRGGBB. Without it the
    // movie's own background colour (white when the movie sets none).
    std::optional<std::uint32_t> backgroundOverride;
};

// What the engine knows of the movie in _level0 once it has loaded.
struct MovieInfo {
    bool loaded = false;
    int swfVersion = 0;
    double stageWidth = 0;  // stage pixels
    double stageHeight = 0;
    double frameRate = 12;  // frames per second as the header gives it (may be 0)
    int frameCount = 0;     // frames the header declares
    int framesLoaded = 0;   // frames whose tags have been read
    std::uint32_t backgroundColor = 0xFFFFFF;  // 0xRRGGBB, white until the movie sets one
    // A script ran past its time limit: the movie's scripts no longer run until a new movie
    // is loaded into layer 0.
    bool scriptsStopped = false;
};

enum class MouseButton { Left, Right, Middle };

enum class InputKind {
    MouseMove,
    MouseDown,
    MouseUp,
    MouseLeave,  // the pointer left the control
    MouseWheel,  // `wheelDelta` in notches, positive away from the user
    KeyDown,     // `keyCode`: Windows virtual-key code (Key.getCode()); `character` if any
    KeyUp,
    TextInput,  // `character`: one UTF-16 unit typed
    FocusGained,
    FocusLost,
    TextCommand,  // `command` on the focused text field, after the key that gave it
    Composition,  // `text`: what an input method is composing now (empty: nothing)
};

// Editing commands of a text field. The host derives them from keys (arrows, Home, End,
// Backspace, Delete, Enter, Ctrl+A/C/X/V) and sends each after that key's KeyDown: the key
// itself only reaches the movie's key listeners and buttons.
enum class TextCommand {
    None,
    MoveLeft,
    MoveRight,
    MoveLeftWord,
    MoveRightWord,
    MoveLeftLine,  // to the start of the line (Home)
    MoveRightLine,
    MoveLeftDocument,
    MoveRightDocument,
    SelectLeft,
    SelectRight,
    SelectLeftWord,
    SelectRightWord,
    SelectLeftLine,
    SelectRightLine,
    SelectLeftDocument,
    SelectRightDocument,
    SelectAll,
    Backspace,
    Delete,
    Enter,
    Copy,
    Cut,
    Paste,
};

struct InputEvent {
    InputKind kind = InputKind::MouseMove;
    double x = 0;  // stage pixels, for the mouse kinds
    double y = 0;
    MouseButton button = MouseButton::Left;
    int wheelDelta = 0;
    int keyCode = 0;
    char16_t character = 0;
    TextCommand command = TextCommand::None;
    std::u16string text;
};

// Hidden: a script hid the pointer (Mouse.hide).
enum class CursorShape { Arrow, Hand, IBeam, Hidden };

// A fetch the movie asked for (loadMovie, loadMovieNum, loadVariables, getURL to a layer,
// XML.load, LoadVars.load, MovieClipLoader, Sound.loadSound, ...). The control fetches it
// through its host and answers with fetchCompleted or fetchFailed carrying `id`.
// Navigations to browser windows (getURL with a window name) are not fetches: the control
// drops them, as a desktop player has no browser.
struct FetchRequest {
    int id = 0;             // chosen by the engine, unique while pending
    std::u16string url;     // as the movie wrote it, relative addresses unresolved
    std::u16string method;  // "GET", "POST" or empty
    std::string postData;   // body for POST
};

// A connection the movie asked for (XMLSocket.connect). The control opens it through its
// host and reports with socketConnected, socketReceived and socketClosed carrying `id`,
// never from inside the engine call that asked. A host without sockets refuses it
// (socketConnected(id, false)).
struct SocketRequest {
    int id = 0;  // chosen by the engine, unique while the connection lives
    std::u16string host;
    int port = 0;
};

// Callbacks from the engine to the control.
class MovieEngineHost {
  public:
    virtual ~MovieEngineHost() = default;

    // fscommand(command, args) and getURL("FSCommand:command", args).
    virtual void fsCommand(std::u16string_view command, std::u16string_view args) = 0;

    // ExternalInterface.call: `request` is the control's XML call text
    // (<invoke name="f" returntype="xml"><arguments>...</arguments></invoke>); the answer is
    // the XML value text the host returned (empty when it returned nothing).
    virtual std::u16string flashCall(std::u16string_view request) = 0;

    // The movie wants data; see FetchRequest.
    virtual void requestFetch(const FetchRequest& request) = 0;

    // The movie wants a connection; see SocketRequest. Bytes for it, and its end when the
    // movie closes it (no report follows). Without sockets the request is never answered.
    virtual void openSocket(const SocketRequest& request) { (void)request; }
    virtual void sendSocket(int id, std::span<const std::uint8_t> bytes) {
        (void)id;
        (void)bytes;
    }
    virtual void closeSocket(int id) { (void)id; }

    // One line of trace() output, without the line break.
    virtual void trace(std::u16string_view line) = 0;

    // Part of the stage must be redrawn; std::nullopt for all of it.
    virtual void invalidate(std::optional<StageRect> area) = 0;

    // A script set Stage.scaleMode or Stage.align: the stage is shown so from now on, as if
    // the host had set the control's ScaleMode and AlignMode. The engine already knows.
    virtual void stageDisplayChanged(ScaleMode scaleMode, int align) {
        (void)scaleMode;
        (void)align;
    }
};

// The engine. Implementations are created by the factory the program registers with the
// control (engine_factory.h); tests use a fake.
class MovieEngine {
  public:
    virtual ~MovieEngine() = default;

    // Called once, before anything else. The host outlives the engine.
    virtual void setHost(MovieEngineHost* host) = 0;

    // Loading. `bytes` is a whole SWF file (FWS, CWS or ZWS); the engine copies what it keeps.
    // `url` is the address it came from, the base of relative fetches and the source of
    // _url. `parameters` become variables of the layer's root before its first frame
    // (FlashVars and the address's query). Replaces what was in the layer. Returns false,
    // leaving the layer empty, when the bytes are not a movie.
    virtual bool loadMovie(
        int layer, std::span<const std::uint8_t> bytes, std::u16string_view url,
        const std::vector<std::pair<std::u16string, std::u16string>>& parameters) = 0;
    virtual void unloadMovie(int layer) = 0;
    // Answers to requestFetch. A failed fetch runs the movie's failure handlers (onLoad(false),
    // onLoadError, ...) where it has them.
    virtual void fetchCompleted(int id, std::span<const std::uint8_t> bytes) = 0;
    virtual void fetchFailed(int id) = 0;
    // Reports on a connection of openSocket: it opened or failed, bytes came, the peer
    // closed it. Unknown ids are ignored.
    virtual void socketConnected(int id, bool ok) {
        (void)id;
        (void)ok;
    }
    virtual void socketReceived(int id, std::span<const std::uint8_t> bytes) {
        (void)id;
        (void)bytes;
    }
    virtual void socketClosed(int id) { (void)id; }

    virtual MovieInfo movieInfo() const = 0;

    // Time. runFrame() plays one frame of every layer (enter-frame events, frame actions,
    // timeline advance); the first call after loading shows frame 0. advanceClock() moves
    // the movie's clock (getTimer, setInterval, setTimeout) and fires the timers that fall
    // due. The control calls runFrame() then advanceClock(1000 / frame rate) per tick.
    virtual void runFrame() = 0;
    virtual void advanceClock(double milliseconds) = 0;
    // Tools only: what scripts read as the date (ms since 1970 UTC), moving on with the movie's
    // clock; NaN for the system clock. Engines without scripts ignore it.
    virtual void pinWallClock(double millisecondsSinceEpoch) { (void)millisecondsSinceEpoch; }
    // Whether the root timeline restarts after its last frame (the control's Loop property).
    virtual void setLoop(bool loop) = 0;

    // How the control shows the stage, whenever its size, ScaleMode or alignment changes (and
    // once it has a size). Scripts read the mode and alignment from it (Stage.scaleMode,
    // Stage.align), and under NoScale the size (Stage.width, Stage.height); a new size under
    // NoScale tells the movie's Stage listeners (onResize), within this call.
    virtual void setStageDisplay(const StageDisplay& display) { (void)display; }

    // Drawing: the whole stage as the matrix places it, clipped to target.clip.
    virtual void render(const RenderTarget& target, const RenderOptions& options) = 0;

    // Input in stage coordinates.
    virtual void handleInput(const InputEvent& event) = 0;
    // The cursor the movie wants at the last mouse position (the hand over active buttons).
    virtual CursorShape cursor() const = 0;
    // Where the focused input field's caret stands (a zero-width box), for an input method.
    virtual std::optional<StageRect> caretRect() const { return std::nullopt; }
    // Tools only: the boxes of what shows and acts on the pointer (buttons, clips with mouse
    // handlers, input text fields), for driving a movie without a person. Engines without a
    // display list give none.
    virtual std::vector<StageRect> activeAreas() { return {}; }

    // Timelines by target path. gotoFrame with play=false is gotoAndStop.
    virtual bool gotoFrame(std::u16string_view target, int frame, bool play) = 0;
    virtual bool gotoLabel(std::u16string_view target, std::u16string_view label, bool play) = 0;
    virtual bool play(std::u16string_view target) = 0;
    virtual bool stop(std::u16string_view target) = 0;
    virtual std::optional<int> currentFrame(std::u16string_view target) const = 0;
    virtual std::optional<std::u16string> currentLabel(std::u16string_view target) const = 0;
    virtual std::optional<int> totalFrames(std::u16string_view target) const = 0;
    virtual bool isPlaying(std::u16string_view target) const = 0;
    // Runs the actions of a frame of the target without moving its playhead (call()).
    virtual bool callFrame(std::u16string_view target, int frame) = 0;
    virtual bool callLabel(std::u16string_view target, std::u16string_view label) = 0;

    // Variables by path ("name", "/clip:name", "_level0.clip.name"), converted to text.
    virtual std::optional<std::u16string> getVariable(std::u16string_view path) const = 0;
    virtual bool setVariable(std::u16string_view path, std::u16string_view value) = 0;

    // Movie-clip properties by index: 0 _x, 1 _y, 2 _xscale, 3 _yscale, 4 _currentframe,
    // 5 _totalframes, 6 _alpha, 7 _visible, 8 _width, 9 _height, 10 _rotation, 11 _target,
    // 12 _framesloaded, 13 _name, 14 _droptarget, 15 _url, 16 _highquality, 17 _focusrect,
    // 18 _soundbuftime, 19 _quality, 20 _xmouse, 21 _ymouse.
    virtual std::optional<std::u16string> getProperty(std::u16string_view target,
                                                      int index) const = 0;
    virtual std::optional<double> getPropertyNumber(std::u16string_view target,
                                                    int index) const = 0;
    virtual bool setProperty(std::u16string_view target, int index, std::u16string_view value) = 0;
    virtual bool setPropertyNumber(std::u16string_view target, int index, double value) = 0;

    // ExternalInterface.addCallback functions, called with the control's XML call text;
    // returns the XML answer, or std::nullopt when no such function is registered.
    virtual std::optional<std::u16string> callFunction(std::u16string_view request) = 0;
};

// Makes a fresh engine for one control.
using MovieEngineFactory = std::function<std::unique_ptr<MovieEngine>()>;

}  // namespace pencora::flash
