#include "platform/core/FileMapping.h"

#include "platform/core/ObjectFolder.h"
#include "platform/core/Synchronization.h"

#include <cerrno>
#include <map>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Far above any block the system uses; a wrong size gives a clear error.
constexpr ULONGLONG kMaxMappingBytes = ULONGLONG{1} << 30;
// Windows' allocation granularity: view offsets are multiples of it.
constexpr ULONGLONG kViewAlignment = 65536;

class MappingObject : public KernelObject {
public:
    MappingObject(std::u16string name, bool writable) : m_name(std::move(name)), m_writable(writable) {}

    ~MappingObject() override
    {
        if (m_name.empty()) {
            if (m_privateFd >= 0) ::close(m_privateFd);
            return;
        }
        std::lock_guard<std::recursive_mutex> names(NameLock());
        UnregisterNamedObject(m_name, this);
        Leave();
    }

    DWORD MakePrivate(ULONGLONG size)
    {
        const int fd = ::memfd_create("qv-mapping", MFD_CLOEXEC);
        if (fd < 0) return ErrorFromErrno(errno);
        if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
            const DWORD error = ErrorFromErrno(errno);
            ::close(fd);
            return error;
        }
        m_privateFd = fd;
        m_size = size;
        return ERROR_SUCCESS;
    }

    // Joins the block's users; size 0 opens an existing block only.
    DWORD Join(ULONGLONG size, bool& existed)
    {
        std::string folder;
        std::string encoded;
        DWORD error = detail::GetObjectFolder(folder);
        if (error != ERROR_SUCCESS) return error;
        if (!detail::EncodeObjectName(m_name, encoded)) return ERROR_FILENAME_EXCED_RANGE;
        m_folder = folder;
        m_path = folder + "/shm-" + encoded;

        const bool create = size != 0;
        detail::FolderGuard guard(folder);
        if (guard.Error() != ERROR_SUCCESS) return guard.Error();
        error = m_file.Open(m_path, create);
        if (error != ERROR_SUCCESS) return error;
        bool first = false;
        error = detail::JoinUsers(m_file, first);
        if (error != ERROR_SUCCESS) return error;
        m_joined = true;
        if (first) {
            if (!create) {
                RemoveFile();
                return ERROR_FILE_NOT_FOUND;
            }
            // Whatever users that died left behind is dropped here.
            if (::ftruncate(m_file.Descriptor(), 0) != 0 ||
                ::ftruncate(m_file.Descriptor(), static_cast<off_t>(size)) != 0) {
                return ErrorFromErrno(errno);
            }
            m_size = size;
            existed = false;
            return ERROR_SUCCESS;
        }
        struct stat st {};
        if (::fstat(m_file.Descriptor(), &st) != 0) return ErrorFromErrno(errno);
        m_size = static_cast<ULONGLONG>(st.st_size);
        if (m_size == 0 || m_size < size) return ERROR_INVALID_PARAMETER;
        existed = true;
        return ERROR_SUCCESS;
    }

    int Descriptor() const { return m_name.empty() ? m_privateFd : m_file.Descriptor(); }
    ULONGLONG Size() const { return m_size; }
    bool Writable() const { return m_writable; }

private:
    void Leave()
    {
        if (m_joined) {
            detail::FolderGuard guard(m_folder);
            if (guard.Error() == ERROR_SUCCESS && detail::LeaveUsersIsLast(m_file)) RemoveFile();
        }
        m_file.Close();
        m_joined = false;
    }

    void RemoveFile()
    {
        ::unlink(m_path.c_str());
        m_file.Close();
        m_joined = false;
    }

    const std::u16string m_name;
    const bool m_writable;
    std::string m_folder;
    std::string m_path;
    detail::LockFile m_file;
    int m_privateFd = -1;
    bool m_joined = false;
    ULONGLONG m_size = 0;
};

struct View {
    std::shared_ptr<MappingObject> mapping;
    std::size_t length = 0;
};

struct ViewTable {
    std::mutex lock;
    std::map<const void*, View> views;
};

ViewTable& Views()
{
    static auto* table = new ViewTable;
    return *table;
}

std::u16string MappingKey(const char16_t* name)
{
    std::u16string key(name);
    if (IsSharedName(key)) key.erase(0, kSharedNamePrefix.size());
    return key;
}

