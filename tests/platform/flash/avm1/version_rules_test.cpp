// What the same actions answer in SWF 4, 5 and later movies: the SWF 4 arithmetic and string
// actions, how values convert per version, bit operations past 32 bits, functions of SWF 5
// movies and the object operators.
#include <gtest/gtest.h>

#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

// The lines traced by `as` in a movie of `version`, joined by '|'.
std::string runIn(int version, const Assembler& as) {
    Fixture f(version);
    return f.run(as).join('|').toStdString();
}

// Traces `code` on two operands, pushed in order.
Assembler binary(Operand a, Operand b, Code code) {
    Assembler as;
    as.push({a, b}).op(code).trace();
    return as;
}

}  // namespace

// SWF 4 reads text that is no number as 0 and prints comparisons as 1 and 0; SWF 5 has NaN and
// booleans; SWF 7 writes undefined as "undefined" in text and reads any text as true.
TEST(VersionRules, Swf4ActionsPerVersion) {
    struct Row {
        Operand a, b;
        Code code;
        const char* swf4;
        const char* swf5;
        const char* swf7;
    };
    const Row rows[] = {
        {str("3"), str("4"), Code::Add, "7", "7", "7"},
        {str("abc"), num(1), Code::Add, "1", "NaN", "NaN"},
        {str("10"), str("9"), Code::Less, "0", "false", "false"},
        {str("abc"), str("0"), Code::Equals, "1", "false", "false"},
        {str("abc"), str("def"), Code::Equals, "1", "false", "false"},
        {str("abc"), num(1), Code::Less, "1", "false", "false"},
        {num(1), str("abc"), Code::Less2, "0", "undefined", "undefined"},
        {str("abc"), str("abc"), Code::Equals, "1", "false", "false"},
        {str("10"), str("10.0"), Code::StringEquals, "0", "false", "false"},
        {str("10"), str("9"), Code::StringLess, "1", "true", "true"},
        {num(1), num(2), Code::StringAdd, "12", "12", "12"},
        {undef(), str("x"), Code::StringAdd, "x", "x", "undefinedx"},
        {num(2), num(3), Code::And, "1", "true", "true"},
        {num(0), str("a"), Code::Or, "0", "false", "true"},
        {num(1), num(0), Code::Divide, "#ERROR#", "Infinity", "Infinity"},
        {num(1), num(2), Code::Subtract, "-1", "-1", "-1"},
        {str("a"), num(1), Code::Add2, "a1", "a1", "a1"},
        {undef(), str("a"), Code::Add2, "a", "a", "undefineda"},
        {boolean(true), num(1), Code::Add2, "2", "2", "2"},
        {str("1"), num(2), Code::Add2, "12", "12", "12"},
        {num(4294967297.0), num(0), Code::BitOr, "1", "1", "1"},
        {num(2147483648.0), num(0), Code::BitOr, "-2147483648", "-2147483648", "-2147483648"},
        {num(-2147483649.0), num(0), Code::BitOr, "2147483647", "2147483647", "2147483647"},
        {num(-1), num(0), Code::BitURShift, "-1", "-1", "-1"},
        {num(-3), num(1), Code::BitURShift, "2147483646", "2147483646", "2147483646"},
        {num(1), num(33), Code::BitLShift, "2", "2", "2"},
        {num(-5), num(3), Code::Modulo, "-2", "-2", "-2"},
        {num(5), num(0), Code::Modulo, "NaN", "NaN", "NaN"},
    };
    for (const Row& r : rows) {
        const Assembler as = binary(r.a, r.b, r.code);
        EXPECT_EQ(runIn(4, as), r.swf4) << int(r.code) << " " << r.a.text << r.a.number;
        EXPECT_EQ(runIn(5, as), r.swf5) << int(r.code) << " " << r.a.text << r.a.number;
        EXPECT_EQ(runIn(7, as), r.swf7) << int(r.code) << " " << r.a.text << r.a.number;
    }
}

