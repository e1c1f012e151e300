// The clipboard as the tables and the trace window use it: text placed and
// read in the system's shapes (Japanese included, CR LF rows), bitmaps both
// ways, the hand-over of memory blocks and bitmaps, and the open/close rules.
#include "DrawTestSupport.h"

#include "platform/core/CodePage.h"
#include "platform/ui/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstring>
#include <string>
#include <thread>

namespace {

// Each test starts with an empty, closed clipboard and leaves it so.
class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override { QGuiApplication::clipboard()->clear(); }
    void TearDown() override
    {
        CloseClipboard();
        QGuiApplication::clipboard()->clear();
    }

    static HGLOBAL BlockOf(const void* bytes, std::size_t size)
    {
        const HGLOBAL block = GlobalAlloc(GHND, size);
        EXPECT_TRUE(block);
        void* p = GlobalLock(block);
        std::memcpy(p, bytes, size);
        GlobalUnlock(block);
        return block;
    }
    // Text with its terminating zero, as the tables allocate it.
    static HGLOBAL UnicodeBlock(const std::u16string& text)
    {
        return BlockOf(text.c_str(), (text.size() + 1) * sizeof(char16_t));
    }
    static std::u16string ReadUnicode(HGLOBAL block)
    {
        const auto* p = static_cast<const char16_t*>(GlobalLock(block));
        if (!p) return u"<no data>";
        std::u16string text(p);
        GlobalUnlock(block);
        return text;
    }
};

class CodePageScope {
public:
    explicit CodePageScope(UINT cp) : m_saved(platform::GetAnsiCodePage()) { platform::SetAnsiCodePage(cp); }
    ~CodePageScope() { platform::SetAnsiCodePage(m_saved); }

private:
    UINT m_saved;
};

