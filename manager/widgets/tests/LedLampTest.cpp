#include "WidgetTestSupport.h"

#include "manager/widgets/LedLamp.h"
#include "manager/widgets/LedLampRow.h"

#include <atomic>
#include <thread>

namespace {

using widgettest::HostDialog;

TEST(LedLampTest, SingleLampPictures)
{
    struct Case {
        const char* name;
        RECT rect;
        bool on;
        COLORREF onColour;
        COLORREF offColour;
    };
    const Case cases[] = {
        {"lamp_green_on", RECT{10, 10, 34, 34}, true, RGB(0, 255, 0), RGB(0, 75, 0)},
        {"lamp_green_off", RECT{10, 10, 34, 34}, false, RGB(0, 255, 0), RGB(0, 75, 0)},
        {"lamp_red_on", RECT{10, 10, 34, 34}, true, RGB(255, 0, 0), RGB(75, 0, 0)},
        // A wide control keeps the lamp round, at the left.
        {"lamp_wide_control", RECT{10, 10, 90, 34}, true, RGB(0, 255, 0), RGB(0, 75, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostDialog host;
        CLedLamp lamp;
        ASSERT_TRUE(lamp.Create(u"lamp", WS_CHILD | WS_VISIBLE, c.rect, &host, 100));
        CString caption;
        lamp.GetWindowText(caption);
        EXPECT_TRUE(caption.IsEmpty());
        lamp.SetColors(c.onColour, c.offColour);
        lamp.SetState(c.on);
        widgettest::ExpectMatchesGolden(widgettest::Picture(lamp), c.name);
    }
}

TEST(LedLampTest, RowShowsTheBitsOfAByte)
{
    HostDialog host;
    CLedLampRow row;
    ASSERT_TRUE(row.Create(u"", WS_CHILD | WS_VISIBLE, RECT{10, 10, 26, 138}, &host, 100));
    // Lamps 0 and 2, the top one and the third.
    row.SetBits(0x05);
    widgettest::ExpectMatchesGolden(widgettest::Picture(row), "lamprow_0x05");
    row.SetVisibleMask(0x0F);
    widgettest::ExpectMatchesGolden(widgettest::Picture(row), "lamprow_0x05_upper_four");
}

TEST(LedLampTest, ShortRowGrowsToTenPixelsALamp)
{
    HostDialog host;
    CLedLampRow row;
    ASSERT_TRUE(row.Create(u"", WS_CHILD | WS_VISIBLE, RECT{10, 10, 30, 50}, &host, 100));
    CRect client;
    row.GetClientRect(&client);
    EXPECT_EQ(client.Height(), 80);
    EXPECT_EQ(client.Width(), 20);
    CRect place;
    row.GetWindowRect(&place);
    host.ScreenToClient(&place);
    EXPECT_EQ(place.left, 10);
    EXPECT_EQ(place.top, 10);
}

TEST(LedLampTest, WorkerThreadsMaySetLamps)
{
    HostDialog host;
    CLedLampRow row;
    CLedLamp lamp;
    ASSERT_TRUE(row.Create(u"", WS_CHILD | WS_VISIBLE, RECT{10, 10, 26, 138}, &host, 100));
    ASSERT_TRUE(lamp.Create(u"", WS_CHILD | WS_VISIBLE, RECT{40, 10, 64, 34}, &host, 101));
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        for (int value = 0; value < 256; ++value) {
            row.SetBits(value);
            lamp.SetState((value & 1) != 0);
        }
        finished.store(true);
    });
    // The worker's repaint requests are carried out here.
    const bool done = uitest::WaitUntil([&] { return finished.load(); }, 20000);
    worker.join();
    uitest::Pump(0);
    EXPECT_TRUE(done);
    EXPECT_EQ(row.GetBits(), 255);
    EXPECT_TRUE(lamp.GetState());
    widgettest::ExpectMatchesGolden(widgettest::Picture(row), "lamprow_all_on");
}

}  // namespace
