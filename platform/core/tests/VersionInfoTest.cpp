#include "platform/core/VersionInfo.h"

#include "platform/core/File.h"
#include "platform/core/LastError.h"
#include "platform/core/Paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <elf.h>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder()
    {
        std::string tmpl = (fs::temp_directory_path() / "qv-version-XXXXXX").string();
        if (::mkdtemp(tmpl.data())) m_path = tmpl;
    }
    ~TempFolder()
    {
        std::error_code ec;
        if (!m_path.empty()) fs::remove_all(m_path, ec);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

fs::path LibraryPath() { return fs::path(platform::NativePath(platform::GetProgramFolder())) / "libqvtest-library.so"; }

std::string ReadBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(VersionInfoTest, TextsOfALibraryReadBackByFileNameWithoutLoadingIt)
{
    const std::string native = LibraryPath().string();
    const CString names[] = {u"qvtest-library.dll", u"QVTEST-LIBRARY.DLL", u"libqvtest-library.so",
                             CString::FromUtf8(native)};
    for (const CString& name : names) {
        SCOPED_TRACE(name.ToUtf8());
        platform::VersionRecord record;
        CString error;
        ASSERT_TRUE(platform::ReadVersionRecord(name, record, &error)) << error.ToUtf8();
        EXPECT_EQ(record.Text(u"CompanyName"), CString(u"Velbrook"));
        EXPECT_EQ(record.Text(u"ProductName"), CString(u"試験ライブラリ"));
        EXPECT_EQ(record.Text(u"FileDescription"), CString(u"Library \"loaded\" by tests"));
        EXPECT_EQ(record.Text(u"FileVersion"), CString(u"1.2.3.4"));
        EXPECT_EQ(record.Text(u"productversion"), CString(u"1.2.3"));
        EXPECT_EQ(record.Text(u"LegalCopyright"), CString(u"Copyright (C) 2024 Velbrook"));
        EXPECT_EQ(record.Text(u"Comments"), CString(u"a \\ backslash"));
        EXPECT_EQ(record.Text(u"InternalName"), CString(u"qvtest-library"));
        EXPECT_EQ(record.Text(u"OriginalFileName"), CString(u"libqvtest-library.so"));
        EXPECT_FALSE(record.Has(u"SpecialBuild"));
        EXPECT_FALSE(record.Has(u"LegalTrademarks")) << "only the texts given";
        EXPECT_EQ(record.Text(u"SpecialBuild"), CString());
        const WORD file[4] = {1, 2, 3, 4};
        const WORD product[4] = {1, 2, 3, 0};
        EXPECT_EQ(std::memcmp(record.fileVersion, file, sizeof file), 0);
        EXPECT_EQ(std::memcmp(record.productVersion, product, sizeof product), 0);
    }
    void* dl = ::dlopen(native.c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(dl, nullptr) << "reading a version must not load the file";
    if (dl) ::dlclose(dl);
}

TEST(VersionInfoTest, SystemShapedCallsAnswerTheQueriesOfAboutBoxes)
{
    DWORD handle = 99;
    const DWORD size = GetFileVersionInfoSizeW(u"qvtest-library.dll", &handle);
    ASSERT_GT(size, 0u);
    EXPECT_EQ(handle, 0u);
    std::vector<BYTE> block(size);
    EXPECT_FALSE(GetFileVersionInfoW(u"qvtest-library.dll", 0, size - 1, block.data())) << "too small";
    ASSERT_TRUE(GetFileVersionInfoW(u"qvtest-library.dll", 0, size, block.data()));

    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    WORD translation[2];
    std::memcpy(translation, value, 4);
    CString prefix;
    prefix.Format(u"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    EXPECT_EQ(prefix, CString(u"\\StringFileInfo\\040904b0\\"));

    struct Case {
        const char* row;
        CString query;
        const char16_t* expected;  // null: no answer
    };
    const Case cases[] = {
        {"product version", prefix + u"ProductVersion", u"1.2.3"},
        {"copyright", prefix + u"LegalCopyright", u"Copyright (C) 2024 Velbrook"},
        {"key in other case, hex in upper case", u"\\StringFileInfo\\040904B0\\companyname", u"Velbrook"},
        {"Japanese text", prefix + u"ProductName", u"試験ライブラリ"},
        {"missing key", prefix + u"PrivateBuild", nullptr},
        {"other translation", u"\\StringFileInfo\\041104b0\\ProductVersion", nullptr},
        {"no key", u"\\StringFileInfo\\040904b0", nullptr},
        {"unknown block", u"\\Nothing\\Here", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        value = nullptr;
        length = 0;
        const BOOL found = VerQueryValueW(block.data(), c.query, &value, &length);
        if (!c.expected) {
            EXPECT_FALSE(found);
            continue;
        }
        ASSERT_TRUE(found);
        const CString text(static_cast<const char16_t*>(value));
        EXPECT_EQ(text, CString(c.expected));
        EXPECT_EQ(length, static_cast<UINT>(text.GetLength() + 1));
    }

    ASSERT_TRUE(VerQueryValueW(block.data(), u"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0x00030004u);
    EXPECT_EQ(fixed.dwProductVersionLS, 0x00030000u);
}

TEST(VersionInfoTest, FilesWithoutARecordFailCleanly)
{
    TempFolder folder;
    const std::string library = ReadBytes(LibraryPath());
    ASSERT_GT(library.size(), 1000u);
    Elf64_Ehdr header;
    std::memcpy(&header, library.data(), sizeof header);

    auto patched = [&library](std::size_t at, const void* bytes, std::size_t n) {
        std::string copy = library;
        std::memcpy(copy.data() + at, bytes, n);
        return copy;
    };
    const std::uint64_t hugeOffset = ~std::uint64_t {0} - 8;
    const std::uint16_t hugeIndex = 0xFEFF;
    const std::uint16_t manySections = 0xFFFE;
    std::string damagedRecord = library;
    const std::size_t recordAt = damagedRecord.find("QVVERSION1");
    ASSERT_NE(recordAt, std::string::npos);
    damagedRecord[recordAt] = 'X';
    struct Case {
        const char* row;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty file", ""},
        {"text file", "CompanyName=Velbrook\n"},
        {"ELF magic only", std::string("\x7f" "ELF", 4)},
        {"cut after the header", library.substr(0, sizeof header + 10)},
        {"cut in half", library.substr(0, library.size() / 2)},
        {"section table cut", library.substr(0, library.size() - 100)},
        {"section table far away", patched(offsetof(Elf64_Ehdr, e_shoff), &hugeOffset, 8)},
        {"name table index outside", patched(offsetof(Elf64_Ehdr, e_shstrndx), &hugeIndex, 2)},
        {"section count too large", patched(offsetof(Elf64_Ehdr, e_shnum), &manySections, 2)},
        {"record damaged", damagedRecord},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        const fs::path file = folder.path() / "libbroken.so";
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.bytes;
        platform::VersionRecord record;
        CString error;
        EXPECT_FALSE(platform::ReadVersionRecord(CString::FromUtf8(file.string()), record, &error));
        EXPECT_FALSE(error.IsEmpty());
        EXPECT_TRUE(record.texts.empty());
        EXPECT_EQ(GetFileVersionInfoSizeW(CString::FromUtf8(file.string()), nullptr), 0u);
    }

    // Real files that carry no record, and names that find no file.
    const CString program = platform::FileNameOf(platform::GetProgramPath()) + u".exe";
    const CString others[] = {program, u"platform-core.dll", u"qvtest-nothing.dll",
                              CString::FromUtf8(folder.path().string())};
    for (const CString& name : others) {
        SCOPED_TRACE(name.ToUtf8());
        platform::VersionRecord record;
        CString error;
        EXPECT_FALSE(platform::ReadVersionRecord(name, record, &error));
        EXPECT_FALSE(error.IsEmpty());
    }
    CString error;
    platform::VersionRecord record;
    platform::ReadVersionRecord(program, record, &error);
    EXPECT_NE(error.Find(u"no version record"), -1) << "the program file is found and read: " << error.ToUtf8();
    EXPECT_EQ(GetFileVersionInfoSizeW(program, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(GetFileVersionInfoSizeW(u"qvtest-nothing.dll", nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
