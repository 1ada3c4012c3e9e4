#include "platform/flash/runtime/text/text_field_class.h"
#include "platform/flash/runtime/text/text_variable_path.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/flash/avm1/activation.h"
#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine.h"
#include "platform/flash/avm1/natives.h"
#include "platform/flash/runtime/scripting/clip_display_properties.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/runtime/text/style_sheet_class.h"
#include "platform/flash/runtime/text/text_field.h"
#include "platform/flash/runtime/text/text_field_drawing.h"
#include "platform/flash/runtime/text/text_format_class.h"
#include "platform/flash/runtime/text/text_html.h"
#include "platform/flash/runtime/text/text_pictures.h"
#include "platform/flash/runtime/text/text_snapshot_class.h"

namespace pencora::runtime {

using avm1::Machine;
using avm1::Object;
using avm1::Value;

namespace {

DisplayObject* fieldObject(Machine& m, const Value& self) {
    DisplayObject* o = hostOf(m).displayOf(self.object());
    return o && o->field ? o : nullptr;
}

// Splits "a.b.c", "/a/b:c" or "a:c" into the clip path and the variable's name.
std::pair<QString, QString> splitVariable(const QString& path) {
    const qsizetype colon = path.lastIndexOf(u':');
    if (colon >= 0) {
        return {path.left(colon), path.mid(colon + 1)};
    }
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot >= 0) {
        return {path.left(dot), path.mid(dot + 1)};
    }
    return {QString(), path};
}

// The object holding a field's variable, relative to the timeline the field is on: a field
// shown by a button state belongs to the clip holding the button.
Object* variableHolder(ScriptHost& host, DisplayObject& o, QString& name) {
    DisplayObject* timeline = o.parent;
    while (timeline && timeline->kind == ObjectKind::Button) {
        timeline = timeline->parent;
    }
    if (!timeline) {
        return nullptr;
    }
    auto [clipPath, var] = splitVariable(o.field->variable);
    name = var;
    Object* base = host.scriptObject(*timeline);
    if (clipPath.isEmpty()) {
        return base;
    }
    if (clipPath.contains(u'/')) {
        return host.resolveTarget(base, clipPath);
    }
    // Dotted paths name clips or plain objects, from the field's timeline.
    Object* at = base;
    for (const QString& part : clipPath.split(u'.')) {
        at = host.machine().get(at, part).object();
        if (!at) {
            return nullptr;
        }
    }
    return at;
}

int versionOf(const DisplayObject& o) {
    return o.movie ? o.movie->version() : 8;
}

// The field's style sheet as formats by selector (tag selectors in lower case).
std::optional<HtmlStyles> stylesOf(Machine& m, const TextField& f) {
    if (!f.styleSheet) {
        return std::nullopt;
    }
    HtmlStyles out;
    if (Object* styles = m.get(f.styleSheet, QStringLiteral("_styles")).object()) {
        for (const QString& name : m.enumerate(styles)) {
            if (const TextFormat* tf = textFormatOf(m.get(styles, name))) {
                out[name.startsWith(u'.') ? name : name.toLower()] = *tf;
            }
        }
    }
    return out;
}

void setFieldText(Machine& m, DisplayObject& o, const QString& s, bool updateVariable) {
    TextField& f = *o.field;
    if (f.html) {
        const std::optional<HtmlStyles> styles = stylesOf(m, f);
        setHtml(f, s, styles ? &*styles : nullptr);
    } else {
        f.setText(s);
    }
    textFieldChanged(o);
    syncTextPictures(hostOf(m), o);
    if (updateVariable && !f.variable.isEmpty()) {
        QString name;
        if (Object* holder = variableHolder(hostOf(m), o, name)) {
            m.set(holder, name, Value(f.text));
        }
    }
}

// Reads the bound variable into the field, if it has one.
void pullVariable(Machine& m, DisplayObject& o) {
    syncTextVariable(hostOf(m), o, false);
    (void)m;
}

using Getter = Value (*)(Machine&, DisplayObject&, TextField&);
using Setter = void (*)(Machine&, DisplayObject&, TextField&, const Value&);

struct Prop {
    const char* name;
    Getter get;
    Setter set;  // null: read-only
    // Movies older than the version that brought the property do not see it.
    uint16_t version = 0;
};

TextLayout layoutOf(const DisplayObject& o) {
    return layoutText(*o.field, measureFor(o));
}

Value flag(bool b) {
    return Value(b);
}

QString autoSizeName(AutoSize a) {
    switch (a) {
        case AutoSize::Left:
            return QStringLiteral("left");
        case AutoSize::Center:
            return QStringLiteral("center");
        case AutoSize::Right:
            return QStringLiteral("right");
        case AutoSize::None:
            break;
    }
    return QStringLiteral("none");
}

// Listed in the order for..in does not show them: it walks newest first.
const Prop kProps[] = {
    {"gridFitType", [](Machine&, DisplayObject&, TextField& f) { return Value(f.gridFitType); },
     [](Machine& m, DisplayObject&, TextField& f, const Value& v) {
         const QString s = m.toString(v);
         if (s == u"none" || s == u"pixel" || s == u"subpixel") {
             f.gridFitType = s;
         }
     },
     avm1::kVersion8},
    {"antiAliasType", [](Machine&, DisplayObject&, TextField& f) { return Value(f.antiAliasType); },
     [](Machine& m, DisplayObject&, TextField& f, const Value& v) {
         const QString s = m.toString(v);
         if (s == u"normal" || s == u"advanced") {
             f.antiAliasType = s;
         }
     },
     avm1::kVersion8},
    {"thickness", [](Machine&, DisplayObject&, TextField& f) { return Value(f.thickness); },
     [](Machine& m, DisplayObject&, TextField& f, const Value& v) { f.thickness = m.toNumber(v); },
     avm1::kVersion8},
    {"sharpness", [](Machine&, DisplayObject&, TextField& f) { return Value(f.sharpness); },
     [](Machine& m, DisplayObject&, TextField& f, const Value& v) { f.sharpness = m.toNumber(v); },
     avm1::kVersion8},
    {"filters",
     [](Machine& m, DisplayObject& o, TextField&) { return filtersToScript(m, o.filters); },
     [](Machine& m, DisplayObject& o, TextField&, const Value& v) {
         o.filters = filtersFromScript(m, v);
         textFieldChanged(o);
     },
     avm1::kVersion8},
    {"scroll",
     [](Machine&, DisplayObject& o, TextField& f) {
         const TextLayout l = layoutOf(o);
         return Value(double(std::clamp(f.scroll, 1, maxScroll(f, l))));
     },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         const double n = m.toNumber(v);
         if (std::isfinite(n)) {
             // Limited before it becomes a whole number: a huge one scrolls to the end.
             f.scroll = int(std::clamp(n, 1.0, double(maxScroll(f, layoutOf(o)))));
             textFieldChanged(o);
         }
     }},
    {"maxscroll",
     [](Machine&, DisplayObject& o, TextField& f) {
         return Value(double(maxScroll(f, layoutOf(o))));
     },
     nullptr},
    {"borderColor",
     [](Machine&, DisplayObject&, TextField& f) { return Value(double(f.borderColor)); },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         f.borderColor = uint32_t(m.toInt32(v)) & 0xFFFFFF;
         textFieldChanged(o);
     }},
    {"backgroundColor",
     [](Machine&, DisplayObject&, TextField& f) { return Value(double(f.backgroundColor)); },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         f.backgroundColor = uint32_t(m.toInt32(v)) & 0xFFFFFF;
         textFieldChanged(o);
     }},
    {"textColor",
     [](Machine&, DisplayObject&, TextField& f) {
         return Value(double(f.newFormat.color.value_or(0)));
     },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         TextFormat c;
         c.color = uint32_t(m.toInt32(v)) & 0xFFFFFF;
         f.applyFormat(0, f.length(), c);
         f.newFormat.apply(c);
         textFieldChanged(o);
     }},
    {"tabIndex",
     [](Machine&, DisplayObject&, TextField& f) {
         return f.tabIndex ? Value(*f.tabIndex) : Value();
     },
     [](Machine& m, DisplayObject&, TextField& f, const Value& v) {
         if (v.isUndefined()) {
             f.tabIndex.reset();
         } else {
             f.tabIndex = m.toNumber(v);
         }
     }},
    {"autoSize",
     [](Machine&, DisplayObject&, TextField& f) { return Value(autoSizeName(f.autoSize)); },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         if (v.isBoolean()) {
             f.autoSize = v.boolean() ? AutoSize::Left : AutoSize::None;
         } else {
             const QString s = m.toString(v);
             f.autoSize = s == u"left"     ? AutoSize::Left
                          : s == u"center" ? AutoSize::Center
                          : s == u"right"  ? AutoSize::Right
                                           : AutoSize::None;
         }
         textFieldChanged(o);
     }},
    {"text",
     [](Machine& m, DisplayObject& o, TextField& f) {
         pullVariable(m, o);
         return Value(f.text);
     },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         const bool html = f.html;
         f.html = false;  // text is taken as it stands, tags and all
         setFieldText(m, o, m.toString(v), true);
         f.html = html;
     }},
    {"type",
     [](Machine&, DisplayObject&, TextField& f) { return Value(f.editable ? "input" : "dynamic"); },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         const QString s = m.toString(v).toLower();
         if (s == u"input") {
             f.editable = true;
         } else if (s == u"dynamic") {
             f.editable = false;
         }
         textFieldChanged(o);
     }},
    {"htmlText",
     [](Machine& m, DisplayObject& o, TextField& f) {
         pullVariable(m, o);
         return Value(f.html ? toHtml(f) : f.text);
     },
     [](Machine& m, DisplayObject& o, TextField&, const Value& v) {
         setFieldText(m, o, m.toString(v), true);
     }},
    {"variable",
     [](Machine&, DisplayObject&, TextField& f) {
         return f.variable.isEmpty() ? Value::null() : Value(f.variable);
     },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         f.variable = v.isNullish() ? QString() : m.toString(v);
         syncTextVariable(hostOf(m), o, true);
     }},
    {"hscroll",
     [](Machine&, DisplayObject& o, TextField& f) {
         return Value(double(std::clamp(f.hscroll, 0, maxHScroll(f, layoutOf(o)))));
     },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         const double n = m.toNumber(v);
         const TextLayout l = layoutOf(o);
         f.hscroll = std::isfinite(n) ? int(std::clamp(n, 0.0, double(maxHScroll(f, l)))) : 0;
         textFieldChanged(o);
     }},
    {"maxhscroll",
     [](Machine&, DisplayObject& o, TextField& f) {
         return Value(double(maxHScroll(f, layoutOf(o))));
     },
     nullptr},
    {"maxChars",
     [](Machine&, DisplayObject&, TextField& f) {
         return f.maxChars != 0 ? Value(double(f.maxChars)) : Value::null();
     },
     [](Machine& m, DisplayObject&, TextField& f, const Value& v) {
         // 0 and null lift the limit; a negative one lets nothing be typed.
         f.maxChars = v.isNullish() ? 0 : int(m.toInt32(v));
     }},
    {"embedFonts", [](Machine&, DisplayObject&, TextField& f) { return flag(f.embedFonts); },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         f.embedFonts = m.toBoolean(v);
         textFieldChanged(o);
     }},
    {"html", [](Machine&, DisplayObject&, TextField& f) { return flag(f.html); },
     [](Machine& m, DisplayObject&, TextField& f, const Value& v) { f.html = m.toBoolean(v); }},
    {"border", [](Machine&, DisplayObject&, TextField& f) { return flag(f.border); },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         f.border = m.toBoolean(v);
         textFieldChanged(o);
     }},
    {"background", [](Machine&, DisplayObject&, TextField& f) { return flag(f.background); },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         f.background = m.toBoolean(v);
         textFieldChanged(o);
     }},
    {"wordWrap", [](Machine&, DisplayObject&, TextField& f) { return flag(f.wordWrap); },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         f.wordWrap = m.toBoolean(v);
         textFieldChanged(o);
     }},
    {"password", [](Machine&, DisplayObject&, TextField& f) { return flag(f.password); },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         f.password = m.toBoolean(v);
         textFieldChanged(o);
     }},
    {"multiline", [](Machine&, DisplayObject&, TextField& f) { return flag(f.multiline); },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         f.multiline = m.toBoolean(v);
         textFieldChanged(o);
     }},
    {"selectable", [](Machine&, DisplayObject&, TextField& f) { return flag(f.selectable); },
     [](Machine& m, DisplayObject&, TextField& f, const Value& v) {
         f.selectable = m.toBoolean(v);
     }},
    {"length",
     [](Machine& m, DisplayObject& o, TextField& f) {
         pullVariable(m, o);
         return Value(double(f.length()));
     },
     nullptr},
    {"bottomScroll",
     [](Machine&, DisplayObject& o, TextField& f) {
         const TextLayout l = layoutOf(o);
         const int s = std::clamp(f.scroll, 1, maxScroll(f, l));
         return Value(double(std::min(lineCount(l), s + visibleLines(f, l, s) - 1)));
     },
     nullptr},
    {"textWidth",
     [](Machine&, DisplayObject& o, TextField&) {
         return Value(std::floor(layoutOf(o).textWidth / 20));
     },
     nullptr},
    {"textHeight",
     [](Machine&, DisplayObject& o, TextField&) {
         return Value(std::floor(layoutOf(o).textHeight / 20));
     },
     nullptr},
    {"restrict",
     [](Machine&, DisplayObject&, TextField& f) {
         return f.restrict ? Value(*f.restrict) : Value::null();
     },
     [](Machine& m, DisplayObject&, TextField& f, const Value& v) {
         // An empty restrict set by a script lifts the restriction.
         const QString r = v.isNullish() ? QString() : m.toString(v);
         if (r.isEmpty()) {
             f.restrict.reset();
         } else {
             f.restrict = r;
         }
     }},
    {"condenseWhite", [](Machine&, DisplayObject&, TextField& f) { return flag(f.condenseWhite); },
     [](Machine& m, DisplayObject&, TextField& f, const Value& v) {
         f.condenseWhite = m.toBoolean(v);
     }},
    {"mouseWheelEnabled",
     [](Machine&, DisplayObject&, TextField& f) { return flag(f.mouseWheelEnabled); },
     [](Machine& m, DisplayObject&, TextField& f, const Value& v) {
         f.mouseWheelEnabled = m.toBoolean(v);
     },
     avm1::kVersion7},
    {"styleSheet",
     [](Machine&, DisplayObject&, TextField& f) {
         return f.styleSheet ? Value(f.styleSheet) : Value();
     },
     [](Machine& m, DisplayObject& o, TextField& f, const Value& v) {
         f.styleSheet = v.object();
         // The markup last set is read again under the new sheet, breaking lines as it did.
         if (f.html && f.lastHtml) {
             const bool multiline = f.multiline;
             f.multiline = f.lastHtmlMultiline;
             setFieldText(m, o, *f.lastHtml, false);
             f.multiline = multiline;
         }
     },
     avm1::kVersion7},
};

