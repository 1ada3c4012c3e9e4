#include "platform/flash/control/text_commands.h"

namespace pencora::flash {

namespace {

// A movement and its selecting twin.
TextCommand moveOrSelect(TextCommand move, TextCommand select, bool shift) {
    return shift ? select : move;
}

}  // namespace

TextCommand textCommandForKey(int virtualKey, bool shift, bool control) {
    using enum TextCommand;
    switch (virtualKey) {
        case 0x25:  // left arrow
            return control ? moveOrSelect(MoveLeftWord, SelectLeftWord, shift)
                           : moveOrSelect(MoveLeft, SelectLeft, shift);
        case 0x27:  // right arrow
            return control ? moveOrSelect(MoveRightWord, SelectRightWord, shift)
                           : moveOrSelect(MoveRight, SelectRight, shift);
        case 0x24:  // Home
            return control ? moveOrSelect(MoveLeftDocument, SelectLeftDocument, shift)
                           : moveOrSelect(MoveLeftLine, SelectLeftLine, shift);
        case 0x23:  // End
            return control ? moveOrSelect(MoveRightDocument, SelectRightDocument, shift)
                           : moveOrSelect(MoveRightLine, SelectRightLine, shift);
        case 0x08:
            return Backspace;
        case 0x2E:
            return Delete;
        case 0x0D:
            return Enter;
        default:
            break;
    }
    if (!control) {
        return None;
    }
    switch (virtualKey) {
        case 'A':
            return SelectAll;
        case 'C':
            return Copy;
        case 'X':
            return Cut;
        case 'V':
            return Paste;
        default:
            return None;
    }
}

}  // namespace pencora::flash
