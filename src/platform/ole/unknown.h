// Reference-counted interfaces: IUnknown, a smart pointer for holding them, and a base that
// implements IUnknown for a class that offers several interfaces.
//
// As on the platform, every interface derives from IUnknown on its own (no virtual base), so a
// class implementing several interfaces has several IUnknown sub-objects; QueryInterface hands
// out the pointer of the requested one, and the IUnknown identity is that of the first.
#pragma once

#include <atomic>
#include <utility>

#include "platform/ole/guid.h"
#include "platform/ole/hresult.h"
#include "platform/ole/types.h"

namespace pencora::ole {

struct IUnknown {
    static constexpr IID kIid = guid("{00000000-0000-0000-C000-000000000046}");
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};
inline constexpr IID IID_IUnknown = IUnknown::kIid;

// Holds one reference.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Adds a reference to `p`.
    explicit ComPtr(T* p) : p_(p) {
        if (p_) {
            p_->AddRef();
        }
    }
    ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U>
    ComPtr(const ComPtr<U>& o) : ComPtr(static_cast<T*>(o.get())) {}
    ~ComPtr() { reset(); }
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }

    // Takes over a reference the caller already owns.
    static ComPtr attach(T* p) {
        ComPtr r;
        r.p_ = p;
        return r;
    }
    T* detach() { return std::exchange(p_, nullptr); }
    void reset() {
        if (T* p = std::exchange(p_, nullptr)) {
            p->Release();
        }
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out parameters: drops the held reference and gives the slot to fill.
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    // QueryInterface for U; empty when the object does not offer it.
    template <class U>
    ComPtr<U> as() const {
        ComPtr<U> r;
        if (p_) {
            p_->QueryInterface(U::kIid, r.putVoid());
        }
        return r;
    }

    // Hands a new reference to an out parameter.
    HRESULT copyTo(T** out) const {
        if (!out) {
            return E_POINTER;
        }
        *out = p_;
        if (p_) {
            p_->AddRef();
        }
        return S_OK;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.p_ == b.p_; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.p_ == nullptr; }

private:
    T* p_ = nullptr;
};

// Sets *out to `p` with a reference added, or E_NOINTERFACE when p is null.
template <class T>
HRESULT hand(T* p, void** out) {
    if (!out) {
        return E_POINTER;
    }
    *out = p;
    if (!p) {
        return E_NOINTERFACE;
    }
    p->AddRef();
    return S_OK;
}

// Implements IUnknown for a heap object offering `Interfaces...`: a reference count that
// deletes the object at zero, and QueryInterface for IUnknown and each listed interface
// (interfaces a listed one derives from are answered by overriding queryExtra).
template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() = default;

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) {
            return E_POINTER;
        }
        *object = nullptr;
        if (iid == IID_IUnknown) {
            return hand(identity(), object);
        }
        void* found = nullptr;
        ((found == nullptr && iid == Interfaces::kIid
              ? (found = static_cast<Interfaces*>(this), 0)
              : 0),
         ...);
        if (!found) {
            found = queryExtra(iid);
        }
        if (!found) {
            return E_NOINTERFACE;
        }
        *object = found;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        const ULONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    IUnknown* identity() { return static_cast<IUnknown*>(static_cast<First*>(this)); }

protected:
    // Further interfaces (base interfaces of the listed ones, tear-offs); no reference added.
    virtual void* queryExtra(REFIID) { return nullptr; }

private:
    template <class F, class...>
    struct FirstOf {
        using type = F;
    };
    using First = typename FirstOf<Interfaces...>::type;
    std::atomic<ULONG> refs_{0};
};

// Creates a ComObject-derived T and returns it holding the first reference.
template <class T, class... Args>
ComPtr<T> makeCom(Args&&... args) {
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace pencora::ole