template <size_t I>
Value getProp(Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* o = fieldObject(m, self);
    return o ? kProps[I].get(m, *o, *o->field) : Value();
}
template <size_t I>
Value setProp(Machine& m, const Value& self, std::vector<Value>& args) {
    if (DisplayObject* o = fieldObject(m, self); o && kProps[I].set) {
        kProps[I].set(m, *o, *o->field, avm1::argAt(args, 0));
    }
    return {};
}

template <size_t... I>
void installProps(Machine& m, Object* proto, std::index_sequence<I...>) {
    const avm1::NativeFn getters[] = {&getProp<I>...};
    const avm1::NativeFn setters[] = {&setProp<I>...};
    for (size_t i = 0; i < sizeof...(I); ++i) {
        const QString name = QString::fromLatin1(kProps[i].name);
        proto->put(name, Value(), kProps[i].version);
        avm1::Property* p = proto->find(name, 10);
        p->getter = m.makeNative(getters[i]);
        p->setter = m.makeNative(setters[i]);
    }
}

// The range arguments of getTextFormat/setTextFormat: (), (index) or (begin, end).
std::pair<int, int> rangeArgs(Machine& m, const TextField& f, std::vector<Value>& args,
                              size_t count) {
    auto index = [&](size_t i) {
        const double n = m.toNumber(args[i]);
        return std::isfinite(n) ? int(std::clamp(n, -1.0, double(f.length()))) : 0;
    };
    if (count == 0) {
        return {0, f.length()};
    }
    int a = index(0);
    if (count == 1) {
        if (a < 0 || a >= f.length()) {
            return {-1, -1};
        }
        return {a, a + 1};
    }
    int b = index(1);
    a = std::max(a, 0);
    if (b < 0 || b < a) {
        return {-1, -1};
    }
    return {a, b};
}

