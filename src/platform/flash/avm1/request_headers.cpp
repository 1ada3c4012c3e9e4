#include "platform/flash/avm1/request_headers.h"

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/machine.h"
#include "platform/flash/avm1/object.h"

namespace pencora::avm1 {

namespace {

const QString kHeaders = QStringLiteral("_customHeaders");

ArrayObject* headerList(Machine& m, Object* o) {
    Object* list = m.get(o, kHeaders).object();
    if (list && list->kind() == ObjectKind::Array) {
        return static_cast<ArrayObject*>(list);
    }
    ArrayObject* made = m.makeArray();
    o->put(kHeaders, Value(static_cast<Object*>(made)), kDontEnum);
    return made;
}

}  // namespace

Value addRequestHeader(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    if (!o || args.empty()) {
        return Value();
    }
    std::vector<Value> pairs;
    if (args.size() == 1) {
        Object* given = args[0].object();
        if (!given || given->kind() != ObjectKind::Array) {
            return Value();
        }
        pairs = static_cast<ArrayObject*>(given)->values(m);
        pairs.resize(pairs.size() & ~size_t(1));  // a name without its value is dropped
    } else {
        pairs = {args[0], args[1]};
    }
    ArrayObject* list = headerList(m, o);
    std::vector<Value> all = list->values(m);
    for (const Value& v : pairs) {
        all.push_back(Value(m.toString(v)));
    }
    list->assign(m, all);
    return Value();
}

}  // namespace pencora::avm1
