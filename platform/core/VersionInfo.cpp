#include "platform/core/VersionInfo.h"

#include "platform/core/File.h"
#include "platform/core/LastError.h"
#include "platform/core/Module.h"
#include "platform/core/Paths.h"

#include <cerrno>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr char kSectionName[] = "qv_version";
constexpr char kRecordMagic[] = "QVVERSION1";  // followed by its NUL in the file
// Bounds far above any real file, so a damaged header cannot ask for gigabytes.
constexpr std::uint64_t kMaxSectionBytes = 64 * 1024;
constexpr std::uint64_t kMaxSectionCount = 1 << 20;
constexpr std::uint64_t kMaxNameTableBytes = 16 << 20;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

bool ReadAt(int fd, std::uint64_t offset, void* buffer, std::size_t size)
{
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool InFile(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize)
{
    return offset <= fileSize && size <= fileSize - offset;
}

// The bytes of the version section of an ELF file.
bool ReadVersionSection(const std::string& path, std::string& bytes, CString& error)
{
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = u"cannot be opened";
        return false;
    }
    const std::uint64_t fileSize = static_cast<std::uint64_t>(st.st_size);
    Elf64_Ehdr eh {};
    if (fileSize < sizeof eh || !ReadAt(fd.get(), 0, &eh, sizeof eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0) {
        error = u"is not a program or library file";
        return false;
    }
    if (eh.e_ident[EI_CLASS] != ELFCLASS64 || eh.e_ident[EI_DATA] != ELFDATA2LSB || eh.e_shentsize != sizeof(Elf64_Shdr) ||
        eh.e_shoff == 0) {
        error = u"has no section table that can be read";
        return false;
    }
    std::uint64_t count = eh.e_shnum;
    std::uint64_t namesIndex = eh.e_shstrndx;
    if (count == 0 || namesIndex == SHN_XINDEX) {
        // Large section counts live in the first section header.
        Elf64_Shdr first {};
        if (!InFile(eh.e_shoff, sizeof first, fileSize) || !ReadAt(fd.get(), eh.e_shoff, &first, sizeof first)) {
            error = u"has a damaged section table";
            return false;
        }
        if (count == 0) count = first.sh_size;
        if (namesIndex == SHN_XINDEX) namesIndex = first.sh_link;
    }
    if (count == 0 || count > kMaxSectionCount || !InFile(eh.e_shoff, count * sizeof(Elf64_Shdr), fileSize) ||
        namesIndex >= count) {
        error = u"has a damaged section table";
        return false;
    }
    std::vector<Elf64_Shdr> sections(count);
    if (!ReadAt(fd.get(), eh.e_shoff, sections.data(), count * sizeof(Elf64_Shdr))) {
        error = u"has a damaged section table";
        return false;
    }
    const Elf64_Shdr& namesSection = sections[namesIndex];
    if (namesSection.sh_type != SHT_STRTAB || namesSection.sh_size > kMaxNameTableBytes ||
        !InFile(namesSection.sh_offset, namesSection.sh_size, fileSize)) {
        error = u"has a damaged section name table";
        return false;
    }
    std::string names(namesSection.sh_size, '\0');
    if (!ReadAt(fd.get(), namesSection.sh_offset, names.data(), names.size())) {
        error = u"has a damaged section name table";
        return false;
    }
    const Elf64_Shdr* found = nullptr;
    for (const Elf64_Shdr& s : sections) {
        if (s.sh_name >= names.size()) continue;
        const char* name = names.data() + s.sh_name;
        if (::strnlen(name, names.size() - s.sh_name) == sizeof kSectionName - 1 &&
            std::memcmp(name, kSectionName, sizeof kSectionName - 1) == 0) {
            if (found) {
                error = u"has more than one version section";
                return false;
            }
            found = &s;
        }
    }
    if (!found) {
        error = u"has no version record";
        return false;
    }
    if (found->sh_type == SHT_NOBITS || found->sh_size > kMaxSectionBytes ||
        !InFile(found->sh_offset, found->sh_size, fileSize)) {
        error = u"has a damaged version section";
        return false;
    }
    bytes.assign(found->sh_size, '\0');
    if (!ReadAt(fd.get(), found->sh_offset, bytes.data(), bytes.size())) {
        error = u"has a damaged version section";
        return false;
    }
    return true;
}

// "1.2.3.4" (or "1, 2, 3, 4") into four parts; missing parts are 0.
void ParseVersionNumbers(const CString& text, WORD (&parts)[4])
{
    int part = 0;
    unsigned long value = 0;
    bool inNumber = false;
    for (int i = 0; i <= text.GetLength() && part < 4; ++i) {
        const char16_t c = i < text.GetLength() ? text[i] : u'\0';
        if (c >= u'0' && c <= u'9') {
            value = std::min<unsigned long>(value * 10 + (c - u'0'), 0xFFFF);
            inNumber = true;
        } else if (inNumber) {
            parts[part++] = static_cast<WORD>(value);
            value = 0;
            inNumber = false;
            if (c != u'.' && c != u',') break;
        } else if (c != u' ' && c != u',') {
            break;
        }
    }
}

bool ParseRecords(const std::string& bytes, VersionRecord& record, CString& error)
{
    const std::size_t magicSize = sizeof kRecordMagic;  // with its NUL
    int records = 0;
    std::size_t pos = 0;
    auto readText = [&bytes, &pos](std::string& text) {
        const std::size_t end = bytes.find('\0', pos);
        if (end == std::string::npos) return false;
        text = bytes.substr(pos, end - pos);
        pos = end + 1;
        return true;
    };
    while (pos < bytes.size()) {
        if (bytes[pos] == '\0') {
            ++pos;
            continue;
        }
        if (bytes.compare(pos, magicSize, kRecordMagic, magicSize) != 0) {
            error = u"has a damaged version record";
            return false;
        }
        if (++records > 1) {
            error = u"has more than one version record";
            return false;
        }
        pos += magicSize;
        while (true) {
            std::string key;
            std::string value;
            if (!readText(key)) {
                error = u"has a damaged version record";
                return false;
            }
            if (key.empty()) break;
            if (!readText(value)) {
                error = u"has a damaged version record";
                return false;
            }
            record.texts.emplace_back(CString::FromUtf8(key), CString::FromUtf8(value));
        }
    }
    if (records == 0) {
        error = u"has no version record";
        return false;
    }
    ParseVersionNumbers(record.Text(u"FileVersion"), record.fileVersion);
    ParseVersionNumbers(record.Text(u"ProductVersion"), record.productVersion);
    return true;
}

}  // namespace

