// The data-moving dialogs as a person reaches them in the program: the main
// menu's transports, new offline data through the wizard, the alarm list of a
// saved file, the options and the launcher at start, the controller window's
// own read, write and node commands, the watcher and the access code, all
// against the controller emulator on a pseudo-terminal mapped to COM3.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/dialogs/tests/TransportTestSupport.h"

#include "manager/app/ManagerSettings.h"
#include "manager/core/DataManager.h"
#include "manager/ui/ManagerMessages.h"
#include "resources/manager/ctrldlgs_ids.h"
#include "resources/manager/transport_ids.h"
#include "tests/support/emulator/Emulator.h"

#include "platform/core/File.h"
#include "platform/ui/TabCtrl.h"
#include "platform/ui/WidgetPeer.h"


namespace {

using mgrtest::ManagerWorld;
using transporttest::ChooseListRow;
using transporttest::ChooseTreeItem;
using transporttest::CountWriteCommands;
using transporttest::ModalScripts;
using transporttest::TopModalDialog;

constexpr int kCom = 3;
// The tabs of a property sheet.
constexpr int kSheetTab = 0x3020;

// The page of a tabbed dialog or sheet that holds the control.
uitest::DialogDriver PageOf(uitest::DialogDriver& d, int controlId)
{
    for (CWnd* child = CWnd::FromHandle(d.Dialog())->GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT))
        if (child->GetDlgItem(controlId)) return uitest::DialogDriver(child->GetSafeHwnd());
    ADD_FAILURE() << "no page with control " << controlId;
    return d;
}

