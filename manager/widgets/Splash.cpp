#include "manager/widgets/Splash.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <vector>

namespace {

// The splashes that exist; the running flag is "any".
std::vector<CSplash*>& LiveSplashes()
{
    static std::vector<CSplash*> live;
    return live;
}

}  // namespace

bool IsSplashRunning() { return !LiveSplashes().empty(); }

CSplash::CSplash(UINT nBitmapId, int nDisplayMs, const std::vector<SplashText>* pLines, int nFlags,
                 CSplash** pOwnerPointer, const int* pReady)
    : m_pOwnerPointer(pOwnerPointer), m_nFlags(nFlags), m_pReady(pReady)
{
    LiveSplashes().push_back(this);
    if ((m_nFlags & CSplashWnd::kWaitForReady) && !m_pReady) {
        m_pReady = &m_ownReady;
        m_nFlags &= ~CSplashWnd::kWaitForReady;
    }
    m_pWnd = CSplashWnd::CreateSplash(nBitmapId, nDisplayMs, m_nFlags, m_pReady, pLines, this);
    if (!m_pWnd) EndLater();
}

CSplash::~CSplash()
{
    std::erase(LiveSplashes(), this);
    if (m_pOwnerPointer && *m_pOwnerPointer == this) *m_pOwnerPointer = nullptr;
}

void CSplash::Close()
{
    if (m_pWnd && m_pWnd->GetSafeHwnd()) m_pWnd->PostMessage(WM_CLOSE);
}

void CSplash::WindowEnded()
{
    m_pWnd = nullptr;
    delete this;
}

void CSplash::EndLater()
{
    // Not from within the constructor: the caller still stores the pointer.
    CSplash* self = this;
    QObject* context = QCoreApplication::instance();
    if (!context) {
        std::erase(LiveSplashes(), this);
        return;
    }
    QMetaObject::invokeMethod(
        context,
        [self] {
            auto& live = LiveSplashes();
            if (std::find(live.begin(), live.end(), self) != live.end()) delete self;
        },
        Qt::QueuedConnection);
}
