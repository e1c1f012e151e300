#include "comm/SendChunk.h"
#include "comm/tests/CommTestSupport.h"

#include <gtest/gtest.h>

namespace {

using comm::PlanSendChunk;
using comm::SendPacing;

struct ChunkCase {
    const char* name;
    const char* out;  // UTF-8
    SendPacing pacing;
    std::size_t room;
    const char* chunk;  // UTF-8 of the characters taken
    DWORD delayMs;
};

const ChunkCase kChunkCases[] = {
    // DelayPerLine, DelayPerChar, CRSend
    {"no delays: everything that fits", "@?K1\r\n@?K2\r\n", {0, 0, 2}, 1024, "@?K1\r\n@?K2\r\n", 0},
    {"no delays: cut at the room", "@?K1\r\n@?K2\r\n", {0, 0, 2}, 5, "@?K1\r", 0},
    {"per line, CR LF lines end at LF", "@?K1\r\n@?K2\r\n", {5, 0, 2}, 1024, "@?K1\r\n", 5},
    {"per line, CR lines end at CR", "@?K1\r\n@?K2\r\n", {5, 0, 1}, 1024, "@?K1\r", 5},
    {"per line, no line end yet: no pause", "@?K1", {5, 0, 2}, 1024, "@?K1", 0},
    {"per line, line longer than the room", "@?K1234\r\n", {5, 0, 2}, 3, "@?K", 0},
    {"per character", "AB\r\n", {0, 2, 2}, 1024, "A", 2},
    {"per character and line: ordinary character", "AB\r\n", {7, 2, 2}, 1024, "A", 2},
    {"per character and line: the line end", "\n@", {7, 2, 2}, 1024, "\n", 7},
    {"per character and line: CR is not the end for CR LF", "\r\n", {7, 2, 2}, 1024, "\r", 2},
    {"empty out buffer", "", {5, 0, 2}, 1024, "", 0},
    {"no room", "@", {0, 0, 2}, 0, "", 0},
};

TEST(SendChunk, ChunkAndPauseFollowTheDelays)
{
    ScopedCodePage cp(CP_WESTERN);
    for (const ChunkCase& row : kChunkCases) {
        SCOPED_TRACE(row.name);
        const CString out = Wide(row.out);
        const auto chunk = PlanSendChunk(out.view(), 0, row.pacing, row.room);
        EXPECT_EQ(out.Left(static_cast<int>(chunk.characters)).ToUtf8(), row.chunk);
        EXPECT_EQ(chunk.bytes, row.chunk);
        EXPECT_EQ(chunk.delayMs, row.delayMs);
    }
}

TEST(SendChunk, TwoLinesWithPerLineDelayGoOutAsTwoWholeLines)
{
    ScopedCodePage cp(CP_WESTERN);
    CString out = u"@?K1.1\r\n@?K2.1\r\n";
    const SendPacing pacing{5, 0, 2};
    std::vector<std::string> writes;
    while (!out.IsEmpty()) {
        const auto chunk = PlanSendChunk(out.view(), 0, pacing, 1024);
        ASSERT_GT(chunk.characters, 0u);
        EXPECT_EQ(chunk.delayMs, 5u);
        writes.push_back(chunk.bytes);
        out.Delete(0, static_cast<int>(chunk.characters));
    }
    EXPECT_EQ(writes, (std::vector<std::string>{"@?K1.1\r\n", "@?K2.1\r\n"}));
}

TEST(SendChunk, ChunksNeverCutAMultiByteCharacter)
{
    ScopedCodePage cp(CP_SHIFT_JIS);
    const CString out = Wide("@CONT=ロボ\r\n");  // 6 ASCII bytes, two 2-byte characters, CR LF
    struct Row {
        const char* name;
        SendPacing pacing;
        std::size_t room;
        std::size_t skip;
        std::size_t characters;
        std::size_t bytes;
    };
    const Row rows[] = {
        {"room ends inside the first kana", {0, 0, 2}, 7, 0, 6, 6},
        {"room ends after the first kana", {0, 0, 2}, 8, 0, 7, 8},
        {"room for all", {0, 0, 2}, 64, 0, 10, 12},
        {"per character: one character", {0, 3, 2}, 64, 0, 1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto chunk = PlanSendChunk(out.view(), row.skip, row.pacing, row.room);
        EXPECT_EQ(chunk.characters, row.characters);
        EXPECT_EQ(chunk.bytes.size(), row.bytes);
    }
    const CString kana = Wide("ロボ");
    const auto one = PlanSendChunk(kana.view(), 0, {0, 3, 2}, 64);
    EXPECT_EQ(one.characters, 1u);
    EXPECT_EQ(one.bytes, platform::FromWide(u"ロ", CP_SHIFT_JIS));
    EXPECT_EQ(PlanSendChunk(kana.view(), 0, {0, 0, 2}, 1).characters, 0u) << "a lone lead byte never goes";
}

TEST(SendChunk, APartialWriteResumesInsideTheCharacter)
{
    ScopedCodePage cp(CP_SHIFT_JIS);
    const CString out = Wide("Aロ\r");
    const std::string all = platform::FromWide(out.view(), CP_SHIFT_JIS);
    const auto first = PlanSendChunk(out.view(), 0, {0, 0, 1}, 64);
    ASSERT_EQ(first.bytes, all);

    // Only "A" and the lead byte of the kana went out.
    std::size_t skip = 99;
    EXPECT_EQ(comm::CompletedCharacters(out.view().substr(0, first.characters), 0, 2, skip), 1u);
    EXPECT_EQ(skip, 1u);
    const CString rest = out.Mid(1);
    const auto second = PlanSendChunk(rest.view(), skip, {0, 0, 1}, 64);
    EXPECT_EQ(second.characters, 2u);
    EXPECT_EQ(second.bytes, all.substr(2)) << "the trail byte, then the rest";

    EXPECT_EQ(comm::CompletedCharacters(rest.view(), skip, second.bytes.size(), skip), 2u);
    EXPECT_EQ(skip, 0u);
    EXPECT_EQ(comm::CompletedCharacters(rest.view(), 0, 0, skip), 0u);
    EXPECT_EQ(skip, 0u);
}

}  // namespace
