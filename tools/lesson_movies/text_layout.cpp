#include "text_layout.h"

#include <algorithm>
#include <cmath>

namespace lesson_movies {

namespace {

bool isClosingPunctuation(char32_t c) {
    return std::u32string_view(U"，。、；：！？」”）").find(c) != std::u32string_view::npos;
}

// Splits a sentence into lines of at most `perLine` cells; closing punctuation never starts a
// line (it hangs into the margin instead).
std::vector<std::vector<const Token*>> lines(const Sentence& s, int perLine) {
    std::vector<std::vector<const Token*>> result(1);
    for (const Token& t : s.tokens) {
        const char32_t c = t.text.empty() ? U' ' : t.text.front();
        if (static_cast<int>(result.back().size()) >= perLine && !isClosingPunctuation(c)) {
            result.emplace_back();
        }
        result.back().push_back(&t);
    }
    return result;
}

}  // namespace

PageLayout layoutText(const std::vector<Sentence>& sentences, const TextArea& area) {
    PageLayout layout;
    const int perLine = std::max(1, static_cast<int>(area.width / area.cell));
    const int rowsPerPage = std::max(1, static_cast<int>(area.height / area.rowHeight));
    int page = 0, row = 0, onPage = 0;
    // The character sits at the bottom of its row, the pinyin above it.
    const double baselineInRow =
        area.rowHeight - (area.rowHeight - area.charSize) * 0.25 - area.charSize * 0.14;
    for (const Sentence& s : sentences) {
        const auto split = lines(s, perLine);
        const int rows = static_cast<int>(split.size());
        if (onPage > 0 && (row + rows > rowsPerPage || onPage >= area.sentencesPerPage)) {
            ++page;
            row = 0;
            onPage = 0;
        }
        PlacedSentence placed;
        placed.page = page;
        for (const auto& line : split) {
            const double top = area.top + row * area.rowHeight;
            const double baseline = top + baselineInRow;
            double x = area.left;
            if (area.centred) {
                x += (perLine - static_cast<int>(line.size())) * area.cell / 2;
            }
            for (const Token* t : line) {
                placed.chars.push_back(
                    {t->text.empty() ? U' ' : t->text.front(), x, baseline, t->pinyin});
                x += area.cell;
            }
            const double x0 = placed.chars.empty() ? area.left : x - line.size() * area.cell;
            placed.lines.push_back({x0 - 4, top + 2, x + 4, top + area.rowHeight - 2});
            ++row;
        }
        layout.sentences.push_back(std::move(placed));
        ++onPage;
    }
    layout.pages = page + 1;
    return layout;
}

}  // namespace lesson_movies
