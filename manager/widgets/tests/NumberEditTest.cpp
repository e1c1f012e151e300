#include "WidgetTestSupport.h"

#include "manager/widgets/NumberEdit.h"
#include "platform/ui/Button.h"

#include <QClipboard>
#include <QGuiApplication>

#include <cmath>
#include <limits>
#include <string>

namespace {

using widgettest::HostDialog;
using widgettest::ScopedNumberLocale;

constexpr int kEditId = 100;
constexpr int kOtherId = 101;
constexpr char16_t kUnicodeMinus = u'\u2212';

std::string Narrow(const CString& text)
{
    std::string out;
    for (const char16_t ch : text.view()) out += ch < 0x80 ? static_cast<char>(ch) : '?';
    return out;
}

// A host with the field under test and a second edit to move the focus to.
class NumberEditFixture {
public:
    explicit NumberEditFixture(NumberEditVariant variant = NumberEditVariant::Manager) : edit(variant)
    {
        EXPECT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, RECT{10, 10, 150, 32},
                                &host, kEditId));
        EXPECT_TRUE(other.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, RECT{10, 40, 150, 62}, &host, kOtherId));
        edit.SetFocus();
    }

    // Each character as the character message a key gives.
    void TypeChars(std::u16string_view text)
    {
        for (const char16_t ch : text) edit.SendMessage(WM_CHAR, ch, 1);
        uitest::Pump(0);
    }

    void SetTextAndCaretAtEnd(const CString& text)
    {
        edit.SetWindowText(text);
        edit.SetSel(text.GetLength(), text.GetLength());
    }

    CString Text() const
    {
        CString text;
        edit.GetWindowText(text);
        return text;
    }

    HostDialog host;
    CNumberEdit edit;
    CEdit other;
};

struct TypingCase {
    const char* name;
    int mode;
    int realWidth;
    int decimals;
    int intWidth;
    char16_t separator;
    char16_t minus;
    const char16_t* before;
    int selStart;  // -1: the caret at the end
    int selEnd;
    const char16_t* typed;
    const char16_t* expected;
};

TEST(NumberEditTest, TypingFilterOfManagerFields)
{
    const TypingCase cases[] = {
        {"digits in a real field", 0, 4, 2, 8, u'.', u'-', u"", -1, -1, u"12", u"12"},
        {"letters and blanks refused", 0, 4, 2, 8, u'.', u'-', u"", -1, -1, u"1a B2", u"12"},
        {"separator once in a real field", 0, 4, 2, 8, u'.', u'-', u"", -1, -1, u"1.2.3", u"1.23"},
        {"separator refused in an integer field", 1, 4, 2, 8, u'.', u'-', u"", -1, -1, u"1.2", u"12"},
        {"minus typed after digits is undone", 0, 4, 2, 8, u'.', u'-', u"", -1, -1, u"12-", u"12"},
        {"second minus refused", 0, 4, 2, 8, u'.', u'-', u"", -1, -1, u"--5", u"-5"},
        {"real 4 and 2 takes six digits", 0, 4, 2, 8, u'.', u'-', u"", -1, -1, u"12345678", u"123456"},
        {"real 4 and 2 with sign and separator", 0, 4, 2, 8, u'.', u'-', u"", -1, -1, u"-1234.567", u"-1234.56"},
        {"decimals not limited while typing", 0, 4, 2, 8, u'.', u'-', u"", -1, -1, u"1.2345", u"1.2345"},
        {"integer 8 takes eight digits and a sign", 1, 4, 2, 8, u'.', u'-', u"", -1, -1, u"-123456789", u"-12345678"},
        {"never more than nine characters", 0, 10, 5, 8, u'.', u'-', u"", -1, -1, u"1234567890", u"123456789"},
        {"locale comma accepted once", 0, 4, 2, 8, u',', u'-', u"", -1, -1, u"1,5,", u"1,5"},
        {"full stop refused where the separator is a comma", 0, 4, 2, 8, u',', u'-', u"", -1, -1, u"1.5", u"15"},
        {"locale minus sign typed", 0, 4, 2, 8, u'.', kUnicodeMinus, u"", -1, -1, u"\u22125", u"\u22125"},
        {"hyphen refused where the minus sign is another", 0, 4, 2, 8, u'.', kUnicodeMinus, u"", -1, -1, u"-5", u"5"},
        {"full field refuses a digit", 0, 4, 2, 8, u'.', u'-', u"123456", -1, -1, u"7", u"123456"},
        {"selected digit of a full field is replaced", 0, 4, 2, 8, u'.', u'-', u"123456", 2, 3, u"9", u"129456"},
        {"backspace works in a full field", 0, 4, 2, 8, u'.', u'-', u"123456", -1, -1, u"\b", u"12345"},
        {"control characters refused", 0, 4, 2, 8, u'.', u'-', u"12", -1, -1, u"\x01\x03\x16\x18\x1a\r\t", u"12"},
    };
    QGuiApplication::clipboard()->setText(QStringLiteral("77"));
    for (const TypingCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedNumberLocale locale(c.separator, c.minus);
        NumberEditFixture f;
        ASSERT_TRUE(f.edit.SetMode(c.mode));
        f.edit.SetRealFormat(c.realWidth, c.decimals);
        f.edit.SetDigits(c.intWidth, c.decimals);
        f.edit.SetRealFormat(c.realWidth, c.decimals);
        f.SetTextAndCaretAtEnd(c.before);
        if (c.selStart >= 0) f.edit.SetSel(c.selStart, c.selEnd);
        f.TypeChars(c.typed);
        EXPECT_EQ(Narrow(f.Text()), Narrow(CString(c.expected)));
    }
}

