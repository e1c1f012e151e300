#include "platform/ui/StandardDialogs.h"

#include "platform/core/MessageBox.h"
#include "platform/core/MessageDispatcher.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/FileDialogFolders.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WidgetPeer.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include <atomic>
#include <functional>
#include <map>
#include <vector>

namespace platform {

namespace {

std::atomic<IStandardDialogService*> g_service{nullptr};

// Runs f on the user-interface thread and waits for it; the thread pumps
// Qt's events in its waits, so the call gets through.
template <class R>
R OnUiThread(std::function<R()> f)
{
    if (ui::OnUiThread() || !qApp) return f();
    R result{};
    QMetaObject::invokeMethod(
        qApp, [&] { result = f(); }, Qt::BlockingQueuedConnection);
    return result;
}

QWidget* OwnerWidget(HWND owner)
{
    if (QWidget* w = ui::WidgetOf(owner)) return w->window();
    return QApplication::activeWindow();
}

bool Japanese() { return ChooseResourceLanguage() == CString(u"ja"); }

// What a title bar takes besides the title: the window icon, the minimise,
// maximise and close buttons and the margins between them, with room to spare.
constexpr int kTitleBarDecorationWidth = 170;

// Shows a modal box painted at once and centred on its owner's frame (on the
// screen without one), before its loop runs: the toolkit centres it on the
// size it had before its text was laid out, and a window manager may show
// it before it is painted.
void ShowCentredOnOwner(QDialog& box, HWND owner)
{
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    ui::WaitUntilOnScreen(&box);
    QWidget* ownerWidget = ui::WidgetOf(owner);
    if (ownerWidget) ownerWidget = ownerWidget->window();
    const QRect around = ownerWidget && ownerWidget->isVisible() && !ownerWidget->isMinimized()
                             ? ownerWidget->frameGeometry()
                             : ui::ScreenAreaFor(box.frameGeometry());
    const QRect frame = box.frameGeometry();
    box.move(around.center() - QPoint((frame.width() - 1) / 2, (frame.height() - 1) / 2));
    ui::KeepOnScreen(&box);
}

// Widens a message box so that a window manager's title bar shows its whole
// title beside the bar's icon and buttons (the toolkit leaves room for far
// fewer), however short the text: a box is never narrower than its title.
void KeepTitleWhole(QMessageBox& box)
{
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int needed = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarDecorationWidth;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(needed, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
}

struct ButtonText {
    int id;
    const char16_t* en;
    const char16_t* ja;
};

constexpr ButtonText kButtonTexts[] = {
    {IDOK, u"OK", u"OK"},           {IDCANCEL, u"Cancel", u"キャンセル"},  {IDABORT, u"&Abort", u"中止(&A)"},
    {IDRETRY, u"&Retry", u"再試行(&R)"}, {IDIGNORE, u"&Ignore", u"無視(&I)"}, {IDYES, u"&Yes", u"はい(&Y)"},
    {IDNO, u"&No", u"いいえ(&N)"},       {IDTRYAGAIN, u"&Try Again", u"再実行(&T)"},
    {IDCONTINUE, u"&Continue", u"続行(&C)"},
};

QString ButtonLabel(int id)
{
    const bool ja = Japanese();
    for (const ButtonText& t : kButtonTexts)
        if (t.id == id) return QString::fromUtf16(ja ? t.ja : t.en);
    return QString::number(id);
}

class QtMessageBoxService final : public IMessageBoxService {
public:
    int Show(const MessageBoxRequest& request) override
    {
        return OnUiThread<int>([&request] { return ShowHere(request); });
    }

private:
    static int ShowHere(const MessageBoxRequest& request)
    {
        static constexpr int kButtons[][3] = {
            {IDOK, 0, 0},         {IDOK, IDCANCEL, 0},   {IDABORT, IDRETRY, IDIGNORE}, {IDYES, IDNO, IDCANCEL},
            {IDYES, IDNO, 0},     {IDRETRY, IDCANCEL, 0}, {IDCANCEL, IDTRYAGAIN, IDCONTINUE},
        };
        const UINT kind = request.type & MB_TYPEMASK;
        const int* ids = kButtons[kind < std::size(kButtons) ? kind : 0];
        QMessageBox box(OwnerWidget(request.owner));
        box.setWindowTitle(ui::ToQString(request.caption));
        box.setText(ui::ToQString(request.text));
        switch (request.type & MB_ICONMASK) {
        case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
        case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
        case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
        case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
        default: box.setIcon(QMessageBox::NoIcon); break;
        }
        KeepTitleWhole(box);
        std::map<QAbstractButton*, int> results;
        std::vector<QPushButton*> order;
        QPushButton* escape = nullptr;
        for (int i = 0; i < 3 && ids[i]; ++i) {
            const QMessageBox::ButtonRole role = ids[i] == IDCANCEL ? QMessageBox::RejectRole : QMessageBox::ActionRole;
            QPushButton* button = box.addButton(ButtonLabel(ids[i]), role);
            results[button] = ids[i];
            order.push_back(button);
            if (ids[i] == IDCANCEL) escape = button;
        }
        // A box with one button closes with it; without Cancel, Escape does nothing.
        if (order.size() == 1) escape = order.front();
        const std::size_t defaultIndex = (request.type & MB_DEFMASK) >> 8;
        box.setDefaultButton(order[defaultIndex < order.size() ? defaultIndex : 0]);
        box.setEscapeButton(escape);
        NativeLoopScope nativeLoop;
        ShowCentredOnOwner(box, request.owner);
        box.exec();
        const auto it = results.find(box.clickedButton());
        if (it != results.end()) return it->second;
        return escape ? results[escape] : DefaultMessageBoxResult(request.type);
    }
};

QString QtFilter(const std::pair<CString, CString>& filter)
{
    QString patterns = ui::ToQString(filter.second);
    patterns.replace(u';', u' ');
    patterns = patterns.simplified();
    QString description = ui::ToQString(filter.first).trimmed();
    // Descriptions often show their patterns already ("Text (*.txt)"):
    // the toolkit's list would show them twice.
    if (description.endsWith(u')')) {
        const qsizetype open = description.lastIndexOf(u'(');
        if (open >= 0) {
            QString shown = description.mid(open + 1, description.size() - open - 2);
            shown.replace(u';', u' ');
            shown.replace(u',', u' ');
            if (shown.simplified() == patterns) description = description.left(open).trimmed();
        }
    }
    return description + QStringLiteral(" (") + patterns + u')';
}

class QtStandardDialogService final : public IStandardDialogService {
public:
    FileDialogResult ShowFileDialog(const FileDialogRequest& request) override
    {
        return OnUiThread<FileDialogResult>([&request] { return FileHere(request); });
    }

    ColorDialogResult ShowColorDialog(const ColorDialogRequest& request) override
    {
        return OnUiThread<ColorDialogResult>([&request] { return ColorHere(request); });
    }

    UINT ShowPopupMenu(const PopupMenuRequest& request) override
    {
        return OnUiThread<UINT>([&request] { return MenuHere(request); });
    }

private:
    static FileDialogResult FileHere(const FileDialogRequest& request)
    {
        FileDialogResult result;
        QFileDialog dialog(OwnerWidget(request.owner));
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        if (request.open) {
            dialog.setFileMode((request.flags & OFN_ALLOWMULTISELECT) ? QFileDialog::ExistingFiles
                                                                     : QFileDialog::ExistingFile);
        } else {
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setOption(QFileDialog::DontConfirmOverwrite, !(request.flags & OFN_OVERWRITEPROMPT));
        }
        if (!request.title.IsEmpty()) dialog.setWindowTitle(ui::ToQString(request.title));
        QStringList filters;
        for (const auto& f : request.filters) filters << QtFilter(f);
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
            const int index = std::clamp(request.filterIndex, 1, static_cast<int>(filters.size())) - 1;
            dialog.selectNameFilter(filters[index]);
        }
        if (!request.defaultExtension.IsEmpty()) dialog.setDefaultSuffix(ui::ToQString(request.defaultExtension));
        QString folder = ui::ToQString(request.initialFolder);
        folder.replace(u'\\', u'/');
        if (!folder.isEmpty()) dialog.setDirectory(folder);
        QString name = ui::ToQString(request.fileName);
        name.replace(u'\\', u'/');
        if (!name.isEmpty()) dialog.selectFile(name);
        NativeLoopScope nativeLoop;
        if (dialog.exec() != QDialog::Accepted) return result;
        result.ok = true;
        for (const QString& path : dialog.selectedFiles()) result.paths.push_back(ui::ToCString(QDir::toNativeSeparators(path)));
        result.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
        if (result.filterIndex <= 0) result.filterIndex = request.filterIndex;
        return result;
    }

    static ColorDialogResult ColorHere(const ColorDialogRequest& request)
    {
        ColorDialogResult result;
        for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, ui::ToQColor(request.customColors[i]));
        QColorDialog dialog(ui::ToQColor(request.initial), OwnerWidget(request.owner));
        dialog.setOption(QColorDialog::DontUseNativeDialog, true);
        NativeLoopScope nativeLoop;
        const bool ok = dialog.exec() == QDialog::Accepted;
        for (int i = 0; i < 16; ++i) result.customColors[i] = ui::ToColorRef(QColorDialog::customColor(i));
        if (!ok) return result;
        result.ok = true;
        result.color = ui::ToColorRef(dialog.selectedColor());
        return result;
    }

