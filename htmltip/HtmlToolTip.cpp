#include "htmltip/HtmlToolTip.h"

#include "htmltip/GdiMarkupImage.h"
#include "htmltip/HtmlMath.h"
#include "htmltip/KeptImageMemory.h"
#include "htmltip/TipBlend.h"
#include "htmltip/WindowTipPlatform.h"

#include "platform/core/ResourceModule.h"
#include "platform/ui/DcPixels.h"
#include "platform/ui/UserInterface.h"
#include "platform/ui/WindowSurface.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <array>
#include <cmath>

using namespace htmltip;

namespace {

// Non-client button messages that end a tip like the client ones.
constexpr UINT kNcLeftDoubleClick = 0x00A3;
constexpr UINT kNcRightDown = 0x00A4;
constexpr UINT kNcRightDoubleClick = 0x00A6;
constexpr UINT kNcMiddleDown = 0x00A7;
constexpr UINT kNcMiddleDoubleClick = 0x00A9;
constexpr UINT kRightDown = 0x0204;
constexpr UINT kRightDoubleClick = 0x0206;
constexpr UINT kMiddleDown = 0x0207;
constexpr UINT kLeftDown = 0x0201;

constexpr int kBalloonSizes[kSizeCount] = {16, 16, 12, 12, 12, 16, 16, 0, 0};
constexpr int kRectangleSizes[kSizeCount] = {0, 0, 3, 1, 0, 0, 0, 0, 0};
constexpr int kFadeStep = 20;
constexpr BYTE kBackgroundBlend = 5;

// Until a window layer gives the tooltip its windows, nothing shows: no
// timer runs, no window is found under the mouse.
class InertTipPlatform : public ITipPlatform {
public:
    void StartTimer(UINT, UINT) override {}
    void StopTimer(UINT) override {}
    POINT GetCursorPos() override { return POINT{}; }
    RECT GetVirtualScreen() override
    {
        const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
        const int y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
        return RECT{x, y, x + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), y + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    }
    HWND WindowFromPoint(POINT) override { return HWND(); }
    HWND ChildWindowFromPoint(HWND window, POINT) override { return window; }
    HWND GetParent(HWND window) override { return ::GetParent(window); }
    bool IsDropDownCombo(HWND) override { return false; }
    bool IsWindowEnabled(HWND) override { return true; }
    POINT ScreenToClient(HWND, POINT screen) override { return screen; }
    POINT ClientToScreen(HWND, POINT client) override { return client; }
    POINT GetScrollPosition(HWND) override { return POINT{}; }
    void ShowTip(POINT, SIZE, const QRegion&, bool) override { m_visible = true; }
    void MoveTip(POINT) override {}
    void HideTip() override { m_visible = false; }
    bool IsTipVisible() override { return m_visible; }
    void PresentTip(const QImage&) override {}
    void SetArrowCursor() override {}

private:
    bool m_visible = false;
};

InertTipPlatform& DefaultPlatform()
{
    static InertTipPlatform platform;
    return platform;
}

POINT PointOf(LPARAM lParam)
{
    return POINT{static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(lParam))),
                 static_cast<SHORT>(HIWORD(static_cast<std::uintptr_t>(lParam)))};
}

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// A memory DC with a bitmap selected for the life of the object.
class BitmapDc {
public:
    explicit BitmapDc(CBitmap& bitmap)
    {
        m_dc.CreateCompatibleDC(nullptr);
        m_old = m_dc.SelectObject(&bitmap);
    }
    ~BitmapDc() { m_dc.SelectObject(m_old); }
    BitmapDc(const BitmapDc&) = delete;
    BitmapDc& operator=(const BitmapDc&) = delete;
    CDC* operator->() { return &m_dc; }
    CDC* Get() { return &m_dc; }

private:
    CDC m_dc;
    CBitmap* m_old = nullptr;
};

std::unique_ptr<CBitmap> MakeBitmap(int width, int height)
{
    if (width <= 0 || height <= 0) return nullptr;
    CClientDC screen(HWND{});
    auto bitmap = std::make_unique<CBitmap>();
    if (!bitmap->CreateCompatibleBitmap(&screen, width, height)) return nullptr;
    return bitmap;
}

// Makes a bitmap of MakeBitmap's as new again: every pixel zero. False when
// its pixels cannot be reached or its alpha rules are no longer a new one's.
bool ClearBitmap(CBitmap& bitmap)
{
    BitmapDc dc(bitmap);
    platform::DcPixels pixels;
    if (!platform::GetDcPixels(dc->GetSafeHdc(), pixels) || pixels.opaque == 0) return false;
    for (int y = 0; y < pixels.height; ++y)
        std::memset(pixels.Row(y), 0, static_cast<std::size_t>(pixels.width) * sizeof(std::uint32_t));
    return true;
}

}  // namespace

BEGIN_MESSAGE_MAP(CHtmlToolTip, CWnd)
    ON_WM_TIMER()
    ON_MESSAGE(WM_PAINT, &CHtmlToolTip::OnPaintMessage)
    ON_MESSAGE(WM_SETCURSOR, &CHtmlToolTip::OnSetCursorMessage)
    ON_MESSAGE(WM_ACTIVATEAPP, &CHtmlToolTip::OnActivateApp)
    ON_MESSAGE(kRepaintRequestMessage, &CHtmlToolTip::OnRepaintRequest)
END_MESSAGE_MAP()

CHtmlToolTip::CHtmlToolTip()
{
    SetColorBk(::GetSysColor(COLOR_INFOBK));
    SetBorder(::GetSysColor(COLOR_INFOTEXT), 1, 1);
    m_repaintOnRequest = true;
    SetNotify(FALSE);
    SetSizes(TRUE);
    m_defaultDirection = HTML_TIP_BOTTOM_EDGE;
    m_defaultBehaviour = 0;
    m_drawer.SetMaxWidth(0);
    // So by default a tip shows and hides without fading.
    SetDelayTime(kDelayInitial, 500);
    SetDelayTime(kDelayAutopop, 5000);
    SetDelayTime(kDelayFadeIn, 0);
    SetDelayTime(kDelayFadeOut, 0);
    SetTooltipShadow(6, 6, 50, TRUE, 7, 7);
}

CHtmlToolTip::~CHtmlToolTip()
{
    // Our own handlers must still run while the window goes.
    if (m_hWnd) DestroyWindow();
}

ITipPlatform& CHtmlToolTip::Platform() const
{
    if (m_platform) return *m_platform;
    return m_ownPlatform ? *m_ownPlatform : DefaultPlatform();
}

void CHtmlToolTip::SetPlatform(ITipPlatform* platform) { m_platform = platform; }

