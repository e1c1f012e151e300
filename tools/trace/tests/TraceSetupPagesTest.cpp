// The label, graph, scaling and range pages of the trace set-up dialog, and
// the trace window's options sheet, used as a person uses them: the window's
// commands open them, values are typed and chosen in their controls, OK is
// clicked; then what the window draws, what it saves in a trace file and what
// "rtt.ini" keeps.
#include "tools/trace/ExecTraceDlg.h"
#include "tools/trace/KXWatcherDlg.h"
#include "tools/trace/OptionPSheet.h"
#include "tools/trace/TRDViewerDlg.h"
#include "tools/trace/TraceSetupDlg.h"
#include "tools/trace/TraceToolWindows.h"
#include "tools/tests/DialogTestSupport.h"
#include "tools/trace/tests/TraceTestSupport.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "tests/support/ui/ScriptedDialogs.h"

#include "tools/TrcDatFile.h"

#include "platform/core/CodePage.h"
#include "platform/ui/DropFiles.h"
#include "platform/ui/TabCtrl.h"

#include <QImage>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using namespace toolstest;
using namespace tracetest;

// A click on the tab of a page, as a person switches pages.
void ChooseTab(uitest::DialogDriver& d, int tab)
{
    RECT rc{};
    ::SendMessageW(d.Item(IDC_TSET_TAB), TCM_GETITEMRECT, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&rc));
    d.ClickAt(IDC_TSET_TAB, POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
}

int CurrentTab(uitest::DialogDriver& d) { return static_cast<int>(::SendMessageW(d.Item(IDC_TSET_TAB), TCM_GETCURSEL, 0, 0)); }

uitest::DialogDriver Page(uitest::DialogDriver& d, UINT id) { return uitest::DialogDriver(::GetDlgItem(d.Dialog(), id)); }

// Rows of the window's picture (client co-ordinates) where a colour is drawn
// between two columns.
std::vector<int> RowsWithColour(const QImage& image, QPoint clientOrigin, int left, int right, QRgb colour)
{
    std::vector<int> rows;
    for (int y = 0; y + clientOrigin.y() < image.height(); ++y) {
        for (int x = left; x < right && x + clientOrigin.x() < image.width(); ++x) {
            if ((image.pixel(x + clientOrigin.x(), y + clientOrigin.y()) & 0xFFFFFF) == (colour & 0xFFFFFF)) {
                rows.push_back(y);
                break;
            }
        }
    }
    return rows;
}

// The picture of a window and where its client area starts in it.
QImage Picture(const uitest::DialogDriver& d, const std::string& path, QPoint& clientOrigin)
{
    EXPECT_TRUE(d.Grab(path));
    QImage image(QString::fromStdString(path));
    RECT client{}, window{};
    ::GetClientRect(d.Dialog(), &client);
    ::GetWindowRect(d.Dialog(), &window);
    POINT origin{0, 0};
    ::ClientToScreen(d.Dialog(), &origin);
    clientOrigin = image.width() == client.right ? QPoint(0, 0)
                                                 : QPoint(origin.x - window.left, origin.y - window.top);
    return image.convertToFormat(QImage::Format_RGB32);
}

constexpr COLORREF kTeal = RGB(0, 128, 128);

class TraceSetupPagesTest : public ::testing::TestWithParam<const char*> {
protected:
    TraceSetupPagesTest()
    {
        WriteCommIni(settings, 4);
        auto& controller = emulator.AddController(1, "LB");
        for (int k = 94; k <= 97; ++k) controller.SetParameter(k, k - 93);
        controller.SetParameter(98, 10);
        // Channel 1 holds 50, the others 0: flat lines whose height tells
        // the range and zero-line position they were drawn with.
        controller.SetTraceSource([](uint32_t i) { return std::to_string(i) + ",50,0,0,0"; });
        EXPECT_TRUE(link.OpenTcp(emulator.ServeTcp()));
        const std::string dir = settings.Path() + "/Velbrook/Quorvane";
        std::filesystem::create_directories(dir);
        std::ofstream(dir + "/rtt.ini", std::ios::binary) << "[TRACE_SETTINGS]\r\nTRACE_MODE=0\r\nTRACE_NUM=200\r\n";
    }
    ~TraceSetupPagesTest() override
    {
        CKXWatcherDlg::SetTraceSetupRunner(nullptr);
        CKXWatcherDlg::SetTraceOptionsRunner(nullptr);
    }

