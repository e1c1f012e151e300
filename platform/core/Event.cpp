#include "platform/core/Synchronization.h"

namespace platform {
namespace {

class EventObject : public KernelObject {
public:
    EventObject(std::u16string name, bool manualReset, bool signalled)
        : m_name(std::move(name)), m_manualReset(manualReset), m_signalled(signalled)
    {
    }

    ~EventObject() override
    {
        if (m_name.empty()) return;
        std::lock_guard<std::recursive_mutex> names(NameLock());
        UnregisterNamedObject(m_name, this);
    }

    bool IsWaitable() const override { return true; }

    AcquireResult TryAcquire(DWORD /*threadId*/) override
    {
        if (!m_signalled) return AcquireResult::NotReady;
        if (!m_manualReset) m_signalled = false;
        return AcquireResult::Acquired;
    }

    void UndoAcquire(DWORD /*threadId*/, AcquireResult /*taken*/) override { m_signalled = true; }

    // With the wait lock held.
    void Set(bool signalled) { m_signalled = signalled; }

private:
    const std::u16string m_name;
    const bool m_manualReset;
    bool m_signalled;
};

BOOL SetState(HANDLE handle, bool signalled)
{
    auto event = GetKernelObjectAs<EventObject>(handle);
    if (!event) return FALSE;
    {
        std::lock_guard<std::mutex> lock(WaitLock());
        event->Set(signalled);
    }
    if (signalled) NotifyObjectWaiters(*event);
    return TRUE;
}

}  // namespace
}  // namespace platform

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES /*attributes*/, BOOL manualReset, BOOL initialState, LPCWSTR name)
{
    using platform::EventObject;
    const std::u16string key = name ? std::u16string(name) : std::u16string();
    if (platform::IsSharedName(key)) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (key.size() > MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    std::shared_ptr<platform::KernelObject> found;  // released after the name lock
    std::shared_ptr<EventObject> event;
    bool existed = false;
    if (key.empty()) {
        event = std::make_shared<EventObject>(key, manualReset != FALSE, initialState != FALSE);
    } else {
        std::lock_guard<std::recursive_mutex> names(platform::NameLock());
        found = platform::FindNamedObject(key);
        if (found) {
            event = std::dynamic_pointer_cast<EventObject>(found);
            if (!event) {
                SetLastError(ERROR_INVALID_HANDLE);
                return nullptr;
            }
            existed = true;
        } else {
            event = std::make_shared<EventObject>(key, manualReset != FALSE, initialState != FALSE);
            platform::RegisterNamedObject(key, event);
        }
    }
    const HANDLE handle = platform::AddKernelObject(event, EVENT_ALL_ACCESS);
    if (handle) SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

HANDLE OpenEventW(DWORD /*access*/, BOOL /*inheritHandle*/, LPCWSTR name)
{
    if (name == nullptr || *name == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::shared_ptr<platform::KernelObject> found = platform::FindNamedObject(name);
    if (!found) {
        SetLastError(platform::IsSharedName(name) ? ERROR_NOT_SUPPORTED : ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    auto event = std::dynamic_pointer_cast<platform::EventObject>(found);
    if (!event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return platform::AddKernelObject(event, EVENT_ALL_ACCESS);
}

BOOL SetEvent(HANDLE event) { return platform::SetState(event, true); }

BOOL ResetEvent(HANDLE event) { return platform::SetState(event, false); }
