#include "manager/app/FilePathRules.h"

#include "manager/core/SharedText.h"
#include "resources/manager/resource_ids.h"

CString DefaultExtension(UINT extensionStringId)
{
    CString extension;
    extension.LoadString(extensionStringId);
    return extension;
}

bool HasDefaultExtension(const CString& path, UINT extensionStringId)
{
    const CString extension = DefaultExtension(extensionStringId);
    return !extension.IsEmpty() && GetFileExtensionOfPath(path) == extension;
}

bool IsAcceptedFilePath(const CString& path, UINT extensionStringId)
{
    return path.GetLength() < kMaxPathChars && HasDefaultExtension(path, extensionStringId);
}

bool IsDataFilePath(const CString& path) { return HasDefaultExtension(path, IDS_DATA_FILE_EXTENSION); }

bool IsAcceptedWindowName(const CString& name)
{
    return name.GetLength() <= kMaxWindowNameChars && IsValidFileName(name);
}
