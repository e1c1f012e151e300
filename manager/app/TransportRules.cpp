#include "manager/app/TransportRules.h"

#include "manager/core/NumberText.h"
#include "resources/manager/resource_ids.h"

#include <algorithm>

namespace {

CString ComText(int port)
{
    CString text;
    text.Format(u"COM%d", port);
    return text;
}

CString Title(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

int AddGroup(std::vector<ConnectionTreeItem>& items, UINT titleId)
{
    items.push_back({-1, Title(titleId), kConnectionGroup});
    return static_cast<int>(items.size()) - 1;
}

// The number after "COM"; none when the rest is not a whole number.
std::optional<int> PortOfText(const CString& text)
{
    if (text.GetLength() <= 3 || text.Left(3) != u"COM") return std::nullopt;
    const CString digits = text.Mid(3);
    int port = 0;
    for (const char16_t c : digits.view()) {
        if (c < u'0' || c > u'9' || port > 99999) return std::nullopt;
        port = port * 10 + (c - u'0');
    }
    return port;
}

}  // namespace

CString ModeNameOfCode(int mode)
{
    switch (mode) {
    case 0:
        return Title(IDS_MODE_0);
    case 1:
        return Title(IDS_MODE_1);
    case 2:
        return Title(IDS_MODE_2);
    case 4:
        return Title(IDS_MODE_4);
    case 5:
        return Title(IDS_MODE_5);
    case 6:
        return Title(IDS_MODE_6);
    default:
        return CString();
    }
}

std::vector<ConnectionTreeItem> BuildConnectionTree(const std::vector<int>& openPorts,
                                                    const std::vector<int>& freePorts,
                                                    const std::vector<DWORD>& tcpAddresses, bool withOpenSerialGroup)
{
    std::vector<int> free = freePorts;
    std::sort(free.begin(), free.end());
    free.erase(std::unique(free.begin(), free.end()), free.end());
    std::vector<int> open;
    for (int port : openPorts)
        if (!std::binary_search(free.begin(), free.end(), port)) open.push_back(port);

    std::vector<ConnectionTreeItem> items;
    if (withOpenSerialGroup && !open.empty()) {
        const int group = AddGroup(items, IDS_TREE_OPEN_SERIAL);
        for (int port : open) items.push_back({group, ComText(port), kConnectionOpenPort});
    }
    if (!free.empty()) {
        const int group = AddGroup(items, IDS_TREE_FREE_PORTS);
        for (int port : free) items.push_back({group, ComText(port), kConnectionFreePort});
    }
    if (!tcpAddresses.empty()) {
        const int group = AddGroup(items, IDS_TREE_OPEN_TCP);
        for (DWORD address : tcpAddresses) items.push_back({group, FormatIpAddress(address), kConnectionOpenTcp});
    }
    return items;
}

std::vector<ConnectionTreeItem> BuildPresetConnectionTree(int comPort, DWORD address)
{
    std::vector<ConnectionTreeItem> items;
    if (comPort != 0) {
        const int group = AddGroup(items, IDS_TREE_OPEN_SERIAL);
        items.push_back({group, ComText(comPort), kConnectionOpenPort});
    }
    if (address != 0) {
        const int group = AddGroup(items, IDS_TREE_OPEN_TCP);
        items.push_back({group, FormatIpAddress(address), kConnectionOpenTcp});
    }
    return items;
}

int FindPreselectedItem(const std::vector<ConnectionTreeItem>& items, int comPort, DWORD address)
{
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ConnectionTreeItem& item = items[i];
        if (item.data == kConnectionOpenPort && comPort != 0 && PortOfText(item.text) == comPort)
            return static_cast<int>(i);
        if (item.data == kConnectionOpenTcp && address != 0 && ParseIpAddress(item.text) == address)
            return static_cast<int>(i);
    }
    return -1;
}

ChosenConnection ReadConnectionItem(const ConnectionTreeItem& item)
{
    ChosenConnection chosen;
    chosen.data = item.data;
    if (item.data == kConnectionOpenPort || item.data == kConnectionFreePort)
        chosen.comPort = PortOfText(item.text).value_or(0);
    else if (item.data == kConnectionOpenTcp)
        chosen.address = ParseIpAddress(item.text);
    return chosen;
}

UINT CheckTransportChoice(bool needsPath, const CString& path, const ConnectionTreeItem* selected)
{
    if (needsPath && path.IsEmpty()) return IDS_TRANSPORT_NO_PATH;
    if (selected == nullptr || selected->data == kConnectionGroup) return IDS_TRANSPORT_NO_CONNECTION;
    return 0;
}

UINT CheckCommSettingsChoice(const ConnectionTreeItem* selected)
{
    if (selected == nullptr || selected->data == kConnectionGroup) return IDS_TRANSPORT_NO_CONNECTION;
    if (selected->data != kConnectionFreePort) return IDS_TRANSPORT_SETTINGS_FREE_PORT;
    return 0;
}

std::vector<WriteCheck> PlanWriteChecks(const CString& dataController, const CString& dataRobot,
                                        const CString& connectedController, const CString& connectedRobot,
                                        int connectedMode, const CompatibleControllers& compatible)
{
    std::vector<WriteCheck> checks;
    if (dataController != connectedController) {
        bool pairAllowed = false;
        const auto [first, last] = compatible.equal_range(dataController);
        for (auto it = first; it != last; ++it) pairAllowed = pairAllowed || it->second == connectedController;
        if (!pairAllowed) {
            // Another controller's data are never written.
            checks.push_back({WriteCheck::Kind::Stop, IDS_TRANSPORT_OTHER_CONTROLLER, dataController, connectedController, 0});
            return checks;
        }
        checks.push_back({WriteCheck::Kind::Ask, IDS_TRANSPORT_COMPATIBLE, dataController, connectedController, 0});
    }
    if (dataRobot != connectedRobot)
        checks.push_back({WriteCheck::Kind::Ask, IDS_TRANSPORT_OTHER_ROBOT, dataRobot, connectedRobot, 0});
    if ((connectedMode & 0x3) != 2)
        checks.push_back({WriteCheck::Kind::Ask, IDS_TRANSPORT_MODE, ModeNameOfCode(connectedMode), CString(), connectedMode});
    return checks;
}

std::vector<NodeRow> BuildNodeRows(const std::array<BYTE, kScanNodes>& present,
                                   const std::array<CString, kScanNodes>& names,
                                   const std::array<CString, kScanNodes>& texts, int markedNode)
{
    std::vector<NodeRow> rows;
    for (int i = 0; i < kScanNodes; ++i) {
        if (present[static_cast<std::size_t>(i)] != 1) continue;
        NodeRow row;
        row.node = i + 1;
        row.marked = row.node == markedNode;
        row.number.Format(u"%02d", row.node);
        row.name = names[static_cast<std::size_t>(i)];
        row.text = texts[static_cast<std::size_t>(i)];
        rows.push_back(std::move(row));
    }
    return rows;
}

bool KeepControllerNetworkSettings(ControllerData& newData, const ControllerData& current)
{
    RobotParameterSet* target = newData.FirstParamSet();
    const RobotParameterSet* source = current.FirstParamSet();
    if (target != nullptr && source != nullptr) {
        for (int k = 80; k <= 82; ++k) target->K(k) = source->K(k);
    }
    if (current.interfaceText == u"EtherNet/IP") {
        newData.ipAddress = u"c0a80001";
        newData.subnetMask = u"ffffff00";
        newData.gateway = u"c0a800fe";
        return false;
    }
    return current.interfaceText == u"Profinet";
}
