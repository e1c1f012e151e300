#include "tools/CommMsgDlg.h"
#include "tools/KXContInitDlg.h"
#include "tools/tests/DialogTestSupport.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/CommManager.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace toolstest;

constexpr int kComNumber = 3;
constexpr int kMaxComPort = 4;
// The scan waits for the line to fall silent for one reply time-out.
constexpr DWORD kScanTimeOutMs = 1500;

TEST(ControllerModelNameTest, TheTypeTextGivesTheModelName)
{
    struct Case {
        const char* type;
        const char* model;
    };
    const Case cases[] = {
        {"Q05", "N2*"},  {"Q10", "UNKNOWN"}, {"Q20", "UNKNOWN"}, {"V05", "UNKNOWN"}, {"LA2", "N1"},
        {"LA", "N1"},    {"LB", "N3"},       {"LB2", "N3"},      {"LBX", "INVALID"}, {"LC", "UNKNOWN"},
        {"XYZ", "INVALID"}, {"", "INVALID"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const ControllerCodes codes = ControllerCodesOf(W(c.type));
        EXPECT_EQ(GetSuitableContName(CKXContInitDlg::kBrand, codes.nTypeCode, codes.nCurCode, codes.nRevCode),
                  W(c.model));
    }
    EXPECT_EQ(GetSuitableContName(CKXContInitDlg::kBrand, 0, 0, 0), CString(u"INVALID")) << "an entry without a node";
}

class KXContInitDlgTest : public ::testing::Test {
protected:
    KXContInitDlgTest()
    {
        WriteCommIni(settings, kMaxComPort);
        emulator.AddController(1, "LB");
        emulator.AddController(2, "Q05");
    }
    bool OpenCallerLink() { return callerLink.OpenTcp(emulator.ServeTcp()); }
    void ServeSerial()
    {
        const std::string path = emulator.ServePty();
        ASSERT_FALSE(path.empty()) << emulator.LastError();
        ports.emplace(kMaxComPort, std::map<int, std::string>{{kComNumber, path}});
    }
    INT_PTR Run(CCommManager* link, const std::function<void(CKXContInitDlg&, uitest::DialogDriver&)>& script)
    {
        CKXContInitDlg dlg;
        dlg.SetCommMan(link);
        return RunModalWhenReady(
            dlg, [&] { return !dlg.IsBusy(); }, [&](uitest::DialogDriver& d) { script(dlg, d); });
    }
    // Waits (pumping, so a scan posted meanwhile runs) until the scan has
    // filled the node list.
    static bool Scanned(uitest::DialogDriver& d)
    {
        return uitest::WaitUntil([&] { return d.Enabled(IDC_INIT_NODE_LIST); }, 30000);
    }

    ScopedEnv english{"QV_LANG", "en"};
    ScopedReplyTimeOut timeOut{kScanTimeOutMs};
    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
    emu::Emulator emulator;
    std::optional<ScopedSerialPorts> ports{std::in_place, kMaxComPort, std::map<int, std::string>{}};
    EmulatorLink callerLink;
};

TEST_F(KXContInitDlgTest, TheCallersOpenLinkIsScannedAtOnce)
{
    ASSERT_TRUE(OpenCallerLink());
    const INT_PTR result = Run(&callerLink.link, [&](CKXContInitDlg& dlg, uitest::DialogDriver& d) {
        ASSERT_TRUE(Scanned(d));
        EXPECT_TRUE(d.Visible(IDC_INIT_CONNECT));
        EXPECT_FALSE(d.Enabled(IDC_INIT_CONNECT));
        EXPECT_FALSE(d.Visible(IDC_INIT_DISCONNECT)) << "the caller's link is not the dialog's to close";
        // Nor does a Disconnect command that reaches the dialog another way.
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_INIT_DISCONNECT, BN_CLICKED), 0);
        EXPECT_EQ(callerLink.link.IsOpen(), 1);
        EXPECT_TRUE(d.Enabled(IDC_INIT_NODE_LIST));
        EXPECT_EQ(d.Text(IDC_INIT_PORT_LIST), CString(u"Connected: TCPIP"));
        EXPECT_EQ(d.Text(IDC_INIT_CONTROLLER_TEXT), CString(u"N3"));
        EXPECT_EQ(d.Text(IDC_INIT_TYPE_TEXT), CString(u"LB"));
        EXPECT_EQ(d.Text(IDC_INIT_MODEL_NAME), CString(u"N3"));
        d.ChooseComboEntry(IDC_INIT_NODE_LIST, 1);
        EXPECT_EQ(d.Text(IDC_INIT_CONTROLLER_TEXT), CString(u"N2"));
        EXPECT_EQ(d.Text(IDC_INIT_TYPE_TEXT), CString(u"Q05"));
        EXPECT_EQ(d.Text(IDC_INIT_MODEL_NAME), CString(u"N2*"));
        EXPECT_TRUE(d.Enabled(IDC_INIT_SET_CONTROLLER));
        d.ChooseComboEntry(IDC_INIT_NODE_LIST, 2);
        EXPECT_EQ(d.Text(IDC_INIT_CONTROLLER_TEXT), CString(u"------"));
        EXPECT_EQ(d.Text(IDC_INIT_MODEL_NAME), CString(u"INVALID"));
        EXPECT_FALSE(d.Enabled(IDC_INIT_SET_CONTROLLER)) << "no controller answered for node 3";
        d.ChooseComboEntry(IDC_INIT_NODE_LIST, 1);
        KeepPicture(d, "KXContInitDlg-scanned.en");
        d.Click(IDC_INIT_CLOSE);
    });
    EXPECT_EQ(result, 0) << "Close ends with 0";
    EXPECT_EQ(emulator.ReceivedCommands(), (std::vector<std::string>{"@?CONT", "@?TYPE.1", "@?TYPE.2"}));
    EXPECT_EQ(callerLink.link.IsOpen(), 1) << "the caller's link stays open";
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(KXContInitDlgTest, SettingUpAControllerAsksBeforeEachStepAndSendsOnlyWhatWasAccepted)
{
    struct Case {
        const char* name;
        int node;         // node list entry + 1
        int rename;       // the answer to the rename question, 0 when none is asked
        int initialise;   // the answer to the initialisation question, 0 when none is asked
        bool allAreas;
        bool timeRefused;
        std::vector<std::string> commands;
    };
    const std::vector<Case> cases = {
        {"rename refused, initialisation accepted", 2, IDNO, IDOK, true, false,
         {"@INIT PNT.2", "@INIT REC.2", "@INIT COMW.2", "@INIT TIME.2", "@INIT TRIP.2"}},
        {"rename accepted, initialisation declined", 2, IDYES, IDCANCEL, true, false,
         {"@CONT.2=N2*", "@?CONT.2", "@?TYPE.2"}},
        {"the times refused: phase 2 and nothing after it", 2, IDNO, IDOK, true, true,
         {"@INIT PNT.2", "@INIT REC.2", "@INIT COMW.2", "@INIT TIME.2"}},
        {"named after its model already; initialisation declined", 1, 0, IDCANCEL, true, false, {}},
        {"no area checked: no question, nothing sent", 2, IDNO, 0, false, false, {}},
    };
    ASSERT_TRUE(OpenCallerLink());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        emulator.Controller(2).SetControllerName("N2");
        emulator.Script().Clear();
        if (c.timeRefused) emulator.Script().OnKeyword("INIT TIME", emu::Fault::Ng(0x43));
        if (c.node == 1) boxes.Answer(IDOK, u"already named after its model");
        if (c.rename) boxes.Answer(c.rename, u"Name it \"N2*\"");
        if (c.initialise) boxes.Answer(c.initialise, u"cannot be undone");
        if (c.timeRefused) boxes.Answer(IDOK, u"Phase = 2");
        std::vector<std::string> sent;
        Run(&callerLink.link, [&](CKXContInitDlg&, uitest::DialogDriver& d) {
            ASSERT_TRUE(Scanned(d));
            if (!c.allAreas) {
                for (int id = IDC_INIT_AREA_PNT; id <= IDC_INIT_AREA_TRIP; ++id) d.Click(id);
            }
            d.ChooseComboEntry(IDC_INIT_NODE_LIST, c.node - 1);
            emulator.ClearLog();
            d.Click(IDC_INIT_SET_CONTROLLER);
            sent = emulator.ReceivedCommands();
            if (c.rename == IDYES) {
                EXPECT_EQ(d.Text(IDC_INIT_CONTROLLER_TEXT), CString(u"N2*"));
            }
            d.Click(IDC_INIT_CLOSE);
        });
        EXPECT_EQ(sent, c.commands);
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
        EXPECT_EQ(GetCommMessage(), nullptr);
    }
}

