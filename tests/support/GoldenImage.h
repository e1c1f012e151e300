// Golden images for drawing tests: a GUI application whose fonts are the same
// files on every run, and a comparison against an expected PNG.
//
// Set QV_UPDATE_GOLDEN=1 to rewrite the goldens from the current output; a
// mismatch writes <name>-FAILED.png into the test's working folder.
#pragma once

#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace qvtest {

// The folder of a source file named by __FILE__. A compiler cache may hand the
// compiler paths relative to the build folder (the parent of bin/, where the
// build runs), so a relative name is resolved from there, whatever folder the
// test runs in.
inline std::filesystem::path SourceFolderOf(const char* file)
{
    std::filesystem::path path(file);
    if (path.is_relative()) {
        std::error_code error;
        const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
        if (!error) path = exe.parent_path().parent_path() / path;
    }
    return path.lexically_normal().parent_path();
}

// Installs the GUI application with the pinned fonts for a whole test program.
class PinnedFontsEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "qv-tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QGuiApplication>(argc, argv);
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

// Exact unless 'tolerance' (per channel) and 'allowedPixels' say otherwise:
// text may differ slightly where glyph edges are smoothed.
inline void ExpectMatchesGolden(const QImage& actual, const std::filesystem::path& goldenFolder,
                                const std::string& name, int tolerance = 0, int allowedPixels = 0)
{
    const QImage got = actual.convertToFormat(QImage::Format_ARGB32);
    const auto path = goldenFolder / (name + ".png");
    const char* update = std::getenv("QV_UPDATE_GOLDEN");
    if (update && *update && std::string(update) != "0") {
        std::filesystem::create_directories(goldenFolder);
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

}  // namespace qvtest
