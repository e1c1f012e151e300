// The base of the connected dialogs: borrowing the link from the status poll
// and giving it back, Enter and Escape, and a link that fails while a
// command of the dialog waits for its answer.
#include "manager/dialogs/tests/CtrlDialogTestSupport.h"

#include "manager/dialogs/ConnectableDialog.h"

#include "manager/core/ControllerCommands.h"
#include "manager/core/StatusCells.h"
#include "resources/manager/ctrldlgs_ids.h"

namespace {

using namespace ctrltest;

class ConnectableDialogTest : public ::testing::Test, protected OnlineController {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Open("Q05")) << emulator.LastError();
        StartPolling();
        // Any template with an edit does; the comment list's has nine.
        ASSERT_TRUE(dialog.CreateConnected(IDD_COMMENT_LIST, &host, &Data(), manager->GetLink(),
                                           manager->GetProtocol(), 1));
        dialog.ShowWindow(SW_SHOW);
        uitest::Pump(0);
    }
    void TearDown() override
    {
        dialog.DestroyWindow();
        uitest::FlushDeletedWidgets();
    }
    LinkHandshake& Handshake() { return CDataManager::GetStatusCells()->Handshake(); }

    HostWindow host;
    CConnectableDialog dialog;
};

TEST_F(ConnectableDialogTest, TheLinkIsBorrowedOnceAndGivenBackOnce)
{
    EXPECT_EQ(Handshake().HoldCount(), 0);
    dialog.ReleaseLink();
    EXPECT_EQ(Handshake().HoldCount(), 0) << "nothing borrowed, nothing given back";
    ASSERT_TRUE(dialog.AcquireLink());
    EXPECT_EQ(Handshake().HoldCount(), 1);
    EXPECT_FALSE(Handshake().IsPollBusy()) << "no poll query runs while the link is borrowed";
    ASSERT_TRUE(dialog.AcquireLink());
    EXPECT_EQ(Handshake().HoldCount(), 1) << "a second borrow changes nothing";
    emulator.ClearLog();
    PumpFor(300ms);
    EXPECT_TRUE(emulator.ReceivedCommands().empty()) << "the poll waits";
    CString name;
    EXPECT_TRUE(QueryControllerName(manager->GetLink(), manager->GetProtocol(), 1, name));
    dialog.ReleaseLink();
    EXPECT_EQ(Handshake().HoldCount(), 0);
    EXPECT_TRUE(PumpUntil([&] { return !emulator.ReceivedCommands().empty() && Count("@?IN1.1") > 0; }));
}

TEST_F(ConnectableDialogTest, EnterAndEscapeDoNotCloseTheDialog)
{
    uitest::DialogDriver d(dialog.GetSafeHwnd());
    d.Type(IDC_CMT_EDIT_1 + 1, u"abc");
    d.Key(Qt::Key_Return);
    d.Key(Qt::Key_Escape);
    uitest::Pump(20);
    EXPECT_TRUE(dialog.IsWindowVisible());
    EXPECT_TRUE(dialog.IsCreated());
}

TEST_F(ConnectableDialogTest, ALinkThatFailsDuringACommandEndsItAsRefused)
{
    ASSERT_TRUE(dialog.AcquireLink());
    emulator.Script().OnKeyword("CONT", emu::Fault::DropLink(), 1);
    CString name;
    EXPECT_FALSE(QueryControllerName(manager->GetLink(), manager->GetProtocol(), 1, name));
    EXPECT_EQ(manager->GetProtocol()->GetLastNgCode(), CConnectableDialog::kLinkErrorCode);
    dialog.ReleaseLink();
}

}  // namespace
