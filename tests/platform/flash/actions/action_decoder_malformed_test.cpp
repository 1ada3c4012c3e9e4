// The decoder against bytes no compiler writes: random blocks must come out as a list whose
// every index stays inside it, and each kind of damaged record must cost only what follows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/flash/actions/action_decoder.h"

using namespace pencora::swf;

namespace {

ActionBlock decode(const std::vector<uint8_t>& bytes) {
    return decodeActions(std::span<const uint8_t>(bytes.data(), bytes.size()));
}

// A record with a length header.
std::vector<uint8_t> record(uint8_t code, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> r = {code, uint8_t(payload.size() & 0xFF), uint8_t(payload.size() >> 8)};
    r.insert(r.end(), payload.begin(), payload.end());
    return r;
}

std::vector<uint8_t> join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

// Every index the interpreter follows must name an action of the list or its end, and every
// region must open after its record and before it closes; otherwise the machine would read
// past its own list. (Records of another run, reached by a branch into a function's header,
// may lie between the header and its body.)
std::string checkIndices(const ActionBlock& block, size_t inputSize) {
    const uint32_t count = uint32_t(block.actions.size());
    uint32_t lastOffset = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const Action& a = block.actions[i];
        const std::string at = "action " + std::to_string(i);
        if (a.offset >= inputSize) {
            return at + ": offset outside the input";
        }
        if (i > 0 && a.offset <= lastOffset) {
            return at + ": offsets do not grow";
        }
        lastOffset = a.offset;
        switch (a.code) {
            case ActionCode::Jump:
            case ActionCode::If:
            case ActionCode::WaitForFrame:
            case ActionCode::WaitForFrame2:
                if (a.target > count) {
                    return at + ": branch past the end";
                }
                break;
            case ActionCode::With:
                if (a.target > count || a.target < i + 1) {
                    return at + ": with body out of order";
                }
                break;
            case ActionCode::DefineFunction:
            case ActionCode::DefineFunction2:
                if (!a.function) {
                    return at + ": function without definition";
                }
                if (a.function->bodyBegin <= i || a.function->bodyEnd < a.function->bodyBegin ||
                    a.function->bodyEnd > count) {
                    return at + ": function body out of order";
                }
                break;
            case ActionCode::Try: {
                if (!a.tryDef) {
                    return at + ": try without definition";
                }
                const TryDef& t = *a.tryDef;
                if (t.tryBegin <= i || t.catchBegin < t.tryBegin || t.finallyBegin < t.catchBegin ||
                    t.end < t.finallyBegin || t.end > count) {
                    return at + ": try regions out of order";
                }
                break;
            }
            default:
                break;
        }
    }
    return {};
}

}  // namespace

TEST(ActionDecoderMalformed, RandomBlocksKeepEveryIndexInsideTheList) {
    // Random records, mostly of the codes that carry indices, with payloads of random bytes:
    // offsets and sizes point anywhere near the block, and now and then a length header lies.
    const uint8_t kInteresting[] = {0x99, 0x9D, 0x94, 0x9B, 0x8E, 0x8F, 0x8A,
                                    0x8D, 0x96, 0x88, 0x00, 0x06, 0x07};
    std::mt19937 random(20240611);
    size_t withIndices = 0;  // blocks that kept a record with an index to check
    for (int round = 0; round < 4000; ++round) {
        std::vector<uint8_t> bytes;
        const int records = int(random() % 12);
        for (int r = 0; r < records; ++r) {
            const uint8_t code = random() % 4 != 0
                                     ? kInteresting[random() % std::size(kInteresting)]
                                     : uint8_t(random());
            bytes.push_back(code);
            if (code < 0x80) {
                continue;
            }
            std::vector<uint8_t> payload(random() % 14);
            for (auto& b : payload) {
                // Small values make sizes and offsets that land inside or near the block.
                b = random() % 2 ? uint8_t(random() % 24) : uint8_t(random());
            }
            const size_t claimed = random() % 10 == 0 ? random() % 32 : payload.size();
            bytes.push_back(uint8_t(claimed));
            bytes.push_back(0);
            bytes.insert(bytes.end(), payload.begin(), payload.end());
        }
        const ActionBlock block = decode(bytes);
        withIndices += std::any_of(block.actions.begin(), block.actions.end(), [](const Action& a) {
            return a.function || a.tryDef || a.code == ActionCode::Jump ||
                   a.code == ActionCode::If || a.code == ActionCode::With;
        });
        const std::string fault = checkIndices(block, bytes.size());
        ASSERT_EQ(fault, "") << "round " << round;
    }
    EXPECT_GT(withIndices, 1000u);
}

