// The runtime of one player: the layers (_level0, _level1 ...) each holding a movie and its
// display list, the frame tick, gotos, target paths, the mouse and buttons, and the queue of
// actions that frames and buttons run.
//
// Order of one tick (runFrame): first the movies that arrived since the last tick, in a layer
// or in place of a clip, show their first frame and run its actions (so the movies already
// playing find them ready); then every layer from _level0 up; in a clip, its own frame first
// (its display-list tags, then its actions go to the queue), then its children by depth. A
// clip placed during the tick shows its first frame and advances from the next tick on. The
// queued actions run after the whole tick, in the order they were queued.
#pragma once

#include <QByteArray>
#include <QPointF>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/flash/actions/action.h"
#include "platform/flash/avm1/host.h"
#include "platform/flash/runtime/display/display_object.h"
#include "platform/flash/runtime/display/input_state.h"
#include "platform/flash/runtime/drawing/character_drawing.h"
#include "platform/flash/runtime/sound/sound_mixing.h"
#include "platform/flash/swf/movie.h"

namespace pencora::runtime {

class Player;

// The movie's drawing of a character, prepared on first use and kept for every later one (null:
// the character draws nothing).
const std::shared_ptr<const CharacterDrawing>& preparedDrawing(MovieContext& movie, uint16_t id,
                                                               DrawingFactory& factory);

// What the runtime tells its owner.
class PlayerEvents {
  public:
    virtual ~PlayerEvents() = default;
    virtual void fsCommand(const QString& command, const QString& args) {
        (void)command;
        (void)args;
    }
    // getURL to "_levelN": the owner fetches `url` and loads it into layer `layer` (an empty
    // url unloads the layer).
    virtual void loadMovie(int layer, const QString& url) {
        (void)layer;
        (void)url;
    }
    // getURL to a browser window: a desktop player has none; kept for the owner to log.
    virtual void openUrl(const QString& url, const QString& window) {
        (void)url;
        (void)window;
    }
    virtual void trace(const QString& line) { (void)line; }
    // ExternalInterface.call: the container answers at once (empty: no answer).
    virtual QString flashCall(const QString& request) {
        (void)request;
        return {};
    }
    // Data the movie asked for (loadMovie into a clip, loadVariables, LoadVars, XML.load ...).
    // The owner fetches `url` and calls `done` later, never from inside this call, with the
    // bytes or std::nullopt when nothing came. Without an owner nothing is fetched and `done`
    // is never called.
    virtual void fetch(const QString& url, const QString& method, const QByteArray& body,
                       std::function<void(std::optional<QByteArray> data)> done) {
        (void)url;
        (void)method;
        (void)body;
        (void)done;
    }
    // XMLSocket connections (avm1::Host::openSocket, sendSocket, closeSocket): the owner asks
    // its host. `host` is a name or address, never empty. Without an owner every connection
    // is refused.
    virtual int openSocket(const QString& host, int port, avm1::SocketEvents events) {
        (void)host;
        (void)port;
        if (events.connected) {
            events.connected(false);
        }
        return 0;
    }
    virtual void sendSocket(int id, const QByteArray& bytes) {
        (void)id;
        (void)bytes;
    }
    virtual void closeSocket(int id) { (void)id; }
    // A script changed how the stage is shown (Stage.scaleMode, Stage.align): the owner shows
    // it so from now on.
    virtual void stageModeChanged(const QString& scaleMode, const QString& align) {
        (void)scaleMode;
        (void)align;
    }
};

// Runs action bytecode for a clip. The default runs the timeline actions that need no stack
// (frame_actions.h); the script machine replaces it.
class ActionRunner {
  public:
    virtual ~ActionRunner() = default;
    virtual void run(Player& player, DisplayObject& clip,
                     const std::shared_ptr<const swf::ActionBlock>& block) = 0;
    // Once per tick for every clip that has played at least one frame, before its frame:
    // onEnterFrame and onClipEvent(enterFrame).
    virtual void enterFrameEvent(Player& player, DisplayObject& clip) {
        (void)player;
        (void)clip;
    }
    // A clip was placed and has shown its first frame: onClipEvent(load).
    virtual void placed(Player& player, DisplayObject& clip) {
        (void)player;
        (void)clip;
    }
    // After each tick's actions (timers, garbage).
    virtual void afterTick(Player& player) { (void)player; }
    // Whether scripts gave the clip mouse handlers (onPress, onRelease ...), which make it
    // take the mouse like a button.
    virtual bool handlesMouse(DisplayObject& clip) {
        (void)clip;
        return false;
    }
    // Whether the clip has unload handlers (onClipEvent(unload), onUnload) to run when it is
    // removed.
    virtual bool handlesUnload(DisplayObject& clip) {
        (void)clip;
        return false;
    }
    // Runs them, now: the clip is still on the list (below every other depth).
    virtual void unloadEvent(Player& player, DisplayObject& clip) {
        (void)player;
        (void)clip;
    }
    // A mouse event for such a clip, or for a button, by handler name ("onRelease").
    virtual void mouseEvent(Player& player, DisplayObject& target, const QString& handler) {
        (void)player;
        (void)target;
        (void)handler;
    }
    // Keyboard and mouse input that every listener hears: the Key or Mouse listeners and the
    // clip events (onClipEvent(keyDown), onMouseMove ...), by handler name ("onKeyDown",
    // "onMouseWheel" with `wheelDelta`).
    virtual void broadcastInput(Player& player, const QString& handler, int wheelDelta) {
        (void)player;
        (void)handler;
        (void)wheelDelta;
    }
    // The focus moved: onKillFocus of the old holder, onSetFocus of the new one, then the
    // Selection listeners. Either may be null.
    virtual void focusChanged(Player& player, DisplayObject* old, DisplayObject* now) {
        (void)player;
        (void)old;
        (void)now;
    }
    // A property that scripts may set on a display object (tabIndex, tabEnabled, enabled ...)
    // as the script sees it, the class default included; nullopt when it is undefined.
    virtual std::optional<double> scriptNumber(DisplayObject& object, const QString& name) {
        (void)object;
        (void)name;
        return std::nullopt;
    }
    // Sets such a property as a script assignment would (the timeline's SetTabIndex).
    virtual void setScriptNumber(DisplayObject& object, const QString& name, double value) {
        (void)object;
        (void)name;
        (void)value;
    }
    virtual std::optional<bool> scriptFlag(DisplayObject& object, const QString& name) {
        (void)object;
        (void)name;
        return std::nullopt;
    }
    virtual std::optional<QString> scriptText(DisplayObject& object, const QString& name) {
        (void)object;
        (void)name;
        return std::nullopt;
    }
    // The display object a property of the object's script refers to (`hitArea`), if it
    // holds a reference to one still on the list.
    virtual DisplayObject* scriptDisplayObject(DisplayObject& object, const QString& name) {
        (void)object;
        (void)name;
        return nullptr;
    }
};

class Player {
  public:
    explicit Player(std::unique_ptr<DrawingFactory> drawings = makeDefaultDrawingFactory());
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    void setEvents(PlayerEvents* events) { events_ = events; }
    PlayerEvents& events() { return events_ ? *events_ : noEvents_; }
    void setActionRunner(std::unique_ptr<ActionRunner> runner);
    ActionRunner& actionRunner() { return *runner_; }
    // Queues a block to run for `clip` with the frame's other actions.
    void queueActions(DisplayObject& clip, std::shared_ptr<const swf::ActionBlock> block);
    // Queues a placed clip's load handlers: a clip the timeline places hears load after the
    // actions of the frame that placed it, whatever their order in the frame.
    void queueLoadActions(DisplayObject& clip, std::shared_ptr<const swf::ActionBlock> block);

