#include "platform/core/Registry.h"

#include "platform/core/CodePage.h"
#include "platform/core/File.h"
#include "platform/core/Paths.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// How long a writer waits for another program to finish its change.
constexpr int kStoreLockTimeoutMs = 10000;
constexpr std::size_t kMaxKeyNameChars = 255;
constexpr std::u16string_view kDefaultStoreName = u"Velbrook/registry.ini";

struct Root {
    HKEY handle;
    std::u16string_view name;
};
constexpr Root kRoots[] = {
    {HKEY_CLASSES_ROOT, u"HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, u"HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, u"HKEY_LOCAL_MACHINE"},
};

std::u16string Fold(std::u16string_view s)
{
    std::u16string out(s);
    for (char16_t& c : out) c = FoldCase(c);
    return out;
}

bool IsRootPath(std::u16string_view path)
{
    for (const Root& r : kRoots) {
        if (Fold(path) == Fold(r.name)) return true;
    }
    return false;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

struct Value {
    std::u16string name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct Key {
    std::u16string path;  // full path as first spelled, root included
    std::vector<Value> values;

    Value* FindValue(std::u16string_view name)
    {
        const std::u16string folded = Fold(name);
        for (Value& v : values) {
            if (Fold(v.name) == folded) return &v;
        }
        return nullptr;
    }
};

// ---------------------------------------------------------------------------
// Text form of the store

void AppendHex(std::u16string& out, unsigned value, int digits)
{
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out.push_back(kDigits[(value >> shift) & 0xF]);
}

std::u16string QuoteText(std::u16string_view s)
{
    std::u16string out = u"\"";
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool low = c >= 0xDC00 && c <= 0xDFFF;
        if (c == u'\\') {
            out += u"\\\\";
        } else if (c == u'"') {
            out += u"\\\"";
        } else if (c == u'\n') {
            out += u"\\n";
        } else if (c == u'\r') {
            out += u"\\r";
        } else if (c == u'\t') {
            out += u"\\t";
        } else if (c < 0x20 || c == 0x7F || low || (high && !(i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF))) {
            // Controls and unpaired surrogates have no plain UTF-8 form.
            out += u"\\u";
            AppendHex(out, c, 4);
        } else {
            out.push_back(c);
            if (high) out.push_back(s[++i]);
        }
    }
    out.push_back(u'"');
    return out;
}

int HexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Reads a quoted text at s[pos] ('"' there); pos moves past the closing quote.
bool UnquoteText(std::u16string_view s, std::size_t& pos, std::u16string& out)
{
    out.clear();
    if (pos >= s.size() || s[pos] != u'"') return false;
    for (++pos; pos < s.size(); ++pos) {
        const char16_t c = s[pos];
        if (c == u'"') {
            ++pos;
            return true;
        }
        if (c != u'\\') {
            out.push_back(c);
            continue;
        }
        if (++pos >= s.size()) return false;
        switch (s[pos]) {
        case u'\\': out.push_back(u'\\'); break;
        case u'"': out.push_back(u'"'); break;
        case u'n': out.push_back(u'\n'); break;
        case u'r': out.push_back(u'\r'); break;
        case u't': out.push_back(u'\t'); break;
        case u'u': {
            if (pos + 4 >= s.size()) return false;
            unsigned v = 0;
            for (int k = 1; k <= 4; ++k) {
                const int d = HexDigit(s[pos + k]);
                if (d < 0) return false;
                v = v * 16 + static_cast<unsigned>(d);
            }
            out.push_back(static_cast<char16_t>(v));
            pos += 4;
            break;
        }
        default: return false;
        }
    }
    return false;
}

bool ParseHexBytes(std::u16string_view s, std::vector<BYTE>& out)
{
    out.clear();
    std::size_t pos = 0;
    while (pos < s.size() && (s[pos] == u' ' || s[pos] == u'\t')) ++pos;
    if (pos == s.size()) return true;
    for (;;) {
        if (pos + 2 > s.size()) return false;
        const int hi = HexDigit(s[pos]);
        const int lo = HexDigit(s[pos + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<BYTE>(hi * 16 + lo));
        pos += 2;
        if (pos == s.size()) return true;
        if (s[pos] != u',') return false;
        ++pos;
    }
}

std::u16string ToUtf16(const std::vector<BYTE>& data)
{
    std::u16string s(data.size() / 2, u'\0');
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    return s;
}

std::vector<BYTE> FromUtf16(std::u16string_view s)
{
    std::vector<BYTE> data;
    data.reserve(s.size() * 2);
    for (char16_t c : s) {
        data.push_back(static_cast<BYTE>(c & 0xFF));
        data.push_back(static_cast<BYTE>(c >> 8));
    }
    return data;
}

std::u16string FormatValue(const Value& v)
{
    std::u16string line = v.name.empty() ? u"@" : QuoteText(v.name);
    line += u"=";
    const std::size_t n = v.data.size();
    if (v.type == REG_SZ && n >= 2 && n % 2 == 0 && v.data[n - 1] == 0 && v.data[n - 2] == 0) {
        // Shown as text without its terminator; read back with it.
        const std::u16string text = ToUtf16(v.data);
        return line + QuoteText(std::u16string_view(text).substr(0, text.size() - 1));
    }
    if (v.type == REG_DWORD && n == 4) {
        line += u"dword:";
        AppendHex(line, static_cast<unsigned>(v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (v.data[3] << 24)), 8);
        return line;
    }
    if (v.type == REG_BINARY) {
        line += u"hex:";
    } else {
        line += u"hex(";
        int digits = 1;
        while (digits < 8 && (v.type >> (digits * 4)) != 0) ++digits;
        AppendHex(line, v.type, digits);
        line += u"):";
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (i) line.push_back(u',');
        AppendHex(line, v.data[i], 2);
    }
    return line;
}

bool ParseValue(std::u16string_view s, Value& v)
{
    std::size_t pos = 0;
    if (!s.empty() && s[0] == u'@') {
        v.name.clear();
        pos = 1;
    } else if (!UnquoteText(s, pos, v.name)) {
        return false;
    }
    while (pos < s.size() && (s[pos] == u' ' || s[pos] == u'\t')) ++pos;
    if (pos >= s.size() || s[pos] != u'=') return false;
    ++pos;
    while (pos < s.size() && (s[pos] == u' ' || s[pos] == u'\t')) ++pos;
    const std::u16string_view rest = s.substr(pos);
    if (!rest.empty() && rest[0] == u'"') {
        std::u16string text;
        std::size_t p = 0;
        if (!UnquoteText(rest, p, text) || p != rest.size()) return false;
        text.push_back(u'\0');
        v.type = REG_SZ;
        v.data = FromUtf16(text);
        return true;
    }
    if (rest.substr(0, 6) == u"dword:") {
        const std::u16string_view digits = rest.substr(6);
        if (digits.size() != 8) return false;
        unsigned value = 0;
        for (char16_t c : digits) {
            const int d = HexDigit(c);
            if (d < 0) return false;
            value = value * 16 + static_cast<unsigned>(d);
        }
        v.type = REG_DWORD;
        v.data = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                  static_cast<BYTE>(value >> 24)};
        return true;
    }
    if (rest.substr(0, 4) == u"hex:") {
        v.type = REG_BINARY;
        return ParseHexBytes(rest.substr(4), v.data);
    }
    if (rest.substr(0, 4) == u"hex(") {
        const std::size_t close = rest.find(u"):");
        if (close == std::u16string_view::npos || close == 4 || close > 12) return false;
        unsigned type = 0;
        for (char16_t c : rest.substr(4, close - 4)) {
            const int d = HexDigit(c);
            if (d < 0) return false;
            type = type * 16 + static_cast<unsigned>(d);
        }
        v.type = type;
        return ParseHexBytes(rest.substr(close + 2), v.data);
    }
    return false;
}

// ---------------------------------------------------------------------------
// The store in memory

struct Store {
    std::map<std::u16string, Key> keys;  // by folded full path
    int badLines = 0;

    bool Exists(std::u16string_view path) const { return IsRootPath(path) || keys.count(Fold(path)) != 0; }

    Key* Find(std::u16string_view path)
    {
        const auto it = keys.find(Fold(path));
        return it == keys.end() ? nullptr : &it->second;
    }

    // Creates the key and every missing key above it; true when it was missing.
    bool Ensure(std::u16string_view path)
    {
        bool created = false;
        std::size_t slash = path.find(u'\\');
        while (true) {
            const std::u16string_view prefix = path.substr(0, slash);
            if (!IsRootPath(prefix) || prefix.size() == path.size()) {
                auto [it, inserted] = keys.try_emplace(Fold(prefix));
                if (inserted) {
                    it->second.path = prefix;
                    created = created || prefix.size() == path.size();
                }
            }
            if (slash == std::u16string_view::npos) break;
            slash = path.find(u'\\', slash + 1);
        }
        return created && !IsRootPath(path);
    }

    // Direct sub-keys, in order of their folded names.
    std::vector<std::u16string> Children(std::u16string_view path) const
    {
        std::vector<std::u16string> names;
        const std::u16string prefix = Fold(path) + u"\\";
        for (auto it = keys.lower_bound(prefix); it != keys.end() && it->first.compare(0, prefix.size(), prefix) == 0;
             ++it) {
            const std::u16string_view rest = std::u16string_view(it->second.path).substr(prefix.size());
            if (rest.find(u'\\') == std::u16string_view::npos) names.emplace_back(rest);
        }
        return names;
    }

    // Removes everything below the key, and the key itself unless keepKey.
    void EraseTree(std::u16string_view path, bool keepKey)
    {
        const std::u16string prefix = Fold(path) + u"\\";
        auto it = keys.lower_bound(prefix);
        while (it != keys.end() && it->first.compare(0, prefix.size(), prefix) == 0) it = keys.erase(it);
        if (keepKey) {
            if (Key* k = Find(path)) k->values.clear();
        } else {
            keys.erase(Fold(path));
        }
    }

    void Parse(std::string_view bytes)
    {
        keys.clear();
        badLines = 0;
        Key* current = nullptr;
        while (!bytes.empty()) {
            const std::size_t lf = bytes.find('\n');
            std::string_view raw = bytes.substr(0, lf);
            bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
            if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
            const std::u16string line = platform::ToWide(raw, CP_UTF8);
            std::u16string_view text = line;
            while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
            if (text.empty() || text.front() == u';') continue;
            if (text.front() == u'[') {
                const std::size_t close = text.rfind(u']');
                const std::u16string_view path = close == std::u16string_view::npos ? u"" : text.substr(1, close - 1);
                const std::size_t slash = path.find(u'\\');
                if (!IsRootPath(path.substr(0, slash))) {
                    ++badLines;
                    current = nullptr;
                    continue;
                }
                Ensure(path);
                current = Find(path);
                continue;
            }
            Value v;
            if (!current || !ParseValue(text, v)) {
                ++badLines;
                continue;
            }
            if (Value* old = current->FindValue(v.name)) {
                *old = std::move(v);
            } else {
                current->values.push_back(std::move(v));
            }
        }
    }

    std::string Serialize() const
    {
        std::u16string out = u"; Settings of the Velbrook programs: one section per key, one line per value.\n";
        for (const auto& [folded, key] : keys) {
            out += u"\n[" + key.path + u"]\n";
            for (const Value& v : key.values) out += FormatValue(v) + u"\n";
        }
        return platform::FromWide(out, CP_UTF8);
    }
};

// ---------------------------------------------------------------------------
// The store file

std::mutex g_pathLock;
CString g_storeOverride;

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadFileBytes(const std::string& native, std::string& bytes)
{
    bytes.clear();
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadResult::Failed;
    }
    char buf[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return ReadResult::Failed;
        }
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadResult::Ok;
}

