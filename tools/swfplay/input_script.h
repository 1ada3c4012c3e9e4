// Input scripts of the corpus (input.json): a list of events in stage pixels, cut into one
// frame's worth each by "Wait". Text editing commands and setting the clipboard are events
// too; what this host cannot express (IME composition) is skipped.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "platform/flash/control/movie_engine.h"

namespace pencora::swfplay {

// An input event, or (with `clipboard` set) a new text on the clipboard instead.
struct ScriptEvent : flash::InputEvent {
    std::optional<std::u16string> clipboard;
};

// Steps[i] is what to inject after frame i + 1; events after the last "Wait" form a final step.
struct InputScript {
    std::vector<std::vector<ScriptEvent>> steps;
};

// The editing command a script names ("MoveLeft", "SelectAll", "Paste" ...), None if unknown.
flash::TextCommand textCommandNamed(const QString& name);

// nullopt with `error` set when the text is not a JSON list of events.
std::optional<InputScript> parseInputScript(const std::string& json, std::string* error);

// The Windows virtual-key code for a key name of the scripts ("Tab", "ArrowLeft",
// {"Char": "a"} as "a"), 0 when unknown.
int virtualKeyFor(const std::string& name);

}  // namespace pencora::swfplay
