#include "manager/dialogs/DialogHelpers.h"

#include "manager/core/AlarmText.h"
#include "manager/core/DataManager.h"
#include "manager/core/ManagerWindows.h"
#include "manager/core/NumberText.h"

#include "platform/core/MessageBox.h"


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
    CString result = first;
    const int equals = first.Find(u'=');
    if (equals >= 0) {
        const int code = ParseHexByte(std::u16string_view(first.Mid(equals + 1, 2)));
        if (code >= 0) {
            AlarmTextRecord record;
            if (LoadAlarmText(code, record) == kAlarmFound) result += u"\n" + record.shortText;
        }
    }
    return result;
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
