#include "platform/core/WindowRegistry.h"

#include <mutex>

namespace platform::detail {

WindowRegistry& WindowRegistry::Instance()
{
    // Never destroyed: windows of static objects may outlive every other static.
    static auto* registry = new WindowRegistry;
    return *registry;
}

const WindowRegistry::Slot* WindowRegistry::Lookup(HWND hwnd) const
{
    if (!hwnd || hwnd.Index() >= m_slots.size())
        return nullptr;
    const Slot& slot = m_slots[hwnd.Index()];
    if (!slot.used || slot.generation != hwnd.Generation())
        return nullptr;
    return &slot;
}

WindowRegistry::Slot* WindowRegistry::Lookup(HWND hwnd)
{
    return const_cast<Slot*>(static_cast<const WindowRegistry*>(this)->Lookup(hwnd));
}

HWND WindowRegistry::Add(CWnd* wnd, std::shared_ptr<ThreadQueue> queue, const WindowAttributes& attributes)
{
    std::unique_lock lock(m_mutex);
    std::uint32_t index;
    if (!m_free.empty()) {
        index = m_free.back();
        m_free.pop_back();
    } else {
        index = static_cast<std::uint32_t>(m_slots.size());
        m_slots.emplace_back();
    }
    Slot& slot = m_slots[index];
    slot.wnd = wnd;
    slot.queue = std::move(queue);
    slot.attributes = attributes;
    slot.used = true;
    slot.destroying = false;
    return HWND::Make(index, slot.generation);
}

std::unique_ptr<IWindowPeer> WindowRegistry::Free(std::uint32_t index)
{
    Slot& slot = m_slots[index];
    std::unique_ptr<IWindowPeer> peer = std::move(slot.peer);
    slot.wnd = nullptr;
    slot.queue.reset();
    slot.attributes = {};
    slot.used = false;
    slot.destroying = false;
    // Generation 0 would make a null handle for slot 0.
    if (++slot.generation == 0)
        slot.generation = 1;
    m_free.push_back(index);
    return peer;
}

std::unique_ptr<IWindowPeer> WindowRegistry::Remove(HWND hwnd)
{
    std::unique_lock lock(m_mutex);
    if (!Lookup(hwnd))
        return nullptr;
    return Free(hwnd.Index());
}

std::vector<std::unique_ptr<IWindowPeer>> WindowRegistry::RemoveAllOf(const ThreadQueue* queue)
{
    std::vector<std::unique_ptr<IWindowPeer>> peers;
    std::unique_lock lock(m_mutex);
    for (std::uint32_t i = 0; i < m_slots.size(); ++i) {
        if (m_slots[i].used && m_slots[i].queue.get() == queue)
            peers.push_back(Free(i));
    }
    return peers;
}

bool WindowRegistry::IsValid(HWND hwnd) const
{
    std::shared_lock lock(m_mutex);
    return Lookup(hwnd) != nullptr;
}

bool WindowRegistry::Find(HWND hwnd, CWnd** wnd, std::shared_ptr<ThreadQueue>* queue) const
{
    std::shared_lock lock(m_mutex);
    const Slot* slot = Lookup(hwnd);
    if (!slot)
        return false;
    if (wnd)
        *wnd = slot->wnd;
    if (queue)
        *queue = slot->queue;
    return true;
}

CWnd* WindowRegistry::Object(HWND hwnd) const
{
    std::shared_lock lock(m_mutex);
    const Slot* slot = Lookup(hwnd);
    return slot ? slot->wnd : nullptr;
}

bool WindowRegistry::Links(HWND hwnd, CWnd** wnd, HWND* parent) const
{
    std::shared_lock lock(m_mutex);
    const Slot* slot = Lookup(hwnd);
    if (!slot)
        return false;
    *wnd = slot->wnd;
    *parent = slot->attributes.parent;
    return true;
}

bool WindowRegistry::FindOwned(HWND hwnd, const ThreadQueue* queue, CWnd** wnd) const
{
    std::shared_lock lock(m_mutex);
    const Slot* slot = Lookup(hwnd);
    if (!slot || !queue || slot->queue.get() != queue)
        return false;
    *wnd = slot->wnd;
    return true;
}

bool WindowRegistry::ReplaceObject(HWND hwnd, CWnd* expected, CWnd* replacement)
{
    std::unique_lock lock(m_mutex);
    Slot* slot = Lookup(hwnd);
    if (!slot || slot->wnd != expected)
        return false;
    slot->wnd = replacement;
    return true;
}

bool WindowRegistry::BeginDestroy(HWND hwnd)
{
    std::unique_lock lock(m_mutex);
    Slot* slot = Lookup(hwnd);
    if (!slot || slot->destroying)
        return false;
    slot->destroying = true;
    return true;
}

std::vector<HWND> WindowRegistry::Children(HWND parent) const
{
    std::vector<HWND> children;
    std::shared_lock lock(m_mutex);
    for (std::uint32_t i = 0; i < m_slots.size(); ++i) {
        const Slot& slot = m_slots[i];
        if (slot.used && slot.attributes.parent == parent)
            children.push_back(HWND::Make(i, slot.generation));
    }
    return children;
}

bool WindowRegistry::SetParent(HWND hwnd, HWND parent, HWND* previous)
{
    std::unique_lock lock(m_mutex);
    Slot* slot = Lookup(hwnd);
    if (!slot || (parent && !Lookup(parent)))
        return false;
    // Walking up from the new parent must not meet the window: a cycle would
    // make every walk up the tree endless. The walk is bounded by the table.
    HWND up = parent;
    for (std::size_t steps = 0; up && steps <= m_slots.size(); ++steps) {
        if (up == hwnd)
            return false;
        const Slot* s = Lookup(up);
        up = s ? s->attributes.parent : HWND{};
    }
    *previous = slot->attributes.parent;
    slot->attributes.parent = parent;
    return true;
}

IWindowPeer* WindowRegistry::Peer(HWND hwnd) const
{
    std::shared_lock lock(m_mutex);
    const Slot* slot = Lookup(hwnd);
    return slot ? slot->peer.get() : nullptr;
}

std::unique_ptr<IWindowPeer> WindowRegistry::ReplacePeer(HWND hwnd, std::unique_ptr<IWindowPeer> peer)
{
    std::unique_lock lock(m_mutex);
    Slot* slot = Lookup(hwnd);
    if (!slot)
        return peer;
    std::swap(slot->peer, peer);
    return peer;
}

bool WindowRegistry::Attributes(HWND hwnd, WindowAttributes* attributes) const
{
    std::shared_lock lock(m_mutex);
    const Slot* slot = Lookup(hwnd);
    if (!slot)
        return false;
    *attributes = slot->attributes;
    return true;
}

bool WindowRegistry::SetAttribute(HWND hwnd, int index, LONG_PTR value, LONG_PTR* previous)
{
    std::unique_lock lock(m_mutex);
    Slot* slot = Lookup(hwnd);
    if (!slot)
        return false;
    WindowAttributes& a = slot->attributes;
    switch (index) {
    case GWL_STYLE:
        *previous = static_cast<LONG_PTR>(a.style);
        a.style = static_cast<DWORD>(value);
        return true;
    case GWL_EXSTYLE:
        *previous = static_cast<LONG_PTR>(a.exStyle);
        a.exStyle = static_cast<DWORD>(value);
        return true;
    case GWLP_ID:
        *previous = static_cast<LONG_PTR>(a.id);
        a.id = static_cast<UINT>(value);
        return true;
    case GWLP_USERDATA:
        *previous = a.userData;
        a.userData = value;
        return true;
    default:
        return false;
    }
}

}  // namespace platform::detail
