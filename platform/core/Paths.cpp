#include "platform/core/Paths.h"

#include "platform/core/File.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

CString GetProgramPath()
{
    char buf[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buf, PATH_MAX);
    if (n <= 0) return CString();
    return CString(ToWide(std::string_view(buf, static_cast<std::size_t>(n)), CP_UTF8));
}

CString GetProgramFolder() { return FolderOf(GetProgramPath()); }

CString GetAppDataFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return CString(ToWide(xdg, CP_UTF8));
    const char* home = std::getenv("HOME");
    std::string base;
    if (home && *home) {
        base = home;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
        base = pw->pw_dir;
    } else {
        return CString();
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return CString(ToWide(base + "/.config", CP_UTF8));
}

CString NormalizePath(const CString& path)
{
    CString p(path);
    p.Replace(u'\\', u'/');
    return p;
}

CString JoinPath(const CString& folder, const CString& name)
{
    CString a = NormalizePath(folder);
    CString b = NormalizePath(name);
    if (a.IsEmpty()) return b;
    a.TrimRight(u'/');
    b.TrimLeft(u'/');
    return a + u"/" + b;
}

CString FolderOf(const CString& path)
{
    const CString p = NormalizePath(path);
    const int slash = p.ReverseFind(u'/');
    return slash < 0 ? CString() : p.Left(slash + 1);
}

CString FileNameOf(const CString& path)
{
    const CString p = NormalizePath(path);
    return p.Mid(p.ReverseFind(u'/') + 1);
}

CString StemOf(const CString& path)
{
    const CString name = FileNameOf(path);
    const int dot = name.ReverseFind(u'.');
    return dot <= 0 ? name : name.Left(dot);
}

CString ExtensionOf(const CString& path)
{
    const CString name = FileNameOf(path);
    const int dot = name.ReverseFind(u'.');
    return dot <= 0 ? CString() : name.Mid(dot);
}

bool CreateFolderPath(const CString& path)
{
    const std::string native = NativePath(path);
    if (native.empty()) return false;
    std::string prefix;
    std::size_t pos = 0;
    while (pos <= native.size()) {
        const std::size_t slash = native.find('/', pos);
        prefix = native.substr(0, slash == std::string::npos ? native.size() : slash);
        if (!prefix.empty()) {
            struct stat st {};
            if (::stat(prefix.c_str(), &st) != 0) {
                if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return false;
            } else if (!S_ISDIR(st.st_mode)) {
                return false;
            }
        }
        if (slash == std::string::npos) break;
        pos = slash + 1;
    }
    return true;
}

}  // namespace platform