    std::string Rtt() const { return ReadBytes(settings.Path() + "/Velbrook/Quorvane/rtt.ini"); }
    std::string Lang() const { return GetParam(); }
    std::string Art(const std::string& name) const
    {
        return uitest::ArtifactFolder("trace") + "/" + name + "-" + Lang() + ".png";
    }
    void KeepPage(uitest::DialogDriver& d, int tab, const std::string& name)
    {
        ChooseTab(d, tab);
        EXPECT_EQ(CurrentTab(d), tab);
        uitest::Pump(30);
        EXPECT_TRUE(d.Grab(Art(name)));
    }
    // Runs the live window until the set-up it opens at start is done, and closes it.
    void RunWindowOnce(int& setups)
    {
        CKXWatcherDlg dlg;
        const INT_PTR result = RunWindow(dlg, setups, [&](uitest::DialogDriver& d) {
            EXPECT_EQ(setups, 1);
            ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        EXPECT_EQ(result, 1);
    }
    // Runs the live window; the set-up opened at start is accepted as it is.
    INT_PTR RunWindow(CKXWatcherDlg& dlg, int& setups, std::function<void(uitest::DialogDriver&)> script)
    {
        dlg.SetCommMan(&link.link);
        dlg.SetNodeNo(1);
        return RunModalWhenReady(
            dlg, [&] { return setups >= 1 && dlg.Model().m_bSettingsApplied; }, std::move(script), 120000);
    }

    ScopedEnv language{"QV_LANG", GetParam()};
    CodePageScope codePage{std::string(GetParam()) == "ja" ? 932u : 1252u};
    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
    ScriptedDialogs dialogs;
    emu::Emulator emulator;
    EmulatorLink link;
};

TEST_P(TraceSetupPagesTest, WhatThePagesSetIsDrawnSavedAndKept)
{
    int setups = 0;
    std::function<void(uitest::DialogDriver&)> edit = [&](uitest::DialogDriver& d) {
        // Labels and units.
        KeepPage(d, CTraceSetupDlg::kTabLabel, "trace-setup-label");
        uitest::DialogDriver label = Page(d, IDD_TRACE_LABEL_PAGE);
        label.Retype(IDC_TLBL_LABEL1, u"Axis position");
        label.Retype(IDC_TLBL_UNIT1, u"mm");
        // Two graphs: the channels are spread, 3 and 4 on the second.
        d.ChooseComboEntry(IDC_TSET_GRAPH_COUNT, 1);
        KeepPage(d, CTraceSetupDlg::kTabGraph, "trace-setup-graph");
        uitest::DialogDriver graph = Page(d, IDD_TRACE_GRAPH_PAGE);
        EXPECT_EQ(graph.ComboSelection(IDC_TGRP_GRAPH1 + 1), 0);
        EXPECT_EQ(graph.ComboSelection(IDC_TGRP_GRAPH1 + 2), 1);
        EXPECT_EQ(graph.ComboSelection(IDC_TGRP_GRAPH1 + 3), 1);
        graph.Click(IDC_TGRP_DRAW1 + 3);
        EXPECT_FALSE(graph.Enabled(IDC_TGRP_WIDTH1 + 3)) << "a channel not drawn has nothing to choose";
        dialogs.ChooseColor(kTeal);
        graph.Click(IDC_TGRP_COLOUR1);
        graph.ChooseComboEntry(IDC_TGRP_WIDTH1, 2);
        graph.ChooseComboEntry(IDC_TGRP_POSITION1, 1);  // "90%"
        // Ratio 0.5 and offset 10 on channel 1.
        KeepPage(d, CTraceSetupDlg::kTabScaling, "trace-setup-scaling");
        uitest::DialogDriver scaling = Page(d, IDD_TRACE_SCALING_PAGE);
        EXPECT_FALSE(scaling.Visible(IDC_TSCL_RATIO1));
        scaling.ChooseComboEntry(IDC_TSCL_TYPE1, 1);
        EXPECT_TRUE(scaling.Visible(IDC_TSCL_RATIO1));
        EXPECT_FALSE(scaling.Visible(IDC_TSCL_P1_1));
        scaling.Retype(IDC_TSCL_RATIO1, u"0.5");
        scaling.Retype(IDC_TSCL_OFFSET1, u"10");
        scaling.ChooseComboEntry(IDC_TSCL_TYPE1 + 1, 2);
        EXPECT_TRUE(d.Grab(Art("trace-setup-scaling-chosen")));
        scaling.ChooseComboEntry(IDC_TSCL_TYPE1 + 1, 0);
        // Channel 1 by hand from 10 to 60 mm: raw 0 to 100.
        KeepPage(d, CTraceSetupDlg::kTabRange, "trace-setup-range");
        uitest::DialogDriver range = Page(d, IDD_TRACE_RANGE_PAGE);
        EXPECT_FALSE(range.Enabled(IDC_TRNG_LOWER1)) << "an automatic range is not typed";
        range.Click(IDC_TRNG_AUTO1);
        range.Retype(IDC_TRNG_LOWER1, u"10");
        range.Retype(IDC_TRNG_UPPER1, u"60");
        EXPECT_FALSE(d.Enabled(IDC_TSET_FRAME_COLOUR)) << "no frame, no frame colour";
        d.Click(IDC_TSET_TITLE_FRAME);
        dialogs.ChooseColor(RGB(200, 0, 0));
        d.Click(IDC_TSET_FRAME_COLOUR);
        d.Retype(IDC_TSET_TITLE, u"Run 7");
        EXPECT_TRUE(d.Grab(Art("trace-setup-range-typed")));
        // The level keeps its engineering value through the new scaling:
        // asked once. Enter in a page's field is the dialog's OK.
        boxes.Answer(IDOK, u"");
        range.Key(Qt::Key_Return);
        EXPECT_FALSE(CWnd::FromHandle(d.Dialog())->ContinueModal()) << "closed by Enter";
    };
    InstallTraceSetupDialog([&](CDialog& setup) {
        ++setups;
        return uitest::RunModal(setup, [&](uitest::DialogDriver& d) {
            if (setups == 2) return edit(d);
            if (setups == 4) {
                EXPECT_EQ(Page(d, IDD_TRACE_LABEL_PAGE).Text(IDC_TLBL_LABEL1), CString(u"Axis position"))
                    << "what Escape left is not kept";
                d.Click(IDCANCEL);
                return;
            }
            if (setups == 3) {
                // Typed labels survive; the scaling and range read back.
                uitest::DialogDriver label = Page(d, IDD_TRACE_LABEL_PAGE);
                EXPECT_EQ(label.Text(IDC_TLBL_LABEL1), CString(u"Axis position"));
                EXPECT_EQ(label.Text(IDC_TLBL_UNIT1), CString(u"mm"));
                uitest::DialogDriver scaling = Page(d, IDD_TRACE_SCALING_PAGE);
                EXPECT_EQ(scaling.ComboSelection(IDC_TSCL_TYPE1), 1);
                EXPECT_EQ(scaling.Text(IDC_TSCL_RATIO1), CString(u"0.5"));
                uitest::DialogDriver range = Page(d, IDD_TRACE_RANGE_PAGE);
                EXPECT_EQ(range.Check(IDC_TRNG_AUTO1), static_cast<UINT>(BST_UNCHECKED));
                EXPECT_EQ(range.Text(IDC_TRNG_UPPER1), CString(u"60"));
                // Escape in a page's field is the dialog's Cancel.
                ChooseTab(d, CTraceSetupDlg::kTabLabel);
                label.Retype(IDC_TLBL_LABEL1, u"Not kept");
                label.Key(Qt::Key_Escape);
                EXPECT_FALSE(CWnd::FromHandle(d.Dialog())->ContinueModal()) << "closed by Escape";
                return;
            }
            d.Click(IDOK);
        });
    });
    CKXWatcherDlg dlg;
    const std::string saved = settings.Path() + "/pages.trd";
    const INT_PTR result = RunWindow(dlg, setups, [&](uitest::DialogDriver& d) {
        Command(d, ID_KXW_TRACE_SETTING);
        ASSERT_EQ(setups, 2);
        EXPECT_LE(boxes.Shown().size(), 1u);

        Command(d, ID_KXW_START_TRACE);
        ASSERT_TRUE(uitest::WaitUntil([&] { return dlg.GetExecTraceDlg() && dlg.GetPtrLoopedFlag(); }, 30000));
        uitest::DialogDriver(dlg.GetExecTraceDlg()->GetSafeHwnd()).Click(IDC_EXEC_STOP);
        ASSERT_TRUE(uitest::WaitUntil([&] { return !dlg.IsTracing() && !dlg.GetExecTraceDlg(); }, 10000));
        uitest::Pump(50);

        // Channel 1 (teal, 3 pixels) at raw 50, the middle of its 0..100
        // range, so on its zero line at 90 % of the first graph's height.
        const TraceLayout& layout = dlg.Layout();
        ASSERT_EQ(layout.nSplit, 2);
        QPoint origin;
        const QImage image = Picture(d, Art("trace-window-after-pages"), origin);
        const int h = layout.nGraphHeight;
        const int top1 = layout.rcGraph.top;
        const int top2 = top1 + h + 1;
        const int zero = h - 9 * (h / 10) - 1;
        const auto teal = RowsWithColour(image, origin, layout.rcGraph.left + 5, layout.rcGraph.right - 5,
                                         qRgb(0, 128, 128));
        ASSERT_EQ(teal.size(), 3u) << "one line of width 3";
        EXPECT_LE(std::abs(teal[1] - (top1 + zero)), 1) << "drawn at its zero line";
        const auto blue = RowsWithColour(image, origin, layout.rcGraph.left + 5, layout.rcGraph.right - 5,
                                         qRgb(0, 0, 255));
        ASSERT_FALSE(blue.empty()) << "channel 3 is drawn";
        for (int row : blue) EXPECT_GE(row, top2) << "channel 3 on the second graph only";
        const auto magenta = RowsWithColour(image, origin, layout.rcGraph.left + 5, layout.rcGraph.right - 5,
                                            qRgb(255, 0, 255));
        EXPECT_TRUE(magenta.empty()) << "channel 4 is not drawn";

        tracetest::SaveTraceAs(dlg, d.Dialog(), CString::FromUtf8(saved));
        Command(d, ID_KXW_TRACE_SETTING);
        EXPECT_EQ(setups, 3);
        Command(d, ID_KXW_TRACE_SETTING);
        EXPECT_EQ(setups, 4);
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);

    const std::string rtt = Rtt();
    for (const char* key :
         {"TITLE=Run 7", "SPLIT_NUM=2", "DRAW_CH4=0", "LINE_WIDTH_CH1=3", "GRAPH_NO_CH2=0", "GRAPH_NO_CH3=1",
          "GRAPH_NO_CH4=1", "POSITION_CH1=2", "SCL_TYPE_CH1=1", "RATIO_CH1=0.50000", "OFFSET_CH1=10.00000",
          "SCL_TYPE_CH2=0", "AUTO_RANGE_CH1=0", "MANU_MAX_CH1=100", "MANU_MIN_CH1=0", "MANU_MAX_REAL_CH1=60.00000",
          "MANU_MIN_REAL_CH1=10.00000", "AUTO_RANGE_CH2=1"})
        EXPECT_NE(rtt.find(key), std::string::npos) << key;
    // The trace file keeps what "rtt.ini" does not: labels, units, colours.
    const std::string file = ReadBytes(saved);
    EXPECT_NE(file.find("Axis position"), std::string::npos);
    EXPECT_NE(file.find("Run 7,1,200\r\n"), std::string::npos) << "title, its frame and the frame's colour";
    EXPECT_NE(file.find(",mm") == std::string::npos ? file.find("mm,") : file.find(",mm"), std::string::npos);
    EXPECT_NE(file.find(std::to_string(static_cast<int>(kTeal))), std::string::npos);
}

TEST_P(TraceSetupPagesTest, ValuesThePagesCannotTakeAreRefusedOnTheirPage)
{
    struct Case {
        const char* name;
        int tab;
        UINT page;
        // Typed into the page (control, text); a combo choice when text is null.
        std::vector<std::pair<int, const char16_t*>> typed;
        int comboChoice;   // for the first control when its text is null
        int faulty;        // the control that takes the focus
    };
    const Case cases[] = {
        {"a zero ratio", CTraceSetupDlg::kTabScaling, IDD_TRACE_SCALING_PAGE,
         {{IDC_TSCL_TYPE1 + 1, nullptr}, {IDC_TSCL_RATIO1 + 1, u"0"}}, 1, IDC_TSCL_RATIO1 + 1},
        {"a ratio beyond any sample", CTraceSetupDlg::kTabScaling, IDD_TRACE_SCALING_PAGE,
         {{IDC_TSCL_TYPE1 + 1, nullptr}, {IDC_TSCL_RATIO1 + 1, u"1e300"}}, 1, IDC_TSCL_RATIO1 + 1},
        {"a ratio that is no number", CTraceSetupDlg::kTabScaling, IDD_TRACE_SCALING_PAGE,
         {{IDC_TSCL_TYPE1 + 1, nullptr}, {IDC_TSCL_RATIO1 + 1, u"half"}}, 1, IDC_TSCL_RATIO1 + 1},
        {"two equal raw points", CTraceSetupDlg::kTabScaling, IDD_TRACE_SCALING_PAGE,
         {{IDC_TSCL_TYPE1 + 2, nullptr}, {IDC_TSCL_P1_1 + 2, u"5"}, {IDC_TSCL_P2_1 + 2, u"5"}}, 2, IDC_TSCL_P1_1 + 2},
        {"two equal scaled points", CTraceSetupDlg::kTabScaling, IDD_TRACE_SCALING_PAGE,
         {{IDC_TSCL_TYPE1 + 2, nullptr}, {IDC_TSCL_P1SC_1 + 2, u"3"}, {IDC_TSCL_P2SC_1 + 2, u"3"}}, 2,
         IDC_TSCL_P1SC_1 + 2},
        {"equal limits", CTraceSetupDlg::kTabRange, IDD_TRACE_RANGE_PAGE,
         {{IDC_TRNG_AUTO1, nullptr}, {IDC_TRNG_LOWER1, u"5"}, {IDC_TRNG_UPPER1, u"5"}}, 0, IDC_TRNG_LOWER1},
        {"a span of one count", CTraceSetupDlg::kTabRange, IDD_TRACE_RANGE_PAGE,
         {{IDC_TRNG_AUTO1, nullptr}, {IDC_TRNG_LOWER1, u"1000"}, {IDC_TRNG_UPPER1, u"1001"}}, 0, IDC_TRNG_LOWER1},
        {"upper below lower", CTraceSetupDlg::kTabRange, IDD_TRACE_RANGE_PAGE,
         {{IDC_TRNG_AUTO1, nullptr}, {IDC_TRNG_LOWER1, u"100"}, {IDC_TRNG_UPPER1, u"-100"}}, 0, IDC_TRNG_LOWER1},
        {"limits beyond 32 bits", CTraceSetupDlg::kTabRange, IDD_TRACE_RANGE_PAGE,
         {{IDC_TRNG_AUTO1, nullptr}, {IDC_TRNG_LOWER1, u"-3000000000"}, {IDC_TRNG_UPPER1, u"3000000000"}}, 0,
         IDC_TRNG_LOWER1},
        {"a limit that is no number", CTraceSetupDlg::kTabRange, IDD_TRACE_RANGE_PAGE,
         {{IDC_TRNG_AUTO1, nullptr}, {IDC_TRNG_UPPER1, u"top"}}, 0, IDC_TRNG_UPPER1},
    };
    int setups = 0;
    InstallTraceSetupDialog([&](CDialog& setup) {
        ++setups;
        return uitest::RunModal(setup, [&](uitest::DialogDriver& d) {
            if (setups == 1) {
                d.Click(IDOK);
                return;
            }
            for (const Case& c : cases) {
                SCOPED_TRACE(c.name);
                // Each case starts from the target page, as a person who
                // typed elsewhere last.
                ChooseTab(d, CTraceSetupDlg::kTabTarget);
                ChooseTab(d, c.tab);
                uitest::DialogDriver page = Page(d, c.page);
                std::vector<CString> before;
                for (const auto& [id, text] : c.typed) {
                    if (text) {
                        before.push_back(page.Text(id));
                        page.Retype(id, text);
                    } else if (c.tab == CTraceSetupDlg::kTabRange) {
                        page.Click(id);
                    } else {
                        page.ChooseComboEntry(id, c.comboChoice);
                    }
                }
                ChooseTab(d, CTraceSetupDlg::kTabTarget);
                const std::size_t shown = boxes.Shown().size();
                boxes.Answer(IDOK, u"");
                d.Click(IDOK);
                EXPECT_EQ(boxes.Shown().size(), shown + 1) << "refused with a message";
                EXPECT_TRUE(::IsWindowVisible(d.Dialog())) << "the dialog stays open";
                EXPECT_EQ(CurrentTab(d), c.tab) << "its page in front";
                EXPECT_EQ(page.Focus(), c.faulty) << "the focus on the faulty field";
                // Put the page back as it was.
                std::size_t i = 0;
                for (auto it = c.typed.rbegin(); it != c.typed.rend(); ++it) {
                    if (it->second) {
                        const CString& text = before[before.size() - 1 - i++];
                        page.Retype(it->first, std::u16string_view(text.GetString(), text.GetLength()));
                    } else if (c.tab == CTraceSetupDlg::kTabRange) {
                        page.Click(it->first);
                    } else {
                        page.ChooseComboEntry(it->first, 0);
                    }
                }
            }
            // Labels and units take no more than they may hold.
            ChooseTab(d, CTraceSetupDlg::kTabLabel);
            uitest::DialogDriver label = Page(d, IDD_TRACE_LABEL_PAGE);
            label.Retype(IDC_TLBL_LABEL1 + 1, std::u16string(41, u'x'));
            EXPECT_EQ(label.Text(IDC_TLBL_LABEL1 + 1).GetLength(), 40);
            label.Retype(IDC_TLBL_UNIT1 + 2, u"millimetres/sec");
            EXPECT_EQ(label.Text(IDC_TLBL_UNIT1 + 2), CString(u"millimetres/se"));
            // The smallest span that passes, typed on channel 1.
            ChooseTab(d, CTraceSetupDlg::kTabRange);
            uitest::DialogDriver range = Page(d, IDD_TRACE_RANGE_PAGE);
            range.Click(IDC_TRNG_AUTO1);
            range.Retype(IDC_TRNG_LOWER1, u"1000");
            range.Retype(IDC_TRNG_UPPER1, u"1002");
            // A negative ratio turns the raw limits round: the range stays usable.
            ChooseTab(d, CTraceSetupDlg::kTabScaling);
            uitest::DialogDriver scaling = Page(d, IDD_TRACE_SCALING_PAGE);
            scaling.ChooseComboEntry(IDC_TSCL_TYPE1 + 1, 1);
            scaling.Retype(IDC_TSCL_RATIO1 + 1, u"-1");
            scaling.Retype(IDC_TSCL_OFFSET1 + 1, u"0");
            ChooseTab(d, CTraceSetupDlg::kTabRange);
            range.Click(IDC_TRNG_AUTO1 + 1);
            range.Retype(IDC_TRNG_LOWER1 + 1, u"-50");
            range.Retype(IDC_TRNG_UPPER1 + 1, u"50");
            const std::size_t shown = boxes.Shown().size();
            d.Click(IDOK);
            EXPECT_EQ(boxes.Shown().size(), shown) << "accepted without a word";
        });
    });
    CKXWatcherDlg dlg;
    const INT_PTR result = RunWindow(dlg, setups, [&](uitest::DialogDriver& d) {
        Command(d, ID_KXW_TRACE_SETTING);
        ASSERT_EQ(setups, 2);
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
    const std::string rtt = Rtt();
    for (const char* key : {"MANU_MAX_CH1=1002", "MANU_MIN_CH1=1000", "AUTO_RANGE_CH1=0", "MANU_MAX_REAL_CH1=1002.00000",
                            "SCL_TYPE_CH3=0", "AUTO_RANGE_CH3=1", "SCL_TYPE_CH2=1", "RATIO_CH2=-1.00000",
                            "AUTO_RANGE_CH2=0", "MANU_MAX_CH2=50", "MANU_MIN_CH2=-50", "MANU_MAX_REAL_CH2=50.00000",
                            "MANU_MIN_REAL_CH2=-50.00000"})
        EXPECT_NE(rtt.find(key), std::string::npos) << key;
}

TEST_P(TraceSetupPagesTest, TwoEqualPointsFromADamagedSettingsFileAreRefusedNotDividedBy)
{
    std::ofstream(settings.Path() + "/Velbrook/Quorvane/rtt.ini", std::ios::binary)
        << "[TRACE_SETTINGS]\r\nTRACE_MODE=0\r\nTRACE_NUM=200\r\n[SCALE_SETTINGS]\r\nSCL_TYPE_CH1=2\r\n"
           "POINT_1_CH1=5\r\nPOINT_2_CH1=5\r\n[TRIGGER_SETTINGS]\r\nSOURCE=0\r\nLEVEL=10\r\n";
    int setups = 0;
    InstallTraceSetupDialog([&](CDialog& setup) {
        ++setups;
        return uitest::RunModal(setup, [&](uitest::DialogDriver& d) {
            EXPECT_EQ(d.Text(IDC_TSET_TRIG_LEVEL), CString(u"10")) << "the raw level, not a division by zero";
            boxes.Answer(IDOK, u"");
            d.Click(IDOK);
            EXPECT_EQ(boxes.Shown().size(), 1u) << "the two points are refused";
            EXPECT_EQ(CurrentTab(d), CTraceSetupDlg::kTabScaling);
            EXPECT_EQ(Page(d, IDD_TRACE_SCALING_PAGE).Focus(), IDC_TSCL_P1_1);
            Page(d, IDD_TRACE_SCALING_PAGE).ChooseComboEntry(IDC_TSCL_TYPE1, 0);
            d.Click(IDOK);
        });
    });
    RunWindowOnce(setups);
    const std::string rtt = Rtt();
    for (const char* key : {"SCL_TYPE_CH1=0", "LEVEL=10"}) EXPECT_NE(rtt.find(key), std::string::npos) << key;
}

TEST_P(TraceSetupPagesTest, AChosenTargetBringsItsScaleAndRangeToThePages)
{
    // Rows of the compact controller's table, in the order offered.
    constexpr int kCommandPosition = 0;   // scale by K72
    constexpr int kPositionDeviation = 2;  // scale 1
    constexpr int kMotorCurrent = 4;       // scale 0.1, -3000..3000
    emulator.Controller(1).SetParameter(72, 3);
    int setups = 0;
    InstallTraceSetupDialog([&](CDialog& setup) {
        ++setups;
        return uitest::RunModal(setup, [&](uitest::DialogDriver& d) {
            if (setups == 1) {
                d.Click(IDOK);
                return;
            }
            uitest::DialogDriver target = Page(d, IDD_TRACE_TARGET_PAGE);
            uitest::DialogDriver scaling = Page(d, IDD_TRACE_SCALING_PAGE);
            uitest::DialogDriver range = Page(d, IDD_TRACE_RANGE_PAGE);
            uitest::DialogDriver label = Page(d, IDD_TRACE_LABEL_PAGE);
            // Channel 3 scaled by two points keeps them whatever its target.
            ChooseTab(d, CTraceSetupDlg::kTabScaling);
            scaling.ChooseComboEntry(IDC_TSCL_TYPE1 + 2, 2);
            ChooseTab(d, CTraceSetupDlg::kTabTarget);
            target.ChooseComboEntry(IDC_TTGT_DATA1, kMotorCurrent);
            target.ChooseComboEntry(IDC_TTGT_DATA2, kPositionDeviation);
            target.ChooseComboEntry(IDC_TTGT_DATA3, kMotorCurrent);
            target.ChooseComboEntry(IDC_TTGT_DATA4, kCommandPosition);
            ChooseTab(d, CTraceSetupDlg::kTabScaling);
            EXPECT_EQ(scaling.ComboSelection(IDC_TSCL_TYPE1), 1) << "a scale other than 1 is a ratio";
            EXPECT_EQ(scaling.Text(IDC_TSCL_RATIO1), CString(u"0.1"));
            EXPECT_EQ(scaling.ComboSelection(IDC_TSCL_TYPE1 + 1), 0) << "a scale of exactly 1 is none";
            EXPECT_EQ(scaling.ComboSelection(IDC_TSCL_TYPE1 + 2), 2) << "two points stay";
            EXPECT_EQ(scaling.ComboSelection(IDC_TSCL_TYPE1 + 3), 1);
            EXPECT_EQ(scaling.Text(IDC_TSCL_RATIO1 + 3), CString(u"0.001")) << "K72 = 3";
            ChooseTab(d, CTraceSetupDlg::kTabRange);
            EXPECT_EQ(range.Text(IDC_TRNG_LOWER1), CString(u"-3000"));
            EXPECT_EQ(range.Text(IDC_TRNG_UPPER1), CString(u"3000"));
            // Going manual shows the manual limits; what was typed there
            // survives a tick of Auto and back.
            range.Click(IDC_TRNG_AUTO1 + 1);
            EXPECT_EQ(range.Text(IDC_TRNG_UPPER1 + 1), CString(u"1000"));
            range.Retype(IDC_TRNG_LOWER1 + 1, u"5");
            range.Retype(IDC_TRNG_UPPER1 + 1, u"50");
            range.Click(IDC_TRNG_AUTO1 + 1);
            EXPECT_EQ(range.Text(IDC_TRNG_UPPER1 + 1), CString(u"100000")) << "the target's own limit";
            EXPECT_FALSE(range.Enabled(IDC_TRNG_UPPER1 + 1));
            range.Click(IDC_TRNG_AUTO1 + 1);
            EXPECT_EQ(range.Text(IDC_TRNG_LOWER1 + 1), CString(u"5"));
            EXPECT_EQ(range.Text(IDC_TRNG_UPPER1 + 1), CString(u"50"));
            ChooseTab(d, CTraceSetupDlg::kTabLabel);
            EXPECT_EQ(label.Text(IDC_TLBL_UNIT1), CString(u"%"));
            EXPECT_EQ(label.Text(IDC_TLBL_LABEL1), target.Text(IDC_TTGT_DATA1));
            d.Click(IDCANCEL);
        });
    });
    CKXWatcherDlg dlg;
    const INT_PTR result = RunWindow(dlg, setups, [&](uitest::DialogDriver& d) {
        Command(d, ID_KXW_TRACE_SETTING);
        EXPECT_EQ(setups, 2);
        EXPECT_EQ(dlg.Model().m_ScaleSet.SCL_TYPE_CH[0], kScaleNone) << "Cancel keeps the window's scaling";
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
}

TEST_P(TraceSetupPagesTest, AShownFileIsRelabelledButItsRecordingIsNotForChanging)
{
    const std::string file = settings.Path() + "/shown.trd";
    const std::string copy = settings.Path() + "/relabelled.trd";
    {
        uitest::ScopedResources resources(u"ZeblLangLib", GetParam());
        CTraceModel model;
        model.m_TraceSet.TRACE_NUM = 100;
        ASSERT_TRUE(model.AllocBuffers());
        for (int i = 0; i <= 100; ++i) model.m_DispData.pCh[0][i] = i;
        int phase = 0;
        ASSERT_TRUE(SaveTrcDat(CString::FromUtf8(file), model, phase));
    }
    int setups = 0;
    InstallTraceSetupDialog([&](CDialog& setup) {
        ++setups;
        return uitest::RunModal(setup, [&](uitest::DialogDriver& d) {
            uitest::DialogDriver target = Page(d, IDD_TRACE_TARGET_PAGE);
            // The recording's controls give way to read-only texts of the same values.
            ChooseTab(d, CTraceSetupDlg::kTabTarget);
            for (int c = 0; c < kTraceChannelCount; ++c) {
                SCOPED_TRACE(c);
                EXPECT_FALSE(target.Visible(IDC_TTGT_DATA1 + c));
                EXPECT_FALSE(target.Visible(IDC_TTGT_BIT1 + c));
                EXPECT_TRUE(target.Visible(IDC_TTGT_DATA_RO1 + c));
                EXPECT_FALSE(target.Text(IDC_TTGT_DATA_RO1 + c).IsEmpty()) << "the recorded signal is named";
            }
            const std::pair<int, int> twins[] = {
                {IDC_TSET_INTERVAL, IDC_TSET_INTERVAL_RO},       {IDC_TSET_HUNDREDS, IDC_TSET_HUNDREDS_RO},
                {IDC_TSET_TRIG_MODE, IDC_TSET_TRIG_MODE_RO},     {IDC_TSET_TRIG_SOURCE, IDC_TSET_TRIG_SOURCE_RO},
                {IDC_TSET_PRE_TRIGGER, IDC_TSET_PRE_TRIGGER_RO}, {IDC_TSET_TRIG_LEVEL, IDC_TSET_TRIG_LEVEL_RO},
                {IDC_TSET_TRIG_SLOPE, IDC_TSET_TRIG_SLOPE_RO}};
            for (const auto& [control, twin] : twins) {
                SCOPED_TRACE(control);
                EXPECT_FALSE(d.Visible(control));
                EXPECT_TRUE(d.Visible(twin));
                EXPECT_FALSE(d.Text(twin).IsEmpty());
            }
            EXPECT_EQ(d.Text(IDC_TSET_HUNDREDS_RO), CString(u"1")) << "the file's 100 samples";
            ChooseTab(d, CTraceSetupDlg::kTabLabel);
            uitest::DialogDriver label = Page(d, IDD_TRACE_LABEL_PAGE);
            EXPECT_TRUE(label.Enabled(IDC_TLBL_LABEL1));
            label.Retype(IDC_TLBL_LABEL1, u"Spindle load");
            EXPECT_TRUE(d.Grab(Art("trace-setup-file-shown")));
            ChooseTab(d, CTraceSetupDlg::kTabTarget);
            EXPECT_TRUE(d.Grab(Art("trace-setup-file-shown-target")));
            d.Click(IDOK);
        });
    });
    CKXWatcherDlg dlg;
    const INT_PTR result = RunDialog(dlg, [&](uitest::DialogDriver& d) {
        platform::DeliverDroppedFiles(d.Dialog(), {CString::FromUtf8(file)}, POINT{200, 200});
        uitest::Pump(50);
        ASSERT_TRUE(dlg.Model().IsFileShown());
        Command(d, ID_KXW_TRACE_SETTING);
        EXPECT_EQ(setups, 1);
        EXPECT_TRUE(boxes.Shown().empty()) << "nothing of the recording changed: nothing to confirm";
        tracetest::SaveTraceAs(dlg, d.Dialog(), CString::FromUtf8(copy));
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
    const std::string saved = ReadBytes(copy);
    EXPECT_NE(saved.find("Spindle load"), std::string::npos);
}

TEST_P(TraceSetupPagesTest, TheOptionsSheetChangesTheWindowAndIsKept)
{
    int setups = 0;
    int sheets = 0;
    InstallTraceSetupDialog([&](CDialog& setup) {
        ++setups;
        return uitest::RunModal(setup, [&](uitest::DialogDriver& d) { d.Click(IDOK); });
    });
    InstallTraceOptionsSheet([&](COptionPSheet& sheet) {
        ++sheets;
        return uitest::RunModal(sheet, [&](uitest::DialogDriver& d) {
            auto page = [&](int index) {
                sheet.SetActivePage(index);
                uitest::Pump(20);
                return uitest::DialogDriver(sheet.GetActivePage()->GetSafeHwnd());
            };
            if (sheets == 1) {
                uitest::DialogDriver copy = page(0);
                EXPECT_EQ(copy.Check(IDC_OPT_COPY_CLIPBOARD), static_cast<UINT>(BST_CHECKED));
                EXPECT_TRUE(d.Grab(Art("trace-options-screen-copy")));
                copy.Click(IDC_OPT_COPY_BITMAP);
                copy.Click(IDC_OPT_AREA_GRAPHS);
                uitest::DialogDriver view = page(1);
                EXPECT_TRUE(view.Enabled(IDC_OPT_VIEW_SCROLL));
                EXPECT_TRUE(d.Grab(Art("trace-options-window-view")));
                view.Click(IDC_OPT_VIEW_SCROLL);
                uitest::DialogDriver error = page(2);
                EXPECT_TRUE(error.Enabled(IDC_OPT_ERROR_WARN));
                EXPECT_TRUE(d.Grab(Art("trace-options-comm-error")));
                error.Click(IDC_OPT_ERROR_WARN);
                error.Click(IDC_OPT_ERROR_CHECK);
                EXPECT_FALSE(error.Enabled(IDC_OPT_ERROR_WARN)) << "nothing to show without the check";
                EXPECT_FALSE(error.Enabled(IDC_OPT_ERROR_STOP));
                EXPECT_FALSE(error.Enabled(IDC_OPT_ERROR_GROUP));
                d.Click(IDOK);
                return;
            }
            // Opened again in a new window: everything as it was left.
            EXPECT_EQ(page(0).Check(IDC_OPT_COPY_BITMAP), static_cast<UINT>(BST_CHECKED));
            EXPECT_EQ(page(0).Check(IDC_OPT_AREA_GRAPHS), static_cast<UINT>(BST_CHECKED));
            uitest::DialogDriver view = page(1);
            if (sheets == 3) {
                // A shown file is drawn oldest first, and that is not for changing.
                EXPECT_FALSE(view.Enabled(IDC_OPT_VIEW_SCROLL));
                EXPECT_FALSE(view.Enabled(IDC_OPT_VIEW_SWEEP));
                EXPECT_TRUE(d.Grab(Art("trace-options-window-view-file")));
            } else {
                EXPECT_EQ(view.Check(IDC_OPT_VIEW_SCROLL), static_cast<UINT>(BST_CHECKED));
            }
            uitest::DialogDriver error = page(2);
            EXPECT_EQ(error.Check(IDC_OPT_ERROR_CHECK), static_cast<UINT>(BST_UNCHECKED));
            EXPECT_EQ(error.Check(IDC_OPT_ERROR_WARN), static_cast<UINT>(BST_CHECKED)) << "kept while unchecked";
            d.Click(sheets == 2 ? IDOK : IDCANCEL);
        });
    });
    CString checkOff;
    {
        CKXWatcherDlg dlg;
        const INT_PTR result = RunWindow(dlg, setups, [&](uitest::DialogDriver& d) {
            Command(d, ID_KXW_TOOL_OPTION);
            EXPECT_EQ(sheets, 1);
            checkOff.LoadString(IDS_TRACE_ERROR_CHECK_OFF);
            bool shown = false;
            for (int i = 0; i < dlg.StatusBar().GetCount(); ++i)
                shown = shown || dlg.StatusBar().GetPaneText(i) == checkOff;
            EXPECT_TRUE(shown) << "the status bar tells that lines are not checked";
            ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        EXPECT_EQ(result, 1);
    }
    const std::string rtt = Rtt();
    for (const char* key : {"COPY_TO=1", "COPY_AREA=1", "GRAPH_DISP_MODE=1", "ERROR_CHECK=0", "ERROR_DISPLAY=1"})
        EXPECT_NE(rtt.find(key), std::string::npos) << key;

    const std::string file = settings.Path() + "/shown.trd";
    {
        // A trace saved earlier, to be shown in the window.
        uitest::ScopedResources resources(u"ZeblLangLib", GetParam());
        CTraceModel model;
        model.m_TraceSet.TRACE_NUM = 100;
        ASSERT_TRUE(model.AllocBuffers());
        for (int i = 0; i <= 100; ++i) model.m_DispData.pCh[0][i] = i;
        int phase = 0;
        ASSERT_TRUE(SaveTrcDat(CString::FromUtf8(file), model, phase));
    }
    {
        CKXWatcherDlg dlg;
        const INT_PTR result = RunWindow(dlg, setups, [&](uitest::DialogDriver& d) {
            Command(d, ID_KXW_TOOL_OPTION);
            EXPECT_EQ(sheets, 2);
            // With a trace file shown the view choice is not offered.
            platform::DeliverDroppedFiles(d.Dialog(), {CString::FromUtf8(file)}, POINT{200, 200});
            uitest::Pump(50);
            ASSERT_TRUE(dlg.Model().IsFileShown());
            Command(d, ID_KXW_TOOL_OPTION);
            EXPECT_EQ(sheets, 3);
            Command(d, ID_KXW_FILE_CLOSE);
            ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        EXPECT_EQ(result, 1);
    }
}

TEST_P(TraceSetupPagesTest, APositionRangesOverTheTravelOfTheConnectedAxis)
{
    // An axis of 300 mm (two decimals) between its soft limits.
    emulator.Controller(1).SetParameter(1, -300);
    emulator.Controller(1).SetParameter(2, 30000);
    int setups = 0;
    InstallTraceSetupDialog([&](CDialog& setup) {
        ++setups;
        return uitest::RunModal(setup, [&](uitest::DialogDriver& d) {
            ChooseTab(d, CTraceSetupDlg::kTabRange);
            uitest::DialogDriver range = Page(d, IDD_TRACE_RANGE_PAGE);
            EXPECT_EQ(range.Check(IDC_TRNG_AUTO1), static_cast<UINT>(BST_CHECKED));
            // Channel 1 records the command position: the travel, not +-10 m.
            EXPECT_EQ(range.Text(IDC_TRNG_LOWER1), CString(u"-300"));
            EXPECT_EQ(range.Text(IDC_TRNG_UPPER1), CString(u"30000"));
            // Channel 3, the position deviation, keeps the table's range.
            EXPECT_EQ(range.Text(IDC_TRNG_UPPER1 + 2), CString(u"100000"));
            EXPECT_TRUE(d.Grab(Art("trace-setup-range-travel")));
            d.Click(IDOK);
        });
    });
    RunWindowOnce(setups);
}

// The font a control was given: its face, height and character set.
LOGFONT FontOf(HWND control)
{
    LOGFONT font{};
    if (CFont* object = CWnd::FromHandle(control)->GetFont()) object->GetLogFont(&font);
    return font;
}

TEST_P(TraceSetupPagesTest, AViewersOptionsSetTheLiveWindowsScreenCopyInTheLanguagesFont)
{
    const bool japanese = Lang() == "ja";
    CString face;
    {
        uitest::ScopedResources resources(u"ZeblLangLib", GetParam());
        face.LoadString(IDS_TRACE_FONT_FACE);
    }
    const auto expectLanguageFont = [&](HWND control, int height) {
        const LOGFONT font = FontOf(control);
        EXPECT_EQ(font.lfCharSet, japanese ? SHIFTJIS_CHARSET : ANSI_CHARSET);
        EXPECT_EQ(std::abs(font.lfHeight), height);
        EXPECT_EQ(CString(font.lfFaceName), face);
    };
    std::ofstream(settings.Path() + "/Velbrook/Quorvane/rtt.ini", std::ios::binary)
        << "[TRACE_SETTINGS]\r\nTRACE_NUM=100\r\n[OPTION_SETTINGS]\r\nCOPY_TO=1\r\nCOPY_AREA=1\r\nERROR_CHECK=1\r\n";
    const std::string file = settings.Path() + "/viewed.trd";
    {
        uitest::ScopedResources resources(u"ZeblLangLib", GetParam());
        CTraceModel model;
        model.m_TraceSet.TRACE_NUM = 100;
        ASSERT_TRUE(model.AllocBuffers());
        int phase = 0;
        ASSERT_TRUE(SaveTrcDat(CString::FromUtf8(file), model, phase));
    }
    int sheets = 0;
    InstallTraceOptionsSheet([&](COptionPSheet& sheet) {
        ++sheets;
        return uitest::RunModal(sheet, [&](uitest::DialogDriver& d) {
            CString caption;
            CWnd::FromHandle(d.Dialog())->GetWindowText(caption);
            CString expected;
            expected.LoadString(IDS_TRACE_OPTIONS_CAPTION);
            EXPECT_EQ(caption, expected);
            // The tab control in the sheet's font, the page's controls in the page's.
            if (CTabCtrl* tab = sheet.GetTabControl()) expectLanguageFont(tab->GetSafeHwnd(), japanese ? 12 : 13);
            uitest::DialogDriver copy(sheet.GetActivePage()->GetSafeHwnd());
            expectLanguageFont(copy.Item(IDC_OPT_COPY_CLIPBOARD), japanese ? 12 : 13);
            if (sheets == 1) {
                EXPECT_EQ(sheet.GetPageCount(), 1) << "a viewer's sheet has the screen-copy page alone";
                // The live window's choice, which the viewer's sheet starts from.
                EXPECT_EQ(copy.Check(IDC_OPT_COPY_BITMAP), static_cast<UINT>(BST_CHECKED));
                EXPECT_EQ(copy.Check(IDC_OPT_AREA_GRAPHS), static_cast<UINT>(BST_CHECKED));
                EXPECT_TRUE(d.Grab(Art("trace-viewer-options")));
                copy.Click(IDC_OPT_COPY_CLIPBOARD);
                copy.Click(IDC_OPT_AREA_WINDOW);
            } else {
                EXPECT_EQ(sheet.GetPageCount(), 3);
                EXPECT_EQ(copy.Check(IDC_OPT_COPY_CLIPBOARD), static_cast<UINT>(BST_CHECKED)) << "as the viewer left it";
                EXPECT_EQ(copy.Check(IDC_OPT_AREA_WINDOW), static_cast<UINT>(BST_CHECKED));
                sheet.SetActivePage(2);
                uitest::Pump(20);
                expectLanguageFont(uitest::DialogDriver(sheet.GetActivePage()->GetSafeHwnd()).Item(IDC_OPT_ERROR_CHECK),
                                   japanese ? 12 : 13);
            }
            d.Click(IDOK);
        });
    });
    CKXWatcherDlg dlg;
    const INT_PTR result = RunDialog(dlg, [&](uitest::DialogDriver& d) {
        OpenTraceFile(dlg, d.Dialog(), CString::FromUtf8(file), true);
        ASSERT_EQ(dlg.ToolWindows()->Viewers().size(), 1u);
        const HWND viewer = dlg.ToolWindows()->Viewers().front()->GetSafeHwnd();
        ::SendMessageW(viewer, WM_COMMAND, ID_KXW_TOOL_OPTION, 0);
        EXPECT_EQ(sheets, 1);
        Command(d, ID_KXW_TOOL_OPTION);
        EXPECT_EQ(sheets, 2);
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
    const std::string rtt = Rtt();
    for (const char* key : {"COPY_TO=0", "COPY_AREA=0", "ERROR_CHECK=1"})
        EXPECT_NE(rtt.find(key), std::string::npos) << key << " in\n" << rtt;
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, TraceSetupPagesTest, ::testing::Values("en", "ja"));

}  // namespace
