#include "modes/lessontext/command_args.h"
#include "modes/lessontext/lesson_commands.h"

#include <gtest/gtest.h>

namespace {

using namespace pencora::lessontext;
using Range = std::pair<int64_t, int64_t>;
using Window = std::pair<uint64_t, uint64_t>;

TEST(CommandArgs, SplitsAtCommasAndWhiteSpace) {
    const std::pair<QString, QStringList> cases[] = {
        {"1000,3000", {"1000", "3000"}},
        {"5000", {"5000"}},
        {"", {}},
        {"   ", {}},
        {" 1 , 2 ", {"1", "2"}},
        {"1 2\t3", {"1", "2", "3"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {",a", {"", "a"}},
        {"\"a b\",\"c,d\"", {"a b", "c,d"}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"\"open", {"open"}},
        {"\"ab\"cd", {"ab", "cd"}},
        {QString("1") + QChar(u'\0') + "2", {"1"}},
    };
    for (const auto& [args, items] : cases) {
        EXPECT_EQ(splitCommandArgs(args), items) << args.toStdString();
    }
}

TEST(CommandArgs, ReadsSignedDecimal64BitIntegersOnly) {
    EXPECT_EQ(readInt64(u"1000"), 1000);
    EXPECT_EQ(readInt64(u"+5"), 5);
    EXPECT_EQ(readInt64(u"-7"), -7);
    EXPECT_EQ(readInt64(u"9223372036854775807"), INT64_MAX);
    EXPECT_EQ(readInt64(u"-9223372036854775808"), INT64_MIN);
    for (const char16_t* bad :
         {u"", u"-", u"+", u"abc", u"5x", u" 5", u"1.5", u"0x10", u"9223372036854775808",
          u"-9223372036854775809", u"99999999999999999999"}) {
        EXPECT_FALSE(readInt64(bad).has_value()) << QString::fromUtf16(bad).toStdString();
    }
}

TEST(CommandArgs, PassageStopsAtTheFirstFailure) {
    auto passage = [](const QString& args) {
        const Passage p = readPassage(splitCommandArgs(args));
        return std::pair{p.start, p.end};
    };
    EXPECT_EQ(passage("1000,3000"), Range(1000, 3000));
    EXPECT_EQ(passage("5000"), Range(5000, 0));
    EXPECT_EQ(passage(""), Range(0, 0));
    EXPECT_EQ(passage("abc,5"), Range(0, 0));
    EXPECT_EQ(passage("7,x"), Range(7, 0));
    EXPECT_EQ(passage("\"12\" 40"), Range(12, 40));
    EXPECT_EQ(passage("6000000000,6000002000"), Range(6000000000, 6000002000));
}

TEST(CommandArgs, WindowOfAPassage) {
    auto window = [](int64_t start, int64_t end) {
        const auto w = passageWindow({start, end});
        return w ? std::pair{w->offset, w->length} : Window(~0ull, ~0ull);
    };
    const Window none(~0ull, ~0ull);
    EXPECT_EQ(window(1000, 3000), Window(1000, 2000));
    EXPECT_EQ(window(5000, 0), Window(5000, 0));
    EXPECT_EQ(window(0, 0), Window(0, 0));
    // An empty or backward range would otherwise open "to the end of the file".
    EXPECT_EQ(window(3000, 3000), none);
    EXPECT_EQ(window(3000, 1000), none);
    EXPECT_EQ(window(-1, 0), none);
    EXPECT_EQ(window(0, -5), none);
}

TEST(LessonCommands, CommandsAndTrueAreComparedExactly) {
    EXPECT_EQ(classifyCommand(u"read_lx", u"true"), LessonCommand::ReadWhole);
    EXPECT_EQ(classifyCommand(u"read_lx", u"True"), LessonCommand::StopReading);
    EXPECT_EQ(classifyCommand(u"read_lx", u""), LessonCommand::StopReading);
    EXPECT_EQ(classifyCommand(u"read_lx", u"false"), LessonCommand::StopReading);
    EXPECT_EQ(classifyCommand(u"READ_LX", u"true"), LessonCommand::None);
    EXPECT_EQ(classifyCommand(u"lesson_page", u"anything"), LessonCommand::PageTurned);
    EXPECT_EQ(classifyCommand(u"lesson_play", u"1,2"), LessonCommand::PlayPassage);
    EXPECT_EQ(classifyCommand(u"Lesson_Play", u"1,2"), LessonCommand::None);
    EXPECT_EQ(lessonMovieName(u"010203"), "a010203");
    EXPECT_EQ(lessonReadingPath(u"010203"), "DATA\\lessonread\\010203.mp3");
}

}  // namespace