    static void Fill(QMenu& menu, HMENU handle, int depth)
    {
        for (const PopupMenuItem& item : MenuItemsOf(handle)) {
            if (item.flags & MF_SEPARATOR) {
                menu.addSeparator();
                continue;
            }
            QString text = ui::ToQString(item.text);
            text.replace(u'\t', QStringLiteral("    "));
            if (item.submenu) {
                QMenu* sub = menu.addMenu(text);
                if (depth < 16) Fill(*sub, item.submenu, depth + 1);
                sub->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
                continue;
            }
            QAction* action = menu.addAction(text);
            action->setData(item.id);
            action->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
            if (item.flags & MF_CHECKED) {
                action->setCheckable(true);
                action->setChecked(true);
            }
        }
    }

    static UINT MenuHere(const PopupMenuRequest& request)
    {
        QMenu menu(OwnerWidget(request.owner));
        Fill(menu, request.menu, 0);
        NativeLoopScope nativeLoop;
        QAction* chosen = menu.exec(QPoint(request.at.x, request.at.y));
        return chosen ? chosen->data().toUInt() : 0;
    }
};

}  // namespace

IStandardDialogService* SetStandardDialogService(IStandardDialogService* service) { return g_service.exchange(service); }
IStandardDialogService* GetStandardDialogService() { return g_service.load(); }

