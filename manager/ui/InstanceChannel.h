// How a second start of the manager hands its data file to the one that
// runs: the running manager listens on a local socket of the user; a second
// start connects, sends the path and ends. The listener is a worker thread:
// it only posts each path to the main window, which opens it.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <atomic>
#include <string>
#include <thread>

class CInstanceChannel {
public:
    // The socket of the user's manager: $QUORVANE_INSTANCE_SOCKET when set,
    // else "quorvane-<uid>.sock" in the user's runtime folder (or /tmp).
    static std::string SocketPath();

    CInstanceChannel() = default;
    ~CInstanceChannel();
    CInstanceChannel(const CInstanceChannel&) = delete;
    CInstanceChannel& operator=(const CInstanceChannel&) = delete;

    // Listens; each path received is posted to target as message with a heap
    // CString in lParam. False when the socket cannot be made.
    bool Listen(HWND target, UINT message);
    void Stop();

    // From a second start: hands the path to the running manager; false when
    // none listens or it does not take it within a second.
    static bool HandOver(const CString& path);

private:
    void Run();

    int m_socket = -1;
    int m_wake[2] = {-1, -1};
    std::string m_path;
    HWND m_target;
    UINT m_message = 0;
    std::thread m_thread;
};