Value getTextFormat(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* o = fieldObject(m, self);
    if (!o) {
        return {};
    }
    pullVariable(m, *o);
    TextField& f = *o->field;
    auto [a, b] = rangeArgs(m, f, args, std::min<size_t>(args.size(), 2));
    // An empty range, or one outside the text, has no format at all.
    if (a < 0 || a >= b || f.spans.empty()) {
        return Value(makeTextFormatObject(m, TextFormat{}));
    }
    return Value(makeTextFormatObject(m, f.formatOf(a, b)));
}

Value setTextFormat(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* o = fieldObject(m, self);
    if (!o || args.empty()) {
        return {};
    }
    pullVariable(m, *o);
    TextField& f = *o->field;
    const TextFormat* fmt = textFormatOf(args.back());
    if (!fmt) {
        return {};
    }
    auto [a, b] = rangeArgs(m, f, args, std::min<size_t>(args.size() - 1, 2));
    if (a < 0) {
        return {};
    }
    f.applyFormat(a, b, *fmt);
    textFieldChanged(*o);
    return {};
}

Value getNewTextFormat(Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* o = fieldObject(m, self);
    return o ? Value(makeTextFormatObject(m, o->field->newFormat)) : Value();
}

Value setNewTextFormat(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* o = fieldObject(m, self);
    if (o && !args.empty()) {
        if (const TextFormat* fmt = textFormatOf(args[0])) {
            o->field->newFormat.apply(*fmt);
        }
    }
    return {};
}

