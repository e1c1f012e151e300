#include "manager/dialogs/DlgTransportV2.h"
#include "manager/dialogs/tests/TransportTestSupport.h"

#include "resources/manager/transport_ids.h"

#include <gtest/gtest.h>

namespace {

using namespace transporttest;

constexpr int kNode = 1;

class DlgTransportV2Test : public ::testing::Test, public TransportFixture {
protected:
    DlgTransportV2Test()
    {
        emu::ControllerModel& c = emulator.AddController(kNode, "LB");
        c.SetControllerName("KX-LB");
        c.SetRobot("SA4-L06");
        c.SetInterface("NPN");
        c.SetParameter(20, 2);
        c.SetParameter(12, 500);
        c.SetPoint(5, {1, 12345, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    }

    // The transport dialog's part: the path typed, COM3 chosen, OK.
    static ModalScripts::Script TypePathAndChoose(const std::string& path, const char* port = "COM3",
                                                  std::function<void(uitest::DialogDriver&)> more = {})
    {
        return [=](uitest::DialogDriver& d) {
            d.Retype(IDC_TRANSPORT_PATH, W(path.c_str()).view());
            ChooseTreeItem(d, IDC_TRANSPORT_TREE, W(port));
            if (more) more(d);
            d.Click(IDOK);
        };
    }
    // The node choice after the scan: node 1.
    static ModalScripts::Script ChooseNodeOne(std::function<void(uitest::DialogDriver&)> look = {})
    {
        return [=](uitest::DialogDriver& d) {
            EXPECT_TRUE(SelectedRows(d, IDC_SERIAL_NODE_LIST).empty()) << "nothing is chosen before the user chooses";
            EXPECT_FALSE(d.Enabled(IDOK));
            ChooseListRow(d, IDC_SERIAL_NODE_LIST, u"01");
            EXPECT_TRUE(d.Enabled(IDOK));
            if (look) look(d);
            d.Click(IDOK);
        };
    }
    INT_PTR ReadIntoFile(const std::string& path)
    {
        boxes.Answer(IDOK, u"Controllers found");
        boxes.Answer(IDOK, u"Read into the file");
        boxes.Answer(IDOK, u"The data were transferred.");
        CDlgTransportV2 dlg;
        return RunDialogs(dlg, {TypePathAndChoose(path, "COM3",
                                                  [this](uitest::DialogDriver& d) { Picture(d, "transport-read"); }),
                                ChooseNodeOne([this](uitest::DialogDriver& d) { Picture(d, "serial-connect"); })});
    }
    INT_PTR WriteFromFile(const std::string& path)
    {
        CDlgTransportV2 dlg;
        dlg.SetMode(CDlgTransportV2::kToController);
        return RunDialogs(dlg, {TypePathAndChoose(path), ChooseNodeOne()});
    }
    // The data of a file as the program reads them.
    static ControllerData ReadDataFile(const std::string& path)
    {
        ControllerDataStore store;
        ControllerDataSlot data;
        store.AllocControllerData(data);
        EXPECT_TRUE(store.ReadControllerDataFile(W(path.c_str()).GetString(), *data, true, true, true)) << path;
        return *data;
    }
    static void WriteDataFile(const std::string& path, const ControllerData& data)
    {
        ControllerDataStore store;
        ASSERT_TRUE(store.WriteControllerDataFile(W(path.c_str()).GetString(), data, true, true, true));
    }
};

TEST_F(DlgTransportV2Test, AControllerReadIntoAFileChangedOfflineAndWrittenBackIsHeldByTheController)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    const std::string path = TempPath("axis.yvekd");
    ASSERT_EQ(ReadIntoFile(path), IDOK);
    ControllerData data = ReadDataFile(path);
    EXPECT_EQ(data.controller, W("KX-LB"));
    EXPECT_EQ(data.robot, W("SA4-L06"));
    EXPECT_EQ(data.FirstParamSet()->K(12), 500);
    EXPECT_EQ(data.points[4].p, 12345);

    // Offline: another position, a new point and another parameter value.
    data.points[4].p = 23456;
    data.points[6] = data.points[4];
    data.points[6].number = 7;
    data.points[6].p = 777;
    data.FirstParamSet()->K(12) = 650;
    WriteDataFile(path, data);

    boxes.Answer(IDOK, u"Controllers found");
    boxes.Answer(IDOK, u"Write the file axis.yvekd");
    boxes.Answer(IDOK, u"The data were transferred.");
    ASSERT_EQ(WriteFromFile(path), IDOK);
    const emu::ControllerModel& c = emulator.Controller(kNode);
    EXPECT_EQ(c.Parameter(12), 650);
    EXPECT_EQ(c.Point(5)[1], 23456);
    EXPECT_EQ(c.Point(7)[1], 777);
    EXPECT_EQ(boxes.PendingAnswers(), 0u);
}

TEST_F(DlgTransportV2Test, AWriteCutShortSaysSoAndNeverReportsSuccess)
{
    struct Case {
        const char* name;
        emu::Fault fault;
        std::u16string says;
        bool mayHoldValue;  // a lost reply does not undo the write
    };
    const std::vector<Case> cases = {
        {"time-out on a parameter", emu::Fault::NoReply(), u"did not answer in time", true},
        {"parameter refused", emu::Fault::Ng(0x43), u"refused", false},
    };
    ASSERT_TRUE(Serve()) << emulator.LastError();
    const std::string path = TempPath("cut.yvekd");
    ASSERT_EQ(ReadIntoFile(path), IDOK);
    ControllerData data = ReadDataFile(path);
    int value = 640;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        data.FirstParamSet()->K(12) = ++value;
        data.points[4].p = 900 + value;
        WriteDataFile(path, data);
        emulator.Script().Clear();
        emulator.Script().OnLine("@K12.", c.fault);
        boxes.Answer(IDOK, u"Controllers found");
        boxes.Answer(IDOK, u"Write the file");
        boxes.Answer(IDOK, c.says);
        const std::size_t before = boxes.Shown().size();
        // The dialog stays open after the failure; the user then cancels it.
        CDlgTransportV2 dlg;
        dlg.SetMode(CDlgTransportV2::kToController);
        const INT_PTR result = RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
                                                    TypePathAndChoose(path)(d);
                                                    EXPECT_TRUE(d.Enabled(IDOK)) << "the controls come back";
                                                    d.Click(IDCANCEL);
                                                },
                                                ChooseNodeOne()});
        EXPECT_EQ(result, IDCANCEL);
        const auto shown = boxes.Shown();
        ASSERT_EQ(shown.size(), before + 3) << "one message for the failure, nothing more";
        EXPECT_NE(shown.back().text.Find(u"part of the new data"), -1) << shown.back().text.ToUtf8();
        for (std::size_t i = before; i < shown.size(); ++i)
            EXPECT_EQ(shown[i].text.Find(u"were transferred"), -1) << "no success after a failure";
        if (!c.mayHoldValue) EXPECT_NE(emulator.Controller(kNode).Parameter(12), value) << "the refused value";
        EXPECT_NE(emulator.Controller(kNode).Point(5)[1], 900 + value) << "nothing after the failure was written";
    }
    emulator.Script().Clear();
}

