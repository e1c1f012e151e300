// A small MDI program for the frame tests: an application with a sheet
// document template, an MDI main frame with a tool bar and a status bar
// (one owner-drawn pane), and sheet child frames split into a tree, a form
// and a drawing view (a splitter inside a splitter). It holds definitions:
// include it in one source file of a test program.
#pragma once

#include "platform/ui/tests/data/frametest_ids.h"

#include <algorithm>

#include "platform/core/CmdUI.h"
#include "platform/core/File.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/DropFiles.h"
#include "platform/ui/FrameIds.h"
#include "platform/ui/MDIChildWnd.h"
#include "platform/ui/MDIFrameWnd.h"
#include "platform/ui/ResourceImages.h"
#include "platform/ui/SplitterWnd.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/ToolBar.h"
#include "platform/ui/View.h"
#include "platform/ui/WinApp.h"
#include "tests/support/ui/UiTest.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace frametest {

// The sheet: one line of text, kept in a file of its own.
class CSheetDoc : public CDocument {
    DECLARE_DYNCREATE(CSheetDoc)

public:
    CString m_text;
    int m_marks = 0;

    BOOL OnOpenDocument(LPCTSTR lpszPathName) override
    {
        std::vector<CString> lines;
        if (!platform::ReadTextLines(lpszPathName, lines, CP_UTF8)) return FALSE;
        m_text = lines.empty() ? CString() : lines.front();
        SetModifiedFlag(FALSE);
        return TRUE;
    }
    BOOL OnSaveDocument(LPCTSTR lpszPathName) override
    {
        return platform::WriteTextLines(lpszPathName, {m_text}, CP_UTF8) ? TRUE : FALSE;
    }
};

// A document that keeps nothing in files: saving it must not claim success.
class CScratchDoc : public CDocument {
    DECLARE_DYNCREATE(CScratchDoc)
};

class CSheetView : public CView {
    DECLARE_DYNCREATE(CSheetView)

public:
    CSheetDoc* Sheet() const { return static_cast<CSheetDoc*>(GetDocument()); }
    int m_activations = 0;
    int m_initialUpdates = 0;

    void OnDraw(CDC* pDC) override
    {
        CRect client;
        GetClientRect(&client);
        pDC->FillSolidRect(&client, RGB(255, 255, 255));
        CRect box(10, 10, 70, 40);
        pDC->FillSolidRect(&box, Sheet() && Sheet()->m_marks > 0 ? RGB(192, 57, 43) : RGB(31, 111, 178));
        pDC->SetBkMode(TRANSPARENT);
        if (Sheet()) pDC->TextOut(10, 50, Sheet()->m_text.GetString(), Sheet()->m_text.GetLength());
    }
    void OnInitialUpdate() override
    {
        ++m_initialUpdates;
        CView::OnInitialUpdate();
    }
    void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override
    {
        if (bActivate) ++m_activations;
        CView::OnActivateView(bActivate, pActivateView, pDeactiveView);
    }

protected:
    void OnEditCopy() {}
    void OnUpdateEditCopy(CCmdUI* pCmdUI) { pCmdUI->Enable(Sheet() && !Sheet()->m_text.IsEmpty() ? TRUE : FALSE); }
    void OnMark()
    {
        if (!Sheet()) return;
        ++Sheet()->m_marks;
        Sheet()->SetModifiedFlag(TRUE);
        Invalidate();
    }

    DECLARE_MESSAGE_MAP()
};

class CAxisTreeView : public CTreeView {
    DECLARE_DYNCREATE(CAxisTreeView)

public:
    // Lines and buttons, as the programs' trees have them.
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override
    {
        cs.style |= TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
        return CTreeView::PreCreateWindow(cs);
    }

    void OnInitialUpdate() override
    {
        CTreeCtrl& tree = GetTreeCtrl();
        tree.DeleteAllItems();
        const HTREEITEM root = tree.InsertItem(u"Controller");
        tree.InsertItem(u"Parameters", root);
        tree.InsertItem(u"Points", root);
        tree.Expand(root, TVE_EXPAND);
    }
};

class CSheetForm : public CFormView {
    DECLARE_DYNCREATE(CSheetForm)

public:
    CSheetForm() : CFormView(IDD_SHEET_FORM) {}
};

