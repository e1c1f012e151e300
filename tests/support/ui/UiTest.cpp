#include "tests/support/ui/UiTest.h"

#include "platform/core/Module.h"
#include "platform/core/Paths.h"
#include "platform/core/ResourceModule.h"
#include "platform/core/Thread.h"
#include "platform/core/Time.h"
#include "platform/ui/Button.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/UserInterface.h"
#include "platform/ui/WidgetPeer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

namespace uitest {

namespace {

std::unique_ptr<QApplication> g_app;
std::unique_ptr<platform::UserInterface> g_ui;

constexpr UINT kRunScript = WM_APP + 0x3F0;
constexpr UINT_PTR kTimeoutTimer = 1;
constexpr int kMaxEarlyRuns = 10000;

constexpr UINT_PTR kStepTimer = 2;

class ScriptWindow final : public CWnd {
public:
    std::function<HWND()> dialog;
    std::vector<std::function<void(DialogDriver&)>> steps;
    std::size_t next = 0;
    bool ran = false;
    int early = 0;

protected:
    LRESULT OnRun(WPARAM, LPARAM)
    {
        const HWND hwnd = dialog();
        // The dialog may pump messages while it starts: wait until it shows.
        if (!hwnd || !::IsWindowVisible(hwnd)) {
            if (++early < kMaxEarlyRuns) PostMessage(kRunScript);
            return 0;
        }
        ran = true;
        RunStep(hwnd);
        return 0;
    }

    void RunStep(HWND hwnd)
    {
        if (next < steps.size()) {
            DialogDriver driver(hwnd);
            steps[next++](driver);
        }
        const bool open = ::IsWindow(hwnd) && CWnd::FromHandle(hwnd) && CWnd::FromHandle(hwnd)->ContinueModal();
        if (!open) return;
        if (next < steps.size()) {
            // A timer comes only once the queue is empty, so the modal loop
            // has been idle (WM_KICKIDLE) before the next step.
            SetTimer(kStepTimer, 1);
            return;
        }
        ADD_FAILURE() << "the script left its dialog open; it is cancelled";
        ::EndDialog(hwnd, IDCANCEL);
    }

