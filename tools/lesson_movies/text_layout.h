// Lays a lesson's sentences out on pages: characters on a grid of square cells, each sentence
// beginning a new line, its pinyin (if any) centred over each character, the sentences of a
// page fitting its rows. Positions are stage pixels; y is the character's baseline.
#pragma once

#include <string>
#include <vector>

#include "lesson_data.h"

namespace lesson_movies {

struct TextArea {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    double charSize = 30;  // pixels
    double cell = 34;      // advance of one character cell
    double rowHeight = 50;
    double pinyinSize = 0;  // 0: no pinyin
    int sentencesPerPage = 3;
    bool centred = false;  // each line centred in the width (verse)
};

struct PlacedChar {
    char32_t c = 0;
    double x = 0;  // left edge of the cell
    double baseline = 0;
    std::string pinyin;
};

struct Box {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

struct PlacedSentence {
    int page = 0;  // from 0
    std::vector<PlacedChar> chars;
    std::vector<Box> lines;  // one box per line the sentence covers
};

struct PageLayout {
    std::vector<PlacedSentence> sentences;
    int pages = 0;
};

PageLayout layoutText(const std::vector<Sentence>& sentences, const TextArea& area);

}  // namespace lesson_movies