// Asks the dialog to close, by Escape and by its window's close command, while
// its scan runs.
class CloseWhileBusy : public CWnd {
public:
    static constexpr UINT_PTR kTimer = 1;
    explicit CloseWhileBusy(CKXContInitDlg& dlg) : m_dlg(dlg)
    {
        CreateEx(0, AfxRegisterWndClass(0), u"", 0, RECT{}, nullptr, 0);
        SetTimer(kTimer, 10);
    }
    ~CloseWhileBusy() override { DestroyWindow(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_TIMER && wParam == kTimer && !asked && m_dlg.IsBusy()) {
            asked = true;
            ::SendMessageW(m_dlg.GetSafeHwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
            ::PostMessageW(m_dlg.GetSafeHwnd(), WM_CLOSE, 0, 0);
            ::PostMessageW(m_dlg.GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
    bool asked = false;

private:
    CKXContInitDlg& m_dlg;
};

TEST_F(KXContInitDlgTest, TheScanCannotBeClosed)
{
    ASSERT_TRUE(OpenCallerLink());
    CKXContInitDlg dlg;
    dlg.SetCommMan(&callerLink.link);
    CloseWhileBusy closer(dlg);
    const INT_PTR result = RunModalWhenReady(
        dlg, [&] { return !dlg.IsBusy(); },
        [&](uitest::DialogDriver& d) {
            ASSERT_TRUE(Scanned(d));
            EXPECT_TRUE(closer.asked);
            EXPECT_TRUE(dlg.ContinueModal()) << "nothing ended the dialog during the scan";
            d.Click(IDC_INIT_CLOSE);
        });
    EXPECT_EQ(result, 0) << "the dialog ended by its Close button, not by the requests during the scan";
}

TEST_F(KXContInitDlgTest, ConnectsItsOwnLinkScansAndDisconnects)
{
    ServeSerial();
    const INT_PTR result = Run(nullptr, [&](CKXContInitDlg&, uitest::DialogDriver& d) {
        EXPECT_EQ(d.Text(IDC_INIT_PORT_LIST), CString(u"COM3"));
        EXPECT_TRUE(d.Visible(IDC_INIT_CONNECT));
        EXPECT_FALSE(d.Visible(IDC_INIT_DISCONNECT));
        EXPECT_FALSE(d.Enabled(IDC_INIT_NODE_LIST));
        d.Click(IDC_INIT_CONNECT);
        ASSERT_TRUE(Scanned(d));
        EXPECT_FALSE(d.Visible(IDC_INIT_CONNECT));
        EXPECT_TRUE(d.Visible(IDC_INIT_DISCONNECT));
        EXPECT_EQ(d.Text(IDC_INIT_PORT_LIST), CString(u"Connected: COM3"));
        EXPECT_EQ(d.Text(IDC_INIT_CONTROLLER_TEXT), CString(u"N3"));
        d.Click(IDC_INIT_DISCONNECT);
        EXPECT_TRUE(d.Visible(IDC_INIT_CONNECT));
        EXPECT_FALSE(d.Visible(IDC_INIT_DISCONNECT));
        EXPECT_FALSE(d.Enabled(IDC_INIT_NODE_LIST));
        EXPECT_EQ(d.Text(IDC_INIT_PORT_LIST), CString(u"COM3")) << "the ports are listed again";
        EXPECT_EQ(d.Text(IDC_INIT_CONTROLLER_TEXT), CString(u"------"));
        d.Click(IDC_INIT_CLOSE);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(emulator.ReceivedCommands(), (std::vector<std::string>{"@?CONT", "@?TYPE.1", "@?TYPE.2"}));
}

TEST_F(KXContInitDlgTest, ALineWithoutControllersIsReportedAndItsOwnLinkClosedAgain)
{
    emu::Emulator silent;
    const std::string path = silent.ServePty();
    ASSERT_FALSE(path.empty()) << silent.LastError();
    ports.emplace(kMaxComPort, std::map<int, std::string>{{kComNumber, path}});
    boxes.Answer(IDOK, u"No controller answered");
    const INT_PTR result = Run(nullptr, [&](CKXContInitDlg&, uitest::DialogDriver& d) {
        d.Click(IDC_INIT_CONNECT);
        ASSERT_TRUE(uitest::WaitUntil([&] { return boxes.Shown().size() == 1; }, 30000));
        EXPECT_TRUE(d.Visible(IDC_INIT_CONNECT));
        EXPECT_FALSE(d.Enabled(IDC_INIT_NODE_LIST));
        EXPECT_EQ(d.Text(IDC_INIT_PORT_LIST), CString(u"COM3")) << "the link was closed and the ports listed again";
        d.Click(IDC_INIT_CLOSE);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(silent.ReceivedCommands(), std::vector<std::string>{"@?CONT"});
}

TEST_F(KXContInitDlgTest, WithoutAnyPortConnectingIsRefused)
{
    boxes.Answer(IDOK, u"Cannot create connection");
    const INT_PTR result = Run(nullptr, [&](CKXContInitDlg&, uitest::DialogDriver& d) {
        EXPECT_EQ(d.Text(IDC_INIT_PORT_LIST), CString(u"No COM port"));
        d.Click(IDC_INIT_CONNECT);
        EXPECT_TRUE(d.Enabled(IDC_INIT_CONNECT));
        ::SendMessageW(d.Dialog(), WM_CLOSE, 0, 0);
        uitest::Pump(50);
    });
    EXPECT_EQ(result, 1) << "the window's own close ends with 1";
    EXPECT_EQ(boxes.PendingAnswers(), 0u);
}

}  // namespace
