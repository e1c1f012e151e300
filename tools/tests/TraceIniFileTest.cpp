#include "tools/TraceIniFile.h"

#include "comm/tests/CommTestSupport.h"

#include "platform/core/File.h"
#include "platform/core/Profile.h"

#include <gtest/gtest.h>

namespace {

class TraceIniFileTest : public ::testing::Test {
protected:
    CString Path() const { return CString::FromUtf8(settings.Path()) + u"/rtt.ini"; }
    void WriteFile(const std::string& text) const
    {
        std::ofstream(settings.Path() + "/rtt.ini", std::ios::binary) << text;
    }
    std::string ReadFile() const
    {
        std::ifstream in(settings.Path() + "/rtt.ini", std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    ScopedSettingsFolder settings;
};

TEST_F(TraceIniFileTest, TheSettingsPathLiesInTheSettingsFolder)
{
    const CString path = GetTraceIniPath();
    EXPECT_EQ(path, CString::FromUtf8(settings.Path()) + u"/Velbrook/Quorvane/rtt.ini");
    EXPECT_TRUE(platform::DirectoryExists(CString::FromUtf8(settings.Path() + "/Velbrook/Quorvane")));
}

TEST_F(TraceIniFileTest, AFreshSystemReadsTheFileDefaultsNotTheConstructorOnes)
{
    CTraceModel model;
    EXPECT_EQ(model.m_TraceSet.TRACE_NUM, 100);
    EXPECT_EQ(model.m_TrigSet.LEVEL, 0);
    model.m_Layout.window.rcNormal = RECT{10, 20, 300, 400};
    ReadTraceIniFile(model, Path());

    EXPECT_EQ(model.m_TraceSet.TRACE_NUM, 1000);
    EXPECT_EQ(model.m_TrigSet.LEVEL, 10);
    EXPECT_EQ(model.m_GraphSet.SPLIT_NUM, 1);
    EXPECT_EQ(model.m_GraphSet.ZOOM, 3);
    EXPECT_EQ(CTraceModel::m_nZoomRate[model.m_GraphSet.ZOOM], 10);
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        SCOPED_TRACE(ch);
        EXPECT_EQ(model.m_GraphSet.DRAW_CH[ch], 1);
        EXPECT_EQ(model.m_GraphSet.POSITION_CH[ch], 6);
        EXPECT_EQ(model.m_RangeSet.MANU_MIN_CH[ch], -1000);
        EXPECT_DOUBLE_EQ(model.m_ScaleSet.POINT_2_SC_CH[ch], -1.0);
    }
    EXPECT_EQ(model.m_GraphSet.crChannel[0], 0x0000FFu);
    EXPECT_EQ(model.m_GraphSet.strLabel[3], CString(u"CH4"));
    EXPECT_EQ(model.m_Options.ERROR_CHECK, 1);
    EXPECT_EQ(model.m_Layout.S_OPE_POINT, 1);
    EXPECT_EQ(model.m_Layout.window.rcNormal, (RECT{10, 20, 300, 400})) << "the held placement is the default";
    EXPECT_EQ(model.m_Layout.window.bZoomed, 0);
}

TEST_F(TraceIniFileTest, EveryKeyIsWrittenAndReadBack)
{
    ScopedCodePage japanese(CP_SHIFT_JIS);
    CTraceModel out;
    out.m_TraceSet.TRACE_MODE = 1;
    out.m_TraceSet.TRACE_NUM = 2500;
    out.m_GraphSet.TITLE = CString::FromUtf8("軸 1 = test");
    out.m_GraphSet.SPLIT_NUM = 3;
    out.m_GraphSet.ZOOM = 0;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        out.m_TraceSet.SEL_DAT_CH[ch] = static_cast<std::uint16_t>(100 + ch);
        out.m_TraceSet.SEL_BIT_CH[ch] = static_cast<std::uint8_t>(ch + 1);
        out.m_GraphSet.DRAW_CH[ch] = ch % 2;
        out.m_GraphSet.LINE_WIDTH_CH[ch] = 1 + ch % 3;
        out.m_GraphSet.GRAPH_NO_CH[ch] = ch % 3;
        out.m_GraphSet.POSITION_CH[ch] = 1 + ch * 3;
        out.m_ScaleSet.SCL_TYPE_CH[ch] = ch % 3;
        out.m_ScaleSet.RATIO_CH[ch] = 0.125 * (ch + 1);
        out.m_ScaleSet.OFFSET_CH[ch] = -2.5 * ch;
        out.m_ScaleSet.POINT_1_CH[ch] = 1000.0 + ch;
        out.m_ScaleSet.POINT_1_SC_CH[ch] = 10.5 + ch;
        out.m_ScaleSet.POINT_2_CH[ch] = -ch;
        out.m_ScaleSet.POINT_2_SC_CH[ch] = 0.00001 * ch;
        out.m_RangeSet.AUTO_RANGE_CH[ch] = ch % 2;
        out.m_RangeSet.MANU_MAX_CH[ch] = 5000 + ch;
        out.m_RangeSet.MANU_MIN_CH[ch] = -5000 - ch;
        out.m_RangeSet.MANU_MAX_REAL_CH[ch] = 50.25 + ch;
        out.m_RangeSet.MANU_MIN_REAL_CH[ch] = -50.75 - ch;
    }
    out.m_TrigSet.MODE = 1;
    out.m_TrigSet.SOURCE = 2;
    out.m_TrigSet.LEVEL = -12345;
    out.m_TrigSet.PRE_TRIGGER = 25;
    out.m_TrigSet.SLOPE = 1;
    out.m_Options = TraceOptions{0, 1, 0, 0, 2, 1, 1, 0, 1};
    out.m_Layout.nABCursorShownOnce = 1;
    out.m_Layout.rcABCursor = RECT{1, 2, 3, 4};
    out.m_Layout.nCalcShownOnce = 1;
    out.m_Layout.rcCalc = RECT{5, 6, 7, 8};
    out.m_Layout.OPEN_W_VIEWER = 1;
    out.m_Layout.S_OPE_POINT = 17;
    out.m_Layout.viewer = TracePlacement{RECT{40, 50, 600, 700}, 1};
    out.m_Layout.window = TracePlacement{RECT{-10, 20, 800, 900}, 1};
    ASSERT_TRUE(WriteTraceIniFile(out, Path()));

