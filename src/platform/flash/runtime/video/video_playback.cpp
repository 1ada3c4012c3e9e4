#include "platform/flash/runtime/video/video_playback.h"

#include <cstring>
#include <iterator>

#include "platform/flash/video/video_packet.h"

namespace pencora::runtime {

namespace {

QImage toImage(const flash::video::DecodedFrame& frame) {
    QImage image(frame.width, frame.height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return image;
    }
    for (int y = 0; y < frame.height; ++y) {
        std::memcpy(image.scanLine(y), frame.pixels.data() + size_t(y) * frame.width,
                    size_t(frame.width) * 4);
    }
    return image;
}

}  // namespace

VideoPlayback::VideoPlayback(std::shared_ptr<const swf::Movie> movie,
                             const swf::VideoStream& stream)
    : movie_(std::move(movie)), stream_(&stream), decoder_(stream.codecId) {
    smoothing = stream.smoothing;
    deblocking = stream.deblocking;
}

const QImage* VideoPlayback::pictureAt(uint16_t number) {
    const Packets& packets = stream_->frames;
    auto after = packets.upper_bound(number);
    if (after == packets.begin()) {
        return nullptr;  // nothing at or before this frame
    }
    auto target = std::prev(after);
    if (shown_ != target->first) {
        cleared_ = false;
        decodeUpTo(target);
        shown_ = target->first;
    }
    return cleared_ || picture_.isNull() ? nullptr : &picture_;
}

void VideoPlayback::clear(uint16_t number) {
    pictureAt(number);  // the frame may have come since the last drawing
    cleared_ = true;
}

void VideoPlayback::decodeUpTo(Packets::const_iterator target) {
    const Packets& packets = stream_->frames;
    Packets::const_iterator next;
    if (decoded_ && *decoded_ < target->first) {
        next = packets.upper_bound(*decoded_);
        // Running on through many inter frames costs more than starting at a nearer key frame.
        auto key = keyFrameBefore(target);
        if (key->first > *decoded_) {
            next = key;
            decoder_.reset();
        }
    } else {
        next = keyFrameBefore(target);
        decoder_.reset();
    }
    for (auto it = next; it != std::next(target); ++it) {
        decodeOne(it);
    }
}

VideoPlayback::Packets::const_iterator VideoPlayback::keyFrameBefore(
    Packets::const_iterator target) const {
    const Packets& packets = stream_->frames;
    for (auto it = target;; --it) {
        if (flash::video::isKeyFramePacket(stream_->codecId, it->second,
                                           flash::video::PacketLayout::Swf) ||
            it == packets.begin()) {
            return it;
        }
    }
}

void VideoPlayback::decodeOne(Packets::const_iterator packet) {
    decoded_ = packet->first;
    decoder_.setDeblocking(deblocking);
    std::optional<flash::video::DecodedFrame> frame = decoder_.decode(packet->second);
    if (!frame) {
        return;  // a broken packet leaves the last picture up
    }
    QImage image = toImage(*frame);
    if (!image.isNull()) {
        picture_ = std::move(image);
        decodedWidth_ = frame->width;
        decodedHeight_ = frame->height;
    }
}

}  // namespace pencora::runtime
