#include "platform/core/ResourceModule.h"

#include "platform/core/CodePage.h"
#include "platform/core/File.h"
#include "platform/core/LastError.h"
#include "platform/core/Module.h"
#include "platform/core/Paths.h"
#include "platform/core/Profile.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

static_assert(std::endian::native == std::endian::little, "resource files are read in place as little-endian");

namespace platform {

namespace {

constexpr char kMagic[8] = {'Q', 'V', 'R', 'E', 'S', 'M', 'O', 'D'};
constexpr WORD kFormatVersion = 1;
constexpr std::size_t kHeaderSize = 48;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kCrcOffset = 40;
constexpr std::uint32_t kNameFlag = 0x80000000u;
// Far above any real module; keeps a damaged size field from asking for gigabytes.
constexpr std::uint64_t kMaxFileBytes = 256ull << 20;

std::uint16_t Get16(std::string_view b, std::size_t at)
{
    std::uint16_t v;
    std::memcpy(&v, b.data() + at, sizeof v);
    return v;
}

std::uint32_t Get32(std::string_view b, std::size_t at)
{
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, sizeof v);
    return v;
}

void Put16(std::string& b, std::uint16_t v) { b.append(reinterpret_cast<const char*>(&v), sizeof v); }
void Put32(std::string& b, std::uint32_t v) { b.append(reinterpret_cast<const char*>(&v), sizeof v); }
void Set32(std::string& b, std::size_t at, std::uint32_t v) { std::memcpy(b.data() + at, &v, sizeof v); }

std::u16string Upper(std::u16string_view text)
{
    std::u16string out(text);
    for (char16_t& c : out) c = ToUpperChar(c);
    return out;
}

std::u16string_view FromUnits(std::string_view bytes, std::u16string& storage)
{
    storage.resize(bytes.size() / 2);
    std::memcpy(storage.data(), bytes.data(), storage.size() * 2);
    return storage;
}

}  // namespace

ResourceKey::ResourceKey(int number)
{
    if (number >= 0 && number <= 0xFFFF) {
        m_kind = Kind::Number;
        m_number = static_cast<WORD>(number);
    }
}

ResourceKey::ResourceKey(unsigned number)
{
    if (number <= 0xFFFF) {
        m_kind = Kind::Number;
        m_number = static_cast<WORD>(number);
    }
}

ResourceKey::ResourceKey(const char16_t* nameOrNumber)
{
    if (IS_INTRESOURCE(nameOrNumber)) {
        m_kind = Kind::Number;
        m_number = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(nameOrNumber));
        return;
    }
    const std::u16string_view text(nameOrNumber);
    if (text.size() > 1 && text[0] == u'#') {
        unsigned long value = 0;
        for (char16_t c : text.substr(1)) {
            if (c < u'0' || c > u'9' || value > 0xFFFF) return;
            value = value * 10 + (c - u'0');
        }
        if (value <= 0xFFFF) {
            m_kind = Kind::Number;
            m_number = static_cast<WORD>(value);
        }
        return;
    }
    SetName(text);
}

ResourceKey::ResourceKey(std::u16string_view name) { SetName(name); }

ResourceKey::ResourceKey(const char* utf8Name)
{
    if (utf8Name) SetName(CString::FromUtf8(utf8Name).view());
}

void ResourceKey::SetName(std::u16string_view name)
{
    if (name.empty() || name.size() > 0xFFFF || name.find(u'\0') != std::u16string_view::npos) return;
    m_kind = Kind::Name;
    m_name = Upper(name);
}

std::strong_ordering operator<=>(const ResourceKey& a, const ResourceKey& b)
{
    if (a.m_kind != b.m_kind) return a.m_kind <=> b.m_kind;
    if (a.m_kind == ResourceKey::Kind::Number) return a.m_number <=> b.m_number;
    return a.m_name <=> b.m_name;
}

