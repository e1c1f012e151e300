// The list-like controls of the test dialog: combo boxes (items with data,
// exact and prefix search, notifications of a person's choice only), the
// list box, the report list view (selection, check boxes, clicks) and the
// tree view (items with data, expanding, selection and its veto).
#include "platform/ui/tests/TestDialog.h"

namespace {

using uitest::Notice;

class ListControlsTest : public uitest::RecordingDialogTest {
protected:
    CComboBox* Mode() { return static_cast<CComboBox*>(m_dlg.GetDlgItem(IDC_MODE)); }
    CComboBox* Port() { return static_cast<CComboBox*>(m_dlg.GetDlgItem(IDC_PORT)); }
    CListBox* Items() { return static_cast<CListBox*>(m_dlg.GetDlgItem(IDC_ITEMS)); }
    CListCtrl* Table() { return static_cast<CListCtrl*>(m_dlg.GetDlgItem(IDC_TABLE)); }
    CTreeCtrl* Tree() { return static_cast<CTreeCtrl*>(m_dlg.GetDlgItem(IDC_TREE)); }

    POINT MiddleOfRow(int item)
    {
        CRect r;
        Table()->GetItemRect(item, &r, LVIR_LABEL);
        return POINT{r.left + 10, (r.top + r.bottom) / 2};
    }
};

TEST_F(ListControlsTest, ComboFindsExactAndPrefixWithoutCaseFromAStart)
{
    CComboBox* port = Port();
    port->ResetContent();
    for (const char16_t* s : {u"COM1", u"com10", u"COM2", u"USB0", u"Com1"}) port->AddString(s);
    struct Row {
        const char* name;
        bool exact;
        int start;
        const char16_t* text;
        int found;
    };
    const Row rows[] = {
        {"exact from the top", true, -1, u"com1", 0},
        {"exact after the first match", true, 0, u"COM1", 4},
        {"exact wraps around", true, 4, u"COM1", 0},
        {"exact is not a prefix", true, -1, u"COM", CB_ERR},
        {"prefix from the top", false, -1, u"com1", 0},
        {"prefix after the first", false, 0, u"com1", 1},
        {"prefix of another", false, -1, u"us", 3},
        {"prefix missing", false, -1, u"LPT", CB_ERR},
        {"empty prefix is the first after the start", false, 1, u"", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const int found = row.exact ? port->FindStringExact(row.start, row.text) : port->FindString(row.start, row.text);
        EXPECT_EQ(found, row.found);
    }
}

TEST_F(ListControlsTest, ComboItemDataAndTheChoiceNotifications)
{
    CComboBox* mode = Mode();
    for (int i = 0; i < mode->GetCount(); ++i) mode->SetItemData(i, static_cast<DWORD_PTR>(100 + i));
    // Items inserted later move the data with their items.
    mode->InsertString(0, u"First");
    EXPECT_EQ(mode->GetItemData(1), 100u);
    EXPECT_EQ(mode->GetItemData(0), 0u);

    m_dlg.m_notices.clear();
    mode->SetCurSel(2);  // the program's choice: no notification
    EXPECT_TRUE(m_dlg.Codes(IDC_MODE).empty());
    CString text;
    mode->GetWindowText(text);
    EXPECT_EQ(text, CString(u"Auto"));

    D().ChooseComboEntry(IDC_MODE, 3);  // a person's choice
    EXPECT_EQ(mode->GetCurSel(), 3);
    const std::vector<UINT> codes = m_dlg.Codes(IDC_MODE);
    ASSERT_FALSE(codes.empty());
    EXPECT_NE(std::find(codes.begin(), codes.end(), static_cast<UINT>(CBN_SELCHANGE)), codes.end());
    mode->GetLBText(3, text);
    EXPECT_EQ(text, CString(u"Step"));
    EXPECT_EQ(mode->SelectString(-1, u"man"), 1);
    EXPECT_EQ(mode->GetCurSel(), 1);
    EXPECT_EQ(mode->SelectString(-1, u"nothing"), CB_ERR);
    EXPECT_EQ(mode->GetCurSel(), 1);
}

TEST_F(ListControlsTest, ListBoxSelectionByClickAndByProgram)
{
    CListBox* items = Items();
    items->SetItemData(2, 77);
    m_dlg.m_notices.clear();
    items->SetCurSel(0);
    EXPECT_TRUE(m_dlg.Codes(IDC_ITEMS).empty());

    CRect r;
    items->SendMessage(LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
    D().ClickAt(IDC_ITEMS, POINT{r.left + 5, (r.top + r.bottom) / 2});
    EXPECT_EQ(items->GetCurSel(), 2);
    EXPECT_EQ(items->GetItemData(items->GetCurSel()), 77u);
    const std::vector<UINT> codes = m_dlg.Codes(IDC_ITEMS);
    EXPECT_NE(std::find(codes.begin(), codes.end(), static_cast<UINT>(LBN_SELCHANGE)), codes.end());
    EXPECT_EQ(items->FindStringExact(-1, u"デルタ"), 3);
    CString text;
    items->GetText(3, text);
    EXPECT_EQ(text, CString(u"デルタ"));
}

TEST_F(ListControlsTest, ListViewClickSelectsARowAndTellsTheParent)
{
    CListCtrl* table = Table();
    table->SetItemData(1, 500);
    m_dlg.m_notices.clear();
    m_dlg.m_listChanges.clear();
    D().ClickAt(IDC_TABLE, MiddleOfRow(1));

    EXPECT_EQ(table->GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(table->GetItemState(1, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
    bool selectedRow1 = false;
    for (const NMLISTVIEW& change : m_dlg.m_listChanges) {
        if (change.iItem == 1 && (change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) &&
            !(change.uOldState & LVIS_SELECTED)) {
            selectedRow1 = true;
            EXPECT_EQ(change.lParam, 500);
        }
    }
    EXPECT_TRUE(selectedRow1) << "no LVN_ITEMCHANGED for the selected row";
    EXPECT_EQ(m_dlg.m_clickedItems, std::vector<int>{1});

    // A click on another row moves the single selection.
    m_dlg.m_listChanges.clear();
    D().ClickAt(IDC_TABLE, MiddleOfRow(2));
    EXPECT_EQ(table->GetSelectedCount(), 1u);
    EXPECT_EQ(table->GetNextItem(-1, LVNI_SELECTED), 2);
    bool deselected1 = false;
    for (const NMLISTVIEW& change : m_dlg.m_listChanges) {
        if (change.iItem == 1 && (change.uOldState & LVIS_SELECTED) && !(change.uNewState & LVIS_SELECTED)) {
            deselected1 = true;
        }
    }
    EXPECT_TRUE(deselected1);

    m_dlg.m_clickedItems.clear();
    D().DoubleClickAt(IDC_TABLE, MiddleOfRow(0));
    const std::vector<UINT> codes = m_dlg.Codes(IDC_TABLE);
    EXPECT_NE(std::find(codes.begin(), codes.end(), static_cast<UINT>(NM_DBLCLK)), codes.end());
    EXPECT_EQ(m_dlg.m_clickedItems.back(), 0);
}

TEST_F(ListControlsTest, ListViewColumnsComeOutWithTheirCells)
{
    CListCtrl* table = Table();
    CHeaderCtrl* header = table->GetHeaderCtrl();
    ASSERT_TRUE(header);
    while (header->GetItemCount() > 0) ASSERT_TRUE(table->DeleteColumn(header->GetItemCount() - 1));
    table->DeleteAllItems();
    table->InsertColumn(0, u"A", LVCFMT_LEFT, 40);
    table->InsertColumn(1, u"B", LVCFMT_RIGHT, 50);
    table->InsertColumn(2, u"C", LVCFMT_LEFT, 60);
    table->InsertItem(0, u"a0");
    table->SetItemText(0, 1, u"b0");
    table->SetItemText(0, 2, u"c0");
    ASSERT_EQ(header->GetItemCount(), 3);

    // The middle column goes; the last one takes its place with its cells and width.
    EXPECT_TRUE(table->DeleteColumn(1));
    EXPECT_EQ(header->GetItemCount(), 2);
    EXPECT_EQ(table->GetItemText(0, 0), CString(u"a0"));
    EXPECT_EQ(table->GetItemText(0, 1), CString(u"c0"));
    EXPECT_EQ(table->GetColumnWidth(1), 60);
    char16_t text[16] = {};
    LVCOLUMN column;
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = text;
    column.cchTextMax = 16;
    ASSERT_TRUE(table->GetColumn(1, &column));
    EXPECT_EQ(CString(text), CString(u"C"));
    EXPECT_EQ(column.fmt, LVCFMT_LEFT);
    // A column that is not there is refused, and deleting ends.
    EXPECT_FALSE(table->DeleteColumn(2));
    EXPECT_TRUE(table->DeleteColumn(1));
    EXPECT_FALSE(table->DeleteColumn(1));
    EXPECT_EQ(header->GetItemCount(), 1);
}

TEST_F(ListControlsTest, ListViewStateChangesByTheProgramAreNotifiedToo)
{
    CListCtrl* table = Table();
    struct Row {
        const char* name;
        std::function<void()> change;
        int item;
        UINT newMask;  // state bits that must be set afterwards
    };
    const Row rows[] = {
        {"select", [&] { table->SetItemState(2, LVIS_SELECTED, LVIS_SELECTED); }, 2, LVIS_SELECTED},
        {"check", [&] { table->SetCheck(0, TRUE); }, 0, INDEXTOSTATEIMAGEMASK(2)},
        {"uncheck", [&] { table->SetCheck(0, FALSE); }, 0, INDEXTOSTATEIMAGEMASK(1)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_dlg.m_listChanges.clear();
        row.change();
        ASSERT_FALSE(m_dlg.m_listChanges.empty());
        const NMLISTVIEW& change = m_dlg.m_listChanges.back();
        EXPECT_EQ(change.iItem, row.item);
        EXPECT_EQ(change.uNewState & row.newMask, row.newMask);
        EXPECT_NE(change.uNewState, change.uOldState);
    }
    EXPECT_FALSE(table->GetCheck(0));
    // Setting what is already set changes nothing and tells nothing.
    m_dlg.m_listChanges.clear();
    table->SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_TRUE(m_dlg.m_listChanges.empty());
}

TEST_F(ListControlsTest, ListViewCheckBoxToggledWithTheSpaceKey)
{
    CListCtrl* table = Table();
    D().ClickAt(IDC_TABLE, MiddleOfRow(1));
    ASSERT_FALSE(table->GetCheck(1));
    m_dlg.m_listChanges.clear();
    D().Key(Qt::Key_Space);
    EXPECT_TRUE(table->GetCheck(1));
    bool told = false;
    for (const NMLISTVIEW& change : m_dlg.m_listChanges) {
        told = told || (change.iItem == 1 && (change.uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2));
    }
    EXPECT_TRUE(told);
}

TEST_F(ListControlsTest, TreeItemsWithDataSelectionAndItsVeto)
{
    CTreeCtrl* tree = Tree();
    tree->DeleteAllItems();
    const HTREEITEM root = tree->InsertItem(u"root");
    const HTREEITEM first = tree->InsertItem(u"first", root);
    const HTREEITEM second = tree->InsertItem(u"second", root);
    const HTREEITEM grandchild = tree->InsertItem(u"grandchild", second);
    tree->SetItemData(second, 42);
    EXPECT_EQ(tree->GetItemData(second), 42u);
    EXPECT_EQ(tree->GetParentItem(grandchild), second);
    EXPECT_EQ(tree->GetChildItem(root), first);
    EXPECT_EQ(tree->GetNextSiblingItem(first), second);
    EXPECT_EQ(tree->GetNextSiblingItem(second), nullptr);
    EXPECT_EQ(tree->GetItemText(grandchild), CString(u"grandchild"));
    EXPECT_TRUE(tree->ItemHasChildren(second));
    EXPECT_FALSE(tree->ItemHasChildren(first));

    // The program's selection tells the parent, as an unknown action.
    m_dlg.m_treeChanges.clear();
    EXPECT_TRUE(tree->SelectItem(second));
    ASSERT_EQ(m_dlg.m_treeChanges.size(), 1u);
    EXPECT_EQ(m_dlg.m_treeChanges[0].action, TVC_UNKNOWN);
    EXPECT_EQ(m_dlg.m_treeChanges[0].itemNew.hItem, second);
    EXPECT_EQ(m_dlg.m_treeChanges[0].itemNew.lParam, 42);

    // A click on a row, by mouse; a veto keeps the old one.
    tree->Expand(root, TVE_EXPAND);
    CRect r;
    ASSERT_TRUE(tree->GetItemRect(first, &r, TRUE));
    m_dlg.m_vetoTreeChange = true;
    m_dlg.m_treeChanges.clear();
    D().ClickAt(IDC_TREE, POINT{r.left + 3, (r.top + r.bottom) / 2});
    EXPECT_EQ(tree->GetSelectedItem(), second);
    EXPECT_TRUE(m_dlg.m_treeChanges.empty());
    m_dlg.m_vetoTreeChange = false;
    D().ClickAt(IDC_TREE, POINT{r.left + 3, (r.top + r.bottom) / 2});
    EXPECT_EQ(tree->GetSelectedItem(), first);
    ASSERT_EQ(m_dlg.m_treeChanges.size(), 1u);
    EXPECT_EQ(m_dlg.m_treeChanges[0].action, TVC_BYMOUSE);
    EXPECT_EQ(m_dlg.m_treeChanges[0].itemOld.hItem, second);

    // Deleting the selected item's parent leaves valid items only.
    tree->DeleteItem(root);
    EXPECT_EQ(tree->GetCount(), 0u);
    EXPECT_EQ(tree->GetRootItem(), nullptr);
}

}  // namespace