void ChooseTab(uitest::DialogDriver& d, int tabId, int index)
{
    auto* tab = static_cast<CTabCtrl*>(CWnd::FromHandle(d.Item(tabId)));
    ASSERT_NE(tab, nullptr);
    RECT rect{};
    ASSERT_TRUE(tab->GetItemRect(index, &rect));
    d.ClickAt(tabId, POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

ControllerData ReadDataFile(const CString& path)
{
    ControllerDataStore store;
    ControllerDataSlot slot;
    store.AllocControllerData(slot);
    EXPECT_TRUE(store.ReadControllerDataFile(path.GetString(), *slot, true, true, true)) << path.ToUtf8();
    return *slot;
}

ControllerData* WindowData(CChildFrame* child) { return child->Document()->DataManager().GetCurrentController(); }

CString RootText(CChildFrame* child)
{
    CTreeCtrl& tree = child->GetTreeView()->GetTreeCtrl();
    return tree.GetItemText(tree.GetRootItem());
}

// The main window with the dialog over it, as a person sees the screen.
void PictureOver(ManagerWorld& world, HWND dialog, const std::string& name, const std::string& language)
{
    const QPixmap picture = mgrtest::PictureOver(world.FrameHwnd(), dialog);
    ASSERT_FALSE(picture.isNull());
    const std::string path = uitest::ArtifactFolder("manager") + "/frame-" + name + "." + language + ".png";
    EXPECT_TRUE(picture.save(QString::fromStdString(path))) << path;
}

// The transport dialog's part of a run on the free port COM3: the path
// typed (when the dialog has one), COM3 chosen, OK.
ModalScripts::Script ChooseCom3(const CString& path = {}, std::function<void(uitest::DialogDriver&)> look = {})
{
    return [=](uitest::DialogDriver& d) {
        if (!path.IsEmpty()) d.Retype(IDC_TRANSPORT_PATH, std::u16string_view(path.GetString(), path.GetLength()));
        ChooseTreeItem(d, IDC_TRANSPORT_TREE, u"COM3");
        if (look) look(d);
        d.Click(IDOK);
    };
}

// The node choice after the scan.
ModalScripts::Script ChooseNode(const char16_t* node = u"01")
{
    return [=](uitest::DialogDriver& d) {
        ChooseListRow(d, IDC_SERIAL_NODE_LIST, node);
        d.Click(IDOK);
    };
}

class FrameTransportTest : public ::testing::Test {
protected:
    FrameTransportTest()
    {
        emu::ControllerModel& c = emulator.AddController(1, "Q05");
        c.SetControllerName("KX-Q05");
        c.SetRobot("SA4-L06");
        c.SetInterface("NPN");
        c.SetParameter(12, 500);
        // Positioning mode: a write needs no question about the mode.
        c.SetParameter(20, 2);
        c.SetPoint(5, {1, 12345, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    }
    void TearDown() override { uitest::FlushDeletedWidgets(); }

    bool Start(ManagerWorld& world)
    {
        if (emulator.PtyPath().empty() && emulator.ServePty().empty()) return false;
        world.MapPorts({{kCom, emulator.PtyPath()}});
        return world.Start();
    }
    // Transport > Read data from a controller, into the file.
    void ReadIntoFile(ManagerWorld& world, const CString& path)
    {
        world.Boxes().Answer(IDOK, u"Controllers found");
        world.Boxes().Answer(IDOK, u"Read into the file");
        world.Boxes().Answer(IDOK, u"The data were transferred.");
        ModalScripts scripts({ChooseCom3(path), ChooseNode()});
        world.Command(IDM_TRANSPORT_FROM);
    }
    void OpenFromMenu(ManagerWorld& world, const CString& path)
    {
        ScriptedDialogs dialogs;
        dialogs.ChooseFile({path});
        world.Command(IDM_OPEN_DATA);
    }

    emu::Emulator emulator;
};

TEST_F(FrameTransportTest, AControllerReadIntoAFileChangedInAnOfflineWindowAndWrittenBackIsHeldByTheController)
{
    ManagerWorld world;
    ASSERT_TRUE(Start(world)) << emulator.LastError();
    const CString path = world.Path("axis.yvekd");
    ReadIntoFile(world, path);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    ASSERT_TRUE(platform::FileExists(path.GetString())) << "the transport wrote the file";
    EXPECT_EQ(ReadDataFile(path).points[4].p, 12345);

    // Opened offline and changed as the panes change it.
    OpenFromMenu(world, path);
    ASSERT_EQ(world.ChildCount(), 1);
    CChildFrame* child = world.Active();
    ASSERT_NE(child, nullptr);
    EXPECT_FALSE(child->IsOnline());
    ControllerData* data = WindowData(child);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->controller, CString(u"KX-Q05"));
    data->points[4].p = 23456;
    data->points[6] = data->points[4];
    data->points[6].number = 7;
    data->points[6].p = 777;
    data->FirstParamSet()->K(12) = 650;

    // The window's own transport writes its data into the controller.
    ASSERT_TRUE(world.Enabled(IDM_TRANSPORT_DATA));
    world.Boxes().Answer(IDOK, u"Controllers found");
    world.Boxes().Answer(IDOK, u"Write the file");
    world.Boxes().Answer(IDOK, u"The data were transferred.");
    {
        ModalScripts scripts({ChooseCom3({}, [](uitest::DialogDriver& d) {
                                  EXPECT_EQ(::GetWindowTextLengthW(d.Dialog()) > 0, true);
                                  EXPECT_FALSE(d.Visible(IDC_TRANSPORT_BROWSE)) << "the window's data, no file to browse";
                              }),
                              ChooseNode()});
        world.Command(IDM_TRANSPORT_DATA);
    }
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    const emu::ControllerModel& c = emulator.Controller(1);
    EXPECT_EQ(c.Parameter(12), 650);
    EXPECT_EQ(c.Point(5)[1], 23456);
    EXPECT_EQ(c.Point(7)[1], 777);
    EXPECT_EQ(world.ChildCount(), 1) << "the window stays";

    // Closing the window with the changes not saved still asks.
    world.Boxes().Answer(IDNO, u"axis");
    world.Command(IDM_CLOSE_WINDOW);
    EXPECT_EQ(world.ChildCount(), 0);
}

TEST_F(FrameTransportTest, AWriteCutShortByATimeOutOrAnNgSaysSoAndNeverReportsSuccess)
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
    ManagerWorld world;
    ASSERT_TRUE(Start(world)) << emulator.LastError();
    const CString path = world.Path("cut.yvekd");
    ReadIntoFile(world, path);
    ControllerData data = ReadDataFile(path);
    int value = 640;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        data.FirstParamSet()->K(12) = ++value;
        data.points[4].p = 900 + value;
        ControllerDataStore store;
        ASSERT_TRUE(store.WriteControllerDataFile(path.GetString(), data, true, true, true));
        emulator.Script().Clear();
        emulator.Script().OnLine("@K12.", c.fault);
        world.Boxes().Answer(IDOK, u"Controllers found");
        world.Boxes().Answer(IDOK, u"Write the file");
        world.Boxes().Answer(IDOK, c.says);
        const std::size_t before = world.Boxes().Shown().size();
        {
            // The dialog stays open after the failure; the user then cancels it.
            ModalScripts scripts({[&](uitest::DialogDriver& d) {
                                      ChooseCom3(path)(d);
                                      EXPECT_TRUE(d.Enabled(IDOK)) << "the controls come back";
                                      d.Click(IDCANCEL);
                                  },
                                  ChooseNode()});
            world.Command(IDM_TRANSPORT_TO);
        }
        const auto shown = world.Boxes().Shown();
        ASSERT_EQ(shown.size(), before + 3) << "one message for the failure, nothing more";
        EXPECT_NE(shown.back().text.Find(u"part of the new data"), -1) << shown.back().text.ToUtf8();
        for (std::size_t i = before; i < shown.size(); ++i)
            EXPECT_EQ(shown[i].text.Find(u"were transferred"), -1) << "no success after a failure";
        if (!c.mayHoldValue) {
            EXPECT_NE(emulator.Controller(1).Parameter(12), value) << "the refused value";
        }
        EXPECT_NE(emulator.Controller(1).Point(5)[1], 900 + value) << "nothing after the failure was written";
    }
    emulator.Script().Clear();
    EXPECT_TRUE(world.Enabled(IDM_TRANSPORT_TO)) << "the frame is usable again";
}

TEST_F(FrameTransportTest, TheTransportOfAnOpenOnlineWindowUsesItsLinkAndTheWindowShowsWhatWasWritten)
{
    ManagerWorld world;
    ASSERT_TRUE(Start(world)) << emulator.LastError();
    const CString path = world.Path("line.yvekd");
    ReadIntoFile(world, path);
    ControllerData data = ReadDataFile(path);
    data.FirstParamSet()->K(12) = 720;
    ASSERT_TRUE(ControllerDataStore().WriteControllerDataFile(path.GetString(), data, true, true, true));

    world.Boxes().Answer(IDOK, u"Controllers found");
    ASSERT_EQ(world.NewOnline(kCom, u"Press line"), IDOK);
    CChildFrame* child = world.Active();
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(child->IsOnline());
    // The dialog starts on the active window's line, which it borrows.
    world.Boxes().Answer(IDOK, u"open window");
    world.Boxes().Answer(IDOK, u"The data were transferred.");
    {
        ModalScripts scripts({[&](uitest::DialogDriver& d) {
            d.Retype(IDC_TRANSPORT_PATH, std::u16string_view(path.GetString(), path.GetLength()));
            EXPECT_NE(transporttest::SelectedTreeText(d, IDC_TRANSPORT_TREE).Find(u"COM3"), -1)
                << "the window's connection is chosen";
            d.Click(IDOK);
        }});
        world.Command(IDM_TRANSPORT_TO);
    }
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(emulator.Controller(1).Parameter(12), 720);
    ASSERT_NE(WindowData(child), nullptr);
    EXPECT_EQ(WindowData(child)->FirstParamSet()->K(12), 720) << "the window read its controller again";
    EXPECT_TRUE(child->GetTreeView()->IsConnected());
}

// A window that was disconnected holds no line: the transport offers its
// port as free and opens it itself; the window stays disconnected.
TEST_F(FrameTransportTest, TheLineOfADisconnectedWindowIsOfferedAsFree)
{
    ManagerWorld world;
    ASSERT_TRUE(Start(world)) << emulator.LastError();
    world.Boxes().Answer(IDOK, u"Controllers found");
    ASSERT_EQ(world.NewOnline(kCom, u"Press line"), IDOK);
    CChildFrame* child = world.Active();
    world.Boxes().Answer(IDOK, u"Disconnect");
    world.Command(IDM_DISCONNECT);
    ASSERT_FALSE(child->GetTreeView()->IsConnected());
    // Asked for its link, the window lends none.
    int node = 0;
    CDataManager* link = nullptr;
    EXPECT_EQ(child->SendMessage(UM_GETLINKOFWINDOW, reinterpret_cast<WPARAM>(&node), reinterpret_cast<LPARAM>(&link)), 1);
    EXPECT_EQ(link, nullptr);
    const CString path = world.Path("free.yvekd");
    world.Boxes().Answer(IDOK, u"Controllers found");
    world.Boxes().Answer(IDOK, u"Read into the file");
    world.Boxes().Answer(IDOK, u"The data were transferred.");
    {
        ModalScripts scripts({ChooseCom3(path, [](uitest::DialogDriver& d) {
                                  EXPECT_EQ(transporttest::TreeTexts(d, IDC_TRANSPORT_TREE).size(), 2u)
                                      << "only the free port, no open connection";
                              }),
                              ChooseNode()});
        world.Command(IDM_TRANSPORT_FROM);
    }
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_TRUE(platform::FileExists(path.GetString()));
    EXPECT_FALSE(child->GetTreeView()->IsConnected());
    // The window connects again once the dialog has let the port go.
    world.Boxes().Answer(IDOK, u"Connect");
    world.Command(IDM_CONNECT);
    EXPECT_TRUE(child->GetTreeView()->IsConnected());
}

TEST_F(FrameTransportTest, AFileOfAnOpenWindowIsNeverTheTargetOfARead)
{
    ManagerWorld world;
    ASSERT_TRUE(Start(world)) << emulator.LastError();
    const CString path = mgrtest::WriteDataFile(world.Path("open.yvekd"));
    const std::string before = transporttest::TransportFixture::ReadFile(path.ToUtf8());
    OpenFromMenu(world, path);
    ASSERT_EQ(world.ChildCount(), 1);
    // Typed under another spelling of the same file.
    const CString other = world.Path("./sub/../open.yvekd");
    std::filesystem::create_directories(world.Folder() / "sub");
    world.Boxes().Answer(IDOK, u"open in a window");
    {
        ModalScripts scripts({[&](uitest::DialogDriver& d) {
            ChooseCom3(other)(d);
            EXPECT_TRUE(transporttest::StillOpen(d)) << "OK refused";
            d.Click(IDCANCEL);
        }});
        world.Command(IDM_TRANSPORT_FROM);
    }
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(transporttest::TransportFixture::ReadFile(path.ToUtf8()), before) << "the open window's file is untouched";
    EXPECT_EQ(CountWriteCommands(emulator), 0);
}

TEST_F(FrameTransportTest, NewOfflineDataFromTheWizardOpenAWindowThatShowsTheChoices)
{
    ManagerWorld world;
    ASSERT_TRUE(world.Start());
    ASSERT_TRUE(world.Enabled(IDM_NEW_OFFLINE));
    {
        ModalScripts scripts({[&](uitest::DialogDriver& d) {
            uitest::DialogDriver page = PageOf(d, IDC_ADDNEW_CONTROLLER);
            page.ChooseComboEntry(IDC_ADDNEW_CONTROLLER, u"KX-Q10");
            page.Retype(IDC_ADDNEW_STROKE, u"250");
            page.Key(Qt::Key_Tab);
            EXPECT_FALSE(d.Text(IDC_ADDNEW_NAME).IsEmpty()) << "a default name is offered";
            d.Retype(IDC_ADDNEW_NAME, u"Cell7");
            d.Click(IDOK);
        }});
        world.Command(IDM_NEW_OFFLINE);
    }
    ASSERT_EQ(world.ChildCount(), 1);
    CChildFrame* child = world.Active();
    ASSERT_NE(child, nullptr);
    EXPECT_FALSE(child->IsOnline());
    CString title;
    child->GetWindowText(title);
    EXPECT_NE(title.Find(u"Cell7"), -1) << title.ToUtf8();
    ControllerData* data = WindowData(child);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->controller, CString(u"KX-Q10"));
    EXPECT_EQ(data->robot, CString(u"SA6-L05"));
    EXPECT_EQ(data->FirstParamSet()->K(43), 250000);
    EXPECT_NE(RootText(child).Find(u"KX-Q10"), -1) << "the tree shows the chosen controller";
    EXPECT_TRUE(world.Grab("new-offline-data.en.png"));

    // Cancelled, the wizard opens nothing.
    {
        ModalScripts scripts({[](uitest::DialogDriver& d) { d.Click(IDCANCEL); }});
        world.Command(IDM_NEW_OFFLINE);
    }
    EXPECT_EQ(world.ChildCount(), 1);
    // New data were never saved: closing asks.
    world.Boxes().Answer(IDNO, u"Cell7");
    world.Command(IDM_CLOSE_WINDOW);
    EXPECT_EQ(world.ChildCount(), 0);
}

