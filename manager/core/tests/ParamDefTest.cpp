#include "manager/core/ParamDef.h"

#include "Fixtures.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct RowCase {
    const char* name;
    const char16_t* line;
    bool taken;
    int index;
    ParamDef expected;  // compared field by field when taken
};

ParamDef Def(char kind, std::uint16_t number, std::int32_t key, const char16_t* name, const char16_t* description,
             const char16_t* unit, std::uint16_t flags, std::uint16_t access, std::uint8_t type,
             std::uint8_t decimals, std::int32_t value, std::int32_t minimum, std::int32_t maximum,
             std::vector<CString> texts = {}, std::vector<std::int32_t> values = {})
{
    ParamDef d;
    d.kind = kind;
    d.number = number;
    d.variantKey = key;
    d.name = name;
    d.description = description;
    d.unit = unit;
    d.flags = flags;
    d.access = access;
    d.type = type;
    d.decimals = decimals;
    d.defaultValue = value;
    d.minimum = minimum;
    d.maximum = maximum;
    d.choiceTexts = std::move(texts);
    d.choiceValues = std::move(values);
    return d;
}

void ExpectSameFields(const ParamDef& a, const ParamDef& b)
{
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.number, b.number);
    EXPECT_EQ(a.variantKey, b.variantKey);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.description, b.description);
    EXPECT_EQ(a.unit, b.unit);
    EXPECT_EQ(a.flags, b.flags);
    EXPECT_EQ(a.access, b.access);
    EXPECT_EQ(a.type, b.type);
    EXPECT_EQ(a.decimals, b.decimals);
    EXPECT_EQ(a.defaultValue, b.defaultValue);
    EXPECT_EQ(a.minimum, b.minimum);
    EXPECT_EQ(a.maximum, b.maximum);
    EXPECT_EQ(a.choiceTexts, b.choiceTexts);
    EXPECT_EQ(a.choiceValues, b.choiceValues);
}

TEST(ParamDefLine, RowsBecomeFields)
{
    const std::vector<RowCase> cases = {
        {"whole number", u"M|9|0|Speed override|Run speed_crlf_in percent|%|16|7967|2|0|100|1|100", true, 8,
         Def('M', 9, 0, u"Speed override", u"Run speed_crlf_in percent", u"%", 16, 7967, 2, 0, 100, 1, 100)},
        {"decimals from K72", u"M|1|0|Soft limit -||mm|16|7967|3|255|0|-9999999|0", true, 0,
         Def('M', 1, 0, u"Soft limit -", u"", u"mm", 16, 7967, 3, 255, 0, -9999999, 0)},
        {"choice list", u"C|20|0|Mode|||0|7936|1|0|0|0|3|Stop|0|Run|1|Edit|2", true, 19,
         Def('C', 20, 0, u"Mode", u"", u"", 0, 7936, 1, 0, 0, 0, 3, {u"Stop", u"Run", u"Edit"}, {0, 1, 2})},
        {"choices fewer than counted", u"C|21|0|X|||0|0|1|0|0|0|1000000000|A|5|B|6", true, 20,
         Def('C', 21, 0, u"X", u"", u"", 0, 0, 1, 0, 0, 0, 2, {u"A", u"B"}, {5, 6})},
        {"choice text without its value", u"C|21|0|X|||0|0|1|0|0|0|3|A|5|B", true, 20,
         Def('C', 21, 0, u"X", u"", u"", 0, 0, 1, 0, 0, 0, 1, {u"A"}, {5})},
        {"choices beyond the count ignored", u"C|21|0|X|||0|0|1|0|0|0|1|A|5|B|6", true, 20,
         Def('C', 21, 0, u"X", u"", u"", 0, 0, 1, 0, 0, 0, 1, {u"A"}, {5})},
        {"negative choice count", u"C|21|0|X|||0|0|1|0|0|0|-4|A|5", true, 20,
         Def('C', 21, 0, u"X", u"", u"", 0, 0, 1, 0, 0, 0, 0)},
        {"never listed", u"|30|0|Reserved||||||||", true, 29, Def(0, 30, 0, u"Reserved", u"", u"", 0, 0, 0, 0, 0, 0, 0)},
        {"H0 is number 0", u"H|139|0|Service 0|||0|7680|2|0|0|0|9", true, 138,
         Def('H', 0, 0, u"Service 0", u"", u"", 0, 7680, 2, 0, 0, 0, 9)},
        {"H7 is number 7", u"H|146|2|Service 7", true, 145, Def('H', 7, 2, u"Service 7", u"", u"", 0, 0, 0, 0, 0, 0, 0)},
        {"number with junk after digits", u"O|83x|0|Pulse", true, 82, Def('O', 83, 0, u"Pulse", u"", u"", 0, 0, 0, 0, 0, 0, 0)},
        {"negative key", u"M|5|-1|N", true, 4, Def('M', 5, -1, u"N", u"", u"", 0, 0, 0, 0, 0, 0, 0)},
        {"number 0", u"M|0|0|Bad", false, 0, {}},
        {"number 147", u"M|147|0|Bad", false, 0, {}},
        {"number missing", u"M||0|Bad", false, 0, {}},
        {"kind of two characters", u"MM|5|0|Bad", false, 0, {}},
        {"flags beyond 16 bits", u"M|5|0|Bad|||65536|0|0|0|0|0|0", false, 0, {}},
        {"access negative", u"M|5|0|Bad|||0|-1|0|0|0|0|0", false, 0, {}},
        {"decimals beyond 8 bits", u"M|5|0|Bad|||0|0|0|256|0|0|0", false, 0, {}},
        {"minimum beyond 32 bits", u"M|5|0|Bad|||0|0|0|0|0|-2147483649|0", false, 0, {}},
        {"choice value beyond 32 bits", u"M|5|0|Bad|||0|0|1|0|0|0|1|A|4294967296", false, 0, {}},
    };
    for (const RowCase& c : cases) {
        SCOPED_TRACE(c.name);
        ParamDef def;
        int index = -1;
        ASSERT_EQ(ParseParamDefLine(c.line, def, &index), c.taken);
        if (!c.taken) continue;
        EXPECT_EQ(index, c.index);
        ExpectSameFields(def, c.expected);
    }
}

