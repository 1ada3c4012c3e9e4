// Creating objects by class identifier, standing in for the system's class registration and
// CoCreateInstance. The registry is process-wide, as the system's is: a library registers the
// classes it implements at start-up (the Flash control: flash/control/flash_control.h), tests
// register scripted stand-ins or leave a class out to see how callers cope without it.
#pragma once

#include <functional>

#include "platform/ole/unknown.h"

namespace pencora::ole {

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;

// Makes a new object and answers it as interface `iid`.
using ClassFactory = std::function<HRESULT(REFIID iid, void** object)>;

// Registers (or replaces) the factory of `clsid`.
void CoRegisterClass(REFCLSID clsid, ClassFactory factory);
// Forgets `clsid`; creating it then fails with REGDB_E_CLASSNOTREG.
void CoUnregisterClass(REFCLSID clsid);

// REGDB_E_CLASSNOTREG for an unregistered class, CLASS_E_NOAGGREGATION when `outer` is given,
// E_POINTER without `object`; otherwise the factory's answer (E_OUTOFMEMORY or E_FAIL when it
// throws). *object is cleared on failure.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

// Registers a factory for the scope of the object and restores what was registered before.
class ScopedClassRegistration {
  public:
    ScopedClassRegistration(REFCLSID clsid, ClassFactory factory);
    ~ScopedClassRegistration();
    ScopedClassRegistration(const ScopedClassRegistration&) = delete;
    ScopedClassRegistration& operator=(const ScopedClassRegistration&) = delete;

  private:
    CLSID clsid_;
    ClassFactory previous_;
};

}  // namespace pencora::ole
