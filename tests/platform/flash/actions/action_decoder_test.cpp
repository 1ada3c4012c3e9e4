// Decoder tests on hand-built action bytes.
#include "platform/flash/actions/action_decoder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pencora::swf;

namespace {

ActionBlock decode(const std::vector<uint8_t>& bytes) {
    return decodeActions(std::span<const uint8_t>(bytes.data(), bytes.size()));
}

}  // namespace

TEST(ActionDecoder, PushReadsEveryValueType) {
    // Push "ab", float 1.5, null, undefined, r3, true, double 2.25, int -2, c8 #1, c16 #258
    std::vector<uint8_t> b = {0x96, 0,    0,    0, 'a', 'b',  0,    1,   0x00, 0x00,
                              0xC0, 0x3F, 2,    3, 4,   3,    5,    1,   6,    0x00,
                              0x00, 0x02, 0x40, 0, 0,   0,    0,    7,   0xFE, 0xFF,
                              0xFF, 0xFF, 8,    1, 9,   0x02, 0x01, 0x00};
    b[1] = uint8_t(b.size() - 4);  // payload length, without the header and the End
    auto block = decode(b);
    ASSERT_TRUE(block.notes.empty());
    ASSERT_EQ(block.actions.size(), 2u);
    const auto& v = block.actions[0].values;
    ASSERT_EQ(v.size(), 10u);
    EXPECT_EQ(v[0].text, "ab");
    EXPECT_EQ(v[1].number, 1.5);
    EXPECT_EQ(v[2].type, PushValue::Type::Null);
    EXPECT_EQ(v[3].type, PushValue::Type::Undefined);
    EXPECT_EQ(v[4].index, 3u);
    EXPECT_EQ(v[5].number, 1);
    EXPECT_EQ(v[6].number, 2.25);  // high word first
    EXPECT_EQ(v[7].number, -2);
    EXPECT_EQ(v[8].index, 1u);
    EXPECT_EQ(v[9].index, 258u);
    EXPECT_EQ(block.actions[1].code, ActionCode::End);
}

TEST(ActionDecoder, BranchesResolveToActionIndices) {
    // 0: Jump +1 (over the Play) ; 1: Play ; 2: If -9 (back to 0) ; 3: Stop
    std::vector<uint8_t> b = {0x99, 2, 0, 1, 0, 0x06, 0x9D, 2, 0, 0xF5, 0xFF, 0x07};
    auto block = decode(b);
    ASSERT_EQ(block.actions.size(), 4u);
    EXPECT_EQ(block.actions[0].target, 2u);
    EXPECT_EQ(block.actions[2].target, 0u);
    EXPECT_TRUE(block.notes.empty());
}

TEST(ActionDecoder, BadBranchesEndTheBlock) {
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
        bool noted;
    };
    const Row rows[] = {
        {"past the end", {0x99, 2, 0, 0x10, 0, 0x06}, false},
        {"before the start", {0x99, 2, 0, 0x00, 0x80, 0x06}, false},
        {"into bytes that read as no action", {0x99, 2, 0, 0xFE, 0xFF, 0x06}, true},
    };
    for (const auto& row : rows) {
        auto block = decode(row.bytes);
        ASSERT_EQ(block.actions.size(), 2u) << row.name;
        EXPECT_EQ(block.actions[0].target, 2u) << row.name;
        EXPECT_EQ(!block.notes.empty(), row.noted) << row.name;
    }
}

// A branch into the middle of a record reads the bytes from there as a second run of records,
// put in byte order among the others; each record's next is the one after it in its own run.
TEST(ActionDecoder, BranchIntoARecordReadsItsBytesAsAnotherRun) {
    // 0: Jump +4 -> offset 9 ; 5: unknown 0xF0 with payload [Play, Push 1 byte: ...] ; ...
    // Offsets: 0 Jump, 5 record 0xF0 (4 bytes payload: 0x06 0x07 0x06 0x06), 12 Stop.
    // Jump +3 lands at 8, inside the payload: Play(8) Stop(9) Play(10) Play(11) meet Stop(12).
    std::vector<uint8_t> b = {0x99, 2, 0, 3, 0, 0xF0, 4, 0, 0x06, 0x07, 0x06, 0x06, 0x07};
    auto block = decode(b);
    EXPECT_TRUE(block.notes.empty());
    std::vector<uint32_t> offsets;
    for (const auto& a : block.actions) {
        offsets.push_back(a.offset);
    }
    ASSERT_EQ(offsets, (std::vector<uint32_t>{0, 5, 8, 9, 10, 11, 12}));
    EXPECT_EQ(block.actions[0].target, 2u);
    EXPECT_EQ(block.actions[0].next, 1u);
    EXPECT_EQ(block.actions[1].next, 6u) << "the unknown record goes on to the Stop";
    EXPECT_EQ(block.actions[2].next, 3u);
    EXPECT_EQ(block.actions[5].next, 6u) << "the hidden run rejoins the first one";
    EXPECT_EQ(block.actions[6].next, 7u);
}

