// CHtmlToolTip: a pop-up window that shows markup tips (laid out by its
// CHtmlDrawer) on a background effect, in a balloon or rectangle shape with a
// soft shadow, fading in and out. The owner registers tools (a window or a
// rectangle of it, and a text) and hands its messages to RelayEvent; the
// tooltip then decides alone when to show, move, fade and hide. It can also
// show a help tip at a point.
//
// Display states: 0 hidden, 1 fading in, 2 shown, 3 fading out. Everything
// runs on the owner's user-interface thread; the timers come through the
// platform (ITipPlatform), so the state machine runs as well on a fake clock.
//
// On this system a tip is a translucent window: its shadow and transparency
// are alpha in the tip's own pixels, never a copy of the screen under it.
#pragma once

#include "htmltip/HtmlDrawer.h"
#include "htmltip/HtmlToolInfo.h"
#include "htmltip/MarkupHandleTable.h"
#include "htmltip/TipPlacement.h"
#include "htmltip/TipPlatform.h"

#include "platform/core/Wnd.h"

#include <QImage>
#include <QRegion>

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace htmltip {

// Timers of the tip window.
inline constexpr UINT kTimerInitial = 256;
inline constexpr UINT kTimerAutopop = 257;
inline constexpr UINT kTimerFadeIn = 258;
inline constexpr UINT kTimerFadeOut = 259;
inline constexpr UINT kTimerAnimation = 260;
inline constexpr UINT kAnimationPeriodMs = 100;

// The drawer's request to repaint (a link's hover changed).
inline constexpr UINT kRepaintRequestMessage = 1125;

// Types of SetDelayTime and GetDelayTime.
inline constexpr int kDelayAutopop = 2;
inline constexpr int kDelayInitial = 3;
inline constexpr int kDelayFadeIn = 4;
inline constexpr int kDelayFadeOut = 5;
inline constexpr int kDelayAnimation = 6;

// Indexes of SetSize and GetSize.
inline constexpr int kSizeCornerWidth = 0;
inline constexpr int kSizeCornerHeight = 1;
inline constexpr int kSizeMarginX = 2;
inline constexpr int kSizeMarginY = 3;
inline constexpr int kSizeAnchorWidth = 4;
inline constexpr int kSizeAnchorHeight = 5;
inline constexpr int kSizeAnchorOffset = 6;
inline constexpr int kSizeCount = 9;

enum class TipState { Hidden = 0, FadingIn = 1, Shown = 2, FadingOut = 3 };

// How a tip came up: from the mouse over a tool, as a help tip, or at a
// point without changing the z-order.
inline constexpr int kShowFromMouse = 0;
inline constexpr int kShowHelp = 1;
inline constexpr int kShowAtPoint = 2;

}  // namespace htmltip

class CHtmlToolTip : public CWnd {
public:
    CHtmlToolTip();
    ~CHtmlToolTip() override;

    // Creates the pop-up window owned by the owner; balloon or rectangle
    // shape. FALSE when the window cannot be made.
    BOOL Create(CWnd* owner, BOOL balloon = TRUE);
    // Pops the tip and stops the animation timer, then destroys the window.
    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    // Frames the tip's shape with the border brush.
    virtual void DrawBorder(CDC* dc, CRgn* region);

    // The window services. Not owned; without one the window layer's are
    // used (made by Create while the window layer runs).
    void SetPlatform(htmltip::ITipPlatform* platform);
    HWND GetOwnerWindow() const { return m_owner; }

    // The owner's messages, before they are dispatched. Always 0.
    BOOL RelayEvent(MSG* msg);

    // Tools. A record of the window with an equal rectangle is replaced.
    void AddTool(CWnd* window, LPCTSTR text, LPCRECT rect = nullptr, UINT id = 0);
    void AddTool(CWnd* window, UINT textId, LPCRECT rect = nullptr, UINT id = 0);
    // The text beside an icon, a resource icon of cx x cy, or a resource
    // bitmap keyed by the mask colour.
    void AddTool(CWnd* window, LPCTSTR text, HICON icon, LPCRECT rect = nullptr, UINT id = 0);
    void AddTool(CWnd* window, LPCTSTR text, UINT iconId, SIZE iconSize, LPCRECT rect = nullptr, UINT id = 0);
    void AddTool(CWnd* window, LPCTSTR text, UINT bitmapId, COLORREF mask, SIZE size, LPCRECT rect = nullptr,
                 UINT id = 0);
    // Without a rectangle every tool of the window goes.
    void RemoveTool(CWnd* window, LPCRECT rect = nullptr);
    void RemoveAllTools();
    BOOL GetToolInfo(HtmlToolInfo& info, CWnd* window, UINT id = 0) const;
    void UpdateTipText(LPCTSTR text, CWnd* window, UINT id = 0);
    void SetToolRect(CWnd* window, UINT id, LPCRECT rect);