Value replaceText(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* o = fieldObject(m, self);
    if (!o || args.size() < 3) {
        return {};
    }
    pullVariable(m, *o);
    TextField& f = *o->field;
    const double a = m.toNumber(args[0]), b = m.toNumber(args[1]);
    if (!std::isfinite(a) || !std::isfinite(b) || a < 0 || b < a || a > f.length()) {
        return {};
    }
    f.replace(int(a), int(std::min(b, double(f.length()))), m.toString(args[2]));
    textFieldChanged(*o);
    pushTextVariable(hostOf(m), *o);
    return {};
}

Value replaceSel(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* o = fieldObject(m, self);
    if (!o || args.empty()) {
        return {};
    }
    pullVariable(m, *o);
    TextField& f = *o->field;
    // A field nobody has put a caret in has it before the first character.
    int a = std::clamp(f.selectionBegin, 0, f.length());
    int b = std::clamp(f.selectionEnd, 0, f.length());
    if (a > b) {
        std::swap(a, b);
    }
    const QString s = m.toString(args[0]);
    f.replace(a, b, s);
    f.selectionBegin = f.selectionEnd = a + int(normaliseLineEnds(s).size());
    textFieldChanged(*o);
    // The bound variable takes the edited text, or the next frame would put the old one back.
    pushTextVariable(hostOf(m), *o);
    return {};
}

