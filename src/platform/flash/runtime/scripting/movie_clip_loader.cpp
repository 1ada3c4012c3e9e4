// MovieClipLoader, and the loading methods of MovieClip (loadMovie, loadVariables,
// unloadMovie). The work is the MovieLoader's (movie_loader.h); this file reads the
// arguments the way movies pass them.
#include <cmath>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/runtime/display/movie_loader.h"
#include "platform/flash/runtime/scripting/script_host.h"

namespace pencora::runtime {

using avm1::Value;

namespace {

// "GET"/"POST" in any case; anything else sends no variables.
QString methodName(avm1::Machine& m, const Value& v) {
    if (v.isUndefined()) {
        return {};
    }
    const QString s = m.toString(v);
    if (s.compare(QLatin1String("POST"), Qt::CaseInsensitive) == 0) {
        return QStringLiteral("POST");
    }
    if (s.compare(QLatin1String("GET"), Qt::CaseInsensitive) == 0) {
        return QStringLiteral("GET");
    }
    return {};
}

// A clip's request: its own variables go with GET in the address and with POST as the body.
struct Request {
    QString url;
    QString method = QStringLiteral("GET");
    QByteArray body;
};
Request clipRequest(avm1::Machine& m, avm1::Object* clip, const QString& url,
                    const QString& method) {
    Request r{url, QStringLiteral("GET"), {}};
    if (method.isEmpty()) {
        return r;
    }
    const QByteArray vars = encodeClipVariables(m, clip);
    if (method == u"POST") {
        r.method = method;
        r.body = vars;
    } else if (!vars.isEmpty()) {
        r.url += (url.contains(u'?') ? u'&' : u'?') + QString::fromLatin1(vars);
    }
    return r;
}

std::optional<LoadTarget> clipTarget(avm1::Machine& m, const Value& self) {
    DisplayObject* clip = hostOf(m).displayOf(self.object());
    if (!clip) {
        return std::nullopt;
    }
    if (!clip->parent) {
        return LoadTarget{clip->depth, {}};
    }
    return LoadTarget{-1, hostOf(m).player().sharedOf(*clip)};
}

Value mcLoadMovie(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    auto target = clipTarget(m, self);
    if (!target || args.empty()) {
        return {};
    }
    const Request r =
        clipRequest(m, self.object(), m.toString(args[0]), methodName(m, argAt(args, 1)));
    if (r.url.isEmpty()) {
        hostOf(m).loader().unloadMovie(*target);
    } else {
        hostOf(m).loader().loadMovie(*target, r.url, r.method, r.body, nullptr);
    }
    return {};
}

Value mcLoadVariables(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    auto target = clipTarget(m, self);
    if (!target || args.empty()) {
        return {};
    }
    const Request r =
        clipRequest(m, self.object(), m.toString(args[0]), methodName(m, argAt(args, 1)));
    hostOf(m).loader().loadVariables(*target, r.url, r.method, r.body);
    return {};
}

Value mcUnloadMovie(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    if (auto target = clipTarget(m, self)) {
        hostOf(m).loader().unloadMovie(*target);
    }
    return {};
}

// The target of loadClip/unloadClip: a layer number (fractions cut), a clip, or a clip path
// ("_levelN" or a path from _level0). Nothing for other objects, null or unknown paths.
std::optional<LoadTarget> loaderTarget(avm1::Machine& m, const Value& v) {
    ScriptHost& host = hostOf(m);
    if (v.isNumber()) {
        const double n = std::trunc(v.number());
        if (!std::isfinite(n) || n < 0 || n > 65535) {
            return std::nullopt;
        }
        return LoadTarget{int(n), {}};
    }
    DisplayObject* clip = nullptr;
    if (v.isObject()) {
        clip = host.displayOf(v.object());
    } else if (v.isString()) {
        static const QString kLevel = QStringLiteral("_level");
        if (v.string().startsWith(kLevel, Qt::CaseInsensitive)) {
            bool ok = false;
            const int layer = v.string().mid(kLevel.size()).toInt(&ok);
            if (ok && layer >= 0) {
                return LoadTarget{layer, {}};
            }
        }
        clip = host.player().resolveTarget(host.player().root(0), v.string());
    }
    if (!clip) {
        return std::nullopt;
    }
    if (!clip->parent) {
        return LoadTarget{clip->depth, {}};
    }
    return LoadTarget{-1, host.player().sharedOf(*clip)};
}

Value loaderCtor(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    avm1::Object* o = self.object();
    if (!o) {
        return self;
    }
    o->put(QStringLiteral("_listeners"), Value(m.makeArray({self})), avm1::kDontEnum);
    return self;
}

Value loadClip(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    if (args.size() < 2) {
        return {};
    }
    if (!args[0].isString()) {
        return Value(false);
    }
    auto target = loaderTarget(m, args[1]);
    if (!target) {
        return Value(false);
    }
    hostOf(m).loader().loadMovie(*target, args[0].string(), QStringLiteral("GET"), {},
                                 self.object());
    return Value(true);
}

Value unloadClip(avm1::Machine& m, const Value&, std::vector<Value>& args) {
    if (args.empty()) {
        return {};
    }
    auto target = loaderTarget(m, args[0]);
    if (!target) {
        return Value(false);
    }
    hostOf(m).loader().unloadMovie(*target);
    return Value(true);
}

Value getProgress(avm1::Machine& m, const Value&, std::vector<Value>& args) {
    avm1::Object* result = m.makeObject();
    auto target = loaderTarget(m, argAt(args, 0));
    DisplayObject* clip = nullptr;
    if (target) {
        clip =
            target->level >= 0 ? hostOf(m).player().root(target->level) : target->clip.lock().get();
    }
    if (clip) {
        const double bytes =
            clip->movie && clip->movie->movie ? double(clip->movie->movie->header.fileLength) : 0.0;
        result->put(QStringLiteral("bytesLoaded"), Value(bytes));
        result->put(QStringLiteral("bytesTotal"), Value(bytes));
    }
    return Value(result);
}

}  // namespace

void installMovieLoading(ScriptHost& host, avm1::Object* movieClipPrototype) {
    avm1::Machine& m = host.machine();
    movieClipPrototype->putNative(m, QStringLiteral("loadMovie"), mcLoadMovie);
    movieClipPrototype->putNative(m, QStringLiteral("loadVariables"), mcLoadVariables);
    movieClipPrototype->putNative(m, QStringLiteral("unloadMovie"), mcUnloadMovie);

    avm1::Object* proto = m.makeObject();
    proto->putNative(m, QStringLiteral("loadClip"), loadClip);
    proto->putNative(m, QStringLiteral("unloadClip"), unloadClip);
    proto->putNative(m, QStringLiteral("getProgress"), getProgress);
    // The listener methods are AsBroadcaster's own.
    if (avm1::Object* b = m.get(m.global(), QStringLiteral("AsBroadcaster")).object()) {
        for (const char* name : {"broadcastMessage", "addListener", "removeListener"}) {
            const QString n = QString::fromLatin1(name);
            proto->put(n, m.get(b, n), avm1::kDontEnum);
        }
    }
    m.defineClass(QStringLiteral("MovieClipLoader"), loaderCtor, proto);
}

}  // namespace pencora::runtime
