// How a thread's native event loop (the user-interface toolkit's) and the
// message queues of this layer work together.
//
// The message layer owns every queue. A thread without a dispatcher is
// headless: its own message loop (GetMessageW / RunMessageLoop) and the
// pumping waits block on the queue itself and wake the moment something is
// queued. A thread whose loop is the toolkit's installs a dispatcher, which
// does two things only:
//
//  1. Wake(): called from any thread, with no lock of this layer held, each
//     time something is queued for the dispatcher's thread (a post, a send,
//     a timer, a quit). It must not block and must be "sticky": when it comes
//     before the thread enters ProcessNativeEvents, that call must not sleep.
//     The usual way is to post one native event (coalesced with an atomic
//     flag) whose handler calls platform::DispatchPendingMessages().
//
//  2. ProcessNativeEvents(waitMs): called on the dispatcher's thread by the
//     pumping waits of this layer (PeekMessageW, GetMessageW,
//     MsgWaitForMultipleObjects, PumpOneMessage...): process the native events
//     that are pending; then, if waitMs is not 0 and no Wake came since the
//     last call, sleep until a native event or a Wake arrives or waitMs
//     passes (INFINITE: no limit).
//
// While a pumping wait of this layer runs, DispatchPendingMessages() does
// nothing, since the wait retrieves the messages itself (a loop that looks at
// each message must see them). A native loop that is started from inside such
// a wait (a modal dialog, a message box, a menu) must be wrapped in a
// NativeLoopScope, so that messages are dispatched again while it runs;
// ::MessageBoxW does this for message boxes.
#pragma once

#include "platform/core/WinTypes.h"

namespace platform {

class IMessageDispatcher {
public:
    virtual ~IMessageDispatcher() = default;
    virtual void Wake() = 0;
    virtual void ProcessNativeEvents(DWORD waitMs) = 0;
};

// Installs the dispatcher of the calling thread (nullptr: headless) and
// returns the previous one. The dispatcher must outlive its installation;
// uninstall it before destroying it.
IMessageDispatcher* SetThreadDispatcher(IMessageDispatcher* dispatcher);

// For the native loop of a dispatcher's thread, when its Wake arrives:
// answers the waiting sends and dispatches the messages that were queued when
// it started. Returns false when it retrieved WM_QUIT (the exit code goes to
// *exitCode): the native loop should end. Does nothing (returns true) while a
// pumping wait of this layer runs on the thread, outside a NativeLoopScope.
bool DispatchPendingMessages(int* exitCode = nullptr);

// True while a pumping wait of this layer runs on the calling thread (and no
// NativeLoopScope was entered inside it).
bool IsInsideMessageWait();

// Marks a nested native loop: inside it, DispatchPendingMessages dispatches
// again.
class NativeLoopScope {
public:
    NativeLoopScope();
    ~NativeLoopScope();
    NativeLoopScope(const NativeLoopScope&) = delete;
    NativeLoopScope& operator=(const NativeLoopScope&) = delete;

private:
    int m_savedDepth;
};

}  // namespace platform
