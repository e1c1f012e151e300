#include "platform/core/Process.h"

#include "platform/core/CodePage.h"
#include "platform/core/File.h"
#include "platform/core/Paths.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace platform {

namespace {

DWORD DecodeStatus(int status)
{
    if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return kSignalExitBase + static_cast<DWORD>(WTERMSIG(status));
    return kUnknownExitCode;
}

CString ErrorText(const char* what, int error)
{
    return CString::FromUtf8(std::string(what) + ": " + std::strerror(error));
}

// Waits for a child that nobody watches any more, so that it does not stay
// a zombie when it ends.
void ReapInBackground(pid_t pid)
{
    try {
        std::thread([pid] {
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (...) {
        // No thread to be had: the child becomes a zombie until this process ends.
    }
}

}  // namespace

Process::~Process() { Detach(); }

void Process::Detach()
{
    if (m_pid > 0 && !Poll()) ReapInBackground(m_pid);
    m_pid = -1;
    m_ended = false;
    m_exitCode = STILL_ACTIVE;
}

bool Process::Start(const CString& program, const std::vector<CString>& arguments, const CString& workingFolder)
{
    m_error.Empty();
    if (m_pid > 0 && !Poll()) {
        m_error = u"a child of this object still runs";
        return false;
    }
    m_pid = -1;
    m_ended = false;
    m_exitCode = STILL_ACTIVE;

    CString path = NormalizePath(program);
    if (path.IsEmpty()) {
        m_error = u"no program given";
        return false;
    }
    if (path.Find(u'/') < 0) path = JoinPath(GetProgramFolder(), path);

    try {
        std::vector<std::string> args;
        args.push_back(NativePath(path));
        for (const CString& a : arguments) args.push_back(a.ToUtf8());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawnattr_t attr;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawnattr_init(&attr);
        const std::string folder = workingFolder.IsEmpty() ? std::string() : NativePath(workingFolder);
        if (!folder.empty()) ::posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        // Serial ports, sockets and lock files of this process stay here.
        ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        ::posix_spawnattr_setsigmask(&attr, &none);
        ::posix_spawnattr_setsigdefault(&attr, &all);
        ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

        pid_t pid = -1;
        const int rc = ::posix_spawn(&pid, args[0].c_str(), &actions, &attr, argv.data(), environ);
        ::posix_spawn_file_actions_destroy(&actions);
        ::posix_spawnattr_destroy(&attr);
        if (rc != 0) {
            m_error = ErrorText(args[0].c_str(), rc);
            return false;
        }
        m_pid = pid;
        return true;
    } catch (...) {
        m_error = u"out of memory";
        return false;
    }
}

bool Process::Poll()
{
    if (m_pid <= 0) return true;
    if (m_ended) return true;
    int status = 0;
    pid_t r;
    while ((r = ::waitpid(m_pid, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (r == 0) return false;
    m_ended = true;
    m_exitCode = r == m_pid ? DecodeStatus(status) : kUnknownExitCode;
    return true;
}

bool Process::IsRunning() { return m_pid > 0 && !Poll(); }

BOOL Process::GetExitCode(DWORD* code)
{
    if (m_pid <= 0 || !code) return FALSE;
    *code = Poll() ? m_exitCode : STILL_ACTIVE;
    return TRUE;
}

DWORD Process::Wait(DWORD timeoutMs)
{
    if (m_pid <= 0 || timeoutMs == INFINITE) return WAIT_FAILED;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int pauseMs = 1;
    while (!Poll()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return WAIT_TIMEOUT;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(pauseMs)));
        pauseMs = std::min(pauseMs * 2, 20);
    }
    return WAIT_OBJECT_0;
}

bool Process::Kill()
{
    if (m_pid <= 0 || Poll()) return false;
    return ::kill(m_pid, SIGKILL) == 0;
}

std::vector<CString> SplitCommandLine(const CString& text, bool firstIsProgram)
{
    const std::u16string_view s = text.view();
    std::vector<CString> args;
    std::size_t i = 0;
    auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    auto skipBlanks = [&] {
        while (i < s.size() && isBlank(s[i])) ++i;
    };

    skipBlanks();
    if (firstIsProgram && i < s.size()) {
        std::u16string program;
        bool quoted = false;
        for (; i < s.size(); ++i) {
            if (s[i] == u'"') {
                quoted = !quoted;
            } else if (!quoted && isBlank(s[i])) {
                break;
            } else {
                program.push_back(s[i]);
            }
        }
        args.emplace_back(std::move(program));
    }
    for (;;) {
        skipBlanks();
        if (i >= s.size()) break;
        std::u16string arg;
        bool quoted = false;
        while (i < s.size() && (quoted || !isBlank(s[i]))) {
            const char16_t c = s[i];
            if (c == u'\\') {
                std::size_t j = i;
                while (j < s.size() && s[j] == u'\\') ++j;
                const std::size_t count = j - i;
                if (j < s.size() && s[j] == u'"') {
                    arg.append(count / 2, u'\\');
                    if (count % 2) {
                        arg.push_back(u'"');
                        ++j;
                    }
                } else {
                    arg.append(count, u'\\');
                }
                i = j;
            } else if (c == u'"') {
                if (quoted && i + 1 < s.size() && s[i + 1] == u'"') {
                    arg.push_back(u'"');
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg.push_back(c);
                ++i;
            }
        }
        args.emplace_back(std::move(arg));
    }
    return args;
}

CString JoinCommandLine(const std::vector<CString>& arguments)
{
    std::u16string line;
    for (const CString& a : arguments) {
        if (!line.empty()) line.push_back(u' ');
        const std::u16string_view s = a.view();
        if (!s.empty() && s.find_first_of(u" \t\"") == std::u16string_view::npos) {
            line += s;
            continue;
        }
        line.push_back(u'"');
        std::size_t backslashes = 0;
        for (char16_t c : s) {
            if (c == u'\\') {
                ++backslashes;
                continue;
            }
            if (c == u'"') {
                line.append(backslashes * 2 + 1, u'\\');
            } else {
                line.append(backslashes, u'\\');
            }
            backslashes = 0;
            line.push_back(c);
        }
        // Backslashes before the closing quote are doubled so they stay literal.
        line.append(backslashes * 2, u'\\');
        line.push_back(u'"');
    }
    return CString(std::move(line));
}

}  // namespace platform
