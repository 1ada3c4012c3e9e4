// Each row of tag_bytes.cpp read by the reader and written by the writer.
#include <gtest/gtest.h>

#include "platform/flash/swf/movie.h"
#include "platform/flash/swfwrite/encode.h"
#include "tag_bytes.h"

namespace pencora::swf {
namespace {

using testing::tagBytes;
using testing::tagRows;

TEST(SwfTagTable, ReaderReadsEachRowIntoItsRecord) {
    for (const auto& row : tagRows()) {
        SCOPED_TRACE(row.name);
        auto file = testing::movieWithTags({tagBytes(row.code, row.body)}, row.swfVersion);
        auto result = readMovie(file);
        ASSERT_TRUE(result) << result.error;
        const Movie& movie = *result.movie;
        EXPECT_TRUE(movie.warnings.empty()) << movie.warnings.front();
        if (const auto* tag = std::get_if<ControlTag>(&row.expected)) {
            ASSERT_EQ(movie.timeline.frames.size(), 1u);
            ASSERT_EQ(movie.timeline.frames[0].tags.size(), 1u);
            EXPECT_TRUE(movie.timeline.frames[0].tags[0] == *tag);
        } else {
            const auto& character = std::get<Character>(row.expected);
            ASSERT_EQ(movie.dictionary.size(), 1u);
            EXPECT_TRUE(movie.dictionary.begin()->second == character);
        }
    }
}

TEST(SwfTagTable, WriterWritesEachRecordIntoItsRow) {
    for (const auto& row : tagRows()) {
        if (row.readOnly) {
            continue;
        }
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> written;
        if (const auto* tag = std::get_if<ControlTag>(&row.expected)) {
            written = swfwrite::encodeControlTag(*tag, row.swfVersion);
        } else {
            written = swfwrite::encodeCharacter(std::get<Character>(row.expected), row.swfVersion);
        }
        EXPECT_EQ(written, tagBytes(row.code, row.body));
    }
}

}  // namespace
}  // namespace pencora::swf