TEST(NumberEditTest, TypingFilterOfSimulatorFields)
{
    const TypingCase cases[] = {
        {"nine digits in an integer field", 1, 4, 2, 8, u'.', u'-', u"", -1, -1, u"1234567890", u"123456789"},
        {"a full field refuses although all is selected", 1, 4, 2, 8, u'.', u'-', u"123456789", 0, 9, u"1",
         u"123456789"},
        {"ten characters with a sign", 0, 4, 2, 8, u'.', u'-', u"", -1, -1, u"-1234567890", u"-123456789"},
        {"eleven with a sign and a full stop", 0, 4, 2, 8, u'.', u'-', u"", -1, -1, u"-12345678.901", u"-12345678.9"},
        {"a comma separator does not raise the allowance", 0, 4, 2, 8, u',', u'-', u"", -1, -1, u"12345678,9",
         u"12345678,"},
        {"the hyphen is the minus sign whatever the locale", 0, 4, 2, 8, u'.', kUnicodeMinus, u"", -1, -1,
         u"\u2212-5", u"-5"},
        {"minus after digits is undone", 1, 4, 2, 8, u'.', u'-', u"", -1, -1, u"12-", u"12"},
        {"separator refused in an integer field", 1, 4, 2, 8, u'.', u'-', u"", -1, -1, u"1.2", u"12"},
    };
    for (const TypingCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedNumberLocale locale(c.separator, c.minus);
        NumberEditFixture f(NumberEditVariant::Simulator);
        ASSERT_TRUE(f.edit.SetMode(c.mode));
        f.SetTextAndCaretAtEnd(c.before);
        if (c.selStart >= 0) f.edit.SetSel(c.selStart, c.selEnd);
        f.TypeChars(c.typed);
        EXPECT_EQ(Narrow(f.Text()), Narrow(CString(c.expected)));
    }
}

TEST(NumberEditTest, KeysTypedThroughTheKeyboardPassTheFilter)
{
    NumberEditFixture f;
    uitest::DialogDriver driver(f.host.GetSafeHwnd());
    driver.Type(kEditId, u"1x2.5.6");
    EXPECT_EQ(Narrow(f.Text()), "12.56");
    driver.Key(Qt::Key_Backspace);
    EXPECT_EQ(Narrow(f.Text()), "12.5");
}

struct ValueCase {
    const char* name;
    int mode;
    char16_t separator;
    char16_t minus;
    // What is done to the field: a value set, or a text reformatted.
    enum class Action { SetReal, SetInt, Reformat } action;
    double value;
    const char16_t* text;
    const char16_t* expected;
};

