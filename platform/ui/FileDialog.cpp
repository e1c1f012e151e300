#include "platform/ui/FileDialog.h"

#include "platform/ui/StandardDialogs.h"

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName, DWORD dwFlags,
                         LPCTSTR lpszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog),
      m_defExt(lpszDefExt ? lpszDefExt : u""),
      m_fileName(lpszFileName ? lpszFileName : u""),
      m_filter(lpszFilter ? lpszFilter : u""),
      m_pParentWnd(pParentWnd)
{
    m_ofn.Flags = dwFlags;
    m_ofn.lpstrDefExt = m_defExt.IsEmpty() ? nullptr : m_defExt.GetString();
    m_ofn.hwndOwner = pParentWnd ? pParentWnd->GetSafeHwnd() : HWND();
}

INT_PTR CFileDialog::DoModal()
{
    platform::FileDialogRequest request;
    request.owner = m_ofn.hwndOwner ? m_ofn.hwndOwner : (m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : HWND());
    request.open = m_bOpenFileDialog != FALSE;
    request.title = m_ofn.lpstrTitle ? CString(m_ofn.lpstrTitle) : CString();
    request.initialFolder = m_ofn.lpstrInitialDir ? CString(m_ofn.lpstrInitialDir) : CString();
    request.fileName = m_fileName;
    request.defaultExtension = m_ofn.lpstrDefExt ? CString(m_ofn.lpstrDefExt) : CString();
    request.flags = m_ofn.Flags;
    request.filterIndex = static_cast<int>(m_ofn.nFilterIndex ? m_ofn.nFilterIndex : 1);
    // "Description|patterns|...||": pairs until an empty description.
    int start = 0;
    for (;;) {
        const int bar = m_filter.Find(u'|', start);
        if (bar < 0) break;
        const CString description = m_filter.Mid(start, bar - start);
        if (description.IsEmpty()) break;
        int end = m_filter.Find(u'|', bar + 1);
        if (end < 0) end = m_filter.GetLength();
        request.filters.emplace_back(description, m_filter.Mid(bar + 1, end - bar - 1));
        start = end + 1;
        if (start >= m_filter.GetLength()) break;
    }
    const platform::FileDialogResult result = platform::ShowFileDialog(request);
    if (!result.ok || result.paths.empty()) return IDCANCEL;
    m_paths = result.paths;
    m_ofn.nFilterIndex = static_cast<DWORD>(result.filterIndex);
    return IDOK;
}

namespace {

int LastSeparator(const CString& path)
{
    return std::max(path.ReverseFind(u'\\'), path.ReverseFind(u'/'));
}

}  // namespace

CString CFileDialog::GetPathName() const { return m_paths.empty() ? CString() : m_paths.front(); }

CString CFileDialog::GetFileName() const
{
    const CString path = GetPathName();
    return path.Mid(LastSeparator(path) + 1);
}

CString CFileDialog::GetFileExt() const
{
    const CString name = GetFileName();
    const int dot = name.ReverseFind(u'.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const
{
    const CString name = GetFileName();
    const int dot = name.ReverseFind(u'.');
    return dot < 0 ? name : name.Left(dot);
}

CString CFileDialog::GetFolderPath() const
{
    const CString path = GetPathName();
    const int sep = LastSeparator(path);
    return sep < 0 ? CString() : path.Left(sep);
}
