// Tool tips by control: a CToolTipCtrl knows tools (a window, or a
// rectangle of a window with an id) and their texts, and shows a tool's
// text when the pointer rests on it. A tool whose text is
// LPSTR_TEXTCALLBACK asks its window's parent each time with TTN_NEEDTEXT
// (NMTTDISPINFO). EnableToolTips does the same for every control of a
// window, asking the window itself (TTN_NEEDTEXT with TTF_IDISHWND: idFrom
// is the control's handle).
#pragma once

#include "platform/core/Geometry.h"
#include "platform/ui/WindowApi.h"

#include <vector>

inline constexpr UINT TTF_IDISHWND = 0x0001;
inline constexpr UINT TTF_CENTERTIP = 0x0002;
inline constexpr UINT TTF_SUBCLASS = 0x0010;
inline constexpr DWORD TTS_ALWAYSTIP = 0x01;
inline constexpr DWORD TTS_NOPREFIX = 0x02;
inline constexpr int TTDT_AUTOMATIC = 0;
inline constexpr int TTDT_RESHOW = 1;
inline constexpr int TTDT_AUTOPOP = 2;
inline constexpr int TTDT_INITIAL = 3;
inline constexpr UINT TTN_FIRST = 0u - 520u;
inline constexpr UINT TTN_GETDISPINFOW = TTN_FIRST - 10;
inline constexpr UINT TTN_NEEDTEXTW = TTN_GETDISPINFOW;
inline constexpr UINT TTN_NEEDTEXT = TTN_NEEDTEXTW;
inline constexpr UINT TTN_SHOW = TTN_FIRST - 1;
inline constexpr UINT TTN_POP = TTN_FIRST - 2;
inline const LPWSTR LPSTR_TEXTCALLBACKW = reinterpret_cast<LPWSTR>(static_cast<std::intptr_t>(-1));
inline const LPWSTR LPSTR_TEXTCALLBACK = LPSTR_TEXTCALLBACKW;

struct NMTTDISPINFOW {
    NMHDR hdr;
    LPWSTR lpszText = nullptr;
    char16_t szText[80] = {};
    HINSTANCE hinst;
    UINT uFlags = 0;
    LPARAM lParam = 0;
};
using NMTTDISPINFO = NMTTDISPINFOW;
using TOOLTIPTEXTW = NMTTDISPINFOW;
using TOOLTIPTEXT = NMTTDISPINFOW;
using LPNMTTDISPINFO = NMTTDISPINFOW*;

class CToolTipCtrl : public CWnd {
    DECLARE_DYNAMIC(CToolTipCtrl)

public:
    CToolTipCtrl();
    ~CToolTipCtrl() override;

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    // A window as a tool (nIDTool 0), or a rectangle of it with an id.
    BOOL AddTool(CWnd* pWnd, LPCTSTR lpszText = LPSTR_TEXTCALLBACK, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
    BOOL AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
    void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(LPCTSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(UINT nIDText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    void SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect);
    int GetToolCount() const { return static_cast<int>(m_tools.size()); }
    void Activate(BOOL bActivate) { m_active = bActivate != FALSE; }
    BOOL IsActive() const { return m_active ? TRUE : FALSE; }
    int SetMaxTipWidth(int iWidth);
    int GetMaxTipWidth() const { return m_maxWidth; }
    void SetDelayTime(DWORD dwDuration, int iTime = TTDT_AUTOMATIC);
    // Passes a mouse message of a tool's window (tools are watched already;
    // kept for the code that relays).
    void RelayEvent(MSG*) {}
    // The text the tool under a client point of pWnd shows now (empty for
    // none): its own text, or its window's parent's answer.
    CString TextAt(CWnd* pWnd, POINT point);

private:
    struct Tool {
        HWND window;
        UINT_PTR id = 0;
        CRect rect;
        bool wholeWindow = true;
        bool callback = false;
        CString text;
    };
    Tool* Find(HWND window, UINT_PTR id);

    std::vector<Tool> m_tools;
    bool m_active = true;
    int m_maxWidth = -1;
};

namespace platform {

// Tool tips for every control of pWnd (present and later), each asking
// pWnd for its text with TTN_NEEDTEXT; FALSE turns them off.
BOOL EnableToolTips(CWnd* pWnd, BOOL bEnable = TRUE);
// The text a control of a window with tool tips shows now (empty for none).
CString ToolTipTextOf(HWND control);

}  // namespace platform
