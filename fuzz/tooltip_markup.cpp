// The tooltip markup and its style sheet: measured, drawn, and every link
// area hit, on a canvas of fixed advances with resources that hold a few
// strings and images. The input is the style sheet, a NUL, then the markup.
#include "fuzz/FuzzSupport.h"
#include "htmltip/HtmlDrawer.h"
#include "htmltip/tests/FakeCanvas.h"
#include "htmltip/tests/FakeServices.h"

using namespace htmltip;
using namespace htmltip::test;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = fuzz::AsBytes(data, size);
    const std::uint8_t options = fuzz::TakeByte(bytes);
    const auto [sheet, markup] = fuzz::SplitAt(bytes, std::string_view("\0", 1));

    FakeResources resources;
    resources.strings[{0, 100}] = u"<b>bold</b> line<br>second <i>line</i>";
    resources.strings[{0, 101}] = u"<table><tr><td>a</td><td>b</td></tr></table>";
    resources.bitmaps[{0, 200}] = std::make_shared<FakeImage>(48, 16);
    resources.icons[{0, 300}] = std::make_shared<FakeImage>(16, 16);
    FakeWindowServices window;
    FakeLinkOpener opener;

    CHtmlDrawer drawer;
    drawer.SetResources(&resources);
    drawer.SetWindowServices(&window);
    drawer.SetLinkOpener(&opener);
    drawer.SetImageList(std::make_shared<FakeImage>(64, 16), 16, 16, 4, 0xFF00FF);
    drawer.SetCssStyles(CString(fuzz::BytesToText(sheet)).GetString());
    drawer.SetMaxWidth((options & 1) ? 120 : 0);
    drawer.SetColorMode((options & 2) ? FALSE : TRUE);
    drawer.SetNewLineAsBreak((options & 4) ? TRUE : FALSE);
    drawer.SetTabSize(options >> 4);

    FakeCanvas canvas;
    const SIZE measured = drawer.PrepareOutput(canvas, CString(fuzz::BytesToText(markup)));
    drawer.DrawPreparedOutput(canvas, RECT{0, 0, measured.cx, measured.cy});
    for (const HyperlinkArea& area : drawer.GetHyperlinkAreas()) {
        const POINT inside{area.rect.left, area.rect.top};
        drawer.OnSetCursor(inside);
        drawer.OnLButtonDown(inside);
    }
    for (int tick = 0; tick < 3; ++tick) drawer.OnTimer();
    return 0;
}
