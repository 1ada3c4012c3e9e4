// The glyphs a movie needs, taken from an installed font face and embedded as a DefineFont3
// font (only the characters used, outlines in the 20480-unit em square), with the advances
// the layout needs.
#pragma once

#include <QRawFont>

#include <cstdint>
#include <map>
#include <string>

#include "platform/flash/swf/characters.h"

namespace lesson_movies {

class EmbeddedFont {
  public:
    // Loads the face; throws std::runtime_error when the file is not a usable font.
    explicit EmbeddedFont(const std::string& fontFile);

    bool covers(const std::u32string& text) const;
    // Adds the characters of `text` to the set (white space has no glyph and is skipped).
    void use(const std::u32string& text);
    // Glyph index of a used character in the embedded font.
    uint32_t index(char32_t c) const;
    // Advance of a character at `size` pixels, in pixels.
    double advance(char32_t c, double size) const;
    double width(const std::u32string& text, double size) const;
    pencora::swf::Font font(uint16_t id, const std::string& name) const;
    void clear() { used_.clear(); }

  private:
    QRawFont raw_;
    std::map<char32_t, uint32_t> used_;  // character -> its index, assigned by font()
};

}  // namespace lesson_movies
