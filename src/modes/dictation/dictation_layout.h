// Where the controls of the dictation panel go for the panel's size; divisions truncate.
#pragma once

#include <QPoint>
#include <QSize>

namespace pencora::dictation {

// The start view: the start button a little below the middle, the interval box and its
// caption in the top right corner (their tops stay as designed).
struct StartLayout {
    QPoint button;
    int intervalBoxLeft = 0;
    int intervalCaptionLeft = 0;
};
StartLayout layOutStart(QSize panel, QSize button, int intervalBoxWidth, int intervalCaptionWidth);

// The running view: the loudspeaker centred in the room above the progress line and bar.
QPoint loudspeakerPlace(QSize runningView, QSize loudspeaker, int progressLineHeight,
                        int progressBarHeight);

}  // namespace pencora::dictation
