#include "modes/quiz/choice_placement.h"
#include "modes/quiz/quiz_random.h"

#include <gtest/gtest.h>
#include <QSet>
#include <QStringList>
#include <deque>

using namespace pencora::quiz;

namespace {

// A generator whose clock ticks by one on every re-seed: fixed, yet different per question.
QuizRandom fixedRandom(uint64_t start) {
    return QuizRandom([tick = start]() mutable { return tick++; });
}

Choices place(const QStringList& texts, int c, QuizRandom& random) {
    return placeChoices(
        static_cast<int>(texts.size()), c, [&](int i) { return texts[i]; }, random.drawer());
}

QStringList used(const Choices& choices) {
    QStringList captions;
    for (int k = 0; k < choices.count; ++k) {
        captions << choices.captions[k];
    }
    return captions;
}

// Draws answered from a script, in order; the test fails if the code draws more or out of
// range.
struct ScriptedDraw {
    std::deque<int> values;
    int operator()(int n) {
        EXPECT_FALSE(values.empty()) << "unexpected draw below " << n;
        if (values.empty()) {
            return 0;
        }
        const int v = values.front();
        values.pop_front();
        EXPECT_LT(v, n);
        return v;
    }
};

}  // namespace

TEST(ChoicePlacement, FourDifferentCaptionsExactlyOneOfThemTheKey) {
    QuizRandom random = fixedRandom(1);
    for (int n = 4; n <= 9; ++n) {
        QStringList texts;
        for (int i = 0; i < n; ++i) {
            texts << QString(QChar(0x4E00 + i));
        }
        for (int round = 0; round < 200; ++round) {
            random.reseedFromClock();
            const int c = random.below(n);
            const Choices choices = place(texts, c, random);
            ASSERT_EQ(choices.count, 4);
            const QStringList captions = used(choices);
            EXPECT_EQ(QSet<QString>(captions.begin(), captions.end()).size(), 4);
            EXPECT_EQ(captions.count(texts[c]), 1);
            EXPECT_EQ(choices.captions[choices.keyButton], texts[c]);
            for (const QString& caption : captions) {
                EXPECT_TRUE(texts.contains(caption));
            }
        }
    }
}

// With exactly four entries every entry appears, and the key lands on each button about a
// quarter of the time (chi-square, three degrees of freedom, p = 0.001 bound 16.27).
TEST(ChoicePlacement, FourEntriesAllShownWithTheKeyUniformlyPlaced) {
    const QStringList texts{"画", "远", "山", "水"};
    QuizRandom random = fixedRandom(1000);
    std::array<int, 4> keyAt{};
    constexpr int kRounds = 4000;
    for (int round = 0; round < kRounds; ++round) {
        random.reseedFromClock();
        const int c = random.below(4);
        const Choices choices = place(texts, c, random);
        QStringList captions = used(choices);
        captions.sort();
        QStringList all = texts;
        all.sort();
        ASSERT_EQ(captions, all);
        ++keyAt[used(choices).indexOf(texts[c])];
    }
    double chi = 0;
    for (int count : keyAt) {
        chi += (count - kRounds / 4.0) * (count - kRounds / 4.0) / (kRounds / 4.0);
    }
    EXPECT_LT(chi, 16.27) << keyAt[0] << " " << keyAt[1] << " " << keyAt[2] << " " << keyAt[3];
}

struct SmallLessonRow {
    int n;
    int c;
    int r;  // the entry drawn for button 1
    QStringList captions;
};

// Lessons of two or three entries: button 1 shows a random entry, button 2 the key, or when
// button 1 is already right, entry n-1 (c = 0), n-c, or entry 0 when that is c itself.
TEST(ChoicePlacement, SmallLessonsFollowTheTwoChoiceRule) {
    const QStringList texts{"a", "b", "c"};
    const SmallLessonRow rows[] = {
        {2, 0, 0, {"a", "b"}}, {2, 0, 1, {"b", "a"}}, {2, 1, 0, {"a", "b"}}, {2, 1, 1, {"b", "a"}},
        {3, 0, 0, {"a", "c"}}, {3, 0, 2, {"c", "a"}}, {3, 1, 1, {"b", "c"}}, {3, 1, 0, {"a", "b"}},
        {3, 2, 2, {"c", "b"}}, {3, 2, 1, {"b", "c"}},
    };
    for (const SmallLessonRow& row : rows) {
        ScriptedDraw draw{{row.r}};
        const Choices choices = placeChoices(
            row.n, row.c, [&](int i) { return texts[i]; }, std::ref(draw));
        EXPECT_EQ(choices.count, 2);
        EXPECT_EQ(used(choices), row.captions) << "n=" << row.n << " c=" << row.c << " r=" << row.r;
        EXPECT_EQ(choices.captions[choices.keyButton], texts[row.c]);
    }
}

// Lessons of four or more entries with fewer than four different texts (repeated characters,
// homophones, failed pinyin look-ups) used to redraw forever. They get the two-choice layout,
// the key and another text; a lesson of one text gets two buttons that both carry it.
TEST(ChoicePlacement, FewDifferentTextsFallBackToTwoChoicesAndEnd) {
    QuizRandom random = fixedRandom(7);
    struct Case {
        QStringList texts;
        int count;
    };
    const Case cases[] = {
        {{"de", "de", "de", "shi", "shi", "zai"}, 2},  // three texts
        {{"de", "de", "shi", "de"}, 2},                // two texts
        {{"", "", "", "", ""}, 2},                     // every look-up failed
        {{"a", "a", "b", "c", "a", "d", "b"}, 4},      // four texts among repeats
    };
    for (const Case& test : cases) {
        const int n = static_cast<int>(test.texts.size());
        for (int c = 0; c < n; ++c) {
            for (int round = 0; round < 30; ++round) {
                const Choices choices = place(test.texts, c, random);
                ASSERT_EQ(choices.count, test.count) << test.texts.join(',').toStdString();
                const QStringList captions = used(choices);
                EXPECT_EQ(choices.captions[choices.keyButton], test.texts[c]);
                const QSet<QString> distinct(test.texts.begin(), test.texts.end());
                if (distinct.size() > 1) {
                    EXPECT_EQ(QSet<QString>(captions.begin(), captions.end()).size(), test.count);
                } else {
                    EXPECT_EQ(captions, (QStringList{test.texts[c], test.texts[c]}));
                }
            }
        }
    }
}

// Each entry's text is computed at most once per question, so a large lesson of one
// repeated text costs one pass, not an endless redraw.
TEST(ChoicePlacement, LargeLessonOfOneTextLooksEachEntryUpOnce) {
    constexpr int kEntries = 20000;
    int lookups = 0;
    QuizRandom random = fixedRandom(3);
    const Choices choices = placeChoices(
        kEntries, 17,
        [&](int) {
            ++lookups;
            return QStringLiteral("zhe");
        },
        random.drawer());
    EXPECT_EQ(choices.count, 2);
    EXPECT_LE(lookups, kEntries);
}

TEST(QuizRandomTest, SameClockGivesSameDrawsAndDrawsStayInRange) {
    QuizRandom a([] { return uint64_t{42}; });
    QuizRandom b([] { return uint64_t{42}; });
    for (int i = 0; i < 100; ++i) {
        const int n = 1 + i % 7;
        const int x = a.below(n);
        EXPECT_EQ(x, b.below(n));
        EXPECT_GE(x, 0);
        EXPECT_LT(x, n);
    }
    a.reseedFromClock();
    b.reseedFromClock();
    EXPECT_EQ(a.below(1000000), b.below(1000000));
    EXPECT_EQ(a.below(0), 0);
}