class CSheetFrame : public CMDIChildWnd {
    DECLARE_DYNCREATE(CSheetFrame)

public:
    CSplitterWnd m_outer;
    CSplitterWnd m_inner;

    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override
    {
        if (!m_outer.CreateStatic(this, 1, 2)) return FALSE;
        if (!m_inner.CreateStatic(&m_outer, 2, 1, WS_CHILD | WS_VISIBLE, static_cast<UINT>(m_outer.IdFromRowCol(0, 0))))
            return FALSE;
        if (!m_inner.CreateView(0, 0, RUNTIME_CLASS(CAxisTreeView), CSize(160, 120), pContext)) return FALSE;
        if (!m_inner.CreateView(1, 0, RUNTIME_CLASS(CSheetForm), CSize(160, 100), pContext)) return FALSE;
        if (!m_outer.CreateView(0, 1, pContext->m_pNewViewClass, CSize(200, 220), pContext)) return FALSE;
        // The left column is as wide as the form, so its edits are whole.
        const int formWidth = static_cast<CFormView*>(m_inner.GetPane(1, 0))->GetTotalSize().cx;
        m_outer.SetColumnInfo(0, std::max(160, formWidth + 4), 10);
        m_outer.SetColumnInfo(1, 200, 10);
        m_inner.SetRowInfo(0, 120, 10);
        m_inner.SetRowInfo(1, 100, 10);
        SetActiveView(static_cast<CView*>(m_outer.GetPane(0, 1)), FALSE);
        return TRUE;
    }
    CSheetView* SheetView() const { return dynamic_cast<CSheetView*>(m_outer.GetPane(0, 1)); }

    int m_activated = 0;
    int m_deactivated = 0;

protected:
    void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd)
    {
        (bActivate ? m_activated : m_deactivated)++;
        CMDIChildWnd::OnMDIActivate(bActivate, pActivateWnd, pDeactivateWnd);
    }
    LRESULT OnMDIActivateMessage(WPARAM wParam, LPARAM lParam)
    {
        const BOOL activate = HWND::FromLParam(lParam) == m_hWnd ? TRUE : FALSE;
        OnMDIActivate(activate, CWnd::FromHandle(HWND::FromLParam(lParam)), CWnd::FromHandle(HWND::FromWParam(wParam)));
        return 0;
    }

    DECLARE_MESSAGE_MAP()
};

// A status bar whose owner-drawn panes are filled with a colour.
class CColorBar : public CStatusBar {
public:
    COLORREF m_back = RGB(46, 160, 67);
    int m_drawn = 0;
    int m_lastPane = -1;
    CRect m_lastRect;

    void DrawItem(LPDRAWITEMSTRUCT item) override
    {
        ++m_drawn;
        m_lastPane = static_cast<int>(item->itemID);
        m_lastRect = item->rcItem;
        CDC* dc = CDC::FromHandle(item->hDC);
        dc->FillSolidRect(&item->rcItem, m_back);
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(RGB(255, 255, 255));
        const CString text = GetPaneText(static_cast<int>(item->itemID));
        dc->TextOut(item->rcItem.left + 2, item->rcItem.top + 1, text.GetString(), text.GetLength());
    }
};

class CMainFrame : public CMDIFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)

