#include "platform/ui/InputServices.h"

#include "platform/core/CmdTarget.h"

#include <QCursor>
#include <QGuiApplication>
#include <QStyleHints>
#include <QThread>

namespace {

constexpr UINT kDefaultDoubleClickMs = 500;

bool OnGuiThread()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

// GUI thread only: the waits begun and the override cursors this library
// pushed for them.
int g_depth = 0;
int g_pushed = 0;

void ChangeOnGuiThread(int change)
{
    if (change > 0) {
        if (++g_depth == 1) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            ++g_pushed;
        }
    } else if (change < 0) {
        // An end without a begin must not take away someone else's cursor.
        if (g_depth == 0) return;
        if (--g_depth == 0) {
            for (; g_pushed > 0; --g_pushed) QGuiApplication::restoreOverrideCursor();
        }
    } else if (g_depth > 0) {
        // After a message box or a dialog changed the cursor: the hourglass again.
        const QCursor* current = QGuiApplication::overrideCursor();
        if (!current || current->shape() != Qt::WaitCursor) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            ++g_pushed;
        }
    }
}

void WaitCursorHook(int change)
{
    if (OnGuiThread()) {
        ChangeOnGuiThread(change);
    } else if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // The cursor belongs to the GUI thread; a worker's wait is shown there.
        QMetaObject::invokeMethod(app, [change] { ChangeOnGuiThread(change); }, Qt::QueuedConnection);
    }
}

const bool g_installed = (platform::SetWaitCursorHook(&WaitCursorHook), true);

}  // namespace

BOOL SetCursorPos(int x, int y)
{
    if (!OnGuiThread()) return FALSE;
    QCursor::setPos(x, y);
    return TRUE;
}

UINT GetDoubleClickTime()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return kDefaultDoubleClickMs;
    const int ms = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    return ms > 0 ? static_cast<UINT>(ms) : kDefaultDoubleClickMs;
}

namespace platform {

int WaitCursorDepth() { return OnGuiThread() ? g_depth : 0; }

}  // namespace platform
