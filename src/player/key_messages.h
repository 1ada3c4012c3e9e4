// Qt key events as the window messages a windowless control expects: WM_KEYDOWN/WM_KEYUP with
// the Windows virtual-key code in wParam, and WM_CHAR with each UTF-16 unit the key typed.
#pragma once

#include <QKeyEvent>

#include <vector>

#include "platform/ole/types.h"

namespace pencora::player {

struct KeyMessage {
    ole::UINT message = 0;
    ole::WPARAM wParam = 0;
    ole::LPARAM lParam = 0;
};

// The virtual-key code of a Qt key, 0 when Windows has none for it. `keypad`: the key is on
// the numeric pad, whose digits and operators have codes of their own.
int virtualKeyOf(int qtKey, bool keypad = false);

// The messages a key press (key down, then the characters it typed) or release stands for.
// Auto-repeated presses are marked as repeats (bit 30 of lParam), as Windows does.
std::vector<KeyMessage> keyMessages(const QKeyEvent& event);

// The characters an input method commits, each as WM_CHAR, with no key behind them.
std::vector<KeyMessage> committedText(const QString& text);

// What an input method event stands for: the text committed, which takes the place of what
// was being composed, then what is being composed now. The composition travels as
// WM_IME_COMPOSITION messages, one per UTF-16 unit, closed by one that carries none.
std::vector<KeyMessage> inputMethodMessages(const QString& commit, const QString& preedit);

}  // namespace pencora::player
