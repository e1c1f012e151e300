#include "tools/CommMsgDlg.h"
#include "tools/NetworkParameter.h"
#include "tools/tests/DialogTestSupport.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/CommManager.h"

#include <gtest/gtest.h>

namespace {

using namespace toolstest;

TEST(NetworkAddressTextTest, HexadecimalToDotted)
{
    struct Case {
        const char* hex;
        int result;
        const char* dotted;
    };
    const Case cases[] = {
        {"c0a80002", 0, "192.168.0.2"},
        {"FFFFFF00", 0, "255.255.255.0"},
        {"c0a800fe99", 0, "192.168.0.254"},  // characters after the eighth are not read
        {"c0a8000", 0, "192.168.0.0"},       // a pair of one character is that digit times 16
        {"c0a80", -1, ""},                   // the fourth pair is missing
        {"", -1, ""},
        {"c0a8g001", -1, ""},
        {"c0 a8001", -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hex);
        CString dotted = u"kept";
        EXPECT_EQ(HexToDotted(W(c.hex), dotted), c.result);
        EXPECT_EQ(dotted, W(c.dotted));
    }
}

TEST(NetworkAddressTextTest, DottedToHexadecimal)
{
    struct Case {
        const char* dotted;
        int result;
        const char* hex;
    };
    const Case cases[] = {
        {"192.168.0.1", 0, "c0a80001"},
        {"255.255.255.0", 0, "ffffff00"},
        {"10..0.1", 0, "0a000001"},     // an empty part is 0
        {"10.0.0.1.", 0, "0a000001"},   // a full stop after the fourth part leaves nothing
        {"10.0.0.300", -1, "kept"},     // above 255
        {"10.0.0", -1, "kept"},         // three parts
        {"10.0.0.1.5", -1, "kept"},     // text after the fourth part
        {"10.0.0.0001", -1, "kept"},    // four digits
        {"10.0.a.1", -1, "kept"},
        {"", -1, "kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dotted);
        CString hex = u"kept";
        EXPECT_EQ(DottedToHex(W(c.dotted), hex), c.result);
        EXPECT_EQ(hex, W(c.hex));
    }
}

class NetworkParameterTest : public ::testing::Test {
protected:
    NetworkParameterTest()
        : previous([this](LPARAM) { ++previousEvents; })
    {
        WriteCommIni(settings, 4);
        emulator.AddController(2, "LB");
        emulator.Controller(2).SetComment(9, "c0a80002");
        link.link.AttatchWnd(previous.m_hWnd);
    }
    bool Open() { return link.OpenTcp(emulator.ServeTcp()); }
    INT_PTR Run(const std::function<void(uitest::DialogDriver&)>& script)
    {
        CNetworkParameter dlg(ip, mask, gateway);
        dlg.SetCommMan(&link.link);
        dlg.SetNodeNo(2);
        const INT_PTR result = RunDialog(dlg, script);
        return result;
    }
    // The lines the controller received, without the bare line ends.
    std::vector<std::string> Commands() const { return emulator.ReceivedCommands(); }

    ScopedEnv english{"QV_LANG", "en"};
    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
    emu::Emulator emulator;
    EmulatorLink link;
    int previousEvents = 0;
    LinkWindow previous;
    CString ip = u"c0a80002";
    CString mask = u"ffffff00";
    CString gateway = u"c0a800fe";
};

TEST_F(NetworkParameterTest, OpensOnTheCallersValuesWithoutAMessage)
{
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        uitest::Pump(50);
        EXPECT_EQ(d.Text(IDC_NET_IP_ADDRESS), CString(u"192.168.0.2"));
        EXPECT_EQ(d.Text(IDC_NET_SUBNET_MASK), CString(u"255.255.255.0"));
        EXPECT_EQ(d.Text(IDC_NET_GATEWAY), CString(u"192.168.0.254"));
        d.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(boxes.Shown().empty()) << "nothing changed, nothing asked";
    EXPECT_EQ(ip, CString(u"c0a80002"));
}

TEST_F(NetworkParameterTest, AnInvalidValueOpensWithTheDefaultAndSaysSo)
{
    ip = u"";
    boxes.Answer(IDOK, u"standard values are shown");
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        uitest::Pump(100);
        EXPECT_EQ(d.Text(IDC_NET_IP_ADDRESS), CString(u"192.168.0.1"));
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    const CString text = boxes.Shown().front().text;
    EXPECT_NE(text.Find(u"IP address: 192.168.0.1"), -1) << text.ToUtf8();
    EXPECT_EQ(text.Find(u"Subnet mask"), -1) << "only the value that was wrong is named";
    EXPECT_EQ(ip, CString(u"")) << "Cancel hands nothing back";
}

TEST_F(NetworkParameterTest, AChangedGatewayIsWrittenToTheNodeAndHandedBack)
{
    ASSERT_TRUE(Open());
    boxes.Answer(IDYES, u"Write the changed network parameters").Answer(IDOK, u"were written");
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        d.Retype(IDC_NET_GATEWAY, u"192.168.0.1");
        d.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(gateway, CString(u"c0a80001"));
    EXPECT_EQ(ip, CString(u"c0a80002")) << "unchanged values stay";
    EXPECT_EQ(emulator.Controller(2).Comment(7), "c0a80001");
    EXPECT_EQ(Commands(), std::vector<std::string>{"@COMW7.2=c0a80001"});
    EXPECT_EQ(emulator.ReceivedLines().front(), "") << "a bare line end goes first";
    EXPECT_EQ(GetCommMessage(), nullptr);
    EXPECT_EQ(boxes.PendingAnswers(), 0u);
}

TEST_F(NetworkParameterTest, ARefusedValueKeepsTheDialogOpenAndWhatWasWritten)
{
    ASSERT_TRUE(Open());
    emulator.Script().OnLine("@COMW8.", emu::Fault::Ng(0x43));
    boxes.Answer(IDYES, u"Write the changed").Answer(IDOK, u"subnet mask could not be written");
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        d.Retype(IDC_NET_IP_ADDRESS, u"10.0.0.5");
        d.Retype(IDC_NET_SUBNET_MASK, u"255.0.0.0");
        d.Click(IDOK);
        EXPECT_EQ(d.Text(IDC_NET_SUBNET_MASK), CString(u"255.0.0.0")) << "the typed value stays";
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(ip, CString(u"0a000005")) << "the address written before stays handed back";
    EXPECT_EQ(mask, CString(u"ffffff00"));
}

TEST_F(NetworkParameterTest, AValueThatIsNoAddressIsRefusedBeforeAnythingIsSent)
{
    ASSERT_TRUE(Open());
    boxes.Answer(IDOK, u"default gateway could not be written");
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        d.Retype(IDC_NET_IP_ADDRESS, u"10.0.0.5");
        d.Retype(IDC_NET_GATEWAY, u"10.0.0.300");
        d.Click(IDOK);
        EXPECT_EQ(d.Focus(), IDC_NET_GATEWAY);
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(ip, CString(u"c0a80002"));
    PumpFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(emulator.ReceivedBytes().empty());
}

TEST_F(NetworkParameterTest, AnswersToTheQuestionDecideWhatHappens)
{
    struct Case {
        const char* name;
        bool online;
        int answer;
        INT_PTR result;
        const char* ipAfter;
        bool sent;
    };
    const Case cases[] = {
        {"online, No", true, IDNO, IDOK, "c0a80002", false},
        {"online, Cancel stays", true, IDCANCEL, IDCANCEL, "c0a80002", false},
        {"offline, Yes keeps the value in the data", false, IDYES, IDOK, "0a000005", false},
        {"offline, No", false, IDNO, IDOK, "c0a80002", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ip = u"c0a80002";
        if (c.online && !link.link.IsOpen()) {
            ASSERT_TRUE(Open());
        }
        if (!c.online) link.link.Close();
        boxes.Answer(c.answer, c.online ? u"Write the changed" : u"not connected");
        if (!c.online && c.answer == IDYES) boxes.Answer(IDOK, u"changed in the data");
        const INT_PTR result = Run([&](uitest::DialogDriver& d) {
            d.Retype(IDC_NET_IP_ADDRESS, u"10.0.0.5");
            d.Click(IDOK);
            if (c.answer == IDCANCEL) d.Click(IDCANCEL);
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(ip, W(c.ipAfter));
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
    }
    PumpFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(emulator.ReceivedCommands().empty());
}

TEST_F(NetworkParameterTest, TheCallersWindowGetsTheLinkBack)
{
    ASSERT_TRUE(Open());
    {
        CNetworkParameter dlg(ip, mask, gateway);
        dlg.SetCommMan(&link.link);
        dlg.SetNodeNo(2);
        RunDialog(dlg, [&](uitest::DialogDriver& d) { d.Click(IDCANCEL); });
    }
    const int before = previousEvents;
    ASSERT_EQ(link.link.SendData(u"@?K1.2\r\n"), 1);
    EXPECT_TRUE(PumpUntil([&] { return previousEvents > before; }));
}

}  // namespace
