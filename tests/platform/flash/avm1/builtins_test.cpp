// Built-in classes, called through the machine as natives would be.
#include <gtest/gtest.h>

#include "platform/flash/avm1/array_object.h"
#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;

namespace {

struct Builtins : ::testing::Test {
    Fixture f;
    Machine& m = f.machine;

    Value global(const char* name) { return m.get(m.global(), QString::fromLatin1(name)); }
    Value callOn(const Value& target, const char* method, std::vector<Value> args = {}) {
        Value result;
        RunResult r = m.callValue(m.getMember(target, QString::fromLatin1(method)), target,
                                  std::move(args), 8);
        EXPECT_TRUE(r.ok());
        return r.value;
    }
    Value array(std::vector<Value> v) { return Value(m.makeArray(std::move(v))); }
    QString text(const Value& v) { return m.toString(v); }
};

}  // namespace

TEST_F(Builtins, ArraySortFlags) {
    Value a = array({Value("b"), Value("C"), Value("a"), Value(10), Value(9)});
    callOn(a, "sort");
    EXPECT_EQ(text(a), "10,9,C,a,b");  // by text, case-sensitive
    callOn(a, "sort", {Value(1)});     // CASEINSENSITIVE
    EXPECT_EQ(text(a), "10,9,a,b,C");
    Value n = array({Value(10), Value(9), Value(100)});
    callOn(n, "sort", {Value(16 | 2)});  // NUMERIC | DESCENDING
    EXPECT_EQ(text(n), "100,10,9");
    Value idx = callOn(n, "sort", {Value(16 | 8)});  // RETURNINDEXEDARRAY leaves n alone
    EXPECT_EQ(text(idx), "2,1,0");
    EXPECT_EQ(text(n), "100,10,9");
    Value dup = array({Value(1), Value(1)});
    EXPECT_EQ(text(callOn(dup, "sort", {Value(4)})), "0");  // UNIQUESORT with a tie fails
    EXPECT_TRUE(callOn(array({Value(1)}), "sort", {Value(true)}).isUndefined());
    EXPECT_EQ(text(callOn(n, "sort", {Value(2), Value(16)})), "9,10,100");  // flags: 2nd arg
    EXPECT_EQ(text(callOn(n, "sort", {Value(18), Value()})), "100,10,9");   // 1st if 2nd undef
}

TEST_F(Builtins, ArrayListMethods) {
    Value a = array({Value(1), Value(2), Value(3), Value(4), Value(5)});
    EXPECT_EQ(text(callOn(a, "splice", {Value(1), Value(2), Value("x")})), "2,3");
    EXPECT_EQ(text(a), "1,x,4,5");
    EXPECT_EQ(text(callOn(a, "slice", {Value(-2)})), "4,5");
    EXPECT_EQ(text(callOn(a, "concat", {array({Value(6)}), Value(7)})), "1,x,4,5,6,7");
    EXPECT_EQ(text(callOn(a, "join", {Value("-")})), "1-x-4-5");
    EXPECT_EQ(m.toNumber(callOn(a, "unshift", {Value(0)})), 5);
    EXPECT_EQ(text(callOn(a, "shift")), "0");
    EXPECT_EQ(text(callOn(a, "reverse")), "5,4,x,1");
    // A huge length is recorded, not allocated; it reads back as a 32-bit integer.
    size_t before = m.heap().bytes();
    m.set(a.object(), "length", Value(2e9));
    EXPECT_EQ(m.toNumber(m.get(a.object(), "length")), 2e9);
    EXPECT_LT(m.heap().bytes() - before, size_t(1) << 20);
    m.set(a.object(), "length", Value(2));
    EXPECT_EQ(text(a), "5,4");
}

