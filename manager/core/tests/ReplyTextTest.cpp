#include "manager/core/ReplyText.h"

#include <gtest/gtest.h>

namespace {

std::u16string W(const char* utf8) { return CString::FromUtf8(utf8).str(); }

TEST(ClassifyReplyText, CodesAndLastErrors)
{
    struct Case {
        const char* name;
        const char* text;
        int node;
        const char* command;
        int code;
        const char* lastError;
    } cases[] = {
        {"OK with the node", "OK.1\r\n", 1, "@K12.1=5", kReplyOk, ""},
        {"OK without node for all nodes", "OK.\r\n", 0, "@K75=0", kReplyOk, ""},
        {"NG with the node and a code", "NG.2=43\r\n", 2, "@K12.2=5", kReplyNg, "NG.2=43"},
        {"NG for all nodes", "NG.=46\r\n", 0, "@K75=0", kReplyNg, "NG.=46"},
        {"NG text from the token on", "xx NG.1=05\r\n", 1, "@ORG.1", kReplyNg, "NG.1=05"},
        {"RUN and OK in one line is OK", "RUN.1 OK.1\r\n", 1, "@ORG.1", kReplyOk, ""},
        {"RUN then OK: the last line decides", "RUN.1\r\nOK.1\r\n", 1, "@ORG.1", kReplyOk, ""},
        {"OK then RUN: the last line decides", "OK.1\r\nRUN.1\r\n", 1, "@ORG.1", kReplyRun, ""},
        {"OK.1 is not OK.12", "OK.12\r\n", 1, "@K1.1=0", kReplyUnknown, ""},
        {"OK.12 for node 12", "OK.12\r\n", 12, "@K1.12=0", kReplyOk, ""},
        {"NG.1 is not NG.10", "NG.10=43\r\n", 1, "@K1.1=0", kReplyUnknown, ""},
        {"OK of another node", "OK.2\r\n", 1, "@K1.1=0", kReplyUnknown, ""},
        {"OK. with a node for all nodes", "OK.3\r\n", 0, "@K75=0", kReplyUnknown, ""},
        {"LOADING", "LOADING.1\r\n", 1, "@READ PNT.1", kReplyLoading, ""},
        {"LOADING holds NG. but is LOADING", "LOADING.\r\n", 0, "@?CONT", kReplyLoading, ""},
        {"END leaves the result", "END.1\r\n", 1, "@ORG.1", kReplyUnknown, ""},
        {"RUN then END stays RUN", "RUN.1\r\nEND.1\r\n", 1, "@ORG.1", kReplyRun, ""},
        {"NG then OK clears the error", "NG.1=43\r\nOK.1\r\n", 1, "@K1.1=0", kReplyOk, ""},
        {"echo holding tokens is left out", "@K12.1=OK.1\r\n", 1, "@K12.1=OK.1", kReplyUnknown, ""},
        {"echo holding NG before the answer", "@?COMR2.1\r\nCOMR2.1=NG.1\r\nOK.1\r\n", 1, "@?COMR2.1",
         kReplyOk, ""},
        {"user text in a value is no token", "ROBOT.1=BOOK.1 NG.1\r\n", 1, "@?ROBOT.1", kReplyUnknown, ""},
        {"a token after a letter is a word of its own", "XOK.1\r\n", 1, "@K1.1=0", kReplyUnknown, ""},
        {"garbage", "\x01\x7f#%\r\n", 1, "@K1.1=0", kReplyUnknown, ""},
        {"no CR: no complete line", "OK.1", 1, "@K1.1=0", kReplyUnknown, ""},
        {"a line that is only a CR", "\r", 1, "@K1.1=0", kReplyUnknown, ""},
        {"LF of the line before", "\nOK.1\r\n", 1, "@K1.1=0", kReplyOk, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CString lastError(u"old");
        EXPECT_EQ(ClassifyReplyText(W(c.text), c.node, W(c.command), lastError), c.code);
        EXPECT_EQ(lastError.ToUtf8(), c.lastError);
    }
}

TEST(ExtractAnswer, TakesTheCommandsOwnLinesBeforeItsOkLine)
{
    struct Case {
        const char* name;
        const char* reply;
        int node;
        const char* command;
        bool found;
        const char* answer;
    } cases[] = {
        {"one answer line", "CONT.1=LB\r\nOK.1\r\n", 1, "@?CONT.1", true, "CONT.1=LB\r\n"},
        {"echo removed", "@?CONT.1\r\nCONT.1=LB\r\nOK.1\r\n", 1, "@?CONT.1", true, "CONT.1=LB\r\n"},
        {"empty answer", "OK.1\r\n", 1, "@READ PNT.1", true, ""},
        {"OK. inside the value is kept", "ROBOT.1=BOOK.1\r\nOK.1\r\n", 1, "@?ROBOT.1", true,
         "ROBOT.1=BOOK.1\r\n"},
        {"LOADING line is no answer", "LOADING.1\r\nK1.1=5\r\nK2.1=6\r\nOK.1\r\n", 1, "@READ PRM.1", true,
         "K1.1=5\r\nK2.1=6\r\n"},
        {"OK.12 is no OK of node 1", "OK.12\r\nX.1=1\r\nOK.1\r\n", 1, "@?X.1", true, "X.1=1\r\n"},
        {"a late answer of another query and its OK are passed over", "ROBOT.1=RX\r\nOK.1\r\nCONT.1=LB\r\nOK.1\r\n",
         1, "@?CONT.1", true, "CONT.1=LB\r\n"},
        {"an answer of another node is no answer", "CONT.2=LB\r\nOK.1\r\n", 1, "@?CONT.1", false, "unchanged"},
        {"text before the own echo is no answer", "CONT.1=OLD\r\n@?CONT.1\r\nCONT.1=LB\r\nOK.1\r\n", 1,
         "@?CONT.1", true, "CONT.1=LB\r\n"},
        {"no OK line", "CONT.1=LB\r\n", 1, "@?CONT.1", false, "unchanged"},
        {"lines ended by CR alone", "CONT.1=LB\rOK.1\r", 1, "@?CONT.1", true, "CONT.1=LB\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CString answer(u"unchanged");
        EXPECT_EQ(ExtractAnswer(W(c.reply), c.node, W(c.command), answer), c.found);
        EXPECT_EQ(answer.ToUtf8(), c.answer);
    }
}

TEST(WithoutEcho, KeepsEveryOtherLineAsItCame)
{
    EXPECT_EQ(CString(WithoutEcho(W("@?CONT\r\nCONT.1=LB\r\nOK.\r\nCONT.2=N3\r\nOK.\r\n"), W("@?CONT"))).ToUtf8(),
              "CONT.1=LB\r\nOK.\r\nCONT.2=N3\r\nOK.\r\n");
}

}  // namespace
