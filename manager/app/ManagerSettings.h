// Where the manager keeps its settings and what it keeps in section
// "Settings": the option record, the placement and the most number of the
// controller windows, and the launcher's do-not-show flag. Every value is
// read with its default when missing or unreadable, and every write is
// atomic (the profile store's own rule).
#pragma once

#include "manager/app/AppOptions.h"
#include "platform/core/AppProfile.h"
#include "platform/core/CString.h"

inline constexpr char16_t kSettingsSection[] = u"Settings";

// The profile: with "/ini" a file beside the program named after it with
// ".ini"; otherwise the registry key "Software\<keyText>\<appName>" (keyText
// is string 57004).
platform::ProfileStore MakeManagerProfileStore(bool iniProfile, const CString& keyText, const CString& appName);

// The last placement of a controller window: the show command and the
// normal rectangle; -1 everywhere means none was stored.
struct ChildWindowPlacement {
    int state = 5;
    int left = -1;
    int top = -1;
    int right = -1;
    int bottom = -1;

    friend bool operator==(const ChildWindowPlacement&, const ChildWindowPlacement&) = default;
};

inline constexpr int kDefaultChildWindowMaxCount = 20;
// A process holding this many drawing objects opens no further window.
inline constexpr int kDrawingObjectLimit = 9000;

// Whether one more controller window may open: fewer than maxCount are open
// and the drawing objects are below their limit. Callers show 10137 when not.
bool CanOpenAnotherWindow(int openWindows, int maxCount, int drawingObjects = 0);

class CManagerSettings {
public:
    explicit CManagerSettings(platform::ProfileStore store) : m_store(std::move(store)) {}

    const platform::ProfileStore& Store() const { return m_store; }

    // "OptionSetting": true when a whole record was stored; its first 60
    // bytes then replace options. A shorter value is not taken (it cannot be
    // this record) and options keep what they hold.
    bool LoadOptions(AppOptions& options) const;
    bool SaveOptions(const AppOptions& options) const;

    ChildWindowPlacement LoadChildWindowPlacement() const;
    bool SaveChildWindowPlacement(const ChildWindowPlacement& placement) const;

    // A stored count below 1 would refuse every window: the default is taken.
    int LoadChildWindowMaxCount() const;
    bool SaveChildWindowMaxCount(int count) const;

    // "LauncherDoNotShowAgain": 1 = the launcher is not shown at start.
    bool LauncherDoNotShowAgain() const;
    bool SetLauncherDoNotShowAgain(bool doNotShow) const;

private:
    platform::ProfileStore m_store;
};
