#include "monkey_input.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "platform/flash/control/text_commands.h"

namespace pencora::swfmonkey {

using flash::InputEvent;
using flash::InputKind;

std::uint64_t Random::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t Random::below(std::uint64_t bound) {
    return bound == 0 ? 0 : next() % bound;
}

bool Random::chance(double percent) {
    return between(0, 100) < percent;
}

double Random::between(double low, double high) {
    const double unit = double(next() >> 11) / double(1ull << 53);
    return low + unit * (high - low);
}

namespace {

constexpr int kShift = 0x10;
constexpr int kControl = 0x11;

// Keys a child reaches for, as virtual-key codes; letters and digits are added apart.
constexpr std::array kEditingKeys = {
    0x09,                    // Tab
    0x0D,                    // Enter
    0x08,                    // Backspace
    0x2E,                    // Delete
    0x25, 0x26, 0x27, 0x28,  // arrows
    0x24, 0x23,              // Home, End
    0x20,                    // Space
    0x1B,                    // Escape
};

// Words as a Chinese input method commits them; one lies beyond 16 bits.
const std::array<std::u16string, 6> kChinese = {u"你好",   u"中文",       u"学习",
                                                u"老师说", u"\U00020000", u"谢谢你们"};

const std::array<std::u16string, 6> kValues = {u"", u"0", u"1", u"-1", u"hello", u"1e308"};
const std::array<std::u16string, 5> kVariables = {u"name", u"/:score", u"_level0.answer",
                                                  u"flv.contentPath", u"a.b.c"};

}  // namespace

Monkey::Monkey(std::uint64_t seed, std::vector<std::u16string> movies, int commandShare)
    : random_(seed), movies_(std::move(movies)), commandShare_(std::clamp(commandShare, 0, 1000)) {}

InputEvent Monkey::mouse(InputKind kind, double x, double y) const {
    InputEvent e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    return e;
}

void Monkey::pickPoint(const View& view, double* x, double* y) {
    if (!view.activeAreas.empty() && random_.chance(60)) {
        const flash::StageRect& r = view.activeAreas[random_.below(view.activeAreas.size())];
        const auto inside = [&](double low, double high, double limit) {
            const double v = low < high ? random_.between(low, high) : low;
            return std::isfinite(v) ? std::clamp(v, -10.0, limit + 10) : 0.0;
        };
        *x = inside(r.left, r.right, view.stageWidth);
        *y = inside(r.top, r.bottom, view.stageHeight);
        return;
    }
    // Mostly on the stage, sometimes just off its edges.
    *x = random_.between(-8, view.stageWidth + 8);
    *y = random_.between(-8, view.stageHeight + 8);
}

void Monkey::pointer(const View& view, FrameActions& out) {
    const std::uint64_t roll = random_.below(100);
    double x = x_, y = y_;
    if (roll < 55) {
        // A few steps of a move, as a hand sweeps across.
        double toX = 0, toY = 0;
        pickPoint(view, &toX, &toY);
        const int steps = 1 + int(random_.below(4));
        for (int i = 1; i <= steps; ++i) {
            x = i == steps ? toX : x_ + (toX - x_) * i / steps;
            y = i == steps ? toY : y_ + (toY - y_) * i / steps;
            out.events.push_back(mouse(InputKind::MouseMove, x, y));
        }
    } else if (roll < 90) {
        // A press, or the release of the one held; a press may move before it lands.
        if (!pressed_) {
            pickPoint(view, &x, &y);
            out.events.push_back(mouse(InputKind::MouseMove, x, y));
        }
        InputEvent e = mouse(pressed_ ? InputKind::MouseUp : InputKind::MouseDown, x, y);
        if (random_.chance(5)) {
            e.button = random_.chance(50) ? flash::MouseButton::Right : flash::MouseButton::Middle;
        } else {
            pressed_ = !pressed_;
        }
        out.events.push_back(e);
        // Most clicks are quick: the release comes in the same frame.
        if (pressed_ && random_.chance(60)) {
            out.events.push_back(mouse(InputKind::MouseUp, x, y));
            pressed_ = false;
        }
    } else if (roll < 96) {
        InputEvent e = mouse(InputKind::MouseWheel, x, y);
        e.wheelDelta = int(random_.below(7)) - 3;
        out.events.push_back(e);
    } else {
        out.events.push_back(mouse(InputKind::MouseLeave, x, y));
    }
    x_ = x;
    y_ = y;
}

void Monkey::key(FrameActions& out) {
    int code = 0;
    char16_t character = 0;
    const std::uint64_t roll = random_.below(100);
    if (roll < 40) {
        code = 'A' + int(random_.below(26));
        character = char16_t((shift_ ? 'A' : 'a') + (code - 'A'));
    } else if (roll < 55) {
        code = '0' + int(random_.below(10));
        character = char16_t(code);
    } else if (roll < 90) {
        code = kEditingKeys[random_.below(kEditingKeys.size())];
        character = code == 0x20 ? u' ' : code == 0x0D ? u'\r' : code == 0x08 ? u'\b' : 0;
    } else {
        // Holding or letting go of Shift or Control changes what the next keys do.
        bool& held = roll < 95 ? shift_ : control_;
        held = !held;
        InputEvent e;
        e.kind = held ? InputKind::KeyDown : InputKind::KeyUp;
        e.keyCode = roll < 95 ? kShift : kControl;
        out.events.push_back(e);
        return;
    }
    if (control_) {
        character = 0;
    }
    InputEvent down;
    down.kind = InputKind::KeyDown;
    down.keyCode = code;
    down.character = character;
    out.events.push_back(down);
    // The control sends what the key types, then the edit it stands for, then lets go.
    if (character >= 0x20) {
        InputEvent typed;
        typed.kind = InputKind::TextInput;
        typed.character = character;
        out.events.push_back(typed);
    }
    if (const auto command = flash::textCommandForKey(code, shift_, control_);
        command != flash::TextCommand::None) {
        InputEvent edit;
        edit.kind = InputKind::TextCommand;
        edit.command = command;
        out.events.push_back(edit);
    }
    InputEvent up;
    up.kind = InputKind::KeyUp;
    up.keyCode = code;
    out.events.push_back(up);
}

void Monkey::typeChinese(FrameActions& out) {
    const std::u16string& word = kChinese[random_.below(kChinese.size())];
    InputEvent e;
    e.kind = InputKind::Composition;
    for (std::size_t i = 1; i <= word.size(); ++i) {
        e.text = word.substr(0, i);
        out.events.push_back(e);
    }
    e.text.clear();
    // Now and then the composition is abandoned instead of committed.
    if (random_.chance(15)) {
        out.events.push_back(e);
        return;
    }
    out.events.push_back(e);
    for (char16_t c : word) {
        InputEvent typed;
        typed.kind = InputKind::TextInput;
        typed.character = c;
        out.events.push_back(typed);
    }
}

void Monkey::command(const View& view, FrameActions& out) {
    using K = ControlCommand::Kind;
    ControlCommand c;
    const std::uint64_t roll = random_.below(100);
    if (roll < 15) {
        c.kind = K::Play;
    } else if (roll < 30) {
        c.kind = K::StopPlay;
    } else if (roll < 40) {
        c.kind = K::Rewind;
    } else if (roll < 60) {
        c.kind = K::GotoFrame;
        // Mostly inside the movie, sometimes past either end.
        c.number = int(random_.below(std::uint64_t(std::max(view.totalFrames, 1)) + 4)) - 2;
    } else if (roll < 75) {
        c.kind = K::SetVariable;
        c.a = kVariables[random_.below(kVariables.size())];
        c.b = kValues[random_.below(kValues.size())];
    } else if (roll < 93) {
        c.kind = K::CallLabel;
        c.a = random_.chance(80) ? u"/" : u"/nosuchclip";
        c.b = view.labels.empty() || random_.chance(20)
                  ? std::u16string(u"nosuchlabel")
                  : view.labels[random_.below(view.labels.size())];
    } else {
        if (movies_.empty()) {
            return;
        }
        c.kind = K::LoadMovie;
        c.number = random_.chance(50) ? 0 : 1 + int(random_.below(3));
        c.a = movies_[random_.below(movies_.size())];
    }
    out.commands.push_back(std::move(c));
}

FrameActions Monkey::next(const View& view) {
    FrameActions out;
    const int count = int(random_.below(4));
    for (int i = 0; i < count; ++i) {
        if (int(random_.below(1000)) < commandShare_) {
            command(view, out);
            continue;
        }
        const std::uint64_t roll = random_.below(1000);
        if (roll < 530) {
            pointer(view, out);
        } else if (roll < 865) {
            key(out);
        } else if (roll < 915) {
            typeChinese(out);
        } else if (roll < 955) {
            InputEvent e;
            e.kind = random_.chance(50) ? InputKind::FocusLost : InputKind::FocusGained;
            out.events.push_back(e);
        } else if (roll < 961) {
            InputEvent paste;
            paste.kind = InputKind::TextCommand;
            paste.command = flash::TextCommand::Paste;
            out.events.push_back(paste);
        }
    }
    return out;
}

}  // namespace pencora::swfmonkey