TEST_F(ClipboardTest, JapaneseTableTextMakesTheRoundTripWithItsRows)
{
    const std::u16string table = u"番号\t位置\t速度\r\n1\t12.50\t100\r\n2\t-3.00\t全速";
    ASSERT_TRUE(OpenClipboard({}));
    ASSERT_TRUE(EmptyClipboard());
    const HGLOBAL block = UnicodeBlock(table);
    ASSERT_TRUE(SetClipboardData(CF_UNICODETEXT, block));
    ASSERT_TRUE(CloseClipboard());

    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    // Other programs of the desktop get their own line ends.
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdU16String(),
              std::u16string(u"番号\t位置\t速度\n1\t12.50\t100\n2\t-3.00\t全速"));

    ASSERT_TRUE(OpenClipboard({}));
    const HGLOBAL back = GetClipboardData(CF_UNICODETEXT);
    ASSERT_TRUE(back);
    EXPECT_EQ(ReadUnicode(back), table);
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, DesktopTextReadsWithTheSystemsLineEnds)
{
    struct Case {
        const char* name;
        std::u16string desktop;
        std::u16string read;
    };
    const Case cases[] = {
        {"LF rows", u"a\tb\nc\td\n", u"a\tb\r\nc\td\r\n"},
        {"CR LF rows stay", u"a\r\nb", u"a\r\nb"},
        {"mixed", u"x\r\ny\nz", u"x\r\ny\r\nz"},
        {"leading LF", u"\nq", u"\r\nq"},
        {"no line end", u"モーター", u"モーター"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QGuiApplication::clipboard()->setText(QString::fromStdU16String(c.desktop));
        ASSERT_TRUE(OpenClipboard({}));
        const HGLOBAL block = GetClipboardData(CF_UNICODETEXT);
        EXPECT_EQ(ReadUnicode(block), c.read);
        ASSERT_TRUE(CloseClipboard());
    }
}

TEST_F(ClipboardTest, EightBitTextIsInTheAnsiCodePage)
{
    CodePageScope japanese(CP_SHIFT_JIS);
    const std::string sjis = platform::FromWide(u"軸 1", CP_SHIFT_JIS);
    ASSERT_TRUE(OpenClipboard({}));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(SetClipboardData(CF_TEXT, BlockOf(sjis.c_str(), sjis.size() + 1)));
    const HGLOBAL wide = GetClipboardData(CF_UNICODETEXT);
    EXPECT_EQ(ReadUnicode(wide), u"軸 1");
    const HGLOBAL narrow = GetClipboardData(CF_TEXT);
    ASSERT_TRUE(narrow);
    EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(narrow))), sjis);
    GlobalUnlock(narrow);
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, TakesTheBlockOnSuccessAndLeavesItOnFailure)
{
    // Not open: the caller still owns the block and frees it.
    const HGLOBAL kept = UnicodeBlock(u"x");
    EXPECT_FALSE(SetClipboardData(CF_UNICODETEXT, kept));
    EXPECT_EQ(GlobalSize(kept), 4u);
    EXPECT_FALSE(GlobalFree(kept));

    ASSERT_TRUE(OpenClipboard({}));
    ASSERT_TRUE(EmptyClipboard());
    // An unknown format is refused the same way.
    const HGLOBAL refused = UnicodeBlock(u"y");
    EXPECT_FALSE(SetClipboardData(0xC000, refused));
    EXPECT_FALSE(GlobalFree(refused));

    const HGLOBAL taken = UnicodeBlock(u"z");
    ASSERT_TRUE(SetClipboardData(CF_UNICODETEXT, taken));
    // Gone: a caller that frees it anyway fails harmlessly.
    EXPECT_EQ(GlobalSize(taken), 0u);
    EXPECT_EQ(GlobalFree(taken), taken);

    // Data read from the clipboard is the clipboard's.
    const HGLOBAL read = GetClipboardData(CF_UNICODETEXT);
    ASSERT_TRUE(read);
    EXPECT_EQ(GlobalFree(read), read);
    EXPECT_EQ(ReadUnicode(read), u"z");
    ASSERT_TRUE(CloseClipboard());
    // It stays readable after the close, and goes at the next open.
    EXPECT_EQ(ReadUnicode(read), u"z");
    ASSERT_TRUE(OpenClipboard({}));
    EXPECT_EQ(GlobalSize(read), 0u);
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, BitmapMakesTheRoundTripAsBitmapAndAsDib)
{
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(3, 2, 1, 32, nullptr));
    {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        CBitmap* old = dc.SelectObject(&bitmap);
        dc.SetPixel(0, 0, RGB(255, 0, 0));
        dc.SetPixel(1, 0, RGB(0, 255, 0));
        dc.SetPixel(2, 0, RGB(0, 0, 255));
        dc.SetPixel(0, 1, RGB(10, 20, 30));
        dc.SetPixel(1, 1, RGB(255, 255, 255));
        dc.SetPixel(2, 1, RGB(0, 0, 0));
        dc.SelectObject(old);
    }
    ASSERT_TRUE(OpenClipboard({}));
    ASSERT_TRUE(EmptyClipboard());
    const HBITMAP given = bitmap;
    ASSERT_TRUE(SetClipboardData(CF_BITMAP, given));
    bitmap.Detach();  // the clipboard has it now
    EXPECT_EQ(GetObjectType(given), 0u);
    ASSERT_TRUE(CloseClipboard());
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));

    const COLORREF expected[2][3] = {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
                                     {RGB(10, 20, 30), RGB(255, 255, 255), RGB(0, 0, 0)}};
    ASSERT_TRUE(OpenClipboard({}));
    const HBITMAP back = GetClipboardData(CF_BITMAP);
    ASSERT_TRUE(back);
    {
        const QImage img = platform::ImageFromBitmap(back);
        ASSERT_EQ(img.size(), QSize(3, 2));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                SCOPED_TRACE("bitmap pixel " + std::to_string(x) + "," + std::to_string(y));
                const QRgb p = img.pixel(x, y);
                EXPECT_EQ(RGB(qRed(p), qGreen(p), qBlue(p)), expected[y][x]);
            }
    }

    // The DIB: a 24-bit bottom-up header followed by its rows.
    const HGLOBAL dib = GetClipboardData(CF_DIB);
    ASSERT_TRUE(dib);
    const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(dib));
    BITMAPINFOHEADER h;
    std::memcpy(&h, bytes, sizeof h);
    EXPECT_EQ(h.biWidth, 3);
    EXPECT_EQ(h.biHeight, 2);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, BI_RGB);
    ASSERT_GE(GlobalSize(dib), sizeof h + 2 * 12);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            SCOPED_TRACE("DIB pixel " + std::to_string(x) + "," + std::to_string(y));
            const std::uint8_t* px = bytes + sizeof h + (1 - y) * 12 + x * 3;  // rows of 9 bytes padded to 12
            EXPECT_EQ(RGB(px[2], px[1], px[0]), expected[y][x]);
        }
    GlobalUnlock(dib);
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, PackedDibIsReadAsAPicture)
{
    // 2 x 2, 32 bits, top-down (negative height), as programs hand them over.
    std::string dib(sizeof(BITMAPINFOHEADER) + 16, '\0');
    BITMAPINFOHEADER h;
    h.biWidth = 2;
    h.biHeight = -2;
    h.biBitCount = 32;
    std::memcpy(dib.data(), &h, sizeof h);
    const std::uint8_t rows[16] = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 40, 30, 20, 0};
    std::memcpy(dib.data() + sizeof h, rows, sizeof rows);
    ASSERT_TRUE(OpenClipboard({}));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(SetClipboardData(CF_DIB, BlockOf(dib.data(), dib.size())));
    // A header that claims more than the block holds is refused.
    h.biHeight = -2000;
    std::memcpy(dib.data(), &h, sizeof h);
    const HGLOBAL bad = BlockOf(dib.data(), dib.size());
    EXPECT_FALSE(SetClipboardData(CF_DIB, bad));
    GlobalFree(bad);

    const QImage img = QGuiApplication::clipboard()->image();
    ASSERT_EQ(img.size(), QSize(2, 2));
    EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(img.pixel(1, 0) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(img.pixel(0, 1) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(img.pixel(1, 1) & 0xFFFFFF, 0x141E28u);
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, TextAndBitmapPlacedInOneOpeningLiveTogether)
{
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(1, 1, 1, 32, nullptr));
    ASSERT_TRUE(OpenClipboard({}));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(SetClipboardData(CF_UNICODETEXT, UnicodeBlock(u"caption")));
    ASSERT_TRUE(SetClipboardData(CF_BITMAP, HBITMAP(bitmap)));
    bitmap.Detach();
    ASSERT_TRUE(CloseClipboard());
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));

    ASSERT_TRUE(OpenClipboard({}));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(CloseClipboard());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
}

