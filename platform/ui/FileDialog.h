// The file open and save dialogs: the class library's CFileDialog over the
// standard-dialog service (StandardDialogs.h).
#pragma once

#include "platform/core/CString.h"
#include "platform/ui/WindowApi.h"

#include <vector>

inline constexpr DWORD OFN_READONLY = 0x00000001;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
inline constexpr DWORD OFN_SHOWHELP = 0x00000010;
inline constexpr DWORD OFN_NOVALIDATE = 0x00000100;
inline constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
inline constexpr DWORD OFN_EXTENSIONDIFFERENT = 0x00000400;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
inline constexpr DWORD OFN_CREATEPROMPT = 0x00002000;
inline constexpr DWORD OFN_NOREADONLYRETURN = 0x00008000;
inline constexpr DWORD OFN_EXPLORER = 0x00080000;
inline constexpr DWORD OFN_ENABLESIZING = 0x00800000;

// The parts of the system's record that callers set.
struct OPENFILENAMEW {
    HWND hwndOwner;
    DWORD nFilterIndex = 1;
    LPCWSTR lpstrInitialDir = nullptr;
    LPCWSTR lpstrTitle = nullptr;
    DWORD Flags = 0;
    LPCWSTR lpstrDefExt = nullptr;
};
using OPENFILENAME = OPENFILENAMEW;

class CFileDialog {
public:
    // lpszFilter: "Description|*.a;*.b|Other|*.*||".
    explicit CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr, LPCTSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr);
    virtual ~CFileDialog() = default;

    // IDOK or IDCANCEL.
    virtual INT_PTR DoModal();

    CString GetPathName() const;
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;
    CString GetFolderPath() const;
    // Every chosen path (several with OFN_ALLOWMULTISELECT).
    const std::vector<CString>& GetPathNames() const { return m_paths; }

    OPENFILENAME m_ofn;

private:
    BOOL m_bOpenFileDialog;
    CString m_defExt;
    CString m_fileName;
    CString m_filter;
    CString m_initialDir;
    CString m_title;
    CWnd* m_pParentWnd;
    std::vector<CString> m_paths;
};