TEST_F(FrameTransportTest, TheAlarmHistoryReadIntoAFileIsShownFromTheFileAndAnUnreadableFileSaysSo)
{
    emulator.Controller(1).AddRecord(emu::AlarmRecord{0x21, 100, 5000, 10, 1});
    emulator.Controller(1).AddRecord(emu::AlarmRecord{0x43, 200, 6000, 20, 2});
    ManagerWorld world;
    ASSERT_TRUE(Start(world)) << emulator.LastError();
    const CString path = world.Path("history.yveka");
    world.Boxes().Answer(IDOK, u"Controllers found");
    world.Boxes().Answer(IDOK, u"history.yveka");
    world.Boxes().Answer(IDOK, u"The alarm history was saved.");
    {
        ModalScripts scripts({ChooseCom3(path), ChooseNode()});
        world.Command(IDM_ALARM_TRANSPORT);
    }
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    ASSERT_TRUE(platform::FileExists(path.GetString()));

    // Tools > Alarm list from a file.
    ASSERT_TRUE(world.Enabled(IDM_ALARM_FILE));
    {
        ScriptedDialogs dialogs;
        dialogs.ChooseFile({path});
        ModalScripts scripts({[](uitest::DialogDriver& d) {
            auto* list = static_cast<CListCtrl*>(CWnd::FromHandle(d.Item(IDC_ALM_HISTORY_LIST)));
            EXPECT_GE(list->GetItemCount(), 2) << "both records";
            EXPECT_FALSE(d.Visible(IDC_ALM_RESET)) << "nothing to reset in a file";
            d.Click(IDCANCEL);
        }});
        world.Command(IDM_ALARM_FILE);
    }
    // A name that cannot be read as a file.
    const CString broken = world.Path("broken.yveka");
    std::filesystem::create_directories(broken.ToUtf8());
    world.Boxes().Answer(IDOK, u"cannot be read");
    {
        ScriptedDialogs dialogs;
        dialogs.ChooseFile({broken});
        world.Command(IDM_ALARM_FILE);
    }
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(TopModalDialog(), HWND()) << "no empty list instead";
}

