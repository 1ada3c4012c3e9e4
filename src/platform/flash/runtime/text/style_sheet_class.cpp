#include "platform/flash/runtime/text/style_sheet_class.h"

#include <QStringList>

#include <cmath>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/natives.h"
#include "platform/flash/runtime/text/text_format_class.h"

namespace pencora::runtime {

using avm1::Machine;
using avm1::Object;
using avm1::Value;

namespace {

bool isSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

QString trimmed(QStringView s) {
    return s.trimmed().toString();
}

QString leftTrimmed(QStringView s) {
    qsizetype i = 0;
    while (i < s.size() && isSpace(s[i])) {
        ++i;
    }
    return s.mid(i).toString();
}

// "font-size" as "fontSize": a dash goes and the character after it is upper-cased.
QString camelCase(const QString& name) {
    QString out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == u'-' && i + 1 < name.size()) {
            out.append(name[i + 1].toUpper());
            ++i;
        } else {
            out.append(name[i]);
        }
    }
    return out;
}

}  // namespace

std::optional<std::vector<CssRule>> parseCss(const QString& css) {
    std::vector<CssRule> rules;
    qsizetype i = 0;
    const qsizetype n = css.size();
    while (true) {
        while (i < n && isSpace(css[i])) {
            ++i;
        }
        if (i >= n) {
            break;
        }
        const qsizetype brace = css.indexOf(u'{', i);
        if (brace < 0) {
            return std::nullopt;  // a selector without a block
        }
        CssRule rule;
        for (const QString& part : css.mid(i, brace - i).split(u',')) {
            const QString s = trimmed(part);
            if (s.isEmpty() || std::any_of(s.begin(), s.end(), isSpace)) {
                return std::nullopt;
            }
            rule.selectors.push_back(s);
        }
        i = brace + 1;
        // Properties: a name up to ':' (whatever it holds), a value up to ';' or '}'.
        bool closed = false;
        while (!closed) {
            // A '}' before any name closes the block; after part of a name it is part of it.
            qsizetype k = i;
            while (k < n && isSpace(css[k])) {
                ++k;
            }
            if (k < n && css[k] == u'}') {
                i = k + 1;
                break;
            }
            const qsizetype colon = css.indexOf(u':', i);
            if (colon < 0) {
                // Only white space or the block's end may be left.
                const QString rest = trimmed(QStringView(css).mid(i));
                if (rest.isEmpty() || rest == u"}") {
                    i = n;
                    break;
                }
                return std::nullopt;
            }
            const QString rawName = leftTrimmed(QStringView(css).mid(i, colon - i));
            const QString name = trimmed(rawName);
            if (std::any_of(name.begin(), name.end(), isSpace)) {
                return std::nullopt;  // white space inside a name
            }
            qsizetype end = colon + 1;
            while (end < n && css[end] != u';' && css[end] != u'}') {
                ++end;
            }
            if (end >= n) {
                return std::nullopt;  // the last value runs off the end
            }
            if (!rawName.isEmpty()) {
                rule.properties.emplace_back(camelCase(rawName), leftTrimmed(QStringView(css).mid(
                                                                     colon + 1, end - colon - 1)));
            }
            closed = css[end] == u'}';
            i = end + 1;
        }
        rules.push_back(std::move(rule));
    }
    return rules;
}