TEST_F(ClipboardTest, OneOpenerAtATimeAndOnlyOnTheGuiThread)
{
    const HWND a = HWND::Make(1, 1), b = HWND::Make(2, 1);
    EXPECT_FALSE(CloseClipboard());
    EXPECT_FALSE(EmptyClipboard());
    EXPECT_FALSE(GetClipboardData(CF_UNICODETEXT));
    ASSERT_TRUE(OpenClipboard(a));
    EXPECT_TRUE(OpenClipboard(a));
    EXPECT_FALSE(OpenClipboard(b));
    EXPECT_TRUE(CloseClipboard());
    EXPECT_TRUE(OpenClipboard(b));
    EXPECT_TRUE(CloseClipboard());

    QGuiApplication::clipboard()->setText(QStringLiteral("seen only here"));
    BOOL opened = TRUE, available = TRUE;
    std::thread worker([&] {
        opened = OpenClipboard({});
        available = IsClipboardFormatAvailable(CF_UNICODETEXT);
    });
    worker.join();
    EXPECT_FALSE(opened);
    EXPECT_FALSE(available);
}

TEST(GlobalMemory, BlocksAreZeroedLockedAndFreedThroughTheirHandles)
{
    EXPECT_FALSE(GlobalAlloc(GHND, 0));
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 64);
    ASSERT_TRUE(block);
    EXPECT_EQ(GlobalSize(block), 64u);
    auto* p = static_cast<unsigned char*>(GlobalLock(block));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(p[i], 0) << i;
    EXPECT_EQ(GlobalLock(block), p);  // blocks never move
    EXPECT_TRUE(GlobalUnlock(block));   // still locked once
    EXPECT_FALSE(GlobalUnlock(block));  // now unlocked
    EXPECT_FALSE(GlobalUnlock(block));  // was not locked
    EXPECT_FALSE(GlobalFree(block));
    // The freed handle finds nothing, even when its slot is used again.
    const HGLOBAL next = GlobalAlloc(GHND, 8);
    EXPECT_EQ(GlobalLock(block), nullptr);
    EXPECT_EQ(GlobalSize(block), 0u);
    EXPECT_EQ(GlobalFree(block), block);
    EXPECT_FALSE(GlobalFree(next));
}

}  // namespace
