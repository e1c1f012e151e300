#include "platform/ui/Dialog.h"

#include "platform/core/ResourceModule.h"
#include "platform/ui/Button.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ResourceImages.h"
#include "platform/ui/Static.h"
#include "platform/ui/WidgetPeer.h"
#include "platform/ui/WindowSurface.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

namespace platform::ui {

namespace {

constexpr const char16_t* kAverageCharacters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
// Screen resolution the point sizes of templates are meant for.
constexpr int kLogPixels = 96;

void BaseUnitsOf(HFONT font, int& cx, int& cy)
{
    const QFontMetrics metrics(QFontOf(font));
    const int width = metrics.horizontalAdvance(QString::fromUtf16(kAverageCharacters));
    cx = std::max(1, (width / 26 + 1) / 2);
    cy = std::max(1, metrics.height());
}

class DialogPeer final : public WidgetPeer {
public:
    DialogPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        const DWORD style = static_cast<DWORD>(cs.style);
        QWidget* widget = nullptr;
        if (style & WS_CHILD) {
            widget = new WindowWidget(parent);
        } else {
            widget = new WindowWidget(parent, TopLevelFlags(style, static_cast<DWORD>(cs.dwExStyle), Qt::Dialog));
        }
        m_programWindow = true;
        Attach(widget, cs);
    }

    ~DialogPeer() override
    {
        if (m_ownFont) ::DeleteObject(m_ownFont);
    }

    void SetDialogFont(HFONT font, int baseX, int baseY)
    {
        m_ownFont = font;
        m_baseX = baseX;
        m_baseY = baseY;
    }

    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }
    void SetDefaultId(int id) { m_defId = id; }

    UINT DialogCode(const MSG*) const override { return 0; }

