// The other controls of the test dialog: buttons (clicks by mouse, key and
// message; states; owner drawing), the tab control, the spin with its
// buddy, progress bar, slider, scroll bar, IP address control, header and
// picture statics.
#include "platform/ui/tests/TestDialog.h"

#include "platform/core/ResourceModule.h"
#include "platform/ui/ResourceImages.h"

namespace {

using uitest::Notice;

class OtherControlsTest : public uitest::RecordingDialogTest {
protected:
    template <class T>
    T* Control(int id)
    {
        return static_cast<T*>(m_dlg.GetDlgItem(id));
    }
};

TEST_F(OtherControlsTest, ButtonsClickAndChangeStateByTheirKind)
{
    struct Row {
        const char* name;
        int id;
        std::function<void()> act;
        UINT checkAfter;
        int clicks;  // BN_CLICKED that reached the dialog
    };
    auto* enable = Control<CButton>(IDC_ENABLE);
    const Row rows[] = {
        {"mouse on an auto check box", IDC_ENABLE, [&] { D().Click(IDC_ENABLE); }, BST_UNCHECKED, 1},
        {"BM_CLICK on it", IDC_ENABLE, [&] { enable->Click(); }, BST_CHECKED, 1},
        {"space key on it", IDC_ENABLE,
         [&] {
             ::SetFocus(D().Item(IDC_ENABLE));
             D().Key(Qt::Key_Space);
         },
         BST_UNCHECKED, 1},
        {"BM_SETCHECK tells nothing", IDC_ENABLE, [&] { enable->SetCheck(BST_CHECKED); }, BST_CHECKED, 0},
        {"disabled: no click", IDC_ENABLE,
         [&] {
             enable->EnableWindow(FALSE);
             enable->Click();
             enable->EnableWindow(TRUE);
         },
         BST_CHECKED, 0},
        {"auto radio checks itself and clears its group", IDC_FAST, [&] { D().Click(IDC_FAST); }, BST_CHECKED, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_dlg.m_notices.clear();
        row.act();
        EXPECT_EQ(D().Check(row.id), row.checkAfter);
        const std::vector<UINT> codes = m_dlg.Codes(row.id);
        EXPECT_EQ(std::count(codes.begin(), codes.end(), static_cast<UINT>(BN_CLICKED)), row.clicks);
    }
    EXPECT_EQ(D().Check(IDC_SLOW), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(m_dlg.IsDlgButtonChecked(IDC_FAST), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(m_dlg.GetCheckedRadioButton(IDC_FAST, IDC_SLOW), IDC_FAST);
    m_dlg.CheckRadioButton(IDC_FAST, IDC_SLOW, IDC_SLOW);
    EXPECT_EQ(m_dlg.GetCheckedRadioButton(IDC_FAST, IDC_SLOW), IDC_SLOW);
}

TEST_F(OtherControlsTest, OwnerDrawnButtonIsDrawnByItsParentAndClicksAsAnyButton)
{
    m_dlg.m_drawCalls = 0;
    m_dlg.GetDlgItem(IDC_DRAWN)->Invalidate();
    m_dlg.GetDlgItem(IDC_DRAWN)->UpdateWindow();
    EXPECT_GT(m_dlg.m_drawCalls, 0);
    m_dlg.m_notices.clear();
    D().Click(IDC_DRAWN);
    EXPECT_EQ(m_dlg.Codes(IDC_DRAWN), std::vector<UINT>{BN_CLICKED});
}

TEST_F(OtherControlsTest, TabsTellAPersonsChoiceAndMayRefuseIt)
{
    auto* tabs = Control<CTabCtrl>(IDC_TABS);
    RECT r{};
    ASSERT_TRUE(tabs->GetItemRect(1, &r));
    const POINT second{(r.left + r.right) / 2, (r.top + r.bottom) / 2};

    m_dlg.m_notices.clear();
    tabs->SetCurSel(0);
    EXPECT_TRUE(m_dlg.Codes(IDC_TABS).empty());

    m_dlg.m_vetoTabChange = true;
    D().ClickAt(IDC_TABS, second);
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_EQ(m_dlg.Codes(IDC_TABS), (std::vector<UINT>{TCN_SELCHANGING, NM_CLICK}));

    m_dlg.m_vetoTabChange = false;
    m_dlg.m_notices.clear();
    D().ClickAt(IDC_TABS, second);
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_EQ(m_dlg.Codes(IDC_TABS), (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE, NM_CLICK}));

    // The display area lies inside the control, under the tabs.
    CRect window;
    tabs->GetClientRect(&window);
    CRect area = window;
    tabs->AdjustRect(FALSE, &area);
    EXPECT_GT(area.top, r.top);
    EXPECT_TRUE(window.PtInRect(area.TopLeft()));
    tabs->AdjustRect(TRUE, &area);
    EXPECT_EQ(area, window);
}

TEST_F(OtherControlsTest, SpinStepsItsBuddyAndAsksItsParentFirst)
{
    auto* spin = Control<CSpinButtonCtrl>(IDC_COUNT_SPIN);
    EXPECT_EQ(spin->GetBuddy(), m_dlg.GetDlgItem(IDC_COUNT));
    spin->SetPos32(999);
    EXPECT_EQ(D().Text(IDC_COUNT), CString(u"999"));  // no thousands separator

    // The up arrow, by mouse: UDN_DELTAPOS, then the scroll codes.
    CRect r;
    spin->GetClientRect(&r);
    m_dlg.m_notices.clear();
    D().ClickAt(IDC_COUNT_SPIN, POINT{r.Width() / 2, r.Height() / 4});
    EXPECT_EQ(spin->GetPos32(), 1000);
    EXPECT_EQ(D().Text(IDC_COUNT), CString(u"1000"));
    const std::vector<Notice> expected = {
        {IDC_COUNT_SPIN, UDN_DELTAPOS},
        {IDC_COUNT_SPIN, SB_THUMBPOSITION},
        {IDC_COUNT_SPIN, SB_ENDSCROLL},
    };
    std::vector<Notice> spinNotices;
    for (const Notice& n : m_dlg.m_notices) {
        if (n.id == IDC_COUNT_SPIN) spinNotices.push_back(n);
    }
    EXPECT_EQ(spinNotices, expected);

    // At the top of the range the arrow does nothing.
    D().ClickAt(IDC_COUNT_SPIN, POINT{r.Width() / 2, r.Height() / 4});
    EXPECT_EQ(spin->GetPos32(), 1000);

    // Arrow keys in the buddy step too.
    ::SetFocus(D().Item(IDC_COUNT));
    D().Key(Qt::Key_Down);
    EXPECT_EQ(spin->GetPos32(), 999);
    EXPECT_EQ(D().Text(IDC_COUNT), CString(u"999"));

    // A position typed into the buddy is read back.
    D().Retype(IDC_COUNT, u"12");
    EXPECT_EQ(spin->GetPos32(), 12);
}

TEST_F(OtherControlsTest, ProgressBarGivesThePreviousPositionBack)
{
    auto* progress = Control<CProgressCtrl>(IDC_PROGRESS);
    progress->SetRange32(0, 50);
    progress->SetPos(0);
    EXPECT_EQ(progress->SetPos(10), 0);
    EXPECT_EQ(progress->GetPos(), 10);
    EXPECT_EQ(progress->OffsetPos(15), 10);
    EXPECT_EQ(progress->GetPos(), 25);
    progress->SetStep(30);
    EXPECT_EQ(progress->StepIt(), 25);
    // A step past the end starts again from the bottom.
    EXPECT_EQ(progress->GetPos(), 5);
    EXPECT_EQ(progress->SetPos(80), 5);
    EXPECT_EQ(progress->GetPos(), 50);
}

TEST_F(OtherControlsTest, SliderTellsItsParentOfKeysButNotOfTheProgram)
{
    auto* slider = Control<CSliderCtrl>(IDC_SLIDER);
    m_dlg.m_notices.clear();
    slider->SetPos(5);
    EXPECT_TRUE(m_dlg.Codes(IDC_SLIDER).empty());
    ::SetFocus(D().Item(IDC_SLIDER));
    D().Key(Qt::Key_Right);
    EXPECT_EQ(slider->GetPos(), 6);
    EXPECT_EQ(m_dlg.Codes(IDC_SLIDER), (std::vector<UINT>{TB_LINEDOWN, TB_ENDTRACK}));
    slider->SetPos(50);  // beyond the range 0..10
    EXPECT_EQ(slider->GetPos(), 10);
}

TEST_F(OtherControlsTest, ScrollBarAsksItsParentToMoveIt)
{
    auto* bar = Control<CScrollBar>(IDC_SCROLL);
    bar->SetScrollRange(0, 10, FALSE);
    bar->SetScrollPos(4);
    CRect r;
    bar->GetClientRect(&r);
    m_dlg.m_notices.clear();
    D().ClickAt(IDC_SCROLL, POINT{r.right - 3, r.Height() / 2});
    const std::vector<UINT> codes = m_dlg.Codes(IDC_SCROLL);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), static_cast<UINT>(SB_LINERIGHT));
    EXPECT_EQ(codes.back(), static_cast<UINT>(SB_ENDSCROLL));
    EXPECT_EQ(bar->GetScrollPos(), 5);  // moved by the dialog's handler only
    bar->SetScrollPos(99);
    EXPECT_EQ(bar->GetScrollPos(), 10);
    SCROLLINFO info;
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ASSERT_TRUE(bar->GetScrollInfo(&info));
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, 10);
    EXPECT_EQ(info.nPos, 10);
}

