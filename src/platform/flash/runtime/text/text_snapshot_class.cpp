// TextSnapshot: the characters of the static texts a clip holds directly, in depth order,
// with the search and selection natives movies use on them. new TextSnapshot(clip) and
// clip.getTextSnapshot() both take a snapshot of the clip as it is then.
#include "platform/flash/runtime/text/text_snapshot_class.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/natives.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/runtime/text/static_text_glyphs.h"

namespace pencora::runtime {

using avm1::Machine;
using avm1::Object;
using avm1::Value;

namespace {

class SnapshotObject : public Object {
  public:
    explicit SnapshotObject(Object* proto) : Object(proto, avm1::ObjectKind::Host) {}
    QString text;
    std::vector<bool> selected;
    std::vector<StaticGlyph> glyphs;  // one per character of `text`
};

SnapshotObject* snapshotOf(const Value& v) {
    return dynamic_cast<SnapshotObject*>(v.object());
}

Value makeSnapshot(Machine& m, Object* proto, const DisplayObject* clip) {
    auto* s = m.heap().make<SnapshotObject>(proto);
    if (clip) {
        s->glyphs = staticTextGlyphs(*clip);
        for (const StaticGlyph& g : s->glyphs) {
            s->text.append(g.character);
        }
        s->selected.assign(s->glyphs.size(), false);
    }
    return Value(s);
}

Value construct(Machine& m, const Value& self, std::vector<Value>& args) {
    ScriptHost& host = static_cast<ScriptHost&>(m.host());
    const DisplayObject* clip = args.empty() ? nullptr : host.displayOf(args[0].object());
    if (!args.empty() && !clip) {
        return Value(m.makeObject());  // not a clip: a plain object, as the original gives
    }
    Object* plain = self.object();
    Value made = makeSnapshot(m, plain ? plain->proto() : nullptr, clip);
    return made;
}

Value callAsFunction(Machine&, const Value&, std::vector<Value>&) {
    return {};
}

Value getCount(Machine&, const Value& self, std::vector<Value>&) {
    SnapshotObject* s = snapshotOf(self);
    return s ? Value(double(s->text.size())) : Value();
}

// An index argument clamped to the text.
int indexArg(Machine& m, const Value& v, int size) {
    const double n = m.toNumber(v);
    return std::isfinite(n) ? int(std::clamp(n, 0.0, double(size))) : 0;
}

Value getText(Machine& m, const Value& self, std::vector<Value>& args) {
    SnapshotObject* s = snapshotOf(self);
    if (!s || args.size() < 2) {
        return {};
    }
    const int n = int(s->text.size());
    int a = indexArg(m, args[0], n);
    int b = indexArg(m, args[1], n);
    if (b <= a) {
        b = std::min(n, a + 1);
    }
    return Value(s->text.mid(a, b - a));
}

// findText(start, text, caseSensitive): the index of the first match at or after start,
// -1 when there is none; any other number of arguments answers nothing.
Value findText(Machine& m, const Value& self, std::vector<Value>& args) {
    SnapshotObject* s = snapshotOf(self);
    if (!s || args.size() != 3) {
        return {};
    }
    const double start = m.toNumber(args[0]);
    const QString needle = m.toString(args[1]);
    const bool caseSensitive = m.toBoolean(args[2]);
    if (!std::isfinite(start) || start < 0 || start >= s->text.size() || needle.isEmpty()) {
        return Value(-1.0);
    }
    const qsizetype at = s->text.indexOf(needle, qsizetype(start),
                                         caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    return Value(double(at));
}

Value setSelected(Machine& m, const Value& self, std::vector<Value>& args) {
    SnapshotObject* s = snapshotOf(self);
    if (!s || args.size() < 3) {
        return {};
    }
    const int n = int(s->text.size());
    const int a = indexArg(m, args[0], n), b = indexArg(m, args[1], n);
    const bool on = m.toBoolean(args[2]);
    for (int i = a; i < b; ++i) {
        s->selected[size_t(i)] = on;
    }
    return {};
}

Value getSelected(Machine& m, const Value& self, std::vector<Value>& args) {
    SnapshotObject* s = snapshotOf(self);
    if (!s || args.size() < 2) {
        return {};
    }
    const int n = int(s->text.size());
    const int a = indexArg(m, args[0], n), b = std::max(a + 1, indexArg(m, args[1], n));
    for (int i = a; i < std::min(b, n); ++i) {
        if (s->selected[size_t(i)]) {
            return Value(true);
        }
    }
    return Value(false);
}

Value getSelectedText(Machine&, const Value& self, std::vector<Value>&) {
    SnapshotObject* s = snapshotOf(self);
    if (!s) {
        return {};
    }
    QString out;
    for (qsizetype i = 0; i < s->text.size(); ++i) {
        if (s->selected[size_t(i)]) {
            out.append(s->text[i]);
        }
    }
    return Value(out);
}

// The distance from a point to a glyph's box, 0 inside it.
double distanceTo(const StaticGlyph& g, const QPointF& p) {
    if (g.corners.containsPoint(p, Qt::OddEvenFill)) {
        return 0;
    }
    double best = std::numeric_limits<double>::infinity();
    for (qsizetype i = 0; i < g.corners.size(); ++i) {
        const QPointF a = g.corners[i], b = g.corners[(i + 1) % g.corners.size()];
        const QPointF ab = b - a;
        const double len = QPointF::dotProduct(ab, ab);
        const double t = len > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / len, 0.0, 1.0) : 0;
        const QPointF d = p - (a + t * ab);
        best = std::min(best, std::hypot(d.x(), d.y()));
    }
    return best;
}

// hitTestTextNearPos(x, y, maxDistance): the character whose box holds the point in the
// clip's coordinates, else the nearest within maxDistance (0 when not given); -1 for none.
Value hitTestTextNearPos(Machine& m, const Value& self, std::vector<Value>& args) {
    SnapshotObject* s = snapshotOf(self);
    if (!s) {
        return {};
    }
    const QPointF p(m.toNumber(avm1::argAt(args, 0)), m.toNumber(avm1::argAt(args, 1)));
    const double reach = args.size() > 2 ? m.toNumber(args[2]) : 0.0;
    if (!std::isfinite(p.x()) || !std::isfinite(p.y())) {
        return Value(-1.0);
    }
    double best = std::numeric_limits<double>::infinity();
    int found = -1;
    for (size_t i = 0; i < s->glyphs.size(); ++i) {
        const double d = distanceTo(s->glyphs[i], p);
        if (d < best) {
            best = d;
            found = int(i);
        }
    }
    return Value(found >= 0 && best <= reach ? double(found) : -1.0);
}

Value setSelectColor(Machine&, const Value&, std::vector<Value>&) {
    return {};
}

// One object per character from begin to end: its index, whether it is selected, its
// font, colour and height, the text's matrix with the glyph's origin as the translation, and
// the four corners of its box, all in the clip's pixels.
Object* runInfo(Machine& m, const SnapshotObject& s, size_t i) {
    const StaticGlyph& g = s.glyphs[i];
    Object* o = m.makeObject();
    o->put(QStringLiteral("indexInRun"), Value(double(i)));
    o->put(QStringLiteral("selected"), Value(bool(s.selected[i])));
    o->put(QStringLiteral("font"), Value(g.font));
    o->put(QStringLiteral("color"), Value(double(g.color)));
    o->put(QStringLiteral("height"), Value(g.height));
    const double twips = 20.0;  // the place matrix maps twips to pixels
    const std::pair<const char*, double> matrix[] = {
        {"matrix_a", g.place.m11() * twips}, {"matrix_b", g.place.m12() * twips},
        {"matrix_c", g.place.m21() * twips}, {"matrix_d", g.place.m22() * twips},
        {"matrix_tx", g.place.dx()},         {"matrix_ty", g.place.dy()},
    };
    for (const auto& [name, value] : matrix) {
        o->put(QString::fromLatin1(name), Value(value));
    }
    for (qsizetype c = 0; c < g.corners.size(); ++c) {
        const QString corner = QStringLiteral("corner") + QString::number(c);
        o->put(corner + QLatin1Char('x'), Value(g.corners[c].x()));
        o->put(corner + QLatin1Char('y'), Value(g.corners[c].y()));
    }
    return o;
}

Value getTextRunInfo(Machine& m, const Value& self, std::vector<Value>& args) {
    SnapshotObject* s = snapshotOf(self);
    if (!s) {
        return {};
    }
    const int n = int(s->glyphs.size());
    // Both ends are characters of the range.
    const int a = indexArg(m, avm1::argAt(args, 0), n);
    const int b = std::min(n, indexArg(m, avm1::argAt(args, 1), n) + 1);
    std::vector<Value> runs;
    for (int i = a; i < b; ++i) {
        runs.push_back(Value(runInfo(m, *s, size_t(i))));
    }
    return Value(m.makeArray(std::move(runs)));
}

Value clipSnapshot(Machine& m, const Value& self, std::vector<Value>&) {
    ScriptHost& host = static_cast<ScriptHost&>(m.host());
    const DisplayObject* clip = host.displayOf(self.object());
    Value ctor = m.get(m.global(), QStringLiteral("TextSnapshot"));
    Object* proto =
        ctor.object() ? m.get(ctor.object(), QStringLiteral("prototype")).object() : nullptr;
    return clip ? makeSnapshot(m, proto, clip) : Value();
}

// Listed so that for..in, newest first, walks them in the original's order.
const avm1::NativeEntry kMethods[] = {
    {"getCount", getCount},
    {"setSelected", setSelected},
    {"getSelected", getSelected},
    {"getText", getText},
    {"getSelectedText", getSelectedText},
    {"hitTestTextNearPos", hitTestTextNearPos},
    {"findText", findText},
    {"setSelectColor", setSelectColor},
    {"getTextRunInfo", getTextRunInfo},
};

}  // namespace

void installTextSnapshotClass(Machine& m) {
    Object* proto = m.makeObject();
    // Enumerable, and hidden from SWF 5 movies until they assign them (textsnapshot_props).
    avm1::installTable(m, proto, kMethods, std::size(kMethods), avm1::kVersion6);
    m.defineClass(QStringLiteral("TextSnapshot"), callAsFunction, proto);
    auto* ctor = static_cast<avm1::FunctionObject*>(
        m.get(m.global(), QStringLiteral("TextSnapshot")).object());
    ctor->constructNative = construct;
    if (Object* mc = m.protos().movieClip) {
        mc->putNative(m, QStringLiteral("getTextSnapshot"), clipSnapshot);
    }
}

}  // namespace pencora::runtime
