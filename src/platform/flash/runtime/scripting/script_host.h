// The script machine plugged into the runtime: it runs every action block of the movie (frame
// scripts, init actions, button and clip events) and answers the machine's questions about
// the display list (avm1/host.h). Each display object that scripts reach gets a script object
// whose built-in properties (_x, _currentframe, children by name ...) read and write the
// object itself; MovieClip.prototype carries the timeline methods.
#pragma once

#include <QImage>

#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/host.h"
#include "platform/flash/avm1/machine.h"
#include "platform/flash/avm1/natives.h"
#include "platform/flash/runtime/display/movie_loader.h"
#include "platform/flash/runtime/display/player.h"
#include "platform/flash/runtime/scripting/stage_class.h"
#include "platform/flash/runtime/video/net_streams.h"

namespace pencora::runtime {

// The Color class (color_class.cpp), which tints clips through their colour transform.
void installColorClass(avm1::Machine& m);
// BitmapData.draw (bitmap_draw.cpp), which paints display objects with the renderer.
void installBitmapDrawing(avm1::Machine& m);
// BitmapData.applyFilter and generateFilterRect through the renderer's filters.
void installBitmapFilters(avm1::Machine& m);
// _focusrect as scripts read and write it (input_scripts.cpp): before SWF 6 one movie-wide
// number, 0 or 1, whatever object is asked; from SWF 6 a level's root holds the movie-wide
// Boolean and every other object its own, null until set.
avm1::Value focusRectValue(avm1::Machine& m, Player& player, DisplayObject& object);
void setFocusRect(avm1::Machine& m, Player& player, DisplayObject& object, const avm1::Value& v);

class ScriptHost : public ActionRunner, public avm1::Host {
  public:
    explicit ScriptHost(Player& player);
    ~ScriptHost() override;

    avm1::Machine& machine() { return *machine_; }
    // The script object of a display object, made on first use.
    avm1::ClipObject* scriptObject(DisplayObject& object);
    // The display object behind a script object, if it is still on a list.
    DisplayObject* displayOf(avm1::Object* object) const;
    void advanceClock(double milliseconds);
    // NaN: new Date() reads the system clock; otherwise this time plus the movie's clock.
    void pinWallClock(double millisecondsSinceEpoch) { pinnedWallClock_ = millisecondsSinceEpoch; }

    // ActionRunner
    void run(Player& player, DisplayObject& clip,
             const std::shared_ptr<const swf::ActionBlock>& block) override;
    void enterFrameEvent(Player& player, DisplayObject& clip) override;
    void placed(Player& player, DisplayObject& clip) override;
    void afterTick(Player& player) override;
    bool handlesMouse(DisplayObject& clip) override;
    bool handlesUnload(DisplayObject& clip) override;
    void unloadEvent(Player& player, DisplayObject& clip) override;
    void mouseEvent(Player& player, DisplayObject& target, const QString& handler) override;
    // Keys, the mouse and the focus (input_scripts.cpp).
    void broadcastInput(Player& player, const QString& handler, int wheelDelta) override;
    void focusChanged(Player& player, DisplayObject* old, DisplayObject* now) override;
    std::optional<double> scriptNumber(DisplayObject& object, const QString& name) override;
    std::optional<bool> scriptFlag(DisplayObject& object, const QString& name) override;
    void setScriptNumber(DisplayObject& object, const QString& name, double value) override;
    std::optional<QString> scriptText(DisplayObject& object, const QString& name) override;
    DisplayObject* scriptDisplayObject(DisplayObject& object, const QString& name) override;

