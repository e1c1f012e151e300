// The parts of the transport dialogs that need no window: the connection
// tree they offer, which of its items a preset connection selects, what a
// chosen item means, the checks before OK and before a write, the rows of
// the node choice, and the network settings a generated data set keeps.
#pragma once

#include "manager/core/ControllerData.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <array>
#include <map>
#include <optional>
#include <vector>

// The name of an operating mode (parameter K20): 0, 1, 2 and 4, 5, 6 have
// names, other codes an empty text.
CString ModeNameOfCode(int mode);

// Item data of the connection tree.
enum ConnectionItemData : int {
    kConnectionGroup = 0,    // a group header
    kConnectionOpenPort = 1, // a COM port an open window holds
    kConnectionFreePort = 2, // a COM port that opens
    kConnectionOpenTcp = 3,  // a TCP connection an open window holds
};

struct ConnectionTreeItem {
    int parent = -1;  // index of the group header; -1 for a header
    CString text;     // "COM%d", a dotted address, or the group's title
    int data = kConnectionGroup;

    friend bool operator==(const ConnectionTreeItem&, const ConnectionTreeItem&) = default;
};

// The tree in display order: open serial connections (string 409; left out
// when withOpenSerialGroup is false), free COM ports ascending (410), open
// TCP connections (411). A port that an open window is listed with but that
// opens after all is listed only as free. Empty groups are left out.
std::vector<ConnectionTreeItem> BuildConnectionTree(const std::vector<int>& openPorts,
                                                    const std::vector<int>& freePorts,
                                                    const std::vector<DWORD>& tcpAddresses,
                                                    bool withOpenSerialGroup = true);
// The tree that shows only a preset connection of a window.
std::vector<ConnectionTreeItem> BuildPresetConnectionTree(int comPort, DWORD address);

// The item a preset selects: an open port whose number is the preset port, or
// an open TCP connection whose address is the preset address. Free ports are
// never preselected, nor is anything for a preset of 0. -1 when none.
int FindPreselectedItem(const std::vector<ConnectionTreeItem>& items, int comPort, DWORD address);

// What a chosen item names.
struct ChosenConnection {
    int data = kConnectionGroup;
    int comPort = 0;
    DWORD address = 0;
};
ChosenConnection ReadConnectionItem(const ConnectionTreeItem& item);

// The message that refuses OK (10017: no path, where the dialog needs one;
// 10022: no item or a group header), or 0.
UINT CheckTransportChoice(bool needsPath, const CString& path, const ConnectionTreeItem* selected);
// The message that refuses the communication settings (10022 as above; 10134:
// settings apply to a free port only), or 0.
UINT CheckCommSettingsChoice(const ConnectionTreeItem* selected);

// The checks before data are written into a controller, in the order they
// are made. The dialog goes through them: Stop shows the message and ends the
// run; Ask asks Yes/No and No ends it.
struct WriteCheck {
    enum class Kind { Stop, Ask };
    Kind kind = Kind::Stop;
    UINT messageId = 0;
    CString first;   // the message's arguments
    CString second;
    int code = 0;    // the mode code for 10135
};
// Controller pairs that may take each other's data (data controller to
// connected controller).
using CompatibleControllers = std::multimap<CString, CString>;
std::vector<WriteCheck> PlanWriteChecks(const CString& dataController, const CString& dataRobot,
                                        const CString& connectedController, const CString& connectedRobot,
                                        int connectedMode, const CompatibleControllers& compatible = {});

// One row of the node choice after a scan of a serial line.
struct NodeRow {
    bool marked = false;  // shown with "*", cannot be chosen
    CString number;       // "%02d"
    CString name;
    CString text;
    int node = 0;
};
inline constexpr int kScanNodes = 16;
std::vector<NodeRow> BuildNodeRows(const std::array<BYTE, kScanNodes>& present,
                                   const std::array<CString, kScanNodes>& names,
                                   const std::array<CString, kScanNodes>& texts, int markedNode);

// New data written into a controller keep its field-bus settings (K80 to
// K82); an EtherNet/IP controller's data get the default addresses. True
// when the controller is a Profinet one, whose default communication data
// are then written.
bool KeepControllerNetworkSettings(ControllerData& newData, const ControllerData& current);
