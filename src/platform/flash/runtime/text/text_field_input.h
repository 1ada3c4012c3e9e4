// Editing a text field from the keyboard: typed characters (filtered by restrict, cut by
// maxChars), the editing keys, caret and selection. The input side (focus, key routing) calls
// textFieldTyped/textFieldKey on the focused field; the model functions below work on a
// TextField alone.
#pragma once

#include <QString>

#include <memory>

#include "platform/flash/runtime/display/display_object.h"
#include "platform/flash/runtime/display/input_state.h"
#include "platform/flash/runtime/text/text_field.h"

namespace pencora::runtime {

class ScriptHost;

// Whether `restrict` (ranges "a-z", "^" to exclude what follows, "\" to escape) lets `c` in;
// a missing restrict lets everything in, an empty one nothing.
bool restrictAllows(const std::optional<QString>& restrict, QChar c);
// `c` as the field accepts it: itself, the same letter in the other case when only that is
// allowed, or nothing (a null QChar).
QChar acceptedChar(const TextField& f, QChar c);

// Replaces the selection (or inserts at the caret) with what was typed; returns whether the
// text changed.
bool typeText(TextField& f, const QString& typed);
// A movement, deletion or new line; `extend` (shift) moves the selection's far end instead
// of the caret. Returns whether the text changed. The clipboard commands are not for this.
bool pressKey(TextField& f, TextEdit key, bool extend);
// Where a caret at `from` lands one word to the left or right: over the gap next to it, then
// over the word.
int wordBoundary(const QString& text, int from, bool left);

// The same on a field on the display list: redraws it, updates its variable and tells its
// listeners (onChanged). Nothing happens unless the field is an input field.
void textFieldTyped(ScriptHost& host, DisplayObject& field, const QString& typed);
void textFieldKey(ScriptHost& host, DisplayObject& field, TextEdit key, bool extend);

// An input method's text still being composed: it takes the place of what was composed before
// (or of the selection), underlined, with the caret after it. Scripts and the variable read it
// with the text, but restrict, maxChars and onChanged wait for the commit. Empty takes it out.
void textFieldComposing(ScriptHost& host, DisplayObject& field, const QString& preedit);
// What was being composed goes into the text as typed text does (restrict, maxChars,
// onChanged), as an input method commits it when the field loses the focus.
void textFieldCommitComposition(ScriptHost& host, DisplayObject& field);

// The player's route for typing into the focused field: characters, the editing commands
// (copy, cut and paste through the system clipboard; a password is never copied out) and the
// focus, which selects the whole text when it comes.
std::unique_ptr<TextInputHandler> makeTextInputHandler(ScriptHost& host);

}  // namespace pencora::runtime