    // avm1::Host
    double milliseconds() override { return clock_; }
    double wallClock() override {
        return std::isnan(pinnedWallClock_) ? avm1::Host::wallClock() : pinnedWallClock_ + clock_;
    }
    void trace(const QString& line) override;
    avm1::Object* resolveTarget(avm1::Object* base, const QString& path) override;
    QString targetPath(avm1::Object* clip, bool slashForm) override;
    avm1::Object* root(avm1::Object* base) override;
    avm1::Object* level(int n) override;
    avm1::Value getClipProperty(avm1::Object* clip, avm1::ClipProperty p) override;
    void setClipProperty(avm1::Object* clip, avm1::ClipProperty p, const avm1::Value& v) override;
    void play(avm1::Object* clip) override;
    void stop(avm1::Object* clip) override;
    void nextFrame(avm1::Object* clip) override;
    void prevFrame(avm1::Object* clip) override;
    void gotoFrame(avm1::Object* clip, int frame, bool andPlay) override;
    bool gotoLabel(avm1::Object* clip, const QString& label, bool andPlay) override;
    avm1::Value heldFrames(avm1::Object* clip) override;
    bool frameLoaded(avm1::Object* clip, int frame) override;
    void callFrame(avm1::Object* clip, const avm1::Value& frame) override;
    void cloneSprite(avm1::Object* source, const QString& name, int depth) override;
    void removeSprite(avm1::Object* clip) override;
    void toggleQuality() override;
    void stopSounds() override { player_.sounds().stopAll(); }
    void getUrl(const avm1::UrlRequest& request) override;
    void startDrag(avm1::Object* clip, bool lockCenter, const double* rectOrNull) override;
    bool clipTransform(avm1::Object* clip, bool concatenated, ClipTransform& out) override;
    void setClipMatrix(avm1::Object* clip, const double (&matrix)[6]) override;
    void setClipColorTransform(avm1::Object* clip, const double (&color)[8]) override;
    void stopDrag() override;

    // Places a clip for a script (attachMovie, createEmptyMovieClip): `init`'s properties are
    // copied onto it before its class constructor runs. Null when nothing could be placed.
    DisplayObject* placeClip(DisplayObject& parent, const Player::ScriptPlacement& place,
                             avm1::Object* init);
    // duplicateMovieClip: a copy of `source` (its character, placement, clip events and
    // drawing) beside it.
    DisplayObject* duplicateClip(DisplayObject& source, const QString& name, int depth,
                                 avm1::Object* init);
    void fetch(avm1::FetchRequest request) override;
    // XMLSocket: an empty host is the one _level0's movie came from ("localhost" for a movie
    // that came from no host).
    int openSocket(const QString& host, int port, avm1::SocketEvents events) override;
    void sendSocket(int id, const QByteArray& bytes) override {
        player_.events().sendSocket(id, bytes);
    }
    void closeSocket(int id) override { player_.events().closeSocket(id); }
    QString externalCall(const QString& request) override {
        return player_.events().flashCall(request);
    }
    void installClassesAgain(avm1::Object* firstGlobal) override;
    // The script objects of the display objects alive, on a list or not, and what sounds,
    // loads, streams, attached bitmaps and clips being constructed hold.
    void addRoots(std::vector<avm1::Object*>& roots) override;

    MovieLoader& loader() { return loader_; }
    // Sound objects kept alive while their sound plays or loads.
    void pinSound(avm1::Object* sound) { soundPins_.insert(sound); }
    std::set<avm1::Object*>& soundPins() { return soundPins_; }
    // The NetStreams of the movie, moved on with the clock.
    NetStreams& netStreams() { return *netStreams_; }
    // attachBitmap: `bitmap` (a BitmapData) shown by `object`, which follows its pixels.
    void attachBitmap(DisplayObject& object, avm1::Object* bitmap, bool smoothing);
    // Brings the attached bitmaps up to date with their BitmapData.
    void refreshAttachedBitmaps();
    // Before a clip shows another movie: its variables and class go, as a new clip's would.
    void resetClipScript(DisplayObject& clip);
    // unloadMovie on a clip: its onUnload handlers run before its content goes.
    void clipUnloading(DisplayObject& clip);
    // A movie or picture has replaced the clip's content: the clip events of its placing tag,
    // which outlive the content, hear load again.
    void clipMovieArrived(DisplayObject& clip);
    // loadVariables answered: onClipEvent(data) and onData.
    void clipDataArrived(DisplayObject& clip);
    // Mouse.hide/show: whether the movie wants the cursor shown over the stage.
    bool cursorVisible() const { return cursorVisible_; }
    void setCursorVisible(bool on) { cursorVisible_ = on; }
    // How the owner shows the stage (Stage.scaleMode, align, width, height).
    StageView& stageView() { return stageView_; }

    Player& player() { return player_; }
    // The bindings of every display object that has a script object.
    std::set<avm1::ClipBinding*>& bindings() { return bindings_; }

