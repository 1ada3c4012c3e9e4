#include "platform/flash/runtime/script_host.h"

#include <array>
#include <cmath>

#include "platform/flash/runtime/clip_properties.h"
#include "platform/flash/runtime/frame_actions.h"

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

    bool get(avm1::Machine& m, const QString& name, Value& out) override {
        const int index = propertyIndex(name);
        if (index == int(avm1::ClipProperty::FocusRect)) {
            out = focusRectValue(m, host_.player(), object_);
            return true;
        }
        if (index >= 0) {
            out = propertyValue(host_.player(), object_, index);
            return true;
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
        if (object_.kind == ObjectKind::EditText && name == u"text") {
            out = Value(object_.text);
            return true;
        }
        // An object placed without a name is not reached by the empty name.
        DisplayObject* child =
            name.isEmpty() ? nullptr : object_.childNamed(name, m.version() >= 7);
        if (child) {
            // Before SWF 6 a button's name stands for the timeline that holds it.
            const bool asOwner = child->kind == ObjectKind::Button && m.version() < 6;
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
        if (index >= 0) {
            QString text = m.toString(v);
            if (index == 7 && v.isBoolean()) {
                text = v.boolean() ? QStringLiteral("1") : QStringLiteral("0");
            }
            setClipProperty(host_.player(), object_, index, text);
            return true;
        }
        if (object_.kind == ObjectKind::EditText && name == u"text") {
            object_.text = m.toString(v);
            return true;
        }
        return false;
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

    avm1::ClipObject* script = nullptr;
    DisplayObject& object() { return object_; }

  private:
    ScriptHost& host_;
    DisplayObject& object_;
};

ScriptHost& hostOf(avm1::Machine& m) {
    return static_cast<ScriptHost&>(m.host());
}

DisplayObject* thisClip(avm1::Machine& m, const Value& self) {
    return hostOf(m).displayOf(self.object());
}

// gotoAndPlay(frame) and its kin: a number counts from 1, a string is a label (or a number
// written as text).
// A 1-based frame number as a 0-based frame, kept in range whatever the movie passes.
int frameIndex(double oneBased) {
    return int(std::clamp(std::trunc(oneBased), 0.0, double(1 << 20))) - 1;
}

void gotoArgument(avm1::Machine& m, DisplayObject& clip, const Value& where, bool play) {
    Player& player = hostOf(m).player();
    if (where.isString()) {
        bool numeric = false;
        const double n = where.string().toDouble(&numeric);
        if (numeric) {
            player.gotoFrame(clip, frameIndex(n), play);
        } else {
            player.gotoLabel(clip, where.string(), play);
        }
        return;
    }
    const double n = m.toNumber(where);
    if (std::isfinite(n)) {
        player.gotoFrame(clip, frameIndex(n), play);
    }
}

Value mcPlay(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    if (DisplayObject* c = thisClip(m, self))
        c->playing = true;
    return {};
}
Value mcStop(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    if (DisplayObject* c = thisClip(m, self))
        c->playing = false;
    return {};
}
Value mcNextFrame(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    if (DisplayObject* c = thisClip(m, self))
        hostOf(m).player().nextFrame(*c);
    return {};
}
Value mcPrevFrame(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    if (DisplayObject* c = thisClip(m, self))
        hostOf(m).player().prevFrame(*c);
    return {};
}
Value mcGotoAndPlay(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    if (DisplayObject* c = thisClip(m, self); c && !args.empty())
        gotoArgument(m, *c, args[0], true);
    return {};
}
Value mcGotoAndStop(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    if (DisplayObject* c = thisClip(m, self); c && !args.empty())
        gotoArgument(m, *c, args[0], false);
    return {};
}
Value mcGetDepth(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* c = thisClip(m, self);
    return c ? Value(c->depth - kScriptDepthBase) : Value();
}
Value mcGetBytes(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* c = thisClip(m, self);
    if (!c || !c->movie || !c->movie->movie)
        return {};
    return Value(double(c->movie->movie->header.fileLength));
}
Value mcRemove(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    if (DisplayObject* c = thisClip(m, self))
        hostOf(m).removeSprite(hostOf(m).scriptObject(*c));
    return {};
}
Value mcConstruct(avm1::Machine&, const Value&, std::vector<Value>&) {
    return {};
}

}  // namespace

ScriptHost::ScriptHost(Player& player) : player_(player) {
    machine_ = std::make_unique<avm1::Machine>(*this, 8);
    installMovieClip();
    installInputClasses();
}

ScriptHost::~ScriptHost() = default;

void ScriptHost::installMovieClip() {
    avm1::Machine& m = *machine_;
    avm1::Object* proto = m.makeObject();
    proto->putNative(m, QStringLiteral("play"), mcPlay);
    proto->putNative(m, QStringLiteral("stop"), mcStop);
    proto->putNative(m, QStringLiteral("nextFrame"), mcNextFrame);
    proto->putNative(m, QStringLiteral("prevFrame"), mcPrevFrame);
    proto->putNative(m, QStringLiteral("gotoAndPlay"), mcGotoAndPlay);
    proto->putNative(m, QStringLiteral("gotoAndStop"), mcGotoAndStop);
    proto->putNative(m, QStringLiteral("getDepth"), mcGetDepth);
    proto->putNative(m, QStringLiteral("getBytesLoaded"), mcGetBytes);
    proto->putNative(m, QStringLiteral("getBytesTotal"), mcGetBytes);
    proto->putNative(m, QStringLiteral("removeMovieClip"), mcRemove);
    m.protos().movieClip = proto;
    m.defineClass(QStringLiteral("MovieClip"), mcConstruct, proto);
}

avm1::ClipObject* ScriptHost::scriptObject(DisplayObject& object) {
    if (auto* b = dynamic_cast<DisplayBinding*>(object.script.get())) {
        return b->script;
    }
    auto binding = std::make_unique<DisplayBinding>(*this, object);
    binding->script = machine_->makeClip(classPrototype(object), binding.get());
    avm1::ClipObject* script = binding->script;
    object.script = std::move(binding);
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
    player_.runQueuedActions();
}

void ScriptHost::run(Player&, DisplayObject& clip,
                     const std::shared_ptr<const swf::ActionBlock>& block) {
    if (!block) {
        return;
    }
    machine_->runBlock(block, scriptObject(clip), clip.movie ? clip.movie->version() : 8);
}

void ScriptHost::runClipEvent(DisplayObject& clip, uint32_t event) {
    if (!clip.clipActions) {
        return;
    }
    for (const swf::ClipAction& a : *clip.clipActions) {
        if (a.events & event) {
            player_.queueActions(clip, player_.decoded(*clip.movie, a.actions));
        }
    }
}

void ScriptHost::enterFrameEvent(Player&, DisplayObject& clip) {
    runClipEvent(clip, swf::clip_event::EnterFrame);
    if (clip.script) {
        machine_->callMethod(scriptObject(clip), QStringLiteral("onEnterFrame"), {},
                             clip.movie ? clip.movie->version() : 8);
    }
}

void ScriptHost::placed(Player&, DisplayObject& clip) {
    runClipEvent(clip, swf::clip_event::Load);
}

void ScriptHost::afterTick(Player&) {
    // Every display object alive keeps its script object, on a list or not (a removed clip
    // still running its last script, one a button holds for its next state).
    std::vector<avm1::Object*> roots;
    for (avm1::ClipBinding* b : bindings_) {
        if (auto* d = static_cast<DisplayBinding*>(b); d->script) {
            roots.push_back(d->script);
        }
    }
    machine_->collectGarbage(roots);
}

namespace {

// The button events of onClipEvent-style handlers a clip may carry from its placing tag.
constexpr uint32_t kClipButtonEvents = swf::clip_event::Press | swf::clip_event::Release |
                                       swf::clip_event::ReleaseOutside | swf::clip_event::RollOver |
                                       swf::clip_event::RollOut | swf::clip_event::DragOver |
                                       swf::clip_event::DragOut;

uint32_t clipButtonEvent(const QString& handler) {
    namespace ce = swf::clip_event;
    if (handler == u"onPress")
        return ce::Press;
    if (handler == u"onRelease")
        return ce::Release;
    if (handler == u"onReleaseOutside")
        return ce::ReleaseOutside;
    if (handler == u"onRollOver")
        return ce::RollOver;
    if (handler == u"onRollOut")
        return ce::RollOut;
    if (handler == u"onDragOver")
        return ce::DragOver;
    if (handler == u"onDragOut")
        return ce::DragOut;
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
    avm1::Object* object = scriptObject(clip);
    for (const char* name : kHandlers) {
        const Value v = machine_->get(object, QString::fromLatin1(name));
        if (v.isObject() && v.object()->kind() == avm1::ObjectKind::Function) {
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
    DisplayObject* o = displayOf(clip);
    return o ? player_.targetPath(*o, slashForm) : QString();
}

avm1::Object* ScriptHost::root(avm1::Object* base) {
    DisplayObject* o = displayOf(base);
    if (!o) {
        o = player_.root(0);
    }
    while (o && o->parent) {
        o = o->parent;
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
        QString text = machine_->toString(v);
        if (p == avm1::ClipProperty::Visible && v.isBoolean()) {
            text = v.boolean() ? QStringLiteral("1") : QStringLiteral("0");
        }
        runtime::setClipProperty(player_, *o, int(p), text);
    }
}

void ScriptHost::play(avm1::Object* clip) {
    if (DisplayObject* o = displayOf(clip))
        o->playing = true;
}
void ScriptHost::stop(avm1::Object* clip) {
    if (DisplayObject* o = displayOf(clip))
        o->playing = false;
}
void ScriptHost::nextFrame(avm1::Object* clip) {
    if (DisplayObject* o = displayOf(clip))
        player_.nextFrame(*o);
}
void ScriptHost::prevFrame(avm1::Object* clip) {
    if (DisplayObject* o = displayOf(clip))
        player_.prevFrame(*o);
}
void ScriptHost::gotoFrame(avm1::Object* clip, int frame, bool andPlay) {
    if (DisplayObject* o = displayOf(clip))
        player_.gotoFrame(*o, frame, andPlay);
}
bool ScriptHost::gotoLabel(avm1::Object* clip, const QString& label, bool andPlay) {
    DisplayObject* o = displayOf(clip);
    return o && player_.gotoLabel(*o, label, andPlay);
}
bool ScriptHost::frameLoaded(avm1::Object* clip, int frame) {
    DisplayObject* o = displayOf(clip);
    return o && frame < o->totalFrames;
}

void ScriptHost::cloneSprite(avm1::Object* source, const QString& name, int depth) {
    DisplayObject* o = displayOf(source);
    if (!o || !o->parent || !o->isClip() || o->characterId == 0) {
        return;
    }
    swf::PlaceObject p;
    p.characterId = o->characterId;
    p.depth = uint16_t(std::clamp(depth + kScriptDepthBase, 0, 65535));
    p.matrix = o->matrix;
    p.colorTransform = o->colorTransform;
    p.name = name.toStdString();
    if (DisplayObject* copy = player_.placeObject(*o->parent, p, o->clipActions)) {
        copy->fromTimeline = false;
        copy->name = name;
    }
}

void ScriptHost::removeSprite(avm1::Object* clip) {
    DisplayObject* o = displayOf(clip);
    // Only clips made by scripts (at script depths) can be removed by scripts.
    if (o && o->parent && o->depth >= kScriptDepthBase) {
        player_.removeObject(*o->parent, o->depth);
    }
}

void ScriptHost::toggleQuality() {
    player_.setHighQuality(!player_.highQuality());
}

void ScriptHost::getUrl(const avm1::UrlRequest& request) {
    dispatchGetUrl(player_, request.url, request.target);
}

}  // namespace pencora::runtime
