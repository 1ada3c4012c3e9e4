// The characters of the static texts a clip holds directly, in depth order, each with where it
// sits in the clip: what TextSnapshot reads, searches and hit-tests.
#pragma once

#include <QPolygonF>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <vector>

namespace pencora::runtime {

struct DisplayObject;

struct StaticGlyph {
    QChar character;
    QString font;       // the font's name
    uint32_t color;     // 0xRRGGBB
    double height;      // the text height, in pixels
    QTransform place;   // the text's own matrix and the glyph's origin, in the clip's pixels
    QPolygonF corners;  // the glyph's advance box, baseline ascent to descent, in the clip
};

std::vector<StaticGlyph> staticTextGlyphs(const DisplayObject& clip);

}  // namespace pencora::runtime
