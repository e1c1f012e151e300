#include "manager/app/ManagerStartup.h"

#include "manager/app/ManagerSettings.h"
#include "platform/core/MessageBox.h"
#include "resources/manager/resource_ids.h"

bool GuardSingleInstance(CSingleInstanceGuard& guard, const CString& appName)
{
    if (guard.Acquire(appName) != CSingleInstanceGuard::Result::AlreadyRunning) return true;
    AfxMessageBox(IDS_ALREADY_RUNNING, MB_OK | MB_ICONERROR);
    return false;
}

platform::ProfileStore SetUpManagerProfile(bool iniProfile, const CString& appName)
{
    CString keyText;
    keyText.LoadString(IDS_REGISTRY_KEY);
    return MakeManagerProfileStore(iniProfile, keyText, appName);
}
