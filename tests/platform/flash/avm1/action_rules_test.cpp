// The SWF 4 and 5 actions that work on one or two values: string extraction and character
// codes, the number conversions, arithmetic on odd operands per version, typeof, random(n),
// and the frame-loading, quality and fscommand2 actions that reach the host.
#include <gtest/gtest.h>

#include <cmath>

#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

const double kNaN = std::nan("");
const double kInf = INFINITY;

// Traces `code` applied to the operands, pushed in order.
QString apply(int version, Code code, std::initializer_list<Operand> operands) {
    Fixture f(version);
    Assembler as;
    as.push(operands).op(code).trace();
    return f.run(as).join('|');
}

// A UTF-8 literal as the movie's strings carry it.
Operand utf8(const char* s) {
    return str(s);
}

}  // namespace

// substring(s, index, count) counts from 1; an index before the start reads from the start,
// a count past the end or below zero takes the rest, and an index past the end gives nothing.
// The multibyte form works the same on UTF-16 units (SWF 6 strings are Unicode).
TEST(ActionRules, StringExtractClampsItsIndexAndCount) {
    struct Row {
        Operand index, count;
        const char* expected;
    };
    const Row rows[] = {
        {num(1), num(2), "He"},    {num(2), num(3), "ell"},    {num(0), num(2), "He"},
        {num(-3), num(2), "He"},   {num(4), num(10), "lo"},    {num(5), num(1), "o"},
        {num(6), num(1), ""},      {num(2), num(-1), "ello"},  {num(2), num(0), ""},
        {num(2.9), num(1.9), "e"}, {str("3"), str("2"), "ll"}, {num(1), num(kInf), "Hello"},
    };
    for (Code code : {Code::StringExtract, Code::MBStringExtract}) {
        for (const Row& r : rows) {
            EXPECT_EQ(apply(6, code, {str("Hello"), r.index, r.count}), r.expected)
                << r.index.number << "," << r.count.number;
        }
    }
    EXPECT_EQ(apply(6, Code::StringExtract, {str(""), num(1), num(3)}), "");
    // A character outside the BMP is two units: the extraction may cut it.
    EXPECT_EQ(apply(6, Code::MBStringExtract,
                    {utf8("a\xF0\x9F\x98\x8B"
                          "b"),
                     num(2), num(2)}),
              QString::fromUtf8("\xF0\x9F\x98\x8B"));
    EXPECT_EQ(apply(6, Code::MBStringLength,
                    {utf8("a\xF0\x9F\x98\x8B"
                          "b")}),
              "4");
    EXPECT_EQ(apply(6, Code::MBStringLength, {utf8("\xE4\xB8\xAD\xE6\x96\x87")}), "2");
    EXPECT_EQ(apply(6, Code::StringLength, {num(-1.5)}), "4");
}

TEST(ActionRules, CharacterCodesBothWays) {
    EXPECT_EQ(apply(6, Code::CharToAscii, {str("A")}), "65");
    EXPECT_EQ(apply(6, Code::CharToAscii, {str("")}), "0");
    EXPECT_EQ(apply(6, Code::MBCharToAscii, {utf8("\xE4\xB8\xAD")}), "20013");
    EXPECT_EQ(apply(6, Code::AsciiToChar, {num(65.7)}), "A");
    EXPECT_EQ(apply(6, Code::AsciiToChar, {num(0)}), "");
    EXPECT_EQ(apply(6, Code::AsciiToChar, {str("66")}), "B");
    EXPECT_EQ(apply(6, Code::MBAsciiToChar, {num(20013)}), QString::fromUtf8("\xE4\xB8\xAD"));
    EXPECT_EQ(apply(6, Code::MBAsciiToChar, {num(65536 + 65)}), "A") << "codes are 16 bits";
}

// int() truncates toward zero in 32 bits, wrapping what lies outside; what is no number is 0.
TEST(ActionRules, ToIntegerTruncatesTowardZero) {
    struct Row {
        Operand in;
        const char* out;
    };
    const Row rows[] = {{num(2.7), "2"},
                        {num(-2.7), "-2"},
                        {num(-0.5), "0"},
                        {str("3.9"), "3"},
                        {num(kNaN), "0"},
                        {str("abc"), "0"},
                        {undef(), "0"},
                        {boolean(true), "1"},
                        {num(1e10 + 0.5), "1410065408"},
                        {num(2147483648.0), "-2147483648"},
                        {num(-2147483649.9), "2147483647"},
                        {num(kInf), "0"}};
    for (int version : {4, 5, 7}) {
        for (const Row& r : rows) {
            EXPECT_EQ(apply(version, Code::ToInteger, {r.in}), r.out)
                << "SWF " << version << " " << r.in.text << r.in.number;
        }
    }
}

