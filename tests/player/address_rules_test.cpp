// The bind host's text rules, row by row.
#include "player/address_rules.h"

#include <gtest/gtest.h>

namespace pencora::player {
namespace {

TEST(AddressRules, TextOperations) {
    struct Row {
        const char* in;
        const char* stripped;
        const char* decoded;
        const char* fileName;
    };
    const Row rows[] = {
        {"clearoverall.swf", "clearoverall", "clearoverall.swf", "clearoverall.swf"},
        {"noext", "noext", "noext", "noext"},
        {"a.b.c", "a.b", "a.b.c", "a.b.c"},
        {"http://zzz/My%20Movie.SWF?x=1", "http://zzz/My%20Movie", "http://zzz/my movie.swf?x=1",
         "my movie.swf"},
        {"C:\\dir\\Clip.swf&a=b", "C:\\dir\\Clip", "c:\\dir\\clip.swf&a=b", "clip.swf"},
        {"a%3Fb%3dc%26d%2Df%2fg", "a%3Fb%3dc%26d%2Df%2fg", "a?b=c&d-f/g", "a"},
        // One pass per escape: "%2520" decodes its "%20" only once it is formed, never.
        {"x%2520", "x%2520", "x%2520", "x%2520"},
        {"dir|file.swf", "dir|file", "dir|file.swf", "file.swf"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.in);
        EXPECT_EQ(StripExtension(r.in), r.stripped);
        EXPECT_EQ(DecodeAddress(r.in), r.decoded);
        EXPECT_EQ(UrlFileName(r.in), r.fileName);
    }
}

TEST(AddressRules, TriggersAreCaseSensitive) {
    EXPECT_TRUE(hasServedTrigger("http://zzz/<stream>00000001.swf"));
    EXPECT_TRUE(hasServedTrigger("movie.flv"));
    EXPECT_TRUE(hasServedTrigger("notes.ADF"));
    EXPECT_TRUE(hasServedTrigger("a.xml?x"));
    EXPECT_FALSE(hasServedTrigger("MOVIE.SWF"));
    EXPECT_FALSE(hasServedTrigger("http://zzz/"));
    EXPECT_FALSE(hasServedTrigger("folder/"));
}

TEST(AddressRules, LocalPathsKeepTheirCase) {
    EXPECT_EQ(LocalPathOf("file:///C:/Dir/A%20B.swf?x"), "C:/Dir/A B.swf");
    EXPECT_EQ(LocalPathOf("file:///home/Me/x.swf"), "/home/Me/x.swf");
    EXPECT_EQ(LocalPathOf("C|\\Dir\\x.swf&y"), "C:/Dir/x.swf");
    EXPECT_FALSE(LocalFileExists("/no/such/file.swf"));
    EXPECT_FALSE(LocalFileExists(""));
}

}  // namespace
}  // namespace pencora::player
