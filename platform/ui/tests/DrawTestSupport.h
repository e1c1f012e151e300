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

#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace drawtest {

class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "ui-tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QGuiApplication>(argc, argv);
        // The same font files on every run, so text images are reproducible.
        for (const char* path : {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                 "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                                 "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
                                 "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"})
            QFontDatabase::addApplicationFont(QString::fromUtf8(path));
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QGuiApplication> m_app;
};

inline ::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

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
    return std::filesystem::path(__FILE__).parent_path() / "golden" / (name + ".png");
}

// Exact unless 'tolerance' (per channel) and 'allowedPixels' say otherwise:
// text may differ slightly where glyph edges are smoothed.
inline void ExpectMatchesGolden(const QImage& actual, const std::string& name, int tolerance = 0, int allowedPixels = 0)
{
    const QImage got = actual.convertToFormat(QImage::Format_ARGB32);
    const auto path = GoldenPath(name);
    const char* update = std::getenv("QV_UPDATE_GOLDEN");
    if (update && *update && std::string(update) != "0") {
        ASSERT_TRUE(got.save(QString::fromStdString(path.string()), "PNG")) << path;
        return;
    }
    QImage expected(QString::fromStdString(path.string()));
    auto fail = [&](const std::string& why) {
        const std::string out = name + "-FAILED.png";
        got.save(QString::fromStdString(out), "PNG");
        ADD_FAILURE() << name << ": " << why << " (actual image written to " << out << ")";
    };
    if (expected.isNull()) return fail("golden image missing: " + path.string());
    expected = expected.convertToFormat(QImage::Format_ARGB32);
    if (expected.size() != got.size()) return fail("size differs");
    int different = 0;
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x) {
            const QRgb a = got.pixel(x, y), b = expected.pixel(x, y);
            const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                    std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            if (d > tolerance) ++different;
        }
    if (different > allowedPixels) fail(std::to_string(different) + " pixels differ");
}

}  // namespace drawtest
