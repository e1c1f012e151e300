#include "manager/dialogs/DlgTransportEditdatareadV2.h"
#include "manager/dialogs/tests/TransportTestSupport.h"

#include "resources/manager/transport_ids.h"

#include <gtest/gtest.h>

namespace {

using namespace transporttest;

class DlgTransportEditdatareadV2Test : public ::testing::Test, public TransportFixture {
protected:
    DlgTransportEditdatareadV2Test()
    {
        emu::ControllerModel& c = emulator.AddController(1, "LA");
        c.SetControllerName("KX-LA");
        c.SetRobot("SA4-L03");
        c.SetParameter(12, 432);
        c.SetPoint(3, {1, 5555, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
        ControllerDataStore().AllocControllerData(slot);
        slot->controller = u"old";
    }
    ControllerDataSlot slot;
};

TEST_F(DlgTransportEditdatareadV2Test, TheWindowsDataAreReplacedOnlyByAWholeRead)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    FakeControllerFrame frame;
    ASSERT_TRUE(OpenFrame(frame));
    struct Case {
        const char* name;
        int answer;
        bool timeOut;
        bool replaced;
    };
    const Case cases[] = {
        {"question cancelled: the window is not even asked", IDCANCEL, false, false},
        {"a time-out in the middle of the points", IDOK, true, false},
        {"a whole read", IDOK, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        emulator.Script().Clear();
        if (c.timeOut) emulator.Script().OnKeyword("READ PNT", emu::Fault::NoReply());
        const int requests = frame.linkRequests;
        boxes.Answer(c.answer, u"window's data will be replaced");
        if (c.timeOut) boxes.Answer(IDOK, u"did not answer in time");
        CDlgTransportEditdatareadV2 dlg;
        dlg.SetRecord(slot.get());
        dlg.SetDataName(u"Online1");
        dlg.SetComPort(kEmulatorPort);
        const INT_PTR result = RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
            EXPECT_EQ(d.Text(IDC_TRANSPORT_PATH), CString(u"Online1"));
            EXPECT_FALSE(d.Visible(IDC_TRANSPORT_BROWSE));
            Picture(d, "transport-edit-read");
            d.Click(IDOK);
            if (StillOpen(d)) d.Click(IDCANCEL);
        }});
        EXPECT_EQ(result, c.replaced ? IDOK : IDCANCEL);
        EXPECT_EQ(frame.linkRequests - requests, c.answer == IDOK ? 1 : 0);
        if (c.replaced) {
            EXPECT_EQ(slot->controller, CString(u"KX-LA"));
            EXPECT_EQ(slot->FirstParamSet()->K(12), 432);
            EXPECT_EQ(slot->points[2].p, 5555);
        } else {
            EXPECT_EQ(slot->controller, CString(u"old"));
        }
    }
    EXPECT_EQ(boxes.PendingAnswers(), 0u);
}

}  // namespace