CString VersionRecord::Text(const char16_t* key) const
{
    for (const auto& [k, v] : texts) {
        if (k.CompareNoCase(key) == 0) return v;
    }
    return CString();
}

bool VersionRecord::Has(const char16_t* key) const
{
    for (const auto& entry : texts) {
        if (entry.first.CompareNoCase(key) == 0) return true;
    }
    return false;
}

CString ResolveVersionFile(const CString& name)
{
    const CString path = NormalizePath(name);
    if (path.IsEmpty()) return CString();
    const CString folder = FolderOf(path).IsEmpty() ? GetProgramFolder() : FolderOf(path);
    const CString file = FileNameOf(path);
    const CString ext = ExtensionOf(file);
    std::vector<CString> candidates = {file};
    if (ext.CompareNoCase(u".dll") == 0) {
        candidates.push_back(u"lib" + StemOf(file) + u".so");
    } else if (ext.CompareNoCase(u".exe") == 0) {
        candidates.push_back(StemOf(file));
    } else if (ext.IsEmpty()) {
        candidates.push_back(u"lib" + file + u".so");
    }
    for (const CString& candidate : candidates) {
        const CString found = FindFileInFolder(folder, candidate);
        if (!found.IsEmpty()) return found;
    }
    return CString();
}

bool ReadVersionRecord(const CString& file, VersionRecord& record, CString* error)
{
    record = VersionRecord();
    CString why;
    try {
        const CString path = ResolveVersionFile(file);
        std::string bytes;
        if (path.IsEmpty()) {
            why = u"not found";
        } else if (ReadVersionSection(NativePath(path), bytes, why) && ParseRecords(bytes, record, why)) {
            return true;
        }
    } catch (...) {
        why = u"out of memory";
    }
    record = VersionRecord();
    if (error) *error = file + u": " + why;
    return false;
}

}  // namespace platform

