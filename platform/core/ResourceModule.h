// Resource modules: files beside the programs that hold the string tables and
// typed data ("TEXT", "ALM", "CSV", and the dialogs, menus, accelerators and
// images that the user-interface layer reads) of one module in one language.
// rescomp compiles them from resource scripts; this file reads them.
//
// A module "X" has its resources in "X.ja.qres" and "X.en.qres" in the
// program folder; the program's own are "<program>.<lang>.qres".
//
// File format, little-endian, everything validated before use:
//   header, 48 bytes
//      0  magic "QVRESMOD"
//      8  u16 format version (1)
//     10  u16 language id (0x0411 Japanese, 0x0409 English)
//     12  u32 entry count
//     16  u32 index offset (48)
//     20  u32 name pool offset (index offset + 16 x entry count)
//     24  u32 name pool size
//     28  u32 data offset (name pool end, rounded up to 4)
//     32  u32 data size (the rest of the file)
//     36  u32 file size
//     40  u32 CRC-32 of the whole file, this field counted as zero
//     44  u32 reserved, zero
//   index: per entry u32 type, u32 name, u32 data offset (from the data area,
//     a multiple of 4), u32 data size; strictly ascending by (type, name), so
//     no duplicates. A type or name is a number below 0x10000, or 0x80000000
//     plus the offset of a name in the pool.
//   name pool: per name u16 length (at least 1), then that many UTF-16 units;
//     2-aligned; names compare without case.
//   data area: the bytes of each entry.
// A string-table entry is type 6 (RT_STRING) named by its id: UTF-16 text
// followed by one zero unit (one entry per string, not blocks of sixteen).
#pragma once

#include "platform/core/CString.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Resource names and types are numbers or texts, passed like the system does:
// a number hides in a pointer value below 0x10000.
#define MAKEINTRESOURCEW(i) (reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(i))))
#define MAKEINTRESOURCE(i) MAKEINTRESOURCEW(i)
#define IS_INTRESOURCE(p) ((reinterpret_cast<std::uintptr_t>(p) >> 16) == 0)

// Numbers of the standard resource types.
inline constexpr WORD kRtCursor = 1;
inline constexpr WORD kRtBitmap = 2;
inline constexpr WORD kRtIcon = 3;
inline constexpr WORD kRtMenu = 4;
inline constexpr WORD kRtDialog = 5;
inline constexpr WORD kRtString = 6;
inline constexpr WORD kRtAccelerator = 9;
inline constexpr WORD kRtRcData = 10;
inline constexpr WORD kRtGroupCursor = 12;
inline constexpr WORD kRtGroupIcon = 14;
inline const LPCWSTR RT_CURSOR = MAKEINTRESOURCEW(kRtCursor);
inline const LPCWSTR RT_BITMAP = MAKEINTRESOURCEW(kRtBitmap);
inline const LPCWSTR RT_ICON = MAKEINTRESOURCEW(kRtIcon);
inline const LPCWSTR RT_MENU = MAKEINTRESOURCEW(kRtMenu);
inline const LPCWSTR RT_DIALOG = MAKEINTRESOURCEW(kRtDialog);
inline const LPCWSTR RT_STRING = MAKEINTRESOURCEW(kRtString);
inline const LPCWSTR RT_ACCELERATOR = MAKEINTRESOURCEW(kRtAccelerator);
inline const LPCWSTR RT_RCDATA = MAKEINTRESOURCEW(kRtRcData);
inline const LPCWSTR RT_GROUP_CURSOR = MAKEINTRESOURCEW(kRtGroupCursor);
inline const LPCWSTR RT_GROUP_ICON = MAKEINTRESOURCEW(kRtGroupIcon);

inline constexpr WORD kLangJapanese = 0x0411;
inline constexpr WORD kLangEnglish = 0x0409;

namespace platform {

// A resource type or name: a number 0..0xFFFF or a non-empty text (kept in
// upper case, since names compare without case). Anything else is invalid and
// finds nothing.
class ResourceKey {
public:
    ResourceKey() = default;
    ResourceKey(int number);
    ResourceKey(unsigned number);
    // A pointer below 0x10000 is a number (MAKEINTRESOURCE); "#123" is 123.
    ResourceKey(const char16_t* nameOrNumber);
    ResourceKey(std::u16string_view name);
    ResourceKey(const char* utf8Name);

    bool IsValid() const { return m_kind != Kind::Invalid; }
    bool IsNumber() const { return m_kind == Kind::Number; }
    WORD Number() const { return m_number; }
    const std::u16string& Name() const { return m_name; }

