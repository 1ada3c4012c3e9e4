// Text an input method is still composing, in input fields of a playing movie: in the text
// scripts read but through the typing rules only once committed, committed when the focus
// leaves, dropped with a removed field.
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

TEST_P(CompositionTest, ComposedTextIsReadButTypedOnlyWhenCommitted) {
    ASSERT_TRUE(
        engine->loadMovie(0, twoFields(GetParam()).write(swf::Compression::None), u"test.swf", {}));
    engine->runFrame();
    const double empty = caretX();
    ASSERT_GE(empty, 0) << "the focused field has a caret";

    // Scripts and the variable read what is being composed with the text, but onChanged does
    // not hear of it, and restrict and maxChars leave it whole. The caret stands after it.
    compose(u"ab");
    const double afterTwo = caretX();
    EXPECT_GT(afterTwo, empty);
    compose(u"ab1Z9xy");
    EXPECT_GT(caretX(), afterTwo);
    EXPECT_EQ(variable(u"f.text"), u"ab1Z9xy");
    EXPECT_EQ(variable(u"f.length"), u"7");
    EXPECT_EQ(variable(u"v"), u"ab1Z9xy");
    EXPECT_TRUE(traced().empty());

    // Committed text takes its place and goes through the typing rules.
    type(u"xY1");
    EXPECT_EQ(variable(u"v"), u"xy");
    EXPECT_EQ(variable(u"f.text"), u"xy");
    EXPECT_EQ(traced(), (std::vector<std::u16string>{u"f x", u"f xy"}));
    compose(u"ab");
    compose(u"");
    EXPECT_EQ(variable(u"f.text"), u"xy") << "a composition given up leaves nothing behind";
    EXPECT_EQ(variable(u"v"), u"xy");
    EXPECT_EQ(caretX(), afterTwo) << "nothing composed: the caret follows the text alone";
}

// One input field "f" holding the focus, its changes reported; labelled frames the test calls:
// "edit" puts "|" in at the caret and takes the focus away, "insert" puts "<" in at the caret,
// "focus" gives the focus back, "set" gives the field new text.
swfwrite::MovieBuilder scriptedField(int version) {
    swfwrite::MovieBuilder b(version, 200, 100);
    b.place(placed(b.define(inputField("v")), 1, "f", 0));
    Assembler setFocus;
    setFocus.push({str("f"), integer(1)}).getVar("Selection").push({str("setFocus")});
    setFocus.op(Code::CallMethod).op(Code::Pop);
    Assembler a = reportChanges("f", "f ");
    a.append(setFocus).op(Code::Stop);
    b.doAction(a.bytes).showFrame();
    Assembler edit;
    edit.push({str("|"), integer(1)}).getVar("f").push({str("replaceSel")});
    edit.op(Code::CallMethod).op(Code::Pop);
    edit.push({avm1::test::null(), integer(1)}).getVar("Selection").push({str("setFocus")});
    edit.op(Code::CallMethod).op(Code::Pop);
    b.label("edit").doAction(edit.bytes).showFrame();
    b.label("focus").doAction(setFocus.bytes).showFrame();
    Assembler insert;
    insert.push({str("<"), integer(1)}).getVar("f").push({str("replaceSel")});
    insert.op(Code::CallMethod).op(Code::Pop);
    b.label("insert").doAction(insert.bytes).showFrame();
    Assembler set;
    set.getVar("f").push({str("text"), str("new")}).op(Code::SetMember);
    b.label("set").doAction(set.bytes).showFrame();
    return b;
}

TEST_P(CompositionTest, ScriptEditsBesideTheCompositionKeepItAndOthersEndIt) {
    ASSERT_TRUE(engine->loadMovie(0, scriptedField(GetParam()).write(swf::Compression::None),
                                  u"test.swf", {}));
    engine->runFrame();
    // Text put in at the caret, after what is composed, leaves the composition standing;
    // losing the focus then commits it where it stood.
    compose(u"q");
    ASSERT_TRUE(engine->callLabel(u"/", u"edit"));
    EXPECT_EQ(variable(u"f.text"), u"q|");
    EXPECT_EQ(variable(u"v"), u"q|");
    EXPECT_EQ(traced(), (std::vector<std::u16string>{u"f q|"}));
    ASSERT_TRUE(engine->callLabel(u"/", u"insert"));
    EXPECT_EQ(variable(u"f.text"), u"<q|") << "without the focus the caret is back at the start";

    // Text set by a script ends the composition: the input method giving it up then takes
    // nothing away from the script's text.
    ASSERT_TRUE(engine->callLabel(u"/", u"focus"));
    compose(u"zz");
    EXPECT_EQ(variable(u"f.text"), u"zz") << "the focus selected the text it then replaced";
    ASSERT_TRUE(engine->callLabel(u"/", u"set"));
    compose(u"");
    EXPECT_EQ(variable(u"f.text"), u"new");
    EXPECT_TRUE(traced().empty());
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
