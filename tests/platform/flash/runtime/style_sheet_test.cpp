// The CSS subset of style sheets: what a rule keeps and which inputs spoil the whole sheet.
#include <gtest/gtest.h>

#include "platform/flash/runtime/text/style_sheet_class.h"

namespace pencora::runtime {
namespace {

struct CssCase {
    const char* name;
    const char* css;
    bool ok;
    const char* firstProperty;  // name=value of the first rule's first property, or ""
};

TEST(StyleSheetCss, ParsesRulesTheWayMoviesRelyOn) {
    const CssCase cases[] = {
        {"plain", "a { color: red; }", true, "color=red"},
        {"value keeps trailing space", "a{kerning: 5 }", true, "kerning=5 "},
        {"dashes become camel case", "a{font-size:1;}", true, "fontSize=1"},
        {"double dash leaves one", "a{x--y:1;}", true, "x-y=1"},
        {"name runs across a brace", "a{name}b{:value}", true, "name}b{=value"},
        {"name runs across a semicolon", "e{key;other: value;}", true, "key;other=value"},
        {"empty block at the end", "a{", true, ""},
        {"empty name dropped", "a{:}", true, ""},
        {"space inside a name", "key {property with space: value; }", false, ""},
        {"space inside a selector", "long key { kerning: 5 }", false, ""},
        {"no selector", "{color:}", false, ""},
        {"value runs off the end", "a{key:value", false, ""},
        {"selector without a block", "name", false, ""},
        {"name without a colon", "a{name}", false, ""},
    };
    for (const CssCase& c : cases) {
        auto rules = parseCss(QString::fromUtf8(c.css));
        ASSERT_EQ(rules.has_value(), c.ok) << c.name;
        if (!c.ok || !*c.firstProperty) {
            continue;
        }
        ASSERT_FALSE(rules->empty()) << c.name;
        ASSERT_FALSE(rules->front().properties.empty()) << c.name;
        const auto& [k, v] = rules->front().properties.front();
        EXPECT_EQ(k + u'=' + v, QString::fromUtf8(c.firstProperty)) << c.name;
    }
}

TEST(StyleSheetCss, SharesOneBlockAmongSelectorsAndReadsSeveralRules) {
    auto rules = parseCss(QStringLiteral("a, b { kerning: 5 }\nKEY { color: blue; } key{x:1;}"));
    ASSERT_TRUE(rules.has_value());
    ASSERT_EQ(rules->size(), 3u);
    EXPECT_EQ((*rules)[0].selectors,
              (std::vector<QString>{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ((*rules)[1].selectors.front(), QStringLiteral("KEY"));
    EXPECT_EQ((*rules)[2].selectors.front(), QStringLiteral("key"));
    // Hostile input: long runs of braces and colons end without error or hang.
    EXPECT_FALSE(parseCss(QString(20000, u'{')).has_value());
    EXPECT_TRUE(parseCss(QStringLiteral("a{") + QString(20000, u';') + u':' + u'}').has_value());
}

}  // namespace
}  // namespace pencora::runtime

#include "../avm1/test_host.h"
#include "platform/flash/runtime/text/text_format_class.h"

namespace pencora::runtime {
namespace {

using avm1::Value;

struct SheetFixture {
    avm1::test::Fixture fx{8};
    avm1::Machine& m = fx.machine;
    Value sheet;
    SheetFixture() {
        installTextFormatClass(m);
        m.global()->put(QStringLiteral("TextField"), Value(m.makeObject()));
        installStyleSheetClass(m);
        Value ctor = m.getMember(m.get(m.global(), QStringLiteral("TextField")),
                                 QStringLiteral("StyleSheet"));
        std::vector<Value> none;
        sheet = m.construct(ctor, none);
    }
    Value call(const char* method, std::vector<Value> args) {
        return m.callMethodValue(sheet, QString::fromLatin1(method), args);
    }
};

TEST(StyleSheetClass, StylesAreCopiedInAndOut) {
    SheetFixture s;
    avm1::Machine& m = s.m;
    avm1::Object* style = m.makeObject();
    m.set(style, QStringLiteral("color"), Value("#FF0000"));
    s.call("setStyle", {Value("Head"), Value(style)});
    m.set(style, QStringLiteral("color"), Value("#00FF00"));  // the sheet kept its own copy
    const Value got = s.call("getStyle", {Value("Head")});
    ASSERT_TRUE(got.isObject());
    EXPECT_NE(got.object(), style);
    EXPECT_EQ(m.toString(m.getMember(got, QStringLiteral("color"))), QStringLiteral("#FF0000"));
    EXPECT_TRUE(s.call("getStyle", {Value("head")}).isNull()) << "names keep their case";

    // The transformed form is a TextFormat with the colour read from the CSS.
    const Value styles = m.getMember(s.sheet, QStringLiteral("_styles"));
    const TextFormat* f = textFormatOf(m.getMember(styles, QStringLiteral("Head")));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->color, 0xFF0000u);
}

TEST(StyleSheetClass, ParseCssMergesOnlyWhenTheWholeSheetIsSound) {
    SheetFixture s;
    avm1::Machine& m = s.m;
    EXPECT_TRUE(m.toBoolean(s.call("parseCSS", {Value("a { font-weight: bold; } b{x:1;}")})));
    EXPECT_FALSE(m.toBoolean(s.call("parseCSS", {Value("a { color: red; } broken")})));
    const Value a = s.call("getStyle", {Value("a")});
    EXPECT_EQ(m.toString(m.getMember(a, QStringLiteral("fontWeight"))), QStringLiteral("bold"));
    EXPECT_TRUE(m.getMember(a, QStringLiteral("color")).isUndefined())
        << "a malformed sheet changes nothing";
    const Value names = s.call("getStyleNames", {});
    EXPECT_EQ(m.toNumber(m.getMember(names, QStringLiteral("length"))), 2);

    s.call("clear", {});
    EXPECT_TRUE(s.call("getStyle", {Value("a")}).isNull());
    // transform answers null without a style, an empty format for anything else.
    EXPECT_TRUE(s.call("transform", {}).isNull());
    EXPECT_NE(textFormatOf(s.call("transform", {Value(5.0)})), nullptr);
}

}  // namespace
}  // namespace pencora::runtime
