#include "platform/ole/class_registry.h"

#include <new>
#include <unordered_map>

namespace pencora::ole {

namespace {

std::unordered_map<CLSID, ClassFactory>& registry() {
    static std::unordered_map<CLSID, ClassFactory> classes;
    return classes;
}

ClassFactory lookup(REFCLSID clsid) {
    const auto it = registry().find(clsid);
    return it == registry().end() ? ClassFactory() : it->second;
}

}  // namespace

void CoRegisterClass(REFCLSID clsid, ClassFactory factory) {
    if (factory) {
        registry()[clsid] = std::move(factory);
    } else {
        registry().erase(clsid);
    }
}

void CoUnregisterClass(REFCLSID clsid) {
    registry().erase(clsid);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer) {
        return CLASS_E_NOAGGREGATION;
    }
    const ClassFactory factory = lookup(clsid);
    if (!factory) {
        return REGDB_E_CLASSNOTREG;
    }
    // No exception crosses the contract: a factory that throws has failed to make the object.
    HRESULT h = E_FAIL;
    try {
        h = factory(iid, object);
    } catch (const std::bad_alloc&) {
        h = E_OUTOFMEMORY;
    } catch (...) {
        h = E_FAIL;
    }
    if (FAILED(h)) {
        *object = nullptr;
    }
    return h;
}

ScopedClassRegistration::ScopedClassRegistration(REFCLSID clsid, ClassFactory factory)
    : clsid_(clsid), previous_(lookup(clsid)) {
    CoRegisterClass(clsid, std::move(factory));
}

ScopedClassRegistration::~ScopedClassRegistration() {
    CoRegisterClass(clsid_, previous_);
}

}  // namespace pencora::ole
