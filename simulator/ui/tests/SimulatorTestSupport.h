// What the simulator's window tests share: the application object of the
// test program, the simulator's resource module in one language, typing into
// the grids as a person does, and temporary folders.
#pragma once

#include "simulator/ui/SimulatorApp.h"
#include "simulator/ui/SimulatorDlg.h"

#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/ui/ScriptedDialogs.h"
#include "tests/support/ui/UiTest.h"

#include "manager/core/NumberText.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/Button.h"
#include "platform/ui/GridCtrl.h"
#include "platform/ui/Menu.h"
#include "platform/ui/StandardDialogs.h"
#include "resources/simulator/pellarun_ids.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>

#include <cstdlib>
#include <functional>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <ostream>
#include <string>
#include <vector>

// Failure messages show texts, not bytes.
inline void PrintTo(const CString& text, std::ostream* os) { *os << '"' << text.ToUtf8() << '"'; }

namespace simui {

// The window whose grid was clicked last: keys go to its focus widget even
// while the window system has not made it the active window yet.
inline QWidget*& KeyWindow()
{
    static QWidget* window = nullptr;
    return window;
}

inline QWidget* KeyTarget()
{
    if (QWidget* popup = QApplication::activePopupWidget()) return popup;
    if (KeyWindow() && KeyWindow()->focusWidget()) return KeyWindow()->focusWidget();
    return QApplication::focusWidget();
}

// One key to the popup that is open, else to the focused widget.
inline void PressKey(int qtKey)
{
    QWidget* target = KeyTarget();
    if (!target) return;
    const QString text = qtKey == Qt::Key_Return ? QStringLiteral("\r") : QString();
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
    uitest::Pump(0);
}

// One application object per test program, as in the program.
inline CSimulatorApp& App()
{
    static CSimulatorApp app;
    return app;
}

// The application's state for one test: offline unless asked, the library
// bound afresh by the main dialog.
class AppState {
public:
    explicit AppState(bool exchange = false, const char16_t* title = u"")
    {
        CSimulatorApp& app = App();
        app.m_bExchange = exchange ? 1 : 0;
        app.m_strTitle = title;
        app.m_chDecimalSeparator = u'.';
        app.m_motionLibrary.Release();
        app.m_strMotionLibraryFile = kMotionLibraryFileName;
        SetNumberLocale(NumberLocale{});
    }
    ~AppState()
    {
        CSimulatorApp& app = App();
        app.m_bExchange = 0;
        app.m_strTitle.Empty();
        app.m_pRunningDialog = nullptr;
        app.m_motionLibrary.Release();
        app.m_strMotionLibraryFile = kMotionLibraryFileName;
    }
};

inline CGridCtrl* Grid(uitest::DialogDriver& d, int id) { return static_cast<CGridCtrl*>(CWnd::FromHandle(d.Item(id))); }

// The servo parameter page inside the main dialog's tab.
inline uitest::DialogDriver ServoPage(const uitest::DialogDriver& d)
{
    for (HWND child = ::GetWindow(d.Dialog(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::GetDlgItem(child, IDC_SERVO_STROKE)) return uitest::DialogDriver(child);
    ADD_FAILURE() << "no servo page";
    return uitest::DialogDriver(HWND());
}

// A field's background as painted: a pixel inside its frame, left of its
// (right-aligned) number; and a colour in the same form.
inline QRgb Background(uitest::DialogDriver& page, int id)
{
    QWidget* field = page.Widget(id);
    ::UpdateWindow(page.Item(id));
    uitest::Pump(20);
    const QImage image = field->grab().toImage();
    return image.pixel(4, image.height() / 2) & 0xFFFFFF;
}
inline QRgb Rgb(COLORREF colour) { return qRgb(GetRValue(colour), GetGValue(colour), GetBValue(colour)) & 0xFFFFFF; }

inline POINT CellCentre(CGridCtrl* grid, int row, int col)
{
    grid->EnsureVisible(row, col);
    uitest::Pump(0);
    RECT rect{};
    grid->GetCellRect(row, col, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A click on a cell; the widget under it takes the focus as a real click
// gives it (synthetic events do not move the focus by themselves).
inline void ClickCell(uitest::DialogDriver& d, int gridId, int row, int col)
{
    CGridCtrl* grid = Grid(d, gridId);
    const POINT point = CellCentre(grid, row, col);
    if (QWidget* widget = d.Widget(gridId)) {
        KeyWindow() = widget->window();
        QWidget* under = widget->childAt(QPoint(point.x, point.y));
        (under ? under : widget)->setFocus(Qt::MouseFocusReason);
        uitest::Pump(0);
    }
    d.ClickAt(gridId, point);
}

// Keys to whichever widget has the focus at each key, as a keyboard does.
inline void TypeKeys(std::u16string_view text)
{
    for (char16_t c : text) {
        QWidget* target = KeyTarget();
        if (!target) return;
        const QString s(QChar{c});
        int key = QChar(c).toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, s);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, s);
        QCoreApplication::sendEvent(target, &press);
        QCoreApplication::sendEvent(target, &release);
        uitest::Pump(0);
    }
}

// Clicks a cell, types the text and presses Enter.
inline void EditCell(uitest::DialogDriver& d, int gridId, int row, int col, std::u16string_view text)
{
    CGridCtrl* grid = Grid(d, gridId);
    ClickCell(d, gridId, row, col);
    TypeKeys(text);
    PressKey(Qt::Key_Return);
}

// Clicks a list cell, opens its list and chooses the entry of that index.
inline void ChooseCellEntry(uitest::DialogDriver& d, int gridId, int row, int col, int index)
{
    CGridCtrl* grid = Grid(d, gridId);
    ClickCell(d, gridId, row, col);
    // A click on the current cell already opens its list.
    if (!QApplication::activePopupWidget()) PressKey(Qt::Key_F4);
    PressKey(Qt::Key_Home);
    for (int i = 0; i < index; ++i) PressKey(Qt::Key_Down);
    PressKey(Qt::Key_Return);
}

inline void Command(uitest::DialogDriver& d, UINT id)
{
    ::SendMessage(d.Dialog(), WM_COMMAND, id, 0);
    uitest::Pump(0);
}

// File > Exit after edits made offline: the dialog asks whether to save them
// and this answers No, so nothing is written.
inline void ExitDiscardingEdits(uitest::DialogDriver& d, ScriptedMessageBox& boxes)
{
    CString question;
    question.LoadString(IDS_ASK_SAVE_BEFORE_EXIT);
    boxes.Answer(IDNO, question.str());
    Command(d, ID_FILE_EXIT);
}

// Runs what opens a modal dialog over the main dialog (a click or a command)
// and the script against that dialog; the script must close it.
inline void RunNested(uitest::DialogDriver& d, const std::function<void()>& open,
                      const std::function<void(uitest::DialogDriver&)>& script)
{
    const HWND main = d.Dialog();
    uitest::RunModal(
        [&] {
            open();
            return INT_PTR(0);
        },
        [main] {
            const HWND active = ::GetActiveWindow();
            return active != main ? active : HWND();
        },
        script);
}

// The menus the dialog opens, looked at when they show: which of the given
// commands are greyed. The menu closes without a choice.
class MenuInspector final : public platform::IStandardDialogService {
public:
    explicit MenuInspector(std::vector<UINT> commands) : m_commands(std::move(commands)), m_scope(this) {}
    platform::FileDialogResult ShowFileDialog(const platform::FileDialogRequest&) override { return {}; }
    platform::ColorDialogResult ShowColorDialog(const platform::ColorDialogRequest&) override { return {}; }
    UINT ShowPopupMenu(const platform::PopupMenuRequest& request) override
    {
        m_greyed.clear();
        for (UINT id : m_commands) {
            const UINT state = ::GetMenuState(request.menu, id, MF_BYCOMMAND);
            if (state != static_cast<UINT>(-1) && (state & MF_GRAYED)) m_greyed.push_back(id);
        }
        ++m_shown;
        return 0;
    }
    const std::vector<UINT>& Greyed() const { return m_greyed; }
    int Shown() const { return m_shown; }

private:
    std::vector<UINT> m_commands;
    std::vector<UINT> m_greyed;
    int m_shown = 0;
    platform::ScopedStandardDialogService m_scope;
};

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-simui-XXXXXX").string();
        if (const char* made = ::mkdtemp(pattern.data())) m_path = made;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    CString File(const char* name) const { return CString::FromUtf8((m_path / name).string()); }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// What most window tests start from: the English module, the offline
// application, scripted boxes and file dialogs, a temporary folder.
struct Fixture {
    uitest::ScopedResources module{u"pellarun", "en"};
    AppState state;
    ScriptedMessageBox boxes;
    ScriptedDialogs dialogs;
    TempDir dir;
};

inline std::string PicturePath(const std::string& name, const char* lang)
{
    return uitest::ArtifactFolder("simulator") + "/" + name + "." + lang + ".png";
}

}  // namespace simui