  private:
    void runClipEvent(DisplayObject& clip, uint32_t event);
    void callLoadMethod(DisplayObject& clip);
    bool hasLoadMethod(DisplayObject& clip);
    // Notes that `clip`, just constructed, will hear its onLoad method if it has one now.
    void listenForLoad(DisplayObject& clip);
    void installMovieClip();
    // The class constructor (Object.registerClass), init object and construct events of a
    // clip just placed.
    void construct(DisplayObject& clip, avm1::Object* init);
    avm1::Object* registeredClass(DisplayObject& clip);
    // Init actions already queued for this tick that a clip's class may depend on run now,
    // before the clip is constructed; they are skipped when their turn comes.
    void runPendingInitActions(DisplayObject& clip);
    bool isInitBlock(MovieContext& movie, const swf::ActionBlock* block);
    bool hasOnConstruct(DisplayObject& clip);
    uint32_t clipEventsOf(const DisplayObject& clip) const;
    // onClipEvent(initialize) and (construct) run at once rather than queued.
    void runEarlyEvent(DisplayObject& clip, uint32_t event);
    // The class's prototype, the init object and the initialize events; returns the class.
    avm1::Object* initialize(DisplayObject& clip, avm1::Object* init);
    void finishConstruct(DisplayObject& clip, avm1::Object* ctor);
    bool exportsOf(const DisplayObject& clip) const;
    // The construct events and constructors of clips the timeline placed, run before the next
    // script (or at the end of the tick).
    void runPendingConstructs();

    struct PendingConstruct {
        std::weak_ptr<DisplayObject> clip;
        avm1::Object* ctor = nullptr;
    };

    // The init object of the clip a script is placing, for that clip alone: the clips its
    // first frame places are told first and must not take it.
    struct PendingInit {
        avm1::Object* init = nullptr;
        const DisplayObject* parent = nullptr;
        int depth = 0;
    };

    void installInputClasses();
    // The classes the runtime adds to each set of built-ins.
    void installClasses();
    // The class prototype scripts see on a display object of this kind.
    avm1::Object* classPrototype(const DisplayObject& object);
    // MovieClip.prototype as the movie the clip comes from sees it.
    avm1::Object* movieClipPrototype(const DisplayObject& clip);

    Player& player_;
    std::unique_ptr<avm1::Machine> machine_;
    std::unique_ptr<NetStreams> netStreams_;
    std::unique_ptr<TextInputHandler> typing_;  // the player types into fields through it
    std::set<avm1::ClipBinding*> bindings_;
    double clock_ = 0;
    double pinnedWallClock_ = std::numeric_limits<double>::quiet_NaN();
    PendingInit pendingInit_;
    bool placingByScript_ = false;
    std::vector<PendingConstruct> pendingConstructs_;
    // Queued after a placed clip's onClipEvent(load) blocks: stands for the call of its onLoad
    // method, so that runs in the same turn, once the clip is constructed.
    const std::shared_ptr<const swf::ActionBlock> loadMethodCall_ =
        std::make_shared<swf::ActionBlock>();
    // Queued after a clip's onClipEvent(enterFrame) blocks: stands for the call of its
    // onEnterFrame method, so both run in the clip's turn, before its frame's actions.
    const std::shared_ptr<const swf::ActionBlock> enterFrameMethodCall_ =
        std::make_shared<swf::ActionBlock>();
    // Queued in a clip's turn of a mouse event after its onClipEvent blocks: each stands for
    // the call of the method of its name (onMouseDown, onMouseUp, onMouseMove).
    std::vector<std::pair<QString, std::shared_ptr<const swf::ActionBlock>>> inputMethodCalls_;
    std::shared_ptr<const swf::ActionBlock> inputMethodCall(const QString& name);
    // Clips that had an onLoad method once constructed (from their class, init object or
    // MovieClip.prototype): only they hear it; one a later script gives comes too late.
    std::vector<std::weak_ptr<DisplayObject>> loadListeners_;
    MovieLoader loader_{*this};
    std::set<avm1::Object*> soundPins_;
    struct AttachedBitmap {
        std::weak_ptr<DisplayObject> object;
        avm1::Object* bitmap = nullptr;
        bool smoothing = false;
        QImage shown;
    };
    std::vector<AttachedBitmap> attachedBitmaps_;
    bool cursorVisible_ = true;
    StageView stageView_;
};

// The script host of a machine the runtime made: how a native finds its player.
inline ScriptHost& hostOf(avm1::Machine& m) {
    return static_cast<ScriptHost&>(m.host());
}

using avm1::argAt;

}  // namespace pencora::runtime