TEST(NumberEditTest, ValuesAreClampedAndFormatted)
{
    using A = ValueCase::Action;
    const ValueCase cases[] = {
        {"rounded to the decimals", 0, u'.', u'-', A::SetReal, 12.346, u"", u"12.35"},
        {"above the maximum", 0, u'.', u'-', A::SetReal, 99999, u"", u"9999.00"},
        {"below the minimum", 0, u'.', u'-', A::SetReal, -99999, u"", u"-9999.00"},
        {"a negative value rounding to zero has no sign", 0, u'.', u'-', A::SetReal, -0.001, u"", u"0.00"},
        {"not a number counts as zero", 0, u'.', u'-', A::SetReal, std::nan(""), u"", u"0.00"},
        {"infinity is clamped", 0, u'.', u'-', A::SetReal, std::numeric_limits<double>::infinity(), u"", u"9999.00"},
        {"integer above the maximum", 1, u'.', u'-', A::SetInt, 2000000000, u"", u"999999999"},
        {"empty real field", 0, u'.', u'-', A::Reformat, 0, u"", u"0.00"},
        {"empty integer field", 1, u'.', u'-', A::Reformat, 0, u"", u"0"},
        {"pasted letters keep the leading number", 0, u'.', u'-', A::Reformat, 0, u"12abc", u"12.00"},
        {"text without a number", 1, u'.', u'-', A::Reformat, 0, u"abc", u"0"},
        {"integer field drops the decimals", 1, u'.', u'-', A::Reformat, 0, u"12.7", u"12"},
        {"huge exponent is clamped", 0, u'.', u'-', A::Reformat, 0, u"1e999", u"9999.00"},
        {"locale comma written", 0, u',', u'-', A::SetReal, 1.5, u"", u"1,50"},
        {"locale comma read", 0, u',', u'-', A::Reformat, 0, u"2,25", u"2,25"},
        {"locale minus written", 0, u'.', kUnicodeMinus, A::SetReal, -1.5, u"", u"\u22121.50"},
        {"locale minus read", 1, u'.', kUnicodeMinus, A::Reformat, 0, u"\u22127", u"\u22127"},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedNumberLocale locale(c.separator, c.minus);
        NumberEditFixture f;
        ASSERT_TRUE(f.edit.SetMode(c.mode));
        switch (c.action) {
        case A::SetReal: f.edit.SetRealValue(c.value); break;
        case A::SetInt: f.edit.SetIntValue(static_cast<int>(c.value)); break;
        case A::Reformat:
            f.edit.SetWindowText(c.text);
            f.edit.Reformat();
            break;
        }
        EXPECT_EQ(Narrow(f.Text()), Narrow(CString(c.expected)));
    }
}

TEST(NumberEditTest, ReadingTakesTheLeadingNumberInTheUsersCharacters)
{
    ScopedNumberLocale locale(u',', kUnicodeMinus);
    NumberEditFixture f;
    f.edit.SetWindowText(u"\u22123,75xyz");
    EXPECT_DOUBLE_EQ(f.edit.GetRealValue(), -3.75);
    EXPECT_EQ(f.edit.GetIntValue(), -3);
    f.edit.SetWindowText(u"99999999999");
    EXPECT_EQ(f.edit.GetIntValue(), std::numeric_limits<int>::max());
}

TEST(NumberEditTest, SettersRefuseWhatIsOutOfTheirLimits)
{
    NumberEditFixture manager;
    NumberEditFixture simulator(NumberEditVariant::Simulator);
    EXPECT_TRUE(manager.edit.SetRealFormat(6, 2));
    EXPECT_FALSE(manager.edit.SetRealFormat(2, 6));
    EXPECT_FALSE(manager.edit.SetRealFormat(11, 2));
    EXPECT_FALSE(manager.edit.SetRealFormat(12, 0));
    EXPECT_TRUE(simulator.edit.SetRealFormat(12, 0));
    EXPECT_TRUE(simulator.edit.SetRealFormat(14, 5));
    EXPECT_FALSE(simulator.edit.SetRealFormat(15, 2));
    EXPECT_FALSE(manager.edit.SetMode(2));
    EXPECT_FALSE(manager.edit.SetIntRange(5, 5));

    // Width 10 sets the real format only.
    EXPECT_FALSE(manager.edit.SetDigits(10, 2));
    EXPECT_TRUE(manager.edit.FitsFormat(u"1234567890.12"));
    manager.edit.SetMode(CNumberEdit::kIntegerMode);
    EXPECT_TRUE(manager.edit.FitsFormat(u"-12345678"));
    EXPECT_FALSE(manager.edit.FitsFormat(u"123456789"));
}

TEST(NumberEditTest, RealRangeSetsTheIntegerRangeTruncated)
{
    NumberEditFixture f;
    // Both truncate to 0: only the real range is stored.
    EXPECT_FALSE(f.edit.SetRealRange(0.5, 0.1));
    f.edit.SetRealValue(0.9);
    EXPECT_EQ(Narrow(f.Text()), "0.50");
    f.edit.SetMode(CNumberEdit::kIntegerMode);
    f.edit.SetIntValue(5);
    EXPECT_EQ(Narrow(f.Text()), "5");

    EXPECT_TRUE(f.edit.SetRealRange(300, 0));
    f.edit.SetIntValue(500);
    EXPECT_EQ(Narrow(f.Text()), "300");
    f.edit.SetIntValue(-5);
    EXPECT_EQ(Narrow(f.Text()), "0");

    // Bounds beyond int saturate instead of overflowing.
    EXPECT_TRUE(f.edit.SetRealRange(1e12, -1e12));
    f.edit.SetIntValue(std::numeric_limits<int>::max());
    EXPECT_EQ(Narrow(f.Text()), "2147483647");
}

