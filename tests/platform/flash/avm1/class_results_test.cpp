// The core classes entry by entry, with the results their documentation and the books give:
// each row is a small expression and what a SWF 5, 6, 7 and 8 movie prints for it.
#include <gtest/gtest.h>

#include "postfix.h"
#include "test_host.h"
#include "version_rows.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;

namespace {

using Row = VersionRow;  // SWF 5 to 8

void checkRows(const std::vector<Row>& rows, const Assembler& prelude = {}) {
    checkVersionRows(5, 8, rows, prelude);
}

}  // namespace

// sort's flags alone and together, a compare function's answer read as a number (NaN as a
// tie), NUMERIC comparing only numbers as numbers, and what makes sort refuse to run.
TEST(ClassResults, ArraySort) {
    Assembler a = postfix("'Dante' 'Angelou' 'cummings' 'Blake' Array/4 >p 2 10 3 Array/3 >n");
    a.function("byNumber", {"x", "y"}, postfix("@x @y Subtract Return"));
    a.function("asText", {"x", "y"}, postfix("@x @y Greater '' Add2 Return"));
    a.function("asBool", {"x", "y"}, postfix("@x @y Greater Return"));
    checkRows(
        {
            {"@Array .CASEINSENSITIVE", "1"},
            {"@Array .DESCENDING", "2"},
            {"@Array .UNIQUESORT", "4"},
            {"@Array .RETURNINDEXEDARRAY", "8"},
            {"@Array .NUMERIC", "16"},
            {"@p :sort/0", "Angelou,Blake,Dante,cummings"},
            {"1 @p :sort/1", "Angelou,Blake,cummings,Dante"},
            {"2 @p :sort/1", "cummings,Dante,Blake,Angelou"},
            {"3 @p :sort/1", "Dante,cummings,Blake,Angelou"},
            {"8 @p :sort/1", "2,0,3,1"},
            {"8 @p :sort/1 Pop @p", "Blake,cummings,Angelou,Dante"},
            {"10 @p :sort/1", "1,3,0,2"},
            {"9 @p :sort/1", "2,0,1,3"},
            {"4 @p :sort/1", "Angelou,Blake,Dante,cummings"},
            {"@p :sort/0 @p Equals2", "true"},
            {"@n :sort/0", "10,2,3"},
            {"16 @n :sort/1", "2,3,10"},
            {"18 @n :sort/1", "10,3,2"},
            {"24 @n :sort/1", "2,0,1"},
            {"20 2 @n :push/1 Pop @n :sort/1", "0"},
            {"20 2 @n :push/1 Pop @n :sort/1 Pop @n", "3,10,2,2"},
            {"16 '1' '9' '10' Array/3 :sort/1", "1,10,9"},
            {"@byNumber @n :sort/1", "2,3,10"},
            {"2 @byNumber @n :sort/2", "10,3,2"},
            {"8 @byNumber @n :sort/2", "2,0,1"},
            {"@asText @n :sort/1", "3,10,2"},
            {"@asBool @n :sort/1", "2,3,10"},
            {"'x' @n :sort/1", "undefined"},
            {"undefined @n :sort/1", "undefined"},
            {"1 undefined 3 Array/3 :sort/0", ",1,3", nullptr, "1,3,undefined"},
            {"1 null 'b' Array/3 :sort/0", "1,b,null"},
        },
        a);
}

