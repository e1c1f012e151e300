// The application object: one per program, derived by the program and
// created as a static object. It keeps the main window, the document
// templates, the recent-file list and the profile (registry key or ini
// file, through platform/core/AppProfile.h), runs the message loop with idle
// processing, and is the last target of command routing.
//
// Idle processing: when the loop finds no message it calls OnIdle(0),
// OnIdle(1), ... until OnIdle returns FALSE; OnIdle(0) sends
// WM_IDLEUPDATECMDUI to the main window and its descendants, so tool-bar
// buttons and status-bar panes follow their update handlers. Any input
// wakes the loop and starts a new idle round.
#pragma once

#include "platform/core/AppProfile.h"
#include "platform/core/CmdTarget.h"
#include "platform/core/CString.h"
#include "platform/ui/ResourceImages.h"
#include "platform/ui/WindowApi.h"

#include <memory>
#include <vector>

// BOOL OnX(UINT id) for a range of commands: FALSE passes the command on.
#define ON_COMMAND_EX_RANGE(idFirst, idLast, memberFxn)                                          \
    MSGMAP_COMMAND_ENTRY(CN_COMMAND, idFirst, idLast, ::platform::crack::CommandEx, memberFxn, \
                         BOOL (ThisClass::*)(UINT))

namespace platform {

// What an update handler of a menu item can reach besides CCmdUI: the menu
// that holds the item (m_nIndex is its position there).
class IMenuCmdUI {
public:
    virtual ~IMenuCmdUI() = default;
    virtual HMENU Menu() const = 0;
    // The handler replaced the item by count items (0: removed it).
    virtual void ItemsChanged(int count) = 0;
};

}  // namespace platform

class CDocTemplate;
class CDocument;
class CCmdUI;
class CWnd;

// What the command line asks for.
class CCommandLineInfo {
public:
    enum ShellCommand { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister, FileNothing = -1 };

    virtual ~CCommandLineInfo() = default;
    // One argument: pszParam without its leading '/' or '-' when bFlag.
    virtual void ParseParam(LPCTSTR pszParam, BOOL bFlag, BOOL bLast);

    ShellCommand m_nShellCommand = FileNew;
    CString m_strFileName;
    BOOL m_bShowSplash = TRUE;
    BOOL m_bRunEmbedded = FALSE;
    BOOL m_bRunAutomated = FALSE;
};

// The most recently used files, newest first, kept in the profile as
// <section>\<entry format with 1-based number>.
class CRecentFileList {
public:
    CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat, int nSize, int nMaxDispLen = 64);
    virtual ~CRecentFileList() = default;

    int GetSize() const { return m_nSize; }
    // The entry (empty past the end).
    CString operator[](int nIndex) const;
    // Puts a path first; the same path (compared exactly) moves up; the
    // oldest falls off a full list. Empty paths are ignored.
    virtual void Add(LPCTSTR lpszPathName);
    virtual void Remove(int nIndex);
    // The menu text of an entry: the file name, or the path shortened to
    // the display length.
    BOOL GetDisplayName(CString& strName, int nIndex, BOOL bAtLeastName = TRUE) const;
    // Replaces the item of pCmdUI (ID_FILE_MRU_FILE1) by one item per entry
    // ("&1 name", ...), or greys it when the list is empty.
    virtual void UpdateMenu(CCmdUI* pCmdUI);
    virtual void ReadList();
    virtual void WriteList();

    UINT m_nStart;
    CString m_strSectionName;
    CString m_strEntryFormat;
    int m_nSize;
    int m_nMaxDisplayLength;
    CString m_strOriginal;
    std::vector<CString> m_arrNames;
};

class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)

