// The application's list of open controller windows, one entry per child
// frame in order of opening, telling what each is connected to. It keeps the
// program from opening a data file or a serial port twice, numbers the
// default names of new windows, and lets the transport dialogs and the data
// manager find the window that holds a link. The frames are only compared,
// never used. Only the user-interface thread touches it.
#pragma once

#include "manager/core/OpenWindowEntry.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <functional>
#include <vector>

class COpenWindowRegistry {
public:
    // A data file's path is kept in its canonical spelling.
    void Add(const OpenWindowEntry& entry);
    // Removes the first entry of the frame; nothing for a null frame.
    void Remove(const CWnd* frame);
    // The frame of the first entry whose kind, name, COM port and address
    // equal the key's; null when none. Data-file paths compare in their
    // canonical spelling (relative, "..", symbolic links), letter case exact.
    CWnd* Find(const OpenWindowEntry& key) const;
    // After a window's data were saved to a file: its first offline entry
    // takes the path. False for a null frame, an empty name or no such entry.
    bool Rename(const CWnd* frame, const CString& name);

    // The port and the address of the frame's last entry; 0 when none.
    int GetComPortOfWindow(const CWnd* frame) const;
    DWORD GetAddressOfWindow(const CWnd* frame) const;

    // The ports of the serial windows (the addresses of the TCP windows) in
    // order; false, with the list untouched, when there is none.
    bool GetOpenComPorts(std::vector<int>& ports) const;
    bool GetOpenTcpAddresses(std::vector<DWORD>& addresses) const;

    // Whether a window already shows a controller of this name (exact);
    // controllerNameOf asks a frame for the name it shows.
    bool IsControllerNameOpen(const CString& name, const std::function<CString(CWnd* frame)>& controllerNameOf) const;

    // The default name of a new window: offline data string 302, serial and
    // TCP string 301, numbered one above the windows of that kind, and on
    // upwards past any name an open window shows (windowNameOf asks a frame
    // for its name; without it the count alone), so a transport that finds
    // its window by name cannot pick the wrong one. Empty for other kinds.
    CString MakeNewWindowName(int kind, const std::function<CString(CWnd* frame)>& windowNameOf) const;

    int Count() const { return static_cast<int>(m_entries.size()); }
    int CountOfKind(int kind) const;
    const std::vector<OpenWindowEntry>& Entries() const { return m_entries; }

private:
    std::vector<OpenWindowEntry> m_entries;
};