Value removeTextField(Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* o = fieldObject(m, self);
    if (o && o->parent && o->depth >= kScriptDepthBase) {
        hostOf(m).player().removeObject(*o->parent, o->depth);
    }
    return {};
}

Value getDepth(Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* o = fieldObject(m, self);
    return o ? Value(double(o->depth - kScriptDepthBase)) : Value();
}

Value getFontList(Machine& m, const Value&, std::vector<Value>&) {
    std::vector<Value> names;
    for (const QString& n : deviceFontNames()) {
        names.emplace_back(n);
    }
    return Value(m.makeArray(std::move(names)));
}

// TextFormat.getTextExtent(text [, width]): the size of `text` laid out in this format (an
// embedded font of the movie by that name first, else a device font), in pixels.
Value getTextExtent(Machine& m, const Value& self, std::vector<Value>& args) {
    const TextFormat* own = textFormatOf(self);
    if (!own || args.empty()) {
        return {};
    }
    TextField f;
    f.newFormat = TextFormat::defaults();
    f.newFormat.apply(*own);
    f.multiline = true;
    const double wrap = args.size() > 1 ? m.toNumber(args[1]) : std::nan("");
    f.wordWrap = std::isfinite(wrap) && wrap > 0;
    f.bounds = QRectF(0, 0, f.wordWrap ? wrap * 20 + 2 * kGutter : 1e9, 1e9);
    f.setText(m.toString(args[0]));
    const DisplayObject* root = hostOf(m).player().root(0);
    const swf::Movie* movie =
        root && root->movie && root->movie->movie ? root->movie->movie.get() : nullptr;
    const FieldMeasure measure(movie, true, MissingFont::Device);
    const TextLayout l = layoutText(f, measure);
    const double ascent = std::round(measure.ascent(f.newFormat) / 20);
    const double descent = std::round(measure.descent(f.newFormat) / 20);
    const double width = std::floor(l.textWidth / 20);
    const double height = std::floor(l.textHeight / 20);
    Object* out = m.heap().make<Object>(nullptr);  // the original's answer has no prototype
    m.set(out, QStringLiteral("ascent"), Value(ascent));
    m.set(out, QStringLiteral("descent"), Value(descent));
    m.set(out, QStringLiteral("width"), Value(width));
    m.set(out, QStringLiteral("height"), Value(height));
    m.set(out, QStringLiteral("textFieldHeight"), Value(height + 4));
    m.set(out, QStringLiteral("textFieldWidth"), Value(f.wordWrap ? std::floor(wrap) : width + 4));
    return Value(out);
}

