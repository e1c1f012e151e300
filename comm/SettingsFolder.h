// Where the system keeps its settings files: the user's application-data
// folder followed by "\Velbrook\Quorvane\". The communications library and
// the controller tools library find their ini files with these calls.
#pragma once

#include "platform/core/CString.h"

// The special folder these calls know: the per-user application data.
inline constexpr int CSIDL_APPDATA = 0x001a;

// Sub-folder of the application-data folder holding the settings files.
inline constexpr const char16_t* kSettingsSubFolder = u"\\Velbrook\\Quorvane\\";
inline constexpr const char16_t* kCommSettingsFileName = u"CommMan.ini";

// The application-data folder (no trailing separator); FALSE and an empty
// path when the folder id is unknown or the folder cannot be found.
BOOL GetAppDataFolder(int nFolder, CString& strPath);
// Creates every missing folder level of a path up to its last separator
// ('\' or '/'), so "a\b\" creates a and b while "a\b" creates only a. An
// empty path succeeds. FALSE when a level cannot be created.
BOOL CreateFolderPath(const CString& strPath);
// Application-data folder + sub-folder (created) + file name, with '/'
// separators. FALSE, with an empty path, when there is no application-data
// folder or the folders cannot be created.
BOOL GetSettingsFilePath(const CString& strSubFolder, const CString& strFileName, CString& strPath);
