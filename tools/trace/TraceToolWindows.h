// The trace window's tool windows that read a trace (the A-B cursor window
// and the calculator) and its trace-file viewers, as the live trace window
// keeps them: each tool window exists at most once, reads one trace window
// at a time (its source: the live window or a viewer) and follows the
// window the user works in.
//
// A tool window never holds its source by pointer: it keeps the source's
// window handle and looks the window up at every read. When a viewer closes
// the tool windows that read it switch to the live window; and a handle that
// no longer names a window (whatever closed it) reads as the live window
// too, so no tool window ever reads a trace that is gone.
#pragma once

#include "tools/trace/TraceStatistics.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/ListCtrl.h"

#include <vector>

class CKXWatcherDlg;
class CTRDViewerDlg;
class CABCursorDlg;
class CCalculatorDlg;

// What the A-B cursor window and the calculator share: owner and source,
// placement beside the owner, a list of channels that fills the window below
// its template position, and their end.
class CTraceToolDlg : public CDialog {
    DECLARE_DYNAMIC(CTraceToolDlg)

public:
    static constexpr int kMinTrackWidth = 262;
    static constexpr int kMinTrackHeight = 124;

    CTraceToolDlg(UINT nIDTemplate, int nListId);

    // Creates the window with the owner (the live trace window) as parent and shows it.
    virtual BOOL Show(CKXWatcherDlg* pOwner);
    BOOL DestroyWindow() override;

    // The window whose trace is read: the source while it is a window, the
    // owner otherwise (null only without an owner).
    CKXWatcherDlg* Source() const;
    CKXWatcherDlg* Owner() const { return m_pOwner; }
    // Reads this window's trace from now on (null: the owner's).
    virtual void SetSource(CKXWatcherDlg* pSource);
    // A trace window closes: a tool window that reads it reads the owner's.
    void SourceClosing(CKXWatcherDlg* pClosing);
    // The base caption, with " - " and the file title when the source is a
    // viewer showing a file.
    CString CaptionFor(CKXWatcherDlg* pSource) const;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    void PostNcDestroy() override;
    // Where the owner keeps this window's rectangle, and its shown-once flag.
    virtual RECT& SavedRect() = 0;
    virtual std::int32_t& ShownOnce() = 0;
    // Tells the owner the window is gone.
    virtual void TellOwnerGone() = 0;
    // The source changed because the one read went away.
    virtual void OnSourceGone() {}

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    afx_msg void OnClose();
    DECLARE_MESSAGE_MAP()

    // Rows' images: a square of the channel's colour framed in black.
    int AddChannelImage(COLORREF crChannel);
    void ClearRows();
    void FitList();

    CKXWatcherDlg* m_pOwner = nullptr;
    HWND m_hSource;
    CString m_strBaseCaption;
    CImageList m_images;
    CListCtrl m_list;
    UINT m_nTemplate;
    int m_nListId;
    int m_nListTop = 0;
    BOOL m_bInitialised = FALSE;
};

// The set the live trace window keeps.
class CTraceToolWindows {
public:
    explicit CTraceToolWindows(CKXWatcherDlg& owner);
    ~CTraceToolWindows();
    CTraceToolWindows(const CTraceToolWindows&) = delete;
    CTraceToolWindows& operator=(const CTraceToolWindows&) = delete;

    // The A-B cursor window and the calculator: brought to the top when
    // open, else created; either way they read the source from now on.
    void ShowABCursor(CKXWatcherDlg& source);
    void ShowCalculator(CKXWatcherDlg& source);
    // The source's cursors, file or set-up changed: the A-B window reads it anew.
    void RefreshABCursor(CKXWatcherDlg& source);
    // A trace window was activated: the tool windows read it from now on.
    void SourceActivated(CKXWatcherDlg& source);
    CABCursorDlg* ABCursor() const { return m_pABCursor; }
    CCalculatorDlg* Calculator() const { return m_pCalculator; }
    void ABCursorGone() { m_pABCursor = nullptr; }
    void CalculatorGone() { m_pCalculator = nullptr; }

    // A new viewer of a file; null (after the message) when the file does
    // not load.
    CTRDViewerDlg* OpenViewer(const CString& strPath);
    // A viewer goes: out of the list, and no tool window reads it any more.
    void ViewerClosing(CTRDViewerDlg& viewer);
    const std::vector<CTRDViewerDlg*>& Viewers() const { return m_viewers; }

    // Idle: the viewers' captions and bars follow their state.
    void IdleUpdate();
    // A modal dialog of a viewer or of the calculator is open.
    BOOL IsModalOpen() const;
    // The owner closes: tool windows first, then the viewers, last first.
    void DestroyAll();

    // The calculator's settings between openings.
    CalcSettings m_calcSettings;

private:
    CKXWatcherDlg& m_owner;
    CABCursorDlg* m_pABCursor = nullptr;
    CCalculatorDlg* m_pCalculator = nullptr;
    std::vector<CTRDViewerDlg*> m_viewers;
};
