// The language as the ActionScript books teach it: each row is a small expression and what
// a SWF 5, 6 and 7 movie prints for it. Conversions changed with SWF 7 (undefined reads as NaN
// and "undefined", any non-empty string is true, names are case-sensitive), so most subjects
// are checked in all three versions.
#include <gtest/gtest.h>

#include "postfix.h"
#include "test_host.h"
#include "version_rows.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

using Row = VersionRow;  // SWF 5, 6 and 7

std::string traced(int version, const Assembler& as) {
    Fixture f(version);
    return f.run(as).join('|').toStdString();
}

void checkRows(const std::vector<Row>& rows, const Assembler& prelude = {}) {
    checkVersionRows(5, 7, rows, prelude);
}

}  // namespace

// Number(), String() and Boolean() of every kind of value, and typeof of each.
TEST(BookResults, ConversionTables) {
    checkRows({
        {"undefined Number/1", "0", nullptr, "NaN"},
        {"null Number/1", "0", nullptr, "NaN"},
        {"true Number/1", "1"},
        {"false Number/1", "0"},
        {"@NaN Number/1", "NaN"},
        {"'-5.4' Number/1", "-5.4"},
        {"'0xFF' Number/1", "NaN", "255"},
        {"'12abc' Number/1", "NaN"},
        {"'Flash' Number/1", "NaN"},
        {"3 2 1 Array/3 Number/1", "NaN"},
        {"0 InitObject Number/1", "NaN"},
        {"undefined String/1", "", nullptr, "undefined"},
        {"null String/1", "null"},
        {"true String/1", "true"},
        {"false String/1", "false"},
        {"@NaN String/1", "NaN"},
        {"@Infinity String/1", "Infinity"},
        {"@Infinity 0 StackSwap Subtract String/1", "-Infinity"},
        {"3 2 1 Array/3 String/1", "1,2,3"},
        {"0 InitObject String/1", "[object Object]"},
        {"undefined Boolean/1", "false"},
        {"null Boolean/1", "false"},
        {"@NaN Boolean/1", "false"},
        {"0 Boolean/1", "false"},
        {"-3 Boolean/1", "true"},
        {"@Infinity Boolean/1", "true"},
        {"'' Boolean/1", "false"},
        {"'hello' Boolean/1", "false", nullptr, "true"},
        {"'0' Boolean/1", "false", nullptr, "true"},
        {"'1' Boolean/1", "true"},
        {"'true' Boolean/1", "false", nullptr, "true"},
        {"'false' Boolean/1", "false", nullptr, "true"},
        {"'-2.5' Boolean/1", "true"},
        {"Array/0 Boolean/1", "true"},
        {"0 InitObject Boolean/1", "true"},
        {"5 TypeOf", "number"},
        {"@NaN TypeOf", "number"},
        {"'hi' TypeOf", "string"},
        {"true TypeOf", "boolean"},
        {"undefined TypeOf", "undefined"},
        {"@neverSet TypeOf", "undefined"},
        {"null TypeOf", "null"},
        {"Array/0 TypeOf", "object"},
        {"0 InitObject TypeOf", "object"},
        {"@Math TypeOf", "object"},
        {"@parseInt TypeOf", "function"},
        {"@Array TypeOf", "function"},
        {"'s' new:String/1 TypeOf", "object"},
    });
}