TEST_F(FrameTransportTest, TheGlobalCommandAsksFirstAndListsTheNodesThatAnswer)
{
    emu::ControllerModel& second = emulator.AddController(4, "Q05");
    second.SetControllerName("KX-Q05");
    ManagerWorld world;
    ASSERT_TRUE(Start(world)) << emulator.LastError();
    world.Boxes().Answer(IDCANCEL, u"every controller on COM3");
    {
        ModalScripts scripts({[](uitest::DialogDriver& d) {
            ChooseCom3()(d);
            EXPECT_TRUE(transporttest::StillOpen(d));
            d.Click(IDCANCEL);
        }});
        world.Command(IDM_GLOBAL_TRANSPORT);
    }
    EXPECT_TRUE(emulator.ReceivedCommands().empty()) << "nothing went to the line before the user agreed";
    world.Boxes().Answer(IDOK, u"every controller on COM3");
    world.Boxes().Answer(IDOK, u"04 : KX-Q05");
    world.Boxes().Answer(IDOK, u"01 : KX-Q05\n02 : KX-Q05");
    {
        ModalScripts scripts({ChooseCom3()});
        world.Command(IDM_GLOBAL_TRANSPORT);
    }
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
}

TEST_F(FrameTransportTest, TheLauncherAtStartOpensTheTransportsAndTheOptionsBringItBack)
{
    ManagerWorld world;
    world.launcherAtStart = true;
    {
        // The launcher comes up over the shown main window; its first button
        // opens the read transport; closed with "do not show again".
        ModalScripts scripts({[](uitest::DialogDriver& d) {
                                  EXPECT_TRUE(d.Visible(IDC_LAUNCH_DONT_SHOW));
                                  d.Click(IDC_LAUNCH_READ);
                                  d.Click(IDC_LAUNCH_DONT_SHOW);
                                  d.Click(IDC_LAUNCH_OK);
                              },
                              [](uitest::DialogDriver& d) {
                                  EXPECT_EQ(d.Text(IDC_TRANSPORT_PATH), CString());
                                  CString caption;
                                  CWnd::FromHandle(d.Dialog())->GetWindowText(caption);
                                  EXPECT_EQ(caption, CString(u"Read a controller into a data file"));
                                  d.Click(IDCANCEL);
                              }});
        ASSERT_TRUE(Start(world));
        EXPECT_TRUE(uitest::WaitUntil([&] { return world.Frame().IsWindowEnabled() && !TopModalDialog(); }, 20000));
    }
    ASSERT_NE(world.App().Settings(), nullptr);
    EXPECT_TRUE(world.App().Settings()->LauncherDoNotShowAgain());

    // Tools > Options: the launcher page shows it off; switched on, it is stored.
    {
        ModalScripts scripts({[](uitest::DialogDriver& d) {
            CString caption;
            CWnd::FromHandle(d.Dialog())->GetWindowText(caption);
            EXPECT_EQ(caption, CString(u"Options"));
            ChooseTab(d, kSheetTab, 1);
            uitest::DialogDriver launcherPage = PageOf(d, IDC_OPTION_SHOW_LAUNCHER);
            EXPECT_TRUE(launcherPage.Visible(IDC_OPTION_SHOW_LAUNCHER));
            EXPECT_EQ(launcherPage.Check(IDC_OPTION_SHOW_LAUNCHER), 0u) << "shown as off";
            launcherPage.Click(IDC_OPTION_SHOW_LAUNCHER);
            d.Click(IDOK);
        }});
        world.Command(IDM_OPTIONS);
    }
    EXPECT_FALSE(world.App().Settings()->LauncherDoNotShowAgain()) << "the launcher comes back at the next start";
}

