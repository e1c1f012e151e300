// Drawing tests of the package: the GUI application with pinned fonts, memory
// DCs over bitmaps, small pictures to draw, and goldens in tests/golden.
#pragma once

#include "platform/ui/DC.h"
#include "platform/ui/GdiObject.h"
#include "platform/ui/WindowSurface.h"
#include "tests/support/GoldenImage.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace htmltip::test {

inline ::testing::Environment* const g_guiEnvironment =
    ::testing::AddGlobalTestEnvironment(new qvtest::PinnedFontsEnvironment);

inline void ExpectMatchesGolden(const QImage& image, const std::string& name, int tolerance = 0, int allowed = 0)
{
    qvtest::ExpectMatchesGolden(image, qvtest::SourceFolderOf(__FILE__) / "golden", name, tolerance,
                                allowed);
}

// The 32-bit targets drawing treats differently: a device bitmap, whose
// alpha means nothing yet, and sections with alpha of their own, top-down
// and bottom-up.
enum class TargetKind { Bitmap, TopDownSection, BottomUpSection };
inline const char* NameOf(TargetKind kind)
{
    return kind == TargetKind::Bitmap ? "bitmap" : kind == TargetKind::TopDownSection ? "top-down section"
                                                                                      : "bottom-up section";
}
inline constexpr TargetKind kEveryTarget[] = {TargetKind::Bitmap, TargetKind::TopDownSection,
                                              TargetKind::BottomUpSection};

// A memory DC over a target of one kind, filled with one colour; Stored()
// gives its pixels as kept (alpha bytes too), rows from the top of memory.
class TargetDc {
public:
    TargetDc(TargetKind kind, int w, int h, COLORREF fill) : m_width(w), m_height(h)
    {
        m_dc.CreateCompatibleDC(nullptr);
        if (kind == TargetKind::Bitmap) {
            m_bitmap.Attach(::CreateBitmap(w, h, 1, 32, nullptr));
        } else {
            BITMAPINFO bi{};
            bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
            bi.bmiHeader.biWidth = w;
            bi.bmiHeader.biHeight = kind == TargetKind::TopDownSection ? -h : h;
            bi.bmiHeader.biPlanes = 1;
            bi.bmiHeader.biBitCount = 32;
            m_bitmap.Attach(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &m_bits, nullptr, 0));
        }
        m_old = m_dc.SelectObject(&m_bitmap);
        const RECT all{0, 0, w, h};
        m_dc.FillSolidRect(&all, fill);
    }
    ~TargetDc() { m_dc.SelectObject(m_old); }
    TargetDc(const TargetDc&) = delete;
    TargetDc& operator=(const TargetDc&) = delete;
    CDC& dc() { return m_dc; }
    std::vector<DWORD> Stored()
    {
        ::GdiFlush();
        std::vector<DWORD> stored(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height));
        if (m_bits) {
            const auto* p = static_cast<const DWORD*>(m_bits);
            stored.assign(p, p + stored.size());
        } else {
            ::GetBitmapBits(m_bitmap, static_cast<LONG>(stored.size() * 4), stored.data());
        }
        return stored;
    }

private:
    int m_width;
    int m_height;
    CDC m_dc;
    CBitmap m_bitmap;
    void* m_bits = nullptr;
    CBitmap* m_old = nullptr;
};