// Arithmetic, concatenation, equality, comparison, logical and bitwise operators.
TEST(BookResults, Operators) {
    checkRows({
        {"'1' 2 Add2", "12"},
        {"2 '1' Add2", "21"},
        {"1 2 Add2 '3' Add2", "33"},
        {"'1' 2 Add2 3 Add2", "123"},
        {"999 'Flash' Subtract", "NaN"},
        {"10 '4' Subtract", "6"},
        {"'10' '2' Multiply", "20"},
        {"6 5 Multiply", "30"},
        {"20 5 Divide", "4"},
        {"5 4 Divide", "1.25"},
        {"1 0 Divide", "Infinity"},
        {"-1 0 Divide", "-Infinity"},
        {"0 0 Divide", "NaN"},
        {"14 4 Modulo", "2"},
        {"-14 4 Modulo", "-2"},
        {"14 -4 Modulo", "2"},
        {"5.5 2 Modulo", "1.5"},
        {"4 0 Modulo", "NaN"},
        {"'5' Increment", "6"},
        {"'5' Decrement", "4"},
        {"undefined Increment", "1", nullptr, "NaN"},
        {"'3' '4' Multiply", "12"},
        {"'x' true Add2", "xtrue"},
        {"65 AsciiToChar", "A"},
        {"'A' CharToAscii", "65"},
        {"'Value: ' undefined Add2", "Value: ", nullptr, "Value: undefined"},
        {"undefined 1 Add2", "1", nullptr, "NaN"},
        {"'Joan ' @middle Add2 'Flender' Add2", "Joan Flender", nullptr, "Joan undefinedFlender"},
        {"null 1 Add2", "1", nullptr, "NaN"},
        {"5 '5' Equals2", "true"},
        {"'hello' 'hello' Equals2", "true"},
        {"'Hello' 'hello' Equals2", "false"},
        {"null undefined Equals2", "true"},
        {"true 1 Equals2", "true"},
        {"false 0 Equals2", "true"},
        {"'true' true Equals2", "false"},
        {"0 InitObject true Equals2", "false"},
        {"undefined 0 Equals2", "false"},
        {"null 0 Equals2", "false"},
        {"5 '5' StrictEquals", "-", "false"},
        {"5 5 StrictEquals", "-", "true"},
        {"null undefined StrictEquals", "-", "false"},
        {"'a' 'b' Less2", "true"},
        {"'Z' 'a' Less2", "true"},
        {"'apple' 'apricot' Less2", "true"},
        {"'abc' 'abcd' Less2", "true"},
        {"'' 'a' Less2", "true"},
        {"'10' '9' Less2", "true"},
        {"10 '9' Less2", "false"},
        {"'b' 'a' Greater", "-", "true"},
        {"'a' 'z' Less2", "true"},
        {"'A' 'a' Less2", "true"},
        {"'hello' 'hi' Less2", "true"},
        {"5 6 Greater", "-", "false"},
        {"5 5 Greater", "-", "false"},
        {"-3 -6 Greater", "-", "true"},
        {"-6 -3 Greater", "-", "false"},
        {"'false' new:Boolean/1 Not", "false"},
        {"5 new:Number/1 1 Add2", "6"},
        {"'x' new:String/1 'x' Equals2", "true"},
        {"'x' new:String/1 TypeOf", "object"},
        {"0 Not", "true"},
        {"'' Not", "true"},
        {"null Not", "true"},
        {"undefined Not", "true"},
        {"'hello' Not", "true", nullptr, "false"},
        {"5 3 BitAnd", "1"},
        {"5 3 BitOr", "7"},
        {"5 3 BitXor", "6"},
        {"5 -1 BitXor", "-6"},
        {"1 3 BitLShift", "8"},
        {"-16 2 BitRShift", "-4"},
        {"-1 28 BitURShift", "15"},
        {"3.9 ToInteger", "3"},
        {"-3.9 ToInteger", "-3"},
    });
}

// Numbers as text, the special values, and the global number functions.
TEST(BookResults, Numbers) {
    checkRows({
        {"0.1 0.2 Add2", "0.3"},
        {"1 3 Divide", "0.333333333333333"},
        {"2 3 Divide", "0.666666666666667"},
        {"123456789012345", "123456789012345"},
        {"@Number .MAX_VALUE", "1.79769313486231e+308"},
        {"@Number .MIN_VALUE", "4.94065645841247e-324"},
        {"@Number .POSITIVE_INFINITY", "Infinity"},
        {"@Number .NEGATIVE_INFINITY", "-Infinity"},
        {"-1 @Math :sqrt/1", "NaN"},
        {"'hello' isNaN/1", "true"},
        {"'5' isNaN/1", "false"},
        {"undefined isNaN/1", "false", nullptr, "true"},
        {"'' parseInt/1", "NaN"},
        {"@Math :min/0", "Infinity"},
        {"@Math :max/0", "-Infinity"},
        {"0 '' :charCodeAt/1", "NaN"},
        {"1 0 Divide isFinite/1", "false"},
        {"'1234abc' parseInt/1", "1234"},
        {"'0x1F' parseInt/1", "31"},
        {"2 '11' parseInt/2", "3"},
        {"16 12 parseInt/2", "18"},
        {"'abc' parseInt/1", "NaN"},
        {"'3.9' parseInt/1", "3"},
        {"'017' parseInt/1", "15"},
        {"'1.5e3' parseFloat/1", "1500"},
        {"'3.14abc' parseFloat/1", "3.14"},
        {"'1.2e-2' parseFloat/1", "0.012"},
        {"'12e2' Number/1", "1200"},
        {"255 :toString/0", "255"},
        {"16 255 :toString/1", "ff"},
        {"16 -255 :toString/1", "-ff"},
        {"-0.5 @Math :round/1", "0"},
        {"2 255 :toString/1", "11111111"},
        {"10 16777215 :toString/1", "16777215"},
        {"2.5 @Math :round/1", "3"},
        {"-2.5 @Math :round/1", "-2"},
        {"-1.5 @Math :floor/1", "-2"},
        {"1.2 @Math :ceil/1", "2"},
        {"-7 @Math :abs/1", "7"},
        {"1 2 @Math :max/2", "2"},
    });
}

