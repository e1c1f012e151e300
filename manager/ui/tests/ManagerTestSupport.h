// The manager program inside a test: a fresh settings folder, its own
// instance socket and ports file, the application started offscreen with a
// short splash, and helpers that work its windows as a person does (menu
// commands, the online connection dialog through its controls, answered
// message boxes and file dialogs).
#pragma once

#include "manager/ui/ChildFrm.h"
#include "manager/ui/LeftpaneTreeView.h"
#include "manager/ui/MainFrm.h"
#include "manager/ui/QuorvaneApp.h"
#include "manager/ui/QuorvaneDoc.h"

#include "manager/core/ControllerData.h"
#include "tools/CommandSession.h"
#include "resources/manager/ctrldlgs_ids.h"
#include "resources/manager/resource_ids.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/ui/ScriptedDialogs.h"
#include "tests/support/ui/UiTest.h"

#include "platform/core/CmdUI.h"
#include "platform/core/CodePage.h"
#include "platform/core/ComPortNames.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/GlobalMemory.h"
#include "platform/ui/TreeCtrl.h"
#include "platform/ui/WidgetPeer.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace mgrtest {

// Sets an environment variable for a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_old) ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else ::unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

inline std::filesystem::path FreshFolder(const std::string& stem)
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
    for (char& c : name)
        if (c == '/') c = '_';
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / (stem + "-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
}

// A data file of one controller, as the manager writes them; the record's
// fields may be changed by fill first.
inline CString WriteDataFile(const CString& path, const std::function<void(ControllerData&)>& fill = {})
{
    ControllerDataStore store;
    ControllerDataSlot slot;
    store.AllocControllerData(slot);
    slot->controller = u"KX-Q05";
    slot->robot = u"SA4-L06";
    slot->interfaceText = u"Standard";
    slot->user = u"Line A";
    slot->points[0].number = 1;
    slot->points[0].m = 1;
    slot->points[0].p = 1000;
    slot->points[0].s = 50;
    slot->paramSets[0].K(72) = 2;
    if (fill) fill(*slot);
    EXPECT_TRUE(store.WriteControllerDataFile(path.GetString(), *slot, true, true, true));
    return path;
}

inline CString W(const std::string& text) { return CString(platform::ToWide(text, CP_UTF8).c_str()); }

// The application, started as the program starts it (the required-file
// check aside, which has tests of its own).
class ManagerWorld {
public:
    explicit ManagerWorld(const char* language = "en")
        : m_folder(FreshFolder("qv-manager")),
          m_runtime("XDG_RUNTIME_DIR", MakeOwnFolder(m_folder / "runtime")),
          m_config("XDG_CONFIG_HOME", (m_folder / "config").string()),
          m_socket("QUORVANE_INSTANCE_SOCKET", (m_folder / "instance.sock").string()),
          m_ports(platform::kPortsFileVariable, (m_folder / "ports.ini").string()),
          m_language("QV_LANG", language)
    {
        MapPorts({});
        // The tool windows wait 2 s for an answer; tests run many at once
        // under the sanitizers, where a healthy emulator can be slower.
        CCommandSession::SetTimeOut(kToolReplyTimeOutMs);
    }
    ~ManagerWorld()
    {
        Quit();
        CCommandSession::SetTimeOut(m_toolTimeOut);
    }
    static constexpr DWORD kToolReplyTimeOutMs = 8000;
    ManagerWorld(const ManagerWorld&) = delete;
    ManagerWorld& operator=(const ManagerWorld&) = delete;

    // Maps COM numbers to terminals; every other number is bound to no
    // device, so the machine's own ports never show.
    void MapPorts(const std::map<int, std::string>& ports)
    {
        std::ofstream out(m_folder / "ports.ini");
        out << "[Ports]\n";
        for (int number = 1; number <= kMappedPorts; ++number) {
            const auto found = ports.find(number);
            out << "COM" << number << "=" << (found == ports.end() ? std::string() : found->second) << "\n";
        }
    }
    static constexpr int kMappedPorts = 64;