namespace {

constexpr char kBlockMagic[4] = {'Q', 'V', 'V', 'B'};
constexpr WORD kTranslationLanguage = 0x0409;
constexpr WORD kTranslationCodePage = 1200;

// Block layout: magic, u32 total size, the fixed numbers, the translation
// pair, u32 text count, per text u32 key offset and u32 value offset (each a
// terminated UTF-16 text inside the block), then the texts.
struct BlockHeader {
    char magic[4];
    std::uint32_t size;
    VS_FIXEDFILEINFO fixed;
    WORD translation[2];
    std::uint32_t count;
};

std::string BuildBlock(const platform::VersionRecord& record)
{
    BlockHeader header {};
    std::memcpy(header.magic, kBlockMagic, sizeof kBlockMagic);
    header.fixed.dwSignature = 0xFEEF04BD;
    header.fixed.dwStrucVersion = 0x00010000;
    header.fixed.dwFileVersionMS = MAKELONG(record.fileVersion[1], record.fileVersion[0]);
    header.fixed.dwFileVersionLS = MAKELONG(record.fileVersion[3], record.fileVersion[2]);
    header.fixed.dwProductVersionMS = MAKELONG(record.productVersion[1], record.productVersion[0]);
    header.fixed.dwProductVersionLS = MAKELONG(record.productVersion[3], record.productVersion[2]);
    header.fixed.dwFileFlagsMask = 0x3F;
    header.fixed.dwFileOS = 0x40004;  // the value for 32-bit Windows NT programs
    header.fixed.dwFileType = 1;
    header.translation[0] = kTranslationLanguage;
    header.translation[1] = kTranslationCodePage;
    header.count = static_cast<std::uint32_t>(record.texts.size());

    std::string offsets;
    std::string texts;
    const std::size_t textsStart = sizeof header + record.texts.size() * 8;
    auto addText = [&](const CString& text) {
        const std::uint32_t at = static_cast<std::uint32_t>(textsStart + texts.size());
        offsets.append(reinterpret_cast<const char*>(&at), 4);
        texts.append(reinterpret_cast<const char*>(text.GetString()), (text.GetLength() + 1) * 2);
        texts.append((4 - texts.size() % 4) % 4, '\0');
    };
    for (const auto& [key, value] : record.texts) {
        addText(key);
        addText(value);
    }
    header.size = static_cast<std::uint32_t>(textsStart + texts.size());
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    block += offsets;
    block += texts;
    return block;
}

// The path parts of a query, without empty ones.
std::vector<std::u16string> QueryParts(const char16_t* query)
{
    std::vector<std::u16string> parts;
    std::u16string current;
    for (const char16_t* p = query; *p; ++p) {
        if (*p == u'\\' || *p == u'/') {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else {
            current.push_back(*p);
        }
    }
    if (!current.empty()) parts.push_back(current);
    return parts;
}

bool SameNoCase(const std::u16string& a, const char16_t* b) { return CString(a).CompareNoCase(b) == 0; }

// Reads a record for the system-shaped calls, which report failures as last errors.
bool ReadForCall(LPCWSTR fileName, platform::VersionRecord& record)
{
    if (platform::ResolveVersionFile(fileName).IsEmpty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    if (!platform::ReadVersionRecord(fileName, record)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return false;
    }
    return true;
}

}  // namespace

DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, DWORD* handle)
{
    if (handle) *handle = 0;
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        platform::VersionRecord record;
        if (!ReadForCall(fileName, record)) return 0;
        return static_cast<DWORD>(BuildBlock(record).size());
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD, DWORD size, LPVOID data)
{
    if (!fileName || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        platform::VersionRecord record;
        if (!ReadForCall(fileName, record)) return FALSE;
        const std::string block = BuildBlock(record);
        if (block.size() > size) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::memcpy(data, block.data(), block.size());
        return TRUE;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* length)
{
    if (!block || !subBlock || !buffer) return FALSE;
    const char* base = static_cast<const char*>(block);
    BlockHeader header;
    std::memcpy(&header, base, sizeof header);
    if (std::memcmp(header.magic, kBlockMagic, sizeof kBlockMagic) != 0) return FALSE;
    auto answer = [&](const void* p, UINT n) {
        *buffer = const_cast<void*>(p);
        if (length) *length = n;
        return TRUE;
    };

    const std::vector<std::u16string> parts = QueryParts(subBlock);
    if (parts.empty()) return answer(base + offsetof(BlockHeader, fixed), sizeof(VS_FIXEDFILEINFO));
    if (parts.size() == 2 && SameNoCase(parts[0], u"VarFileInfo") && SameNoCase(parts[1], u"Translation")) {
        return answer(base + offsetof(BlockHeader, translation), sizeof header.translation);
    }
    if (parts.size() != 3 || !SameNoCase(parts[0], u"StringFileInfo")) return FALSE;
    CString expected;
    expected.Format(u"%04x%04x", header.translation[0], header.translation[1]);
    if (!SameNoCase(parts[1], expected.GetString())) return FALSE;

    const char* offsets = base + sizeof header;
    for (std::uint32_t i = 0; i < header.count; ++i) {
        std::uint32_t keyAt;
        std::uint32_t valueAt;
        std::memcpy(&keyAt, offsets + i * 8, 4);
        std::memcpy(&valueAt, offsets + i * 8 + 4, 4);
        std::u16string key;
        for (const char* p = base + keyAt;; p += 2) {
            char16_t c;
            std::memcpy(&c, p, 2);
            if (!c) break;
            key.push_back(c);
        }
        if (!SameNoCase(key, parts[2].c_str())) continue;
        UINT units = 0;
        for (const char* p = base + valueAt;; p += 2, ++units) {
            char16_t c;
            std::memcpy(&c, p, 2);
            if (!c) break;
        }
        return answer(base + valueAt, units + 1);
    }
    return FALSE;
}