TEST_F(DlgTransportV2Test, AnUnreadableFileIsReportedAsSuchAndNothingIsWritten)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    const std::string path = TempPath("missing.yvekd");
    boxes.Answer(IDOK, u"Controllers found");
    boxes.Answer(IDOK, u"cannot be read");
    CDlgTransportV2 dlg;
    dlg.SetMode(CDlgTransportV2::kToController);
    const INT_PTR result = RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
                                                TypePathAndChoose(path)(d);
                                                d.Click(IDCANCEL);
                                            },
                                            ChooseNodeOne()});
    EXPECT_EQ(result, IDCANCEL);
    for (const auto& box : boxes.Shown()) EXPECT_EQ(box.text.Find(u"is for the controller"), -1);
    EXPECT_EQ(CountWriteCommands(emulator), 0) << "nothing but the scan went to the line";
}

TEST_F(DlgTransportV2Test, TheFileOfAnOpenWindowIsRefusedUnderAnySpelling)
{
    const std::string folder = TempPath("sub");
    std::filesystem::create_directories(folder);
    const std::string path = TempPath("open.yvekd");
    WriteFile(path, "CONT=KX-LB\r\n");
    OpenWindowEntry entry;
    entry.kind = kOpenWindowOffline;
    entry.name = W(path.c_str());
    CWnd frame;
    entry.frame = &frame;
    host.registry.Add(entry);

    for (const std::string& typed : {path, folder + "/../open.yvekd"}) {
        SCOPED_TRACE(typed);
        boxes.Answer(IDOK, u"open in a window");
        CDlgTransportV2 dlg;
        const INT_PTR result = RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
            d.Retype(IDC_TRANSPORT_PATH, W(typed.c_str()).view());
            // No port at all is free here: the refusal comes before the connection.
            d.Click(IDOK);
            EXPECT_TRUE(d.Visible(IDOK));
            d.Click(IDCANCEL);
        }});
        EXPECT_EQ(result, IDCANCEL);
    }
    EXPECT_EQ(ReadFile(path), "CONT=KX-LB\r\n") << "the window's file is untouched";
}