// One-operand actions: hexadecimal text is a number from SWF 6, trace names undefined in
// every version.
TEST(VersionRules, UnaryPerVersion) {
    struct Row {
        Operand a;
        Code code;
        const char* swf4;
        const char* swf5;
        const char* swf7;
    };
    const Row rows[] = {
        {num(0), Code::Not, "1", "true", "true"},
        {str("abc"), Code::Not, "1", "true", "false"},
        {str("0"), Code::Not, "1", "true", "false"},
        {str("abc"), Code::ToNumber, "0", "NaN", "NaN"},
        {str("0x1A"), Code::ToNumber, "0", "NaN", "26"},
        {undef(), Code::Trace, "", "", ""},
        {num(1e21), Code::ToString, "1e+21", "1e+21", "1e+21"},
        {num(2147483648.0 * 4 + 3), Code::ToInteger, "3", "3", "3"},
        {undef(), Code::TypeOf, "undefined", "undefined", "undefined"},
        {null(), Code::TypeOf, "null", "null", "null"},
        {str("a"), Code::MBStringLength, "1", "1", "1"},
    };
    for (const Row& r : rows) {
        Assembler as;
        as.push({r.a}).op(r.code);
        if (r.code != Code::Trace) {
            as.trace();
        }
        EXPECT_EQ(runIn(4, as), r.code == Code::Trace ? "undefined" : r.swf4)
            << int(r.code) << " " << r.a.text;
        EXPECT_EQ(runIn(5, as), r.code == Code::Trace ? "undefined" : r.swf5)
            << int(r.code) << " " << r.a.text;
        EXPECT_EQ(runIn(7, as), r.code == Code::Trace ? "undefined" : r.swf7)
            << int(r.code) << " " << r.a.text;
    }
}

// Loose equality converts across types; undefined equals only null.
TEST(VersionRules, Equals2AcrossTypes) {
    struct Row {
        Operand a, b;
        const char* swf5;
        const char* swf6;
    };
    const Row rows[] = {
        {undef(), null(), "true", "true"},        {undef(), num(0), "false", "false"},
        {str("1"), num(1), "true", "true"},       {boolean(true), str("1"), "true", "true"},
        {str(""), num(0), "false", "false"},      {null(), num(0), "false", "false"},
        {str("abc"), str("abc"), "true", "true"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(runIn(5, binary(r.a, r.b, Code::Equals2)), r.swf5) << r.a.text;
        EXPECT_EQ(runIn(6, binary(r.a, r.b, Code::Equals2)), r.swf6) << r.a.text;
    }
}

// Recursion, arguments, locals against timeline variables, a function without return, new on
// what is no function, instanceof of primitives and boxes, and delete of what is and is not there.
TEST(VersionRules, Swf5Functions) {
    Assembler as;
    // function fact(n) { if (n <= 1) return 1; return n * fact(n - 1); }
    Assembler rec;
    rec.push({integer(1)}).getVar("n").op(Code::Less2);
    Assembler base;
    base.push({integer(1)}).op(Code::Return);
    rec.branch(Code::If, int16_t(base.bytes.size()));
    rec.append(base);
    rec.getVar("n").getVar("n").push({integer(1)}).op(Code::Subtract);
    rec.push({integer(1), str("fact")}).op(Code::CallFunction).op(Code::Multiply).op(Code::Return);
    as.function("fact", {"n"}, rec);
    as.push({integer(5), integer(1), str("fact")}).op(Code::CallFunction).trace();
    // function f(a) { var loc = 1; glob = 2; return arguments.length + ":" + a + ":" +
    // typeof this; }: locals stay in the call, other assignments reach the timeline.
    Assembler body;
    body.push({str("loc"), integer(1)}).op(Code::DefineLocal);
    body.push({str("glob"), integer(2)}).op(Code::SetVariable);
    body.getVar("arguments").push({str("length")}).op(Code::GetMember);
    body.push({str(":")}).op(Code::Add2).getVar("a").op(Code::Add2);
    body.push({str(":")}).op(Code::Add2).getVar("this").op(Code::TypeOf).op(Code::Add2);
    body.op(Code::Return);
    as.function("f", {"a"}, body);
    as.push({str("z"), str("y"), integer(2), str("f")}).op(Code::CallFunction).trace();
    as.getVar("loc").trace().getVar("glob").trace();
    as.function("g", {}, Assembler());
    as.push({integer(0), str("g")}).op(Code::CallFunction).trace();
    // new on what is no function, instanceof and delete.
    as.push({integer(0), str("nothing")}).op(Code::NewObject).op(Code::TypeOf).trace();
    as.push({integer(5), integer(1), str("Number")}).op(Code::NewObject);
    as.getVar("Number").op(Code::InstanceOf).trace();
    as.push({integer(5)}).getVar("Number").op(Code::InstanceOf).trace();
    as.push({str("glob")}).op(Code::Delete2).trace();
    as.push({str("glob")}).op(Code::Delete2).trace();
    as.getVar("glob").trace();
    EXPECT_EQ(runIn(5, as),
              "120|2:y:object|undefined|2|undefined|undefined|true|false|true|false|undefined");
}
