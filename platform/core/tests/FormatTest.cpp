#include "platform/core/CString.h"
#include "platform/core/CodePage.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

std::string Utf8(const CString& s) { return s.ToUtf8(); }

TEST(Format, WindowsWidePrintfRules)
{
    struct Row {
        const char* name;
        CString (*make)();
        const char* expected;
    };
    const Row rows[] = {
        {"plain %d", [] { CString s; s.Format(u"%d", 42); return s; }, "42"},
        {"negative %d", [] { CString s; s.Format(u"%d", -7); return s; }, "-7"},
        {"wide %s", [] { CString s; s.Format(u"[%s]", u"abc"); return s; }, "[abc]"},
        {"CString %s", [] { CString s; s.Format(u"%s!", CString(u"名前")); return s; }, "名前!"},
        {"narrow %S", [] { CString s; s.Format(u"%S", "narrow"); return s; }, "narrow"},
        {"narrow %hs", [] { CString s; s.Format(u"%hs", "hs"); return s; }, "hs"},
        {"%02X", [] { CString s; s.Format(u"%02X", 10); return s; }, "0A"},
        {"%02x of byte", [] { CString s; s.Format(u"NG.=%02x", 0x1F); return s; }, "NG.=1f"},
        {"%-8d|", [] { CString s; s.Format(u"%-8d|", 12); return s; }, "12      |"},
        {"%8d", [] { CString s; s.Format(u"%8d", 12); return s; }, "      12"},
        {"%.4f", [] { CString s; s.Format(u"%.4f", 3.14159265); return s; }, "3.1416"},
        {"%.0f", [] { CString s; s.Format(u"%.0f", 2.5); return s; }, "2"},
        {"%I64d", [] { CString s; s.Format(u"%I64d", INT64_C(1234567890123)); return s; }, "1234567890123"},
        {"%lld", [] { CString s; s.Format(u"%lld", INT64_C(-9000000000)); return s; }, "-9000000000"},
        {"%d is 32-bit", [] { CString s; s.Format(u"%d", INT64_C(0x100000005)); return s; }, "5"},
        {"%u of -1", [] { CString s; s.Format(u"%u", -1); return s; }, "4294967295"},
        {"%%", [] { CString s; s.Format(u"100%%"); return s; }, "100%"},
        {"%c wide", [] { CString s; s.Format(u"%c", u'あ'); return s; }, "あ"},
        {"%5s", [] { CString s; s.Format(u"%5s|", u"ab"); return s; }, "   ab|"},
        {"%-5s", [] { CString s; s.Format(u"%-5s|", u"ab"); return s; }, "ab   |"},
        {"%.2s", [] { CString s; s.Format(u"%.2s", u"abcdef"); return s; }, "ab"},
        {"%*d", [] { CString s; s.Format(u"%*d", 4, 7); return s; }, "   7"},
        {"%+d", [] { CString s; s.Format(u"%+d", 5); return s; }, "+5"},
        {"%04x", [] { CString s; s.Format(u"%04x", 0x4E2D); return s; }, "4e2d"},
        {"%d:%02d:%02d", [] { CString s; s.Format(u"%d:%02d:%02d", 1, 2, 3); return s; }, "1:02:03"},
        {"%hd truncates", [] { CString s; s.Format(u"%hd", 70000); return s; }, "4464"},
        {"%e", [] { CString s; s.Format(u"%.2e", 12345.0); return s; }, "1.23e+04"},
        {"%g", [] { CString s; s.Format(u"%g", 0.5); return s; }, "0.5"},
        {"null %s", [] { CString s; s.Format(u"%s", static_cast<const char16_t*>(nullptr)); return s; }, "(null)"},
        {"missing argument", [] { CString s; s.Format(u"a%db"); return s; }, "ab"},
        {"trailing %", [] { CString s; s.Format(u"50%"); return s; }, "50%"},
        {"double to %d", [] { CString s; s.Format(u"%d", 2.9); return s; }, "2"},
        {"int to %f", [] { CString s; s.Format(u"%.1f", 3); return s; }, "3.0"},
        {"%%.%df nested", [] { CString s; s.Format(u"%%.%df", 3); return s; }, "%.3f"},
        {"AppendFormat", [] { CString s(u"x="); s.AppendFormat(u"%d", 9); return s; }, "x=9"},
        {"%p", [] { CString s; s.Format(u"%p", reinterpret_cast<void*>(0x12AB)); return s; }, "00000000000012AB"},
        {"unknown conversion kept", [] { CString s; s.Format(u"%y", 1); return s; }, "%y"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Utf8(row.make()), row.expected);
    }
}

