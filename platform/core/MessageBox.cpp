#include "platform/core/MessageBox.h"

#include "platform/core/MessageDispatcher.h"
#include "platform/core/Paths.h"

#include <atomic>
#include <cstdio>
#include <iterator>
#include <mutex>

namespace {

std::atomic<platform::IMessageBoxService*> g_service{nullptr};
std::atomic<platform::AppMessageBoxHandler> g_appHandler{nullptr};

struct AppTitle {
    std::mutex mutex;
    CString title;
    bool set = false;
};

AppTitle& Title()
{
    static auto* title = new AppTitle;
    return *title;
}

}  // namespace

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType)
{
    platform::MessageBoxRequest request;
    request.owner = hWnd;
    request.text = lpText ? lpText : u"";
    request.caption = lpCaption ? lpCaption : u"Error";
    request.type = uType;

    platform::IMessageBoxService* service = g_service.load();
    if (!service) {
        std::fprintf(stderr, "[message box] %s: %s\n", request.caption.ToUtf8().c_str(),
                     request.text.ToUtf8().c_str());
        return platform::DefaultMessageBoxResult(uType);
    }
    // The box runs a loop of its own; messages keep being dispatched inside it.
    platform::NativeLoopScope nativeLoop;
    try {
        return service->Show(request);
    } catch (...) {
        std::fprintf(stderr, "[message box] the service failed; default answer\n");
        return platform::DefaultMessageBoxResult(uType);
    }
}

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT nIDHelp)
{
    if (platform::AppMessageBoxHandler handler = g_appHandler.load())
        return handler(lpszText, nType, nIDHelp);
    return platform::ShowAppMessageBox({}, lpszText, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString text;
    text.LoadString(nIDPrompt);
    return AfxMessageBox(text.GetString(), nType, nIDHelp == static_cast<UINT>(-1) ? nIDPrompt : nIDHelp);
}

namespace platform {

IMessageBoxService* SetMessageBoxService(IMessageBoxService* service)
{
    return g_service.exchange(service);
}

IMessageBoxService* GetMessageBoxService()
{
    return g_service.load();
}

int DefaultMessageBoxResult(UINT type)
{
    static constexpr int kButtons[][3] = {
        {IDOK, 0, 0},                      // MB_OK
        {IDOK, IDCANCEL, 0},               // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE},      // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},           // MB_YESNOCANCEL
        {IDYES, IDNO, 0},                  // MB_YESNO
        {IDRETRY, IDCANCEL, 0},            // MB_RETRYCANCEL
        {IDCANCEL, IDTRYAGAIN, IDCONTINUE} // MB_CANCELTRYCONTINUE
    };
    const UINT kind = type & MB_TYPEMASK;
    if (kind >= std::size(kButtons))
        return IDOK;
    const UINT index = (type & MB_DEFMASK) >> 8;
    if (index < 3 && kButtons[kind][index] != 0)
        return kButtons[kind][index];
    return kButtons[kind][0];
}

void SetAppTitle(const CString& title)
{
    AppTitle& t = Title();
    std::lock_guard lock(t.mutex);
    t.title = title;
    t.set = true;
}

CString GetAppTitle()
{
    AppTitle& t = Title();
    std::lock_guard lock(t.mutex);
    if (!t.set) {
        t.title = StemOf(GetProgramPath());
        t.set = true;
    }
    return t.title;
}

AppMessageBoxHandler SetAppMessageBoxHandler(AppMessageBoxHandler handler)
{
    return g_appHandler.exchange(handler);
}

int ShowAppMessageBox(HWND owner, LPCTSTR text, UINT type)
{
    const CString caption = GetAppTitle();
    return ::MessageBoxW(owner, text, caption.GetString(), type);
}

}  // namespace platform
