// Opening a controller window: the main frame fills a pending request (what
// to open), the application looks for a window that already shows it,
// otherwise has a new window built and, once that window reports itself
// opened, enters it in the registry.
#pragma once

#include "manager/app/OpenWindowRegistry.h"
#include "manager/core/OpenWindowEntry.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

struct PendingOpenRequest {
    OpenWindowEntry entry;
    CString displayName;  // the title the new document shows
    // Set by the new child frame once its tree is built; it also records
    // itself as entry.frame.
    bool opened = false;
    // Passed on to the tree view: 0 for new offline data, else 1.
    bool addToRegistry = true;

    void Reset() { *this = PendingOpenRequest(); }
};

// The requests of the main frame's commands.
PendingOpenRequest MakeDataFileRequest(const CString& path);
PendingOpenRequest MakeNewDataRequest(const CString& dataName);
PendingOpenRequest MakeSerialRequest(int comPort, const CString& displayName);

// What opening needs of the windows.
class IWindowOpener {
public:
    virtual ~IWindowOpener() = default;
    // The window limit (CanOpenAnotherWindow with the current counts).
    virtual bool CanOpenAnotherWindow() = 0;
    virtual void ShowMessage(UINT stringId) = 0;
    virtual void Activate(CWnd* frame) = 0;
    // Builds the window: a new document, or the document of the request's
    // file. The new child frame marks the request opened.
    virtual void CreateWindow(PendingOpenRequest& request, bool fromFile) = 0;
    // Closes a frame that was made but did not open (WM_APP+0x46).
    virtual void CloseFrame(CWnd* frame) = 0;
};

enum class OpenOutcome {
    Refused,    // too many windows: message 10137 was shown
    Nothing,    // the request asks for nothing
    Activated,  // a window already showed it
    Opened,     // a new window was entered in the registry
    Failed,     // the new window did not open
};

// Carries out the request; it is reset afterwards whatever happened. A data
// file is always looked for; a connection only when it names something (new
// offline data never matches another window).
OpenOutcome OpenPendingWindow(COpenWindowRegistry& registry, PendingOpenRequest& request, bool fromFile,
                              IWindowOpener& opener);
