#include "manager/dialogs/DlgSerialConnect.h"
#include "manager/dialogs/tests/TransportTestSupport.h"

#include "resources/manager/transport_ids.h"

#include <gtest/gtest.h>

namespace {

using namespace transporttest;

struct Scan {
    std::array<BYTE, kScanNodes> present{};
    std::array<CString, kScanNodes> names;
    std::array<CString, kScanNodes> texts;

    Scan& Node(int node, const char* name, const char* text = "")
    {
        present[static_cast<std::size_t>(node - 1)] = 1;
        names[static_cast<std::size_t>(node - 1)] = W(name);
        texts[static_cast<std::size_t>(node - 1)] = W(text);
        return *this;
    }
};

class DlgSerialConnectTest : public ::testing::TestWithParam<const char*>, public TransportFixture {
protected:
    DlgSerialConnectTest() : TransportFixture(GetParam()) {}
};

TEST_P(DlgSerialConnectTest, WithoutAMarkedNodeNothingIsChosenUntilTheUserChooses)
{
    CDlgSerialConnect dlg;
    dlg.SetScan(Scan().Node(1, "KX-LB", "Line A").Node(9, "KX-Q10").Node(16, "KX-LC", "end of line").present,
                Scan().Node(1, "KX-LB", "Line A").Node(9, "KX-Q10").Node(16, "KX-LC", "end of line").names,
                Scan().Node(1, "KX-LB", "Line A").Node(9, "KX-Q10").Node(16, "KX-LC", "end of line").texts);
    const INT_PTR result = RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
        EXPECT_EQ(ListColumn(d, IDC_SERIAL_NODE_LIST, 1), (std::vector<CString>{u"01", u"09", u"16"}));
        EXPECT_EQ(ListColumn(d, IDC_SERIAL_NODE_LIST, 2), (std::vector<CString>{u"KX-LB", u"KX-Q10", u"KX-LC"}));
        EXPECT_TRUE(SelectedRows(d, IDC_SERIAL_NODE_LIST).empty()) << "no row is chosen for the user";
        EXPECT_FALSE(d.Enabled(IDOK));
        d.Key(Qt::Key_Return);
        EXPECT_TRUE(d.Visible(IDOK)) << "Enter chooses nothing while nothing is chosen";
        ChooseListRow(d, IDC_SERIAL_NODE_LIST, u"16");
        EXPECT_TRUE(d.Enabled(IDOK));
        Picture(d, "serial-connect-choice");
        d.Click(IDOK);
    }});
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(dlg.IsRescanRequested());
    EXPECT_EQ(dlg.GetChosenNode(), 16);
}

TEST_P(DlgSerialConnectTest, TheMarkedNodeIsShownAndSelectedButCannotBeChosen)
{
    Scan scan;
    scan.Node(2, "KX-LB").Node(3, "KX-Q05");
    CDlgSerialConnect dlg;
    dlg.SetScan(scan.present, scan.names, scan.texts);
    dlg.SetMarkedNode(2);
    dlg.SetConnectTitle(true);
    const INT_PTR result = RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
        EXPECT_EQ(ListColumn(d, IDC_SERIAL_NODE_LIST, 0), (std::vector<CString>{u"*", u""}));
        EXPECT_EQ(SelectedRows(d, IDC_SERIAL_NODE_LIST), std::vector<int>{0});
        EXPECT_FALSE(d.Enabled(IDOK));
        ChooseListRow(d, IDC_SERIAL_NODE_LIST, u"03");
        EXPECT_TRUE(d.Enabled(IDOK));
        ChooseListRow(d, IDC_SERIAL_NODE_LIST, u"02");
        EXPECT_FALSE(d.Enabled(IDOK));
        Picture(d, "serial-connect-marked");
        d.Click(IDCANCEL);
    }});
    EXPECT_EQ(result, IDCANCEL);
}

TEST_P(DlgSerialConnectTest, AnEmptyScanLeavesOnlyCancelAndRescan)
{
    struct Case {
        const char* name;
        bool rescanAllowed;
        int button;
    };
    for (const Case c : {Case{"rescan", true, IDC_SERIAL_RESCAN}, Case{"cancel", false, IDCANCEL}}) {
        SCOPED_TRACE(c.name);
        Scan scan;
        CDlgSerialConnect dlg;
        dlg.SetScan(scan.present, scan.names, scan.texts);
        dlg.SetRescanAllowed(c.rescanAllowed);
        const INT_PTR result = RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
            EXPECT_FALSE(d.Enabled(IDOK));
            EXPECT_EQ(d.Enabled(IDC_SERIAL_RESCAN), c.rescanAllowed);
            d.Click(c.button);
        }});
        EXPECT_EQ(result, c.button == IDCANCEL ? IDCANCEL : IDOK);
        EXPECT_EQ(dlg.IsRescanRequested(), c.button == IDC_SERIAL_RESCAN);
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, DlgSerialConnectTest, ::testing::Values("en", "ja"));

}  // namespace