std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t {};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::shared_ptr<const ResourceModule> ResourceModule::FromBytes(std::string bytes, CString& error)
{
    try {
        std::shared_ptr<ResourceModule> module(new ResourceModule);
        module->m_bytes = std::move(bytes);
        const std::string_view b(module->m_bytes);
        auto fail = [&error](const char16_t* why) {
            error = why;
            return nullptr;
        };
        if (b.size() < kHeaderSize) return fail(u"too short for a resource module");
        if (std::memcmp(b.data(), kMagic, sizeof kMagic) != 0) return fail(u"not a resource module");
        if (Get16(b, 8) != kFormatVersion) return fail(u"unknown resource module format version");
        const std::uint64_t count = Get32(b, 12);
        const std::uint64_t indexOffset = Get32(b, 16);
        const std::uint64_t poolOffset = Get32(b, 20);
        const std::uint64_t poolSize = Get32(b, 24);
        const std::uint64_t dataOffset = Get32(b, 28);
        const std::uint64_t dataSize = Get32(b, 32);
        if (Get32(b, 36) != b.size()) return fail(u"resource module is truncated or too long");
        const std::uint32_t crc =
            Crc32(b.substr(kCrcOffset + 4), Crc32(std::string_view("\0\0\0\0", 4), Crc32(b.substr(0, kCrcOffset))));
        if (crc != Get32(b, kCrcOffset)) return fail(u"resource module checksum does not match");
        if (Get32(b, 44) != 0 || indexOffset != kHeaderSize || poolOffset != indexOffset + count * kEntrySize ||
            poolSize % 2 != 0 || dataOffset != ((poolOffset + poolSize + 3) & ~std::uint64_t{3}) ||
            dataOffset + dataSize != b.size()) {
            return fail(u"resource module layout is damaged");
        }

        module->m_language = Get16(b, 10);
        const std::string_view pool = b.substr(poolOffset, poolSize);
        auto readKey = [&pool](std::uint32_t raw, ResourceKey& key) {
            if ((raw & kNameFlag) == 0) {
                if (raw > 0xFFFF) return false;
                key = ResourceKey(static_cast<unsigned>(raw));
                return true;
            }
            const std::uint64_t at = raw & ~kNameFlag;
            if (at % 2 != 0 || at + 2 > pool.size()) return false;
            const std::uint64_t length = Get16(pool, at);
            if (length == 0 || at + 2 + length * 2 > pool.size()) return false;
            std::u16string storage;
            key = ResourceKey(FromUnits(pool.substr(at + 2, length * 2), storage));
            return key.IsValid();
        };

        module->m_entries.reserve(count);
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::size_t at = indexOffset + i * kEntrySize;
            Entry entry;
            if (!readKey(Get32(b, at), entry.type) || !readKey(Get32(b, at + 4), entry.name)) {
                return fail(u"resource module has a damaged name");
            }
            const std::uint64_t offset = Get32(b, at + 8);
            const std::uint64_t size = Get32(b, at + 12);
            if (offset % 4 != 0 || offset + size > dataSize) return fail(u"resource module entry lies outside the file");
            if (!module->m_entries.empty()) {
                const Entry& last = module->m_entries.back();
                if (std::tie(last.type, last.name) >= std::tie(entry.type, entry.name)) {
                    return fail(u"resource module index is out of order or has duplicates");
                }
            }
            entry.bytes = b.substr(dataOffset + offset, size);
            module->m_entries.push_back(entry);
        }

        for (const Entry& entry : module->m_entries) {
            if (!(entry.type == ResourceKey(kRtString))) continue;
            if (!entry.name.IsNumber() || entry.bytes.size() < 2 || entry.bytes.size() % 2 != 0 ||
                Get16(entry.bytes, entry.bytes.size() - 2) != 0) {
                return fail(u"resource module has a damaged string");
            }
            std::u16string text;
            FromUnits(entry.bytes.substr(0, entry.bytes.size() - 2), text);
            module->m_strings.emplace_back(entry.name.Number(), std::move(text));
        }
        return module;
    } catch (...) {
        error = u"out of memory reading a resource module";
        return nullptr;
    }
}