    bool ControlMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        switch (message) {
        case DM_GETDEFID:
            result = m_defId > 0 ? MAKELONG(static_cast<WORD>(m_defId), DC_HASDEFID) : 0;
            return true;
        case DM_SETDEFID: {
            const int id = static_cast<int>(wParam);
            if (id == m_defId) {
                result = TRUE;
                return true;
            }
            // The buttons show which one Enter presses.
            if (const HWND old = ::GetDlgItem(m_hwnd, m_defId)) {
                if (::SendMessageW(old, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) {
                    ::SendMessageW(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
                }
            }
            m_defId = id;
            if (const HWND now = ::GetDlgItem(m_hwnd, id)) {
                if (::SendMessageW(now, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON) {
                    ::SendMessageW(now, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
                }
            }
            result = TRUE;
            return true;
        }
        case WM_CLOSE: {
            // Closing a dialog is its Cancel, when Cancel may be pressed.
            const HWND cancel = ::GetDlgItem(m_hwnd, IDCANCEL);
            if (!cancel || ::IsWindowEnabled(cancel)) {
                ::PostMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), cancel.ToLParam());
            }
            return true;
        }
        default:
            return false;
        }
    }

protected:
    void EraseBackground(HDC dc, const QRect& rect) override
    {
        const LRESULT brush = ::SendMessageW(m_hwnd, WM_CTLCOLORDLG, dc.ToWParam(), m_hwnd.ToLParam());
        RECT r{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
        const HBRUSH b = HBRUSH(HGDIOBJ::FromLParam(brush));
        ::FillRect(dc, &r, b ? b : ::GetSysColorBrush(COLOR_BTNFACE));
    }

private:
    HFONT m_ownFont;
    int m_baseX = 6;
    int m_baseY = 13;
    int m_defId = 0;
};

std::unique_ptr<WidgetPeer> MakeDialog(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<DialogPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(platform::kDialogClassName, &MakeDialog);

DialogPeer* DialogPeerOf(HWND hwnd) { return dynamic_cast<DialogPeer*>(WidgetPeer::Of(hwnd)); }

int Scale(int units, int base, int divisor)
{
    return static_cast<int>((static_cast<long long>(units) * base + (units >= 0 ? divisor / 2 : -divisor / 2)) / divisor);
}

HFONT MakeDialogFont(const DialogTemplate& t)
{
    LOGFONT lf;
    const int points = t.hasFont && t.pointSize ? t.pointSize : 8;
    lf.lfHeight = -Scale(points, kLogPixels, 72);
    lf.lfWeight = t.hasFont && t.weight ? t.weight : FW_NORMAL;
    lf.lfItalic = t.hasFont ? t.italic : 0;
    lf.lfCharSet = t.hasFont ? t.charSet : DEFAULT_CHARSET;
    const std::u16string face = t.hasFont && !t.faceName.empty() ? t.faceName : std::u16string(u"MS Shell Dlg");
    const std::size_t n = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    std::copy(face.begin(), face.begin() + static_cast<std::ptrdiff_t>(n), lf.lfFaceName);
    lf.lfFaceName[n] = 0;
    return ::CreateFontIndirect(&lf);
}

bool IsImageStatic(const DialogItemTemplate& item)
{
    if (QString::fromUtf16(item.className.c_str()).compare(QStringLiteral("Static"), Qt::CaseInsensitive) != 0) return false;
    const DWORD type = item.style & SS_TYPEMASK;
    return type == SS_ICON || type == SS_BITMAP;
}

}  // namespace

}  // namespace platform::ui

namespace platform {

bool CreateDialogWindows(CWnd& dialog, const DialogTemplate& t, HWND parent, LPARAM initParam, bool modal)
{
    using namespace platform::ui;
    if (!OnUiThread()) return false;
    const bool child = (t.style & WS_CHILD) != 0;
    if (child && !parent) return false;
    const HFONT font = MakeDialogFont(t);
    int baseX = 6;
    int baseY = 13;
    BaseUnitsOf(font, baseX, baseY);

    const int width = Scale(t.cx, baseX, 4);
    const int height = Scale(t.cy, baseY, 8);
    POINT at{Scale(t.x, baseX, 4), Scale(t.y, baseY, 8)};
    // A popup dialog's place is counted from its owner's client area.
    if (!child && parent && !(t.style & DS_ABSALIGN)) ::ClientToScreen(parent, &at);
    const RECT rect{at.x, at.y, at.x + width, at.y + height};
    DWORD exStyle = t.exStyle;
    if (child) exStyle |= WS_EX_CONTROLPARENT;
    CWnd* parentWnd = parent ? CWnd::FromHandle(parent) : nullptr;
    if (parent && !parentWnd) {
        ::DeleteObject(font);
        return false;
    }
    if (!dialog.CreateEx(exStyle, kDialogClassName, t.caption.c_str(), t.style & ~WS_VISIBLE, rect, parentWnd, 0)) {
        ::DeleteObject(font);
        return false;
    }
    const HWND hwnd = dialog.GetSafeHwnd();
    DialogPeer* peer = DialogPeerOf(hwnd);
    if (!peer) {
        ::DeleteObject(font);
        dialog.DestroyWindow();
        return false;
    }
    peer->SetDialogFont(font, baseX, baseY);
    if (modal) peer->m_continueModal = true;
    ::SendMessageW(hwnd, WM_SETFONT, font.ToWParam(), FALSE);

    bool defaultSet = false;
    for (const DialogItemTemplate& item : t.items) {
        if (!::IsWindow(hwnd)) return false;
        const RECT r{Scale(item.x, baseX, 4), Scale(item.y, baseY, 8), Scale(item.x + item.cx, baseX, 4),
                     Scale(item.y + item.cy, baseY, 8)};
        const bool image = IsImageStatic(item);
        std::u16string text;
        if (!image && item.text.kind == TemplateName::Kind::kText) text = item.text.text;
        const UINT id = static_cast<UINT>(item.id);
        CWnd* control = CreateStandIn(item.exStyle, item.className, text.c_str(), item.style, r, &dialog, id);
        if (!control) continue;
        const HWND controlHwnd = control->GetSafeHwnd();
        ::SendMessageW(controlHwnd, WM_SETFONT, font.ToWParam(), FALSE);
        if (image && !item.text.IsNone()) {
            const LPCWSTR name = item.text.kind == TemplateName::Kind::kNumber ? MAKEINTRESOURCEW(item.text.number)
                                                                                 : item.text.text.c_str();
            if ((item.style & SS_TYPEMASK) == SS_ICON) {
                const HICON icon = HICON::FromValue(
                    ::LoadImageW(HINSTANCE(), name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED).Value());
                if (icon) ::SendMessageW(controlHwnd, STM_SETICON, icon.ToWParam(), 0);
            } else {
                const HBITMAP bitmap = HBITMAP(::LoadImageW(HINSTANCE(), name, IMAGE_BITMAP, 0, 0, LR_SHARED));
                if (bitmap) ::SendMessageW(controlHwnd, STM_SETIMAGE, IMAGE_BITMAP, bitmap.ToLParam());
            }
        }
        const bool button = QString::fromUtf16(item.className.c_str()).compare(QStringLiteral("Button"), Qt::CaseInsensitive) == 0;
        if (button && (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && !defaultSet) {
            peer->SetDefaultId(item.id);
            defaultSet = true;
        }
    }
    if (!::IsWindow(hwnd)) return false;
    LinkLabelMnemonics(hwnd);

    if (!child && (t.style & (DS_CENTER | DS_CENTERMOUSE))) {
        dialog.CenterWindow();
        // Centred is where a dialog opens anyway, not a place of its own.
        peer->m_placedByCode = false;
    }
    const HWND first = ::GetNextDlgTabItem(hwnd, HWND(), FALSE);
    const LRESULT focus = ::SendMessageW(hwnd, WM_INITDIALOG, first.ToWParam(), initParam);
    if (!::IsWindow(hwnd)) return false;
    if (focus && first) {
        ::SetFocus(first);
        if (::SendMessageW(first, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) ::SendMessageW(first, EM_SETSEL, 0, -1);
    }
    if ((t.style & WS_VISIBLE) && !modal) ::ShowWindow(hwnd, child ? SW_SHOWNA : SW_SHOW);
    return true;
}

SIZE DialogTemplateSize(const DialogTemplate& t)
{
    using namespace platform::ui;
    if (!OnUiThread()) return SIZE{0, 0};
    const HFONT font = MakeDialogFont(t);
    int baseX = 6;
    int baseY = 13;
    BaseUnitsOf(font, baseX, baseY);
    ::DeleteObject(font);
    return SIZE{Scale(t.cx, baseX, 4), Scale(t.cy, baseY, 8)};
}

INT_PTR RunModalDialog(CWnd& dialog, DialogTemplate t, CWnd* parent)
{
    if (dialog.GetSafeHwnd()) return -1;
    // A modal dialog is a popup of its owner's top-level window.
    t.style = (t.style & ~(WS_CHILD | WS_VISIBLE)) | WS_POPUP;
    HWND owner = parent ? parent->GetSafeHwnd() : ::GetActiveWindow();
    if (owner) owner = ::GetAncestor(owner, GA_ROOT);
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);
    INT_PTR result = -1;
    if (CreateDialogWindows(dialog, t, owner, 0, true)) {
        const HWND hwnd = dialog.GetSafeHwnd();
        if (dialog.ContinueModal()) {
            // A dialog that did not choose its place opens centred on its
            // owner (on the screen without one); one that did stays there,
            // on a screen. Once shown, the window manager's frame is known
            // and the place is made exact.
            platform::ui::WidgetPeer* peer = platform::ui::WidgetPeer::Of(hwnd);
            const bool placed = peer && peer->m_placedByCode;
            if (!placed) dialog.CenterWindow();
            ::ShowWindow(hwnd, SW_SHOWNORMAL);
            if (::IsWindow(hwnd) && dialog.ContinueModal()) {
                if (!placed) dialog.CenterWindow();
                if (QWidget* w = platform::ui::WidgetOf(hwnd)) platform::ui::KeepOnScreen(w);
            }
            result = dialog.RunModalLoop(0);
        } else if (platform::ui::WidgetPeer* peer = platform::ui::WidgetPeer::Of(hwnd)) {
            result = peer->m_modalResult;
        }
        if (::IsWindow(hwnd)) ::ShowWindow(hwnd, SW_HIDE);
    }
    // The owner comes back before the dialog goes, so it takes the activation.
    if (disableOwner && ::IsWindow(owner)) {
        ::EnableWindow(owner, TRUE);
        ::SetActiveWindow(owner);
    }
    if (dialog.GetSafeHwnd()) dialog.DestroyWindow();
    return result;
}

}  // namespace platform

BOOL EndDialog(HWND hDlg, INT_PTR result)
{
    CWnd* wnd = CWnd::FromHandle(hDlg);
    platform::ui::WidgetPeer* peer = platform::ui::WidgetPeer::Of(hDlg);
    if (!wnd || !peer) return FALSE;
    if (peer->m_continueModal || peer->m_inModalLoop) {
        wnd->EndModalLoop(static_cast<int>(result));
    } else {
        peer->m_modalResult = static_cast<int>(result);
        ::ShowWindow(hDlg, SW_HIDE);
    }
    return TRUE;
}

BOOL MapDialogRect(HWND hDlg, RECT* rect)
{
    platform::ui::DialogPeer* peer = platform::ui::DialogPeerOf(hDlg);
    if (!peer || !rect) return FALSE;
    using platform::ui::Scale;
    rect->left = Scale(rect->left, peer->BaseX(), 4);
    rect->right = Scale(rect->right, peer->BaseX(), 4);
    rect->top = Scale(rect->top, peer->BaseY(), 8);
    rect->bottom = Scale(rect->bottom, peer->BaseY(), 8);
    return TRUE;
}

LONG GetDialogBaseUnits()
{
    if (!platform::ui::OnUiThread()) return MAKELONG(6, 13);
    platform::DialogTemplate none;
    const HFONT font = platform::ui::MakeDialogFont(none);
    int cx = 6;
    int cy = 13;
    platform::ui::BaseUnitsOf(font, cx, cy);
    ::DeleteObject(font);
    return static_cast<LONG>(MAKELONG(static_cast<WORD>(cx), static_cast<WORD>(cy)));
}

// ---------------------------------------------------------------- CDialog

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, &CDialog::HandleInitDialog)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd), m_nIDTemplate(nIDTemplate)
{
}