TEST(NumberEditTest, ModeAndFormatChangesRewriteTheText)
{
    NumberEditFixture f;
    f.edit.SetWindowText(u"12.5");
    f.edit.SetMode(CNumberEdit::kIntegerMode);
    EXPECT_EQ(Narrow(f.Text()), "12");
    f.edit.SetMode(CNumberEdit::kRealMode);
    EXPECT_EQ(Narrow(f.Text()), "12.00");
    f.edit.SetRealFormat(6, 3);
    EXPECT_EQ(Narrow(f.Text()), "12.000");
}

TEST(NumberEditTest, FocusLossReformats)
{
    NumberEditFixture f;
    f.TypeChars(u"7.1");
    f.other.SetFocus();
    uitest::Pump(0);
    EXPECT_EQ(Narrow(f.Text()), "7.10");
}

TEST(NumberEditTest, PastedTextStaysUntilReformattedAndAMisplacedSignIsUndone)
{
    NumberEditFixture f;
    QGuiApplication::clipboard()->setText(QStringLiteral("12abc"));
    f.edit.SendMessage(WM_PASTE);
    EXPECT_EQ(Narrow(f.Text()), "12abc");
    f.other.SetFocus();
    uitest::Pump(0);
    EXPECT_EQ(Narrow(f.Text()), "12.00");

    // A paste that would put a sign inside the number leaves what was there.
    f.SetTextAndCaretAtEnd(u"5");
    QGuiApplication::clipboard()->setText(QStringLiteral("-3"));
    f.edit.SendMessage(WM_PASTE);
    EXPECT_EQ(Narrow(f.Text()), "5");
}

TEST(NumberEditTest, RepairEndsWhenTheTextBeforeWasNoBetter)
{
    NumberEditFixture f;
    {
        // Under another minus sign "1-2" is an ordinary text.
        ScopedNumberLocale other(u'.', kUnicodeMinus);
        f.SetTextAndCaretAtEnd(u"1-2");
    }
    ScopedNumberLocale hyphen(u'.', u'-');
    f.TypeChars(u"3");
    EXPECT_EQ(Narrow(f.Text()), "123");
}

// A dialog that counts its default button.
class DefaultButtonDialog : public CDialog {
public:
    int okCount = 0;
    void OnOK() override { ++okCount; }
};

TEST(NumberEditTest, EnterReformatsAndStillPressesTheDefaultButton)
{
    platform::DialogTemplate t;
    t.extended = true;
    t.style = WS_POPUP | WS_CAPTION | DS_SETFONT;
    t.cx = 200;
    t.cy = 80;
    t.hasFont = true;
    t.pointSize = 9;
    t.faceName = u"MS Shell Dlg";
    platform::DialogItemTemplate edit;
    edit.className = u"Edit";
    edit.id = kEditId;
    edit.style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP;
    edit.x = 5;
    edit.y = 5;
    edit.cx = 80;
    edit.cy = 12;
    t.items.push_back(edit);
    platform::DialogItemTemplate ok;
    ok.className = u"Button";
    ok.id = IDOK;
    ok.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
    ok.x = 100;
    ok.y = 50;
    ok.cx = 50;
    ok.cy = 14;
    ok.text = platform::TemplateName::Text(u"OK");
    t.items.push_back(ok);

    DefaultButtonDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(t));
    dialog.ShowWindow(SW_SHOW);
    CNumberEdit field;
    ASSERT_TRUE(field.SubclassDlgItem(kEditId, &dialog));
    uitest::DialogDriver driver(dialog.GetSafeHwnd());
    driver.Type(kEditId, u"5");
    driver.Key(Qt::Key_Return);
    CString text;
    field.GetWindowText(text);
    EXPECT_EQ(Narrow(text), "5.00");
    EXPECT_EQ(dialog.okCount, 1);
    dialog.DestroyWindow();
    uitest::FlushDeletedWidgets();
}

TEST(NumberEditTest, ColoursComeFromTheFieldOnlyOnceSet)
{
    NumberEditFixture f;
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    CDC* dc = &memory;
    // Without a brush the parent's colours apply.
    EXPECT_FALSE(f.edit.SendMessage(WM_REFLECT_BASE + WM_CTLCOLOR, dc->GetSafeHdc().ToWParam(), CTLCOLOR_EDIT));
    f.edit.SetBackColour(RGB(255, 204, 204), FALSE);
    f.edit.SetTextColour(RGB(0, 0, 128), FALSE);
    EXPECT_TRUE(f.edit.SendMessage(WM_REFLECT_BASE + WM_CTLCOLOR, dc->GetSafeHdc().ToWParam(), CTLCOLOR_EDIT));
    EXPECT_EQ(dc->GetBkColor(), RGB(255, 204, 204));
    EXPECT_EQ(dc->GetTextColor(), RGB(0, 0, 128));
}

}  // namespace
