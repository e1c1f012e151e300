// What the file dialogs and name fields accept: data files and alarm
// history files by their default extension (compared exactly), paths within
// the length the files of the system may have, and window names that can
// become file names.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

// A path of this many characters or more is refused (message 40001).
inline constexpr int kMaxPathChars = 260;
// A window name may be this long.
inline constexpr int kMaxWindowNameChars = 260;

// The default extension of a kind of file: string 57201 (data files) or
// 57202 (alarm history files).
CString DefaultExtension(UINT extensionStringId);
// Whether the path's extension is exactly that default extension.
bool HasDefaultExtension(const CString& path, UINT extensionStringId);
// Whether a chosen path may be taken: shorter than kMaxPathChars and with
// the default extension.
bool IsAcceptedFilePath(const CString& path, UINT extensionStringId);
// A dropped file opens as controller data only with the data-file extension.
bool IsDataFilePath(const CString& path);

// The one spelling of a file's path: full, without "." or ".." steps or
// doubled separators, with symbolic links followed as far as the path
// exists. Two spellings of the same file give the same text; letter case is
// kept (file names are case-sensitive). An empty path stays empty.
CString CanonicalFilePath(const CString& path);

// A new window's name: at most kMaxWindowNameChars, none of \ / : . , ; * ?
// " < > | (message 10143 otherwise).
bool IsAcceptedWindowName(const CString& name);
