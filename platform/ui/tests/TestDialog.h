// The dialog of the test resource module with every control type, as the
// programs write their dialogs: members exchanged by DoDataExchange, lists
// filled in OnInitDialog, an owner-drawn button, a coloured label and an
// update handler that enables Apply while "Enabled" is ticked.
#pragma once

#include "tests/support/ui/UiTest.h"

#include "platform/core/CmdUI.h"
#include "platform/ui/Button.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/DC.h"
#include "platform/ui/Edit.h"
#include "platform/ui/HeaderCtrl.h"
#include "platform/ui/IPAddressCtrl.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/ProgressCtrl.h"
#include "platform/ui/ScrollBar.h"
#include "platform/ui/SliderCtrl.h"
#include "platform/ui/SpinButtonCtrl.h"
#include "platform/ui/Static.h"
#include "platform/ui/TabCtrl.h"
#include "platform/ui/TreeCtrl.h"
#include "platform/ui/tests/data/uitest_ids.h"

#include <ostream>
#include <string>
#include <vector>

namespace uitest {

inline constexpr COLORREF kLabelColor = RGB(0, 0, 200);
inline constexpr COLORREF kDrawnColor = RGB(200, 40, 40);

// Both languages of the test resources, for tables of cases.
inline constexpr const char* kLanguages[] = {"en", "ja"};

class AllControlsDialog : public CDialog {
public:
    explicit AllControlsDialog(CWnd* parent = nullptr) : CDialog(IDD_ALL_CONTROLS, parent) {}
    ~AllControlsDialog() override { m_labelBrush.DeleteObject(); }

    // Exchanged with the controls.
    CString m_name = u"Axis 1";
    int m_count = 250;
    double m_ratio = 0.5;
    BOOL m_enabled = TRUE;
    int m_speed = 1;
    int m_mode = 1;
    CString m_port = u"COM3";

    bool m_fillSamples = true;
    int m_drawCalls = 0;
    int m_applyClicks = 0;
    int m_nameChanges = 0;

protected:
    BOOL OnInitDialog() override
    {
        static const char16_t* const modes[] = {u"Manual", u"Auto", u"Step"};
        for (const char16_t* m : modes) static_cast<CComboBox*>(GetDlgItem(IDC_MODE))->AddString(m);
        for (const char16_t* p : {u"COM1", u"COM2", u"COM3", u"COM4"}) {
            static_cast<CComboBox*>(GetDlgItem(IDC_PORT))->AddString(p);
        }
        if (m_fillSamples) FillSamples();
        m_labelBrush.CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
        return CDialog::OnInitDialog();
    }

    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_NAME, m_name);
        DDV_MaxChars(pDX, m_name, 12);
        DDX_Text(pDX, IDC_COUNT, m_count);
        DDV_MinMaxInt(pDX, m_count, 0, 500);
        DDX_Text(pDX, IDC_RATIO, m_ratio);
        DDV_MinMaxDouble(pDX, m_ratio, 0.0, 1.0);
        DDX_Check(pDX, IDC_ENABLE, m_enabled);
        DDX_Radio(pDX, IDC_FAST, m_speed);
        DDX_CBIndex(pDX, IDC_MODE, m_mode);
        DDX_CBString(pDX, IDC_PORT, m_port);
    }

    void OnApply() { ++m_applyClicks; }
    void OnNameChange() { ++m_nameChanges; }
    void OnUpdateApply(CCmdUI* pCmdUI) { pCmdUI->Enable(IsDlgButtonChecked(IDC_ENABLE) == BST_CHECKED); }

    LRESULT OnKickIdle(WPARAM, LPARAM)
    {
        UpdateDialogControls(this, FALSE);
        return FALSE;
    }

    void OnDrawItem(int id, DRAWITEMSTRUCT* dis)
    {
        if (id != IDC_DRAWN) {
            CDialog::OnDrawItem(id, dis);
            return;
        }
        ++m_drawCalls;
        CDC* dc = CDC::FromHandle(dis->hDC);
        dc->FillSolidRect(&dis->rcItem, kDrawnColor);
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(RGB(255, 255, 255));
        CString text;
        GetDlgItemText(IDC_DRAWN, text);
        dc->TextOut(dis->rcItem.left + 6, dis->rcItem.top + 4, text);
    }

    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
    {
        if (nCtlColor == CTLCOLOR_STATIC && pWnd && pWnd->GetDlgCtrlID() == IDC_LABEL) {
            pDC->SetTextColor(kLabelColor);
            pDC->SetBkMode(TRANSPARENT);
            return m_labelBrush;
        }
        return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    }

    DECLARE_MESSAGE_MAP()

