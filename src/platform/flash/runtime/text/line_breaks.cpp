#include "platform/flash/runtime/text/line_breaks.h"

namespace pencora::runtime {

namespace {

// Ideographs, kana, hangul, their punctuation and the full-width forms: each one stands as a
// word of its own. The high surrogates of the supplementary ideographs count too.
bool isWideScript(char16_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) ||
           (c >= 0xD840 && c <= 0xD87F) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF);
}

// Punctuation that closes or follows what comes before it: never at the start of a line.
bool isClosing(char16_t c) {
    static constexpr char16_t kClosing[] =
        u"，。、．：；！？）」』】〕〉》〗〙〛’”…‥ー々ゝゞヽヾぁぃぅぇぉっゃゅょァィゥェォッャュョ"
        u"！），．：；？］｝｡｣､･ｰ)]},.!?:;%";
    for (char16_t k : kClosing) {
        if (k == c && k != 0) {
            return true;
        }
    }
    return false;
}

// Punctuation that opens what follows it: never at the end of a line.
bool isOpening(char16_t c) {
    static constexpr char16_t kOpening[] = u"（「『【〔〈《〖〘〚‘“（［｛｢([{";
    for (char16_t k : kOpening) {
        if (k == c && k != 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool splitsCharacter(QStringView text, int i) {
    return i + 1 < text.size() && QChar::isHighSurrogate(text[i].unicode()) &&
           QChar::isLowSurrogate(text[i + 1].unicode());
}

bool mayBreakAfter(QStringView text, int i) {
    const char16_t c = text[i].unicode();
    if (c == u' ' || c == u'\t' || c == u'-') {
        return true;
    }
    if (i + 1 >= text.size() || splitsCharacter(text, i)) {
        return false;
    }
    const char16_t next = text[i + 1].unicode();
    // The second half of a supplementary ideograph stands for the whole of it.
    const char16_t own = QChar::isLowSurrogate(c) && i > 0 ? text[i - 1].unicode() : c;
    if (!isWideScript(own) && !isWideScript(next)) {
        return false;
    }
    return !isClosing(next) && !isOpening(c) && next != u' ';
}

}  // namespace pencora::runtime
