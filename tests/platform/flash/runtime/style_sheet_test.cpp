// The CSS subset of style sheets: what a rule keeps and which inputs spoil the whole sheet.
#include <gtest/gtest.h>

#include "platform/flash/runtime/style_sheet_class.h"

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
