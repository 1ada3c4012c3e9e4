#include "content/book_group_table.h"

#include "content/integer_text.h"

#include <array>

namespace pencora::content {

namespace {

// Books 9 to 11 skip one group number and book 12 ends with its poems, as the printed
// books do.
constexpr std::array<const char16_t*, 12> kBooks = {
    u"一年级上册,识字（一）,课文（一）,课文（二）,识字（二）,课文（三）,课文（四）",
    u"一年级下册,识字1,识字2,识字3,识字4,识字5,识字6,识字7,识字8",
    u"二年级上册,识字1,识字2,识字3,识字4,识字5,识字6,识字7,识字8",
    u"二年级下册,第一组,第二组,第三组,第四组,第五组,第六组,第七组,第八组",
    u"三年级上册,第一组,第二组,第三组,第四组,第五组,第六组,第七组,第八组",
    u"三年级下册,第一组,第二组,第三组,第四组,第五组,第六组,第七组,第八组",
    u"四年级上册,第一组,第二组,第三组,第四组,第五组,第六组,第七组,第八组",
    u"四年级下册,第一组,第二组,第三组,第四组,第五组,第六组,第七组,第八组",
    u"五年级上册,第一组,第二组,第三组,第四组,第六组,第七组,第八组",
    u"五年级下册,第一组,第二组,第三组,第四组,第五组,第七组,第八组",
    u"六年级上册,第一组,第二组,第三组,第四组,第五组,第七组,第八组",
    u"六年级下册,第一组,第二组,第三组,第四组,第五组,古诗词背诵",
};

}  // namespace

QStringList BookGroupTable(const QString& bookNumberText) {
    const int book = toInteger(bookNumberText);
    if (book < 1 || book > static_cast<int>(kBooks.size())) {
        return {};
    }
    return QString::fromUtf16(kBooks[static_cast<size_t>(book - 1)]).split(u',');
}

}  // namespace pencora::content