public:
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance();
    // The message loop with idle processing until WM_QUIT; then
    // ExitInstance. The exit code.
    virtual int Run();
    // Run's message loop with its idle rounds, without the exit: returns at
    // WM_QUIT with its exit code.
    int RunMessageLoop();
    // FALSE when no more idle work is wanted.
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Every AfxMessageBox of the program passes here.
    virtual int DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT nIDPrompt);
    virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = 0x0001);

    // Documents.
    void AddDocTemplate(CDocTemplate* pTemplate);
    int GetDocTemplateCount() const { return static_cast<int>(m_templates.size()); }
    CDocTemplate* GetDocTemplate(int index) const;
    // Opens a file with the first template (an open document of the same
    // path is activated instead); null when it fails.
    virtual CDocument* OpenDocumentFile(LPCTSTR lpszFileName);
    virtual void AddToRecentFileList(LPCTSTR lpszPathName);
    // Asks every document to save its changes; FALSE when one refuses.
    virtual BOOL SaveAllModified();
    void CloseAllDocuments(BOOL bEndSession);
    int GetOpenDocumentCount() const;

    // Command line: a switch starts with '-', or with '/' when the rest has
    // no '/' and names no file (paths here start with '/'); ParseParam gets
    // it without that first character.
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    void ParseCommandLine(CCommandLineInfo& rCmdInfo, const std::vector<CString>& arguments);
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);

    // Profile: the registry key "Software\<key>\<application name>" ...
    void SetRegistryKey(LPCTSTR lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey);
    // ... or an ini file.
    void SetProfileFile(LPCTSTR lpszIniPath);
    const platform::ProfileStore& ProfileStore() const { return m_profile; }
    // True while Run's message loop runs (the main window's end then quits it).
    BOOL IsMessageLoopRunning() const { return m_running ? TRUE : FALSE; }
    UINT GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault);
    CString GetProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszDefault = nullptr);
    // *ppData is new[]-allocated for the caller (delete[]); FALSE when missing.
    BOOL GetProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, BYTE** ppData, UINT* pBytes);
    BOOL WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue);
    BOOL WriteProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszValue);
    BOOL WriteProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, BYTE* pData, UINT nBytes);
    // The recent-file list of nMaxMRU entries (0: none), read from the profile.
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    void SaveStdProfileSettings();

    HICON LoadIcon(UINT nIDResource) const;
    HICON LoadIcon(LPCTSTR lpszResourceName) const;
    HICON LoadStandardIcon(LPCTSTR lpszIconName) const;
    HCURSOR LoadCursor(UINT nIDResource) const;
    HCURSOR LoadStandardCursor(LPCTSTR lpszCursorName) const;

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    CWnd* m_pMainWnd = nullptr;
    CString m_strAppName;
    LPCTSTR m_pszAppName = nullptr;
    LPCTSTR m_pszExeName = nullptr;
    LPCTSTR m_pszRegistryKey = nullptr;
    LPCTSTR m_pszProfileName = nullptr;
    LPCTSTR m_pszHelpFilePath = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    std::unique_ptr<CRecentFileList> m_pRecentFileList;

    // The standard commands of the application.
    afx_msg void OnFileNew();
    afx_msg void OnFileOpen();
    afx_msg BOOL OnOpenRecentFile(UINT nID);
    afx_msg void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);
    afx_msg void OnAppExit();
    afx_msg void OnFilePrintSetup();
    afx_msg void OnHelp();

protected:
    // Asks the open dialog for a path; FALSE when cancelled.
    virtual BOOL DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog,
                                  CDocTemplate* pTemplate);

    DECLARE_MESSAGE_MAP()

private:
    std::vector<CDocTemplate*> m_templates;
    platform::ProfileStore m_profile;
    CString m_strExeName;
    CString m_strRegistryKey;
    CString m_strProfileName;
    CString m_strHelpFilePath;
    bool m_running = false;
};

// The application object (null before it is made and after it is gone).
CWinApp* AfxGetApp();
// The main window of the application, or null.
CWnd* AfxGetMainWnd();
LPCTSTR AfxGetAppName();

namespace platform {

// Runs the idle round of the application (OnIdle until it says no more, at
// most a few rounds), as the message loop does when its queue is empty: for
// code that pumps without the application's loop (tests, modal loops).
void RunAppIdle();

}  // namespace platform