TEST(ParamDefTable, RepeatedParametersChainInLineOrder)
{
    ParamDefTable table;
    std::vector<int> dropped;
    // LF and CR LF lines, an empty line, a dropped line, and a last line
    // without a line end.
    ParseParamDefTable(u"M|5|0|K5 default\r\n"
                       u"H|139|0|H0 first\n"
                       u"\r\n"
                       u"M|500|0|dropped\r\n"
                       u"M|5|3|K5 for key 3\r\n"
                       u"H|139|4|H0 second\r\n"
                       u"M|5|7|K5 for key 7\r\n"
                       u"C|146|0|H7 last",
                       table, &dropped);
    EXPECT_EQ(dropped, std::vector<int>{4});

    const ParamDef& k5 = table[4];
    EXPECT_EQ(k5.name, u"K5 default");
    ASSERT_TRUE(k5.next);
    EXPECT_EQ(k5.next->variantKey, 3);
    ASSERT_TRUE(k5.next->next);
    EXPECT_EQ(k5.next->next->variantKey, 7);
    EXPECT_FALSE(k5.next->next->next);

    const ParamDef& h0 = table[138];
    EXPECT_EQ(h0.name, u"H0 first");
    ASSERT_TRUE(h0.next);
    EXPECT_EQ(h0.next->name, u"H0 second");

    EXPECT_EQ(table[145].name, u"H7 last");
    EXPECT_EQ(table[145].kind, 'C');
    EXPECT_EQ(table[0].kind, 0);
}

TEST(ParamDefTable, BuildsFromAnsiBytesOnce)
{
    testfx::AnsiCodePageScope cp(CP_SHIFT_JIS);
    ParamDefTableSlot slot;
    EXPECT_FALSE(BuildParamDefTable("", slot));
    EXPECT_FALSE(slot);
    ASSERT_TRUE(BuildParamDefTable("M|9|0|\x91\xAC\x93\x78|||0|0|2|0|0|1|100", slot));  // "速度"
    EXPECT_EQ((*slot)[8].name, u"速度");
    ParamDefTable* held = slot.get();
    EXPECT_FALSE(BuildParamDefTable("M|9|0|other", slot));
    EXPECT_EQ(slot.get(), held);
    EXPECT_EQ((*slot)[8].name, u"速度");
    FreeParamDefTable(slot);
    EXPECT_FALSE(slot);
    FreeParamDefTable(slot);
}