BOOL CHtmlToolTip::Create(CWnd* owner, BOOL balloon)
{
    if (m_hWnd) return FALSE;
    if (!CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, AfxRegisterWndClass(0), u"", WS_POPUP, RECT{0, 0, 0, 0}, owner, 0))
        return FALSE;
    m_owner = owner ? owner->GetSafeHwnd() : HWND();
    if (!m_platform && platform::UserInterface::IsRunning()) m_ownPlatform = std::make_unique<WindowTipPlatform>(*this);
    SetSizes(balloon);
    // Markup that names "iddll" resources and style sheets by id reads the
    // current resource module.
    m_drawer.SetResourceModule(AfxGetResourceHandle());
    m_drawer.SetCallbackRepaint(m_hWnd, kRepaintRequestMessage, 0);
    Platform().StartTimer(kTimerAnimation, kAnimationPeriodMs);
    return TRUE;
}

BOOL CHtmlToolTip::DestroyWindow()
{
    Pop();
    Platform().StopTimer(kTimerAnimation);
    const BOOL destroyed = CWnd::DestroyWindow();
    m_ownPlatform.reset();
    return destroyed;
}

BOOL CHtmlToolTip::PreTranslateMessage(MSG* msg)
{
    RelayEvent(msg);
    return CWnd::PreTranslateMessage(msg);
}

void CHtmlToolTip::DrawBorder(CDC* dc, CRgn* region)
{
    if (!dc || !region) return;
    dc->FrameRgn(region, &m_borderBrush, m_borderWidth, m_borderHeight);
}

// ------------------------------------------------------------------ relaying

BOOL CHtmlToolTip::RelayEvent(MSG* msg)
{
    if (!m_hWnd || !msg) return FALSE;
    switch (msg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_NCLBUTTONDOWN:
    case kNcLeftDoubleClick:
    case kNcRightDown:
    case kNcRightDoubleClick:
    case kNcMiddleDown:
    case kNcMiddleDoubleClick:
    case WM_LBUTTONDBLCLK:
    case kRightDown:
    case kRightDoubleClick:
    case kMiddleDown:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
        Pop();
        return FALSE;
    case kLeftDown: {
        const POINT screen = Platform().ClientToScreen(msg->hwnd, PointOf(msg->lParam));
        if (IsOverVisibleTip(screen)) {
            m_drawer.OnLButtonDown(POINT{screen.x - m_placement.topLeft.x, screen.y - m_placement.topLeft.y});
        }
        Pop();
        return FALSE;
    }
    case WM_MOUSEMOVE:
        break;
    default:
        return FALSE;
    }

    if (m_showMode == kShowHelp || m_pendingShowMode == kShowHelp) return FALSE;
    const POINT screen = Platform().ClientToScreen(msg->hwnd, PointOf(msg->lParam));
    if (screen == m_lastMouse) return FALSE;
    m_lastMouse = screen;
    const POINT ownerClient = Platform().ScreenToClient(m_owner, screen);

    if (IsOverVisibleTip(screen) && !(m_current.behaviour & HTML_TOOL_FOLLOW_MOUSE)) {
        if (m_current.behaviour & HTML_TOOL_STAY_OVER_TIP) {
            StartAutopop(m_current);
        } else {
            StartHiding();
        }
        return FALSE;
    }

    const std::optional<Tool> found = FindTool(ownerClient);
    if (!found) {
        m_currentTool = HWND();
        m_current.rect = RECT{};
        Platform().StopTimer(kTimerInitial);
        StartHiding();
    } else if (found->window == m_currentTool && SameRect(found->info.rect, m_current.rect)) {
        const UINT behaviour = m_current.behaviour;
        if (behaviour & HTML_TOOL_FOLLOW_MOUSE) {
            StartAutopop(m_current);
            m_placement.topLeft = screen;
            Platform().MoveTip(screen);
        } else if (behaviour & HTML_TOOL_STAY_IN_TOOL) {
            StartAutopop(m_current);
        } else if (behaviour & HTML_TOOL_SHOW_AGAIN) {
            SetNewTool(found->window, found->info, true, kShowFromMouse);
        } else {
            StartHiding();
        }
    } else {
        SetNewTool(found->window, found->info, true, kShowFromMouse);
    }
    return FALSE;
}

bool CHtmlToolTip::IsOverVisibleTip(POINT screen) const
{
    if (!Platform().IsTipVisible()) return false;
    return m_windowShape.contains(QPoint(screen.x - m_placement.topLeft.x, screen.y - m_placement.topLeft.y));
}

bool CHtmlToolTip::SameRect(const RECT& a, const RECT& b) { return a == b; }

std::optional<CHtmlToolTip::Tool> CHtmlToolTip::FindTool(POINT ownerClient) const
{
    ITipPlatform& platform = Platform();
    const POINT screen = platform.ClientToScreen(m_owner, ownerClient);
    HWND window = platform.WindowFromPoint(screen);
    if (!window || window == m_hWnd) return std::nullopt;
    const HWND parent = platform.GetParent(window);
    if (parent && platform.IsDropDownCombo(parent)) {
        window = parent;
    } else {
        const HWND child = platform.ChildWindowFromPoint(window, platform.ScreenToClient(window, screen));
        if (child) window = child;
        if (!platform.IsWindowEnabled(window)) return std::nullopt;
    }
    const auto found = m_tools.find(window);
    if (found == m_tools.end() || found->second.empty()) return std::nullopt;
    const std::vector<HtmlToolInfo>& list = found->second;
    if (list.size() == 1 && IsEmpty(list.front().rect)) return Tool{window, list.front()};
    POINT client = platform.ScreenToClient(window, screen);
    const POINT scroll = platform.GetScrollPosition(window);
    client.x += scroll.x;
    client.y += scroll.y;
    for (const HtmlToolInfo& info : list) {
        if (CRect(info.rect).PtInRect(client)) return Tool{window, info};
    }
    return std::nullopt;
}

// ------------------------------------------------------------------ state machine

void CHtmlToolTip::SetNewTool(HWND identity, const HtmlToolInfo& info, bool useDelay, int showMode)
{
    m_waiting = false;
    if (m_state == TipState::FadingIn || m_state == TipState::Shown) StartHiding();
    m_pendingShowMode = showMode;
    m_pendingTool = identity;
    m_pending = info;
    if (m_state != TipState::Hidden) {
        // The tip is still fading out: this tool comes when it has gone.
        m_waiting = true;
        m_delayWanted = useDelay && m_initialMs != 0;
        return;
    }
    if (useDelay && m_initialMs != 0) {
        Platform().StartTimer(kTimerInitial, m_initialMs);
    } else {
        StepInitial();
    }
}

void CHtmlToolTip::StartHiding()
{
    if (m_state == TipState::FadingIn) Platform().StopTimer(kTimerFadeIn);
    if (m_state == TipState::FadingIn || m_state == TipState::Shown) StepAutopop();
}

void CHtmlToolTip::StartAutopop(const HtmlToolInfo& info)
{
    if (m_autopopMs != 0 && !(info.behaviour & HTML_TOOL_NO_AUTOPOP)) {
        Platform().StartTimer(kTimerAutopop, m_autopopMs);
    }
}

