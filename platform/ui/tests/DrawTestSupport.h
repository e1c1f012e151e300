// Shared by the drawing tests: the GUI application with pinned fonts, memory
// DCs over bitmaps, and golden-image comparison.
//
// Goldens live in tests/golden/<name>.png beside this file. Set
// QV_UPDATE_GOLDEN=1 to rewrite them from the current output; a mismatch
// writes <name>-FAILED.png into the test's working folder.
#pragma once

#include "platform/ui/DC.h"
#include "platform/ui/GdiObject.h"
#include "platform/ui/WindowSurface.h"
#include "tests/support/GoldenImage.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace drawtest {

inline ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new qvtest::PinnedFontsEnvironment);

// A memory DC with a bitmap selected, deselected and deleted at the end.
class MemoryCanvas {
public:
    MemoryCanvas(int w, int h, COLORREF fill = RGB(255, 255, 255))
    {
        m_screen.CreateCompatibleDC(nullptr);
        m_dc.CreateCompatibleDC(&m_screen);
        m_bitmap.Attach(CreateBitmap(w, h, 1, 32, nullptr));
        m_old = m_dc.SelectObject(&m_bitmap);
        const RECT all{0, 0, w, h};
        CBrush brush(fill);
        m_dc.FillRect(&all, &brush);
    }
    ~MemoryCanvas()
    {
        m_dc.SelectObject(m_old);
        m_dc.DeleteDC();
    }
    CDC& dc() { return m_dc; }
    HBITMAP bitmap() const { return m_bitmap; }
    QImage Image() const { return platform::ImageFromBitmap(m_bitmap); }

private:
    CDC m_screen;
    CDC m_dc;
    CBitmap m_bitmap;
    CBitmap* m_old = nullptr;
};

inline std::filesystem::path GoldenPath(const std::string& name)
{
    return qvtest::SourceFolderOf(__FILE__) / "golden" / (name + ".png");
}

inline void ExpectMatchesGolden(const QImage& actual, const std::string& name, int tolerance = 0, int allowedPixels = 0)
{
    qvtest::ExpectMatchesGolden(actual, qvtest::SourceFolderOf(__FILE__) / "golden", name, tolerance,
                                allowedPixels);
}

}  // namespace drawtest