Value textFieldCtor(Machine&, const Value&, std::vector<Value>&) {
    return {};
}

// clip.createTextField(name, depth, x, y, width, height)
// A field with no definition behind it, at `depth` of `clip` (whatever was there goes).
DisplayObject& placeScriptField(Player& player, DisplayObject& clip, const QString& name, int depth,
                                QRectF bounds) {
    if (clip.childAt(depth)) {
        player.removeObject(clip, depth);
    }
    auto object = std::make_shared<DisplayObject>();
    object->kind = ObjectKind::EditText;
    object->depth = depth;
    object->parent = &clip;
    object->movie = clip.movie;
    object->serial = player.nextSerial();
    object->fromTimeline = false;
    object->name = name;
    auto field = std::make_shared<TextField>();
    field->bounds = bounds;
    field->newFormat = TextFormat::defaults();
    field->version = versionOf(clip);
    object->field = field;
    DisplayObject& placed = *object;
    clip.children[depth] = std::move(object);
    textFieldChanged(placed);
    return placed;
}

Value createTextField(Machine& m, const Value& self, std::vector<Value>& args) {
    ScriptHost& host = hostOf(m);
    DisplayObject* clip = host.displayOf(self.object());
    if (!clip && m.current()) {
        // Called as a plain function from a timeline: the timeline's clip.
        clip = host.displayOf(m.current()->target);
    }
    if (!clip || !clip->isClip() || args.size() < 6) {
        return {};
    }
    auto number = [&](size_t i) {
        const double n = m.toNumber(args[i]);
        return std::isfinite(n) ? n : 0.0;
    };
    const QString name = m.toString(args[0]);
    const int depth = int(std::clamp(number(1), -16384.0, 2130690045.0)) + kScriptDepthBase;
    DisplayObject& placed =
        placeScriptField(host.player(), *clip, name, depth,
                         QRectF(0, 0, std::round(number(4) * 20), std::round(number(5) * 20)));
    // A position past what twips hold stops at the last one, as `_x` and `_y` do.
    auto twips = [&](size_t i) {
        return int32_t(
            std::clamp(std::round(number(i) * 20), double(INT32_MIN), double(INT32_MAX)));
    };
    placed.matrix.tx = twips(2);
    placed.matrix.ty = twips(3);
    if (versionOf(*clip) >= 8) {
        return Value(host.scriptObject(placed));
    }
    return {};
}

