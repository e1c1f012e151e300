// Helpers for the working day's trace steps: a driver that works the modal
// dialogs of a long session one after the other (the trace window, then the
// set-up it opens over itself), the texts of a list control, pictures of
// the manager's screen with the trace windows over it, and the sample rows
// of a saved trace data file.
#pragma once

#include "tests/support/ui/UiTest.h"
#include "tools/trace/tests/TraceTestSupport.h"

#include "platform/ui/HeaderCtrl.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/WidgetPeer.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace daytrace {

// The modal dialogs a person can work in: visible, in their modal loop and
// enabled (a dialog that opened another one is disabled meanwhile).
inline std::vector<HWND> OpenModalDialogs()
{
    std::vector<HWND> open;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible() || !widget->isEnabled()) continue;
        platform::ui::WidgetPeer* peer = platform::ui::WidgetPeer::FromWidget(widget);
        if (peer && peer->m_inModalLoop && peer->Widget() == widget) open.push_back(peer->Handle());
    }
    return open;
}

inline HWND TopModalDialog()
{
    const std::vector<HWND> open = OpenModalDialogs();
    return open.empty() ? HWND() : open.front();
}

// What the top-level windows are, for a failure's message.
inline std::string DescribeWindows()
{
    std::ostringstream text;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        platform::ui::WidgetPeer* peer = platform::ui::WidgetPeer::FromWidget(widget);
        if (!peer || peer->Widget() != widget) continue;
        text << "\n  " << widget->metaObject()->className() << " '" << widget->windowTitle().toStdString() << "'"
             << (widget->isVisible() ? " visible" : " hidden") << (widget->isEnabled() ? " enabled" : " disabled")
             << (peer->m_inModalLoop ? " modal" : "");
    }
    return text.str();
}

// Works the modal dialogs of a session as they come up, each with the
// script whose condition takes it. A condition also says when the dialog is
// ready: a window that is still reading the controller waits for its
// replies in a loop of its own, and a script started from inside that loop
// would hold the reading up until the script ends. So a script starts only
// once its dialog is idle, and a script may wait while its dialog opens the
// next one; that one is worked from inside. Every script must close its
// dialog. The limit is the whole session's: far beyond a healthy run, so
// only a fault reaches it, and then every open dialog is cancelled.
class ModalSession : public CWnd {
public:
    using Script = std::function<void(uitest::DialogDriver&)>;
    using Ready = std::function<bool(HWND)>;
    struct Step {
        Ready ready;
        Script script;
    };

    ModalSession(std::vector<Step> steps, UINT limitMs) : m_steps(steps.begin(), steps.end())
    {
        CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPED, RECT{}, nullptr, 0);
        SetTimer(kPollTimer, kPollMs, nullptr);
        SetTimer(kLimitTimer, limitMs, nullptr);
    }
    ~ModalSession() override
    {
        if (!m_steps.empty()) ADD_FAILURE() << m_steps.size() << " dialog script(s) never ran" << DescribeWindows();
        DestroyWindow();
    }
    ModalSession(const ModalSession&) = delete;
    ModalSession& operator=(const ModalSession&) = delete;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_TIMER && wParam == kPollTimer) {
            Poll();
            return 0;
        }
        if (message == WM_TIMER && wParam == kLimitTimer) {
            KillTimer(kLimitTimer);
            ADD_FAILURE() << "the session ran out of time; its dialogs are cancelled" << DescribeWindows();
            for (HWND top = TopModalDialog(); top; top = TopModalDialog()) {
                ::EndDialog(top, IDCANCEL);
                uitest::Pump(50);
            }
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }

private:
    static constexpr UINT_PTR kPollTimer = 1;
    static constexpr UINT_PTR kLimitTimer = 2;
    static constexpr UINT kPollMs = 20;

    void Poll()
    {
        for (HWND open : OpenModalDialogs()) {
            if (m_seen.count(open)) continue;
            for (auto step = m_steps.begin(); step != m_steps.end(); ++step) {
                if (!step->ready(open)) continue;
                const Script script = std::move(step->script);
                m_steps.erase(step);
                m_seen.insert(open);
                uitest::DialogDriver driver(open);
                script(driver);
                if (::IsWindow(open) && CWnd::FromHandle(open) && CWnd::FromHandle(open)->ContinueModal()) {
                    ADD_FAILURE() << "a script left its dialog open; it is cancelled";
                    ::EndDialog(open, IDCANCEL);
                }
                return;
            }
        }
    }

    std::deque<Step> m_steps;
    std::set<HWND> m_seen;
};

