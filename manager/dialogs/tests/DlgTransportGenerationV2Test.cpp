#include "manager/dialogs/DlgTransportGenerationV2.h"
#include "manager/dialogs/tests/TransportTestSupport.h"

#include "manager/core/LibraryBindings.h"
#include "resources/manager/transport_ids.h"

#include <gtest/gtest.h>

namespace {

using namespace transporttest;

class DlgTransportGenerationV2Test : public ::testing::Test, public TransportFixture {
protected:
    DlgTransportGenerationV2Test()
    {
        emu::ControllerModel& c = emulator.AddController(1, "Q10");
        c.SetControllerName("KX-Q10");
        c.SetRobot("SA6-L05");
        c.SetParameter(20, 2);
        c.SetParameter(80, 2);
        c.SetParameter(81, 17);
        c.SetParameter(82, 3);
        c.SetPoint(9, {1, 4444, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    }
};

TEST_F(DlgTransportGenerationV2Test, NewDataWrittenIntoTheControllerKeepItsFieldBusSettings)
{
    struct Case {
        const char* name;
        const char* interfaceText;
        bool defaultAddresses;
    };
    const Case cases[] = {{"CC-Link", "CC-Link", false}, {"EtherNet/IP", "EtherNet/IP", true}};
    ASSERT_TRUE(Serve()) << emulator.LastError();
    ControllerData expected;
    expected.paramSets.resize(1);
    ASSERT_TRUE(FillControllerDataFromDatabase(expected, u"KX-Q10", u"SA6-L05"));
    // The wizard keeps the database's value of K12 and writes its stroke into K43.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        emulator.Controller(1).SetInterface(c.interfaceText);
        emulator.Controller(1).SetParameter(20, 2);  // the first case wrote the new data's mode
        emulator.Controller(1).SetParameter(12, expected.FirstParamSet()->K(12) + 1);
        emulator.Controller(1).SetPoint(9, {1, 4444, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
        boxes.Answer(IDOK, u"Controllers found");
        boxes.Answer(IDOK, u"Write the new data into this controller?");
        boxes.Answer(IDOK, u"The data were transferred.");
        CDlgTransportGenerationV2 dlg;
        ASSERT_EQ(RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
                                       EXPECT_FALSE(d.Visible(IDC_TRANSPORT_PATH));
                                       ChooseTreeItem(d, IDC_TRANSPORT_TREE, u"COM3");
                                       Picture(d, "transport-generation");
                                       d.Click(IDOK);
                                   },
                                   [](uitest::DialogDriver& d) {
                                       ChooseListRow(d, IDC_SERIAL_NODE_LIST, u"01");
                                       d.Click(IDOK);
                                   },
                                   [&](uitest::DialogDriver& d) {
                                       // The wizard for the connected controller and actuator.
                                       EXPECT_FALSE(d.Enabled(IDC_ADDNEW_NAME));
                                       const auto summary = ListColumn(d, IDC_ADDNEW_SUMMARY, 2);
                                       ASSERT_GE(summary.size(), 2u);
                                       EXPECT_EQ(summary[0], CString(u"KX-Q10"));
                                       EXPECT_EQ(summary[1], CString(u"SA6-L05"));
                                       Picture(d, "addnew-generation");
                                       d.Click(IDOK);
                                   }}),
                  IDOK);
        const emu::ControllerModel& written = emulator.Controller(1);
        EXPECT_EQ(written.Parameter(12), expected.FirstParamSet()->K(12)) << "the database's value";
        EXPECT_EQ(written.Parameter(80), 2);
        EXPECT_EQ(written.Parameter(81), 17);
        EXPECT_EQ(written.Parameter(82), 3);
        EXPECT_FALSE(written.PointUsed(9)) << "new data have no points";
        if (c.defaultAddresses) {
            EXPECT_EQ(written.Comment(9), "c0a80001");
            EXPECT_EQ(written.Comment(8), "ffffff00");
            EXPECT_EQ(written.Comment(7), "c0a800fe");
        }
    }
    EXPECT_EQ(boxes.PendingAnswers(), 0u);
}

TEST_F(DlgTransportGenerationV2Test, CancellingTheWizardEndsWithoutAMessageOrAWrite)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    boxes.Answer(IDOK, u"Controllers found");
    CDlgTransportGenerationV2 dlg;
    const INT_PTR result = RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
                                                ChooseTreeItem(d, IDC_TRANSPORT_TREE, u"COM3");
                                                d.Click(IDOK);
                                                ASSERT_TRUE(StillOpen(d));
                                                d.Click(IDCANCEL);
                                            },
                                            [](uitest::DialogDriver& d) {
                                                ChooseListRow(d, IDC_SERIAL_NODE_LIST, u"01");
                                                d.Click(IDOK);
                                            },
                                            [](uitest::DialogDriver& d) { d.Click(IDCANCEL); }});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(boxes.Shown().size(), 1u) << "only the scan's list";
    EXPECT_TRUE(emulator.Controller(1).PointUsed(9));
}

}  // namespace
