// Fuzz target for the renderer: every character of any readable movie is prepared and
// drawn (at a morph ratio of one half) into a small image without crashing or hanging.
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>

#include "platform/flash/render/drawable.h"
#include "platform/flash/swf/movie.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pencora::swf::ReadOptions options;
    options.maxMovieBytes = 4u << 20;
    options.maxBitmapPixels = 1u << 18;
    auto result = pencora::swf::readMovie({data, size}, options);
    if (!result) {
        return 0;
    }
    pencora::swf::render::Library library(result.movie);
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    int drawn = 0;
    for (const auto& [id, character] : result.movie->dictionary) {
        if (++drawn > 64) {
            break;
        }
        if (auto d = library.prepare(id)) {
            pencora::swf::render::draw(*d, painter, QTransform::fromScale(0.05, 0.05), {}, 0.5);
            pencora::swf::render::hitTest(*d, {100, 100}, 0.5);
        }
    }
    return 0;
}
