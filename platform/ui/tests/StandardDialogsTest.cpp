// The message box, file and colour dialogs: the Qt implementations (worked
// by a timer that finds the modal widget and answers it, as a person would)
// and the scripting hook that tests of the programs use instead.
#include "platform/ui/tests/TestDialog.h"

#include "platform/core/MessageBox.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Menu.h"
#include "platform/ui/StandardDialogs.h"
#include "platform/ui/WidgetPeer.h"
#include "tests/support/ui/ScriptedDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

// Answers the next modal widget of type T once it is up; gives up (and the
// test fails) after a bounded number of looks.
template <class T>
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(T*)> answer) : m_answer(std::move(answer))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Look(); });
        m_timer.start();
    }
    ~ModalAnswer()
    {
        m_timer.stop();
        EXPECT_TRUE(m_done) << "no modal dialog came up to answer";
    }
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

private:
    void Look()
    {
        constexpr int kMaxLooks = 1000;
        if (m_done) return;
        T* widget = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!widget) {
            if (++m_looks > kMaxLooks) {
                m_timer.stop();
                ADD_FAILURE() << "gave up waiting for the modal dialog";
            }
            return;
        }
        m_done = true;
        m_timer.stop();
        m_answer(widget);
        // Whatever the answer did, the box must not stay up.
        if (widget->isVisible()) widget->reject();
    }

    std::function<void(T*)> m_answer;
    QTimer m_timer;
    bool m_done = false;
    int m_looks = 0;
};

class ScopedLanguage {
public:
    explicit ScopedLanguage(const char* lang)
    {
        const char* before = std::getenv("QV_LANG");
        m_had = before != nullptr;
        if (before) m_before = before;
        ::setenv("QV_LANG", lang, 1);
    }
    ~ScopedLanguage()
    {
        if (m_had) {
            ::setenv("QV_LANG", m_before.c_str(), 1);
        } else {
            ::unsetenv("QV_LANG");
        }
    }
    ScopedLanguage(const ScopedLanguage&) = delete;
    ScopedLanguage& operator=(const ScopedLanguage&) = delete;

private:
    bool m_had = false;
    std::string m_before;
};

QStringList Labels(QMessageBox* box)
{
    QStringList labels;
    for (QAbstractButton* b : box->buttons()) labels << b->text();
    labels.sort();
    return labels;
}

class StandardDialogsTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
    uitest::ScopedResources m_resources{u"uitest", "en"};
};

TEST_F(StandardDialogsTest, QtMessageBoxShowsEveryButtonSetAndAnswersWithTheClickedOne)
{
    struct Row {
        const char* name;
        const char* lang;
        UINT type;
        QStringList labels;  // sorted
        QString defaultLabel;
        QString click;       // empty: Escape
        int result;
        QMessageBox::Icon icon;
    };
    const Row rows[] = {
        {"OK", "en", MB_OK, {"OK"}, "OK", "", IDOK, QMessageBox::NoIcon},
        {"OK Cancel, Escape", "en", MB_OKCANCEL | MB_ICONEXCLAMATION, {"Cancel", "OK"}, "OK", "", IDCANCEL,
         QMessageBox::Warning},
        {"Abort Retry Ignore", "en", MB_ABORTRETRYIGNORE | MB_ICONHAND | MB_DEFBUTTON2,
         {"&Abort", "&Ignore", "&Retry"}, "&Retry", "&Ignore", IDIGNORE, QMessageBox::Critical},
        {"Yes No Cancel", "en", MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3, {"&No", "&Yes", "Cancel"},
         "Cancel", "&No", IDNO, QMessageBox::Question},
        {"Yes No", "en", MB_YESNO | MB_ICONASTERISK, {"&No", "&Yes"}, "&Yes", "&Yes", IDYES,
         QMessageBox::Information},
        {"Retry Cancel", "en", MB_RETRYCANCEL, {"&Retry", "Cancel"}, "&Retry", "Cancel", IDCANCEL,
         QMessageBox::NoIcon},
        {"Cancel Try Continue", "en", MB_CANCELTRYCONTINUE | MB_DEFBUTTON2,
         {"&Continue", "&Try Again", "Cancel"}, "&Try Again", "&Continue", IDCONTINUE, QMessageBox::NoIcon},
        {"Yes No in Japanese", "ja", MB_YESNO, {"いいえ(&N)", "はい(&Y)"}, "はい(&Y)", "いいえ(&N)", IDNO,
         QMessageBox::NoIcon},
    };
    uitest::AllControlsDialog owner;
    ASSERT_TRUE(owner.Create(IDD_ALL_CONTROLS));
    owner.ShowWindow(SW_SHOW);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScopedLanguage language(row.lang);
        QStringList labels;
        QString defaultLabel;
        QString title;
        QString text;
        QWidget* parent = nullptr;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int result = 0;
        {
            ModalAnswer<QMessageBox> answer([&](QMessageBox* box) {
                labels = Labels(box);
                defaultLabel = box->defaultButton() ? box->defaultButton()->text() : QString();
                title = box->windowTitle();
                text = box->text();
                parent = box->parentWidget();
                icon = box->icon();
                if (row.click.isEmpty()) {
                    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                    QCoreApplication::sendEvent(box, &escape);
                    return;
                }
                for (QAbstractButton* b : box->buttons()) {
                    if (b->text() == row.click) b->click();
                }
            });
            result = ::MessageBoxW(owner.GetSafeHwnd(), u"Body text", u"Title", row.type);
        }
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(labels, row.labels);
        EXPECT_EQ(defaultLabel, row.defaultLabel);
        EXPECT_EQ(title, QStringLiteral("Title"));
        EXPECT_EQ(text, QStringLiteral("Body text"));
        EXPECT_EQ(icon, row.icon);
        EXPECT_EQ(parent, uitest::DialogDriver(owner.GetSafeHwnd()).Widget(owner.GetSafeHwnd()));
    }
    owner.DestroyWindow();
}

