#include "platform/ui/DropFiles.h"

#include "platform/ui/WidgetPeer.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

namespace {

struct DropData {
    std::vector<CString> paths;
    POINT at{};
    bool inClient = true;
};

struct DropTable {
    std::mutex mutex;
    std::map<std::uint64_t, DropData> drops;
    std::uint32_t next = 1;
};

DropTable& Table()
{
    static auto* table = new DropTable;
    return *table;
}

std::vector<CString> LocalFiles(const QMimeData* mime)
{
    std::vector<CString> out;
    if (!mime || !mime->hasUrls()) return out;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) out.push_back(platform::ui::ToCString(url.toLocalFile()));
    }
    return out;
}

// Takes drops for the windows that accept files.
class DropFilter final : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (LocalFiles(drag->mimeData()).empty()) return false;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const std::vector<CString> paths = LocalFiles(drop->mimeData());
            platform::ui::WidgetPeer* peer = platform::ui::WidgetPeer::FromWidget(object);
            if (paths.empty() || !peer) return false;
            drop->acceptProposedAction();
            const QPoint p = drop->position().toPoint();
            platform::DeliverDroppedFiles(peer->Handle(), paths, POINT{p.x(), p.y()});
            return true;
        }
        default:
            return false;
        }
    }
};

DropFilter& Filter()
{
    static auto* filter = new DropFilter;
    return *filter;
}

}  // namespace

void DragAcceptFiles(HWND hWnd, BOOL accept)
{
    if (!::IsWindow(hWnd)) return;
    const DWORD ex = static_cast<DWORD>(::GetWindowLongPtrW(hWnd, GWL_EXSTYLE));
    const DWORD updated = accept ? (ex | WS_EX_ACCEPTFILES) : (ex & ~WS_EX_ACCEPTFILES);
    if (updated != ex) ::SetWindowLongPtrW(hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(updated));
    if (!platform::ui::OnUiThread()) return;
    QWidget* widget = platform::ui::WidgetOf(hWnd);
    if (!widget) return;
    widget->setAcceptDrops(accept != FALSE);
    if (accept) {
        widget->installEventFilter(&Filter());
    } else {
        widget->removeEventFilter(&Filter());
    }
}

UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR buffer, UINT size)
{
    DropTable& t = Table();
    std::lock_guard lock(t.mutex);
    const auto it = t.drops.find(drop.Value());
    if (it == t.drops.end()) return 0;
    const std::vector<CString>& paths = it->second.paths;
    if (index == 0xFFFFFFFFu) return static_cast<UINT>(paths.size());
    if (index >= paths.size()) return 0;
    const CString& path = paths[index];
    const UINT length = static_cast<UINT>(path.GetLength());
    if (!buffer) return length;
    if (size == 0) return 0;
    const UINT n = std::min(length, size - 1);
    std::copy_n(path.GetString(), n, buffer);
    buffer[n] = 0;
    return n;
}

BOOL DragQueryPoint(HDROP drop, POINT* point)
{
    DropTable& t = Table();
    std::lock_guard lock(t.mutex);
    const auto it = t.drops.find(drop.Value());
    if (it == t.drops.end() || !point) return FALSE;
    *point = it->second.at;
    return it->second.inClient ? TRUE : FALSE;
}

void DragFinish(HDROP drop)
{
    DropTable& t = Table();
    std::lock_guard lock(t.mutex);
    t.drops.erase(drop.Value());
}

namespace platform {

void DeliverDroppedFiles(HWND hWnd, const std::vector<CString>& paths, POINT at)
{
    // The nearest window that accepts files takes the drop.
    HWND target = hWnd;
    for (int depth = 0; target && depth < 256; ++depth) {
        if (::GetWindowLongPtrW(target, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) break;
        POINT p = at;
        ::MapWindowPoints(target, ::GetParent(target), &p, 1);
        at = p;
        target = ::GetParent(target);
    }
    if (!target || paths.empty()) return;
    DropTable& t = Table();
    HDROP drop;
    {
        std::lock_guard lock(t.mutex);
        drop = HDROP::Make(t.next++, 1);
        DropData data;
        data.paths = paths;
        data.at = at;
        RECT client{};
        ::GetClientRect(target, &client);
        data.inClient = at.x >= 0 && at.y >= 0 && at.x < client.right && at.y < client.bottom;
        t.drops[drop.Value()] = std::move(data);
    }
    ::SendMessageW(target, WM_DROPFILES, static_cast<WPARAM>(drop.Value()), 0);
    // A handler that forgot DragFinish does not leak the drop.
    DragFinish(drop);
}

}  // namespace platform
