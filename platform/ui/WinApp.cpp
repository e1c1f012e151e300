#include "platform/ui/WinApp.h"

#include "platform/core/CmdUI.h"
#include "platform/core/File.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Paths.h"
#include "platform/core/Time.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/FrameIds.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/InputRouting.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Shell.h"
#include "platform/ui/StandardDialogs.h"
#include "platform/ui/View.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace {

CWinApp* g_app = nullptr;
platform::InputPreTranslateHook g_previousHook = nullptr;
platform::AppMessageBoxHandler g_previousBoxHandler = nullptr;

BOOL AppPreTranslate(MSG* msg)
{
    if (g_app && g_app->PreTranslateMessage(msg)) return TRUE;
    return g_previousHook ? g_previousHook(msg) : FALSE;
}

int AppMessageBox(LPCTSTR text, UINT type, UINT helpId)
{
    if (g_app) return g_app->DoMessageBox(text, type, helpId);
    return platform::ShowAppMessageBox(HWND(), text, type);
}

// The command-line arguments of the process after the program's name.
std::vector<CString> ProcessArguments()
{
    std::vector<CString> out;
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t pos = 0;
    bool first = true;
    while (pos < all.size()) {
        std::size_t end = all.find('\0', pos);
        if (end == std::string::npos) end = all.size();
        if (!first) out.push_back(platform::ToWide(all.substr(pos, end - pos), CP_UTF8));
        first = false;
        pos = end + 1;
    }
    return out;
}

// Keeps the last part of a long path for a menu ("...\folder\name").
CString Shortened(const CString& path, int maxLength)
{
    if (maxLength <= 3 || path.GetLength() <= maxLength) return path;
    return CString(u"...") + path.Right(maxLength - 3);
}

constexpr int kMaxRecentFiles = 16;
constexpr LONG kIdleRounds = 1;
// Notifications that are not the user's (a polled line posts several a
// poll) start an idle round at most this often; the user's own input starts
// one at once.
constexpr DWORD kNotificationIdleGapMs = 100;

// While messages keep coming, the toolkit's own events (input, paints, its
// timers) are still handled at least this often.
constexpr DWORD kNativePassGapMs = 10;

// A message, a send or the quit waits in the thread's queue (the toolkit's
// events are not looked at).
bool HasQueuedMessage()
{
    return ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT) == WAIT_OBJECT_0;
}

bool IsUserInput(UINT message)
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           message == WM_COMMAND || message == WM_SYSCOMMAND || message == WM_QUIT;
}

}  // namespace

// ---------------------------------------------------------------- command line

void CCommandLineInfo::ParseParam(LPCTSTR pszParam, BOOL bFlag, BOOL)
{
    if (bFlag) return;
    // The first plain argument is the file to open.
    if (m_strFileName.IsEmpty() && pszParam && *pszParam) {
        m_strFileName = pszParam;
        if (m_nShellCommand == FileNew) m_nShellCommand = FileOpen;
    }
}

// ---------------------------------------------------------------- recent files

CRecentFileList::CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat, int nSize,
                                 int nMaxDispLen)
    : m_nStart(nStart),
      m_strSectionName(lpszSection ? lpszSection : u"Recent File List"),
      m_strEntryFormat(lpszEntryFormat ? lpszEntryFormat : u"File%d"),
      m_nSize(std::clamp(nSize, 0, kMaxRecentFiles)),
      m_nMaxDisplayLength(nMaxDispLen)
{
    m_arrNames.resize(static_cast<std::size_t>(m_nSize));
}

CString CRecentFileList::operator[](int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_nSize) return CString();
    return m_arrNames[static_cast<std::size_t>(nIndex)];
}

void CRecentFileList::Add(LPCTSTR lpszPathName)
{
    if (!lpszPathName || !*lpszPathName || m_nSize == 0) return;
    const CString path(lpszPathName);
    auto it = std::find(m_arrNames.begin(), m_arrNames.end(), path);
    if (it == m_arrNames.end()) it = m_arrNames.end() - 1;
    // Move the entries above the slot down by one and put the path first.
    std::rotate(m_arrNames.begin(), it, it + 1);
    m_arrNames.front() = path;
}

void CRecentFileList::Remove(int nIndex)
{
    if (nIndex < 0 || nIndex >= m_nSize) return;
    m_arrNames.erase(m_arrNames.begin() + nIndex);
    m_arrNames.emplace_back();
}