    void OnTimer(UINT_PTR id)
    {
        if (id == kStepTimer) {
            KillTimer(kStepTimer);
            const HWND hwnd = dialog();
            if (hwnd && ::IsWindow(hwnd)) RunStep(hwnd);
            return;
        }
        if (id != kTimeoutTimer) return;
        KillTimer(kTimeoutTimer);
        const HWND hwnd = dialog();
        if (hwnd && ::IsWindow(hwnd)) {
            ADD_FAILURE() << "the modal dialog ran out of time; it is cancelled";
            ::EndDialog(hwnd, IDCANCEL);
        }
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ScriptWindow, CWnd)
    ON_MESSAGE(kRunScript, &ScriptWindow::OnRun)
    ON_WM_TIMER()
END_MESSAGE_MAP()

void SendMouse(QWidget* widget, QEvent::Type type, const QPoint& at)
{
    // A real press gives the focus to the first widget up the chain that
    // takes it by click; synthetic events do not, so it is done here.
    if (type == QEvent::MouseButtonPress) {
        for (QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
            if (w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus)) {
                if (!w->hasFocus()) w->setFocus(Qt::MouseFocusReason);
                break;
            }
        }
    }
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, global, Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

}  // namespace

namespace {
// The screen of QV_TEST_SCREEN, given to the offscreen platform; removed at the end.
std::string ScreenConfigFile()
{
    return (std::filesystem::temp_directory_path() / ("qv-screen-" + std::to_string(::getpid()) + ".json")).string();
}
}  // namespace

void UiEnvironment::SetUp()
{
    static int argc = 1;
    static char name[] = "ui-tests";
    static char* argv[] = {name, nullptr};
    // The window tests run a second time on a real display: the lane names
    // its platform here, since each test's own environment pins offscreen.
    if (const char* platformName = std::getenv("QV_TEST_QPA_PLATFORM"); platformName && *platformName) {
        ::setenv("QT_QPA_PLATFORM", platformName, 1);
    }
    // A test program may ask for a screen of its own size ("1280x1024"):
    // offscreen, a screen of that size stands in for the default one.
    if (const char* screen = std::getenv("QV_TEST_SCREEN"); screen && *screen) {
        const char* current = std::getenv("QT_QPA_PLATFORM");
        int width = 0;
        int height = 0;
        if ((!current || std::string(current) == "offscreen") && std::sscanf(screen, "%dx%d", &width, &height) == 2) {
            const std::string config = ScreenConfigFile();
            std::FILE* out = std::fopen(config.c_str(), "w");
            if (out) {
                std::fprintf(out, "{ \"screens\": [ { \"name\": \"screen\", \"x\": 0, \"y\": 0, \"width\": %d, "
                                  "\"height\": %d, \"logicalDpiX\": 96, \"logicalDpiY\": 96 } ] }\n", width, height);
                std::fclose(out);
                ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str(), 1);
            }
        }
    }
    g_app = std::make_unique<QApplication>(argc, argv);
    // The same font files on every run, so pictures of windows are stable.
    for (const char* path : {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                             "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                             "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
                             "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"})
        QFontDatabase::addApplicationFont(QString::fromUtf8(path));
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    g_ui = std::make_unique<platform::UserInterface>();
}

void UiEnvironment::TearDown()
{
    g_ui.reset();
    g_app.reset();
    std::error_code ignored;
    std::filesystem::remove(ScreenConfigFile(), ignored);
}

namespace {

QString Plain(QString text)
{
    // A mnemonic's marker takes no room; "&&" shows as one ampersand.
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(QChar(1), u'&');
    return text;
}

std::string Describe(QWidget* w, const QString& text, int needs, int has, const char* what)
{
    const platform::ui::WidgetPeer* peer = platform::ui::WidgetPeer::FromWidget(w);
    const HWND hwnd = peer ? peer->Handle() : HWND();
    const int id = hwnd ? ::GetDlgCtrlID(hwnd) : 0;
    return std::to_string(id) + " '" + text.toStdString() + "': needs " + std::to_string(needs) + " " + what +
           ", has " + std::to_string(has);
}

}  // namespace

std::vector<std::string> ClippedTexts(HWND window)
{
    std::vector<std::string> clipped;
    QWidget* top = platform::ui::WidgetOf(window);
    if (!top) return {"no window"};
    for (QWidget* w : top->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(top)) continue;
        const QFontMetrics fm(w->font());
        if (auto* label = qobject_cast<QLabel*>(w)) {
            const QString text = label->text();
            if (text.isEmpty() || !label->pixmap().isNull()) continue;
            const QRect room = label->contentsRect();
            if (label->wordWrap()) {
                const int needs = label->heightForWidth(label->width());
                // One pixel of rounding is no cut text.
                if (needs > label->height() + 1) clipped.push_back(Describe(w, text, needs, label->height(), "px high"));
            } else {
                int needs = 0;
                for (const QString& line : text.split(u'\n')) needs = std::max(needs, fm.horizontalAdvance(Plain(line)));
                if (needs > room.width() + 1) clipped.push_back(Describe(w, text, needs, room.width(), "px"));
            }
        } else if (auto* check = qobject_cast<QCheckBox*>(w); check || qobject_cast<QRadioButton*>(w)) {
            auto* button = static_cast<QAbstractButton*>(w);
            if (button->text().isEmpty()) continue;
            const int needs = button->sizeHint().width();
            if (needs > button->width() + 1) clipped.push_back(Describe(w, button->text(), needs, button->width(), "px"));
        } else if (auto* push = qobject_cast<QPushButton*>(w)) {
            const QString text = Plain(push->text());
            if (text.isEmpty()) continue;
            // The text and its icon beside it, inside the button's frame.
            const int icon = push->icon().isNull() ? 0 : push->iconSize().width() + 4;
            const int frame = 2 * push->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, push);
            const int needs = fm.horizontalAdvance(text) + icon + frame + 2;
            if (needs > push->width() + 1) clipped.push_back(Describe(w, push->text(), needs, push->width(), "px"));
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            if (!edit->isReadOnly() || edit->text().isEmpty()) continue;
            const int needs = fm.horizontalAdvance(edit->text()) + 6;
            if (needs > edit->width() + 1) clipped.push_back(Describe(w, edit->text(), needs, edit->width(), "px"));
        }
    }
    return clipped;
}

HWND DialogDriver::Item(int id) const
{
    const HWND hwnd = ::GetDlgItem(m_dialog, id);
    if (!hwnd) ADD_FAILURE() << "the dialog has no control " << id;
    return hwnd;
}

QWidget* DialogDriver::Widget(HWND hwnd) const { return hwnd ? platform::ui::WidgetOf(hwnd) : nullptr; }

