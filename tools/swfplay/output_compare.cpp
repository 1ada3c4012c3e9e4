#include "output_compare.h"

#include <charconv>
#include <cmath>
#include <regex>

namespace pencora::swfplay {

namespace {

std::vector<std::string> splitLines(std::string_view text) {
    std::string normal;
    normal.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        normal += text[i];
    }
    while (!normal.empty() && normal.back() == '\n') {
        normal.pop_back();
    }
    std::vector<std::string> lines;
    if (normal.empty()) {
        return lines;
    }
    std::size_t start = 0;
    for (;;) {
        const auto nl = normal.find('\n', start);
        lines.push_back(normal.substr(start, nl == std::string::npos ? nl : nl - start));
        if (nl == std::string::npos) {
            return lines;
        }
        start = nl + 1;
    }
}

std::string shorten(const std::string& s) {
    return s.size() <= 120 ? s : s.substr(0, 117) + "...";
}

std::optional<double> readNumber(const std::string& text) {
    if (text == "NaN") {
        return std::nan("");
    }
    if (text == "Infinity") {
        return INFINITY;
    }
    if (text == "-Infinity") {
        return -INFINITY;
    }
    const char* begin = text.data();
    if (*begin == '+') {
        ++begin;
    }
    double d = 0;
    const auto [end, ec] = std::from_chars(begin, text.data() + text.size(), d);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return d;
}

bool close(double a, double b, double epsilon) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b);
    }
    if (std::isinf(a) || std::isinf(b)) {
        return a == b;
    }
    return std::abs(a - b) <= epsilon;
}

// The line with its numbers replaced by a marker, and the numbers in order.
struct Split {
    std::string text;
    std::vector<std::string> numbers;
};

Split splitBare(const std::string& line) {
    static const std::regex number(
        R"(-?Infinity|NaN|[-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?)");
    Split out;
    auto it = std::sregex_iterator(line.begin(), line.end(), number);
    std::size_t last = 0;
    for (; it != std::sregex_iterator(); ++it) {
        out.text += line.substr(last, it->position() - last);
        out.text += '\x01';
        out.numbers.push_back(it->str());
        last = it->position() + it->length();
    }
    out.text += line.substr(last);
    return out;
}

Split splitPatterns(const std::string& line, const std::vector<std::regex>& patterns) {
    Split out;
    std::string rest = line;
    for (const std::regex& pattern : patterns) {
        std::string text;
        auto it = std::sregex_iterator(rest.begin(), rest.end(), pattern);
        std::size_t last = 0;
        for (; it != std::sregex_iterator(); ++it) {
            const std::smatch& m = *it;
            for (std::size_t g = 1; g < m.size(); ++g) {
                if (!m[g].matched) {
                    continue;
                }
                const auto at = static_cast<std::size_t>(m.position(g));
                if (at < last) {
                    continue;
                }
                text += rest.substr(last, at - last);
                text += '\x01';
                out.numbers.push_back(m[g].str());
                last = at + m.length(g);
            }
        }
        text += rest.substr(last);
        rest = text;
    }
    out.text = rest;
    return out;
}

}  // namespace

Verdict compareTrace(std::string_view actual, std::string_view expected,
                     const std::optional<Approximations>& approximations) {
    const auto got = splitLines(actual);
    const auto want = splitLines(expected);
    std::vector<std::regex> patterns;
    if (approximations) {
        for (const auto& p : approximations->numberPatterns) {
            try {
                patterns.emplace_back(p);
            } catch (const std::regex_error&) {
                return Verdict{false, "bad number pattern " + p};
            }
        }
    }
    const std::size_t common = std::min(got.size(), want.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (got[i] == want[i]) {
            continue;
        }
        bool matched = false;
        if (approximations) {
            const Split a = patterns.empty() ? splitBare(got[i]) : splitPatterns(got[i], patterns);
            const Split b =
                patterns.empty() ? splitBare(want[i]) : splitPatterns(want[i], patterns);
            matched = a.text == b.text && a.numbers.size() == b.numbers.size();
            for (std::size_t k = 0; matched && k < a.numbers.size(); ++k) {
                const auto x = readNumber(a.numbers[k]);
                const auto y = readNumber(b.numbers[k]);
                matched = x && y && close(*x, *y, approximations->epsilon);
            }
        }
        if (!matched) {
            return Verdict{false, "line " + std::to_string(i + 1) + ": expected '" +
                                      shorten(want[i]) + "', got '" + shorten(got[i]) + "'"};
        }
    }
    if (got.size() != want.size()) {
        const bool short_ = got.size() < want.size();
        return Verdict{false, std::to_string(got.size()) + " lines, expected " +
                                  std::to_string(want.size()) + (short_ ? "; first missing: '" +
                                                                              shorten(want[common]) + "'"
                                                                        : "; first extra: '" +
                                                                              shorten(got[common]) + "'")};
    }
    return Verdict{};
}

Verdict compareImages(const QImage& actual, const QImage& expected, const ImageTolerance& check) {
    if (actual.size() != expected.size()) {
        return Verdict{false, "size " + std::to_string(actual.width()) + "x" +
                                  std::to_string(actual.height()) + ", expected " +
                                  std::to_string(expected.width()) + "x" +
                                  std::to_string(expected.height())};
    }
    const QImage a = actual.convertToFormat(QImage::Format_RGBA8888);
    const QImage b = expected.convertToFormat(QImage::Format_RGBA8888);
    long outliers = 0;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* pa = a.constScanLine(y);
        const uchar* pb = b.constScanLine(y);
        for (int x = 0; x < a.width(); ++x) {
            int diff = 0;
            for (int c = 0; c < 4; ++c) {
                diff = std::max(diff, std::abs(int(pa[x * 4 + c]) - int(pb[x * 4 + c])));
            }
            worst = std::max(worst, diff);
            if (diff > check.tolerance) {
                ++outliers;
            }
        }
    }
    if (outliers > check.maxOutliers) {
        return Verdict{false, std::to_string(outliers) + " pixels differ by more than " +
                                  std::to_string(check.tolerance) + " (largest " +
                                  std::to_string(worst) + ", " +
                                  std::to_string(check.maxOutliers) + " allowed)"};
    }
    return Verdict{};
}

}  // namespace pencora::swfplay