BOOL CRecentFileList::GetDisplayName(CString& strName, int nIndex, BOOL bAtLeastName) const
{
    const CString path = (*this)[nIndex];
    if (path.IsEmpty()) return FALSE;
    const CString name = platform::FileNameOf(path);
    strName = bAtLeastName ? Shortened(name, m_nMaxDisplayLength) : Shortened(path, m_nMaxDisplayLength);
    return TRUE;
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI)
{
    if (!pCmdUI) return;
    auto* menuUi = dynamic_cast<platform::IMenuCmdUI*>(pCmdUI);
    const HMENU menu = menuUi ? menuUi->Menu() : HMENU();
    const UINT first = pCmdUI->m_nID;
    if (menu && m_strOriginal.IsEmpty()) {
        CMenu* m = CMenu::FromHandle(menu);
        m->GetMenuString(first, m_strOriginal, MF_BYCOMMAND);
    }
    int count = 0;
    for (const CString& name : m_arrNames)
        if (!name.IsEmpty()) ++count;
    if (!menu) {
        pCmdUI->Enable(count > 0 ? TRUE : FALSE);
        return;
    }
    // Remove the old entries, then put one item per file where the first was.
    const UINT position = pCmdUI->m_nIndex;
    for (int i = 0; i < kMaxRecentFiles; ++i) ::DeleteMenu(menu, first + static_cast<UINT>(i), MF_BYCOMMAND);
    if (count == 0) {
        ::InsertMenuW(menu, position, MF_BYPOSITION | MF_STRING | MF_GRAYED, first, m_strOriginal.GetString());
        pCmdUI->Enable(FALSE);
        menuUi->ItemsChanged(1);
        return;
    }
    int n = 0;
    for (int i = 0; i < m_nSize; ++i) {
        CString name;
        if (!GetDisplayName(name, i)) continue;
        name.Replace(u"&", u"&&");
        CString text;
        text.Format(u"&%d %s", n + 1, name.GetString());
        ::InsertMenuW(menu, position + static_cast<UINT>(n), MF_BYPOSITION | MF_STRING, first + static_cast<UINT>(i),
                      text.GetString());
        ++n;
    }
    pCmdUI->Enable(TRUE);
    menuUi->ItemsChanged(n);
}

void CRecentFileList::ReadList()
{
    CWinApp* app = AfxGetApp();
    if (!app) return;
    for (int i = 0; i < m_nSize; ++i) {
        CString entry;
        entry.Format(m_strEntryFormat.GetString(), i + 1);
        m_arrNames[static_cast<std::size_t>(i)] = app->GetProfileString(m_strSectionName, entry, u"");
    }
}

void CRecentFileList::WriteList()
{
    CWinApp* app = AfxGetApp();
    if (!app) return;
    for (int i = 0; i < m_nSize; ++i) {
        CString entry;
        entry.Format(m_strEntryFormat.GetString(), i + 1);
        const CString& name = m_arrNames[static_cast<std::size_t>(i)];
        app->WriteProfileString(m_strSectionName, entry, name.IsEmpty() ? nullptr : name.GetString());
    }
}

// ---------------------------------------------------------------- application

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, &CWinApp::OnOpenRecentFile)
    ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, &CWinApp::OnUpdateRecentFileMenu)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCTSTR lpszAppName)
{
    if (g_app) std::fprintf(stderr, "CWinApp: a second application object\n");
    g_app = this;
    m_strExeName = platform::StemOf(platform::GetProgramPath());
    m_pszExeName = m_strExeName.GetString();
    m_strAppName = lpszAppName ? CString(lpszAppName) : m_strExeName;
    m_pszAppName = m_strAppName.GetString();
    if (lpszAppName) platform::SetAppTitle(m_strAppName);
    g_previousHook = platform::SetInputPreTranslateHook(&AppPreTranslate);
    g_previousBoxHandler = platform::SetAppMessageBoxHandler(&AppMessageBox);
}

CWinApp::~CWinApp()
{
    if (g_app == this) {
        if (platform::SetInputPreTranslateHook(g_previousHook) != &AppPreTranslate) {
            // Someone installed a hook after us: leave theirs in place.
        }
        platform::SetAppMessageBoxHandler(g_previousBoxHandler);
        g_app = nullptr;
    }
    for (CDocTemplate* t : m_templates) {
        if (t->m_bAutoDelete) delete t;
    }
}

