// Keyboard editing of a field without a player: restrict, maxChars, caret and selection keys.
#include <gtest/gtest.h>

#include "platform/flash/runtime/text/text_field_input.h"

namespace pencora::runtime {
namespace {

TextField inputField(const QString& text = {}) {
    TextField f;
    f.editable = true;
    f.newFormat = TextFormat::defaults();
    f.setText(text);
    return f;
}

struct RestrictCase {
    const char* restrict;
    const char* typed;
    const char* kept;
};

TEST(TextFieldInput, RestrictFiltersAndConvertsCase) {
    const RestrictCase cases[] = {
        {"a-z", "abcXYZ1", "abcxyz"},  // the other case of an allowed letter is taken
        {"0-9", "a1b2", "12"},
        {"^0-9", "a1b2", "ab"},
        {"a-z^x", "wxyz", "wyz"},
        {"\\-\\^\\\\", "-^\\a", "-^\\"},
        {"", "abc", ""},  // an empty restrict lets nothing in
        // Dashes: a trailing or doubled one means nothing, a leading one starts the range at
        // the first character, a range written backwards holds its first end only.
        {"a-", "a-", "a"},
        {"-----", "a- ", ""},
        {"-b", "abcC-", "abCC-"},
        {"b-a", "ab", "b"},
        {"a-b-A", "abc-", "ab-"},
        // Only basic Latin letters change case to get in.
        {"aB*\u0394", "b\u03b4\u0394", "B\u0394"},
    };
    for (const RestrictCase& c : cases) {
        TextField f = inputField();
        f.restrict = QString::fromUtf8(c.restrict);
        typeText(f, QString::fromUtf8(c.typed));
        EXPECT_EQ(f.text, QString::fromUtf8(c.kept)) << c.restrict;
    }
    TextField any = inputField();
    typeText(any, QStringLiteral("ąδ€"));
    EXPECT_EQ(any.text, QStringLiteral("ąδ€")) << "no restrict lets everything in";
}

TEST(TextFieldInput, MaxCharsAndLineBreaksLimitWhatGoesIn) {
    TextField f = inputField(QStringLiteral("abc"));
    f.maxChars = 5;
    EXPECT_TRUE(typeText(f, QStringLiteral("defg")));
    EXPECT_EQ(f.text, QStringLiteral("abcde"));
    EXPECT_FALSE(typeText(f, QStringLiteral("x"))) << "a full field takes nothing more";
    // Typing over a selection frees its room first.
    f.selectionBegin = 1;
    f.selectionEnd = 4;
    EXPECT_TRUE(typeText(f, QStringLiteral("XYZW")));
    EXPECT_EQ(f.text, QStringLiteral("aXYZe"));
    // The limit never cuts a character of two UTF-16 units in half.
    TextField wide = inputField(QStringLiteral("ab"));
    wide.maxChars = 5;
    EXPECT_TRUE(typeText(wide, QString::fromUtf8("c\xF0\xA0\x80\x80\xF0\xA0\x80\x81")));
    EXPECT_EQ(wide.text, QString::fromUtf8("abc\xF0\xA0\x80\x80"));
    wide.maxChars = 6;
    EXPECT_FALSE(typeText(wide, QString::fromUtf8("\xF0\xA0\x80\x81")));

    // A negative limit shuts the field: nothing typed goes in, nor replaces a selection.
    TextField shut = inputField(QStringLiteral("abc"));
    shut.maxChars = -1;
    shut.selectionBegin = 0;
    shut.selectionEnd = 3;
    EXPECT_FALSE(typeText(shut, QStringLiteral("x")));
    EXPECT_EQ(shut.text, QStringLiteral("abc"));

    TextField single = inputField();
    typeText(single, QStringLiteral("a\nb\x01"));
    EXPECT_EQ(single.text, QStringLiteral("ab"));
    EXPECT_FALSE(pressKey(single, TextEdit::Enter, false));
    single.multiline = true;
    EXPECT_TRUE(pressKey(single, TextEdit::Enter, false));
    EXPECT_EQ(single.text, QStringLiteral("ab\r"));
}

TEST(TextFieldInput, EditingKeysMoveTheCaretAndSelection) {
    TextField f = inputField(QStringLiteral("hello"));
    f.selectionBegin = f.selectionEnd = 5;
    pressKey(f, TextEdit::Left, false);
    pressKey(f, TextEdit::Left, true);
    EXPECT_EQ(f.selectionBegin, 4);
    EXPECT_EQ(f.selectionEnd, 3);
    EXPECT_TRUE(pressKey(f, TextEdit::Backspace, false));
    EXPECT_EQ(f.text, QStringLiteral("helo"));
    EXPECT_EQ(f.selectionEnd, 3);
    pressKey(f, TextEdit::LineStart, false);
    EXPECT_FALSE(pressKey(f, TextEdit::Backspace, false)) << "nothing before the start";
    EXPECT_TRUE(pressKey(f, TextEdit::Delete, false));
    EXPECT_EQ(f.text, QStringLiteral("elo"));
    pressKey(f, TextEdit::LineEnd, false);
    EXPECT_FALSE(pressKey(f, TextEdit::Delete, false)) << "nothing after the end";
    pressKey(f, TextEdit::SelectAll, false);
    typeText(f, QStringLiteral("new"));
    EXPECT_EQ(f.text, QStringLiteral("new"));
    // A caret left outside the text by a script is brought back before it is used.
    f.selectionBegin = f.selectionEnd = 99;
    pressKey(f, TextEdit::Backspace, false);
    EXPECT_EQ(f.text, QStringLiteral("ne"));
}

TEST(TextFieldInput, WordAndWholeTextMovesJumpOverGapsThenWords) {
    const QString text = QStringLiteral("one, two  three");
    EXPECT_EQ(wordBoundary(text, 15, true), 10);
    EXPECT_EQ(wordBoundary(text, 10, true), 5) << "over the gap, then the word";
    EXPECT_EQ(wordBoundary(text, 2, true), 0);
    EXPECT_EQ(wordBoundary(text, 0, false), 5) << "over the word, then the gap";
    EXPECT_EQ(wordBoundary(text, 6, false), 10);
    EXPECT_EQ(wordBoundary(text, 99, true), 10) << "a caret past the end starts at it";

    TextField f = inputField(QStringLiteral("ab cd\ref"));
    f.multiline = true;
    f.selectionBegin = f.selectionEnd = 4;
    pressKey(f, TextEdit::WordRight, true);
    EXPECT_EQ(f.selectionBegin, 4);
    EXPECT_EQ(f.selectionEnd, 6);
    pressKey(f, TextEdit::TextEnd, false);
    EXPECT_EQ(f.selectionEnd, 8);
    pressKey(f, TextEdit::TextStart, true);
    EXPECT_EQ(f.selectionBegin, 8);
    EXPECT_EQ(f.selectionEnd, 0);
    EXPECT_FALSE(pressKey(f, TextEdit::Paste, false)) << "the clipboard is the caller's";
}

}  // namespace
}  // namespace pencora::runtime
