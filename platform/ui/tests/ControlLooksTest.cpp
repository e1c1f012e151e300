// What a person sees of the controls: disabled texts in grey whatever colour
// their parent gives them, underlined mnemonic letters on labels that Alt
// follows, list headers to the list's edge, tree lines and buttons, and the
// border of a popup window that asks for one.
#include "platform/ui/tests/TestDialog.h"

#include <QApplication>
#include <QImage>
#include <QtTest/QTest>

namespace {

using uitest::DialogDriver;

QColor Color(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

bool Near(QRgb pixel, QColor color, int tolerance)
{
    return std::abs(qRed(pixel) - color.red()) <= tolerance && std::abs(qGreen(pixel) - color.green()) <= tolerance &&
           std::abs(qBlue(pixel) - color.blue()) <= tolerance;
}

int CountNear(const QImage& image, QColor color, int tolerance)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Near(image.pixel(x, y), color, tolerance)) ++n;
    return n;
}

// Pixels much darker than the system's grey text: text drawn black.
int CountDark(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 60) ++n;
    return n;
}

QImage Picture(QWidget* widget) { return widget ? widget->grab().toImage() : QImage(); }

class ControlLooksTest : public uitest::RecordingDialogTest {};

TEST_F(ControlLooksTest, DisabledTextsAndEditsAreGreyWhateverColourTheirParentGives)
{
    const QColor labelColor = Color(uitest::kLabelColor);
    const QColor grey = Color(::GetSysColor(COLOR_GRAYTEXT));
    struct Row {
        const char* name;
        int id;
    };
    // The label's parent colours it blue; the edit's parent leaves the
    // default black.
    const Row rows[] = {{"coloured label", IDC_LABEL}, {"edit", IDC_NAME}, {"read-only edit", IDC_READONLY}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QWidget* widget = D().Widget(row.id);
        const QImage enabled = Picture(widget);
        if (row.id == IDC_LABEL) {
            EXPECT_GT(CountNear(enabled, labelColor, 40), 5) << "the label is not in its colour";
        } else {
            EXPECT_GT(CountDark(enabled), 5) << "the edit's text is not black";
        }
        m_dlg.GetDlgItem(row.id)->EnableWindow(FALSE);
        uitest::Pump(0);
        const QImage disabled = Picture(widget);
        disabled.save(QString::fromStdString(uitest::ArtifactFolder("ui") + "/disabled-" + std::to_string(row.id) + ".png"));
        EXPECT_EQ(CountNear(disabled, labelColor, 40), 0);
        EXPECT_EQ(CountDark(disabled), 0) << "disabled text is drawn black";
        EXPECT_GT(CountNear(disabled, grey, 40), 5) << "disabled text is not grey";
        m_dlg.GetDlgItem(row.id)->EnableWindow(TRUE);
    }
    // Inside a disabled window (an owner while a modal dialog is up), a
    // control keeps its colours.
    m_dlg.EnableWindow(FALSE);
    uitest::Pump(0);
    EXPECT_GT(CountNear(Picture(D().Widget(IDC_LABEL)), labelColor, 40), 5);
    EXPECT_GT(CountDark(Picture(D().Widget(IDC_NAME))), 5);
    m_dlg.EnableWindow(TRUE);
}

TEST_F(ControlLooksTest, LabelMnemonicsAreUnderlinedAndAltWithTheLetterFocusesTheControlAfterThem)
{
    for (const char* lang : uitest::kLanguages) {
        SCOPED_TRACE(lang);
        uitest::ScopedResources resources(u"uitest", lang);
        uitest::AllControlsDialog dlg;
        ASSERT_TRUE(dlg.Create(IDD_ALL_CONTROLS));
        dlg.ShowWindow(SW_SHOW);
        uitest::Pump(0);
        DialogDriver d(dlg.GetSafeHwnd());
        // The label's lowest drawn row is the underline: a run wider than
        // any stroke of its letters at the baseline.
        const QImage label = Picture(d.Widget(IDC_LABEL));
        const QColor color = Color(uitest::kLabelColor);
        int longestAtBottom = 0;
        for (int y = label.height() - 1; y >= 0 && longestAtBottom == 0; --y) {
            int run = 0;
            for (int x = 0; x < label.width(); ++x) {
                run = Near(label.pixel(x, y), color, 60) ? run + 1 : 0;
                longestAtBottom = std::max(longestAtBottom, run);
            }
        }
        EXPECT_GE(longestAtBottom, 5) << "no underlined letter";
        CString text;
        dlg.GetDlgItem(IDC_LABEL)->GetWindowText(text);
        EXPECT_NE(text.Find(u'&'), -1) << "the label keeps its text with the mnemonic";

        ::SetFocus(d.Item(IDC_APPLY));
        ASSERT_EQ(d.Focus(), IDC_APPLY);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
        uitest::Pump(0);
        EXPECT_EQ(d.Focus(), IDC_NAME);
        dlg.DestroyWindow();
        uitest::FlushDeletedWidgets();
    }
}

