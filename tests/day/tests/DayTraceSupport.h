// Helpers for the working day's trace steps: a driver that works the modal
// dialogs of a long session one after the other (the trace window, then the
// set-up it opens over itself), the texts of a list control, pictures of
// the manager's screen with the trace windows over it, and the sample rows
// of a saved trace data file.
#pragma once

#include "tests/support/SavedTrace.h"
#include "tests/support/ui/ModalDialogs.h"
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

// The trace window, then the set-up it opens over itself, each once it is
// ready (its step's condition).
using ModalSession = uitest::ModalDialogDriver;

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

using testsupport::ReadSavedTrace;
using testsupport::SavedTrace;

}  // namespace daytrace