void CHtmlToolTip::HandleTimer(UINT id)
{
    switch (id) {
    case kTimerInitial:
        StepInitial();
        break;
    case kTimerAutopop:
        StepAutopop();
        break;
    case kTimerFadeIn:
        StepFadeIn();
        break;
    case kTimerFadeOut:
        StepFadeOut();
        break;
    case kTimerAnimation:
        StepAnimation();
        break;
    default:
        break;
    }
}

void CHtmlToolTip::OnTimer(UINT_PTR id)
{
    if (id >= kTimerInitial && id <= kTimerAnimation) {
        HandleTimer(static_cast<UINT>(id));
        return;
    }
    CWnd::OnTimer(id);
}

void CHtmlToolTip::StepInitial()
{
    Platform().StopTimer(kTimerInitial);
    const bool atStoredPoint = m_pendingShowMode == kShowHelp || m_pendingShowMode == kShowAtPoint;
    const POINT position = atStoredPoint ? m_lastMouse : Platform().GetCursorPos();
    if (!(position == m_lastMouse)) {
        StartHiding();
        return;
    }
    if (m_state != TipState::Hidden) return;
    m_state = TipState::FadingIn;
    if (!ShowPendingTool(position)) {
        // Nothing to show (an empty text): the tip stays hidden.
        m_state = TipState::Hidden;
        return;
    }
    if (m_fadeInEnabled && m_fadeInMs != 0) {
        Platform().StartTimer(kTimerFadeIn, m_fadeInMs);
    } else {
        m_state = TipState::Shown;
        StartAutopop(m_current);
    }
}

void CHtmlToolTip::StepAutopop()
{
    Platform().StopTimer(kTimerInitial);
    Platform().StopTimer(kTimerFadeIn);
    Platform().StopTimer(kTimerAutopop);
    if (m_state == TipState::FadingOut) return;
    m_state = TipState::FadingOut;
    if (m_fadeOutEnabled && m_fadeOutMs != 0) {
        Platform().StartTimer(kTimerFadeOut, m_fadeOutMs);
    } else {
        m_transparency = 100;
        StepFadeOut();
    }
}

void CHtmlToolTip::StepFadeIn()
{
    m_transparency = m_transparency <= kFadeStep ? 0 : m_transparency - kFadeStep;
    if (m_transparency <= m_current.transparency) {
        m_transparency = m_current.transparency;
        Platform().StopTimer(kTimerFadeIn);
        m_state = TipState::Shown;
        StartAutopop(m_current);
    }
    DrawTip(m_transparency);
}

void CHtmlToolTip::StepFadeOut()
{
    m_transparency = m_transparency >= 100 - kFadeStep ? 100 : m_transparency + kFadeStep;
    if (m_transparency < 100) {
        DrawTip(m_transparency);
        return;
    }
    Platform().StopTimer(kTimerFadeOut);
    if (m_current.behaviour & HTML_TOOL_SHOW_AGAIN) ForgetCurrentTool();
    Platform().HideTip();
    m_state = TipState::Hidden;
    if (m_waiting) {
        m_waiting = false;
        if (m_delayWanted) {
            Platform().StartTimer(kTimerInitial, m_initialMs);
        } else {
            StepInitial();
        }
    } else {
        m_showMode = kShowFromMouse;
        m_pendingShowMode = kShowFromMouse;
    }
}

void CHtmlToolTip::StepAnimation()
{
    if (Platform().IsTipVisible() && m_state == TipState::Shown && m_drawer.OnTimer()) {
        m_tipReady = false;
        DrawTip(m_transparency);
    }
}

void CHtmlToolTip::ForgetCurrentTool()
{
    m_currentTool = HWND();
    m_current.rect = RECT{};
}

void CHtmlToolTip::HideTooltip() { StartHiding(); }

void CHtmlToolTip::Pop()
{
    m_state = TipState::Hidden;
    m_showMode = kShowFromMouse;
    m_pendingShowMode = kShowFromMouse;
    m_waiting = false;
    for (UINT id = kTimerInitial; id <= kTimerFadeOut; ++id) Platform().StopTimer(id);
    if (!m_hWnd) return;
    if (m_current.behaviour & HTML_TOOL_SHOW_AGAIN) ForgetCurrentTool();
    Platform().HideTip();
}

// ------------------------------------------------------------------ messages

LRESULT CHtmlToolTip::OnPaintMessage(WPARAM, LPARAM)
{
    DrawTip(m_transparency);
    return 0;
}

LRESULT CHtmlToolTip::OnSetCursorMessage(WPARAM, LPARAM)
{
    const POINT cursor = Platform().GetCursorPos();
    if (!m_drawer.OnSetCursor(POINT{cursor.x - m_placement.topLeft.x, cursor.y - m_placement.topLeft.y})) {
        Platform().SetArrowCursor();
    }
    return TRUE;
}

LRESULT CHtmlToolTip::OnActivateApp(WPARAM active, LPARAM)
{
    if (!active) Pop();
    return 0;
}

LRESULT CHtmlToolTip::OnRepaintRequest(WPARAM, LPARAM)
{
    if (m_repaintOnRequest && m_state != TipState::Hidden) {
        // A link's look changed.
        m_tipReady = false;
        DrawTip(0);
    }
    return 0;
}

// ------------------------------------------------------------------ showing

