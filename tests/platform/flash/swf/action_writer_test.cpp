// Scripts written by the action writer, decoded and run by the script machine: branches land
// after the guarded body, values and variables go where the script says, and the goto and
// getURL records carry their frame, label and strings.
#include <gtest/gtest.h>

#include "../avm1/test_host.h"
#include "platform/flash/actions/action_decoder.h"
#include "platform/flash/swfwrite/action_writer.h"

namespace pencora::swfwrite {
namespace {

using swf::ActionCode;

QStringList run(const ActionWriter& script) {
    avm1::test::Fixture f;
    f.host.lines.clear();
    auto block = std::make_shared<swf::ActionBlock>(swf::decodeActions(script.bytes()));
    EXPECT_TRUE(block->notes.empty());
    f.machine.runBlock(block, f.host.rootClip, 8);
    return f.host.lines + f.host.urls;
}

TEST(ActionWriter, GuardedBodyRunsOnlyWhenTheConditionHolds) {
    for (const int page : {1, 2, 3}) {
        // if (page < pages) { page = page + 1; }
        ActionWriter next;
        next.getVariable("page").op(action_op::Increment).setVariable("page");
        ActionWriter w;
        w.setVariable("pages", 3).setVariable("page", page);
        w.getVariable("page").getVariable("pages").op(action_op::Less2).when(next);
        w.getVariable("page").op(0x26);
        const int expected = page < 3 ? page + 1 : page;
        EXPECT_EQ(run(w), QStringList{QString::number(expected)}) << "page " << page;
    }
}

TEST(ActionWriter, ValuesSurviveEveryOperandRange) {
    ActionWriter w;
    w.setVariable("a", -70000).setVariable("b", "页").setVariable("c", 0);
    w.push("x").push(2).op(action_op::Add2).setVariable("d");
    for (const char* name : {"a", "b", "c", "d"}) {
        w.getVariable(name).op(0x26);
    }
    EXPECT_EQ(run(w), (QStringList{"-70000", "页", "0", "x2"}));
}

TEST(ActionWriter, CommandsAndGotosCarryTheirOperands) {
    ActionWriter w;
    w.fsCommand("lesson_play", "120,4000").gotoLabel("s2").gotoFrame(300, true);
    w.push("page").push(2).op(action_op::Add2).gotoPopped(false).stop();
    const auto block = swf::decodeActions(w.bytes());
    ASSERT_TRUE(block.notes.empty());
    ASSERT_EQ(block.actions.size(), 10u);
    EXPECT_EQ(block.actions[0].code, ActionCode::GetURL);
    EXPECT_EQ(block.actions[0].text, "FSCommand:lesson_play");
    EXPECT_EQ(block.actions[0].text2, "120,4000");
    EXPECT_EQ(block.actions[1].text, "s2");
    EXPECT_EQ(block.actions[2].frame, 300);
    EXPECT_EQ(block.actions[3].code, ActionCode::Play);
    EXPECT_EQ(block.actions[7].code, ActionCode::GotoFrame2);
    EXPECT_EQ(block.actions[7].byteArg, 0);
    EXPECT_EQ(block.actions[8].code, ActionCode::Stop);
    EXPECT_EQ(block.actions[9].code, ActionCode::End);
    EXPECT_EQ(run(w), QStringList{"FSCommand:lesson_play|120,4000"});
}

TEST(ActionWriter, RefusesWhatTheFormatCannotHold) {
    ActionWriter w;
    EXPECT_THROW(w.push(std::string("a\0b", 3)), std::invalid_argument);
    EXPECT_THROW(w.op(0x96), std::invalid_argument);
    ActionWriter big;
    for (int k = 0; k < 7000; ++k) {
        big.push(k);
    }
    EXPECT_THROW(w.when(big), std::length_error);
}

}  // namespace
}  // namespace pencora::swfwrite