int CWinApp::ExitInstance()
{
    SaveStdProfileSettings();
    return 0;
}

BOOL CWinApp::OnIdle(LONG lCount)
{
    if (lCount >= kIdleRounds) return FALSE;
    CWnd* main = m_pMainWnd;
    if (main && ::IsWindow(main->GetSafeHwnd())) {
        main->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
        if (::IsWindow(main->GetSafeHwnd())) main->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
    }
    return lCount + 1 < kIdleRounds;
}

int CWinApp::Run()
{
    const int loopCode = RunMessageLoop();
    const int exitCode = ExitInstance();
    return exitCode != 0 ? exitCode : loopCode;
}

int CWinApp::RunMessageLoop()
{
    LONG idleCount = 0;
    bool idle = true;
    bool notificationOnly = false;
    DWORD lastIdle = ::GetTickCount();
    DWORD lastNative = lastIdle;
    MSG msg;
    m_running = true;
    for (;;) {
        // Whether anything waits is looked at in the queue alone: a pass over
        // the toolkit's events (a system call or more) for every message of a
        // polled line would cost more than the messages themselves. The
        // toolkit's events are handled whenever the loop waits, and at least
        // every kNativePassGapMs while messages keep coming.
        while (idle && !HasQueuedMessage()) {
            const DWORD now = ::GetTickCount();
            const DWORD since = now - lastIdle;
            if (notificationOnly && idleCount == 0 && since < kNotificationIdleGapMs) {
                // Waits out the gap, unless a message comes first.
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kNotificationIdleGapMs - since, QS_ALLINPUT);
                lastNative = ::GetTickCount();
                continue;
            }
            if (!OnIdle(idleCount++)) {
                idle = false;
                lastIdle = ::GetTickCount();
            }
        }
        const DWORD now = ::GetTickCount();
        if (now - lastNative >= kNativePassGapMs) {
            // With the queue empty, GetMessage handles them while it waits.
            if (HasQueuedMessage()) ::PeekMessageW(&msg, HWND(), 0, 0, PM_NOREMOVE);
            lastNative = now;
        }
        if (!::GetMessageW(&msg, HWND(), 0, 0)) break;
        if (!platform::ui::PreTranslateInput(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        // Timers and paints do not start a new idle round (they come often).
        if (msg.message != WM_TIMER && msg.message != WM_PAINT) {
            // A round owed to the user is not held back by notifications after it.
            if (IsUserInput(msg.message)) notificationOnly = false;
            else if (!idle) notificationOnly = true;
            idle = true;
            idleCount = 0;
        }
    }
    m_running = false;
    return static_cast<int>(msg.wParam);
}

BOOL CWinApp::PreTranslateMessage(MSG*) { return FALSE; }

int CWinApp::DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT)
{
    const HWND owner = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : HWND();
    return platform::ShowAppMessageBox(owner, lpszPrompt, nType);
}

void CWinApp::WinHelp(DWORD_PTR dwData, UINT nCmd)
{
    if (!m_pszHelpFilePath) return;
    const HWND owner = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : HWND();
    const UINT command = nCmd == 0x0001 ? HH_HELP_CONTEXT : HH_DISPLAY_TOC;
    ::HtmlHelpW(owner, m_pszHelpFilePath, command, dwData);
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate)
{
    if (!pTemplate) return;
    pTemplate->LoadTemplate();
    m_templates.push_back(pTemplate);
}

CDocTemplate* CWinApp::GetDocTemplate(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_templates.size())) return nullptr;
    return m_templates[static_cast<std::size_t>(index)];
}

CDocument* CWinApp::OpenDocumentFile(LPCTSTR lpszFileName)
{
    if (!lpszFileName || !*lpszFileName || m_templates.empty()) return nullptr;
    CDocTemplate* best = nullptr;
    CDocTemplate::Confidence bestMatch = CDocTemplate::noAttempt;
    CDocument* open = nullptr;
    for (CDocTemplate* t : m_templates) {
        CDocument* match = nullptr;
        const CDocTemplate::Confidence c = t->MatchDocType(lpszFileName, match);
        if (c > bestMatch) {
            bestMatch = c;
            best = t;
            open = match;
        }
        if (c == CDocTemplate::yesAlreadyOpen) break;
    }
    if (bestMatch == CDocTemplate::yesAlreadyOpen && open) {
        // Already open: its first view's frame comes to the front.
        POSITION pos = open->GetFirstViewPosition();
        if (CView* view = open->GetNextView(pos)) {
            if (CFrameWnd* frame = view->GetParentFrame()) frame->ActivateFrame();
        }
        return open;
    }
    if (!best) best = m_templates.front();
    return best->OpenDocumentFile(lpszFileName);
}