bool CHtmlToolTip::ShowPendingTool(POINT position)
{
    HtmlToolInfo info = m_pending;
    if (!(info.mask & HTML_TOOL_MASK_STYLE)) info.style = m_defaultStyle;
    if (!(info.mask & HTML_TOOL_MASK_EFFECT)) {
        info.effect = m_defaultEffect;
        info.granularity = m_defaultGranularity;
    }
    if (!(info.mask & HTML_TOOL_MASK_COLORS)) {
        info.colorBegin = m_defaultBegin;
        info.colorMid = m_defaultMid;
        info.colorEnd = m_defaultEnd;
    }
    if (!(info.mask & HTML_TOOL_MASK_DIRECTION)) info.direction = m_defaultDirection;
    if (!(info.mask & HTML_TOOL_MASK_BEHAVIOUR)) info.behaviour = m_defaultBehaviour;
    if (!(info.mask & HTML_TOOL_MASK_TRANSPARENCY)) info.transparency = m_defaultTransparency;
    info.transparency = std::min<BYTE>(info.transparency, 100);

    if (m_notify && m_hWnd && ::IsWindow(m_notify)) {
        HtmlToolTipNotify notify;
        notify.hdr.hwndFrom = m_hWnd;
        notify.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
        notify.hdr.code = HTML_TOOLTIP_SHOWING;
        notify.toolWindow = m_pendingTool;
        notify.position = &position;
        notify.toolInfo = &info;
        ::SendMessage(m_notify, WM_NOTIFY, notify.hdr.idFrom, reinterpret_cast<LPARAM>(&notify));
    }
    if (info.text.IsEmpty()) return false;

    CDC measure;
    if (!measure.CreateCompatibleDC(nullptr)) return false;
    const SIZE text = m_drawer.PrepareOutput(&measure, info.text);
    if (text.cx <= 0 || text.cy <= 0) return false;

    TipSizes sizes;
    sizes.cornerWidth = m_sizes[kSizeCornerWidth];
    sizes.cornerHeight = m_sizes[kSizeCornerHeight];
    sizes.marginX = std::max(m_sizes[kSizeMarginX], 0);
    sizes.marginY = std::max(m_sizes[kSizeMarginY], 0);
    sizes.anchorWidth = m_sizes[kSizeAnchorWidth];
    sizes.anchorHeight = m_sizes[kSizeAnchorHeight];
    sizes.anchorOffset = m_sizes[kSizeAnchorOffset];
    // The body's shape takes in its right and bottom edges, so the window is
    // one pixel wider and taller than the body: the border shows on every side.
    const SIZE body{AddCoord(text.cx, 2LL * sizes.marginX + 1), AddCoord(text.cy, 2LL * sizes.marginY + 1)};
    m_placement = PlaceTip(body, position, info.direction, sizes, Platform().GetVirtualScreen());
    m_bodyRect = m_placement.body;
    m_textRect = RECT{m_bodyRect.left + sizes.marginX, m_bodyRect.top + sizes.marginY,
                      m_bodyRect.left + sizes.marginX + text.cx, m_bodyRect.top + sizes.marginY + text.cy};
    const SIZE window = m_placement.window;

    // The shape: a rounded body and the anchor's triangle.
    m_region.DeleteObject();
    m_region.CreateRoundRectRgn(m_bodyRect.left, m_bodyRect.top, m_bodyRect.right, m_bodyRect.bottom,
                                sizes.cornerWidth, sizes.cornerHeight);
    if (m_placement.hasAnchor) {
        CRgn anchor;
        anchor.CreatePolygonRgn(m_placement.triangle, 3, ALTERNATE);
        m_region.CombineRgn(&m_region, &anchor, RGN_OR);
    }
    m_shape = platform::RegionFromHandle(m_region) & QRegion(0, 0, window.cx, window.cy);

    // A tip of the size shown last is drawn on the same bitmap, cleared.
    m_tipReady = false;
    if (!m_background || m_backgroundSize.cx != window.cx || m_backgroundSize.cy != window.cy ||
        !ClearBitmap(*m_background)) {
        m_background.reset();
        m_background = MakeBitmap(window.cx, window.cy);
        if (!m_background) return false;
        m_backgroundSize = window;
    }
    m_backgroundNoise = m_drawer.GetDrawManager().GetNoiseState();
    m_backgroundUsed = false;
    DrawBackground(*m_background, info);

    m_transparency = m_fadeInEnabled && m_fadeInMs != 0 ? 100 : info.transparency;

    // The shadow falls inside the window, beside the tip.
    SIZE full = window;
    m_windowShape = m_shape;
    if (m_shadowOffsetX != 0 || m_shadowOffsetY != 0) {
        m_windowShape |= m_shape.translated(m_shadowOffsetX, m_shadowOffsetY);
        full.cx += std::max(m_shadowOffsetX, 0);
        full.cy += std::max(m_shadowOffsetY, 0);
        m_windowShape &= QRegion(0, 0, full.cx, full.cy);
    }
    m_windowRect = RECT{0, 0, full.cx, full.cy};

    m_current = info;
    m_currentTool = m_pendingTool;
    m_showMode = m_pendingShowMode;
    m_tipReady = false;
    Platform().ShowTip(m_placement.topLeft, full, m_windowShape, m_showMode == kShowAtPoint);
    DrawTip(m_transparency);
    return true;
}

void CHtmlToolTip::DrawBackground(CBitmap& target, const HtmlToolInfo& info)
{
    // The effect over the body, and the anchor's strip made of copies of the
    // body's row or column beside it.
    const SIZE window = m_placement.window;
    BitmapDc dc(target);
    CDrawManager& manager = m_drawer.GetDrawManager();
    manager.FillEffect(dc.Get(), static_cast<int>(info.effect), m_bodyRect, info.colorBegin, info.colorMid,
                       info.colorEnd, info.granularity, kBackgroundBlend);
    const RECT& b = m_bodyRect;
    const int bw = b.right - b.left;
    const int bh = b.bottom - b.top;
    const auto copy = [&](int x, int y, int w, int h, int sx, int sy, int tw, int th) {
        if (!CopyTilesInPlace(*dc.Get(), x, y, w, h, sx, sy, tw, th))
            manager.MultipleCopy(dc.Get(), x, y, w, h, dc.Get(), sx, sy, tw, th);
    };
    switch (m_placement.direction & 0xF0) {
    case HTML_TIP_TOP_EDGE:
        copy(b.left, 0, bw, b.top, b.left, b.top, bw, 1);
        break;
    case HTML_TIP_BOTTOM_EDGE:
        copy(b.left, b.bottom, bw, window.cy - b.bottom, b.left, b.bottom - 1, bw, 1);
        break;
    case HTML_TIP_LEFT_EDGE:
        copy(0, b.top, b.left, bh, b.left, b.top, 1, bh);
        break;
    default:
        copy(b.right, b.top, window.cx - b.right, bh, b.right - 1, b.top, 1, bh);
        break;
    }
}

