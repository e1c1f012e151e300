#include "comm/SettingsFolder.h"

#include "platform/core/Paths.h"

BOOL GetAppDataFolder(int nFolder, CString& strPath)
{
    strPath.Empty();
    if (nFolder != CSIDL_APPDATA) return FALSE;
    strPath = platform::GetAppDataFolder();
    return strPath.IsEmpty() ? FALSE : TRUE;
}

BOOL CreateFolderPath(const CString& strPath)
{
    const CString path = platform::NormalizePath(strPath);
    const int last = path.ReverseFind(u'/');
    // Only levels that end in a separator are folders; the rest may be a file name.
    if (last < 0) return TRUE;
    if (last == 0) return TRUE;  // the root exists
    return platform::CreateFolderPath(path.Left(last)) ? TRUE : FALSE;
}

BOOL GetSettingsFilePath(const CString& strSubFolder, const CString& strFileName, CString& strPath)
{
    strPath.Empty();
    CString folder;
    if (!GetAppDataFolder(CSIDL_APPDATA, folder)) return FALSE;
    folder = platform::NormalizePath(folder + strSubFolder);
    if (!CreateFolderPath(folder)) return FALSE;
    if (folder.IsEmpty() || folder[folder.GetLength() - 1] != u'/') folder += u'/';
    // A sub-folder that starts with a separator would otherwise leave "//" behind.
    while (folder.Find(u"//") >= 0) folder.Replace(u"//", u"/");
    strPath = folder + platform::NormalizePath(strFileName);
    return TRUE;
}