TEST_F(StandardDialogsTest, ABoxIsNeverNarrowerThanItsTitleWithItsTitleBar)
{
    // A one-word text under a long title: a window manager shows the title
    // beside the bar's icon and buttons, which take far more than the toolkit leaves.
    const std::pair<const char16_t*, const char16_t*> rows[] = {
        {u"Quorvane", u"NG"},
        {u"Quorvane - Line A (COM3) - KX-Q05  node 1", u"OK"},
        {u"コントローラの応答", u"NG"},
    };
    for (const auto& [caption, text] : rows) {
        SCOPED_TRACE(CString(caption).ToUtf8());
        int width = 0;
        int titleWidth = 0;
        {
            ModalAnswer<QMessageBox> answer([&](QMessageBox* box) {
                QFont bold = box->font();
                bold.setBold(true);
                titleWidth = QFontMetrics(bold).horizontalAdvance(box->windowTitle());
                // The box is laid out once it shows (on a display, in the window manager's time).
                uitest::WaitUntil([&] { return box->isVisible() && box->width() > 50; }, 5000);
                width = box->width();
                if (platform::ui::OnRealDisplay())
                    box->screen()->grabWindow(0).save(QString::fromStdString(uitest::ArtifactFolder("platform") + "/message-box-title.png"));
                box->accept();
            });
            ::MessageBoxW(HWND(), text, caption, MB_OK | MB_ICONEXCLAMATION);
        }
        // The title, the icon, three buttons and their margins.
        EXPECT_GE(width, titleWidth + 150) << "title " << titleWidth << " px";
    }
}

TEST_F(StandardDialogsTest, EscapeOnABoxWithoutCancelDoesNotCloseIt)
{
    int result = 0;
    bool stayed = false;
    {
        ModalAnswer<QMessageBox> answer([&](QMessageBox* box) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(box, &escape);
            stayed = box->isVisible();
            for (QAbstractButton* b : box->buttons()) {
                if (b->text() == QStringLiteral("&No")) b->click();
            }
        });
        result = ::MessageBoxW(HWND(), u"Save?", u"Question", MB_YESNO);
    }
    EXPECT_TRUE(stayed);
    EXPECT_EQ(result, IDNO);
}

TEST_F(StandardDialogsTest, FileDialogsGoThroughTheHookWithTheirFiltersAndFlags)
{
    ScriptedDialogs dialogs;
    dialogs.ChooseFile({u"/data/trace 1.csv"}, 2).CancelFile();
    CFileDialog open(TRUE, u"csv", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                     u"Trace files (*.csv)|*.csv|All files (*.*)|*.*||");
    open.m_ofn.lpstrTitle = u"Open trace";
    EXPECT_EQ(open.DoModal(), IDOK);
    EXPECT_EQ(open.GetPathName(), CString(u"/data/trace 1.csv"));
    EXPECT_EQ(open.GetFileName(), CString(u"trace 1.csv"));
    EXPECT_EQ(open.GetFileExt(), CString(u"csv"));
    EXPECT_EQ(open.GetFileTitle(), CString(u"trace 1"));
    EXPECT_EQ(open.m_ofn.nFilterIndex, 2u);

    CFileDialog save(FALSE, u"txt", u"notes.txt");
    EXPECT_EQ(save.DoModal(), IDCANCEL);

    const std::vector<platform::FileDialogRequest> asked = dialogs.FileRequests();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[0].open);
    EXPECT_EQ(asked[0].title, CString(u"Open trace"));
    ASSERT_EQ(asked[0].filters.size(), 2u);
    EXPECT_EQ(asked[0].filters[0].first, CString(u"Trace files (*.csv)"));
    EXPECT_EQ(asked[0].filters[0].second, CString(u"*.csv"));
    EXPECT_EQ(asked[0].filters[1].second, CString(u"*.*"));
    EXPECT_TRUE(asked[0].flags & OFN_FILEMUSTEXIST);
    EXPECT_FALSE(asked[1].open);
    EXPECT_EQ(asked[1].fileName, CString(u"notes.txt"));
    EXPECT_EQ(asked[1].defaultExtension, CString(u"txt"));
}

