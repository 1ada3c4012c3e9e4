#include "platform/flash/runtime/text/text_field_input.h"

#include "platform/flash/runtime/display/player.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/runtime/text/clipboard.h"
#include "platform/flash/runtime/text/text_field_class.h"

namespace pencora::runtime {

namespace {

std::pair<int, int> selection(const TextField& f) {
    int a = std::clamp(f.selectionBegin, 0, f.length());
    int b = std::clamp(f.selectionEnd, 0, f.length());
    if (f.selectionBegin < 0) {
        a = b = f.length();  // no caret yet: typing appends
    }
    return {std::min(a, b), std::max(a, b)};
}

void placeCaret(TextField& f, int at) {
    f.selectionBegin = f.selectionEnd = std::clamp(at, 0, f.length());
}

}  // namespace

// The list is read left to right: "^" switches between letting in and keeping out, "\\"
// takes the next character as it is, "x-y" is a range. A range with nothing before it starts
// at the first character; one written backwards holds its first end only; a dash followed by
// nothing or by another dash stands for nothing. The last rule that covers `c` decides.
bool restrictAllows(const std::optional<QString>& restrict, QChar c) {
    if (!restrict) {
        return true;
    }
    const QString& r = * restrict;
    // A leading "^" starts with everything allowed and lists what is not.
    bool allowed = !r.isEmpty() && r[0] == u'^';
    bool including = true;
    char16_t last = 0;  // the character a following range starts from
    auto cover = [&](char16_t from, char16_t to) {
        if (to < from) {
            to = from;
        }
        if (c.unicode() >= from && c.unicode() <= to) {
            allowed = including;
        }
    };
    const qsizetype n = r.size();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t ch = r[i].unicode();
        if (ch == u'^') {
            including = !including;
            continue;
        }
        if (ch == u'-') {
            if (i + 1 >= n || r[i + 1] == u'-') {
                continue;
            }
            char16_t to = r[++i].unicode();
            if (to == u'\\') {
                if (i + 1 >= n) {
                    break;
                }
                to = r[++i].unicode();
            }
            cover(last, to);
            last = 0;
            continue;
        }
        if (ch == u'\\') {
            if (i + 1 >= n) {
                break;
            }
            ch = r[++i].unicode();
        }
        cover(ch, ch);
        last = ch;
    }
    return allowed;
}

// A letter of the basic Latin alphabet the restriction keeps out may come in as the same
// letter in the other case.
QChar acceptedChar(const TextField& f, QChar c) {
    if (restrictAllows(f.restrict, c)) {
        return c;
    }
    if (c.unicode() >= 128) {
        return QChar();
    }
    for (QChar other : {c.toUpper(), c.toLower()}) {
        if (other != c && restrictAllows(f.restrict, other)) {
            return other;
        }
    }
    return QChar();
}

bool typeText(TextField& f, const QString& typed) {
    if (f.maxChars < 0) {
        return false;  // a negative limit shuts the field to typing
    }
    auto [a, b] = selection(f);
    QString accepted;
    for (QChar c : normaliseLineEnds(typed)) {
        if (c == u'\r' && !f.multiline) {
            continue;
        }
        if (c != u'\r' && c.unicode() < 0x20 && c != u'\t') {
            continue;  // control characters are keys, not text
        }
        const QChar in = c == u'\r' ? c : acceptedChar(f, c);
        if (!in.isNull()) {
            accepted.append(in);
        }
    }
    if (f.maxChars > 0) {
        const int room = std::max(0, f.maxChars - (f.length() - (b - a)));
        accepted.truncate(room);
        // A character beyond the basic plane comes whole or not at all.
        if (!accepted.isEmpty() && accepted.back().isHighSurrogate()) {
            accepted.chop(1);
        }
    }
    if (accepted.isEmpty() && a == b) {
        return false;
    }
    f.replace(a, b, accepted);
    placeCaret(f, a + int(accepted.size()));
    return true;
}

int wordBoundary(const QString& text, int from, bool left) {
    const int n = int(text.size());
    auto isWord = [&](int i) { return text.at(i).isLetterOrNumber() || text.at(i) == u'_'; };
    int i = std::clamp(from, 0, n);
    if (left) {
        while (i > 0 && !isWord(i - 1)) {
            --i;
        }
        while (i > 0 && isWord(i - 1)) {
            --i;
        }
    } else {
        while (i < n && isWord(i)) {
            ++i;
        }
        while (i < n && !isWord(i)) {
            ++i;
        }
    }
    return i;
}

bool pressKey(TextField& f, TextEdit key, bool extend) {
    auto [a, b] = selection(f);
    const int caret = std::clamp(f.selectionEnd < 0 ? f.length() : f.selectionEnd, 0, f.length());
    auto move = [&](int to) {
        to = std::clamp(to, 0, f.length());
        if (extend) {
            if (f.selectionBegin < 0) {
                f.selectionBegin = caret;
            }
            f.selectionEnd = to;
        } else {
            placeCaret(f, to);
        }
    };
    switch (key) {
        case TextEdit::Left:
            move(!extend && a != b ? a : caret - 1);
            return false;
        case TextEdit::Right:
            move(!extend && a != b ? b : caret + 1);
            return false;
        case TextEdit::WordLeft:
            move(wordBoundary(f.text, caret, true));
            return false;
        case TextEdit::WordRight:
            move(wordBoundary(f.text, caret, false));
            return false;
        case TextEdit::LineStart:
            move(f.paragraphAt(caret).first);
            return false;
        case TextEdit::LineEnd:
            move(f.paragraphAt(caret).second);
            return false;
        case TextEdit::TextStart:
            move(0);
            return false;
        case TextEdit::TextEnd:
            move(f.length());
            return false;
        case TextEdit::SelectAll:
            f.selectionBegin = 0;
            f.selectionEnd = f.length();
            return false;
        case TextEdit::Enter:
            return f.multiline && typeText(f, QStringLiteral("\r"));
        case TextEdit::Backspace:
        case TextEdit::Delete:
            break;
        case TextEdit::Copy:
        case TextEdit::Cut:
        case TextEdit::Paste:
            return false;
    }
    if (a == b) {
        if (key == TextEdit::Backspace) {
            a = std::max(0, a - 1);
        } else {
            b = std::min(f.length(), b + 1);
        }
    }
    if (a == b) {
        return false;
    }
    f.replace(a, b, QString());
    placeCaret(f, a);
    return true;
}