// A store that cannot be read reads as empty.
Store LoadStore()
{
    Store store;
    const CString path = platform::GetRegistryStorePath();
    if (path.IsEmpty()) return store;
    std::string bytes;
    if (ReadFileBytes(platform::NativePath(path), bytes) == ReadResult::Ok) store.Parse(bytes);
    return store;
}

// flock on a file beside the store, released when closed (also when the
// holder dies); the wait for it is bounded.
class StoreLock {
public:
    ~StoreLock()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    bool Acquire(const std::string& path)
    {
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) return false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStoreLockTimeoutMs);
        int pauseMs = 1;
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) return false;
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
            pauseMs = std::min(pauseMs * 2, 20);
        }
        return true;
    }

private:
    int m_fd = -1;
};

std::mutex g_writeLock;

// Reads the store anew under the lock, applies change and writes the store
// back when change reports that it changed something.
LSTATUS Mutate(const std::function<LSTATUS(Store&, bool&)>& change)
{
    std::lock_guard<std::mutex> guard(g_writeLock);
    const CString path = platform::GetRegistryStorePath();
    if (path.IsEmpty()) return ERROR_WRITE_FAULT;
    const std::string native = platform::NativePath(path);
    platform::CreateFolderPath(platform::FolderOf(path));
    StoreLock lock;
    if (!lock.Acquire(native + ".lock")) return ERROR_WRITE_FAULT;

    std::string bytes;
    const ReadResult read = ReadFileBytes(native, bytes);
    // A store that exists but cannot be read is never replaced.
    if (read == ReadResult::Failed) return ERROR_WRITE_FAULT;
    Store store;
    if (read == ReadResult::Ok) store.Parse(bytes);

    bool changed = false;
    const LSTATUS status = change(store, changed);
    if (status != ERROR_SUCCESS || !changed) return status;
    // Lines that could not be read would be lost by the rewrite: keep the
    // old file beside the store first.
    if (store.badLines > 0 && !CFile::WriteAll(CString(platform::ToWide(native + ".bad", CP_UTF8)), bytes)) {
        return ERROR_WRITE_FAULT;
    }
    return CFile::WriteAll(path, store.Serialize()) ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

// ---------------------------------------------------------------------------
// Handles

struct Slot {
    std::uint32_t generation = 0;
    bool used = false;
    std::u16string path;
    REGSAM access = 0;
};

std::mutex g_handleLock;
std::vector<Slot>& Slots()
{
    static auto* slots = new std::vector<Slot>();
    return *slots;
}

HKEY NewHandle(std::u16string path, REGSAM access)
{
    std::lock_guard<std::mutex> guard(g_handleLock);
    auto& slots = Slots();
    std::size_t index = 0;
    while (index < slots.size() && slots[index].used) ++index;
    if (index == slots.size()) slots.emplace_back();
    Slot& slot = slots[index];
    slot.used = true;
    slot.generation = slot.generation == UINT32_MAX ? 1 : slot.generation + 1;
    slot.path = std::move(path);
    slot.access = access;
    return HKEY::Make(static_cast<std::uint32_t>(index), slot.generation);
}

bool Resolve(HKEY key, std::u16string& path, REGSAM& access)
{
    for (const Root& r : kRoots) {
        if (key == r.handle) {
            path = r.name;
            access = KEY_ALL_ACCESS;
            return true;
        }
    }
    if (key.Generation() == 0) return false;
    std::lock_guard<std::mutex> guard(g_handleLock);
    const auto& slots = Slots();
    if (key.Index() >= slots.size()) return false;
    const Slot& slot = slots[key.Index()];
    if (!slot.used || slot.generation != key.Generation()) return false;
    path = slot.path;
    access = slot.access;
    return true;
}

// base + '\' + subKey with empty parts dropped; false for a name that the
// store could not hold.
bool JoinKeyPath(const std::u16string& base, LPCWSTR subKey, std::u16string& path)
{
    path = base;
    if (!subKey) return true;
    std::u16string_view rest(subKey);
    while (!rest.empty()) {
        const std::size_t slash = rest.find(u'\\');
        const std::u16string_view part = rest.substr(0, slash);
        rest.remove_prefix(slash == std::u16string_view::npos ? rest.size() : slash + 1);
        if (part.empty()) continue;
        if (part.size() > kMaxKeyNameChars) return false;
        for (char16_t c : part) {
            if (c < 0x20) return false;
        }
        path += u"\\";
        path += part;
    }
    return true;
}

// The size protocol shared by query and enumeration.
LSTATUS CopyData(const Value& v, LPDWORD type, LPBYTE data, LPDWORD size)
{
    if (type) *type = v.type;
    std::vector<BYTE> bytes = v.data;
    if (IsStringType(v.type)) {
        // Hand strings out terminated even when they were stored without.
        if (bytes.size() % 2) bytes.push_back(0);
        if (bytes.size() < 2 || bytes[bytes.size() - 1] != 0 || bytes[bytes.size() - 2] != 0) {
            bytes.push_back(0);
            bytes.push_back(0);
        }
    }
    if (!data) {
        if (size) *size = static_cast<DWORD>(bytes.size());
        return ERROR_SUCCESS;
    }
    if (!size) return ERROR_INVALID_PARAMETER;
    if (*size < bytes.size()) {
        *size = static_cast<DWORD>(bytes.size());
        return ERROR_MORE_DATA;
    }
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    *size = static_cast<DWORD>(bytes.size());
    return ERROR_SUCCESS;
}

LSTATUS CopyName(std::u16string_view name, LPWSTR out, LPDWORD chars)
{
    if (!out || !chars) return ERROR_INVALID_PARAMETER;
    if (*chars < name.size() + 1) return ERROR_MORE_DATA;
    name.copy(out, name.size());
    out[name.size()] = 0;
    *chars = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

std::u16string_view ValueName(LPCWSTR name) { return name ? std::u16string_view(name) : std::u16string_view(); }

}  // namespace

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM access, PHKEY result)
{
    try {
        if (!result) return ERROR_INVALID_PARAMETER;
        *result = HKEY();
        std::u16string base;
        REGSAM baseAccess = 0;
        if (!Resolve(key, base, baseAccess)) return ERROR_INVALID_HANDLE;
        std::u16string path;
        if (!JoinKeyPath(base, subKey, path)) return ERROR_INVALID_PARAMETER;
        const Store store = LoadStore();
        if (!store.Exists(base)) return ERROR_KEY_DELETED;
        if (!store.Exists(path)) return ERROR_FILE_NOT_FOUND;
        *result = NewHandle(path, access);
        return ERROR_SUCCESS;
    } catch (...) {
        return ERROR_WRITE_FAULT;
    }
}

LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM access, LPVOID, PHKEY result,
                        LPDWORD disposition)
{
    try {
        if (!result) return ERROR_INVALID_PARAMETER;
        *result = HKEY();
        std::u16string base;
        REGSAM baseAccess = 0;
        if (!Resolve(key, base, baseAccess)) return ERROR_INVALID_HANDLE;
        std::u16string path;
        if (!JoinKeyPath(base, subKey, path)) return ERROR_INVALID_PARAMETER;
        bool created = false;
        const LSTATUS status = Mutate([&](Store& store, bool& changed) {
            if (!store.Exists(base)) return ERROR_KEY_DELETED;
            if (!store.Exists(path) && !(baseAccess & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
            created = changed = store.Ensure(path);
            return ERROR_SUCCESS;
        });
        if (status != ERROR_SUCCESS) return status;
        *result = NewHandle(path, access);
        if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    } catch (...) {
        return ERROR_WRITE_FAULT;
    }
}

LSTATUS RegCloseKey(HKEY key)
{
    for (const Root& r : kRoots) {
        if (key == r.handle) return ERROR_SUCCESS;
    }
    std::lock_guard<std::mutex> guard(g_handleLock);
    auto& slots = Slots();
    if (key.Generation() == 0 || key.Index() >= slots.size()) return ERROR_INVALID_HANDLE;
    Slot& slot = slots[key.Index()];
    if (!slot.used || slot.generation != key.Generation()) return ERROR_INVALID_HANDLE;
    slot.used = false;
    slot.path.clear();
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
    try {
        std::u16string path;
        REGSAM access = 0;
        if (!Resolve(key, path, access)) return ERROR_INVALID_HANDLE;
        if (!(access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
        if (data && !size) return ERROR_INVALID_PARAMETER;
        Store store = LoadStore();
        if (!store.Exists(path)) return ERROR_KEY_DELETED;
        Key* k = store.Find(path);
        const Value* v = k ? k->FindValue(ValueName(name)) : nullptr;
        if (!v) return ERROR_FILE_NOT_FOUND;
        return CopyData(*v, type, data, size);
    } catch (...) {
        return ERROR_WRITE_FAULT;
    }
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    try {
        std::u16string path;
        REGSAM access = 0;
        if (!Resolve(key, path, access)) return ERROR_INVALID_HANDLE;
        if (!(access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
        if (!data && size) return ERROR_INVALID_PARAMETER;
        Value value;
        value.name = ValueName(name);
        value.type = type;
        if (size) value.data.assign(data, data + size);
        return Mutate([&](Store& store, bool& changed) {
            if (!store.Exists(path)) return ERROR_KEY_DELETED;
            store.Ensure(path);
            Key* k = store.Find(path);
            if (Value* old = k->FindValue(value.name)) {
                if (old->type == value.type && old->data == value.data) return ERROR_SUCCESS;
                old->type = value.type;
                old->data = value.data;
            } else {
                k->values.push_back(value);
            }
            changed = true;
            return ERROR_SUCCESS;
        });
    } catch (...) {
        return ERROR_WRITE_FAULT;
    }
}

LSTATUS RegDeleteValueW(HKEY key, LPCWSTR name)
{
    try {
        std::u16string path;
        REGSAM access = 0;
        if (!Resolve(key, path, access)) return ERROR_INVALID_HANDLE;
        if (!(access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
        return Mutate([&](Store& store, bool& changed) {
            if (!store.Exists(path)) return ERROR_KEY_DELETED;
            Key* k = store.Find(path);
            const Value* v = k ? k->FindValue(ValueName(name)) : nullptr;
            if (!v) return ERROR_FILE_NOT_FOUND;
            k->values.erase(k->values.begin() + (v - k->values.data()));
            changed = true;
            return ERROR_SUCCESS;
        });
    } catch (...) {
        return ERROR_WRITE_FAULT;
    }
}

LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey)
{
    try {
        if (!subKey) return ERROR_INVALID_PARAMETER;
        std::u16string base;
        REGSAM access = 0;
        if (!Resolve(key, base, access)) return ERROR_INVALID_HANDLE;
        std::u16string path;
        if (!JoinKeyPath(base, subKey, path)) return ERROR_INVALID_PARAMETER;
        if (IsRootPath(path)) return ERROR_ACCESS_DENIED;
        return Mutate([&](Store& store, bool& changed) {
            if (!store.Exists(path)) return ERROR_FILE_NOT_FOUND;
            if (!store.Children(path).empty()) return ERROR_ACCESS_DENIED;
            store.EraseTree(path, false);
            changed = true;
            return ERROR_SUCCESS;
        });
    } catch (...) {
        return ERROR_WRITE_FAULT;
    }
}

LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey)
{
    try {
        std::u16string base;
        REGSAM access = 0;
        if (!Resolve(key, base, access)) return ERROR_INVALID_HANDLE;
        std::u16string path;
        if (!JoinKeyPath(base, subKey, path)) return ERROR_INVALID_PARAMETER;
        const bool keepKey = path == base || IsRootPath(path);
        return Mutate([&](Store& store, bool& changed) {
            if (!store.Exists(path)) return path == base ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND;
            store.EraseTree(path, keepKey);
            changed = true;
            return ERROR_SUCCESS;
        });
    } catch (...) {
        return ERROR_WRITE_FAULT;
    }
}

LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD, LPDWORD type, LPBYTE data,
                      LPDWORD size)
{
    try {
        std::u16string path;
        REGSAM access = 0;
        if (!Resolve(key, path, access)) return ERROR_INVALID_HANDLE;
        if (!(access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
        Store store = LoadStore();
        if (!store.Exists(path)) return ERROR_KEY_DELETED;
        Key* k = store.Find(path);
        if (!k || index >= k->values.size()) return ERROR_NO_MORE_ITEMS;
        const Value& v = k->values[index];
        if (data && !size) return ERROR_INVALID_PARAMETER;
        const LSTATUS named = CopyName(v.name, name, nameChars);
        if (named != ERROR_SUCCESS) return named;
        return CopyData(v, type, data, size);
    } catch (...) {
        return ERROR_WRITE_FAULT;
    }
}

LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD, LPWSTR keyClass,
                      LPDWORD classChars, LPVOID)
{
    try {
        std::u16string path;
        REGSAM access = 0;
        if (!Resolve(key, path, access)) return ERROR_INVALID_HANDLE;
        if (!(access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
        const Store store = LoadStore();
        if (!store.Exists(path)) return ERROR_KEY_DELETED;
        const std::vector<std::u16string> children = store.Children(path);
        if (index >= children.size()) return ERROR_NO_MORE_ITEMS;
        const LSTATUS named = CopyName(children[index], name, nameChars);
        if (named != ERROR_SUCCESS) return named;
        if (keyClass && classChars && *classChars > 0) {
            keyClass[0] = 0;
            *classChars = 0;
        }
        return ERROR_SUCCESS;
    } catch (...) {
        return ERROR_WRITE_FAULT;
    }
}

namespace platform {

CString GetRegistryStorePath()
{
    {
        std::lock_guard<std::mutex> guard(g_pathLock);
        if (!g_storeOverride.IsEmpty()) return g_storeOverride;
    }
    if (const char* env = std::getenv("QV_REGISTRY_FILE"); env && *env) return CString(ToWide(env, CP_UTF8));
    const CString folder = GetAppDataFolder();
    if (folder.IsEmpty()) return CString();
    return JoinPath(folder, CString(kDefaultStoreName));
}

void SetRegistryStorePath(const CString& path)
{
    std::lock_guard<std::mutex> guard(g_pathLock);
    g_storeOverride = NormalizePath(path);
}

}  // namespace platform
