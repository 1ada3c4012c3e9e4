// A lesson's movie: title, illustration, the text on pages with buttons for every sentence,
// page buttons and the reading buttons, and a timeline that marks each sentence while the
// whole reading plays.
//
// Frames (counted from 0): frame 0 shows the first page; frames 1 .. end-1 follow the reading
// at the movie's frame rate, the frame labelled "sK" being where sentence K (from 1) starts;
// "end" stops after the last sentence; "page1" .. "pageN" show one page each and stop. The
// variables `page` (shown page, from 1) and `pages` are kept on the root timeline.
// Commands: a sentence sends "lesson_play" with "start,end" (its bytes in the reading) and
// stops on its "sK" frame; 上一页/下一页 send "lesson_page" and go to the page before or
// after; 朗读全文 sends "read_lx" "true" and plays from frame 1; 停止 sends "read_lx" "false"
// and stops.
#pragma once

#include "embedded_font.h"
#include "lesson_data.h"
#include "platform/flash/swf/control_tags.h"
#include "text_layout.h"

namespace lesson_movies {

inline constexpr double kFrameRate = 12.0;
inline constexpr int kStageWidth = 800;
inline constexpr int kStageHeight = 600;

struct Fonts {
    EmbeddedFont& kai;     // the text, title and labels
    EmbeddedFont& pinyin;  // pinyin over the characters
};

enum class Control { PreviousPage, NextPage, ReadAll, Stop };
// Where a control button sits on the stage.
Box controlBox(Control which);
// The text area of a lesson's pages.
TextArea textAreaFor(const Lesson& lesson);

pencora::swf::Bytes lessonMovie(const Lesson& lesson, Fonts fonts);

// The frame on which a reading that started on frame 1 reaches `seconds`.
int frameAt(double seconds);

}  // namespace lesson_movies