void CHtmlToolTip::RenderTipImage()
{
    m_tipReady = false;
    const SIZE tipSize = m_placement.window;
    const ShadowKey key{m_shape, tipSize, m_shadowBlurred, m_shadowBlurX, m_shadowBlurY};
    const bool sameShadow = !m_shadowCover.empty() && key == m_shadowKey;
    if (!sameShadow) m_shadowCover.clear();
    if (!m_background || tipSize.cx <= 0 || tipSize.cy <= 0) return;
    // The first drawing of a showing goes straight onto the background. A
    // later one (a hovered link, an animation step) makes the background
    // again, from the noise it was first made with, and the noise then goes
    // on as if the background had been copied.
    std::unique_ptr<CBitmap> again;
    CBitmap* tipBitmap = m_background.get();
    if (m_backgroundUsed) {
        again = MakeBitmap(tipSize.cx, tipSize.cy);
        if (!again) return;
        CDrawManager& manager = m_drawer.GetDrawManager();
        const std::uint32_t noise = manager.GetNoiseState();
        manager.SetNoiseSeed(m_backgroundNoise);
        DrawBackground(*again, m_current);
        manager.SetNoiseSeed(noise);
        tipBitmap = again.get();
    }
    m_backgroundUsed = true;
    bool reachable = false;
    {
        BitmapDc dc(*tipBitmap);
        m_drawer.DrawPreparedOutput(dc.Get(), m_textRect);
        if (m_borderBrush.GetSafeHandle() && m_borderWidth != 0 && m_borderHeight != 0) DrawBorder(dc.Get(), &m_region);
        platform::DcPixels view;
        reachable = platform::GetDcPixels(dc->GetSafeHdc(), view) && view.width >= tipSize.cx &&
                    view.height >= tipSize.cy;
    }
    // The bitmap drawn on holds the tip's colours from now on: the
    // composition reads them there.
    if (again) m_background = std::move(again);
    m_tipCopied = !reachable;
    if (m_tipCopied) {
        const std::size_t pixels = static_cast<std::size_t>(tipSize.cx) * static_cast<std::size_t>(tipSize.cy);
        m_tipPixels.resize(pixels);
        const auto bytes = static_cast<LONG>(pixels * sizeof(std::uint32_t));
        if (::GetBitmapBits(*m_background, bytes, m_tipPixels.data()) != bytes) return;
    }
    m_tipReady = true;

    if (m_shadowOffsetX == 0 && m_shadowOffsetY == 0) {
        m_shadowCover.clear();
        return;
    }
    if (sameShadow) return;
    // How much of the shape each shadow pixel covers (0 to 1). Blurring is
    // linear, so a mask of any grey darkens by (255 - grey) times this: it
    // is worked out once per shape with a black mask, the shape on white.
    // The mask is needed only while the cover is made: one for the thread's tips.
    thread_local std::vector<BYTE> shadowMask;
    std::vector<BYTE>& mask = shadowMask;
    mask.assign(static_cast<std::size_t>(tipSize.cx) * static_cast<std::size_t>(tipSize.cy), 255);
    for (const QRect& r : m_shape & QRegion(0, 0, tipSize.cx, tipSize.cy))
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::fill_n(mask.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(tipSize.cx) + r.left(),
                        r.width(), BYTE{0});
    m_shadowCover.clear();
    m_shadowCoverRow.assign(static_cast<std::size_t>(tipSize.cy), -1);
    const auto rowLength = static_cast<std::size_t>(tipSize.cx);
    // The cover of a sum s is 1 - s / divisor, made once per possible sum
    // while there are fewer sums than pixels.
    std::vector<float>& table = m_shadowTable;
    const auto cover = [](std::int64_t sum, double divisor) {
        return static_cast<float>(1.0 - std::clamp(static_cast<double>(sum) / divisor, 0.0, 1.0));
    };
    const bool made = CDrawManager::MakeShadowSums(
        tipSize.cx, tipSize.cy, mask.data(), tipSize.cx, tipSize.cy, m_shadowBlurred ? TRUE : FALSE, m_shadowBlurX,
        m_shadowBlurY, [&](int y, const std::int64_t* sums, std::int64_t divisor, bool sameAsAbove) {
            if (y < 0 || y >= tipSize.cy) return;
            const auto row = static_cast<std::size_t>(y);
            if (sameAsAbove && y > 0 && m_shadowCoverRow[row - 1] >= 0) {
                m_shadowCoverRow[row] = m_shadowCoverRow[row - 1];
                return;
            }
            const std::size_t at = m_shadowCover.size();
            m_shadowCover.resize(at + rowLength);
            m_shadowCoverRow[row] = static_cast<int>(at / rowLength);
            float* out = m_shadowCover.data() + at;
            const auto scale = static_cast<double>(divisor);
            if (divisor < static_cast<std::int64_t>(mask.size())) {
                if (table.size() != static_cast<std::size_t>(divisor) + 1) {
                    table.resize(static_cast<std::size_t>(divisor) + 1);
                    for (std::int64_t i = 0; i <= divisor; ++i) table[static_cast<std::size_t>(i)] = cover(i, scale);
                }
                for (int x = 0; x < tipSize.cx; ++x)
                    out[x] = table[static_cast<std::size_t>(std::clamp<std::int64_t>(sums[x], 0, divisor))];
            } else {
                for (int x = 0; x < tipSize.cx; ++x) out[x] = cover(sums[x], scale);
            }
        });
    if (!made) {
        m_shadowCover.clear();
        return;
    }
    // A row never given casts no shadow.
    int noShadow = -1;
    for (int& row : m_shadowCoverRow) {
        if (row >= 0) continue;
        if (noShadow < 0) {
            noShadow = static_cast<int>(m_shadowCover.size() / rowLength);
            m_shadowCover.resize(m_shadowCover.size() + rowLength, 0.0f);
        }
        row = noShadow;
    }
    m_shadowKey = key;
    m_shadowLayerFresh = false;
}

