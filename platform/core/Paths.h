// Folders and path helpers. Paths are CString with '/' separators; every helper
// also accepts '\', since the system's own texts build paths with it.
#pragma once

#include "platform/core/CString.h"

namespace platform {

// Full path of the running program (from /proc/self/exe).
CString GetProgramPath();
// Folder of the running program, ending with '/'.
CString GetProgramFolder();
// The per-user settings folder: $XDG_CONFIG_HOME, else ~/.config; no trailing '/'.
// Empty when neither can be found.
CString GetAppDataFolder();

// '\' becomes '/'.
CString NormalizePath(const CString& path);
// a + '/' + b with exactly one separator between them.
CString JoinPath(const CString& folder, const CString& name);
// Parts of a path: "/a/b/name.ext" gives "/a/b/", "name.ext", "name", ".ext".
CString FolderOf(const CString& path);
CString FileNameOf(const CString& path);
CString StemOf(const CString& path);
CString ExtensionOf(const CString& path);

// Creates every missing folder of path; true when the folder exists afterwards.
bool CreateFolderPath(const CString& path);

}  // namespace platform