// sortOn by one field and by several, with one flag for all fields or an array of one flag per
// field; the indexed form leaves the array as it was.
TEST(ClassResults, ArraySortOn) {
    Assembler a;
    a.function("rec", {"n", "a", "b"}, postfix("'n' @n 'a' @a 'b' @b 3 InitObject Return"));
    a.append(postfix("'w' 1 'dee' rec/3 'x' 2 'cy' rec/3 'Y' 10 'bob' rec/3 'z' 1 'ann' rec/3"));
    a.append(postfix("Array/4 >r"));
    checkRows(
        {
            {"'a' @r :sortOn/1 Pop @r .2 .n @r .3 .n Add2", "bobcy"},
            {"8 'a' @r :sortOn/2", "0,3,1,2"},
            {"24 'a' @r :sortOn/2", "0,3,2,1"},
            {"26 'a' @r :sortOn/2", "1,2,0,3"},
            {"9 'b' @r :sortOn/2", "3,2,1,0"},
            {"8 'b' @r :sortOn/2", "1,3,2,0"},
            {"8 'b' 'a' Array/2 @r :sortOn/2", "3,0,1,2"},
            {"8 'a' 'b' Array/2 @r :sortOn/2", "1,3,2,0"},
            {"2 16 Array/2 'b' 'a' Array/2 @r :sortOn/2 Pop @r .0 .n @r .1 .n Add2", "anndee"},
            {"4 'a' @r :sortOn/2", "0"},
            {"4 'n' @r :sortOn/2 Pop @r .0 .n", "ann"},
        },
        a);
}

// What push, pop, shift, unshift, reverse, join, concat, slice and splice return and leave,
// with negative, missing and out-of-range arguments and nested or sparse arrays.
TEST(ClassResults, ArrayListMethods) {
    const Assembler a = postfix("3 2 1 Array/3 >a Array/0 >e");
    checkRows(
        {
            {"5 4 @a :push/2", "5"},
            {"@a :push/0", "3"},
            {"@e :pop/0", "undefined"},
            {"@e :shift/0", "undefined"},
            {"@e :unshift/0", "0"},
            {"5 4 @a :unshift/2 Pop @a", "4,5,1,2,3"},
            {"@a :reverse/0 @a Equals2", "true"},
            {"@e :reverse/0 .length", "0"},
            {"'-' 4 3 Array/2 @a Array/2 :join/1", "1,2,3-3,4"},
            {"4 3 Array/2 2 1 Array/2 Array/2 :toString/0", "1,2,3,4"},
            {"@e 'length' 3 SetMember @e :join/0", ",,", nullptr, "undefined,undefined,undefined"},
            {"@e :join/0", ""},
            {"null @a :join/1", "1null2null3"},
            {"5 @a :concat/1", "1,2,3,5"},
            {"@a :concat/0 @a Equals2", "false"},
            {"7 6 Array/2 Array/1 @a :concat/1 .length", "4"},
            {"-1 @a :slice/1", "3"},
            {"-1 -3 @a :slice/2", "1,2"},
            {"10 5 @a :slice/2", ""},
            {"@a :slice/0", "1,2,3"},
            {"-2 @a :splice/1", "2,3"},
            {"0 -1 @a :splice/2", ""},
            {"'x' 0 9 @a :splice/3 Pop @a", "1,2,3,x"},
            {"'x' 5 -9 @a :splice/3 Pop @a", "x"},
            {"'b' 'a' 1 1 @a :splice/4 Pop @a", "1,a,b,3"},
            {"'z' 'y' 'x' 2 1 5 4 @a :push/2 Pop @a :splice/5", "2,3"},
            {"'z' 'y' 'x' 2 1 5 4 @a :push/2 Pop @a :splice/5 Pop @a", "1,x,y,z,4,5"},
            {"@a :splice/0", "undefined"},
            {"@a :splice/0 Pop @a", "1,2,3"},
            {"@NaN @a :slice/1", "1,2,3"},
            {"0 @a :join/1", "10203"},
            {"0 InitObject @a :concat/1 .length", "4"},
            {"5 4 Array/2 @a :push/1 Pop @a .length", "4"},
            {"-1 Array/1 .length", "-1"},
            {"1.5 Array/1 .length", "1"},
            {"@a :toString/0 TypeOf", "string"},
            {"undefined @a :join/1", "1,2,3"},
            {"@a 'length' '2' SetMember @a", "1,2"},
        },
        a);
}