// The String methods with the arguments the books show, negative and swapped ones included.
TEST(BookResults, Strings) {
    const Assembler s = postfix("'hello' >s");
    checkRows(
        {
            {"@s .length", "5"},
            {"'' .length", "0"},
            {"1 @s :charAt/1", "e"},
            {"10 @s :charAt/1", ""},
            {"0 @s :charCodeAt/1", "104"},
            {"105 72 @String :fromCharCode/2", "Hi"},
            {"'l' @s :indexOf/1", "2"},
            {"'l' @s :lastIndexOf/1", "3"},
            {"'z' @s :indexOf/1", "-1"},
            {"3 'l' @s :indexOf/2", "3"},
            {"4 1 @s :substring/2", "ell"},
            {"1 4 @s :substring/2", "ell"},
            {"2 -3 @s :substring/2", "he"},
            {"3 1 @s :substr/2", "ell"},
            {"-3 @s :substr/1", "llo"},
            {"2 -3 @s :substr/2", "ll"},
            {"4 1 @s :slice/2", "ell"},
            {"-3 @s :slice/1", "llo"},
            {"-1 1 @s :slice/2", "ell"},
            {"1 4 @s :slice/2", ""},
            {"@s :toUpperCase/0", "HELLO"},
            {"'MiXeD' :toLowerCase/0", "mixed"},
            {"1 'a' @s :concat/2", "helloa1"},
            {"',' 'a,b,c' :split/1 .length", "3"},
            {"',' 'a,b,c' :split/1 .1", "b"},
            {"'a,b,c' :split/0 .length", "1"},
            {"'' 'abc' :split/1 .length", "3"},
            {"1.7 @s :charAt/1", "e"},
            {"undefined 3 2 1 Array/3 :join/1", "1,2,3"},
            {"@s 'o' Add2", "helloo"},
            {"2 ',' 'a,b,c' :split/2", "a,b"},
            {"'' @s :indexOf/1", "0"},
            {"2 'l' @s :lastIndexOf/2", "2"},
            {"9 @s :substr/1", ""},
            {"@s 'length' 10 SetMember @s .length", "5"},
            {"'hello world' escape/1", "hello%20world"},
            {"'&' escape/1", "%26"},
            {"'%41' unescape/1", "A"},
        },
        s);
}

