#include "manager/dialogs/DialogHelpers.h"

#include "manager/core/AlarmText.h"
#include "manager/core/DataManager.h"
#include "manager/core/ManagerWindows.h"
#include "manager/core/NumberText.h"

#include "resources/manager/ctrldlgs_ids.h"

#include "platform/core/MessageBox.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/Accelerator.h"
#include "platform/ui/Button.h"
#include "platform/ui/ResourceImages.h"
#include "platform/ui/WindowApi.h"
#include "platform/ui/WinApp.h"

#include <algorithm>
#include <string_view>

namespace {
// The main window's accelerator table.
constexpr UINT kMainAcceleratorTable = 0x80;
}  // namespace


CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

CString FormatReplyError(const CString& reply)
{
    if (reply.IsEmpty()) return CString();
    CString first = reply;
    const int lineEnd = first.FindOneOf(u"\r\n");
    if (lineEnd >= 0) first = first.Left(lineEnd);
    // What happened in words first; the controller's own line follows as the detail.
    CString words;
    if (first == CString(u"TimeOut")) {
        words = LoadText(IDS_CD_REPLY_TIMEOUT);
    } else if (const int equals = first.Find(u'='); equals >= 0) {
        const CString codeText = first.Mid(equals + 1, 2);
        const int code = ParseHexByte(std::u16string_view(codeText));
        AlarmTextRecord record;
        if (code >= 0 && LoadAlarmText(code, record) == kAlarmFound) {
            words = record.shortText;
            for (const CString* more : {&record.longText1, &record.longText2})
                if (!more->IsEmpty()) words += u"\n" + *more;
        } else if (code >= 0) {
            words.Format(IDS_CD_REPLY_REFUSED, codeText.GetString());
        }
    }
    if (words.IsEmpty()) return first;
    CString detail;
    detail.Format(IDS_CD_REPLY_DETAIL, first.GetString());
    return words + u"\n\n" + detail;
}

void ShowReplyError(HWND owner, const CString& reply)
{
    const CString text = FormatReplyError(reply);
    if (!text.IsEmpty()) ShowMessage(owner, text, MB_OK | MB_ICONEXCLAMATION);
}

bool EndsWithStopCode(const CString& reply)
{
    CString first = reply;
    const int lineEnd = first.FindOneOf(u"\r\n");
    if (lineEnd >= 0) first = first.Left(lineEnd);
    first.TrimRight();
    return first.GetLength() >= 2 && first.Right(2) == CString(u"05");
}

int ShowMessage([[maybe_unused]] HWND owner, const CString& text, UINT type)
{
    GetManagerWindows().CloseActiveWaitWindow();
    return AfxMessageBox(text, type);
}

int ShowMessage(HWND owner, UINT stringId, UINT type) { return ShowMessage(owner, LoadText(stringId), type); }

ScopedWaitWindow::ScopedWaitWindow(HWND owner, UINT messageId, bool tahoma)
    : m_window(GetManagerWindows().CreateWaitWindow())
{
    if (!m_window) return;
    if (!m_window->Create(owner, CDataManager::kWaitWindowWidth, CDataManager::kWaitWindowHeight)) {
        m_window.reset();
        return;
    }
    if (tahoma) m_window->SetMessageFont(u"Tahoma", 9);
    m_window->SetMessage(LoadText(messageId));
    m_window->Show();
}

ScopedWaitWindow::~ScopedWaitWindow() { Close(); }

void ScopedWaitWindow::Close()
{
    if (m_window) m_window->Close();
    m_window.reset();
}

namespace {

std::function<std::optional<ModelessRoom>()>& RoomLocator()
{
    static std::function<std::optional<ModelessRoom>()> locator;
    return locator;
}

// The modeless windows shown so far (a handle that has gone is passed over).
std::vector<HWND>& ModelessWindows()
{
    static std::vector<HWND> windows;
    return windows;
}

RECT WindowRectOf(HWND hwnd)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r;
}

}  // namespace

void SetModelessRoomLocator(std::function<std::optional<ModelessRoom>()> locator) { RoomLocator() = std::move(locator); }

void ShowModelessWindow(CWnd& window, bool& placed)
{
    const HWND self = window.GetSafeHwnd();
    if (!self) return;
    std::vector<HWND>& known = ModelessWindows();
    std::erase_if(known, [](HWND h) { return !::IsWindow(h); });
    if (std::find(known.begin(), known.end(), self) == known.end()) known.push_back(self);
    std::optional<ModelessRoom> room = RoomLocator() ? RoomLocator()() : std::nullopt;
    if (room)
        for (HWND other : known)
            if (other != self && ::IsWindowVisible(other)) room->taken.push_back(WindowRectOf(other));
    const bool first = !placed && !window.IsWindowVisible();
    const auto moveTo = [&](const RECT& r) {
        const RECT now = WindowRectOf(self);
        if (r == now) return;
        const bool resized = r.right - r.left != now.right - now.left || r.bottom - r.top != now.bottom - now.top;
        window.SetWindowPos(nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                            SWP_NOZORDER | SWP_NOACTIVATE | (resized ? 0 : SWP_NOSIZE));
    };
    const auto sizeOf = [&] {
        const RECT r = WindowRectOf(self);
        return SIZE{r.right - r.left, r.bottom - r.top};
    };
    // Placed before it shows (its frame is an estimate then), and again once
    // the window manager's frame is known.
    if (room && first) moveTo(PlaceModelessWindow(sizeOf(), *room));
    window.ShowWindow(SW_SHOW);
    if (room) {
        if (first) {
            moveTo(PlaceModelessWindow(sizeOf(), *room));
        } else {
            // The user's place stays, on the screen.
            ModelessRoom screenOnly;
            screenOnly.screen = room->screen;
            moveTo(KeepModelessWindowClear(WindowRectOf(self), screenOnly));
        }
    }
    placed = true;
}

HACCEL LoadMainAccelerators() { return ::LoadAcceleratorsW(HMODULE(), MAKEINTRESOURCEW(kMainAcceleratorTable)); }

bool TranslateMainWindowAccelerators(HACCEL table, MSG* msg)
{
    if (!table || !msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return false;
    CWnd* main = AfxGetMainWnd();
    if (!main || !::IsWindow(main->GetSafeHwnd())) return false;
    // Plain typing in an edit field is the field's, not a command.
    WCHAR className[16] = {};
    if (::GetClassNameW(msg->hwnd, className, 16) > 0 && std::u16string_view(className) == u"Edit" &&
        (::GetKeyState(VK_CONTROL) & 0x8000) == 0 && msg->wParam != VK_F1)
        return false;
    return ::TranslateAcceleratorW(main->GetSafeHwnd(), table, msg) != 0;
}

HICON WindowIcons::Load(UINT iconId, int size)
{
    const HICON icon = HICON(::LoadImageW(HINSTANCE(), MAKEINTRESOURCEW(iconId), IMAGE_ICON, size, size, 0));
    if (icon) m_icons.push_back(icon);
    return icon;
}

void WindowIcons::SetButtonIcon(HWND dialog, int buttonId, UINT iconId, int size)
{
    const HWND button = ::GetDlgItem(dialog, buttonId);
    if (!button) return;
    if (const HICON icon = Load(iconId, size)) ::SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, icon.ToLParam());
}

void WindowIcons::Clear()
{
    for (const HICON icon : m_icons) ::DestroyIcon(icon);
    m_icons.clear();
}
