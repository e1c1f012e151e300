// The I/O monitor and the status monitor, made by the data manager as the
// program makes them: they follow the emulated controller's changes while
// shown, and when hidden they stop, and so do the extra reads of the poll.
#include "manager/dialogs/tests/CtrlDialogTestSupport.h"

#include "manager/dialogs/DlgIoMonitor.h"

#include "resources/manager/ctrldlgs_ids.h"

namespace {

using namespace ctrltest;

class MonitorWindows : public testfx::FakeManagerWindows {
public:
    std::unique_ptr<IIoMonitor> CreateIoMonitor(HWND parent) override
    {
        auto window = CDlgIoMonitor::CreateFor(parent);
        io = window.get();
        return window;
    }
    std::unique_ptr<IStatusMonitor> CreateStatusMonitor(HWND parent) override
    {
        auto window = CDlgStatusMonitor::CreateFor(parent);
        status = window.get();
        return window;
    }
    CDlgIoMonitor* io = nullptr;
    CDlgStatusMonitor* status = nullptr;
};

TEST(IoWordLineTest, WordsAreShownInHexadecimalAndRightAlignedDecimal)
{
    EXPECT_EQ(FormatIoWordLine(0x00FF), CString(u"00FFh     (  255)"));
    EXPECT_EQ(FormatIoWordLine(0xFFFF), CString(u"FFFFh     (65535)"));
    EXPECT_EQ(FormatIoWordLine(0), CString(u"0000h     (    0)"));
}

class MonitorTest : public ::testing::Test, protected OnlineController {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Open("Q05")) << emulator.LastError();
        Data().FirstParamSet()->K(72) = 2;
        StartPolling();
    }
    int WideIoQueries() const
    {
        int n = 0;
        for (const std::string& line : emulator.ReceivedCommands()) n += line.rfind("@?WIO", 0) == 0;
        return n;
    }
    static int Bits(HWND row) { return static_cast<CLedLampRow*>(CWnd::FromHandle(row))->GetBits(); }
    static bool Lamp(HWND lamp) { return static_cast<CLedLamp*>(CWnd::FromHandle(lamp))->GetState(); }

    MonitorWindows monitors;
    ScopedManagerWindows install{&monitors};
};

TEST_F(MonitorTest, TheIoMonitorFollowsTheControllerWhileShownAndStopsWhenHidden)
{
    Controller().SetInputs(0x1234);
    Controller().SetWideInput(0, 0x00FF);
    manager->ShowIoMonitor(u"Q05", u"node 1");
    ASSERT_NE(monitors.io, nullptr);
    uitest::DialogDriver d(monitors.io->GetSafeHwnd());
    ASSERT_TRUE(PumpUntil([&] { return Bits(d.Item(IDC_IO_IN_LOW)) == 0x34 && Bits(d.Item(IDC_IO_IN_HIGH)) == 0x12; }));
    ASSERT_TRUE(PumpUntil([&] { return d.Text(IDC_IO_WORDS_LOW).Find(u"00FFh     (  255)") == 0; }));
    EXPECT_EQ(d.Text(IDC_IO_WORDS_LOW).Find(u"\n0000h"), 17);
    EXPECT_TRUE(monitors.io->IsShown());
    KeepPicture(d.Dialog(), "DlgIoMonitor.en");

    // Only the high byte changes: the low rows stay as they were.
    Controller().SetInputs(0x5634);
    ASSERT_TRUE(PumpUntil([&] { return Bits(d.Item(IDC_IO_IN_HIGH)) == 0x56; }));
    EXPECT_EQ(Bits(d.Item(IDC_IO_IN_LOW)), 0x34);

    monitors.io->SendMessage(WM_CLOSE);
    EXPECT_FALSE(monitors.io->IsWindowVisible());
    EXPECT_FALSE(monitors.io->IsShown());
    PumpFor(300ms);
    emulator.ClearLog();
    Controller().SetInputs(0x0001);
    ASSERT_TRUE(PumpUntil([&] { return CDataManager::GetStatusCells()->Inputs() == 0x0001; }));
    PumpFor(400ms);
    EXPECT_EQ(WideIoQueries(), 0) << "the poll reads the I/O words only for a shown monitor";
    EXPECT_EQ(Bits(d.Item(IDC_IO_IN_LOW)), 0x34) << "a hidden monitor follows nothing";

    manager->ShowIoMonitor(u"Q05", u"node 1");
    EXPECT_TRUE(PumpUntil([&] { return Bits(d.Item(IDC_IO_IN_LOW)) == 0x01 && WideIoQueries() > 0; }));
}

TEST_F(MonitorTest, TheStatusMonitorShowsLampsAndValuesAndEmptiesThemOffline)
{
    Controller().SetOptionStatus(0x0808 | 0x1000);
    Controller().SetDValue(0, 12345);
    Controller().SetDValue(9, 123);
    Controller().SetDValue(15, 59);
    manager->ShowStatusMonitor(u"Q05", u"node 1");
    ASSERT_NE(monitors.status, nullptr);
    uitest::DialogDriver d(monitors.status->GetSafeHwnd());
    ASSERT_TRUE(PumpUntil([&] { return d.Text(IDC_SM_D0) == CString(u"123.45"); }));
    EXPECT_EQ(d.Text(IDC_SM_D9), CString(u"12.3"));
    EXPECT_EQ(d.Text(IDC_SM_D15), CString(u"0:00:59"));
    EXPECT_TRUE(Lamp(d.Item(1273))) << "bit 3";
    EXPECT_TRUE(Lamp(d.Item(1282))) << "bit 11";
    EXPECT_FALSE(Lamp(d.Item(1284))) << "bit 13";
    KeepPicture(d.Dialog(), "DlgStatusMonitor.en");

    Controller().SetDValue(0, -500);
    Controller().SetOptionStatus(0x2000);
    ASSERT_TRUE(PumpUntil([&] { return d.Text(IDC_SM_D0) == CString(u"-5.00") && Lamp(d.Item(1284)); }));
    EXPECT_FALSE(Lamp(d.Item(1273)));

    monitors.status->SetController(u"Q05", u"node 1", u"Q05", 2, false);
    EXPECT_TRUE(d.Text(IDC_SM_D0).IsEmpty());
    EXPECT_TRUE(d.Text(IDC_SM_D15).IsEmpty());
    CString title;
    monitors.status->GetWindowText(title);
    EXPECT_NE(title.Find(u"(offline)"), -1);
}

TEST_F(MonitorTest, PicturesInJapanese)
{
    uitest::ScopedResources japanese(u"resource", "ja");
    Controller().SetInputs(0x00A5);
    manager->ShowIoMonitor(u"Q05", u"ノード 1");
    manager->ShowStatusMonitor(u"Q05", u"ノード 1");
    uitest::DialogDriver io(monitors.io->GetSafeHwnd());
    ASSERT_TRUE(PumpUntil([&] { return Bits(io.Item(IDC_IO_IN_LOW)) == 0xA5; }));
    KeepPicture(io.Dialog(), "DlgIoMonitor.ja");
    KeepPicture(monitors.status->GetSafeHwnd(), "DlgStatusMonitor.ja");
}

}  // namespace