public:
    CToolBar m_toolBar;
    CColorBar m_statusBar;
    CImageList m_images;
    int m_iconSize = 16;
    bool m_labels = false;
    std::vector<CString> m_dropped;
    POINT m_dropPoint{};
    int m_dropDowns = 0;
    CString m_linkText = u"Link: offline";

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override
    {
        cs.dwExStyle |= WS_EX_ACCEPTFILES;
        return CMDIFrameWnd::PreCreateWindow(cs);
    }

    // The tool bar, anew: images of the icon size, labels under them when asked.
    BOOL BuildToolBar()
    {
        if (::IsWindow(m_toolBar.GetSafeHwnd())) m_toolBar.DestroyWindow();
        m_images.DeleteImageList();
        static const UINT kButtons[] = {ID_FILE_NEW, ID_FILE_OPEN, ID_SEPARATOR, ID_EDIT_COPY, ID_SHEET_MARK, ID_SHEET_LOCK};
        static const UINT kIcons[] = {IDI_TB_NEW, IDI_TB_OPEN, IDI_TB_COPY, IDI_TB_MARK, IDI_TB_MARK};
        static const char16_t* kLabels[] = {u"New", u"Open", nullptr, u"Copy", u"Mark", u"Lock"};
        const DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC;
        if (!m_toolBar.CreateEx(this, TBSTYLE_FLAT, style)) return FALSE;
        m_toolBar.SetButtons(kButtons, static_cast<int>(std::size(kButtons)));
        m_images.Create(m_iconSize, m_iconSize, ILC_COLOR32 | ILC_MASK, 5, 4);
        for (UINT icon : kIcons) {
            const HICON h = HICON(::LoadImageW(HINSTANCE(), MAKEINTRESOURCEW(icon), IMAGE_ICON, m_iconSize, m_iconSize, 0));
            m_images.Add(h);
            ::DestroyIcon(h);
        }
        m_toolBar.GetToolBarCtrl().SetImageList(&m_images);
        m_toolBar.GetToolBarCtrl().SetExtendedStyle(TBSTYLE_EX_DRAWDDARROWS);
        m_toolBar.SetButtonStyle(1, m_toolBar.GetButtonStyle(1) | TBSTYLE_DROPDOWN);
        if (m_labels) {
            for (int i = 0; i < static_cast<int>(std::size(kLabels)); ++i)
                if (kLabels[i]) m_toolBar.SetButtonText(i, kLabels[i]);
        }
        m_toolBar.EnableDocking(CBRS_ALIGN_ANY);
        DockControlBar(&m_toolBar);
        return TRUE;
    }

protected:
    int OnCreate(LPCREATESTRUCT lpcs)
    {
        if (CMDIFrameWnd::OnCreate(lpcs) == -1) return -1;
        static const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_LINK, ID_INDICATOR_CAPS, ID_INDICATOR_NUM};
        if (!m_statusBar.Create(this) || !m_statusBar.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators))))
            return -1;
        m_statusBar.GetStatusBarCtrl().SetText(u"", 1, SBT_OWNERDRAW);
        EnableDocking(CBRS_ALIGN_ANY);
        if (!BuildToolBar()) return -1;
        return 0;
    }
    void OnDropFiles(HDROP hDropInfo) override
    {
        const UINT count = ::DragQueryFileW(hDropInfo, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            char16_t buffer[512] = {};
            ::DragQueryFileW(hDropInfo, i, buffer, 512);
            m_dropped.emplace_back(buffer);
        }
        ::DragQueryPoint(hDropInfo, &m_dropPoint);
        ::DragFinish(hDropInfo);
    }
    void OnDropDown(NMHDR* header, LRESULT* result)
    {
        if (reinterpret_cast<NMTOOLBAR*>(header)->iItem == static_cast<int>(ID_FILE_OPEN)) ++m_dropDowns;
        *result = TBDDRET_DEFAULT;
    }
    void OnUpdateLink(CCmdUI* pCmdUI) { pCmdUI->SetText(m_linkText.GetString()); }

    DECLARE_MESSAGE_MAP()
};

class CFrameTestApp : public CWinApp {
public:
    CFrameTestApp() : CWinApp(u"Frame Test") {}

protected:
    DECLARE_MESSAGE_MAP()
};

// The temp folder of a test, removed at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    CString Path(const char* name) const;
    std::string Folder() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

// The application with its profile in a temp folder, the test resources,
// the sheet template and the main frame.
class FrameWorld {
public:
    FrameWorld();
    ~FrameWorld();
    FrameWorld(const FrameWorld&) = delete;
    FrameWorld& operator=(const FrameWorld&) = delete;

    bool Ready() const { return m_frame != nullptr; }
    CFrameTestApp& App() { return *m_app; }
    CMainFrame& Frame() { return *m_frame; }
    CMultiDocTemplate& Template() { return *m_template; }
    const TempFolder& Temp() const { return m_temp; }
    // A new sheet in a child frame; null when it failed.
    CSheetDoc* NewSheet();
    CSheetFrame* FrameOf(CDocument* doc) const;
    // One idle round of the application, as its loop would run it.
    void Idle();

private:
    TempFolder m_temp;
    uitest::ScopedResources m_resources;
    std::unique_ptr<CFrameTestApp> m_app;
    CMultiDocTemplate* m_template = nullptr;
    CMainFrame* m_frame = nullptr;
    HWND m_frameHwnd;
};

// ---------------------------------------------------------------- definitions

