#include "WidgetTestSupport.h"

#include "manager/widgets/ListCtrlEx.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWindow>

#include <vector>

namespace {

constexpr int kListId = 300;

class ListFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SINGLESEL, RECT{10, 10, 330, 150},
                                &host, kListId));
        list.InsertColumn(0, u"Code", LVCFMT_LEFT, 60);
        list.InsertColumn(1, u"Time", LVCFMT_LEFT, 80);
        list.InsertColumn(2, u"Message", LVCFMT_LEFT, 100);
        const char16_t* rows[][3] = {{u"E01", u"12:00", u"Overload"},
                                     {u"E02", u"12:05", u"Encoder disconnected"},
                                     {u"E03", u"12:09", u"Position deviation"}};
        for (int i = 0; i < 3; ++i) {
            list.InsertItem(i, rows[i][0]);
            list.SetItemText(i, 1, rows[i][1]);
            list.SetItemText(i, 2, rows[i][2]);
        }
        uitest::Pump(0);
    }

    std::vector<int> Order()
    {
        std::vector<int> order(3);
        list.GetColumnOrderArray(order.data(), 3);
        return order;
    }

    // A header notification as the header sends it.
    LRESULT Notify(UINT code, int column)
    {
        NMHEADER header;
        header.hdr.hwndFrom = list.Header().GetSafeHwnd();
        header.hdr.idFrom = 0;
        header.hdr.code = code;
        header.iItem = column;
        return list.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    }

    widgettest::HostDialog host{240, 120};
    CListCtrlEx list;
};

TEST_F(ListFixture, FixingAColumnShowsItFirstAndKeepsTheOthersInOrder)
{
    EXPECT_FALSE(list.IsColumnFixed(2));
    list.FixColumn(2);
    EXPECT_TRUE(list.IsColumnFixed(2));
    EXPECT_EQ(Order(), (std::vector<int>{2, 0, 1}));
    EXPECT_FALSE(list.IsColumnFixed(7)) << "beyond the columns";
}

TEST_F(ListFixture, FixedFlagsFollowInsertedAndDeletedColumns)
{
    list.FixColumn(1);
    list.InsertColumn(0, u"No.", LVCFMT_LEFT, 30);
    EXPECT_FALSE(list.IsColumnFixed(1));
    EXPECT_TRUE(list.IsColumnFixed(2)) << "the same column, one place on";
    list.DeleteColumn(0);
    EXPECT_TRUE(list.IsColumnFixed(1));
    EXPECT_FALSE(list.IsColumnFixed(2));
}

TEST_F(ListFixture, AFixedColumnRefusesSizing)
{
    list.FixColumn(1);
    EXPECT_EQ(Notify(HDN_BEGINTRACKW, 1), 1) << "the drag is refused";
    EXPECT_FALSE(list.IsTracking());
    EXPECT_EQ(Notify(HDN_BEGINTRACKW, 0), 0);
    EXPECT_TRUE(list.IsTracking());
    Notify(HDN_ENDTRACKW, 0);
    EXPECT_FALSE(list.IsTracking());

    list.SetColumnWidth(1, 20);
    EXPECT_EQ(Notify(HDN_DIVIDERDBLCLICKW, 1), 1);
    EXPECT_EQ(list.GetColumnWidth(1), 20) << "a double click on its divider does nothing";
    list.SetColumnWidth(2, 20);
    EXPECT_EQ(Notify(HDN_DIVIDERDBLCLICKW, 2), 1);
    EXPECT_GT(list.GetColumnWidth(2), 20) << "other columns fit their contents";
}

TEST_F(ListFixture, DraggingTheDividerOfAFixedColumnDoesNothing)
{
    list.FixColumn(0);
    QWidget* header = platform::ui::WidgetOf(list.Header().GetSafeHwnd());
    ASSERT_NE(header, nullptr);
    QWindow* window = header->window()->windowHandle();
    // The fixed column is shown first: its divider is at its width.
    const int edge = list.GetColumnWidth(0);
    const QPoint divider = header->mapTo(header->window(), QPoint(edge, header->height() / 2));
    QTest::mousePress(window, Qt::LeftButton, {}, divider);
    QTest::mouseMove(window, divider + QPoint(40, 0));
    QTest::mouseRelease(window, Qt::LeftButton, {}, divider + QPoint(40, 0));
    uitest::Pump(0);
    EXPECT_EQ(list.GetColumnWidth(0), 60);

    // The same drag on a free column sizes it.
    const int freeEdge = edge + list.GetColumnWidth(1);
    const QPoint freeDivider = header->mapTo(header->window(), QPoint(freeEdge, header->height() / 2));
    QTest::mousePress(window, Qt::LeftButton, {}, freeDivider);
    QTest::mouseMove(window, freeDivider + QPoint(40, 0));
    QTest::mouseRelease(window, Qt::LeftButton, {}, freeDivider + QPoint(40, 0));
    uitest::Pump(0);
    EXPECT_EQ(list.GetColumnWidth(1), 80 + 40);
}

TEST_F(ListFixture, AutoSizeLeavesFixedColumnsAlone)
{
    list.FixColumn(0);
    for (int c = 0; c < 3; ++c) list.SetColumnWidth(c, 10);
    EXPECT_TRUE(list.AutoSizeColumn(-1, TRUE));
    EXPECT_EQ(list.GetColumnWidth(0), 10);
    EXPECT_GT(list.GetColumnWidth(1), 10);
    EXPECT_GT(list.GetColumnWidth(2), 10);
}

TEST_F(ListFixture, ControlAndKeypadPlusSizesTheFreeColumns)
{
    list.FixColumn(0);
    for (int c = 0; c < 3; ++c) list.SetColumnWidth(c, 10);
    list.SetFocus();
    QWidget* target = platform::ui::WidgetOf(list.GetSafeHwnd());
    // Each key event a time of its own, as a keyboard gives them.
    ulong time = 1000;
    auto send = [&](QEvent::Type type, int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(type, key, modifiers);
        event.setTimestamp(++time);
        QCoreApplication::sendEvent(target, &event);
    };
    send(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    send(QEvent::KeyPress, Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    send(QEvent::KeyRelease, Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    send(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
    uitest::Pump(0);
    EXPECT_EQ(list.GetColumnWidth(0), 10);
    EXPECT_GT(list.GetColumnWidth(2), 10);
}

TEST_F(ListFixture, NoSizingCursorOverAFixedDivider)
{
    list.FixColumn(1);
    // Shown order 1, 0, 2 with widths 80, 60, 100.
    EXPECT_FALSE(list.Header().SizingAllowedAt(POINT{80, 5}));
    EXPECT_TRUE(list.Header().SizingAllowedAt(POINT{140, 5}));
    EXPECT_TRUE(list.Header().SizingAllowedAt(POINT{240, 5}));
}

TEST_F(ListFixture, RowsAreStripedAndShareTheirHeight)
{
    EXPECT_EQ(list.RowBackColour(0), RGB(255, 255, 255));
    EXPECT_EQ(list.RowBackColour(1), RGB(239, 243, 255));
    RECT row{};
    ASSERT_TRUE(list.GetItemRect(0, &row, LVIR_BOUNDS));
    EXPECT_EQ(CListCtrlEx::SharedRowHeight(), row.bottom - row.top);
    widgettest::ExpectMatchesGolden(widgettest::Picture(list), "list_striped_rows");
}

}  // namespace
