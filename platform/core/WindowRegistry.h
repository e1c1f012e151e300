// Internal to the message layer: the table of live windows.
//
// A handle is a slot index and the slot's generation; freeing a slot bumps the
// generation, so an old handle never names a later window. The table holds
// the window's object (which may be detached), its thread's queue, its peer
// and its attributes.
#pragma once

#include "platform/core/ThreadQueue.h"
#include "platform/core/WindowPeer.h"

#include <deque>
#include <memory>
#include <shared_mutex>
#include <vector>

class CWnd;

namespace platform::detail {

struct WindowAttributes {
    HWND parent;
    UINT id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR userData = 0;
};

class WindowRegistry {
public:
    static WindowRegistry& Instance();

    HWND Add(CWnd* wnd, std::shared_ptr<ThreadQueue> queue, const WindowAttributes& attributes);
    // Frees the slot; the peer is handed back to be deleted outside the lock.
    std::unique_ptr<IWindowPeer> Remove(HWND hwnd);
    // Frees every window of a thread that ended.
    std::vector<std::unique_ptr<IWindowPeer>> RemoveAllOf(const ThreadQueue* queue);

    bool IsValid(HWND hwnd) const;
    // Object and queue of a live window.
    bool Find(HWND hwnd, CWnd** wnd, std::shared_ptr<ThreadQueue>* queue) const;
    CWnd* Object(HWND hwnd) const;
    // Object and parent of a live window, in one look.
    bool Links(HWND hwnd, CWnd** wnd, HWND* parent) const;
    // True when the window lives and belongs to the queue's thread; *wnd gets
    // its object (which may be null).
    bool FindOwned(HWND hwnd, const ThreadQueue* queue, CWnd** wnd) const;
    // Replaces the object when it is expected; false otherwise.
    bool ReplaceObject(HWND hwnd, CWnd* expected, CWnd* replacement);
    // Marks the window as being destroyed; false when it is gone or already
    // being destroyed.
    bool BeginDestroy(HWND hwnd);
    std::vector<HWND> Children(HWND parent) const;
    // False when a window is invalid or the new parent would be the window
    // itself or one of its descendants; *previous gets the old parent.
    bool SetParent(HWND hwnd, HWND parent, HWND* previous);

    IWindowPeer* Peer(HWND hwnd) const;
    std::unique_ptr<IWindowPeer> ReplacePeer(HWND hwnd, std::unique_ptr<IWindowPeer> peer);

    bool Attributes(HWND hwnd, WindowAttributes* attributes) const;
    // Changes one attribute (GWL_STYLE, GWL_EXSTYLE, GWLP_ID, GWLP_USERDATA);
    // *previous gets the old value. False for an unknown window or index.
    bool SetAttribute(HWND hwnd, int index, LONG_PTR value, LONG_PTR* previous);

private:
    struct Slot {
        CWnd* wnd = nullptr;
        std::shared_ptr<ThreadQueue> queue;
        std::unique_ptr<IWindowPeer> peer;
        WindowAttributes attributes;
        std::uint32_t generation = 1;
        bool used = false;
        bool destroying = false;
    };

    const Slot* Lookup(HWND hwnd) const;
    Slot* Lookup(HWND hwnd);
    std::unique_ptr<IWindowPeer> Free(std::uint32_t index);

    mutable std::shared_mutex m_mutex;
    std::deque<Slot> m_slots;
    std::vector<std::uint32_t> m_free;
};

}  // namespace platform::detail