// Every String method with missing, negative, NaN and out-of-range arguments; split with empty,
// long and absent separators and a limit; case mapping past ASCII from SWF 6.
TEST(ClassResults, StringMethods) {
    const Assembler s = postfix("'Hello world' >s");
    checkRows(
        {
            {"-1 @s :charAt/1", ""},
            {"@s :charAt/0", "H"},
            {"@NaN @s :charAt/1", "H"},
            {"11 @s :charCodeAt/1", "NaN"},
            {"-1 @s :charCodeAt/1", "NaN"},
            {"@s :charCodeAt/0", "72"},
            {"33 100 108 114 111 119 32 111 108 108 101 72 @String :fromCharCode/12",
             "Hello world!"},
            {"@String :fromCharCode/0", ""},
            {"'66' 65.9 @String :fromCharCode/2", "AB"},
            {"@s :indexOf/0", "undefined"},
            {"-5 'H' @s :indexOf/2", "0"},
            {"99 'd' @s :indexOf/2", "-1"},
            {"'o w' @s :indexOf/1", "4"},
            {"'o' @s :lastIndexOf/1", "7"},
            {"5 'o' @s :lastIndexOf/2", "4"},
            {"-1 'o' @s :lastIndexOf/2", "-1"},
            {"@s :lastIndexOf/0", "undefined"},
            {"@s :substr/0", "undefined"},
            {"@NaN @s :substr/1", "Hello world"},
            {"-5 @s :substr/1", "world"},
            {"0 2 @s :substr/2", ""},
            {"99 -3 @s :substr/2", "rld"},
            {"@s :substring/0", "undefined"},
            {"@NaN 3 @s :substring/2", "Hel"},
            {"0 5 @s :substring/2", "Hello"},
            {"99 6 @s :substring/2", "world"},
            {"-2 3 @s :substring/2", "Hel"},
            {"@s :slice/0", "undefined"},
            {"-1 -5 @s :slice/2", "worl"},
            {"3 5 @s :slice/2", ""},
            {"99 6 @s :slice/2", "world"},
            {"' ' @s :split/1", "Hello,world"},
            {"'' @s :split/1 .length", "11"},
            {"3 '' @s :split/2", "H,e,l"},
            {"'lo w' @s :split/1", "Hel,orld"},
            {"'o' @s :split/1", "Hell, w,rld"},
            {"1 'o' @s :split/2", "Hell"},
            {"0 'o' @s :split/2 .length", "0"},
            {"'x' @s :split/1 .0", "Hello world"},
            {"undefined @s :split/1 .length", "1"},
            {"',' '' :split/1 .length", "1"},
            {"'' '' :split/1 .length", "0"},
            {"'a,b,,c' :split/1 .length", "1"},
            {"',' 'a,b,,c' :split/1 .length", "4"},
            {"@s :toUpperCase/0", "HELLO WORLD"},
            {"'ÉCOLE ÀÖ' :toLowerCase/0", "-", "école àö"},
            {"'straße ñ' :toUpperCase/0", "-", "STRAßE Ñ"},
            {"@s :toString/0", "Hello world"},
            {"@s :valueOf/0", "Hello world"},
            {"'!' 2 @s :concat/2", "Hello world2!"},
            {"@s :concat/0", "Hello world"},
            {"'x' new:String/1 :toString/0", "x"},
            {"'x' new:String/1 .length", "1"},
            {"5 String/1 .length", "1"},
            {"-1 'b' 'abc' :split/2 .length", "0"},
            {"'a' 'abc' :split/1", ",bc"},
            {"'abc' 'abc' :split/1 .length", "2"},
            {"'abcd' 'abc' :split/1", "abc"},
            {"10 '' 'abc' :indexOf/2", "-1"},
            {"1.9 'abc' :charCodeAt/1", "98"},
            {"169 @String :fromCharCode/1 :charCodeAt/0", "169"},
            {"'s' new:String/1 :valueOf/0 TypeOf", "string"},
            {"'s' .__proto__ @String .prototype Equals2", "true"},
            {"'s' .constructor @String Equals2", "true"},
            {"'s' @String InstanceOf", "-", "false"},
            {"@String .prototype 'zz' 7 SetMember 's' .zz", "7"},
            {"10 7 'Steven Sid Mumby' :slice/2", "Sid"},
            {"-6 -9 'Steven Sid Mumby' :slice/2", "Sid"},
            {"',' 'terry,doug,,,jon' :split/1 .length", "5"},
            {"',' 'terry,doug,,,jon' :split/1 .3", ""},
            {"',' 'terry,doug,,,jon' :split/1 .4", "jon"},
        },
        s);
}

