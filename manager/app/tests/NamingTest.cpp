// One name for one thing: what the status displays, the I/O monitor, the
// parameter tables and the controller windows call the same signal, mode or
// number is the same text, in both languages.
#include "manager/app/StatusDisplay.h"
#include "manager/app/TransportRules.h"
#include "manager/core/ParamDef.h"

#include "resources/manager/frame_ids.h"
#include "resources/manager/panes_ids.h"
#include "resources/manager/transport_ids.h"

#include "AppFixtures.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kLanguages[] = {"en", "ja"};

CString Text(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

TEST(Naming, AJogOrAnInchIsNamedAfterThePanelButtonThatStartedIt)
{
    appfx::ManagerModule module("en");
    ASSERT_TRUE(module.Loaded());
    struct Row {
        int code;
        ManualMotion motion;
        const char16_t* text;
    };
    // The controller reports a jog and an inch as a relative move (code 2).
    const Row rows[] = {
        {2, ManualMotion::None, u"Moving (INC)"},   {2, ManualMotion::Jog, u"Moving (JOG)"},
        {2, ManualMotion::Inch, u"Moving (INCH)"},  {1, ManualMotion::Jog, u"Moving (JOG)"},
        {0, ManualMotion::Jog, u"Stopped"},         {9, ManualMotion::Inch, u"Returning to origin"},
        {-1, ManualMotion::Jog, u"Alarm"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(StatusCodeText(static_cast<std::int8_t>(row.code), row.motion), row.text);
    }
    ControllerStatus status;
    status.d18 = 2;
    EXPECT_EQ(FormatControllerStatus(status, 2, ManualMotion::Jog).state, u"Moving (JOG)");
}

TEST(Naming, IoBitsAreNamedByTerminalAndTheFunctionTheParametersGiveIt)
{
    appfx::ManagerModule module("en");
    ASSERT_TRUE(module.Loaded());
    ParamDefTableSlot table;
    ASSERT_TRUE(LoadParamDefTable(table, 0));
    RobotParameterSet values{};
    values.K(21) = 1;   // IN0: Start
    values.K(22) = 99;  // IN1: no such choice
    values.K(28) = 13;  // IN7: Point select 128
    values.K(32) = 3;   // OUT0: Positioning complete
    values.K(37) = 0;   // OUT5: Not used
    struct Row {
        bool output;
        int bit;
        const char16_t* name;
    };
    const Row rows[] = {
        {false, 0, u"IN0  Start"},  {false, 1, u"IN1"},  {false, 7, u"IN7  Point select 128"},
        {false, 8, u"IN8"},         {false, 15, u"IN15"}, {true, 0, u"OUT0  Positioning complete"},
        {true, 5, u"OUT5  Not used"}, {true, 6, u"OUT6"}, {true, 12, u"OUT12"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(CString(row.name).ToUtf8());
        EXPECT_EQ(IoBitName(row.output, row.bit, table.get(), &values), row.name);
    }
    // Without the controller's parameters a bit keeps its terminal name.
    EXPECT_EQ(IoBitName(false, 0, table.get(), nullptr), u"IN0");
    EXPECT_EQ(IoBitName(true, 0, nullptr, &values), u"OUT0");
    // The parameters name the terminals as the I/O monitor does.
    EXPECT_TRUE((*table)[20].name.view().starts_with(u"IN0 "));
    EXPECT_TRUE((*table)[31].name.view().starts_with(u"OUT0 "));
}

TEST(Naming, TheParameterPaneNamesEveryModeAsTheModeDialogDoes)
{
    for (const char* lang : kLanguages) {
        SCOPED_TRACE(lang);
        appfx::ManagerModule module(lang);
        ASSERT_TRUE(module.Loaded());
        for (int tableNumber : {0, 1}) {
            ParamDefTableSlot table;
            ASSERT_TRUE(LoadParamDefTable(table, tableNumber));
            const ParamDef& k20 = (*table)[19];
            for (int mode : {0, 1, 2, 4, 5, 6}) {
                SCOPED_TRACE(mode);
                EXPECT_EQ(k20.ChoiceText(mode), ModeNameOfCode(mode));
            }
        }
    }
}

TEST(Naming, TheNodeOfALineHasOneWord)
{
    for (const char* lang : kLanguages) {
        SCOPED_TRACE(lang);
        appfx::ManagerModule module(lang);
        ASSERT_TRUE(module.Loaded());
        const std::u16string_view word = std::string(lang) == "ja" ? u"ノード" : u"node";
        // The parameter that holds it is named as the information pane names it.
        ParamDefTableSlot table;
        ASSERT_TRUE(LoadParamDefTable(table, 0));
        EXPECT_EQ((*table)[37].name, Text(IDS_INFO_NODE));
        for (UINT id : std::initializer_list<UINT>{IDS_TREE_ONLINE_ROOT, IDS_TB_CHANGE_NODE, IDS_SERIAL_COL_NODE, IDS_TRANSPORT_ASK_NODE,
                                                    IDS_INFO_NODE}) {
            SCOPED_TRACE(id);
            CString text = Text(id);
            text.MakeLower();
            EXPECT_NE(text.Find(CString(word)), -1) << text.ToUtf8();
            EXPECT_EQ(text.Find(u"局番"), -1) << "the field bus's station, not the node: " << text.ToUtf8();
        }
    }
}

}  // namespace
