// Any bytes given to the FLV reader and to the audio and video decoders must come back
// without a crash.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/flash/flv/flv_audio.h"
#include "platform/flash/flv/flv_file.h"
#include "platform/flash/video/video_decoder.h"

namespace {

// The first pictures of the file's video, configured as playback configures them.
void decodeVideo(const pencora::flv::File& file) {
    using pencora::flash::video::VideoDecoder;
    if (!file.video.present || !pencora::flash::video::isKnownCodec(file.video.codec)) {
        return;
    }
    VideoDecoder decoder(file.video.codec, pencora::flash::video::PacketLayout::Flv);
    if (!file.video.extra.empty()) {
        decoder.configure(file.video.extra);
    }
    int budget = 16;
    for (const auto& p : file.packets) {
        if (p.kind != pencora::flv::PacketKind::Video || budget-- == 0) {
            continue;
        }
        if (!p.config.empty()) {
            decoder.configure(p.config);
        }
        (void)decoder.decode(p.bytes);
    }
    (void)decoder.finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (auto file = pencora::flv::readFile(std::span(data, size))) {
        (void)pencora::flv::decodeAudio(*file);
        decodeVideo(*file);
    }
    return 0;
}