// Number's radixes and constants, Math at the edges of its functions, Boolean objects.
TEST(ClassResults, NumberMathAndBoolean) {
    checkRows({
        {"16 255 new:Number/1 :toString/1", "ff"},
        {"8 8 :toString/1", "10"},
        {"36 35 :toString/1", "z"},
        {"2 -5 :toString/1", "-101"},
        {"1 10 :toString/1", "10"},
        {"37 10 :toString/1", "10"},
        {"16 @NaN :toString/1", "-(0000000"},
        {"2 @Infinity :toString/1", "Infinity"},
        {"@Number .MAX_VALUE 2 Multiply", "Infinity"},
        {"@Number .MIN_VALUE 2 Divide", "0"},
        {"@Number .NaN", "NaN"},
        {"@Number .NaN @Number .NaN Equals2", "true"},
        {"5 new:Number/1 :valueOf/0 TypeOf", "number"},
        {"new:Number/0", "0"},
        {"Number/0", "0"},
        {"'7' new:Number/1 1 Add2", "8"},
        {"1e21 :toString/0", "1e+21"},
        {"16 1.5 :toString/1", "1"},
        {"16 -1.5 :toString/1", "-1"},
        {"5 .__proto__ @Number .prototype Equals2", "true"},
        {"5 .constructor @Number Equals2", "true"},
        {"true .__proto__ @Boolean .prototype Equals2", "true"},
        {"0.5 @Math :round/1", "1"},
        {"-0.5000001 @Math :round/1", "-1"},
        {"'x' @Math :round/1", "NaN"},
        {"'10' 5 @Math :max/2 TypeOf", "number"},
        {"@Infinity 0 Subtract @Math :abs/1", "Infinity"},
        {"@NaN @Infinity @Math :max/2", "NaN"},
        {"@Number :toString/0", "[type Function]"},
        {"-1.5 @Math :round/1", "-1"},
        {"0.49 @Math :round/1", "0"},
        {"-0.5 @Math :floor/1", "-1"},
        {"-0.5 @Math :ceil/1", "0"},
        {"-1 -1 @Math :atan2/2", "-2.35619449019234"},
        {"-1 1 @Math :atan2/2", "2.35619449019234"},
        {"-1 0 @Math :atan2/2", "3.14159265358979"},
        {"0 -1 @Math :atan2/2", "-1.5707963267949"},
        {"1 0 @Math :atan2/2", "0"},
        {"0 0 @Math :pow/2", "1"},
        {"-1 0 @Math :pow/2", "Infinity"},
        {"0.5 -2 @Math :pow/2", "NaN"},
        {"0.5 2 @Math :pow/2", "1.4142135623731"},
        {"-1 @Infinity @Math :pow/2", "0"},
        {"3 -2 @Math :pow/2", "-8"},
        {"@NaN 1 @Math :max/2", "NaN"},
        {"2 '3' @Math :max/2", "3"},
        {"1 undefined @Math :min/2", "0", nullptr, "NaN"},
        {"null @Math :abs/1", "0", nullptr, "NaN"},
        {"'-2' @Math :abs/1", "2"},
        {"@Math .PI @Math :sin/1", "1.22464679914735e-16"},
        {"@Math .E @Math :log/1", "1"},
        {"2 @Math :sqrt/1", "1.4142135623731"},
        {"1 @Math :exp/1", "2.71828182845905"},
        {"@Math :random/0 1 Less2", "true"},
        {"@Math :random/0 0 Less2", "false"},
        {"true new:Boolean/1 :toString/0", "true"},
        {"new:Boolean/0 :valueOf/0", "false"},
        {"false new:Boolean/1 TypeOf", "object"},
        {"true new:Boolean/1 :valueOf/0 TypeOf", "boolean"},
        {"false new:Boolean/1 Not", "false"},
        {"1 new:Boolean/1", "true"},
        {"'' new:Boolean/1", "false"},
    });
}

