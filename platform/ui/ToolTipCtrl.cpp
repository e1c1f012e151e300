#include "platform/ui/ToolTipCtrl.h"

#include "platform/core/ResourceModule.h"
#include "platform/ui/WidgetPeer.h"

#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>

#include <algorithm>
#include <set>

namespace {

std::vector<CToolTipCtrl*>& Controls()
{
    static std::vector<CToolTipCtrl*> controls;
    return controls;
}

std::set<HWND>& TipOwners()
{
    static std::set<HWND> owners;
    return owners;
}

// The text a TTN_NEEDTEXT answer gives.
CString AnswerText(const NMTTDISPINFOW& info)
{
    if (info.lpszText && info.lpszText != LPSTR_TEXTCALLBACK) {
        if (IS_INTRESOURCE(info.lpszText)) {
            CString text;
            text.LoadString(static_cast<UINT>(reinterpret_cast<std::uintptr_t>(info.lpszText)));
            return text;
        }
        return CString(info.lpszText);
    }
    return CString(info.szText);
}

CString AskOwner(HWND owner, HWND from, UINT_PTR id, UINT flags)
{
    if (!owner || !::IsWindow(owner)) return CString();
    NMTTDISPINFOW info;
    info.hdr.hwndFrom = from;
    info.hdr.idFrom = id;
    info.hdr.code = TTN_NEEDTEXT;
    info.uFlags = flags;
    ::SendMessageW(owner, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&info));
    return AnswerText(info);
}

// The sender of the notifications of EnableToolTips: a window with id 0,
// as a tool-tip control is.
HWND TipSender()
{
    static CWnd* sender = nullptr;
    if (!sender || !::IsWindow(sender->GetSafeHwnd())) {
        delete sender;
        sender = new CWnd;
        if (!sender->CreateEx(0, u"tooltips_class32", nullptr, WS_POPUP, CRect(0, 0, 0, 0), nullptr, 0)) return HWND();
    }
    return sender->GetSafeHwnd();
}

CString OwnerTextOf(HWND control)
{
    // The nearest window with tool tips enabled asks about its control.
    HWND child = control;
    for (int depth = 0; child && depth < 64; ++depth) {
        const HWND parent = ::GetParent(child);
        if (!parent) break;
        if (TipOwners().count(parent)) {
            return AskOwner(parent, TipSender(), static_cast<UINT_PTR>(control.Value()), TTF_IDISHWND);
        }
        child = parent;
    }
    return CString();
}

CString TextAtPoint(HWND hwnd, POINT at)
{
    for (CToolTipCtrl* ctrl : Controls()) {
        if (!ctrl->IsActive()) continue;
        CWnd* wnd = CWnd::FromHandle(hwnd);
        if (!wnd) continue;
        const CString text = ctrl->TextAt(wnd, at);
        if (!text.IsEmpty()) return text;
    }
    return OwnerTextOf(hwnd);
}

// Shows the tips when the toolkit asks for one.
class TipFilter final : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip || !object->isWidgetType()) return false;
        if (Controls().empty() && TipOwners().empty()) return false;
        platform::ui::WidgetPeer* peer = platform::ui::WidgetPeer::FromWidget(object);
        if (!peer || !peer->Widget()) return false;
        auto* help = static_cast<QHelpEvent*>(event);
        const QPoint local = peer->Widget()->mapFromGlobal(help->globalPos());
        const CString text = TextAtPoint(peer->Handle(), POINT{local.x(), local.y()});
        if (text.IsEmpty()) return false;
        QToolTip::showText(help->globalPos(), platform::ui::ToQString(text), static_cast<QWidget*>(object));
        return true;
    }
};

void InstallFilter()
{
    static TipFilter* filter = nullptr;
    if (filter || !qApp) return;
    filter = new TipFilter;
    qApp->installEventFilter(filter);
}

}  // namespace

IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)

CToolTipCtrl::CToolTipCtrl() = default;

CToolTipCtrl::~CToolTipCtrl()
{
    auto& controls = Controls();
    controls.erase(std::remove(controls.begin(), controls.end(), this), controls.end());
}

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle)
{
    // A window that only receives messages: the tips are the toolkit's.
    if (!CreateEx(0, u"tooltips_class32", nullptr, WS_POPUP | dwStyle, CRect(0, 0, 0, 0), pParentWnd, 0)) return FALSE;
    if (std::find(Controls().begin(), Controls().end(), this) == Controls().end()) Controls().push_back(this);
    if (platform::ui::OnUiThread()) InstallFilter();
    return TRUE;
}

