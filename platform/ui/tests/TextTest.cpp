// Fonts, metrics, extents and formatted text.
#include "DrawTestSupport.h"

#include <QFontInfo>

namespace {

using drawtest::MemoryCanvas;

LOGFONT Face(const char16_t* face, int height, BYTE charSet = DEFAULT_CHARSET, int weight = FW_NORMAL)
{
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = charSet;
    for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
    return lf;
}

// Selects a font into a canvas for the length of a scope.
class FontScope {
public:
    FontScope(CDC& dc, const LOGFONT& lf) : m_dc(dc)
    {
        m_font.CreateFontIndirect(&lf);
        m_old = dc.SelectObject(&m_font);
    }
    ~FontScope() { m_dc.SelectObject(m_old); }
    CFont& font() { return m_font; }

private:
    CDC& m_dc;
    CFont m_font;
    CFont* m_old;
};

TEST(FontSubstitution, FacesMapToInstalledFonts)
{
    struct Case {
        const char16_t* face;
        BYTE charSet;
        const char16_t* family;
    };
    const Case cases[] = {
        {u"Tahoma", DEFAULT_CHARSET, u"DejaVu Sans"},
        {u"verdana", ANSI_CHARSET, u"DejaVu Sans"},
        {u"MS UI Gothic", DEFAULT_CHARSET, u"IPAPGothic"},
        {u"MS UI Gothic", SHIFTJIS_CHARSET, u"IPAPGothic"},
        {u"MS Gothic", SHIFTJIS_CHARSET, u"IPAGothic"},
        {u"ＭＳ ゴシック", SHIFTJIS_CHARSET, u"IPAGothic"},
        {u"ＭＳ Ｐゴシック", SHIFTJIS_CHARSET, u"IPAPGothic"},
        {u"Meiryo", DEFAULT_CHARSET, u"IPAPGothic"},
        {u"@MS UI Gothic", SHIFTJIS_CHARSET, u"IPAPGothic"},
        {u"tahoma", SHIFTJIS_CHARSET, u"IPAPGothic"},  // a Latin face with the Japanese set
        {u"Courier New", ANSI_CHARSET, u"DejaVu Sans Mono"},
        {u"Times New Roman", ANSI_CHARSET, u"DejaVu Serif"},
        {u"No Such Face", ANSI_CHARSET, u"DejaVu Sans"},
        {u"", SHIFTJIS_CHARSET, u"IPAPGothic"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CString(c.face).ToUtf8() + " / " + std::to_string(c.charSet));
        EXPECT_EQ(platform::SubstituteFontFace(CString(c.face), c.charSet), CString(c.family));
        const LOGFONT lf = Face(c.face, -12, c.charSet);
        CFont font;
        ASSERT_TRUE(font.CreateFontIndirect(&lf));
        EXPECT_EQ(QFontInfo(platform::FontFromHandle(font)).family(), QString::fromUtf16(c.family))
            << "the font actually used";
    }
}

TEST(FontMetrics, NegativeHeightIsTheCharacterHeightPositiveTheCell)
{
    MemoryCanvas canvas(10, 10);
    for (const char16_t* face : {u"Tahoma", u"MS UI Gothic"}) {
        SCOPED_TRACE(CString(face).ToUtf8());
        TEXTMETRIC tm;
        {
            FontScope f(canvas.dc(), Face(face, -16));
            ASSERT_TRUE(canvas.dc().GetTextMetrics(&tm));
            EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 16);
            EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        }
        {
            FontScope f(canvas.dc(), Face(face, 20));
            ASSERT_TRUE(canvas.dc().GetTextMetrics(&tm));
            EXPECT_NEAR(tm.tmHeight, 20, 1);
        }
    }
    FontScope bold(canvas.dc(), Face(u"Tahoma", -12, DEFAULT_CHARSET, FW_BOLD));
    TEXTMETRIC tm;
    ASSERT_TRUE(canvas.dc().GetTextMetrics(&tm));
    EXPECT_EQ(tm.tmWeight, FW_BOLD);
}

TEST(FontMetrics, PointFontsAreNinetySixDotsPerInch)
{
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, u"Tahoma"));
    LOGFONT lf;
    ASSERT_TRUE(font.GetLogFont(&lf));
    EXPECT_EQ(lf.lfHeight, -12);
}

TEST(TextExtent, AddsAdvancesJustificationAndCharacterExtra)
{
    MemoryCanvas canvas(10, 10);
    CDC& dc = canvas.dc();
    FontScope f(dc, Face(u"Tahoma", -13));
    for (const char16_t* text : {u"ab", u"Hello, World", u"0.123 mm/s", u"AVAWAV fi", u"日本語テキスト"}) {
        const CString s(text);
        int sum = 0;
        for (int i = 0; i < s.GetLength(); ++i) sum += dc.GetTextExtent(s.GetString() + i, 1).cx;
        EXPECT_EQ(dc.GetTextExtent(s).cx, sum) << s.ToUtf8();
    }
    const CSize ab = dc.GetTextExtent(CString(u"ab"));
    EXPECT_LT(dc.GetTextExtent(CString(u"iii")).cx, dc.GetTextExtent(CString(u"WWW")).cx);
    TEXTMETRIC tm;
    dc.GetTextMetrics(&tm);
    EXPECT_EQ(ab.cy, tm.tmHeight);

    const CString words(u"a b c");
    const int plain = dc.GetTextExtent(words).cx;
    dc.SetTextJustification(11, 2);
    EXPECT_EQ(dc.GetTextExtent(words).cx, plain + 11);
    dc.SetTextJustification(0, 0);
    dc.SetTextCharacterExtra(2);
    EXPECT_EQ(dc.GetTextExtent(words).cx, plain + 2 * words.GetLength());
    dc.SetTextCharacterExtra(0);
    EXPECT_EQ(dc.GetTextExtent(words).cx, plain);
}