    // Loading replaces what the layer held; the movie's first frame shows on the next tick.
    void load(int layer, std::shared_ptr<const swf::Movie> movie, const QString& url = {});
    void unload(int layer);
    // Replaces what a clip plays with a loaded movie's root timeline, keeping the clip's place
    // on its parent's list (name, depth, matrix); its children go. A null movie leaves the
    // clip empty (unloadMovie). The first frame shows on the next tick.
    void loadIntoClip(DisplayObject& clip, std::shared_ptr<const swf::Movie> movie,
                      const QString& url);
    DisplayObject* root(int layer) const;
    std::vector<int> layers() const;
    // The clips of one layer in the order their scripts run: newest first, so a clip placed
    // after its parent runs before it and siblings placed later before those placed earlier.
    std::vector<std::shared_ptr<DisplayObject>> executionOrder(
        const std::shared_ptr<DisplayObject>& root) const;

    // One frame of every layer, then the queued actions.
    void runFrame();
    // The movie's clock moved on by `milliseconds`, a frame lasting `frameMs`. While a stream
    // sound plays, the picture keeps up with it: the answer is how many frames the timelines
    // have fallen behind the clock, for the caller to run at once without drawing between.
    // Without a stream nothing is owed; the movie just plays late.
    int framesOwedToClock(double milliseconds, double frameMs);
    // Whether _level0's root starts again after its last frame.
    void setLoop(bool loop) { loop_ = loop; }