// Modulo keeps the sign of the dividend; conversions of undefined and text follow the version:
// undefined is 0 before SWF 7 and NaN from 7, text that is no number is 0 in SWF 4 only.
TEST(ActionRules, ArithmeticOnOddOperandsPerVersion) {
    EXPECT_EQ(apply(5, Code::Modulo, {num(-5), num(3)}), "-2");
    EXPECT_EQ(apply(5, Code::Modulo, {num(5), num(-3)}), "2");
    EXPECT_EQ(apply(5, Code::Modulo, {num(5.5), num(2)}), "1.5");
    EXPECT_EQ(apply(5, Code::Modulo, {num(5), num(0)}), "NaN");
    EXPECT_EQ(apply(5, Code::Modulo, {num(kInf), num(3)}), "NaN");
    EXPECT_EQ(apply(5, Code::Modulo, {num(3), num(kInf)}), "3");
    EXPECT_EQ(apply(5, Code::Modulo, {str("7"), str("4")}), "3");
    {
        Fixture f(5);  // -0 % 5 is -0
        Assembler as;
        as.push({num(1), num(-0.0), num(5)}).op(Code::Modulo).op(Code::Divide).trace();
        EXPECT_EQ(f.run(as).join('|'), "-Infinity");
    }
    struct Row {
        Code code;
        Operand in;
        const char* swf4;
        const char* swf6;
        const char* swf7;
    };
    const Row rows[] = {
        {Code::Increment, str("a"), "1", "NaN", "NaN"},
        {Code::Increment, str("5"), "6", "6", "6"},
        {Code::Increment, undef(), "1", "1", "NaN"},
        {Code::Decrement, null(), "-1", "-1", "NaN"},
        {Code::Decrement, boolean(true), "0", "0", "0"},
        {Code::ToNumber, str(""), "0", "NaN", "NaN"},
        {Code::ToNumber, undef(), "0", "0", "NaN"},
        {Code::ToNumber, str("12"), "12", "12", "12"},
        {Code::ToString, undef(), "", "", "undefined"},
        {Code::ToString, boolean(true), "1", "true", "true"},
        {Code::ToString, null(), "null", "null", "null"},
        {Code::ToString, num(0.1 + 0.2), "0.3", "0.3", "0.3"},
        {Code::ToString, num(-0.0), "0", "0", "0"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(apply(4, r.code, {r.in}), r.swf4) << int(r.code) << " SWF 4";
        EXPECT_EQ(apply(6, r.code, {r.in}), r.swf6) << int(r.code) << " SWF 6";
        EXPECT_EQ(apply(7, r.code, {r.in}), r.swf7) << int(r.code) << " SWF 7";
    }
    {
        Fixture f(5);  // 3 % undefined: 0 as a divisor in SWF 5
        EXPECT_EQ(f.run(Assembler().push({num(3), undef()}).op(Code::Modulo).trace()).join('|'),
                  "NaN");
    }
}

// typeof names primitives by type and boxed primitives "object", whatever they box.
TEST(ActionRules, TypeOfTellsBoxesFromPrimitives) {
    Fixture f(7);
    Assembler as;
    for (const auto& [cls, value] : {std::pair{"String", str("a")}, std::pair{"Number", num(1)},
                                     std::pair{"Boolean", boolean(false)}}) {
        as.push({value, integer(1), str(cls)}).op(Code::NewObject).op(Code::TypeOf).trace();
        as.push({value, integer(1), str(cls)}).op(Code::CallFunction).op(Code::TypeOf).trace();
    }
    as.push({str("o"), null()}).op(Code::TypeOf).trace();
    as.push({undef()}).op(Code::TypeOf).trace();
    as.push({str("Math")}).op(Code::GetVariable).op(Code::TypeOf).trace();
    as.push({str("String")}).op(Code::GetVariable).op(Code::TypeOf).trace();
    as.function("", {}, Assembler()).op(Code::TypeOf).trace();
    EXPECT_EQ(f.run(as).join(' '),
              "object string object number object boolean null undefined object function "
              "function");
}

// random(n) draws whole numbers from 0 to n - 1 and spreads them over that range; n below 1
// leaves no choice. The generator is seeded from the host's clock, so two runs at different
// times draw different numbers, and Math.random shares it.
TEST(ActionRules, RandomNumberDrawsBelowItsLimitFromASeededGenerator) {
    auto draws = [](double wall, Operand limit, int count) {
        Fixture f(5);
        f.host.wall = wall;
        Assembler as;
        for (int i = 0; i < count; ++i) {
            as.push({limit}).op(Code::RandomNumber).trace();
        }
        return f.run(as);
    };
    const QStringList many = draws(1000, num(6.9), 600);
    int seen[6] = {};
    for (const QString& s : many) {
        const int n = s.toInt();
        ASSERT_TRUE(n >= 0 && n < 6) << s.toStdString();
        ++seen[n];
    }
    for (int n : seen) {
        EXPECT_GT(n, 60);
    }
    for (Operand none : {num(0), num(0.5), num(-5), num(kNaN), str("x")}) {
        EXPECT_EQ(draws(1000, none, 3), QStringList({"0", "0", "0"}));
    }
    EXPECT_EQ(draws(1000, num(1e6), 5), draws(1000, num(1e6), 5));
    EXPECT_NE(draws(1000, num(1e6), 5), draws(2000, num(1e6), 5));

    Fixture f(7);
    Machine& m = f.machine;
    const Value math = m.get(m.global(), "Math");
    for (int i = 0; i < 50; ++i) {
        const double r = m.toNumber(m.callValue(m.getMember(math, "random"), math, {}, 7).value);
        ASSERT_TRUE(r >= 0 && r < 1) << r;
    }
}

// WaitForFrame skips its count of actions while the frame has not arrived.
TEST(ActionRules, WaitForFrameSkipsActionsUntilTheFrameLoads) {
    struct FrameHost : TestHost {
        bool frameLoaded(Object*, int frame) override { return frame < 3; }
        void toggleQuality() override { ++toggles; }
        int toggles = 0;
    };
    FrameHost host;
    Machine machine(host, 4);
    host.rootClip = machine.makeObject();
    Assembler as;
    as.record(Code::WaitForFrame, {2, 0, 2}).push({str("a")}).trace().push({str("b")}).trace();
    as.record(Code::WaitForFrame, {3, 0, 2}).push({str("c")}).trace().push({str("d")}).trace();
    as.record(Code::WaitForFrame, {9, 0, 2}).push({str("e")}).trace().push({str("f")}).trace();
    as.op(Code::ToggleQuality).op(Code::ToggleQuality);
    machine.runBlock(as.block(), host.rootClip, 4);
    EXPECT_EQ(host.lines, QStringList({"a", "b", "d", "f"}));
    EXPECT_EQ(host.toggles, 2);
}

// fscommand2(command, args...) reaches the host as an fscommand with its arguments joined by
// commas, and answers -1: none of the device commands is supported.
TEST(ActionRules, FsCommand2RaisesACommandAndAnswersUnsupported) {
    Fixture f(7);
    Assembler as;
    as.push({str("b"), integer(2), str("SetSoftKeys"), integer(3)}).op(Code::FSCommand2).trace();
    as.push({str("Quit"), integer(1)}).op(Code::FSCommand2).trace();
    as.push({str("end")}).trace();
    EXPECT_EQ(f.run(as), QStringList({"-1", "-1", "end"}));
    EXPECT_EQ(f.host.urls, QStringList({"FSCommand:SetSoftKeys|2,b", "FSCommand:Quit|"}));
}

// A movie's own strings are UTF-8 from SWF 6 on; before that they are in the author's code
// page, the Chinese one of the course movies, with Latin-1 for bytes that are no text in it.
TEST(ActionRules, MovieStringsBeforeSwf6ReadInTheChineseCodePage) {
    auto traced = [](int version, const char* bytes) {
        Fixture f(version);
        Assembler as;
        as.push({str(bytes)}).trace();
        return f.run(as).join('|');
    };
    const QString nihao = QString::fromUtf8("\xE4\xBD\xA0\xE5\xA5\xBD");
    EXPECT_EQ(traced(5, "\xC4\xE3\xBA\xC3"), nihao);
    EXPECT_EQ(traced(4, "\xC4\xE3\xBA\xC3"), nihao);
    EXPECT_EQ(traced(6, "\xE4\xBD\xA0\xE5\xA5\xBD"), nihao);
    EXPECT_EQ(traced(5, "caf\xE9"), QString::fromLatin1("caf\xE9"));
    EXPECT_EQ(traced(5, "plain"), "plain");
}
