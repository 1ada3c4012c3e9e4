#include "platform/flash/runtime/display/key_characters.h"

namespace pencora::runtime {

namespace {

struct Punctuation {
    int code;
    char16_t plain;
    char16_t shifted;
};

// The punctuation keys of the main block.
constexpr Punctuation kPunctuation[] = {
    {186, u';', u':'},  {187, u'=', u'+'}, {188, u',', u'<'},  {189, u'-', u'_'},
    {190, u'.', u'>'},  {191, u'/', u'?'}, {192, u'`', u'~'},  {219, u'[', u'{'},
    {220, u'\\', u'|'}, {221, u']', u'}'}, {222, u'\'', u'"'},
};

// What Shift makes of the digit keys 0 to 9.
constexpr char16_t kShiftedDigits[] = u")!@#$%^&*(";

// The numeric pad's operators, from 106 (multiply) to 111 (divide); 108 is the separator
// key, which types nothing.
constexpr char16_t kPadOperators[] = {u'*', u'+', 0, u'-', u'.', u'/'};

}  // namespace

char16_t characterOfKey(int code, bool shift, bool capsLock) {
    if (code >= 'A' && code <= 'Z') {
        return char16_t(shift != capsLock ? code : code + ('a' - 'A'));
    }
    if (code >= '0' && code <= '9') {
        return shift ? kShiftedDigits[code - '0'] : char16_t(code);
    }
    if (code >= 96 && code <= 105) {
        return char16_t('0' + code - 96);
    }
    if (code >= 106 && code <= 111) {
        return kPadOperators[code - 106];
    }
    for (const Punctuation& p : kPunctuation) {
        if (p.code == code) {
            return shift ? p.shifted : p.plain;
        }
    }
    switch (code) {
        case 8:   // Backspace
        case 9:   // Tab
        case 13:  // Enter
        case 27:  // Escape
        case 32:  // Space
            return char16_t(code);
        case 46:  // Delete
            return 127;
        default:
            return 0;
    }
}

}  // namespace pencora::runtime
