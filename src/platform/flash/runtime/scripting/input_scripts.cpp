// The script side of input: the Key, Mouse and Selection objects, Button.prototype, the
// dragging and focus methods of MovieClip, and the ScriptHost hooks through which the runtime
// tells scripts of keys, mouse moves and the focus.
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include "platform/flash/avm1/activation.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/natives.h"
#include "platform/flash/runtime/display/object_under.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/runtime/text/text_field.h"
#include "platform/flash/runtime/text/text_field_class.h"
#include "platform/flash/runtime/text/text_variable_path.h"

namespace pencora::runtime {

using avm1::Machine;
using avm1::Value;

namespace {

Player& playerOf(Machine& m) {
    return hostOf(m).player();
}

// A key code as a whole number; what is no number names no key.
int keyArgument(Machine& m, std::vector<Value>& args) {
    const double n = m.toNumber(avm1::argAt(args, 0));
    return std::isfinite(n) ? m.toInt32(Value(n)) : -1;
}

Value keyIsDown(Machine& m, const Value&, std::vector<Value>& args) {
    return Value(playerOf(m).keyboard().isDown(keyArgument(m, args)));
}
Value keyIsToggled(Machine& m, const Value&, std::vector<Value>& args) {
    return Value(playerOf(m).keyboard().isToggled(keyArgument(m, args)));
}
Value keyGetCode(Machine& m, const Value&, std::vector<Value>&) {
    return Value(double(playerOf(m).keyboard().lastCode));
}
Value keyGetAscii(Machine& m, const Value&, std::vector<Value>&) {
    return Value(double(playerOf(m).keyboard().lastChar));
}
// No movie is kept from reading the last key.
Value keyIsAccessible(Machine&, const Value&, std::vector<Value>&) {
    return Value(true);
}

// The cursor is the host's to show; the calls answer as the original does (hide: whether it
// was visible before, show: the same).
Value mouseShow(Machine& m, const Value&, std::vector<Value>&) {
    const bool was = hostOf(m).cursorVisible();
    hostOf(m).setCursorVisible(true);
    return Value(was ? 1.0 : 0.0);
}
Value mouseHide(Machine& m, const Value&, std::vector<Value>&) {
    const bool was = hostOf(m).cursorVisible();
    hostOf(m).setCursorVisible(false);
    return Value(was ? 1.0 : 0.0);
}

Value selectionGetFocus(Machine& m, const Value&, std::vector<Value>&) {
    DisplayObject* f = playerOf(m).focus();
    if (!f) {
        return Value::null();
    }
    // A text field placed without a name is known by the variable it shows.
    if (f->field && f->name.isEmpty()) {
        if (QString path = textVariablePath(hostOf(m), *f); !path.isEmpty()) {
            return Value(path);
        }
    }
    return Value(playerOf(m).targetPath(*f, false));
}

// The timeline of the script calling now, or the first level's root outside any script.
DisplayObject* callingTimeline(Machine& m) {
    avm1::Activation* a = m.current();
    DisplayObject* o = a ? hostOf(m).displayOf(a->target ? a->target : a->originalTarget) : nullptr;
    return o ? o : playerOf(m).root(0);
}

// The text field showing the variable a path names ("_root.answer", "answer" from the calling
// timeline), or null.
DisplayObject* fieldShowing(Machine& m, DisplayObject& base, const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(u'.'), path.lastIndexOf(u':'));
    Player& player = playerOf(m);
    DisplayObject* holder = cut < 0 ? &base : player.resolveTarget(&base, path.left(cut));
    if (!holder) {
        return nullptr;
    }
    const QString wanted = player.targetPath(*holder, false) + u'.' + path.mid(cut + 1);
    DisplayObject* found = nullptr;
    std::function<void(DisplayObject&)> walk = [&](DisplayObject& o) {
        for (auto& [depth, child] : o.children) {
            if (found) {
                return;
            }
            if (child->field && textVariablePath(hostOf(m), *child) == wanted) {
                found = child.get();
                return;
            }
            walk(*child);
        }
    };
    for (int layer : player.layers()) {
        if (DisplayObject* root = player.root(layer); root && !found) {
            walk(*root);
        }
    }
    return found;
}

Value selectionSetFocus(Machine& m, const Value&, std::vector<Value>& args) {
    const Value target = avm1::argAt(args, 0);
    Player& player = playerOf(m);
    if (target.isNull() || target.isUndefined()) {
        player.setFocus(nullptr);
        return Value(true);
    }
    DisplayObject* object = nullptr;
    if (target.isObject()) {
        object = hostOf(m).displayOf(target.object());
    } else {
        // A path from the calling timeline names an object or, failing that, the variable a
        // text field shows.
        const QString path = m.toString(target);
        DisplayObject* base = callingTimeline(m);
        object = base ? player.resolveTarget(base, path) : nullptr;
        if (!object && base) {
            object = fieldShowing(m, *base, path);
        }
    }
    // A plain clip (no button handlers, not focusEnabled, not tab-enabled) refuses the focus,
    // which stays where it was.
    if (!object || !object->parent || !player.takesScriptFocus(*object)) {
        return Value(false);
    }
    player.setFocus(object, false, true);
    return Value(true);
}

// Caret and selection of the focused text belong to the text field; without one in focus
// they read -1.
TextField* focusedField(Machine& m) {
    DisplayObject* f = playerOf(m).focus();
    return f && f->parent && f->field ? f->field.get() : nullptr;
}

std::pair<int, int> fieldSelection(const TextField& f) {
    if (f.selectionBegin < 0) {
        return {f.length(), f.length()};
    }
    const int a = std::clamp(f.selectionBegin, 0, f.length());
    const int b = std::clamp(f.selectionEnd, 0, f.length());
    return {std::min(a, b), std::max(a, b)};
}

Value selectionBeginIndex(Machine& m, const Value&, std::vector<Value>&) {
    TextField* f = focusedField(m);
    return Value(f ? double(fieldSelection(*f).first) : -1.0);
}
Value selectionEndIndex(Machine& m, const Value&, std::vector<Value>&) {
    TextField* f = focusedField(m);
    return Value(f ? double(fieldSelection(*f).second) : -1.0);
}
Value selectionCaretIndex(Machine& m, const Value&, std::vector<Value>&) {
    TextField* f = focusedField(m);
    if (!f) {
        return Value(-1.0);
    }
    return Value(
        double(f->selectionEnd < 0 ? f->length() : std::clamp(f->selectionEnd, 0, f->length())));
}
Value selectionSetSelection(Machine& m, const Value&, std::vector<Value>& args) {
    DisplayObject* o = playerOf(m).focus();
    if (!o || !o->parent || !o->field || args.empty()) {
        return Value();
    }
    TextField& f = *o->field;
    auto index = [&](const Value& v) {
        const double d = m.toNumber(v);
        return std::isfinite(d) ? int(std::clamp(d, 0.0, double(f.length()))) : 0;
    };
    f.selectionBegin = index(args[0]);
    f.selectionEnd = args.size() > 1 ? index(args[1]) : f.selectionBegin;
    textFieldChanged(*o);
    return Value();
}

Value buttonGetDepth(Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* b = hostOf(m).displayOf(self.object());
    return b ? Value(double(b->depth - kScriptDepthBase)) : Value();
}

Value clipStartDrag(Machine& m, const Value& self, std::vector<Value>& args) {
    if (!hostOf(m).displayOf(self.object())) {
        return Value();
    }
    const bool lock = m.toBoolean(avm1::argAt(args, 0));
    // Any limit given confines the clip; those left out count as 0.
    if (args.size() >= 2) {
        double rect[4] = {0, 0, 0, 0};
        for (size_t i = 0; i < 4 && i + 1 < args.size(); ++i) {
            rect[i] = m.toNumber(args[i + 1]);
        }
        hostOf(m).startDrag(self.object(), lock, rect);
    } else {
        hostOf(m).startDrag(self.object(), lock, nullptr);
    }
    return Value();
}
Value clipStopDrag(Machine& m, const Value&, std::vector<Value>&) {
    hostOf(m).stopDrag();
    return Value();
}

avm1::Object* broadcaster(Machine& m, const char* name) {
    avm1::Object* o = m.makeObject();
    Value init = m.getMember(m.get(m.global(), QStringLiteral("AsBroadcaster")),
                             QStringLiteral("initialize"));
    std::vector<Value> args{Value(o)};
    m.call(init, Value(), args);
    m.global()->put(QString::fromLatin1(name), Value(o), avm1::kDontEnum);
    return o;
}

struct KeyConstant {
    const char* name;
    int code;
};
constexpr KeyConstant kKeyCodes[] = {
    {"ALT", vk::Alt},         {"BACKSPACE", vk::Backspace}, {"CAPSLOCK", vk::CapsLock},
    {"CONTROL", vk::Control}, {"DELETEKEY", vk::Delete},    {"DOWN", vk::Down},
    {"END", vk::End},         {"ENTER", vk::Enter},         {"ESCAPE", vk::Escape},
    {"HOME", vk::Home},       {"INSERT", vk::Insert},       {"LEFT", vk::Left},
    {"PGDN", vk::PageDown},   {"PGUP", vk::PageUp},         {"RIGHT", vk::Right},
    {"SHIFT", vk::Shift},     {"SPACE", vk::Space},         {"TAB", vk::Tab},
    {"UP", vk::Up},
};

const avm1::NativeEntry kKeyMethods[] = {
    {"isDown", keyIsDown},     {"isToggled", keyIsToggled},       {"getCode", keyGetCode},
    {"getAscii", keyGetAscii}, {"isAccessible", keyIsAccessible},
};
const avm1::NativeEntry kMouseMethods[] = {
    {"show", mouseShow},
    {"hide", mouseHide},
};
const avm1::NativeEntry kSelectionMethods[] = {
    {"getFocus", selectionGetFocus},        {"setFocus", selectionSetFocus},
    {"getBeginIndex", selectionBeginIndex}, {"getEndIndex", selectionEndIndex},
    {"getCaretIndex", selectionCaretIndex}, {"setSelection", selectionSetSelection},
};

Value buttonConstruct(Machine&, const Value&, std::vector<Value>&) {
    return Value();
}

// Clip events the mouse and keyboard raise on every clip, by handler name.
uint32_t clipEventFor(const QString& handler) {
    namespace ce = swf::clip_event;
    if (handler == u"onMouseMove") {
        return ce::MouseMove;
    }
    if (handler == u"onMouseDown") {
        return ce::MouseDown;
    }
    if (handler == u"onMouseUp") {
        return ce::MouseUp;
    }
    if (handler == u"onKeyDown") {
        return ce::KeyDown;
    }
    if (handler == u"onKeyUp") {
        return ce::KeyUp;
    }
    return 0;
}

}  // namespace