TEST(FormattedText, CalcRectMeasuresLinesAndWraps)
{
    MemoryCanvas canvas(10, 10);
    CDC& dc = canvas.dc();
    FontScope f(dc, Face(u"Tahoma", -12));
    TEXTMETRIC tm;
    dc.GetTextMetrics(&tm);
    const int aaa = dc.GetTextExtent(CString(u"aaa bbb")).cx;

    struct Case {
        const char* name;
        const char16_t* text;
        UINT format;
        int width;
        int lines;
    };
    const Case cases[] = {
        {"one line", u"aaa bbb ccc", DT_SINGLELINE, 10, 1},
        {"line breaks", u"aaa\nbbb\r\nccc", 0, 10, 3},
        {"word wrap", u"aaa bbb ccc", DT_WORDBREAK, aaa + 2, 2},
        {"wrap every word", u"aaa bbb ccc", DT_WORDBREAK, 5, 3},
        {"Japanese wraps between characters", u"あいうえおかきくけこ", DT_WORDBREAK, 5 * 12 + 2, 2},
        {"single line ignores breaks", u"aaa\nbbb", DT_SINGLELINE | DT_WORDBREAK, 5, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RECT r{10, 20, 10 + c.width, 30};
        const int h = dc.DrawText(CString(c.text), &r, c.format | DT_CALCRECT);
        EXPECT_EQ(h, c.lines * tm.tmHeight);
        EXPECT_EQ(r.bottom - r.top, h);
        EXPECT_EQ(r.left, 10);
        EXPECT_EQ(r.top, 20);
    }
    RECT r{0, 0, 500, 0};
    dc.DrawText(CString(u"&File"), &r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.right, dc.GetTextExtent(CString(u"File")).cx) << "the prefix sign takes no room";
    r = RECT{0, 0, 500, 0};
    dc.DrawText(CString(u"&File"), &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(r.right, dc.GetTextExtent(CString(u"&File")).cx);
}

TEST(FormattedText, VerticalCentringReportsTheTextBottom)
{
    MemoryCanvas canvas(100, 60);
    CDC& dc = canvas.dc();
    FontScope f(dc, Face(u"Tahoma", -12));
    TEXTMETRIC tm;
    dc.GetTextMetrics(&tm);
    RECT r{0, 10, 100, 50};
    const int bottom = dc.DrawText(CString(u"x"), &r, DT_SINGLELINE | DT_VCENTER);
    EXPECT_EQ(bottom, (40 - tm.tmHeight) / 2 + tm.tmHeight);
}

void DrawTextScene(CDC& dc)
{
    CBrush frame(RGB(200, 200, 200));
    FontScope f(dc, Face(u"Tahoma", -12));
    dc.SetBkMode(TRANSPARENT);
    struct Cell {
        const char16_t* text;
        UINT format;
    };
    const Cell cells[] = {
        {u"Top left", DT_LEFT | DT_TOP | DT_SINGLELINE},
        {u"Centred", DT_CENTER | DT_VCENTER | DT_SINGLELINE},
        {u"Bottom right", DT_RIGHT | DT_BOTTOM | DT_SINGLELINE},
        {u"Words wrap inside the box", DT_WORDBREAK | DT_CENTER},
        {u"An ellipsis ends this text", DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER},
        {u"C:\\Folder\\Deeper\\file.trd", DT_PATH_ELLIPSIS | DT_SINGLELINE | DT_VCENTER},
        {u"&File && more", DT_SINGLELINE | DT_VCENTER | DT_CENTER},
        {u"a\tb\tc", DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER},
        {u"日本語の表示", DT_CENTER | DT_VCENTER | DT_SINGLELINE},
    };
    int i = 0;
    for (const Cell& c : cells) {
        RECT r{4 + (i % 3) * 100, 4 + (i / 3) * 44, 4 + (i % 3) * 100 + 92, 4 + (i / 3) * 44 + 38};
        dc.FrameRect(&r, &frame);
        dc.DrawText(CString(c.text), &r, c.format);
        ++i;
    }
    // Opaque background, alignment at a reference point, and a turned font.
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(RGB(255, 255, 160));
    dc.SetTextColor(RGB(0, 0, 160));
    dc.SetTextAlign(TA_RIGHT | TA_BASELINE);
    dc.TextOut(150, 160, CString(u"Right, baseline"));
    dc.SetTextAlign(TA_LEFT | TA_TOP);
    dc.MoveTo(0, 160);
    dc.LineTo(300, 160);
    LOGFONT turned = Face(u"MS UI Gothic", 12, SHIFTJIS_CHARSET);
    turned.lfEscapement = 900;
    turned.lfOrientation = 900;
    FontScope t(dc, turned);
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(280, 195, CString(u"速度[mm/s]"));
    dc.SetTextColor(RGB(0, 0, 0));
}

TEST(FormattedText, GoldenPlacement)
{
    MemoryCanvas canvas(308, 200);
    DrawTextScene(canvas.dc());
    const QImage img = canvas.Image();
    drawtest::ExpectMatchesGolden(img, "text_placement", 48, img.width() * img.height() / 200);
}

}  // namespace
