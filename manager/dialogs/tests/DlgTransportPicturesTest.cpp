#include "manager/dialogs/DlgTransportAlarmV2.h"
#include "manager/dialogs/DlgTransportEditdatareadV2.h"
#include "manager/dialogs/DlgTransportGenerationV2.h"
#include "manager/dialogs/DlgTransportGlobalCommandV2.h"
#include "manager/dialogs/DlgTransportV2.h"
#include "manager/dialogs/tests/TransportTestSupport.h"

#include "resources/manager/resource_ids.h"
#include "resources/manager/transport_ids.h"

#include <gtest/gtest.h>

namespace {

using namespace transporttest;

// Every transport dialog in both languages, with a window on COM2 and one on
// a TCP address open, for a person to look at; and the texts each shows.
class DlgTransportPicturesTest : public ::testing::TestWithParam<const char*>, public TransportFixture {
protected:
    DlgTransportPicturesTest() : TransportFixture(GetParam())
    {
        OpenWindowEntry serial;
        serial.kind = kOpenWindowSerial;
        serial.comPort = 2;
        serial.frame = &m_serialFrame;
        host.registry.Add(serial);
        OpenWindowEntry tcp;
        tcp.kind = kOpenWindowTcp;
        tcp.address = 0xC0A8000A;
        tcp.frame = &m_tcpFrame;
        host.registry.Add(tcp);
        host.accessLevel = 3;
    }

    template <class Dialog>
    void Look(Dialog& dlg, const std::string& name, UINT caption, bool pathShown, bool browseShown,
              std::size_t treeItems)
    {
        SCOPED_TRACE(name);
        CString shownCaption;
        RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
            CWnd::FromHandle(d.Dialog())->GetWindowText(shownCaption);
            EXPECT_EQ(d.Visible(IDC_TRANSPORT_PATH), pathShown);
            EXPECT_EQ(d.Visible(IDC_TRANSPORT_BROWSE), browseShown);
            EXPECT_TRUE(d.Visible(IDC_TRANSPORT_SETTINGS)) << "level 3 changes port settings";
            EXPECT_EQ(TreeTexts(d, IDC_TRANSPORT_TREE).size(), treeItems);
            Picture(d, name);
            d.Click(IDCANCEL);
        }});
        EXPECT_EQ(shownCaption, TransportText(caption));
    }

private:
    CWnd m_serialFrame;
    CWnd m_tcpFrame;
};

TEST_P(DlgTransportPicturesTest, EveryTransportDialog)
{
    {
        CDlgTransportV2 dlg;
        dlg.SetPath(u"/home/user/axis.yvekd");
        Look(dlg, "pictures-read-file", IDS_TRANSPORT_READ_CAPTION, true, true, 4);
    }
    {
        CDlgTransportV2 dlg;
        dlg.SetMode(CDlgTransportV2::kToController);
        Look(dlg, "pictures-write-file", IDS_TRANSPORT_WRITE_CAPTION, true, true, 4);
    }
    {
        ControllerData project;
        project.paramSets.resize(1);
        CDlgTransportV2 dlg;
        dlg.SetMode(CDlgTransportV2::kToController);
        dlg.SetProjectData(&project);
        dlg.SetPath(u"NewData1");
        Look(dlg, "pictures-write-window", IDS_TRANSPORT_PROJECT_CAPTION, true, false, 4);
    }
    {
        ControllerData project;
        project.paramSets.resize(1);
        CDlgTransportV2 dlg;
        dlg.SetProjectData(&project);
        dlg.SetComPort(2);
        Look(dlg, "pictures-read-window-preset", IDS_TRANSPORT_READ_CAPTION, true, true, 2);
    }
    {
        CDlgTransportEditdatareadV2 dlg;
        dlg.SetDataName(u"Online1");
        Look(dlg, "pictures-edit-read", IDS_TRANSPORT_EDIT_CAPTION, true, false, 4);
    }
    {
        CDlgTransportAlarmV2 dlg;
        Look(dlg, "pictures-alarm", IDS_TRANSPORT_ALARM_CAPTION, true, true, 4);
    }
    {
        CDlgTransportGenerationV2 dlg;
        Look(dlg, "pictures-generation", IDS_TRANSPORT_GENERATION_CAPTION, false, false, 4);
    }
    {
        // No group of open serial connections: the command needs the whole line.
        CDlgTransportGlobalCommandV2 dlg;
        Look(dlg, "pictures-global", IDS_DM_RENUMBER_TITLE, false, false, 2);
    }
}

TEST_P(DlgTransportPicturesTest, OkChecksThePathThenTheChoice)
{
    struct Case {
        const char* name;
        const char16_t* path;
        const char16_t* item;  // nullptr: nothing chosen
        UINT message;
    };
    const Case cases[] = {
        {"no path", u"", u"COM2", IDS_TRANSPORT_NO_PATH},
        {"nothing chosen", u"/tmp/a.yvekd", nullptr, IDS_TRANSPORT_NO_CONNECTION},
        {"a group header", u"/tmp/a.yvekd", nullptr, IDS_TRANSPORT_NO_CONNECTION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Answer(IDOK, TransportText(c.message).GetString());
        CDlgTransportAlarmV2 dlg;
        RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
            d.Retype(IDC_TRANSPORT_PATH, c.path);
            if (c.item) ChooseTreeItem(d, IDC_TRANSPORT_TREE, c.item);
            if (std::string(c.name) == "a group header") ChooseTreeItem(d, IDC_TRANSPORT_TREE, TreeTexts(d, IDC_TRANSPORT_TREE)[0]);
            d.Click(IDOK);
            EXPECT_TRUE(StillOpen(d));
            d.Click(IDCANCEL);
        }});
    }
    EXPECT_EQ(boxes.PendingAnswers(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Languages, DlgTransportPicturesTest, ::testing::Values("en", "ja"));

}  // namespace
