// How a run is judged against a corpus test: trace output exactly or within the test's
// approximations, and a rendered frame against the expected image within a per-channel
// tolerance and a number of outlying pixels.
#pragma once

#include <QImage>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pencora::swfplay {

struct Approximations {
    double epsilon = 0;
    bool bareNumbers = false;
    // Regular expressions whose capture groups are the numbers to compare approximately.
    std::vector<std::string> numberPatterns;
};

struct Verdict {
    bool pass = true;
    std::string reason;  // why not, for "FAIL name: reason"
};

// Line endings are normalised ("\r\n" as "\n") and trailing line breaks ignored. Without
// approximations the texts must be equal. With them the line counts must match and each
// line must be equal, or equal once its numbers are taken out (every number with
// bare_numbers, the captured ones with number_patterns), with each number pair within
// epsilon (NaN matches NaN).
Verdict compareTrace(std::string_view actual, std::string_view expected,
                     const std::optional<Approximations>& approximations);

struct ImageTolerance {
    int tolerance = 0;     // largest difference allowed in any channel, 0..255
    long maxOutliers = 0;  // pixels allowed beyond it
};

// Compares red, green, blue and alpha (straight alpha) of every pixel.
Verdict compareImages(const QImage& actual, const QImage& expected, const ImageTolerance& check);

}  // namespace pencora::swfplay
