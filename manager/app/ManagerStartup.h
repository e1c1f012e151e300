// Start-up steps of the manager that show a message of their own. The
// application runs them in its order: resource module (ManagerResources.h),
// language (Language.h), required files (RequiredFiles.h), the toolkit,
// the single instance, the application font and the splash, the command line
// (StartupOptions.h), the profile, the frames, the parameter tables.
#pragma once

#include "manager/app/SingleInstanceGuard.h"
#include "platform/core/AppProfile.h"
#include "platform/core/CString.h"

// False when another manager of the user runs: message 57002 (error icon) is
// shown and the program is to end; the other manager is left as it is. A
// guard that cannot be made at all lets start-up go on.
bool GuardSingleInstance(CSingleInstanceGuard& guard, const CString& appName);

// The profile: the ini file beside the program with "/ini", else the
// registry key of string 57004 and the application's name.
platform::ProfileStore SetUpManagerProfile(bool iniProfile, const CString& appName);