Value focusRectValue(Machine& m, Player& player, DisplayObject& object) {
    if (m.version() < 6) {
        return Value(player.focusRectEnabled() ? 1.0 : 0.0);
    }
    if (!object.parent) {
        return Value(player.focusRectEnabled());
    }
    return object.focusRect ? Value(*object.focusRect) : Value::null();
}

void setFocusRect(Machine& m, Player& player, DisplayObject& object, const Value& v) {
    const bool movieWide = m.version() < 6 || !object.parent;
    if (!movieWide) {
        object.focusRect = v.isNullish() ? std::nullopt : std::optional(m.toBoolean(v));
        return;
    }
    // The movie-wide switch ignores null, undefined and what is not a number, turns off for
    // an object, and is on for any other number but zero.
    if (v.isNullish()) {
        return;
    }
    if (v.isObject()) {
        player.setFocusRectEnabled(false);
    } else if (v.isBoolean()) {
        player.setFocusRectEnabled(v.boolean());
    } else if (const double n = m.toNumber(v); !std::isnan(n)) {
        player.setFocusRectEnabled(n != 0);
    }
}

void ScriptHost::installInputClasses() {
    Machine& m = *machine_;

    avm1::Object* key = broadcaster(m, "Key");
    avm1::installTable(m, key, kKeyMethods);
    for (const KeyConstant& k : kKeyCodes) {
        key->put(QString::fromLatin1(k.name), Value(double(k.code)),
                 avm1::kDontEnum | avm1::kDontDelete | avm1::kReadOnly);
    }
    avm1::installTable(m, broadcaster(m, "Mouse"), kMouseMethods);
    avm1::installTable(m, broadcaster(m, "Selection"), kSelectionMethods);

    // Buttons and clips both answer the mouse; `enabled` and `useHandCursor` are plain
    // properties their prototypes give, which an instance may shadow or delete.
    avm1::Object* button = m.makeObject();
    button->putNative(m, QStringLiteral("getDepth"), buttonGetDepth);
    // A button's for..in lists them; a clip's does not.
    for (avm1::Object* proto : {button, m.protos().movieClip}) {
        const uint16_t flags = proto == button ? 0 : avm1::kDontEnum;
        proto->put(QStringLiteral("enabled"), Value(true), flags);
        proto->put(QStringLiteral("useHandCursor"), Value(true), flags);
    }
    // typeof a button is "object", not "movieclip".
    button->put(QStringLiteral("__typeof__"), Value(QStringLiteral("object")),
                avm1::kDontEnum | avm1::kDontDelete | avm1::kReadOnly);
    m.protos().button = button;
    m.defineClass(QStringLiteral("Button"), buttonConstruct, button);

    avm1::Object* clip = m.protos().movieClip;
    clip->putNative(m, QStringLiteral("startDrag"), clipStartDrag);
    clip->putNative(m, QStringLiteral("stopDrag"), clipStopDrag);
}

