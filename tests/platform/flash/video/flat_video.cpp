#include "flat_video.h"

#include <cstring>

#include "encode_pictures.h"

namespace pencora::flash::video::test {

namespace {

void fillPlane(AVFrame& f, int plane, int rows, int cols, uint8_t value) {
    for (int r = 0; r < rows; ++r) {
        std::memset(f.data[plane] + size_t(r) * f.linesize[plane], value, size_t(cols));
    }
}

}  // namespace

Packets h263Packets(int width, int height, const std::vector<Yuv>& colors, int keyEvery) {
    return encode(AV_CODEC_ID_FLV1, AV_PIX_FMT_YUV420P, width, height, int(colors.size()), keyEvery,
                  [&](AVFrame& f, int i) {
                      fillPlane(f, 0, height, width, colors[i].y);
                      fillPlane(f, 1, (height + 1) / 2, (width + 1) / 2, colors[i].u);
                      fillPlane(f, 2, (height + 1) / 2, (width + 1) / 2, colors[i].v);
                  });
}

Packets h263SplitPictures(int width, int height, Yuv left, Yuv right, int quantizer, int frames) {
    auto fillHalves = [&](AVFrame& f, int plane, int rows, int cols, uint8_t a, uint8_t b) {
        for (int r = 0; r < rows; ++r) {
            uint8_t* row = f.data[plane] + size_t(r) * f.linesize[plane];
            std::memset(row, a, size_t(cols / 2));
            std::memset(row + cols / 2, b, size_t(cols - cols / 2));
        }
    };
    const int cw = (width + 1) / 2;
    const int ch = (height + 1) / 2;
    return encode(
        AV_CODEC_ID_FLV1, AV_PIX_FMT_YUV420P, width, height, frames, 600,
        [&](AVFrame& f, int) {
            fillHalves(f, 0, height, width, left.y, right.y);
            fillHalves(f, 1, ch, cw, left.u, right.u);
            fillHalves(f, 2, ch, cw, left.v, right.v);
        },
        quantizer);
}

Packets screenVideoPackets(int width, int height, const std::vector<uint32_t>& colors) {
    return encode(AV_CODEC_ID_FLASHSV, AV_PIX_FMT_BGR24, width, height, int(colors.size()), 1,
                  [&](AVFrame& f, int i) {
                      for (int r = 0; r < height; ++r) {
                          uint8_t* px = f.data[0] + size_t(r) * f.linesize[0];
                          for (int x = 0; x < width; ++x) {
                              px[3 * x] = uint8_t(colors[i]);
                              px[3 * x + 1] = uint8_t(colors[i] >> 8);
                              px[3 * x + 2] = uint8_t(colors[i] >> 16);
                          }
                      }
                  });
}

}  // namespace pencora::flash::video::test
