#include "platform/flash/video/h263_decoder.h"

#include <algorithm>
#include <utility>

#include "platform/flash/video/h263_block.h"
#include "platform/flash/video/h263_motion.h"
#include "platform/flash/video/h263_vlc.h"

namespace pencora::flash::video::h263 {

namespace {

// What decoding one picture's macroblocks carries from one to the next.
struct Slice {
    BitReader& bits;
    const PictureHeader& header;
    const Picture* reference;
    Picture& picture;
    int quantizer;
    VectorField field;
};

// The macroblock's type and coded blocks (bit 5 is block 0, bits 1 and 0 the chroma
// blocks), with the skipped ones of inter pictures as nothing.
struct MacroblockHead {
    bool skipped = false;
    bool intra = false;
    bool quantizerChange = false;
    int coded = 0;
};

std::optional<MacroblockHead> readHead(Slice& s) {
    const bool inter = s.header.type != PictureType::Intra;
    std::optional<Mcbpc> m;
    do {
        if (inter && s.bits.read(1)) {
            return MacroblockHead{true};
        }
        m = inter ? readInterMcbpc(s.bits) : readIntraMcbpc(s.bits);
    } while (m && m->stuffing && !s.bits.overrun());
    // Four vectors in one macroblock belong to an optional mode these streams do not use.
    if (!m || m->stuffing || m->type == 2) {
        return std::nullopt;
    }
    MacroblockHead h;
    h.intra = m->type >= 3;
    h.quantizerChange = m->type == 1 || m->type == 4;
    const auto cbpy = readCbpy(s.bits);
    if (!cbpy) {
        return std::nullopt;
    }
    h.coded = ((h.intra ? *cbpy : 15 - *cbpy) << 2) | m->cbpc;
    return h;
}

void changeQuantizer(Slice& s) {
    static constexpr int kSteps[] = {-1, -2, 1, 2};
    s.quantizer = std::clamp(s.quantizer + kSteps[s.bits.read(2)], 1, 31);
}

// Where block i (0-3 luma, 4 Cb, 5 Cr) of a macroblock starts, and its plane's stride.
std::pair<uint8_t*, int> blockAt(Picture& p, int mbx, int mby, int i) {
    if (i < 4) {
        const int x = mbx * 16 + (i % 2) * 8;
        const int y = mby * 16 + (i / 2) * 8;
        return {p.y.data() + size_t(y) * size_t(p.lumaStride()) + size_t(x), p.lumaStride()};
    }
    auto& plane = i == 4 ? p.u : p.v;
    return {plane.data() + size_t(mby * 8) * size_t(p.chromaStride()) + size_t(mbx * 8),
            p.chromaStride()};
}

bool decodeBlocks(Slice& s, const MacroblockHead& h, int mbx, int mby) {
    Block block;
    for (int i = 0; i < 6; ++i) {
        const bool coded = (h.coded >> (5 - i)) & 1;
        const auto [to, stride] = blockAt(s.picture, mbx, mby, i);
        if (h.intra) {
            if (!readIntraBlock(s.bits, s.header.version, s.quantizer, coded, block)) {
                return false;
            }
            putBlock(block, to, stride);
        } else if (coded) {
            if (!readInterBlock(s.bits, s.header.version, s.quantizer, block)) {
                return false;
            }
            addBlock(block, to, stride);
        }
    }
    return true;
}

bool decodeMacroblock(Slice& s, int mbx, int mby) {
    const auto h = readHead(s);
    if (!h) {
        return false;
    }
    MotionVector mv;
    if (!h->skipped && h->quantizerChange) {
        changeQuantizer(s);
    }
    if (!h->skipped && !h->intra) {
        const MotionVector predicted = predictVector(s.field, mbx, mby);
        const auto dx = readMotionDelta(s.bits);
        const auto dy = dx ? readMotionDelta(s.bits) : std::nullopt;
        if (!dy) {
            return false;
        }
        mv = {addDifference(predicted.x, *dx), addDifference(predicted.y, *dy)};
    }
    s.field.vectors[size_t(mby) * size_t(s.field.mbCols) + size_t(mbx)] = mv;
    if (!h->intra) {
        predictMacroblock(*s.reference, s.picture, mbx, mby, mv);
    }
    return h->skipped || (decodeBlocks(s, *h, mbx, mby) && !s.bits.overrun());
}

// A group of blocks header at the start of a row begins a new slice with its own quantizer.
void readGroupHeader(Slice& s, int mby) {
    if (mby == 0 || s.bits.peek(17) != 1) {
        return;
    }
    s.bits.skip(17 + 5 + 2);  // start code, group number, frame id
    s.quantizer = std::max(1, int(s.bits.read(5)));
    s.field.sliceTop = mby;
}

bool decodeMacroblocks(Slice& s) {
    const Picture& p = s.picture;
    for (int mby = 0; mby < p.mbRows; ++mby) {
        readGroupHeader(s, mby);
        for (int mbx = 0; mbx < p.mbCols; ++mbx) {
            if (!decodeMacroblock(s, mbx, mby)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

const Picture* Decoder::decode(std::span<const uint8_t> packet) {
    BitReader bits(packet);
    const auto header = readPictureHeader(bits);
    if (!header || int64_t(header->width) * header->height > kMaxPicturePixels) {
        return nullptr;
    }
    const bool intra = header->type == PictureType::Intra;
    if (!intra && (!hasReference_ || reference_.width != header->width ||
                   reference_.height != header->height)) {
        return nullptr;
    }
    if (current_.width != header->width || current_.height != header->height) {
        current_ = pictureFor(*header);
    }
    Slice s{bits, *header, &reference_, current_, header->quantizer, {}};
    s.field.mbCols = current_.mbCols;
    s.field.vectors.assign(size_t(current_.mbCols) * size_t(current_.mbRows), {});
    if (!decodeMacroblocks(s)) {
        return nullptr;
    }
    if (header->type == PictureType::DisposableInter) {
        return &current_;
    }
    std::swap(reference_, current_);
    hasReference_ = true;
    return &reference_;
}

}  // namespace pencora::flash::video::h263
