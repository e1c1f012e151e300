#include "platform/core/Synchronization.h"

#include "platform/core/ObjectFolder.h"
#include "platform/core/Thread.h"

#include <algorithm>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

// How often a wait looks again at a mutex that another process holds.
constexpr DWORD kSharedMutexPollMs = 2;

// The files of a mutex shared with the user's other processes: "users" counts
// who has it open; the owner file is locked exclusively by the owning process
// and its first byte stays 1 while owned, so the next owner can tell that a
// holder died without releasing it.
class SharedMutexFiles {
public:
    ~SharedMutexFiles() { Leave(); }

    DWORD Join(std::u16string_view name, bool create, bool& existed)
    {
        std::string folder;
        std::string encoded;
        DWORD error = detail::GetObjectFolder(folder);
        if (error != ERROR_SUCCESS) return error;
        if (!detail::EncodeObjectName(name, encoded)) return ERROR_FILENAME_EXCED_RANGE;
        m_folder = folder;
        m_ownerPath = folder + "/mutex-" + encoded;
        m_usersPath = m_ownerPath + ".users";

        detail::FolderGuard guard(folder);
        if (guard.Error() != ERROR_SUCCESS) return guard.Error();
        error = m_users.Open(m_usersPath, create);
        if (error != ERROR_SUCCESS) return error;
        bool first = false;
        error = detail::JoinUsers(m_users, first);
        if (error != ERROR_SUCCESS) return error;
        m_joined = true;
        if (first && !create) {
            // Only files left by users that are gone: nothing to open.
            RemoveFiles();
            return ERROR_FILE_NOT_FOUND;
        }
        error = m_owner.Open(m_ownerPath, true);
        if (error != ERROR_SUCCESS) return error;
        // A first user starts afresh, whatever a dead owner left in the file.
        if (first && ::ftruncate(m_owner.Descriptor(), 0) != 0) return ErrorFromErrno(errno);
        existed = !first;
        return ERROR_SUCCESS;
    }

    bool TryLock(bool& abandoned)
    {
        if (!m_owner.TryLock(true)) return false;
        unsigned char mark = 0;
        abandoned = ::pread(m_owner.Descriptor(), &mark, 1, 0) == 1 && mark == 1;
        mark = 1;
        (void)!::pwrite(m_owner.Descriptor(), &mark, 1, 0);
        return true;
    }

    void Unlock(bool leaveAbandoned)
    {
        if (!leaveAbandoned) {
            const unsigned char mark = 0;
            (void)!::pwrite(m_owner.Descriptor(), &mark, 1, 0);
        }
        m_owner.Unlock();
    }

private:
    void Leave()
    {
        if (!m_joined) return;
        detail::FolderGuard guard(m_folder);
        // Without the guard the files stay; the next first user resets them.
        if (guard.Error() == ERROR_SUCCESS && detail::LeaveUsersIsLast(m_users)) RemoveFiles();
        m_owner.Close();
        m_users.Close();
        m_joined = false;
    }

    void RemoveFiles()
    {
        ::unlink(m_ownerPath.c_str());
        ::unlink(m_usersPath.c_str());
        m_owner.Close();
        m_users.Close();
        m_joined = false;
    }

    std::string m_folder;
    std::string m_ownerPath;
    std::string m_usersPath;
    detail::LockFile m_owner;
    detail::LockFile m_users;
    bool m_joined = false;
};

class MutexObject;

// The mutexes a thread owns, each once; abandoned when the thread ends.
struct OwnedMutexes {
    std::vector<std::shared_ptr<MutexObject>> list;
    ~OwnedMutexes();
};

thread_local OwnedMutexes t_owned;

class MutexObject : public KernelObject, public std::enable_shared_from_this<MutexObject> {
public:
    explicit MutexObject(std::u16string name) : m_name(std::move(name)) {}

    ~MutexObject() override
    {
        if (m_name.empty()) return;
        // Under the name lock, so that a new object of the same name cannot
        // join the shared files while this one is leaving them.
        std::lock_guard<std::recursive_mutex> names(NameLock());
        UnregisterNamedObject(m_name, this);
        m_shared.reset();
    }

    bool IsWaitable() const override { return true; }

    AcquireResult TryAcquire(DWORD threadId) override
    {
        if (m_owner == threadId) {
            ++m_count;
            return AcquireResult::Acquired;
        }
        if (m_owner != 0) return AcquireResult::NotReady;
        bool sharedAbandoned = false;
        if (m_shared && !m_shared->TryLock(sharedAbandoned)) return AcquireResult::NotReady;
        m_owner = threadId;
        m_count = 1;
        const bool abandoned = m_abandoned || sharedAbandoned;
        m_abandoned = false;
        t_owned.list.push_back(shared_from_this());
        return abandoned ? AcquireResult::Abandoned : AcquireResult::Acquired;
    }

    void UndoAcquire(DWORD /*threadId*/, AcquireResult taken) override
    {
        if (m_count > 1) {
            --m_count;
            return;
        }
        // The waiter that took it also holds a reference, so this erase never
        // destroys the object under the wait lock.
        ForgetOwnership();
        if (taken == AcquireResult::Abandoned) m_abandoned = true;
        if (m_shared) m_shared->Unlock(taken == AcquireResult::Abandoned);
    }

    DWORD PollIntervalMs() const override { return m_shared ? kSharedMutexPollMs : 0; }

