// The arithmetic and texts of 字词速记, without widgets: the three speeds, the card step, the
// slide of the two labels and the progress line.
#pragma once

#include <QString>
#include <optional>

namespace pencora::flashcards {

// The pause before the first card of a start.
inline constexpr int kFirstCardDelayMs = 500;
// Where a new card's entry starts its slide, above the panel.
inline constexpr int kSlideStartTop = -151;
// The slide's step per tick.
inline constexpr int kSlideStep = 30;
// The pinyin line keeps this far above the entry.
inline constexpr int kPinyinGap = 15;

enum class Speed { Slow, Medium, Fast };

// Milliseconds between two cards: 慢 8 s, 中 4 s, 快 2 s.
constexpr int speedInterval(Speed speed) {
    switch (speed) {
        case Speed::Slow:
            return 8000;
        case Speed::Medium:
            return 4000;
        case Speed::Fast:
            return 2000;
    }
    return 4000;
}

// The entry's top when centred in the panel, moved down by `offset`: the start puts it 10 px
// below the centre at once, the slide aims at 5 px below.
constexpr int restingTop(int panelHeight, int wordHeight, int offset) {
    return panelHeight / 2 - wordHeight / 2 + offset;
}

// The pinyin line's top above an entry at `wordTop`.
constexpr int pinyinTop(int wordTop, int pinyinHeight) {
    return wordTop - pinyinHeight - kPinyinGap;
}

// One tick of the slide: the next top, or nothing once the entry has reached `target`. The
// labels come to rest up to 29 px past it.
constexpr std::optional<int> slideStep(int top, int target) {
    if (top < target) {
        return top + kSlideStep;
    }
    return std::nullopt;
}

// Whether the card position lies past the lesson's last entry.
constexpr bool pastLastCard(int position, qsizetype entries) {
    return position > entries - 1;
}

// The switches' left edge: 3 px from the panel's right edge.
constexpr int switchesLeft(int panelWidth, int switchesWidth) {
    return panelWidth - switchesWidth - 3;
}

// "学习内容：【title】，当前是第n个，字词总量：total".
QString progressLine(const QString& lessonTitle, qsizetype position, qsizetype total);

}  // namespace pencora::flashcards