private:
    void FillSamples()
    {
        auto* items = static_cast<CListBox*>(GetDlgItem(IDC_ITEMS));
        for (const char16_t* s : {u"Alpha", u"Beta", u"Gamma", u"デルタ"}) items->AddString(s);
        items->SetCurSel(1);

        auto* table = static_cast<CListCtrl*>(GetDlgItem(IDC_TABLE));
        table->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES);
        table->InsertColumn(0, u"Axis", LVCFMT_LEFT, 90);
        table->InsertColumn(1, u"Value", LVCFMT_RIGHT, 80);
        for (int i = 0; i < 3; ++i) {
            const std::u16string n = u"軸 " + std::u16string(1, static_cast<char16_t>(u'1' + i));
            table->InsertItem(i, n.c_str());
            table->SetItemText(i, 1, i == 0 ? u"12.5" : (i == 1 ? u"-3" : u"100"));
        }

        auto* tree = static_cast<CTreeCtrl*>(GetDlgItem(IDC_TREE));
        const HTREEITEM root = tree->InsertItem(u"Controller");
        tree->InsertItem(u"Axes", root);
        tree->InsertItem(u"Inputs", root);
        tree->Expand(root, TVE_EXPAND);

        auto* tabs = static_cast<CTabCtrl*>(GetDlgItem(IDC_TABS));
        tabs->InsertItem(0, u"First");
        tabs->InsertItem(1, u"二番目");

        auto* header = static_cast<CHeaderCtrl*>(GetDlgItem(IDC_HEADER));
        for (int i = 0; i < 2; ++i) {
            HDITEM item;
            item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
            item.cxy = 120;
            item.fmt = HDF_LEFT | HDF_STRING;
            std::u16string text = i == 0 ? u"Column" : u"列";
            item.pszText = text.data();
            header->InsertItem(i, &item);
        }

        auto* progress = static_cast<CProgressCtrl*>(GetDlgItem(IDC_PROGRESS));
        progress->SetRange(0, 100);
        progress->SetPos(60);
        auto* slider = static_cast<CSliderCtrl*>(GetDlgItem(IDC_SLIDER));
        slider->SetRange(0, 10);
        slider->SetPos(3);
        auto* scroll = static_cast<CScrollBar*>(GetDlgItem(IDC_SCROLL));
        scroll->SetScrollRange(0, 100, FALSE);
        scroll->SetScrollPos(40);
        static_cast<CIPAddressCtrl*>(GetDlgItem(IDC_ADDRESS))->SetAddress(192, 168, 0, 10);
        static_cast<CSpinButtonCtrl*>(GetDlgItem(IDC_COUNT_SPIN))->SetRange32(0, 1000);
        SetDlgItemText(IDC_PASSWORD, u"secret");
        SetDlgItemText(IDC_READONLY, u"fixed");
        SetDlgItemText(IDC_NOTES, u"Line one\r\n二行目");
    }

    CBrush m_labelBrush;
};

BEGIN_MESSAGE_MAP(AllControlsDialog, CDialog)
    ON_BN_CLICKED(IDC_APPLY, &AllControlsDialog::OnApply)
    ON_EN_CHANGE(IDC_NAME, &AllControlsDialog::OnNameChange)
    ON_UPDATE_COMMAND_UI(IDC_APPLY, &AllControlsDialog::OnUpdateApply)
    ON_MESSAGE(WM_KICKIDLE, &AllControlsDialog::OnKickIdle)
    ON_WM_DRAWITEM()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