std::shared_ptr<const swf::ActionBlock> ScriptHost::inputMethodCall(const QString& name) {
    for (const auto& [known, call] : inputMethodCalls_) {
        if (known == name) {
            return call;
        }
    }
    inputMethodCalls_.emplace_back(name, std::make_shared<swf::ActionBlock>());
    return inputMethodCalls_.back().second;
}

namespace {

// The clips of every layer, newest first.
std::vector<std::shared_ptr<DisplayObject>> clipsNewestFirst(Player& player) {
    std::vector<std::shared_ptr<DisplayObject>> clips;
    for (int layer : player.layers()) {
        if (DisplayObject* root = player.root(layer)) {
            const auto inLayer = player.executionOrder(player.sharedOf(*root));
            clips.insert(clips.end(), inLayer.begin(), inLayer.end());
        }
    }
    std::stable_sort(clips.begin(), clips.end(),
                     [](const auto& a, const auto& b) { return a->serial > b->serial; });
    return clips;
}

}  // namespace

void ScriptHost::broadcastInput(Player&, const QString& handler, int wheelDelta) {
    Machine& m = *machine_;
    const uint32_t event = clipEventFor(handler);
    const bool mouse = handler.startsWith(u"onMouse");
    const bool wheel = handler == u"onMouseWheel";
    // Every clip on the list hears the buttons, moves and keys, wherever the pointer is,
    // newest first whatever its layer (a movie loaded into a layer after the clips of another
    // were placed is heard before them): in its turn its clip event blocks, then, for the
    // mouse, its method. Keys reach the method of the clip in focus only, and the wheel only
    // listeners. Who hears is settled as the event comes: a clip an earlier handler removes
    // hears nothing, one it adds waits for the next event.
    if (!wheel) {
        const std::shared_ptr<const swf::ActionBlock> method =
            mouse ? inputMethodCall(handler) : nullptr;
        for (const auto& clip : clipsNewestFirst(player_)) {
            if (clip->unloading) {
                continue;
            }
            if (event) {
                runClipEvent(*clip, event);
            }
            if (method) {
                player_.queueActions(*clip, method);
            }
        }
        player_.runQueuedActions();
    }
    // The Key and Mouse listeners hear it after the clips, in the order they were added.
    Value target = m.get(m.global(), mouse ? QStringLiteral("Mouse") : QStringLiteral("Key"));
    std::vector<Value> args{Value(handler)};
    if (wheel) {
        // The wheel's listeners hear how far it turned and the topmost object under the
        // pointer.
        args.push_back(Value(double(wheelDelta)));
        DisplayObject* under = objectUnder(player_, player_.mousePosition());
        args.push_back(under ? Value(scriptObject(*under)) : Value());
    }
    m.callMethodValue(target, QStringLiteral("broadcastMessage"), args);
}

