#include "platform/core/Wnd.h"

#include "platform/core/CmdUI.h"
#include "platform/core/ThreadQueue.h"
#include "platform/core/WindowRegistry.h"

#include <atomic>
#include <cstdio>
#include <exception>

using platform::detail::WindowRegistry;

namespace {

std::atomic<platform::WindowPeerFactory> g_peerFactory{nullptr};

// The message being handled on this thread, innermost first.
thread_local const MSG* t_currentMessage = nullptr;
// Time of the last posted message handled: sent messages have none of their own.
thread_local DWORD t_lastMessageTime = 0;

LRESULT CallWindow(CWnd& wnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD time = 0)
{
    if (time != 0)
        t_lastMessageTime = time;
    MSG current;
    current.hwnd = hWnd;
    current.message = message;
    current.wParam = wParam;
    current.lParam = lParam;
    current.time = t_lastMessageTime;
    const MSG* saved = t_currentMessage;
    t_currentMessage = &current;
    LRESULT result = 0;
    try {
        result = wnd.WindowProc(message, wParam, lParam);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "message 0x%04X: exception stopped: %s\n", message, e.what());
    } catch (...) {
        std::fprintf(stderr, "message 0x%04X: exception stopped\n", message);
    }
    t_currentMessage = saved;
    return result;
}

bool OwnedByCallingThread(const std::shared_ptr<platform::detail::ThreadQueue>& queue)
{
    return queue && queue.get() == platform::detail::CurrentQueueIfAny();
}

BOOL DestroyHandle(HWND hWnd)
{
    WindowRegistry& registry = WindowRegistry::Instance();
    CWnd* wnd = nullptr;
    std::shared_ptr<platform::detail::ThreadQueue> queue;
    if (!registry.Find(hWnd, &wnd, &queue) || !OwnedByCallingThread(queue))
        return FALSE;
    // A second DestroyWindow from a handler of the first one does nothing.
    if (!registry.BeginDestroy(hWnd))
        return FALSE;

    if (wnd)
        CallWindow(*wnd, hWnd, WM_DESTROY, 0, 0);
    for (HWND child : registry.Children(hWnd))
        DestroyHandle(child);
    // The handlers may have detached or replaced the object.
    wnd = registry.Object(hWnd);
    if (wnd)
        CallWindow(*wnd, hWnd, WM_NCDESTROY, 0, 0);
    wnd = registry.Object(hWnd);

    std::unique_ptr<platform::IWindowPeer> peer = registry.Remove(hWnd);
    queue->PurgeWindow(hWnd);
    peer.reset();
    if (wnd) {
        wnd->m_hWnd = {};
        wnd->PostNcDestroy();
    }
    return TRUE;
}

}  // namespace

namespace platform {

WindowPeerFactory SetWindowPeerFactory(WindowPeerFactory factory)
{
    return g_peerFactory.exchange(factory);
}

namespace detail {

LRESULT DeliverToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD time)
{
    CWnd* wnd = nullptr;
    if (!WindowRegistry::Instance().FindOwned(hwnd, CurrentQueueIfAny(), &wnd))
        return 0;
    if (!wnd)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return CallWindow(*wnd, hwnd, message, wParam, lParam, time);
}

bool PreTranslateChain(MSG* msg)
{
    // SetParent refuses cycles; the bound only guards the walk.
    constexpr int kMaxDepth = 256;
    HWND hwnd = msg->hwnd;
    for (int depth = 0; hwnd && depth < kMaxDepth; ++depth) {
        CWnd* wnd = nullptr;
        HWND parent;
        if (!WindowRegistry::Instance().Links(hwnd, &wnd, &parent))
            break;
        if (wnd && wnd->PreTranslateMessage(msg))
            return true;
        hwnd = parent;
    }
    return false;
}

}  // namespace detail

}  // namespace platform

