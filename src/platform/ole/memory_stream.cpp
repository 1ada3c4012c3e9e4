#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/ole/stream.h"

namespace pencora::ole {

namespace {

// Streams never grow beyond this; a write or SetSize past it fails with STG_E_MEDIUMFULL.
constexpr std::uint64_t kMaxStreamSize = std::uint64_t{1} << 31;

class MemoryStream final : public ComObject<IStream> {
public:
    explicit MemoryStream(HGLOBAL memory) : memory_(std::move(memory)) {}

    const HGLOBAL& memory() const { return memory_; }

    HRESULT Read(void* buffer, ULONG count, ULONG* read) override {
        if (!buffer && count > 0) {
            return STG_E_INVALIDPOINTER;
        }
        const std::uint64_t size = memory_->size();
        const std::uint64_t available = position_ < size ? size - position_ : 0;
        const auto n = static_cast<ULONG>(std::min<std::uint64_t>(count, available));
        if (n > 0) {
            std::memcpy(buffer, memory_->data() + position_, n);
        }
        position_ += n;
        if (read) {
            *read = n;
        }
        return S_OK;
    }

    HRESULT Write(const void* buffer, ULONG count, ULONG* written) override {
        if (written) {
            *written = 0;
        }
        if (!buffer && count > 0) {
            return STG_E_INVALIDPOINTER;
        }
        const std::uint64_t end = position_ + count;
        if (end > kMaxStreamSize) {
            return STG_E_MEDIUMFULL;
        }
        if (end > memory_->size()) {
            memory_->resize(static_cast<std::size_t>(end));
        }
        if (count > 0) {
            std::memcpy(memory_->data() + position_, buffer, count);
        }
        position_ = end;
        if (written) {
            *written = count;
        }
        return S_OK;
    }

    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
        std::int64_t base = 0;
        switch (origin) {
            case STREAM_SEEK_SET:
                base = 0;
                break;
            case STREAM_SEEK_CUR:
                base = static_cast<std::int64_t>(position_);
                break;
            case STREAM_SEEK_END:
                base = static_cast<std::int64_t>(memory_->size());
                break;
            default:
                return STG_E_INVALIDFUNCTION;
        }
        if ((move < 0 && base + move < 0) ||
            (move > 0 && base > std::numeric_limits<std::int64_t>::max() - move)) {
            return STG_E_INVALIDFUNCTION;
        }
        position_ = static_cast<std::uint64_t>(base + move);
        if (newPosition) {
            *newPosition = position_;
        }
        return S_OK;
    }

    HRESULT SetSize(ULARGE_INTEGER size) override {
        if (size > kMaxStreamSize) {
            return STG_E_MEDIUMFULL;
        }
        memory_->resize(static_cast<std::size_t>(size));
        return S_OK;
    }

    HRESULT Stat(STATSTG* stat, DWORD) override {
        if (!stat) {
            return STG_E_INVALIDPOINTER;
        }
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->cbSize = memory_->size();
        return S_OK;
    }

protected:
    void* queryExtra(REFIID iid) override {
        return iid == IID_ISequentialStream ? static_cast<ISequentialStream*>(this) : nullptr;
    }

private:
    HGLOBAL memory_;
    std::uint64_t position_ = 0;
};

}  // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL, IStream** stream) {
    if (!stream) {
        return E_INVALIDARG;
    }
    if (!memory) {
        memory = std::make_shared<std::vector<std::uint8_t>>();
    }
    *stream = makeCom<MemoryStream>(std::move(memory)).detach();
    return S_OK;
}

HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* memory) {
    auto* mine = dynamic_cast<MemoryStream*>(stream);
    if (!mine || !memory) {
        return E_INVALIDARG;
    }
    *memory = mine->memory();
    return S_OK;
}

ComPtr<IStream> streamOnBytes(std::span<const std::uint8_t> bytes) {
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(std::make_shared<std::vector<std::uint8_t>>(bytes.begin(), bytes.end()),
                          TRUE, stream.put());
    return stream;
}

HRESULT readAll(IStream* stream, std::vector<std::uint8_t>* bytes, std::uint64_t limit) {
    if (!stream || !bytes) {
        return E_POINTER;
    }
    bytes->clear();
    HRESULT h = stream->Seek(0, STREAM_SEEK_SET, nullptr);
    if (FAILED(h)) {
        return h;
    }
    std::uint8_t chunk[64 * 1024];
    for (;;) {
        ULONG got = 0;
        h = stream->Read(chunk, sizeof chunk, &got);
        if (FAILED(h)) {
            return h;
        }
        if (got == 0) {
            return S_OK;
        }
        if (bytes->size() + got > limit) {
            return E_OUTOFMEMORY;
        }
        bytes->insert(bytes->end(), chunk, chunk + got);
    }
}

}  // namespace pencora::ole