IMPLEMENT_DYNCREATE(CSheetDoc, CDocument)
IMPLEMENT_DYNCREATE(CScratchDoc, CDocument)
IMPLEMENT_DYNCREATE(CSheetView, CView)
IMPLEMENT_DYNCREATE(CAxisTreeView, CTreeView)
IMPLEMENT_DYNCREATE(CSheetForm, CFormView)
IMPLEMENT_DYNCREATE(CSheetFrame, CMDIChildWnd)
IMPLEMENT_DYNCREATE(CMainFrame, CMDIFrameWnd)

BEGIN_MESSAGE_MAP(CSheetView, CView)
    ON_COMMAND(ID_EDIT_COPY, &CSheetView::OnEditCopy)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, &CSheetView::OnUpdateEditCopy)
    ON_COMMAND(ID_SHEET_MARK, &CSheetView::OnMark)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CSheetFrame, CMDIChildWnd)
    ON_MESSAGE(WM_MDIACTIVATE, &CSheetFrame::OnMDIActivateMessage)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CMainFrame, CMDIFrameWnd)
    ON_WM_CREATE()
    ON_NOTIFY(TBN_DROPDOWN, AFX_IDW_TOOLBAR, &CMainFrame::OnDropDown)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_LINK, &CMainFrame::OnUpdateLink)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CFrameTestApp, CWinApp)
    ON_COMMAND(ID_FILE_NEW, &CWinApp::OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, &CWinApp::OnFileOpen)
END_MESSAGE_MAP()

inline TempFolder::TempFolder()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "frametest";
    for (char& c : name)
        if (c == '/') c = '_';
    m_path = std::filesystem::temp_directory_path() / ("qv-frametest-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

inline TempFolder::~TempFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

inline CString TempFolder::Path(const char* name) const
{
    return platform::ToWide((m_path / name).string(), CP_UTF8);
}

inline FrameWorld::FrameWorld() : m_resources(u"frametest", "en")
{
    if (!m_resources.Loaded()) {
        ADD_FAILURE() << "the frame tests' resources are missing";
        return;
    }
    m_app = std::make_unique<CFrameTestApp>();
    m_app->SetProfileFile(m_temp.Path("frametest.ini").GetString());
    m_app->LoadStdProfileSettings(4);
    m_template = new CMultiDocTemplate(IDR_SHEET, RUNTIME_CLASS(CSheetDoc), RUNTIME_CLASS(CSheetFrame),
                                       RUNTIME_CLASS(CSheetView));
    m_app->AddDocTemplate(m_template);
    auto* frame = new CMainFrame;
    if (!frame->LoadFrame(IDR_FRAME)) {
        ADD_FAILURE() << "the main frame was not made";
        return;
    }
    m_frame = frame;
    m_frameHwnd = frame->GetSafeHwnd();
    m_app->m_pMainWnd = frame;
    frame->MoveWindow(0, 0, 900, 540);
    frame->ShowWindow(SW_SHOW);
    uitest::Pump(20);
}

inline FrameWorld::~FrameWorld()
{
    // The test may have closed the frame (which deletes it).
    if (m_frame && ::IsWindow(m_frameHwnd)) {
        // Documents are thrown away without questions at the end of a test.
        for (int i = 0; m_app && i < m_app->GetDocTemplateCount(); ++i) {
            CDocTemplate* t = m_app->GetDocTemplate(i);
            POSITION pos = t->GetFirstDocPosition();
            while (CDocument* doc = t->GetNextDoc(pos)) doc->SetModifiedFlag(FALSE);
        }
        m_frame->DestroyWindow();
    }
    uitest::Pump(10);
    uitest::FlushDeletedWidgets();
    m_app.reset();
}

inline CSheetDoc* FrameWorld::NewSheet()
{
    auto* doc = dynamic_cast<CSheetDoc*>(m_template->OpenDocumentFile(nullptr));
    uitest::Pump(10);
    return doc;
}

inline CSheetFrame* FrameWorld::FrameOf(CDocument* doc) const
{
    if (!doc) return nullptr;
    POSITION pos = doc->GetFirstViewPosition();
    while (CView* view = doc->GetNextView(pos)) {
        if (auto* frame = dynamic_cast<CSheetFrame*>(view->GetParentFrame())) return frame;
    }
    return nullptr;
}

inline void FrameWorld::Idle()
{
    platform::RunAppIdle();
    uitest::Pump(5);
}

}  // namespace frametest