void CWinApp::AddToRecentFileList(LPCTSTR lpszPathName)
{
    if (m_pRecentFileList) m_pRecentFileList->Add(lpszPathName);
}

BOOL CWinApp::SaveAllModified()
{
    for (CDocTemplate* t : m_templates) {
        if (!t->SaveAllModified()) return FALSE;
    }
    return TRUE;
}

void CWinApp::CloseAllDocuments(BOOL bEndSession)
{
    for (CDocTemplate* t : m_templates) t->CloseAllDocuments(bEndSession);
}

int CWinApp::GetOpenDocumentCount() const
{
    int n = 0;
    for (const CDocTemplate* t : m_templates) n += t->GetDocumentCount();
    return n;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) { ParseCommandLine(rCmdInfo, ProcessArguments()); }

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo, const std::vector<CString>& arguments)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const CString& arg = arguments[i];
        // A switch starts with '-', or with '/' when the rest has no '/' and
        // names no file: "/ini" is a switch, "/home/me/a.sht" a file.
        bool flag = !arg.IsEmpty() && arg[0] == u'-';
        if (!arg.IsEmpty() && arg[0] == u'/' && arg.Find(u'/', 1) < 0) flag = !platform::FileExists(arg.GetString());
        const CString param = flag ? arg.Mid(1) : arg;
        rCmdInfo.ParseParam(param.GetString(), flag ? TRUE : FALSE, i + 1 == arguments.size() ? TRUE : FALSE);
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo)
{
    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        if (m_templates.empty()) return TRUE;
        OnFileNew();
        return GetOpenDocumentCount() > 0 ? TRUE : FALSE;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(rCmdInfo.m_strFileName.GetString()) != nullptr ? TRUE : FALSE;
    default:
        return TRUE;
    }
}

void CWinApp::SetRegistryKey(LPCTSTR lpszRegistryKey)
{
    if (!lpszRegistryKey) return;
    m_strRegistryKey = lpszRegistryKey;
    m_pszRegistryKey = m_strRegistryKey.GetString();
    m_strProfileName = m_strAppName;
    m_pszProfileName = m_strProfileName.GetString();
    m_profile.iniFile.Empty();
    m_profile.registryKey = CString(u"Software\\") + m_strRegistryKey + u"\\" + m_strAppName;
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey)
{
    CString key;
    key.LoadString(nIDRegistryKey);
    if (!key.IsEmpty()) SetRegistryKey(key.GetString());
}

void CWinApp::SetProfileFile(LPCTSTR lpszIniPath)
{
    m_profile.registryKey.Empty();
    m_pszRegistryKey = nullptr;
    m_strProfileName = lpszIniPath ? lpszIniPath : u"";
    m_pszProfileName = m_strProfileName.GetString();
    m_profile.iniFile = m_strProfileName;
}

UINT CWinApp::GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault)
{
    return platform::GetProfileInt(m_profile, lpszSection, lpszEntry, nDefault);
}

CString CWinApp::GetProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszDefault)
{
    return platform::GetProfileString(m_profile, lpszSection, lpszEntry, lpszDefault);
}

BOOL CWinApp::GetProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, BYTE** ppData, UINT* pBytes)
{
    if (ppData) *ppData = nullptr;
    if (pBytes) *pBytes = 0;
    if (!ppData || !pBytes) return FALSE;
    std::vector<BYTE> data;
    if (!platform::GetProfileBinary(m_profile, lpszSection, lpszEntry, data)) return FALSE;
    *ppData = new BYTE[data.empty() ? 1 : data.size()];
    std::copy(data.begin(), data.end(), *ppData);
    *pBytes = static_cast<UINT>(data.size());
    return TRUE;
}

BOOL CWinApp::WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue)
{
    return platform::WriteProfileInt(m_profile, lpszSection, lpszEntry, nValue) ? TRUE : FALSE;
}

BOOL CWinApp::WriteProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszValue)
{
    return platform::WriteProfileString(m_profile, lpszSection, lpszEntry, lpszValue) ? TRUE : FALSE;
}