void CHtmlToolTip::DrawTip(int transparency)
{
    if (!m_background) return;
    const int t = std::clamp(transparency, 0, 100);
    const SIZE tipSize = m_placement.window;
    const int width = m_windowRect.right;
    const int height = m_windowRect.bottom;
    if (tipSize.cx <= 0 || tipSize.cy <= 0 || width <= 0 || height <= 0) return;
    // The tip's own pixels change only with its content (a new text, a
    // hovered link, an animation step), not with its transparency.
    if (!m_tipReady) RenderTipImage();
    if (!m_tipReady) return;
    // The tip's colours, on the bitmap it was drawn on (or their copy).
    const std::uint32_t* tip = m_tipPixels.data();
    std::ptrdiff_t tipStride = tipSize.cx;
    BitmapDc tipDc(*m_background);
    if (!m_tipCopied) {
        platform::DcPixels view;
        if (!platform::GetDcPixels(tipDc->GetSafeHdc(), view) || view.width < tipSize.cx || view.height < tipSize.cy)
            return;
        tip = view.bits;
        tipStride = view.stride;
    }

    // What lies under a translucent window shows through: the composition
    // starts transparent, and the shadow is black with the alpha that the
    // darkening would have had.
    int grey = htmltip::MulDiv(255, 100 - m_shadowDarkness, 100);
    grey += ((255 - grey) * t) / 100;
    // The shadow layer alone depends only on the shadow and its strength: a
    // tip shown again over it starts from it.
    const ShadowLayerKey layerKey{m_shadowKey.size, width, height, m_shadowOffsetX, m_shadowOffsetY, 255 - grey};
    const bool haveShadow =
        !m_shadowCover.empty() && m_shadowCoverRow.size() == static_cast<std::size_t>(tipSize.cy);
    if (haveShadow && !(m_shadowLayerFresh && layerKey == m_shadowLayerKey)) {
        const float strength = static_cast<float>(255 - grey);
        // The columns that land inside the window, in one straight run;
        // what lies outside them is clear.
        const int shift = m_shadowOffsetX;
        const int from = std::max(0, -shift);
        const int to = std::max(from, std::min(static_cast<int>(tipSize.cx), width - shift));
        const auto rowLength = static_cast<std::size_t>(width);
        m_shadowLayer.clear();
        m_shadowLayerRow.assign(static_cast<std::size_t>(height), -1);
        int lastCover = -1;
        for (int ty = 0; ty < height; ++ty) {
            const int y = ty - m_shadowOffsetY;
            if (y < 0 || y >= tipSize.cy || from >= to) {
                lastCover = -1;
                continue;
            }
            // A row of the shadow like the one above is that row again.
            const int coverRow = m_shadowCoverRow[static_cast<std::size_t>(y)];
            if (coverRow == lastCover) {
                m_shadowLayerRow[static_cast<std::size_t>(ty)] = m_shadowLayerRow[static_cast<std::size_t>(ty) - 1];
                continue;
            }
            lastCover = coverRow;
            const std::size_t at = m_shadowLayer.size();
            m_shadowLayer.resize(at + rowLength, QRgb{0});
            m_shadowLayerRow[static_cast<std::size_t>(ty)] = static_cast<int>(at / rowLength);
            QRgb* row = m_shadowLayer.data() + at;
            const float* cover = m_shadowCover.data() + static_cast<std::size_t>(coverRow) * static_cast<std::size_t>(tipSize.cx);
            for (int x = from; x < to; ++x)
                row[x + shift] = static_cast<QRgb>(static_cast<int>(cover[x] * strength + 0.5f)) << 24;
            // Where each run of one shade ends, for the composition.
            m_shadowRunEnd.resize(m_shadowLayer.size());
            htmltip::FindRunEnds(row, width, m_shadowRunEnd.data() + at);
        }
        m_shadowLayerKey = layerKey;
        m_shadowLayerFresh = true;
    }
    // The shadow under a row of the window (none where it does not reach),
    // and where its runs of one shade end.
    const auto layerAt = [&](int ty) -> std::ptrdiff_t {
        if (!haveShadow) return -1;
        const int row = m_shadowLayerRow[static_cast<std::size_t>(ty)];
        return row < 0 ? -1 : static_cast<std::ptrdiff_t>(row) * width;
    };
    const auto layerRow = [&](int ty) -> const QRgb* {
        const std::ptrdiff_t at = layerAt(ty);
        return at < 0 ? nullptr : m_shadowLayer.data() + at;
    };

    // The composition goes into memory kept for the tips, that no image on
    // show still uses.
    QImage composed = KeptImageMemory::Shared().Take(width, height);
    if (composed.isNull()) return;
    uchar* const composedBits = composed.bits();
    const qsizetype composedStride = composed.bytesPerLine();
    const auto composedRow = [&](int y) { return reinterpret_cast<QRgb*>(composedBits + composedStride * y); };
    // What lies below the tip, a row at a time.
    int rowsBelow = 0;
    const auto belowUpTo = [&](int end) {
        for (; rowsBelow < end; ++rowsBelow) {
            QRgb* out = composedRow(rowsBelow);
            if (const QRgb* under = layerRow(rowsBelow))
                std::memcpy(out, under, static_cast<std::size_t>(width) * sizeof(QRgb));
            else
                std::fill_n(out, width, QRgb{0});
        }
    };

    // The tip over that at 100 - t percent, inside its shape.
    const int opacity = (255 * (100 - t) + 50) / 100;
    // Per alpha of what lies below: its weight, the result's alpha and the
    // reciprocal of the weights' sum (2^42 / sum, rounded up), with which the
    // weighted means below are the exact integer quotients without a
    // division per pixel (every dividend times the sum stays under 2^42).
    struct Below {
        int under = 0;
        int alpha255 = 0;
        std::uint64_t inverse = 0;
        QRgb alpha = 0;
    };
    std::array<Below, 256> below{};
    if (opacity != 255) {
        for (int a = 0; a < 256; ++a) {
            Below& b = below[static_cast<std::size_t>(a)];
            b.under = a * (255 - opacity);
            b.alpha255 = opacity * 255 + b.under;
            if (b.alpha255 == 0) continue;
            const auto sum = static_cast<std::uint64_t>(b.alpha255);
            b.inverse = ((std::uint64_t{1} << 42) + sum - 1) / sum;
            b.alpha = static_cast<QRgb>((b.alpha255 + 127) / 255) << 24;
        }
    }
    const int sourceWeight = opacity * 255;
    const auto blend = [&](QRgb source, QRgb beneath) -> QRgb {
        // Straight alpha: a = s + u (1 - s), colour weighted by each's share.
        const Below& b = below[static_cast<std::size_t>(qAlpha(beneath))];
        if (b.alpha255 == 0) return 0;
        const auto mix = [&](int from, int under) {
            const auto n = static_cast<std::uint64_t>(from * sourceWeight + under * b.under + b.alpha255 / 2);
            return static_cast<QRgb>((n * b.inverse) >> 42);
        };
        return b.alpha | (mix(qRed(source), qRed(beneath)) << 16) | (mix(qGreen(source), qGreen(beneath)) << 8) |
               mix(qBlue(source), qBlue(beneath));
    };
    // Over the black shadow (or nothing) each channel's mean depends on that
    // channel and the shade alone: a table per shade, made when the shade
    // first comes, and where the shade allows it a multiplier that gives the
    // same, for long runs over one shade.
    thread_local std::vector<std::uint8_t> overBlack(256 * 256);
    std::uint8_t* const overBlackTables = overBlack.data();
    std::array<bool, 256> overBlackMade{};
    std::array<std::int8_t, 256> wideMade{};  // 0 not yet, 1 usable, -1 not
    std::array<ShadeMultiplier, 256> wide{};
    const auto shadeTable = [&](std::size_t a) {
        std::uint8_t* channel = overBlackTables + a * 256;
        if (!overBlackMade[a]) {
            overBlackMade[a] = true;
            // blend(c, black of this shade), one channel of it.
            const Below& b = below[a];
            for (int c = 0; c < 256; ++c) {
                const auto n = static_cast<std::uint64_t>(c * sourceWeight + b.alpha255 / 2);
                channel[c] = b.alpha255 == 0 ? std::uint8_t{0} : static_cast<std::uint8_t>((n * b.inverse) >> 42);
            }
        }
        return channel;
    };
    const auto wideShade = [&](std::size_t a) -> const ShadeMultiplier* {
        if (wideMade[a] == 0) {
            const Below& b = below[a];
            const bool usable = b.alpha255 != 0 &&
                                MakeShadeMultiplier(shadeTable(a), static_cast<std::uint32_t>(sourceWeight),
                                                    static_cast<std::uint32_t>(b.alpha255 / 2),
                                                    static_cast<std::uint32_t>(b.alpha255), wide[a]);
            wideMade[a] = usable ? 1 : -1;
        }
        return wideMade[a] > 0 ? &wide[a] : nullptr;
    };
    constexpr int kWideRun = 16;
    // The shape's rectangles come in bands from the top, each band one run
    // of rows: every row is made whole (below, then the tip) while it is
    // still at hand.
    const QRect* const shapeEnd = m_shape.end();
    for (const QRect* band = m_shape.begin(); band != shapeEnd;) {
        const QRect* bandEnd = band;
        while (bandEnd != shapeEnd && bandEnd->top() == band->top()) ++bandEnd;
        for (int y = band->top(); y <= band->bottom() && y < height; ++y) {
            if (y >= tipSize.cy) {
                belowUpTo(y + 1);
                continue;
            }
            belowUpTo(y);
            rowsBelow = y + 1;
            // Below the tip's spans it is read straight from the layer;
            // beside them it is copied.
            const std::ptrdiff_t layerStart = layerAt(y);
            const QRgb* under = layerStart < 0 ? nullptr : m_shadowLayer.data() + layerStart;
            const int* runEnds = layerStart < 0 ? nullptr : m_shadowRunEnd.data() + layerStart;
            QRgb* out = composedRow(y);
            const auto copyBelow = [&](int from, int to) {
                if (from >= to) return;
                if (under)
                    std::memcpy(out + from, under + from, static_cast<std::size_t>(to - from) * sizeof(QRgb));
                else
                    std::fill(out + from, out + to, QRgb{0});
            };
            int done = 0;
            for (const QRect* r = band; r != bandEnd; ++r) {
                const std::uint32_t* in = tip + tipStride * y;
                const int right = std::min(r->right(), static_cast<int>(tipSize.cx) - 1);
                copyBelow(done, r->left());
                done = std::max(done, right + 1);
                if (opacity == 255) {
                    for (int x = r->left(); x <= right; ++x) out[x] = in[x] | 0xFF000000u;
                    continue;
                }
                // Long runs of one colour over one shade: the last result again.
                bool haveLast = false;
                QRgb lastSource = 0, lastBeneath = 0, last = 0;
                for (int x = r->left(); x <= right;) {
                    // The run of pixels over this one's shade.
                    const QRgb shade = under ? under[x] : 0;
                    const int end = under ? std::min(runEnds[x], right + 1) : right + 1;
                    if (end - x >= kWideRun && (shade & 0x00FFFFFFu) == 0) {
                        const auto a = static_cast<std::size_t>(qAlpha(shade));
                        if (const ShadeMultiplier* m = wideShade(a)) {
                            ComposeOverShade(in + x, out + x, end - x, *m, below[a].alpha);
                            x = end;
                            haveLast = false;
                            continue;
                        }
                    }
                    for (; x < end; ++x) {
                        const QRgb source = in[x] & 0x00FFFFFFu;
                        const QRgb beneath = shade;
                        if (haveLast && source == lastSource && beneath == lastBeneath) {
                            out[x] = last;
                            continue;
                        }
                        haveLast = true;
                        lastSource = source;
                        lastBeneath = beneath;
                        if ((beneath & 0x00FFFFFFu) != 0) {
                            last = blend(source, beneath);
                        } else {
                            const auto a = static_cast<std::size_t>(qAlpha(beneath));
                            const std::uint8_t* channel = shadeTable(a);
                            last = below[a].alpha255 == 0
                                       ? 0
                                       : below[a].alpha | (QRgb{channel[qRed(source)]} << 16) |
                                             (QRgb{channel[qGreen(source)]} << 8) | channel[qBlue(source)];
                        }
                        out[x] = last;
                    }
                }
            }
            copyBelow(done, width);
        }
        band = bandEnd;
    }
    belowUpTo(height);
    m_composed = std::move(composed);
    Platform().PresentTip(m_composed);
}

