#include <QPainter>

#include "platform/flash/runtime/draw_backend.h"

namespace pencora::runtime {

void PainterBackend::execute(const std::vector<DrawCommand>& commands,
                             const QTransform& stageToDevice) {
    int pushed = 0;
    for (const DrawCommand& c : commands) {
        switch (c.op) {
            case DrawCommand::Op::Draw:
                if (c.drawing) {
                    painter_.save();
                    c.drawing->draw(painter_, c.transform * stageToDevice, c.color, c.ratio);
                    painter_.restore();
                }
                break;
            case DrawCommand::Op::PushClip:
                painter_.save();
                painter_.setTransform(QTransform());
                painter_.setClipPath(stageToDevice.map(c.clip), Qt::IntersectClip);
                ++pushed;
                break;
            case DrawCommand::Op::PopClip:
                if (pushed > 0) {
                    painter_.restore();
                    --pushed;
                }
                break;
        }
    }
    while (pushed-- > 0) {
        painter_.restore();
    }
}

void CountingBackend::execute(const std::vector<DrawCommand>& commands, const QTransform&) {
    for (const DrawCommand& c : commands) {
        if (c.op == DrawCommand::Op::Draw) {
            ++draws;
        } else if (c.op == DrawCommand::Op::PushClip) {
            ++clips;
        }
    }
}

}  // namespace pencora::runtime
