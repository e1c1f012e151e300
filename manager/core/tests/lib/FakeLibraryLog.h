// What the stand-in libraries tell the tests: each appends one line per
// event (its loading and unloading, each call with its arguments) to the
// file named by QV_FAKE_LIBRARY_LOG. QV_FAKE_NAME is the library's name.
#pragma once

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

void FakeLog(const std::string& event)
{
    const char* path = std::getenv("QV_FAKE_LIBRARY_LOG");
    if (path == nullptr)
        return;
    const int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const std::string line = event + "\n";
    [[maybe_unused]] const ssize_t written = ::write(fd, line.data(), line.size());
    ::close(fd);
}

__attribute__((constructor)) void FakeLoaded() { FakeLog(std::string("load ") + QV_FAKE_NAME); }
__attribute__((destructor)) void FakeUnloaded() { FakeLog(std::string("unload ") + QV_FAKE_NAME); }

}  // namespace