TEST_F(OtherControlsTest, IPAddressRoundTripsAndCountsItsFilledFields)
{
    auto* address = Control<CIPAddressCtrl>(IDC_ADDRESS);
    struct Row {
        const char* name;
        std::function<void()> set;
        int filled;
        DWORD value;
    };
    const Row rows[] = {
        {"set whole", [&] { address->SetAddress(10, 1, 2, 254); }, 4, MAKEIPADDRESS(10, 1, 2, 254)},
        {"cleared", [&] { address->ClearAddress(); }, 0, 0},
        {"text with blanks", [&] { address->SetWindowText(u"172.16..1"); }, 3, MAKEIPADDRESS(172, 16, 0, 1)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.set();
        DWORD value = 0xFFFFFFFF;
        EXPECT_EQ(address->GetAddress(value), row.filled);
        EXPECT_EQ(value, row.value);
        EXPECT_EQ(address->IsBlank() != FALSE, row.filled == 0);
    }
    address->SetAddress(192, 168, 0, 10);
    CString text;
    address->GetWindowText(text);
    EXPECT_EQ(text, CString(u"192.168.0.10"));
}

TEST_F(OtherControlsTest, HeaderItemsAndClicks)
{
    auto* header = Control<CHeaderCtrl>(IDC_HEADER);
    EXPECT_EQ(header->GetItemCount(), 2);
    RECT r{};
    ASSERT_TRUE(header->GetItemRect(1, &r));
    m_dlg.m_notices.clear();
    D().ClickAt(IDC_HEADER, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    const std::vector<UINT> codes = m_dlg.Codes(IDC_HEADER);
    EXPECT_NE(std::find(codes.begin(), codes.end(), HDN_ITEMCLICK), codes.end());
}

TEST_F(OtherControlsTest, PictureStaticsHoldTheImagesOfTheResources)
{
    auto* icon = Control<CStatic>(IDC_APP_ICON);
    auto* logo = Control<CStatic>(IDC_LOGO);
    ASSERT_TRUE(icon->GetIcon());
    ASSERT_TRUE(logo->GetBitmap());
    BITMAP bm{};
    ASSERT_TRUE(::GetObject(logo->GetBitmap(), sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 64);
    EXPECT_EQ(bm.bmHeight, 32);
    // A smaller icon asked of the same resource is drawn at that size.
    const HICON small = HICON::FromValue(
        ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 16, 16, 0).Value());
    ASSERT_TRUE(small);
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(small, &info));
    ASSERT_TRUE(::GetObject(info.hbmColor, sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 16);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    ::DestroyIcon(small);
}

}  // namespace
