#include "htmltip/LinkOpener.h"

#include "platform/core/Process.h"

namespace htmltip {

int XdgLinkOpener::Open(const CString& target, int /*showCommand*/)
{
    if (target.IsEmpty() || target[0] == u'-') return kOpenAccessDenied;
    platform::Process process;
    if (!process.Start(m_program, {target})) return kOpenFileNotFound;
    // The handler lives on by itself; it is reaped in the background when it ends.
    process.Detach();
    return kOpenSucceeded;
}

XdgLinkOpener& XdgLinkOpener::Default()
{
    static XdgLinkOpener opener;
    return opener;
}

}  // namespace htmltip