CDialog::CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd) : m_pParentWnd(pParentWnd)
{
    if (lpszTemplateName && IS_INTRESOURCE(lpszTemplateName)) {
        m_nIDTemplate = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(lpszTemplateName));
    } else if (lpszTemplateName) {
        m_strTemplateName = lpszTemplateName;
    }
}

CDialog::~CDialog()
{
    // The window's handlers are this class's: destroy it while they exist.
    if (GetSafeHwnd() && ::IsWindow(GetSafeHwnd())) DestroyWindow();
}

bool CDialog::LoadTemplate(platform::DialogTemplate& dialogTemplate) const
{
    const platform::ResourceKey key = m_strTemplateName.IsEmpty()
                                          ? platform::ResourceKey(static_cast<unsigned>(m_nIDTemplate))
                                          : platform::ResourceKey(m_strTemplateName.GetString());
    const std::optional<std::string_view> bytes = platform::FindResourceBytes(kRtDialog, key);
    if (!bytes) return false;
    std::string error;
    std::optional<platform::DialogTemplate> parsed = platform::ParseDialog(*bytes, &error);
    if (!parsed) {
        std::fprintf(stderr, "dialog template %u: %s\n", m_nIDTemplate, error.c_str());
        return false;
    }
    dialogTemplate = std::move(*parsed);
    return true;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_nIDTemplate = nIDTemplate;
    m_strTemplateName.Empty();
    if (m_nIDHelp == 0) m_nIDHelp = nIDTemplate;
    if (pParentWnd) m_pParentWnd = pParentWnd;
    platform::DialogTemplate t;
    if (!LoadTemplate(t)) return FALSE;
    return CreateFromTemplate(t, m_pParentWnd, false);
}

