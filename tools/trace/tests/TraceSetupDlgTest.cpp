// The trace set-up dialog, run from the trace window's set-up command
// against the controller emulator as a person uses it: signals chosen per
// channel, numbers typed, OK answered; then what the controller holds, what
// "rtt.ini" keeps and what a trace records.
#include "tools/trace/ExecTraceDlg.h"
#include "tools/trace/KXWatcherDlg.h"
#include "tools/trace/TraceSetupDlg.h"
#include "tools/tests/DialogTestSupport.h"
#include "tools/trace/tests/TraceTestSupport.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "tests/support/SavedTrace.h"
#include "tests/support/ui/ScriptedDialogs.h"

#include "platform/core/CodePage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

namespace {

using namespace toolstest;
using namespace tracetest;

std::vector<std::array<long, 4>> SavedRows(const std::string& path) { return testsupport::ReadSavedTrace(path).rows; }

// Rows of the compact controller's target table, in the order offered.
constexpr int kPositionDeviation = 2;  // target 3
constexpr int kMotorCurrent = 4;       // target 6
constexpr int kStatusWord = 7;         // target 10, eight bits

class TraceSetupDlgTest : public ::testing::TestWithParam<const char*> {
protected:
    TraceSetupDlgTest()
    {
        WriteCommIni(settings, 4);
        auto& controller = emulator.AddController(1, "LB");
        for (int k = 94; k <= 97; ++k) controller.SetParameter(k, k - 93);
        controller.SetParameter(98, 10);
        // Channel 1 tells the sample's index; the word channels carry the
        // index's two low bits under a high nibble, in hexadecimal as the
        // controller sends a word ("a0" to "a3").
        controller.SetTraceSource([](uint32_t i) {
            char word[16];
            std::snprintf(word, sizeof word, "%x", 0xA0u | (i & 3u));
            return std::to_string(i) + "," + std::to_string(i) + "," + word + ",5," + word;
        });
        EXPECT_TRUE(link.OpenTcp(emulator.ServeTcp()));
        const std::string dir = settings.Path() + "/Velbrook/Quorvane";
        std::filesystem::create_directories(dir);
        std::ofstream(dir + "/rtt.ini", std::ios::binary) << "[TRACE_SETTINGS]\r\nTRACE_MODE=0\r\nTRACE_NUM=200\r\n";
    }
    ~TraceSetupDlgTest() override { CKXWatcherDlg::SetTraceSetupRunner(nullptr); }

    std::string Rtt() const { return ReadBytes(settings.Path() + "/Velbrook/Quorvane/rtt.ini"); }
    std::string Picture(const std::string& name) const
    {
        return uitest::ArtifactFolder("trace") + "/" + name + "-" + GetParam() + ".png";
    }

