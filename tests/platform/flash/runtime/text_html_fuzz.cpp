// HTML text from a hostile movie: the first byte picks the movie version and the field's
// multiline and condenseWhite settings, the rest is the markup. Every input parses; the runs
// cover the text exactly, what htmlText gives back parses again, and the text lays out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/flash/runtime/text/text_field.h"
#include "platform/flash/runtime/text/text_html.h"

namespace {

using namespace pencora::runtime;

class FixedMeasure : public TextMeasure {
  public:
    double advance(const TextFormat& f, QStringView text) const override {
        return f.size.value_or(12) * 10.0 * double(text.size());
    }
    double ascent(const TextFormat& f) const override { return f.size.value_or(12) * 16.0; }
    double descent(const TextFormat& f) const override { return f.size.value_or(12) * 4.0; }
};

void checkRuns(const TextField& f) {
    long long covered = 0;
    for (const TextSpan& s : f.spans) {
        if (s.length <= 0) {
            std::abort();
        }
        covered += s.length;
    }
    if (covered != f.text.size()) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    TextField f;
    f.bounds = QRectF(0, 0, 4000, 2000);
    f.html = true;
    f.version = 6 + data[0] % 3;
    f.multiline = data[0] & 4;
    f.wordWrap = data[0] & 8;
    f.condenseWhite = data[0] & 16;
    f.newFormat = TextFormat::defaults();
    const QString html =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    setHtml(f, html);
    checkRuns(f);
    const QString back = toHtml(f);
    TextField again = f;
    setHtml(again, back);
    checkRuns(again);
    (void)layoutText(f, FixedMeasure());
    return 0;
}
