// Decoding a block where it lies in its file: branches that leave the block are followed into
// the file's other bytes; blocks that stay inside decode as they do on their own.
#include <gtest/gtest.h>

#include <vector>

#include "platform/flash/actions/action_decoder.h"

using namespace pencora::swf;

namespace {

// `before` bytes, then the block, then `after` bytes.
struct File {
    std::vector<uint8_t> bytes;
    size_t begin = 0;
    size_t size = 0;
    File(const std::vector<uint8_t>& before, const std::vector<uint8_t>& block,
         const std::vector<uint8_t>& after)
        : bytes(before), begin(before.size()), size(block.size()) {
        bytes.insert(bytes.end(), block.begin(), block.end());
        bytes.insert(bytes.end(), after.begin(), after.end());
    }
    ActionBlock decode() const { return decodeActionsInFile(bytes, begin, size); }
};

std::vector<uint32_t> offsets(const ActionBlock& block) {
    std::vector<uint32_t> out;
    for (const auto& a : block.actions) {
        out.push_back(a.offset);
    }
    return out;
}

}  // namespace

TEST(ActionDecoderInFile, BlocksThatStayInsideDecodeAsOnTheirOwn) {
    // Jump into the middle of a record, a function whose body claims more than the block holds,
    // a branch past the end: all inside, among bytes that would read as records.
    const std::vector<uint8_t> block = {0x99, 2,    0,    3,    0, 0xF0, 4,    0, 0x06,
                                        0x07, 0x06, 0x06, 0x9B, 5, 0,    0,    0, 0,
                                        0xFF, 0xFF, 0x07, 0x9D, 2, 0,    0x40, 0, 0x00};
    const File file({0x06, 0x06, 0x07}, block, {0x06, 0x07, 0x00});
    const ActionBlock alone = decodeActions(block);
    const ActionBlock inFile = file.decode();
    ASSERT_EQ(offsets(inFile), offsets(alone));
    for (size_t i = 0; i < alone.actions.size(); ++i) {
        EXPECT_EQ(inFile.actions[i].next, alone.actions[i].next) << i;
        EXPECT_EQ(inFile.actions[i].target, alone.actions[i].target) << i;
    }
    EXPECT_EQ(inFile.actions[6].function->bodyEnd, alone.actions[6].function->bodyEnd);
    EXPECT_EQ(inFile.outsideBegin, UINT32_MAX);
    EXPECT_EQ(inFile.notes, alone.notes);
}

TEST(ActionDecoderInFile, BranchOutReadsTheRecordsThereUpToTheirEnd) {
    // Before the block: Play, Stop, End, Play (the last is never reached). The block jumps
    // back to the Play at file offset 0, and that code runs up to its End.
    const File file({0x06, 0x07, 0x00, 0x06}, {0x99, 2, 0, 0xF7, 0xFF, 0x07, 0x00}, {});
    const ActionBlock block = file.decode();
    EXPECT_TRUE(block.notes.empty());
    ASSERT_EQ(block.actions.size(), 6u);
    EXPECT_EQ(block.outsideBegin, 3u);
    EXPECT_EQ(block.actions[0].target, 3u);
    EXPECT_EQ(block.actions[3].code, ActionCode::Play);
    EXPECT_EQ(block.actions[3].offset, uint32_t(-4));
    EXPECT_EQ(block.actions[3].next, 4u);
    EXPECT_EQ(block.actions[5].code, ActionCode::End);
    EXPECT_EQ(block.actions[5].next, 6u);
    EXPECT_EQ(block.actions[1].next, 2u) << "the block's own records keep their order";
}

TEST(ActionDecoderInFile, LoopsOutsideTheBlockAreReadOnce) {
    // Block: 0 If +6 (to 11), 5 Jump +6 (to 16), 10 End. After it: 11 a Jump to itself,
    // 16 Play, 17 a Jump back to 11.
    const File file({}, {0x9D, 2, 0, 6, 0, 0x99, 2, 0, 6, 0, 0x00},
                    {0x99, 2, 0, 0xFB, 0xFF, 0x06, 0x99, 2, 0, 0xF5, 0xFF});
    const ActionBlock block = file.decode();
    EXPECT_TRUE(block.notes.empty());
    ASSERT_EQ(offsets(block), (std::vector<uint32_t>{0, 5, 10, 11, 16, 17}));
    EXPECT_EQ(block.outsideBegin, 3u);
    EXPECT_EQ(block.actions[0].target, 3u);
    EXPECT_EQ(block.actions[1].target, 4u);
    EXPECT_EQ(block.actions[3].target, 3u) << "a jump to itself";
    EXPECT_EQ(block.actions[4].next, 5u);
    EXPECT_EQ(block.actions[5].target, 3u);
    EXPECT_EQ(block.actions[5].next, 6u) << "the file ends after it";
}

TEST(ActionDecoderInFile, BranchesOutOfTheFileOrOntoNoRecordEndTheBlock) {
    struct Row {
        const char* name;
        std::vector<uint8_t> before;
        int16_t jump;
        bool noted;
    };
    const Row rows[] = {
        {"before the file", {0x06}, -0x100, false},
        {"past the file", {0x06}, 0x100, false},
        {"onto a record cut off by the file's end", {0x96, 9, 0, 0}, -9, true},
    };
    for (const auto& row : rows) {
        const File file(
            row.before,
            {0x99, 2, 0, uint8_t(row.jump & 0xFF), uint8_t(uint16_t(row.jump) >> 8), 0x00}, {});
        const ActionBlock block = file.decode();
        ASSERT_EQ(block.actions.size(), 2u) << row.name;
        EXPECT_EQ(block.actions[0].target, 2u) << row.name;
        EXPECT_EQ(!block.notes.empty(), row.noted) << row.name;
    }
}

TEST(ActionDecoderInFile, RecordsReadOutsideAreBounded) {
    // A long stretch of Play records with no End after the block.
    const File file({}, {0x99, 2, 0, 1, 0, 0x00}, std::vector<uint8_t>(1 << 17, 0x06));
    const ActionBlock block = file.decode();
    EXPECT_FALSE(block.notes.empty());
    EXPECT_LT(block.actions.size(), size_t(1 << 17));
    EXPECT_EQ(block.actions[0].target, 2u);
}
