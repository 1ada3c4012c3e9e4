#include "player/jpeg_writer.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace pencora::player {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void onError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

}  // namespace

QByteArray encodeJpeg(TsfBitmap& frame, int quality) {
    if (frame.empty()) {
        throw std::runtime_error("no frame to encode as JPEG");
    }
    jpeg_compress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(frame.width()) * 3);
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        std::free(out);
        throw std::runtime_error("JPEG encoding failed");
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = static_cast<JDIMENSION>(frame.width());
    info.image_height = static_cast<JDIMENSION>(frame.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const std::uint8_t* src = frame.GetScanLine(static_cast<int>(info.next_scanline));
        for (int x = 0; x < frame.width(); ++x) {
            row[x * 3] = src[x * 4 + 2];
            row[x * 3 + 1] = src[x * 4 + 1];
            row[x * 3 + 2] = src[x * 4];
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    QByteArray result(reinterpret_cast<const char*>(out), static_cast<qsizetype>(outSize));
    jpeg_destroy_compress(&info);
    std::free(out);
    return result;
}

}  // namespace pencora::player
