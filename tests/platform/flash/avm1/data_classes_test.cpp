// Error, the interval timers, LoadVars, SharedObject, XML and the menu and print objects, as
// scripts use them: constructors, defaults, bad arguments and what each reads back.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/flash/avm1/array_object.h"
#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;

namespace {

using Code = pencora::swf::ActionCode;

struct DataClasses : ::testing::Test {
    Fixture f;
    Machine& m = f.machine;

    Value global(const char* name) { return m.get(m.global(), QString::fromLatin1(name)); }
    Value make(const char* cls, std::vector<Value> args = {}) {
        return m.construct(global(cls), args);
    }
    Value callOn(const Value& target, const char* method, std::vector<Value> args = {}) {
        RunResult r = m.callValue(m.getMember(target, QString::fromLatin1(method)), target,
                                  std::move(args), f.version);
        EXPECT_TRUE(r.ok());
        return r.value;
    }
    Value callGlobal(const char* name, std::vector<Value> args) {
        return m.callValue(global(name), Value(), std::move(args), f.version).value;
    }
    Value member(const Value& target, const char* name) {
        return m.getMember(target, QString::fromUtf8(name));
    }
    QString text(const Value& v) { return m.toString(v); }
    void runTimersAt(double clock) {
        f.host.clock = clock;
        m.runTimers();
    }
};

}  // namespace

TEST_F(DataClasses, ErrorsCarryMessageAndNameAndSubclassesKeepThem) {
    Value plain = make("Error");
    EXPECT_EQ(text(member(plain, "message")), "Error");
    EXPECT_EQ(text(member(plain, "name")), "Error");
    EXPECT_EQ(text(plain), "Error");
    Value given = make("Error", {Value("disk full")});
    EXPECT_EQ(text(given), "disk full");
    EXPECT_EQ(text(member(given, "name")), "Error");
    // Called as a function it still makes an error.
    Value called = callGlobal("Error", {Value("as call")});
    EXPECT_EQ(text(member(called, "message")), "as call");

    // A subclass made the AS2 way: its prototype is an Error, with a name of its own.
    Object* subProto = m.makeObject();
    subProto->setProto(member(global("Error"), "prototype").object());
    subProto->put("name", Value("RangeFault"));
    Object* sub = make("Object").object();
    sub->setProto(subProto);
    sub->put("message", Value("too far"));
    EXPECT_EQ(text(Value(sub)), "too far");
    EXPECT_EQ(text(member(Value(sub), "name")), "RangeFault");

    // Thrown and caught, the error arrives as it was made.
    const Assembler thrower = Assembler()
                                  .push({str("bad input"), integer(1), str("Error")})
                                  .op(Code::NewObject)
                                  .op(Code::Throw);
    const Assembler handler = Assembler()
                                  .getVar("e")
                                  .push({str("message")})
                                  .op(Code::GetMember)
                                  .trace()
                                  .getVar("e")
                                  .getVar("Error")
                                  .op(Code::InstanceOf)
                                  .trace();
    EXPECT_EQ(f.run(Assembler().tryCatch(thrower, "e", &handler, nullptr)),
              QStringList({"bad input", "true"}));
}