    ScopedEnv language{"QV_LANG", GetParam()};
    CodePageScope codePage{std::string(GetParam()) == "ja" ? 932u : 1252u};
    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
    ScriptedDialogs dialogs;
    emu::Emulator emulator;
    EmulatorLink link;
};

TEST_P(TraceSetupDlgTest, ChosenTargetsReachTheControllerAndABitTargetRecordsZeroAndOne)
{
    int setups = 0;
    InstallTraceSetupDialog([&](CDialog& setup) {
        ++setups;
        return uitest::RunModal(setup, [&](uitest::DialogDriver& d) {
            uitest::DialogDriver page(::GetDlgItem(d.Dialog(), IDD_TRACE_TARGET_PAGE));
            if (setups == 1) {
                // Opened at start: the controller's own targets are shown.
                EXPECT_EQ(page.ComboSelection(IDC_TTGT_DATA1), 0);
                EXPECT_EQ(page.ComboSelection(IDC_TTGT_DATA3), kPositionDeviation);
                EXPECT_FALSE(page.Enabled(IDC_TTGT_BIT1)) << "a data target has no bits";
                EXPECT_EQ(d.Text(IDC_TSET_INTERVAL), u"10");
                EXPECT_EQ(d.Text(IDC_TSET_HUNDREDS), u"2");
                EXPECT_FALSE(d.Text(IDC_TSET_TOTAL_TIME).IsEmpty());
                EXPECT_TRUE(d.Grab(Picture("trace-setup-target")));
                d.Click(IDOK);
                return;
            }
            page.ChooseComboEntry(IDC_TTGT_DATA1, kPositionDeviation);
            page.ChooseComboEntry(IDC_TTGT_DATA2, kStatusWord);
            EXPECT_TRUE(page.Enabled(IDC_TTGT_BIT2));
            page.ChooseComboEntry(IDC_TTGT_BIT2, 1);
            page.ChooseComboEntry(IDC_TTGT_DATA3, kMotorCurrent);
            page.ChooseComboEntry(IDC_TTGT_DATA4, kStatusWord);
            EXPECT_EQ(page.ComboSelection(IDC_TTGT_BIT4), 0) << "a new target starts at bit 0";
            EXPECT_TRUE(d.Grab(Picture("trace-setup-target-chosen")));
            boxes.Answer(IDOK, u"");
            d.Click(IDOK);
        });
    });
    CKXWatcherDlg dlg;
    dlg.SetCommMan(&link.link);
    dlg.SetNodeNo(1);
    const std::string saved = settings.Path() + "/bits.trd";
    const INT_PTR result = RunModalWhenReady(
        dlg, [&] { return setups == 1 && dlg.Model().m_bSettingsApplied; },
        [&](uitest::DialogDriver& d) {
            Command(d, ID_KXW_TRACE_SETTING);
            ASSERT_EQ(setups, 2);
            EXPECT_EQ(boxes.Shown().size(), 1u) << "the change is confirmed once";
            EXPECT_EQ(emulator.Controller(1).Parameter(94), 3);
            EXPECT_EQ(emulator.Controller(1).Parameter(95), 10);
            EXPECT_EQ(emulator.Controller(1).Parameter(96), 6);
            EXPECT_EQ(emulator.Controller(1).Parameter(97), 10);
            EXPECT_EQ(emulator.Controller(1).Parameter(98), 10) << "the unchanged interval stays";

            Command(d, ID_KXW_START_TRACE);
            ASSERT_TRUE(uitest::WaitUntil([&] { return dlg.GetExecTraceDlg() && dlg.GetPtrLoopedFlag(); }, 30000));
            uitest::DialogDriver(dlg.GetExecTraceDlg()->GetSafeHwnd()).Click(IDC_EXEC_STOP);
            ASSERT_TRUE(uitest::WaitUntil([&] { return !dlg.IsTracing() && !dlg.GetExecTraceDlg(); }, 10000));
            tracetest::SaveTraceAs(dlg, d.Dialog(), CString::FromUtf8(saved));
            ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        },
        120000);
    EXPECT_EQ(result, 1);

    const std::string rtt = Rtt();
    for (const char* key : {"SEL_DAT_CH1=3", "SEL_DAT_CH2=10", "SEL_BIT_CH2=1", "SEL_DAT_CH4=10", "SEL_BIT_CH4=0"})
        EXPECT_NE(rtt.find(key), std::string::npos) << key;

    const auto rows = SavedRows(saved);
    ASSERT_FALSE(rows.empty());
    std::set<long> bit1, bit0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(row[1], (row[0] >> 1) & 1) << "bit 1 of the word";
        EXPECT_EQ(row[3], row[0] & 1) << "bit 0 of the word";
        bit1.insert(row[1]);
        bit0.insert(row[3]);
    }
    EXPECT_EQ(bit1, (std::set<long>{0, 1}));
    EXPECT_EQ(bit0, (std::set<long>{0, 1}));
}

TEST_P(TraceSetupDlgTest, AValueOutOfRangeIsRefusedAndCancelLeavesTheWindowAsItWas)
{
    struct Case {
        const char* name;
        int control;
        const char16_t* text;
    };
    const Case cases[] = {
        {"interval below 10", IDC_TSET_INTERVAL, u"9"},
        {"interval above 1000", IDC_TSET_INTERVAL, u"1001"},
        {"no samples", IDC_TSET_HUNDREDS, u"0"},
        {"more than 5000 samples", IDC_TSET_HUNDREDS, u"51"},
        {"pre-trigger above 100 %", IDC_TSET_PRE_TRIGGER, u"101"},
        {"level beyond 32 bits", IDC_TSET_TRIG_LEVEL, u"3000000000"},
        {"level not a number", IDC_TSET_TRIG_LEVEL, u"ten"},
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
                const CString before = d.Text(c.control);
                d.Retype(c.control, c.text);
                const std::size_t shown = boxes.Shown().size();
                boxes.Answer(IDOK, u"");
                d.Click(IDOK);
                EXPECT_EQ(boxes.Shown().size(), shown + 1) << "the value is refused with a message";
                EXPECT_TRUE(::IsWindowVisible(d.Dialog())) << "the dialog stays open";
                d.Retype(c.control, std::u16string_view(before.GetString(), before.GetLength()));
            }
            d.Retype(IDC_TSET_HUNDREDS, u"7");
            d.Click(IDCANCEL);
        });
    });
    CKXWatcherDlg dlg;
    dlg.SetCommMan(&link.link);
    dlg.SetNodeNo(1);
    const INT_PTR result = RunModalWhenReady(
        dlg, [&] { return setups == 1 && dlg.Model().m_bSettingsApplied; },
        [&](uitest::DialogDriver& d) {
            Command(d, ID_KXW_TRACE_SETTING);
            ASSERT_EQ(setups, 2);
            EXPECT_EQ(dlg.Model().m_TraceSet.TRACE_NUM, 200) << "Cancel keeps the count";
            EXPECT_EQ(dlg.Model().m_TraceSet.wInterval, 10);
            EXPECT_EQ(dlg.Model().m_TrigSet.PRE_TRIGGER, 0);
            EXPECT_EQ(emulator.Controller(1).Parameter(98), 10);
            ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        },
        120000);
    EXPECT_EQ(result, 1);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, TraceSetupDlgTest, ::testing::Values("en", "ja"));

}  // namespace
