#include "platform/core/SerialInputFilter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::string_literals;

TEST(SerialInputFilter, MarksNullsAndCutMarks)
{
    struct Row {
        const char* name;
        bool marked;
        char errorChar;
        bool discardNulls;
        std::vector<std::string> chunks;
        std::string expected;
        std::size_t marks;
    };
    const Row rows[] = {
        {"unmarked passes everything", false, '~', false, {"a\xFF\0b"s}, "a\xFF\0b"s, 0},
        {"unmarked drops NUL", false, '~', true, {"a\0b\0"s}, "ab", 0},
        {"bad character replaced", true, '~', true, {"a\xFF\0xb"s}, "a~b", 1},
        {"bad character dropped", true, '\0', true, {"a\xFF\0xb"s}, "ab", 1},
        {"doubled 0xFF is one 0xFF", true, '~', true, {"\xFF\xFF\xFF\xFF"s}, "\xFF\xFF"s, 0},
        {"bad NUL is still bad, not discarded", true, '~', true, {"\xFF\0\0"s}, "~", 1},
        {"plain NUL discarded", true, '~', true, {"a\0b"s}, "ab", 0},
        {"mark cut over three reads", true, '~', true, {"a\xFF"s, "\0"s, "xb"s}, "a~b", 1},
        {"doubled 0xFF cut over two reads", true, '~', true, {"\xFF"s, "\xFFz"s}, "\xFFz"s, 0},
        {"stray 0xFF passed on", true, '~', true, {"\xFFq"s}, "\xFFq"s, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        platform::SerialInputFilter filter;
        filter.Configure(r.marked, r.errorChar, r.discardNulls);
        std::string out;
        std::size_t marks = 0;
        for (const std::string& chunk : r.chunks) marks += filter.Feed(chunk, out);
        EXPECT_EQ(out, r.expected);
        EXPECT_EQ(marks, r.marks);
        EXPECT_EQ(filter.Pending(), 0u);
    }
}

}  // namespace