TEST_F(DataClasses, TimersRefuseBadArgumentsAndCallMethodsByName) {
    f.run(Assembler().function("hit", {"x"},
                               Assembler()
                                   .getVar("this")
                                   .push({str("tag")})
                                   .op(Code::GetMember)
                                   .getVar("x")
                                   .op(Code::Add2)
                                   .trace()));
    const Value hit = m.get(f.host.rootClip, "hit");
    // Nothing to call, or no interval: no timer, and no id.
    EXPECT_TRUE(callGlobal("setInterval", {}).isUndefined());
    EXPECT_TRUE(callGlobal("setInterval", {Value("hit"), Value(10)}).isUndefined());
    EXPECT_TRUE(callGlobal("setInterval", {hit}).isUndefined());
    EXPECT_TRUE(callGlobal("setTimeout", {Value(5)}).isUndefined());
    EXPECT_TRUE(callGlobal("setInterval", {Value(m.makeObject()), Value("m")}).isUndefined());
    // Clearing what is no timer changes nothing.
    for (Value bad : {Value(), Value("x"), Value(-1.0), Value(1e300), Value(NAN)}) {
        callGlobal("clearInterval", {bad});
    }

    // An object and a method name: the method is looked up at each call, with the object as
    // `this` and the extra arguments passed on.
    Object* target = m.makeObject();
    target->put("tag", Value("A"));
    target->put("go", hit);
    Value id = callGlobal("setInterval", {Value(target), Value("go"), Value(100), Value(1)});
    ASSERT_TRUE(id.isNumber());
    EXPECT_GT(m.toNumber(id), 0);
    runTimersAt(100);
    target->put("tag", Value("B"));
    runTimersAt(200);
    target->put("go", Value());  // no method: the call is skipped, the interval stays
    runTimersAt(300);
    target->put("go", hit);
    runTimersAt(400);
    EXPECT_EQ(f.host.lines, QStringList({"A1", "B1", "B1"}));

    // Zero, negative and NaN intervals fire on every pass; ids are never reused.
    f.host.lines.clear();
    callGlobal("clearInterval", {id});
    Value fast = callGlobal("setInterval", {hit, Value(-5), Value("f")});
    Value nan = callGlobal("setTimeout", {hit, Value(NAN), Value("n")});
    EXPECT_NE(m.toNumber(fast), m.toNumber(id));
    EXPECT_NE(m.toNumber(nan), m.toNumber(fast));
    runTimersAt(401);
    runTimersAt(402);
    EXPECT_EQ(f.host.lines, QStringList({"undefinedf", "undefinedn", "undefinedf"}));
    // A timeout cleared before it is due never fires; clearTimeout clears intervals too.
    Value late = callGlobal("setTimeout", {hit, Value(1000), Value("late")});
    callGlobal("clearTimeout", {late});
    callGlobal("clearTimeout", {fast});
    f.host.lines.clear();
    runTimersAt(5000);
    EXPECT_TRUE(f.host.lines.isEmpty());
}

TEST_F(DataClasses, LoadVarsPrintsEscapedNewestFirstAndDecodesForms) {
    Value vars = make("LoadVars");
    m.set(vars.object(), "name", Value("Gary"));
    m.set(vars.object(), "age", Value(26));
    EXPECT_EQ(text(vars), "age=26&name=Gary");
    EXPECT_EQ(text(member(vars, "contentType")), "application/x-www-form-urlencoded");
    // Every byte but letters and digits is escaped, names too, UTF-8 in capitals.
    Value odd = make("LoadVars");
    m.set(odd.object(), "a b", Value("x-y_z.~!&=+/é"));
    EXPECT_EQ(text(odd), "a%20b=x%2Dy%5Fz%2E%7E%21%26%3D%2B%2F%C3%A9");
    // Methods set on the object are not variables.
    m.set(odd.object(), "f", global("escape"));
    EXPECT_EQ(text(odd), "a%20b=x%2Dy%5Fz%2E%7E%21%26%3D%2B%2F%C3%A9");

    Value in = make("LoadVars");
    callOn(in, "decode", {Value("a=1+2%21&b&&c=x%3Dy=z&%E4%B8%AD=%E6%96%87")});
    EXPECT_EQ(text(member(in, "a")), "1 2!");
    EXPECT_EQ(text(member(in, "b")), "");
    EXPECT_EQ(text(member(in, "c")), "x=y=z");
    EXPECT_EQ(text(member(in, "中")), "文");

    // The byte counts are unknown until a load starts; then nothing has come.
    EXPECT_TRUE(callOn(in, "getBytesLoaded").isUndefined());
    EXPECT_TRUE(callOn(in, "getBytesTotal").isUndefined());
    EXPECT_FALSE(m.toBoolean(callOn(in, "load")));
    EXPECT_TRUE(callOn(in, "getBytesLoaded").isUndefined()) << "a refused load starts nothing";
    EXPECT_TRUE(m.toBoolean(callOn(in, "load", {Value("vars.txt")})));
    EXPECT_EQ(m.toNumber(callOn(in, "getBytesLoaded")), 0);
    EXPECT_TRUE(callOn(in, "getBytesTotal").isUndefined());
    EXPECT_FALSE(m.toBoolean(member(in, "loaded")));
}

