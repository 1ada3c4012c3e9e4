#include "platform/flash/render/bitmap_decode.h"

#include <QByteArray>

#include <algorithm>

#include "platform/flash/swf/movie.h"

namespace pencora::swf::render {

namespace {

bool startsWith(std::span<const uint8_t> d, std::initializer_list<uint8_t> prefix) {
    return d.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), d.begin());
}

// JPEG data in movies often carries an extra end-of-image/start-of-image pair (FF D9 FF D8)
// at the start or between its table and image parts; decoders stop at that end marker, so
// the first such pair is cut out.
QByteArray cleanJpeg(std::span<const uint8_t> tables, std::span<const uint8_t> data) {
    QByteArray out;
    if (!tables.empty()) {
        // Shared tables end with FF D9 and the image starts with FF D8: join them.
        size_t tablesEnd = tables.size();
        if (tablesEnd >= 2 && tables[tablesEnd - 2] == 0xff && tables[tablesEnd - 1] == 0xd9) {
            tablesEnd -= 2;
        }
        out.append(reinterpret_cast<const char*>(tables.data()), static_cast<qsizetype>(tablesEnd));
        if (startsWith(data, {0xff, 0xd8})) {
            data = data.subspan(2);
        }
        if (startsWith(data, {0xff, 0xd9, 0xff, 0xd8})) {
            data = data.subspan(4);
        }
        out.append(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
        return out;
    }
    if (startsWith(data, {0xff, 0xd9, 0xff, 0xd8})) {
        data = data.subspan(4);
    }
    out.append(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
    static const QByteArray pair("\xff\xd9\xff\xd8", 4);
    qsizetype at = out.indexOf(pair, 2);
    if (at > 0) {
        out.remove(at, 4);
    }
    return out;
}

}  // namespace

QImage decodeJpegBitmap(const JpegBitmap& bitmap, std::span<const uint8_t> jpegTables) {
    std::span<const uint8_t> data(bitmap.data);
    QImage image;
    if (startsWith(data, {0x89, 'P', 'N', 'G'}) || startsWith(data, {'G', 'I', 'F', '8'})) {
        image.loadFromData(data.data(), static_cast<int>(data.size()));
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    QByteArray jpeg =
        cleanJpeg(bitmap.version == 1 ? jpegTables : std::span<const uint8_t>{}, data);
    if (!image.loadFromData(jpeg, "JPEG")) {
        return {};
    }
    if (!bitmap.alpha.empty()) {
        // The player takes the JPEG colours with an alpha plane as premultiplied and clamps
        // each channel to the pixel's alpha.
        image = image.convertToFormat(QImage::Format_RGB32);
        const size_t pixels = static_cast<size_t>(image.width()) * image.height();
        auto alpha = inflateZlib(bitmap.alpha, pixels);
        if (alpha && alpha->size() == pixels) {
            QImage out(image.size(), QImage::Format_ARGB32_Premultiplied);
            for (int y = 0; y < image.height(); ++y) {
                const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
                const uint8_t* a = alpha->data() + static_cast<size_t>(y) * image.width();
                for (int x = 0; x < image.width(); ++x) {
                    const int av = a[x];
                    row[x] = qRgba(std::min(qRed(in[x]), av), std::min(qGreen(in[x]), av),
                                   std::min(qBlue(in[x]), av), av);
                }
            }
            return out;
        }
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage losslessImage(const LosslessBitmap& bitmap) {
    if (bitmap.width == 0 || bitmap.height == 0 ||
        bitmap.pixels.size() != static_cast<size_t>(bitmap.width) * bitmap.height) {
        return {};
    }
    QImage image(bitmap.width, bitmap.height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return {};  // more pixels than an image may hold
    }
    for (int y = 0; y < bitmap.height; ++y) {
        std::copy_n(bitmap.pixels.data() + static_cast<size_t>(y) * bitmap.width, bitmap.width,
                    reinterpret_cast<uint32_t*>(image.scanLine(y)));
    }
    return image;
}

}  // namespace pencora::swf::render
