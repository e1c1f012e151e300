#include "platform/ui/FileDialogFolders.h"

#include "platform/core/Paths.h"
#include "platform/core/Profile.h"
#include "platform/ui/StandardDialogs.h"
#include "platform/ui/WidgetPeer.h"

#include <QDir>
#include <QStandardPaths>

namespace platform {

namespace {

constexpr char16_t kSection[] = u"FileFolders";

CString SettingsFile()
{
    const CString folder = GetAppDataFolder();
    return folder.IsEmpty() ? CString() : JoinPath(folder, u"Velbrook/Quorvane/Platform.ini");
}

bool IsFolder(const CString& path) { return !path.IsEmpty() && QDir(ui::ToQString(path)).exists(); }

CString DocumentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists()) return ui::ToCString(documents);
    return ui::ToCString(QDir::homePath());
}

// A name with a folder part chooses its own folder.
bool NamesAFolder(const CString& name) { return name.Find(u'/') >= 0 || name.Find(u'\\') >= 0; }

}  // namespace

CString FileKindOf(const FileDialogRequest& request)
{
    CString kind = request.defaultExtension;
    if (kind.IsEmpty() && !request.filters.empty()) kind = request.filters.front().second;
    if (kind.IsEmpty()) kind = u"*";
    kind.MakeLower();
    // A key of the settings file holds neither its separator nor brackets.
    kind.Replace(u"=", u"_");
    kind.Replace(u"[", u"_");
    kind.Replace(u"]", u"_");
    return kind;
}

CString StartFolderFor(const CString& kind)
{
    const CString file = SettingsFile();
    if (!file.IsEmpty()) {
        const CString remembered = ReadPrivateProfileString(kSection, kind, u"", file);
        if (IsFolder(remembered)) return remembered;
    }
    return DocumentsFolder();
}

void RememberFolderFor(const CString& kind, const CString& path)
{
    const CString file = SettingsFile();
    CString folder = FolderOf(NormalizePath(path));
    while (folder.GetLength() > 1 && folder.Right(1) == CString(u"/")) folder = folder.Left(folder.GetLength() - 1);
    if (file.IsEmpty() || !IsFolder(folder)) return;
    CreateFolderPath(FolderOf(file));
    ::WritePrivateProfileStringW(kSection, kind, folder, file);
}

FileDialogRequest WithStartFolder(const FileDialogRequest& request)
{
    FileDialogRequest shown = request;
    if (shown.initialFolder.IsEmpty() && !NamesAFolder(shown.fileName))
        shown.initialFolder = StartFolderFor(FileKindOf(request));
    return shown;
}

}  // namespace platform
