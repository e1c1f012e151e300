// Shared by the control tests: a dialog that hosts controls, the number
// locale set for a scope, pictures of controls and golden-image comparison.
//
// Goldens live in tests/golden/<name>.png beside this file. Set
// QV_UPDATE_GOLDEN=1 to rewrite them from the current output; a mismatch
// writes the picture into build/artifacts/widgets/<name>-FAILED.png.
#pragma once

#include "tests/support/GoldenImage.h"
#include "tests/support/ui/UiTest.h"

#include "manager/core/NumberText.h"
#include "platform/core/Module.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WidgetPeer.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace widgettest {

// A visible, empty modeless dialog (dialog units as given) to put controls on.
class HostDialog : public CDialog {
public:
    explicit HostDialog(short cx = 240, short cy = 160)
    {
        platform::DialogTemplate t;
        t.extended = true;
        t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
        t.cx = cx;
        t.cy = cy;
        t.caption = u"Host";
        t.hasFont = true;
        t.pointSize = 9;
        t.faceName = u"MS Shell Dlg";
        if (CreateIndirect(t)) ShowWindow(SW_SHOW);
        uitest::Pump(0);
    }
    ~HostDialog() override
    {
        if (m_hWnd) DestroyWindow();
        uitest::FlushDeletedWidgets();
    }
};

// The user's number characters for a scope.
class ScopedNumberLocale {
public:
    ScopedNumberLocale(char16_t separator, char16_t minus) : m_previous(GetNumberLocale())
    {
        NumberLocale locale;
        locale.decimalSeparator = separator;
        locale.negativeSign = minus;
        SetNumberLocale(locale);
    }
    ~ScopedNumberLocale() { SetNumberLocale(m_previous); }
    ScopedNumberLocale(const ScopedNumberLocale&) = delete;
    ScopedNumberLocale& operator=(const ScopedNumberLocale&) = delete;

private:
    NumberLocale m_previous;
};

// The manager's resources in one language ("en" or "ja"), current for the
// scope.
class ManagerResources {
public:
    explicit ManagerResources(const char* lang = "en")
    {
        const char* old = std::getenv("QV_LANG");
        if (old) m_oldLang = old;
        ::setenv("QV_LANG", lang, 1);
        m_module = LoadLibraryW(u"resource.dll");
        if (m_module) m_current.emplace(m_module);
    }
    ~ManagerResources()
    {
        m_current.reset();
        if (m_module) FreeLibrary(m_module);
        if (m_oldLang) {
            ::setenv("QV_LANG", m_oldLang->c_str(), 1);
        } else {
            ::unsetenv("QV_LANG");
        }
    }
    ManagerResources(const ManagerResources&) = delete;
    ManagerResources& operator=(const ManagerResources&) = delete;

    bool Loaded() const { return m_module != nullptr; }

private:
    std::optional<std::string> m_oldLang;
    HMODULE m_module = nullptr;
    std::optional<platform::ScopedResourceHandle> m_current;
};

// What a window shows, painted afresh.
inline QImage Picture(const CWnd& wnd)
{
    QWidget* widget = platform::ui::WidgetOf(wnd.GetSafeHwnd());
    if (!widget) return QImage();
    return widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

inline std::filesystem::path GoldenPath(const std::string& name)
{
    return qvtest::SourceFolderOf(__FILE__) / "golden" / (name + ".png");
}

// Exact: the drawings here are made of pixels, not of text.
inline void ExpectMatchesGolden(const QImage& actual, const std::string& name)
{
    ASSERT_FALSE(actual.isNull()) << name << ": no picture";
    const QImage got = actual.convertToFormat(QImage::Format_ARGB32);
    const auto path = GoldenPath(name);
    const char* update = std::getenv("QV_UPDATE_GOLDEN");
    if (update && *update && std::string(update) != "0") {
        std::filesystem::create_directories(path.parent_path());
        ASSERT_TRUE(got.save(QString::fromStdString(path.string()), "PNG")) << path;
        return;
    }
    const std::string failed = uitest::ArtifactFolder("widgets") + "/" + name + "-FAILED.png";
    QImage expected(QString::fromStdString(path.string()));
    if (expected.isNull()) {
        got.save(QString::fromStdString(failed), "PNG");
        FAIL() << name << ": golden image missing: " << path << " (actual written to " << failed << ")";
    }
    expected = expected.convertToFormat(QImage::Format_ARGB32);
    int different = 0;
    if (expected.size() == got.size()) {
        for (int y = 0; y < got.height(); ++y)
            for (int x = 0; x < got.width(); ++x)
                if (got.pixel(x, y) != expected.pixel(x, y)) ++different;
    }
    if (expected.size() != got.size() || different > 0) {
        got.save(QString::fromStdString(failed), "PNG");
        ADD_FAILURE() << name << ": " << (expected.size() != got.size() ? std::string("size differs")
                                                                        : std::to_string(different) + " pixels differ")
                      << " (actual written to " << failed << ")";
    }
}

}  // namespace widgettest