void ScriptHost::focusChanged(Player&, DisplayObject* old, DisplayObject* now) {
    Machine& m = *machine_;
    const int version = m.version();
    const Value oldValue = old ? Value(scriptObject(*old)) : Value::null();
    const Value nowValue = now ? Value(scriptObject(*now)) : Value::null();
    if (old) {
        m.callMethod(scriptObject(*old), QStringLiteral("onKillFocus"), {nowValue},
                     old->movie ? old->movie->version() : version);
    }
    if (now) {
        m.callMethod(scriptObject(*now), QStringLiteral("onSetFocus"), {oldValue},
                     now->movie ? now->movie->version() : version);
    }
    std::vector<Value> args{Value(QStringLiteral("onSetFocus")), oldValue, nowValue};
    m.callMethodValue(m.get(m.global(), QStringLiteral("Selection")),
                      QStringLiteral("broadcastMessage"), args);
}

avm1::Object* ScriptHost::classPrototype(const DisplayObject& object) {
    const avm1::Prototypes& p = machine_->protosFor(object.movie ? object.movie->version() : 8);
    switch (object.kind) {
        case ObjectKind::Clip:
            return p.movieClip;
        case ObjectKind::Button:
            return p.button;
        case ObjectKind::EditText:
            return p.textField ? p.textField : p.object;
        case ObjectKind::Video:
            return p.video ? p.video : p.object;
        default:
            return p.object;
    }
}