// Generation is reached through the launcher (here opened from the options,
// as a person brings it back): new data for the connected controller keep
// its field-bus settings.
TEST_F(FrameTransportTest, GenerationFromTheLauncherKeepsTheControllersFieldBusSettings)
{
    emu::ControllerModel& c = emulator.Controller(1);
    c.SetParameter(80, 2);
    c.SetParameter(81, 17);
    c.SetParameter(82, 3);
    ManagerWorld world;
    ASSERT_TRUE(Start(world)) << emulator.LastError();
    world.Boxes().Answer(IDOK, u"Controllers found");
    world.Boxes().Answer(IDOK, u"Write the new data into this controller?");
    world.Boxes().Answer(IDOK, u"The data were transferred.");
    {
        ModalScripts scripts({[](uitest::DialogDriver& d) {
                                  ChooseTab(d, kSheetTab, 1);
                                  PageOf(d, IDC_OPTION_OPEN_LAUNCHER).Click(IDC_OPTION_OPEN_LAUNCHER);
                                  d.Click(IDCANCEL);
                              },
                              [](uitest::DialogDriver& d) {
                                  EXPECT_FALSE(d.Visible(IDC_LAUNCH_DONT_SHOW)) << "the shorter layout";
                                  d.Click(IDC_LAUNCH_GENERATION);
                                  d.Click(IDC_LAUNCH_CLOSE);
                              },
                              ChooseCom3(), ChooseNode(),
                              [](uitest::DialogDriver& d) {
                                  const auto summary = transporttest::ListColumn(d, IDC_ADDNEW_SUMMARY, 2);
                                  ASSERT_GE(summary.size(), 2u);
                                  EXPECT_EQ(summary[0], CString(u"KX-Q05")) << "the connected controller";
                                  EXPECT_EQ(summary[1], CString(u"SA4-L06"));
                                  d.Click(IDOK);
                              }});
        world.Command(IDM_OPTIONS);
    }
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(c.Parameter(80), 2);
    EXPECT_EQ(c.Parameter(81), 17);
    EXPECT_EQ(c.Parameter(82), 3);
    EXPECT_FALSE(c.PointUsed(5)) << "new data have no points";
}