    // Timeline control; frames count from 0. A goto to the frame already shown does nothing
    // but set the play state.
    void gotoFrame(DisplayObject& clip, int frame, bool play);
    bool gotoLabel(DisplayObject& clip, const QString& label, bool play);
    void nextFrame(DisplayObject& clip);
    void prevFrame(DisplayObject& clip);
    std::optional<int> labelFrame(const DisplayObject& clip, const QString& label) const;
    // The label of the current frame or, failing that, of the nearest labelled frame before it.
    QString currentLabel(const DisplayObject& clip) const;
    // Runs the actions of `frame` of `clip` now, without moving its playhead.
    void callFrame(DisplayObject& clip, int frame);
    // Runs every queued action block (also called at the end of each tick).
    void runQueuedActions();

    // Target paths relative to `base`: "/a/b", "a/b", "../a", "_root.a", "_parent", "_levelN".
    // "" is `base` itself. Null when there is no such clip.
    DisplayObject* resolveTarget(DisplayObject* base, const QString& path) const;
    // "_level0.a.b" (dot form) or "/a/b" (slash form).
    QString targetPath(const DisplayObject& object, bool slashForm) const;

    // The mouse, in stage pixels.
    void mouseMove(QPointF stage);
    void mouseDown(QPointF stage);
    void mouseUp(QPointF stage);
    void mouseLeave();
    QPointF mousePosition() const { return mouse_; }
    bool wantsHandCursor() const;
    // The topmost button whose hit area contains the point, if any.
    DisplayObject* buttonAt(QPointF stage) const;

    // Movie sound: event and stream sounds, Sound objects' transforms.
    SoundMixer& sounds() { return sounds_; }
    // A sound character of the clip's movie, decoded once; null when it is none.
    std::shared_ptr<const SoundPcm> soundOf(MovieContext& movie, uint16_t id);
    // The character id exported under `name` in the clip's movie, or 0.
    uint16_t exportedId(const MovieContext& movie, const QString& name) const;
    // Keyboard (keyboard.cpp). `code` is a Windows virtual-key code, `character` what the key
    // types (0 for none). Mouse buttons count as keys 1 (left), 2 (right) and 4 (middle).
    void keyDown(int code, char16_t character = 0);
    void keyUp(int code);
    void textInput(char16_t character);
    // What an input method is composing for the focused input field; its committed text
    // comes through textInput.
    void composition(const QString& preedit);
    // Where the focused input field's caret stands, in stage twips.
    std::optional<QRectF> caretRect() const;
    // An editing command for the focused text field (the keys themselves only reach scripts
    // and buttons); selectable dynamic fields take the movements, copying and select all.
    void textEdit(TextEdit edit, bool extend);
    const KeyboardState& keyboard() const { return keyboard_; }
    void mouseWheel(int delta);
    // Where typed text goes when an input text field holds the focus.
    void setTextInput(TextInputHandler* handler) { textInput_ = handler; }

    // Focus (focus.cpp): the object keyboard input goes to, Tab order and the highlight.
    DisplayObject* focus() const { return focus_.object.lock().get(); }
    // Moves the focus (null clears it) and tells the scripts when it changed. `byTab`: Tab
    // moved it; it and `showHighlight` (Selection.setFocus) put the keyboard in charge. While
    // the keyboard is in charge a focus move rolls the old holder out and the new one over,
    // at once for Tab and after the running scripts for a script's move.
    void setFocus(DisplayObject* object, bool byTab = false, bool showHighlight = false);
    // Runs the roll-overs that script focus moves left pending.
    void runFocusRolls();
    // A mouse event hands over from the keyboard to the pointer.
    void leaveKeyboardMode();
    bool focusHighlighted() const;
    // _focusrect: whether the yellow rectangle shows around the focused object, movie-wide
    // and per object.
    bool focusRectEnabled() const { return focusRect_; }
    void setFocusRectEnabled(bool on) { focusRect_ = on; }
    bool showsFocusRect(const DisplayObject& object) const {
        return object.focusRect.value_or(focusRect_);
    }
    // Whether the focused object shows the rectangle: decided when it took the focus.
    bool focusRectShown() const { return focus_.rectShown; }
    // Whether the object can take the focus (a button, a button-like clip, an input text,
    // or anything a script made tabEnabled), as Tab and Selection.setFocus see it.
    bool focusable(DisplayObject& object);
    bool isInputText(DisplayObject& object);
    // Whether Selection.setFocus may give the object the focus: buttons, text fields that can
    // be selected, and clips that Tab reaches, act as buttons or are focusEnabled.
    bool takesScriptFocus(DisplayObject& object);
    // Everything Tab visits, in order.
    std::vector<DisplayObject*> tabOrder();
    // The timeline gives the object at `depth` of `clip` a tab index (SetTabIndex).
    void setTimelineTabIndex(DisplayObject& clip, int depth, int index);
    // The object leaves the display or hides: it cannot keep the focus or the drag.
    void objectGone(DisplayObject& object);