HANDLE FindOrMakeMapping(LPCWSTR name, ULONGLONG size, bool writable, DWORD access)
{
    const std::u16string key = MappingKey(name);
    if (key.empty() || key.size() > MAX_PATH) {
        SetLastError(key.empty() ? ERROR_INVALID_PARAMETER : ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    std::shared_ptr<KernelObject> found;  // released after the name lock
    std::shared_ptr<MappingObject> mapping;
    bool existed = true;
    {
        std::lock_guard<std::recursive_mutex> names(NameLock());
        found = FindNamedObject(key);
        if (found) {
            mapping = std::dynamic_pointer_cast<MappingObject>(found);
            if (!mapping) {
                SetLastError(ERROR_INVALID_HANDLE);
                return nullptr;
            }
            if (mapping->Size() < size) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
        } else {
            mapping = std::make_shared<MappingObject>(key, writable);
            const DWORD error = mapping->Join(size, existed);
            if (error != ERROR_SUCCESS) {
                SetLastError(error);
                return nullptr;
            }
            RegisterNamedObject(key, mapping);
        }
    }
    const HANDLE handle = AddKernelObject(mapping, access);
    if (handle) SetLastError(existed && size != 0 ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

}  // namespace
}  // namespace platform

HANDLE CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES /*attributes*/, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, LPCWSTR name)
{
    using platform::MappingObject;
    if (file != INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const DWORD page = protect & ~SEC_COMMIT;
    const ULONGLONG size = (static_cast<ULONGLONG>(maximumSizeHigh) << 32) | maximumSizeLow;
    if ((page != PAGE_READWRITE && page != PAGE_READONLY) || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (size > platform::kMaxMappingBytes) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const bool writable = page == PAGE_READWRITE;
    const DWORD access = writable ? FILE_MAP_ALL_ACCESS : FILE_MAP_READ;
    if (name == nullptr || *name == 0) {
        auto mapping = std::make_shared<MappingObject>(std::u16string(), writable);
        const DWORD error = mapping->MakePrivate(size);
        if (error != ERROR_SUCCESS) {
            SetLastError(error);
            return nullptr;
        }
        const HANDLE handle = platform::AddKernelObject(mapping, access);
        if (handle) SetLastError(ERROR_SUCCESS);
        return handle;
    }
    return platform::FindOrMakeMapping(name, size, writable, access);
}

HANDLE OpenFileMappingW(DWORD access, BOOL /*inheritHandle*/, LPCWSTR name)
{
    if (name == nullptr || *name == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return platform::FindOrMakeMapping(name, 0, true, access);
}

LPVOID MapViewOfFile(HANDLE handle, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes)
{
    DWORD granted = 0;
    auto mapping = platform::GetKernelObjectAs<platform::MappingObject>(handle, &granted);
    if (!mapping) return nullptr;
    // FILE_MAP_ALL_ACCESS contains the copy bit too: only FILE_MAP_COPY alone asks for copy-on-write.
    const bool copy = access == FILE_MAP_COPY;
    const bool write = (access & FILE_MAP_WRITE) != 0;
    if (!copy && !write && !(access & FILE_MAP_READ)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (write && (!mapping->Writable() || !(granted & FILE_MAP_WRITE))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const ULONGLONG offset = (static_cast<ULONGLONG>(offsetHigh) << 32) | offsetLow;
    if (offset % platform::kViewAlignment != 0) {
        SetLastError(ERROR_MAPPED_ALIGNMENT);
        return nullptr;
    }
    if (offset >= mapping->Size() || bytes > mapping->Size() - offset) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const std::size_t length = bytes != 0 ? bytes : static_cast<std::size_t>(mapping->Size() - offset);
    const int prot = (write || copy) ? PROT_READ | PROT_WRITE : PROT_READ;
    void* address = ::mmap(nullptr, length, prot, copy ? MAP_PRIVATE : MAP_SHARED, mapping->Descriptor(),
                           static_cast<off_t>(offset));
    if (address == MAP_FAILED) {
        SetLastError(platform::ErrorFromErrno(errno));
        return nullptr;
    }
    auto& table = platform::Views();
    std::lock_guard<std::mutex> guard(table.lock);
    table.views[address] = platform::View{std::move(mapping), length};
    return address;
}

BOOL UnmapViewOfFile(LPCVOID address)
{
    platform::View view;  // its block may go when this is dropped, after the table lock
    auto& table = platform::Views();
    {
        std::lock_guard<std::mutex> guard(table.lock);
        const auto it = table.views.find(address);
        if (it == table.views.end()) {
            SetLastError(ERROR_INVALID_ADDRESS);
            return FALSE;
        }
        view = std::move(it->second);
        table.views.erase(it);
    }
    ::munmap(const_cast<void*>(address), view.length);
    return TRUE;
}