void DialogDriver::Click(int id)
{
    const HWND hwnd = Item(id);
    QWidget* widget = Widget(hwnd);
    if (!widget) return;
    if (!::IsWindowVisible(hwnd) || !::IsWindowEnabled(hwnd)) {
        ADD_FAILURE() << "control " << id << " cannot be clicked: it is hidden or disabled";
        return;
    }
    const QPoint middle = widget->rect().center();
    SendMouse(widget, QEvent::MouseButtonPress, middle);
    if (::IsWindow(hwnd)) SendMouse(widget, QEvent::MouseButtonRelease, middle);
    Pump(0);
}

void DialogDriver::Type(int id, std::u16string_view text)
{
    const HWND hwnd = Item(id);
    if (!hwnd) return;
    ::SetFocus(hwnd);
    QWidget* target = QApplication::focusWidget();
    if (!target) target = Widget(hwnd);
    for (char16_t c : text) {
        if (!target) return;
        const QString s(QChar{c});
        int key = QChar(c).toUpper().unicode();
        if (c >= u'a' && c <= u'z') key = Qt::Key_A + (c - u'a');
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, s);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, s);
        QCoreApplication::sendEvent(target, &press);
        QCoreApplication::sendEvent(target, &release);
    }
    Pump(0);
}

namespace {

// The widget under a point of a control's client area (a tab of a tab bar,
// the viewport of a list), with the point in its coordinates.
QWidget* WidgetAt(const DialogDriver& d, int id, POINT point, QPoint& at)
{
    const HWND hwnd = d.Item(id);
    QWidget* widget = d.Widget(hwnd);
    if (!widget) return nullptr;
    if (!::IsWindowVisible(hwnd) || !::IsWindowEnabled(hwnd)) {
        ADD_FAILURE() << "control " << id << " cannot be clicked: it is hidden or disabled";
        return nullptr;
    }
    at = QPoint(point.x, point.y);
    QWidget* target = widget->childAt(at);
    if (!target) return widget;
    at = target->mapFrom(widget, at);
    return target;
}

}  // namespace

void DialogDriver::ClickAt(int id, POINT point)
{
    QPoint at;
    QPointer<QWidget> target = WidgetAt(*this, id, point, at);
    if (!target) return;
    SendMouse(target, QEvent::MouseButtonPress, at);
    if (target) SendMouse(target, QEvent::MouseButtonRelease, at);
    Pump(0);
}

void DialogDriver::DoubleClickAt(int id, POINT point)
{
    QPoint at;
    QPointer<QWidget> target = WidgetAt(*this, id, point, at);
    if (!target) return;
    // As the toolkit delivers one: press, release, double click, release.
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                    QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        if (target) SendMouse(target, type, at);
    }
    Pump(0);
}

void DialogDriver::Retype(int id, std::u16string_view text)
{
    const HWND hwnd = Item(id);
    if (!hwnd) return;
    ::SetFocus(hwnd);
    char16_t className[32] = {};
    ::GetClassNameW(hwnd, className, 32);
    if (std::u16string_view(className) == u"ComboBox") {
        ::SendMessageW(hwnd, CB_SETEDITSEL, 0, MAKELPARAM(0, 0xFFFF));
    } else {
        ::SendMessageW(hwnd, EM_SETSEL, 0, -1);
    }
    // A person clears the selection first, so an empty text empties it.
    Key(Qt::Key_Backspace);
    Type(id, text);
}

void DialogDriver::Key(int qtKey, Qt::KeyboardModifiers modifiers)
{
    // Keys go to the focus of the dialog's window, even while the window
    // system has not yet made that window the active one.
    QWidget* dialogWidget = Widget(m_dialog);
    QWidget* target = QApplication::focusWidget();
    if (dialogWidget && (!target || target->window() != dialogWidget->window())) {
        target = dialogWidget->window()->focusWidget();
    }
    if (!target) target = dialogWidget;
    if (!target) return;
    QString text;
    if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter) text = QStringLiteral("\r");
    if (qtKey == Qt::Key_Escape) text = QString(QChar(27));
    if (qtKey == Qt::Key_Tab) text = QStringLiteral("\t");
    if (qtKey == Qt::Key_Space) text = QStringLiteral(" ");
    // Ctrl with a letter types its control character, as the keyboard does.
    if ((modifiers & Qt::ControlModifier) && qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        text = QString(QChar(static_cast<char16_t>(qtKey - Qt::Key_A + 1)));
    }
    QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text);
    QCoreApplication::sendEvent(target, &press);
    QWidget* after = QApplication::focusWidget();
    QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers, text);
    QCoreApplication::sendEvent(after ? after : target, &release);
    Pump(0);
}