TEST(ActionDecoder, FunctionBodiesAndTryRegions) {
    // DefineFunction2 "f"(r1:"a") regs 3 flags PreloadThis|PreloadGlobal, body = Play Stop
    std::vector<uint8_t> b = {0x8E, 0, 0, 'f', 0, 1, 0, 3, 0x01, 0x01, 1, 'a', 0, 2, 0, 0x06, 0x07,
                              // Try catch+finally, try 1 byte, catch 1 byte, finally 1, name "e"
                              0x8F, 9, 0, 0x03, 1, 0, 1, 0, 1, 0, 'e', 0, 0x06, 0x07, 0x09, 0x00};
    b[1] = 12;
    auto block = decode(b);
    ASSERT_TRUE(block.notes.empty());
    ASSERT_EQ(block.actions.size(), 8u);
    auto f = block.actions[0].function;
    ASSERT_TRUE(f);
    EXPECT_EQ(f->name, "f");
    EXPECT_EQ(f->registerCount, 3);
    EXPECT_EQ(f->flags, kPreloadThis | kPreloadGlobal);
    ASSERT_EQ(f->params.size(), 1u);
    EXPECT_EQ(f->params[0].reg, 1);
    EXPECT_EQ(f->params[0].name, "a");
    EXPECT_EQ(f->bodyBegin, 1u);
    EXPECT_EQ(f->bodyEnd, 3u);
    auto t = block.actions[3].tryDef;
    ASSERT_TRUE(t);
    EXPECT_EQ(t->catchName, "e");
    EXPECT_EQ(t->tryBegin, 4u);
    EXPECT_EQ(t->catchBegin, 5u);
    EXPECT_EQ(t->finallyBegin, 6u);
    EXPECT_EQ(t->end, 7u);
}

TEST(ActionDecoder, OversizedRegionsAreClampedToTheBlock) {
    // With whose body claims 0x1000 bytes; function whose body claims 0xFFFF bytes.
    std::vector<uint8_t> b = {0x94, 2, 0, 0x00, 0x10, 0x06, 0x9B, 5, 0, 0, 0, 0, 0xFF, 0xFF, 0x07};
    auto block = decode(b);
    ASSERT_EQ(block.actions.size(), 4u);
    EXPECT_EQ(block.actions[0].target, 4u);
    EXPECT_EQ(block.actions[2].function->bodyEnd, 4u);
}

// A record whose header or length runs past the block ends it; one whose operands run past
// its length is kept, and the block goes on after it.
TEST(ActionDecoder, TruncatedRecordsStopWithANoteAndKeepWhatCameBefore) {
    const std::vector<std::vector<uint8_t>> inputs = {
        {0x06, 0x96, 10, 0, 0},  // length past the end
        {0x06, 0x96},            // header cut short
    };
    for (const auto& in : inputs) {
        auto block = decode(in);
        ASSERT_EQ(block.actions.size(), 1u);
        EXPECT_EQ(block.actions[0].code, ActionCode::Play);
        EXPECT_FALSE(block.notes.empty());
    }
    const std::vector<std::vector<uint8_t>> shortOperands = {
        {0x06, 0x96, 3, 0, 0, 'a', 'b', 0x07},  // string without terminator
        {0x06, 0x81, 1, 0, 0, 0x07},            // GotoFrame with one byte of two
    };
    for (const auto& in : shortOperands) {
        auto block = decode(in);
        ASSERT_EQ(block.actions.size(), 3u);
        EXPECT_EQ(block.actions[2].code, ActionCode::Stop);
        EXPECT_FALSE(block.notes.empty());
    }
}

TEST(ActionDecoder, ConstantPoolAndUrlsAndGotos) {
    std::vector<uint8_t> b = {0x88, 6,   0, 2,   0, 'x',  0,    'y',  0,    0x83, 4,
                              0,    'u', 0, 'w', 0, 0x9F, 3,    0,    0x03, 0x05, 0x00,
                              0x8A, 3,   0, 9,   0, 2,    0x06, 0x06, 0x06};
    auto block = decode(b);
    ASSERT_TRUE(block.notes.empty());
    ASSERT_EQ(block.actions.size(), 7u);
    EXPECT_EQ(block.actions[0].strings, (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(block.actions[1].text, "u");
    EXPECT_EQ(block.actions[1].text2, "w");
    EXPECT_EQ(block.actions[2].byteArg, 3);
    EXPECT_EQ(block.actions[2].frame, 5);
    EXPECT_EQ(block.actions[3].frame, 9);
    EXPECT_EQ(block.actions[3].target, 6u);  // skips two actions
}