    bool Start(std::vector<CString> arguments = {u"quorvane"})
    {
        m_app = std::make_unique<CQuorvaneApp>();
        m_app->SetArguments(std::move(arguments));
        m_app->SetCheckRequiredFiles(false);
        m_app->SetSplashMs(50);
        // The launcher comes up only where a test works it.
        m_app->SetLauncherAtStart(launcherAtStart);
        if (!m_app->InitInstance()) return false;
        m_frameHwnd = m_app->MainFrame() ? m_app->MainFrame()->GetSafeHwnd() : HWND();
        uitest::Pump(20);
        return m_app->MainFrame() != nullptr;
    }
    // Closes the main window as a person would (questions answered by the
    // caller's boxes) and ends the application.
    void Quit()
    {
        if (!m_app) return;
        if (::IsWindow(m_frameHwnd)) {
            ::SendMessageW(m_frameHwnd, WM_CLOSE, 0, 0);
            uitest::Pump(20);
            // A window that refused stays: the end of a test throws it away.
            if (::IsWindow(m_frameHwnd)) ::DestroyWindow(m_frameHwnd);
        }
        uitest::Pump(20);
        m_app->ExitInstance();
        m_app.reset();
        uitest::FlushDeletedWidgets();
    }
    bool FrameAlive() const { return ::IsWindow(m_frameHwnd); }
    // Whether Start lets the launcher come up (the user's setting still decides).
    bool launcherAtStart = false;

    CQuorvaneApp& App() { return *m_app; }
    ScriptedMessageBox& Boxes() { return m_boxes; }
    CMainFrame& Frame() { return *m_app->MainFrame(); }
    HWND FrameHwnd() const { return m_frameHwnd; }
    CChildFrame* Active() { return Frame().ActiveChild(); }
    int ChildCount() { return static_cast<int>(Frame().MDIGetChildren().size()); }
    const std::filesystem::path& Folder() const { return m_folder; }
    CString Path(const std::string& name) const { return W((m_folder / name).string()); }

    // A menu command, as the menu or the tool bar sends it.
    void Command(UINT id)
    {
        ::SendMessageW(m_frameHwnd, WM_COMMAND, id, 0);
        uitest::Pump(10);
    }
    // Whether the menu shown now has the command enabled (after an idle round).
    bool Enabled(UINT id)
    {
        platform::RunAppIdle();
        CCmdUIProbe probe(id);
        Frame().OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &probe, nullptr);
        return probe.handled && probe.enabled;
    }

    // File > New online connection through its dialog: chooses the COM port
    // and types the name.
    INT_PTR NewOnline(int comPort, const CString& name)
    {
        return uitest::RunModal([this] {
            Command(IDM_NEW_ONLINE);
            return INT_PTR(IDOK);
        },
        [this] {
            // Only the connection dialog: once it closed, the wait window of
            // a slow line's scan and read is no dialog to cancel.
            const HWND active = ::GetActiveWindow();
            return active != m_frameHwnd && ::GetDlgItem(active, IDC_ONLINE_PORT) ? active : HWND();
        },
        [&](uitest::DialogDriver& d) {
            CString port;
            port.Format(u"COM%d", comPort);
            d.ChooseComboEntry(IDC_ONLINE_PORT, std::u16string_view(port.GetString(), static_cast<size_t>(port.GetLength())));
            d.Retype(IDC_ONLINE_NAME, std::u16string_view(name.GetString(), static_cast<size_t>(name.GetLength())));
            d.Click(IDOK);
        });
    }

    // The manager started on a controller at a device mapped as COMn, read
    // into a maximised window of a main window of 1200 x 860 (the scan's list
    // of controllers answered): that window, or null.
    CChildFrame* StartOnline(int comPort, const std::string& device, const CString& name)
    {
        if (device.empty()) return nullptr;
        MapPorts({{comPort, device}});
        if (!Start()) return nullptr;
        m_boxes.Answer(IDOK);
        NewOnline(comPort, name);
        if (ChildCount() != 1) return nullptr;
        Frame().MoveWindow(0, 0, 1200, 860);
        Active()->ShowWindow(SW_SHOWMAXIMIZED);
        uitest::Pump(10);
        return Active();
    }

    // A picture of the main window.
    bool Grab(const std::string& file)
    {
        QWidget* widget = platform::ui::WidgetOf(m_frameHwnd);
        return widget && widget->grab().save(QString::fromStdString(uitest::ArtifactFolder("manager") + "/" + file));
    }

    // CCmdUI that records what an update handler said.
    struct CCmdUIProbe : CCmdUI {
        explicit CCmdUIProbe(UINT id) { m_nID = id; }
        void Enable(BOOL on = TRUE) override
        {
            handled = true;
            enabled = on != FALSE;
        }
        bool handled = false;
        bool enabled = false;
    };