TEST(CStringOps, SlicingSearchAndEditing)
{
    CString s(u"  @?CONT.1  ");
    s.Trim();
    EXPECT_EQ(s, u"@?CONT.1");
    EXPECT_EQ(s.Left(2), u"@?");
    EXPECT_EQ(s.Right(2), u".1");
    EXPECT_EQ(s.Mid(2, 4), u"CONT");
    EXPECT_EQ(s.Mid(7), u"1");
    EXPECT_EQ(s.Mid(99), u"");
    EXPECT_EQ(s.Left(-1), u"");
    EXPECT_EQ(s.Right(99), s);
    EXPECT_EQ(s.Find(u'.'), 6);
    EXPECT_EQ(s.Find(u"CONT"), 2);
    EXPECT_EQ(s.Find(u"x"), -1);
    EXPECT_EQ(s.Find(u'C', 50), -1);
    EXPECT_EQ(s.ReverseFind(u'T'), 5);
    EXPECT_EQ(s.FindOneOf(u"N."), 4);
    EXPECT_EQ(s.GetAt(100), 0);

    CString r(u"a,b,,c");
    EXPECT_EQ(r.Replace(u",", u";;"), 3);
    EXPECT_EQ(r, u"a;;b;;;;c");
    EXPECT_EQ(r.Remove(u';'), 6);
    EXPECT_EQ(r, u"abc");
    r.Insert(1, u"XY");
    EXPECT_EQ(r, u"aXYbc");
    r.Delete(1, 10);
    EXPECT_EQ(r, u"a");

    CString t(u"K1=10, K2=20");
    int pos = 0;
    EXPECT_EQ(t.Tokenize(u", ", pos), u"K1=10");
    EXPECT_EQ(t.Tokenize(u", ", pos), u"K2=20");
    EXPECT_EQ(t.Tokenize(u", ", pos), u"");
    EXPECT_EQ(pos, -1);

    EXPECT_EQ(CString(u"Even").CompareNoCase(u"EVEN"), 0);
    EXPECT_EQ(CString(u"ＡＢＣ").CompareNoCase(u"ａｂｃ"), 0);
    EXPECT_LT(CString(u"abc").CompareNoCase(u"ABD"), 0);
    EXPECT_EQ(CString(u"crlf").MakeUpper(), u"CRLF");

    CString b;
    char16_t* p = b.GetBuffer(10);
    p[0] = u'h';
    p[1] = u'i';
    p[2] = 0;
    b.ReleaseBuffer();
    EXPECT_EQ(b, u"hi");
}

TEST(NumberParsing, LenientAndSaturating)
{
    EXPECT_EQ(_wtoi(u"  42abc"), 42);
    EXPECT_EQ(_wtoi(u"-17"), -17);
    EXPECT_EQ(_wtoi(u"abc"), 0);
    EXPECT_EQ(_wtoi(u"99999999999999999999"), INT32_MAX);
    EXPECT_EQ(_wtoi(u"-99999999999999999999"), INT32_MIN);
    EXPECT_EQ(WideToInt64(u"9223372036854775808"), INT64_MAX);
    EXPECT_EQ(WideToInt64(u"-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(WideToLong(u"ff", nullptr, 16), 255);
    const char16_t* end = nullptr;
    EXPECT_DOUBLE_EQ(WideToDouble(u" -12.5e1x", &end), -125.0);
    EXPECT_EQ(*end, u'x');
    EXPECT_DOUBLE_EQ(WideToDouble(u".5"), 0.5);
    EXPECT_DOUBLE_EQ(WideToDouble(u"1e"), 1.0);
}

}  // namespace
