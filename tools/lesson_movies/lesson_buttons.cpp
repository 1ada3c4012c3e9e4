#include "lesson_buttons.h"

#include "platform/flash/swfwrite/action_writer.h"

namespace lesson_movies {

using namespace pencora;
using swfwrite::ActionWriter;

namespace {

// 上一页 / 下一页: report the turn, move `page` within 1..pages, show that page.
swf::Bytes turnPage(bool forward) {
    ActionWriter change;
    change.getVariable("page").op(forward ? swfwrite::action_op::Increment
                                          : swfwrite::action_op::Decrement);
    change.setVariable("page");
    ActionWriter w;
    w.fsCommand("lesson_page", "");
    if (forward) {
        w.getVariable("page").getVariable("pages").op(swfwrite::action_op::Less2);
    } else {
        w.push(1).getVariable("page").op(swfwrite::action_op::Less2);
    }
    w.when(change);
    w.push("page").getVariable("page").op(swfwrite::action_op::Add2).gotoPopped(false);
    return w.bytes();
}

}  // namespace

Box controlBox(Control which) {
    const double y0 = 528, y1 = 572;
    switch (which) {
        case Control::PreviousPage:
            return {40, y0, 160, y1};
        case Control::NextPage:
            return {176, y0, 296, y1};
        case Control::ReadAll:
            return {470, y0, 620, y1};
        case Control::Stop:
            break;
    }
    return {636, y0, 760, y1};
}

std::vector<ControlButton> controlButtons() {
    ActionWriter readAll, stopReading;
    readAll.fsCommand("read_lx", "true").gotoFrame(1, true);
    stopReading.fsCommand("read_lx", "false").stop();
    return {
        {U"上一页", controlBox(Control::PreviousPage), {110, 170, 90, 255}, turnPage(false)},
        {U"下一页", controlBox(Control::NextPage), {110, 170, 90, 255}, turnPage(true)},
        {U"朗读全文", controlBox(Control::ReadAll), {225, 120, 60, 255}, readAll.bytes()},
        {U"停止", controlBox(Control::Stop), {170, 90, 90, 255}, stopReading.bytes()},
    };
}

swf::Bytes sentenceScript(const Sentence& sentence, std::size_t k) {
    ActionWriter w;
    w.fsCommand("lesson_play", std::to_string(sentence.start) + "," + std::to_string(sentence.end));
    w.gotoLabel("s" + std::to_string(k + 1));
    return w.bytes();
}

swf::ButtonRecord buttonRecord(uint8_t states, uint16_t id, uint16_t depth) {
    swf::ButtonRecord r;
    r.states = states;
    r.characterId = id;
    r.depth = depth;
    return r;
}

swf::Button makeButton(uint16_t up, uint16_t over, uint16_t down, uint16_t hit, uint16_t face,
                       swf::Bytes onRelease) {
    namespace bs = swf::button_state;
    swf::Button b;
    b.version = 2;
    b.records = {buttonRecord(bs::Up, up, 1), buttonRecord(bs::Over, over, 2),
                 buttonRecord(bs::Down, down, 3), buttonRecord(bs::HitTest, hit, 4)};
    if (face) {
        b.records.push_back(buttonRecord(bs::Up | bs::Over | bs::Down, face, 5));
    }
    b.actions.push_back({swf::button_condition::OverDownToOverUp, 0, std::move(onRelease)});
    return b;
}

}  // namespace lesson_movies
