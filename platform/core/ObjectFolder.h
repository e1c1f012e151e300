// Files behind the objects that the user's processes share (named mutexes
// marked shared, named mappings).
//
// They live in one private folder: $XDG_RUNTIME_DIR/qv-objects when that runtime
// folder is ours, else /tmp/qv-objects-<uid>; the folder must be a real
// directory owned by the user with mode 0700, and every file is 0600.
//
// Who uses an object is kept with shared flock locks on a "users" file: a
// process that joins takes a shared lock and keeps it while it uses the object;
// the kernel drops it when the process ends, however it ends. Joining and
// leaving happen under an exclusive lock on the folder's guard file, so "am I
// the first (or last) user?" is answered by trying an exclusive lock. The first
// user after everyone has gone starts the object afresh, so a crash never
// leaves stale state behind.
#pragma once

#include "platform/core/WinTypes.h"

#include <string>
#include <string_view>

namespace platform::detail {

// The folder, created when missing; ERROR_SUCCESS or the reason it is unusable.
DWORD GetObjectFolder(std::string& folder);

// A file-name form of an object name (UTF-8, with '/', '%', control characters
// and a leading '.' escaped as %XX). False when it would be too long.
bool EncodeObjectName(std::u16string_view name, std::string& encoded);

// A descriptor opened for flock. Refuses anything but a regular file owned by
// the user; never follows a symbolic link.
class LockFile {
public:
    LockFile() = default;
    ~LockFile() { Close(); }
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    DWORD Open(const std::string& path, bool create);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }

    // Non-blocking; true when the lock was obtained.
    bool TryLock(bool exclusive);
    // Tries until it gets the lock or the time is up.
    bool LockWithin(bool exclusive, DWORD timeoutMs);
    void Unlock();

private:
    int m_fd = -1;
};

// Exclusive hold of the folder's guard file for the life of the object.
class FolderGuard {
public:
    explicit FolderGuard(const std::string& folder);
    // ERROR_SUCCESS when held, ERROR_TIMEOUT or another error when not.
    DWORD Error() const { return m_error; }

private:
    LockFile m_file;
    DWORD m_error = 0;
};

// Under the guard: takes a shared lock on the users file; `first` tells
// whether nobody else held one.
DWORD JoinUsers(LockFile& users, bool& first);
// Under the guard: true when the caller was the last user (it then holds an
// exclusive lock until it closes the file).
bool LeaveUsersIsLast(LockFile& users);

}  // namespace platform::detail