    CTraceModel in;
    ReadTraceIniFile(in, Path());
    EXPECT_EQ(in.m_TraceSet.TRACE_MODE, 1);
    EXPECT_EQ(in.m_TraceSet.TRACE_NUM, 2500);
    EXPECT_EQ(in.m_GraphSet.TITLE, out.m_GraphSet.TITLE);
    EXPECT_EQ(in.m_GraphSet.SPLIT_NUM, 3);
    EXPECT_EQ(in.m_GraphSet.ZOOM, 0);
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        SCOPED_TRACE(ch);
        EXPECT_EQ(in.m_TraceSet.SEL_DAT_CH[ch], out.m_TraceSet.SEL_DAT_CH[ch]);
        EXPECT_EQ(in.m_TraceSet.SEL_BIT_CH[ch], out.m_TraceSet.SEL_BIT_CH[ch]);
        EXPECT_EQ(in.m_GraphSet.DRAW_CH[ch], out.m_GraphSet.DRAW_CH[ch]);
        EXPECT_EQ(in.m_GraphSet.LINE_WIDTH_CH[ch], out.m_GraphSet.LINE_WIDTH_CH[ch]);
        EXPECT_EQ(in.m_GraphSet.GRAPH_NO_CH[ch], out.m_GraphSet.GRAPH_NO_CH[ch]);
        EXPECT_EQ(in.m_GraphSet.POSITION_CH[ch], out.m_GraphSet.POSITION_CH[ch]);
        EXPECT_EQ(in.m_ScaleSet.SCL_TYPE_CH[ch], out.m_ScaleSet.SCL_TYPE_CH[ch]);
        EXPECT_DOUBLE_EQ(in.m_ScaleSet.RATIO_CH[ch], out.m_ScaleSet.RATIO_CH[ch]);
        EXPECT_DOUBLE_EQ(in.m_ScaleSet.OFFSET_CH[ch], out.m_ScaleSet.OFFSET_CH[ch]);
        EXPECT_DOUBLE_EQ(in.m_ScaleSet.POINT_1_CH[ch], out.m_ScaleSet.POINT_1_CH[ch]);
        EXPECT_DOUBLE_EQ(in.m_ScaleSet.POINT_1_SC_CH[ch], out.m_ScaleSet.POINT_1_SC_CH[ch]);
        EXPECT_DOUBLE_EQ(in.m_ScaleSet.POINT_2_CH[ch], out.m_ScaleSet.POINT_2_CH[ch]);
        EXPECT_DOUBLE_EQ(in.m_ScaleSet.POINT_2_SC_CH[ch], out.m_ScaleSet.POINT_2_SC_CH[ch]);
        EXPECT_EQ(in.m_RangeSet.AUTO_RANGE_CH[ch], out.m_RangeSet.AUTO_RANGE_CH[ch]);
        EXPECT_EQ(in.m_RangeSet.MANU_MAX_CH[ch], out.m_RangeSet.MANU_MAX_CH[ch]);
        EXPECT_EQ(in.m_RangeSet.MANU_MIN_CH[ch], out.m_RangeSet.MANU_MIN_CH[ch]);
        EXPECT_DOUBLE_EQ(in.m_RangeSet.MANU_MAX_REAL_CH[ch], out.m_RangeSet.MANU_MAX_REAL_CH[ch]);
        EXPECT_DOUBLE_EQ(in.m_RangeSet.MANU_MIN_REAL_CH[ch], out.m_RangeSet.MANU_MIN_REAL_CH[ch]);
    }
    EXPECT_EQ(in.m_TrigSet.MODE, 1);
    EXPECT_EQ(in.m_TrigSet.SOURCE, 2);
    EXPECT_EQ(in.m_TrigSet.LEVEL, -12345);
    EXPECT_EQ(in.m_TrigSet.PRE_TRIGGER, 25);
    EXPECT_EQ(in.m_TrigSet.SLOPE, 1);
    EXPECT_EQ(in.m_TrigState.nPreTriggerCount, 625) << "25 % of 2500";
    EXPECT_EQ(in.m_Options.RIPPLE_RANGE, 0);
    EXPECT_EQ(in.m_Options.RANGE_TYPE, 1);
    EXPECT_EQ(in.m_Options.AB_DETAILS, 0);
    EXPECT_EQ(in.m_Options.GRAPH_POS_SEL, 0);
    EXPECT_EQ(in.m_Options.GRAPH_DISP_MODE, 2);
    EXPECT_EQ(in.m_Options.COPY_TO, 1);
    EXPECT_EQ(in.m_Options.COPY_AREA, 1);
    EXPECT_EQ(in.m_Options.ERROR_CHECK, 0);
    EXPECT_EQ(in.m_Options.ERROR_DISPLAY, 1);
    EXPECT_EQ(in.m_Layout.nABCursorShownOnce, 1);
    EXPECT_EQ(in.m_Layout.rcABCursor, (RECT{1, 2, 3, 4}));
    EXPECT_EQ(in.m_Layout.nCalcShownOnce, 1);
    EXPECT_EQ(in.m_Layout.rcCalc, (RECT{5, 6, 7, 8}));
    EXPECT_EQ(in.m_Layout.OPEN_W_VIEWER, 1);
    EXPECT_EQ(in.m_Layout.S_OPE_POINT, 17);
    EXPECT_EQ(in.m_Layout.viewer.rcNormal, (RECT{40, 50, 600, 700}));
    EXPECT_EQ(in.m_Layout.viewer.bZoomed, 1);
    EXPECT_EQ(in.m_Layout.window.rcNormal, (RECT{-10, 20, 800, 900}));
    EXPECT_EQ(in.m_Layout.window.bZoomed, 1) << "a maximised window opens maximised over its normal rectangle";

