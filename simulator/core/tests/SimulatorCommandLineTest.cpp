#include "simulator/core/CloseDecision.h"
#include "simulator/core/SimulatorCommandLine.h"

#include "platform/core/MessageBox.h"
#include "resources/simulator/pellarun_ids.h"

#include "SimFixtures.h"

#include <gtest/gtest.h>

namespace {

std::vector<CString> Args(std::initializer_list<const char16_t*> list)
{
    std::vector<CString> args{CString(u"pellarun")};
    for (const char16_t* a : list) args.emplace_back(a);
    return args;
}

TEST(SimulatorCommandLine, SwitchesAndTitle)
{
    const struct {
        const char* name;
        std::vector<CString> args;
        bool exchange;
        const char16_t* title;
    } cases[] = {
        {"none", Args({}), false, u""},
        {"manager's line", Args({u"/ES", u"/ONLINE", u"/TITLE", u"Line 1 - Q05", u"/PW=2"}), true, u"Line 1 - Q05"},
        {"title last leaves it empty", Args({u"/ES", u"/TITLE"}), true, u""},
        {"a switch between title and word", Args({u"/TITLE", u"/ES", u"w"}), true, u"w"},
        {"lower case is no switch", Args({u"/es", u"/title", u"x"}), false, u""},
        {"later title replaces", Args({u"/TITLE", u"a", u"/TITLE", u"b"}), false, u"b"},
        {"word without pending title ignored", Args({u"stray", u"/ONLINE"}), false, u""},
        {"/PW= after /TITLE is the title", Args({u"/TITLE", u"/PW=3"}), false, u"/PW=3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SimulatorCommandLine line = ParseSimulatorArguments(c.args);
        EXPECT_EQ(line.exchange, c.exchange);
        EXPECT_EQ(line.title, CString(c.title));
    }
}

TEST(SimulatorCommandLine, WholeLineIsSplitWithQuotedTitle)
{
    const SimulatorCommandLine line =
        ParseSimulatorCommandLine(u"C:\\Tools\\pellarun.exe /ES /ONLINE /TITLE \"Line 1 \\\"A\\\"\" /PW=1");
    EXPECT_TRUE(line.exchange);
    EXPECT_EQ(line.title, CString(u"Line 1 \"A\""));
}

TEST(SimulatorCommandLine, ExitCodeIsTheDialogsOnlyInExchangeMode)
{
    SimulatorCommandLine line;
    EXPECT_EQ(SimulatorExitCode(line, kExitDataApplied, 0), 0);
    line.exchange = true;
    EXPECT_EQ(SimulatorExitCode(line, kExitDataApplied, 0), kExitDataApplied);
    EXPECT_EQ(SimulatorExitCode(line, kExitNoExchangeLibrary, 0), kExitNoExchangeLibrary);
}

TEST(SimulatorClose, QuestionAndOutcomeByStateAndAnswer)
{
    const struct {
        const char* name;
        CloseState state;
        int answer;
        UINT question;
        bool stay;
        bool save;
        bool writeBack;
        int result;
    } cases[] = {
        {"offline, nothing open nor edited", {false, false, false, false}, 0, 0, false, false, false, 1},
        {"offline, file unedited", {false, true, false, false}, 0, 0, false, false, false, 1},
        {"offline edited, yes saves", {false, true, true, false}, IDYES, IDS_ASK_SAVE_BEFORE_EXIT, false, true, false, 6},
        {"offline edited, no", {false, true, true, false}, IDNO, IDS_ASK_SAVE_BEFORE_EXIT, false, false, false, 7},
        {"offline edited, cancel stays", {false, true, true, false}, IDCANCEL, IDS_ASK_SAVE_BEFORE_EXIT, true, false, false, 0},
        {"offline edited without a file, yes saves", {false, false, true, false}, IDYES, IDS_ASK_SAVE_BEFORE_EXIT, false, true, false, 6},
        {"offline edited without a file, no", {false, false, true, false}, IDNO, IDS_ASK_SAVE_BEFORE_EXIT, false, false, false, 7},
        {"offline edited without a file, cancel stays", {false, false, true, false}, IDCANCEL, IDS_ASK_SAVE_BEFORE_EXIT, true, false, false, 0},
        {"exchange unedited gives 7", {true, false, false, true}, 0, 0, false, false, false, 7},
        {"exchange yes writes back, 6", {true, false, true, true}, IDYES, IDS_ASK_APPLY_EDITS, false, false, true, 6},
        {"exchange no writes back, 7", {true, false, true, true}, IDNO, IDS_ASK_APPLY_EDITS, false, false, true, 7},
        {"exchange cancel stays", {true, false, true, true}, IDCANCEL, IDS_ASK_APPLY_EDITS, true, false, false, 0},
        {"exchange without the memory stays", {true, false, true, false}, IDYES, IDS_ASK_APPLY_EDITS, true, false, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CloseQuestion(c.state), c.question);
        const CloseOutcome outcome = DecideClose(c.state, c.answer);
        EXPECT_EQ(outcome.stay, c.stay);
        EXPECT_EQ(outcome.saveFile, c.save);
        EXPECT_EQ(outcome.writeBack, c.writeBack);
        if (!c.stay) {
            EXPECT_EQ(outcome.result, c.result);
        }
    }
}

TEST(SimulatorStartup, CaptionAndCautionKey)
{
    simfx::SimulatorModule module("ja");
    ASSERT_TRUE(module.Loaded());
    EXPECT_EQ(SimulatorCaption(CString()), CString(u"Pellarun"));
    EXPECT_EQ(SimulatorCaption(CString(u"a.yvekd")), CString(u"Pellarun - a.yvekd"));
    EXPECT_EQ(CautionNoticeKeyPath(CString(u"Velbrook")),
              CString(u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\DontShowMeThisDialogAgain\\"
                      u"Velbrook\\Pellarun"));
}

}  // namespace
