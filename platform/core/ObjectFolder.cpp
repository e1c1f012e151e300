#include "platform/core/ObjectFolder.h"

#include "platform/core/CodePage.h"
#include "platform/core/LastError.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform::detail {
namespace {

// Comfortably below NAME_MAX once a kind prefix and a suffix are added.
constexpr std::size_t kMaxEncodedNameBytes = 200;
// The guard is held for a few system calls; a holder that is stopped (not
// dead: the kernel frees a dead one's lock) must not stall us for ever.
constexpr DWORD kGuardTimeoutMs = 5000;

bool IsOwnDirectory(const std::string& path, bool requirePrivate)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
    return !requirePrivate || (st.st_mode & 077) == 0;
}

}  // namespace

DWORD GetObjectFolder(std::string& folder)
{
    std::string base;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && IsOwnDirectory(runtime, false)) {
        base = std::string(runtime) + "/qv-objects";
    } else {
        base = "/tmp/qv-objects-" + std::to_string(::geteuid());
    }
    if (::mkdir(base.c_str(), 0700) != 0 && errno != EEXIST) return ErrorFromErrno(errno);
    // Someone else's folder, or one others may write to, must not hold our locks.
    if (!IsOwnDirectory(base, true)) return ERROR_ACCESS_DENIED;
    folder = base;
    return ERROR_SUCCESS;
}

bool EncodeObjectName(std::u16string_view name, std::string& encoded)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::string utf8 = FromWide(name, CP_UTF8);
    encoded.clear();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x20 || c == 0x7F || c == '/' || c == '%' || (i == 0 && c == '.')) {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0xF];
        } else {
            encoded += static_cast<char>(c);
        }
    }
    return !encoded.empty() && encoded.size() <= kMaxEncodedNameBytes;
}

DWORD LockFile::Open(const std::string& path, bool create)
{
    Close();
    const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
    const int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0) return ErrorFromErrno(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return ERROR_ACCESS_DENIED;
    }
    // The umask must not decide who can read shared state.
    if ((st.st_mode & 0777) != 0600) ::fchmod(fd, 0600);
    m_fd = fd;
    return ERROR_SUCCESS;
}

void LockFile::Close()
{
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool LockFile::TryLock(bool exclusive)
{
    if (m_fd < 0) return false;
    for (;;) {
        if (::flock(m_fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) return true;
        if (errno != EINTR) return false;
    }
}

bool LockFile::LockWithin(bool exclusive, DWORD timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (TryLock(exclusive)) return true;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void LockFile::Unlock()
{
    if (m_fd >= 0) ::flock(m_fd, LOCK_UN);
}

FolderGuard::FolderGuard(const std::string& folder)
{
    m_error = m_file.Open(folder + "/guard", true);
    if (m_error == ERROR_SUCCESS && !m_file.LockWithin(true, kGuardTimeoutMs)) m_error = ERROR_TIMEOUT;
}

DWORD JoinUsers(LockFile& users, bool& first)
{
    // Only a process inside the guard ever holds the exclusive lock, so the
    // shared one below never waits long.
    first = users.TryLock(true);
    if (!first && errno != EWOULDBLOCK) return ErrorFromErrno(errno);
    if (!users.TryLock(false)) return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

bool LeaveUsersIsLast(LockFile& users) { return users.TryLock(true); }

}  // namespace platform::detail