// One notification that reached the dialog: WM_COMMAND (code is the
// notification code, 0 for a menu, 1 for an accelerator), WM_NOTIFY (code of the NMHDR) or WM_H/VSCROLL (code is
// the scroll code, id the control's).
struct Notice {
    int id = 0;
    UINT code = 0;
    friend bool operator==(const Notice&, const Notice&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const Notice& n)
{
    return out << "{" << n.id << ", " << static_cast<int>(n.code) << "}";
}

// The test dialog, modeless, recording what its controls tell it.
class RecordingDialog : public AllControlsDialog {
public:
    std::vector<Notice> m_notices;
    std::vector<NMLISTVIEW> m_listChanges;  // LVN_ITEMCHANGED
    std::vector<NMTREEVIEW> m_treeChanges;  // TVN_SELCHANGED
    std::vector<int> m_clickedItems;        // NM_CLICK and NM_DBLCLK of the list view
    bool m_vetoTreeChange = false;
    bool m_vetoTabChange = false;

    // The codes that came from one control, in order.
    std::vector<UINT> Codes(int id) const
    {
        std::vector<UINT> codes;
        for (const Notice& n : m_notices) {
            if (n.id == id) codes.push_back(n.code);
        }
        return codes;
    }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        // Menu commands (code 0) and accelerators (code 1) carry no control.
        m_notices.push_back(Notice{LOWORD(wParam), HIWORD(wParam)});
        return AllControlsDialog::OnCommand(wParam, lParam);
    }

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header) return FALSE;
        // Drawing asks for colours all the time: not what the tests watch.
        if (header->code == NM_CUSTOMDRAW) return AllControlsDialog::OnNotify(wParam, lParam, pResult);
        m_notices.push_back(Notice{static_cast<int>(header->idFrom), header->code});
        if (header->code == LVN_ITEMCHANGED) m_listChanges.push_back(*reinterpret_cast<const NMLISTVIEW*>(lParam));
        if (header->code == TVN_SELCHANGED) m_treeChanges.push_back(*reinterpret_cast<const NMTREEVIEW*>(lParam));
        if (header->idFrom == IDC_TABLE && (header->code == NM_CLICK || header->code == NM_DBLCLK)) {
            m_clickedItems.push_back(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem);
        }
        if (header->code == TVN_SELCHANGING && m_vetoTreeChange) {
            *pResult = TRUE;
            return TRUE;
        }
        if (header->code == TCN_SELCHANGING && m_vetoTabChange) {
            *pResult = TRUE;
            return TRUE;
        }
        return AllControlsDialog::OnNotify(wParam, lParam, pResult);
    }

    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
    {
        const int id = pScrollBar ? pScrollBar->GetDlgCtrlID() : 0;
        m_notices.push_back(Notice{id, nSBCode});
        // A scroll bar is moved by its parent.
        if (id == IDC_SCROLL) {
            int pos = pScrollBar->GetScrollPos();
            if (nSBCode == SB_LINERIGHT) pos += 1;
            if (nSBCode == SB_LINELEFT) pos -= 1;
            if (nSBCode == SB_THUMBPOSITION || nSBCode == SB_THUMBTRACK) pos = static_cast<int>(nPos);
            pScrollBar->SetScrollPos(pos);
        }
    }

    void OnVScroll(UINT nSBCode, UINT, CScrollBar* pScrollBar)
    {
        m_notices.push_back(Notice{pScrollBar ? pScrollBar->GetDlgCtrlID() : 0, nSBCode});
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RecordingDialog, AllControlsDialog)
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

// A fixture with the test dialog up, modeless and shown.
class RecordingDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_resources.Loaded());
        ASSERT_TRUE(m_dlg.Create(IDD_ALL_CONTROLS));
        m_dlg.ShowWindow(SW_SHOW);
        Pump(0);
        m_dlg.m_notices.clear();
    }
    void TearDown() override
    {
        if (m_dlg.GetSafeHwnd()) m_dlg.DestroyWindow();
        FlushDeletedWidgets();
    }

    ScopedResources m_resources{u"uitest", "en"};
    RecordingDialog m_dlg;
    DialogDriver m_d{HWND()};
    DialogDriver& D()
    {
        m_d = DialogDriver(m_dlg.GetSafeHwnd());
        return m_d;
    }
};

}  // namespace uitest
