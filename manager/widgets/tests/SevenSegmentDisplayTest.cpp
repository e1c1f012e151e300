#include "WidgetTestSupport.h"

#include "manager/widgets/SevenSegmentDisplay.h"

#include <cmath>
#include <functional>
#include <string>

namespace {

using widgettest::HostDialog;
using widgettest::ScopedNumberLocale;

std::string Narrow(const CString& text)
{
    std::string out;
    for (const char16_t ch : text.view()) out += ch < 0x80 ? static_cast<char>(ch) : '?';
    return out;
}

struct FormatCase {
    const char* name;
    int digits;
    int decimals;
    char16_t separator;
    double value;
    const char* expected;
};

TEST(SevenSegmentDisplayTest, ValuesFitTheCellsOrShowOverflowMarks)
{
    const FormatCase cases[] = {
        {"three places and three decimals", 8, 3, u'.', 123.456, "123.456"},
        {"negative with the sign cell", 8, 3, u'.', -999.5, "-999.500"},
        {"a short value keeps its width", 8, 3, u'.', 1.5, "1.500"},
        {"too large", 8, 3, u'.', 1000, "^^^^^^^^"},
        {"too small", 8, 3, u'.', -1000, "vvvvvvvv"},
        {"rounding up past the places", 8, 3, u'.', 999.9996, "^^^^^^^^"},
        {"no decimals, no point", 8, 0, u'.', 1234567, "1234567"},
        {"no decimals, too large", 8, 0, u'.', 12345678, "^^^^^^^^"},
        {"the panel's three cells", 3, 0, u'.', 5, " 5"},
        {"the user's separator", 8, 3, u',', 12.5, "12,500"},
        {"not a number", 4, 1, u'.', std::nan(""), "----"},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedNumberLocale locale(c.separator, u'-');
        CSevenSegmentDisplay display;
        display.SetDigitCount(c.digits);
        display.SetDecimals(c.decimals);
        EXPECT_EQ(Narrow(display.FormatValue(c.value)), c.expected);
    }
}

TEST(SevenSegmentDisplayTest, CaptionBecomesTheDisplayedText)
{
    HostDialog host;
    CSevenSegmentDisplay display;
    ASSERT_TRUE(display.Create(u"12", WS_CHILD | WS_VISIBLE | SS_RIGHT, RECT{10, 10, 220, 50}, &host, 100));
    EXPECT_EQ(Narrow(display.GetText()), "12");
    CString caption;
    display.GetWindowText(caption);
    EXPECT_TRUE(caption.IsEmpty());
}

struct PictureCase {
    const char* name;
    DWORD alignment;
    char16_t separator;
    const char16_t* caption;
    std::function<void(CSevenSegmentDisplay&)> setUp;
};

TEST(SevenSegmentDisplayTest, Pictures)
{
    const PictureCase cases[] = {
        {"sevenseg_value", SS_RIGHT, u'.', u"", [](CSevenSegmentDisplay& d) { d.SetValue(123.456); }},
        {"sevenseg_negative", SS_RIGHT, u'.', u"", [](CSevenSegmentDisplay& d) { d.SetValue(-999.5); }},
        {"sevenseg_overflow_up", SS_RIGHT, u'.', u"", [](CSevenSegmentDisplay& d) { d.SetValue(1000); }},
        {"sevenseg_overflow_down", SS_RIGHT, u'.', u"", [](CSevenSegmentDisplay& d) { d.SetValue(-1000); }},
        {"sevenseg_right_aligned_12", SS_RIGHT, u'.', u"12", [](CSevenSegmentDisplay&) {}},
        {"sevenseg_left_aligned_12", SS_LEFT, u'.', u"12", [](CSevenSegmentDisplay&) {}},
        {"sevenseg_letters", SS_LEFT, u'.', u"HELP-_()", [](CSevenSegmentDisplay&) {}},
        {"sevenseg_inactive", SS_RIGHT, u'.', u"",
         [](CSevenSegmentDisplay& d) {
             d.SetValue(42.125);
             d.SetInactiveColor();
         }},
        {"sevenseg_comma_separator", SS_RIGHT, u',', u"", [](CSevenSegmentDisplay& d) { d.SetValue(7.25); }},
        {"sevenseg_full_stop_under_comma_locale", SS_LEFT, u',', u"1.5,2", [](CSevenSegmentDisplay&) {}},
    };
    for (const PictureCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedNumberLocale locale(c.separator, u'-');
        HostDialog host;
        CSevenSegmentDisplay display;
        // Eight cells of 24 pixels at a height of 40.
        ASSERT_TRUE(display.Create(c.caption, WS_CHILD | WS_VISIBLE | c.alignment, RECT{10, 10, 210, 50}, &host, 100));
        c.setUp(display);
        widgettest::ExpectMatchesGolden(widgettest::Picture(display), c.name);
    }
}

// Which of the cells of a picture hold a lit segment ("#") and which are dark
// ("."), looking only inside each cell, not in the gaps where points sit.
std::string LitCells(const QImage& picture, int cells, int height)
{
    const int margin = 3;
    const int width = static_cast<int>(height * 0.6);
    std::string out;
    for (int i = 0; i < cells; ++i) {
        bool lit = false;
        for (int x = margin + 5 + i * width; x <= width + 4 - margin + i * width && !lit; ++x) {
            for (int y = margin; y < height - 1 - margin && !lit; ++y) {
                lit = picture.pixel(x, y) == qRgb(0, 255, 0);
            }
        }
        out += lit ? '#' : '.';
    }
    return out;
}

TEST(SevenSegmentDisplayTest, RightAlignedTextEndsInTheLastCellWhateverSeparatorItHolds)
{
    struct Case {
        const char* name;
        char16_t separator;
        double value;
        const char16_t* caption;
        const char* lit;
    };
    const Case cases[] = {
        {"three decimals", u'.', 123.456, nullptr, "..######"},
        {"the user's comma", u',', 7.25, nullptr, "....####"},
        {"a negative value", u'.', -2.5, nullptr, "...#####"},
        {"no separator", u'.', 0, u"12", "......##"},
        {"a trailing separator keeps its cell", u'.', 0, u"12.", ".....##."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedNumberLocale locale(c.separator, u'-');
        HostDialog host;
        CSevenSegmentDisplay display;
        ASSERT_TRUE(display.Create(c.caption ? c.caption : u"", WS_CHILD | WS_VISIBLE | SS_RIGHT,
                                   RECT{10, 10, 210, 50}, &host, 100));
        if (!c.caption) display.SetValue(c.value);
        EXPECT_EQ(LitCells(widgettest::Picture(display), 8, 40), c.lit);
    }
}

TEST(SevenSegmentDisplayTest, ShapesFollowANewHeight)
{
    HostDialog host;
    CSevenSegmentDisplay display;
    ASSERT_TRUE(display.Create(u"", WS_CHILD | WS_VISIBLE | SS_RIGHT, RECT{10, 10, 210, 50}, &host, 100));
    display.SetDigitCount(4);
    display.SetDecimals(1);
    display.SetValue(-8.8);
    (void)widgettest::Picture(display);
    display.MoveWindow(10, 10, 160, 60);
    widgettest::ExpectMatchesGolden(widgettest::Picture(display), "sevenseg_resized");
}

}  // namespace
