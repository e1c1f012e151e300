#include "platform/ui/Shell.h"

#include "platform/core/File.h"
#include "platform/core/Process.h"

#include <filesystem>
#include <mutex>
#include <system_error>
#include <unistd.h>

namespace {

constexpr int kStarted = 42;
// The opener is looked for in the system's folders only: a program planted
// in a folder of PATH must not receive the user's files.
constexpr const char* kOpenerPaths[] = {"/usr/bin/xdg-open", "/bin/xdg-open", "/usr/local/bin/xdg-open"};
constexpr const char16_t* kOpenerName = u"xdg-open";
constexpr const char16_t* kLinkSchemes[] = {u"http", u"https", u"ftp", u"mailto", u"file"};

std::mutex g_hookMutex;
platform::DesktopOpenHook g_hook;

HINSTANCE Result(int code) { return HINSTANCE::FromValue(static_cast<std::uint64_t>(code)); }

// The scheme of a link ("https" of "https://..."), empty for anything
// else. One letter before the colon is a drive, not a scheme.
CString SchemeOf(const CString& target)
{
    const int colon = target.Find(u':');
    if (colon < 2) return {};
    for (int i = 0; i < colon; ++i) {
        const char16_t c = target[i];
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        const bool other = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
        if (!letter && !(i > 0 && other)) return {};
    }
    CString scheme = target.Left(colon);
    scheme.MakeLower();
    return scheme;
}

bool KnownScheme(const CString& scheme)
{
    for (const char16_t* s : kLinkSchemes)
        if (scheme == CString(s)) return true;
    return false;
}

CString FromNative(const std::string& path) { return CString::FromUtf8(path); }

// An existing file or folder as an absolute path; empty when there is none.
CString AbsoluteExisting(const CString& file, const CString& directory)
{
    std::filesystem::path p(platform::NativePath(file));
    if (p.is_relative()) {
        std::error_code ec;
        const std::filesystem::path base =
            directory.IsEmpty() ? std::filesystem::current_path(ec) : std::filesystem::path(platform::NativePath(directory));
        if (ec) return {};
        p = base / p;
    }
    std::error_code ec;
    p = std::filesystem::absolute(p, ec).lexically_normal();
    if (ec || !std::filesystem::exists(p, ec)) return {};
    return FromNative(p.string());
}

std::mutex g_programMutex;
CString g_program;

// Starts the opener for target; the child is left in `child` (not started when a hook took
// the call). kStarted, or the ShellExecute error code.
int StartOpener(const CString& target, platform::Process& child)
{
    // The opener would take such a target for one of its options.
    if (target.IsEmpty() || target[0] == u'-') return SE_ERR_ACCESSDENIED;
    const std::vector<CString> arguments{CString(kOpenerName), target};
    platform::DesktopOpenHook hook;
    CString program;
    {
        std::lock_guard lock(g_hookMutex);
        hook = g_hook;
    }
    if (hook) return hook(arguments) ? kStarted : SE_ERR_NOASSOC;
    {
        std::lock_guard lock(g_programMutex);
        program = g_program;
    }
    if (program.IsEmpty()) {
        for (const char* path : kOpenerPaths) {
            if (::access(path, X_OK) == 0) {
                program = FromNative(path);
                break;
            }
        }
    }
    if (program.IsEmpty()) return SE_ERR_NOASSOC;
    return child.Start(program, {target}) ? kStarted : SE_ERR_OOM;
}

int Open(const CString& target)
{
    platform::Process opener;
    const int result = StartOpener(target, opener);
    // The desktop's program lives on by itself; it is reaped when it ends.
    opener.Detach();
    return result;
}

}  // namespace

namespace platform {

DesktopOpenHook SetDesktopOpenHook(DesktopOpenHook hook)
{
    std::lock_guard lock(g_hookMutex);
    std::swap(g_hook, hook);
    return hook;
}

bool StartDesktopOpener(const CString& target, Process& child) { return StartOpener(target, child) == kStarted; }

CString SetDesktopOpenerProgram(CString program)
{
    std::lock_guard lock(g_programMutex);
    std::swap(g_program, program);
    return program;
}

}  // namespace platform

HINSTANCE ShellExecuteW(HWND, LPCWSTR operation, LPCWSTR file, LPCWSTR, LPCWSTR directory, INT)
{
    try {
        CString verb = operation ? CString(operation) : CString(u"open");
        verb.MakeLower();
        if (verb != CString(u"open") && verb != CString(u"explore")) return Result(SE_ERR_NOASSOC);
        const CString target = file ? CString(file) : CString();
        if (target.IsEmpty()) return Result(SE_ERR_FNF);
        if (target[0] == u'-') return Result(SE_ERR_ACCESSDENIED);
        const CString scheme = SchemeOf(target);
        if (!scheme.IsEmpty()) return Result(KnownScheme(scheme) ? Open(target) : SE_ERR_NOASSOC);
        const CString path = AbsoluteExisting(target, directory ? CString(directory) : CString());
        if (path.IsEmpty()) return Result(SE_ERR_FNF);
        return Result(Open(path));
    } catch (...) {
        return Result(SE_ERR_OOM);
    }
}

HWND HtmlHelpW(HWND, LPCWSTR file, UINT command, DWORD_PTR data)
{
    if (command == HH_CLOSE_ALL || !file) return {};
    try {
        CString helpFile(file);
        CString page;
        if (const int window = helpFile.Find(u'>'); window >= 0) helpFile = helpFile.Left(window);
        if (const int inner = helpFile.Find(u"::"); inner >= 0) {
            page = helpFile.Mid(inner + 2);
            helpFile = helpFile.Left(inner);
        }
        if (command == HH_DISPLAY_TOPIC && data) page = CString(reinterpret_cast<LPCWSTR>(data));
        const CString helpPath = AbsoluteExisting(helpFile, CString());
        if (helpPath.IsEmpty()) return {};
        const std::filesystem::path native(platform::NativePath(helpPath));
        const std::string folder = native.parent_path().string();
        std::vector<CString> pages;
        if (command == HH_HELP_CONTEXT) {
            // A context's page: in the folder named after the help file (the
            // pages of one language beside the others'), else beside it.
            page.Format(u"%u.html", static_cast<unsigned>(data));
            pages.push_back(FromNative(native.stem().string()) + u"/" + page);
        }
        page.TrimLeft(u"/\\");
        pages.push_back(page);
        CString target = helpPath;
        for (const CString& candidate : pages) {
            if (candidate.IsEmpty() || candidate[0] == u'-') continue;
            const CString pagePath = AbsoluteExisting(candidate, FromNative(folder));
            // A page outside the help's folder is not the help's.
            if (!pagePath.IsEmpty() && pagePath.Find(FromNative(folder + "/")) == 0) {
                target = pagePath;
                break;
            }
        }
        return Open(target) > 32 ? platform::kHelpViewerWindow : HWND();
    } catch (...) {
        return {};
    }
}
