#include "modes/quiz/choice_placement.h"

#include <optional>
#include <utility>
#include <vector>

namespace pencora::quiz {

namespace {

class CachedTexts {
  public:
    CachedTexts(int n, const ChoiceText& value) : value_(value), texts_(n) {}
    const QString& operator[](int i) {
        if (!texts_[i]) {
            texts_[i] = value_(i);
        }
        return *texts_[i];
    }

  private:
    const ChoiceText& value_;
    std::vector<std::optional<QString>> texts_;
};

Choices twoFromSmallLesson(int n, int c, CachedTexts& text, const Draw& draw) {
    Choices choices;
    choices.count = 2;
    const QString& key = text[c];
    choices.captions[0] = text[draw(n)];
    if (choices.captions[0] != key) {
        choices.captions[1] = key;
        choices.keyButton = 1;
        return choices;
    }
    int j = c == 0 ? n - 1 : n - c;
    if (j == c) {
        j = 0;
    }
    choices.captions[1] = text[j];
    choices.keyButton = 0;
    return choices;
}

// Up to `wanted` texts different from the key and from each other, met while walking the
// other entries in a uniformly random order (a Fisher-Yates shuffle taken step by step, so
// only the entries it reaches are looked at).
std::vector<QString> otherTexts(int n, int c, CachedTexts& text, const Draw& draw, int wanted) {
    std::vector<int> order;
    order.reserve(n - 1);
    for (int i = 0; i < n; ++i) {
        if (i != c) {
            order.push_back(i);
        }
    }
    const QString& key = text[c];
    std::vector<QString> found;
    for (size_t k = 0; k < order.size() && static_cast<int>(found.size()) < wanted; ++k) {
        const size_t pick = k + static_cast<size_t>(draw(static_cast<int>(order.size() - k)));
        std::swap(order[k], order[pick]);
        const QString& candidate = text[order[k]];
        if (candidate == key) {
            continue;
        }
        bool seen = false;
        for (const QString& f : found) {
            seen = seen || f == candidate;
        }
        if (!seen) {
            found.push_back(candidate);
        }
    }
    return found;
}

}  // namespace

Choices placeChoices(int n, int c, const ChoiceText& value, const Draw& draw) {
    CachedTexts text(n, value);
    if (n < 4) {
        return twoFromSmallLesson(n, c, text, draw);
    }

    Choices choices;
    const QString key = text[c];
    const std::vector<QString> others = otherTexts(n, c, text, draw, 3);
    if (others.size() == 3) {
        choices.count = 4;
        choices.keyButton = draw(4);
        auto next = others.begin();
        for (int k = 0; k < 4; ++k) {
            choices.captions[k] = k == choices.keyButton ? key : *next++;
        }
        return choices;
    }
    choices.count = 2;
    choices.keyButton = draw(2);
    const QString other = others.empty() ? key : others.front();
    choices.captions[choices.keyButton] = key;
    choices.captions[1 - choices.keyButton] = other;
    return choices;
}

}  // namespace pencora::quiz
