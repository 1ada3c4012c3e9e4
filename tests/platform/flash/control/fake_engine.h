// A movie engine that records what the control asks of it and lets a test raise the engine's
// callbacks (trace, FSCommand, FlashCall, fetches, dirty areas) at chosen moments.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/flash/control/movie_engine.h"

namespace pencora::flash::testing {

struct FakeEngineState {
    MovieInfo info;  // what movieInfo() answers once a movie is loaded
    std::vector<std::string> calls;
    std::vector<std::uint8_t> loadedBytes;
    std::u16string loadedUrl;
    std::vector<std::pair<std::u16string, std::u16string>> loadedParameters;
    std::vector<InputEvent> input;
    std::vector<StageDisplay> displays;  // each setStageDisplay
    std::vector<RenderTarget> renderTargets;
    std::vector<RenderOptions> renderOptions;
    std::map<std::u16string, std::u16string> variables;
    std::vector<std::pair<int, std::vector<std::uint8_t>>> fetched;
    std::vector<int> failedFetches;
    CursorShape cursor = CursorShape::Arrow;
    std::optional<StageRect> caret;  // what caretRect() answers
    bool loaded = false;
    int frame = 0;
    bool playing = true;
    // Run inside runFrame() and handleInput(), with the engine's host.
    std::function<void(MovieEngineHost&)> onFrame;
    std::function<void(MovieEngineHost&, const InputEvent&)> onInput;
    MovieEngineHost* host = nullptr;
};

std::unique_ptr<MovieEngine> makeFakeEngine(FakeEngineState& state);

}  // namespace pencora::flash::testing