TEST_F(Builtins, SortOnFields) {
    auto rec = [&](const char* name, int age) {
        Object* o = m.makeObject();
        o->put("name", Value(name));
        o->put("age", Value(age));
        return Value(o);
    };
    Value a = array({rec("b", 30), rec("a", 40), rec("c", 20)});
    callOn(a, "sortOn", {Value("age"), Value(16)});
    auto names = [&] {
        QStringList out;
        for (const Value& v : static_cast<ArrayObject*>(a.object())->values(m)) {
            out << text(m.getMember(v, "name"));
        }
        return out.join(',');
    };
    EXPECT_EQ(names(), "c,b,a");
    callOn(a, "sortOn", {Value("name")});
    EXPECT_EQ(names(), "a,b,c");
}

TEST_F(Builtins, StringMethodsCountUtf16Units) {
    Value s("汉字abc");
    EXPECT_EQ(m.toNumber(m.getMember(s, "length")), 5);
    EXPECT_EQ(text(callOn(s, "charAt", {Value(1)})), "字");
    EXPECT_EQ(m.toNumber(callOn(s, "charCodeAt", {Value(0)})), 0x6C49);
    EXPECT_EQ(text(callOn(s, "substr", {Value(-3), Value(2)})), "ab");
    EXPECT_EQ(text(callOn(s, "substring", {Value(4), Value(2)})), "ab");
    EXPECT_EQ(text(callOn(s, "slice", {Value(2), Value(-1)})), "ab");
    EXPECT_EQ(m.toNumber(callOn(s, "indexOf", {Value("b")})), 3);
    EXPECT_EQ(text(callOn(Value("a,b,,c"), "split", {Value(",")})), "a,b,,c");
    EXPECT_EQ(m.toNumber(m.getMember(callOn(Value("a,b,,c"), "split", {Value(",")}), "length")), 4);
    EXPECT_EQ(text(callOn(Value("MiXed"), "toUpperCase")), "MIXED");
    Value fromCharCode = m.getMember(global("String"), "fromCharCode");
    EXPECT_EQ(text(m.callValue(fromCharCode, Value(), {Value(72), Value(105)}, 8).value), "Hi");
}

TEST_F(Builtins, FunctionCallAndApplySetThis) {
    Value join = m.getMember(Value(m.protos().array), "join");
    Value a = array({Value(1), Value(2)});
    EXPECT_EQ(text(callOn(join, "call", {a, Value("+")})), "1+2");
    EXPECT_EQ(text(callOn(join, "apply", {a, array({Value("*")})})), "1*2");
}

TEST_F(Builtins, NumbersMathAndGlobals) {
    EXPECT_EQ(text(callOn(Value(255), "toString", {Value(16)})), "ff");
    Value math = global("Math");
    EXPECT_EQ(m.toNumber(callOn(math, "round", {Value(-2.5)})), -2);
    EXPECT_EQ(m.toNumber(callOn(math, "max", {Value(1), Value(5)})), 5);
    EXPECT_TRUE(std::isnan(m.toNumber(callOn(math, "min", {Value(1)}))));
    auto g = [&](const char* name, std::vector<Value> args) {
        return m.callValue(global(name), Value(), std::move(args), 8).value;
    };
    EXPECT_EQ(text(g("escape", {Value("a b/ü")})), "a%20b%2F%C3%BC");
    EXPECT_EQ(text(g("unescape", {Value("a%20b%2F%C3%BC")})), "a b/ü");
    EXPECT_EQ(m.toNumber(g("parseInt", {Value("ff"), Value(16)})), 255);
    EXPECT_TRUE(g("isNaN", {Value("x")}).boolean());
}