std::shared_ptr<const ResourceModule> ResourceModule::FromFile(const CString& path, CString& error)
{
    const std::string native = NativePath(path);
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = path + u": cannot be opened";
        return nullptr;
    }
    struct stat st {};
    std::string bytes;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) <= kMaxFileBytes;
    if (ok) {
        try {
            bytes.resize(static_cast<std::size_t>(st.st_size));
        } catch (...) {
            ok = false;
        }
    }
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (!ok) {
        error = path + u": cannot be read";
        return nullptr;
    }
    CString why;
    std::shared_ptr<const ResourceModule> module = FromBytes(std::move(bytes), why);
    if (!module) error = path + u": " + why;
    return module;
}

int ResourceModule::FindIndex(const ResourceKey& type, const ResourceKey& name) const
{
    if (!type.IsValid() || !name.IsValid()) return -1;
    const auto key = std::tie(type, name);
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), key, [](const Entry& e, const auto& k) {
        return std::tie(e.type, e.name) < k;
    });
    if (it == m_entries.end() || !(it->type == type) || !(it->name == name)) return -1;
    return static_cast<int>(it - m_entries.begin());
}

std::optional<std::string_view> ResourceModule::Find(const ResourceKey& type, const ResourceKey& name) const
{
    const int index = FindIndex(type, name);
    if (index < 0) return std::nullopt;
    return m_entries[static_cast<std::size_t>(index)].bytes;
}

std::optional<std::u16string_view> ResourceModule::String(UINT id) const
{
    const auto it = std::lower_bound(m_strings.begin(), m_strings.end(), id,
                                     [](const auto& s, UINT wanted) { return s.first < wanted; });
    if (it == m_strings.end() || it->first != id) return std::nullopt;
    return std::u16string_view(it->second);
}

std::vector<ResourceKey> ResourceModule::Names(const ResourceKey& type) const
{
    std::vector<ResourceKey> names;
    for (const Entry& e : m_entries) {
        if (e.type == type) names.push_back(e.name);
    }
    return names;
}

bool ResourceModuleWriter::Contains(const ResourceKey& type, const ResourceKey& name) const
{
    return std::any_of(m_items.begin(), m_items.end(),
                       [&](const auto& item) { return item.first.first == type && item.first.second == name; });
}

bool ResourceModuleWriter::Add(const ResourceKey& type, const ResourceKey& name, std::string bytes)
{
    if (!type.IsValid() || !name.IsValid() || Contains(type, name) || bytes.size() > 0x7FFFFFFF) return false;
    m_items.push_back({{type, name}, std::move(bytes)});
    return true;
}

bool ResourceModuleWriter::AddString(UINT id, std::u16string_view text)
{
    if (id > 0xFFFF) return false;
    std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    bytes.append(2, '\0');
    return Add(ResourceKey(kRtString), ResourceKey(id), std::move(bytes));
}

std::string ResourceModuleWriter::Build() const
{
    auto items = m_items;
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    std::string pool;
    auto keyValue = [&pool](const ResourceKey& key) -> std::uint32_t {
        if (key.IsNumber()) return key.Number();
        const std::uint32_t at = static_cast<std::uint32_t>(pool.size());
        Put16(pool, static_cast<std::uint16_t>(key.Name().size()));
        pool.append(reinterpret_cast<const char*>(key.Name().data()), key.Name().size() * 2);
        return kNameFlag | at;
    };
    std::string index;
    std::string data;
    for (const auto& [key, bytes] : items) {
        Put32(index, keyValue(key.first));
        Put32(index, keyValue(key.second));
        Put32(index, static_cast<std::uint32_t>(data.size()));
        Put32(index, static_cast<std::uint32_t>(bytes.size()));
        data += bytes;
        data.append((4 - data.size() % 4) % 4, '\0');
    }

    const std::uint32_t poolOffset = static_cast<std::uint32_t>(kHeaderSize + index.size());
    const std::uint32_t dataOffset = (poolOffset + static_cast<std::uint32_t>(pool.size()) + 3) & ~3u;
    std::string file(kMagic, sizeof kMagic);
    Put16(file, kFormatVersion);
    Put16(file, m_language);
    Put32(file, static_cast<std::uint32_t>(items.size()));
    Put32(file, static_cast<std::uint32_t>(kHeaderSize));
    Put32(file, poolOffset);
    Put32(file, static_cast<std::uint32_t>(pool.size()));
    Put32(file, dataOffset);
    Put32(file, static_cast<std::uint32_t>(data.size()));
    Put32(file, 0);  // file size
    Put32(file, 0);  // checksum
    Put32(file, 0);
    file += index;
    file += pool;
    file.append(dataOffset - file.size(), '\0');
    file += data;
    Set32(file, 36, static_cast<std::uint32_t>(file.size()));
    Set32(file, kCrcOffset, Crc32(file));
    return file;
}