TEST_F(DataClasses, SharedObjectsAreOnePerNameAndMeasureTheirData) {
    Value so = callOn(global("SharedObject"), "getLocal", {Value("prefs/user")});
    ASSERT_TRUE(so.object());
    EXPECT_EQ(callOn(global("SharedObject"), "getLocal", {Value("prefs/user")}).object(),
              so.object());
    for (const char* bad : {"", "a b", "a~b", "50%", "x&y", "c:\\d", "q?", "#1", "a,b", "<t>"}) {
        EXPECT_TRUE(callOn(global("SharedObject"), "getLocal", {Value(bad)}).isNull()) << bad;
    }
    Value data = member(so, "data");
    EXPECT_EQ(m.toNumber(callOn(so, "getSize")), 0);
    // A number: 2-byte name length, name, marker and 8 bytes, and the byte ending the entry.
    m.set(data.object(), "n", Value(1));
    EXPECT_EQ(m.toNumber(callOn(so, "getSize")), 2 + 1 + 9 + 1);
    // A string: marker, 2-byte length, its UTF-8 bytes; a boolean: marker and byte.
    m.set(data.object(), "s", Value("中"));
    m.set(data.object(), "b", Value(true));
    EXPECT_EQ(m.toNumber(callOn(so, "getSize")), 13 + (2 + 1 + 3 + 3 + 1) + (2 + 1 + 2 + 1));
    // An object refers to itself without counting forever; functions are not stored.
    Object* loop = m.makeObject();
    loop->put("self", Value(loop));
    loop->put("fn", global("escape"));
    m.set(data.object(), "o", Value(loop));
    EXPECT_EQ(m.toNumber(callOn(so, "getSize")), 13 + 10 + 6 + (2 + 1 + 1 + (2 + 4 + 3) + 3 + 1));
    EXPECT_TRUE(m.toBoolean(callOn(so, "flush")));
    // clear() empties the data object the script holds.
    callOn(so, "clear");
    EXPECT_TRUE(m.getMember(data, "n").isUndefined());
    EXPECT_EQ(member(so, "data").object(), data.object());
    EXPECT_EQ(m.toNumber(callOn(so, "getSize")), 0);
}

TEST_F(DataClasses, XmlReportsMalformedInputAndKeepsDeclarations) {
    struct Row {
        const char* source;
        int status;
    };
    const Row rows[] = {
        {"<a><b/></a>", 0},          {"<a><![CDATA[open</a>", -2},
        {"<?xml version='1.0'", -3}, {"<!DOCTYPE x", -4},
        {"<a><!-- open</a>", -5},    {"<a x='1' y=\"2", -8},
        {"<a><b></b>", -9},          {"</a>", -10},
        {"plain text", 0},
    };
    for (const Row& r : rows) {
        Value doc = make("XML", {Value(r.source)});
        EXPECT_EQ(m.toNumber(member(doc, "status")), r.status) << r.source;
    }
    Value doc = make("XML", {Value("<?xml version=\"1.0\"?><!DOCTYPE note SYSTEM \"n.dtd\">"
                                   "<note>\n  <to>A</to>\n</note>")});
    EXPECT_EQ(text(member(doc, "xmlDecl")), "<?xml version=\"1.0\"?>");
    EXPECT_EQ(text(member(doc, "docTypeDecl")), "<!DOCTYPE note SYSTEM \"n.dtd\">");
    EXPECT_EQ(text(doc),
              "<?xml version=\"1.0\"?><!DOCTYPE note SYSTEM \"n.dtd\">"
              "<note>\n  <to>A</to>\n</note>");
    EXPECT_EQ(m.toNumber(member(member(member(doc, "firstChild"), "childNodes"), "length")), 3);
    // ignoreWhite drops the text nodes that are only white space, before the next parse.
    m.set(doc.object(), "ignoreWhite", Value(true));
    callOn(doc, "parseXML", {Value("<note>\n  <to> A </to>\n</note>")});
    Value note = member(doc, "firstChild");
    EXPECT_EQ(m.toNumber(member(member(note, "childNodes"), "length")), 1);
    EXPECT_EQ(text(member(member(member(note, "firstChild"), "firstChild"), "nodeValue")), " A ");
    EXPECT_TRUE(member(doc, "xmlDecl").isUndefined()) << "a new parse forgets the old one";
}

