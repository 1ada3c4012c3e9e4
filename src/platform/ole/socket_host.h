// Socket connections a control asks its container for (a movie's XMLSocket). The container's
// bind host offers ISocketHost through QueryInterface; a bind host without it refuses every
// connection, and the control then opens none of its own. Only bytes cross here: what they
// mean (text, messages) is the control's business.
#pragma once

#include "platform/ole/types.h"
#include "platform/ole/unknown.h"

namespace pencora::ole {

// The control's side of one connection. The container may call it at any time on the
// control's thread, from inside the calls below too; the control holds the reports for later.
struct ISocketSink : IUnknown {
    static constexpr IID kIid = guid("{09DFF4C3-B4BE-413F-9E61-2CE72F81FD64}");
    // The connection opened (TRUE) or could not be made (FALSE, the last report).
    virtual HRESULT OnConnect(BOOL connected) = 0;
    // Bytes from the peer, as they came.
    virtual HRESULT OnData(const BYTE* bytes, ULONG size) = 0;
    // The peer closed the connection (the last report).
    virtual HRESULT OnClose() = 0;
};
inline constexpr IID IID_ISocketSink = ISocketSink::kIid;

// The container's side of one connection.
struct ISocketConnection : IUnknown {
    static constexpr IID kIid = guid("{F4773303-ED0A-4C70-A207-DBD8D19631D7}");
    virtual HRESULT Send(const BYTE* bytes, ULONG size) = 0;
    // The control is done with it: no report follows.
    virtual HRESULT Close() = 0;
};
inline constexpr IID IID_ISocketConnection = ISocketConnection::kIid;

struct ISocketHost : IUnknown {
    static constexpr IID kIid = guid("{FB2F1795-E3A0-451F-81C2-A1DE0E01FE0E}");
    // Starts a connection to host:port reporting to `sink`. A failure (nothing in
    // *connection) refuses it at once; otherwise OnConnect tells how it went.
    virtual HRESULT OpenSocket(const BSTR& host, ULONG port, ISocketSink* sink,
                               ISocketConnection** connection) = 0;
};
inline constexpr IID IID_ISocketHost = ISocketHost::kIid;

}  // namespace pencora::ole
