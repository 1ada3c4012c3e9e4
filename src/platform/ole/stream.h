// IStream and a stream on memory standing in for CreateStreamOnHGlobal.
//
// An HGLOBAL here is shared, growable memory: a stream made on it reads and writes those
// bytes, and the memory lives as long as anyone holds it (the caller, or any stream on it).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/ole/unknown.h"

namespace pencora::ole {

using HGLOBAL = std::shared_ptr<std::vector<std::uint8_t>>;

inline constexpr DWORD STREAM_SEEK_SET = 0;
inline constexpr DWORD STREAM_SEEK_CUR = 1;
inline constexpr DWORD STREAM_SEEK_END = 2;

inline constexpr DWORD STGTY_STREAM = 2;
inline constexpr DWORD STATFLAG_DEFAULT = 0;
inline constexpr DWORD STATFLAG_NONAME = 1;

struct STATSTG {
    BSTR pwcsName;
    DWORD type = 0;
    ULARGE_INTEGER cbSize = 0;
};

struct ISequentialStream : IUnknown {
    static constexpr IID kIid = guid("{0C733A30-2A1C-11CE-ADE5-00AA0044773D}");
    // Reads up to `count` bytes at the position and moves it; fewer at the end (S_OK still).
    virtual HRESULT Read(void* buffer, ULONG count, ULONG* read) = 0;
    // Writes at the position, growing the stream as needed (a gap after a seek past the end
    // reads as zeros).
    virtual HRESULT Write(const void* buffer, ULONG count, ULONG* written) = 0;
};

struct IStream : ISequentialStream {
    static constexpr IID kIid = guid("{0000000C-0000-0000-C000-000000000046}");
    // A resulting position before 0 fails with STG_E_INVALIDFUNCTION and leaves the position.
    virtual HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) = 0;
    virtual HRESULT SetSize(ULARGE_INTEGER size) = 0;
    virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
};
inline constexpr IID IID_IStream = IStream::kIid;
inline constexpr IID IID_ISequentialStream = ISequentialStream::kIid;

// A stream over `memory` (fresh empty memory when null), positioned at 0.
// `deleteOnRelease` is accepted for the familiar signature; shared memory frees itself.
HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, IStream** stream);
// The memory a stream of CreateStreamOnHGlobal works on; E_INVALIDARG for other streams.
HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* memory);

// Conveniences: a stream holding a copy of `bytes`, and the whole content of any stream
// (read from position 0, leaving the stream at its end). readAll gives up past `limit` bytes.
ComPtr<IStream> streamOnBytes(std::span<const std::uint8_t> bytes);
HRESULT readAll(IStream* stream, std::vector<std::uint8_t>* bytes,
                std::uint64_t limit = 512ull << 20);

}  // namespace pencora::ole
