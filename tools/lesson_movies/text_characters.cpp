#include "text_characters.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/flash/swfwrite/shape_builder.h"
#include "units.h"

namespace lesson_movies {

using namespace pencora;
using swf::Rgba;

namespace {

constexpr Rgba kInk{45, 40, 35, 255};
constexpr Rgba kPinyinInk{50, 90, 170, 255};

swf::Rect boundsOf(const std::vector<Box>& boxes) {
    swf::Rect r;
    r.xMin = r.yMin = INT32_MAX;
    r.xMax = r.yMax = INT32_MIN;
    for (const Box& b : boxes) {
        r.xMin = std::min<int32_t>(r.xMin, twips16(b.x0));
        r.yMin = std::min<int32_t>(r.yMin, twips16(b.y0));
        r.xMax = std::max<int32_t>(r.xMax, twips16(b.x1));
        r.yMax = std::max<int32_t>(r.yMax, twips16(b.y1));
    }
    return r;
}

swf::TextRecord run(uint16_t fontId, double size, Rgba color, double x, double baseline) {
    swf::TextRecord r;
    r.fontId = fontId;
    r.height = static_cast<uint16_t>(std::lround(size * kTwips));
    r.color = color;
    r.xOffset = twips16(x);
    r.yOffset = twips16(baseline);
    return r;
}

// A line of text in one font at its natural advances.
swf::TextRecord line(const EmbeddedFont& font, uint16_t fontId, const std::u32string& text,
                     double size, Rgba color, double x, double baseline) {
    swf::TextRecord r = run(fontId, size, color, x, baseline);
    for (const char32_t c : text) {
        r.glyphs.push_back(
            {font.index(c), static_cast<int32_t>(std::lround(font.advance(c, size) * kTwips))});
    }
    return r;
}

swf::Text textOf(std::vector<swf::TextRecord> records, const std::vector<Box>& area) {
    swf::Text t;
    t.version = 2;
    t.bounds = boundsOf(area);
    t.records = std::move(records);
    return t;
}

}  // namespace

swf::Text labelText(const EmbeddedFont& font, uint16_t fontId, const std::u32string& text,
                    double size, Rgba color, const Box& box) {
    const double x = (box.x0 + box.x1 - font.width(text, size)) / 2;
    const double baseline = (box.y0 + box.y1) / 2 + size * 0.36;
    return textOf({line(font, fontId, text, size, color, x, baseline)}, {box});
}

swf::Text sentenceText(const PlacedSentence& s, const TextArea& area, Fonts fonts, uint16_t kaiId,
                       uint16_t pinyinId) {
    std::vector<swf::TextRecord> records;
    const double inset = (area.cell - area.charSize) / 2;
    for (const PlacedChar& c : s.chars) {
        if (c.c == U' ') {
            continue;
        }
        swf::TextRecord r = run(kaiId, area.charSize, kInk, c.x + inset, c.baseline);
        r.glyphs.push_back(
            {fonts.kai.index(c.c), static_cast<int32_t>(std::lround(area.charSize * kTwips))});
        records.push_back(std::move(r));
        if (area.pinyinSize > 0 && !c.pinyin.empty()) {
            const std::u32string py = QString::fromStdString(c.pinyin).toStdU32String();
            const double width = fonts.pinyin.width(py, area.pinyinSize);
            records.push_back(line(fonts.pinyin, pinyinId, py, area.pinyinSize, kPinyinInk,
                                   c.x + (area.cell - width) / 2,
                                   c.baseline - area.charSize * 0.98));
        }
    }
    return textOf(std::move(records), s.lines);
}

swf::Shape boxes(const std::vector<Box>& list, Rgba color) {
    swfwrite::ShapeBuilder b;
    const uint32_t fill = b.addFill(swfwrite::solidFill(color));
    for (const Box& box : list) {
        b.rectangle(twips16(box.x0), twips16(box.y0), twips16(box.x1), twips16(box.y1), fill);
    }
    return b.build();
}

std::vector<Box> underlines(const std::vector<Box>& lines) {
    std::vector<Box> result;
    for (const Box& b : lines) {
        result.push_back({b.x0 + 4, b.y1 - 4, b.x1 - 4, b.y1 - 1});
    }
    return result;
}

}  // namespace lesson_movies