BOOL DestroyWindow(HWND hWnd)
{
    return DestroyHandle(hWnd);
}

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (!m_hWnd)
        return;
    WindowRegistry& registry = WindowRegistry::Instance();
    CWnd* wnd = nullptr;
    std::shared_ptr<platform::detail::ThreadQueue> queue;
    if (!registry.Find(m_hWnd, &wnd, &queue) || wnd != this)
        return;
    if (OwnedByCallingThread(queue)) {
        // Deleted by a handler while the window is being destroyed: the
        // destruction goes on without an object.
        if (!DestroyWindow() && m_hWnd)
            registry.ReplaceObject(m_hWnd, this, nullptr);
        return;
    }
    // Destroyed on another thread: no handler can run here, but the handle must
    // not keep pointing at a dead object.
    const HWND hWnd = m_hWnd;
    std::unique_ptr<platform::IWindowPeer> peer = registry.Remove(hWnd);
    queue->PurgeWindow(hWnd);
    peer.reset();
    m_hWnd = {};
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    return WindowRegistry::Instance().Object(hWnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return WindowRegistry::Instance().Object(hWnd);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        return FALSE;
    CREATESTRUCTW cs;
    cs.lpCreateParams = lpParam;
    cs.hMenu = HMENU::FromValue(nID);
    cs.hwndParent = pParentWnd ? pParentWnd->m_hWnd : HWND{};
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.style = static_cast<LONG>(dwStyle);
    cs.lpszName = lpszWindowName;
    cs.lpszClass = lpszClassName;
    cs.dwExStyle = dwExStyle;
    if (!PreCreateWindow(cs))
        return FALSE;
    if (cs.hwndParent && !::IsWindow(cs.hwndParent))
        return FALSE;

    platform::detail::WindowAttributes attributes;
    attributes.parent = cs.hwndParent;
    attributes.id = nID;
    attributes.style = static_cast<DWORD>(cs.style);
    attributes.exStyle = cs.dwExStyle;
    m_hWnd = WindowRegistry::Instance().Add(this, platform::detail::CurrentQueue(), attributes);

    if (platform::WindowPeerFactory factory = g_peerFactory.load()) {
        if (std::unique_ptr<platform::IWindowPeer> peer = factory(*this, cs))
            SetPeer(std::move(peer));
    }
    const HWND hWnd = m_hWnd;
    if (!CallWindow(*this, hWnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) ||
        CallWindow(*this, hWnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        // PostNcDestroy may delete this object: nothing of it is touched after.
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? DestroyHandle(m_hWnd) : FALSE;
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (m_hWnd || !hWndNew)
        return FALSE;
    if (!WindowRegistry::Instance().ReplaceObject(hWndNew, nullptr, this))
        return FALSE;
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach()
{
    const HWND hWnd = m_hWnd;
    if (hWnd)
        WindowRegistry::Instance().ReplaceObject(hWnd, this, nullptr);
    m_hWnd = {};
    return hWnd;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    // A window that does not exist takes no posts (a null handle would post
    // to the thread instead).
    if (!m_hWnd)
        return FALSE;
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer)
{
    if (!m_hWnd)
        return 0;
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    if (!m_hWnd)
        return FALSE;
    return ::KillTimer(m_hWnd, nIDEvent);
}

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType)
{
    const CString caption = lpszCaption ? CString(lpszCaption) : platform::GetAppTitle();
    return ::MessageBoxW(m_hWnd, lpszText, caption.GetString(), nType);
}

int CWnd::GetDlgCtrlID() const
{
    return ::GetDlgCtrlID(m_hWnd);
}

DWORD CWnd::GetStyle() const
{
    return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
}

DWORD CWnd::GetExStyle() const
{
    return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE));
}

CWnd* CWnd::GetParent() const
{
    return FromHandle(::GetParent(m_hWnd));
}

platform::IWindowPeer* CWnd::GetPeer() const
{
    return WindowRegistry::Instance().Peer(m_hWnd);
}

void CWnd::SetPeer(std::unique_ptr<platform::IWindowPeer> peer)
{
    std::unique_ptr<platform::IWindowPeer> old = WindowRegistry::Instance().ReplacePeer(m_hWnd, std::move(peer));
    old.reset();
}

const MSG* CWnd::GetCurrentMessage()
{
    return t_currentMessage;
}