namespace {

std::optional<Value> definedValue(Machine& m, avm1::Object* o, const QString& name) {
    if (!o) {
        return std::nullopt;
    }
    Value v = m.get(o, name);
    if (v.isUndefined()) {
        return std::nullopt;
    }
    return v;
}

}  // namespace

std::optional<double> ScriptHost::scriptNumber(DisplayObject& object, const QString& name) {
    avm1::Object* o = object.script ? scriptObject(object) : classPrototype(object);
    auto v = definedValue(*machine_, o, name);
    if (!v || v->isNull()) {
        return std::nullopt;
    }
    return machine_->toNumber(*v);
}

void ScriptHost::setScriptNumber(DisplayObject& object, const QString& name, double value) {
    if (avm1::Object* o = scriptObject(object)) {
        machine_->set(o, name, Value(value));
    }
}

std::optional<bool> ScriptHost::scriptFlag(DisplayObject& object, const QString& name) {
    avm1::Object* o = object.script ? scriptObject(object) : classPrototype(object);
    auto v = definedValue(*machine_, o, name);
    if (!v) {
        return std::nullopt;
    }
    return machine_->toBoolean(*v);
}

std::optional<QString> ScriptHost::scriptText(DisplayObject& object, const QString& name) {
    avm1::Object* o = object.script ? scriptObject(object) : classPrototype(object);
    auto v = definedValue(*machine_, o, name);
    if (!v || v->isNull()) {
        return std::nullopt;
    }
    return machine_->toString(*v);
}

DisplayObject* ScriptHost::scriptDisplayObject(DisplayObject& object, const QString& name) {
    avm1::Object* o = object.script ? scriptObject(object) : classPrototype(object);
    auto v = definedValue(*machine_, o, name);
    DisplayObject* found = v && v->object() ? displayOf(v->object()) : nullptr;
    return found && player_.onList(*found) ? found : nullptr;
}

void ScriptHost::startDrag(avm1::Object* clip, bool lockCenter, const double* rectOrNull) {
    DisplayObject* o = displayOf(clip);
    if (!o) {
        return;
    }
    std::optional<QRectF> bounds;
    if (rectOrNull) {
        // A limit that is not a number (undefined from SWF 7, a word, NaN) counts as 0.
        auto limit = [rectOrNull](int i) {
            return std::isnan(rectOrNull[i]) ? 0.0 : rectOrNull[i];
        };
        bounds = QRectF(QPointF(limit(0), limit(1)), QPointF(limit(2), limit(3)));
    }
    player_.startDrag(*o, lockCenter, bounds);
}

void ScriptHost::stopDrag() {
    player_.stopDrag();
}

}  // namespace pencora::runtime