// A memory DC with a colour bitmap selected, filled with one colour.
class MemoryDc {
public:
    MemoryDc(int w, int h, COLORREF fill = RGB(255, 255, 255))
    {
        m_dc.CreateCompatibleDC(nullptr);
        m_bitmap.Attach(::CreateBitmap(w, h, 1, 32, nullptr));
        m_old = m_dc.SelectObject(&m_bitmap);
        m_width = w;
        m_height = h;
        Fill(fill);
    }
    ~MemoryDc() { m_dc.SelectObject(m_old); }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    void Fill(COLORREF color)
    {
        BITMAP bm{};
        m_bitmap.GetBitmap(&bm);
        const RECT all{0, 0, bm.bmWidth, bm.bmHeight};
        CBrush brush(color);
        m_dc.FillRect(&all, &brush);
    }
    CDC& dc() { return m_dc; }
    CDC* operator->() { return &m_dc; }
    // A new bitmap with the pixels, selected nowhere (a bitmap selected into
    // this DC cannot be selected into another).
    HBITMAP Copy() const
    {
        HBITMAP copy = ::CreateBitmap(m_width, m_height, 1, 32, nullptr);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, copy);
        ::BitBlt(dc, 0, 0, m_width, m_height, m_dc, 0, 0, SRCCOPY);
        ::SelectObject(dc, old);
        return copy;
    }
    HBITMAP bitmap() const { return m_bitmap; }
    QImage Image() const { return platform::ImageFromBitmap(m_bitmap); }
    COLORREF Pixel(int x, int y) const { return ::GetPixel(m_dc, x, y); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    CDC m_dc;
    CBitmap m_bitmap;
    CBitmap* m_old = nullptr;
    int m_width = 0;
    int m_height = 0;
};

// A colour picture of w x h: a magenta background (the usual transparent
// key), a red disc, a blue bar and a white corner square.
inline HBITMAP MakePicture(int w, int h)
{
    MemoryDc picture(w, h, RGB(255, 0, 255));
    CBrush red(RGB(220, 30, 30));
    CPen none(PS_NULL, 0, 0);
    CPen* oldPen = picture->SelectObject(&none);
    CBrush* oldBrush = picture->SelectObject(&red);
    picture->Ellipse(w / 8, h / 8, w - w / 8, h - h / 8);
    picture->SelectObject(oldBrush);
    picture->SelectObject(oldPen);
    const RECT bar{w / 4, h / 2 - h / 10, w - w / 4, h / 2 + h / 10};
    CBrush blue(RGB(30, 60, 200));
    picture->FillRect(&bar, &blue);
    const RECT corner{0, 0, w / 4, h / 4};
    CBrush white(RGB(255, 255, 255));
    picture->FillRect(&corner, &white);
    return picture.Copy();
}

// A 32-bit picture with an alpha channel: a green square fading from opaque
// on the left to transparent on the right.
inline HBITMAP MakeAlphaPicture(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int a = 255 - (255 * x) / (w > 1 ? w - 1 : 1);
            image.setPixel(x, y, qRgba(0, 160, 40, a));
        }
    return platform::BitmapFromImage(image, true);
}

// An icon of w x h: an orange square with a transparent one-pixel border
// and a black centre dot.
inline HICON MakeIcon(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x) image.setPixel(x, y, qRgba(250, 150, 20, 255));
    image.setPixel(w / 2, h / 2, qRgba(0, 0, 0, 255));
    return platform::IconFromImage(image);
}

}  // namespace htmltip::test

namespace htmltip::test {

// An icon without alpha: an opaque cyan square with a black dot, made
// transparent outside a one-pixel border by its monochrome mask.
inline HICON MakeMaskedIcon(int w, int h)
{
    HBITMAP color = ::CreateBitmap(w, h, 1, 32, nullptr);
    HBITMAP mask = ::CreateBitmap(w, h, 1, 1, nullptr);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, color);
    const RECT all{0, 0, w, h};
    const RECT inner{1, 1, w - 1, h - 1};
    ::FillRect(dc, &all, CBrush(RGB(0, 0, 0)));
    ::FillRect(dc, &inner, CBrush(RGB(0, 200, 220)));
    ::SetPixel(dc, w / 2, h / 2, RGB(0, 0, 0));
    ::SelectObject(dc, mask);
    ::FillRect(dc, &all, CBrush(RGB(255, 255, 255)));
    ::FillRect(dc, &inner, CBrush(RGB(0, 0, 0)));
    ::SelectObject(dc, old);
    ICONINFO info;
    info.fIcon = TRUE;
    info.hbmColor = color;
    info.hbmMask = mask;
    const HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(color);
    ::DeleteObject(mask);
    return icon;
}

}  // namespace htmltip::test