TEST_F(DataClasses, XmlBuildsClonesAndMovesNodes) {
    Value doc = make("XML");
    Value root = callOn(doc, "createElement", {Value("list")});
    Value text1 = callOn(doc, "createTextNode", {Value("a<b")});
    EXPECT_EQ(m.toNumber(member(text1, "nodeType")), 3);
    EXPECT_TRUE(member(text1, "nodeName").isNull());
    callOn(doc, "appendChild", {root});
    callOn(root, "appendChild", {text1});
    Value item = callOn(doc, "createElement", {Value("item")});
    m.set(member(item, "attributes").object(), "id", Value("7"));
    callOn(root, "insertBefore", {item, text1});
    EXPECT_EQ(text(doc), "<list><item id=\"7\" />a&lt;b</list>");
    // Renaming a node prints the new name at both ends.
    m.set(root.object(), "nodeName", Value("ul"));
    EXPECT_EQ(text(doc), "<ul><item id=\"7\" />a&lt;b</ul>");
    // insertBefore with a node that is not a child, or a missing one, does nothing.
    Value stray = callOn(doc, "createElement", {Value("stray")});
    callOn(root, "insertBefore", {stray, stray});
    callOn(root, "insertBefore", {stray});
    EXPECT_EQ(m.toNumber(member(member(root, "childNodes"), "length")), 2);

    // A shallow clone has no children and no parent; a deep one copies the subtree and its
    // attributes, which change apart from the original's.
    Value shallow = callOn(root, "cloneNode", {Value(false)});
    EXPECT_FALSE(m.toBoolean(callOn(shallow, "hasChildNodes")));
    EXPECT_TRUE(member(shallow, "parentNode").isNull());
    Value deep = callOn(root, "cloneNode", {Value(true)});
    EXPECT_EQ(text(deep), "<ul><item id=\"7\" />a&lt;b</ul>");
    m.set(member(member(deep, "firstChild"), "attributes").object(), "id", Value("8"));
    EXPECT_EQ(text(member(member(item, "attributes"), "id")), "7");

    // removeNode detaches; removing twice, or a node without parent, is harmless.
    callOn(item, "removeNode");
    callOn(item, "removeNode");
    callOn(doc, "removeNode");
    EXPECT_EQ(text(doc), "<ul>a&lt;b</ul>");
    EXPECT_TRUE(member(item, "parentNode").isNull());
    EXPECT_TRUE(member(text1, "previousSibling").isNull());
}

TEST(XmlIdMap, ElementsWithAnIdAreListedFromVersion8) {
    for (int version : {7, 8}) {
        SCOPED_TRACE(version);
        Fixture f(version);
        Machine& m = f.machine;
        std::vector<Value> source{Value("<a id='top'><b id='x'/><c><d id='y'/></c></a>")};
        Value doc = m.construct(m.get(m.global(), "XML"), source);
        Value map = m.getMember(doc, "idMap");
        if (version < 8) {
            EXPECT_TRUE(map.isUndefined());
            continue;
        }
        Value a = m.getMember(doc, "firstChild");
        EXPECT_EQ(m.getMember(map, "top").object(), a.object());
        const std::vector<QString> listed = m.enumerate(doc.object());
        EXPECT_EQ(std::count(listed.begin(), listed.end(), "idMap"), 0) << "for..in skips it";
        EXPECT_EQ(m.toString(m.getMember(m.getMember(map, "y"), "nodeName")), "d");
        // A later parse adds its own ids to the same map.
        std::vector<Value> more{Value("<e id='z'/>")};
        m.callMethodValue(doc, "parseXML", more);
        EXPECT_EQ(m.getMember(doc, "idMap").object(), map.object());
        EXPECT_EQ(m.toString(m.getMember(m.getMember(map, "z"), "nodeName")), "e");
        EXPECT_TRUE(m.getMember(map, "top").isObject());
    }
}