TEST_F(Builtins, AddPropertyWatchAndResolve) {
    Object* o = m.makeObject();
    Value ov(o);
    // getter returns 42; the setter records what it was given in `seen`.
    f.run(Assembler()
              .function("get", {}, Assembler().push({integer(42)}).op(Assembler::Code::Return))
              .function(
                  "set", {"v"},
                  Assembler().push({str("seen")}).getVar("v").op(Assembler::Code::SetVariable)));
    Value getter = m.get(f.host.rootClip, "get");
    Value setter = m.get(f.host.rootClip, "set");
    EXPECT_TRUE(callOn(ov, "addProperty", {Value("p"), getter, setter}).boolean());
    EXPECT_FALSE(callOn(ov, "addProperty", {Value("q"), getter}).boolean());
    EXPECT_EQ(m.toNumber(m.get(o, "p")), 42);
    m.set(o, "p", Value(7));
    EXPECT_EQ(m.toNumber(m.get(f.host.rootClip, "seen")), 7);

    // watch: the callback's result is what gets stored.
    f.run(Assembler().function(
        "w", {"name", "old", "nv"},
        Assembler().getVar("nv").op(Assembler::Code::Increment).op(Assembler::Code::Return)));
    EXPECT_TRUE(callOn(ov, "watch", {Value("x"), m.get(f.host.rootClip, "w")}).boolean());
    m.set(o, "x", Value(1));
    EXPECT_EQ(m.toNumber(m.get(o, "x")), 2);
    callOn(ov, "unwatch", {Value("x")});
    m.set(o, "x", Value(1));
    EXPECT_EQ(m.toNumber(m.get(o, "x")), 1);

    // __resolve answers names that are missing everywhere.
    f.run(Assembler().function("r", {"n"},
                               Assembler()
                                   .push({str("resolved:")})
                                   .getVar("n")
                                   .op(Assembler::Code::Add2)
                                   .op(Assembler::Code::Return)));
    o->put("__resolve", m.get(f.host.rootClip, "r"));
    EXPECT_EQ(text(m.get(o, "missing")), "resolved:missing");
}

TEST_F(Builtins, AsSetPropFlagsHidesFromEnumeration) {
    Object* o = m.makeObject();
    o->put("a", Value(1));
    o->put("b", Value(2));
    o->put("c", Value(3));
    m.callValue(global("ASSetPropFlags"), Value(), {Value(o), Value("a,c"), Value(1)}, 8);
    EXPECT_EQ(m.enumerate(o), std::vector<QString>({"b"}));
    m.callValue(global("ASSetPropFlags"), Value(), {Value(o), Value::null(), Value(0), Value(1)},
                8);
    EXPECT_EQ(m.enumerate(o), std::vector<QString>({"c", "b", "a"}));
}

TEST_F(Builtins, IntervalsAndTimeoutsFollowTheHostClock) {
    f.run(Assembler().function("tick", {"label"}, Assembler().getVar("label").trace()));
    Value tick = m.get(f.host.rootClip, "tick");
    Value id = m.callValue(global("setInterval"), Value(), {tick, Value(100), Value("i")}, 8).value;
    m.callValue(global("setTimeout"), Value(), {tick, Value(150), Value("t")}, 8);
    f.host.lines.clear();
    for (int t = 50; t <= 350; t += 50) {
        f.host.clock = t;
        m.runTimers();
    }
    EXPECT_EQ(f.host.lines, QStringList({"i", "t", "i", "i"}));
    m.callValue(global("clearInterval"), Value(), {id}, 8);
    f.host.clock = 1000;
    m.runTimers();
    EXPECT_EQ(f.host.lines.size(), 4);
}

TEST_F(Builtins, AsBroadcasterTellsEveryListener) {
    Object* source = m.makeObject();
    m.callValue(m.getMember(global("AsBroadcaster"), "initialize"), Value(), {Value(source)}, 8);
    f.run(Assembler().function("hear", {"x"}, Assembler().getVar("x").trace()));
    Object* listener = m.makeObject();
    listener->put("onEvent", m.get(f.host.rootClip, "hear"));
    callOn(Value(source), "addListener", {Value(listener)});
    callOn(Value(source), "addListener", {Value(listener)});  // added once only
    f.host.lines.clear();
    callOn(Value(source), "broadcastMessage", {Value("onEvent"), Value("hello")});
    EXPECT_EQ(f.host.lines, QStringList({"hello"}));
}

