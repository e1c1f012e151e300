#include "tools/ControlUtility.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "platform/core/ComPortNames.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/ComboBox.h"

#include <cstddef>

void FillComboBox(CComboBox* pCombo, const LPCWSTR* texts, int nIndex)
{
    if (!pCombo || !texts) return;
    for (const LPCWSTR* text = texts; *text; ++text) pCombo->AddString(*text);
    pCombo->SetCurSel(nIndex);
}

int FindComboText(CComboBox* pCombo, int nStart, const CString& strText)
{
    if (!pCombo) return -1;
    const int count = pCombo->GetCount();
    for (int i = nStart < 0 ? 0 : nStart; i < count; ++i) {
        CString item;
        pCombo->GetLBText(i, item);
        if (item == strText) return i;
    }
    return -1;
}

CString GetClipboardText()
{
    if (!OpenClipboard(HWND())) return CString();
    CString text;
    if (const HGLOBAL block = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const char16_t*>(GlobalLock(block))) {
            // Up to the terminator, never past the block.
            const std::size_t room = GlobalSize(block) / sizeof(char16_t);
            std::size_t length = 0;
            while (length < room && chars[length] != 0) ++length;
            text = CString(chars, static_cast<int>(length));
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return text;
}

BOOL FillComPortList(CComboBox* pList, int nMaxComPort, int nCurrentPort)
{
    if (!pList) return FALSE;
    pList->ResetContent();
    int selected = 0;
    for (int port : platform::ProbeComPorts(nMaxComPort)) {
        CString name;
        name.Format(u"COM%d", port);
        const int index = pList->AddString(name);
        if (port == nCurrentPort && index >= 0) selected = index;
    }
    if (pList->GetCount() == 0) {
        CString none;
        none.LoadString(IDS_NO_COM_PORT);
        pList->AddString(none);
        pList->SetCurSel(0);
        return FALSE;
    }
    pList->SetCurSel(selected);
    return TRUE;
}

int ComPortNumberOf(const CString& strEntry)
{
    if (strEntry.GetLength() <= 3) return 0;
    const CString number = strEntry.Mid(3);
    for (int i = 0; i < number.GetLength(); ++i) {
        if (number[i] < u'0' || number[i] > u'9') return 0;
    }
    const int port = _wtoi(number);
    return port >= 1 && port <= platform::kMaxComPortNumber ? port : 0;
}