LRESULT CWnd::Default()
{
    const MSG* msg = t_currentMessage;
    if (!msg)
        return 0;
    return DefWindowProc(msg->message, msg->wParam, msg->lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT ignored = 0;
    if (!pResult)
        pResult = &ignored;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *pResult = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        if (lParam == 0)
            return FALSE;
        LRESULT result = 0;
        if (!OnNotify(wParam, lParam, &result))
            return FALSE;
        *pResult = result;
        return TRUE;
    }
    const platform::MessageMapEntry* entry = platform::FindMessageEntry(GetMessageMap(), message);
    if (!entry)
        return FALSE;
    platform::MessageCall call;
    call.message = message;
    call.wParam = wParam;
    call.lParam = lParam;
    if (!entry->invoke(*this, *entry, call))
        return FALSE;
    *pResult = call.result;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT nID = LOWORD(wParam);
    int nCode = HIWORD(wParam);
    const HWND hWndCtrl = HWND::FromLParam(lParam);
    if (!hWndCtrl) {
        // Menus (code 0) and accelerators (code 1): a command that its update
        // handler disables is not run.
        if (nCode == 0 || nCode == 1) {
            CCmdUI state;
            state.m_nID = nID;
            OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &state, nullptr);
            if (!state.m_bEnabled)
                return TRUE;
            nCode = CN_COMMAND;
        }
    } else if (CWnd* child = FromHandle(hWndCtrl)) {
        if (child != this && child->OnChildNotify(WM_COMMAND, wParam, lParam, nullptr))
            return TRUE;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header)
        return FALSE;
    if (CWnd* child = FromHandle(header->hwndFrom)) {
        if (child != this && child->OnChildNotify(WM_NOTIFY, wParam, lParam, pResult))
            return TRUE;
    }
    AFX_NOTIFY notify{pResult, header};
    // The sender's control id routes it: a tool tip's idFrom names its tool
    // (a window handle), not the sender.
    const UINT nID = ::IsWindow(header->hwndFrom) ? static_cast<UINT>(::GetDlgCtrlID(header->hwndFrom))
                                                  : static_cast<UINT>(header->idFrom);
    const int nCode = static_cast<int>(MAKELONG(LOWORD(header->code), WM_NOTIFY));
    return OnCmdMsg(nID, nCode, &notify, nullptr);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT ignored = 0;
    if (!pResult)
        pResult = &ignored;
    switch (message) {
    case WM_COMMAND: {
        // Reflected commands are command entries whose code carries the
        // reflected message in its high word (ON_CONTROL_REFLECT).
        const int nCode = static_cast<int>(MAKELONG(HIWORD(wParam), WM_REFLECT_BASE + WM_COMMAND));
        if (!CCmdTarget::OnCmdMsg(0, nCode, nullptr, nullptr))
            return FALSE;
        *pResult = 1;
        return TRUE;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (!header)
            return FALSE;
        AFX_NOTIFY notify{pResult, header};
        const int nCode = static_cast<int>(MAKELONG(LOWORD(header->code), WM_REFLECT_BASE + WM_NOTIFY));
        return CCmdTarget::OnCmdMsg(0, nCode, &notify, nullptr);
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        // wParam is the device context; lParam becomes the CTLCOLOR_ type.
        // Only a brush counts as handled.
        LRESULT brush = 0;
        if (!OnWndMsg(WM_REFLECT_BASE + WM_CTLCOLOR, wParam, static_cast<LPARAM>(message - WM_CTLCOLORMSGBOX), &brush) ||
            brush == 0)
            return FALSE;
        *pResult = brush;
        return TRUE;
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_PARENTNOTIFY:
        return OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
    default:
        return FALSE;
    }
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult)
{
    const MSG* msg = t_currentMessage;
    CWnd* child = FromHandle(hWndChild);
    if (!msg || !child)
        return FALSE;
    return child->OnChildNotify(msg->message, msg->wParam, msg->lParam, pResult);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW&)
{
    return TRUE;
}

void CWnd::PostNcDestroy() {}

int CWnd::OnCreate(LPCREATESTRUCT)
{
    return static_cast<int>(Default());
}

void CWnd::OnDestroy()
{
    Default();
}

void CWnd::OnNcDestroy()
{
    Default();
}

void CWnd::OnClose()
{
    Default();
}

void CWnd::OnTimer(UINT_PTR)
{
    Default();
}

void CWnd::OnSysCommand(UINT, LPARAM)
{
    Default();
}