CToolTipCtrl::Tool* CToolTipCtrl::Find(HWND window, UINT_PTR id)
{
    for (Tool& tool : m_tools) {
        if (tool.window == window && tool.id == id) return &tool;
    }
    return nullptr;
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCTSTR lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool)
{
    if (!pWnd || !::IsWindow(pWnd->GetSafeHwnd())) return FALSE;
    Tool tool;
    tool.window = pWnd->GetSafeHwnd();
    tool.id = nIDTool;
    tool.wholeWindow = lpRectTool == nullptr;
    if (lpRectTool) tool.rect = *lpRectTool;
    tool.callback = lpszText == LPSTR_TEXTCALLBACK;
    if (!tool.callback && lpszText) tool.text = lpszText;
    if (Tool* existing = Find(tool.window, tool.id)) {
        *existing = tool;
    } else {
        m_tools.push_back(tool);
    }
    return TRUE;
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool, UINT_PTR nIDTool)
{
    CString text;
    text.LoadString(nIDText);
    return AddTool(pWnd, text.GetString(), lpRectTool, nIDTool);
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR nIDTool)
{
    if (!pWnd) return;
    const HWND window = pWnd->GetSafeHwnd();
    m_tools.erase(std::remove_if(m_tools.begin(), m_tools.end(),
                                 [&](const Tool& t) { return t.window == window && t.id == nIDTool; }),
                  m_tools.end());
}

void CToolTipCtrl::UpdateTipText(LPCTSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool)
{
    Tool* tool = pWnd ? Find(pWnd->GetSafeHwnd(), nIDTool) : nullptr;
    if (!tool) return;
    tool->callback = lpszText == LPSTR_TEXTCALLBACK;
    tool->text = tool->callback || !lpszText ? CString() : CString(lpszText);
}

void CToolTipCtrl::UpdateTipText(UINT nIDText, CWnd* pWnd, UINT_PTR nIDTool)
{
    CString text;
    text.LoadString(nIDText);
    UpdateTipText(text.GetString(), pWnd, nIDTool);
}

void CToolTipCtrl::SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect)
{
    Tool* tool = pWnd ? Find(pWnd->GetSafeHwnd(), nIDTool) : nullptr;
    if (!tool || !lpRect) return;
    tool->rect = *lpRect;
    tool->wholeWindow = false;
}

int CToolTipCtrl::SetMaxTipWidth(int iWidth)
{
    const int previous = m_maxWidth;
    m_maxWidth = iWidth;
    return previous;
}

void CToolTipCtrl::SetDelayTime(DWORD, int) {}

CString CToolTipCtrl::TextAt(CWnd* pWnd, POINT point)
{
    if (!pWnd || !m_active) return CString();
    const HWND window = pWnd->GetSafeHwnd();
    for (const Tool& tool : m_tools) {
        if (tool.window != window) continue;
        if (!tool.wholeWindow && !tool.rect.PtInRect(point)) continue;
        if (!tool.callback) return tool.text;
        // A window tool asks its parent; a rectangle asks its window.
        if (tool.wholeWindow) {
            return AskOwner(::GetParent(window), m_hWnd, static_cast<UINT_PTR>(window.Value()), TTF_IDISHWND);
        }
        return AskOwner(window, m_hWnd, tool.id, 0);
    }
    return CString();
}

namespace platform {

BOOL EnableToolTips(CWnd* pWnd, BOOL bEnable)
{
    if (!pWnd || !::IsWindow(pWnd->GetSafeHwnd())) return FALSE;
    if (bEnable) {
        TipOwners().insert(pWnd->GetSafeHwnd());
        if (ui::OnUiThread()) InstallFilter();
    } else {
        TipOwners().erase(pWnd->GetSafeHwnd());
    }
    // Forget owners that are gone.
    for (auto it = TipOwners().begin(); it != TipOwners().end();) {
        it = ::IsWindow(*it) ? std::next(it) : TipOwners().erase(it);
    }
    return TRUE;
}

CString ToolTipTextOf(HWND control) { return TextAtPoint(control, POINT{0, 0}); }

}  // namespace platform
