// The character a key types on the standard (US) layout, for Key.getAscii while a key goes
// down, before the character it types arrives as text.
#pragma once

namespace pencora::runtime {

// `code` is a Windows virtual-key code. Letters follow Shift and Caps Lock, digits and
// punctuation Shift; the numeric pad types its digits and operators; Backspace, Tab, Enter,
// Escape, Space and Delete type their control characters; every other key types nothing (0).
char16_t characterOfKey(int code, bool shift, bool capsLock);

}  // namespace pencora::runtime
