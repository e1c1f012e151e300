#include "platform/core/Profile.h"

#include "platform/core/CodePage.h"
#include "platform/core/File.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <utility>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == u'\r'; }

std::u16string_view TrimBlanks(std::u16string_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool IsQuote(char16_t c) { return c == u'"' || c == u'\''; }

std::u16string_view Unquote(std::u16string_view s)
{
    if (s.size() >= 2 && IsQuote(s.front()) && s.back() == s.front()) return s.substr(1, s.size() - 2);
    return s;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return true;
}

bool HasLineBreak(std::u16string_view s) { return s.find_first_of(u"\r\n") != std::u16string_view::npos; }

struct Line {
    enum class Kind { Other, Section, Entry };
    std::string raw;  // bytes without the line end
    Kind kind = Kind::Other;
    std::u16string name;   // section or key name, blanks dropped
    std::u16string value;  // entry value as read back
};

// A profile file held as its lines, so a write can change one line and keep
// every other byte.
struct Document {
    bool bom = false;
    UINT codePage = CP_ACP;
    std::vector<Line> lines;

    void Classify(Line& line) const
    {
        const std::u16string wide = platform::ToWide(line.raw, codePage);
        const std::u16string_view text = TrimBlanks(wide);
        line.kind = Line::Kind::Other;
        line.name.clear();
        line.value.clear();
        if (text.empty() || text.front() == u';') return;
        if (text.front() == u'[') {
            const std::size_t close = text.find(u']');
            if (close == std::u16string_view::npos) return;
            line.kind = Line::Kind::Section;
            line.name = TrimBlanks(text.substr(1, close - 1));
            return;
        }
        const std::size_t eq = text.find(u'=');
        if (eq == std::u16string_view::npos) return;
        const std::u16string_view key = TrimBlanks(text.substr(0, eq));
        if (key.empty()) return;
        line.kind = Line::Kind::Entry;
        line.name = key;
        line.value = Unquote(TrimBlanks(text.substr(eq + 1)));
    }

    void Parse(std::string_view bytes)
    {
        lines.clear();
        bom = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
        if (bom) bytes.remove_prefix(kUtf8Bom.size());
        codePage = bom ? CP_UTF8 : platform::GetAnsiCodePage();
        while (!bytes.empty()) {
            const std::size_t lf = bytes.find('\n');
            std::string_view raw = bytes.substr(0, lf);
            bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
            if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
            Line line;
            line.raw = std::string(raw);
            Classify(line);
            lines.push_back(std::move(line));
        }
    }

    std::string Serialize() const
    {
        std::string out;
        if (bom) out += kUtf8Bom;
        for (const Line& line : lines) {
            out += line.raw;
            out += "\r\n";
        }
        return out;
    }

    Line MakeLine(std::u16string_view text) const
    {
        Line line;
        line.raw = platform::FromWide(text, codePage);
        Classify(line);
        return line;
    }

    // [first, end) of the first section with the name; nullopt when none.
    std::optional<std::pair<std::size_t, std::size_t>> FindSection(std::u16string_view name,
                                                                   std::size_t from = 0) const
    {
        for (std::size_t i = from; i < lines.size(); ++i) {
            if (lines[i].kind != Line::Kind::Section || !EqualNoCase(lines[i].name, name)) continue;
            std::size_t end = i + 1;
            while (end < lines.size() && lines[end].kind != Line::Kind::Section) ++end;
            return std::make_pair(i, end);
        }
        return std::nullopt;
    }

    const Line* FindEntry(std::u16string_view section, std::u16string_view key) const
    {
        const auto range = FindSection(section);
        if (!range) return nullptr;
        for (std::size_t i = range->first + 1; i < range->second; ++i) {
            if (lines[i].kind == Line::Kind::Entry && EqualNoCase(lines[i].name, key)) return &lines[i];
        }
        return nullptr;
    }

    std::vector<std::u16string> SectionNames() const
    {
        std::vector<std::u16string> names;
        NameSet seen;
        for (const Line& line : lines) {
            if (line.kind == Line::Kind::Section && seen.Add(line.name)) names.push_back(line.name);
        }
        return names;
    }

    // The entries of the first section of the name: each key once, at its
    // first line, which is the one a read finds.
    std::vector<const Line*> Entries(std::u16string_view section) const
    {
        std::vector<const Line*> entries;
        const auto range = FindSection(section);
        if (!range) return entries;
        NameSet seen;
        for (std::size_t i = range->first + 1; i < range->second; ++i) {
            if (lines[i].kind == Line::Kind::Entry && seen.Add(lines[i].name)) entries.push_back(&lines[i]);
        }
        return entries;
    }

    std::vector<std::u16string> KeyNames(std::u16string_view section) const
    {
        std::vector<std::u16string> names;
        for (const Line* entry : Entries(section)) names.push_back(entry->name);
        return names;
    }

    // Names met so far, compared without case, in one hash look-up each, so
    // listing a file of many names stays linear.
    class NameSet {
    public:
        bool Add(std::u16string_view name)
        {
            std::u16string folded(name);
            for (char16_t& c : folded) c = FoldCase(c);
            return m_names.insert(std::move(folded)).second;
        }

    private:
        std::unordered_set<std::u16string> m_names;
    };

    // Each returns true when it changed the document.
    bool SetEntry(std::u16string_view section, std::u16string_view key, std::u16string_view value)
    {
        std::u16string text(value);
        // A value that would lose its outer blanks or quotes when read is
        // written inside one more pair of quotes, so it reads back as given.
        const bool needsQuotes = TrimBlanks(value).size() != value.size() || Unquote(value).size() != value.size();
        if (needsQuotes) text = u"\"" + text + u"\"";

        const auto range = FindSection(section);
        if (!range) {
            if (!lines.empty() && !TrimBlanks(platform::ToWide(lines.back().raw, codePage)).empty()) {
                lines.push_back(MakeLine(u""));
            }
            lines.push_back(MakeLine(u"[" + std::u16string(section) + u"]"));
            lines.push_back(MakeLine(std::u16string(key) + u"=" + text));
            return true;
        }
        std::size_t insertAt = range->first + 1;
        for (std::size_t i = range->first + 1; i < range->second; ++i) {
            Line& line = lines[i];
            if (line.kind != Line::Kind::Entry) continue;
            if (EqualNoCase(line.name, key)) {
                // A value that already reads back as asked keeps its line.
                if (line.value == value) return false;
                line = MakeLine(line.name + u"=" + text);
                return true;
            }
            insertAt = i + 1;
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                     MakeLine(std::u16string(key) + u"=" + text));
        return true;
    }

    // Every copy of the key in every section of that name goes, so no older
    // duplicate comes to light afterwards.
    bool DeleteEntry(std::u16string_view section, std::u16string_view key)
    {
        bool changed = false;
        bool inSection = false;
        for (std::size_t i = 0; i < lines.size();) {
            const Line& line = lines[i];
            if (line.kind == Line::Kind::Section) inSection = EqualNoCase(line.name, section);
            if (inSection && line.kind == Line::Kind::Entry && EqualNoCase(line.name, key)) {
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
                changed = true;
            } else {
                ++i;
            }
        }
        return changed;
    }

    bool DeleteSection(std::u16string_view section)
    {
        bool changed = false;
        while (const auto range = FindSection(section)) {
            std::size_t end = range->second;
            // Comments and blank lines just above the next section belong to it.
            if (end < lines.size()) {
                while (end > range->first + 1 && lines[end - 1].kind == Line::Kind::Other) --end;
            }
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(range->first),
                        lines.begin() + static_cast<std::ptrdiff_t>(end));
            changed = true;
        }
        return changed;
    }
};

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

