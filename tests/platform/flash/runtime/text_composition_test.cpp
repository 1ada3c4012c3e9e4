// Text an input method is still composing, in input fields of a playing movie: kept out of
// the text until committed, committed when the focus leaves, dropped with a removed field.
#include <gtest/gtest.h>

#include "../avm1/assembler.h"
#include "engine_fixture.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;
using flash::InputKind;

struct CompositionTest : testing::TestWithParam<int> {
    static void SetUpTestSuite() { test::ensureGuiApplication(); }
    test::TraceHost host;
    std::unique_ptr<flash::MovieEngine> engine = createSwfMovieEngine();
    CompositionTest() { engine->setHost(&host); }

    void send(InputKind kind, std::u16string text = {}, double x = 0, double y = 0) {
        flash::InputEvent e;
        e.kind = kind;
        e.text = std::move(text);
        e.x = x;
        e.y = y;
        engine->handleInput(e);
    }
    void compose(std::u16string text) { send(InputKind::Composition, std::move(text)); }
    void type(std::u16string_view text) {
        for (char16_t c : text) {
            flash::InputEvent e;
            e.kind = InputKind::TextInput;
            e.character = c;
            engine->handleInput(e);
        }
    }
    std::u16string variable(const char16_t* name) const {
        return engine->getVariable(name).value_or(u"");
    }
    std::vector<std::u16string> traced() { return std::exchange(host.lines, {}); }
    double caretX() const {
        const auto r = engine->caretRect();
        return r ? r->left : -1;
    }
};

swf::EditText inputField(const std::string& variable) {
    swf::EditText e;
    e.bounds = {0, 100 * 20, 0, 20 * 20};
    e.variableName = variable;
    return e;
}

swf::PlaceObject placed(uint16_t id, uint16_t depth, const std::string& name, int y) {
    swf::PlaceObject p;
    p.characterId = id;
    p.depth = depth;
    p.name = name;
    p.matrix = swf::Matrix{};
    p.matrix->ty = y * 20;
    return p;
}

// name.onChanged = function () { trace(label + name.text); }
Assembler reportChanges(const std::string& name, const std::string& label) {
    Assembler body;
    body.push({str(label)}).getVar(name).push({str("text")}).op(Code::GetMember);
    body.op(Code::Add2).trace();
    Assembler a;
    a.getVar(name).push({str("onChanged")}).function("", {}, body).op(Code::SetMember);
    return a;
}

// Two input fields, "f" (restricted to small letters, three at most, holding the focus) above
// "g"; the timeline removes "g" on its third frame and stops there.
swfwrite::MovieBuilder twoFields(int version) {
    swfwrite::MovieBuilder b(version, 200, 100);
    b.place(placed(b.define(inputField("v")), 1, "f", 0));
    b.place(placed(b.define(inputField("w")), 2, "g", 50));
    Assembler a;
    a.getVar("f").push({str("restrict"), str("a-z")}).op(Code::SetMember);
    a.getVar("f").push({str("maxChars"), integer(3)}).op(Code::SetMember);
    a.append(reportChanges("f", "f "));
    a.append(reportChanges("g", "g "));
    a.push({str("f"), integer(1)}).getVar("Selection").push({str("setFocus")});
    a.op(Code::CallMethod).op(Code::Pop);
    b.doAction(a.bytes).showFrame();
    b.showFrame();
    Assembler stop;
    stop.op(Code::Stop);
    b.remove(2).doAction(stop.bytes).showFrame();
    return b;
}

TEST_P(CompositionTest, ComposedTextStaysOutOfTheFieldUntilCommitted) {
    ASSERT_TRUE(
        engine->loadMovie(0, twoFields(GetParam()).write(swf::Compression::None), u"test.swf", {}));
    engine->runFrame();
    const double empty = caretX();
    ASSERT_GE(empty, 0) << "the focused field has a caret";

    // Neither the text, its variable nor onChanged see what is being composed; restrict and
    // maxChars leave it whole. It shows at the caret, which stands after it.
    compose(u"ab");
    const double afterTwo = caretX();
    EXPECT_GT(afterTwo, empty);
    compose(u"ab1Z9xy");
    EXPECT_GT(caretX(), afterTwo);
    EXPECT_EQ(variable(u"v"), u"");
    EXPECT_EQ(variable(u"f.text"), u"");
    EXPECT_TRUE(traced().empty());

    // Committed text takes its place and goes through the typing rules.
    type(u"xY1");
    EXPECT_EQ(variable(u"v"), u"xy");
    EXPECT_EQ(traced(), (std::vector<std::u16string>{u"f x", u"f xy"}));
    compose(u"");
    EXPECT_EQ(caretX(), afterTwo) << "nothing composed: the caret follows the text alone";
}

TEST_P(CompositionTest, LeavingTheFieldCommitsAndRemovingItDrops) {
    ASSERT_TRUE(
        engine->loadMovie(0, twoFields(GetParam()).write(swf::Compression::None), u"test.swf", {}));
    engine->runFrame();
    type(u"xy");
    traced();

    // A click on the other field commits what was composed, as typed: cut to maxChars.
    compose(u"qrs");
    send(InputKind::MouseDown, {}, 10, 60);
    send(InputKind::MouseUp, {}, 10, 60);
    EXPECT_EQ(variable(u"v"), u"xyq");
    EXPECT_EQ(traced(), (std::vector<std::u16string>{u"f xyq"}));
    // Composing again in the field now focused, then Tab to the next commits there too.
    compose(u"k");
    flash::InputEvent tab;
    tab.kind = InputKind::KeyDown;
    tab.keyCode = 9;
    engine->handleInput(tab);
    tab.kind = InputKind::KeyUp;
    engine->handleInput(tab);
    EXPECT_EQ(variable(u"w"), u"k");
    EXPECT_EQ(traced(), (std::vector<std::u16string>{u"g k"}));

    // A field taken off the stage while composing loses what was composed, unheard.
    send(InputKind::MouseDown, {}, 10, 60);
    send(InputKind::MouseUp, {}, 10, 60);
    compose(u"zz");
    engine->runFrame();
    engine->runFrame();
    EXPECT_EQ(variable(u"w"), u"k");
    EXPECT_TRUE(traced().empty());
    EXPECT_FALSE(engine->caretRect().has_value());
}

INSTANTIATE_TEST_SUITE_P(Versions, CompositionTest, testing::Values(6, 8));

}  // namespace
}  // namespace pencora::runtime
