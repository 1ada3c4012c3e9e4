// flash.net.FileReference and FileReferenceList. Each instance is a broadcaster (addListener,
// removeListener, broadcastMessage) whose listeners hear the dialog's events. The player has
// no file dialog to show a movie: a browse or download whose arguments are valid answers true
// and the dialog closes at once as if the user cancelled it (onCancel, after the calling
// script). No file is ever chosen, so an upload has nothing to send and answers false.
#include <QUrl>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

const QString kOpenDialog = QStringLiteral("__dialogOpen");

Value construct(Machine& m, const Value& self, std::vector<Value>&) {
    if (Object* broadcaster = m.get(m.global(), QStringLiteral("AsBroadcaster")).object()) {
        std::vector<Value> args{self};
        m.callMethodValue(Value(broadcaster), QStringLiteral("initialize"), args);
    }
    return Value();  // also for a subclass's super()
}

// One field of a filter: an own property (a getter counts) whose text is not empty. A getter
// that throws makes the filter invalid; converting the value to text may throw to the caller.
bool filterField(Machine& m, Object* filter, const QString& name) {
    Property* p = filter->find(name, m.version());
    if (!p) {
        return false;
    }
    Value value = p->value;
    if (p->getter) {
        try {
            value = m.get(filter, name);
        } catch (const ScriptThrow&) {
            return false;
        }
    }
    return !m.toString(value).isEmpty();
}

// browse()'s optional list of filters: an array, not empty, of objects each with a
// description and an extension (and, if it has one, a macType that reads as text).
bool filtersValid(Machine& m, const std::vector<Value>& args) {
    if (args.empty()) {
        return true;
    }
    Object* list = args[0].object();
    if (!list || list->kind() != ObjectKind::Array) {
        return false;
    }
    auto* array = static_cast<ArrayObject*>(list);
    if (array->count() == 0) {
        return false;
    }
    for (uint32_t i = 0; i < array->count(); ++i) {
        Object* filter = array->at(i).object();
        if (!filter || !filterField(m, filter, QStringLiteral("description")) ||
            !filterField(m, filter, QStringLiteral("extension"))) {
            return false;
        }
        if (Property* mac = filter->find(QStringLiteral("macType"), m.version())) {
            (void)m.toString(mac->getter ? m.get(filter, QStringLiteral("macType")) : mac->value);
        }
    }
    return true;
}

// The timer's call: the dialog's owner comes as the argument.
Value dialogCancelled(Machine& m, const Value&, std::vector<Value>& args) {
    const Value self = args.empty() ? Value() : args[0];
    Object* o = self.object();
    if (!o) {
        return {};
    }
    o->put(kOpenDialog, Value(false), kDontEnum);
    std::vector<Value> message{Value(QStringLiteral("onCancel")), self};
    m.callMethodValue(self, QStringLiteral("broadcastMessage"), message);
    return {};
}

// Opens the dialog that cannot be shown; false while one is already open.
Value openDialog(Machine& m, const Value& self) {
    Object* o = self.object();
    if (!o || m.toBoolean(m.get(o, kOpenDialog))) {
        return Value(false);
    }
    o->put(kOpenDialog, Value(true), kDontEnum);
    m.addTimer(Value(m.makeNative(dialogCancelled)), Value(), {}, {self}, 0, false);
    return Value(true);
}

Value browse(Machine& m, const Value& self, std::vector<Value>& args) {
    return filtersValid(m, args) ? openDialog(m, self) : Value(false);
}

// download(url [, defaultFileName]): the save dialog opens for an absolute address with a
// scheme and a host; anything else ("", "@", "name") is refused.
Value download(Machine& m, const Value& self, std::vector<Value>& args) {
    if (args.empty() || args[0].isNullish()) {
        return Value(false);
    }
    const QUrl url(m.toString(args[0]), QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty()) {
        return Value(false);
    }
    return openDialog(m, self);
}

Value refused(Machine&, const Value&, std::vector<Value>&) {
    return Value(false);
}

Value nothing(Machine&, const Value&, std::vector<Value>&) {
    return {};
}

FunctionObject* makeDialogClass(Machine& m, const NativeEntry* rows, size_t count) {
    Object* proto = m.makeObject();
    installTable(m, proto, rows, count);
    return m.makeClass(construct, proto);
}

}  // namespace

void installFileReferenceClasses(Machine& m) {
    Object* flash = m.get(m.global(), QStringLiteral("flash")).object();
    Object* net = flash ? m.get(flash, QStringLiteral("net")).object() : nullptr;
    if (!net) {
        return;
    }
    const NativeEntry file[] = {
        {"browse", browse}, {"download", download}, {"upload", refused}, {"cancel", nothing}};
    const NativeEntry list[] = {{"browse", browse}};
    net->put(QStringLiteral("FileReference"),
             Value(makeDialogClass(m, file, sizeof file / sizeof file[0])));
    net->put(QStringLiteral("FileReferenceList"),
             Value(makeDialogClass(m, list, sizeof list / sizeof list[0])));
}

}  // namespace pencora::avm1
