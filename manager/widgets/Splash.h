// The splash of the manager's start-up and of its About command.
//
// Widgets live on the user-interface thread only, so the splash is not a
// thread of its own: CSplash is an object on the user-interface thread that
// shows the splash window and lives exactly as long as it (the window's end
// ends the object, as the end of a thread's main window ends the thread).
// The window paints and closes whenever that thread lets messages through,
// which the start-up does while it waits for the splash (IsSplashRunning),
// and it keeps its own timer. The ready flag, the running flag and the
// owner's pointer are therefore touched on one thread only.
#pragma once

#include "manager/widgets/SplashWnd.h"

#include <vector>

class CSplash {
public:
    // Raises the running flag and shows the splash. With kWaitForReady and
    // no ready flag, the splash uses a ready flag of its own that is already
    // set. pOwnerPointer (may be null) is cleared when the splash ends. When
    // the window cannot be made the splash ends at the next pass of the
    // message loop.
    CSplash(UINT nBitmapId, int nDisplayMs, const std::vector<SplashText>* pLines, int nFlags,
            CSplash** pOwnerPointer, const int* pReady);
    CSplash(const CSplash&) = delete;
    CSplash& operator=(const CSplash&) = delete;

    // Asks the splash window to close; the splash ends with it.
    void Close();
    CSplashWnd* GetSplashWnd() const { return m_pWnd; }
    int GetFlags() const { return m_nFlags; }

private:
    friend class CSplashWnd;
    // Only the splash itself ends itself.
    ~CSplash();
    void WindowEnded();
    void EndLater();

    CSplash** m_pOwnerPointer;
    int m_nFlags;
    const int* m_pReady;
    int m_ownReady = 1;
    CSplashWnd* m_pWnd = nullptr;
};

// True while a splash exists (the start-up waits for it to go).
bool IsSplashRunning();
