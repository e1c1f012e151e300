#include "manager/app/ManagerSettings.h"

#include <algorithm>
#include <vector>

namespace {

constexpr char16_t kOptionSetting[] = u"OptionSetting";
constexpr char16_t kChildWindowState[] = u"ChildWindowState";
constexpr char16_t kChildWindowLeft[] = u"ChildWindowLeft";
constexpr char16_t kChildWindowTop[] = u"ChildWindowTop";
constexpr char16_t kChildWindowRight[] = u"ChildWindowRight";
constexpr char16_t kChildWindowBottom[] = u"ChildWindowBottom";
constexpr char16_t kChildWindowMaxCount[] = u"ChildWindowMaxCount";
constexpr char16_t kLauncherDoNotShowAgain[] = u"LauncherDoNotShowAgain";

}  // namespace

platform::ProfileStore MakeManagerProfileStore(bool iniProfile, const CString& keyText, const CString& appName)
{
    platform::ProfileStore store;
    if (iniProfile) {
        UseIniProfile(store);
        return store;
    }
    store.registryKey = u"Software\\";
    if (!keyText.IsEmpty()) store.registryKey += keyText + u"\\";
    store.registryKey += appName;
    return store;
}

bool CanOpenAnotherWindow(int openWindows, int maxCount, int drawingObjects)
{
    if (drawingObjects >= kDrawingObjectLimit) return false;
    return openWindows < maxCount;
}

bool CManagerSettings::LoadOptions(AppOptions& options) const
{
    std::vector<BYTE> data;
    if (!platform::GetProfileBinary(m_store, kSettingsSection, kOptionSetting, data)) return false;
    if (data.size() < options.Bytes().size()) return false;
    std::copy_n(data.begin(), options.Bytes().size(), options.Bytes().begin());
    return true;
}

bool CManagerSettings::SaveOptions(const AppOptions& options) const
{
    return platform::WriteProfileBinary(m_store, kSettingsSection, kOptionSetting, options.Bytes().data(),
                                        static_cast<UINT>(options.Bytes().size()));
}

ChildWindowPlacement CManagerSettings::LoadChildWindowPlacement() const
{
    const ChildWindowPlacement defaults;
    const auto read = [this](const char16_t* key, int fallback) {
        return static_cast<int>(platform::GetProfileInt(m_store, kSettingsSection, key, fallback));
    };
    ChildWindowPlacement p;
    p.state = read(kChildWindowState, defaults.state);
    p.left = read(kChildWindowLeft, defaults.left);
    p.top = read(kChildWindowTop, defaults.top);
    p.right = read(kChildWindowRight, defaults.right);
    p.bottom = read(kChildWindowBottom, defaults.bottom);
    return p;
}

bool CManagerSettings::SaveChildWindowPlacement(const ChildWindowPlacement& p) const
{
    bool ok = platform::WriteProfileInt(m_store, kSettingsSection, kChildWindowState, p.state);
    ok = platform::WriteProfileInt(m_store, kSettingsSection, kChildWindowLeft, p.left) && ok;
    ok = platform::WriteProfileInt(m_store, kSettingsSection, kChildWindowTop, p.top) && ok;
    ok = platform::WriteProfileInt(m_store, kSettingsSection, kChildWindowRight, p.right) && ok;
    ok = platform::WriteProfileInt(m_store, kSettingsSection, kChildWindowBottom, p.bottom) && ok;
    return ok;
}

int CManagerSettings::LoadChildWindowMaxCount() const
{
    const int count = static_cast<int>(
        platform::GetProfileInt(m_store, kSettingsSection, kChildWindowMaxCount, kDefaultChildWindowMaxCount));
    return count < 1 ? kDefaultChildWindowMaxCount : count;
}

bool CManagerSettings::SaveChildWindowMaxCount(int count) const
{
    return platform::WriteProfileInt(m_store, kSettingsSection, kChildWindowMaxCount, count);
}

bool CManagerSettings::LauncherDoNotShowAgain() const
{
    return platform::GetProfileInt(m_store, kSettingsSection, kLauncherDoNotShowAgain, 0) == 1;
}

bool CManagerSettings::SetLauncherDoNotShowAgain(bool doNotShow) const
{
    return platform::WriteProfileInt(m_store, kSettingsSection, kLauncherDoNotShowAgain, doNotShow ? 1 : 0);
}
