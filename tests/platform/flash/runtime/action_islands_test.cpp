// Branches that leave their action block: the player runs the action records it finds where
// the branch lands in the file (another tag's bytes, the middle of another block), follows them
// and their own branches, and ends the block where a branch leaves the file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "../avm1/assembler.h"
#include "scripted_player.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;
using test::done;
using testing::ElementsAre;

// A tag code no player knows, to carry records no block names as its own.
constexpr uint16_t kHiddenTag = 1000;

size_t findIn(const swf::Bytes& file, const swf::Bytes& part) {
    auto it = std::search(file.begin(), file.end(), part.begin(), part.end());
    EXPECT_NE(it, file.end());
    return size_t(it - file.begin());
}

// A written movie: `hidden` records in an unknown tag, then one DoAction per frame.
struct IslandMovie {
    swf::Bytes file;
    size_t hidden = 0;  // file offset of the hidden records

    IslandMovie(uint8_t version, const swf::Bytes& hiddenRecords,
                const std::vector<swf::Bytes>& scripts) {
        swfwrite::MovieBuilder b(version);
        if (!hiddenRecords.empty()) {
            b.tag(swf::UnknownTag{kHiddenTag, hiddenRecords});
        }
        for (const auto& s : scripts) {
            b.doAction(s).showFrame();
        }
        file = b.write();
        hidden = hiddenRecords.empty() ? 0 : findIn(file, hiddenRecords);
    }
    size_t at(const swf::Bytes& part) const { return findIn(file, part); }
    // Points the branch record at file offset `from` at file offset `to`.
    void aim(size_t from, int64_t to) {
        const int64_t offset = to - int64_t(from + 5);
        file[from + 3] = uint8_t(offset & 0xFF);
        file[from + 4] = uint8_t((offset >> 8) & 0xFF);
    }
};

struct ActionIslands : test::ScriptedPlayerTest, testing::WithParamInterface<int> {
    uint8_t version() const { return uint8_t(GetParam()); }
    void run(const IslandMovie& m, int frames) {
        auto read = swf::readMovie(m.file);
        ASSERT_TRUE(read);
        player.load(0, read.movie);
        for (int i = 0; i < frames; ++i) {
            player.runFrame();
        }
    }
};

TEST_P(ActionIslands, BranchIntoAnEarlierTagRunsTheRecordsThereAndComesBack) {
    Assembler hidden;
    hidden.push({str("island")}).trace();
    const size_t back = hidden.bytes.size();
    hidden.branch(Code::Jump, 0).op(Code::End);
    Assembler script;
    script.push({str("before")}).trace();
    const size_t out = script.bytes.size();
    script.branch(Code::Jump, 0).push({str("skipped")}).trace();
    const size_t after = script.bytes.size();
    script.push({str("back")}).trace().op(Code::End);

    IslandMovie m(version(), hidden.bytes, {script.bytes});
    const size_t block = m.at(script.bytes);
    m.aim(block + out, int64_t(m.hidden));
    m.aim(m.hidden + back, int64_t(block + after));
    run(m, 1);
    EXPECT_THAT(traces.lines, ElementsAre("before", "island", "back"));
}

TEST_P(ActionIslands, BranchIntoAnotherBlockRunsFromThereAndLeavesThatBlockWhole) {
    Assembler second;
    second.push({str("b1")}).trace();
    const size_t middle = second.bytes.size();
    second.push({str("b2")}).trace().op(Code::End);
    Assembler first;
    first.push({str("a")}).trace();
    const size_t out = first.bytes.size();
    first.branch(Code::Jump, 0).push({str("not run")}).trace().op(Code::End);

    IslandMovie m(version(), {}, {first.bytes, second.bytes});
    m.aim(m.at(first.bytes) + out, int64_t(m.at(second.bytes) + middle));
    run(m, 2);
    EXPECT_THAT(traces.lines, ElementsAre("a", "b2", "b1", "b2"));
}

TEST_P(ActionIslands, BranchOutOfTheFileEndsTheBlock) {
    Assembler forward;
    forward.push({str("forward")}).trace().branch(Code::Jump, 0x7FF0);
    forward.push({str("not run")}).trace().op(Code::End);
    Assembler backward;
    backward.push({str("backward")}).trace().push({integer(1)}).branch(Code::If, -0x7FF0);
    backward.push({str("not run either")}).trace().op(Code::End);

    IslandMovie m(version(), {}, {forward.bytes, backward.bytes});
    run(m, 2);
    EXPECT_THAT(traces.lines, ElementsAre("forward", "backward"));
}

TEST_P(ActionIslands, LoopThroughAnotherTagRunsUntilItsTestFails) {
    Assembler script;
    script.setVar("i", integer(0));
    const size_t head = script.bytes.size();
    script.branch(Code::Jump, 0);
    const size_t after = script.bytes.size();
    script.push({str("done")}).trace().op(Code::End);
    Assembler hidden;
    hidden.push({str("i")}).getVar("i").op(Code::Increment).op(Code::SetVariable);
    hidden.getVar("i").trace().getVar("i").push({integer(3)}).op(Code::Less2);
    const size_t loop = hidden.bytes.size();
    hidden.branch(Code::If, 0);
    const size_t leave = hidden.bytes.size();
    hidden.branch(Code::Jump, 0).op(Code::End);

    IslandMovie m(version(), hidden.bytes, {script.bytes});
    const size_t block = m.at(script.bytes);
    m.aim(block + head, int64_t(m.hidden));
    m.aim(m.hidden + loop, int64_t(block + head));
    m.aim(m.hidden + leave, int64_t(block + after));
    run(m, 1);
    EXPECT_THAT(traces.lines, ElementsAre("1", "2", "3", "done"));
}

TEST_P(ActionIslands, FunctionBodyBranchesOutAndReturnsFromThere) {
    Assembler body;
    body.push({str("in f")}).trace();
    const size_t out = body.bytes.size();
    body.branch(Code::Jump, 0).push({str("not in f")}).trace();
    Assembler hidden;
    hidden.push({str("outside f")}).trace().push({integer(7)}).op(Code::Return).op(Code::End);
    Assembler script;
    script.function("f", {}, body).push({integer(0), str("f")}).op(Code::CallFunction).trace();
    script.push({str("after f")}).trace().op(Code::End);

    IslandMovie m(version(), hidden.bytes, {script.bytes});
    m.aim(m.at(body.bytes) + out, int64_t(m.hidden));
    run(m, 1);
    EXPECT_THAT(traces.lines, ElementsAre("in f", "outside f", "7", "after f"));
}

INSTANTIATE_TEST_SUITE_P(Versions, ActionIslands, testing::Values(5, 7));

}  // namespace
}  // namespace pencora::runtime
