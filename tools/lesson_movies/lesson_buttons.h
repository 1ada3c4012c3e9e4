// The buttons of a lesson movie and their scripts. A sentence sends "lesson_play" with its
// byte range and stops on its "sK" frame; 上一页/下一页 send "lesson_page" and go to the
// "pageN" frame before or after, keeping `page` within 1..`pages`; 朗读全文 sends "read_lx"
// "true" and plays from frame 1; 停止 sends "read_lx" "false" and stops.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "lesson_data.h"
#include "platform/flash/swf/characters.h"
#include "text_layout.h"

namespace lesson_movies {

enum class Control { PreviousPage, NextPage, ReadAll, Stop };

// Where a control button sits on the stage.
Box controlBox(Control which);

struct ControlButton {
    std::u32string text;
    Box box;
    pencora::swf::Rgba color;
    pencora::swf::Bytes onRelease;
};

std::vector<ControlButton> controlButtons();

// The script of sentence k (from 0).
pencora::swf::Bytes sentenceScript(const Sentence& sentence, std::size_t k);

pencora::swf::ButtonRecord buttonRecord(uint8_t states, uint16_t id, uint16_t depth);
// A button showing `up`, `over` and `down` in those states, `hit` as its active area, `face`
// (if not 0) in every state, running `onRelease` when clicked.
pencora::swf::Button makeButton(uint16_t up, uint16_t over, uint16_t down, uint16_t hit,
                                uint16_t face, pencora::swf::Bytes onRelease);

}  // namespace lesson_movies
