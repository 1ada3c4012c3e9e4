// Fetching by address: the site's service provider, the bind host that turns an address into
// a moniker, the moniker bound to storage, the bind context carrying the fetcher's callback
// under "_BSCB_Holder_", and the callback the data arrives through.
#pragma once

#include <string>

#include "platform/ole/stream.h"
#include "platform/ole/unknown.h"

namespace pencora::ole {

struct IMoniker;
struct IBindStatusCallback;

inline constexpr DWORD TYMED_ISTREAM = 4;

struct FORMATETC {
    WORD cfFormat = 0;
    DWORD dwAspect = 1;
    LONG lindex = -1;
    DWORD tymed = TYMED_ISTREAM;
};

// The storage medium of OnDataAvailable: only streams travel here.
struct STGMEDIUM {
    DWORD tymed = TYMED_ISTREAM;
    IStream* pstm = nullptr;
    IUnknown* pUnkForRelease = nullptr;
};

inline constexpr DWORD BSCF_FIRSTDATANOTIFICATION = 0x01;
inline constexpr DWORD BSCF_INTERMEDIATEDATANOTIFICATION = 0x02;
inline constexpr DWORD BSCF_LASTDATANOTIFICATION = 0x04;
inline constexpr DWORD BSCF_DATAFULLYAVAILABLE = 0x08;

inline constexpr ULONG BINDSTATUS_BEGINDOWNLOADDATA = 4;
inline constexpr ULONG BINDSTATUS_DOWNLOADINGDATA = 5;
inline constexpr ULONG BINDSTATUS_ENDDOWNLOADDATA = 6;

// The name under which a fetcher registers its bind-status callback in the bind context.
inline constexpr char16_t kBindStatusCallbackHolder[] = u"_BSCB_Holder_";

struct IBinding : IUnknown {
    static constexpr IID kIid = guid("{79EAC9C0-BAF9-11CE-8C82-00AA004BA90B}");
};

struct IBindCtx : IUnknown {
    static constexpr IID kIid = guid("{0000000E-0000-0000-C000-000000000046}");
    // Keeps a reference to `object` under `key`, replacing any object of that key.
    virtual HRESULT RegisterObjectParam(const BSTR& key, IUnknown* object) = 0;
    // E_FAIL when nothing is registered under `key` (*object cleared).
    virtual HRESULT GetObjectParam(const BSTR& key, IUnknown** object) = 0;
    virtual HRESULT RevokeObjectParam(const BSTR& key) = 0;
};
inline constexpr IID IID_IBindCtx = IBindCtx::kIid;

// A fresh, empty bind context.
HRESULT CreateBindCtx(DWORD reserved, IBindCtx** context);

struct IBindStatusCallback : IUnknown {
    static constexpr IID kIid = guid("{79EAC9C1-BAF9-11CE-8C82-00AA004BA90B}");
    virtual HRESULT OnStartBinding(DWORD reserved, IBinding* binding) = 0;
    virtual HRESULT OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                               const BSTR& statusText) = 0;
    virtual HRESULT OnStopBinding(HRESULT result, const BSTR& error) = 0;
    // `size` is the number of bytes available so far; the stream in `medium` is readable
    // during the call only, unless the callee adds a reference.
    virtual HRESULT OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format,
                                    STGMEDIUM* medium) = 0;
};
inline constexpr IID IID_IBindStatusCallback = IBindStatusCallback::kIid;

struct IMoniker : IUnknown {
    static constexpr IID kIid = guid("{0000000F-0000-0000-C000-000000000046}");
    virtual HRESULT BindToObject(IBindCtx* context, IMoniker* left, REFIID iid,
                                 void** object) = 0;
    // Delivers the named data, through the callback registered in `context` and/or as the
    // object of interface `iid` in `*object`.
    virtual HRESULT BindToStorage(IBindCtx* context, IMoniker* left, REFIID iid,
                                  void** object) = 0;
    virtual HRESULT GetDisplayName(IBindCtx* context, IMoniker* left, BSTR* name) = 0;
};
inline constexpr IID IID_IMoniker = IMoniker::kIid;

struct IBindHost : IUnknown {
    static constexpr IID kIid = guid("{FC4801A1-2BA9-11CF-A229-00AA003D7352}");
    // A moniker for `name`, or a failure when the host leaves the address to the caller.
    virtual HRESULT CreateMoniker(const BSTR& name, IBindCtx* context, IMoniker** moniker,
                                  DWORD reserved) = 0;
    virtual HRESULT MonikerBindToStorage(IMoniker* moniker, IBindCtx* context,
                                         IBindStatusCallback* callback, REFIID iid,
                                         void** object) = 0;
    virtual HRESULT MonikerBindToObject(IMoniker* moniker, IBindCtx* context,
                                        IBindStatusCallback* callback, REFIID iid,
                                        void** object) = 0;
};
inline constexpr IID IID_IBindHost = IBindHost::kIid;
inline constexpr GUID SID_IBindHost = IBindHost::kIid;
inline constexpr GUID SID_SBindHost = guid("{FCB68A22-E3B1-11D0-A0B1-00AA00BDCB6E}");

struct IServiceProvider : IUnknown {
    static constexpr IID kIid = guid("{6D5140C1-7436-11CE-8034-00AA006009FA}");
    virtual HRESULT QueryService(REFGUID service, REFIID iid, void** object) = 0;
};
inline constexpr IID IID_IServiceProvider = IServiceProvider::kIid;

struct IParseDisplayName : IUnknown {
    static constexpr IID kIid = guid("{0000011A-0000-0000-C000-000000000046}");
    virtual HRESULT ParseDisplayName(IBindCtx* context, const BSTR& name, ULONG* eaten,
                                     IMoniker** moniker) = 0;
};
inline constexpr IID IID_IParseDisplayName = IParseDisplayName::kIid;

}  // namespace pencora::ole