void DialogDriver::ChooseComboEntry(int id, int index)
{
    auto* combo = qobject_cast<QComboBox*>(Widget(id));
    if (!combo || index < 0 || index >= combo->count()) {
        ADD_FAILURE() << "combo box " << id << " has no entry " << index;
        return;
    }
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    Pump(0);
}

void DialogDriver::ChooseComboEntry(int id, std::u16string_view text)
{
    auto* combo = qobject_cast<QComboBox*>(Widget(id));
    const int index = combo ? combo->findText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()))) : -1;
    if (index < 0) {
        ADD_FAILURE() << "combo box " << id << " has no such entry";
        return;
    }
    ChooseComboEntry(id, index);
}

CString DialogDriver::Text(int id) const
{
    CString text;
    if (CWnd* wnd = CWnd::FromHandle(Item(id))) wnd->GetWindowText(text);
    return text;
}

UINT DialogDriver::Check(int id) const { return static_cast<UINT>(::SendMessageW(Item(id), BM_GETCHECK, 0, 0)); }
bool DialogDriver::Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
bool DialogDriver::Visible(int id) const { return ::IsWindowVisible(Item(id)) != FALSE; }
int DialogDriver::ComboSelection(int id) const { return static_cast<int>(::SendMessageW(Item(id), CB_GETCURSEL, 0, 0)); }

int DialogDriver::Focus() const
{
    const HWND focus = ::GetFocus();
    return focus ? ::GetDlgCtrlID(focus) : 0;
}

bool DialogDriver::Grab(const std::string& path) const
{
    QWidget* widget = Widget(m_dialog);
    if (!widget) return false;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    return widget->grab().save(QString::fromStdString(path), "PNG");
}

void Pump(int milliseconds)
{
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        platform::PumpPendingMessages();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return condition();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        platform::PumpPendingMessages();
    }
    return true;
}

void FlushDeletedWidgets() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

INT_PTR RunModal(const std::function<INT_PTR()>& run, const std::function<HWND()>& dialogHwnd,
                 const std::function<void(DialogDriver&)>& script, int timeoutMs)
{
    return RunModalSteps(run, dialogHwnd, {script}, timeoutMs);
}

INT_PTR RunModalSteps(const std::function<INT_PTR()>& run, const std::function<HWND()>& dialogHwnd,
                      std::vector<std::function<void(DialogDriver&)>> steps, int timeoutMs)
{
    ScriptWindow helper;
    helper.dialog = dialogHwnd;
    helper.steps = std::move(steps);
    if (!helper.CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPED, RECT{}, nullptr, 0)) {
        ADD_FAILURE() << "no helper window";
        return -1;
    }
    helper.PostMessage(kRunScript);
    helper.SetTimer(kTimeoutTimer, static_cast<UINT>(timeoutMs));
    const INT_PTR result = run();
    if (!helper.ran) ADD_FAILURE() << "the dialog never came up";
    if (helper.ran && helper.next < helper.steps.size()) ADD_FAILURE() << "the dialog closed before the script's end";
    helper.DestroyWindow();
    return result;
}

ScopedResources::ScopedResources(const char16_t* stem, const char* lang) : m_previous(AfxGetResourceHandle())
{
    // The language is chosen by QV_LANG while loading; the caller's value
    // comes back at once.
    const char* before = std::getenv("QV_LANG");
    const std::string kept = before ? before : "";
    ::setenv("QV_LANG", lang, 1);
    m_module = ::LoadLibraryW((std::u16string(stem) + u".dll").c_str());
    if (before) {
        ::setenv("QV_LANG", kept.c_str(), 1);
    } else {
        ::unsetenv("QV_LANG");
    }
    if (m_module) AfxSetResourceHandle(m_module);
}

ScopedResources::~ScopedResources()
{
    if (!m_module) return;
    AfxSetResourceHandle(m_previous);
    ::FreeLibrary(m_module);
}

std::string ArtifactFolder(const std::string& area)
{
    const std::filesystem::path program = platform::GetProgramPath().ToUtf8();
    // The run on a real display keeps its pictures apart from the offscreen ones.
    const char* root = std::getenv("QV_ARTIFACTS_FOLDER");
    const std::filesystem::path base = root && *root ? std::filesystem::path(root)
                                                     : program.parent_path().parent_path() / "artifacts";
    const std::filesystem::path folder = base / area;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder.string();
}

}  // namespace uitest