TEST_F(DataClasses, MenusAndPrintJobsAreDataOnly) {
    Value menu = make("ContextMenu");
    Value items = member(menu, "builtInItems");
    for (const char* name :
         {"save", "zoom", "quality", "play", "loop", "rewind", "forward_back", "print"}) {
        EXPECT_TRUE(m.toBoolean(member(items, name))) << name;
    }
    callOn(menu, "hideBuiltInItems");
    EXPECT_FALSE(m.toBoolean(member(items, "zoom")));
    Value item = make("ContextMenuItem", {Value("Next"), Value(), Value(1)});
    EXPECT_EQ(text(member(item, "caption")), "Next");
    EXPECT_TRUE(m.toBoolean(member(item, "separatorBefore")));
    EXPECT_TRUE(m.toBoolean(member(item, "enabled")));
    EXPECT_TRUE(m.toBoolean(member(item, "visible")));
    callOn(member(menu, "customItems"), "push", {item});
    Value copy = callOn(menu, "copy");
    Value copiedItem = member(member(copy, "customItems"), "0");
    EXPECT_NE(copiedItem.object(), item.object());
    EXPECT_EQ(text(member(copiedItem, "caption")), "Next");
    EXPECT_FALSE(m.toBoolean(member(member(copy, "builtInItems"), "zoom")));

    // There is no printer: start() is refused, and the page sizes stay unset.
    Value job = make("PrintJob");
    EXPECT_FALSE(m.toBoolean(callOn(job, "start")));
    EXPECT_FALSE(m.toBoolean(callOn(job, "addPage", {Value(0)})));
    EXPECT_TRUE(member(job, "pageWidth").isUndefined());
    EXPECT_TRUE(member(job, "orientation").isUndefined());
}

namespace {

class PostingHost : public TestHost {
  public:
    void fetch(FetchRequest r) override { pending.push_back(std::move(r)); }
    std::vector<FetchRequest> pending;
};

}  // namespace

TEST(XmlExchange, SendAndLoadPostsTheDocumentAndParsesTheAnswerIntoTheResult) {
    PostingHost host;
    Machine m(host, 8);
    host.rootClip = m.makeObject();
    std::vector<Value> source{Value("<q id='1'/>")};
    const Value xmlClass = m.get(m.global(), "XML");
    Value doc = m.construct(xmlClass, source);
    host.rootClip->put("doc", doc);  // kept by the movie; the result only by its fetch
    std::vector<Value> none;
    Value result = m.construct(xmlClass, none);
    auto call = [&](const Value& o, const char* name, std::vector<Value> args) {
        return m.callMethodValue(o, QString::fromLatin1(name), args);
    };

    call(doc, "sendAndLoad", {Value("ask.php")});  // no result object: nothing is sent
    EXPECT_TRUE(host.pending.empty());
    call(doc, "sendAndLoad", {Value("ask.php"), result});
    ASSERT_EQ(host.pending.size(), 1u);
    EXPECT_EQ(host.pending[0].url, "ask.php");
    EXPECT_EQ(host.pending[0].method, UrlRequest::Method::Post);
    EXPECT_EQ(host.pending[0].body, "<q id=\"1\" />");
    EXPECT_FALSE(m.toBoolean(m.getMember(result, "loaded")));
    m.collectGarbage({host.rootClip});  // the result waits for its answer
    host.pending[0].done(true, "<a>ok</a>");
    EXPECT_TRUE(m.toBoolean(m.getMember(result, "loaded")));
    EXPECT_EQ(m.toString(m.getMember(m.getMember(result, "firstChild"), "nodeName")), "a");
    EXPECT_EQ(m.toNumber(call(result, "getBytesLoaded", {})), 9);
    EXPECT_EQ(m.toString(doc), "<q id=\"1\" />") << "the sent document stays as it was";

    // send() hands the document to a window; without an address it refuses.
    EXPECT_TRUE(m.toBoolean(call(doc, "send", {Value("post.php"), Value("_blank")})));
    EXPECT_EQ(host.urls, QStringList({"post.php|_blank"}));
    EXPECT_FALSE(m.toBoolean(call(doc, "send", {})));

    // Request headers are recorded in order, as pairs; a name left without a value is dropped.
    call(doc, "addRequestHeader", {Value("SOAPAction"), Value("run")});
    std::vector<Value> list{Value("A"), Value(1), Value("B")};
    call(doc, "addRequestHeader", {Value(m.makeArray(list))});
    call(doc, "addRequestHeader", {Value("lonely")});
    EXPECT_EQ(m.toString(m.getMember(doc, "_customHeaders")), "SOAPAction,run,A,1");
    Value vars = m.construct(m.get(m.global(), "LoadVars"), none);
    call(vars, "addRequestHeader", {Value("X"), Value("y")});
    EXPECT_EQ(m.toString(m.getMember(vars, "_customHeaders")), "X,y");
}