TEST_F(DlgTransportV2Test, AWindowsConnectionIsPreselectedAndItsControllerIsWrittenThroughIt)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    FakeControllerFrame frame;
    ASSERT_TRUE(OpenFrame(frame));
    const std::string path = TempPath("window.yvekd");
    // The file is read from the controller through the window first.
    boxes.Answer(IDOK, u"Start the transfer");
    boxes.Answer(IDOK, u"were transferred");
    {
        CDlgTransportV2 dlg;
        dlg.SetComPort(kEmulatorPort);
        ASSERT_EQ(RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
                      EXPECT_EQ(SelectedTreeText(d, IDC_TRANSPORT_TREE), W("COM3")) << "the window's port is preselected";
                      const auto texts = TreeTexts(d, IDC_TRANSPORT_TREE);
                      EXPECT_EQ(texts.front(), W("Serial connections in use"));
                      EXPECT_FALSE(d.Visible(IDC_TRANSPORT_SETTINGS)) << "level 0 has no settings";
                      d.Retype(IDC_TRANSPORT_PATH, W(path.c_str()).view());
                      Picture(d, "transport-window");
                      d.Click(IDOK);
                  }}),
                  IDOK);
    }
    ControllerData data = ReadDataFile(path);
    data.FirstParamSet()->K(12) = 321;
    WriteDataFile(path, data);

    boxes.Answer(IDOK, u"points and parameters will be overwritten");
    boxes.Answer(IDOK, u"were transferred");
    CDlgTransportV2 dlg;
    dlg.SetMode(CDlgTransportV2::kToController);
    dlg.SetComPort(kEmulatorPort);
    ASSERT_EQ(RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
                  d.Retype(IDC_TRANSPORT_PATH, W(path.c_str()).view());
                  d.Click(IDOK);
              }}),
              IDOK);
    EXPECT_EQ(emulator.Controller(kNode).Parameter(12), 321);
    EXPECT_EQ(frame.reloads, 1) << "the window read its controller again";
    EXPECT_EQ(frame.reloaded.FirstParamSet()->K(12), 321);
    EXPECT_TRUE(frame.manager.IsPortOpen()) << "the borrowed link stays with its window";
}

TEST_F(DlgTransportV2Test, ChecksBeforeAWriteStopOrAskAsTheDataAndTheControllerDiffer)
{
    struct Case {
        const char* name;
        const char* controller;
        const char* robot;
        int mode;
        std::vector<std::pair<int, std::u16string>> answers;  // after the scan's box
        bool written;
    };
    const std::vector<Case> cases = {
        {"another controller: refused", "KX-Q05", "SA4-L06", 2, {{IDOK, u"cannot be written"}}, false},
        {"another robot, declined", "KX-LB", "RD4-L03", 2, {{IDNO, u"actuator RD4-L03"}}, false},
        {"mode 6 passes", "KX-LB", "SA4-L06", 6, {{IDOK, u"Write the file"}, {IDOK, u"were transferred"}}, true},
        {"mode 4 asks, declined", "KX-LB", "SA4-L06", 4, {{IDNO, u"(4)"}}, false},
    };
    ASSERT_TRUE(Serve()) << emulator.LastError();
    const std::string path = TempPath("checks.yvekd");
    ASSERT_EQ(ReadIntoFile(path), IDOK);
    const ControllerData original = ReadDataFile(path);
    int value = 700;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ControllerData data = original;
        data.controller = W(c.controller);
        data.robot = W(c.robot);
        data.FirstParamSet()->K(12) = ++value;
        WriteDataFile(path, data);
        emulator.Controller(kNode).SetParameter(20, c.mode);
        boxes.Answer(IDOK, u"Controllers found");
        for (const auto& [answer, text] : c.answers) boxes.Answer(answer, text);
        CDlgTransportV2 dlg;
        dlg.SetMode(CDlgTransportV2::kToController);
        const INT_PTR result = RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
                                                    TypePathAndChoose(path)(d);
                                                    if (StillOpen(d)) d.Click(IDCANCEL);
                                                },
                                                ChooseNodeOne()});
        EXPECT_EQ(result, c.written ? IDOK : IDCANCEL);
        EXPECT_EQ(emulator.Controller(kNode).Parameter(12) == value, c.written);
    }
}

