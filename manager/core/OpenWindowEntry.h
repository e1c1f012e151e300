// One entry of the application's registry of open controller windows: what
// the window is connected to. The data manager builds one as the key that
// finds the window showing a link; the registry itself belongs to the
// application object.
#pragma once

#include "platform/core/CString.h"

#include <cstdint>

class CWnd;

enum OpenWindowKind : std::int16_t {
    kOpenWindowNone = 0,
    kOpenWindowOffline = 1,  // a data file or new data
    kOpenWindowSerial = 2,
    kOpenWindowTcp = 3,
};

struct OpenWindowEntry {
    std::int16_t kind = kOpenWindowNone;
    CWnd* frame = nullptr;  // the child frame the entry stands for; not owned
    CString name;           // offline: the data file's full path; empty otherwise
    std::int16_t comPort = 0;
    std::uint32_t address = 0;  // IPv4, first dotted number in the highest byte

    // The registry's search: kind, name (exact, case-sensitive), COM port and
    // address all equal; the frame is not part of the key.
    bool MatchesKey(const OpenWindowEntry& key) const
    {
        return kind == key.kind && name == key.name && comPort == key.comPort && address == key.address;
    }
};