const avm1::NativeEntry kMethods[] = {
    {"getTextFormat", getTextFormat},
    {"setTextFormat", setTextFormat},
    {"getNewTextFormat", getNewTextFormat},
    {"setNewTextFormat", setNewTextFormat},
    {"replaceText", replaceText},
    {"replaceSel", replaceSel},
    {"removeTextField", removeTextField},
    {"getDepth", getDepth},
    {"getImageReference", getImageReference},
};

}  // namespace

void installTextFieldClass(ScriptHost& host) {
    Machine& m = host.machine();
    installTextFormatClass(m);
    installTextSnapshotClass(m);
    if (Object* tf = m.get(m.global(), QStringLiteral("TextFormat")).object()) {
        if (Object* p = m.get(tf, QStringLiteral("prototype")).object()) {
            p->putNative(m, QStringLiteral("getTextExtent"), getTextExtent);
        }
    }
    Object* proto = m.makeObject();
    installProps(m, proto, std::make_index_sequence<std::size(kProps)>{});
    avm1::installTable(m, proto, kMethods);
    // Fields broadcast onChanged and onScroller to their listeners.
    Value broadcaster = m.get(m.global(), QStringLiteral("AsBroadcaster"));
    if (broadcaster.isObject()) {
        std::vector<Value> args{Value(proto)};
        m.callMethodValue(broadcaster, QStringLiteral("initialize"), args);
        proto->setFlags(QStringLiteral("_listeners"), avm1::kDontEnum, 0, 10);
        for (const char* n : {"addListener", "removeListener", "broadcastMessage"}) {
            proto->setFlags(QString::fromLatin1(n), avm1::kDontEnum, 0, 10);
        }
    }
    // typeof a text field is "object", not "movieclip".
    proto->put(QStringLiteral("__typeof__"), Value(QStringLiteral("object")),
               avm1::kDontEnum | avm1::kDontDelete | avm1::kReadOnly);
    m.protos().textField = proto;
    avm1::FunctionObject* ctor = m.defineClass(QStringLiteral("TextField"), textFieldCtor, proto);
    ctor->putNative(m, QStringLiteral("getFontList"), getFontList);
    installStyleSheetClass(m);
    if (Object* mc = m.protos().movieClip) {
        mc->putNative(m, QStringLiteral("createTextField"), createTextField);
    }
}

void initTextFieldObject(Machine& m, Object* script) {
    script->put(QStringLiteral("_listeners"), Value(m.makeArray({Value(script)})), avm1::kDontEnum);
}

void syncTextVariable(ScriptHost& host, DisplayObject& o, bool placing) {
    if (!o.field || o.field->variable.isEmpty()) {
        return;
    }
    Machine& m = host.machine();
    QString name;
    Object* holder = variableHolder(host, o, name);
    if (!holder || name.isEmpty()) {
        return;
    }
    if (!placing && holder->kind() != avm1::ObjectKind::Clip) {
        return;  // a plain object's variable feeds the field only when bound
    }
    const Value v = m.get(holder, name);
    if (v.isUndefined()) {
        if (!placing) {
            return;
        }
        // Bound to a variable not yet set, the field starts again from its definition's text
        // and gives it to the variable; an empty field leaves the variable unset.
        TextField& f = *o.field;
        const QString before = f.text;
        if (f.html) {
            setHtml(f, f.initialText);
        } else {
            f.setText(f.initialText);
        }
        if (f.text != before) {
            textFieldChanged(o);
        }
        if (!f.text.isEmpty()) {
            m.set(holder, name, Value(f.text));
        }
        return;
    }
    const QString s = m.toString(v);
    if (s != o.field->text) {
        setFieldText(m, o, s, false);
    }
}