    const std::string text = ReadFile();
    EXPECT_NE(text.find("OPTIMISTIC=YES"), std::string::npos);
    EXPECT_NE(text.find("[AB_CUSOR_DIALOG]"), std::string::npos);
    EXPECT_NE(text.find("RATIO_CH1=0.12500"), std::string::npos) << "reals with five decimals";
    EXPECT_NE(text.find("SAVED=1"), std::string::npos);
}

TEST_F(TraceIniFileTest, ValuesOutOfRangeGiveTheirDefaults)
{
    WriteFile(
        "[TRACE_SETTINGS]\r\nTRACE_MODE=7\r\nTRACE_NUM=999999\r\n"
        "[TARGET_SETTINGS]\r\nSEL_DAT_CH1=70000\r\nSEL_DAT_CH2=-3\r\nSEL_BIT_CH2=257\r\nSEL_BIT_CH3=32\r\n"
        "SEL_BIT_CH4=31\r\n"
        "[GRAPH_SETTINGS]\r\nTITLE=" + std::string(80, 'T') +
        "\r\nSPLIT_NUM=5\r\nZOOM=8\r\nLINE_WIDTH_CH1=0\r\nGRAPH_NO_CH2=4\r\nPOSITION_CH3=12\r\n"
        "DRAW_CH3=7\r\nDRAW_CH4=0\r\n"
        "[SCALE_SETTINGS]\r\nRATIO_CH1=abc\r\nSCL_TYPE_CH2=5\r\nSCL_TYPE_CH3=2\r\n"
        "[RANGE_SETTINGS]\r\nAUTO_RANGE_CH4=9\r\nMANU_MAX_CH1=-5\r\nMANU_MIN_CH1=10\r\n"
        "MANU_MAX_CH2=7\r\nMANU_MIN_CH2=7\r\nMANU_MAX_CH3=20\r\nMANU_MIN_CH3=10\r\n"
        "[TRIGGER_SETTINGS]\r\nSOURCE=260\r\nPRE_TRIGGER=150\r\nLEVEL=-7x\r\nSLOPE=2\r\n");
    CTraceModel model;
    ReadTraceIniFile(model, Path());
    EXPECT_EQ(model.m_TraceSet.TRACE_MODE, 0);
    EXPECT_EQ(model.m_TraceSet.TRACE_NUM, 1000);
    EXPECT_EQ(model.m_TraceSet.SEL_DAT_CH[0], 0) << "a target beyond 16 bits";
    EXPECT_EQ(model.m_TraceSet.SEL_DAT_CH[1], 0) << "a negative target";
    EXPECT_EQ(model.m_TraceSet.SEL_BIT_CH[1], 0) << "a bit index beyond 31";
    EXPECT_EQ(model.m_TraceSet.SEL_BIT_CH[2], 0);
    EXPECT_EQ(model.m_TraceSet.SEL_BIT_CH[3], 31);
    EXPECT_EQ(model.m_GraphSet.TITLE, CString(u'T', 50)) << "the title is cut to what the window shows";
    EXPECT_EQ(model.m_GraphSet.SPLIT_NUM, 1);
    EXPECT_EQ(model.m_GraphSet.ZOOM, 3);
    EXPECT_EQ(model.m_GraphSet.LINE_WIDTH_CH[0], 2);
    EXPECT_EQ(model.m_GraphSet.GRAPH_NO_CH[1], 0);
    EXPECT_EQ(model.m_GraphSet.POSITION_CH[2], 6);
    EXPECT_EQ(model.m_GraphSet.DRAW_CH[2], 1);
    EXPECT_EQ(model.m_GraphSet.DRAW_CH[3], 0);
    EXPECT_DOUBLE_EQ(model.m_ScaleSet.RATIO_CH[0], 0.0) << "an unreadable real is 0.0";
    EXPECT_EQ(model.m_ScaleSet.SCL_TYPE_CH[1], 0);
    EXPECT_EQ(model.m_ScaleSet.SCL_TYPE_CH[2], 2);
    EXPECT_EQ(model.m_RangeSet.AUTO_RANGE_CH[3], 1);
    EXPECT_EQ(model.m_RangeSet.MANU_MAX_CH[0], 1000) << "a maximum below its minimum";
    EXPECT_EQ(model.m_RangeSet.MANU_MIN_CH[0], -1000);
    EXPECT_EQ(model.m_RangeSet.MANU_MAX_CH[1], 1000) << "equal limits";
    EXPECT_EQ(model.m_RangeSet.MANU_MIN_CH[1], -1000);
    EXPECT_EQ(model.m_RangeSet.MANU_MAX_CH[2], 20);
    EXPECT_EQ(model.m_RangeSet.MANU_MIN_CH[2], 10);
    EXPECT_EQ(model.m_TrigSet.SOURCE, 0);
    EXPECT_EQ(model.m_TrigSet.SLOPE, 0);
    EXPECT_EQ(model.m_TrigSet.PRE_TRIGGER, 0);
    EXPECT_EQ(model.m_TrigSet.LEVEL, -7);
}