FileDialogResult ShowFileDialog(const FileDialogRequest& request)
{
    IStandardDialogService* service = g_service.load();
    if (!service) return FileDialogResult{};
    try {
        // Where the last file of the kind was, never the program's working folder.
        const FileDialogResult result = service->ShowFileDialog(WithStartFolder(request));
        if (result.ok && !result.paths.empty()) RememberFolderFor(FileKindOf(request), result.paths.front());
        return result;
    } catch (...) {
        return FileDialogResult{};
    }
}

ColorDialogResult ShowColorDialog(const ColorDialogRequest& request)
{
    IStandardDialogService* service = g_service.load();
    ColorDialogResult cancelled;
    std::copy(std::begin(request.customColors), std::end(request.customColors), cancelled.customColors);
    if (!service) return cancelled;
    try {
        return service->ShowColorDialog(request);
    } catch (...) {
        return cancelled;
    }
}

UINT ShowPopupMenu(const PopupMenuRequest& request)
{
    IStandardDialogService* service = g_service.load();
    if (!service) return 0;
    try {
        return service->ShowPopupMenu(request);
    } catch (...) {
        return 0;
    }
}

struct StandardServices::Impl {
    QtMessageBoxService boxes;
    QtStandardDialogService dialogs;
    IMessageBoxService* previousBoxes = nullptr;
    IStandardDialogService* previousDialogs = nullptr;
};

StandardServices::StandardServices() : m_impl(std::make_unique<Impl>())
{
    m_impl->previousBoxes = SetMessageBoxService(&m_impl->boxes);
    m_impl->previousDialogs = SetStandardDialogService(&m_impl->dialogs);
}

StandardServices::~StandardServices()
{
    // Only put the earlier ones back when nobody replaced ours meanwhile.
    if (GetMessageBoxService() == &m_impl->boxes) SetMessageBoxService(m_impl->previousBoxes);
    if (GetStandardDialogService() == &m_impl->dialogs) SetStandardDialogService(m_impl->previousDialogs);
}

}  // namespace platform
