#include "modes/dictation/dictation_layout.h"

namespace pencora::dictation {

StartLayout layOutStart(QSize panel, QSize button, int intervalBoxWidth, int intervalCaptionWidth) {
    StartLayout layout;
    layout.button = {panel.width() / 2 - button.width() / 2,
                     panel.height() / 2 - button.height() / 2 + 50};
    layout.intervalBoxLeft = panel.width() - intervalBoxWidth - 5;
    layout.intervalCaptionLeft = layout.intervalBoxLeft - intervalCaptionWidth + 3;
    return layout;
}

QPoint loudspeakerPlace(QSize runningView, QSize loudspeaker, int progressLineHeight,
                        int progressBarHeight) {
    return {
        (runningView.width() - loudspeaker.width()) / 2,
        (runningView.height() - progressLineHeight - progressBarHeight - loudspeaker.height()) / 2};
}

}  // namespace pencora::dictation
