// How the pictures of a field's markup stand among its lines: each floats to the left (or the
// right) edge from the top of the line its tag starts, or of the line after the one its tag
// stands inside, with its clear room around it, and the lines beside it make way for it.
// Pictures on one side stack towards the middle.
#pragma once

#include <QRectF>

#include <vector>

#include "platform/flash/runtime/text/text_field.h"

namespace pencora::runtime {

class PictureFloats {
  public:
    explicit PictureFloats(const TextField& field);

    // A line starting at text index `lineStart` is about to be laid out at `top`: the
    // pictures whose tags stand before it, or at its start, take their places from there.
    void reach(int lineStart, double top);
    // After the last line, at `top`: the pictures not placed yet go there.
    void finish(double top);
    // The room the pictures beside a line at `top` take on the left and on the right, twips.
    double leftRoom(double top) const;
    double rightRoom(double top) const;
    // The lowest foot of a picture's clear room, in field twips (0: no pictures).
    double foot() const;
    // Where each picture is drawn, in the order of the field's pictures.
    const std::vector<QRectF>& boxes() const { return boxes_; }

  private:
    struct Float {
        QRectF outer;  // the picture and its clear room
        bool right = false;
    };
    void place(size_t index, double top);
    double room(double top, bool right) const;

    const TextField& field_;
    std::vector<QRectF> boxes_;
    std::vector<Float> floats_;
    size_t next_ = 0;  // pictures before this one are placed
};

}  // namespace pencora::runtime
