// Opening documents, folders and web links with the desktop's programs
// (xdg-open), and the help viewer. The opener is started with an argument
// vector, never through a shell; a target that could pass for an option (a
// leading '-') is refused, files are handed over as absolute paths, and
// links only with the schemes http, https, ftp, mailto and file. Tests
// install a hook that receives the argument vector instead, so nothing is
// opened, or a stand-in program in the opener's place.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <functional>
#include <vector>

// ShellExecute's results up to 32 are errors; anything above is success.
inline constexpr int SE_ERR_FNF = 2;
inline constexpr int SE_ERR_PNF = 3;
inline constexpr int SE_ERR_ACCESSDENIED = 5;
inline constexpr int SE_ERR_OOM = 8;
inline constexpr int SE_ERR_NOASSOC = 31;

// "open" (or null) and "explore" are understood; file is a document, a
// folder or a link. A relative path is taken from 'directory' when given.
// The parameters and the show command are not used: documents are opened,
// programs never started. The result's Value() is above 32 on success,
// else one of the SE_ERR_ codes: SE_ERR_FNF for a file that does not exist,
// SE_ERR_ACCESSDENIED for a refused target, SE_ERR_NOASSOC for an unknown
// operation or link scheme or when the desktop has no opener.
HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        INT showCommand);
inline HINSTANCE ShellExecute(HWND hwnd, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                              INT showCommand)
{
    return ShellExecuteW(hwnd, operation, file, parameters, directory, showCommand);
}

inline constexpr UINT HH_DISPLAY_TOPIC = 0x0000;
inline constexpr UINT HH_DISPLAY_TOC = 0x0001;
inline constexpr UINT HH_DISPLAY_INDEX = 0x0002;
inline constexpr UINT HH_DISPLAY_SEARCH = 0x0003;
inline constexpr UINT HH_HELP_CONTEXT = 0x000F;
inline constexpr UINT HH_CLOSE_ALL = 0x0012;

// Opens the help in the desktop's viewer. file is the help file, optionally
// followed by "::/page.html" (a page in the help file's folder) and
// ">window" (ignored). HH_DISPLAY_TOPIC takes a page name in data (or 0);
// HH_HELP_CONTEXT a context number, opening the page named after it when
// there is one: "65537.html" in the folder named after the help file
// ("Help.en/" beside "Help.en.html"), else in the help file's folder. A page that
// does not exist gives the help file itself. Null when the help file does
// not exist or cannot be opened (and for HH_CLOSE_ALL); on success
// platform::kHelpViewerWindow, which stands for the outside viewer.
HWND HtmlHelpW(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);
inline HWND HtmlHelp(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data)
{
    return HtmlHelpW(caller, file, command, data);
}

namespace platform {

class Process;

inline constexpr HWND kHelpViewerWindow = HWND::FromValue(0xFFFF'0000'4845'4C50ULL);

// Gets the argument vector the opener would be started with ("xdg-open",
// then the target) and says whether it started.
using DesktopOpenHook = std::function<bool(const std::vector<CString>& arguments)>;
DesktopOpenHook SetDesktopOpenHook(DesktopOpenHook hook);

class ScopedDesktopOpenHook {
public:
    explicit ScopedDesktopOpenHook(DesktopOpenHook hook) : m_previous(SetDesktopOpenHook(std::move(hook))) {}
    ~ScopedDesktopOpenHook() { SetDesktopOpenHook(std::move(m_previous)); }
    ScopedDesktopOpenHook(const ScopedDesktopOpenHook&) = delete;
    ScopedDesktopOpenHook& operator=(const ScopedDesktopOpenHook&) = delete;

private:
    DesktopOpenHook m_previous;
};

// Starts the opener for target (an absolute path or a link) and leaves the child to the
// caller, who can watch how it ends: an opener that finds no program to show the target
// ends with a non-zero code. With a hook installed the hook gets the call and no child is
// started. False when there is no opener or it could not be started.
bool StartDesktopOpener(const CString& target, Process& child);

// The program started in place of the desktop's opener, with the target as its argument;
// empty for the desktop's own. Tests use a stand-in (one that fails, say).
CString SetDesktopOpenerProgram(CString program);

class ScopedDesktopOpenerProgram {
public:
    explicit ScopedDesktopOpenerProgram(CString program) : m_previous(SetDesktopOpenerProgram(std::move(program))) {}
    ~ScopedDesktopOpenerProgram() { SetDesktopOpenerProgram(std::move(m_previous)); }
    ScopedDesktopOpenerProgram(const ScopedDesktopOpenerProgram&) = delete;
    ScopedDesktopOpenerProgram& operator=(const ScopedDesktopOpenerProgram&) = delete;

private:
    CString m_previous;
};

}  // namespace platform
