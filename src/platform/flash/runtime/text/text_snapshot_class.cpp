// TextSnapshot: the characters of the static texts a clip holds directly, in depth order,
// with the search and selection natives movies use on them. new TextSnapshot(clip) and
// clip.getTextSnapshot() both take a snapshot of the clip as it is then.
#include "platform/flash/runtime/text/text_snapshot_class.h"

#include <cmath>

#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/natives.h"
#include "platform/flash/runtime/scripting/script_host.h"

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
};

SnapshotObject* snapshotOf(const Value& v) {
    return dynamic_cast<SnapshotObject*>(v.object());
}

QString staticText(const DisplayObject& o) {
    const swf::Movie* movie = o.movie && o.movie->movie ? o.movie->movie.get() : nullptr;
    const swf::Text* t = movie ? movie->findAs<swf::Text>(o.characterId) : nullptr;
    if (!t) {
        return {};
    }
    QString out;
    const swf::Font* font = nullptr;
    for (const swf::TextRecord& r : t->records) {
        if (r.fontId) {
            font = movie->findAs<swf::Font>(*r.fontId);
        }
        for (const swf::GlyphEntry& g : r.glyphs) {
            if (font && g.index < font->codes.size()) {
                out.append(QChar(font->codes[g.index]));
            }
        }
    }
    return out;
}

QString snapshotText(const DisplayObject& clip) {
    QString out;
    for (const auto& [depth, child] : clip.children) {
        if (child->kind == ObjectKind::Text) {
            out += staticText(*child);
        }
    }
    return out;
}

Value makeSnapshot(Machine& m, Object* proto, const DisplayObject* clip) {
    auto* s = m.heap().make<SnapshotObject>(proto);
    if (clip) {
        s->text = snapshotText(*clip);
        s->selected.assign(size_t(s->text.size()), false);
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

Value hitTestTextNearPos(Machine&, const Value& self, std::vector<Value>&) {
    return snapshotOf(self) ? Value(-1.0) : Value();
}

Value setSelectColor(Machine&, const Value&, std::vector<Value>&) {
    return {};
}

Value getTextRunInfo(Machine& m, const Value& self, std::vector<Value>&) {
    return snapshotOf(self) ? Value(m.makeObject()) : Value();
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
