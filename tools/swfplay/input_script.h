// Input scripts of the corpus (input.json): a list of events in stage pixels, cut into one
// frame's worth each by "Wait". Events this host cannot express (clipboard, IME, text
// editing commands) are skipped.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/flash/control/movie_engine.h"

namespace pencora::swfplay {

// Steps[i] is what to inject after frame i + 1; events after the last "Wait" form a final step.
struct InputScript {
    std::vector<std::vector<flash::InputEvent>> steps;
};

// nullopt with `error` set when the text is not a JSON list of events.
std::optional<InputScript> parseInputScript(const std::string& json, std::string* error);

// The Windows virtual-key code for a key name of the scripts ("Tab", "ArrowLeft",
// {"Char": "a"} as "a"), 0 when unknown.
int virtualKeyFor(const std::string& name);

}  // namespace pencora::swfplay