namespace {

Object* ensure(Machine& m, Object* self, const char* name) {
    const QString key = QString::fromLatin1(name);
    Value v = m.get(self, key);
    if (Object* o = v.object()) {
        return o;
    }
    Object* o = m.makeObject();
    m.set(self, key, Value(o));
    return o;
}

Object* shallowCopy(Machine& m, Object* from) {
    Object* copy = m.makeObject();
    for (const QString& k : m.enumerate(from)) {
        m.set(copy, k, m.get(from, k));
    }
    return copy;
}

void putStyle(Machine& m, Object* self, const QString& name, Object* style, const Value& raw) {
    Object* css = ensure(m, self, "_css");
    Object* styles = ensure(m, self, "_styles");
    Object* copy = style ? shallowCopy(m, style) : nullptr;
    m.set(css, name, copy ? Value(copy) : raw);
    std::vector<Value> args{copy ? Value(copy) : Value::null()};
    const Value tf = m.callMethodValue(Value(self), QStringLiteral("transform"), args);
    if (tf.isNullish()) {
        styles->remove(name, m.version());
    } else {
        m.set(styles, name, tf);
    }
}

Value setStyle(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    if (!o || args.empty()) {
        return {};
    }
    const Value raw = avm1::argAt(args, 1);
    putStyle(m, o, m.toString(args[0]), raw.object(), raw);
    return {};
}

Value getStyle(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    if (!o || args.empty()) {
        return Value::null();
    }
    Object* css = m.get(o, QStringLiteral("_css")).object();
    Object* style = css ? m.get(css, m.toString(args[0])).object() : nullptr;
    return style ? Value(shallowCopy(m, style)) : Value::null();
}

Value getStyleNames(Machine& m, const Value& self, std::vector<Value>&) {
    std::vector<Value> names;
    if (Object* o = self.object()) {
        if (Object* css = m.get(o, QStringLiteral("_css")).object()) {
            for (const QString& k : m.enumerate(css)) {
                names.emplace_back(k);
            }
        }
    }
    return Value(m.makeArray(std::move(names)));
}

Value clear(Machine& m, const Value& self, std::vector<Value>&) {
    if (Object* o = self.object()) {
        m.set(o, QStringLiteral("_css"), Value(m.makeObject()));
        m.set(o, QStringLiteral("_styles"), Value(m.makeObject()));
    }
    return {};
}

Value parseCSS(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    if (!o || args.empty()) {
        return Value(false);
    }
    auto rules = parseCss(m.toString(args[0]));
    if (!rules) {
        return Value(false);
    }
    for (const CssRule& r : *rules) {
        Object* style = m.makeObject();
        for (const auto& [k, v] : r.properties) {
            m.set(style, k, Value(v));
        }
        for (const QString& s : r.selectors) {
            putStyle(m, o, s, style, Value(style));
        }
    }
    return Value(true);
}

// A CSS style object as a TextFormat; null without one (other values give an empty format).
Value transform(Machine& m, const Value&, std::vector<Value>& args) {
    if (args.empty() || args[0].isNullish()) {
        return Value::null();
    }
    Object* style = args[0].object();
    TextFormat f;
    f.kerning = false;
    auto get = [&](const QString& name) { return style ? m.get(style, name) : Value(); };
    auto text = [&](const char* name) -> std::optional<QString> {
        const Value v = get(QString::fromLatin1(name));
        if (v.isNullish()) {
            return std::nullopt;
        }
        return m.toString(v);
    };
    // CSS numbers read like parseInt (white space, a sign, digits, any unit after), script
    // numbers cut toward zero; a false value (0, "", false) leaves the field unset.
    auto integer = [&](const char* name) -> std::optional<double> {
        const Value v = get(QString::fromLatin1(name));
        if (!m.toBoolean(v)) {
            return std::nullopt;
        }
        if (v.isNumber()) {
            return std::trunc(v.number());
        }
        const QString t = m.toString(v);
        qsizetype i = 0;
        while (i < t.size() && isSpace(t[i])) {
            ++i;
        }
        double sign = 1;
        if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) {
            sign = t[i] == u'-' ? -1 : 1;
            ++i;
        }
        double n = 0;
        qsizetype digits = 0;
        while (i < t.size() && t[i].isDigit()) {
            n = n * 10 + t[i].digitValue();
            ++i;
            ++digits;
        }
        return digits ? sign * n : std::nan("");
    };
    auto asInt = [](double v) {
        return std::isfinite(v) ? int(std::clamp(v, -2147483648.0, 2147483647.0)) : 0;
    };
    if (auto c = text("color"); c && c->size() == 7 && c->startsWith(u'#')) {
        bool ok = false;
        const uint v = c->mid(1).toUInt(&ok, 16);
        if (ok) {
            f.color = v;
        }
    }
    if (auto d = text("display")) {
        f.display = *d == u"inline" ? TextDisplay::Inline
                    : *d == u"none" ? TextDisplay::None
                                    : TextDisplay::Block;
    }
    if (const Value v = get(QStringLiteral("fontFamily")); m.toBoolean(v)) {
        // Each name of a list loses its leading white space; empty names go.
        QStringList names;
        for (const QString& part : m.toString(v).split(u',')) {
            const QString n = leftTrimmed(part);
            if (!n.isEmpty()) {
                names << n;
            }
        }
        if (!names.isEmpty()) {
            f.font = names.join(u',');
        }
    }
    if (auto n = integer("fontSize"); n && *n > 0) {
        f.size = asInt(*n);
    }
    if (auto w = text("fontWeight")) {
        if (*w == u"bold") {
            f.bold = true;
        } else if (*w == u"normal") {
            f.bold = false;
        }
    }
    if (auto s = text("fontStyle")) {
        if (*s == u"italic") {
            f.italic = true;
        } else if (*s == u"normal") {
            f.italic = false;
        }
    }
    if (auto d = text("textDecoration")) {
        if (*d == u"underline") {
            f.underline = true;
        } else if (*d == u"none") {
            f.underline = false;
        }
    }
    if (auto a = text("textAlign")) {
        f.align = parseAlign(*a);
    }
    if (const Value k = get(QStringLiteral("kerning")); k.isString() && k.string() == u"true") {
        f.kerning = true;
    } else if (auto n = integer("kerning")) {
        f.kerning = !std::isnan(*n) && *n != 0;
    }
    if (auto n = integer("leading")) {
        f.leading = asInt(*n);
    }
    if (auto n = integer("textIndent")) {
        f.indent = asInt(*n);
    }
    if (auto n = integer("marginLeft")) {
        f.leftMargin = std::max(0, asInt(*n));
    }
    if (auto n = integer("marginRight")) {
        f.rightMargin = std::max(0, asInt(*n));
    }
    if (auto n = integer("letterSpacing")) {
        f.letterSpacing = *n;
    }
    return Value(makeTextFormatObject(m, f));
}