// Object's methods and the members every object has: a watch callback gets the name, the old
// and the new value and the user data, and its answer is what is stored.
TEST(ClassResults, ObjectMethods) {
    Assembler o = postfix("0 InitObject >o @o 'x' 1 SetMember");
    o.function("w", {"p", "old", "v", "d"},
               postfix("@trail @p Add2 @old Add2 @v Add2 @d Add2 >trail @v 10 Multiply Return"));
    o.function("get", {}, postfix("@this .v 1 Add2 Return"));
    o.function("Ball", {}, {});
    o.function("set", {"x"}, postfix("@this 'v' @x SetMember"));
    o.function("w2", {"p", "old", "v"}, postfix("@v 2 Multiply Return"));
    o.function("get7", {}, postfix("7 Return"));
    o.function("none", {"p", "old", "v"}, {});
    o.function("same", {"p", "old", "v"}, postfix("@v Return"));
    o.append(postfix("'' >trail 0 InitObject >q"));
    checkRows(
        {
            {"@o :toString/0", "[object Object]"},
            {"@o :valueOf/0 @o Equals2", "true"},
            {"@o .__proto__ @Object .prototype Equals2", "true"},
            {"@o .constructor @Object Equals2", "true"},
            {"new:Object/0 .constructor @Object Equals2", "true"},
            {"@Object TypeOf", "function"},
            {"@Object", "[type Function]"},
            {"@Object :toString/0", "[type Function]"},
            {"'s' new:Object/1 :toUpperCase/0", "-", "S"},
            {"5 new:Object/1 1 Add2", "-", "6"},
            {"'x' @o :hasOwnProperty/1", "undefined", "true"},
            {"'toString' @o :hasOwnProperty/1", "undefined", "false"},
            {"'x' @o :isPropertyEnumerable/1", "undefined", "true"},
            {"@o @Object .prototype :isPrototypeOf/1", "undefined", "true"},
            {"Array/0 @Object .prototype :isPrototypeOf/1", "undefined", "true"},
            {"@Object .prototype @o :isPrototypeOf/1", "undefined", "false"},
            {"'U' @w 'y' @o :watch/3 Pop @o 'y' 5 SetMember @o .y", "50"},
            {"'U' @w 'y' @o :watch/3 Pop @o 'y' 5 SetMember @trail", "y55U"},
            {"'U' @w 'x' @o :watch/3 Pop @o 'x' 2 SetMember @trail", "x12U"},
            {"@w 'x' @o :watch/2 Pop 'x' @o :unwatch/1 Pop @o 'x' 3 SetMember @o .x", "3"},
            {"'x' @o :unwatch/1", "false"},
            {"null @get 'p' @o :addProperty/3", "true"},
            {"@o 'v' 41 SetMember null @get 'p' @o :addProperty/3 Pop @o .p", "42"},
            {"null @get 'p' @o :addProperty/3 Pop 'p' @o :hasOwnProperty/1", "undefined", "true"},
            {"'setter' @get 'p' @o :addProperty/3", "false"},
            {"@Ball 'ball' @Object :registerClass/2", "true"},
            {"@o 'x' Delete Pop @o .x", "undefined"},
            {"@o '__proto__' @Ball .prototype SetMember @o .constructor @Ball Equals2", "true"},
            {"@o .__PROTO__", "[object Object]", nullptr, "undefined"},
            {"@set @get 'p' @Object .prototype :addProperty/3 Pop @o 'v' 4 SetMember @o .p", "5"},
            {"@set @get 'p' @o :addProperty/3 Pop @o 'p' 9 SetMember @o .v", "9"},
            {"@w2 'p' @o :watch/2 Pop @set @get 'p' @o :addProperty/3 Pop @o 'p' 9 SetMember @o .v",
             "18"},
            {"@Ball 'ball' @Object :registerClass/2 Pop @Ball 'ball' @Object :registerClass/2",
             "true"},
            {"null 'ball' @Object :registerClass/2", "true"},
            {"@Ball @Object :registerClass/1", "false"},
            {"@q '__proto__' @o SetMember @q .x", "1"},
            {"@q '__proto__' @o SetMember @o @q :isPrototypeOf/1", "undefined", "false"},
            {"@q '__proto__' @o SetMember @q @o :isPrototypeOf/1", "undefined", "true"},
            {"@q '__proto__' @o SetMember 'x' @q :hasOwnProperty/1", "undefined", "false"},
            {"'toString' @Object .prototype :isPropertyEnumerable/1", "undefined", "false"},
            {"@Object .prototype .__proto__", "undefined"},
            {"@Object .prototype .constructor @Object Equals2", "true"},
            {"@Object .__proto__ @Function .prototype Equals2", "true"},
            {"null @get7 'x' @o :addProperty/3 Pop @o .x", "7"},
            {"@none 'x' @o :watch/2 Pop @o 'x' 5 SetMember @o .x", "undefined"},
            {"@same 'x' @o :watch/2 Pop @o 'x' Delete Pop @o 'x' 5 SetMember @o .x", "5"},
        },
        o);
}