// Arrays: construction, length, the mutators' results and the default sort order.
TEST(BookResults, Arrays) {
    Assembler a = postfix("3 2 1 Array/3 >a");
    a.function("bySize", {"x", "y"}, postfix("@x @y Subtract Return"));
    checkRows(
        {
            {"5 Array/1 .length", "5"},
            {"'5' Array/1 .length", "1"},
            {"@a .length", "3"},
            {"Array/0 .length", "0"},
            {"@a '9' 1 SetMember @a .length", "10"},
            {"@a 'length' 2 SetMember @a", "1,2"},
            {"4 @a :push/1", "4"},
            {"@a 'foo' 1 SetMember @a .length", "3"},
            {"@a '-1' 1 SetMember @a .length", "3"},
            {"@a '1' Delete Pop @a .length", "3"},
            {"@a 'length' 0 SetMember @a .length", "0"},
            {"1 @a :splice/1", "2,3"},
            {"1 @a :splice/1 Pop @a", "1"},
            {"@bySize 3 1 2 Array/3 :sort/1", "1,2,3"},
            {"@a :pop/0", "3"},
            {"0 @a :unshift/1", "4"},
            {"@a :shift/0", "1"},
            {"@a :join/0", "1,2,3"},
            {"'-' @a :join/1", "1-2-3"},
            {"3 undefined 1 Array/3 :join/0", "1,,3", nullptr, "1,undefined,3"},
            {"@a :reverse/0", "3,2,1"},
            {"'C' 'a' 'b' Array/3 :sort/0", "C,a,b"},
            {"100 9 10 Array/3 :sort/0", "10,100,9"},
            {"16 100 9 10 Array/3 :sort/1", "9,10,100"},
            {"3 1 @a :slice/2", "2,3"},
            {"-2 @a :slice/1", "2,3"},
            {"1 1 @a :splice/2", "2"},
            {"1 1 @a :splice/2 Pop @a", "1,3"},
            {"'x' 0 1 @a :splice/3 Pop @a", "1,x,2,3"},
            {"9 8 Array/2 7 Array/2 6 5 Array/2 4 @a :concat/3 .length", "8"},
            {"9 8 Array/2 7 Array/2 6 5 Array/2 4 @a :concat/3", "1,2,3,4,5,6,7,8,9"},
            {"2 1 Array/2 2 1 Array/2 Equals2", "false"},
            {"@a @a Equals2", "true"},
            {"1 'c' 'A' 'b' Array/3 :sort/1", "A,b,c"},
            {"18 2 3 1 Array/3 :sort/1", "3,2,1"},
            {"4 1 2 1 Array/3 :sort/1", "0"},
            {"8 'c' 'a' 'b' Array/3 :sort/1", "1,0,2"},
            {"Array/0 >e @e ' 6' 'x' SetMember @e .length", "7", nullptr, "0"},
            {"Array/0 >e @e '6xyz' 'x' SetMember @e .length", "7", nullptr, "0"},
            {"Array/0 >e @e '6' 'x' SetMember @e .length", "7"},
            {"'3' Array/1 2 1 Array/2 Array/2", "1,2,3"},
        },
        a);
}

// Names: case-insensitive before SWF 7, paths and built names read with GetVariable (eval),
// delete of members and variables, and `with` writing only the members its object has.
TEST(BookResults, VariablesPathsAndWith) {
    const Assembler vars = postfix("'o' 0 InitObject SetVariable @o 'x' 5 SetMember 7 >ball1");
    checkRows(
        {
            {"5 >myVar @MYVAR", "5", nullptr, "undefined"},
            {"@o .X", "5", nullptr, "undefined"},
            {"'abc' :TOUPPERCASE/0", "ABC", nullptr, "undefined"},
            {"new:array/0 .length", "0", nullptr, "undefined"},
            {"@MATH .PI 1 BitOr", "3", nullptr, "1"},
            {"@neverSet", "undefined"},
            {"undefined", "undefined"},
            {"'ball' 1 Add2 GetVariable", "7"},
            {"'o.x' GetVariable", "5"},
            {"@o 'x' Delete", "true"},
            {"@o 'x' Delete Pop @o .x", "undefined"},
            {"'ball' 2 Add2 8 SetVariable @ball2", "8"},
            {"'ball1' Delete2", "true"},
            {"'ball1' Delete2 Pop @ball1", "undefined"},
            {"@Math 'PI' Delete", "false"},
        },
        vars);

    Assembler body;  // with (o) { x = 10; y = 20; }
    body.setVar("x", integer(10)).setVar("y", integer(20));
    for (int v = 5; v <= 7; ++v) {
        Assembler as = vars;
        as.getVar("o").with(body);
        as.append(postfix("@o .x")).trace().append(postfix("@o .y")).trace();
        as.getVar("y").trace().getVar("x").trace();
        EXPECT_EQ(traced(v, as), "10|undefined|20|undefined") << "SWF " << v;
    }
}

