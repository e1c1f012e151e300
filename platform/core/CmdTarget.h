// CCmdTarget: an object with a message map that commands can be routed to
// (windows, and in the user-interface layer documents, views and the
// application).
#pragma once

#include "platform/core/MessageMap.h"
#include "platform/core/Object.h"

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)

public:
    CCmdTarget() = default;

    // Routes command nID to this object's map. nCode is a control
    // notification code (CN_COMMAND for menus and accelerators),
    // CN_UPDATE_COMMAND_UI (pExtra is the CCmdUI) or MAKELONG(code, WM_NOTIFY)
    // (pExtra is an AFX_NOTIFY). With pHandlerInfo it only tells whether this
    // object has a handler, without calling it. TRUE when handled.
    // Targets that pass commands on (frames to views, documents, the
    // application) override it and call each target in turn.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // The hourglass while a long operation runs; shown by the user-interface
    // layer through the wait-cursor hook.
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

    virtual const platform::MessageMap* GetMessageMap() const;

protected:
    static const platform::MessageMap* GetThisMessageMap();
};

namespace platform {

// change: +1 begin, -1 end, 0 restore. The user-interface layer installs it.
using WaitCursorHook = void (*)(int change);
WaitCursorHook SetWaitCursorHook(WaitCursorHook hook);

}  // namespace platform
