// Accelerator tables from the test resources: the keys of the table become
// commands of the dialog that translates them first in PreTranslateMessage;
// other keys reach the focused control as before.
#include "platform/ui/tests/TestDialog.h"

#include "platform/core/ResourceModule.h"
#include "platform/ui/Accelerator.h"

namespace {

using uitest::Notice;

class KeyedDialog : public uitest::RecordingDialog {
public:
    HACCEL m_accel;

protected:
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (m_accel && ::TranslateAccelerator(GetSafeHwnd(), m_accel, pMsg)) return TRUE;
        return uitest::RecordingDialog::PreTranslateMessage(pMsg);
    }
};

class AcceleratorTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
    uitest::ScopedResources m_resources{u"uitest", "en"};
};

TEST_F(AcceleratorTest, TableFromTheResourcesIsSharedAndCopied)
{
    const HACCEL table = ::LoadAccelerators(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_TEST_KEYS));
    ASSERT_TRUE(table);
    EXPECT_EQ(::LoadAccelerators(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_TEST_KEYS)), table);
    EXPECT_FALSE(::LoadAccelerators(AfxGetResourceHandle(), MAKEINTRESOURCEW(9999)));
    ASSERT_EQ(::CopyAcceleratorTable(table, nullptr, 0), 4);
    ACCEL entries[4];
    ASSERT_EQ(::CopyAcceleratorTable(table, entries, 4), 4);
    EXPECT_EQ(entries[0].key, 'O');
    EXPECT_EQ(entries[0].fVirt, FVIRTKEY | FCONTROL);
    EXPECT_EQ(entries[0].cmd, ID_FILE_OPEN);
    EXPECT_EQ(entries[2].key, 3);  // "^C"
    EXPECT_EQ(entries[2].fVirt, 0);
    EXPECT_EQ(entries[3].key, VK_F5);
    // A shared table stays usable after a destroy.
    EXPECT_TRUE(::DestroyAcceleratorTable(table));
    EXPECT_EQ(::CopyAcceleratorTable(table, nullptr, 0), 4);

    const ACCEL mine[] = {{FVIRTKEY, VK_F2, 77}};
    const HACCEL own = ::CreateAcceleratorTable(mine, 1);
    ASSERT_TRUE(own);
    EXPECT_TRUE(::DestroyAcceleratorTable(own));
    EXPECT_EQ(::CopyAcceleratorTable(own, nullptr, 0), 0);
    EXPECT_FALSE(::DestroyAcceleratorTable(own));
}

TEST_F(AcceleratorTest, KeysOfTheTableBecomeCommandsAndOthersAreTyped)
{
    struct Row {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        int command;  // 0: none
        const char16_t* nameText;
    };
    const Row rows[] = {
        {"Ctrl+O", Qt::Key_O, Qt::ControlModifier, ID_FILE_OPEN, u""},
        {"Ctrl+Shift+S", Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, ID_FILE_SAVE, u""},
        {"Ctrl+S lacks the Shift of the entry", Qt::Key_S, Qt::ControlModifier, 0, u""},
        {"character entry ^C", Qt::Key_C, Qt::ControlModifier, ID_EDIT_COPY, u""},
        {"F5", Qt::Key_F5, Qt::NoModifier, ID_VIEW_ZOOM, u""},
        {"plain o is typed", Qt::Key_O, Qt::NoModifier, 0, u"o"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        KeyedDialog dlg;
        dlg.m_accel = ::LoadAccelerators(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_TEST_KEYS));
        ASSERT_TRUE(dlg.Create(IDD_ALL_CONTROLS));
        dlg.ShowWindow(SW_SHOW);
        uitest::DialogDriver d(dlg.GetSafeHwnd());
        ::SetFocus(d.Item(IDC_NAME));
        d.Retype(IDC_NAME, u"");
        dlg.m_notices.clear();
        if (row.key == Qt::Key_O && row.modifiers == Qt::NoModifier) {
            d.Type(IDC_NAME, u"o");
        } else {
            d.Key(row.key, row.modifiers);
        }
        std::vector<Notice> commands;
        for (const Notice& n : dlg.m_notices) {
            if (n.code == 1) commands.push_back(n);
        }
        if (row.command) {
            EXPECT_EQ(commands, (std::vector<Notice>{{row.command, 1}}));
        } else {
            EXPECT_TRUE(commands.empty());
        }
        EXPECT_EQ(d.Text(IDC_NAME), CString(row.nameText));
        dlg.DestroyWindow();
    }
}

}  // namespace
