// The link event: what the port objects post to the manager's hidden window
// and what the manager passes on to its attached window. The low 16 bits of
// lParam give the kind; for a connection the high 16 bits hold the socket
// error (0 on success).
#pragma once

#include "platform/core/WinTypes.h"

inline constexpr UINT WM_COMM_LINK_EVENT = 0x0400 + 1000;  // WM_USER + 1000

inline constexpr WORD LINK_EVENT_READ = 1;      // data arrived
inline constexpr WORD LINK_EVENT_WRITE = 2;     // output pending, ready to write
inline constexpr WORD LINK_EVENT_CONNECT = 16;  // connected (or, with an error, failed to)
inline constexpr WORD LINK_EVENT_CLOSE = 32;    // closed
inline constexpr WORD LINK_EVENT_ERROR = 256;   // line error

inline constexpr LPARAM MakeLinkEvent(WORD kind, WORD error = 0) { return MAKELPARAM(kind, error); }
