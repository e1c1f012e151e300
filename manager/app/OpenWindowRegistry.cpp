#include "manager/app/OpenWindowRegistry.h"

#include "manager/app/FilePathRules.h"
#include "resources/manager/resource_ids.h"

#include <algorithm>

namespace {

OpenWindowEntry WithCanonicalName(OpenWindowEntry entry)
{
    if (entry.kind == kOpenWindowOffline) entry.name = CanonicalFilePath(entry.name);
    return entry;
}

}  // namespace

void COpenWindowRegistry::Add(const OpenWindowEntry& entry) { m_entries.push_back(WithCanonicalName(entry)); }

void COpenWindowRegistry::Remove(const CWnd* frame)
{
    if (frame == nullptr) return;
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [frame](const OpenWindowEntry& e) { return e.frame == frame; });
    if (it != m_entries.end()) m_entries.erase(it);
}

CWnd* COpenWindowRegistry::Find(const OpenWindowEntry& key) const
{
    const OpenWindowEntry canonicalKey = WithCanonicalName(key);
    for (const OpenWindowEntry& e : m_entries)
        if (e.MatchesKey(canonicalKey)) return e.frame;
    return nullptr;
}

bool COpenWindowRegistry::Rename(const CWnd* frame, const CString& name)
{
    if (frame == nullptr || name.IsEmpty()) return false;
    for (OpenWindowEntry& e : m_entries) {
        if (e.frame == frame && e.kind == kOpenWindowOffline) {
            e.name = CanonicalFilePath(name);
            return true;
        }
    }
    return false;
}

int COpenWindowRegistry::GetComPortOfWindow(const CWnd* frame) const
{
    if (frame == nullptr) return 0;
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it)
        if (it->frame == frame) return it->comPort;
    return 0;
}

DWORD COpenWindowRegistry::GetAddressOfWindow(const CWnd* frame) const
{
    if (frame == nullptr) return 0;
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it)
        if (it->frame == frame) return it->address;
    return 0;
}

bool COpenWindowRegistry::GetOpenComPorts(std::vector<int>& ports) const
{
    std::vector<int> found;
    for (const OpenWindowEntry& e : m_entries)
        if (e.kind == kOpenWindowSerial) found.push_back(e.comPort);
    if (found.empty()) return false;
    ports = std::move(found);
    return true;
}

bool COpenWindowRegistry::GetOpenTcpAddresses(std::vector<DWORD>& addresses) const
{
    std::vector<DWORD> found;
    for (const OpenWindowEntry& e : m_entries)
        if (e.kind == kOpenWindowTcp) found.push_back(e.address);
    if (found.empty()) return false;
    addresses = std::move(found);
    return true;
}

bool COpenWindowRegistry::IsControllerNameOpen(const CString& name,
                                               const std::function<CString(CWnd*)>& controllerNameOf) const
{
    if (!controllerNameOf) return false;
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [&](const OpenWindowEntry& e) { return controllerNameOf(e.frame) == name; });
}

int COpenWindowRegistry::CountOfKind(int kind) const
{
    return static_cast<int>(
        std::count_if(m_entries.begin(), m_entries.end(), [kind](const OpenWindowEntry& e) { return e.kind == kind; }));
}

CString COpenWindowRegistry::MakeNewWindowName(int kind, const std::function<CString(CWnd*)>& windowNameOf) const
{
    UINT format = 0;
    if (kind == kOpenWindowOffline)
        format = IDS_NEW_DATA_NAME;
    else if (kind == kOpenWindowSerial || kind == kOpenWindowTcp)
        format = IDS_NEW_ONLINE_NAME;
    CString name;
    if (format == 0) return name;
    // Each open window blocks at most one number, so this ends within
    // Count() + 1 steps.
    for (int number = CountOfKind(kind) + 1;; ++number) {
        name.Format(format, number);
        if (!IsControllerNameOpen(name, windowNameOf)) break;
    }
    return name;
}
