// Where the stage sits in the control: the scale modes (ShowAll by default), the alignment
// of the stage in the control's rectangle, and the zoomed view that Zoom, SetZoomRect and
// Pan move. Pure arithmetic on rectangles, kept apart so the rules can be checked by rows.
#pragma once

#include <optional>

#include "platform/flash/control/movie_engine.h"
#include "platform/ole/types.h"

namespace pencora::flash {

struct StageLayout {
    ole::RECT object;       // the control's rectangle, in its host's coordinates
    double stageWidth = 0;  // stage pixels
    double stageHeight = 0;
    ScaleMode scaleMode = ScaleMode::ShowAll;
    int align = 0;
    std::optional<StageRect> view;  // the zoomed part of the stage; none = the whole stage
};

// Stage pixels → host coordinates. A stage without area maps to the object's top-left.
StageMatrix stageMatrix(const StageLayout& layout);
std::optional<StageMatrix> inverse(const StageMatrix& m);
// The smallest whole-pixel rectangle covering `r` mapped by `m`, grown by one pixel on each
// side for anti-aliased edges.
ole::RECT coveringRect(const StageMatrix& m, const StageRect& r);

// Zoom(factor): 0 shows the whole stage again; otherwise the view keeps its centre and its
// size is multiplied by factor / 100 (50 zooms in twice, 200 out), never beyond the stage.
std::optional<StageRect> zoomView(const StageLayout& layout, int factor);
// SetZoomRect in twips; an empty or inverted rectangle leaves the view unchanged.
std::optional<StageRect> zoomRectView(const StageLayout& layout, int left, int top, int right,
                                      int bottom);
// Pan(x, y, mode): mode 0 moves the view by control pixels, mode 1 by percent of the view's
// size; the view stays inside the stage. Nothing moves while the whole stage is shown.
std::optional<StageRect> panView(const StageLayout& layout, int x, int y, int mode);

}  // namespace pencora::flash