TEST_F(DlgTransportV2Test, AFileReadFromOneNodeIsWrittenIntoTheNodeChosen)
{
    emu::ControllerModel& second = emulator.AddController(2, "LB");
    second.SetControllerName("KX-LB");
    second.SetRobot("SA4-L06");
    second.SetInterface("NPN");
    second.SetParameter(20, 2);
    second.SetParameter(12, 500);
    ASSERT_TRUE(Serve()) << emulator.LastError();
    const std::string path = TempPath("node1.yvekd");
    ASSERT_EQ(ReadIntoFile(path), IDOK);
    ControllerData data = ReadDataFile(path);
    ASSERT_EQ(data.FirstParamSet()->K(38), kNode) << "the file names the node it was read from";
    data.FirstParamSet()->K(12) = 612;
    WriteDataFile(path, data);

    boxes.Answer(IDOK, u"Controllers found");
    boxes.Answer(IDOK, u"node 2");
    boxes.Answer(IDOK, u"were transferred");
    CDlgTransportV2 dlg;
    dlg.SetMode(CDlgTransportV2::kToController);
    ASSERT_EQ(RunDialogs(dlg, {TypePathAndChoose(path),
                               [](uitest::DialogDriver& d) {
                                   ChooseListRow(d, IDC_SERIAL_NODE_LIST, u"02");
                                   d.Click(IDOK);
                               }}),
              IDOK);
    EXPECT_EQ(emulator.Controller(2).Parameter(12), 612);
    EXPECT_EQ(emulator.Controller(kNode).Parameter(12), 500) << "the node the file came from is untouched";
}

TEST_F(DlgTransportV2Test, AFileThatCannotBeWrittenIsNotReportedAsTransferred)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    const std::string path = TempPath("no-such-folder/axis.yvekd");
    boxes.Answer(IDOK, u"Controllers found");
    boxes.Answer(IDOK, u"Read into the file");
    boxes.Answer(IDOK, u"could not be written");
    CDlgTransportV2 dlg;
    const INT_PTR result = RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
                                                TypePathAndChoose(path)(d);
                                                d.Click(IDCANCEL);
                                            },
                                            ChooseNodeOne()});
    EXPECT_EQ(result, IDCANCEL);
    for (const auto& box : boxes.Shown()) EXPECT_EQ(box.text.Find(u"were transferred"), -1);
    EXPECT_EQ(boxes.PendingAnswers(), 0u);
}

TEST_F(DlgTransportV2Test, AWindowsDataAreSavedWithoutAskingTheController)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    FakeControllerFrame frame;
    ASSERT_TRUE(OpenFrame(frame));
    ControllerDataStore store;
    ControllerDataSlot project;
    store.AllocControllerData(project);
    project->controller = u"KX-LB";
    project->robot = u"SA4-L06";
    project->FirstParamSet()->K(12) = 999;
    const std::string path = TempPath("project.yvekd");
    boxes.Answer(IDOK, u"Start the transfer");
    boxes.Answer(IDOK, u"were transferred");
    emulator.ClearLog();
    CDlgTransportV2 dlg;
    dlg.SetProjectData(project.get());
    dlg.SetComPort(kEmulatorPort);
    ASSERT_EQ(RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
                  EXPECT_EQ(TreeTexts(d, IDC_TRANSPORT_TREE), (std::vector<CString>{u"Serial connections in use", u"COM3"}))
                      << "only the window's own connection";
                  d.Retype(IDC_TRANSPORT_PATH, W(path.c_str()).view());
                  // A double click on the connection is OK.
                  ChooseTreeItem(d, IDC_TRANSPORT_TREE, u"COM3", true);
              }}),
              IDOK);
    EXPECT_EQ(ReadDataFile(path).FirstParamSet()->K(12), 999);
    EXPECT_TRUE(emulator.ReceivedCommands().empty()) << "the controller was not asked for its data";
}

TEST_F(DlgTransportV2Test, PortSettingsAreForAFreePortOnly)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    FakeControllerFrame frame;
    ASSERT_TRUE(OpenFrame(frame));
    host.accessLevel = 4;
    boxes.Answer(IDOK, u"free COM port only");
    CDlgTransportV2 dlg;
    RunDialogs(dlg, {[&](uitest::DialogDriver& d) {
        ChooseTreeItem(d, IDC_TRANSPORT_TREE, u"COM3");
        d.Click(IDC_TRANSPORT_SETTINGS);
        d.Click(IDCANCEL);
    }});
    EXPECT_EQ(boxes.PendingAnswers(), 0u);
}

}  // namespace
