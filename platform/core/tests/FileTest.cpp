#include "platform/core/File.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "qv-file-XXXXXX").string();
        m_path = ::mkdtemp(tmpl.data());
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    CString File(const char* name) const { return CString::FromUtf8((m_path / name).string()); }
    std::filesystem::path Native(const char* name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

std::string Slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(TextFile, WritesCrLfAndReadsBothLineEnds)
{
    TempDir dir;
    {
        CStdioFile f(CP_SHIFT_JIS);
        ASSERT_TRUE(f.Open(dir.File("a.txt"), CFile::modeCreate | CFile::modeWrite | CFile::typeText));
        f.WriteString(u"CONT=軸\n");
        f.WriteString(u"PNT1=100\n");
        EXPECT_TRUE(f.Close());
    }
    EXPECT_EQ(Slurp(dir.Native("a.txt")), "CONT=\x8E\xB2\r\nPNT1=100\r\n");

    std::ofstream(dir.Native("b.txt"), std::ios::binary) << "one\ntwo\r\n\nlast";
    std::vector<CString> lines;
    ASSERT_TRUE(platform::ReadTextLines(dir.File("b.txt"), lines, CP_UTF8));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], u"one");
    EXPECT_EQ(lines[1], u"two");
    EXPECT_EQ(lines[2], u"");
    EXPECT_EQ(lines[3], u"last");
}

TEST(TextFile, AtomicWriteKeepsOldFileUntilClose)
{
    TempDir dir;
    ASSERT_TRUE(platform::WriteTextLines(dir.File("c.txt"), {CString(u"old")}));
    {
        CStdioFile f;
        ASSERT_TRUE(f.Open(dir.File("c.txt"), CFile::modeCreate | CFile::modeWrite | CFile::modeAtomic));
        f.WriteString(u"new\n");
        // Abandoned without Close: as if the program died mid-save.
    }
    EXPECT_EQ(Slurp(dir.Native("c.txt")), "old\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Native("")), {}), 1);

    ASSERT_TRUE(platform::WriteTextLines(dir.File("c.txt"), {CString(u"new")}));
    EXPECT_EQ(Slurp(dir.Native("c.txt")), "new\r\n");
}

TEST(TextFile, FailuresAreResults)
{
    CStdioFile f;
    EXPECT_FALSE(f.Open(u"/nonexistent-folder/x.txt", CFile::modeRead));
    EXPECT_FALSE(f.Open(u"/nonexistent-folder/x.txt", CFile::modeCreate | CFile::modeWrite | CFile::modeAtomic));
    CString line;
    EXPECT_FALSE(f.ReadString(line));
    std::string bytes;
    EXPECT_FALSE(CFile::ReadAll(u"/nonexistent-folder/x.txt", bytes));
}

}  // namespace
