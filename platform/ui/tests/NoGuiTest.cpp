// Without a GUI application (a tool or a test that never makes one), shapes
// and transfers still draw, and text calls fail cleanly instead of aborting.
#include "platform/ui/DC.h"

#include <gtest/gtest.h>

namespace {

TEST(WithoutGui, ShapesDrawAndTextFailsCleanly)
{
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap bmp;
    ASSERT_TRUE(bmp.CreateBitmap(16, 16, 1, 32, nullptr));
    CBitmap* old = dc.SelectObject(&bmp);
    CBrush red(RGB(255, 0, 0));
    const RECT all{0, 0, 16, 16};
    dc.FillRect(&all, &red);
    dc.MoveTo(0, 5);
    EXPECT_TRUE(dc.LineTo(10, 5));
    EXPECT_EQ(dc.GetPixel(3, 5), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetPixel(3, 6), RGB(255, 0, 0));

    EXPECT_FALSE(dc.TextOut(0, 0, CString(u"text")));
    SIZE size{};
    EXPECT_FALSE(GetTextExtentPoint32(dc, u"text", 4, &size));
    RECT r{0, 0, 16, 16};
    EXPECT_EQ(dc.DrawText(CString(u"text"), &r, DT_CALCRECT), 0);
    TEXTMETRIC tm;
    EXPECT_FALSE(dc.GetTextMetrics(&tm));
    // Filling a rectangle through the text call needs no font.
    dc.FillSolidRect(0, 0, 2, 2, RGB(0, 255, 0));
    EXPECT_EQ(dc.GetPixel(1, 1), RGB(0, 255, 0));
    EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
    dc.SelectObject(old);
}

}  // namespace
