// Stage: the size of _level0's stage, scale mode, alignment, the context-menu flag and the
// display state, with listeners (onResize, onFullScreen). The control owns how the stage is
// really shown; a desktop control has no full-screen mode of its own, so displayState only
// records what the movie asked and tells its listeners.
//
// System: System.security (sandboxType from where the movie came from and its use-network
// flag; the domain calls accept and do nothing), System.capabilities, useCodepage,
// setClipboard (the text goes to the clipboard text fields paste from) and showSettings (a
// no-op: the player has no settings panel).
#include "platform/flash/runtime/scripting/stage_class.h"
#include <QStringList>

#include "platform/flash/avm1/activation.h"
#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/runtime/text/clipboard.h"

namespace pencora::runtime {

using avm1::Value;

namespace {

const swf::Movie* levelZeroMovie(avm1::Machine& m) {
    DisplayObject* root = hostOf(m).player().root(0);
    return root && root->movie ? root->movie->movie.get() : nullptr;
}

// Script-visible state kept on the Stage object itself, under names scripts do not see.
const QString kShowMenu = QStringLiteral("__showMenu");
const QString kDisplayState = QStringLiteral("__displayState");

Value stored(avm1::Machine& m, const Value& self, const QString& name, const Value& fallback) {
    avm1::Object* o = self.object();
    avm1::Property* p = o ? o->find(name, 10) : nullptr;
    (void)m;
    return p ? p->value : fallback;
}
void store(const Value& self, const QString& name, const Value& v) {
    if (avm1::Object* o = self.object()) {
        o->put(name, v, avm1::kDontEnum);
    }
}

bool noScale(const StageView& view) {
    return view.scaleMode == u"noScale";
}

// Under noScale the size of the area the stage is shown in, once the owner has told it;
// otherwise the size _level0's movie gives its stage.
Value stageExtent(avm1::Machine& m, bool horizontal) {
    const StageView& view = hostOf(m).stageView();
    if (noScale(view) && view.size) {
        return Value(std::round(horizontal ? view.size->width() : view.size->height()));
    }
    const swf::Movie* movie = levelZeroMovie(m);
    if (!movie) {
        return Value(0);
    }
    const swf::Rect& frame = movie->header.frameSize;
    return Value(std::round(horizontal ? (frame.xMax - frame.xMin) / 20.0
                                       : (frame.yMax - frame.yMin) / 20.0));
}
Value getWidth(avm1::Machine& m, const Value&, std::vector<Value>&) {
    return stageExtent(m, true);
}
Value getHeight(avm1::Machine& m, const Value&, std::vector<Value>&) {
    return stageExtent(m, false);
}
Value readOnly(avm1::Machine&, const Value&, std::vector<Value>&) {
    return {};
}

void tellOwner(avm1::Machine& m) {
    ScriptHost& host = hostOf(m);
    host.player().events().stageModeChanged(host.stageView().scaleMode, host.stageView().align);
}

Value getScaleMode(avm1::Machine& m, const Value&, std::vector<Value>&) {
    return Value(hostOf(m).stageView().scaleMode);
}
// One of the four modes in any case; anything else leaves the mode as it was.
Value setScaleMode(avm1::Machine& m, const Value&, std::vector<Value>& args) {
    static const char* const kModes[] = {"showAll", "noBorder", "exactFit", "noScale"};
    const QString mode = m.toString(argAt(args, 0));
    for (const char* known : kModes) {
        if (mode.compare(QLatin1String(known), Qt::CaseInsensitive) == 0) {
            hostOf(m).stageView().scaleMode = QString::fromLatin1(known);
            tellOwner(m);
        }
    }
    return {};
}

Value getAlign(avm1::Machine& m, const Value&, std::vector<Value>&) {
    return Value(hostOf(m).stageView().align);
}
// The letters T, B, L, R in any order and case, kept in the order the original prints them.
Value setAlign(avm1::Machine& m, const Value&, std::vector<Value>& args) {
    const QString a = m.toString(argAt(args, 0)).toUpper();
    QString out;
    for (QChar c : {u'L', u'T', u'R', u'B'}) {
        if (a.contains(c)) {
            out += c;
        }
    }
    hostOf(m).stageView().align = out;
    tellOwner(m);
    return {};
}

Value getShowMenu(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    return stored(m, self, kShowMenu, Value(true));
}
Value setShowMenu(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    store(self, kShowMenu, Value(m.toBoolean(argAt(args, 0))));
    return {};
}

Value getDisplayState(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    return stored(m, self, kDisplayState, Value(QStringLiteral("normal")));
}
Value setDisplayState(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    const QString want = m.toString(argAt(args, 0));
    QString state;
    if (want.compare(QLatin1String("fullScreen"), Qt::CaseInsensitive) == 0) {
        state = QStringLiteral("fullScreen");
    } else if (want.compare(QLatin1String("normal"), Qt::CaseInsensitive) == 0) {
        state = QStringLiteral("normal");
    } else {
        return {};
    }
    if (m.toString(getDisplayState(m, self, args)) == state) {
        return {};
    }
    store(self, kDisplayState, Value(state));
    std::vector<Value> message{Value(QStringLiteral("onFullScreen")),
                               Value(state == u"fullScreen")};
    m.callMethodValue(self, QStringLiteral("broadcastMessage"), message);
    return {};
}

void addComputed(avm1::Machine& m, avm1::Object* o, const char* name, avm1::NativeFn get,
                 avm1::NativeFn set) {
    const QString n = QString::fromLatin1(name);
    o->put(n, Value(), avm1::kDontEnum | avm1::kDontDelete);
    avm1::Property* p = o->find(n, 10);
    p->getter = m.makeNative(get);
    p->setter = m.makeNative(set);
}

// ---- System ---------------------------------------------------------------------------------

// The movie whose code is running: the one of the clip the running code belongs to, or
// _level0's when no code runs.
const MovieContext* callingMovie(avm1::Machine& m) {
    ScriptHost& host = hostOf(m);
    if (avm1::Activation* a = m.current()) {
        if (DisplayObject* clip = host.displayOf(a->originalTarget ? a->originalTarget : a->target);
            clip && clip->movie) {
            return clip->movie;
        }
    }
    DisplayObject* root = host.player().root(0);
    return root ? root->movie : nullptr;
}

// Each movie has the sandbox of where it came from: a network address is remote, whatever the
// movie asks; a local movie is local-with-network when its file attributes ask for the
// network, else local-with-file.
Value getSandboxType(avm1::Machine& m, const Value&, std::vector<Value>&) {
    const MovieContext* context = callingMovie(m);
    const QString url = context ? context->url : QString();
    if (url.startsWith(QLatin1String("http:"), Qt::CaseInsensitive) ||
        url.startsWith(QLatin1String("https:"), Qt::CaseInsensitive)) {
        return Value(QStringLiteral("remote"));
    }
    const swf::Movie* movie = context ? context->movie.get() : nullptr;
    const bool useNetwork = movie && movie->fileAttributes && (*movie->fileAttributes & 0x01);
    return Value(useNetwork ? QStringLiteral("localWithNetwork") : QStringLiteral("localWithFile"));
}

Value nothing(avm1::Machine&, const Value&, std::vector<Value>&) {
    return {};
}

Value setClipboard(avm1::Machine& m, const Value&, std::vector<Value>& args) {
    if (args.empty()) {
        return Value(false);
    }
    setClipboardText(m.toString(args[0]));
    return Value(true);
}

Value refused(avm1::Machine&, const Value&, std::vector<Value>&) {
    return Value(false);
}

Value getUseCodepage(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    return stored(m, self, QStringLiteral("__useCodepage"), Value(false));
}
Value setUseCodepage(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    store(self, QStringLiteral("__useCodepage"), Value(m.toBoolean(argAt(args, 0))));
    return {};
}

// What the desktop player offers: sound, MP3, embedded and streamed video (FLV), no printer,
// encoders, screen sharing or input method; it reports itself as the Windows control that
// the course's movies were made for. serverString packs the same answers the way the
// player sends them to a server.
struct Capability {
    const char* name;
    const char* code;  // in serverString; null when it is not sent
    Value value;
};

std::vector<Capability> capabilityRows() {
    return {
        {"hasAudio", "A", Value(true)},
        {"hasStreamingAudio", "SA", Value(true)},
        {"hasStreamingVideo", "SV", Value(true)},
        {"hasEmbeddedVideo", "EV", Value(true)},
        {"hasMP3", "MP3", Value(true)},
        {"hasAudioEncoder", "AE", Value(false)},
        {"hasVideoEncoder", "VE", Value(false)},
        {"hasAccessibility", "ACC", Value(false)},
        {"hasPrinting", "PR", Value(false)},
        {"hasScreenPlayback", "SP", Value(false)},
        {"hasScreenBroadcast", "SB", Value(false)},
        {"isDebugger", "DEB", Value(false)},
        {"version", "V", Value(avm1::playerVersion())},
        {"manufacturer", "M", Value(QStringLiteral("Pencora"))},
        {"screenResolutionX", nullptr, Value(1280)},
        {"screenResolutionY", nullptr, Value(800)},
        {"screenDPI", "DP", Value(96)},
        {"screenColor", "COL", Value(QStringLiteral("color"))},
        {"pixelAspectRatio", "AR", Value(1)},
        {"os", "OS", Value(QStringLiteral("Linux"))},
        {"language", "L", Value(QStringLiteral("zh-CN"))},
        {"hasIME", "IME", Value(false)},
        {"playerType", "PT", Value(QStringLiteral("ActiveX"))},
        {"avHardwareDisable", "AVD", Value(true)},
        {"localFileReadDisable", "LFD", Value(false)},
        {"windowlessDisable", "WD", Value(false)},
    };
}

Value capability(const std::vector<Capability>& rows, const char* name) {
    for (const Capability& row : rows) {
        if (qstrcmp(row.name, name) == 0) {
            return row.value;
        }
    }
    return {};
}

QString serverString(avm1::Machine& m, const std::vector<Capability>& rows) {
    QStringList parts;
    for (const Capability& row : rows) {
        if (!row.code) {
            continue;
        }
        QString value;
        if (row.value.isBoolean()) {
            value = row.value.boolean() ? QStringLiteral("t") : QStringLiteral("f");
        } else if (QLatin1String(row.name) == QLatin1String("pixelAspectRatio")) {
            value = QString::number(m.toNumber(row.value), 'f', 1);
        } else {
            value = avm1::urlEscape(m.toString(row.value).toUtf8());
        }
        parts << QLatin1String(row.code) + QLatin1Char('=') + value;
        if (QLatin1String(row.code) == QLatin1String("M")) {
            parts << QStringLiteral("R=") + m.toString(capability(rows, "screenResolutionX")) +
                         QLatin1Char('x') + m.toString(capability(rows, "screenResolutionY"));
        }
    }
    return parts.join(QLatin1Char('&'));
}

avm1::Object* makeCapabilities(avm1::Machine& m) {
    avm1::Object* c = m.makeObject();
    const std::vector<Capability> rows = capabilityRows();
    const uint16_t flags = avm1::kDontDelete | avm1::kReadOnly;
    for (const Capability& row : rows) {
        c->put(QString::fromLatin1(row.name), row.value, flags);
    }
    c->put(QStringLiteral("serverString"), Value(serverString(m, rows)), flags);
    return c;
}

}  // namespace

void installStageAndSystem(ScriptHost& host) {
    avm1::Machine& m = host.machine();
    avm1::Object* stage = m.makeObject();
    addComputed(m, stage, "width", getWidth, readOnly);
    addComputed(m, stage, "height", getHeight, readOnly);
    addComputed(m, stage, "scaleMode", getScaleMode, setScaleMode);
    addComputed(m, stage, "align", getAlign, setAlign);
    addComputed(m, stage, "showMenu", getShowMenu, setShowMenu);
    addComputed(m, stage, "displayState", getDisplayState, setDisplayState);
    if (avm1::Object* b = m.get(m.global(), QStringLiteral("AsBroadcaster")).object()) {
        std::vector<Value> args{Value(stage)};
        m.callMethodValue(Value(b), QStringLiteral("initialize"), args);
    }
    // Stage came with Flash Player 6: to SWF 5 code the name is an ordinary one.
    m.global()->put(QStringLiteral("Stage"), Value(stage), avm1::kDontEnum | avm1::kVersion6);

    avm1::Object* system = m.makeObject();
    avm1::Object* security = m.makeObject();
    addComputed(m, security, "sandboxType", getSandboxType, readOnly);
    for (const char* name : {"allowDomain", "allowInsecureDomain", "loadPolicyFile"}) {
        security->putNative(m, QString::fromLatin1(name), nothing);
    }
    system->put(QStringLiteral("security"), Value(security), avm1::kDontEnum);
    system->put(QStringLiteral("capabilities"), Value(makeCapabilities(m)), avm1::kDontEnum);
    addComputed(m, system, "useCodepage", getUseCodepage, setUseCodepage);
    system->put(QStringLiteral("exactSettings"), Value(true), avm1::kDontEnum);
    // No input method editor: it is never enabled and takes no requests.
    avm1::Object* ime = m.makeObject();
    for (const char* name : {"getEnabled", "setEnabled", "getConversionMode", "setConversionMode",
                             "setCompositionString", "doConversion"}) {
        ime->putNative(m, QString::fromLatin1(name), refused);
    }
    if (avm1::Object* b = m.get(m.global(), QStringLiteral("AsBroadcaster")).object()) {
        std::vector<Value> args{Value(ime)};
        m.callMethodValue(Value(b), QStringLiteral("initialize"), args);
    }
    system->put(QStringLiteral("IME"), Value(ime), avm1::kDontEnum);
    system->putNative(m, QStringLiteral("setClipboard"), setClipboard);
    system->putNative(m, QStringLiteral("showSettings"), nothing);
    m.global()->put(QStringLiteral("System"), Value(system), avm1::kDontEnum);
}

void showStage(ScriptHost& host, const StageView& view) {
    StageView& now = host.stageView();
    // The first size the owner gives is where the stage starts, not a resize.
    const bool resized = now.size && view.size && *now.size != *view.size;
    now = view;
    avm1::Machine& m = host.machine();
    avm1::Property* stage = m.global()->findAny(QStringLiteral("Stage"), 10);
    if (!resized || !noScale(now) || !stage) {
        return;
    }
    std::vector<Value> message{Value(QStringLiteral("onResize"))};
    m.callMethodValue(stage->value, QStringLiteral("broadcastMessage"), message);
}

}  // namespace pencora::runtime
