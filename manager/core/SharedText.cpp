#include "manager/core/SharedText.h"

#include "platform/core/Paths.h"

CString NextToken(CString& text, const CString& separator)
{
    const int at = separator.IsEmpty() ? -1 : text.Find(separator.GetString());
    if (at < 0) {
        CString all = text;
        text.Empty();
        return all;
    }
    CString token = text.Left(at);
    text = text.Mid(at + separator.GetLength());
    return token;
}

CString ExtractThrough(const CString& text, char16_t ch, int start)
{
    if (start < 0 || start >= text.GetLength()) return CString();
    const int at = text.Find(ch, start);
    return at < 0 ? CString() : text.Mid(start, at - start + 1);
}

namespace {

int LastSeparator(const CString& path)
{
    const int backslash = path.ReverseFind(u'\\');
    const int slash = path.ReverseFind(u'/');
    return backslash > slash ? backslash : slash;
}

}  // namespace

CString GetFileTitleOfPath(const CString& path) { return path.Mid(LastSeparator(path) + 1); }

CString GetFileExtensionOfPath(const CString& path)
{
    const CString name = GetFileTitleOfPath(path);
    const int dot = name.ReverseFind(u'.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString GetModuleDirectory()
{
    CString folder = platform::GetProgramFolder();
    while (folder.GetLength() > 1 && (folder.str().back() == u'/' || folder.str().back() == u'\\')) {
        folder.Truncate(folder.GetLength() - 1);
    }
    return folder;
}

CString MakeAppValueName(const CString& name)
{
    return platform::StemOf(platform::GetProgramPath()) + u"\\" + name;
}

bool IsValidFileName(const CString& text) { return text.FindOneOf(u"\\/:.,;*?\"<>|") < 0; }