// The watcher needs the controller window's live line; on the field bus while
// the status is polled it is refused with its message and nothing opens.
TEST_F(FrameTransportTest, TheWatcherOpensOnTheOnlineControllerAndIsRefusedOnThePolledFieldBus)
{
    ManagerWorld world;
    ASSERT_TRUE(Start(world)) << emulator.LastError();
    EXPECT_FALSE(world.Enabled(IDM_WATCHER)) << "no live controller yet";
    world.Boxes().Answer(IDOK, u"Controllers found");
    ASSERT_EQ(world.NewOnline(kCom, u"Press line"), IDOK);
    CChildFrame* child = world.Active();
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(world.Enabled(IDM_WATCHER));
    {
        // The trace window reads the controller and opens its set-up over
        // itself: the set-up is the first dialog a person can work in, the
        // trace window the next.
        bool setUpSeen = false;
        ModalScripts scripts({[&](uitest::DialogDriver& d) {
                                  PictureOver(world, d.Dialog(), "watcher-setup", "en");
                                  d.Click(IDCANCEL);
                                  setUpSeen = true;
                              },
                              [&](uitest::DialogDriver& d) {
                                  EXPECT_TRUE(setUpSeen);
                                  PictureOver(world, d.Dialog(), "watcher", "en");
                                  ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
                              }});
        world.Command(IDM_WATCHER);
    }
    ControllerData* data = WindowData(child);
    ASSERT_NE(data, nullptr);
    data->FirstParamSet()->K(80) = 2;
    world.Boxes().Answer(IDOK, u"");
    {
        world.Command(IDM_WATCHER);
        EXPECT_EQ(TopModalDialog(), HWND()) << "nothing opened";
    }
    const auto shown = world.Boxes().Shown();
    ASSERT_FALSE(shown.empty());
    CString expected;
    expected.LoadString(IDS_WATCHER_FIELD_BUS);
    EXPECT_EQ(shown.back().text, expected);
    data->FirstParamSet()->K(80) = 0;
}

