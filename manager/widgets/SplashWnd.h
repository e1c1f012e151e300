// The splash picture: a borderless topmost window of a bitmap's size with a
// few lines of text over it, centred on the screen. It closes itself on a
// timer, on a click or key, or once the application says it is ready (see
// the flags), and deletes itself when its window is gone.
#pragma once

#include "platform/ui/Static.h"

#include <memory>
#include <vector>

class CSplash;

// One line of text over the picture.
struct SplashText {
    CString text;
    COLORREF colour = RGB(0, 0, 0);
    RECT rect{};
    // The caller's font (copied when the window is made); null: the default.
    CFont* font = nullptr;
    int id = 0;
    // 0 left, 1 centre, 2 right.
    int alignment = 0;
};

class CSplashWnd : public CWnd {
    DECLARE_DYNAMIC(CSplashWnd)

public:
    // A click or key closes the window (which takes the mouse meanwhile).
    static constexpr int kCloseOnInput = 1;
    // Closing does not wait for the application's main window.
    static constexpr int kNoMainWindowWait = 4;
    // Closes only once the ready flag is 1.
    static constexpr int kWaitForReady = 8;
    static constexpr UINT_PTR kCloseTimerId = 1;
    static constexpr UINT kRetryMs = 100;
    static constexpr int kNoTimer = -1;

    // Makes a splash window; null when the bitmap cannot be loaded or the
    // window cannot be made. The window deletes itself when it is gone.
    static CSplashWnd* CreateSplash(UINT nBitmapId, int nDisplayMs, int nFlags, const int* pReady,
                                    const std::vector<SplashText>* pLines, CSplash* pThread = nullptr);

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    CSplashWnd() = default;
    // Loads the picture and copies the lines (and their fonts).
    BOOL Prepare(UINT nBitmapId, int nDisplayMs, int nFlags, const int* pReady, const std::vector<SplashText>* pLines);
    BOOL CreateWindowOfPicture();
    void PostNcDestroy() override;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg LRESULT OnMButtonDown(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    struct Line {
        SplashText text;
        std::unique_ptr<CFont> font;
    };

    bool Ready() const { return m_pReady && *m_pReady == 1; }
    bool InputCloses() const;
    void ButtonDown();
    const Line* LineOf(int id) const;

    std::vector<Line> m_lines;
    std::vector<std::unique_ptr<CStatic>> m_statics;
    CBitmap m_bitmap;
    CSize m_size;
    int m_nDisplayMs = kNoTimer;
    int m_nFlags = 0;
    const int* m_pReady = nullptr;
    bool m_captured = false;
    CSplash* m_pThread = nullptr;
};