// Functions: missing arguments, arguments, results, locals, and the timeline's variables.
TEST(BookResults, Functions) {
    Assembler defs;
    defs.function("second", {"a", "b"}, postfix("@b Return"));
    defs.function("count", {}, postfix("@arguments .length Return"));
    defs.function("nothing", {}, Assembler());
    Assembler local;  // var loc = 5; return x
    local.push({str("loc"), integer(5)}).op(Code::DefineLocal).append(postfix("@x Return"));
    defs.function("readX", {}, local);
    defs.function("self", {}, postfix("@arguments .callee @self Equals2 Return"));
    defs.function("caller", {}, postfix("@arguments .caller Return"));
    defs.function("callsCaller", {}, postfix("caller/0 Return"));
    defs.setVar("x", integer(3));
    checkRows(
        {
            {"1 second/1", "undefined"},
            {"2 1 second/2", "2"},
            {"3 2 1 count/3", "3"},
            {"count/0", "0"},
            {"nothing/0 TypeOf", "undefined"},
            {"@second TypeOf", "function"},
            {"readX/0", "3"},
            {"readX/0 Pop @loc TypeOf", "undefined"},
            {"self/0", "true"},
            {"callsCaller/0 @callsCaller Equals2", "-", "true"},
            {"caller/0", "-", "null"},
        },
        defs);
}

// Constructors, prototypes and inheritance through a prototype that is an instance.
TEST(BookResults, ObjectsAndInheritance) {
    Assembler defs;
    defs.function("Ball", {"r"}, postfix("@this 'radius' @r SetMember"));
    defs.function("Sub", {}, Assembler());
    defs.append(postfix("@Ball .prototype 'kind' 'round' SetMember"));
    defs.append(postfix("5 new:Ball/1 >b"));
    defs.append(postfix("@Sub 'prototype' 1 new:Ball/1 SetMember new:Sub/0 >s"));
    checkRows(
        {
            {"@b .radius", "5"},
            {"@b .kind", "round"},
            {"@b @Ball InstanceOf", "-", "true"},
            {"@b .constructor @Ball Equals2", "true"},
            {"@b .__proto__ @Ball .prototype Equals2", "true"},
            {"@Ball .prototype .constructor @Ball Equals2", "true"},
            {"@b :toString/0", "[object Object]"},
            {"@b", "[object Object]"},
            {"@s .radius", "1"},
            {"@s .kind", "round"},
            {"@s @Ball InstanceOf", "-", "true"},
            {"@s @Sub InstanceOf", "-", "true"},
            {"@s @Object InstanceOf", "-", "true"},
            {"@b @Sub InstanceOf", "-", "false"},
        },
        defs);
}

// _global holds names every timeline sees until a timeline variable of the same name hides
// them; assigning without a path writes the timeline, never _global.
TEST(BookResults, GlobalVariables) {
    const Assembler g = postfix("@_global 'g' 1 SetMember");
    checkRows(
        {
            {"@g", "-", "1"},
            {"2 >g @g", "-", "2"},
            {"2 >g @_global .g", "-", "1"},
            {"@_global .Math @Math Equals2", "-", "true"},
        },
        g);
}

// Function.call and apply choose `this`; addProperty makes a member read and written through
// functions; an object given a class's prototype as __proto__ is an instance of the class.
TEST(BookResults, FunctionsAsObjects) {
    Assembler defs;
    defs.function("who", {"a", "b"}, postfix("@this .name @a Add2 @b Add2 Return"));
    defs.function("Ball", {}, Assembler());
    defs.function("getP", {}, postfix("@this .stored 2 Multiply Return"));
    defs.function("setP", {"v"}, postfix("@this 'stored' @v SetMember"));
    defs.append(postfix("'o' 0 InitObject SetVariable @o 'name' 'O' SetMember"));
    defs.append(postfix("@setP @getP 'p' @o :addProperty/3 Pop"));
    checkRows(
        {
            {"2 1 @o @who :call/3", "-", "O12"},
            {"2 1 Array/2 @o @who :apply/2", "-", "O12"},
            {"@o 'p' 5 SetMember @o .p", "-", "10"},
            {"@o 'p' 5 SetMember @o .stored", "-", "5"},
            {"@o '__proto__' @Ball .prototype SetMember @o @Ball InstanceOf", "-", "true"},
        },
        defs);
}