TEST_F(ControlLooksTest, AListHeaderReachesTheListsRightEdge)
{
    QWidget* list = D().Widget(IDC_TABLE);
    ASSERT_NE(list, nullptr);
    const QImage picture = Picture(list);
    const QColor base = list->palette().color(QPalette::Base);
    // Along the header's middle row, right of the last column, no pixel is
    // the list's background: the header goes on to the edge.
    CListCtrl* table = static_cast<CListCtrl*>(m_dlg.GetDlgItem(IDC_TABLE));
    CRect headerRect;
    table->GetHeaderCtrl()->GetWindowRect(&headerRect);
    table->ScreenToClient(&headerRect);
    const int columnsEnd = table->GetColumnWidth(0) + table->GetColumnWidth(1);
    const int y = list->height() > 0 ? std::max(2, headerRect.CenterPoint().y + 2) : 0;
    ASSERT_LT(columnsEnd + 10, picture.width() - 4) << "the columns fill the list: nothing to see";
    int background = 0;
    for (int x = columnsEnd + 4; x < picture.width() - 4; ++x)
        if (Near(picture.pixel(x, y), base, 2)) ++background;
    EXPECT_EQ(background, 0);
}

TEST_F(ControlLooksTest, ATreeWithLinesAndButtonsShowsThem)
{
    QWidget* tree = D().Widget(IDC_TREE);
    ASSERT_NE(tree, nullptr);
    const QImage picture = Picture(tree);
    picture.save(QString::fromStdString(uitest::ArtifactFolder("ui") + "/tree-lines.png"));
    const QColor lines = Color(::GetSysColor(COLOR_GRAYTEXT));
    // Left of the item texts: the boxed button of "Controller" and the
    // dotted lines to its children.
    const QImage left = picture.copy(0, 0, 30, picture.height());
    EXPECT_GT(CountNear(left, lines, 30), 12);
    EXPECT_GT(CountDark(left), 2) << "no minus sign in the button of the expanded item";
}

class BorderedPopup : public CWnd {
public:
    bool Open(DWORD style)
    {
        return CreateEx(0, AfxRegisterWndClass(0), u"", style, RECT{200, 200, 400, 280}, nullptr, 0) != FALSE;
    }

protected:
    void OnPaint()
    {
        CPaintDC dc(this);
        CRect r;
        GetClientRect(&r);
        dc.FillSolidRect(&r, RGB(255, 255, 255));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BorderedPopup, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

TEST_F(ControlLooksTest, APopupWithABorderShowsItWithoutAWindowManagersFrame)
{
    for (const bool border : {true, false}) {
        SCOPED_TRACE(border ? "WS_BORDER" : "no border");
        BorderedPopup popup;
        ASSERT_TRUE(popup.Open(WS_POPUP | (border ? WS_BORDER : 0)));
        popup.ShowWindow(SW_SHOWNA);
        uitest::Pump(0);
        const QImage picture = Picture(uitest::DialogDriver(popup.GetSafeHwnd()).Widget(popup.GetSafeHwnd()));
        ASSERT_FALSE(picture.isNull());
        const QColor frame = Color(::GetSysColor(COLOR_WINDOWFRAME));
        const int w = picture.width();
        const int h = picture.height();
        for (const QPoint p : {QPoint(0, h / 2), QPoint(w - 1, h / 2), QPoint(w / 2, 0), QPoint(w / 2, h - 1)}) {
            EXPECT_EQ(Near(picture.pixel(p), frame, 10), border) << p.x() << "," << p.y();
        }
        EXPECT_TRUE(Near(picture.pixel(w / 2, h / 2), QColor(255, 255, 255), 0));
        popup.DestroyWindow();
    }
}

}  // namespace
