#include "manager/app/FilePathRules.h"

#include "manager/core/SharedText.h"
#include "platform/core/File.h"
#include "resources/manager/resource_ids.h"

#include <filesystem>
#include <system_error>

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

CString CanonicalFilePath(const CString& path)
{
    if (path.IsEmpty()) return path;
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path native(platform::NativePath(path.GetString()));
    fs::path full = fs::absolute(native, error);
    if (error) full = native;
    fs::path canonical = fs::weakly_canonical(full, error);
    if (error) canonical = full.lexically_normal();
    return CString::FromUtf8(canonical.string());
}
