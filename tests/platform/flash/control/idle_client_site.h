// A client site with no container behind it: each call succeeds or says there is nothing,
// for test sites whose interest lies in the other interfaces they offer.
#pragma once

#include "platform/ole/site.h"

namespace pencora::flash::testing {

template <class... Others>
class IdleClientSite : public ole::ComObject<ole::IOleClientSite, Others...> {
  public:
    ole::HRESULT SaveObject() override { return ole::S_OK; }
    ole::HRESULT GetMoniker(ole::DWORD, ole::DWORD, ole::IMoniker** m) override {
        *m = nullptr;
        return ole::E_NOTIMPL;
    }
    ole::HRESULT GetContainer(ole::IOleContainer** c) override {
        *c = nullptr;
        return ole::E_NOINTERFACE;
    }
    ole::HRESULT ShowObject() override { return ole::S_OK; }
    ole::HRESULT OnShowWindow(ole::BOOL) override { return ole::S_OK; }
    ole::HRESULT RequestNewObjectLayout() override { return ole::S_OK; }
};

}  // namespace pencora::flash::testing
