// Qt key events as the window messages the control reads: the virtual-key codes, the
// characters a press types, and the flags of repeats and releases.
#include <gtest/gtest.h>

#include "player/key_messages.h"

namespace pencora::player {
namespace {

TEST(KeyMessages, QtKeysMapToWindowsVirtualKeys) {
    struct Row {
        int qt;
        int vk;
    } rows[] = {
        {Qt::Key_A, 'A'},
        {Qt::Key_Z, 'Z'},
        {Qt::Key_0, '0'},
        {Qt::Key_Exclam, '1'},
        {Qt::Key_ParenLeft, '9'},
        {Qt::Key_F1, 0x70},
        {Qt::Key_F12, 0x7B},
        {Qt::Key_Left, 0x25},
        {Qt::Key_Down, 0x28},
        {Qt::Key_Return, 0x0D},
        {Qt::Key_Enter, 0x0D},
        {Qt::Key_Backtab, 0x09},
        {Qt::Key_Space, 0x20},
        {Qt::Key_Delete, 0x2E},
        {Qt::Key_Shift, 0x10},
        {Qt::Key_CapsLock, 0x14},
        {Qt::Key_QuoteDbl, 0xDE},
        {Qt::Key_Comma, 0xBC},
        {Qt::Key_BracketLeft, 0xDB},
        {Qt::Key_unknown, 0},
        {Qt::Key_Launch0, 0},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(virtualKeyOf(r.qt), r.vk) << std::hex << r.qt;
    }
    // The numeric pad's digits and operators have codes of their own; its other keys (Num
    // Lock off) and Enter are the keys they stand for.
    EXPECT_EQ(virtualKeyOf(Qt::Key_0, true), 0x60);
    EXPECT_EQ(virtualKeyOf(Qt::Key_9, true), 0x69);
    EXPECT_EQ(virtualKeyOf(Qt::Key_Asterisk, true), 0x6A);
    EXPECT_EQ(virtualKeyOf(Qt::Key_Plus, true), 0x6B);
    EXPECT_EQ(virtualKeyOf(Qt::Key_Minus, true), 0x6D);
    EXPECT_EQ(virtualKeyOf(Qt::Key_Period, true), 0x6E);
    EXPECT_EQ(virtualKeyOf(Qt::Key_Slash, true), 0x6F);
    EXPECT_EQ(virtualKeyOf(Qt::Key_Home, true), 0x24);
    EXPECT_EQ(virtualKeyOf(Qt::Key_Enter, true), 0x0D);
    const QKeyEvent pad(QEvent::KeyPress, Qt::Key_5, Qt::KeypadModifier, QStringLiteral("5"));
    EXPECT_EQ(keyMessages(pad).at(0).wParam, ole::WPARAM(0x65));
}

TEST(KeyMessages, AnInputMethodsTextComesAsCharactersAlone) {
    const auto m = committedText(QString::fromUtf8("\xE4\xB8\xAD\xE6\x96\x87\n"));
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].message, ole::WM_CHAR);
    EXPECT_EQ(m[0].wParam, ole::WPARAM(0x4E2D));
    EXPECT_EQ(m[1].wParam, ole::WPARAM(0x6587));
}

TEST(KeyMessages, AnInputMethodsCompositionTravelsUnitByUnitAndItsCommitReplacesIt) {
    constexpr ole::LPARAM unit = ole::GCS_COMPSTR | ole::CS_INSERTCHAR | ole::CS_NOMOVECARET;
    auto described = [unit](const std::vector<KeyMessage>& messages) {
        std::vector<std::string> out;
        for (const KeyMessage& m : messages) {
            const bool close = m.message == ole::WM_IME_COMPOSITION && m.lParam == ole::GCS_COMPSTR;
            std::string s = m.message == ole::WM_CHAR ? "char " : close ? "close" : "unit ";
            if (!close) {
                s += std::to_string(m.wParam);
            }
            out.push_back(s);
            if (m.message == ole::WM_IME_COMPOSITION && !close) {
                EXPECT_EQ(m.lParam, unit);
            }
        }
        return out;
    };
    using V = std::vector<std::string>;
    // Composing: its units, then the message that makes them the whole composition.
    EXPECT_EQ(described(inputMethodMessages({}, QStringLiteral("ni"))),
              (V{"unit 110", "unit 105", "close"}));
    // Cancelled: an empty composition.
    EXPECT_EQ(described(inputMethodMessages({}, {})), (V{"close"}));
    // Committed: the composition ends before the characters come, none follows.
    EXPECT_EQ(described(inputMethodMessages(QString::fromUtf8("\xE4\xBD\xA0"), {})),
              (V{"close", "char 20320"}));
    // Committed with the next composition already started.
    EXPECT_EQ(described(inputMethodMessages(QStringLiteral("a"), QStringLiteral("b"))),
              (V{"close", "char 97", "unit 98", "close"}));
}

TEST(KeyMessages, PressTypesItsTextAndReleaseCarriesTheReleaseBits) {
    const QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A"));
    auto m = keyMessages(a);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].message, ole::WM_KEYDOWN);
    EXPECT_EQ(m[0].wParam, ole::WPARAM('A'));
    EXPECT_EQ(m[1].message, ole::WM_CHAR);
    EXPECT_EQ(m[1].wParam, ole::WPARAM('A'));

    // A key typing two UTF-16 units (outside the basic plane) sends both.
    const QKeyEvent emoji(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                          QString::fromUtf8("\xF0\x9F\x98\x80"));
    m = keyMessages(emoji);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].message, ole::WM_CHAR);
    EXPECT_EQ(m[1].message, ole::WM_CHAR);

    // Shortcuts type control characters that are not text; Backspace, Tab, Enter and Escape
    // are what Windows types for them.
    const QKeyEvent ctrlC(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QString(QChar(3)));
    m = keyMessages(ctrlC);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, ole::WM_KEYDOWN);
    const QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    m = keyMessages(enter);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[1].wParam, ole::WPARAM('\r'));

    const QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier, QString(), true);
    m = keyMessages(repeat);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].lParam & (ole::LPARAM(1) << 30), ole::LPARAM(1) << 30);

    const QKeyEvent up(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    m = keyMessages(up);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, ole::WM_KEYUP);
    EXPECT_EQ(m[0].lParam >> 30 & 3, 3);
}

}  // namespace
}  // namespace pencora::player
