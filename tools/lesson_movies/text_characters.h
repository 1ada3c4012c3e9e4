// The static texts and flat shapes of a lesson movie: a label centred in a box, a sentence
// with its pinyin centred over each character, boxes behind lines and lines under them.
#pragma once

#include <string>
#include <vector>

#include "embedded_font.h"
#include "platform/flash/swf/characters.h"
#include "text_layout.h"

namespace lesson_movies {

struct Fonts {
    EmbeddedFont& kai;     // the text, title and labels
    EmbeddedFont& pinyin;  // pinyin over the characters
};

pencora::swf::Text labelText(const EmbeddedFont& font, uint16_t fontId, const std::u32string& text,
                             double size, pencora::swf::Rgba color, const Box& box);
pencora::swf::Text sentenceText(const PlacedSentence& s, const TextArea& area, Fonts fonts,
                                uint16_t kaiId, uint16_t pinyinId);
pencora::swf::Shape boxes(const std::vector<Box>& list, pencora::swf::Rgba color);
// A thin bar along the bottom of each line.
std::vector<Box> underlines(const std::vector<Box>& lines);

}  // namespace lesson_movies
