// The pictures of one placed video, decoded as the timeline asks for them.
#pragma once

#include <QImage>

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/flash/swf/movie.h"
#include "platform/flash/video/video_decoder.h"

namespace pencora::runtime {

class VideoPlayback {
  public:
    // `movie` holds `stream` and is kept alive with it.
    VideoPlayback(std::shared_ptr<const swf::Movie> movie, const swf::VideoStream& stream);

    // The picture of frame `number`: that of the last packet at or before it. Null when there
    // is none, when it does not decode, or after clear() until another frame comes.
    const QImage* pictureAt(uint16_t number);

    // Hides the picture of frame `number`, the one on show, until the video moves to another.
    void clear(uint16_t number);

    // The size of the last picture decoded, 0 x 0 before any.
    int decodedWidth() const { return decodedWidth_; }
    int decodedHeight() const { return decodedHeight_; }

    const swf::VideoStream& stream() const { return *stream_; }

    // What scripts may change; they start as the stream declares them.
    bool smoothing = false;
    int deblocking = 0;

  private:
    using Packets = std::map<uint16_t, swf::Bytes>;
    void decodeUpTo(Packets::const_iterator target);
    Packets::const_iterator keyFrameBefore(Packets::const_iterator target) const;
    void decodeOne(Packets::const_iterator packet);

    std::shared_ptr<const swf::Movie> movie_;
    const swf::VideoStream* stream_;
    flash::video::VideoDecoder decoder_;
    std::optional<uint16_t> decoded_;  // the packet the decoder last took
    QImage picture_;
    bool cleared_ = false;
    std::optional<uint16_t> shown_;  // the packet whose picture is shown
    int decodedWidth_ = 0;
    int decodedHeight_ = 0;
};

}  // namespace pencora::runtime