inline CListCtrl* ListOf(const uitest::DialogDriver& d, int id)
{
    return static_cast<CListCtrl*>(CWnd::FromHandle(d.Item(id)));
}

using Table = std::vector<std::vector<std::string>>;

// Every row's texts, column by column, as the list shows them.
inline Table Rows(const uitest::DialogDriver& d, int id)
{
    CListCtrl* list = ListOf(d, id);
    const int columns = list->GetHeaderCtrl() ? list->GetHeaderCtrl()->GetItemCount() : 0;
    Table rows;
    for (int r = 0; r < list->GetItemCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < columns; ++c) row.push_back(list->GetItemText(r, c).ToUtf8());
        rows.push_back(row);
    }
    return rows;
}

// Whether every row shows an image of the list's small images (a channel's colour).
inline bool EveryRowHasAnImage(const uitest::DialogDriver& d, int id)
{
    CListCtrl* list = ListOf(d, id);
    const int images = ImageList_GetImageCount(list->GetImageList(LVSIL_SMALL));
    for (int r = 0; r < list->GetItemCount(); ++r) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = r;
        if (!list->GetItem(&item) || item.iImage < 0 || item.iImage >= images) return false;
    }
    return list->GetItemCount() > 0;
}

inline CString Caption(HWND window)
{
    CString text;
    CWnd::FromHandle(window)->GetWindowText(text);
    return text;
}

// The main window with the given top-level windows over it, as a person sees
// the screen (the picture grows to hold windows that stand out of it).
inline void PictureScreen(HWND frame, const std::vector<HWND>& windows, const std::string& file)
{
    uitest::Pump(50);
    std::vector<std::pair<QRect, QWidget*>> parts;
    QRect all;
    std::vector<HWND> shown{frame};
    shown.insert(shown.end(), windows.begin(), windows.end());
    for (HWND hwnd : shown) {
        QWidget* widget = ::IsWindow(hwnd) ? platform::ui::WidgetOf(hwnd) : nullptr;
        if (!widget || !widget->isVisible()) continue;
        const QRect rect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
        parts.emplace_back(rect, widget);
        all = all.united(rect);
    }
    ASSERT_FALSE(parts.empty()) << file;
    QPixmap picture(all.size());
    picture.fill(QColor(0x40, 0x40, 0x48));
    {
        QPainter painter(&picture);
        for (const auto& [rect, widget] : parts) painter.drawPixmap(rect.topLeft() - all.topLeft(), widget->grab());
    }
    EXPECT_TRUE(picture.save(QString::fromStdString(file))) << file;
}

// A saved trace data file read line by line: the start and end markers, the
// sample rows and the trigger position. The data block is the seventh block
// after the start marker, whatever language its label lines are in.
struct SavedTrace {
    std::string startMark;
    std::string endMark;
    std::vector<std::array<long, 4>> rows;
    long triggerPos = -1;
};

inline SavedTrace ReadSavedTrace(const std::string& path)
{
    SavedTrace trace;
    std::istringstream in(tracetest::ReadBytes(path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    if (lines.empty()) return trace;
    trace.startMark = lines.front();
    trace.endMark = lines.back();
    std::size_t i = 0;
    for (int empties = 0; i < lines.size() && empties < 7; ++i)
        if (lines[i].empty()) ++empties;
    if (i >= lines.size()) return trace;
    for (++i; i < lines.size() && !lines[i].empty(); ++i) {
        std::array<long, 4> row{};
        std::istringstream fields(lines[i]);
        std::string field;
        for (auto& value : row) {
            if (!std::getline(fields, field, ',')) return trace;
            value = std::stol(field);
        }
        trace.rows.push_back(row);
    }
    if (i + 2 < lines.size()) trace.triggerPos = std::stol(lines[i + 2]);
    return trace;
}

}  // namespace daytrace