TEST(ParamDef, GetVariantPrefersOwnKeyThenChainThenDefault)
{
    ParamDefTable table;
    ParseParamDefTable(u"M|1|0|default\nM|1|3|three\nM|1|5|five\n"
                       u"M|2|2|two\nM|2|3|three\nM|2|0|late default\n",
                       table);
    struct Case {
        const char* name;
        const ParamDef& head;
        std::int32_t key;
        const char16_t* expected;  // null: no variant
    } cases[] = {
        {"own key", table[0], 0, u"default"},
        {"chain key", table[0], 5, u"five"},
        {"unknown key falls back to the default head", table[0], 9, u"default"},
        {"head that is not the default", table[1], 2, u"two"},
        {"chain of a non-default head", table[1], 3, u"three"},
        {"a default further down is not a fallback", table[1], 9, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ParamDef* found = c.head.GetVariant(c.key);
        if (!c.expected) {
            EXPECT_EQ(found, nullptr);
        } else {
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->name, c.expected);
        }
    }
    EXPECT_EQ(table[0].FindVariant(9), nullptr);
    ASSERT_NE(table[1].FindVariant(0), nullptr);
    EXPECT_EQ(table[1].FindVariant(0)->name, u"late default");
}

TEST(ParamDef, DecimalsComeFromK72WhenAsked)
{
    ParamDef fromK72;
    fromK72.decimals = kDecimalsFromK72;
    ParamDef fixed;
    fixed.decimals = 1;
    struct Case {
        const char* name;
        const ParamDef& def;
        bool withValues;
        std::int32_t k72;
        int expected;
    } cases[] = {
        {"K72 of 2", fromK72, true, 2, 2},
        {"K72 of 3", fromK72, true, 3, 3},
        {"no values", fromK72, false, 2, 0},
        {"fixed decimals without values", fixed, false, 0, 1},
        {"fixed decimals ignore K72", fixed, true, 3, 1},
        {"K72 too large", fromK72, true, 50, 9},
        {"K72 negative", fromK72, true, -3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RobotParameterSet set;
        set.K(72) = c.k72;
        EXPECT_EQ(GetParamDecimals(c.def, c.withValues ? &set : nullptr), c.expected);
    }
}

TEST(ParamTextToValue, ConvertsAndClamps)
{
    testfx::NumberLocaleScope locale(u'.');
    struct Case {
        const char* name;
        const char16_t* text;
        const char16_t* fallback;
        int decimals;
        std::int32_t minimum, maximum;
        std::int32_t expected;
    } cases[] = {
        {"scaled", u"1.25", u"0", 2, 0, 0, 125},
        {"clamped to the maximum", u"1.25", u"0", 2, 0, 100, 100},
        {"clamped to the minimum", u"-5", u"0", 0, 1, 100, 1},
        {"negative in range", u"-1.5", u"0", 1, -100, 100, -15},
        {"too many decimals uses the fallback", u"1.234", u"2.5", 2, 0, 0, 250},
        {"not a number uses the fallback", u"abc", u"3", 0, 0, 0, 3},
        {"fallback not a number either", u"abc", u"x", 0, 0, 0, 0},
        {"empty text", u"", u"9", 0, 0, 0, 0},
        {"beyond 32 bits saturates", u"99999999999", u"0", 0, 0, 0, std::numeric_limits<std::int32_t>::max()},
        {"decimals beyond the scale", u"1", u"0", 40, 0, 0, 1000000000},
        {"crossed range gives the minimum", u"50", u"0", 0, 10, 5, 10},
        {"cut, not rounded", u"1.239", u"0", 3, 0, 0, 1239},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParamTextToValue(c.text, c.fallback, c.decimals, c.minimum, c.maximum), c.expected);
    }
    testfx::NumberLocaleScope comma(u',');
    EXPECT_EQ(ParamTextToValue(u"1,5", u"0", 1, 0, 0), 15);
}