TEST_F(FrameTransportTest, TheAccessCodeRaisesTheLevelAndTheWindowsSeeIt)
{
    ManagerWorld world;
    ASSERT_TRUE(world.Start());
    const CString path = mgrtest::WriteDataFile(world.Path("level.yvekd"));
    OpenFromMenu(world, path);
    CChildFrame* child = world.Active();
    ASSERT_NE(child, nullptr);
    CTreeCtrl& tree = child->GetTreeView()->GetTreeCtrl();
    auto expertItemShown = [&] {
        for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root))
            for (HTREEITEM a = tree.GetChildItem(root); a; a = tree.GetNextSiblingItem(a))
                for (HTREEITEM b = tree.GetChildItem(a); b; b = tree.GetNextSiblingItem(b))
                    if (tree.GetItemData(b) == 7) return true;
        return false;
    };
    EXPECT_EQ(world.App().GetAccessLevel(), 0);
    EXPECT_FALSE(expertItemShown());
    // A wrong code changes nothing.
    {
        ModalScripts scripts({[](uitest::DialogDriver& d) {
            d.Type(IDC_ACCESS_CODE_EDIT, u"wrong");
            d.Click(IDOK);
        }});
        world.Command(IDM_ACCESS_CODE);
    }
    EXPECT_EQ(world.App().GetAccessLevel(), 0);
    {
        ModalScripts scripts({[](uitest::DialogDriver& d) {
            d.Type(IDC_ACCESS_CODE_EDIT, u"valmoth");
            d.Click(IDOK);
        }});
        world.Command(IDM_ACCESS_CODE);
    }
    EXPECT_EQ(world.App().GetAccessLevel(), 2);
    EXPECT_TRUE(expertItemShown()) << "the open window shows what the level allows";
}