    // Dragging (drag.cpp): startDrag/stopDrag and the drop target.
    void startDrag(DisplayObject& clip, bool lockCenter, std::optional<QRectF> bounds);
    void stopDrag();
    DisplayObject* dragged() const { return drag_.clip.lock().get(); }
    // The topmost object under the pointer other than the one dragged (its _droptarget).
    DisplayObject* dropTarget() const;
    // A clip's _droptarget: what it is over while dragged, or what its last drag ended on.
    DisplayObject* dropTargetOf(const DisplayObject& clip) const;

    // _quality: how smoothly the movie draws; only Low draws without anti-aliasing.
    enum class Quality { Low, Medium, High, Best };
    Quality quality() const { return quality_; }
    void setQuality(Quality q) { quality_ = q; }
    bool highQuality() const { return quality_ != Quality::Low; }
    void setHighQuality(bool on) { quality_ = on ? Quality::High : Quality::Low; }
    // _soundbuftime: the seconds of sound a movie asks to buffer, kept as it set them.
    int32_t soundBufferTime() const { return soundBufferTime_; }
    void setSoundBufferTime(int32_t seconds) { soundBufferTime_ = seconds; }

    // Place/remove by depth (the tags' effect, also used by gotos).
    // `events`: the clip events of the tag that first placed the character, when `place` is a
    // copy (a goto's folded placement).
    DisplayObject* placeObject(DisplayObject& clip, const swf::PlaceObject& place,
                               const std::vector<swf::ClipAction>* events = nullptr);
    void removeObject(DisplayObject& clip, int depth);
    // Gives an unnamed clip or button its "instanceN" name.
    void nameInstance(DisplayObject& object);
    // Tells the script objects of `object` and everything in it that they left the list.
    void detachScripts(DisplayObject& object);

    // What attachMovie, createEmptyMovieClip and duplicateMovieClip place: a character of the
    // parent's movie (0: an empty clip) at any depth, or a copy of `copyOf`. Whatever held the
    // depth goes. The new clip shows its first frame at once.
    struct ScriptPlacement {
        uint16_t characterId = 0;
        int depth = 0;
        QString name;
        const DisplayObject* copyOf = nullptr;
    };
    DisplayObject* placeByScript(DisplayObject& parent, const ScriptPlacement& place);
    // A bitmap that is no character of the movie (attachBitmap, a loaded image) at `depth` of
    // `parent`; whatever held the depth goes.
    DisplayObject* placeBitmap(DisplayObject& parent, int depth,
                               std::shared_ptr<const CharacterDrawing> drawing);
    // Moves a child to another depth, swapping with whatever is there (swapDepths).
    void swapDepth(DisplayObject& child, int depth);

    // The owning pointer of an object on a list (null once it has been removed).
    std::shared_ptr<DisplayObject> sharedOf(DisplayObject& object) const;
    // Whether the object is on the display list of a loaded layer.
    bool onList(const DisplayObject& object) const;

    // Counted per placed object; the draw list's frame-to-frame diff uses it.
    uint64_t nextSerial() { return ++serial_; }

  private:
    struct Layer {
        std::unique_ptr<MovieContext> context;
        std::shared_ptr<DisplayObject> root;
    };
    struct QueuedBlock {
        std::weak_ptr<DisplayObject> clip;
        std::shared_ptr<const swf::ActionBlock> block;
    };

    // `byScript`: attachMovie and duplicateMovieClip may put a sprite inside one of its own
    // instances, as each such placement is a script's single step.
    std::shared_ptr<DisplayObject> instantiate(DisplayObject& parent, uint16_t characterId,
                                               int depth, bool byScript = false);
    void applyPlace(DisplayObject& object, const swf::PlaceObject& place);
    void advanceClip(DisplayObject& clip, bool isLevelRoot);
    void tickLayer(const std::shared_ptr<DisplayObject>& root);
    // Movies that arrived since the last tick, in layers and in place of clips, show their
    // first frame; returns the clips that did, which sit out the rest of the tick.
    std::vector<std::shared_ptr<DisplayObject>> showArrivedMovies();
    bool inArrivedMovie(const DisplayObject& clip) const;
    // Runs the display-list tags (and queues the actions) of `frame`.
    void enterFrame(DisplayObject& clip, int frame, bool runActions);
    void queueFrameActions(DisplayObject& clip, int frame);
    void queueInitActions(DisplayObject& clip, int frame);
    // The frame's StartSound tags and its stream-sound block (movie_sounds.cpp).
    void playFrameSounds(DisplayObject& clip, int frame);
    void rebuildTo(DisplayObject& clip, int frame);