namespace {

void changed(ScriptHost& host, DisplayObject& o) {
    textFieldChanged(o);
    TextField& f = *o.field;
    avm1::Machine& m = host.machine();
    const int version = o.movie ? o.movie->version() : 8;
    avm1::ClipObject* self = host.scriptObject(o);
    if (!f.variable.isEmpty()) {
        pushTextVariable(host, o);  // the bound variable follows what the user typed
    }
    m.callMethod(self, QStringLiteral("broadcastMessage"),
                 {avm1::Value("onChanged"), avm1::Value(self)}, version);
}

}  // namespace

void textFieldTyped(ScriptHost& host, DisplayObject& o, const QString& typed) {
    if (o.field && o.field->editable && typeText(*o.field, typed)) {
        changed(host, o);
    }
}

void textFieldComposing(ScriptHost& host, DisplayObject& o, const QString& preedit) {
    if (!o.field) {
        return;
    }
    TextField& f = *o.field;
    const auto was = f.composing();
    if (!was && preedit.isEmpty()) {
        return;
    }
    // The composed text takes the place of what was composed before, or of the selection.
    const auto [a, b] = was ? *was : selection(f);
    f.composingBegin = -1;
    const int before = f.length() - (b - a);
    f.replace(a, b, preedit);
    const int length = f.length() - before;
    if (length > 0) {
        f.composingBegin = a;
        f.composingLength = length;
    }
    placeCaret(f, a + length);
    textFieldChanged(o);
    if (!f.variable.isEmpty()) {
        pushTextVariable(host, o);  // the variable reads what the field shows, unannounced
    }
}

void textFieldCommitComposition(ScriptHost& host, DisplayObject& o) {
    const auto c = o.field ? o.field->composing() : std::nullopt;
    if (!c) {
        return;
    }
    // Committed, the text is typed where it stood, so the typing rules and onChanged apply.
    const QString committed = o.field->text.mid(c->first, c->second - c->first);
    textFieldComposing(host, o, QString());
    textFieldTyped(host, o, committed);
}

namespace {

bool movesOnly(TextEdit key) {
    return key != TextEdit::Backspace && key != TextEdit::Delete && key != TextEdit::Enter &&
           key != TextEdit::Cut && key != TextEdit::Paste;
}

// The selected text, empty without a selection.
QString selectedText(const TextField& f) {
    auto [a, b] = selection(f);
    return f.text.mid(a, b - a);
}

}  // namespace

void textFieldKey(ScriptHost& host, DisplayObject& o, TextEdit key, bool extend) {
    if (!o.field || (!o.field->editable && !movesOnly(key))) {
        return;
    }
    TextField& f = *o.field;
    switch (key) {
        case TextEdit::Copy:
        case TextEdit::Cut:
            if (f.password || selectedText(f).isEmpty()) {
                return;  // a password never leaves its field
            }
            setClipboardText(selectedText(f));
            if (key == TextEdit::Cut) {
                auto [a, b] = selection(f);
                f.replace(a, b, QString());
                placeCaret(f, a);
                changed(host, o);
            }
            return;
        case TextEdit::Paste:
            // An empty clipboard pastes nothing: the selection stays.
            if (const QString pasted = clipboardText(); !pasted.isEmpty()) {
                textFieldTyped(host, o, pasted);
            }
            return;
        default:
            break;
    }
    if (pressKey(f, key, extend)) {
        changed(host, o);
    } else {
        textFieldChanged(o);
    }
}

namespace {

class FieldTyping : public TextInputHandler {
  public:
    explicit FieldTyping(ScriptHost& host) : host_(host) {}

    bool isInput(const DisplayObject& o) override { return o.field && o.field->editable; }

    void focusChanged(DisplayObject& o, bool gained) override {
        if (o.field && !gained) {
            // Leaving the field ends the composition: the input method commits what it had.
            // A field without the focus keeps no selection: its caret goes back to the start.
            textFieldCommitComposition(host_, o);
            placeCaret(*o.field, 0);
        }
        if (!o.field || !gained) {
            return;
        }
        o.field->selectionBegin = 0;
        o.field->selectionEnd = o.field->length();
        textFieldChanged(o);
    }

    void edit(DisplayObject& o, TextEdit key, bool extend) override {
        textFieldKey(host_, o, key, extend);
    }

    void character(DisplayObject& o, char16_t c) override {
        if (host_.player().keyboard().isDown(vk::Control)) {
            return;  // shortcuts type nothing
        }
        textFieldComposing(host_, o, QString());  // the committed text takes its place
        textFieldTyped(host_, o, QString(QChar(c)));
    }

    void composing(DisplayObject& o, const QString& preedit) override {
        textFieldComposing(host_, o, preedit);
    }

    void dropComposition(DisplayObject& o) override { textFieldComposing(host_, o, QString()); }

  private:
    ScriptHost& host_;
};

}  // namespace

std::unique_ptr<TextInputHandler> makeTextInputHandler(ScriptHost& host) {
    return std::make_unique<FieldTyping>(host);
}

}  // namespace pencora::runtime