// A record too short for its operands is kept, with what it lacks read as zero, and the next
// record starts where its length says; so is one longer than its operands.
TEST(ActionDecoderMalformed, DamagedOperandsCostNothingOfWhatFollows) {
    struct Row {
        const char* name;
        std::vector<uint8_t> record;
        bool noted;
    };
    const std::vector<uint8_t> play = {0x06};
    const Row rows[] = {
        {"double cut short", record(0x96, {6, 0, 0, 0}), true},
        {"wide constant cut short", record(0x96, {9, 1}), true},
        {"register number missing", record(0x96, {4}), true},
        {"jump without its offset", record(0x99, {}), true},
        {"with without its size", record(0x94, {1}), true},
        {"function params cut short", record(0x9B, {'f', 0, 3, 0, 'a', 0}), true},
        {"function2 without flags", record(0x8E, {'f', 0, 0, 0, 2}), true},
        {"try sizes cut short", record(0x8F, {0x01, 1, 0, 1}), true},
        {"try catch name unterminated", record(0x8F, {1, 0, 0, 0, 0, 0, 0, 'e'}), true},
        {"url window unterminated", record(0x83, {'u', 0, 'w'}), true},
        {"goto with one byte of its frame", record(0x81, {1}), true},
        {"store register with a byte to spare", record(0x87, {1, 0x07}), false},
        {"jump with a byte to spare", record(0x99, {0, 0, 0x07}), false},
        // A pool that claims more strings than it holds keeps the ones it has and goes on.
        {"pool short of strings", record(0x88, {5, 0, 'a', 0, 'b', 0}), false},
        // An unknown code with a length is skipped whole; one without is one byte.
        {"unknown long record", record(0xC7, {1, 2, 3}), false},
        {"unknown short code", {0x7E}, false},
    };
    for (const Row& row : rows) {
        const std::vector<uint8_t> bytes = join({play, row.record, play});
        const ActionBlock block = decode(bytes);
        ASSERT_EQ(block.actions.size(), 3u) << row.name;
        EXPECT_EQ(block.actions[2].offset, 1 + row.record.size()) << row.name;
        EXPECT_EQ(block.actions[1].next, 2u) << row.name;
        EXPECT_EQ(!block.notes.empty(), row.noted) << row.name;
        EXPECT_EQ(checkIndices(block, bytes.size()), "") << row.name;
    }
    EXPECT_TRUE(decode({}).actions.empty());
    // What the record holds is read; what it lacks is zero or empty.
    const ActionBlock goTo = decode(record(0x81, {5}));
    ASSERT_EQ(goTo.actions.size(), 1u);
    EXPECT_EQ(goTo.actions[0].frame, 5);
    const ActionBlock url = decode(record(0x83, {'u', 0, 'w'}));
    ASSERT_EQ(url.actions.size(), 1u);
    EXPECT_EQ(url.actions[0].text, "u");
    EXPECT_EQ(url.actions[0].text2, "w");
    const ActionBlock push = decode(record(0x96, {7, 1, 0, 0, 0, 6, 0, 0}));
    ASSERT_EQ(push.actions.size(), 1u);
    ASSERT_EQ(push.actions[0].values.size(), 1u) << "the double cut short is left out";
    EXPECT_EQ(push.actions[0].values[0].number, 1);
}

TEST(ActionDecoderMalformed, NotesNameTheCodeInHexAndTheOffset) {
    const ActionBlock longer = decode(join({{0x06}, {0x96, 9, 0, 0}}));
    ASSERT_EQ(longer.notes.size(), 1u);
    EXPECT_NE(longer.notes[0].find("0x96"), std::string::npos) << longer.notes[0];
    EXPECT_NE(longer.notes[0].find("offset 1"), std::string::npos) << longer.notes[0];

    const ActionBlock broken = decode(join({{0x06, 0x07}, record(0x8E, {'f'})}));
    ASSERT_EQ(broken.notes.size(), 1u);
    EXPECT_NE(broken.notes[0].find("0x8e"), std::string::npos) << broken.notes[0];
    EXPECT_NE(broken.notes[0].find("offset 2"), std::string::npos) << broken.notes[0];
}

TEST(ActionDecoderMalformed, PushStopsAtAnUnknownTypeButKeepsWhatCameBefore) {
    // int 5, then type 10 (no such type): its length is unknown, so the rest of the record is
    // lost, but the record itself and what follows it are fine.
    const auto bytes = join({record(0x96, {7, 5, 0, 0, 0, 10, 'x', 'y', 0}), {0x07}});
    const ActionBlock block = decode(bytes);
    ASSERT_EQ(block.actions.size(), 2u);
    ASSERT_EQ(block.actions[0].values.size(), 2u);
    EXPECT_EQ(block.actions[0].values[0].number, 5);
    EXPECT_EQ(block.actions[0].values[1].type, PushValue::Type::Undefined);
    EXPECT_EQ(block.actions[1].code, ActionCode::Stop);
    EXPECT_TRUE(block.notes.empty());

    // A float operand is single precision, little endian; a boolean is any non-zero byte.
    const ActionBlock floats = decode(record(0x96, {1, 0x00, 0x00, 0x20, 0xC1, 5, 7}));
    ASSERT_EQ(floats.actions.size(), 1u);
    ASSERT_EQ(floats.actions[0].values.size(), 2u);
    EXPECT_EQ(floats.actions[0].values[0].number, -10.0);
    EXPECT_EQ(floats.actions[0].values[1].number, 1.0);
}

