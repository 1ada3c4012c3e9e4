#include "platform/resources/program_resources.h"

#include <gtest/gtest.h>

namespace {

using namespace pencora::resources;

TEST(ProgramResources, TypeAndNameMatchIgnoringCase) {
    for (auto [type, name] :
         {std::pair{u"FLASH", u"lose"}, {u"flash", u"LOSE"}, {u"Flash", u"Lose"}}) {
        auto bytes = findResource(type, name);
        ASSERT_TRUE(bytes.has_value());
        EXPECT_EQ(*bytes, QByteArray("FWS-test-movie"));
    }
    EXPECT_EQ(findResource(u"STYLE", u"carbon").value_or(QByteArray()), QByteArray("QWidget {}"));
    EXPECT_EQ(resourceNames(u"style"), QStringList{"Carbon"});
}

TEST(ProgramResources, UnknownOrUnsafeNamesFindNothing) {
    EXPECT_FALSE(findResource(u"FLASH", u"laba").has_value());
    EXPECT_FALSE(findResource(u"MOVIE", u"lose").has_value());
    EXPECT_FALSE(findResource(u"FLASH", u"../style/Carbon").has_value());
    EXPECT_FALSE(findResource(u"..", u"FLASH").has_value());
    EXPECT_TRUE(resourceNames(u"nothing").isEmpty());
}

}  // namespace
