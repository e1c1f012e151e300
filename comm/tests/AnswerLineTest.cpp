// Which command an answer line answers, and which lines of a reply are a
// command's own when other commands' late replies are mixed in.
#include "comm/AnswerLine.h"

#include "platform/core/CString.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

std::u16string W(const char* text) { return CString::FromUtf8(text).str(); }
std::string U(const std::u16string& text) { return CString(text).ToUtf8(); }

TEST(AnswerLine, BelongsToTheCommandWhoseKeywordIndexAndNodeItNames)
{
    struct Case {
        const char* command;
        const char* line;
        bool belongs;
    };
    const Case cases[] = {
        {"@?CONT.1", "CONT.1=N3", true},
        {"@?CONT.1", "CONT.2=N3", false},
        {"@?CONT.1", "CONT=N3", true},
        {"@?CONT.1", "ROBOT.1=RX 10", false},
        {"@?CONT.1", "CONT.1", false},
        {"@?CONT.1", "OK.1", false},
        {"@?CONT.1", "NG.1=43", false},
        {"@?CONT.1", "@?CONT.1", false},
        {"@?CONT.1", "CONT.12=N3", false},
        {"@?K12.1", "K12.1=500", true},
        {"@?K12.1", "K1.1=500", false},
        {"@?K12.1", "K12.11=500", false},
        {"@?K12.1", "K12-13.1=500", false},
        {"@?VER.1", "VER2.1=2.10", false},
        {"@?VER2.1", "VER2.1=2.10", true},
        {"@?VER2.1", "VER.1=1.0", false},
        {"@?REC1.1", "RECF1.1=1A", false},
        {"@?REC1.1", "REC1.1=F1A,T0", true},
        {"@?D0-10.1", "D0.1=12", true},
        {"@?D0-10.1", "D10.1=0", true},
        {"@?D0-10.1", "D11.1=0", false},
        {"@?D0-10.1", "D5.2=0", false},
        {"@?D0-10.1", "D5=0", true},
        {"@?D0-10.1", "D11=0", false},
        {"@?D11-20.1", "D11.1=111", true},
        {"@?WIO0-3.1", "WIN3.1=7", true},
        {"@?WIO0-3.1", "WOUT0.1=9", true},
        {"@?WIO0-3.1", "WOUT4.1=9", false},
        {"@?K94-97.3", "K96.3=1", true},
        {"@READ PNT.1", "PNT12.1=M1,P1000", true},
        {"@READ PNT.1", "PNT12.2=M1,P1000", false},
        {"@READ PNT.1", "PNT.1=M1", false},
        {"@READ PNT.1", "PNT12=M1,P1000", true},
        {"@READ PNT.1", "PNT=M1", false},
        {"@READ PRM.1", "K1=0", true},
        {"@READ PRM.1", "H0=0", false},
        {"@READ HPRM.1", "H0=0", true},
        {"@?WIO0-3.1", "WIN0=7", true},
        {"@?K12.1", "K13=500", false},
        {"@READ PRM.1", "K38.1=1", true},
        {"@READ PRM.1", "H0.1=0", false},
        {"@READ HPRM.1", "H7.1=9", true},
        {"@READ REC.1", "REC2.1=F2B,T0", true},
        {"@?CONT", "CONT.2=N3", true},
        {"@?CONT", "ROBOT.2=RX", false},
        {"@?COMR2", "COMR2.16=Line", true},
        {"@?COMR2", "COMR9.16=c0a80001", false},
        {"@?CONT.1", " CONT.1=N3 ", true},
        {"@?CONT.1", "\nCONT.1=N3", true},
        {"not a command", "CONT.1=N3", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " / " + c.line);
        EXPECT_EQ(comm::AnswerLineBelongsTo(W(c.line), W(c.command)), c.belongs);
    }
}

