#include "platform/flash/runtime/scripting/script_host.h"

#include <QUrl>

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/path_syntax.h"
#include "platform/flash/runtime/display/frame_actions.h"
#include "platform/flash/runtime/scripting/clip_display_properties.h"
#include "platform/flash/runtime/scripting/clip_properties.h"
#include "platform/flash/runtime/scripting/movieclip_natives.h"
#include "platform/flash/runtime/scripting/stage_class.h"
#include "platform/flash/runtime/sound/sound_class.h"
#include "platform/flash/runtime/text/text_field.h"
#include "platform/flash/runtime/text/text_field_class.h"
#include "platform/flash/runtime/text/text_field_input.h"
#include "platform/flash/runtime/text/text_pictures.h"
#include "platform/flash/runtime/video/video_class.h"

namespace pencora::runtime {

using avm1::Value;

namespace {

// The 22 properties by name, in index order.
constexpr std::array<const char*, 22> kPropertyNames = {
    "_x",           "_y",           "_xscale",       "_yscale",       "_currentframe",
    "_totalframes", "_alpha",       "_visible",      "_width",        "_height",
    "_rotation",    "_target",      "_framesloaded", "_name",         "_droptarget",
    "_url",         "_highquality", "_focusrect",    "_soundbuftime", "_quality",
    "_xmouse",      "_ymouse"};

int propertyIndex(const QString& name) {
    if (!name.startsWith(u'_')) {
        return -1;
    }
    for (size_t i = 0; i < kPropertyNames.size(); ++i) {
        if (name.compare(QLatin1String(kPropertyNames[i]), Qt::CaseInsensitive) == 0) {
            return int(i);
        }
    }
    return -1;
}

bool isTextProperty(int index) {
    return index == 11 || index == 13 || index == 14 || index == 15 || index == 19;
}

// A value assigned to a numbered property, as the text setClipProperty takes. Numeric
// properties convert through valueOf, not toString (set_property_values).
QString propertyArgument(avm1::Machine& m, int index, const Value& v) {
    if (isTextProperty(index)) {
        return m.toString(v);
    }
    if (v.isUndefined() || v.isNull()) {
        return QString();  // no value: the clip stays as it is
    }
    const double n = m.toNumber(v);
    if (std::isnan(n)) {
        return QString();  // nor does what is not a number ("10x" for _visible)
    }
    // The movie's own number text, except that infinities must read back as numbers.
    return std::isinf(n) ? QString::number(n) : m.toString(Value(n));
}

Qt::CaseSensitivity caseOf(avm1::Machine& m) {
    return m.version() >= 7 ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

bool scriptable(const DisplayObject& o) {
    return o.kind == ObjectKind::Clip || o.kind == ObjectKind::Button ||
           o.kind == ObjectKind::EditText || o.kind == ObjectKind::Video;
}

// A display object as scripts see it.
class DisplayBinding : public ScriptAttachment, public avm1::ClipBinding {
  public:
    DisplayBinding(ScriptHost& host, DisplayObject& object) : host_(host), object_(object) {
        host_.bindings().insert(this);
    }
    ~DisplayBinding() override {
        host_.bindings().erase(this);
        if (script) {
            script->detach();
        }
    }

    // A reference to a removed clip finds the clip placed later at the path the clip had
    // when scripts first saw it, not at a name it was given since (string_paths_other).
    void removedFromList(const QString& path) override {
        if (script) {
            script->detach(firstPath.isEmpty() ? path : firstPath);
        }
    }

    QString firstPath;

    bool get(avm1::Machine& m, const QString& name, Value& out) override {
        const int index = propertyIndex(name);
        if (index == int(avm1::ClipProperty::FocusRect)) {
            out = focusRectValue(m, host_.player(), object_);
            return true;
        }
        if (index >= 0) {
            // A child named like a property hides the property from reads, not from writes.
            DisplayObject* child = object_.childNamed(name, m.version() >= 7);
            out = child && scriptable(*child) ? Value(host_.scriptObject(*child))
                                              : propertyValue(host_.player(), object_, index);
            return true;
        }
        // _parent, _root, _global and children's names give way to a variable a script
        // stored under that name.
        const bool scriptVariable = script && script->find(name, m.version());
        if (scriptVariable && name.startsWith(u'_')) {
            return false;
        }
        if (name.compare(u"_parent", Qt::CaseInsensitive) == 0) {
            // Before SWF 6 buttons are no script objects: a clip inside one has the button's
            // timeline as its parent.
            DisplayObject* parent = object_.parent;
            while (parent && parent->kind == ObjectKind::Button && m.version() < 6) {
                parent = parent->parent;
            }
            out = parent ? Value(host_.scriptObject(*parent)) : Value();
            return true;
        }
        // Every clip answers for its movie's root and the global object (root_global_parent).
        if (name.compare(u"_root", caseOf(m)) == 0) {
            out = Value(host_.root(script));
            return true;
        }
        if (m.version() >= 6 && name.compare(u"_global", caseOf(m)) == 0) {
            out = Value(m.global());
            return true;
        }
        // _levelN and _flashN name the levels from any clip, before its children and the
        // prototype's properties.
        if (auto level = avm1::levelOfName(name, caseOf(m))) {
            avm1::Object* clip = *level >= 0 ? host_.level(*level) : nullptr;
            out = clip ? Value(clip) : Value();
            return true;
        }
        if (getDisplayProperty(m, object_, name, out) ||
            getTransformProperty(m, object_, name, out)) {
            return true;
        }
        // A movie clip's _lockroot is false until a script sets it (the value is then an
        // ordinary property of the clip).
        if (object_.kind == ObjectKind::Clip && name.compare(u"_lockroot", caseOf(m)) == 0 &&
            script && !script->find(name, m.version())) {
            out = Value(false);
            return true;
        }
        // An unnamed shape is no child "" (access_unnamed_shape).
        if (DisplayObject* child = name.isEmpty() || scriptVariable
                                       ? nullptr
                                       : object_.childNamed(name, m.version() >= 7)) {
            // A named shape, static text or bitmap has no script object, nor before SWF 6 a
            // button: its name stands for the clip it is in (string_paths_hidden).
            const bool asOwner =
                !scriptable(*child) || (child->kind == ObjectKind::Button && m.version() < 6);
            out = Value(host_.scriptObject(asOwner ? object_ : *child));
            return true;
        }
        return false;
    }

    bool set(avm1::Machine& m, const QString& name, const Value& v) override {
        const int index = propertyIndex(name);
        if (index == int(avm1::ClipProperty::FocusRect)) {
            setFocusRect(m, host_.player(), object_, v);
            return true;
        }
        if (object_.field && (index == 8 || index == 9)) {
            // A text field's _width and _height resize the field rather than scale it.
            const double n = m.toNumber(v);
            if (std::isfinite(n) && n >= 0) {
                QRectF& b = object_.field->bounds;
                (index == 8 ? b.setWidth(n * 20) : b.setHeight(n * 20));
                textFieldChanged(object_);
            }
            return true;
        }
        if (index >= 0) {
            setClipProperty(host_.player(), object_, index, propertyArgument(m, index, v));
            return true;
        }
        if (setDisplayProperty(m, object_, name, v) || setTransformProperty(m, object_, name, v)) {
            return true;
        }
        return false;
    }

    void traceRefs(avm1::Tracer& t) override {
        if (object_.field && object_.field->styleSheet) {
            t.mark(object_.field->styleSheet);
        }
    }

    void childNames(std::vector<QString>& out) override {
        for (auto it = object_.children.rbegin(); it != object_.children.rend(); ++it) {
            const ObjectKind k = it->second->kind;
            if (!it->second->name.isEmpty() && k != ObjectKind::Shape && k != ObjectKind::Text &&
                k != ObjectKind::Bitmap) {
                out.push_back(it->second->name);
            }
        }
    }

    static Value propertyValue(const Player& player, const DisplayObject& o, int index) {
        if ((o.field || o.video) && timelineOnly(index)) {
            return Value();  // a text field or video has no frames and is never dragged
        }
        if (isTextProperty(index)) {
            auto t = clipPropertyText(player, o, index);
            return t ? Value(*t) : Value();
        }
        auto n = clipPropertyNumber(player, o, index);
        if (index == 7 && n) {
            return Value(*n != 0);
        }
        return n ? Value(*n) : Value();
    }

    static bool timelineOnly(int index) {
        using P = avm1::ClipProperty;
        return index == int(P::CurrentFrame) || index == int(P::TotalFrames) ||
               index == int(P::FramesLoaded) || index == int(P::DropTarget);
    }

    avm1::ClipObject* script = nullptr;
    DisplayObject& object() { return object_; }

  private:
    ScriptHost& host_;
    DisplayObject& object_;
};

// gotoAndPlay(frame) and its kin: a number counts from 1 and is taken as a 32-bit integer
// (4294967298 is frame 2); frame 0 and below go nowhere, frames past the last go to the last
// (goto_methods). Anything else is a label, or a number written as text.
std::optional<int> frameIndex(double oneBased) {
    const int32_t n = int32_t(uint32_t(avm1::doubleToInt32(oneBased)) - 1u);
    if (!std::isfinite(oneBased) || n < 0) {
        return std::nullopt;
    }
    return n;
}

void gotoArgument(avm1::Machine& m, DisplayObject& clip, const Value& where, bool play) {
    Player& player = hostOf(m).player();
    if (!where.isNumber()) {
        const QString text = m.toString(where);
        bool numeric = false;
        const double n = text.toDouble(&numeric);
        if (!numeric) {
            player.gotoLabel(clip, text, play);
        } else if (auto f = frameIndex(n)) {
            player.gotoFrame(clip, *f, play);
        }
        return;
    }
    if (auto f = frameIndex(m.toNumber(where))) {
        player.gotoFrame(clip, *f, play);
    }
}

Value mcPlay(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    if (DisplayObject* c = thisClip(m, self)) {
        c->playing = true;
    }
    return {};
}
Value mcStop(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    if (DisplayObject* c = thisClip(m, self)) {
        c->playing = false;
    }
    return {};
}
Value mcNextFrame(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    if (DisplayObject* c = thisClip(m, self)) {
        hostOf(m).player().nextFrame(*c);
    }
    return {};
}
Value mcPrevFrame(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    if (DisplayObject* c = thisClip(m, self)) {
        hostOf(m).player().prevFrame(*c);
    }
    return {};
}
Value mcGotoAndPlay(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    if (DisplayObject* c = thisClip(m, self); c && !args.empty()) {
        gotoArgument(m, *c, args[0], true);
    }
    return {};
}
Value mcGotoAndStop(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    if (DisplayObject* c = thisClip(m, self); c && !args.empty()) {
        gotoArgument(m, *c, args[0], false);
    }
    return {};
}
Value mcGetDepth(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* c = thisClip(m, self);
    return c ? Value(c->depth - kScriptDepthBase) : Value();
}
Value mcConstruct(avm1::Machine&, const Value&, std::vector<Value>&) {
    return {};
}

// Where a getURL-style request loads: "_levelN", or a clip by path from the clip whose
// script asked (a layer's root counts as its layer). Nothing for a browser window.
std::optional<LoadTarget> loadTargetOf(ScriptHost& host, const avm1::UrlRequest& request) {
    static const QString kLevel = QStringLiteral("_level");
    if (request.target.startsWith(kLevel, Qt::CaseInsensitive)) {
        bool ok = false;
        const int layer = request.target.mid(kLevel.size()).toInt(&ok);
        if (ok && layer >= 0) {
            return LoadTarget{layer, {}};
        }
    }
    if (!request.targetIsClip && !request.loadVariables) {
        return std::nullopt;
    }
    DisplayObject* from = host.displayOf(request.sourceClip);
    if (!from) {
        from = host.player().root(0);
    }
    DisplayObject* to =
        request.target.isEmpty() ? from : host.player().resolveTarget(from, request.target);
    if (!to) {
        return std::nullopt;
    }
    if (!to->parent) {
        return LoadTarget{to->depth, {}};
    }
    return LoadTarget{-1, host.player().sharedOf(*to)};
}

}  // namespace

ScriptHost::ScriptHost(Player& player) : player_(player) {
    machine_ = std::make_unique<avm1::Machine>(*this, 8);
    // A script that hangs is stopped once; the movie's scripts then stay stopped (its timeline,
    // drawing and sound go on) until a movie is loaded again, rather than costing the whole
    // time limit each time the timeline comes back to them.
    avm1::ScriptLimits limits = machine_->limits();
    limits.stopScriptsAfterTimeLimit = true;
    machine_->setLimits(limits);
    netStreams_ = std::make_unique<NetStreams>(*this);
    installClasses();
    typing_ = makeTextInputHandler(*this);
    player_.setTextInput(typing_.get());
}

ScriptHost::~ScriptHost() {
    player_.setTextInput(nullptr);
}

void ScriptHost::installClasses() {
    installMovieClip();
    installSoundClass(*this);
    installStageAndSystem(*this);
    installColorClass(*machine_);
    installBitmapDrawing(*machine_);
    installBitmapFilters(*machine_);
    installTextFieldClass(*this);
    installVideoClass(*this);
    installVideoClasses(*this);  // NetStream, and stream pictures on the Video class above
    installInputClasses();
}

void ScriptHost::installClassesAgain(avm1::Object* firstGlobal) {
    installClasses();
    // The keyboard, the mouse, the focus and the stage are the player's own, one each: every
    // movie hears the same events through the same objects and listeners.
    avm1::Machine& m = *machine_;
    for (const char* name : {"Key", "Mouse", "Selection", "Stage"}) {
        const QString n = QString::fromLatin1(name);
        if (avm1::Property* p = firstGlobal->findAny(n, 10)) {
            m.global()->put(n, p->value, p->flags);
        }
    }
}

avm1::Object* ScriptHost::movieClipPrototype(const DisplayObject& clip) {
    return machine_->protosFor(clip.movie ? clip.movie->version() : 8).movieClip;
}

void ScriptHost::installMovieClip() {
    avm1::Machine& m = *machine_;
    avm1::Object* proto = m.makeObject();
    proto->putNative(m, QStringLiteral("play"), mcPlay);
    proto->putNative(m, QStringLiteral("stop"), mcStop);
    proto->putNative(m, QStringLiteral("nextFrame"), mcNextFrame);
    proto->putNative(m, QStringLiteral("prevFrame"), mcPrevFrame);
    proto->putNative(m, QStringLiteral("gotoAndPlay"), mcGotoAndPlay);
    proto->putNative(m, QStringLiteral("gotoAndStop"), mcGotoAndStop);
    // getDepth came with Flash Player 6: SWF 5 code does not see it.
    proto->putNative(m, QStringLiteral("getDepth"), mcGetDepth, avm1::kDontEnum | avm1::kVersion6);
    installClipMethods(m, proto);
    installClipBitmaps(m, proto);
    installClipDrawing(m, proto);
    m.protos().movieClip = proto;
    m.defineClass(QStringLiteral("MovieClip"), mcConstruct, proto);
    installMovieLoading(*this, proto);
}

avm1::ClipObject* ScriptHost::scriptObject(DisplayObject& object) {
    if (auto* b = dynamic_cast<DisplayBinding*>(object.script.get())) {
        return b->script;
    }
    auto binding = std::make_unique<DisplayBinding>(*this, object);
    binding->script = machine_->makeClip(classPrototype(object), binding.get());
    if (object.parent) {
        binding->firstPath = player_.targetPath(object, false);
    }
    avm1::ClipObject* script = binding->script;
    if (!object.parent && object.depth == 0 && object.kind == ObjectKind::Clip) {
        // The player's version, as getVersion() gives it, is read from level 0's timeline; it
        // is not listed nor sent with the timeline's variables.
        const QString name = QStringLiteral("$version");
        script->put(name, Value(), avm1::kDontEnum | avm1::kDontDelete);
        script->find(name, 10)->getter =
            machine_->makeNative([](avm1::Machine&, const Value&, std::vector<Value>&) {
                return Value(avm1::playerVersion());
            });
    }
    object.script = std::move(binding);
    if (object.field) {
        initTextFieldObject(*machine_, script);
    }
    return script;
}

DisplayObject* ScriptHost::displayOf(avm1::Object* object) const {
    if (!object || object->kind() != avm1::ObjectKind::Clip) {
        return nullptr;
    }
    auto* binding =
        dynamic_cast<DisplayBinding*>(static_cast<avm1::ClipObject*>(object)->binding());
    return binding ? &binding->object() : nullptr;
}

void ScriptHost::advanceClock(double milliseconds) {
    clock_ += milliseconds;
    machine_->runTimers();
    netStreams_->advance(milliseconds);
    player_.runQueuedActions();
}

void ScriptHost::run(Player&, DisplayObject& clip,
                     const std::shared_ptr<const swf::ActionBlock>& block) {
    runPendingConstructs();
    if (block == loadMethodCall_) {
        callLoadMethod(clip);
        return;
    }
    if (block == enterFrameMethodCall_) {
        if (clip.script) {
            machine_->callMethod(scriptObject(clip), QStringLiteral("onEnterFrame"), {},
                                 clip.movie ? clip.movie->version() : 8);
        }
        return;
    }
    for (const auto& [name, call] : inputMethodCalls_) {
        if (block == call) {
            if (clip.script) {
                machine_->callMethod(scriptObject(clip), name, {},
                                     clip.movie ? clip.movie->version() : 8);
            }
            return;
        }
    }
    if (!block || (clip.movie && isInitBlock(*clip.movie, block.get()) &&
                   !clip.movie->initRan.insert(block.get()).second)) {
        return;  // an init action that ran early, before a clip it defines the class of
    }
    if (clip.movie && clip.movie->movie) {
        const swf::Movie& movie = *clip.movie->movie;
        machine_->setLimits(avm1::limitsAskedByMovie(machine_->limits(),
                                                     movie.maxRecursionDepth.value_or(0),
                                                     movie.scriptTimeoutSeconds.value_or(0)));
    }
    machine_->runBlock(block, scriptObject(clip), clip.movie ? clip.movie->version() : 8);
}

// The movie whose placing tag gave the clip its clip events: the one around it, which is not
// the clip's own once another movie has been loaded into it.
static MovieContext* eventsMovie(DisplayObject& clip) {
    return clip.parent && clip.parent->movie ? clip.parent->movie : clip.movie;
}

void ScriptHost::runClipEvent(DisplayObject& clip, uint32_t event) {
    if (!clip.clipActions || !eventsMovie(clip)) {
        return;
    }
    for (const swf::ClipAction& a : *clip.clipActions) {
        if (a.events & event & clip.clipEventMask) {
            player_.queueActions(clip, player_.decoded(*eventsMovie(clip), a.actions));
        }
    }
}

void ScriptHost::clipMovieArrived(DisplayObject& clip) {
    runClipEvent(clip, swf::clip_event::Load);
}

// The clip's onClipEvent(enterFrame) blocks, then its onEnterFrame method, both in its turn of
// the tick: after what newer clips ran, before its own frame's actions.
void ScriptHost::enterFrameEvent(Player&, DisplayObject& clip) {
    runClipEvent(clip, swf::clip_event::EnterFrame);
    if (clip.script) {
        player_.queueActions(clip, enterFrameMethodCall_);
    }
}

void ScriptHost::placed(Player&, DisplayObject& clip) {
    avm1::Object* init = nullptr;
    if (pendingInit_.init && clip.parent == pendingInit_.parent &&
        clip.depth == pendingInit_.depth) {
        init = pendingInit_.init;
        pendingInit_ = {};
    }
    if (clip.field) {
        syncTextVariable(*this, clip, true);
        syncTextPictures(*this, clip);
        return;
    }
    const size_t pending = pendingConstructs_.size();
    construct(clip, init);
    if (clip.isClip() && pendingConstructs_.size() == pending) {
        listenForLoad(clip);  // constructed now, or with nothing to construct
    }
    if (clip.clipActions && eventsMovie(clip)) {
        for (const swf::ClipAction& a : *clip.clipActions) {
            if (a.events & swf::clip_event::Load & clip.clipEventMask) {
                player_.queueLoadActions(clip, player_.decoded(*eventsMovie(clip), a.actions));
            }
        }
    }
    if (clip.isClip()) {
        player_.queueLoadActions(clip, loadMethodCall_);
    }
}

void ScriptHost::listenForLoad(DisplayObject& clip) {
    if (hasLoadMethod(clip)) {
        loadListeners_.push_back(player_.sharedOf(clip));
    }
}

// The constructor, the init object or the class's prototype may have given the method. A clip
// without a script object can only inherit it.
bool ScriptHost::hasLoadMethod(DisplayObject& clip) {
    avm1::Object* from = clip.script ? scriptObject(clip) : movieClipPrototype(clip);
    const Value v = from ? machine_->get(from, QStringLiteral("onLoad")) : Value();
    return v.isObject() && v.object()->kind() == avm1::ObjectKind::Function;
}

void ScriptHost::callLoadMethod(DisplayObject& clip) {
    std::erase_if(loadListeners_, [](const auto& w) { return w.expired(); });
    const auto listener = std::find_if(loadListeners_.begin(), loadListeners_.end(),
                                       [&clip](const auto& w) { return w.lock().get() == &clip; });
    if (listener == loadListeners_.end()) {
        return;
    }
    loadListeners_.erase(listener);
    if (!hasLoadMethod(clip)) {
        return;
    }
    machine_->callMethod(scriptObject(clip), QStringLiteral("onLoad"), {},
                         clip.movie ? clip.movie->version() : 8);
}

void ScriptHost::afterTick(Player&) {
    runPendingConstructs();
    player_.runQueuedActions();
    loader_.afterTick();
    notifySoundsFinished(*this);
    syncTextVariables(*this);
    refreshAttachedBitmaps();
    machine_->collectGarbage();
}

void ScriptHost::addRoots(std::vector<avm1::Object*>& roots) {
    // Every display object alive keeps its script object, on a list or not (a removed clip
    // still running its last script, one a button holds for its next state); once the display
    // object has gone, its script object lives only while scripts reach it.
    for (avm1::ClipBinding* b : bindings_) {
        if (auto* d = static_cast<DisplayBinding*>(b); d->script) {
            roots.push_back(d->script);
        }
    }
    loader_.addRoots(roots);
    netStreams_->addRoots(roots);
    for (const AttachedBitmap& a : attachedBitmaps_) {
        if (!a.object.expired()) {
            roots.push_back(a.bitmap);
        }
    }
    roots.insert(roots.end(), soundPins_.begin(), soundPins_.end());
    roots.push_back(pendingInit_.init);
    for (const PendingConstruct& p : pendingConstructs_) {
        roots.push_back(p.ctor);
    }
}

bool ScriptHost::handlesUnload(DisplayObject& clip) {
    if (clip.clipActions) {
        for (const swf::ClipAction& a : *clip.clipActions) {
            if (a.events & swf::clip_event::Unload) {
                return true;
            }
        }
    }
    if (!clip.script) {
        return false;
    }
    const Value v = machine_->get(scriptObject(clip), QStringLiteral("onUnload"));
    return v.isObject() && v.object()->kind() == avm1::ObjectKind::Function;
}

void ScriptHost::unloadEvent(Player&, DisplayObject& clip) {
    const int version = clip.movie ? clip.movie->version() : 8;
    if (clip.clipActions) {
        for (const swf::ClipAction& a : *clip.clipActions) {
            if (a.events & swf::clip_event::Unload) {
                machine_->runBlock(player_.decoded(*clip.movie, a.actions), scriptObject(clip),
                                   version);
            }
        }
    }
    if (clip.script) {
        machine_->callMethod(scriptObject(clip), QStringLiteral("onUnload"), {}, version);
    }
}
namespace {

// The button events of onClipEvent-style handlers a clip may carry from its placing tag.
constexpr uint32_t kClipButtonEvents = swf::clip_event::Press | swf::clip_event::Release |
                                       swf::clip_event::ReleaseOutside | swf::clip_event::RollOver |
                                       swf::clip_event::RollOut | swf::clip_event::DragOver |
                                       swf::clip_event::DragOut;

uint32_t clipButtonEvent(const QString& handler) {
    namespace ce = swf::clip_event;
    if (handler == u"onPress") {
        return ce::Press;
    }
    if (handler == u"onRelease") {
        return ce::Release;
    }
    if (handler == u"onReleaseOutside") {
        return ce::ReleaseOutside;
    }
    if (handler == u"onRollOver") {
        return ce::RollOver;
    }
    if (handler == u"onRollOut") {
        return ce::RollOut;
    }
    if (handler == u"onDragOver") {
        return ce::DragOver;
    }
    if (handler == u"onDragOut") {
        return ce::DragOut;
    }
    return 0;
}

}  // namespace

bool ScriptHost::handlesMouse(DisplayObject& clip) {
    if (clip.clipActions) {
        for (const swf::ClipAction& a : *clip.clipActions) {
            if (a.events & kClipButtonEvents) {
                return true;
            }
        }
    }
    if (!clip.script) {
        return false;  // no script has touched it, so none gave it handlers
    }
    static const char* const kHandlers[] = {"onPress",   "onRelease",        "onRollOver",
                                            "onRollOut", "onReleaseOutside", "onDragOver",
                                            "onDragOut"};
    // A handler counts while its property is there, whatever it holds: setting it to
    // undefined keeps the clip a button; only deleting it gives the clip back.
    avm1::Object* object = scriptObject(clip);
    for (const char* name : kHandlers) {
        if (machine_->hasProperty(object, QString::fromLatin1(name))) {
            return true;
        }
    }
    return false;
}

void ScriptHost::mouseEvent(Player&, DisplayObject& target, const QString& handler) {
    if (target.isClip()) {
        if (const uint32_t event = clipButtonEvent(handler)) {
            runClipEvent(target, event);
            player_.runQueuedActions();
        }
    }
    if (!target.script || (!target.parent && !player_.sharedOf(target))) {
        return;
    }
    machine_->callMethod(scriptObject(target), handler, {},
                         target.movie ? target.movie->version() : 8);
}

void ScriptHost::trace(const QString& line) {
    player_.events().trace(line);
}

avm1::Object* ScriptHost::resolveTarget(avm1::Object* base, const QString& path) {
    DisplayObject* from = displayOf(base);
    if (!from) {
        from = player_.root(0);
    }
    DisplayObject* to = player_.resolveTarget(from, path);
    return to ? scriptObject(*to) : nullptr;
}

QString ScriptHost::targetPath(avm1::Object* clip, bool slashForm) {
    // A removed clip names the clip now at its path, or nothing (string_paths_variable_alias).
    DisplayObject* o = displayOf(avm1::currentClip(*machine_, clip));
    return o ? player_.targetPath(*o, slashForm) : QString();
}

avm1::Object* ScriptHost::root(avm1::Object* base) {
    DisplayObject* o = displayOf(base);
    if (!o) {
        o = player_.root(0);
    }
    // A clip whose _lockroot is true is the root of the code inside it (a movie loaded into
    // a clip keeps its own _root).
    for (; o && o->parent; o = o->parent) {
        if (o->script &&
            machine_->toBoolean(machine_->get(scriptObject(*o), QStringLiteral("_lockroot")))) {
            return scriptObject(*o);
        }
    }
    return o ? scriptObject(*o) : nullptr;
}

avm1::Object* ScriptHost::level(int n) {
    DisplayObject* r = player_.root(n);
    return r ? scriptObject(*r) : nullptr;
}

Value ScriptHost::getClipProperty(avm1::Object* clip, avm1::ClipProperty p) {
    DisplayObject* o = displayOf(clip);
    if (o && p == avm1::ClipProperty::FocusRect) {
        return focusRectValue(*machine_, player_, *o);
    }
    return o ? DisplayBinding::propertyValue(player_, *o, int(p)) : Value();
}

void ScriptHost::setClipProperty(avm1::Object* clip, avm1::ClipProperty p, const Value& v) {
    if (DisplayObject* o = displayOf(clip); o && p == avm1::ClipProperty::FocusRect) {
        setFocusRect(*machine_, player_, *o, v);
        return;
    }
    if (DisplayObject* o = displayOf(clip)) {
        runtime::setClipProperty(player_, *o, int(p), propertyArgument(*machine_, int(p), v));
    }
}

void ScriptHost::play(avm1::Object* clip) {
    if (DisplayObject* o = displayOf(clip)) {
        o->playing = true;
    }
}
void ScriptHost::stop(avm1::Object* clip) {
    if (DisplayObject* o = displayOf(clip)) {
        o->playing = false;
    }
}
void ScriptHost::nextFrame(avm1::Object* clip) {
    if (DisplayObject* o = displayOf(clip)) {
        player_.nextFrame(*o);
    }
}
void ScriptHost::prevFrame(avm1::Object* clip) {
    if (DisplayObject* o = displayOf(clip)) {
        player_.prevFrame(*o);
    }
}
void ScriptHost::gotoFrame(avm1::Object* clip, int frame, bool andPlay) {
    if (DisplayObject* o = displayOf(clip)) {
        player_.gotoFrame(*o, frame, andPlay);
    }
}
bool ScriptHost::gotoLabel(avm1::Object* clip, const QString& label, bool andPlay) {
    DisplayObject* o = displayOf(clip);
    return o && player_.gotoLabel(*o, label, andPlay);
}
avm1::Value ScriptHost::heldFrames(avm1::Object* clip) {
    const DisplayObject* o = displayOf(clip);
    return o && o->isClip() ? avm1::Value(o->totalFrames) : avm1::Value();
}
bool ScriptHost::frameLoaded(avm1::Object* clip, int frame) {
    // A movie plays once it has been read whole, so every frame a goto can reach is loaded:
    // frames past the last one up to the most a movie can hold land on the last one, and a
    // frame before the first names none to wait for (waitforframe).
    constexpr int kMostFrames = 16000;
    return displayOf(clip) && frame <= kMostFrames;
}

void ScriptHost::callFrame(avm1::Object* clip, const Value& frame) {
    DisplayObject* o = displayOf(clip);
    if (!o) {
        return;
    }
    // call(frame): a frame number counted from 1 or a label, as the gotos take them.
    std::optional<int> index;
    const QString text = machine_->toString(frame);
    bool numeric = false;
    const double n = frame.isNumber() ? frame.number() : text.toDouble(&numeric);
    if (frame.isNumber() || numeric) {
        index = frameIndex(n);
    } else {
        index = player_.labelFrame(*o, text);
    }
    if (index && *index < o->totalFrames) {
        player_.callFrame(*o, *index);
    }
}

void ScriptHost::cloneSprite(avm1::Object* source, const QString& name, int depth) {
    DisplayObject* o = displayOf(source);
    if (o && depth >= -16384 && depth <= 2130690044) {
        duplicateClip(*o, name, depth + kScriptDepthBase, nullptr);
    }
}

void ScriptHost::removeSprite(avm1::Object* clip) {
    DisplayObject* o = displayOf(clip);
    // Scripts remove only clips at depths 0 to 1048575 of their own count: what scripts
    // placed, or timeline clips a script moved there with swapDepths.
    if (o && o->parent && o->depth >= kScriptDepthBase && o->depth - kScriptDepthBase <= 1048575) {
        player_.removeObject(*o->parent, o->depth);
    }
}

void ScriptHost::toggleQuality() {
    player_.setHighQuality(!player_.highQuality());
}

void ScriptHost::getUrl(const avm1::UrlRequest& request) {
    if (request.url.startsWith(QLatin1String("FSCommand:"), Qt::CaseInsensitive)) {
        dispatchGetUrl(player_, request.url, request.target);
        return;
    }
    std::optional<LoadTarget> target = loadTargetOf(*this, request);
    QString url = request.url;
    QByteArray body;
    QString method = QStringLiteral("GET");
    if (request.method != avm1::UrlRequest::Method::None) {
        const QByteArray vars = encodeClipVariables(*machine_, request.sourceClip);
        if (request.method == avm1::UrlRequest::Method::Post) {
            method = QStringLiteral("POST");
            body = vars;
        } else if (!vars.isEmpty()) {
            url += (url.contains(u'?') ? u'&' : u'?') + QString::fromLatin1(vars);
        }
    }
    if (!target) {
        // A window opens the address with the timeline's variables in its query when they
        // go by GET; a window has no body to carry them by POST.
        if (!request.targetIsClip && !request.loadVariables) {
            dispatchGetUrl(player_, url, request.target);
        }
        return;
    }
    if (request.loadVariables) {
        loader_.loadVariables(*target, url, method, body);
    } else if (url.isEmpty()) {
        loader_.unloadMovie(*target);
    } else {
        loader_.loadMovie(*target, url, method, body, nullptr);
    }
}

void ScriptHost::fetch(avm1::FetchRequest request) {
    const QString method = request.method == avm1::UrlRequest::Method::Post ? QStringLiteral("POST")
                                                                            : QStringLiteral("GET");
    auto done = std::move(request.done);
    player_.events().fetch(request.url, method, request.body,
                           [done](std::optional<QByteArray> data) {
                               if (done) {
                                   done(data.has_value(), data.value_or(QByteArray()));
                               }
                           });
}

int ScriptHost::openSocket(const QString& host, int port, avm1::SocketEvents events) {
    QString name = host;
    if (name.isEmpty()) {
        const DisplayObject* root = player_.root(0);
        name = root && root->movie ? QUrl(root->movie->url).host() : QString();
    }
    if (name.isEmpty()) {
        name = QStringLiteral("localhost");
    }
    return player_.events().openSocket(name, port, std::move(events));
}

void ScriptHost::resetClipScript(DisplayObject& clip) {
    if (!clip.script) {
        return;
    }
    avm1::ClipObject* object = scriptObject(clip);
    std::vector<QString> names;
    // _lockroot belongs to the holder: whoever loads a movie into the clip may set it first.
    const Qt::CaseSensitivity nameCase =
        clip.movie && clip.movie->version() >= 7 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (const avm1::Property& p : object->properties()) {
        if (p.name.compare(QLatin1String("_lockroot"), nameCase) != 0) {
            names.push_back(p.name);
        }
    }
    for (const QString& name : names) {
        object->remove(name, 10);
    }
    object->watches().clear();
    if (clip.isClip()) {
        object->setProto(movieClipPrototype(clip));
    }
}

void ScriptHost::clipUnloading(DisplayObject& clip) {
    if (clip.clipActions && eventsMovie(clip)) {
        for (const swf::ClipAction& a : *clip.clipActions) {
            if (a.events & swf::clip_event::Unload) {
                machine_->runBlock(player_.decoded(*eventsMovie(clip), a.actions),
                                   scriptObject(clip), eventsMovie(clip)->version());
            }
        }
    }
    if (clip.script) {
        machine_->callMethod(scriptObject(clip), QStringLiteral("onUnload"), {},
                             clip.movie ? clip.movie->version() : 8);
    }
}

void ScriptHost::clipDataArrived(DisplayObject& clip) {
    runClipEvent(clip, swf::clip_event::Data);
    machine_->callMethod(scriptObject(clip), QStringLiteral("onData"), {},
                         clip.movie ? clip.movie->version() : 8);
}

}  // namespace pencora::runtime
