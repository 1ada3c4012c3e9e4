// Laying a lesson's sentences out on pages: no page holds more rows or sentences than it
// has room for, every sentence starts a line, closing punctuation never begins a line, and
// verse is centred.
#include <gtest/gtest.h>

#include <map>

#include "text_layout.h"

namespace lesson_movies {
namespace {

Sentence sentence(const std::u32string& text) {
    Sentence s;
    for (const char32_t c : text) {
        s.tokens.push_back({std::u32string(1, c), ""});
    }
    return s;
}

TextArea narrowArea() {
    TextArea a;
    a.left = 10;
    a.top = 100;
    a.width = 5 * 40;
    a.height = 3 * 50;
    a.cell = 40;
    a.rowHeight = 50;
    a.sentencesPerPage = 3;
    return a;
}

TEST(TextLayout, PagesHoldWhatFitsAndPunctuationHangs) {
    const std::vector<Sentence> text = {sentence(U"一二三四五。"),
                                        sentence(U"六七"),
                                        sentence(U"八九十一二三"),
                                        sentence(U"四"),
                                        sentence(U"五"),
                                        sentence(U"六"),
                                        sentence(U"七")};
    const PageLayout layout = layoutText(text, narrowArea());
    // "一二三四五。" keeps its full stop on its one line; "八九十一二三" needs two rows and
    // no longer fits the first page's last row; three sentences at most a page.
    ASSERT_EQ(layout.sentences.size(), text.size());
    const int pages[] = {0, 0, 1, 1, 2, 2, 2};
    std::map<int, int> rows;
    for (size_t k = 0; k < text.size(); ++k) {
        EXPECT_EQ(layout.sentences[k].page, pages[k]) << "sentence " << k;
        rows[layout.sentences[k].page] += static_cast<int>(layout.sentences[k].lines.size());
        const auto& first = layout.sentences[k].chars.front();
        EXPECT_DOUBLE_EQ(first.x, 10.0) << "every sentence starts a line";
    }
    EXPECT_EQ(layout.pages, 3);
    EXPECT_EQ(layout.sentences[0].lines.size(), 1u);
    EXPECT_DOUBLE_EQ(layout.sentences[0].chars[5].x, 10.0 + 5 * 40);
    EXPECT_EQ(layout.sentences[2].lines.size(), 2u);
    EXPECT_DOUBLE_EQ(layout.sentences[2].chars[5].x, 10.0);
    for (const auto& [page, count] : rows) {
        EXPECT_LE(count, 3) << "page " << page;
    }
    // Lines of one page never overlap.
    EXPECT_LT(layout.sentences[0].lines[0].y1, layout.sentences[1].lines[0].y0);
}

TEST(TextLayout, VerseIsCentred) {
    TextArea area = narrowArea();
    area.centred = true;
    const PageLayout layout = layoutText({sentence(U"春眠"), sentence(U"不觉晓，")}, area);
    EXPECT_DOUBLE_EQ(layout.sentences[0].chars[0].x, 10.0 + 1.5 * 40);
    EXPECT_DOUBLE_EQ(layout.sentences[1].chars[0].x, 10.0 + 0.5 * 40);
    EXPECT_DOUBLE_EQ(layout.sentences[1].lines[0].x0, 10.0 + 0.5 * 40 - 4);
}

}  // namespace
}  // namespace lesson_movies