// load(url): fetched through the host; parse gets the text, then onLoad(success).
Value load(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    if (!o || args.empty()) {
        return Value(false);
    }
    const QString url = m.toString(args[0]);
    if (url.isEmpty()) {
        return Value(false);
    }
    m.pin(o);
    avm1::FetchRequest r;
    r.url = url;
    Machine* machine = &m;
    const int version = m.version();
    r.done = [machine, o, version](bool ok, const QByteArray& data) {
        machine->unpin(o);
        bool parsed = false;
        if (ok) {
            avm1::RunResult res = machine->callMethod(o, QStringLiteral("parse"),
                                                      {Value(QString::fromUtf8(data))}, version);
            parsed = res.ok() && machine->toBoolean(res.value);
        }
        machine->callMethod(o, QStringLiteral("onLoad"), {Value(parsed)}, version);
    };
    m.host().fetch(std::move(r));
    return Value(true);
}

// A subclass's super() gets its object back.
Value construct(Machine&, const Value& self, std::vector<Value>&) {
    return self;
}

// Newest first for for..in; all hidden, fixed and read-only.
const avm1::NativeEntry kMethods[] = {
    {"clear", clear},         {"getStyle", getStyle}, {"getStyleNames", getStyleNames},
    {"load", load},           {"parseCSS", parseCSS}, {"setStyle", setStyle},
    {"transform", transform},
};

}  // namespace

void installStyleSheetClass(Machine& m) {
    Object* textField = m.get(m.global(), QStringLiteral("TextField")).object();
    if (!textField) {
        return;
    }
    Object* proto = m.makeObject();
    avm1::installTable(m, proto, kMethods, std::size(kMethods),
                       avm1::kDontEnum | avm1::kDontDelete | avm1::kReadOnly);
    proto->putNative(m, QStringLiteral("parse"), parseCSS);
    avm1::FunctionObject* ctor = m.makeClass(construct, proto);
    textField->put(QStringLiteral("StyleSheet"), Value(ctor), avm1::kDontEnum);
}

}  // namespace pencora::runtime
