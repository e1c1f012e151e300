#include "platform/core/Registry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::string Slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A private store in a temporary folder for the length of a test.
class StoreScope {
public:
    StoreScope()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "qv-registry-XXXXXX").string();
        m_dir = ::mkdtemp(tmpl.data());
        Use("registry.ini");
    }
    ~StoreScope()
    {
        platform::SetRegistryStorePath(CString());
        std::filesystem::remove_all(m_dir);
    }
    void Use(const char* name) { platform::SetRegistryStorePath(CString::FromUtf8((m_dir / name).string())); }
    std::filesystem::path Path(const char* name) const { return m_dir / name; }
    std::size_t Count() const
    {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(m_dir), {}));
    }

private:
    std::filesystem::path m_dir;
};

// Closes a key at the end of a scope.
class KeyHolder {
public:
    ~KeyHolder()
    {
        if (key) RegCloseKey(key);
    }
    HKEY key;
};

constexpr const char16_t* kTestKey = u"Software\\Velbrook\\Test";

std::vector<BYTE> Bytes(std::u16string_view text, bool terminated = true)
{
    std::vector<BYTE> b;
    for (char16_t c : text) {
        b.push_back(static_cast<BYTE>(c & 0xFF));
        b.push_back(static_cast<BYTE>(c >> 8));
    }
    if (terminated) b.insert(b.end(), {0, 0});
    return b;
}

std::vector<BYTE> Query(HKEY key, const char16_t* name, DWORD* typeOut = nullptr)
{
    DWORD size = 0;
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {0xEE};
    std::vector<BYTE> data(size);
    if (RegQueryValueExW(key, name, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS) return {0xEF};
    data.resize(size);
    if (typeOut) *typeOut = type;
    return data;
}

TEST(Registry, EveryTypeSurvivesAReload)
{
    struct Row {
        const char* what;
        const char16_t* name;
        DWORD type;
        std::vector<BYTE> stored;
        std::vector<BYTE> queried;
    };
    std::vector<BYTE> option(60);
    for (std::size_t i = 0; i < option.size(); ++i) option[i] = static_cast<BYTE>(i * 37);
    const std::u16string awkward = u"a \"quoted\" C:\\path\\ line\nbreak\ttab é 軸 \U0001F600 [x] ; = @";
    const std::u16string lone = std::u16string(u"x") + char16_t(0xD800) + u"y" + char16_t(0xDC00);
    const std::vector<BYTE> odd = {1, 2, 3};
    const Row rows[] = {
        {"plain text", u"Caution Dialog", REG_SZ, Bytes(u"no"), Bytes(u"no")},
        {"text stored without its NUL comes back with it", u"Bare", REG_SZ, Bytes(u"bare", false), Bytes(u"bare")},
        {"text with every character that needs escaping", u"Awkward \"name\"\\", REG_SZ, Bytes(awkward),
         Bytes(awkward)},
        {"unpaired surrogates", u"Lone", REG_SZ, Bytes(lone), Bytes(lone)},
        {"empty text", u"Empty", REG_SZ, Bytes(u""), Bytes(u"")},
        {"32-bit number", u"ChildWindowState", REG_DWORD, {5, 0, 0, 0}, {5, 0, 0, 0}},
        {"negative number", u"ChildWindowLeft", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"number of the wrong size is kept as given", u"Short", REG_DWORD, odd, odd},
        {"binary record", u"OptionSetting", REG_BINARY, option, option},
        {"empty binary", u"Nothing", REG_BINARY, {}, {}},
        {"64-bit number", u"Big", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"list of texts", u"List", REG_MULTI_SZ, Bytes(std::u16string(u"a\0b\0", 4)),
         Bytes(std::u16string(u"a\0b\0", 4))},
        {"default value", nullptr, REG_SZ, Bytes(u"dflt"), Bytes(u"dflt")},
    };
    StoreScope scope;
    {
        KeyHolder k;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k.key, nullptr),
                  ERROR_SUCCESS);
        for (const auto& r : rows) {
            SCOPED_TRACE(r.what);
            EXPECT_EQ(RegSetValueExW(k.key, r.name, 0, r.type, r.stored.data(), static_cast<DWORD>(r.stored.size())),
                      ERROR_SUCCESS);
        }
    }
    // Another program reading the file finds the same values.
    std::filesystem::copy_file(scope.Path("registry.ini"), scope.Path("copy.ini"));
    scope.Use("copy.ini");
    KeyHolder k;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &k.key), ERROR_SUCCESS);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        DWORD type = 0;
        EXPECT_EQ(Query(k.key, r.name, &type), r.queried);
        EXPECT_EQ(type, r.type);
    }
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(k.key, u"", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);  // "" is the default
    EXPECT_EQ(size, 10u);
}