  public:
    // The action block `bytes`, decoded once, where it lies in the movie's file when that is
    // known, so that branches out of it reach the file's other bytes.
    std::shared_ptr<const swf::ActionBlock> decoded(MovieContext& movie,
                                                    const swf::ActionBytes& bytes);

  private:
    void setButtonState(DisplayObject& button, ButtonState state);
    // Tracking a button through the timeline's replacements (buttons.cpp).
    void track(TrackedButton& tracked, const std::shared_ptr<DisplayObject>& object) const;
    std::shared_ptr<DisplayObject> trackedNow(const TrackedButton& tracked) const;
    // The same, taking a replacement on in the tracked state.
    std::shared_ptr<DisplayObject> tracked(TrackedButton& tracked);
    // Rolls out what shows rolled over and rolls `target` over (nothing for null); `again`
    // rolls a target that already shows rolled over out and over once more.
    void rollOverOnly(const std::shared_ptr<DisplayObject>& target, bool again = false);
    void buttonTransition(DisplayObject& button, uint16_t condition);
    void buildButtonChildren(DisplayObject& button);
    // Keyboard helpers (keyboard.cpp).
    bool runKeyPress(int keyPressCode);
    void pressByKeyboard(DisplayObject& object, bool down);
    void tabFocus(bool backward);
    void followDrag();
    // Roll-overs and drag-overs for the pointer at `stage`, without a mouse-move event.
    void trackPointer(QPointF stage);
    // trackAsMenu: the item under the pointer while another one is held down.
    bool tracksAsMenu(DisplayObject& object);
    void menuTrack(DisplayObject& pressed, DisplayObject* over);
    // A press on a selectable text field focuses it and puts its caret under the pointer;
    // moving with the button held then selects (text_selection.cpp).
    void pressText(QPointF stage);
    void dragTextSelection(QPointF stage);

    std::unique_ptr<DrawingFactory> drawings_;
    std::unique_ptr<ActionRunner> runner_;
    PlayerEvents* events_ = nullptr;
    PlayerEvents noEvents_;
    std::map<int, Layer> layers_;
    // Layers unloaded since the last tick began: a script of theirs may still be running (a
    // movie unloading its own layer), so they are freed only when the next tick starts.
    std::vector<Layer> retired_;
    std::vector<std::shared_ptr<DisplayObject>> arrivedThisTick_;
    // Movies loaded into clips, each kept while its clip still plays it.
    std::vector<std::pair<std::weak_ptr<DisplayObject>, std::unique_ptr<MovieContext>>> clipMovies_;
    void dropUnusedClipMovies();
    std::vector<QueuedBlock> queue_;
    // While a frame's tags are read: the load handlers of the clips they place.
    std::vector<QueuedBlock>* frameLoads_ = nullptr;
    // Removed clips waiting for their unload handlers, run once the queued actions are done.
    std::vector<std::weak_ptr<DisplayObject>> unloading_;
    void runUnloadHandlers();
    SoundMixer sounds_;
    uint64_t serial_ = 0;
    int instances_ = 0;  // unnamed clips and buttons named so far
    bool loop_ = true;
    Quality quality_ = Quality::High;
    int32_t soundBufferTime_ = 5;
    double clockLead_ = 0;      // ms the clock has run ahead of the frames played
    int framesSinceClock_ = 0;  // frames played since the clock last moved

    QPointF mouse_{-1e9, -1e9};
    bool mousePressed_ = false;
    TrackedButton hovered_;  // button shown rolled over (pointer or focus)
    TrackedButton pressed_;  // button the mouse went down on
    bool pressedInside_ = false;
    std::weak_ptr<DisplayObject> menuOver_;   // menu item dragged over while pressed
    std::weak_ptr<DisplayObject> selecting_;  // text field the mouse went down on

    KeyboardState keyboard_;
    FocusState focus_;
    DragState drag_;
    bool focusRect_ = true;
    TextInputHandler* textInput_ = nullptr;

    friend class FrameActions;
};

}  // namespace pencora::runtime