DisplayObject* duplicateTextField(ScriptHost& host, DisplayObject& source, const QString& name,
                                  int depth) {
    DisplayObject* parent = source.parent;
    if (!parent || !source.field) {
        return nullptr;
    }
    // Taken first: the copy may go to the source's own depth and replace it.
    const uint16_t id = source.characterId;
    // The copy stands where the source was put, not where auto-sizing moved it, and is an
    // input field if the source is one.
    swf::Matrix matrix = source.matrix;
    const double shift = source.field->autoSizeShift;
    matrix.tx += int32_t(std::lround(matrix.a * shift));
    matrix.ty += int32_t(std::lround(matrix.b * shift));
    const bool editable = source.field->editable;
    const swf::ColorTransform color = source.colorTransform;
    const auto scale = source.scriptScale;
    Player& player = host.player();
    DisplayObject* copy = id ? player.placeByScript(*parent, {id, depth, name, nullptr})
                             : &placeScriptField(player, *parent, name, depth, QRectF());
    if (!copy || !copy->field) {
        return nullptr;
    }
    copy->matrix = matrix;
    copy->colorTransform = color;
    copy->scriptScale = scale;
    copy->field->editable = editable;
    textFieldChanged(*copy);
    syncTextVariable(host, *copy, true);
    return copy;
}

QString textVariablePath(ScriptHost& host, DisplayObject& o) {
    if (!o.field || o.field->variable.isEmpty()) {
        return {};
    }
    QString name;
    Object* holder = variableHolder(host, o, name);
    DisplayObject* clip = holder ? host.displayOf(holder) : nullptr;
    if (!clip || name.isEmpty()) {
        return {};
    }
    return host.player().targetPath(*clip, false) + u'.' + name;
}

void pushTextVariable(ScriptHost& host, DisplayObject& o) {
    QString name;
    if (Object* holder = variableHolder(host, o, name); holder && !name.isEmpty()) {
        host.machine().set(holder, name, Value(o.field->text));
    }
}

namespace {

// Whether the field's scroll positions or limits moved since its listeners last heard.
bool scrollsMoved(DisplayObject& o) {
    TextField& f = *o.field;
    f.scrollsToCheck = false;
    const TextLayout l = layoutOf(o);
    const std::array<int, 4> now{std::clamp(f.scroll, 1, maxScroll(f, l)), maxScroll(f, l),
                                 std::clamp(f.hscroll, 0, maxHScroll(f, l)), maxHScroll(f, l)};
    if (now == f.scrollsNotified) {
        return false;
    }
    f.scrollsNotified = now;
    return o.script != nullptr;  // without a script object nobody listens
}

void broadcastScrolled(ScriptHost& host, DisplayObject& o) {
    avm1::ClipObject* self = host.scriptObject(o);
    host.machine().callMethod(self, QStringLiteral("broadcastMessage"),
                              {Value("onScroller"), Value(self)}, versionOf(o));
}

}  // namespace

void syncTextVariables(ScriptHost& host) {
    // Fields whose scrolling changed hear of it once the walk is over: their handlers may
    // change the display list.
    std::vector<std::shared_ptr<DisplayObject>> scrolled;
    // Fields whose pictures may have to follow, after the walk too: placing runs scripts.
    std::vector<std::shared_ptr<DisplayObject>> pictured;
    std::vector<DisplayObject*> todo;
    for (int layer : host.player().layers()) {
        if (DisplayObject* r = host.player().root(layer)) {
            todo.push_back(r);
        }
    }
    while (!todo.empty()) {
        DisplayObject* o = todo.back();
        todo.pop_back();
        if (o->field && !o->field->variable.isEmpty()) {
            syncTextVariable(host, *o, false);
        }
        for (auto& [d, c] : o->children) {
            todo.push_back(c.get());
            if (c->field && c->field->scrollsToCheck && scrollsMoved(*c)) {
                scrolled.push_back(c);
            }
            if (c->field && (!c->field->pictures.empty() ||
                             c->field->picturesPlaced != c->field->picturesSet)) {
                pictured.push_back(c);
            }
        }
    }
    for (const std::shared_ptr<DisplayObject>& o : pictured) {
        if (host.player().onList(*o)) {
            syncTextPictures(host, *o);
        }
    }
    for (const std::shared_ptr<DisplayObject>& o : scrolled) {
        broadcastScrolled(host, *o);
    }
}

}  // namespace pencora::runtime