BOOL CDialog::Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd)
{
    if (lpszTemplateName && IS_INTRESOURCE(lpszTemplateName)) {
        return Create(static_cast<UINT>(reinterpret_cast<std::uintptr_t>(lpszTemplateName)), pParentWnd);
    }
    m_strTemplateName = lpszTemplateName ? lpszTemplateName : u"";
    if (pParentWnd) m_pParentWnd = pParentWnd;
    platform::DialogTemplate t;
    if (!LoadTemplate(t)) return FALSE;
    return CreateFromTemplate(t, m_pParentWnd, false);
}

BOOL CDialog::CreateIndirect(const platform::DialogTemplate& dialogTemplate, CWnd* pParentWnd)
{
    if (pParentWnd) m_pParentWnd = pParentWnd;
    return CreateFromTemplate(dialogTemplate, m_pParentWnd, false);
}

BOOL CDialog::CreateFromTemplate(const platform::DialogTemplate& dialogTemplate, CWnd* pParentWnd, bool modal)
{
    if (GetSafeHwnd()) return FALSE;
    const HWND parent = pParentWnd ? pParentWnd->GetSafeHwnd() : HWND();
    return platform::CreateDialogWindows(*this, dialogTemplate, parent, 0, modal) ? TRUE : FALSE;
}

INT_PTR CDialog::DoModal()
{
    platform::DialogTemplate t;
    if (GetSafeHwnd() || !LoadTemplate(t)) return -1;
    return platform::RunModalDialog(*this, std::move(t), m_pParentWnd);
}

void CDialog::EndDialog(int nResult)
{
    if (GetSafeHwnd()) ::EndDialog(GetSafeHwnd(), nResult);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL CDialog::OnInitDialog()
{
    // A failure to fill the controls leaves the dialog as it is, as the
    // class library does.
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::NextDlgCtrl() const
{
    const HWND next = ::GetNextDlgTabItem(GetSafeHwnd(), ::GetFocus(), FALSE);
    if (next) ::SetFocus(next);
}

void CDialog::PrevDlgCtrl() const
{
    const HWND prev = ::GetNextDlgTabItem(GetSafeHwnd(), ::GetFocus(), TRUE);
    if (prev) ::SetFocus(prev);
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    if (!pWndCtrl) return;
    pWndCtrl->SetFocus();
    if (::SendMessageW(pWndCtrl->GetSafeHwnd(), WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
        pWndCtrl->SendMessage(EM_SETSEL, 0, -1);
    }
}

void CDialog::SetDefID(UINT nID) { SendMessage(DM_SETDEFID, nID); }
DWORD CDialog::GetDefID() const { return static_cast<DWORD>(SendMessage(DM_GETDEFID)); }
void CDialog::MapDialogRect(RECT* lpRect) const { ::MapDialogRect(GetSafeHwnd(), lpRect); }

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    // Child dialogs (pages) leave the dialog keys to their top-level dialog,
    // which walks into them for the tab order.
    if (!pMsg || (GetStyle() & WS_CHILD)) return FALSE;
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return FALSE;
    return ::IsDialogMessageW(GetSafeHwnd(), pMsg);
}
