// The choices of one question: which texts go on the answer buttons, and whether the
// question has two or four of them. The choice text of entry i is V(i) (the entry itself
// in the character quizzes, its pinyin in the pinyin quizzes); the right answer is the text
// of the entry asked, c.
//
// Lessons of two or three entries get two choices: button 1 a random entry's text, button 2
// the key, or when button 1 already shows the key, the text of entry n-1 (c = 0) or n-c
// (otherwise), or entry 0 when that is c itself. The key thus stands on button 1 with
// probability 1/n.
//
// Lessons of four or more entries get four different texts, the key on a uniformly random
// button and three other texts of the lesson on the others, drawn in a random order. When the
// lesson has only two or three different texts the question falls back to two choices (the key
// and one other text, the key on either button); with a single text both buttons carry it.
// The draw never repeats itself, so it ends for any lesson.
#pragma once

#include <QString>
#include <array>
#include <functional>

namespace pencora::quiz {

// A uniform integer in 0..n-1.
using Draw = std::function<int(int n)>;
// The choice text of entry i, computed at most once per entry and question.
using ChoiceText = std::function<QString(int index)>;

struct Choices {
    std::array<QString, 4> captions;  // buttons 1..4; only the first `count` are used
    int count = 0;                    // 2 or 4
    int keyButton = 0;                // a button (0-based) that carries the key
};

// n >= 1 entries, 0 <= c < n.
Choices placeChoices(int n, int c, const ChoiceText& value, const Draw& draw);

}  // namespace pencora::quiz
