// The trace-file dialog, the trace-file viewer, the A-B cursor window and
// the calculator, used as a person uses them: the trace window's commands,
// the dialogs' boxes and buttons, and what the windows then read out. A
// saved trace opens in a viewer from the file dialog; the tool windows read
// the viewer, and the live window once the viewer is closed.
#include "tools/trace/ABCursorDlg.h"
#include "tools/trace/CalculatorDlg.h"
#include "tools/trace/KXWatcherDlg.h"
#include "tools/trace/TRDFileDlg.h"
#include "tools/trace/TRDViewerDlg.h"
#include "tools/trace/TraceToolWindows.h"
#include "tools/tests/DialogTestSupport.h"

#include "tools/TraceText.h"
#include "tools/TrcDatFile.h"

#include "resources/tools/ZeblLangLib_ids.h"
#include "resources/tools/trdfile_ids.h"

#include "tests/support/ui/ScriptedDialogs.h"

#include "platform/ui/DropFiles.h"
#include "platform/ui/HeaderCtrl.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/ListCtrl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace toolstest;

void Command(HWND window, UINT id) { ::SendMessageW(window, WM_COMMAND, id, 0); }

void Click(HWND window, CPoint at)
{
    ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

CListCtrl* List(const uitest::DialogDriver& d, int id) { return static_cast<CListCtrl*>(CWnd::FromHandle(d.Item(id))); }

std::vector<std::vector<std::string>> Rows(const uitest::DialogDriver& d, int id)
{
    CListCtrl* list = List(d, id);
    const int columns = list->GetHeaderCtrl() ? list->GetHeaderCtrl()->GetItemCount() : 0;
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < list->GetItemCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < columns; ++c) row.push_back(list->GetItemText(r, c).ToUtf8());
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> Headings(const uitest::DialogDriver& d, int id)
{
    std::vector<std::string> headings;
    CHeaderCtrl* header = List(d, id)->GetHeaderCtrl();
    for (int c = 0; header && c < header->GetItemCount(); ++c) {
        char16_t text[128] = {};
        HDITEM item;
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 128;
        header->GetItem(c, &item);
        headings.push_back(CString(text).ToUtf8());
    }
    return headings;
}

CString Caption(HWND window)
{
    CString text;
    CWnd::FromHandle(window)->GetWindowText(text);
    return text;
}

std::string Time(double ms) { return FormatTraceTime(ms).ToUtf8(); }
std::string Real(double value) { return TraceRealText(value).ToUtf8(); }
std::string Text(UINT id)
{
    CString text;
    text.LoadString(id);
    return text.ToUtf8();
}

// The modal dialog a command of `owner` opened: the active window while a
// modal dialog of the trace windows runs.
std::function<HWND()> ModalOf(CKXWatcherDlg& live, HWND owner)
{
    return [&live, owner] {
        const HWND active = ::GetActiveWindow();
        return live.IsModalOpen() && active && active != owner ? active : HWND();
    };
}

class TraceToolWindowsTest : public ::testing::TestWithParam<const char*> {
protected:
    static constexpr int kInterval = 5;
    static constexpr std::int32_t kA = 100;
    static constexpr std::int32_t kB = 139;

    TraceToolWindowsTest()
    {
        // Channel 1 counts its samples; channel 2 counts them too, read as
        // 0.5 x raw + 10; channel 3 is a square wave of +-100 read the same
        // way (60 and -40); channel 4 is not drawn.
        uitest::ScopedResources english(u"ZeblLangLib", "en");
        CTraceModel model;
        model.m_TraceSet.TRACE_NUM = 400;
        model.m_TraceSet.wInterval = kInterval;
        EXPECT_TRUE(model.AllocBuffers());
        for (int i = 0; i <= 400; ++i) {
            model.m_DispData.pCh[0][i] = i;
            model.m_DispData.pCh[1][i] = i;
            model.m_DispData.pCh[2][i] = (i / 10) % 2 ? 100 : -100;
            model.m_DispData.pCh[3][i] = -i;
        }
        for (int ch : {1, 2}) {
            model.m_ScaleSet.SCL_TYPE_CH[ch] = kScaleRatio;
            model.m_ScaleSet.RATIO_CH[ch] = 0.5;
            model.m_ScaleSet.OFFSET_CH[ch] = 10.0;
        }
        model.m_GraphSet.DRAW_CH[3] = 0;
        model.m_GraphSet.TITLE = u"Axis 2 speed run";
        model.m_GraphSet.strLabel[0] = u"Position";
        model.m_GraphSet.strLabel[1] = u"Scaled position";
        model.m_GraphSet.strLabel[2] = u"Square";
        model.m_GraphSet.strLabel[3] = u"";
        model.m_RobConSet.strController = u"XS-2";
        model.m_RobConSet.strVersion = u"1.04.002";
        model.m_RobConSet.strRobot = u"RSA-10";
        int phase = 0;
        EXPECT_TRUE(SaveTrcDat(CString::FromUtf8(Path("known.trd")), model, phase));
        const std::string text = ReadBytes(Path("known.trd"));
        std::ofstream(Path("damaged.trd"), std::ios::binary) << text.substr(0, text.size() / 2);
        std::ofstream(Path("notes.trd"), std::ios::binary) << "shopping list\r\nmilk\r\n";
        // A third block with a line too many.
        std::string extra = text;
        const std::size_t block3 = NthEmptyLine(extra, 3);
        extra.insert(block3, "\r\nsurplus");
        std::ofstream(Path("extra.trd"), std::ios::binary) << extra;
        std::filesystem::create_directories(Path("older"));
    }

    static std::string ReadBytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Offset of the line end before the nth empty line.
    static std::size_t NthEmptyLine(const std::string& text, int n)
    {
        std::size_t at = 0;
        for (int i = 0; i < n; ++i) at = text.find("\r\n\r\n", at) + 2;
        return at - 2;
    }
    std::string Path(const std::string& name) const { return settings.Path() + "/" + name; }
    std::string Lang() const { return GetParam(); }

    // Opens a file through the trace window's file dialog, with the viewer box as given.
    void OpenThroughDialog(CKXWatcherDlg& live, HWND window, const std::string& name, bool viewer,
                           const std::function<void(uitest::DialogDriver&)>& look = nullptr)
    {
        uitest::RunModal(
            [&] {
                Command(window, ID_KXW_FILE_OPEN);
                return static_cast<INT_PTR>(IDOK);
            },
            ModalOf(live, window),
            [&](uitest::DialogDriver& file) {
                file.Retype(IDC_TRDF_FOLDER, CString::FromUtf8(settings.Path()).GetString());
                ::SetFocus(file.Item(IDC_TRDF_FOLDER));
                file.Key(Qt::Key_Return);
                if (look) look(file);
                file.Retype(IDC_TRDF_NAME, CString::FromUtf8(name).GetString());
                if ((file.Check(IDC_TRDF_NEW_VIEWER) != 0) != viewer && file.Enabled(IDC_TRDF_NEW_VIEWER))
                    file.Click(IDC_TRDF_NEW_VIEWER);
                file.Click(IDOK);
            });
    }

    ScopedEnv language{"QV_LANG", GetParam()};
    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
    ScriptedDialogs dialogs;
};

TEST_P(TraceToolWindowsTest, TheFileDialogPreviewsWhatIsSelected)
{
    CKXWatcherDlg dlg;
    const INT_PTR result = RunDialog(dlg, [&](uitest::DialogDriver& d) {
        OpenThroughDialog(dlg, d.Dialog(), "known.trd", false, [&](uitest::DialogDriver& file) {
            // The folder's traces and folders are offered.
            auto* list = static_cast<CListBox*>(CWnd::FromHandle(file.Item(IDC_TRDF_LIST)));
            EXPECT_GE(list->FindStringExact(-1, u"known.trd"), 0);
            EXPECT_GE(list->FindStringExact(-1, u"[older]"), 0);
            EXPECT_FALSE(file.Check(IDC_TRDF_NEW_VIEWER));
            EXPECT_TRUE(file.Enabled(IDC_TRDF_NEW_VIEWER));

            const int fields[] = {IDC_TRDF_PREVIEW_TITLE, IDC_TRDF_PREVIEW_CONTROLLER, IDC_TRDF_PREVIEW_VERSION,
                                  IDC_TRDF_PREVIEW_ROBOT, IDC_TRDF_PREVIEW_CH1,        IDC_TRDF_PREVIEW_CH2,
                                  IDC_TRDF_PREVIEW_CH3,   IDC_TRDF_PREVIEW_CH4};
            auto preview = [&] {
                std::vector<std::string> texts;
                for (int id : fields) texts.push_back(file.Text(id).ToUtf8());
                return texts;
            };
            const std::vector<std::string> errors(8, "ERROR");
            const std::vector<std::string> empty(8, "");
            struct Row {
                const char* name;
                std::vector<std::string> expected;
            };
            const Row rows[] = {
                {"known.trd",
                 {"Axis 2 speed run", "XS-2", "1.04.002", "RSA-10", "Position", "Scaled position", "Square", ""}},
                // Only the blocks before the samples are read.
                {"damaged.trd",
                 {"Axis 2 speed run", "XS-2", "1.04.002", "RSA-10", "Position", "Scaled position", "Square", ""}},
                {"notes.trd", errors},
                {"extra.trd", errors},
                {"older", empty},
                {"missing.trd", empty},
            };
            for (const Row& row : rows) {
                SCOPED_TRACE(row.name);
                file.Retype(IDC_TRDF_NAME, CString::FromUtf8(row.name).GetString());
                EXPECT_EQ(preview(), row.expected);
            }
            // Choosing in the list fills the name and the preview.
            ::SetFocus(file.Item(IDC_TRDF_LIST));
            file.Retype(IDC_TRDF_NAME, u"");
            list->SetCurSel(list->FindStringExact(-1, u"known.trd"));
            ::SendMessageW(file.Dialog(), WM_COMMAND, MAKEWPARAM(IDC_TRDF_LIST, LBN_SELCHANGE),
                           static_cast<LPARAM>(file.Item(IDC_TRDF_LIST).ToWParam()));
            EXPECT_EQ(file.Text(IDC_TRDF_NAME), CString(u"known.trd"));
            EXPECT_EQ(file.Text(IDC_TRDF_PREVIEW_ROBOT), CString(u"RSA-10"));
            KeepPicture(file, "trd-file-dialog-" + Lang());
            // A name that is not there is refused with a message, and the dialog stays.
            boxes.Answer(IDOK, u"nothing.trd");
            file.Retype(IDC_TRDF_NAME, u"nothing");
            file.Click(IDOK);
            EXPECT_EQ(boxes.PendingAnswers(), 0u);
            EXPECT_TRUE(::IsWindowVisible(file.Dialog()));
        });
        // Opened in the window itself: no viewer.
        EXPECT_TRUE(dlg.Model().IsFileShown());
        EXPECT_TRUE(dlg.ToolWindows()->Viewers().empty());
        EXPECT_EQ(dlg.Model().m_GraphSet.TITLE, CString(u"Axis 2 speed run"));
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
}

TEST_P(TraceToolWindowsTest, AViewerAndTheToolWindowsThatReadItThenTheLiveWindow)
{
    CKXWatcherDlg dlg;
    const INT_PTR result = RunDialog(dlg, [&](uitest::DialogDriver& d) {
        OpenThroughDialog(dlg, d.Dialog(), "known.trd", true);
        ASSERT_EQ(dlg.ToolWindows()->Viewers().size(), 1u);
        CTRDViewerDlg* viewer = dlg.ToolWindows()->Viewers().front();
        const HWND viewerHwnd = viewer->GetSafeHwnd();
        uitest::DialogDriver v(viewerHwnd);
        EXPECT_FALSE(dlg.Model().IsFileShown()) << "the live window keeps its own trace";
        EXPECT_EQ(dlg.Model().m_Layout.OPEN_W_VIEWER, 1) << "the choice is remembered";
        EXPECT_NE(Caption(viewerHwnd).Find(u" - known"), -1) << Caption(viewerHwnd).ToUtf8();
        EXPECT_TRUE(::IsWindowVisible(viewerHwnd));

        // Cursors A and B placed in the viewer by its menu's set mode and clicks.
        const CRect graph = viewer->Layout().rcGraph;
        const std::int32_t rate = CTraceModel::m_nZoomRate[viewer->Model().m_GraphSet.ZOOM];
        Command(viewerHwnd, ID_KXW_A_CURSOR_SET);
        Click(viewerHwnd, CPoint(graph.left + kA * 20 / rate, graph.top + 20));
        Command(viewerHwnd, ID_KXW_A_CURSOR_SET);
        Command(viewerHwnd, ID_KXW_B_CURSOR_SET);
        Click(viewerHwnd, CPoint(graph.left + kB * 20 / rate, graph.top + 20));
        Command(viewerHwnd, ID_KXW_B_CURSOR_SET);
        ASSERT_EQ(viewer->Model().m_nCursorPos[0], kA);
        ASSERT_EQ(viewer->Model().m_nCursorPos[1], kB);
        KeepPicture(v, "trace-viewer-" + Lang());

        // The A-B window opened from the viewer reads the viewer.
        Command(viewerHwnd, ID_KXW_TOOL_ABCURSOR);
        ASSERT_TRUE(dlg.ToolWindows()->ABCursor());
        const HWND abHwnd = dlg.ToolWindows()->ABCursor()->GetSafeHwnd();
        uitest::DialogDriver ab(abHwnd);
        EXPECT_NE(Caption(abHwnd).Find(u" - known"), -1);
        EXPECT_EQ(ab.Text(IDC_ABC_A_TIME).ToUtf8(), Time(kA * kInterval));
        EXPECT_EQ(ab.Text(IDC_ABC_B_TIME).ToUtf8(), Time(kB * kInterval));
        EXPECT_EQ(ab.Text(IDC_ABC_BA_TIME).ToUtf8(), Time((kB - kA) * kInterval));
        using Table = std::vector<std::vector<std::string>>;
        EXPECT_EQ(Rows(ab, IDC_ABC_LIST), (Table{{"1", "100", "139", "39"},
                                                 // 0.5 x raw + 10: the difference has no offset.
                                                 {"2", "60", "79.5", "19.5"},
                                                 {"3", "-40", "60", "100"}}));
        KeepPicture(ab, "trace-ab-cursor-" + Lang());
        // The spin of A moves A in the viewer, and the read-out follows.
        CRect spin;
        ::GetClientRect(ab.Item(IDC_ABC_A_SPIN), &spin);
        ab.ClickAt(IDC_ABC_A_SPIN, POINT{spin.right * 3 / 4, spin.bottom / 2});
        EXPECT_EQ(viewer->Model().m_nCursorPos[0], kA + 1);
        EXPECT_EQ(Rows(ab, IDC_ABC_LIST)[0][1], "101");
        uitest::Pump(600);
        ab.ClickAt(IDC_ABC_A_SPIN, POINT{spin.right / 4, spin.bottom / 2});
        EXPECT_EQ(viewer->Model().m_nCursorPos[0], kA);
        // The A-and-B spin moves both the way its arrow points; at the start
        // A stops while B goes on, so their distance changes there.
        uitest::Pump(600);
        ab.ClickAt(IDC_ABC_AB_SPIN, POINT{spin.right * 3 / 4, spin.bottom / 2});
        EXPECT_EQ(viewer->Model().m_nCursorPos[0], kA + 1);
        EXPECT_EQ(viewer->Model().m_nCursorPos[1], kB + 1);
        EXPECT_EQ(ab.Text(IDC_ABC_BA_TIME).ToUtf8(), Time((kB - kA) * kInterval));
        uitest::Pump(600);
        Command(viewerHwnd, ID_KXW_A_CURSOR_SET);
        Click(viewerHwnd, CPoint(graph.left, graph.top + 20));
        Command(viewerHwnd, ID_KXW_A_CURSOR_SET);
        ASSERT_EQ(viewer->Model().m_nCursorPos[0], 0);
        ab.ClickAt(IDC_ABC_AB_SPIN, POINT{spin.right / 4, spin.bottom / 2});
        EXPECT_EQ(viewer->Model().m_nCursorPos[0], 0);
        EXPECT_EQ(viewer->Model().m_nCursorPos[1], kB);
        EXPECT_EQ(Rows(ab, IDC_ABC_LIST)[0][2], "139") << "the read-out follows";
        uitest::Pump(600);
        Command(viewerHwnd, ID_KXW_A_CURSOR_SET);
        Click(viewerHwnd, CPoint(graph.left + kA * 20 / rate, graph.top + 20));
        Command(viewerHwnd, ID_KXW_A_CURSOR_SET);
        ASSERT_EQ(viewer->Model().m_nCursorPos[0], kA);

        // The calculator opened from the viewer works on the viewer's stretch A..B.
        Command(viewerHwnd, ID_KXW_TOOL_CALC);
        ASSERT_TRUE(dlg.ToolWindows()->Calculator());
        const HWND calcHwnd = dlg.ToolWindows()->Calculator()->GetSafeHwnd();
        uitest::DialogDriver calc(calcHwnd);
        calc.Click(IDC_CALC_CALCULATE);
        EXPECT_NE(Caption(calcHwnd).Find(u" - known"), -1);
        EXPECT_EQ(calc.Text(IDC_CALC_FROM).ToUtf8(), Time(kA * kInterval));
        EXPECT_EQ(calc.Text(IDC_CALC_TO).ToUtf8(), Time(kB * kInterval));
        EXPECT_EQ(Headings(calc, IDC_CALC_LIST),
                  (std::vector<std::string>{"CH", Text(IDS_TRACE_CALC_MAX), Text(IDS_TRACE_CALC_MAX_TIME),
                                            Text(IDS_TRACE_CALC_MIN), Text(IDS_TRACE_CALC_MIN_TIME),
                                            Text(IDS_TRACE_CALC_AVERAGE), Text(IDS_TRACE_CALC_RMS)}));
        double sumOfSquares = 0;
        for (int i = kA; i <= kB; ++i) sumOfSquares += static_cast<double>(i) * i;
        const double rampRms = std::sqrt(sumOfSquares / (kB - kA + 1));
        double scaledSquares = 0;
        for (int i = kA; i <= kB; ++i) scaledSquares += (0.5 * i + 10) * (0.5 * i + 10);
        const double scaledRms = std::sqrt(scaledSquares / (kB - kA + 1));
        EXPECT_EQ(Rows(calc, IDC_CALC_LIST),
                  (Table{{"1", "139", Time(kB * kInterval), "100", Time(kA * kInterval), "119.5", Real(rampRms)},
                         {"2", "79.5", Time(kB * kInterval), "60", Time(kA * kInterval), "69.75", Real(scaledRms)},
                         // Samples 100..139 of the square: 20 at 60 and 20 at -40.
                         {"3", "60", Time(110 * kInterval), "-40", Time(kA * kInterval), "10",
                          Real(std::sqrt(2600.0))}}));
        KeepPicture(calc, "trace-calculator-" + Lang());

        // The set-up drops the average; the next calculation has no such column.
        uitest::RunModal(
            [&] {
                calc.Click(IDC_CALC_SETUP);
                return static_cast<INT_PTR>(IDOK);
            },
            ModalOf(dlg, calcHwnd),
            [&](uitest::DialogDriver& setup) {
                EXPECT_TRUE(setup.Check(IDC_CSET_AVERAGE));
                EXPECT_TRUE(setup.Check(IDC_CSET_BETWEEN_CURSORS));
                EXPECT_FALSE(setup.Enabled(IDC_CSET_STRETCH_2));
                KeepPicture(setup, "trace-calculator-setup-" + Lang());
                boxes.Answer(IDOK, u"");
                ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
                EXPECT_EQ(boxes.PendingAnswers(), 0u) << "the trace window stays while the set-up is open";
                setup.Click(IDC_CSET_AVERAGE);
                setup.Click(IDC_CSET_BETWEEN_CURSORS);
                EXPECT_TRUE(setup.Enabled(IDC_CSET_STRETCH_2));
                setup.Click(IDC_CSET_STRETCH_4);
                setup.Click(IDOK);
            });
        calc.Click(IDC_CALC_CALCULATE);
        EXPECT_EQ(Headings(calc, IDC_CALC_LIST).size(), 6u);
        EXPECT_EQ(calc.Text(IDC_CALC_TO).ToUtf8(), Time(400 * kInterval)) << "the whole trace";
        EXPECT_EQ(Rows(calc, IDC_CALC_LIST)[0][1], "400");

        // The viewer closes by its caption: the tool windows read the live window.
        ::SendMessageW(viewerHwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        uitest::Pump(50);
        EXPECT_FALSE(::IsWindow(viewerHwnd));
        EXPECT_TRUE(dlg.ToolWindows()->Viewers().empty());
        EXPECT_EQ(Caption(abHwnd).Find(u" - "), -1) << Caption(abHwnd).ToUtf8();
        EXPECT_EQ(ab.Text(IDC_ABC_A_TIME), CString(u"-----"));
        EXPECT_TRUE(Rows(ab, IDC_ABC_LIST).empty()) << "the live window shows no cursor";
        EXPECT_FALSE(ab.Enabled(IDC_ABC_A_SPIN));
        EXPECT_EQ(Caption(calcHwnd).Find(u" - "), -1) << Caption(calcHwnd).ToUtf8();
        EXPECT_EQ(Rows(calc, IDC_CALC_LIST).size(), 4u) << "the live window's four channels";
        calc.Click(IDC_CALC_CALCULATE);
        EXPECT_EQ(Rows(calc, IDC_CALC_LIST)[0][1], "0");

        // The live window's own cursor shows in the A-B window at once.
        Command(d.Dialog(), ID_KXW_A_CURSOR_SHOW);
        EXPECT_EQ(ab.Text(IDC_ABC_A_TIME).ToUtf8(), Time(0));
        EXPECT_EQ(Rows(ab, IDC_ABC_LIST).size(), 4u);
        EXPECT_TRUE(ab.Enabled(IDC_ABC_A_SPIN));

        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(boxes.Shown().size() == 1u) << "only the refused close";
}

TEST_P(TraceToolWindowsTest, AFileThatDoesNotLoadLeavesNoViewerAndTheViewersCloseWithTheWindow)
{
    CKXWatcherDlg dlg;
    const INT_PTR result = RunDialog(dlg, [&](uitest::DialogDriver& d) {
        boxes.Answer(IDOK, u"Phase = 8");
        OpenThroughDialog(dlg, d.Dialog(), "damaged.trd", true);
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
        EXPECT_TRUE(dlg.ToolWindows()->Viewers().empty());
        // Two viewers, and the tool windows open on the second.
        OpenThroughDialog(dlg, d.Dialog(), "known.trd", true);
        OpenThroughDialog(dlg, d.Dialog(), "known.trd", true);
        ASSERT_EQ(dlg.ToolWindows()->Viewers().size(), 2u);
        const HWND first = dlg.ToolWindows()->Viewers()[0]->GetSafeHwnd();
        const HWND second = dlg.ToolWindows()->Viewers()[1]->GetSafeHwnd();
        EXPECT_NE(first, second);
        // The Window menu arranges the live window and its viewers, from
        // whichever of them it is chosen in: side by side, left to right.
        Command(second, ID_KXW_WINDOW_TILE_VERT);
        uitest::Pump(50);
        CRect live;
        CRect one;
        CRect two;
        ::GetWindowRect(d.Dialog(), &live);
        ::GetWindowRect(first, &one);
        ::GetWindowRect(second, &two);
        EXPECT_LT(live.left, one.left);
        EXPECT_LT(one.left, two.left);
        EXPECT_NEAR(live.Width(), one.Width(), 16);
        EXPECT_NEAR(one.Width(), two.Width(), 16);
        EXPECT_NEAR(live.top, two.top, 8);
        // A viewer opens another file in itself, with the viewer box locked.
        uitest::RunModal(
            [&] {
                Command(second, ID_KXW_FILE_OPEN);
                return static_cast<INT_PTR>(IDOK);
            },
            ModalOf(dlg, second),
            [&](uitest::DialogDriver& file) {
                EXPECT_TRUE(file.Check(IDC_TRDF_NEW_VIEWER));
                EXPECT_FALSE(file.Enabled(IDC_TRDF_NEW_VIEWER));
                file.Click(IDCANCEL);
            });
        Command(second, ID_KXW_TOOL_ABCURSOR);
        Command(second, ID_KXW_TOOL_CALC);
        ASSERT_TRUE(dlg.ToolWindows()->ABCursor() && dlg.ToolWindows()->Calculator());
        // Dropping two files on a viewer does nothing.
        platform::DeliverDroppedFiles(second, {CString::FromUtf8(Path("known.trd")), CString::FromUtf8(Path("notes.trd"))},
                                      POINT{200, 200});
        uitest::Pump(50);
        EXPECT_TRUE(boxes.Shown().size() == 1u);
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
}

TEST_P(TraceToolWindowsTest, TheSaveDialogAddsTheExtensionAndAsksBeforeReplacing)
{
    uitest::ScopedResources resources(u"ZeblLangLib", GetParam());
    CString filter;
    filter.LoadString(IDS_TRACE_FILE_FILTER);
    CTRDFileDlg dialog(FALSE, u"trd", CString::FromUtf8(Path("known.trd")), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       filter, nullptr);
    const INT_PTR result = uitest::RunModal(dialog, [&](uitest::DialogDriver& file) {
        EXPECT_FALSE(file.Visible(IDC_TRDF_NEW_VIEWER)) << "a save dialog offers no viewer";
        EXPECT_EQ(file.Text(IDC_TRDF_NAME), CString(u"known.trd"));
        EXPECT_EQ(file.Text(IDC_TRDF_FOLDER), CString::FromUtf8(std::filesystem::weakly_canonical(settings.Path()).string()));
        KeepPicture(file, "trd-file-dialog-save-" + Lang());
        // The file is there: No keeps the dialog and the file.
        boxes.Answer(IDNO, u"known.trd");
        file.Click(IDOK);
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
        EXPECT_TRUE(::IsWindowVisible(file.Dialog()));
        // A new name takes the extension.
        file.Retype(IDC_TRDF_NAME, u"second");
        file.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(std::filesystem::path(dialog.GetPathName().ToUtf8()).filename().string(), "second.trd");
    EXPECT_EQ(dialog.GetFileTitle(), CString(u"second"));
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, TraceToolWindowsTest, ::testing::Values("en", "ja"));

}  // namespace
