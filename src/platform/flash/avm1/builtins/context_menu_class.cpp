// ContextMenu and ContextMenuItem: the menu a movie attaches to a clip, button or text (its
// `menu` property). The desktop player opens no menu of the movie's own, so both are data:
// their fields, copy() and hideBuiltInItems(), as scripts read them back.
#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

// The built-in entries, stored last first so that for..in lists them as "save" ... "print".
constexpr const char* kBuiltInItems[] = {"print", "forward_back", "rewind", "loop",
                                         "play",  "quality",      "zoom",   "save"};

Object* builtInItems(Machine& m, Object* from) {
    Object* items = m.makeObject();
    for (const char* name : kBuiltInItems) {
        const QString n = QString::fromLatin1(name);
        items->put(n, from ? m.get(from, n) : Value(true));
    }
    return items;
}

Value menuCtor(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    if (!o) {
        return Value();
    }
    m.set(o, QStringLiteral("onSelect"), argAt(args, 0));
    m.set(o, QStringLiteral("builtInItems"), Value(builtInItems(m, nullptr)));
    m.set(o, QStringLiteral("customItems"), Value(m.makeArray()));
    return Value();
}

Value menuHideBuiltInItems(Machine& m, const Value& self, std::vector<Value>&) {
    Object* items = m.getMember(self, QStringLiteral("builtInItems")).object();
    if (items) {
        for (const char* name : kBuiltInItems) {
            m.set(items, QString::fromLatin1(name), Value(false));
        }
    }
    return Value();
}

Value menuCopy(Machine& m, const Value& self, std::vector<Value>&) {
    Object* source = self.object();
    if (!source) {
        return Value();
    }
    std::vector<Value> none{m.get(source, QStringLiteral("onSelect"))};
    Value copy = m.construct(m.get(m.global(), QStringLiteral("ContextMenu")), none);
    Object* c = copy.object();
    if (!c) {
        return copy;
    }
    Object* items = m.get(source, QStringLiteral("builtInItems")).object();
    m.set(c, QStringLiteral("builtInItems"), Value(builtInItems(m, items)));
    std::vector<Value> custom;
    Object* list = m.get(source, QStringLiteral("customItems")).object();
    if (list && list->kind() == ObjectKind::Array) {
        for (const Value& item : static_cast<ArrayObject*>(list)->values(m)) {
            std::vector<Value> noArgs;
            Value itemCopy = m.callMethodValue(item, QStringLiteral("copy"), noArgs);
            custom.push_back(itemCopy.isUndefined() ? item : itemCopy);
        }
    }
    m.set(c, QStringLiteral("customItems"), Value(m.makeArray(std::move(custom))));
    return copy;
}

// Fields in reverse of how for..in lists them (visible, enabled, separatorBefore, onSelect,
// caption).
void setItem(Machine& m, Object* o, const Value& caption, const Value& onSelect,
             const Value& separatorBefore, const Value& enabled, const Value& visible) {
    m.set(o, QStringLiteral("caption"), caption);
    m.set(o, QStringLiteral("onSelect"), onSelect);
    m.set(o, QStringLiteral("separatorBefore"), separatorBefore);
    m.set(o, QStringLiteral("enabled"), enabled);
    m.set(o, QStringLiteral("visible"), visible);
}

Value itemCtor(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    if (!o) {
        return Value();
    }
    auto flag = [&](size_t i, bool fallback) {
        return i < args.size() ? Value(m.toBoolean(args[i])) : Value(fallback);
    };
    setItem(m, o, args.empty() ? Value() : Value(m.toString(args[0])), argAt(args, 1),
            flag(2, false), flag(3, true), flag(4, true));
    return Value();
}

Value itemCopy(Machine& m, const Value& self, std::vector<Value>&) {
    Object* source = self.object();
    if (!source) {
        return Value();
    }
    std::vector<Value> none;
    Value copy = m.construct(m.get(m.global(), QStringLiteral("ContextMenuItem")), none);
    if (Object* c = copy.object()) {
        setItem(m, c, m.get(source, QStringLiteral("caption")),
                m.get(source, QStringLiteral("onSelect")),
                m.get(source, QStringLiteral("separatorBefore")),
                m.get(source, QStringLiteral("enabled")), m.get(source, QStringLiteral("visible")));
    }
    return copy;
}

const NativeEntry kMenuMethods[] = {
    {"hideBuiltInItems", menuHideBuiltInItems},
    {"copy", menuCopy},
};
const NativeEntry kItemMethods[] = {
    {"copy", itemCopy},
};

}  // namespace

void installContextMenu(Machine& m) {
    Object* menuProto = m.makeObject();
    installTable(m, menuProto, kMenuMethods);
    m.global()->put(QStringLiteral("ContextMenu"), Value(m.makeClass(menuCtor, menuProto)),
                    kDontEnum);
    Object* itemProto = m.makeObject();
    installTable(m, itemProto, kItemMethods);
    m.global()->put(QStringLiteral("ContextMenuItem"), Value(m.makeClass(itemCtor, itemProto)),
                    kDontEnum);
}

}  // namespace pencora::avm1
