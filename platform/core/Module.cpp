#include "platform/core/Module.h"

#include "platform/core/CodePage.h"
#include "platform/core/File.h"
#include "platform/core/LastError.h"
#include "platform/core/Paths.h"
#include "platform/core/ResourceModule.h"

#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <dlfcn.h>
#include <mutex>
#include <sys/stat.h>
#include <vector>

namespace {

// Found-resource handles keep 12 bits of slot (ResourceModule.cpp).
constexpr std::uint32_t kMaxModuleSlots = 4095;
constexpr std::uint32_t kProgramSlot = 1;

enum class ModuleKind { Program, Library, ResourceOnly };

struct ModuleEntry {
    bool used = false;
    std::uint32_t generation = 0;
    ModuleKind kind = ModuleKind::Library;
    std::string path;  // canonical native path of the file
    CString stem;      // resource module stem
    void* dl = nullptr;
    long loads = 0;
    bool pinned = false;  // the program and linked libraries: never unloaded
    bool resourcesRead = false;
    std::shared_ptr<const platform::ResourceModule> resources;
};

struct ModuleTable {
    std::mutex mutex;
    std::vector<ModuleEntry> slots = std::vector<ModuleEntry>(2);  // 0 is never used
};

ModuleTable& Table()
{
    static ModuleTable* table = new ModuleTable;  // outlives every static destructor that may free a module
    return *table;
}

thread_local std::u16string t_lastError;

void SetError(DWORD code, const CString& text)
{
    t_lastError = text.str();
    SetLastError(code);
}

std::string Canonical(const std::string& native)
{
    char buf[PATH_MAX];
    if (!::realpath(native.c_str(), buf)) return std::string();
    return buf;
}

bool IsRegularFile(const std::string& native)
{
    struct stat st {};
    return ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Locked: the program's entry, created on first use.
ModuleEntry& ProgramEntryLocked(ModuleTable& table)
{
    ModuleEntry& e = table.slots[kProgramSlot];
    if (!e.used) {
        e.used = true;
        e.generation = 1;
        e.kind = ModuleKind::Program;
        e.path = platform::NativePath(platform::GetProgramPath());
        e.stem = platform::FileNameOf(platform::GetProgramPath());
        e.dl = ::dlopen(nullptr, RTLD_NOW);
        e.pinned = true;
    }
    return e;
}

// Locked: the entry of a live handle (null: the program), or null.
ModuleEntry* EntryLocked(ModuleTable& table, HMODULE module)
{
    if (!module) return &ProgramEntryLocked(table);
    const std::uint32_t index = module.Index();
    if (index == 0 || index >= table.slots.size()) return nullptr;
    ModuleEntry& e = table.slots[index];
    if (!e.used || e.generation != module.Generation()) return nullptr;
    return &e;
}

HMODULE HandleOf(const ModuleTable& table, const ModuleEntry& e)
{
    return HMODULE::Make(static_cast<std::uint32_t>(&e - table.slots.data()), e.generation);
}

ModuleEntry* FindByPathLocked(ModuleTable& table, const std::string& path)
{
    ProgramEntryLocked(table);
    for (ModuleEntry& e : table.slots) {
        if (e.used && e.path == path) return &e;
    }
    return nullptr;
}

// Locked: a free slot, or null when the table is full.
ModuleEntry* NewEntryLocked(ModuleTable& table)
{
    for (std::size_t i = kProgramSlot + 1; i < table.slots.size(); ++i) {
        if (!table.slots[i].used) {
            ModuleEntry& e = table.slots[i];
            const std::uint32_t generation = e.generation + 1 == 0 ? 1 : e.generation + 1;
            e = ModuleEntry();
            e.used = true;
            e.generation = generation;
            return &e;
        }
    }
    if (table.slots.size() > kMaxModuleSlots) return nullptr;
    table.slots.emplace_back();
    ModuleEntry& e = table.slots.back();
    e.used = true;
    e.generation = 1;
    return &e;
}

std::string FindInProgramFolder(const CString& fileName)
{
    return platform::NativePath(platform::FindFileInFolder(platform::GetProgramFolder(), fileName));
}

struct ParsedName {
    CString stem;         // "X"
    CString libraryFile;  // "libX.so"
};

// Splits a module name into its stem and library file; refuses folders other
// than the program folder and names that are no library names.
bool ParseModuleName(LPCWSTR fileName, ParsedName& out, CString& error)
{
    const CString name = platform::NormalizePath(CString(fileName ? fileName : u""));
    if (name.IsEmpty()) {
        error = u"empty module name";
        return false;
    }
    const CString folder = platform::FolderOf(name);
    if (!folder.IsEmpty()) {
        const std::string wanted = Canonical(platform::NativePath(folder));
        const std::string programFolder = Canonical(platform::NativePath(platform::GetProgramFolder()));
        if (wanted.empty() || programFolder.empty() || wanted != programFolder) {
            error.Format(u"%s: only modules in the program folder are loaded", name.GetString());
            return false;
        }
    }
    const CString file = platform::FileNameOf(name);
    CString stem;
    if (file.GetLength() > 3 && file.Right(3) == u".so") {
        stem = file.Left(file.GetLength() - 3);
        if (stem.Left(3) == u"lib") stem = stem.Mid(3);
    } else {
        const CString ext = platform::ExtensionOf(file);
        if (!ext.IsEmpty() && ext.CompareNoCase(u".dll") != 0) {
            error.Format(u"%s: not a library name", name.GetString());
            return false;
        }
        stem = platform::StemOf(file);
    }
    if (stem.IsEmpty() || stem == u"." || stem == u"..") {
        error.Format(u"%s: not a library name", name.GetString());
        return false;
    }
    out.stem = stem;
    out.libraryFile = u"lib" + stem + u".so";
    return true;
}

HMODULE LoadCodeModule(const ParsedName& parsed, const std::string& file)
{
    const std::string path = Canonical(file);
    if (path.empty()) {
        SetError(ERROR_MOD_NOT_FOUND, CString::FromUtf8(file + ": cannot be opened"));
        return nullptr;
    }
    // Outside the lock: a library's start-up code may load modules itself.
    void* dl = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!dl) {
        const char* why = ::dlerror();
        SetError(ERROR_BAD_FORMAT, CString::FromUtf8(why ? why : (path + ": cannot be loaded").c_str()));
        return nullptr;
    }
    ModuleTable& table = Table();
    std::unique_lock lock(table.mutex);
    ModuleEntry* e = FindByPathLocked(table, path);
    if (e && e->kind == ModuleKind::Program) {
        lock.unlock();
        ::dlclose(dl);
        SetError(ERROR_INVALID_PARAMETER, CString::FromUtf8(path + ": is the program"));
        return nullptr;
    }
    if (!e) {
        e = NewEntryLocked(table);
        if (!e) {
            lock.unlock();
            ::dlclose(dl);
            SetError(ERROR_NOT_ENOUGH_MEMORY, u"too many modules loaded");
            return nullptr;
        }
        e->kind = ModuleKind::Library;
        e->path = path;
        e->stem = parsed.stem;
        e->dl = dl;
    }
    // Each load holds one reference of the loader too; FreeLibrary gives it back.
    ++e->loads;
    return HandleOf(table, *e);
}

HMODULE LoadResourceOnlyModule(const ParsedName& parsed, const CString& resourceFile)
{
    const std::string path = Canonical(platform::NativePath(resourceFile));
    if (path.empty()) {
        SetError(ERROR_MOD_NOT_FOUND, resourceFile + u": cannot be opened");
        return nullptr;
    }
    ModuleTable& table = Table();
    {
        std::lock_guard lock(table.mutex);
        if (ModuleEntry* e = FindByPathLocked(table, path)) {
            ++e->loads;
            return HandleOf(table, *e);
        }
    }
    CString error;
    std::shared_ptr<const platform::ResourceModule> resources =
        platform::ResourceModule::FromFile(CString::FromUtf8(path), error);
    if (!resources) {
        SetError(ERROR_BAD_FORMAT, error);
        return nullptr;
    }
    std::lock_guard lock(table.mutex);
    ModuleEntry* e = FindByPathLocked(table, path);
    if (!e) {
        e = NewEntryLocked(table);
        if (!e) {
            SetError(ERROR_NOT_ENOUGH_MEMORY, u"too many modules loaded");
            return nullptr;
        }
        e->kind = ModuleKind::ResourceOnly;
        e->path = path;
        e->stem = parsed.stem;
        e->resourcesRead = true;
        e->resources = std::move(resources);
    }
    ++e->loads;
    return HandleOf(table, *e);
}

}  // namespace

HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE, DWORD flags)
{
    try {
        ParsedName parsed;
        CString error;
        if (!ParseModuleName(fileName, parsed, error)) {
            SetError(ERROR_MOD_NOT_FOUND, error);
            return nullptr;
        }
        const bool dataOnly = (flags & (LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) != 0;
        if (!dataOnly) {
            const std::string library = FindInProgramFolder(parsed.libraryFile);
            if (!library.empty()) return LoadCodeModule(parsed, library);
        }
        const CString resourceFile = platform::FindResourceModuleFile(parsed.stem);
        if (!resourceFile.IsEmpty()) return LoadResourceOnlyModule(parsed, resourceFile);
        CString missing;
        missing.Format(u"%s: neither %s nor a resource module %s.<lang>.qres in %s", fileName,
                       parsed.libraryFile.GetString(), parsed.stem.GetString(),
                       platform::GetProgramFolder().GetString());
        SetError(ERROR_MOD_NOT_FOUND, missing);
        return nullptr;
    } catch (...) {
        SetError(ERROR_NOT_ENOUGH_MEMORY, u"out of memory");
        return nullptr;
    }
}

HMODULE LoadLibraryW(LPCWSTR fileName) { return LoadLibraryExW(fileName, nullptr, 0); }

BOOL FreeLibrary(HMODULE module)
{
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ModuleTable& table = Table();
    void* dl = nullptr;
    std::shared_ptr<const platform::ResourceModule> resources;
    {
        std::lock_guard lock(table.mutex);
        ModuleEntry* e = EntryLocked(table, module);
        if (!e) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (e->loads == 0) return TRUE;  // the program or a linked library
        --e->loads;
        if (e->kind == ModuleKind::Library) dl = e->dl;
        if (e->loads == 0 && !e->pinned) {
            resources = std::move(e->resources);
            const std::uint32_t generation = e->generation;
            *e = ModuleEntry();
            e->generation = generation;
        }
    }
    if (dl) ::dlclose(dl);
    return TRUE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName)
{
    if (!procName || IS_INTRESOURCE(procName) || !*procName) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* dl = nullptr;
    {
        ModuleTable& table = Table();
        std::lock_guard lock(table.mutex);
        ModuleEntry* e = EntryLocked(table, module);
        if (!e) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        dl = e->dl;
    }
    const FARPROC proc = dl ? reinterpret_cast<FARPROC>(::dlsym(dl, procName)) : nullptr;
    if (!proc) SetLastError(ERROR_PROC_NOT_FOUND);
    return proc;
}

HMODULE GetModuleHandleW(LPCWSTR moduleName)
{
    ModuleTable& table = Table();
    if (!moduleName) {
        std::lock_guard lock(table.mutex);
        return HandleOf(table, ProgramEntryLocked(table));
    }
    try {
        ParsedName parsed;
        CString error;
        if (!ParseModuleName(moduleName, parsed, error)) return nullptr;
        std::string path;
        const std::string library = FindInProgramFolder(parsed.libraryFile);
        if (!library.empty()) {
            path = Canonical(library);
        } else {
            const CString resourceFile = platform::FindResourceModuleFile(parsed.stem);
            if (!resourceFile.IsEmpty()) path = Canonical(platform::NativePath(resourceFile));
        }
        if (path.empty()) return nullptr;
        {
            std::lock_guard lock(table.mutex);
            if (ModuleEntry* e = FindByPathLocked(table, path)) return HandleOf(table, *e);
        }
        if (library.empty()) return nullptr;
        // A library linked to the program: known once asked for, never unloaded.
        void* dl = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (!dl) return nullptr;
        std::lock_guard lock(table.mutex);
        if (ModuleEntry* e = FindByPathLocked(table, path)) {
            ::dlclose(dl);
            return HandleOf(table, *e);
        }
        ModuleEntry* e = NewEntryLocked(table);
        if (!e) {
            ::dlclose(dl);
            return nullptr;
        }
        e->kind = ModuleKind::Library;
        e->path = path;
        e->stem = parsed.stem;
        e->dl = dl;
        e->pinned = true;
        return HandleOf(table, *e);
    } catch (...) {
        return nullptr;
    }
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size)
{
    if (!buffer || size == 0) return 0;
    std::u16string path;
    try {
        ModuleTable& table = Table();
        std::lock_guard lock(table.mutex);
        ModuleEntry* e = EntryLocked(table, module);
        if (!e) {
            buffer[0] = 0;
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        path = platform::ToWide(e->path, CP_UTF8);
    } catch (...) {
        buffer[0] = 0;
        return 0;
    }
    const std::size_t n = std::min<std::size_t>(path.size(), size - 1);
    path.copy(buffer, n);
    buffer[n] = 0;
    if (path.size() > n) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    return static_cast<DWORD>(n);
}

namespace platform {

CString ResolveModuleFile(const CString& name)
{
    try {
        ParsedName parsed;
        CString error;
        if (!ParseModuleName(name.GetString(), parsed, error)) return CString();
        const std::string library = FindInProgramFolder(parsed.libraryFile);
        if (!library.empty()) return CString::FromUtf8(library);
        return FindResourceModuleFile(parsed.stem);
    } catch (...) {
        return CString();
    }
}

HMODULE ModuleFromAddress(const void* address)
{
    Dl_info info {};
    if (!address || ::dladdr(address, &info) == 0) return nullptr;
    const std::string program = Canonical(NativePath(GetProgramPath()));
    const std::string file = info.dli_fname && *info.dli_fname ? Canonical(info.dli_fname) : program;
    if (file.empty()) return nullptr;
    if (file == program) return GetModuleHandleW(nullptr);
    ModuleTable& table = Table();
    {
        std::lock_guard lock(table.mutex);
        if (ModuleEntry* e = FindByPathLocked(table, file)) return HandleOf(table, *e);
    }
    void* dl = ::dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!dl) return nullptr;
    std::lock_guard lock(table.mutex);
    if (ModuleEntry* e = FindByPathLocked(table, file)) {
        ::dlclose(dl);
        return HandleOf(table, *e);
    }
    ModuleEntry* e = NewEntryLocked(table);
    if (!e) {
        ::dlclose(dl);
        return nullptr;
    }
    CString stem = StemOf(CString::FromUtf8(file));
    if (stem.Left(3) == u"lib") stem = stem.Mid(3);
    e->kind = ModuleKind::Library;
    e->path = file;
    e->stem = stem;
    e->dl = dl;
    e->pinned = true;
    return HandleOf(table, *e);
}

CString GetLastModuleError() { return CString(t_lastError); }

CString FindFileInFolder(const CString& folder, const CString& name)
{
    if (folder.IsEmpty() || name.IsEmpty() || name.Find(u'/') >= 0 || name.Find(u'\\') >= 0) return CString();
    const CString exact = JoinPath(folder, name);
    if (IsRegularFile(NativePath(exact))) return exact;

    const std::string nativeFolder = NativePath(folder);
    DIR* dir = ::opendir(nativeFolder.c_str());
    if (!dir) return CString();
    CString found;
    int matches = 0;
    while (const dirent* d = ::readdir(dir)) {
        const CString entry = CString::FromUtf8(d->d_name);
        if (entry.CompareNoCase(name) != 0) continue;
        const CString candidate = JoinPath(folder, entry);
        if (!IsRegularFile(NativePath(candidate))) continue;
        found = candidate;
        ++matches;
    }
    ::closedir(dir);
    return matches == 1 ? found : CString();
}

std::shared_ptr<const ResourceModule> GetModuleResources(HMODULE module)
{
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    ModuleEntry* e = EntryLocked(table, module);
    if (!e) return nullptr;
    if (!e->resourcesRead) {
        e->resourcesRead = true;
        const CString file = FindResourceModuleFile(e->stem);
        if (!file.IsEmpty()) {
            CString error;
            e->resources = ResourceModule::FromFile(file, error);
        }
    }
    return e->resources;
}

namespace detail {

HMODULE LiveModule(HMODULE module)
{
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    ModuleEntry* e = EntryLocked(table, module);
    return e ? HandleOf(table, *e) : nullptr;
}

HMODULE ModuleFromSlot(std::uint32_t slot, std::uint32_t generationBits, std::uint32_t generationMask)
{
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    if (slot == 0 || slot >= table.slots.size()) return nullptr;
    const ModuleEntry& e = table.slots[slot];
    if (!e.used || (e.generation & generationMask) != generationBits) return nullptr;
    return HandleOf(table, e);
}

}  // namespace detail

}  // namespace platform