// Object's services name properties as the movie's variables do: whatever their case before
// SWF 7, exactly from it. A watch set under one case hears an assignment under another, unwatch
// takes it off, and a second watch replaces the first.
TEST(ClassResults, ObjectServicesMatchNamesAsTheVersionDoes) {
    Assembler o = postfix("0 InitObject >o @o 'x' 1 SetMember");
    o.function("tenfold", {"p", "old", "v"}, postfix("@v 10 Multiply Return"));
    o.function("double", {"p", "old", "v"}, postfix("@v 2 Multiply Return"));
    o.function("get7", {}, postfix("7 Return"));
    checkRows(
        {
            {"@tenfold 'Y' @o :watch/2 Pop @o 'y' 5 SetMember @o .y", "50", nullptr, "5"},
            {"@tenfold 'X' @o :watch/2 Pop @o 'x' 5 SetMember @o .x", "50", nullptr, "5"},
            {"@tenfold 'y' @o :watch/2 Pop 'Y' @o :unwatch/1", "true", nullptr, "false"},
            {"@tenfold 'y' @o :watch/2 Pop 'Y' @o :unwatch/1 Pop @o 'y' 5 SetMember @o .y", "5",
             nullptr, "50"},
            {"@tenfold 'x' @o :watch/2 Pop @double 'X' @o :watch/2 Pop @o 'x' 5 SetMember @o .x",
             "10", nullptr, "50"},
            {"@tenfold 'x' @o :watch/2 Pop @double 'X' @o :watch/2 Pop 'x' @o :unwatch/1 Pop @o "
             "'X' 5 SetMember @o .X",
             "5", nullptr, "10"},
            {"'X' @o :hasOwnProperty/1", "undefined", "true", "false"},
            {"'X' @o :isPropertyEnumerable/1", "undefined", "true", "false"},
            {"null @get7 'X' @o :addProperty/3 Pop @o .x", "7", nullptr, "1"},
        },
        o);
}