// childNodes is one live array per node; re-appending a node to its own parent leaves it in
// place; namespaces resolve through the xmlns attributes of the element and its ancestors.
TEST_F(Builtins, XmlChildListsAndNamespaces) {
    std::vector<Value> source{Value("<r xmlns='d' xmlns:p='u'><p:a/><b/></r>")};
    Value doc = m.construct(global("XML"), source);
    Value r = m.getMember(doc, "firstChild");
    Value held = m.getMember(r, "childNodes");
    Value a = m.getMember(r, "firstChild");
    Value b = m.getMember(a, "nextSibling");
    callOn(r, "appendChild", {a});
    EXPECT_EQ(m.getMember(r, "firstChild").object(), a.object()) << "stays first";
    std::vector<Value> made{Value("c")};
    Value c = callOn(doc, "createElement", made);
    callOn(r, "appendChild", {c});
    EXPECT_EQ(m.toNumber(m.getMember(held, "length")), 3) << "the held array follows";
    callOn(b, "removeNode", {});
    EXPECT_EQ(m.toNumber(m.getMember(held, "length")), 2);

    EXPECT_EQ(text(m.getMember(a, "prefix")), "p");
    EXPECT_EQ(text(m.getMember(a, "localName")), "a");
    EXPECT_EQ(text(m.getMember(a, "namespaceURI")), "u");
    EXPECT_EQ(text(m.getMember(c, "namespaceURI")), "d") << "the default, from the parent";
    EXPECT_EQ(text(callOn(c, "getPrefixForNamespace", {Value("u")})), "p");
    EXPECT_TRUE(callOn(c, "getNamespaceForPrefix", {Value("q")}).isNull());
    EXPECT_TRUE(m.getMember(m.getMember(a, "firstChild"), "prefix").isUndefined());
    EXPECT_TRUE(m.getMember(doc, "prefix").isNull()) << "the document has no name";
}

TEST_F(Builtins, XmlParsesWalksAndPrints) {
    std::vector<Value> source{
        Value("<?xml version=\"1.0\"?><a x=\"1&amp;2\"><b>hi &lt;there&gt;</b>"
              "<c/><![CDATA[<raw>]]></a>")};
    Value doc = m.construct(global("XML"), source);
    EXPECT_EQ(m.toNumber(m.getMember(doc, "status")), 0);
    Value a = m.getMember(doc, "firstChild");
    EXPECT_EQ(text(m.getMember(a, "nodeName")), "a");
    EXPECT_EQ(text(m.getMember(m.getMember(a, "attributes"), "x")), "1&2");
    Value b = m.getMember(a, "firstChild");
    EXPECT_EQ(text(m.getMember(m.getMember(b, "firstChild"), "nodeValue")), "hi <there>");
    EXPECT_EQ(text(m.getMember(m.getMember(b, "nextSibling"), "nodeName")), "c");
    EXPECT_TRUE(m.getMember(b, "previousSibling").isNull());
    EXPECT_EQ(m.toNumber(m.getMember(m.getMember(a, "childNodes"), "length")), 3);
    EXPECT_EQ(text(a), "<a x=\"1&amp;2\"><b>hi &lt;there&gt;</b><c />&lt;raw&gt;</a>");
    // Moving a node detaches it from its old parent; a node cannot take its ancestor.
    Value c = m.getMember(b, "nextSibling");
    callOn(b, "appendChild", {c});
    EXPECT_EQ(m.toNumber(m.getMember(m.getMember(a, "childNodes"), "length")), 2);
    callOn(c, "appendChild", {a});
    EXPECT_TRUE(m.getMember(a, "parentNode").object() == doc.object());
    // Malformed markup reports a status instead of failing.
    for (const char* bad : {"<a><b></a>", "<a x=1></a>", "<a>", "<!-- open"}) {
        std::vector<Value> t{Value(bad)};
        Value d = m.construct(global("XML"), t);
        EXPECT_NE(m.toNumber(m.getMember(d, "status")), 0) << bad;
    }
}
