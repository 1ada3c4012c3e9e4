// swfplay bench: what one frame of a movie costs as a user sees it in the player. Each frame
// the control advances (timeline and scripts), then the area it reports dirty is composed as
// the player composes it: the background's part copied into the frame, the control drawn over
// it there, and that area copied to the screen.
#pragma once

#include <QImage>
#include <QRect>

#include <vector>

#include "movie_host.h"

namespace pencora::swfplay {

struct FrameCost {
    double milliseconds = 0;
    double redrawnShare = 0;  // 0 .. 1 of the control's area
};

struct BenchFigures {
    int frames = 0;
    double medianMs = 0;
    double p95Ms = 0;        // nearest rank: the smallest cost at least 95 % of frames reach
    double meanRedrawn = 0;  // average share of the stage redrawn per frame
    int fullRedraws = 0;     // frames that redrew the whole stage
    int idleFrames = 0;      // frames that redrew nothing
};

// The player's frame bitmaps: the background (white), the composed frame, and the screen each
// composed area is copied to. Nothing is allocated per frame.
class FrameComposer {
  public:
    FrameComposer(int width, int height);
    void compose(MovieHost& host, const QRect& area);
    const QImage& screen() const { return screen_; }

  private:
    // Plain row copies, as the player's bitmaps copy without blending.
    static void copyRect(const QImage& from, const QRect& r, QImage& to, QPoint at);

    QImage back_, frame_, screen_;
};

BenchFigures summarize(const std::vector<FrameCost>& costs);

// Plays `frames` frames of the loaded movie on the control's virtual clock, timing each.
// With `wholeStage` every frame redraws the whole stage, whatever the control reported.
std::vector<FrameCost> playFrames(MovieHost& host, int width, int height, int frames,
                                  bool wholeStage = false);

}  // namespace pencora::swfplay
