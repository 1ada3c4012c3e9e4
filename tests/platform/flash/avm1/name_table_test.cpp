// The property index: every name stays findable through growth, the first index given for a
// name is kept, and names differing in case or only in length are different names.
#include <gtest/gtest.h>

#include "platform/flash/avm1/name_table.h"
#include "platform/flash/avm1/object.h"

using namespace pencora::avm1;

TEST(NameTable, KeepsEveryNameThroughGrowth) {
    NameTable t;
    EXPECT_EQ(t.find(QString()), NameTable::kAbsent);
    for (uint32_t i = 0; i < 5000; ++i) {
        t.insert(QStringLiteral("v%1").arg(i), i);
    }
    for (uint32_t i = 0; i < 5000; ++i) {
        ASSERT_EQ(t.find(QStringLiteral("v%1").arg(i)), i);
    }
    EXPECT_EQ(t.find(QStringLiteral("v5000")), NameTable::kAbsent);
    t.insert(QStringLiteral("v7"), 99);  // an existing name keeps its index
    EXPECT_EQ(t.find(QStringLiteral("v7")), 7u);
    t.clear();
    EXPECT_EQ(t.find(QStringLiteral("v7")), NameTable::kAbsent);
}

TEST(NameTable, CaseLengthAndEmptyNamesAreDistinct) {
    NameTable t;
    t.insert(QStringLiteral("abc"), 1);
    t.insert(QStringLiteral("ABC"), 2);
    t.insert(QString(), 3);
    t.insert(QString(QChar(0)), 4);  // one NUL unit is not the empty name
    EXPECT_EQ(t.find(QStringLiteral("abc")), 1u);
    EXPECT_EQ(t.find(QStringLiteral("ABC")), 2u);
    EXPECT_EQ(t.find(QStringLiteral("")), 3u);
    EXPECT_EQ(t.find(QString(QChar(0))), 4u);
    EXPECT_EQ(t.find(QStringLiteral("ab")), NameTable::kAbsent);
    EXPECT_EQ(t.find(QStringLiteral("Abc")), NameTable::kAbsent);
}

TEST(NameTable, ObjectLookupsSurviveRemovalsAndReinsertion) {
    Object o;
    for (int i = 0; i < 40; ++i) {
        o.put(QStringLiteral("p%1").arg(i), Value(i));
    }
    for (int i = 0; i < 40; i += 2) {
        ASSERT_TRUE(o.remove(QStringLiteral("p%1").arg(i), 8));
    }
    o.put(QStringLiteral("P1"), Value(100));
    for (int i = 0; i < 40; ++i) {
        Property* p = o.find(QStringLiteral("p%1").arg(i), 8);
        if (i % 2 == 0) {
            EXPECT_EQ(p, nullptr) << i;
        } else {
            ASSERT_NE(p, nullptr) << i;
            EXPECT_EQ(p->value.number(), i);
        }
    }
    // Before SWF 7 the name first defined answers for every spelling.
    EXPECT_EQ(o.find(QStringLiteral("P3"), 6)->value.number(), 3);
    EXPECT_EQ(o.find(QStringLiteral("p1"), 6)->value.number(), 1);
    EXPECT_EQ(o.find(QStringLiteral("P1"), 7)->value.number(), 100);
    ASSERT_TRUE(o.remove(QStringLiteral("p1"), 7));
    EXPECT_EQ(o.find(QStringLiteral("p1"), 6)->value.number(), 100);
}