// Functions as objects, call and apply with odd this and arguments, the arguments array, and
// Error's message, name and toString, inherited by a class built on it.
TEST(ClassResults, FunctionsArgumentsAndErrors) {
    Assembler f;
    f.function("args", {}, postfix("@arguments Return"));
    f.function("me", {}, postfix("@this Return"));
    f.function("outer", {}, postfix("@arguments args/1 Return"));
    f.function("spread", {}, postfix("@arguments @this @args :apply/2 Return"));
    f.function("MyError", {}, {});
    checkRows(
        {
            {"@args .prototype TypeOf", "object"},
            {"@args .prototype .constructor @args Equals2", "true"},
            {"@args", "[type Function]"},
            {"@args @Function InstanceOf", "-", "true"},
            {"3 2 1 args/3 @Array InstanceOf", "-", "true"},
            {"3 2 1 args/3 :join/0", "1,2,3"},
            {"1 args/1 .5", "undefined"},
            {"2 1 args/2 .callee @args Equals2", "true"},
            {"'s' @me :call/1 TypeOf", "-", "object"},
            {"'s' @me :call/1 :toUpperCase/0", "-", "S"},
            {"5 @me :call/1 1 Add2", "-", "6"},
            {"null @me :call/1 @_global Equals2", "-", "true"},
            {"2 1 Array/2 @o @args :apply/2", "-", "1,2"},
            {"'ab' @o @args :apply/2 .length", "-", "0"},
            {"0 InitObject @o @args :apply/2 .length", "-", "0"},
            {"new:Error/0 .message", "-", "-", "Error"},
            {"new:Error/0 .name", "-", "-", "Error"},
            {"new:Error/0 :toString/0", "-", "-", "Error"},
            {"new:Error/0", "-", "-", "Error"},
            {"'boom' new:Error/1 :toString/0", "-", "-", "boom"},
            {"'boom' new:Error/1 .message", "-", "-", "boom"},
            {"undefined new:Error/1 .message", "-", "-", "Error"},
            {"'boom' new:Error/1 @Error InstanceOf", "-", "-", "true"},
            {"'m' new:Error/1 .name", "Error"},
            {"@Error .prototype .message", "Error"},
            {"3 2 outer/2 .length", "1"},
            {"3 2 outer/2 .0 .1", "3"},
            {"@Function .prototype .apply TypeOf", "function"},
            {"args/0 .caller", "null"},
            {"3 2 spread/2 :join/0", "2,3"},
            {"'e' new:Error/1 >e @e 'message' 5 SetMember @e :toString/0", "5"},
            {"@MyError 'prototype' new:Error/0 SetMember new:MyError/0 .name", "Error"},
            {"@MyError 'prototype' new:Error/0 SetMember new:MyError/0 :toString/0", "Error"},
            {"@MyError 'prototype' new:Error/0 SetMember @MyError .prototype 'name' 'Mine' "
             "SetMember "
             "new:MyError/0 .name",
             "Mine"},
        },
        f);
}

// ASSetPropFlags(object, names, set, clear): 1 hides from for..in and isPropertyEnumerable, 2
// keeps from delete, 4 keeps from writes; what is cleared is given back.
TEST(ClassResults, AsSetPropFlags) {
    const Assembler o = postfix("0 InitObject >o @o 'a' 1 SetMember @o 'b' 2 SetMember");
    checkRows(
        {
            {"1 null @o ASSetPropFlags/3", "undefined"},
            {"1 'a' @o ASSetPropFlags/3 Pop 'a' @o :isPropertyEnumerable/1", "undefined", "false"},
            {"1 'a' @o ASSetPropFlags/3 Pop 'a' @o :hasOwnProperty/1", "undefined", "true"},
            {"1 'a' @o ASSetPropFlags/3 Pop @o .a", "1"},
            {"4 'a' @o ASSetPropFlags/3 Pop @o 'a' 2 SetMember @o .a", "1"},
            {"4 'a' @o ASSetPropFlags/3 Pop @o 'b' 3 SetMember @o .b", "3"},
            {"2 'a' @o ASSetPropFlags/3 Pop @o 'a' Delete", "false"},
            {"2 'a' @o ASSetPropFlags/3 Pop @o 'b' Delete", "true"},
            {"0 7 'a' @o ASSetPropFlags/4 Pop @o 'a' Delete", "false"},
            {"7 0 'a' @o ASSetPropFlags/4 Pop 2 0 'a' @o ASSetPropFlags/4 Pop @o 'a' Delete",
             "true"},
            {"4 null @o ASSetPropFlags/3 Pop @o 'b' 5 SetMember @o .b", "2"},
            {"4 'b' 'a' Array/2 @o ASSetPropFlags/3 Pop @o 'b' 5 SetMember @o .b", "2"},
            {"4 'a,b' @o ASSetPropFlags/3 Pop @o 'b' 5 SetMember @o .b", "2"},
            {"@Math 'PI' 3 SetMember @Math .PI", "3.14159265358979"},
            {"@Math 'PI' Delete", "false"},
        },
        o);
}
