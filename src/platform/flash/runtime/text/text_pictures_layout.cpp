#include "platform/flash/runtime/text/text_pictures_layout.h"

#include <algorithm>

namespace pencora::runtime {

QSizeF TextPicture::shownSize() const {
    const QSizeF own = ownSize.value_or(QSizeF(0, 0));
    return QSizeF(width ? *width * 20.0 : own.width(), height ? *height * 20.0 : own.height());
}

PictureFloats::PictureFloats(const TextField& field)
    : field_(field), boxes_(field.pictures.size()) {}

double PictureFloats::room(double top, bool right) const {
    double taken = 0;
    for (const Float& f : floats_) {
        if (f.right == right && f.outer.top() <= top && top < f.outer.bottom()) {
            taken = std::max(taken, right ? field_.bounds.width() - kGutter - f.outer.left()
                                          : f.outer.right() - kGutter);
        }
    }
    return taken;
}

double PictureFloats::leftRoom(double top) const {
    return room(top, false);
}

double PictureFloats::rightRoom(double top) const {
    return room(top, true);
}

void PictureFloats::place(size_t index, double top) {
    const TextPicture& p = field_.pictures[index];
    const QSizeF size = p.shownSize();
    if (size.isEmpty()) {
        // Nothing to show yet (a file still on its way, or none): it takes no room.
        boxes_[index] = QRectF(kGutter, top, 0, 0);
        return;
    }
    const double h = p.hspace * 20.0, v = p.vspace * 20.0;
    const QSizeF outer(size.width() + 2 * h, size.height() + 2 * v);
    const double x = p.alignRight ? field_.bounds.width() - kGutter - rightRoom(top) - outer.width()
                                  : kGutter + leftRoom(top);
    floats_.push_back({QRectF(QPointF(x, top), outer), p.alignRight});
    boxes_[index] = QRectF(QPointF(x + h, top + v), size);
}

void PictureFloats::reach(int lineStart, double top) {
    while (next_ < field_.pictures.size() && field_.pictures[next_].at <= lineStart) {
        place(next_++, top);
    }
}

void PictureFloats::finish(double top) {
    while (next_ < field_.pictures.size()) {
        place(next_++, top);
    }
}

double PictureFloats::foot() const {
    double out = 0;
    for (const Float& f : floats_) {
        out = std::max(out, f.outer.bottom());
    }
    return out;
}

}  // namespace pencora::runtime