TEST_F(StandardDialogsTest, QtFileDialogReturnsTheChosenFile)
{
    // A folder of this process: another run of the tests at the same time
    // (another build on the machine) must not remove it under this one.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qv-ui-file-dialog-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "readme.txt") << "x";
    std::ofstream(folder / "data.csv") << "1,2";
    const std::u16string folderText = CString::FromUtf8(folder.string()).GetString();

    struct Row {
        const char* name;
        bool accept;
        INT_PTR result;
    };
    const Row rows[] = {{"chosen", true, IDOK}, {"cancelled", false, IDCANCEL}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QStringList filters;
        INT_PTR result = 0;
        CFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, u"Data (*.csv)|*.csv|Text|*.txt;*.log||");
        dialog.m_ofn.lpstrInitialDir = folderText.c_str();
        {
            ModalAnswer<QFileDialog> answer([&](QFileDialog* d) {
                filters = d->nameFilters();
                if (!row.accept) {
                    d->reject();
                    return;
                }
                d->selectFile(QString::fromStdString((folder / "data.csv").string()));
                static_cast<QDialog*>(d)->accept();  // the Open button
            });
            result = dialog.DoModal();
        }
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(filters, (QStringList{"Data (*.csv)", "Text (*.txt *.log)"}));
        if (row.accept) {
            EXPECT_EQ(dialog.GetPathName(), CString::FromUtf8((folder / "data.csv").string()));
        }
    }
    std::filesystem::remove_all(folder);
}

TEST_F(StandardDialogsTest, ColourDialogThroughTheHookAndThroughQt)
{
    {
        ScriptedDialogs dialogs;
        dialogs.ChooseColor(RGB(10, 20, 30)).CancelColor();
        CColorDialog chosen(RGB(1, 2, 3), CC_FULLOPEN);
        EXPECT_EQ(chosen.DoModal(), IDOK);
        EXPECT_EQ(chosen.GetColor(), RGB(10, 20, 30));
        CColorDialog cancelled(RGB(1, 2, 3));
        EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
        ASSERT_EQ(dialogs.ColorRequests().size(), 2u);
        EXPECT_EQ(dialogs.ColorRequests()[0].initial, RGB(1, 2, 3));
    }
    QColor initial;
    CColorDialog real(RGB(200, 100, 50), CC_FULLOPEN);
    INT_PTR result = 0;
    {
        ModalAnswer<QColorDialog> answer([&](QColorDialog* d) {
            initial = d->currentColor();
            d->setCurrentColor(QColor(0, 128, 255));
            d->accept();
        });
        result = real.DoModal();
    }
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(initial, QColor(200, 100, 50));
    EXPECT_EQ(real.GetColor(), RGB(0, 128, 255));
}

TEST_F(StandardDialogsTest, PopupMenuFromTheResourcesThroughTheHook)
{
    uitest::RecordingDialog owner;
    ASSERT_TRUE(owner.Create(IDD_ALL_CONTROLS));
    ScriptedDialogs dialogs;
    dialogs.ChooseMenuCommand(ID_FILE_OPEN).ChooseMenuCommand(ID_EDIT_COPY);
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
    CMenu* file = menu.GetSubMenu(0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetMenuItemCount(), 4u);
    EXPECT_EQ(file->GetMenuState(ID_FILE_SAVE, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);

    // With TPM_RETURNCMD the command comes back; without it, it is posted.
    EXPECT_EQ(static_cast<UINT>(file->TrackPopupMenu(TPM_RETURNCMD | TPM_LEFTALIGN, 10, 10, &owner)), ID_FILE_OPEN);
    owner.m_notices.clear();
    EXPECT_TRUE(file->TrackPopupMenu(TPM_LEFTALIGN, 10, 10, &owner));
    uitest::Pump(0);
    EXPECT_EQ(owner.m_notices, (std::vector<uitest::Notice>{{ID_EDIT_COPY, 0}}));
    ASSERT_EQ(dialogs.MenuRequests().size(), 2u);
    const std::vector<platform::PopupMenuItem> items = platform::MenuItemsOf(dialogs.MenuRequests()[0].menu);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].text, CString(u"&Open...\tCtrl+O"));
    EXPECT_TRUE(items[2].flags & MF_SEPARATOR);
    menu.DestroyMenu();
    owner.DestroyWindow();
}

}  // namespace
