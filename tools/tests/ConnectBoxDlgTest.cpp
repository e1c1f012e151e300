#include "tools/CommMsgDlg.h"
#include "tools/ConnectBoxDlg.h"
#include "tools/tests/DialogTestSupport.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/CommManager.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace toolstest;

constexpr int kComNumber = 3;
constexpr int kMaxComPort = 4;

class ConnectBoxDlgTest : public ::testing::Test {
protected:
    // The link's settings file; then the link itself.
    void MakeLink(const std::string& extraIni = {})
    {
        WriteCommIni(settings, kMaxComPort, extraIni);
        link.emplace();
        ASSERT_TRUE(link->Initialize());
    }
    // COM3 on the emulator's terminal, the other numbers on nothing.
    void ServeSerial()
    {
        const std::string path = emulator.ServePty();
        ASSERT_FALSE(path.empty()) << emulator.LastError();
        ports.emplace(kMaxComPort, std::map<int, std::string>{{kComNumber, path}});
    }
    INT_PTR Run(const std::function<void(uitest::DialogDriver&)>& script)
    {
        CConnectBoxDlg dlg;
        dlg.m_pCommManager = &*link;
        return RunDialog(dlg, script);
    }

    ScopedEnv english{"QV_LANG", "en"};
    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
    emu::Emulator emulator;
    std::optional<ScopedSerialPorts> ports{std::in_place, kMaxComPort, std::map<int, std::string>{}};
    std::optional<CCommManager> link;
};

TEST_F(ConnectBoxDlgTest, OpensTheChosenSerialPortAndClosesOnceTheLinkIsReady)
{
    ServeSerial();
    MakeLink("[General]\r\nDefaultPort=1\r\n");
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        EXPECT_EQ(d.Check(IDC_CONNECT_SERIAL), BST_CHECKED);
        EXPECT_EQ(d.Text(IDC_CONNECT_PORT_LIST), CString(u"COM3")) << "only the ports that open are offered";
        EXPECT_TRUE(d.Enabled(IDC_CONNECT_PORT_LIST));
        EXPECT_FALSE(d.Enabled(IDC_CONNECT_IP_ADDRESS));
        d.Click(IDC_CONNECT_CONNECT);
    });
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(link->IsReady(), 1);
    EXPECT_EQ(link->GetPortType(), PORT_SERIAL);
    EXPECT_EQ(link->GetComPort(), kComNumber);
    ASSERT_EQ(link->SendData(u"@?K12.1\r\n"), 1);
    EXPECT_TRUE(PumpUntil([&] { return !emulator.ReceivedCommands().empty(); }));
}

TEST_F(ConnectBoxDlgTest, OpensATcpLinkToTheTypedAddressAndPort)
{
    emulator.AddController(1, "LB");
    const uint16_t port = emulator.ServeTcp();
    ASSERT_NE(port, 0) << emulator.LastError();
    MakeLink("[General]\r\nDefaultPort=2\r\n[TCPIP]\r\nIPAddress1=127\r\nIPAddress2=0\r\nIPAddress3=0\r\n"
             "IPAddress4=1\r\nPortNumber=1\r\n");
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        EXPECT_EQ(d.Check(IDC_CONNECT_TCP), BST_CHECKED) << "the link last opened over TCP";
        EXPECT_TRUE(d.Enabled(IDC_CONNECT_IP_ADDRESS));
        EXPECT_TRUE(d.Enabled(IDC_CONNECT_TCP_PORT));
        EXPECT_FALSE(d.Enabled(IDC_CONNECT_PORT_LIST));
        EXPECT_EQ(d.Text(IDC_CONNECT_TCP_PORT), CString(u"1"));
        d.Retype(IDC_CONNECT_TCP_PORT, CString::FromUtf8(std::to_string(port)).GetString());
        d.Click(IDC_CONNECT_CONNECT);
    });
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(link->IsReady(), 1);
    EXPECT_EQ(link->GetPortType(), PORT_TCP);
    EXPECT_EQ(link->GetHostName(), CString(u"127.0.0.1"));
    EXPECT_EQ(link->GetTCPPort(), port);
    EXPECT_TRUE(emulator.WaitForTcpClients(1, std::chrono::seconds(10)));
}