    // A help tip at the screen point at once; it stays until a click, a key,
    // a wheel turn or HideTooltip.
    void ShowHelpTooltip(POINT point, LPCTSTR text, HICON icon = nullptr);
    void ShowHelpTooltip(POINT point, UINT textId, HICON icon = nullptr);
    void ShowHelpTooltip(POINT point, LPCTSTR text, UINT iconId, SIZE iconSize);
    // Ends a fade-in, then fades out or pops.
    void HideTooltip();
    // Hides at once.
    void Pop();

    // Defaults of the tools' fields.
    void SetColorBk(COLORREF color);
    void SetColorBk(COLORREF begin, COLORREF end);
    void SetColorBk(COLORREF begin, COLORREF middle, COLORREF end);
    void SetEffectBk(UINT effect, BYTE granularity = 5);
    void SetBehaviour(UINT behaviour) { m_defaultBehaviour = behaviour; }
    UINT GetBehaviour() const { return m_defaultBehaviour; }
    void SetDirection(UINT direction) { m_defaultDirection = direction; }
    UINT GetDirection() const { return m_defaultDirection; }
    // 0 opaque to 100; a value above 100 is ignored.
    void SetTransparency(BYTE transparency);
    // The border is kept only when width, height and colour or brush are all given.
    void SetBorder(COLORREF color, int width = 1, int height = 1);
    void SetBorder(HBRUSH brush, int width = 1, int height = 1);
    // The tip's own shadow; a darkness above 100 counts as 100.
    void SetTooltipShadow(int offsetX, int offsetY, BYTE darkness = 50, BOOL blurred = TRUE, int blurX = 7,
                          int blurY = 7);
    void SetImageShadow(int offsetX, int offsetY, BYTE darkness = 50, BOOL gradient = TRUE, int blurX = 7,
                        int blurY = 7);
    void SetDelayTime(int type, UINT milliseconds);
    UINT GetDelayTime(int type) const;
    // The window that is told before a tip shows: the owner or none.
    void SetNotify(BOOL notify = TRUE);
    void SetNotify(HWND window);
    void SetSize(int index, int value);
    int GetSize(int index) const;
    void SetSizes(BOOL balloon = TRUE);
    void SetMaxTipWidth(int width) { m_drawer.SetMaxWidth(width); }

    // The drawer's style sheet and resources.
    void SetCssStyles(LPCTSTR styles = nullptr) { m_drawer.SetCssStyles(styles); }
    void SetCssStyles(UINT resourceId, LPCTSTR moduleFileName = nullptr);
    void SetStyle(LPCTSTR selector, LPCTSTR declarations) { m_drawer.SetStyle(selector, declarations); }
    const CString& GetCssStyles() const { return m_drawer.GetCssStyles(); }
    void SetImageList(UINT bitmapId, int cx, int cy, int count, COLORREF mask)
    {
        m_drawer.SetImageList(bitmapId, cx, cy, count, mask);
    }
    void SetCallbackHyperlink(HWND window, UINT message, LPARAM parameter = 0)
    {
        m_drawer.SetCallbackHyperlink(window, message, parameter);
    }
    void SetNewLineAsBreak(BOOL newLineAsBreak) { m_drawer.SetNewLineAsBreak(newLineAsBreak); }
    CHtmlDrawer& GetDrawer() { return m_drawer; }

    // State, for the owner and for tests.
    htmltip::TipState GetState() const { return m_state; }
    int GetCurrentTransparency() const { return m_transparency; }
    const HtmlToolInfo& GetCurrentToolInfo() const { return m_current; }
    const htmltip::TipPlacement& GetPlacement() const { return m_placement; }
    // The tip's pixels as last composed (window size, with alpha).
    const QImage& GetTipImage() const { return m_composed; }