BOOL CWinApp::WriteProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, BYTE* pData, UINT nBytes)
{
    return platform::WriteProfileBinary(m_profile, lpszSection, lpszEntry, pData, nBytes) ? TRUE : FALSE;
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU)
{
    m_pRecentFileList.reset();
    if (nMaxMRU == 0) return;
    m_pRecentFileList = std::make_unique<CRecentFileList>(0, u"Recent File List", u"File%d", static_cast<int>(nMaxMRU));
    m_pRecentFileList->ReadList();
}

void CWinApp::SaveStdProfileSettings()
{
    if (m_pRecentFileList) m_pRecentFileList->WriteList();
}

HICON CWinApp::LoadIcon(UINT nIDResource) const { return ::LoadIconW(HINSTANCE(), MAKEINTRESOURCEW(nIDResource)); }
HICON CWinApp::LoadIcon(LPCTSTR lpszResourceName) const { return ::LoadIconW(HINSTANCE(), lpszResourceName); }
HICON CWinApp::LoadStandardIcon(LPCTSTR lpszIconName) const { return ::LoadIconW(HINSTANCE(), lpszIconName); }

HCURSOR CWinApp::LoadCursor(UINT nIDResource) const
{
    return ::LoadCursorW(HINSTANCE(), MAKEINTRESOURCEW(nIDResource));
}

HCURSOR CWinApp::LoadStandardCursor(LPCTSTR lpszCursorName) const { return ::LoadCursorW(HINSTANCE(), lpszCursorName); }

BOOL CWinApp::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    return CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CWinApp::OnFileNew()
{
    if (m_templates.empty()) return;
    m_templates.front()->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen()
{
    CString path;
    if (!DoPromptFileName(path, 0, 0, TRUE, nullptr)) return;
    OpenDocumentFile(path.GetString());
}

BOOL CWinApp::OnOpenRecentFile(UINT nID)
{
    if (!m_pRecentFileList) return FALSE;
    const int index = static_cast<int>(nID) - static_cast<int>(ID_FILE_MRU_FILE1);
    const CString path = (*m_pRecentFileList)[index];
    if (path.IsEmpty()) return FALSE;
    // A file that cannot be opened leaves the list.
    if (!OpenDocumentFile(path.GetString())) m_pRecentFileList->Remove(index);
    return TRUE;
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI)
{
    if (!m_pRecentFileList) {
        pCmdUI->Enable(FALSE);
        return;
    }
    m_pRecentFileList->UpdateMenu(pCmdUI);
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd && ::IsWindow(m_pMainWnd->GetSafeHwnd())) m_pMainWnd->SendMessage(WM_CLOSE);
}

void CWinApp::OnFilePrintSetup() {}

void CWinApp::OnHelp() { WinHelp(0, 0x000B); }

BOOL CWinApp::DoPromptFileName(CString& fileName, UINT, DWORD lFlags, BOOL bOpenFileDialog, CDocTemplate* pTemplate)
{
    platform::FileDialogRequest request;
    request.owner = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : HWND();
    request.open = bOpenFileDialog != FALSE;
    request.fileName = fileName;
    request.flags = lFlags;
    CDocTemplate* t = pTemplate ? pTemplate : (m_templates.empty() ? nullptr : m_templates.front());
    if (t) {
        CString name;
        CString ext;
        if (t->GetDocString(name, CDocTemplate::filterName) && t->GetDocString(ext, CDocTemplate::filterExt) &&
            !ext.IsEmpty()) {
            request.filters.emplace_back(name, CString(u"*") + ext);
            request.defaultExtension = ext.Left(1) == u"." ? ext.Mid(1) : ext;
        }
    }
    request.filters.emplace_back(CString(u"All Files (*.*)"), CString(u"*.*"));
    const platform::FileDialogResult result = platform::ShowFileDialog(request);
    if (!result.ok || result.paths.empty()) return FALSE;
    fileName = result.paths.front();
    return TRUE;
}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

LPCTSTR AfxGetAppName() { return g_app ? g_app->m_pszAppName : u""; }

namespace platform {

void RunAppIdle()
{
    CWinApp* app = AfxGetApp();
    if (!app) return;
    constexpr LONG kMaxRounds = 8;
    for (LONG i = 0; i < kMaxRounds; ++i) {
        if (!app->OnIdle(i)) break;
    }
}

}  // namespace platform