    friend bool operator==(const ResourceKey& a, const ResourceKey& b) = default;
    // Numbers before names; numbers by value, names by their UTF-16 units.
    friend std::strong_ordering operator<=>(const ResourceKey& a, const ResourceKey& b);

private:
    enum class Kind { Invalid, Number, Name };
    void SetName(std::u16string_view name);

    Kind m_kind = Kind::Invalid;
    WORD m_number = 0;
    std::u16string m_name;
};

// A loaded resource module file; immutable, shared by every user that holds it.
class ResourceModule {
public:
    struct Entry {
        ResourceKey type;
        ResourceKey name;
        std::string_view bytes;
    };

    // Parses and validates a whole file; null with a reason on any fault.
    static std::shared_ptr<const ResourceModule> FromBytes(std::string bytes, CString& error);
    static std::shared_ptr<const ResourceModule> FromFile(const CString& path, CString& error);

    WORD Language() const { return m_language; }
    // Index of an entry (for handles), or -1.
    int FindIndex(const ResourceKey& type, const ResourceKey& name) const;
    const std::vector<Entry>& Entries() const { return m_entries; }
    // The bytes of a resource, valid as long as this object lives.
    std::optional<std::string_view> Find(const ResourceKey& type, const ResourceKey& name) const;
    // String-table entry id, without its terminator (which follows it in memory).
    std::optional<std::u16string_view> String(UINT id) const;
    // Names of every resource of a type, in ascending order.
    std::vector<ResourceKey> Names(const ResourceKey& type) const;

private:
    ResourceModule() = default;

    std::string m_bytes;
    WORD m_language = 0;
    std::vector<Entry> m_entries;  // ascending by (type, name)
    std::vector<std::pair<UINT, std::u16string>> m_strings;  // ascending by id
};

// Builds a resource module file; rescomp's back end and a test helper.
class ResourceModuleWriter {
public:
    explicit ResourceModuleWriter(WORD language) : m_language(language) {}

    // False when the type and name are already taken or a key is invalid.
    bool Add(const ResourceKey& type, const ResourceKey& name, std::string bytes);
    bool AddString(UINT id, std::u16string_view text);
    bool Contains(const ResourceKey& type, const ResourceKey& name) const;
    std::string Build() const;

private:
    WORD m_language;
    std::vector<std::pair<std::pair<ResourceKey, ResourceKey>, std::string>> m_items;
};

// CRC-32 (the common reflected 0xEDB88320 polynomial) of the resource files.
std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc = 0);

// The language of the resource modules to load: "ja" or "en".
//  1. QV_LANG, when it begins with "ja" or "en";
//  2. key "Language" of section [Resources] in the settings file
//     <settings folder>/Velbrook/Quorvane/Platform.ini ("ja" or "en");
//  3. the locale: the first set of LC_ALL, LC_MESSAGES and LANG; one beginning
//     with "ja" gives Japanese, anything else English.
CString ChooseResourceLanguage();
// The resource module file of a module stem in the program folder, in the
// chosen language, else in the other one; empty when neither exists.
CString FindResourceModuleFile(const CString& stem);

// The bytes of a resource of a module (null module: the program) or of the
// current resource module; valid while that module stays loaded.
std::optional<std::string_view> FindResourceBytes(HMODULE module, const ResourceKey& type, const ResourceKey& name);
std::optional<std::string_view> FindResourceBytes(const ResourceKey& type, const ResourceKey& name);

// Makes a module the current resource module for a scope, then puts the
// previous one back.
class ScopedResourceHandle {
public:
    explicit ScopedResourceHandle(HMODULE module);
    ~ScopedResourceHandle();
    ScopedResourceHandle(const ScopedResourceHandle&) = delete;
    ScopedResourceHandle& operator=(const ScopedResourceHandle&) = delete;

private:
    HMODULE m_previous;
};

}  // namespace platform

// The current resource module: a process setting, the program's own resources
// until it is set. Every string, table, dialog and menu id is looked up there.
HMODULE AfxGetResourceHandle();
void AfxSetResourceHandle(HMODULE module);
HMODULE AfxGetInstanceHandle();

// Copies string id of a module (null: the program) into buffer, cut to
// size - 1 characters and terminated; returns the characters copied, 0 when
// the string is missing. With size 0, buffer receives a read-only pointer to
// the whole string (terminated), valid while the module stays loaded.
int LoadStringW(HMODULE module, UINT id, LPWSTR buffer, int size);

// Custom data: FindResourceW(module, MAKEINTRESOURCE(191), u"TEXT") and so on.
// The handles carry the module's generation: once the module is freed they
// find nothing. LockResource gives read-only bytes.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
const void* LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
inline BOOL FreeResource(HGLOBAL) { return FALSE; }
inline HRSRC FindResource(HMODULE module, LPCWSTR name, LPCWSTR type) { return FindResourceW(module, name, type); }