namespace {

bool BeginsWith(const char* text, const char* prefix)
{
    return text && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// "ja" or "en" from the settings file; empty when it says nothing usable.
CString LanguageFromSettings()
{
    const CString folder = GetAppDataFolder();
    if (folder.IsEmpty()) return CString();
    const CString file = JoinPath(folder, u"Velbrook/Quorvane/Platform.ini");
    const CString value = ReadPrivateProfileString(u"Resources", u"Language", u"", file);
    if (value.Left(2).CompareNoCase(u"ja") == 0) return u"ja";
    if (value.Left(2).CompareNoCase(u"en") == 0) return u"en";
    return CString();
}

}  // namespace

CString ChooseResourceLanguage()
{
    if (const char* forced = std::getenv("QV_LANG")) {
        if (BeginsWith(forced, "ja")) return u"ja";
        if (BeginsWith(forced, "en")) return u"en";
    }
    const CString fromSettings = LanguageFromSettings();
    if (!fromSettings.IsEmpty()) return fromSettings;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return BeginsWith(value, "ja") ? u"ja" : u"en";
    }
    return u"en";
}

CString FindResourceModuleFile(const CString& stem)
{
    const CString folder = GetProgramFolder();
    if (stem.IsEmpty() || folder.IsEmpty() || stem.Find(u'/') >= 0 || stem.Find(u'\\') >= 0) return CString();
    const CString first = ChooseResourceLanguage();
    const CString second = first == u"ja" ? u"en" : u"ja";
    for (const CString& lang : {first, second}) {
        const CString path = FindFileInFolder(folder, stem + u"." + lang + u".qres");
        if (!path.IsEmpty()) return path;
    }
    return CString();
}

std::optional<std::string_view> FindResourceBytes(HMODULE module, const ResourceKey& type, const ResourceKey& name)
{
    const std::shared_ptr<const ResourceModule> resources = GetModuleResources(module);
    if (!resources) return std::nullopt;
    // The module, not this pointer, keeps the bytes alive for the caller.
    return resources->Find(type, name);
}

std::optional<std::string_view> FindResourceBytes(const ResourceKey& type, const ResourceKey& name)
{
    return FindResourceBytes(AfxGetResourceHandle(), type, name);
}

ScopedResourceHandle::ScopedResourceHandle(HMODULE module) : m_previous(AfxGetResourceHandle())
{
    AfxSetResourceHandle(module);
}

ScopedResourceHandle::~ScopedResourceHandle() { AfxSetResourceHandle(m_previous); }

}  // namespace platform