TEST_F(ConnectBoxDlgTest, TheDummyConnectionNeedsNoPortButTheSerialChoiceNeedsOne)
{
    struct Case {
        const char* name;
        bool portPresent;
        bool connects;
    };
    for (const Case& c : {Case{"a serial port is present", true, true}, Case{"no COM port at all", false, false}}) {
        SCOPED_TRACE(c.name);
        if (c.portPresent) ServeSerial();
        MakeLink("[General]\r\nDefaultPort=1\r\n");
        if (!c.connects) boxes.Answer(IDOK, u"Cannot create connection");
        const INT_PTR result = Run([&](uitest::DialogDriver& d) {
            if (!c.portPresent) {
                EXPECT_EQ(d.Text(IDC_CONNECT_PORT_LIST), CString(u"No COM port"));
            }
            d.Click(IDC_CONNECT_DUMMY);
            d.Click(IDC_CONNECT_CONNECT);
            if (!c.connects) {
                EXPECT_TRUE(d.Enabled(IDC_CONNECT_CONNECT)) << "the dialog stays for another try";
                d.Click(IDCANCEL);
            }
        });
        EXPECT_EQ(result, c.connects ? IDOK : IDCANCEL);
        EXPECT_EQ(link->IsOpen(), c.connects ? 1 : 0);
        if (c.connects) {
            EXPECT_EQ(link->GetPortType(), PORT_OFFLINE);
            EXPECT_EQ(link->IsReady(), 1) << "a dummy link is ready at once";
        }
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
        link.reset();
        ports.reset();
        ports.emplace(kMaxComPort, std::map<int, std::string>{});
        emulator.Stop();
    }
    EXPECT_TRUE(emulator.ReceivedBytes().empty()) << "a dummy link sends nothing";
}

TEST_F(ConnectBoxDlgTest, WithNoKindChosenNothingIsEnabledAndNothingOpens)
{
    MakeLink("[General]\r\nDefaultPort=0\r\n");
    boxes.Answer(IDOK, u"Cannot create connection");
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        EXPECT_EQ(d.Check(IDC_CONNECT_SERIAL), BST_UNCHECKED);
        EXPECT_EQ(d.Check(IDC_CONNECT_TCP), BST_UNCHECKED);
        for (int id : {IDC_CONNECT_PORT_LIST, IDC_CONNECT_SETTINGS, IDC_CONNECT_IP_ADDRESS, IDC_CONNECT_TCP_PORT}) {
            SCOPED_TRACE(id);
            EXPECT_FALSE(d.Enabled(id));
        }
        d.Click(IDC_CONNECT_CONNECT);
        d.Click(IDC_CONNECT_TCP);
        uitest::Pump(50);
        EXPECT_TRUE(d.Enabled(IDC_CONNECT_TCP_PORT)) << "choosing a kind enables its controls";
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(link->IsOpen(), 0);
}

TEST_F(ConnectBoxDlgTest, AnAddressThatRefusesEndsInTheMessageNotAWait)
{
    const uint16_t port = emulator.ServeTcp();
    ASSERT_NE(port, 0) << emulator.LastError();
    emulator.Stop();
    MakeLink("[General]\r\nDefaultPort=2\r\n[TCPIP]\r\nIPAddress1=127\r\nIPAddress2=0\r\nIPAddress3=0\r\n"
             "IPAddress4=1\r\nPortNumber=" + std::to_string(port) + "\r\n");
    // The link tells why; the dialog that it could not connect.
    boxes.Answer(IDOK, u"refused").Answer(IDOK, u"Cannot create connection");
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        d.Click(IDC_CONNECT_CONNECT);
        EXPECT_TRUE(d.Enabled(IDCANCEL));
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(link->IsOpen(), 0);
    EXPECT_EQ(GetCommMessage(), nullptr) << "the wait message is gone";
}

}  // namespace