TEST_F(FrameTransportTest, TheWindowReadsItsDataFromAControllerAndChoosesAnotherNode)
{
    emu::ControllerModel& second = emulator.AddController(2, "Q05");
    second.SetControllerName("KX-Q05");
    second.SetRobot("SA6-L05");
    second.SetParameter(12, 333);
    ManagerWorld world;
    ASSERT_TRUE(Start(world)) << emulator.LastError();

    // Offline: the window's data are replaced by what node 2 holds.
    const CString path = mgrtest::WriteDataFile(world.Path("refresh.yvekd"));
    OpenFromMenu(world, path);
    CChildFrame* offline = world.Active();
    ASSERT_NE(offline, nullptr);
    ASSERT_TRUE(world.Enabled(IDM_READ_DATA));
    world.Boxes().Answer(IDOK, u"Controllers found");
    world.Boxes().Answer(IDOK, u"replaced");
    world.Boxes().Answer(IDOK, u"read into this window");
    {
        ModalScripts scripts({ChooseCom3(), ChooseNode(u"02")});
        world.Command(IDM_READ_DATA);
    }
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    ASSERT_NE(WindowData(offline), nullptr);
    EXPECT_EQ(WindowData(offline)->robot, CString(u"SA6-L05"));
    EXPECT_EQ(WindowData(offline)->FirstParamSet()->K(12), 333);
    world.Boxes().Answer(IDNO, u"");
    world.Command(IDM_CLOSE_WINDOW);
    ASSERT_EQ(world.ChildCount(), 0);

    // Online: the window moves from node 1 to node 2 of its line.
    world.Boxes().Answer(IDOK, u"Controllers found");
    ASSERT_EQ(world.NewOnline(kCom, u"Press line"), IDOK);
    CChildFrame* online = world.Active();
    ASSERT_NE(online, nullptr);
    EXPECT_NE(RootText(online).Find(u"1"), -1);
    ASSERT_TRUE(world.Enabled(IDM_CHANGE_NODE));
    world.Boxes().Answer(IDOK, u"Controllers found");
    {
        ModalScripts scripts({ChooseNode(u"02")});
        world.Command(IDM_CHANGE_NODE);
    }
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    ASSERT_NE(WindowData(online), nullptr);
    EXPECT_EQ(WindowData(online)->FirstParamSet()->K(38), 2);
    EXPECT_EQ(WindowData(online)->robot, CString(u"SA6-L05"));
    EXPECT_NE(RootText(online).Find(u"2"), -1) << RootText(online).ToUtf8();
}

// Every data-moving window as a person meets it over the main window, in
// both languages, for a person to look at.
class FramePicturesTest : public ::testing::TestWithParam<const char*> {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
};

TEST_P(FramePicturesTest, EveryDataMovingDialogOverTheMainWindow)
{
    const std::string language = GetParam();
    emu::Emulator emulator;
    emu::ControllerModel& c = emulator.AddController(1, "Q05");
    c.SetControllerName("KX-Q05");
    c.SetRobot("SA4-L06");
    ASSERT_FALSE(emulator.ServePty().empty());
    ManagerWorld world(language.c_str());
    world.MapPorts({{kCom, emulator.PtyPath()}});
    ASSERT_TRUE(world.Start());
    auto picture = [&](const char* name) {
        return [&, name](uitest::DialogDriver& d) {
            PictureOver(world, d.Dialog(), name, language);
            d.Click(IDCANCEL);
        };
    };
    const std::vector<std::pair<UINT, const char*>> commands = {
        {IDM_NEW_OFFLINE, "addnew"},         {IDM_TRANSPORT_FROM, "transport-read"},
        {IDM_TRANSPORT_TO, "transport-write"}, {IDM_ALARM_TRANSPORT, "transport-alarm"},
        {IDM_GLOBAL_TRANSPORT, "transport-global"}, {IDM_GENERATION_TRANSPORT, "transport-generation"},
        {IDM_OPTIONS, "options"},
    };
    for (const auto& [command, name] : commands) {
        SCOPED_TRACE(name);
        ModalScripts scripts({picture(name)});
        world.Command(command);
    }
    {
        ModalScripts scripts({[&](uitest::DialogDriver& d) {
            PictureOver(world, d.Dialog(), "launcher", language);
            d.Click(IDC_LAUNCH_CLOSE);
        }});
        world.Frame().SendMessage(UM_SHOWLAUNCHER, CMainFrame::kLauncherAtStart);
    }
    // The controller window's own: its data into a controller, a controller into it.
    const CString path = mgrtest::WriteDataFile(world.Path("pictures.yvekd"));
    {
        ScriptedDialogs dialogs;
        dialogs.ChooseFile({path});
        world.Command(IDM_OPEN_DATA);
    }
    ASSERT_EQ(world.ChildCount(), 1);
    for (const auto& [command, name] : std::vector<std::pair<UINT, const char*>>{
             {IDM_TRANSPORT_DATA, "window-transport"}, {IDM_READ_DATA, "window-read"}}) {
        SCOPED_TRACE(name);
        ModalScripts scripts({picture(name)});
        world.Command(command);
    }
    EXPECT_TRUE(world.Grab("frame-offline-window." + language + ".png"));
}

INSTANTIATE_TEST_SUITE_P(Languages, FramePicturesTest, ::testing::Values("en", "ja"));

}  // namespace