namespace {

std::atomic<std::uint64_t> g_resourceHandle {0};

// A found resource: entry index + 1 in the low half; the module's slot (12
// bits) and the low 20 bits of its generation in the high half.
constexpr std::uint32_t kSlotBits = 12;
constexpr std::uint32_t kGenerationMask = (1u << 20) - 1;

HRSRC MakeResourceHandle(HMODULE module, int index)
{
    return HRSRC::Make(static_cast<std::uint32_t>(index) + 1,
                       ((module.Generation() & kGenerationMask) << kSlotBits) | module.Index());
}

// The module and entry of a found resource; false when the module is gone.
bool OpenResourceHandle(std::uint64_t value, std::shared_ptr<const platform::ResourceModule>& resources,
                        const platform::ResourceModule::Entry*& entry)
{
    const HRSRC h = HRSRC::FromValue(value);
    if (!h || h.Index() == 0) return false;
    const std::uint32_t slot = h.Generation() & ((1u << kSlotBits) - 1);
    const std::uint32_t generation = h.Generation() >> kSlotBits;
    const HMODULE module = platform::detail::ModuleFromSlot(slot, generation, kGenerationMask);
    if (!module) return false;
    resources = platform::GetModuleResources(module);
    if (!resources || h.Index() > resources->Entries().size()) return false;
    entry = &resources->Entries()[h.Index() - 1];
    return true;
}

}  // namespace

HMODULE AfxGetResourceHandle()
{
    const HMODULE current = HMODULE::FromValue(g_resourceHandle.load());
    return current ? current : GetModuleHandleW(nullptr);
}

void AfxSetResourceHandle(HMODULE module) { g_resourceHandle.store(module.Value()); }

HMODULE AfxGetInstanceHandle() { return GetModuleHandleW(nullptr); }

int LoadStringW(HMODULE module, UINT id, LPWSTR buffer, int size)
{
    if (!buffer || size < 0) return 0;
    const std::shared_ptr<const platform::ResourceModule> resources = platform::GetModuleResources(module);
    const std::optional<std::u16string_view> text = resources ? resources->String(id) : std::nullopt;
    if (size == 0) {
        if (!text) return 0;
        const char16_t* start = text->data();
        std::memcpy(buffer, &start, sizeof start);
        return static_cast<int>(text->size());
    }
    if (!text) {
        buffer[0] = 0;
        return 0;
    }
    const std::size_t n = std::min<std::size_t>(text->size(), static_cast<std::size_t>(size) - 1);
    text->copy(buffer, n);
    buffer[n] = 0;
    return static_cast<int>(n);
}

BOOL CString::LoadString(UINT id)
{
    const std::shared_ptr<const platform::ResourceModule> resources =
        platform::GetModuleResources(AfxGetResourceHandle());
    const std::optional<std::u16string_view> text = resources ? resources->String(id) : std::nullopt;
    if (!text) {
        Empty();
        return FALSE;
    }
    m_text.assign(*text);
    return TRUE;
}

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type)
{
    if (!name || !type) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const HMODULE live = platform::detail::LiveModule(module);
    if (!live) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const std::shared_ptr<const platform::ResourceModule> resources = platform::GetModuleResources(live);
    if (!resources) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    const int index = resources->FindIndex(platform::ResourceKey(type), platform::ResourceKey(name));
    if (index < 0) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return MakeResourceHandle(live, index);
}

HGLOBAL LoadResource(HMODULE, HRSRC resource)
{
    std::shared_ptr<const platform::ResourceModule> resources;
    const platform::ResourceModule::Entry* entry = nullptr;
    if (!OpenResourceHandle(resource.Value(), resources, entry)) return nullptr;
    return HGLOBAL::FromValue(resource.Value());
}

const void* LockResource(HGLOBAL data)
{
    std::shared_ptr<const platform::ResourceModule> resources;
    const platform::ResourceModule::Entry* entry = nullptr;
    if (!OpenResourceHandle(data.Value(), resources, entry)) return nullptr;
    return entry->bytes.data();
}

DWORD SizeofResource(HMODULE, HRSRC resource)
{
    std::shared_ptr<const platform::ResourceModule> resources;
    const platform::ResourceModule::Entry* entry = nullptr;
    if (!OpenResourceHandle(resource.Value(), resources, entry)) return 0;
    return static_cast<DWORD>(entry->bytes.size());
}
