#include "platform/flash/runtime/video/video_drawing.h"

#include <QPainter>

#include "platform/flash/runtime/video/video_playback.h"

namespace pencora::runtime {

namespace {

// A picture stretched over a rectangle that is also what the drawing hits and bounds.
class StretchedPictureDrawing : public CharacterDrawing {
  public:
    explicit StretchedPictureDrawing(QRectF area) : area_(area) {}

    QPainterPath outline(uint16_t) const override {
        QPainterPath path;
        path.addRect(area_);
        return path;
    }

    bool hits(QPointF point, uint16_t, const QTransform&) const override {
        return area_.contains(point);
    }

    QRectF bounds(uint16_t) const override { return area_; }

  protected:
    // Draws `bitmap`, the drawing of a picture of `size` pixels, over the rectangle.
    void drawStretched(const CharacterDrawing& bitmap, QSize size, QPainter& painter,
                       const QTransform& toDevice, const ColorTransformF& color) const {
        const QTransform stretch = QTransform::fromScale(area_.width() / (size.width() * 20.0),
                                                         area_.height() / (size.height() * 20.0));
        bitmap.draw(painter, stretch * toDevice, color, 0);
    }

    QRectF area_;
};

class VideoDrawing : public StretchedPictureDrawing {
  public:
    explicit VideoDrawing(std::shared_ptr<VideoPlayback> playback)
        : StretchedPictureDrawing(
              {0, 0, playback->stream().width * 20.0, playback->stream().height * 20.0}),
          playback_(std::move(playback)) {}

    void draw(QPainter& painter, const QTransform& toDevice, const ColorTransformF& color,
              uint16_t ratio) const override {
        const QImage* picture = playback_->pictureAt(ratio);
        if (!picture || area_.isEmpty()) {
            return;
        }
        if (picture->cacheKey() != pictureKey_ || playback_->smoothing != smoothing_) {
            pictureKey_ = picture->cacheKey();
            smoothing_ = playback_->smoothing;
            bitmap_ = makeBitmapDrawing(*picture, smoothing_);
        }
        if (!bitmap_) {
            return;
        }
        // The picture, whatever size it decoded at, fills the rectangle the stream declares.
        drawStretched(*bitmap_, picture->size(), painter, toDevice, color);
    }

    // The picture on show at `ratio`: a stream holds a picture over many frames.
    uint64_t shownAt(uint16_t ratio) const override {
        const QImage* picture = playback_->pictureAt(ratio);
        return picture ? uint64_t(picture->cacheKey()) : 0;
    }

  private:
    std::shared_ptr<VideoPlayback> playback_;
    // The bitmap drawing of the picture last drawn.
    mutable qint64 pictureKey_ = 0;
    mutable bool smoothing_ = false;
    mutable std::shared_ptr<const CharacterDrawing> bitmap_;
};

// A stream's picture in a video object: stretched over the rectangle the object's stream
// declares, which stays its size while no picture has come.
class StreamPictureDrawing : public StretchedPictureDrawing {
  public:
    StreamPictureDrawing(const QImage& picture, QRectF area, bool smoothing)
        : StretchedPictureDrawing(area),
          pictureSize_(picture.size()),
          bitmap_(makeBitmapDrawing(picture, smoothing)) {}

    void draw(QPainter& painter, const QTransform& toDevice, const ColorTransformF& color,
              uint16_t) const override {
        if (!bitmap_ || area_.isEmpty() || pictureSize_.isEmpty()) {
            return;
        }
        drawStretched(*bitmap_, pictureSize_, painter, toDevice, color);
    }

  private:
    QSize pictureSize_;
    std::shared_ptr<const CharacterDrawing> bitmap_;
};

}  // namespace

std::shared_ptr<const CharacterDrawing> makeStreamPictureDrawing(const QImage& picture,
                                                                 const VideoPlayback& video) {
    const QRectF area(0, 0, video.stream().width * 20.0, video.stream().height * 20.0);
    return std::make_shared<StreamPictureDrawing>(picture, area, video.smoothing);
}

std::shared_ptr<const CharacterDrawing> makeVideoDrawing(std::shared_ptr<VideoPlayback> playback) {
    return playback ? std::make_shared<VideoDrawing>(std::move(playback)) : nullptr;
}

}  // namespace pencora::runtime
