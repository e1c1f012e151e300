#include "manager/dialogs/DlgTransportGlobalCommandV2.h"
#include "manager/dialogs/tests/TransportTestSupport.h"

#include "resources/manager/transport_ids.h"

#include <gtest/gtest.h>

namespace {

using namespace transporttest;

class DlgTransportGlobalCommandV2Test : public ::testing::Test, public TransportFixture {
protected:
    DlgTransportGlobalCommandV2Test()
    {
        emulator.AddController(1, "LB").SetControllerName("KX-LB");
        emulator.AddController(4, "Q05").SetControllerName("KX-Q05");
    }
    INT_PTR Run(std::function<void(uitest::DialogDriver&)> script)
    {
        CDlgTransportGlobalCommandV2 dlg;
        return RunDialogs(dlg, {std::move(script)});
    }
};

TEST_F(DlgTransportGlobalCommandV2Test, NothingGoesToTheLineBeforeTheUserAgrees)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    boxes.Answer(IDCANCEL, u"every controller on COM3");
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        EXPECT_FALSE(d.Visible(IDC_TRANSPORT_PATH));
        ChooseTreeItem(d, IDC_TRANSPORT_TREE, u"COM3");
        Picture(d, "transport-global");
        d.Click(IDOK);
        ASSERT_TRUE(StillOpen(d));
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(emulator.ReceivedCommands().empty()) << "not even the scan";
}

TEST_F(DlgTransportGlobalCommandV2Test, TheCommandGoesToEveryNodeAndTheAnsweringNodesAreListed)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    boxes.Answer(IDOK, u"every controller on COM3");
    boxes.Answer(IDOK, u"04 : KX-Q05");  // the scan before the command
    // The controllers numbered themselves anew: the list is the second scan's.
    boxes.Answer(IDOK, u"01 : KX-LB\n02 : KX-Q05");
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        ChooseTreeItem(d, IDC_TRANSPORT_TREE, u"COM3");
        d.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    int broadcasts = 0;
    for (const std::string& line : emulator.ReceivedCommands()) broadcasts += line.rfind("@K75=0", 0) == 0;
    EXPECT_GE(broadcasts, 1);
    EXPECT_EQ(boxes.PendingAnswers(), 0u);
}

TEST_F(DlgTransportGlobalCommandV2Test, ATcpConnectionIsRefusedWithAMessage)
{
    OpenWindowEntry entry;
    entry.kind = kOpenWindowTcp;
    entry.address = 0xC0A80001;
    CWnd frame;
    entry.frame = &frame;
    host.registry.Add(entry);
    boxes.Answer(IDOK, u"serial line only");
    const INT_PTR result = Run([&](uitest::DialogDriver& d) {
        const auto texts = TreeTexts(d, IDC_TRANSPORT_TREE);
        EXPECT_EQ(texts, (std::vector<CString>{u"TCP connections in use", u"192.168.0.1"}));
        ChooseTreeItem(d, IDC_TRANSPORT_TREE, u"192.168.0.1");
        d.Click(IDOK);
        ASSERT_TRUE(StillOpen(d));
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

}  // namespace