TEST(ScaleParamValue, RangesFollowDecimalsAndOtherParameters)
{
    RobotParameterSet values;
    values.K(72) = 2;
    values.K(51) = 40000;
    values.K(46) = 150;
    values.K(44) = 50000;
    values.K(43) = 300000;
    values.K(47) = 25;
    values.K(48) = 980;

    ParamDef position;  // thousandths, shown with K72 decimals
    position.decimals = kDecimalsFromK72;
    position.flags = kParamFlagDerivedRange;
    position.minimum = -9999999;
    position.maximum = 9999999;
    ParamDef small = position;
    small.minimum = 1;
    small.maximum = 1000;
    ParamDef linked;
    linked.flags = kParamFlagDerivedRangeAlt;
    linked.minimum = 1;
    linked.maximum = 7;
    ParamDef plain = position;
    plain.flags = 0;

    struct Case {
        const char* name;
        const ParamDef& def;
        int index;
        std::int32_t k72;
        std::int32_t minimum, maximum;
    } cases[] = {
        {"K1 to two decimals", position, KParamIndex(1), 2, -999999, 999999},
        {"K2 to three decimals", position, KParamIndex(2), 3, -9999999, 9999999},
        {"K16 to no decimals", position, KParamIndex(16), 0, -9999, 9999},
        {"K3 maximum only", small, KParamIndex(3), 2, 1, 100},
        {"K11 maximum only", small, KParamIndex(11), 3, 1, 1000},
        {"K54 maximum only", small, KParamIndex(54), 1, 1, 10},
        {"K6 by K51", linked, KParamIndex(6), 2, 1, 40000},
        {"K13 by K46", linked, KParamIndex(13), 2, 1, 150},
        {"K51 by K44", linked, KParamIndex(51), 2, 1, 50000},
        {"K70 by K43", linked, KParamIndex(70), 2, 1, 300000},
        {"K76 by K47", linked, KParamIndex(76), 2, 1, 25},
        {"K78 by K47", linked, KParamIndex(78), 2, 1, 25},
        {"K77 by K48", linked, KParamIndex(77), 2, 1, 980},
        {"K79 by K48", linked, KParamIndex(79), 2, 1, 980},
        {"flag on a parameter not in the list", linked, KParamIndex(9), 2, 1, 7},
        {"no flag", plain, KParamIndex(1), 2, -9999999, 9999999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        values.K(72) = c.k72;
        std::int32_t minimum = 0, maximum = 0;
        ScaleParamValue(c.def, &values, c.index, minimum, maximum);
        EXPECT_EQ(minimum, c.minimum);
        EXPECT_EQ(maximum, c.maximum);
    }

    ParamDef odd = position;  // thousandths that do not divide evenly
    odd.minimum = -1005;
    odd.maximum = 1005;
    values.K(72) = 1;
    std::int32_t minimum = 0, maximum = 0;
    ScaleParamValue(odd, &values, KParamIndex(7), minimum, maximum);
    EXPECT_EQ(minimum, -10);
    EXPECT_EQ(maximum, 10);

    minimum = 11;
    maximum = 22;
    ScaleParamValue(position, nullptr, KParamIndex(1), minimum, maximum);
    EXPECT_EQ(minimum, 11);
    EXPECT_EQ(maximum, 22);
}

TEST(RescaleParamValues, OnlyDefaultVariantsWithControllerDecimals)
{
    ParamDefTable table;
    ParseParamDefTable(u"M|1|0|position|||0|0|3|255|0|0|0\n"
                       u"M|2|0|fixed|||0|0|3|2|0|0|0\n"
                       u"M|3|4|keyed head|||0|0|3|2|0|0|0\n"
                       u"M|3|0|default below|||0|0|3|255|0|0|0\n"
                       u"M|4|4|no default|||0|0|3|255|0|0|0\n"
                       u"H|139|0|H0 position|||0|0|3|255|0|0|0\n",
                       table);
    RobotParameterSet set;
    set.K(1) = 123456;
    set.K(2) = 123456;
    set.K(3) = -123456;
    set.K(4) = 123456;
    set.K(5) = 123456;  // no definition at all
    set.H(0) = 5;
    EXPECT_TRUE(RescaleParamValues(table, set, 2));
    EXPECT_EQ(set.K(1), 12345);
    EXPECT_EQ(set.K(2), 123456);
    EXPECT_EQ(set.K(3), -12345);
    EXPECT_EQ(set.K(4), 123456);
    EXPECT_EQ(set.K(5), 123456);
    EXPECT_EQ(set.H(0), 0);
}

}  // namespace
