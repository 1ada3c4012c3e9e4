#include <map>

#include "platform/ole/binding.h"

namespace pencora::ole {

namespace {

class BindContext final : public ComObject<IBindCtx> {
public:
    HRESULT RegisterObjectParam(const BSTR& key, IUnknown* object) override {
        if (!object) {
            return E_INVALIDARG;
        }
        params_[key] = ComPtr<IUnknown>(object);
        return S_OK;
    }
    HRESULT GetObjectParam(const BSTR& key, IUnknown** object) override {
        if (!object) {
            return E_POINTER;
        }
        *object = nullptr;
        const auto it = params_.find(key);
        if (it == params_.end()) {
            return E_FAIL;
        }
        return it->second.copyTo(object);
    }
    HRESULT RevokeObjectParam(const BSTR& key) override {
        return params_.erase(key) ? S_OK : S_FALSE;
    }

private:
    std::map<BSTR, ComPtr<IUnknown>> params_;
};

}  // namespace

HRESULT CreateBindCtx(DWORD, IBindCtx** context) {
    if (!context) {
        return E_INVALIDARG;
    }
    *context = makeCom<BindContext>().detach();
    return S_OK;
}

}  // namespace pencora::ole