    // With the wait lock held.
    BOOL Release(DWORD threadId)
    {
        if (m_owner != threadId || m_count == 0) {
            SetLastError(ERROR_NOT_OWNER);
            return FALSE;
        }
        if (--m_count == 0) {
            ForgetOwnership();
            if (m_shared) m_shared->Unlock(false);
        }
        return TRUE;
    }

    // With the wait lock held, on the owner's thread as it ends.
    void Abandon()
    {
        m_owner = 0;
        m_count = 0;
        m_abandoned = true;
        if (m_shared) m_shared->Unlock(true);
    }

    std::unique_ptr<SharedMutexFiles> m_shared;

private:
    void ForgetOwnership()
    {
        m_owner = 0;
        m_count = 0;
        auto& list = t_owned.list;
        const auto it = std::find_if(list.begin(), list.end(), [this](const auto& m) { return m.get() == this; });
        if (it != list.end()) list.erase(it);
    }

    const std::u16string m_name;
    DWORD m_owner = 0;
    DWORD m_count = 0;
    bool m_abandoned = false;
};

void AbandonAll(std::vector<std::shared_ptr<MutexObject>>& list)
{
    // Taken out first: the references are dropped after the wait lock.
    std::vector<std::shared_ptr<MutexObject>> owned;
    owned.swap(list);
    if (owned.empty()) return;
    {
        std::lock_guard<std::mutex> lock(WaitLock());
        for (const auto& mutex : owned) mutex->Abandon();
    }
    for (const auto& mutex : owned) NotifyObjectWaiters(*mutex);
}

OwnedMutexes::~OwnedMutexes() { AbandonAll(list); }

enum class Lookup { Create, Open };

// Initial ownership is taken before anyone else can see the mutex.
bool TakeInitialOwnership(MutexObject& mutex)
{
    std::lock_guard<std::mutex> lock(WaitLock());
    return mutex.TryAcquire(GetCurrentThreadId()) != AcquireResult::NotReady;
}

HANDLE MakeMutexHandle(const std::shared_ptr<MutexObject>& mutex, bool owned)
{
    const HANDLE handle = AddKernelObject(mutex, MUTEX_ALL_ACCESS);
    if (!handle && owned) {
        std::lock_guard<std::mutex> lock(WaitLock());
        mutex->Release(GetCurrentThreadId());
    }
    return handle;
}

HANDLE FindOrMakeMutex(LPCWSTR name, Lookup lookup, BOOL initialOwner)
{
    const std::u16string key(name);
    if (key.size() > MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    // Both released after the name lock, since an object's destructor takes it.
    std::shared_ptr<KernelObject> found;
    std::shared_ptr<MutexObject> mutex;
    bool existed = true;
    bool owned = false;
    {
        std::lock_guard<std::recursive_mutex> names(NameLock());
        found = FindNamedObject(key);
        if (found) {
            mutex = std::dynamic_pointer_cast<MutexObject>(found);
            if (!mutex) {
                SetLastError(ERROR_INVALID_HANDLE);
                return nullptr;
            }
        } else if (IsSharedName(key)) {
            mutex = std::make_shared<MutexObject>(key);
            auto files = std::make_unique<SharedMutexFiles>();
            const DWORD error = files->Join(key.substr(kSharedNamePrefix.size()), lookup == Lookup::Create, existed);
            if (error != ERROR_SUCCESS) {
                SetLastError(error);
                return nullptr;
            }
            mutex->m_shared = std::move(files);
            owned = initialOwner && !existed && TakeInitialOwnership(*mutex);
            RegisterNamedObject(key, mutex);
        } else if (lookup == Lookup::Open) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return nullptr;
        } else {
            mutex = std::make_shared<MutexObject>(key);
            existed = false;
            owned = initialOwner && TakeInitialOwnership(*mutex);
            RegisterNamedObject(key, mutex);
        }
    }
    const HANDLE handle = MakeMutexHandle(mutex, owned);
    if (handle) SetLastError(existed && lookup == Lookup::Create ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

}  // namespace

bool IsSharedName(std::u16string_view name)
{
    return name.size() > kSharedNamePrefix.size() && name.substr(0, kSharedNamePrefix.size()) == kSharedNamePrefix;
}

bool ThreadOwnsMutexes() { return !t_owned.list.empty(); }

void AbandonThreadMutexes() { AbandonAll(t_owned.list); }

}  // namespace platform

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES /*attributes*/, BOOL initialOwner, LPCWSTR name)
{
    if (name == nullptr || *name == 0) {
        auto mutex = std::make_shared<platform::MutexObject>(std::u16string());
        const bool owned = initialOwner && platform::TakeInitialOwnership(*mutex);
        const HANDLE handle = platform::MakeMutexHandle(mutex, owned);
        if (handle) SetLastError(ERROR_SUCCESS);
        return handle;
    }
    return platform::FindOrMakeMutex(name, platform::Lookup::Create, initialOwner);
}

HANDLE OpenMutexW(DWORD /*access*/, BOOL /*inheritHandle*/, LPCWSTR name)
{
    if (name == nullptr || *name == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return platform::FindOrMakeMutex(name, platform::Lookup::Open, FALSE);
}

BOOL ReleaseMutex(HANDLE handle)
{
    auto mutex = platform::GetKernelObjectAs<platform::MutexObject>(handle);
    if (!mutex) return FALSE;
    BOOL released = FALSE;
    {
        std::lock_guard<std::mutex> lock(platform::WaitLock());
        released = mutex->Release(GetCurrentThreadId());
    }
    if (released) platform::NotifyObjectWaiters(*mutex);
    return released;
}