TEST(ActionDecoderMalformed, BranchesToTheEdgesOfTheBlock) {
    // 0: Jump +1 lands exactly on the End that closes the block: a real action.
    // 1: Play. 2: End.
    {
        const auto bytes = join({record(0x99, {1, 0}), {0x06, 0x00}});
        const ActionBlock block = decode(bytes);
        ASSERT_EQ(block.actions.size(), 3u);
        EXPECT_EQ(block.actions[0].target, 2u);
        EXPECT_TRUE(block.notes.empty());
    }
    // A jump to the byte just past the block ends it, without complaint; a jump to itself is
    // a loop the machine's limits deal with.
    {
        const auto bytes = join({record(0x99, {6, 0}), {0x06}, record(0x99, {0xFB, 0xFF})});
        const ActionBlock block = decode(bytes);
        ASSERT_EQ(block.actions.size(), 3u);
        EXPECT_EQ(block.actions[0].target, 3u);
        EXPECT_EQ(block.actions[2].target, 2u);
        EXPECT_TRUE(block.notes.empty());
    }
    // A branch into a record the decoder never reached (it broke off there) ends the block.
    {
        const auto bytes = join({record(0x9D, {1, 0}), {0x07}, {0x96, 40, 0}});
        const ActionBlock block = decode(bytes);
        ASSERT_EQ(block.actions.size(), 2u);
        EXPECT_EQ(block.actions[0].target, 2u);
    }
    // WaitForFrame skips count actions, not bytes, and never past the list.
    {
        const auto bytes = join({record(0x8A, {3, 0, 1}), {0x06, 0x07}, record(0x8D, {200})});
        const ActionBlock block = decode(bytes);
        ASSERT_EQ(block.actions.size(), 4u);
        EXPECT_EQ(block.actions[0].frame, 3);
        EXPECT_EQ(block.actions[0].target, 2u);
        EXPECT_EQ(block.actions[3].target, 4u);
    }
}

TEST(ActionDecoderMalformed, NestedRegionsAndRegionsEndingInsideARecord) {
    // function outer() { function inner() { Play } Stop }  then Stop after it.
    const auto innerBody = std::vector<uint8_t>{0x06};
    auto inner = record(0x9B, {'i', 0, 0, 0, uint8_t(innerBody.size()), 0});
    inner.insert(inner.end(), innerBody.begin(), innerBody.end());
    std::vector<uint8_t> outerBody = inner;
    outerBody.push_back(0x07);
    auto outer = record(0x9B, {'o', 0, 0, 0, uint8_t(outerBody.size()), 0});
    const auto bytes = join({outer, outerBody, {0x07}});
    const ActionBlock block = decode(bytes);
    ASSERT_EQ(block.actions.size(), 5u);
    EXPECT_EQ(block.actions[0].function->name, "o");
    EXPECT_EQ(block.actions[0].function->bodyBegin, 1u);
    EXPECT_EQ(block.actions[0].function->bodyEnd, 4u);
    EXPECT_EQ(block.actions[1].function->name, "i");
    EXPECT_EQ(block.actions[1].function->bodyEnd, 3u);
    EXPECT_EQ(block.actions[0].function->registerCount, 4) << "DefineFunction's own registers";

    // A with body whose size ends in the middle of a Push: the body takes the record it cuts.
    const auto push = record(0x96, {7, 1, 0, 0, 0});
    const auto with = join({record(0x94, {2, 0}), push, {0x07}});
    const ActionBlock cut = decode(with);
    ASSERT_EQ(cut.actions.size(), 3u);
    EXPECT_EQ(cut.actions[0].target, 2u);
    EXPECT_TRUE(cut.notes.empty());

    // Try with the caught value in a register, and parts that claim more than the block has.
    const auto tryBytes = join({record(0x8F, {0x05, 1, 0, 50, 0, 50, 0, 3}), {0x06, 0x07}});
    const ActionBlock t = decode(tryBytes);
    ASSERT_EQ(t.actions.size(), 3u);
    const TryDef& def = *t.actions[0].tryDef;
    EXPECT_TRUE(def.hasCatch);
    EXPECT_FALSE(def.hasFinally);
    EXPECT_TRUE(def.catchInRegister);
    EXPECT_EQ(def.catchRegister, 3);
    EXPECT_EQ(def.catchBegin, 2u);
    EXPECT_EQ(def.finallyBegin, 3u);
    EXPECT_EQ(def.end, 3u);
}

TEST(ActionDecoderMalformed, OffsetsPastSixtyFourKilobytesStayExact) {
    // DoAction tags may hold more than 64 KiB; offsets and branches must not wrap.
    std::vector<uint8_t> bytes(70000, 0x06);
    const auto jump = record(0x99, {0xFA, 0xFF});  // back onto the Play before it
    bytes.insert(bytes.end(), jump.begin(), jump.end());
    bytes.push_back(0x07);
    const ActionBlock block = decode(bytes);
    ASSERT_EQ(block.actions.size(), 70002u);
    EXPECT_EQ(block.actions[70000].offset, 70000u);
    EXPECT_EQ(block.actions[70000].target, 69999u);
    EXPECT_EQ(block.actions[70001].code, ActionCode::Stop);
    EXPECT_TRUE(block.notes.empty());
}
