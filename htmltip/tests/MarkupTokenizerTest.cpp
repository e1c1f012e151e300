// Tokenizer, attribute reader, text preparation with entities, and the tag table.
#include "htmltip/MarkupScanner.h"
#include "htmltip/MarkupTokenizer.h"
#include "htmltip/MarkupVocabulary.h"
#include "htmltip/tests/FakeCanvas.h"

#include <gtest/gtest.h>

using namespace htmltip;
using htmltip::test::ToNarrow;

namespace {

// Runs as "[text]", tags as "<name|parameters>".
std::string Tokens(std::u16string_view text)
{
    MarkupTokenizer tokenizer(text);
    MarkupToken token;
    std::string out;
    while (tokenizer.Next(token)) {
        if (!token.run.empty()) out += "[" + ToNarrow(token.run) + "]";
        if (token.hasTag) out += "<" + ToNarrow(token.tagName) + "|" + ToNarrow(token.parameters) + ">";
    }
    return out;
}

TEST(MarkupTokenizer, CutsRunsAndTags)
{
    const struct {
        const char* name;
        const char16_t* text;
        const char* tokens;
    } cases[] = {
        {"plain text", u"plain", "[plain]"},
        {"empty text", u"", ""},
        {"run, tag, run, closing tag", u"a<b>c</b>", "[a]<b|>[c]</b|>"},
        {"parameters after a blank", u"<font color=red>x", "<font|color=red>[x]"},
        {"parameters from the equals sign", u"<br=3>", "<br|=3>"},
        {"blanks before parameters dropped", u"<br  =3>", "<br|=3>"},
        {"blank after the name only", u"<b >x", "<b|>[x]"},
        {"escaped less-than", u"a<<b", "[a<b]"},
        {"less-than at the very end", u"a<", "[a<]"},
        {"less-than alone", u"<", "[<]"},
        {"less-than without greater-than is dropped", u"a<b c", "[ab c]"},
        {"empty tag shows the greater-than", u"a<>b", "[a>b]"},
        {"three less-thans: escape then tag", u"x<<<b>y", "[x<]<b|>[y]"},
        {"greater-than after a tag is text", u"<b>>", "<b|>[>]"},
        {"tag text runs to the first greater-than", u"<a href=\"x>y\">", "<a|href=\"x>[y\">]"},
        {"many less-thans without greater-than", u"a<b<c<d", "[abcd]"},
        {"less-thans before one greater-than", u"a<b<c>d", "[a]<b<c|>[d]"},
        {"stray less-than after a tag", u"<x>y<z", "<x|>[yz]"},
        {"tags after a stray less-than", u"a<b>c<d<e>f<g>h<", "[a]<b|>[c]<d<e|>[f]<g|>[h<]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Tokens(c.text), c.tokens);
    }
}

TEST(MarkupAttributeReader, ReadsNamesAndValues)
{
    const struct {
        const char* name;
        const char16_t* parameters;
        const char* attributes;
    } cases[] = {
        {"two plain values", u"color=red size=2", "color=red;size=2;"},
        {"double quotes keep blanks", u"face=\"Courier New\" size=3", "face=Courier New;size=3;"},
        {"single quotes", u"face='a b'", "face=a b;"},
        {"name without value", u"nowrap", "nowrap=;"},
        {"blanks around the equals sign", u"  size = 4 ", "size=4;"},
        {"unterminated quote runs to the end", u"face=\"open", "face=open;"},
        {"name without value then another", u"a=1 b", "a=1;b=;"},
        {"leading punctuation skipped", u"-x=1", "x=1;"},
        {"empty", u"", ""},
        {"only punctuation", u"=\"'", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MarkupAttributeReader reader(c.parameters);
        MarkupAttribute attribute;
        std::string out;
        while (reader.Next(attribute)) out += ToNarrow(attribute.name) + "=" + ToNarrow(attribute.value) + ";";
        EXPECT_EQ(out, c.attributes);
    }
}

TEST(MarkupVocabulary, PreparesEntitiesAndLineBreaks)
{
    const MarkupVocabulary vocabulary;
    const struct {
        const char* name;
        const char16_t* text;
        bool newLineAsBreak;
        const char16_t* prepared;
    } cases[] = {
        {"amp", u"a &amp; b", true, u"a & b"},
        {"lt becomes the escaped less-than", u"&lt;b&gt;", true, u"<<b>"},
        {"escaped entity text ends as a literal less-than", u"a &amp;lt;b&amp;gt; c", true, u"a <<b> c"},
        {"nbsp is an ordinary blank", u"a&nbsp;b", true, u"a b"},
        {"quote", u"&quot;x&quot;", true, u"\"x\""},
        {"bullet is the 1252 code unit", u"&bull;", true, u"\x0095"},
        {"euro is the 1252 code unit", u"&euro;", true, u"\x0080"},
        {"trade is the 1252 code unit", u"&trade;", true, u"\x0099"},
        {"copy, reg, para, pound, iquest", u"&copy;&reg;&para;&pound;&iquest;", true, u"\x00A9\x00AE\x00B6\x00A3\x00BF"},
        {"unknown entity stays", u"&nosuch; & &amp", true, u"&nosuch; & &amp"},
        {"entities are case-sensitive", u"&AMP;", true, u"&AMP;"},
        {"carriage return removed, line feed breaks", u"a\r\nb", true, u"a<br>b"},
        {"tab becomes a tab tag", u"a\tb", true, u"a<t>b"},
        {"option off removes line feeds and tabs", u"a\nb\tc\r", false, u"abc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vocabulary.PrepareText(c.text, c.newLineAsBreak), std::u16string(c.prepared));
    }
}

TEST(MarkupVocabulary, LooksUpTags)
{
    const MarkupVocabulary vocabulary;
    const struct {
        const char16_t* tag;
        TagKind kind;
        const char16_t* style;
        bool closing;
    } cases[] = {
        {u"b", TagKind::Bold, u"bold", false},
        {u"/b", TagKind::Bold, u"bold", true},
        {u"B", TagKind::None, u"", false},
        {u"em", TagKind::Italic, u"italic", false},
        {u"/strike", TagKind::StrikeOut, u"strikeout", true},
        {u"middle", TagKind::VCenter, u"vcenter", false},
        {u"/bottom", TagKind::Bottom, u"vcenter", true},
        {u"h3", TagKind::NamedStyle, u"h3", false},
        {u"sup", TagKind::NamedStyle, u"sup", false},
        {u"span", TagKind::Span, u"span", false},
        {u"a", TagKind::Link, u"link", false},
        {u"hr", TagKind::Rule, u"", false},
        {u"\n", TagKind::Break, u"", false},
        {u"\t", TagKind::Tab, u"", false},
        {u"ilst", TagKind::ImageList, u"", false},
        {u"string", TagKind::String, u"", false},
        {u"p", TagKind::None, u"", false},
        {u"table", TagKind::None, u"", false},
        {u"", TagKind::None, u"", false},
        {u"/", TagKind::None, u"", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToNarrow(c.tag));
        const TagInfo info = vocabulary.LookupTag(c.tag);
        EXPECT_EQ(info.kind, c.kind);
        EXPECT_EQ(info.styleName, std::u16string(c.style));
        EXPECT_EQ(info.closing, c.closing);
    }
}

TEST(MarkupScanner, PrimitivesStopAtTheEnd)
{
    MarkupScanner scanner(u"  ab=cd");
    EXPECT_EQ(scanner.TakeWord(), u"ab");
    EXPECT_TRUE(scanner.SkipBlanksAndTake(u'='));
    EXPECT_EQ(scanner.SkipToOneOf(u"#"), u'\0');
    EXPECT_TRUE(scanner.AtEnd());
    EXPECT_FALSE(scanner.SkipToWordStart());
    EXPECT_FALSE(scanner.SkipBlanksAndTake(u'\0'));

    MarkupScanner operators(u" *x");
    EXPECT_TRUE(operators.SkipToWordStart(true));
    EXPECT_EQ(operators.Peek(), u'*');
}

TEST(ParseUnsignedNumber, ReadsTheBaseFromThePrefix)
{
    const struct {
        const char16_t* text;
        std::uint32_t value;
        bool digits;
    } cases[] = {
        {u"255", 255, true},     {u"0x1F", 31, true},     {u"0XfF", 255, true},       {u"017", 15, true},
        {u"019", 1, true},       {u"0x", 0, true},        {u"12px", 12, true},        {u"abc", 0, false},
        {u"", 0, false},         {u"99999999999", 0xFFFFFFFFu, true},                 {u"0xFFFFFFFFFF", 0xFFFFFFFFu, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToNarrow(c.text));
        bool digits = false;
        EXPECT_EQ(ParseUnsignedNumber(c.text, &digits), c.value);
        EXPECT_EQ(digits, c.digits);
    }
}

}  // namespace
