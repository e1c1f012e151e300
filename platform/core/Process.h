// Child processes: started with an argument vector (never through a shell),
// polled, waited for with a bound, killed; and the Windows rules for splitting
// and building command lines.
#pragma once

#include "platform/core/CString.h"

#include <sys/types.h>
#include <vector>

namespace platform {

// A child ended by a signal reports this plus the signal number: never 0,
// never STILL_ACTIVE, never a code a program can pass to exit().
inline constexpr DWORD kSignalExitBase = 0xC0000000;
// The child's end was seen but not its code (someone else reaped it).
inline constexpr DWORD kUnknownExitCode = 0xC0000100;

class Process {
public:
    Process() = default;
    // A child that still runs is left running and reaped in the background
    // when it ends: closing a window must not kill the program it started
    // (the user may have unsaved work there), nor leave a zombie behind.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts program with the arguments (argv[0] is the program's path). A
    // program named without a folder is the file of that name in the running
    // program's own folder: PATH and the current folder are never searched,
    // so a planted program cannot be started instead. The child starts in
    // workingFolder when given, with signal handling at its defaults and no
    // descriptor of this process but standard input, output and error. False,
    // with GetError() telling why, when it cannot be started.
    bool Start(const CString& program, const std::vector<CString>& arguments,
               const CString& workingFolder = CString());
    const CString& GetError() const { return m_error; }

    bool IsStarted() const { return m_pid > 0; }
    pid_t GetId() const { return m_pid; }
    bool IsRunning();
    // TRUE with STILL_ACTIVE while the child runs, else its exit code; FALSE
    // when no child was started.
    BOOL GetExitCode(DWORD* code);
    // WAIT_OBJECT_0 once the child has ended, WAIT_TIMEOUT when it still runs
    // after timeoutMs, WAIT_FAILED when none was started. Every wait has a
    // bound: INFINITE is refused with WAIT_FAILED.
    DWORD Wait(DWORD timeoutMs);
    // Ends the child at once (SIGKILL); its end is then seen by Wait.
    bool Kill();
    // Lets the child go on by itself; it is reaped in the background.
    void Detach();

private:
    // Collects the child's end when it has ended; true when it has.
    bool Poll();

    pid_t m_pid = -1;
    bool m_ended = false;
    DWORD m_exitCode = STILL_ACTIVE;
    CString m_error;
};

// Splits a command line by the Windows rules: blanks and tabs separate
// arguments outside double quotes; 2n backslashes before a quote give n
// backslashes and the quote opens or closes, 2n+1 give n and a literal quote;
// other backslashes are literal; "" inside quotes is a literal quote. With
// firstIsProgram the first argument is a program path whose backslashes are
// never escapes ("C:\dir\" stays as written).
std::vector<CString> SplitCommandLine(const CString& text, bool firstIsProgram = false);
// The command line that SplitCommandLine splits back into these arguments.
CString JoinCommandLine(const std::vector<CString>& arguments);

}  // namespace platform
