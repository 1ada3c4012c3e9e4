// The URL pull standing in for URLOpenPullStreamA: fetches an address and feeds it to a
// bind-status callback. Ours serves local files only ("file://" addresses and paths, '\' read
// as '/', percent escapes decoded); any other address fails with INET_E_INVALID_URL, so the
// program never goes online behind the user's back. A file that cannot be read fails with
// INET_E_RESOURCE_NOT_FOUND; then the callback hears nothing.
//
// The file arrives in one notification marked first and last: OnStartBinding(0, none),
// OnProgress(size, size, BINDSTATUS_ENDDOWNLOADDATA, ""), OnDataAvailable(first | last,
// size, none, a stream on the bytes at position 0), OnStopBinding(S_OK, ""), all before the
// call returns.
#pragma once

#include <filesystem>
#include <string>

#include "platform/ole/binding.h"

namespace pencora::ole {

// The existing file the pull reads for `address` ("movie.swf?x=1" names movie.swf when no file
// has the whole name), or an empty path when the address is not local or names no file.
std::filesystem::path pullFile(const std::string& address);

HRESULT URLOpenPullStream(IUnknown* caller, const std::string& address, DWORD reserved,
                          IBindStatusCallback* callback);

}  // namespace pencora::ole
