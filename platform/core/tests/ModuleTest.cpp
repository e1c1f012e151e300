#include "platform/core/Module.h"

#include "platform/core/File.h"
#include "platform/core/LastError.h"
#include "platform/core/Paths.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <thread>
#include <vector>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using AnswerFn = int (*)();

const char16_t* const kLibrary = u"qvtest-library.dll";

class TempFolder {
public:
    TempFolder()
    {
        std::string tmpl = (fs::temp_directory_path() / "qv-module-XXXXXX").string();
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

class ScopedWorkingFolder {
public:
    explicit ScopedWorkingFolder(const fs::path& folder) : m_previous(fs::current_path()) { fs::current_path(folder); }
    ~ScopedWorkingFolder()
    {
        std::error_code ec;
        fs::current_path(m_previous, ec);
    }

private:
    fs::path m_previous;
};

// Loads a module and frees it again when the scope ends.
class Loaded {
public:
    explicit Loaded(const CString& name) : m_module(LoadLibraryW(name)) {}
    ~Loaded()
    {
        if (m_module) FreeLibrary(m_module);
    }
    HMODULE get() const { return m_module; }

private:
    HMODULE m_module;
};

fs::path ProgramFolder() { return fs::path(platform::NativePath(platform::GetProgramFolder())); }

int CallAnswer(HMODULE module)
{
    const auto answer = reinterpret_cast<AnswerFn>(GetProcAddress(module, "QvTestLibraryAnswer"));
    return answer ? answer() : -1;
}

TEST(ModuleTest, LoadsLibrariesOnlyFromTheProgramFolder)
{
    // A copy of the test library planted in the working folder, under its own
    // name and under a name that exists nowhere else.
    TempFolder planted;
    ASSERT_FALSE(planted.path().empty());
    const fs::path original = ProgramFolder() / "libqvtest-library.so";
    ASSERT_TRUE(fs::exists(original));
    fs::copy_file(original, planted.path() / "libqvtest-library.so");
    fs::copy_file(original, planted.path() / "libqvtest-planted.so");
    ScopedWorkingFolder cwd(planted.path());

    const CString programFolder = platform::GetProgramFolder();
    CString backslashed = programFolder + kLibrary;
    backslashed.Replace(u'/', u'\\');
    const CString plantedFolder = CString::FromUtf8(planted.path().string());

    struct Case {
        const char* row;
        CString name;
        bool loads;
    };
    const Case cases[] = {
        {"bare dll name", kLibrary, true},
        {"name without extension", u"qvtest-library", true},
        {"shared object name", u"libqvtest-library.so", true},
        {"other letter case", u"QVTEST-LIBRARY.DLL", true},
        {"program folder given", programFolder + kLibrary, true},
        {"program folder with backslashes", backslashed, true},
        {"program folder spelt with ..", programFolder + u"../bin/" + kLibrary, platform::FileNameOf(programFolder.Left(programFolder.GetLength() - 1)) == u"bin"},
        {"planted folder given", plantedFolder + u"/" + kLibrary, false},
        {"planted only in working folder", u"qvtest-planted.dll", false},
        {"planted, path relative to working folder", u"./qvtest-planted.dll", false},
        {"relative folder", u"sub/qvtest-library.dll", false},
        {"not a library name", u"qvtest-library.exe", false},
        {"empty name", u"", false},
        {"missing module", u"qvtest-nothing.dll", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        Loaded module(c.name);
        if (c.loads) {
            ASSERT_TRUE(module.get()) << platform::GetLastModuleError().ToUtf8();
            EXPECT_EQ(CallAnswer(module.get()), 42);
            char16_t path[MAX_PATH];
            ASSERT_GT(GetModuleFileNameW(module.get(), path, MAX_PATH), 0u);
            EXPECT_EQ(fs::path(CString(path).ToUtf8()), fs::canonical(original));
        } else {
            EXPECT_FALSE(module.get());
            EXPECT_FALSE(platform::GetLastModuleError().IsEmpty());
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
        }
    }
}

TEST(ModuleTest, MissingExportsAreNull)
{
    Loaded module(kLibrary);
    ASSERT_TRUE(module.get());
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module.get(), "NoSuchExport"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(module.get(), ""), nullptr);
    EXPECT_EQ(GetProcAddress(module.get(), nullptr), nullptr);
    EXPECT_NE(GetProcAddress(module.get(), "QvTestLibraryAnswer"), nullptr);
}

TEST(ModuleTest, LoadsAreCountedAndFreedHandlesAreStale)
{
    const std::string native = fs::canonical(ProgramFolder() / "libqvtest-library.so").string();
    auto loadedInProcess = [&native] {
        void* dl = ::dlopen(native.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (dl) ::dlclose(dl);
        return dl != nullptr;
    };
    ASSERT_FALSE(loadedInProcess());

    const HMODULE first = LoadLibraryW(kLibrary);
    const HMODULE second = LoadLibraryW(kLibrary);
    ASSERT_TRUE(first);
    EXPECT_EQ(first, second);
    EXPECT_EQ(GetModuleHandleW(kLibrary), first);

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(CallAnswer(second), 42) << "one load is still held";
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_FALSE(loadedInProcess());

    // Every use of the freed handle is refused, also once its slot is reused.
    const HMODULE again = LoadLibraryW(kLibrary);
    ASSERT_TRUE(again);
    EXPECT_NE(again, first);
    EXPECT_EQ(GetProcAddress(first, "QvTestLibraryAnswer"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    char16_t path[MAX_PATH] = u"x";
    EXPECT_EQ(GetModuleFileNameW(first, path, MAX_PATH), 0u);
    EXPECT_FALSE(FreeLibrary(first));
    EXPECT_FALSE(FreeLibrary(HMODULE::Make(999, 1)));
    EXPECT_FALSE(FreeLibrary(nullptr));
    EXPECT_EQ(CallAnswer(again), 42);
    EXPECT_TRUE(FreeLibrary(again));
    EXPECT_FALSE(GetModuleHandleW(kLibrary)) << "not loaded any more";
}

TEST(ModuleTest, ProgramAndLinkedLibrariesHaveHandlesThatAreNeverFreed)
{
    const HMODULE program = GetModuleHandleW(nullptr);
    ASSERT_TRUE(program);
    EXPECT_EQ(platform::ModuleFromAddress(reinterpret_cast<const void*>(&ProgramFolder)), program);

    char16_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(program, path, MAX_PATH), 0u);
    EXPECT_EQ(CString(path), platform::GetProgramPath());
    // A short buffer gets a terminated prefix and the size as result.
    char16_t small[5];
    EXPECT_EQ(GetModuleFileNameW(program, small, 5), 5u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(CString(small), platform::GetProgramPath().Left(4));

    const HMODULE core = platform::ModuleFromAddress(reinterpret_cast<const void*>(&platform::GetProgramFolder));
    ASSERT_TRUE(core);
    EXPECT_EQ(GetModuleHandleW(u"platform-core.dll"), core);
    ASSERT_GT(GetModuleFileNameW(core, path, MAX_PATH), 0u);
    EXPECT_EQ(platform::FileNameOf(CString(path)), CString(u"libplatform-core.so"));

    EXPECT_TRUE(FreeLibrary(program));
    EXPECT_TRUE(FreeLibrary(core));
    EXPECT_EQ(GetModuleHandleW(nullptr), program);
    EXPECT_EQ(platform::ModuleFromAddress(reinterpret_cast<const void*>(&platform::GetProgramFolder)), core);
    EXPECT_GT(GetModuleFileNameW(core, path, MAX_PATH), 0u);
}

TEST(ModuleTest, ThreadsLoadingAndFreeingShareOneCountedModule)
{
    const HMODULE held = LoadLibraryW(kLibrary);
    ASSERT_TRUE(held);
    std::atomic<int> failures {0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&failures] {
            for (int i = 0; i < 200; ++i) {
                const HMODULE m = LoadLibraryW(kLibrary);
                if (!m || CallAnswer(m) != 42 || !FreeLibrary(m)) ++failures;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(GetModuleHandleW(kLibrary), held) << "the held load kept the same module";
    EXPECT_TRUE(FreeLibrary(held));
    EXPECT_FALSE(FreeLibrary(held));
}

TEST(ModuleTest, ResolvesTheFileALoadWouldUse)
{
    EXPECT_EQ(platform::FileNameOf(platform::ResolveModuleFile(kLibrary)), CString(u"libqvtest-library.so"));
    EXPECT_TRUE(platform::ResolveModuleFile(u"qvtest-nothing.dll").IsEmpty());
    EXPECT_TRUE(platform::ResolveModuleFile(u"/usr/lib/qvtest-library.dll").IsEmpty());
}

}  // namespace
