// MovieClip methods that place, move and measure clips: attachMovie, createEmptyMovieClip,
// duplicateMovieClip, removeMovieClip, the depth methods, getBounds/getRect,
// localToGlobal/globalToLocal, hitTest, startDrag/stopDrag, getURL and getSWFVersion.
//
// Depths: scripts count from the file's depth 16384 up (kScriptDepthBase); they may use -16384
// (the file's 0) to 2130690044. Clips at script depths 0 to 1048575 are the ones scripts may
// remove.
#include <array>
#include <climits>
#include <cmath>

#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/runtime/display/clip_bounds.h"
#include "platform/flash/runtime/display/frame_actions.h"
#include "platform/flash/runtime/display/shared_library.h"
#include "platform/flash/runtime/scripting/movieclip_natives.h"

namespace pencora::runtime {

using avm1::Machine;
using avm1::Object;
using avm1::Value;

namespace {

constexpr int kLowestScriptDepth = -16384;
constexpr int kHighestScriptDepth = 2130690044;
constexpr int kHighestRemovableDepth = 1048575;
// What an empty clip reports as its bounds: the largest twips value, in pixels.
constexpr double kNoBounds = 0x7FFFFFF / 20.0;

}  // namespace

std::optional<int> scriptDepth(Machine& m, const Value& v) {
    const int32_t d = m.toInt32(v);
    if (d < kLowestScriptDepth || d > kHighestScriptDepth) {
        return std::nullopt;
    }
    return d + kScriptDepthBase;
}

namespace {

Value placed(Machine& m, DisplayObject* clip) {
    return clip ? Value(hostOf(m).scriptObject(*clip)) : Value();
}

Value attachMovie(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* parent = thisClip(m, self);
    if (!parent || args.size() < 3 || !parent->movie) {
        return {};
    }
    const auto depth = scriptDepth(m, args[2]);
    const QString symbol = m.toString(args[0]);
    auto id = exportedCharacter(*parent->movie, symbol);
    if (!id) {
        id = importedCharacter(*parent->movie, symbol);
    }
    if (!depth || !id) {
        return {};
    }
    Player::ScriptPlacement p{*id, *depth, m.toString(args[1]), nullptr};
    return placed(m, hostOf(m).placeClip(*parent, p, argAt(args, 3).object()));
}

Value createEmptyMovieClip(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* parent = thisClip(m, self);
    if (!parent || args.size() < 2) {
        return {};
    }
    const auto depth = scriptDepth(m, args[1]);
    if (!depth) {
        return {};
    }
    Player::ScriptPlacement p{0, *depth, m.toString(args[0]), nullptr};
    return placed(m, hostOf(m).placeClip(*parent, p, nullptr));
}

Value duplicateMovieClip(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* source = thisClip(m, self);
    if (!source || args.size() < 2) {
        return {};
    }
    const auto depth = scriptDepth(m, args[1]);
    if (!depth) {
        return {};
    }
    return placed(
        m, hostOf(m).duplicateClip(*source, m.toString(args[0]), *depth, argAt(args, 2).object()));
}

Value removeMovieClip(Machine& m, const Value& self, std::vector<Value>&) {
    if (DisplayObject* c = thisClip(m, self)) {
        hostOf(m).removeSprite(hostOf(m).scriptObject(*c));
    }
    return {};
}

Value swapDepths(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* clip = thisClip(m, self);
    if (!clip || !clip->parent || args.empty() || args[0].isUndefined()) {
        return {};
    }
    const Value& target = args[0];
    DisplayObject* other = nullptr;
    if (target.isObject()) {
        other = hostOf(m).displayOf(target.object());
        if (!other) {
            return {};
        }
    } else if (target.isString()) {
        // A path from the clip, or failing that from its parent: a sibling's bare name is
        // the usual way to name the clip to trade places with.
        ScriptHost& host = hostOf(m);
        Object* o = host.resolveTarget(host.scriptObject(*clip), target.string());
        if (!o) {
            o = host.resolveTarget(host.scriptObject(*clip->parent), target.string());
        }
        other = o ? host.displayOf(o) : nullptr;
    }
    if (other) {
        // Only siblings trade places.
        if (other->parent == clip->parent && other != clip) {
            hostOf(m).player().swapDepth(*clip, other->depth);
        }
        return {};
    }
    if (const auto depth = scriptDepth(m, target)) {
        hostOf(m).player().swapDepth(*clip, *depth);
    }
    return {};
}

// setMask(clip or path): the clip shows only where the mask draws; null or undefined (or
// what names no clip) takes the mask away.
Value setMask(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* clip = thisClip(m, self);
    if (!clip) {
        return {};
    }
    const Value target = argAt(args, 0);
    DisplayObject* mask = nullptr;
    if (target.isObject()) {
        mask = hostOf(m).displayOf(target.object());
    } else if (target.isString()) {
        Object* o = hostOf(m).resolveTarget(hostOf(m).scriptObject(*clip), target.string());
        mask = o ? hostOf(m).displayOf(o) : nullptr;
    }
    runtime::setMask(*clip, mask);
    return Value(true);
}

Value getNextHighestDepth(Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* clip = thisClip(m, self);
    if (!clip) {
        return {};
    }
    int next = 0;
    if (!clip->children.empty()) {
        next = std::max(0, clip->children.rbegin()->first - kScriptDepthBase + 1);
    }
    return Value(double(next));
}

Value getInstanceAtDepth(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* clip = thisClip(m, self);
    if (!clip || args.empty()) {
        return {};
    }
    // No depth lies outside what an int holds; converting such a number would be undefined.
    const double d = std::trunc(m.toNumber(args[0]));
    if (!(d >= double(INT_MIN) && d <= double(INT_MAX - kScriptDepthBase))) {
        return {};
    }
    DisplayObject* child = clip->childAt(int(d) + kScriptDepthBase);
    // Shapes and static texts have no script object of their own.
    if (!child || child->kind == ObjectKind::Shape || child->kind == ObjectKind::Text) {
        return {};
    }
    return Value(hostOf(m).scriptObject(*child));
}

Value getSWFVersion(Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* clip = thisClip(m, self);
    if (clip && clip->showsImage) {
        return Value(-1.0);
    }
    return clip && clip->movie ? Value(double(clip->movie->version())) : Value();
}

Value getBytes(Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* c = thisClip(m, self);
    if (!c || !c->movie || !c->movie->movie) {
        return {};
    }
    // A movie's main timeline counts its whole file, header included; a sprite the bytes of
    // its tag list; an empty clip has no bytes of its own.
    const swf::Movie& movie = *c->movie->movie;
    if (!c->timeline) {
        return Value(0.0);
    }
    if (c->timeline == &movie.timeline) {
        return Value(double(movie.header.fileLength));
    }
    const auto* sprite = movie.findAs<swf::Sprite>(c->characterId);
    return Value(sprite && &sprite->timeline == c->timeline ? double(sprite->tagBytes) : 0.0);
}

// The clip whose space getBounds and getRect measure in. The target names a clip by its path:
// a clip reference stands for the clip now at its path (a removed clip for the one that took
// its place), anything else is read as a path from the clip asked, so an undefined target is
// the clip itself where undefined reads as the empty text (before SWF 7). Nothing when the
// target names no clip.
DisplayObject* boundsSpace(Machine& m, DisplayObject& clip, const std::vector<Value>& args) {
    if (args.empty()) {
        return &clip;
    }
    ScriptHost& host = hostOf(m);
    if (Object* o = args[0].object()) {
        DisplayObject* named = host.displayOf(avm1::currentClip(m, o));
        return named && host.player().onList(*named) ? named : nullptr;
    }
    Object* o = host.resolveTarget(host.scriptObject(clip), m.toString(args[0]));
    return o ? host.displayOf(o) : nullptr;
}

// getBounds(target) and getRect(target): in target's space, the clip's own by default.
Value boundsObject(Machine& m, const Value& self, std::vector<Value>& args, bool strokes) {
    DisplayObject* clip = thisClip(m, self);
    if (!clip) {
        return {};
    }
    DisplayObject* space = boundsSpace(m, *clip, args);
    if (!space) {
        return {};
    }
    const QTransform t = space == clip ? QTransform() : spaceToSpace(*clip, space);
    const auto bounds = contentBounds(*clip, t, strokes);
    Object* out = m.makeObject();
    if (!bounds) {
        // Nothing drawn: the largest coordinate, a little rounded once it went through another
        // clip's matrix.
        const double v = space == clip ? kNoBounds : std::ldexp(1.0, 27) / 20;
        for (const char* k : {"xMin", "xMax", "yMin", "yMax"}) {
            out->put(QString::fromLatin1(k), Value(v));
        }
        return Value(out);
    }
    const QRectF r = *bounds;
    auto px = [](double twips) { return std::round(twips) / 20.0; };
    out->put(QStringLiteral("xMin"), Value(px(r.left())));
    out->put(QStringLiteral("xMax"), Value(px(r.right())));
    out->put(QStringLiteral("yMin"), Value(px(r.top())));
    out->put(QStringLiteral("yMax"), Value(px(r.bottom())));
    return Value(out);
}

Value getBounds(Machine& m, const Value& self, std::vector<Value>& args) {
    return boundsObject(m, self, args, true);
}
Value getRect(Machine& m, const Value& self, std::vector<Value>& args) {
    return boundsObject(m, self, args, false);
}

// localToGlobal(point) and globalToLocal(point) change the point's x and y in place. A point
// without both numbers is left alone.
void convertPoint(Machine& m, const Value& self, std::vector<Value>& args, bool toGlobal) {
    DisplayObject* clip = thisClip(m, self);
    Object* point = args.empty() ? nullptr : args[0].object();
    if (!clip || !point) {
        return;
    }
    // Both must be the point's own numbers; inherited ones do not count (local_to_global).
    avm1::Property* px = point->find(QStringLiteral("x"), m.version());
    avm1::Property* py = point->find(QStringLiteral("y"), m.version());
    if (!px || !py || px->getter || py->getter) {
        return;
    }
    const Value x = px->value;
    const Value y = py->value;
    if (!x.isNumber() || !y.isNumber()) {
        return;
    }
    QTransform t = wholeTwipsToStage(*clip);
    if (!toGlobal) {
        bool ok = false;
        t = t.inverted(&ok);
        if (!ok) {
            return;
        }
        // The inverse keeps its offset in whole twips, as every matrix of the player does.
        const QPointF offset = wholeTwips(QPointF(t.dx(), t.dy()));
        t.setMatrix(t.m11(), t.m12(), 0, t.m21(), t.m22(), 0, offset.x(), offset.y(), 1);
    }
    // The point goes in and comes out on whole twips.
    const QPointF in = wholeTwips(QPointF(x.number() * 20, y.number() * 20));
    const QPointF p = wholeTwips(t.map(in)) / 20.0;
    m.set(point, QStringLiteral("x"), Value(p.x()));
    m.set(point, QStringLiteral("y"), Value(p.y()));
}

Value localToGlobal(Machine& m, const Value& self, std::vector<Value>& args) {
    convertPoint(m, self, args, true);
    return {};
}
Value globalToLocal(Machine& m, const Value& self, std::vector<Value>& args) {
    convertPoint(m, self, args, false);
    return {};
}

// hitTest(x, y, shapeFlag) with a stage point, or hitTest(target) by overlapping bounds.
Value hitTest(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* clip = thisClip(m, self);
    if (!clip || args.empty()) {
        return Value(false);
    }
    if (args.size() >= 2) {
        const double x = m.toNumber(args[0]);
        const double y = m.toNumber(args[1]);
        if (!std::isfinite(x) || !std::isfinite(y)) {
            return Value(false);
        }
        return Value(hitsPoint(*clip, QPointF(x * 20, y * 20), m.toBoolean(argAt(args, 2))));
    }
    Object* o = args[0].object();
    if (!o) {
        const QString path = m.toString(args[0]);
        o = path.isEmpty() ? nullptr : hostOf(m).resolveTarget(hostOf(m).scriptObject(*clip), path);
    }
    DisplayObject* other = o ? hostOf(m).displayOf(o) : nullptr;
    if (!other) {
        return Value(false);
    }
    const auto a = contentBounds(*clip, worldTransform(*clip), true);
    const auto b = contentBounds(*other, worldTransform(*other), true);
    if (!a || !b) {
        return Value(false);
    }
    return Value(a->left() <= b->right() && b->left() <= a->right() && a->top() <= b->bottom() &&
                 b->top() <= a->bottom());
}

Value startDrag(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* clip = thisClip(m, self);
    if (!clip) {
        return {};
    }
    const bool lock = m.toBoolean(argAt(args, 0));
    // Any limit given confines the clip; those left out count as 0.
    if (args.size() >= 2) {
        double rect[4] = {0, 0, 0, 0};
        for (size_t i = 0; i < 4 && i + 1 < args.size(); ++i) {
            rect[i] = m.toNumber(args[i + 1]);
        }
        hostOf(m).startDrag(hostOf(m).scriptObject(*clip), lock, rect);
    } else {
        hostOf(m).startDrag(hostOf(m).scriptObject(*clip), lock, nullptr);
    }
    return {};
}

Value stopDrag(Machine& m, const Value&, std::vector<Value>&) {
    hostOf(m).stopDrag();
    return {};
}

// getURL(url, window, method): method "GET" or "POST" sends the clip's variables.
Value getURL(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* clip = thisClip(m, self);
    if (!clip || args.empty()) {
        return {};
    }
    avm1::UrlRequest r;
    r.url = m.toString(args[0]);
    r.target = args.size() > 1 ? m.toString(args[1]) : QString();
    r.sourceClip = hostOf(m).scriptObject(*clip);
    if (args.size() > 2) {
        const QString method = m.toString(args[2]).toUpper();
        r.method = method == u"POST"  ? avm1::UrlRequest::Method::Post
                   : method == u"GET" ? avm1::UrlRequest::Method::Get
                                      : avm1::UrlRequest::Method::None;
    }
    hostOf(m).getUrl(r);
    return {};
}

}  // namespace

std::optional<uint16_t> exportedCharacter(const MovieContext& movie, const QString& name) {
    if (!movie.movie) {
        return std::nullopt;
    }
    // Export names match ignoring case, whatever the movie's version; of two exports under
    // one name the later wins (export_assets).
    std::optional<uint16_t> found;
    for (const swf::Frame& frame : movie.movie->timeline.frames) {
        for (const swf::ControlTag& tag : frame.tags) {
            if (auto* e = std::get_if<swf::ExportAssets>(&tag)) {
                for (const auto& [id, exported] : e->assets) {
                    if (movieText(exported, movie.version()).compare(name, Qt::CaseInsensitive) ==
                        0) {
                        found = id;
                    }
                }
            }
        }
    }
    return found;
}

std::vector<QString> exportNames(const MovieContext& movie, uint16_t id) {
    std::vector<QString> out;
    if (!movie.movie) {
        return out;
    }
    for (const swf::Frame& frame : movie.movie->timeline.frames) {
        for (const swf::ControlTag& tag : frame.tags) {
            if (auto* e = std::get_if<swf::ExportAssets>(&tag)) {
                for (const auto& [exportedId, name] : e->assets) {
                    if (exportedId == id) {
                        out.push_back(movieText(name, movie.version()));
                    }
                }
            }
        }
    }
    return out;
}

// blendMode, filters, cacheAsBitmap and opaqueBackground: clip_display_properties.cpp.

void installClipMethods(Machine& m, Object* proto) {
    struct Entry {
        const char* name;
        avm1::NativeFn fn;
    };
    static const Entry kMethods[] = {
        {"attachMovie", attachMovie},
        {"createEmptyMovieClip", createEmptyMovieClip},
        {"duplicateMovieClip", duplicateMovieClip},
        {"removeMovieClip", removeMovieClip},
        {"swapDepths", swapDepths},
        {"setMask", setMask},
        {"getNextHighestDepth", getNextHighestDepth},
        {"getInstanceAtDepth", getInstanceAtDepth},
        {"getSWFVersion", getSWFVersion},
        {"getBytesLoaded", getBytes},
        {"getBytesTotal", getBytes},
        {"getBounds", getBounds},
        {"getRect", getRect},
        {"localToGlobal", localToGlobal},
        {"globalToLocal", globalToLocal},
        {"hitTest", hitTest},
        {"startDrag", startDrag},
        {"stopDrag", stopDrag},
        {"getURL", getURL},
    };
    for (const Entry& e : kMethods) {
        proto->putNative(m, QString::fromLatin1(e.name), e.fn);
    }
    // Plain defaults a clip's own assignment overrides.
    proto->put(QStringLiteral("enabled"), Value(true), avm1::kDontEnum);
    proto->put(QStringLiteral("useHandCursor"), Value(true), avm1::kDontEnum);
    // cacheAsBitmap came with Flash 8, as the other display properties did: older movies
    // see nothing there, and what they store is a plain variable.
    proto->put(QStringLiteral("cacheAsBitmap"), Value(false), avm1::kDontEnum | avm1::kVersion8);
}

}  // namespace pencora::runtime
