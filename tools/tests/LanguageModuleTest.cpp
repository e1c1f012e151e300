// The language module as the library reads it: both languages carry the same
// texts, and the trace-target tables parse for every controller type.
#include "tools/TraceTargetTable.h"
#include "tools/tests/DialogTestSupport.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/tests/CommTestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace toolstest;

// The string ids a module holds in the ranges the library uses.
std::set<UINT> StringIds()
{
    std::set<UINT> ids;
    for (UINT id = 10000; id < 60000; ++id) {
        CString text;
        if (text.LoadString(id)) ids.insert(id);
    }
    return ids;
}

TEST(LanguageModuleTest, BothLanguagesHoldTheSameTexts)
{
    std::set<UINT> english;
    {
        uitest::ScopedResources module(u"ZeblLangLib", "en");
        ASSERT_TRUE(module.Loaded());
        english = StringIds();
        CString code;
        code.LoadString(IDS_LANGUAGE);
        EXPECT_EQ(code, CString(u"ENG"));
    }
    std::set<UINT> japanese;
    {
        uitest::ScopedResources module(u"ZeblLangLib", "ja");
        ASSERT_TRUE(module.Loaded());
        japanese = StringIds();
        CString code;
        code.LoadString(IDS_LANGUAGE);
        EXPECT_EQ(code, CString(u"JPN"));
    }
    EXPECT_EQ(english, japanese);
    for (UINT id : {IDS_TRC_START_MARK, IDS_TRC_POINT_2_SCALED, IDS_TRACE_BIT_DEFAULT, IDS_INITIALISE_ASK}) {
        EXPECT_TRUE(english.count(id)) << id;
    }
}

TEST(LanguageModuleTest, TheTraceTargetTablesParseForEveryControllerType)
{
    struct Case {
        const char* lang;
        UINT codePage;
        const char16_t* type;
        const char16_t* firstName;
    };
    const Case cases[] = {
        {"en", 1252, u"Q05", u"Command position"},
        {"en", 1252, u"N3", u"Command position"},
        {"ja", 932, u"Q05", u"指令位置"},
        {"ja", 932, u"KX-LB", u"指令位置"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.lang) + " " + CString(c.type).ToUtf8());
        ScopedCodePage codePage(c.codePage);
        uitest::ScopedResources module(u"ZeblLangLib", c.lang);
        ASSERT_TRUE(module.Loaded());
        CTraceTargetTable table;
        ASSERT_EQ(table.Load(c.type, 3), CTraceTargetTable::Result::Ok);
        ASSERT_FALSE(table.Rows().empty());
        EXPECT_EQ(table.Rows().front().strName, CString(c.firstName));
        EXPECT_DOUBLE_EQ(table.Rows().front().dScale, 0.001) << "positions follow the controller's decimals";
        bool bitNames = false;
        for (const TraceTargetRow& row : table.Rows()) {
            EXPECT_LT(row.nLowerLimit, row.nUpperLimit) << row.strName.ToUtf8();
            if (row.nBitCount > 0) {
                EXPECT_EQ(row.bitNames.size(), static_cast<std::size_t>(row.nBitCount)) << row.strName.ToUtf8();
                bitNames = true;
            }
        }
        EXPECT_TRUE(bitNames);
    }
}

}  // namespace