TEST(Registry, SizeProtocol)
{
    StoreScope scope;
    KeyHolder k;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k.key, nullptr),
              ERROR_SUCCESS);
    const auto value = Bytes(u"no");
    ASSERT_EQ(RegSetValueExW(k.key, u"Caution Dialog", 0, REG_SZ, value.data(), 6), ERROR_SUCCESS);

    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(k.key, u"Caution Dialog", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(type, REG_SZ);

    char16_t small[2] = {u'#', u'#'};
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExW(k.key, u"Caution Dialog", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(small[0], u'#');

    char16_t exact[3];
    size = sizeof exact;
    EXPECT_EQ(RegQueryValueExW(k.key, u"Caution Dialog", nullptr, nullptr, reinterpret_cast<BYTE*>(exact), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(exact), u"no");

    char16_t large[128];
    size = sizeof large;
    EXPECT_EQ(RegQueryValueExW(k.key, u"CAUTION dialog", nullptr, nullptr, reinterpret_cast<BYTE*>(large), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(std::u16string(large), u"no");

    EXPECT_EQ(RegQueryValueExW(k.key, u"Caution Dialog", nullptr, nullptr, reinterpret_cast<BYTE*>(large), nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExW(k.key, u"x", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
}

TEST(Registry, KeysMatchWithoutCaseAndEnumerate)
{
    StoreScope scope;
    const char16_t* path =
        u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\DontShowMeThisDialogAgain\\Velbrook\\Pellarun";
    DWORD disposition = 0;
    {
        KeyHolder k;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, 0x2001F, nullptr,
                                  &k.key, &disposition),
                  ERROR_SUCCESS);
        EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
        const auto no = Bytes(u"no");
        EXPECT_EQ(RegSetValueExW(k.key, u"Caution Dialog", 0, REG_SZ, no.data(), 6), ERROR_SUCCESS);
        const BYTE one[4] = {1, 0, 0, 0};
        EXPECT_EQ(RegSetValueExW(k.key, u"Another", 0, REG_DWORD, one, 4), ERROR_SUCCESS);
    }
    KeyHolder again;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &again.key,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    KeyHolder k;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER,
                            u"SOFTWARE\\microsoft\\windows\\currentversion\\explorer\\dontshowmethisdialogagain\\"
                            u"VELBROOK\\pellarun",
                            0, KEY_READ, &k.key),
              ERROR_SUCCESS);
    EXPECT_EQ(Query(k.key, u"caution dialog"), Bytes(u"no"));

    char16_t name[64];
    DWORD chars = 64;
    DWORD type = 0;
    EXPECT_EQ(RegEnumValueW(k.key, 0, name, &chars, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name), u"Caution Dialog");
    EXPECT_EQ(chars, 14u);
    chars = 64;
    EXPECT_EQ(RegEnumValueW(k.key, 1, name, &chars, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name), u"Another");
    EXPECT_EQ(type, REG_DWORD);
    chars = 64;
    EXPECT_EQ(RegEnumValueW(k.key, 2, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    chars = 3;
    EXPECT_EQ(RegEnumValueW(k.key, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);

    KeyHolder parent;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Velbrook\\Enum\\Zeta", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &parent.key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(parent.key);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Velbrook\\enum\\alpha\\deeper", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &parent.key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(parent.key);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Velbrook\\Enum", 0, KEY_READ, &parent.key), ERROR_SUCCESS);
    std::vector<std::u16string> children;
    for (DWORD i = 0;; ++i) {
        chars = 64;
        if (RegEnumKeyExW(parent.key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        children.emplace_back(name);
    }
    EXPECT_EQ(children, (std::vector<std::u16string>{u"alpha", u"Zeta"}));
}

TEST(Registry, FailuresHaveTheirCodes)
{
    StoreScope scope;
    KeyHolder root;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Velbrook\\Codes\\Child", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &root.key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(root.key);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Velbrook\\Codes", 0, KEY_ALL_ACCESS, &root.key),
              ERROR_SUCCESS);

    struct Row {
        const char* what;
        std::function<LSTATUS()> call;
        LSTATUS expected;
    };
    const Row rows[] = {
        {"open a missing key",
         [] {
             HKEY h = HKEY::FromValue(1234);
             const LSTATUS r = RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Velbrook\\Missing", 0, KEY_READ, &h);
             return h ? LSTATUS(-1) : r;
         },
         ERROR_FILE_NOT_FOUND},
        {"query a missing value",
         [&] { return RegQueryValueExW(root.key, u"none", nullptr, nullptr, nullptr, nullptr); },
         ERROR_FILE_NOT_FOUND},
        {"delete a missing value", [&] { return RegDeleteValueW(root.key, u"none"); }, ERROR_FILE_NOT_FOUND},
        {"delete a missing key", [&] { return RegDeleteKeyW(root.key, u"Nope"); }, ERROR_FILE_NOT_FOUND},
        {"delete a key that has sub-keys",
         [] { return RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Velbrook\\Codes"); }, ERROR_ACCESS_DENIED},
        {"delete a root", [] { return RegDeleteKeyW(HKEY_CURRENT_USER, u""); }, ERROR_ACCESS_DENIED},
        {"write through a read-only handle",
         [] {
             KeyHolder ro;
             RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Velbrook\\Codes", 0, KEY_READ, &ro.key);
             const BYTE b[4] = {};
             return RegSetValueExW(ro.key, u"v", 0, REG_DWORD, b, 4);
         },
         ERROR_ACCESS_DENIED},
        {"key name with a line break",
         [] {
             KeyHolder h;
             return RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\bad\nname", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &h.key, nullptr);
         },
         ERROR_INVALID_PARAMETER},
        {"closed handle",
         [] {
             HKEY h;
             RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Velbrook\\Codes", 0, KEY_READ, &h);
             RegCloseKey(h);
             return RegQueryValueExW(h, u"v", nullptr, nullptr, nullptr, nullptr);
         },
         ERROR_INVALID_HANDLE},
        {"closing twice",
         [] {
             HKEY h;
             RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Velbrook\\Codes", 0, KEY_READ, &h);
             RegCloseKey(h);
             return RegCloseKey(h);
         },
         ERROR_INVALID_HANDLE},
        {"handle that was never made",
         [] { return RegQueryValueExW(HKEY::Make(77, 5), u"v", nullptr, nullptr, nullptr, nullptr); },
         ERROR_INVALID_HANDLE},
        {"handle of a deleted key",
         [] {
             KeyHolder h;
             RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Velbrook\\Gone", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                             &h.key, nullptr);
             RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Velbrook\\Gone");
             const BYTE b[4] = {};
             return RegSetValueExW(h.key, u"v", 0, REG_DWORD, b, 4);
         },
         ERROR_KEY_DELETED},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(r.call(), r.expected);
    }

    // What is refused leaves the store as it was.
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Velbrook\\Codes\\Child", 0, KEY_READ, &root.key),
              ERROR_SUCCESS);
    RegCloseKey(root.key);
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, u"software\\velbrook\\codes"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Velbrook\\Codes\\Child", 0, KEY_READ, &root.key),
              ERROR_FILE_NOT_FOUND);
    root.key = HKEY();
}

TEST(Registry, UnreadableLinesAreKeptAside)
{
    StoreScope scope;
    const std::string damaged =
        "[HKEY_CURRENT_USER\\Software\\Velbrook\\Settings]\n"
        "\"Good\"=dword:0000002a\n"
        "\"Half\"=dword:00\n"
        "garbage \xFF\xFE line\n"
        "[NOT_A_ROOT\\x]\n"
        "\"Orphan\"=\"lost?\"\n";
    std::ofstream(scope.Path("registry.ini"), std::ios::binary) << damaged;
    KeyHolder k;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Velbrook\\Settings", 0, KEY_ALL_ACCESS, &k.key),
              ERROR_SUCCESS);
    EXPECT_EQ(Query(k.key, u"Good"), (std::vector<BYTE>{42, 0, 0, 0}));
    const BYTE seven[4] = {7, 0, 0, 0};
    EXPECT_EQ(RegSetValueExW(k.key, u"New", 0, REG_DWORD, seven, 4), ERROR_SUCCESS);
    EXPECT_EQ(Query(k.key, u"Good"), (std::vector<BYTE>{42, 0, 0, 0}));
    EXPECT_EQ(Query(k.key, u"New"), (std::vector<BYTE>{7, 0, 0, 0}));
    EXPECT_EQ(Slurp(scope.Path("registry.ini.bad")), damaged);
}

// Makes writes past a size fail the way a full disk does, and restores the limit.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim = m_saved;
        lim.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved {};
    void (*m_oldHandler)(int) = nullptr;
};

TEST(Registry, FailedWriteLeavesStoreWhole)
{
    StoreScope scope;
    KeyHolder k;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k.key, nullptr),
              ERROR_SUCCESS);
    const std::vector<BYTE> big(400, 0xAB);
    ASSERT_EQ(RegSetValueExW(k.key, u"Big", 0, REG_BINARY, big.data(), 400), ERROR_SUCCESS);
    const std::string before = Slurp(scope.Path("registry.ini"));
    const std::size_t files = scope.Count();
    {
        FileSizeLimit limit(before.size() - 100);
        const BYTE b[4] = {1, 2, 3, 4};
        EXPECT_EQ(RegSetValueExW(k.key, u"More", 0, REG_DWORD, b, 4), ERROR_WRITE_FAULT);
    }
    EXPECT_EQ(Slurp(scope.Path("registry.ini")), before);
    EXPECT_EQ(scope.Count(), files);
    EXPECT_EQ(RegQueryValueExW(k.key, u"More", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
}

void WriteNumbers(const char* prefix, int count, int* failures)
{
    for (int i = 0; i < count; ++i) {
        HKEY h;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) !=
            ERROR_SUCCESS) {
            ++*failures;
            continue;
        }
        const std::u16string name = CString::FromUtf8(prefix + std::to_string(i)).str();
        const DWORD v = static_cast<DWORD>(i);
        if (RegSetValueExW(h, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4) != ERROR_SUCCESS) {
            ++*failures;
        }
        RegCloseKey(h);
    }
}

TEST(Registry, ConcurrentWritersLoseNothing)
{
    StoreScope scope;
    constexpr int kCount = 15;
    // Other programs first, while this one has a single thread to fork.
    std::vector<pid_t> children;
    for (const char* prefix : {"procA", "procB"}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int failures = 0;
            WriteNumbers(prefix, kCount, &failures);
            ::_exit(failures);
        }
        children.push_back(pid);
    }
    int failures[3] = {};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back(WriteNumbers, t == 0 ? "threadA" : (t == 1 ? "threadB" : "threadC"), kCount, &failures[t]);
    }
    for (auto& th : threads) th.join();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    for (pid_t pid : children) {
        int status = 0;
        pid_t done = 0;
        while ((done = ::waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (done == 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(failures[0] + failures[1] + failures[2], 0);

    KeyHolder k;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &k.key), ERROR_SUCCESS);
    for (const char* prefix : {"procA", "procB", "threadA", "threadB", "threadC"}) {
        for (int i = 0; i < kCount; ++i) {
            const std::u16string name = CString::FromUtf8(prefix + std::to_string(i)).str();
            SCOPED_TRACE(prefix + std::to_string(i));
            EXPECT_EQ(Query(k.key, name.c_str()),
                      (std::vector<BYTE>{static_cast<BYTE>(i), 0, 0, 0}));
        }
    }
}

}  // namespace