private:
    // The single-instance guard and the shared objects live in the runtime
    // folder: each world has its own, so tests that run at once never meet.
    static std::string MakeOwnFolder(const std::filesystem::path& path)
    {
        std::filesystem::create_directories(path);
        std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
        return path.string();
    }

    std::filesystem::path m_folder;
    ScopedEnv m_runtime;
    ScopedEnv m_config;
    ScopedEnv m_socket;
    ScopedEnv m_ports;
    ScopedEnv m_language;
    DWORD m_toolTimeOut = CCommandSession::GetTimeOut();
    // Every box of the world, also those of its end, is answered by the test.
    ScriptedMessageBox m_boxes;
    std::unique_ptr<CQuorvaneApp> m_app;
    HWND m_frameHwnd;
};

// The main window with a dialog over it, where each stands on the screen, as
// a person sees them (the picture grows to hold a dialog that reaches past
// the window); a null picture when either is not a window.
inline QPixmap PictureOver(HWND frameHwnd, HWND dialog)
{
    uitest::Pump(50);
    QWidget* frame = platform::ui::WidgetOf(frameHwnd);
    QWidget* top = platform::ui::WidgetOf(dialog);
    if (!frame || !top) return QPixmap();
    const QRect frameRect(frame->mapToGlobal(QPoint(0, 0)), frame->size());
    const QRect dialogRect(top->mapToGlobal(QPoint(0, 0)), top->size());
    const QRect all = frameRect.united(dialogRect);
    QPixmap picture(all.size());
    picture.fill(QColor(0x40, 0x40, 0x48));
    {
        QPainter painter(&picture);
        painter.drawPixmap(frameRect.topLeft() - all.topLeft(), frame->grab());
        painter.drawPixmap(dialogRect.topLeft() - all.topLeft(), top->grab());
    }
    return picture;
}

// Selects the tree item of a pane kind, as a click on it does.
inline void ShowPane(CChildFrame* child, int kind)
{
    CTreeCtrl& tree = child->GetTreeView()->GetTreeCtrl();
    for (HTREEITEM item = tree.GetRootItem(); item; item = tree.GetNextItem(item, TVGN_NEXTVISIBLE))
        if (static_cast<int>(tree.GetItemData(item)) == kind) {
            tree.SelectItem(item);
            break;
        }
    uitest::Pump(10);
}

// The text on the clipboard, "<closed>" when it cannot be opened.
inline std::u16string ClipboardText()
{
    std::u16string text;
    if (!::OpenClipboard(HWND())) return u"<closed>";
    if (const HGLOBAL block = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const char16_t*>(::GlobalLock(block))) {
            text = chars;
            ::GlobalUnlock(block);
        }
    }
    ::CloseClipboard();
    return text;
}

// A key as a person presses it, to the widget that has the focus.
inline void Key(int key, const QString& text = QString())
{
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
    uitest::Pump(0);
}

// Text typed key by key to the widget that has the focus.
inline void Type(const std::u16string& text)
{
    for (char16_t ch : text) {
        int key = ch == u'.' ? int(Qt::Key_Period) : ch == u'-' ? int(Qt::Key_Minus) : int(QChar(ch).toUpper().unicode());
        if (ch >= u'a' && ch <= u'z') key = Qt::Key_A + (ch - u'a');
        Key(key, QString(QChar(ch)));
    }
}

// Tools > Access code, the code typed into its dialog as a person types it.
inline void EnterAccessCode(ManagerWorld& world, const std::u16string& code)
{
    const HWND frame = world.FrameHwnd();
    uitest::RunModal([&] {
        world.Command(IDM_ACCESS_CODE);
        return INT_PTR(IDOK);
    },
    [frame] {
        const HWND active = ::GetActiveWindow();
        return active != frame && ::GetDlgItem(active, IDC_ACCESS_CODE_EDIT) ? active : HWND();
    },
    [&](uitest::DialogDriver& d) {
        d.Type(IDC_ACCESS_CODE_EDIT, code);
        d.Click(IDOK);
    });
}

}  // namespace mgrtest
