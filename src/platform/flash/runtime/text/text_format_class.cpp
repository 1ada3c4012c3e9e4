#include "platform/flash/runtime/text/text_format_class.h"

#include <cmath>
#include <limits>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/natives.h"

namespace pencora::runtime {

using avm1::Machine;
using avm1::Object;
using avm1::Value;

namespace {

// Font names longer than this are cut (text_format_font_max_length).
constexpr int kMaxFontName = 64;

TextFormatObject* formatObject(const Value& self) {
    return dynamic_cast<TextFormatObject*>(avm1::nativeOf(self.object()));
}

int roundedInt(double v) {
    if (!std::isfinite(v) || v >= 2147483648.0 || v < -2147483648.0) {
        return std::numeric_limits<int>::min();
    }
    return int(std::nearbyint(v));  // the default rounding mode: halves to even
}

std::optional<QString> toText(Machine& m, const Value& v) {
    if (v.isNullish()) {
        return std::nullopt;
    }
    return m.toString(v).left(kMaxFontName);
}
std::optional<QString> toUrl(Machine& m, const Value& v) {
    if (v.isNullish()) {
        return std::nullopt;
    }
    return m.toString(v);
}
std::optional<bool> toFlag(Machine& m, const Value& v) {
    if (v.isNullish()) {
        return std::nullopt;
    }
    return m.toBoolean(v);
}
std::optional<int> toInteger(Machine& m, const Value& v) {
    if (v.isNullish()) {
        return std::nullopt;
    }
    return formatInteger(m, m.toNumber(v));
}
// Indents and leading could not go below zero before SWF 8.
std::optional<int> toIndent(Machine& m, const Value& v) {
    auto n = toInteger(m, v);
    if (n && m.version() < 8) {
        n = std::max(*n, 0);
    }
    return n;
}
std::optional<int> toMargin(Machine& m, const Value& v) {
    if (v.isNullish()) {
        return std::nullopt;
    }
    const double n = m.toNumber(v);
    return formatInteger(m, n > 0 ? n : 0);  // NaN too becomes 0
}
std::optional<uint32_t> toColor(Machine& m, const Value& v) {
    if (v.isNullish()) {
        return std::nullopt;
    }
    return uint32_t(m.toInt32(v));
}

Value ofText(const std::optional<QString>& s) {
    return s ? Value(*s) : Value::null();
}
Value ofFlag(const std::optional<bool>& b) {
    return b ? Value(*b) : Value::null();
}
Value ofInt(const std::optional<int>& n) {
    return n ? Value(double(*n)) : Value::null();
}

// Getter and setter natives for each field, by index into one table.
struct Field {
    const char* name;
    Value (*get)(Machine&, const TextFormat&);
    void (*set)(Machine&, TextFormat&, const Value&);
    bool enumerable;
};

const Field kFields[] = {
    {"font", [](Machine&, const TextFormat& f) { return ofText(f.font); },
     [](Machine& m, TextFormat& f, const Value& v) { f.font = toText(m, v); }, true},
    {"size", [](Machine&, const TextFormat& f) { return ofInt(f.size); },
     [](Machine& m, TextFormat& f, const Value& v) { f.size = toInteger(m, v); }, true},
    {"color",
     [](Machine&, const TextFormat& f) {
         return f.color ? Value(double(*f.color)) : Value::null();
     },
     [](Machine& m, TextFormat& f, const Value& v) { f.color = toColor(m, v); }, true},
    {"bold", [](Machine&, const TextFormat& f) { return ofFlag(f.bold); },
     [](Machine& m, TextFormat& f, const Value& v) { f.bold = toFlag(m, v); }, true},
    {"italic", [](Machine&, const TextFormat& f) { return ofFlag(f.italic); },
     [](Machine& m, TextFormat& f, const Value& v) { f.italic = toFlag(m, v); }, true},
    {"underline", [](Machine&, const TextFormat& f) { return ofFlag(f.underline); },
     [](Machine& m, TextFormat& f, const Value& v) { f.underline = toFlag(m, v); }, true},
    {"url", [](Machine&, const TextFormat& f) { return ofText(f.url); },
     [](Machine& m, TextFormat& f, const Value& v) { f.url = toUrl(m, v); }, true},
    {"target", [](Machine&, const TextFormat& f) { return ofText(f.target); },
     [](Machine& m, TextFormat& f, const Value& v) { f.target = toUrl(m, v); }, true},
    {"align",
     [](Machine&, const TextFormat& f) {
         return f.align ? Value(alignName(*f.align)) : Value::null();
     },
     [](Machine& m, TextFormat& f, const Value& v) {
         // Neither an unknown name nor null changes the alignment.
         if (auto a = v.isNullish() ? std::nullopt : parseAlign(m.toString(v))) {
             f.align = a;
         }
     },
     true},
    {"leftMargin", [](Machine&, const TextFormat& f) { return ofInt(f.leftMargin); },
     [](Machine& m, TextFormat& f, const Value& v) { f.leftMargin = toMargin(m, v); }, true},
    {"rightMargin", [](Machine&, const TextFormat& f) { return ofInt(f.rightMargin); },
     [](Machine& m, TextFormat& f, const Value& v) { f.rightMargin = toMargin(m, v); }, true},
    {"indent", [](Machine&, const TextFormat& f) { return ofInt(f.indent); },
     [](Machine& m, TextFormat& f, const Value& v) { f.indent = toIndent(m, v); }, true},
    {"leading", [](Machine&, const TextFormat& f) { return ofInt(f.leading); },
     [](Machine& m, TextFormat& f, const Value& v) { f.leading = toIndent(m, v); }, true},
    {"blockIndent", [](Machine&, const TextFormat& f) { return ofInt(f.blockIndent); },
     [](Machine& m, TextFormat& f, const Value& v) { f.blockIndent = toIndent(m, v); }, true},
    {"tabStops",
     [](Machine& m, const TextFormat& f) -> Value {
         if (!f.tabStops) {
             return Value::null();
         }
         std::vector<Value> items;
         for (int t : *f.tabStops) {
             items.emplace_back(double(t));
         }
         return Value(m.makeArray(std::move(items)));
     },
     [](Machine& m, TextFormat& f, const Value& v) {
         Object* o = v.object();
         if (!o) {
             f.tabStops.reset();
             return;
         }
         const double n = m.toNumber(m.get(o, QStringLiteral("length")));
         std::vector<int> stops;
         const int count = std::isfinite(n) ? int(std::clamp(n, 0.0, 1024.0)) : 0;
         for (int i = 0; i < count; ++i) {
             stops.push_back(formatInteger(m, m.toNumber(m.get(o, QString::number(i)))));
         }
         f.tabStops = std::move(stops);
     },
     true},
    {"bullet", [](Machine&, const TextFormat& f) { return ofFlag(f.bullet); },
     [](Machine& m, TextFormat& f, const Value& v) { f.bullet = toFlag(m, v); }, true},
    {"kerning", [](Machine&, const TextFormat& f) { return ofFlag(f.kerning); },
     [](Machine& m, TextFormat& f, const Value& v) { f.kerning = toFlag(m, v); }, false},
    {"letterSpacing",
     [](Machine&, const TextFormat& f) {
         return f.letterSpacing ? Value(*f.letterSpacing) : Value::null();
     },
     [](Machine& m, TextFormat& f, const Value& v) {
         if (v.isNullish()) {
             f.letterSpacing.reset();
         } else {
             f.letterSpacing = m.toNumber(v);
         }
     },
     true},
    {"display",
     [](Machine&, const TextFormat& f) {
         switch (f.display.value_or(TextDisplay::Block)) {
             case TextDisplay::Inline:
                 return Value("inline");
             case TextDisplay::None:
                 return Value("none");
             case TextDisplay::Block:
                 break;
         }
         return Value("block");
     },
     [](Machine& m, TextFormat& f, const Value& v) {
         const QString s = v.isNullish() ? QString() : m.toString(v);
         if (s == u"inline") {
             f.display = TextDisplay::Inline;
         } else if (s == u"none") {
             f.display = TextDisplay::None;
         } else {
             f.display = TextDisplay::Block;  // anything else, null and "Inline" too
         }
     },
     true},
};

template <size_t I>
Value getField(Machine& m, const Value& self, std::vector<Value>&) {
    TextFormatObject* o = formatObject(self);
    return o ? kFields[I].get(m, o->format) : Value();
}
template <size_t I>
Value setField(Machine& m, const Value& self, std::vector<Value>& args) {
    if (TextFormatObject* o = formatObject(self)) {
        kFields[I].set(m, o->format, avm1::argAt(args, 0));
    }
    return {};
}

template <size_t... I>
void installFields(Machine& m, Object* proto, std::index_sequence<I...>) {
    // for..in lists the fields alphabetically: newest first, so they go in backwards.
    struct Accessor {
        const Field* field;
        avm1::NativeFn get;
        avm1::NativeFn set;
    };
    std::vector<Accessor> rows{{&kFields[I], &getField<I>, &setField<I>}...};
    std::sort(rows.begin(), rows.end(), [](const Accessor& a, const Accessor& b) {
        return qstrcmp(a.field->name, b.field->name) > 0;
    });
    for (const Accessor& row : rows) {
        const QString name = QString::fromLatin1(row.field->name);
        proto->put(name, Value(), row.field->enumerable ? 0 : avm1::kDontEnum);
        avm1::Property* p = proto->find(name, 10);
        p->getter = m.makeNative(row.get);
        p->setter = m.makeNative(row.set);
    }
}

// new TextFormat(font, size, color, bold, italic, underline, url, target, align, leftMargin,
// rightMargin, indent, leading): the numbers are cut toward zero here, whatever the version.
Value construct(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* plain = self.object();
    auto* o = m.heap().make<TextFormatObject>(plain ? plain->proto() : nullptr);
    if (plain) {
        for (const avm1::Property& p : plain->properties()) {
            o->put(p.name, p.value, p.flags);
        }
    }
    TextFormat& f = o->format;
    auto integer = [&](size_t i) -> std::optional<int> {
        const Value v = avm1::argAt(args, i);
        return v.isNullish() ? std::nullopt : std::optional<int>(m.toInt32(v));
    };
    f.font = toText(m, avm1::argAt(args, 0));
    f.size = integer(1);
    f.color = toColor(m, avm1::argAt(args, 2));
    f.bold = toFlag(m, avm1::argAt(args, 3));
    f.italic = toFlag(m, avm1::argAt(args, 4));
    f.underline = toFlag(m, avm1::argAt(args, 5));
    f.url = toUrl(m, avm1::argAt(args, 6));
    f.target = toUrl(m, avm1::argAt(args, 7));
    if (const Value a = avm1::argAt(args, 8); !a.isNullish()) {
        f.align = parseAlign(m.toString(a));
    }
    f.leftMargin = integer(9);
    f.rightMargin = integer(10);
    f.indent = integer(11);
    f.leading = integer(12);
    return Value(o);
}

Value callAsFunction(Machine&, const Value&, std::vector<Value>&) {
    return {};
}

}  // namespace

int formatInteger(Machine& m, double v) {
    if (m.version() >= 8) {
        return roundedInt(v);
    }
    return avm1::doubleToInt32(v);
}

void installTextFormatClass(Machine& m) {
    Object* proto = m.makeObject();
    installFields(m, proto, std::make_index_sequence<std::size(kFields)>{});
    m.defineClass(QStringLiteral("TextFormat"), callAsFunction, proto);
    auto* ctor = static_cast<avm1::FunctionObject*>(
        m.get(m.global(), QStringLiteral("TextFormat")).object());
    ctor->constructNative = construct;
}

const TextFormat* textFormatOf(const Value& v) {
    auto* o = formatObject(v);
    return o ? &o->format : nullptr;
}

Object* makeTextFormatObject(Machine& m, const TextFormat& format) {
    Value ctor = m.get(m.global(), QStringLiteral("TextFormat"));
    std::vector<Value> none;
    Value made = m.construct(ctor, none);
    if (auto* o = formatObject(made)) {
        o->format = format;
        return o;
    }
    auto* o = m.heap().make<TextFormatObject>(m.protos().object);
    o->format = format;
    return o;
}

}  // namespace pencora::runtime
