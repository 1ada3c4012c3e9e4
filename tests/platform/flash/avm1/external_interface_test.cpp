// ExternalInterface in both directions: the request text a call sends and how the answer is
// read back; callbacks answering the control's CallFunction, including the ways a request
// or a callback can go wrong.
#include <gtest/gtest.h>

#include "platform/flash/avm1/external_interface.h"
#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

class CallingHost : public TestHost {
  public:
    QString externalCall(const QString& request) override {
        requests << request;
        return answer;
    }
    QStringList requests;
    QString answer;
};

struct ExternalFixture {
    ExternalFixture() : machine(host, 8) {
        host.rootClip = machine.makeObject();
        machine.collectGarbage({host.rootClip});
    }
    QStringList run(const Assembler& code) {
        host.lines.clear();
        machine.runBlock(code.block(), host.rootClip, 8);
        return host.lines;
    }
    CallingHost host;
    Machine machine;
};

// ExternalInterface.<method>(args...) with the arguments already pushed last first.
Assembler callEi(const std::string& method, int argc) {
    Assembler as;
    as.push({integer(argc)}).getVar("ExternalInterface").push({str(method)});
    return as.op(Code::CallMethod);
}

}  // namespace

TEST(ExternalInterface, CallSendsTheRequestAndReadsTheAnswer) {
    ExternalFixture f;
    f.host.answer = QStringLiteral(
        "<array><property id=\"0\"><string>a&lt;b</string></property>"
        "<property id=\"1\"><true/></property><property id=\"2\"><number>-2.5</number>"
        "</property></array>");
    Assembler as;
    // r = ExternalInterface.call("f", 1.5, "x&y", null); trace(r[0]); trace(r[1]); trace(r[2])
    as.push({str("r"), null(), str("x&y"), num(1.5), str("f")}).append(callEi("call", 4));
    as.op(Code::SetVariable);
    for (int i = 0; i < 3; ++i) {
        as.getVar("r").push({integer(i)}).op(Code::GetMember).trace();
    }
    EXPECT_EQ(f.run(as), (QStringList{"a<b", "true", "-2.5"}));
    ASSERT_EQ(f.host.requests.size(), 1);
    EXPECT_EQ(f.host.requests[0],
              "<invoke name=\"f\" returntype=\"xml\"><arguments><number>1.5</number>"
              "<string>x&amp;y</string><null/></arguments></invoke>");
    // Without an answer the call gives null.
    f.host.answer.clear();
    EXPECT_EQ(f.run(Assembler().push({str("g")}).append(callEi("call", 1)).trace()),
              QStringList{"null"});
}

TEST(ExternalInterface, CallbacksAnswerCallFunction) {
    ExternalFixture f;
    Assembler as;
    // addCallback("sum", null, function (a, b) { return a + b; })
    as.function("", {"a", "b"},
                Assembler().getVar("a").getVar("b").op(Code::Add2).op(Code::Return));
    as.push({null(), str("sum")}).append(callEi("addCallback", 3)).trace();
    // addCallback("nest", null, function () { return {list: [1, "two"]}; })
    Assembler nest;
    nest.push({str("list"), str("two"), integer(1), integer(2)}).op(Code::InitArray);
    nest.push({integer(1)}).op(Code::InitObject).op(Code::Return);
    as.function("", {}, nest)
        .push({null(), str("nest")})
        .append(callEi("addCallback", 3))
        .op(Code::Pop);
    // addCallback("boom", null, function () { throw "no"; })
    as.function("", {}, Assembler().push({str("no")}).op(Code::Throw));
    as.push({null(), str("boom")}).append(callEi("addCallback", 3)).op(Code::Pop);
    // Not a function: refused.
    as.push({integer(3), null(), str("bad")}).append(callEi("addCallback", 3)).trace();
    EXPECT_EQ(f.run(as), (QStringList{"true", "false"}));

    auto answer = [&](const QString& request) { return answerExternalCall(f.machine, request, 8); };
    EXPECT_EQ(answer("<invoke name=\"sum\" returntype=\"xml\"><arguments><number>2</number>"
                     "<number>3</number></arguments></invoke>"),
              QStringLiteral("<number>5</number>"));
    EXPECT_EQ(answer("<invoke name=\"sum\" returntype=\"xml\"><arguments><string>a</string>"
                     "<string>&lt;</string></arguments></invoke>"),
              QStringLiteral("<string>a&lt;</string>"));
    EXPECT_EQ(answer("<invoke name=\"nest\" returntype=\"xml\"><arguments/></invoke>"),
              QStringLiteral("<object><property id=\"list\"><array><property id=\"0\">"
                             "<number>1</number></property><property id=\"1\"><string>two"
                             "</string></property></array></property></object>"));
    EXPECT_EQ(answer("<invoke name=\"boom\" returntype=\"xml\"><arguments/></invoke>"),
              QStringLiteral("<undefined/>"))
        << "a callback that throws answers, and the machine goes on";
    EXPECT_FALSE(answer("<invoke name=\"missing\" returntype=\"xml\"></invoke>"));
    EXPECT_FALSE(answer("<call name=\"sum\"/>"));
    EXPECT_FALSE(answer("not xml <<"));
    EXPECT_EQ(f.run(Assembler().push({str("still running")}).trace()),
              QStringList{"still running"});
}

TEST(ExternalInterface, ValuesThatCannotBeWrittenOut) {
    ExternalFixture f;
    // o = {}; o.self = o: written to a bounded depth, then null.
    Assembler as;
    as.push({str("o"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
    as.getVar("o").push({str("self")}).getVar("o").op(Code::SetMember);
    f.run(as);
    const Value o = f.machine.get(f.host.rootClip, QStringLiteral("o"));
    const QString xml = valueToXml(f.machine, o);
    EXPECT_TRUE(xml.startsWith(QLatin1String("<object><property id=\"self\"><object>")));
    EXPECT_TRUE(xml.contains(QLatin1String("<null/>")));
    EXPECT_LT(xml.size(), 4000);

    EXPECT_TRUE(xmlToValue(f.machine, QStringLiteral("<number>x</number>")).isNumber());
    EXPECT_TRUE(xmlToValue(f.machine, QStringLiteral("<mystery/>")).isUndefined());
    EXPECT_TRUE(xmlToValue(f.machine, QString()).isUndefined());
}
