#include "platform/flash/avm1/object.h"

#include <algorithm>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine.h"

namespace pencora::avm1 {

bool hiddenFromVersion(uint16_t flags, int swfVersion) {
    if ((flags & kVersion6) && swfVersion < 6) {
        return true;
    }
    if ((flags & (kVersion7 | kVersion7b)) && swfVersion < 7) {
        return true;
    }
    if ((flags & kVersion8) && swfVersion < 8) {
        return true;
    }
    if ((flags & kVersion9) && swfVersion < 9) {
        return true;
    }
    if ((flags & kVersion10) && swfVersion < 10) {
        return true;
    }
    return false;
}

bool Object::hasProtoProperty() const {
    switch (protoState_) {
        case ProtoState::Derived:
            return proto_ != nullptr;
        case ProtoState::Stored:
            return true;
        case ProtoState::Deleted:
            return false;
    }
    return false;
}

Value Object::protoProperty() const {
    if (protoState_ == ProtoState::Stored && protoStored_) {
        return *protoStored_;
    }
    return protoState_ == ProtoState::Derived && proto_ ? Value(proto_) : Value();
}

void Object::assignProto(const Value& v) {
    if (protoState_ != ProtoState::Deleted && (protoFlags_ & kReadOnly)) {
        return;
    }
    proto_ = v.object();
    if (v.isObject()) {
        protoState_ = ProtoState::Derived;
        protoStored_.reset();
    } else {
        protoState_ = ProtoState::Stored;
        protoStored_ = std::make_unique<Value>(v);
    }
}

Property* Object::find(const QString& name, int swfVersion) {
    return find(name, hashName(name), swfVersion);
}

Property* Object::findAny(const QString& name, int swfVersion) {
    return findAny(name, hashName(name), swfVersion);
}

Property* Object::findFolded(const QString& name) {
    const uint32_t index = folded_.find(name.toLower());
    return index == NameTable::kAbsent ? nullptr : &props_[index];
}

void Object::put(const QString& name, const Value& v, uint16_t flags) {
    if (uint32_t index = exact_.find(name); index != NameTable::kAbsent) {
        Property& p = props_[index];
        p.value = v;
        p.flags = flags;
        p.getter = p.setter = nullptr;
        p.accessorId = 0;
        return;
    }
    uint32_t index = uint32_t(props_.size());
    props_.push_back(Property{name, v, flags, nullptr, nullptr});
    exact_.insert(name, index);
    folded_.insert(name.toLower(), index);
}

void Object::putNative(Machine& m, const QString& name, NativeFn fn, uint16_t flags) {
    put(name, Value(m.makeNative(fn)), flags);
}

bool Object::remove(const QString& name, int swfVersion) {
    if (isProtoName(name, swfVersion)) {
        if (!hasProtoProperty() || (protoFlags_ & kDontDelete)) {
            return false;
        }
        proto_ = nullptr;
        protoStored_.reset();
        protoState_ = ProtoState::Deleted;
        return true;
    }
    Property* p = findAny(name, swfVersion);
    if (!p && nativePart_) {
        return nativePart_->remove(name, swfVersion);
    }
    if (!p || (p->flags & kDontDelete)) {
        return false;
    }
    props_.erase(props_.begin() + (p - props_.data()));
    reindex();
    return true;
}

size_t Object::removeWhere(const std::function<bool(const Property&)>& pick) {
    size_t before = props_.size();
    props_.erase(std::remove_if(props_.begin(), props_.end(), pick), props_.end());
    if (props_.size() != before) {
        reindex();
    }
    return before - props_.size();
}

void Object::setFlags(const QString& name, uint16_t set, uint16_t clear, int swfVersion) {
    if (isProtoName(name, swfVersion)) {
        protoFlags_ = uint16_t((protoFlags_ & ~clear) | set);
        return;
    }
    // ASSetPropFlags reaches properties hidden from the version too, so look up without that
    // filter (names still match as the version matches them).
    Property* p = findAny(name, swfVersion);
    if (p) {
        p->flags = uint16_t((p->flags & ~clear) | set);
    }
}

void Object::reindex() {
    exact_.clear();
    folded_.clear();
    for (uint32_t i = 0; i < props_.size(); ++i) {
        exact_.insert(props_[i].name, i);
        folded_.insert(props_[i].name.toLower(), i);
    }
}

// A plain object with a native part answers for the part what it does not hold itself: its
// elements and length, an XML node's fields, a string's length.
bool Object::getOwnVirtual(Machine& m, const QString& name, Value& out) {
    if (!nativePart_ || findAny(name, m.version())) {
        return false;
    }
    if (nativePart_->getOwnVirtual(m, name, out)) {
        return true;
    }
    if (Property* p = nativePart_->find(name, m.version()); p && !p->getter) {
        out = p->value;
        return true;
    }
    return false;
}

// Elements and length of an Array part go to the part, so that the length follows them.
bool Object::setOwnVirtual(Machine& m, const QString& name, const Value& v) {
    if (!nativePart_ || findAny(name, m.version())) {
        return false;
    }
    if (nativePart_->kind() == ObjectKind::Array) {
        if (const int64_t i = arrayIndex(name); i >= 0) {
            static_cast<ArrayObject*>(nativePart_)->setAt(m, uint32_t(i), v);
            return true;
        }
    }
    if (nativePart_->setOwnVirtual(m, name, v)) {
        return true;
    }
    if (Property* p = nativePart_->findAny(name, m.version()); p && !p->getter) {
        if (!(p->flags & kReadOnly)) {
            p->value = v;
        }
        return true;
    }
    return false;
}

void Object::enumerateVirtual(Machine& m, std::vector<QString>& names) {
    if (!nativePart_) {
        return;
    }
    nativePart_->enumerateVirtual(m, names);
    const auto& partProps = nativePart_->properties();
    for (auto it = partProps.rbegin(); it != partProps.rend(); ++it) {
        if (!(it->flags & kDontEnum) && !findAny(it->name, m.version())) {
            names.push_back(it->name);
        }
    }
}

void Object::traceRefs(Tracer& t) {
    if (proto_) {
        t.mark(proto_);
    }
    if (nativePart_) {
        t.mark(nativePart_);
    }
    if (nativeOwner_) {
        t.mark(nativeOwner_);
    }
    if (protoStored_) {
        t.mark(*protoStored_);
    }
    for (const Property& p : props_) {
        t.mark(p.value);
        if (p.getter) {
            t.mark(p.getter);
        }
        if (p.setter) {
            t.mark(p.setter);
        }
    }
    for (const Watch& w : watches_) {
        if (w.callback) {
            t.mark(w.callback);
        }
        t.mark(w.userData);
    }
}

}  // namespace pencora::avm1