// A missing or unreadable file reads as an empty one.
Document Load(LPCWSTR file)
{
    Document doc;
    doc.codePage = platform::GetAnsiCodePage();
    if (!file || !*file) return doc;
    std::string bytes;
    if (ReadFileBytes(platform::NativePath(file), bytes) == ReadResult::Ok) doc.Parse(bytes);
    return doc;
}

// One lock per file, so that two writers in this process cannot both read
// the old content and each drop the other's change.
std::mutex& WriterLock(const std::string& native)
{
    std::string key = native;
    const std::size_t slash = native.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : native.substr(0, slash == 0 ? 1 : slash);
    if (char* real = ::realpath(folder.c_str(), nullptr)) {
        key = std::string(real) + "/" + native.substr(slash == std::string::npos ? 0 : slash + 1);
        std::free(real);
    }
    static std::mutex mapLock;
    static auto* locks = new std::map<std::string, std::unique_ptr<std::mutex>>();
    std::lock_guard<std::mutex> guard(mapLock);
    auto& slot = (*locks)[key];
    if (!slot) slot = std::make_unique<std::mutex>();
    return *slot;
}

DWORD CopyValue(std::u16string_view text, LPWSTR out, DWORD size)
{
    if (!out || size == 0) return 0;
    std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    // Never leave half of a surrogate pair at the end.
    if (n < text.size() && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    text.copy(out, n);
    out[n] = 0;
    return static_cast<DWORD>(n);
}

DWORD CopyList(const std::vector<std::u16string>& names, LPWSTR out, DWORD size)
{
    if (!out || size == 0) return 0;
    if (size == 1) {
        out[0] = 0;
        return 0;
    }
    std::u16string list;
    for (const auto& n : names) {
        list += n;
        list.push_back(0);
    }
    if (list.size() + 1 <= size) {
        list.copy(out, list.size());
        out[list.size()] = 0;
        if (list.empty()) out[1] = 0;
        return static_cast<DWORD>(list.size());
    }
    std::size_t n = size - 2;
    if (n > 0 && list[n - 1] >= 0xD800 && list[n - 1] <= 0xDBFF) --n;
    list.copy(out, n);
    for (std::size_t i = n; i < size; ++i) out[i] = 0;
    return size - 2;
}

std::u16string DefaultText(LPCWSTR defaultValue)
{
    std::u16string_view d = defaultValue ? std::u16string_view(defaultValue) : std::u16string_view();
    while (!d.empty() && (d.back() == u' ' || d.back() == u'\t')) d.remove_suffix(1);
    return std::u16string(d);
}

bool ValidSectionName(std::u16string_view name)
{
    return !name.empty() && !HasLineBreak(name) && name.find(u']') == std::u16string_view::npos;
}

bool ValidKeyName(std::u16string_view name)
{
    return !name.empty() && !HasLineBreak(name) && name.find(u'=') == std::u16string_view::npos &&
           name.front() != u'[' && name.front() != u';';
}

}  // namespace

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR out, DWORD size,
                               LPCWSTR file)
{
    try {
        const Document doc = Load(file);
        if (!section) return CopyList(doc.SectionNames(), out, size);
        const std::u16string_view sectionName = TrimBlanks(section);
        if (!key) return CopyList(doc.KeyNames(sectionName), out, size);
        const Line* entry = doc.FindEntry(sectionName, TrimBlanks(key));
        return CopyValue(entry ? std::u16string(entry->value) : DefaultText(defaultValue), out, size);
    } catch (...) {
        return CopyValue(u"", out, size);
    }
}

UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR file)
{
    try {
        if (!section || !key) return static_cast<UINT>(defaultValue);
        const Document doc = Load(file);
        const Line* entry = doc.FindEntry(TrimBlanks(section), TrimBlanks(key));
        if (!entry || entry->value.empty()) return static_cast<UINT>(defaultValue);
        return static_cast<UINT>(WideToLong(entry->value.c_str()));
    } catch (...) {
        return static_cast<UINT>(defaultValue);
    }
}

DWORD GetPrivateProfileSectionNamesW(LPWSTR out, DWORD size, LPCWSTR file)
{
    return GetPrivateProfileStringW(nullptr, nullptr, nullptr, out, size, file);
}

BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file)
{
    try {
        // All null asks to flush a cache; there is none.
        if (!section) return (!key && !value) ? TRUE : FALSE;
        if (!file || !*file) return FALSE;
        const std::u16string_view sectionName = TrimBlanks(section);
        const std::u16string_view keyName = key ? TrimBlanks(key) : std::u16string_view();
        if (!ValidSectionName(sectionName)) return FALSE;
        if (key && !ValidKeyName(keyName)) return FALSE;
        if (key && value && HasLineBreak(value)) return FALSE;

        const std::string native = platform::NativePath(file);
        std::lock_guard<std::mutex> guard(WriterLock(native));
        std::string bytes;
        const ReadResult read = ReadFileBytes(native, bytes);
        // An existing file that cannot be read must not be replaced by one
        // that holds only the new key.
        if (read == ReadResult::Failed) return FALSE;
        Document doc;
        doc.codePage = platform::GetAnsiCodePage();
        if (read == ReadResult::Ok) doc.Parse(bytes);
        // A name or value the file's code page cannot hold would be written
        // as another one (a section "[?]" beside the one asked for) and not
        // read back: refused, as the other names that could not be.
        const auto holds = [&](std::u16string_view text) {
            bool lossy = false;
            const std::string encoded = platform::FromWide(text, doc.codePage, &lossy);
            return !lossy && platform::ToWide(encoded, doc.codePage) == text;
        };
        if (!holds(sectionName) || (key && !holds(keyName)) || (key && value && !holds(value))) return FALSE;

        bool changed = false;
        if (!key) {
            changed = doc.DeleteSection(sectionName);
        } else if (!value) {
            changed = doc.DeleteEntry(sectionName, keyName);
        } else {
            changed = doc.SetEntry(sectionName, keyName, value);
        }
        if (!changed) return TRUE;
        return CFile::WriteAll(file, doc.Serialize()) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}

namespace platform {

CString ReadPrivateProfileString(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPCWSTR file)
{
    try {
        if (!section || !key) return CString(DefaultText(defaultValue));
        const Document doc = Load(file);
        const Line* entry = doc.FindEntry(TrimBlanks(section), TrimBlanks(key));
        return CString(entry ? entry->value : DefaultText(defaultValue));
    } catch (...) {
        return CString();
    }
}

int ReadPrivateProfileInt(LPCWSTR section, LPCWSTR key, int defaultValue, LPCWSTR file)
{
    return static_cast<int>(GetPrivateProfileIntW(section, key, defaultValue, file));
}

std::vector<CString> PrivateProfileSectionNames(LPCWSTR file)
{
    std::vector<CString> result;
    try {
        for (auto& n : Load(file).SectionNames()) result.emplace_back(std::move(n));
    } catch (...) {
        result.clear();
    }
    return result;
}

std::vector<std::pair<CString, CString>> PrivateProfileEntries(LPCWSTR section, LPCWSTR file)
{
    std::vector<std::pair<CString, CString>> result;
    if (!section) return result;
    try {
        const Document doc = Load(file);
        for (const Line* entry : doc.Entries(TrimBlanks(section))) result.emplace_back(entry->name, entry->value);
    } catch (...) {
        result.clear();
    }
    return result;
}

std::vector<CString> PrivateProfileKeys(LPCWSTR section, LPCWSTR file)
{
    std::vector<CString> result;
    if (!section) return result;
    try {
        for (auto& n : Load(file).KeyNames(TrimBlanks(section))) result.emplace_back(std::move(n));
    } catch (...) {
        result.clear();
    }
    return result;
}

bool WritePrivateProfileInt(LPCWSTR section, LPCWSTR key, int value, LPCWSTR file)
{
    const std::u16string text = platform::ToWide(std::to_string(value), CP_UTF8);
    return WritePrivateProfileStringW(section, key, text.c_str(), file) != FALSE;
}

}  // namespace platform