// ------------------------------------------------------------------ tools

CString CHtmlToolTip::LoadText(UINT textId) const
{
    CString text;
    text.LoadString(textId);
    return text;
}

HtmlToolInfo* CHtmlToolTip::FindRecord(HWND window, UINT id)
{
    const auto found = m_tools.find(window);
    if (found == m_tools.end()) return nullptr;
    for (HtmlToolInfo& info : found->second)
        if (info.id == id) return &info;
    return nullptr;
}

const HtmlToolInfo* CHtmlToolTip::FindRecord(HWND window, UINT id) const
{
    return const_cast<CHtmlToolTip*>(this)->FindRecord(window, id);
}

void CHtmlToolTip::AddTool(CWnd* window, LPCTSTR text, LPCRECT rect, UINT id)
{
    if (!window || !window->GetSafeHwnd()) return;
    HtmlToolInfo info;
    info.id = id;
    info.rect = rect ? *rect : RECT{};
    info.text = text ? CString(text) : CString();
    info.mask = 0;
    std::vector<HtmlToolInfo>& list = m_tools[window->GetSafeHwnd()];
    const auto same = std::find_if(list.begin(), list.end(), [&](const HtmlToolInfo& t) { return t.rect == info.rect; });
    if (same != list.end()) {
        *same = info;
    } else {
        list.push_back(info);
    }
}

void CHtmlToolTip::AddTool(CWnd* window, UINT textId, LPCRECT rect, UINT id)
{
    AddTool(window, LoadText(textId).GetString(), rect, id);
}

void CHtmlToolTip::AddTool(CWnd* window, LPCTSTR text, HICON icon, LPCRECT rect, UINT id)
{
    if (!icon) {
        AddTool(window, text, rect, id);
        return;
    }
    // The markup names the icon by the number it is registered under.
    htmltip::ScopedMarkupHandle& handle = m_iconHandles[icon.Value()];
    if (!handle.Number()) handle = ScopedMarkupHandle(MarkupImageKind::Icon, GdiMarkupImage::FromIcon(icon, false));
    CString markup;
    markup.Format(u"<table><tr><td><icon handle=0x%X></td><td>%s</td></tr></table>", handle.Number(),
                  text ? text : u"");
    AddTool(window, markup.GetString(), rect, id);
}

void CHtmlToolTip::AddTool(CWnd* window, LPCTSTR text, UINT iconId, SIZE iconSize, LPCRECT rect, UINT id)
{
    CString markup;
    markup.Format(u"<table><tr><td><icon idres=%d width=%d height=%d></td><td>%s</td></tr></table>",
                  static_cast<int>(iconId), static_cast<int>(iconSize.cx), static_cast<int>(iconSize.cy),
                  text ? text : u"");
    AddTool(window, markup.GetString(), rect, id);
}

void CHtmlToolTip::AddTool(CWnd* window, LPCTSTR text, UINT bitmapId, COLORREF mask, SIZE size, LPCRECT rect,
                           UINT id)
{
    CString markup;
    markup.Format(u"<table><tr><td><bmp idres=%d mask=0x%X width=%d height=%d></td><td>%s</td></tr></table>",
                  static_cast<int>(bitmapId), static_cast<unsigned>(mask), static_cast<int>(size.cx),
                  static_cast<int>(size.cy), text ? text : u"");
    AddTool(window, markup.GetString(), rect, id);
}

void CHtmlToolTip::RemoveTool(CWnd* window, LPCRECT rect)
{
    if (!window) return;
    const auto found = m_tools.find(window->GetSafeHwnd());
    if (found == m_tools.end()) return;
    if (!rect) {
        m_tools.erase(found);
        return;
    }
    std::vector<HtmlToolInfo>& list = found->second;
    const auto same = std::find_if(list.begin(), list.end(), [&](const HtmlToolInfo& t) { return t.rect == *rect; });
    if (same != list.end()) list.erase(same);
    if (list.empty()) m_tools.erase(found);
}

void CHtmlToolTip::RemoveAllTools() { m_tools.clear(); }

BOOL CHtmlToolTip::GetToolInfo(HtmlToolInfo& info, CWnd* window, UINT id) const
{
    if (!window) return FALSE;
    const HtmlToolInfo* found = FindRecord(window->GetSafeHwnd(), id);
    if (!found) return FALSE;
    info = *found;
    return TRUE;
}