    // A timer of the tip window fired.
    void HandleTimer(UINT id);

protected:
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg LRESULT OnPaintMessage(WPARAM, LPARAM);
    afx_msg LRESULT OnSetCursorMessage(WPARAM, LPARAM);
    afx_msg LRESULT OnActivateApp(WPARAM active, LPARAM);
    afx_msg LRESULT OnRepaintRequest(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    struct Tool {
        HWND window;
        HtmlToolInfo info;
    };

    // The state machine.
    void SetNewTool(HWND identity, const HtmlToolInfo& info, bool useDelay, int showMode);
    void StartHiding();
    void StartAutopop(const HtmlToolInfo& info);
    void StepInitial();
    void StepAutopop();
    void StepFadeIn();
    void StepFadeOut();
    void StepAnimation();
    void ForgetCurrentTool();

    // Tools.
    std::optional<Tool> FindTool(POINT ownerClient) const;
    static bool SameRect(const RECT& a, const RECT& b);
    HtmlToolInfo* FindRecord(HWND window, UINT id);
    const HtmlToolInfo* FindRecord(HWND window, UINT id) const;
    bool IsOverVisibleTip(POINT screen) const;

    // Showing and drawing.
    bool ShowPendingTool(POINT position);
    void DrawTip(int transparency);
    void RenderTipImage();
    void DrawBackground(CBitmap& target, const HtmlToolInfo& info);
    CString LoadText(UINT textId) const;

    htmltip::ITipPlatform& Platform() const;

    CHtmlDrawer m_drawer;
    HWND m_owner;
    HWND m_notify;
    bool m_repaintOnRequest = true;
    POINT m_lastMouse{-1000000, -1000000};
    HWND m_currentTool;
    int m_showMode = htmltip::kShowFromMouse;
    HtmlToolInfo m_current;

    bool m_waiting = false;
    bool m_delayWanted = false;
    HWND m_pendingTool;
    int m_pendingShowMode = htmltip::kShowFromMouse;
    HtmlToolInfo m_pending;

    RECT m_textRect{};
    RECT m_bodyRect{};
    RECT m_windowRect{};
    int m_transparency = 0;
    htmltip::TipState m_state = htmltip::TipState::Hidden;

    COLORREF m_defaultBegin = 0;
    COLORREF m_defaultMid = 0;
    COLORREF m_defaultEnd = 0;
    CBrush m_borderBrush;
    int m_borderWidth = 0;
    int m_borderHeight = 0;

    // The prepared tip: background, shape and placement of the last showing
    // (the placement's top-left corner follows the window when it moves).
    std::unique_ptr<CBitmap> m_background;
    SIZE m_backgroundSize{};
    // The noise the background was made with, and whether the tip's first
    // drawing went onto it (so that a later one must make it again).
    std::uint32_t m_backgroundNoise = 0;
    bool m_backgroundUsed = false;
    QRegion m_shape;
    QRegion m_windowShape;
    CRgn m_region;
    htmltip::TipPlacement m_placement;
    QImage m_composed;
    // The tip's colours without shadow are read from the background bitmap it
    // was drawn on; only where its pixels cannot be reached are they copied
    // here (0x??RRGGBB, the top byte means nothing).
    std::vector<std::uint32_t> m_tipPixels;
    bool m_tipCopied = false;
    bool m_tipReady = false;
    // The shadow's cover of each pixel (0 to 1), made once per shape: most
    // rows of a tip's shadow are alike, so only rows unlike the one above
    // are stored, and each row of the tip names its stored row.
    std::vector<float> m_shadowCover;
    std::vector<int> m_shadowCoverRow;
    // Memory of the shadow's making, kept from one shape to the next.
    std::vector<float> m_shadowTable;
    // What m_shadowCover was made for: a tip of the same shape and size shown
    // again casts the same shadow.
    struct ShadowKey {
        QRegion shape;
        SIZE size{};
        bool blurred = false;
        int blurX = 0;
        int blurY = 0;
        bool operator==(const ShadowKey& o) const
        {
            return size.cx == o.size.cx && size.cy == o.size.cy && blurred == o.blurred && blurX == o.blurX &&
                   blurY == o.blurY && shape == o.shape;
        }
    };
    ShadowKey m_shadowKey;
    // The shadow alone on a transparent window, as last composed, and what for.
    struct ShadowLayerKey {
        SIZE tip{};
        int width = 0;
        int height = 0;
        int offsetX = 0;
        int offsetY = 0;
        int strength = 0;
        bool operator==(const ShadowLayerKey& o) const
        {
            return tip.cx == o.tip.cx && tip.cy == o.tip.cy && width == o.width && height == o.height &&
                   offsetX == o.offsetX && offsetY == o.offsetY && strength == o.strength;
        }
    };
    // Its rows alike are stored once, as the cover's: a row of the window
    // names its stored row, or none where the shadow does not reach.
    std::vector<QRgb> m_shadowLayer;
    std::vector<int> m_shadowLayerRow;
    std::vector<int> m_shadowRunEnd;  // beside each stored pixel: where its run of one shade ends
    ShadowLayerKey m_shadowLayerKey;
    bool m_shadowLayerFresh = false;  // made from the current m_shadowCover

    bool m_shadowBlurred = true;
    int m_shadowOffsetX = 6;
    int m_shadowOffsetY = 6;
    int m_shadowBlurX = 7;
    int m_shadowBlurY = 7;
    int m_shadowDarkness = 50;

    UINT m_autopopMs = 5000;
    UINT m_initialMs = 500;
    UINT m_fadeInMs = 500;
    UINT m_fadeOutMs = 500;

    UINT m_defaultBehaviour = 0;
    UINT m_defaultEffect = 0;
    UINT m_defaultDirection = 0x10;
    UINT m_defaultStyle = 0;
    BYTE m_defaultGranularity = 0;
    BYTE m_defaultTransparency = 0;
    bool m_fadeInEnabled = true;
    bool m_fadeOutEnabled = true;
    int m_sizes[htmltip::kSizeCount] = {};

    std::map<HWND, std::vector<HtmlToolInfo>> m_tools;
    // Icons registered for markup by AddTool and ShowHelpTooltip, by handle value.
    std::map<std::uint64_t, htmltip::ScopedMarkupHandle> m_iconHandles;

    htmltip::ITipPlatform* m_platform = nullptr;
    std::unique_ptr<htmltip::ITipPlatform> m_ownPlatform;
};
