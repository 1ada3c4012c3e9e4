// The monkey's hands: a seeded stream of what a child might do to a movie, one frame's worth at
// a time. Pointer moves, presses and drags across the stage and on the things that act on the
// pointer, keys (letters, digits, Tab, Enter, arrows, Backspace, Delete, Home, End, shortcuts),
// Chinese text typed through the input method, focus changes, the wheel, and now and then a
// command the player sends the control (play, stop, rewind, goto, set a variable, call a
// label, load another movie). The same seed and the same answers from the movie give the same
// stream on every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/flash/control/movie_engine.h"

namespace pencora::swfmonkey {

// splitmix64: small, fast and the same everywhere, unlike the standard distributions.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    // 0 .. bound - 1; 0 when bound is 0.
    std::uint64_t below(std::uint64_t bound);
    // Whether an event of `percent` chance in a hundred happens.
    bool chance(double percent);
    double between(double low, double high);

  private:
    std::uint64_t state_;
};

// A command of the control's scripting interface, as the player's code sends them.
struct ControlCommand {
    enum class Kind { Play, StopPlay, Rewind, GotoFrame, SetVariable, CallLabel, LoadMovie };
    Kind kind = Kind::Play;
    int number = 0;    // the frame of GotoFrame, the layer of LoadMovie
    std::u16string a;  // the variable, the target of CallLabel, the movie's file name
    std::u16string b;  // the value, the label
};

// One frame's worth of doing: events for the stage, then commands for the control.
struct FrameActions {
    std::vector<flash::InputEvent> events;
    std::vector<ControlCommand> commands;
};

// What the monkey sees of the movie before it acts.
struct View {
    double stageWidth = 550;
    double stageHeight = 400;
    int totalFrames = 1;
    std::vector<flash::StageRect> activeAreas;
    std::vector<std::u16string> labels;  // frame labels met so far on the root timeline
};

class Monkey {
  public:
    // `movies`: file names (in the movie's folder) LoadMovie may bring in; none: no loads.
    // `commandShare`: of a thousand things done, how many are control commands (the rest of
    // the mix keeps its proportions in what is left).
    Monkey(std::uint64_t seed, std::vector<std::u16string> movies, int commandShare = 14);

    FrameActions next(const View& view);

  private:
    void pointer(const View& view, FrameActions& out);
    void key(FrameActions& out);
    void typeChinese(FrameActions& out);
    void command(const View& view, FrameActions& out);
    flash::InputEvent mouse(flash::InputKind kind, double x, double y) const;
    // A point inside one of the active areas (clamped to the stage), or anywhere.
    void pickPoint(const View& view, double* x, double* y);

    Random random_;
    std::vector<std::u16string> movies_;
    double x_ = 0;
    double y_ = 0;
    bool pressed_ = false;
    bool shift_ = false;
    bool control_ = false;
    int commandShare_ = 14;
};

}  // namespace pencora::swfmonkey
