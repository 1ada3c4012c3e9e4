#include "player/key_messages.h"

namespace pencora::player {

namespace {

struct KeyRow {
    int qt;
    int vk;
};

constexpr KeyRow kNamedKeys[] = {
    {Qt::Key_Backspace, 0x08},    {Qt::Key_Tab, 0x09},        {Qt::Key_Backtab, 0x09},
    {Qt::Key_Return, 0x0D},       {Qt::Key_Enter, 0x0D},      {Qt::Key_Shift, 0x10},
    {Qt::Key_Control, 0x11},      {Qt::Key_Alt, 0x12},        {Qt::Key_Pause, 0x13},
    {Qt::Key_CapsLock, 0x14},     {Qt::Key_Escape, 0x1B},     {Qt::Key_Space, 0x20},
    {Qt::Key_PageUp, 0x21},       {Qt::Key_PageDown, 0x22},   {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},         {Qt::Key_Left, 0x25},       {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},        {Qt::Key_Down, 0x28},       {Qt::Key_Insert, 0x2D},
    {Qt::Key_Delete, 0x2E},       {Qt::Key_NumLock, 0x90},    {Qt::Key_ScrollLock, 0x91},
    {Qt::Key_Semicolon, 0xBA},    {Qt::Key_Colon, 0xBA},      {Qt::Key_Equal, 0xBB},
    {Qt::Key_Plus, 0xBB},         {Qt::Key_Comma, 0xBC},      {Qt::Key_Less, 0xBC},
    {Qt::Key_Minus, 0xBD},        {Qt::Key_Underscore, 0xBD}, {Qt::Key_Period, 0xBE},
    {Qt::Key_Greater, 0xBE},      {Qt::Key_Slash, 0xBF},      {Qt::Key_Question, 0xBF},
    {Qt::Key_QuoteLeft, 0xC0},    {Qt::Key_AsciiTilde, 0xC0}, {Qt::Key_BracketLeft, 0xDB},
    {Qt::Key_BraceLeft, 0xDB},    {Qt::Key_Backslash, 0xDC},  {Qt::Key_Bar, 0xDC},
    {Qt::Key_BracketRight, 0xDD}, {Qt::Key_BraceRight, 0xDD}, {Qt::Key_Apostrophe, 0xDE},
    {Qt::Key_QuoteDbl, 0xDE},
};

// Shifted digits reach Qt as their symbols; Windows names the digit key.
constexpr KeyRow kShiftedDigits[] = {
    {Qt::Key_ParenRight, '0'},  {Qt::Key_Exclam, '1'},    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},  {Qt::Key_Dollar, '4'},    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'}, {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
};

// The numeric pad's operators: multiply 106, add 107, subtract 109, decimal 110, divide 111.
constexpr KeyRow kPadOperators[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},  {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E},   {Qt::Key_Slash, 0x6F},
};

int padKeyOf(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return 0x60 + (qtKey - Qt::Key_0);
    }
    for (const KeyRow& r : kPadOperators) {
        if (r.qt == qtKey) {
            return r.vk;
        }
    }
    return 0;
}

}  // namespace

int virtualKeyOf(int qtKey, bool keypad) {
    if (keypad) {
        // With Num Lock off the pad's keys come as the arrows, Home, End ... they stand for.
        if (const int vk = padKeyOf(qtKey)) {
            return vk;
        }
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return qtKey;  // Qt and Windows share the ASCII codes of letters and digits
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return 0x70 + (qtKey - Qt::Key_F1);
    }
    for (const KeyRow& r : kNamedKeys) {
        if (r.qt == qtKey) {
            return r.vk;
        }
    }
    for (const KeyRow& r : kShiftedDigits) {
        if (r.qt == qtKey) {
            return r.vk;
        }
    }
    return 0;
}

std::vector<KeyMessage> keyMessages(const QKeyEvent& event) {
    std::vector<KeyMessage> out;
    const int vk = virtualKeyOf(event.key(), event.modifiers() & Qt::KeypadModifier);
    const bool press = event.type() == QEvent::KeyPress;
    // lParam: repeat count 1; bit 30 the key was down before; bits 30 and 31 for a release.
    ole::LPARAM lParam = 1;
    if (press && event.isAutoRepeat()) {
        lParam |= ole::LPARAM(1) << 30;
    }
    if (!press) {
        lParam |= ole::LPARAM(3) << 30;
    }
    if (vk != 0) {
        out.push_back({press ? ole::WM_KEYDOWN : ole::WM_KEYUP, ole::WPARAM(vk), lParam});
    }
    if (press) {
        const QString text = event.text();
        for (QChar c : text) {
            // Control characters other than the ones Windows types (Backspace, Tab, Enter,
            // Escape) are shortcuts, not text.
            const char16_t u = c.unicode();
            if (u < 0x20 && u != 0x08 && u != 0x09 && u != 0x0D && u != 0x1B) {
                continue;
            }
            if (u == 0x7F) {
                continue;
            }
            out.push_back({ole::WM_CHAR, ole::WPARAM(u), lParam});
        }
    }
    return out;
}

std::vector<KeyMessage> committedText(const QString& text) {
    std::vector<KeyMessage> out;
    for (QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F) {
            out.push_back({ole::WM_CHAR, ole::WPARAM(c.unicode()), 1});
        }
    }
    return out;
}

std::vector<KeyMessage> inputMethodMessages(const QString& commit, const QString& preedit) {
    constexpr ole::LPARAM kUnit = ole::GCS_COMPSTR | ole::CS_INSERTCHAR | ole::CS_NOMOVECARET;
    const KeyMessage close{ole::WM_IME_COMPOSITION, 0, ole::GCS_COMPSTR};
    std::vector<KeyMessage> out;
    if (!commit.isEmpty()) {
        out.push_back(close);  // nothing composed any more: the committed text replaces it
        const std::vector<KeyMessage> chars = committedText(commit);
        out.insert(out.end(), chars.begin(), chars.end());
        if (preedit.isEmpty()) {
            return out;
        }
    }
    for (QChar c : preedit) {
        out.push_back({ole::WM_IME_COMPOSITION, ole::WPARAM(c.unicode()), kUnit});
    }
    out.push_back(close);
    return out;
}

}  // namespace pencora::player
