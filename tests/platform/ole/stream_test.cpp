// Memory streams: seek, read, write and size behave as the platform's stream on memory does,
// since the player rewinds, sniffs and copies movies through them.
#include <gtest/gtest.h>

#include "platform/ole/device_context.h"
#include "platform/ole/stream.h"

namespace pencora::ole {
namespace {

ULARGE_INTEGER position(IStream* s) {
    ULARGE_INTEGER p = 0;
    s->Seek(0, STREAM_SEEK_CUR, &p);
    return p;
}

TEST(MemoryStream, SeeksReadsAndWritesLikeAStreamOnMemory) {
    auto memory = std::make_shared<std::vector<std::uint8_t>>(std::vector<std::uint8_t>{1, 2, 3});
    ComPtr<IStream> s;
    ASSERT_EQ(CreateStreamOnHGlobal(memory, TRUE, s.put()), S_OK);
    EXPECT_EQ(position(s.get()), 0u);

    std::uint8_t buffer[8] = {};
    ULONG got = 99;
    EXPECT_EQ(s->Read(buffer, 8, &got), S_OK);  // short read at the end is still S_OK
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(s->Read(buffer, 8, &got), S_OK);
    EXPECT_EQ(got, 0u);

    // Writing after a seek past the end leaves a gap of zeros.
    ULARGE_INTEGER p = 0;
    EXPECT_EQ(s->Seek(2, STREAM_SEEK_END, &p), S_OK);
    EXPECT_EQ(p, 5u);
    const std::uint8_t nine = 9;
    ULONG written = 0;
    EXPECT_EQ(s->Write(&nine, 1, &written), S_OK);
    EXPECT_EQ(written, 1u);
    EXPECT_EQ(*memory, (std::vector<std::uint8_t>{1, 2, 3, 0, 0, 9}));  // shared memory

    // A seek before the start fails and keeps the position.
    EXPECT_EQ(s->Seek(-7, STREAM_SEEK_CUR, &p), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(position(s.get()), 6u);
    EXPECT_EQ(s->Seek(0, 7, nullptr), STG_E_INVALIDFUNCTION);

    STATSTG stat;
    EXPECT_EQ(s->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize, 6u);
    EXPECT_EQ(stat.type, STGTY_STREAM);
    EXPECT_EQ(s->Stat(nullptr, 0), STG_E_INVALIDPOINTER);

    EXPECT_EQ(s->SetSize(2), S_OK);
    EXPECT_EQ(s->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(s->Read(buffer, 8, &got), S_OK);
    EXPECT_EQ(got, 2u);

    HGLOBAL back;
    EXPECT_EQ(GetHGlobalFromStream(s.get(), &back), S_OK);
    EXPECT_EQ(back, memory);
}

TEST(MemoryStream, ReadAllRewindsAndLeavesTheStreamAtItsEnd) {
    const std::vector<std::uint8_t> bytes(200000, 7);
    ComPtr<IStream> s = streamOnBytes(bytes);
    s->Seek(10, STREAM_SEEK_SET, nullptr);
    std::vector<std::uint8_t> out;
    ASSERT_EQ(readAll(s.get(), &out), S_OK);
    EXPECT_EQ(out, bytes);
    EXPECT_EQ(position(s.get()), bytes.size());
    EXPECT_EQ(readAll(s.get(), &out, 1000), E_OUTOFMEMORY);  // past the limit
}

TEST(DeviceContext, WindowOriginShiftsWhereLogicalPointsLand) {
    DibSection dib(4, 3);
    EXPECT_EQ(dib.pixelAt(0, 0), 0u);
    dib.fill(0xFF102030);
    EXPECT_EQ(dib.pixelAt(3, 2), 0xFF102030u);
    EXPECT_EQ(dib.bits()[0], 0x30);  // blue first in memory
    EXPECT_EQ(dib.pixelAt(4, 0), 0u);
    POINT old;
    OffsetWindowOrgEx(dib.dc(), 5, 6, &old);
    OffsetWindowOrgEx(dib.dc(), 1, 1, &old);
    EXPECT_EQ(old, (POINT{5, 6}));
    EXPECT_EQ(dib.dc()->windowOrigin, (POINT{6, 7}));
}

}  // namespace
}  // namespace pencora::ole
