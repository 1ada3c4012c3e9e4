// The language core against the original's quirks: comparisons of objects and of SWF 4
// values, and the other rules movies of each version rely on.
#include <gtest/gtest.h>

#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

QStringList runIn(int version, const Assembler& as) {
    Fixture f(version);
    return f.run(as);
}

}  // namespace

// SWF 4 movies see comparison results as 1 and 0, cannot see NaN or Infinity, and read
// objects as 0, so dividing by one is the "#ERROR#" of a division by zero.
TEST(Swf4, BooleansPrintAsDigitsAndGlobalsAreOutOfSight) {
    Assembler as;
    as.push({boolean(true)}).trace();
    as.push({integer(1), integer(2)}).op(Code::Less).trace();
    as.push({str("v"), integer(1), integer(2)}).op(Code::Equals).op(Code::SetVariable);
    as.getVar("v").op(Code::TypeOf).trace();
    as.push({integer(0)}).getVar("NaN").op(Code::Equals).trace();
    as.push({integer(3), integer(0)}).op(Code::InitObject).op(Code::Divide).trace();
    EXPECT_EQ(runIn(4, as), QStringList({"1", "1", "boolean", "1", "#ERROR#"}));
    // The same code in SWF 5 has booleans and NaN.
    EXPECT_EQ(runIn(5, as), QStringList({"true", "true", "boolean", "false", "NaN"}));
}

TEST(Operators, ObjectsAgainstPrimitivesConvertFirst) {
    struct Row {
        const char* what;
        Assembler code;
        const char* result;
    };
    auto bare = [] {
        // {__proto__: undefined}: no valueOf anywhere.
        Assembler a;
        a.push({str("o"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
        a.getVar("o").push({str("__proto__"), undef()}).op(Code::SetMember);
        return a;
    };
    std::vector<Row> rows;
    rows.push_back({"bare object == undefined",
                    bare().getVar("o").push({undef()}).op(Code::Equals2).trace(), "true"});
    rows.push_back({"bare object == null",
                    bare().getVar("o").push({null()}).op(Code::Equals2).trace(), "true"});
    {
        Assembler a;
        a.push({integer(0)}).op(Code::InitObject).push({undef()}).op(Code::Equals2).trace();
        rows.push_back({"{} == undefined", a, "false"});
    }
    {
        Assembler a;
        a.push({integer(0)}).op(Code::InitObject).push({integer(0)}).op(Code::Less2).trace();
        rows.push_back({"{} < 0 is false, not undefined", a, "false"});
    }
    {
        Assembler a;
        a.push({integer(1)}).getVar("NaN").op(Code::Less2).trace();
        rows.push_back({"1 < NaN", a, "undefined"});
    }
    {
        Assembler a;
        a.getVar("NaN").getVar("NaN").op(Code::Equals2).trace();
        rows.push_back({"NaN == NaN", a, "true"});
    }
    for (Row& r : rows) {
        EXPECT_EQ(runIn(7, r.code), QStringList({r.result})) << r.what;
    }
}
