// Executes a frame's draw commands. The painter back end draws with QPainter into any paint
// device; the counting back end draws nothing, for timeline tests that need no pixels.
#pragma once

#include <QTransform>

#include <vector>

#include "platform/flash/runtime/drawing/draw_list.h"

class QPainter;

namespace pencora::runtime {

class DrawBackend {
  public:
    virtual ~DrawBackend() = default;
    // `stageToDevice` maps stage pixels to the device.
    virtual void execute(const std::vector<DrawCommand>& commands,
                         const QTransform& stageToDevice) = 0;
};

class PainterBackend : public DrawBackend {
  public:
    explicit PainterBackend(QPainter& painter) : painter_(painter) {}
    void execute(const std::vector<DrawCommand>& commands,
                 const QTransform& stageToDevice) override;

  private:
    QPainter& painter_;
};

class CountingBackend : public DrawBackend {
  public:
    void execute(const std::vector<DrawCommand>& commands, const QTransform&) override;
    int draws = 0;
    int clips = 0;
};

}  // namespace pencora::runtime
