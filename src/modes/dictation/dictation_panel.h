// The controls of the dictation panel pnl_wnnx as the course designed them. The start view
// asks for paper and pen and offers the start button and the interval box; the running view
// pnl_wnnx_main covers it with the loudspeaker movie, the progress line and the bar.
#pragma once

#include <functional>

class QComboBox;
class QIcon;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace pencora::dictation {

struct DictationPanel {
    QWidget* pnl_wnnx = nullptr;
    // Start view.
    QLabel* Label2 = nullptr;          // the request for paper and pen, filling the panel
    QPushButton* btn_wnnx1 = nullptr;  // "点击我，开始听写"
    QLabel* lbl_timer = nullptr;       // "每词间隔"
    QComboBox* cmb_timer = nullptr;    // the interval, "5秒" .. "手动"
    // Running view.
    QWidget* pnl_wnnx_main = nullptr;
    QWidget* flash_laba = nullptr;  // the loudspeaker movie's player
    QLabel* lbl_wnnx_state = nullptr;
    QProgressBar* prog_In = nullptr;
};

// Makes the loudspeaker's player inside the running view.
using PlayerFactory = std::function<QWidget*(QWidget* parent)>;

// Builds the controls inside `pnl_wnnx`; `startImage` is the start button's picture.
DictationPanel buildDictationPanel(QWidget* pnl_wnnx, const PlayerFactory& loudspeaker,
                                   const QIcon& startImage);

}  // namespace pencora::dictation
