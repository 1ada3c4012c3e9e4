#include "modes/dictation/intervals.h"

#include <array>

namespace pencora::dictation {

namespace {

struct Interval {
    const char16_t* text;
    int milliseconds;
};

constexpr std::array<Interval, 8> kIntervals{{{u"5秒", 5000},
                                              {u"8秒", 8000},
                                              {u"10秒", 10000},
                                              {u"15秒", 15000},
                                              {u"20秒", 20000},
                                              {u"30秒", 30000},
                                              {u"60秒", 60000},
                                              {u"手动", 0}}};

}  // namespace

QStringList intervalItems() {
    QStringList items;
    for (const Interval& interval : kIntervals) {
        items << QString::fromUtf16(interval.text);
    }
    return items;
}

int intervalForItem(int index) {
    if (index < 0 || index >= static_cast<int>(kIntervals.size())) {
        return 0;
    }
    return kIntervals[static_cast<size_t>(index)].milliseconds;
}

}  // namespace pencora::dictation
