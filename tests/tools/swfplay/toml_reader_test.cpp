// The TOML reader on the shapes the corpus's test.toml files take, and on malformed text.
#include <gtest/gtest.h>

#include <cmath>

#include "toml_reader.h"

namespace pencora::swfplay {
namespace {

TEST(TomlReader, ReadsTheCorpusShapes) {
    const char* text = R"toml(num_frames = 36 # trailing comment
name = "a \"quoted\" \u00e9"
path = 'C:\raw'

[approximations]
epsilon = 1e-14 # roughly 50 ulps
bare_numbers = true
number_patterns = ["(\\d+\\.\\d+)",
   "x",   # comment inside an array
]

[image_comparisons."output.5"]
trigger = 5

[[image_comparisons.output.checks]]
tolerance = 2
filter = { arch = "x86_64" }

[[image_comparisons.output.checks]]
max_outliers = 1_000

[player_options]
with_renderer = { optional = false, quality = "low" }

[[compilers]]
optimizations = {
    promote_variables_to_registers = false
}
stage_rect = { x_min = 0.0, y_max = -320.5 }
)toml";
    const TomlDocument doc = parseToml(text);
    ASSERT_TRUE(doc.root) << doc.error;
    const TomlValue& root = *doc.root;
    EXPECT_EQ(root.find("num_frames")->asInteger(), 36);
    EXPECT_EQ(root.find("name")->asString(), "a \"quoted\" \xC3\xA9");
    EXPECT_EQ(root.find("path")->asString(), "C:\\raw");
    const TomlValue* approx = root.find("approximations");
    ASSERT_TRUE(approx);
    EXPECT_DOUBLE_EQ(*approx->find("epsilon")->asNumber(), 1e-14);
    EXPECT_EQ(approx->find("bare_numbers")->asBool(), true);
    ASSERT_EQ(approx->find("number_patterns")->array.size(), 2u);
    EXPECT_EQ(approx->find("number_patterns")->array[0].asString(), "(\\d+\\.\\d+)");
    const TomlValue* images = root.find("image_comparisons");
    ASSERT_TRUE(images);
    EXPECT_EQ(images->find("output.5")->find("trigger")->asInteger(), 5);
    const TomlValue* checks = images->find("output")->find("checks");
    ASSERT_TRUE(checks);
    ASSERT_EQ(checks->array.size(), 2u);
    EXPECT_EQ(checks->array[0].find("filter")->find("arch")->asString(), "x86_64");
    EXPECT_EQ(checks->array[1].find("max_outliers")->asInteger(), 1000);
    EXPECT_EQ(root.find("player_options")->find("with_renderer")->find("quality")->asString(),
              "low");
    const TomlValue* compilers = root.find("compilers");
    ASSERT_EQ(compilers->array.size(), 1u);
    EXPECT_EQ(compilers->array[0]
                  .find("optimizations")
                  ->find("promote_variables_to_registers")
                  ->asBool(),
              false);
    EXPECT_DOUBLE_EQ(*compilers->array[0].find("stage_rect")->find("y_max")->asNumber(), -320.5);
}

TEST(TomlReader, ReadsScalarsAndDottedKeys) {
    const TomlDocument doc = parseToml(
        "a.b.c = 0x1F\nneg = -5\nflt = +2.5E2\ninf = -inf\nnan = nan\n"
        "ml = \"\"\"\nline1\nline2\"\"\"\n[t]\n\"quoted key\" = 1\n");
    ASSERT_TRUE(doc.root) << doc.error;
    const TomlValue& r = *doc.root;
    EXPECT_EQ(r.find("a")->find("b")->find("c")->asInteger(), 31);
    EXPECT_EQ(r.find("neg")->asInteger(), -5);
    EXPECT_DOUBLE_EQ(*r.find("flt")->asNumber(), 250);
    EXPECT_TRUE(std::isinf(*r.find("inf")->asNumber()) && *r.find("inf")->asNumber() < 0);
    EXPECT_TRUE(std::isnan(*r.find("nan")->asNumber()));
    EXPECT_EQ(r.find("ml")->asString(), "line1\nline2");
    EXPECT_EQ(r.find("t")->find("quoted key")->asInteger(), 1);
}

TEST(TomlReader, ReportsMalformedTextWithItsLine) {
    struct Row {
        const char* text;
        const char* error;
    };
    const Row rows[] = {
        {"a = 1\nb 2\n", "line 2: expected '='"},
        {"a = \"open\n", "line 1: line break in a string"},
        {"a = [1, 2\n", "line 2: expected ',' or ']'"},
        {"[table\n", "line 1: expected ']'"},
        {"a = 1 b = 2\n", "line 1: expected the end of the line"},
        {"a = 12abc\n", "line 1: malformed value '12abc'"},
        {"a = 1\n[a.b]\n", "line 2: table path crosses a value"},
        {"a = \"\\q\"\n", "line 1: unknown escape"},
        {"= 3\n", "line 1: expected a key"},
    };
    for (const Row& row : rows) {
        const TomlDocument doc = parseToml(row.text);
        EXPECT_FALSE(doc.root) << row.text;
        EXPECT_EQ(doc.error, row.error) << row.text;
    }
    // Deep nesting is refused, not recursed into without end.
    EXPECT_FALSE(parseToml("a = " + std::string(10000, '[')).root);
}

}  // namespace
}  // namespace pencora::swfplay