TEST(AnswerLine, AddressesReadTheNumberBeforeTheNode)
{
    comm::LineAddress key;
    ASSERT_TRUE(comm::ParseAnswerKey(u"D0.1", key));
    EXPECT_EQ(U(std::u16string(key.keyword)), "D");
    EXPECT_EQ(key.first, 0);
    EXPECT_FALSE(key.last);
    EXPECT_EQ(key.node, 1);
    ASSERT_TRUE(comm::ParseCommandAddress(u"@?D11-20.16", key));
    EXPECT_EQ(key.first, 11);
    EXPECT_EQ(key.last, 20);
    EXPECT_EQ(key.node, 16);
    ASSERT_TRUE(comm::ParseCommandAddress(u"@K75=0", key));
    EXPECT_EQ(key.first, 75);
    EXPECT_FALSE(key.node);
    for (const char* bad : {"", ".1", "D0.", "D0.1x", "D0-.1", "@?D0.1", "D1234567890.1"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(comm::ParseAnswerKey(W(bad), key));
    }
}

TEST(AnswerLine, TheNodeComesOutOfTheKeyForTheFileForm)
{
    const std::pair<const char*, const char*> cases[] = {
        {"PNT12.1=M1,P1000", "PNT12=M1,P1000"},
        {"K38.16=16", "K38=16"},
        {"H0=5", "H0=5"},
        {"ROBOT.1=RS.2", "ROBOT=RS.2"},
        {"K1.x=5", "K1.x=5"},
        {"K1.=5", "K1.=5"},
    };
    for (const auto& [line, file] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(U(comm::WithoutAnswerNode(W(line))), file);
    }
}

TEST(AnswerLine, ACollectionKeepsOnlyTheLinesOfItsCommand)
{
    EXPECT_EQ(U(comm::KeepLinesOfCommand(
                  W("ROBOT.1=RX\r\nOK.1\r\n@?ROBOT.2\r\nROBOT.2=RY\r\nCONT.1=N3\r\nOK.\r\nCONT.2=N4\r\nOK.\r\n12,3"),
                  u"@?CONT")),
              "OK.1\r\nCONT.1=N3\r\nOK.\r\nCONT.2=N4\r\nOK.\r\n12,3");
}

// Replies fed line by line, each with the token its client found in it.
using Token = comm::ReplyAttribution::Token;
using Need = comm::ReplyAttribution::Need;

struct Fed {
    const char* line;
    Token token;
};

struct AttributionCase {
    const char* name;
    const char* command;
    Need need;
    std::vector<Fed> lines;
    int ownToken;  // index of the first token taken as the command's own, -1 for none
    const char* answer;
    bool unansweredOk;
};

TEST(ReplyAttribution, TakesOnlyTheCommandsOwnTokensAndAnswer)
{
    const AttributionCase cases[] = {
        {"plain answer", "@?CONT.1", Need::AnswerLines, {{"CONT.1=N3", Token::None}, {"OK.1", Token::Ok}}, 1,
         "CONT.1=N3\r\n", false},
        {"late answer of another query first",
         "@?CONT.1",
         Need::AnswerLines,
         {{"ROBOT.1=RX", Token::None}, {"OK.1", Token::Ok}, {"CONT.1=N3", Token::None}, {"OK.1", Token::Ok}},
         3,
         "CONT.1=N3\r\n",
         false},
        {"late echoed reply first",
         "@?CONT.1",
         Need::AnswerLines,
         {{"@?ROBOT.1", Token::None},
          {"ROBOT.1=RX", Token::None},
          {"OK.1", Token::Ok},
          {"@?CONT.1", Token::None},
          {"CONT.1=N3", Token::None},
          {"OK.1", Token::Ok}},
         5,
         "CONT.1=N3\r\n",
         false},
        {"late NG of an echoed command is not ours",
         "@?CONT.1",
         Need::AnswerLines,
         {{"@K12.1=9", Token::None}, {"NG.1=45", Token::Ng}, {"@?CONT.1", Token::None}, {"CONT.1=N3", Token::None},
          {"OK.1", Token::Ok}},
         4,
         "CONT.1=N3\r\n",
         false},
        {"text before the own echo",
         "@?CONT.1",
         Need::AnswerLines,
         {{"CONT.1=OLD", Token::None}, {"@?CONT.1", Token::None}, {"CONT.1=N3", Token::None}, {"OK.1", Token::Ok}},
         3,
         "CONT.1=N3\r\n",
         false},
        {"an OK without any answer", "@?CONT.1", Need::AnswerLines, {{"OK.1", Token::Ok}}, -1, "", true},
        {"a write after a late answer",
         "@K12.1=5",
         Need::NoAnswer,
         {{"ROBOT.1=RX", Token::None}, {"OK.1", Token::Ok}, {"OK.1", Token::Ok}},
         2,
         "",
         false},
        {"a trace sample is no answer", "@K12.1=5", Need::NoAnswer, {{"12,1,2,3,4", Token::None}, {"OK.1", Token::Ok}},
         1, "", false},
        {"an empty bulk read", "@READ PNT.1", Need::MaybeEmpty, {{"OK.1", Token::Ok}}, 0, "", false},
        {"a bulk read after a late answer",
         "@READ PNT.1",
         Need::MaybeEmpty,
         {{"K12.1=5", Token::None}, {"OK.1", Token::Ok}, {"PNT3.1=M1", Token::None}, {"OK.1", Token::Ok}},
         3,
         "PNT3.1=M1\r\n",
         false},
        {"a bulk read in the data file's line form",
         "@READ PRM.1",
         Need::MaybeEmpty,
         {{"K1=0", Token::None}, {"K2=30000", Token::None}, {"OK.1", Token::Ok}},
         2,
         "K1=0\r\nK2=30000\r\n",
         false},
        {"a query answered without the node",
         "@?K12.1",
         Need::AnswerLines,
         {{"K12=500", Token::None}, {"OK.1", Token::Ok}},
         1,
         "K12=500\r\n",
         false},
        {"an action's RUN", "@ORG.1", Need::NoAnswer, {{"@ORG.1", Token::None}, {"RUN.1", Token::Progress}}, 1, "",
         false},
    };
    for (const AttributionCase& c : cases) {
        SCOPED_TRACE(c.name);
        comm::ReplyAttribution attribution(W(c.command), c.need);
        int own = -1;
        for (size_t i = 0; i < c.lines.size(); ++i) {
            const bool taken = attribution.Take(W(c.lines[i].line), c.lines[i].token);
            if (taken && c.lines[i].token != Token::None && own < 0) own = static_cast<int>(i);
            if (own >= 0) break;
        }
        EXPECT_EQ(own, c.ownToken);
        EXPECT_EQ(U(attribution.Answer()), c.answer);
        EXPECT_EQ(attribution.SawUnansweredOk(), c.unansweredOk);
    }
}

}  // namespace