void CHtmlToolTip::UpdateTipText(LPCTSTR text, CWnd* window, UINT id)
{
    if (!window) return;
    if (HtmlToolInfo* found = FindRecord(window->GetSafeHwnd(), id)) found->text = text ? CString(text) : CString();
}

void CHtmlToolTip::SetToolRect(CWnd* window, UINT id, LPCRECT rect)
{
    if (!window) return;
    if (HtmlToolInfo* found = FindRecord(window->GetSafeHwnd(), id)) found->rect = rect ? *rect : RECT{};
}

// ------------------------------------------------------------------ help tips

void CHtmlToolTip::ShowHelpTooltip(POINT point, LPCTSTR text, HICON icon)
{
    CString markup = text ? CString(text) : CString();
    if (icon) {
        htmltip::ScopedMarkupHandle& handle = m_iconHandles[icon.Value()];
        if (!handle.Number()) handle = ScopedMarkupHandle(MarkupImageKind::Icon, GdiMarkupImage::FromIcon(icon, false));
        CString wrapped;
        wrapped.Format(u"<table><tr><td><icon handle=0x%X></td><td>%s</td></tr></table>", handle.Number(),
                       markup.GetString());
        markup = wrapped;
    }
    HtmlToolInfo info;
    info.id = 0;
    info.text = markup;
    info.mask = HTML_TOOL_MASK_BEHAVIOUR;
    // Help tips never pop by themselves, whatever the default carries.
    info.behaviour = m_defaultBehaviour | HTML_TOOL_NO_AUTOPOP;
    m_lastMouse = point;
    SetNewTool(HWND(), info, false, kShowHelp);
}

void CHtmlToolTip::ShowHelpTooltip(POINT point, UINT textId, HICON icon)
{
    ShowHelpTooltip(point, LoadText(textId).GetString(), icon);
}

void CHtmlToolTip::ShowHelpTooltip(POINT point, LPCTSTR text, UINT iconId, SIZE iconSize)
{
    CString markup;
    markup.Format(u"<table><tr><td><icon idres=%d width=%d height=%d></td><td>%s</td></tr></table>",
                  static_cast<int>(iconId), static_cast<int>(iconSize.cx), static_cast<int>(iconSize.cy),
                  text ? text : u"");
    ShowHelpTooltip(point, markup.GetString(), HICON());
}

// ------------------------------------------------------------------ settings

void CHtmlToolTip::SetColorBk(COLORREF color) { SetColorBk(color, color, color); }

void CHtmlToolTip::SetColorBk(COLORREF begin, COLORREF end) { SetColorBk(begin, begin, end); }

void CHtmlToolTip::SetColorBk(COLORREF begin, COLORREF middle, COLORREF end)
{
    m_defaultBegin = begin;
    m_defaultMid = middle;
    m_defaultEnd = end;
}

void CHtmlToolTip::SetEffectBk(UINT effect, BYTE granularity)
{
    m_defaultEffect = effect;
    m_defaultGranularity = granularity;
}

void CHtmlToolTip::SetTransparency(BYTE transparency)
{
    if (transparency <= 100) m_defaultTransparency = transparency;
}

void CHtmlToolTip::SetBorder(COLORREF color, int width, int height)
{
    m_borderBrush.DeleteObject();
    m_borderWidth = 0;
    m_borderHeight = 0;
    if (width == 0 || height == 0) return;
    if (!m_borderBrush.CreateSolidBrush(color)) return;
    m_borderWidth = width;
    m_borderHeight = height;
}

void CHtmlToolTip::SetBorder(HBRUSH brush, int width, int height)
{
    m_borderBrush.DeleteObject();
    m_borderWidth = 0;
    m_borderHeight = 0;
    LOGBRUSH log;
    if (!brush || width == 0 || height == 0 || !::GetObject(brush, sizeof(log), &log)) return;
    // A copy: the caller keeps its brush.
    if (!m_borderBrush.CreateBrushIndirect(&log)) return;
    m_borderWidth = width;
    m_borderHeight = height;
}

void CHtmlToolTip::SetTooltipShadow(int offsetX, int offsetY, BYTE darkness, BOOL blurred, int blurX, int blurY)
{
    m_shadowOffsetX = offsetX;
    m_shadowOffsetY = offsetY;
    m_shadowDarkness = std::min<int>(darkness, 100);
    m_shadowBlurred = blurred != FALSE;
    m_shadowBlurX = blurX;
    m_shadowBlurY = blurY;
}

void CHtmlToolTip::SetImageShadow(int offsetX, int offsetY, BYTE darkness, BOOL gradient, int blurX, int blurY)
{
    m_drawer.SetImageShadow(offsetX, offsetY, darkness, gradient, blurX, blurY);
}

void CHtmlToolTip::SetDelayTime(int type, UINT milliseconds)
{
    switch (type) {
    case kDelayAutopop:
        m_autopopMs = milliseconds;
        break;
    case kDelayInitial:
        m_initialMs = milliseconds;
        break;
    case kDelayFadeIn:
        m_fadeInMs = milliseconds;
        break;
    case kDelayFadeOut:
        m_fadeOutMs = milliseconds;
        break;
    case kDelayAnimation:
        if (!m_hWnd) break;
        Platform().StopTimer(kTimerAnimation);
        if (milliseconds != 0) Platform().StartTimer(kTimerAnimation, milliseconds);
        break;
    default:
        break;
    }
}

UINT CHtmlToolTip::GetDelayTime(int type) const
{
    switch (type) {
    case kDelayAutopop:
        return m_autopopMs;
    case kDelayInitial:
        return m_initialMs;
    case kDelayFadeIn:
        return m_fadeInMs;
    case kDelayFadeOut:
        return m_fadeOutMs;
    default:
        return 0;
    }
}

void CHtmlToolTip::SetNotify(BOOL notify) { m_notify = notify ? m_owner : HWND(); }

void CHtmlToolTip::SetNotify(HWND window) { m_notify = window; }

void CHtmlToolTip::SetSize(int index, int value)
{
    if (index >= 0 && index < kSizeCount) m_sizes[index] = value;
}

int CHtmlToolTip::GetSize(int index) const { return index >= 0 && index < kSizeCount ? m_sizes[index] : 0; }

void CHtmlToolTip::SetSizes(BOOL balloon)
{
    const int* sizes = balloon ? kBalloonSizes : kRectangleSizes;
    std::copy(sizes, sizes + kSizeCount, m_sizes);
}

void CHtmlToolTip::SetCssStyles(UINT resourceId, LPCTSTR moduleFileName)
{
    if (moduleFileName && *moduleFileName) {
        m_drawer.SetCssStyles(resourceId, moduleFileName);
        return;
    }
    // The program's resources: the current resource module.
    const CString text = LoadText(resourceId);
    m_drawer.SetCssStyles(text.GetString());
}