TEST_F(DataClasses, XmlSocketOfAHostWithoutSocketsHearsItsRefusalOnTheNextTimers) {
    Assembler onConnect;
    onConnect.push({str("connect ")}).getVar("ok").op(Code::Add2).trace();
    Assembler script;
    script.push({str("s"), integer(0), str("XMLSocket")}).op(Code::NewObject).op(Code::SetVariable);
    script.getVar("s").push({str("onConnect")}).function("", {"ok"}, onConnect);
    script.op(Code::SetMember);
    // A port below 1024 is refused at once, without onConnect; any other attempt starts.
    for (int port : {1024, 80}) {
        script.push({integer(port), null(), integer(2)}).getVar("s").push({str("connect")});
        script.op(Code::CallMethod).trace();
    }
    script.push({str("x"), integer(1)}).getVar("s").push({str("send")}).op(Code::CallMethod);
    script.trace();
    EXPECT_EQ(f.run(script), QStringList({"true", "false", "undefined"}));
    f.host.lines.clear();
    runTimersAt(0);
    EXPECT_EQ(f.host.lines, QStringList({"connect false"}));
    runTimersAt(100);
    EXPECT_EQ(f.host.lines, QStringList({"connect false"}));
}

TEST(XmlSocketLimits, AMessageLongerThanAnyStringEndsTheConnection) {
    struct SocketHost : TestHost {
        SocketEvents events;
        std::vector<int> closed;
        int openSocket(const QString&, int, SocketEvents e) override {
            events = std::move(e);
            return 5;
        }
        void closeSocket(int id) override { closed.push_back(id); }
    } host;
    Machine m(host, 8);
    host.rootClip = m.makeObject();
    m.collectGarbage({host.rootClip});
    ScriptLimits limits = m.limits();
    limits.maxStringLength = 64;
    m.setLimits(limits);

    Assembler onData;
    onData.push({str("data:")}).getVar("v").op(Code::Add2).trace();
    Assembler script;
    script.push({str("s"), integer(0), str("XMLSocket")}).op(Code::NewObject).op(Code::SetVariable);
    script.getVar("s").push({str("onData")}).function("", {"v"}, onData).op(Code::SetMember);
    script.getVar("s").push({str("onClose")});
    script.function("", {}, Assembler().push({str("closed")}).trace()).op(Code::SetMember);
    script.push({integer(2000), str("example.org"), integer(2)}).getVar("s");
    script.push({str("connect")}).op(Code::CallMethod).op(Code::Pop);
    m.runBlock(script.block(), host.rootClip, 8);
    ASSERT_TRUE(host.events.received);
    host.events.connected(true);
    host.events.received(QByteArray("short\0", 6) + QByteArray(100, 'x'));
    host.events.received(QByteArray("more\0", 5));
    m.runTimers();
    EXPECT_EQ(host.lines, QStringList({"data:short", "closed"}));
    EXPECT_EQ(host.closed, std::vector<int>({5}));
}