TEST_F(TraceIniFileTest, AViewerNeitherReadsNorWritesTheTargets)
{
    CTraceModel live;
    live.m_TraceSet.SEL_DAT_CH[0] = 42;
    ASSERT_TRUE(WriteTraceIniFile(live, Path()));

    CTraceModel viewer(FALSE);
    ReadTraceIniFile(viewer, Path());
    EXPECT_EQ(viewer.m_TraceSet.SEL_DAT_CH[0], 0);
    viewer.m_TraceSet.SEL_DAT_CH[0] = 7;
    ASSERT_TRUE(WriteTraceIniFile(viewer, Path()));
    EXPECT_EQ(platform::ReadPrivateProfileInt(u"TARGET_SETTINGS", u"SEL_DAT_CH1", 0, Path()), 42);
}

TEST_F(TraceIniFileTest, TheViewerPlacementIsKeptOnlyOnceOneWasStored)
{
    CTraceModel model;
    ASSERT_TRUE(WriteTraceIniFile(model, Path()));
    EXPECT_EQ(ReadFile().find("[TRDVIEWER_DIALOG]"), std::string::npos) << "no placement held: none written";

    WriteFile("[TRDVIEWER_DIALOG]\r\nLEFT=5\r\nTOP=6\r\nRIGHT=7\r\nBOTTOM=8\r\n");
    CTraceModel unsaved;
    ReadTraceIniFile(unsaved, Path());
    EXPECT_EQ(unsaved.m_Layout.viewer.rcNormal, RECT{}) << "read only when SAVED is set";
}

}  // namespace
