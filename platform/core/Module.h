// Modules: the running program, the libraries it loads by name and the
// resource-only modules.
//
// LoadLibraryW("X.dll") (or "X", or "libX.so") loads libX.so from the
// program's own folder and from nowhere else, so a library planted in the
// working folder or on a search path is never loaded. A name with a folder
// part is refused unless that folder is the program folder. When there is no
// libX.so but a resource module file "X.<lang>.qres" (ResourceModule.h), the
// name loads as a resource-only module: its resources can be read, it has no
// exports. File names match exactly, else without case when exactly one file
// of the folder does.
//
// Loads are counted like the system's: every successful LoadLibraryW needs
// one FreeLibrary, and the library is unloaded by the last. An HMODULE is an
// index and a generation, so a freed handle is recognised and refused. The
// program's handle and the handles of linked libraries are never freed.
#pragma once

#include "platform/core/CString.h"

#include <memory>

namespace platform {
class ResourceModule;
}

// Generic function pointer of an export; callers cast it to the export's type.
using FARPROC = void (*)();

// LoadLibraryExW flags: load only the module's resources, run no code.
inline constexpr DWORD LOAD_LIBRARY_AS_DATAFILE = 0x00000002;
inline constexpr DWORD LOAD_LIBRARY_AS_IMAGE_RESOURCE = 0x00000020;

// Failures also set the last error (GetLastError): ERROR_MOD_NOT_FOUND for a
// refused or missing name, ERROR_BAD_FORMAT for a file that cannot be loaded,
// ERROR_INVALID_HANDLE for a stale handle, ERROR_PROC_NOT_FOUND for a missing
// export, ERROR_INSUFFICIENT_BUFFER for a cut file name.

// Null when the name is refused or nothing loads (reason: platform::GetLastModuleError).
HMODULE LoadLibraryW(LPCWSTR fileName);
HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE reserved, DWORD flags);
// FALSE for a null, stale or unknown handle.
BOOL FreeLibrary(HMODULE module);
// Null when the export is missing, the handle is stale, or the module has no code.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
// Null name: the program. Otherwise a module already loaded (or linked) under
// that name, without counting a load; null when there is none.
HMODULE GetModuleHandleW(LPCWSTR moduleName);
// The full path of the module's file (the program, the library, or the
// resource module file). Copies at most size - 1 characters and a terminator;
// returns the characters copied, or size when the path was cut, 0 on failure.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);

inline HMODULE LoadLibrary(LPCWSTR fileName) { return LoadLibraryW(fileName); }
inline HMODULE GetModuleHandle(LPCWSTR moduleName) { return GetModuleHandleW(moduleName); }
inline DWORD GetModuleFileName(HMODULE module, LPWSTR buffer, DWORD size)
{
    return GetModuleFileNameW(module, buffer, size);
}

namespace platform {

// The file that LoadLibraryW(name) would load: the library, else the resource
// module file; empty when the name is refused or neither exists. Used to
// check that the files a program needs lie beside it.
CString ResolveModuleFile(const CString& name);

// The module (program or library, loaded by name or linked) whose code or data
// holds an address; null when none does. A library reached this way is never
// unloaded through the handle.
HMODULE ModuleFromAddress(const void* address);

// A file of a folder by name: the exact name, else the one file whose name
// matches without case; empty when there is none.
CString FindFileInFolder(const CString& folder, const CString& name);

// Why the last failed LoadLibraryW/LoadLibraryExW of this thread failed.
CString GetLastModuleError();

// The resources of a module: a resource-only module's, or for the program and
// a library the file "<stem>.<lang>.qres" beside it, read on first use. Null
// module: the program. Null when there are none or the handle is stale;
// holding the pointer keeps the data alive.
std::shared_ptr<const ResourceModule> GetModuleResources(HMODULE module);

namespace detail {
// For handles that point into a module (found resources): the live module
// (null: the program) as its handle, and the live module of a slot whose
// generation ends in the given bits. Null when stale.
HMODULE LiveModule(HMODULE module);
HMODULE ModuleFromSlot(std::uint32_t slot, std::uint32_t generationBits, std::uint32_t generationMask);
}  // namespace detail

}  // namespace platform
