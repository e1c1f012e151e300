#include "manager/app/PendingOpen.h"

#include "manager/core/SharedText.h"
#include "resources/manager/resource_ids.h"

PendingOpenRequest MakeDataFileRequest(const CString& path)
{
    PendingOpenRequest r;
    r.entry.kind = kOpenWindowOffline;
    r.entry.name = path;
    r.displayName = GetFileTitleOfPath(path);
    r.addToRegistry = true;
    return r;
}

PendingOpenRequest MakeNewDataRequest(const CString& dataName)
{
    PendingOpenRequest r;
    r.entry.kind = kOpenWindowOffline;
    r.displayName = dataName;
    r.addToRegistry = false;
    return r;
}

PendingOpenRequest MakeSerialRequest(int comPort, const CString& displayName)
{
    PendingOpenRequest r;
    r.entry.kind = kOpenWindowSerial;
    r.entry.comPort = static_cast<std::int16_t>(comPort);
    r.displayName = displayName;
    r.addToRegistry = true;
    return r;
}

namespace {

OpenOutcome Open(COpenWindowRegistry& registry, PendingOpenRequest& request, bool fromFile, IWindowOpener& opener)
{
    if (!opener.CanOpenAnotherWindow()) {
        opener.ShowMessage(IDS_TOO_MANY_WINDOWS);
        return OpenOutcome::Refused;
    }
    if (request.entry.kind == kOpenWindowNone) return OpenOutcome::Nothing;
    const OpenWindowEntry& key = request.entry;
    if (fromFile || !key.name.IsEmpty() || key.comPort != 0 || key.address != 0) {
        if (CWnd* frame = registry.Find(key)) {
            opener.Activate(frame);
            return OpenOutcome::Activated;
        }
    }
    request.opened = false;
    request.entry.frame = nullptr;
    opener.CreateWindow(request, fromFile);
    if (request.opened && request.entry.frame != nullptr) {
        registry.Add(request.entry);
        opener.Activate(request.entry.frame);
        return OpenOutcome::Opened;
    }
    if (request.entry.frame != nullptr) opener.CloseFrame(request.entry.frame);
    return OpenOutcome::Failed;
}

}  // namespace

OpenOutcome OpenPendingWindow(COpenWindowRegistry& registry, PendingOpenRequest& request, bool fromFile,
                              IWindowOpener& opener)
{
    const OpenOutcome outcome = Open(registry, request, fromFile, opener);
    request.Reset();
    return outcome;
}
